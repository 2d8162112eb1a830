// The metafile kind on metafiles written here: what the reader accepts, refuses and how it
// sizes a picture; then the player, with pixel checks: mapping modes, world transforms, the
// save stack, clipping under transforms, paths, text alignment, object slots, bitmaps and
// damaged records.
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QProcess>
#include <QRawFont>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <map>

#include "MetafileWriter.h"
#include "TestSupport.h"
#include "picture/Canvas.h"
#include "picture/Image.h"
#include "picture/Metafile.h"
#include "picture/Picture.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

namespace {

// Enhanced record types.
enum : uint32_t {
    POLYLINE = 4,
    SETWINDOWEXTEX = 9,
    SETWINDOWORGEX = 10,
    SETVIEWPORTEXTEX = 11,
    SETVIEWPORTORGEX = 12,
    SETMAPMODE = 17,
    SETBKMODE = 18,
    SETTEXTALIGN = 22,
    SETTEXTCOLOR = 24,
    EXCLUDECLIPRECT = 29,
    INTERSECTCLIPRECT = 30,
    SAVEDC = 33,
    RESTOREDC = 34,
    SETWORLDTRANSFORM = 35,
    MODIFYWORLDTRANSFORM = 36,
    SELECTOBJECT = 37,
    CREATEPEN = 38,
    CREATEBRUSHINDIRECT = 39,
    DELETEOBJECT = 40,
    RECTANGLE = 43,
    BEGINPATH = 59,
    ENDPATH = 60,
    FILLPATH = 62,
    STROKEPATH = 64,
    SELECTCLIPPATH = 67,
    EXTSELECTCLIPRGN = 75,
    STRETCHDIBITS = 81,
    EXTCREATEFONTINDIRECTW = 82,
    EXTTEXTOUTA = 83,
    EXTTEXTOUTW = 84
};

constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Red = 0xFFFF0000;
constexpr QRgb Blue = 0xFF0000FF;
constexpr QRgb Green = 0xFF00FF00;
constexpr int32_t RedRef = 0x0000FF; // colours in records: 0x00BBGGRR
constexpr int32_t BlueRef = 0xFF0000;
constexpr int32_t GreenRef = 0x00FF00;
constexpr int32_t NullPen = int32_t(0x80000008);

std::unique_ptr<TMetafile> Load(const std::vector<uint8_t>& bytes) {
    TBytesStream stream(bytes);
    auto metafile = std::make_unique<TMetafile>();
    metafile->ReadFrom(stream);
    return metafile;
}

// Plays the metafile stretched over a white image of the given size.
QImage Play(const std::vector<uint8_t>& bytes, int width = 100, int height = 100) {
    const auto metafile = Load(bytes);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    TCanvas canvas(painter);
    canvas.DrawStretched({0, 0, width, height}, metafile.get());
    return image;
}

// A solid brush of the colour selected, the pen removed: figures fill exactly.
TEmfWriter FillingWith(int32_t colour) {
    TEmfWriter emf;
    emf.Add(CREATEBRUSHINDIRECT, {1, 0, colour, 0}).Add(SELECTOBJECT, {1});
    emf.Add(SELECTOBJECT, {NullPen});
    return emf;
}

std::string Message(const std::vector<uint8_t>& bytes) {
    try {
        Load(bytes);
    } catch (const Exception& error) {
        return error.Message();
    }
    return {};
}

// The colours at the centre of a device box and just outside each of its edges.
void ExpectBox(const QImage& image, QRect box, QRgb inside) {
    EXPECT_EQ(image.pixel(box.center()), inside) << "centre";
    const QPoint c = box.center();
    for (const QPoint outside : {QPoint(box.left() - 3, c.y()), QPoint(box.right() + 3, c.y()),
                                 QPoint(c.x(), box.top() - 3), QPoint(c.x(), box.bottom() + 3)})
        EXPECT_EQ(image.pixel(outside), White) << outside.x() << "," << outside.y();
}

} // namespace

// Reader -------------------------------------------------------------------------------------

TEST(MetafileReader, EnhancedSizeComesFromTheFrameAndTheReferenceDevice) {
    TEmfWriter emf;
    emf.Frame[2] = 2540; // 25.4 mm by 12.7 mm
    emf.Frame[3] = 1270;
    emf.Device[0] = 1000; // 1000 pixels on 254 mm: 100 pixels per 25.4 mm
    emf.Device[1] = 500;
    emf.DeviceMM[0] = 254;
    emf.DeviceMM[1] = 127;
    const auto metafile = Load(emf.Bytes());
    EXPECT_EQ(metafile->Image()->Format, TMetafileFormat::Enhanced);
    EXPECT_EQ(metafile->Image()->MMWidth, 2540);
    EXPECT_EQ(metafile->Image()->MMHeight, 1270);
    EXPECT_EQ(metafile->PixelWidth(), 100);
    EXPECT_EQ(metafile->PixelHeight(), 50);
    EXPECT_TRUE(metafile->Transparent());
    EXPECT_FALSE(metafile->IsEmpty());
    EXPECT_FALSE(metafile->PaletteModified);
}

TEST(MetafileReader, PlaceableSizeComesFromTheBoxAndItsUnitsPerInch) {
    ASSERT_EQ(ScreenLogPixelsY(), 96) << "the offscreen screen's resolution";
    struct TCase {
        int16_t Right, Bottom;
        uint16_t Inch;
        int MMWidth, MMHeight, Width, Height;
    };
    const TCase cases[] = {
        {1440, 720, 1440, 2540, 1270, 96, 48}, // one inch by half an inch
        {300, 150, 600, 1270, 635, 48, 24},
        {96, 48, 0, 2540, 1270, -1, -1}, // no units: 96 per inch, sized by the screen device
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Inch);
        TWmfWriter wmf;
        wmf.Bounds[2] = c.Right;
        wmf.Bounds[3] = c.Bottom;
        wmf.Inch = c.Inch;
        const auto metafile = Load(wmf.Bytes());
        EXPECT_EQ(metafile->Image()->Format, TMetafileFormat::Placeable);
        EXPECT_EQ(metafile->Image()->MMWidth, c.MMWidth);
        EXPECT_EQ(metafile->Image()->MMHeight, c.MMHeight);
        if (c.Width >= 0) {
            EXPECT_EQ(metafile->PixelWidth(), c.Width);
            EXPECT_EQ(metafile->PixelHeight(), c.Height);
        }
    }
}

TEST(MetafileReader, RefusesWhatIsNeitherEnhancedNorPlaceable) {
    TWmfWriter badKey;
    badKey.Key = 0x9AC6CDD6;
    TWmfWriter badChecksum;
    badChecksum.BadChecksum = true;
    // Exactly 100 bytes of an enhanced header are not enough to be taken as one.
    std::vector<uint8_t> short100 = TEmfWriter().Bytes();
    short100.resize(100);
    std::vector<uint8_t> notWindows = TWmfWriter().Bytes();
    notWindows[22] = 7; // metafile type neither 1 nor 2
    const std::vector<std::vector<uint8_t>> files = {
        badKey.Bytes(), badChecksum.Bytes(), TWmfWriter().Windows(),
        short100,       notWindows,          std::vector<uint8_t>(200, 0)};
    for (size_t i = 0; i < std::size(files); ++i)
        EXPECT_EQ(Message(files[i]), "Metadatei ist ungültig") << i;
}

TEST(MetafileReader, EnhancedFileShorterThanItsHeaderSaysIsAReadError) {
    std::vector<uint8_t> bytes = TEmfWriter().Add(SETMAPMODE, {1}).Bytes();
    bytes.resize(bytes.size() - 4);
    EXPECT_EQ(Message(bytes), "Stream-Read-Fehler");
}

