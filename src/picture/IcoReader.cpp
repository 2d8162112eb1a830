// Icon files: a 6-byte header (reserved, type, count), 16-byte directory entries, and the
// images they point to. Each image is a DIB whose height covers its colour rows and its mask,
// or a complete PNG stream, as icons made for large sizes store them.
#include "picture/IcoReader.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "picture/Png.h"
#include "toolkit/ByteReader.h"
#include "toolkit/Dib.h"
#include "toolkit/Errors.h"

namespace {

constexpr uint64_t EntrySize = 16;
constexpr uint16_t StandardIconType = 0;

// Where Qt keeps the logo it shows for applications that bring no icon of their own.
constexpr const char* StandardIconResource = ":/qt-project.org/qmessagebox/images/qtlogo-64.png";

// A directory or an image that is not what an icon holds.
[[noreturn]] void Invalid() {
    throw EInvalidGraphic(Msg::InvalidIcon);
}

// Memory for the image could not be had.
[[noreturn]] void NoMemory() {
    throw EOutOfResources(Msg::OutOfResources);
}

std::vector<TIconEntry> ReadDirectory(TByteReader& reader, uint16_t count) {
    std::vector<TIconEntry> entries(count);
    for (TIconEntry& entry : entries) {
        reader.Skip(2); // width, height: the image's own header says
        entry.Colours = reader.U16();
        reader.Skip(4); // planes, bits per pixel: likewise
        entry.Size = reader.U32();
        entry.Offset = reader.U32();
    }
    return entries;
}

// The PNG reader's guards and messages hold for a PNG stream inside an icon as well.
QImage DecodePng(std::span<const uint8_t> image) {
    QImage decoded = ReadPng(image).Image.convertToFormat(QImage::Format_ARGB32);
    if (decoded.isNull())
        NoMemory();
    return decoded;
}

// A DIB's colour image, transparent where its mask is set unless it carries alpha of its own.
QImage DecodeDib(std::span<const uint8_t> image) {
    TIconDib dib;
    try {
        dib = ReadIconDib(image);
    } catch (const Exception&) {
        Invalid();
    }
    const bool ownAlpha = dib.Colour.Image.format() == QImage::Format_ARGB32;
    QImage combined = dib.Colour.Image.convertToFormat(QImage::Format_ARGB32);
    if (combined.isNull())
        NoMemory();
    if (!ownAlpha) {
        for (int y = 0; y < combined.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(combined.scanLine(y));
            const uchar* mask = dib.Mask.constScanLine(y);
            for (int x = 0; x < combined.width(); ++x)
                if (mask[x / 8] & (0x80 >> (x % 8)))
                    line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return combined;
}

QImage AtSystemSize(const QImage& image) {
    if (image.width() == SystemIconSize && image.height() == SystemIconSize)
        return image;
    QImage scaled = image.scaled(SystemIconSize, SystemIconSize, Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
    if (scaled.isNull())
        NoMemory();
    return scaled.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

uint16_t CheckIconHeader(std::span<const uint8_t> bytes) {
    TByteReader reader(bytes);
    reader.Skip(2); // reserved
    const uint16_t type = reader.U16();
    reader.Skip(2); // count: looked at when the image is made
    if (type != 0 && type != 1)
        throw EInvalidGraphic(Msg::InvalidIcon);
    return type;
}

uint16_t ScreenColourCount(int bitsPerPixel) {
    if (bitsPerPixel == 24)
        return 0;
    // 2^16 keeps no bits and so counts as 0; the shift itself works modulo 32, as the
    // processor's does, so a 32-bit screen counts 1.
    return static_cast<uint16_t>(uint32_t(1) << (static_cast<unsigned>(bitsPerPixel) % 32));
}

size_t ChooseIconEntry(std::span<const TIconEntry> entries, uint16_t screenColours) {
    std::optional<size_t> candidate;
    uint16_t firstCandidateColours = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const uint16_t colours = entries[i].Colours;
        if (colours == screenColours)
            return i;
        if (!candidate) {
            if (colours <= screenColours) {
                candidate = i;
                firstCandidateColours = colours;
            }
        } else if (colours > firstCandidateColours) {
            candidate = i;
        }
    }
    return candidate.value_or(0);
}

QImage MakeIconImage(std::span<const uint8_t> bytes, int screenBitsPerPixel) {
    TByteReader reader(bytes);
    std::vector<TIconEntry> entries;
    try {
        reader.Skip(2); // reserved
        if (reader.U16() == StandardIconType)
            return AtSystemSize(
                QImage(StandardIconResource).convertToFormat(QImage::Format_ARGB32));
        const uint16_t count = reader.U16();
        if (!reader.CanRead(count * EntrySize))
            Invalid();
        entries = ReadDirectory(reader, count);
    } catch (const EReadError&) {
        Invalid();
    }
    if (entries.empty())
        Invalid();
    const TIconEntry& entry =
        entries[ChooseIconEntry(entries, ScreenColourCount(screenBitsPerPixel))];
    if (uint64_t(entry.Offset) + entry.Size > bytes.size())
        Invalid();
    const std::span<const uint8_t> image = bytes.subspan(entry.Offset, entry.Size);
    return AtSystemSize(HasPngSignature(image) ? DecodePng(image) : DecodeDib(image));
}
