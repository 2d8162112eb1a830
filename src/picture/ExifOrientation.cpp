#include "picture/ExifOrientation.h"

#include <optional>
#include <string_view>

namespace {
constexpr uint16_t OrientationTag = 0x0112;
constexpr uint16_t ShortType = 3;
constexpr uint16_t LongType = 4;
constexpr uint16_t ThumbnailOffsetTag = 0x0201; // JPEGInterchangeFormat
constexpr uint16_t ThumbnailLengthTag = 0x0202; // JPEGInterchangeFormatLength
constexpr uint8_t StartOfScan = 0xDA;
constexpr uint8_t App1 = 0xE1;
constexpr std::string_view ExifSignature{"Exif\0\0", 6};

// Reads the TIFF structure of an Exif block in the byte order its header names; every
// read outside the block yields nothing.
class TTiffReader {
public:
    explicit TTiffReader(std::span<const uint8_t> bytes) : Bytes(bytes) {}

    bool ReadByteOrder() {
        if (Bytes.size() < 2 || Bytes[0] != Bytes[1] || (Bytes[0] != 'I' && Bytes[0] != 'M'))
            return false;
        BigEndian = Bytes[0] == 'M';
        return true;
    }
    std::optional<uint32_t> Read(uint64_t offset, int size) const {
        if (offset + uint64_t(size) > Bytes.size())
            return std::nullopt;
        uint32_t value = 0;
        for (int i = 0; i < size; ++i) {
            const int at = BigEndian ? i : size - 1 - i;
            value = value << 8 | Bytes[size_t(offset) + size_t(at)];
        }
        return value;
    }

private:
    std::span<const uint8_t> Bytes;
    bool BigEndian = false;
};

int OrientationIn(std::span<const uint8_t> tiff) {
    TTiffReader reader(tiff);
    if (!reader.ReadByteOrder() || reader.Read(2, 2) != 42u)
        return ExifUpright;
    const std::optional<uint32_t> ifd = reader.Read(4, 4);
    const std::optional<uint32_t> count = ifd ? reader.Read(*ifd, 2) : std::nullopt;
    if (!count)
        return ExifUpright;
    for (uint32_t i = 0; i < *count; ++i) {
        const uint64_t entry = uint64_t(*ifd) + 2 + uint64_t(i) * 12;
        if (reader.Read(entry, 2) != OrientationTag)
            continue;
        const std::optional<uint32_t> value = reader.Read(entry + 8, 2);
        if (reader.Read(entry + 2, 2) != ShortType || !value || *value < 1 || *value > 8)
            return ExifUpright;
        return int(*value);
    }
    return ExifUpright;
}

// The TIFF structure inside the first Exif block before the image data; empty when there
// is none.
std::span<const uint8_t> ExifTiff(std::span<const uint8_t> bytes) {
    // Markers follow the start of image one after another, each with a big-endian length
    // that counts itself, until the image data begin.
    size_t pos = 2;
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return {};
    while (pos + 4 <= bytes.size() && bytes[pos] == 0xFF) {
        const uint8_t marker = bytes[pos + 1];
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        const size_t length = size_t(bytes[pos + 2]) << 8 | bytes[pos + 3];
        if (marker == StartOfScan || length < 2 || pos + 2 + length > bytes.size())
            return {};
        const std::span<const uint8_t> payload = bytes.subspan(pos + 4, length - 2);
        if (marker == App1 && payload.size() >= ExifSignature.size() &&
            std::string_view(reinterpret_cast<const char*>(payload.data()), ExifSignature.size()) ==
                ExifSignature)
            return payload.subspan(ExifSignature.size());
        pos += 2 + length;
    }
    return {};
}

// A whole-number value of the directory entry with the tag, as a 16- or 32-bit number.
std::optional<uint32_t> EntryValue(const TTiffReader& reader, uint32_t ifd, uint16_t tag) {
    const std::optional<uint32_t> count = reader.Read(ifd, 2);
    for (uint32_t i = 0; count && i < *count; ++i) {
        const uint64_t entry = uint64_t(ifd) + 2 + uint64_t(i) * 12;
        if (reader.Read(entry, 2) != tag)
            continue;
        const std::optional<uint32_t> type = reader.Read(entry + 2, 2);
        if (type == ShortType)
            return reader.Read(entry + 8, 2);
        if (type == LongType)
            return reader.Read(entry + 8, 4);
        return std::nullopt;
    }
    return std::nullopt;
}
} // namespace