TEST(MetafileReader, PaletteEntriesSetThePaletteModifiedFlag) {
    TEmfWriter emf;
    emf.PaletteEntries = 16;
    const auto metafile = Load(emf.Bytes());
    EXPECT_TRUE(metafile->PaletteModified);
    EXPECT_TRUE(metafile->HasPalette());
}

TEST(MetafileReader, SizeChangesKeepTheCopyAsItWas) {
    const auto metafile = Load(TEmfWriter().Bytes());
    TMetafile copy;
    copy.Assign(*metafile);
    EXPECT_EQ(copy.Image(), metafile->Image());
    metafile->SetWidth(50);
    metafile->SetHeight(25);
    EXPECT_EQ(metafile->PixelWidth(), 50);
    EXPECT_EQ(metafile->PixelHeight(), 25);
    EXPECT_EQ(metafile->Image()->MMWidth, 5000);
    EXPECT_EQ(copy.PixelWidth(), 99);
    EXPECT_EQ(copy.Image()->Records, metafile->Image()->Records);
}

TEST(MetafileFormats, WmfAndEmfAreRegisteredBeforeTheBitmapsAndChosenByNameOnly) {
    const auto& entries = TFileFormatsList::Instance().Entries();
    ASSERT_GE(entries.size(), 3u);
    EXPECT_EQ(entries[0].Extension, "wmf");
    EXPECT_EQ(entries[0].Description, "Metadateien");
    EXPECT_EQ(entries[1].Extension, "emf");
    EXPECT_EQ(entries[1].Description, "Erweiterte Metadateien");
    EXPECT_EQ(entries[0].Kind, &TMetafile::Class);
    EXPECT_EQ(entries[1].Kind, &TMetafile::Class);

    // An enhanced metafile named .wmf loads as an enhanced metafile.
    TempDir dir;
    WriteFileBytes(dir.File("bild.WMF"), TEmfWriter().Bytes());
    TPicture picture;
    picture.LoadByExtension(dir.File("bild.WMF"));
    const auto* metafile = dynamic_cast<const TMetafile*>(picture.Content());
    ASSERT_NE(metafile, nullptr);
    EXPECT_EQ(metafile->Image()->Format, TMetafileFormat::Enhanced);
}

// Player ---------------------------------------------------------------------------------

TEST(MetafilePlayer, PlaysIntoTheRectangleOneUnitSmallerAtRightAndBottom) {
    // The frame, 0..99 device pixels, covers (0, 0)..(199, 199) of a 200 × 200 image.
    TEmfWriter emf = FillingWith(RedRef);
    emf.Add(RECTANGLE, {0, 0, 99, 99});
    const QImage image = Play(emf.Bytes(), 200, 200);
    EXPECT_EQ(image.pixel(0, 0), Red);
    EXPECT_EQ(image.pixel(198, 198), Red);
    EXPECT_EQ(image.pixel(199, 100), White);
    EXPECT_EQ(image.pixel(100, 199), White);
}

TEST(MetafilePlayer, FractionalCoordinatesRoundToThePixelsTheSystemDraws) {
    // Two logical units to a pixel: a rectangle from 20.5 to 30.5 pixels covers pixels 21
    // to 30. Five to a pixel: a line at x = 53, 10.6 pixels, is drawn on pixel 11.
    TEmfWriter emf = FillingWith(RedRef);
    emf.Add(SETMAPMODE, {8}).Add(SETWINDOWEXTEX, {2, 2}).Add(SETVIEWPORTEXTEX, {1, 1});
    emf.Add(RECTANGLE, {41, 41, 61, 61});
    emf.Add(SETWINDOWEXTEX, {5, 5});
    emf.Add(SELECTOBJECT, {int32_t(0x80000007)}); // black pen
    emf.Add(POLYLINE, {0, 0, 0, 0, 2, 53, 0, 53, 500});
    const QImage image = Play(emf.Bytes());
    EXPECT_EQ(image.pixel(11, 5), 0xFF000000);
    EXPECT_EQ(image.pixel(10, 5), White);
    for (const int edge : {21, 30})
        EXPECT_EQ(image.pixel(edge, edge), Red) << edge;
    for (const int outside : {20, 31})
        EXPECT_EQ(image.pixel(outside, outside), White) << outside;
}

