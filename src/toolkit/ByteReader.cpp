#include "toolkit/ByteReader.h"

#include "toolkit/Errors.h"

void TByteReader::Overrun() {
    throw EReadError(Msg::ReadError);
}

uint8_t TByteReader::U8() {
    return Bytes(1)[0];
}

uint16_t TByteReader::U16() {
    const auto b = Bytes(2);
    return static_cast<uint16_t>(b[0] | b[1] << 8);
}

uint32_t TByteReader::U32() {
    const auto b = Bytes(4);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

uint16_t TByteReader::U16BE() {
    const auto b = Bytes(2);
    return static_cast<uint16_t>(b[0] << 8 | b[1]);
}

uint32_t TByteReader::U32BE() {
    const auto b = Bytes(4);
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | uint32_t(b[3]);
}

uint64_t TByteReader::U64BE() {
    uint64_t value = 0;
    for (const uint8_t byte : Bytes(8))
        value = value << 8 | byte;
    return value;
}

std::span<const uint8_t> TByteReader::Bytes(uint64_t count) {
    if (!CanRead(count))
        Overrun();
    const auto result = Bytes_.subspan(static_cast<size_t>(Position_), static_cast<size_t>(count));
    Position_ += count;
    return result;
}

void TByteReader::Seek(uint64_t position) {
    if (position > Bytes_.size())
        Overrun();
    Position_ = position;
}

std::span<const uint8_t> TByteReader::From(uint64_t position) const {
    if (position > Bytes_.size())
        Overrun();
    return Bytes_.subspan(static_cast<size_t>(position));
}