int ExifOrientation(std::span<const uint8_t> bytes) {
    const std::span<const uint8_t> tiff = ExifTiff(bytes);
    return tiff.empty() ? ExifUpright : OrientationIn(tiff);
}

std::span<const uint8_t> ExifThumbnail(std::span<const uint8_t> bytes) {
    const std::span<const uint8_t> tiff = ExifTiff(bytes);
    TTiffReader reader(tiff);
    if (tiff.empty() || !reader.ReadByteOrder() || reader.Read(2, 2) != 42u)
        return {};
    // The first directory describes the picture; the one after it, the thumbnail.
    const std::optional<uint32_t> first = reader.Read(4, 4);
    const std::optional<uint32_t> count = first ? reader.Read(*first, 2) : std::nullopt;
    const std::optional<uint32_t> second =
        count ? reader.Read(uint64_t(*first) + 2 + uint64_t(*count) * 12, 4) : std::nullopt;
    if (!second || *second == 0)
        return {};
    const std::optional<uint32_t> offset = EntryValue(reader, *second, ThumbnailOffsetTag);
    const std::optional<uint32_t> length = EntryValue(reader, *second, ThumbnailLengthTag);
    if (!offset || !length || *length < 4 || uint64_t(*offset) + *length > tiff.size())
        return {};
    const std::span<const uint8_t> thumbnail = tiff.subspan(*offset, *length);
    if (thumbnail[0] != 0xFF || thumbnail[1] != 0xD8)
        return {};
    return thumbnail;
}

int WebPExifOrientation(std::span<const uint8_t> bytes) {
    // "RIFF", the file's size, "WEBP", then chunks: a four-letter type, a little-endian
    // length and the data, padded to an even length.
    const auto text = [&](size_t at) {
        return std::string_view(reinterpret_cast<const char*>(bytes.data()) + at, 4);
    };
    if (bytes.size() < 12 || text(0) != "RIFF" || text(8) != "WEBP")
        return ExifUpright;
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const uint64_t length = uint64_t(bytes[pos + 4]) | uint64_t(bytes[pos + 5]) << 8 |
                                uint64_t(bytes[pos + 6]) << 16 | uint64_t(bytes[pos + 7]) << 24;
        if (length > bytes.size() - pos - 8)
            return ExifUpright;
        std::span<const uint8_t> payload = bytes.subspan(pos + 8, size_t(length));
        if (text(pos) == "EXIF") {
            // Some writers keep the JPEG block's signature in front of the TIFF data.
            if (payload.size() >= ExifSignature.size() &&
                std::string_view(reinterpret_cast<const char*>(payload.data()),
                                 ExifSignature.size()) == ExifSignature)
                payload = payload.subspan(ExifSignature.size());
            return OrientationIn(payload);
        }
        pos += 8 + size_t(length) + size_t(length & 1);
    }
    return ExifUpright;
}

bool ExifSwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

QTransform ExifTransform(int orientation, QSize stored) {
    const qreal w = stored.width();
    const qreal h = stored.height();
    // Where stored (x, y) lands: x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy.
    switch (orientation) {
    case 2: // mirrored left to right
        return {-1, 0, 0, 1, w, 0};
    case 3: // half turn
        return {-1, 0, 0, -1, w, h};
    case 4: // mirrored top to bottom
        return {1, 0, 0, -1, 0, h};
    case 5: // mirrored along the main diagonal
        return {0, 1, 1, 0, 0, 0};
    case 6: // a quarter turn clockwise
        return {0, 1, -1, 0, h, 0};
    case 7: // mirrored along the other diagonal
        return {0, -1, -1, 0, h, w};
    case 8: // a quarter turn counter-clockwise
        return {0, -1, 1, 0, 0, w};
    default:
        return {};
    }
}