TEST(MetafilePlayer, MappingModesPlaceLogicalUnitsOnTheDevice) {
    // The reference device has one pixel per millimetre.
    struct TCase {
        const char* Name;
        std::vector<std::pair<uint32_t, std::vector<int32_t>>> Setup;
        std::vector<int32_t> Rect;
        QRect Expected; // device pixels
    };
    const TCase cases[] = {
        {"text, window origin moved",
         {{SETMAPMODE, {1}}, {SETWINDOWORGEX, {-10, -10}}},
         {0, 0, 20, 20},
         QRect(10, 10, 20, 20)},
        {"lometric", {{SETMAPMODE, {2}}}, {100, -100, 300, -300}, QRect(10, 10, 20, 20)},
        {"himetric", {{SETMAPMODE, {3}}}, {1000, -1000, 3000, -3000}, QRect(10, 10, 20, 20)},
        {"loenglish", {{SETMAPMODE, {4}}}, {40, -40, 118, -118}, QRect(10, 10, 20, 20)},
        {"hienglish", {{SETMAPMODE, {5}}}, {394, -394, 1181, -1181}, QRect(10, 10, 20, 20)},
        {"twips", {{SETMAPMODE, {6}}}, {567, -567, 1701, -1701}, QRect(10, 10, 20, 20)},
        {"anisotropic",
         {{SETMAPMODE, {8}}, {SETWINDOWEXTEX, {200, 100}}, {SETVIEWPORTEXTEX, {100, 100}}},
         {40, 40, 60, 60},
         QRect(20, 40, 10, 20)},
        {"isotropic: the smaller scale for both axes",
         {{SETMAPMODE, {7}}, {SETWINDOWEXTEX, {200, 100}}, {SETVIEWPORTEXTEX, {100, 100}}},
         {40, 40, 60, 60},
         QRect(20, 20, 10, 10)},
        {"anisotropic with origins and a flipped axis",
         {{SETMAPMODE, {8}},
          {SETWINDOWORGEX, {100, 100}},
          {SETWINDOWEXTEX, {100, -100}},
          {SETVIEWPORTORGEX, {50, 50}},
          {SETVIEWPORTEXTEX, {50, 50}}},
         {120, 80, 160, 40},
         QRect(60, 60, 20, 20)},
        {"extents ignored in the text mode",
         {{SETWINDOWEXTEX, {200, 200}}},
         {10, 10, 30, 30},
         QRect(10, 10, 20, 20)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TEmfWriter emf = FillingWith(RedRef);
        for (const auto& [type, values] : c.Setup) {
            std::vector<uint8_t> bytes;
            for (const int32_t v : values)
                Put32(bytes, static_cast<uint32_t>(v));
            emf.AddBytes(type, bytes);
        }
        emf.Add(RECTANGLE, {c.Rect[0], c.Rect[1], c.Rect[2], c.Rect[3]});
        ExpectBox(Play(emf.Bytes()), c.Expected, Red);
    }
}

TEST(MetafilePlayer, WorldTransformsSetAndModifyInEveryMode) {
    const int32_t one = FloatBits(1), two = FloatBits(2), zero = FloatBits(0);
    const int32_t twenty = FloatBits(20);
    struct TCase {
        const char* Name;
        int32_t Mode; // 0: only set the scale
        QRect Expected;
    };
    // World: scale by 2; then a translation by (20, 0) combined with it.
    const TCase cases[] = {
        {"set", 0, QRect(10, 10, 10, 10)},
        {"identity", 1, QRect(5, 5, 5, 5)},
        {"left multiply: moved, then scaled", 2, QRect(50, 10, 10, 10)},
        {"right multiply: scaled, then moved", 3, QRect(30, 10, 10, 10)},
        {"set replaces", 4, QRect(25, 5, 5, 5)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TEmfWriter emf = FillingWith(BlueRef);
        emf.Add(SETWORLDTRANSFORM, {two, zero, zero, two, zero, zero});
        if (c.Mode)
            emf.Add(MODIFYWORLDTRANSFORM, {one, zero, zero, one, twenty, zero, c.Mode});
        emf.Add(RECTANGLE, {5, 5, 10, 10});
        ExpectBox(Play(emf.Bytes()), c.Expected, Blue);
    }
}

TEST(MetafilePlayer, RestoringTheContextRelativeAndAbsolute) {
    struct TCase {
        const char* Name;
        std::vector<int32_t> Restores;
        QRgb Expected;
    };
    // Red is selected, saved (level 1), blue selected and saved (level 2), green selected.
    const TCase cases[] = {
        {"one level back", {-1}, Blue},
        {"two levels back", {-2}, Red},
        {"level one", {1}, Red},
        {"level two", {2}, Blue},
        {"beyond the stack: nothing", {-3}, Green},
        {"zero: nothing", {0}, Green},
        {"restored levels are gone", {-1, -1}, Red},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TEmfWriter emf = FillingWith(RedRef);
        emf.Add(SAVEDC, {});
        emf.Add(CREATEBRUSHINDIRECT, {2, 0, BlueRef, 0}).Add(SELECTOBJECT, {2});
        emf.Add(SAVEDC, {});
        emf.Add(CREATEBRUSHINDIRECT, {3, 0, GreenRef, 0}).Add(SELECTOBJECT, {3});
        for (const int32_t restore : c.Restores)
            emf.Add(RESTOREDC, {restore});
        emf.Add(RECTANGLE, {10, 10, 30, 30});
        EXPECT_EQ(Play(emf.Bytes()).pixel(20, 20), c.Expected);
    }
}

TEST(MetafilePlayer, ClippingFollowsTheTransformInForceWhenItIsSet) {
    const int32_t two = FloatBits(2), zero = FloatBits(0);
    const std::vector<uint8_t> region = [] {
        std::vector<uint8_t> r;
        Put32(r, 32 + 16); // size of the region data
        Put32(r, 5);       // copy
        for (const uint32_t v : {32u, 1u, 1u, 16u, 60u, 60u, 80u, 80u, 60u, 60u, 80u, 80u})
            Put32(r, v);
        return r;
    }();
    struct TCase {
        const char* Name;
        std::function<void(TEmfWriter&)> Clip;
        QRect Expected;
    };
    const TCase cases[] = {
        {"intersect under a scale of 2",
         [&](TEmfWriter& e) {
             e.Add(SETWORLDTRANSFORM, {two, zero, zero, two, zero, zero});
             e.Add(INTERSECTCLIPRECT, {10, 10, 20, 20});
             e.Add(SETWORLDTRANSFORM, {FloatBits(1), zero, zero, FloatBits(1), zero, zero});
         },
         QRect(20, 20, 20, 20)},
        {"exclude leaves the rest",
         [&](TEmfWriter& e) {
             e.Add(EXCLUDECLIPRECT, {0, 0, 100, 50});
         },
         QRect(0, 50, 100, 50)},
        {"region in device pixels", [&](TEmfWriter& e) { e.AddBytes(EXTSELECTCLIPRGN, region); },
         QRect(60, 60, 20, 20)},
        {"path as the clipping",
         [&](TEmfWriter& e) {
             e.Add(BEGINPATH, {}).Add(RECTANGLE, {30, 30, 50, 50}).Add(ENDPATH, {});
             e.Add(SELECTCLIPPATH, {5});
         },
         QRect(30, 30, 20, 20)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TEmfWriter emf = FillingWith(RedRef);
        c.Clip(emf);
        emf.Add(RECTANGLE, {0, 0, 100, 100});
        const QImage image = Play(emf.Bytes());
        for (int y = 2; y < 98; y += 4) {
            for (int x = 2; x < 98; x += 4) {
                // Edges may fall either way by a pixel.
                if (c.Expected.adjusted(1, 1, -1, -1).contains(x, y)) {
                    EXPECT_EQ(image.pixel(x, y), Red) << x << "," << y;
                } else if (!c.Expected.adjusted(-1, -1, 1, 1).contains(x, y)) {
                    EXPECT_EQ(image.pixel(x, y), White) << x << "," << y;
                }
            }
        }
    }
}

TEST(MetafilePlayer, PathsFillStrokeAndDrawNothingWhileOpen) {
    TEmfWriter emf;
    emf.Add(CREATEBRUSHINDIRECT, {1, 0, RedRef, 0}).Add(SELECTOBJECT, {1});
    emf.Add(CREATEPEN, {2, 0, 3, 0, BlueRef}).Add(SELECTOBJECT, {2});
    // Filled only; stroked only; and an open path at the end that is never drawn.
    emf.Add(BEGINPATH, {}).Add(RECTANGLE, {10, 10, 40, 40}).Add(ENDPATH, {}).Add(FILLPATH, {});
    emf.Add(BEGINPATH, {}).Add(RECTANGLE, {50, 10, 90, 40}).Add(ENDPATH, {}).Add(STROKEPATH, {});
    emf.Add(BEGINPATH, {}).Add(RECTANGLE, {10, 60, 40, 90});
    const QImage image = Play(emf.Bytes());
    EXPECT_EQ(image.pixel(25, 25), Red);
    EXPECT_EQ(image.pixel(40, 25), White) << "no outline on a filled path";
    EXPECT_EQ(image.pixel(70, 25), White) << "no fill on a stroked path";
    EXPECT_EQ(image.pixel(50, 25), Blue);
    EXPECT_EQ(image.pixel(25, 75), White);
    EXPECT_EQ(image.pixel(10, 75), White);
}

namespace {

// A bold font 30 units high in slot 1.
std::vector<uint8_t> FontRecord(const std::string& face = "Liberation Sans",
                                uint8_t pitchAndFamily = 0) {
    std::vector<uint8_t> font;
    Put32(font, 1);
    for (const int32_t v : {-30, 0, 0, 0, 700})
        Put32(font, static_cast<uint32_t>(v));
    Put32(font, 0);
    Put32(font, uint32_t(pitchAndFamily) << 24);
    for (const char c : face)
        Put16(font, static_cast<uint8_t>(c));
    font.resize(4 + 92, 0);
    return font;
}

// "MM" at (50, 50).
std::vector<uint8_t> TextRecord() {
    std::vector<uint8_t> text;
    for (int i = 0; i < 4 + 3; ++i) // bounds, graphics mode, scales
        Put32(text, 0);
    for (const int32_t v : {50, 50, 2, 76, 0, 0, 0, 0, 0, 0})
        Put32(text, static_cast<uint32_t>(v));
    Put16(text, 'M');
    Put16(text, 'M');
    return text;
}

int CountInk(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == colour;
    return count;
}

} // namespace

// The outlines cover what the same text covers drawn as text, at each size: a glyph's outline
// is kept from one size to the next.
TEST(MetafilePlayer, TextInAPathBracketAddsItsOutlines) {
    const auto play = [](int32_t height, bool path, bool fill) {
        std::vector<uint8_t> font = FontRecord();
        font[4] = static_cast<uint8_t>(height);
        TEmfWriter emf = FillingWith(RedRef);
        emf.AddBytes(EXTCREATEFONTINDIRECTW, font).Add(SELECTOBJECT, {1});
        emf.Add(SETBKMODE, {1}).Add(SETTEXTCOLOR, {BlueRef});
        if (path)
            emf.Add(BEGINPATH, {});
        emf.AddBytes(EXTTEXTOUTW, TextRecord());
        if (path)
            emf.Add(ENDPATH, {});
        if (fill)
            emf.Add(FILLPATH, {});
        return Play(emf.Bytes());
    };
    for (const int32_t height : {-30, -15, -40}) {
        SCOPED_TRACE(height);
        const int text = CountInk(play(height, false, false), Blue);
        const QImage filled = play(height, true, true);
        EXPECT_EQ(CountInk(filled, Blue), 0) << "no text of its own";
        EXPECT_NEAR(CountInk(filled, Red), text, text / 5);
        EXPECT_EQ(CountInk(play(height, true, false), Red), 0);
    }
}

TEST(MetafilePlayer, FacesTheSystemLacksAreReplacedByFamilyAsTheFontMapperDoes) {
    const auto draw = [](const std::string& face, uint8_t pitchAndFamily) {
        TEmfWriter emf;
        emf.AddBytes(EXTCREATEFONTINDIRECTW, FontRecord(face, pitchAndFamily));
        emf.Add(SELECTOBJECT, {1}).Add(SETBKMODE, {1}).Add(SETTEXTCOLOR, {0});
        emf.AddBytes(EXTTEXTOUTW, TextRecord());
        return Play(emf.Bytes());
    };
    struct TCase {
        const char* Face;
        uint8_t PitchAndFamily;
        const char* DrawnAs;
        const char* NotAs;
    };
    const TCase cases[] = {
        {"No Such Face", 0x22, "Arial", "DejaVu Sans"},     // swiss, variable pitch
        {"No Such Face", 0x12, "Times New Roman", "Arial"}, // roman
        {"No Such Face", 0x01, "Courier New", "Arial"},     // fixed pitch
        {"No Such Face", 0x30, "Courier New", "Arial"},     // modern
        {"DejaVu Serif", 0x22, "DejaVu Serif", "Arial"},    // installed: kept
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Face << " " << int(c.PitchAndFamily));
        const QImage image = draw(c.Face, c.PitchAndFamily);
        EXPECT_EQ(image, draw(c.DrawnAs, 0));
        EXPECT_NE(image, draw(c.NotAs, 0));
    }
}

// Free fonts of a face's name that fontconfig does not see are added the first time a picture
// asks for the face, and the text is drawn in them instead of in the family's replacement.
TEST(MetafilePlayer, FacesTheSystemLacksComeFromSpareFontsOfTheirName) {
    if (!QFile::exists("/usr/share/wine/fonts/tahoma.ttf"))
        GTEST_SKIP() << "no spare Tahoma (fonts-wine)";
    const auto draw = [](const std::string& face) {
        TEmfWriter emf;
        emf.AddBytes(EXTCREATEFONTINDIRECTW, FontRecord(face, 0x22));
        emf.Add(SELECTOBJECT, {1}).Add(SETBKMODE, {1}).Add(SETTEXTCOLOR, {0});
        emf.AddBytes(EXTTEXTOUTW, TextRecord());
        return Play(emf.Bytes());
    };
    const QImage tahoma = draw("Tahoma");
    EXPECT_EQ(QFontInfo(QFont("Tahoma")).family(), "Tahoma");
    EXPECT_NE(tahoma, draw("Arial"));
}

TEST(MetafilePlayer, TextAlignmentPutsTheTextOnTheRightSideOfItsPoint) {
    const std::vector<uint8_t> font = FontRecord(), text = TextRecord();
    struct TCase {
        const char* Name;
        int32_t Align;
        bool Left, Above; // where the ink is, seen from (50, 50)
        bool Both;        // ink on both sides horizontally
    };
    const TCase cases[] = {
        {"left top", 0, false, false, false},
        {"right bottom", 2 | 8, true, true, false},
        {"centre baseline", 6 | 24, false, true, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TEmfWriter emf;
        emf.AddBytes(EXTCREATEFONTINDIRECTW, font).Add(SELECTOBJECT, {1});
        emf.Add(SETBKMODE, {1}).Add(SETTEXTALIGN, {c.Align}).Add(SETTEXTCOLOR, {0});
        emf.AddBytes(EXTTEXTOUTW, text);
        const QImage image = Play(emf.Bytes());
        int left = 0, right = 0, above = 0, below = 0;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 100; ++x) {
                if (qGray(image.pixel(x, y)) > 128)
                    continue;
                (x < 50 ? left : right)++;
                (y < 50 ? above : below)++;
            }
        }
        EXPECT_GT(left + right, 100) << "text drawn";
        if (c.Both) {
            EXPECT_GT(left, 20);
            EXPECT_GT(right, 20);
        } else {
            EXPECT_EQ(c.Left ? right : left, 0);
        }
        EXPECT_EQ(c.Above ? below : above, 0);
    }
}

// Text hung from its top stands on a baseline the font's Windows ascent below: for a 30-unit
// em, 1950 / 2048 of it in Carlito (its typographic ascent is 1536), 2408 / 1000 in DejaVu Math
// TeX Gyre, which asks for its typographic ascent of 792 elsewhere. A positive height is the
// whole Windows cell: 1950 / (1950 + 550) of 30 units in Carlito.
TEST(MetafilePlayer, TextHangsFromTheTopOfTheFontsWindowsCell) {
    struct TCase {
        const char* Face;
        int32_t Height;
        int Baseline;
    };
    for (const TCase& c : {TCase{"Carlito", -30, 28}, TCase{"Carlito", 30, 23},
                           TCase{"DejaVu Math TeX Gyre", -30, 72}}) {
        SCOPED_TRACE(testing::Message() << c.Face << ' ' << c.Height);
        if (QFontInfo(QFont(c.Face)).family() != c.Face)
            continue;
        std::vector<uint8_t> text = TextRecord();
        std::fill_n(text.begin() + 32, 4, 0); // reference point at the top edge
        std::vector<uint8_t> font = FontRecord(c.Face);
        for (int i = 0; i < 4; ++i)
            font[size_t(4 + i)] = static_cast<uint8_t>(static_cast<uint32_t>(c.Height) >> (8 * i));
        TEmfWriter emf;
        emf.AddBytes(EXTCREATEFONTINDIRECTW, font).Add(SELECTOBJECT, {1});
        emf.Add(SETBKMODE, {1}).Add(SETTEXTCOLOR, {0});
        emf.AddBytes(EXTTEXTOUTW, text);
        const QImage image = Play(emf.Bytes());
        int lowest = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 128)
                    lowest = y;
        EXPECT_NEAR(lowest, c.Baseline, 1) << "the foot of the M on the baseline";
    }
}

