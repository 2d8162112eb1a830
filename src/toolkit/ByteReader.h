// A bounds-checked little-endian reader over bytes in memory, for the binary picture
// formats (bitmaps, icons, metafiles), with big-endian reads for the container formats. Every read
// is checked against what remains; a read past the end raises EReadError ("Stream-Read-Fehler") and
// leaves the position unchanged, so a reader that wants its own message catches that one exception.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

class TByteReader {
public:
    explicit TByteReader(std::span<const uint8_t> bytes) : Bytes_(bytes) {}

    uint64_t Size() const { return Bytes_.size(); }
    uint64_t Position() const { return Position_; }
    uint64_t Remaining() const { return Bytes_.size() - Position_; }
    // Whether count more bytes can be read; any 64-bit count is safe to ask about.
    bool CanRead(uint64_t count) const { return count <= Remaining(); }

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    int16_t I16() { return static_cast<int16_t>(U16()); }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    // Big-endian reads, for the formats that store their numbers most significant byte first.
    uint16_t U16BE();
    uint32_t U32BE();
    uint64_t U64BE();

    // The next count bytes, without copying; the position moves past them.
    std::span<const uint8_t> Bytes(uint64_t count);
    void Skip(uint64_t count) { Bytes(count); }
    // Moves to an absolute position within the bytes (the end included).
    void Seek(uint64_t position);
    // A reader over the next count bytes alone (a record, say); this one moves past them.
    TByteReader Sub(uint64_t count) { return TByteReader(Bytes(count)); }
    // The bytes from position on, whatever has been read.
    std::span<const uint8_t> From(uint64_t position) const;

private:
    [[noreturn]] static void Overrun();

    std::span<const uint8_t> Bytes_;
    uint64_t Position_ = 0;
};
