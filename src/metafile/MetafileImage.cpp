// The metafile reader. An enhanced metafile is kept from its header to the total size the
// header gives; a placeable Windows metafile keeps the records after its 22-byte header.
#include "metafile/MetafileImage.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "toolkit/ByteReader.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

namespace {

constexpr uint64_t EnhancedProbeSize = 100;
constexpr uint32_t EmrHeader = 1;
constexpr uint32_t EnhancedSignature = 0x464D4520; // " EMF"
constexpr uint32_t EnhancedHeaderMinSize = 88;
constexpr uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr size_t PlaceableHeaderSize = 22;
constexpr int DefaultInch = 96;

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(Msg::InvalidMetafile);
}

int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// The screen as the reference device of a converted Windows metafile.
void ScreenDevice(TMetafileImage& image) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    image.DeviceWidth = screen ? screen->size().width() : 1024;
    image.DeviceHeight = screen ? screen->size().height() : 768;
    // The millimetres follow from the logical resolution, as the screen device reports them.
    const int inch = ScreenLogPixelsY();
    image.DeviceMMWidth = image.DeviceWidth * 254 / (inch * 10);
    image.DeviceMMHeight = image.DeviceHeight * 254 / (inch * 10);
}

bool LooksEnhanced(TStream& stream) {
    if (stream.Remaining() <= EnhancedProbeSize)
        return false;
    const uint64_t start = stream.Position();
    uint8_t probe[EnhancedProbeSize];
    stream.ReadBuffer(probe, sizeof probe);
    stream.Seek(start);
    TByteReader reader(probe);
    const uint32_t type = reader.U32();
    reader.Seek(40);
    return type == EmrHeader && reader.U32() == EnhancedSignature;
}

TMetafileImage ReadEnhanced(TStream& stream) {
    uint8_t head[EnhancedProbeSize];
    stream.ReadBuffer(head, sizeof head);
    TByteReader header(head);
    header.Skip(4);
    const uint32_t headerSize = header.U32();
    header.Skip(16); // bounds in device pixels
    const int64_t frameLeft = header.I32();
    const int64_t frameTop = header.I32();
    const int64_t frameRight = header.I32();
    const int64_t frameBottom = header.I32();
    if (header.U32() != EnhancedSignature)
        Invalid();
    header.Skip(4); // version
    const uint32_t total = header.U32();
    header.Skip(4 + 2 + 2 + 4 + 4); // records, handles, reserved, description
    const uint32_t paletteEntries = header.U32();
    const int32_t deviceWidth = header.I32();
    const int32_t deviceHeight = header.I32();
    const int32_t deviceMMWidth = header.I32();
    const int32_t deviceMMHeight = header.I32();

    // The total must hold the header we read. A header record that claims more than the
    // total is accepted; its playback then ends at the header.
    if (total < EnhancedProbeSize || headerSize < EnhancedHeaderMinSize)
        Invalid();
    // Refused before anything is allocated: a total beyond the stream is a short read.
    if (stream.Remaining() < total - EnhancedProbeSize)
        throw EReadError(Msg::ReadError);
    auto records = std::make_shared<std::vector<uint8_t>>(total);
    std::copy(std::begin(head), std::end(head), records->begin());
    stream.ReadBuffer(records->data() + EnhancedProbeSize, total - EnhancedProbeSize);

    TMetafileImage image;
    image.Format = TMetafileFormat::Enhanced;
    image.Records = std::move(records);
    image.MMWidth = ClampToInt(frameRight - frameLeft);
    image.MMHeight = ClampToInt(frameBottom - frameTop);
    image.DeviceWidth = deviceWidth;
    image.DeviceHeight = deviceHeight;
    image.DeviceMMWidth = deviceMMWidth;
    image.DeviceMMHeight = deviceMMHeight;
    image.PaletteEntries = paletteEntries;
    return image;
}

// The Windows metafile header after the placeable one: type 1 (memory) or 2 (disk) and a
// header of nine 16-bit words; anything else is not a metafile we can play.
bool ValidWindowsHeader(std::span<const uint8_t> records) {
    TByteReader reader(records);
    if (!reader.CanRead(18))
        return false;
    const uint16_t type = reader.U16();
    const uint16_t headerWords = reader.U16();
    return (type == 1 || type == 2) && headerWords == 9;
}

TMetafileImage ReadPlaceable(TStream& stream) {
    uint8_t head[PlaceableHeaderSize];
    stream.ReadBuffer(head, sizeof head);
    TByteReader header(head);
    uint16_t checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= header.U16();
    header.Seek(0);
    if (header.U32() != PlaceableKey)
        Invalid();
    header.Skip(2); // handle
    const int16_t left = header.I16(), top = header.I16(), right = header.I16(),
                  bottom = header.I16();
    const QRect bounds(left, top, right - left, bottom - top);
    const uint16_t inch = header.U16();
    header.Skip(4);
    if (header.U16() != checksum)
        Invalid();

    auto records = std::make_shared<std::vector<uint8_t>>(stream.Remaining());
    stream.ReadBuffer(records->data(), records->size());
    if (!ValidWindowsHeader(*records))
        Invalid();

    TMetafileImage image;
    image.Format = TMetafileFormat::Placeable;
    image.Records = std::move(records);
    image.Inch = inch;
    image.Bounds = bounds;
    const int64_t perInch = inch ? inch : DefaultInch;
    image.MMWidth = ClampToInt(int64_t(bounds.width()) * 2540 / perInch);
    image.MMHeight = ClampToInt(int64_t(bounds.height()) * 2540 / perInch);
    ScreenDevice(image);
    return image;
}

} // namespace

TMetafileImage ReadMetafile(TStream& stream) {
    return LooksEnhanced(stream) ? ReadEnhanced(stream) : ReadPlaceable(stream);
}

int ScreenLogPixelsY() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int inch = screen ? qRound(screen->logicalDotsPerInchY()) : DefaultInch;
    return inch > 0 ? inch : DefaultInch;
}