// Compatible text turns with a world transform that turns the drawing, but is never mirrored.
TEST(MetafilePlayer, TextTurnsWithTheMappingInCompatibleModeAndWithTheWorldInAdvancedMode) {
    constexpr float Zero = 0, One = 1;
    struct TCase {
        const char* Name;
        int32_t Escapement;
        bool Advanced;
        bool FlipY; // a mapping whose y axis points up
        std::vector<float> World;
        char Side; // where the string runs from (50, 50): u, d, l, r
    };
    const TCase cases[] = {
        {"upright mapping, turned up", 900, false, false, {}, 'u'},
        {"y up: the same escapement turns down", 900, false, true, {}, 'd'},
        {"world turned a quarter", 0, true, false, {Zero, One, -One, Zero, 100, 0}, 'd'},
        {"world mirrored", 0, true, false, {-One, Zero, Zero, One, 100, 0}, 'l'},
        {"compatible, world turned", 0, false, false, {Zero, One, -One, Zero, 100, 0}, 'd'},
        {"compatible, world mirrored", 0, false, false, {-One, Zero, Zero, One, 100, 0}, 'r'},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<uint8_t> font = FontRecord(), text = TextRecord();
        for (int i = 0; i < 4; ++i)
            font[12 + size_t(i)] = static_cast<uint8_t>(uint32_t(c.Escapement) >> (8 * i));
        text[16] = c.Advanced ? 2 : 1;
        TEmfWriter emf;
        if (c.FlipY) {
            emf.Add(SETMAPMODE, {8}).Add(SETWINDOWEXTEX, {100, -100});
            emf.Add(SETVIEWPORTEXTEX, {100, 100}).Add(SETWINDOWORGEX, {0, 100});
        }
        if (!c.World.empty()) {
            std::vector<int32_t> bits;
            for (const float v : c.World)
                bits.push_back(FloatBits(v));
            emf.Add(SETWORLDTRANSFORM, {bits[0], bits[1], bits[2], bits[3], bits[4], bits[5]});
        }
        emf.AddBytes(EXTCREATEFONTINDIRECTW, font).Add(SELECTOBJECT, {1});
        emf.Add(SETBKMODE, {1}).Add(SETTEXTALIGN, {24}).Add(SETTEXTCOLOR, {0});
        emf.AddBytes(EXTTEXTOUTW, text);
        const QImage image = Play(emf.Bytes());
        std::map<char, int> ink;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 100; ++x) {
                if (qGray(image.pixel(x, y)) > 128)
                    continue;
                ink[y < 48 ? 'u' : y > 52 ? 'd' : '-']++;
                ink[x < 48 ? 'l' : x > 52 ? 'r' : '-']++;
            }
        }
        const std::map<char, char> opposite = {{'u', 'd'}, {'d', 'u'}, {'l', 'r'}, {'r', 'l'}};
        EXPECT_GT(ink[c.Side], 100);
        EXPECT_EQ(ink[opposite.at(c.Side)], 0);
    }
}

TEST(MetafilePlayer, GlyphNumbersAreDrawnOnlyInTheFontTheyBelongTo) {
    QFont liberation("Liberation Sans");
    if (QFontInfo(liberation).family() != "Liberation Sans")
        GTEST_SKIP() << "Liberation Sans not installed";
    const QRawFont raw = QRawFont::fromFont(liberation);
    const QList<quint32> glyphs = raw.glyphIndexesForString("MM");
    // Liberation Sans is its own; a face no one has and a spare font of a face's name stand
    // in for other fonts, whose glyph numbers mean nothing here.
    for (const char* face : {"Liberation Sans", "Xiberation Sans", "Tahoma"}) {
        SCOPED_TRACE(face);
        const bool ownFont = face == std::string("Liberation Sans");
        std::vector<uint8_t> font = FontRecord(face);
        std::vector<uint8_t> text = TextRecord();
        text[44] = 0x10; // options: glyph numbers
        for (size_t i = 0; i < 2; ++i) {
            text[68 + 2 * i] = static_cast<uint8_t>(glyphs[qsizetype(i)]);
            text[69 + 2 * i] = static_cast<uint8_t>(glyphs[qsizetype(i)] >> 8);
        }
        TEmfWriter emf;
        emf.AddBytes(EXTCREATEFONTINDIRECTW, font).Add(SELECTOBJECT, {1});
        emf.Add(SETBKMODE, {1}).Add(SETTEXTCOLOR, {BlueRef});
        emf.AddBytes(EXTTEXTOUTW, TextRecord()); // characters first: the face is looked for
        emf.Add(SETTEXTCOLOR, {RedRef});
        emf.AddBytes(EXTTEXTOUTW, text);
        const int ink = CountInk(Play(emf.Bytes()), Red);
        if (ownFont)
            EXPECT_GT(ink, 50);
        else
            EXPECT_EQ(ink, 0);
    }
}

namespace {

// Text at (10, 50): count characters (bytes or UTF-16 units) with an advance each.
std::vector<uint8_t> TextRecordOf(const std::vector<uint8_t>& characters, uint32_t count,
                                  const std::vector<int32_t>& advances) {
    std::vector<uint8_t> text;
    for (int i = 0; i < 4 + 3; ++i) // bounds, graphics mode, scales
        Put32(text, 0);
    const auto padded = uint32_t((characters.size() + 3) / 4 * 4);
    for (const uint32_t v : {10u, 50u, count, 76u, 0u, 0u, 0u, 0u, 0u, 76u + padded})
        Put32(text, v);
    text.insert(text.end(), characters.begin(), characters.end());
    text.resize(68 + padded, 0);
    for (const int32_t advance : advances)
        Put32(text, static_cast<uint32_t>(advance));
    return text;
}

} // namespace

// 8-bit text is read in its font's character set, the two bytes of a double-byte character
// sharing one advance: it draws as the same characters given in UTF-16 do.
TEST(MetafilePlayer, EightBitTextIsReadInTheFontsCharacterSet) {
    struct TCase {
        uint8_t Charset;
        std::vector<uint8_t> Bytes;
        std::vector<int32_t> ByteAdvances;
        std::u16string Expected;
        std::vector<int32_t> Advances;
    };
    const TCase cases[] = {
        {0, {0x80, 0x41, 0xE4}, {15, 15, 15}, u"\u20ACA\u00E4", {15, 15, 15}},        // western
        {204, {0xCF, 0xF0, 0xE8}, {15, 15, 15}, u"\u041F\u0440\u0438", {15, 15, 15}}, // Russian
        {161, {0xC1, 0xE2}, {20, 20}, u"\u0391\u03B2", {20, 20}},                     // Greek
        {238, {0x8A, 0xF8}, {20, 20}, u"\u0160\u0159", {20, 20}}, // Central Europe
        // Shift-JIS: a lead byte at the end is dropped, and not read with the next text's start.
        {128, {0x41, 0x93}, {10, 10}, u"A", {10}},
        // Shift-JIS: a double-byte character, a single-byte one, then another double-byte.
        {128, {0x93, 0xFA, 0x41, 0x96, 0x7B}, {12, 8, 15, 20, 5}, u"\u65E5A\u672C", {20, 15, 25}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(int(c.Charset));
        const auto draw = [&](uint32_t type, const std::vector<uint8_t>& characters, uint32_t count,
                              const std::vector<int32_t>& advances) {
            std::vector<uint8_t> font = FontRecord();
            font[4 + 23] = c.Charset;
            TEmfWriter emf;
            emf.AddBytes(EXTCREATEFONTINDIRECTW, font).Add(SELECTOBJECT, {1});
            emf.Add(SETBKMODE, {1}).Add(SETTEXTCOLOR, {BlueRef});
            emf.AddBytes(type, TextRecordOf(characters, count, advances));
            return Play(emf.Bytes());
        };
        std::vector<uint8_t> wide;
        for (const char16_t unit : c.Expected)
            Put16(wide, unit);
        const QImage expected = draw(EXTTEXTOUTW, wide, uint32_t(c.Expected.size()), c.Advances);
        EXPECT_GT(CountInk(expected, Blue), 50);
        EXPECT_EQ(draw(EXTTEXTOUTA, c.Bytes, uint32_t(c.Bytes.size()), c.ByteAdvances), expected);
    }
}

TEST(MetafilePlayer, WindowsMetafileObjectsTakeTheFirstFreeSlot) {
    constexpr uint16_t CreateBrush = 0x02FC, Select = 0x012D, Delete = 0x01F0, Rectangle = 0x041B,
                       CreatePen = 0x02FA;
    TWmfWriter wmf;
    // Slot 0: a null pen; slots 1 and 2: red and blue brushes.
    wmf.Add(CreatePen, {5, 0, 0, 0, 0}).Add(Select, {0});
    wmf.Add(CreateBrush, {0, RedRef, 0, 0})
        .Add(CreateBrush, {0, BlueRef & 0xFFFF, BlueRef >> 16, 0});
    wmf.Add(Delete, {1});
    wmf.Add(CreateBrush, {0, GreenRef, 0, 0}); // into slot 1
    wmf.Add(Select, {1}).Add(Rectangle, {50, 50, 0, 0});
    wmf.Add(Select, {2}).Add(Rectangle, {100, 100, 50, 50});
    const QImage image = Play(wmf.Bytes());
    EXPECT_EQ(image.pixel(25, 25), Green);
    EXPECT_EQ(image.pixel(75, 75), Blue);
}

TEST(MetafilePlayer, StretchedBitmapsOfEveryDepth) {
    // 2 × 2 pixels: red, green on top; blue, white below.
    const std::vector<uint32_t> colours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    struct TCase {
        int Bits;
        std::vector<uint32_t> Table;
        std::vector<uint32_t> Pixels;
        bool UpsideDown = false; // a negative destination height turns the picture over
    };
    const TCase cases[] = {
        {1, {0xFF0000, 0x0000FF}, {0, 1, 1, 0}},
        {4, colours, {0, 1, 2, 3}},
        {8, colours, {0, 1, 2, 3}},
        {24, {}, colours},
        {32, {}, colours},
        {32, {}, colours, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Bits << (c.UpsideDown ? " upside down" : ""));
        const std::vector<uint8_t> dib = PackedDib(c.Bits, 2, 2, c.Table, c.Pixels);
        const uint32_t infoSize = 40 + uint32_t(c.Table.size()) * 4;
        std::vector<uint8_t> record;
        for (int i = 0; i < 4; ++i)
            Put32(record, 0);
        // Destination (10, 10), source (0, 0) 2 × 2; bitmap after the 80-byte fixed part.
        for (const uint32_t v : {10u, c.UpsideDown ? 90u : 10u, 0u, 0u, 2u, 2u, 80u, infoSize,
                                 80u + infoSize, uint32_t(dib.size()) - infoSize, 0u, 0xCC0020u,
                                 80u, c.UpsideDown ? uint32_t(-80) : 80u})
            Put32(record, v);
        record.insert(record.end(), dib.begin(), dib.end());
        TEmfWriter emf;
        emf.AddBytes(STRETCHDIBITS, record);
        const QImage image = Play(emf.Bytes());
        if (c.UpsideDown) {
            EXPECT_EQ(image.pixel(30, 30), Blue);
            EXPECT_EQ(image.pixel(70, 30), White);
            EXPECT_EQ(image.pixel(30, 70), Red);
            EXPECT_EQ(image.pixel(70, 70), Green);
        } else if (c.Bits == 1) {
            EXPECT_EQ(image.pixel(30, 30), Red);
            EXPECT_EQ(image.pixel(70, 30), Blue);
            EXPECT_EQ(image.pixel(30, 70), Blue);
        } else {
            EXPECT_EQ(image.pixel(30, 30), Red);
            EXPECT_EQ(image.pixel(70, 30), Green);
            EXPECT_EQ(image.pixel(30, 70), Blue);
            EXPECT_EQ(image.pixel(70, 70), White);
        }
        EXPECT_EQ(image.pixel(5, 5), White);
    }
}

TEST(MetafilePlayer, BrushThroughMaskPaintsWhereTheSourceIsWhite) {
    // 2 × 1 pixels, black then white, stretched with the raster operation that keeps the
    // destination under black and paints the brush under white.
    const std::vector<uint8_t> dib = PackedDib(1, 2, 1, {0x000000, 0xFFFFFF}, {0, 1});
    std::vector<uint8_t> record;
    for (int i = 0; i < 4; ++i)
        Put32(record, 0);
    for (const uint32_t v : {10u, 10u, 0u, 0u, 2u, 1u, 80u, 48u, 128u, uint32_t(dib.size()) - 48u,
                             0u, 0xE20746u, 80u, 80u})
        Put32(record, v);
    record.insert(record.end(), dib.begin(), dib.end());
    TEmfWriter emf = FillingWith(RedRef);
    emf.AddBytes(STRETCHDIBITS, record);
    const QImage image = Play(emf.Bytes());
    EXPECT_EQ(image.pixel(30, 50), White);
    EXPECT_EQ(image.pixel(70, 50), Red);
}

TEST(MetafilePlayer, AlphaBlendTakesEachPixelsAlphaFromTheBitmap) {
    // 2 × 1 pixels, both red, with the alpha bytes given; the usual masks or none.
    struct TCase {
        bool BitFields;
        uint8_t Left, Right;
        QRgb LeftDrawn;
    };
    const TCase cases[] = {
        {false, 0, 255, White},
        {true, 0, 255, White},
        {false, 0, 0, Red}, // no alpha at all: drawn as it is
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.BitFields << " " << int(c.Left));
        std::vector<uint8_t> dib = PackedDib(32, 2, 1, {}, {0xFF0000, 0xFF0000});
        dib[43] = c.Left;
        dib[47] = c.Right;
        if (c.BitFields) {
            dib[16] = 3;
            const std::vector<uint8_t> masks = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
            dib.insert(dib.begin() + 40, masks.begin(), masks.end());
        }
        const uint32_t infoSize = c.BitFields ? 52 : 40;
        std::vector<uint8_t> record;
        for (int i = 0; i < 4; ++i)
            Put32(record, 0);
        // Destination (10, 10) 80 × 80, constant alpha 255 with the source's alpha, source
        // (0, 0), identity transform; the bitmap after the 108-byte fixed part.
        for (const uint32_t v : {10u,
                                 10u,
                                 80u,
                                 80u,
                                 0x01FF0000u,
                                 0u,
                                 0u,
                                 0x3F800000u,
                                 0u,
                                 0u,
                                 0x3F800000u,
                                 0u,
                                 0u,
                                 0u,
                                 0u,
                                 108u,
                                 infoSize,
                                 108u + infoSize,
                                 uint32_t(dib.size()) - infoSize,
                                 2u,
                                 1u})
            Put32(record, v);
        record.insert(record.end(), dib.begin(), dib.end());
        TEmfWriter emf;
        emf.AddBytes(114, record); // AlphaBlend
        const QImage image = Play(emf.Bytes());
        EXPECT_EQ(image.pixel(30, 50), c.LeftDrawn);
        EXPECT_EQ(image.pixel(70, 50), Red);
    }
}

// A record whose size fits the file but whose content claims more is left out; a size that
// does not fit leaves no way to the next record and ends the playback.
TEST(MetafilePlayer, ADamagedRecordIsSkippedAndABrokenSizeEndsThePlayback) {
    struct TCase {
        const char* Name;
        std::function<void(TEmfWriter&)> Damage;
        bool GoesOn;
    };
    const TCase cases[] = {
        {"polyline claiming more points than it holds",
         [](TEmfWriter& e) {
             e.Add(POLYLINE, {0, 0, 0, 0, 100000, 1, 1, 2, 2});
         },
         true},
        {"text record shorter than its fixed fields",
         [](TEmfWriter& e) { e.Add(EXTTEXTOUTW, {13}); }, true},
        {"record size past the end",
         [](TEmfWriter& e) {
             Put32(e.Body, RECTANGLE);
             Put32(e.Body, 0x7FFFFFF0);
         },
         false},
        {"record size below its own header",
         [](TEmfWriter& e) {
             Put32(e.Body, RECTANGLE);
             Put32(e.Body, 4);
         },
         false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TEmfWriter emf = FillingWith(RedRef);
        emf.Add(RECTANGLE, {0, 0, 50, 50});
        c.Damage(emf);
        emf.Add(RECTANGLE, {50, 50, 100, 100});
        const QImage image = Play(emf.Bytes());
        EXPECT_EQ(image.pixel(25, 25), Red);
        EXPECT_EQ(image.pixel(75, 75), c.GoesOn ? Red : White);
    }
}

TEST(MetafilePlayer, ObjectsOutsideTheTableAreIgnored) {
    TEmfWriter emf = FillingWith(RedRef);
    emf.Handles = 4;
    emf.Add(CREATEBRUSHINDIRECT, {9, 0, BlueRef, 0}).Add(SELECTOBJECT, {9});
    emf.Add(DELETEOBJECT, {70000}).Add(SELECTOBJECT, {0x7FFFFFFF});
    emf.Add(RECTANGLE, {10, 10, 30, 30});
    EXPECT_EQ(Play(emf.Bytes()).pixel(20, 20), Red);
}

TEST(MetafilePlayer, GradientRectanglesShadeAcrossOrDown) {
    constexpr uint32_t GRADIENTFILL = 118;
    for (const int32_t mode : {0, 1}) {
        SCOPED_TRACE(mode);
        std::vector<uint8_t> record;
        for (const uint32_t v : {0u, 0u, 0u, 0u, 2u, 1u, uint32_t(mode)})
            Put32(record, v);
        // Red at (10, 10), blue at (90, 90); one rectangle between them.
        for (const uint32_t v : {10u, 10u})
            Put32(record, v);
        for (const uint32_t v : {0xFF00u, 0u, 0u, 0u})
            Put16(record, v);
        for (const uint32_t v : {90u, 90u})
            Put32(record, v);
        for (const uint32_t v : {0u, 0u, 0xFF00u, 0u})
            Put16(record, v);
        Put32(record, 0);
        Put32(record, 1);
        TEmfWriter emf;
        emf.AddBytes(GRADIENTFILL, record);
        const QImage image = Play(emf.Bytes());
        const QRgb start = image.pixel(12, 12), end = image.pixel(88, 88);
        const QRgb across = image.pixel(88, 12), down = image.pixel(12, 88);
        EXPECT_GT(qRed(start), 200);
        EXPECT_GT(qBlue(end), 200);
        // Along the gradient the colour changes; across it, it stays.
        EXPECT_EQ(mode == 0 ? down : across, start);
        EXPECT_GT(qBlue(mode == 0 ? across : down), 200);
        EXPECT_EQ(image.pixel(5, 5), White);
    }
}

TEST(MetafilePlayer, RasterOperationsReachPdfThroughAnImage) {
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
        GTEST_SKIP() << "pdftoppm not installed";
    // Red everywhere, then white XORed into the middle: cyan there on any device.
    constexpr uint32_t BITBLT = 76;
    const std::vector<uint8_t> dib =
        PackedDib(24, 50, 50, {}, std::vector<uint32_t>(2500, 0xFFFFFF));
    std::vector<uint8_t> record;
    for (const uint32_t v : {0u, 0u, 0u, 0u, 25u, 25u, 50u, 50u, 0x660046u, 0u, 0u})
        Put32(record, v);
    for (const uint32_t v : {0x3F800000u, 0u, 0u, 0x3F800000u, 0u, 0u, 0u, 0u})
        Put32(record, v); // source transform, background colour, colour usage
    for (const uint32_t v : {100u, 40u, 140u, uint32_t(dib.size()) - 40})
        Put32(record, v); // the bitmap follows the fixed part
    record.insert(record.end(), dib.begin(), dib.end());
    TEmfWriter emf = FillingWith(RedRef);
    emf.Add(RECTANGLE, {0, 0, 99, 99});
    emf.AddBytes(BITBLT, record);
    const auto metafile = Load(emf.Bytes());
    EXPECT_EQ(Play(emf.Bytes()).pixel(50, 50), 0xFF00FFFF) << "on a raster device";

    TempDir dir;
    {
        QPdfWriter pdf(QString::fromStdString(dir.File("bild.pdf")));
        pdf.setResolution(72);
        pdf.setPageSize(QPageSize(QSizeF(100, 100), QPageSize::Point));
        pdf.setPageMargins(QMarginsF());
        QPainter painter(&pdf);
        TCanvas canvas(painter);
        canvas.DrawStretched({0, 0, 100, 100}, metafile.get());
    }
    QProcess pdftoppm;
    pdftoppm.start("pdftoppm",
                   {"-r", "72", "-png", "-singlefile", QString::fromStdString(dir.File("bild.pdf")),
                    QString::fromStdString(dir.File("bild"))});
    ASSERT_TRUE(pdftoppm.waitForFinished(60000));
    const QImage page(QString::fromStdString(dir.File("bild.png")));
    ASSERT_FALSE(page.isNull());
    const QRgb middle = page.pixel(50, 50), corner = page.pixel(10, 10);
    EXPECT_LT(qRed(middle), 40);
    EXPECT_GT(qGreen(middle), 215);
    EXPECT_GT(qBlue(middle), 215);
    EXPECT_GT(qRed(corner), 215);
    EXPECT_LT(qGreen(corner), 40);
}

TEST(MetafilePlayer, WindowsMetafileWhatIsDrawnCoversTheRectangle) {
    constexpr uint16_t CreateBrush = 0x02FC, CreatePen = 0x02FA, Select = 0x012D,
                       Rectangle = 0x041B, SetPixel = 0x041F, CreateRegion = 0x06FF;
    TWmfWriter wmf;
    // A region too short to read still takes slot 0; pen and brush go to 1 and 2.
    wmf.Add(CreateRegion, {1, 2, 3, 4});
    wmf.Add(CreatePen, {5, 0, 0, 0, 0}).Add(Select, {1});
    wmf.Add(CreateBrush, {0, RedRef, 0, 0}).Add(Select, {2});
    // Only the middle of the 100 × 100 box is drawn, a pixel within it too.
    wmf.Add(Rectangle, {75, 75, 25, 25});
    wmf.Add(SetPixel, {0, 0, 50, 50});
    const QImage image = Play(wmf.Bytes());
    EXPECT_EQ(image.pixel(2, 2), Red);
    EXPECT_EQ(image.pixel(96, 96), Red);
}

// The metafile recorded into a picture of the toolkit, whose drawing is not cut to an image,
// then replayed over a white image.
QImage PlayThroughPicture(const std::vector<uint8_t>& bytes) {
    const auto metafile = Load(bytes);
    QPicture recorded;
    {
        QPainter painter(&recorded);
        TCanvas canvas(painter);
        canvas.DrawStretched({0, 0, 100, 100}, metafile.get());
    }
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawPicture(0, 0, recorded);
    return image;
}

TEST(MetafilePlayer, TextOfExtremeProportionsIsDrawnAsOutlines) {
    // Heights and average widths that make huge or much distorted glyphs on the device.
    // Cell heights and escapements at the ends of their range must not overflow on the way;
    // what they draw falls outside the picture. Glyphs that fall wholly outside the image
    // are left out, which must not change a pixel, however the text is turned.
    struct TCase {
        int32_t Height, Width, Escapement = 0;
        int Ink = 20;
        bool Outlines = true;
    };
    for (const TCase c :
         {TCase{-10, 40}, TCase{-30, 3}, TCase{-400, 0}, TCase{-30, 0, 0, 20, false},
          TCase{-400, 0, 900}, TCase{-400, 0, 1800}, TCase{-300, 10, 450}, TCase{16777278, 0, 0, 0},
          TCase{-30, 0, INT32_MIN, 0, false}}) {
        SCOPED_TRACE(std::to_string(c.Height) + " " + std::to_string(c.Width) + " " +
                     std::to_string(c.Escapement));
        std::vector<uint8_t> font = FontRecord();
        for (int i = 0; i < 4; ++i) {
            font[4 + size_t(i)] = static_cast<uint8_t>(uint32_t(c.Height) >> (8 * i));
            font[8 + size_t(i)] = static_cast<uint8_t>(uint32_t(c.Width) >> (8 * i));
            font[12 + size_t(i)] = static_cast<uint8_t>(uint32_t(c.Escapement) >> (8 * i));
        }
        TEmfWriter emf;
        emf.AddBytes(EXTCREATEFONTINDIRECTW, font).Add(SELECTOBJECT, {1});
        emf.Add(SETBKMODE, {1}).Add(SETTEXTALIGN, {6 | 24}).Add(SETTEXTCOLOR, {BlueRef});
        emf.AddBytes(EXTTEXTOUTW, TextRecord());
        const QImage image = Play(emf.Bytes());
        EXPECT_GE(CountInk(image, Blue), c.Ink);
        // Text drawn as text goes through the toolkit's picture as text, which it may place
        // a pixel apart: only outlines are compared.
        if (c.Outlines) {
            EXPECT_EQ(image, PlayThroughPicture(emf.Bytes()));
        }
    }
}

// Underline and strike-out each draw one bar under the whole text, wherever the text is
// placed and however it is scaled: bars are the only rows inked from end to end of "MM".
TEST(MetafilePlayer, UnderlineAndStrikeOutRunTheLengthOfTheText) {
    struct TCase {
        uint8_t Underline, StrikeOut;
        int Size, Bars;
    };
    for (const TCase c : {TCase{0, 0, 100, 0}, TCase{1, 0, 100, 1}, TCase{0, 1, 300, 1},
                          TCase{1, 1, 300, 2}, TCase{1, 0, 700, 1}}) {
        SCOPED_TRACE(testing::Message() << int(c.Underline) << int(c.StrikeOut) << ' ' << c.Size);
        std::vector<uint8_t> font = FontRecord();
        font[25] = c.Underline;
        font[26] = c.StrikeOut;
        TEmfWriter emf;
        emf.AddBytes(EXTCREATEFONTINDIRECTW, font).Add(SELECTOBJECT, {1});
        emf.Add(SETBKMODE, {1}).Add(SETTEXTCOLOR, {0});
        emf.AddBytes(EXTTEXTOUTW, TextRecord());
        const QImage image = Play(emf.Bytes(), c.Size, c.Size);
        int left = image.width(), right = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        ASSERT_GT(right, left) << "text drawn";
        int bars = 0;
        bool inBar = false;
        for (int y = 0; y < image.height(); ++y) {
            bool full = true;
            for (int x = left; x <= right && full; ++x)
                full = qGray(image.pixel(x, y)) < 128;
            bars += full && !inBar;
            inBar = full;
        }
        EXPECT_EQ(bars, c.Bars);
    }
}

// A control that the font lacks is drawn with the font's missing glyph, a box, as the toolkit
// draws it; the null is left out. Rows: the character between "A" and "B", and whether a box
// is drawn for it.
TEST(MetafilePlayer, ControlsAFontLacksDrawItsMissingGlyph) {
    const auto ink = [](std::u16string text) {
        std::vector<uint8_t> record = TextRecord(); // "MM", replaced
        record.resize(record.size() - 4);
        record[28] = 5; // at x = 5, so that three letters fit
        record[36] = static_cast<uint8_t>(text.size());
        for (const char16_t c : text)
            Put16(record, c);
        TEmfWriter emf;
        emf.AddBytes(EXTCREATEFONTINDIRECTW, FontRecord()).Add(SELECTOBJECT, {1});
        emf.Add(SETBKMODE, {1}).Add(SETTEXTCOLOR, {0});
        emf.AddBytes(EXTTEXTOUTW, record);
        return CountInk(Play(emf.Bytes(), 300, 300), qRgb(0, 0, 0));
    };
    const int plain = ink(u"AB");
    ASSERT_GT(plain, 0);
    for (const auto& [c, box] : {std::pair(u'\x01', true), std::pair(u'\x1F', true),
                                 std::pair(u'\x7F', true), std::pair(u'\0', false)}) {
        SCOPED_TRACE(int(c));
        const int added = ink(std::u16string(u"A") + c + u"B") - plain;
        // A box's outline adds some 600 pixels here; text the toolkit draws by itself may
        // come out a few hundred pixels lighter than a run of glyphs.
        if (box)
            EXPECT_GT(added, 300);
        else
            EXPECT_LT(added, 100);
    }
}

TEST(MetafileReader, APictureControlLeavesTheMetafilesTransparencyAlone) {
    TEmfWriter emf;
    const auto metafile = Load(emf.Bytes());
    TImage control;
    control.SetTransparent(false);
    control.Picture().CopyFrom(metafile.get());
    EXPECT_TRUE(control.Picture().Content()->Transparent());
}

TEST(MetafilePlayer, PenWidthsAndDashesOnTheDevice) {
    constexpr int32_t PS_DASH = 1;
    struct TCase {
        const char* Name;
        int32_t WindowX, WindowY; // logical units across the 100-pixel device
        int32_t Style, Width;
        bool Dashed;   // gaps along the horizontal line
        int Thickness; // pixels across the horizontal line
    };
    const TCase cases[] = {
        {"a one-pixel dashed pen keeps its dashes", 100, 100, PS_DASH, 1, true, 1},
        {"a wider dashed pen draws solid", 100, 100, PS_DASH, 3, false, 3},
        {"three units that come out one pixel keep the dashes", 300, 300, PS_DASH, 3, true, 1},
        {"a solid pen is a whole number of pixels", 100, 100, 0, 5, false, 5},
        {"the width counts along x, and is as wide across", 100, 400, 0, 8, false, 8},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TEmfWriter emf;
        emf.Add(SETMAPMODE, {8}).Add(SETWINDOWEXTEX, {c.WindowX, c.WindowY});
        emf.Add(SETVIEWPORTEXTEX, {100, 100});
        emf.Add(CREATEPEN, {1, c.Style, c.Width, 0, RedRef}).Add(SELECTOBJECT, {1});
        const int32_t kx = c.WindowX / 100, ky = c.WindowY / 100;
        emf.Add(POLYLINE, {0, 0, 0, 0, 2, 10 * kx, 50 * ky, 90 * kx, 50 * ky});
        const QImage image = Play(emf.Bytes());
        int along = 0, across = 0;
        for (int x = 12; x < 88; ++x) {
            along += image.pixel(x, 50) == Red;
            int column = 0;
            for (int y = 40; y < 60; ++y)
                column += image.pixel(x, y) == Red;
            across = std::max(across, column);
        }
        EXPECT_EQ(along < 76, c.Dashed) << along;
        EXPECT_EQ(across, c.Thickness);
    }
}

TEST(MetafilePlayer, WindowsMetafileViewportOffsetsAndPatternBrushes) {
    constexpr uint16_t CreateBrush = 0x02FC, CreatePen = 0x02FA, Select = 0x012D,
                       Rectangle = 0x041B, SetViewportExt = 0x020E, OffsetViewportOrg = 0x0211,
                       DibPatternBrush = 0x0142;
    TWmfWriter wmf;
    wmf.Add(CreatePen, {5, 0, 0, 0, 0}).Add(Select, {0});
    wmf.Add(CreateBrush, {0, RedRef, 0, 0}).Add(Select, {1});
    // One logical unit to one device pixel; then the viewport moves 50 pixels each way.
    wmf.Add(SetViewportExt, {100, 100}).Add(Rectangle, {50, 50, 0, 0});
    wmf.Add(OffsetViewportOrg, {50, 50});
    // A pattern brush whose bitmap comes as a device-independent one: blue and black rows.
    std::vector<uint8_t> pattern;
    Put16(pattern, 3); // BS_PATTERN
    Put16(pattern, 0);
    for (const uint32_t v : {40u, 8u, 8u})
        Put32(pattern, v);
    Put16(pattern, 1);
    Put16(pattern, 1);
    for (const uint32_t v : {0u, 32u, 0u, 0u, 0u, 0u, 0u, uint32_t(BlueRef >> 16)})
        Put32(pattern, v);
    for (int row = 0; row < 8; ++row)
        Put32(pattern, row % 2 ? 0xFF : 0);
    wmf.AddBytes(DibPatternBrush, pattern).Add(Select, {2});
    wmf.Add(Rectangle, {50, 50, 0, 0});
    const QImage image = Play(wmf.Bytes());
    EXPECT_EQ(image.pixel(25, 25), Red);
    EXPECT_EQ(image.pixel(75, 25), White);
    int blue = 0, black = 0;
    for (int y = 60; y < 68; ++y) {
        blue += image.pixel(75, y) == Blue;
        black += image.pixel(75, y) == 0xFF000000;
    }
    EXPECT_EQ(blue, 4);
    EXPECT_EQ(black, 4);
}
