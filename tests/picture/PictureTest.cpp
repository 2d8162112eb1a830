// The picture holder: choosing the kind by extension, the format registry, what a failed
// or successful load leaves behind, and copying with shared image data.
#include <gtest/gtest.h>

#include <QImage>
#include <sys/stat.h>

#include "TestSupport.h"
#include "picture/Bitmap.h"
#include "picture/Picture.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

namespace {

// A kind that keeps the file's bytes, so loading can be checked without any real format.
// Bytes starting with "FAIL" are refused; an Assign can be made to fail.
class TFakeGraphic : public TGraphic {
public:
    static const TGraphicClass Class;
    static inline bool FailAssign = false;

    const TGraphicClass& ClassType() const override { return Class; }
    void Render(TCanvas&, const TRect&) override {}
    bool IsEmpty() const override { return !Data; }
    int PixelWidth() const override { return Data ? static_cast<int>(Data->size()) : 0; }
    int PixelHeight() const override { return Data ? 1 : 0; }
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void ReadFrom(TStream& stream) override {
        Progress(TProgressStage::psStarting, 0);
        std::vector<uint8_t> bytes(static_cast<size_t>(stream.Remaining()));
        stream.ReadBuffer(bytes.data(), bytes.size());
        if (std::string(bytes.begin(), bytes.end()).starts_with("FAIL"))
            throw EInvalidGraphic("Fake ist ungültig");
        Data = std::make_shared<std::vector<uint8_t>>(std::move(bytes));
        Progress(TProgressStage::psEnding, 100);
        NotifyChange();
    }
    void Assign(const TGraphic& source) override {
        if (FailAssign)
            throw EOutOfResources(Msg::OutOfResources);
        Data = dynamic_cast<const TFakeGraphic&>(source).Data;
        NotifyChange();
    }

    std::shared_ptr<std::vector<uint8_t>> Data;
};

const TGraphicClass TFakeGraphic::Class = {"TFakeGraphic", [] {
                                               return std::unique_ptr<TGraphic>(new TFakeGraphic);
                                           }};

// Registers the fake kind for a test and removes it again, so the process-wide registry
// is the same for every test.
class RegisteredFake {
public:
    explicit RegisteredFake(std::string_view extension) {
        TFileFormatsList::Instance().AddFormat(extension, "Fake", TFakeGraphic::Class);
    }
    ~RegisteredFake() {
        TFileFormatsList::Instance().RemoveFormats(TFakeGraphic::Class);
        TFakeGraphic::FailAssign = false;
    }
};

QImage ThreeByTwo() {
    QImage image(3, 2, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(255, 0, 0),  qRgb(0, 255, 0),   qRgb(0, 0, 255),
                            qRgb(10, 20, 30), qRgb(255, 255, 0), qRgb(255, 255, 255)};
    for (int i = 0; i < 6; ++i)
        image.setPixel(i % 3, i / 3, colours[i]);
    return image;
}

std::unique_ptr<TBitmap> MakeBitmap(int width, int height) {
    auto data = std::make_shared<TBitmapImage>();
    data->Image = QImage(width, height, QImage::Format_BGR888);
    data->Image.fill(Qt::red);
    data->BitCount = 24;
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetImage(std::move(data));
    return bitmap;
}

// Runs the action and returns the message of the exception of type E it raises.
template <class E, class Action> std::string MessageOf(Action&& action) {
    try {
        action();
    } catch (const E& error) {
        return error.what();
    } catch (const std::exception& other) {
        return std::string("wrong exception: ") + other.what();
    }
    return "no exception";
}

struct PictureWithCounter {
    TPicture Picture;
    int Changes = 0;
    PictureWithCounter() {
        Picture.OnChange = [this](TPicture&) {
            ++Changes;
        };
    }
};

} // namespace

TEST(LoadByExtension, UnknownExtensionIsReportedAsWritten) {
    const struct {
        const char* Path;
        const char* Message;
    } cases[] = {
        {"bild.gif", "Unbekannte Bilddateierweiterung (.gif)"},
        {"BILD.GIF", "Unbekannte Bilddateierweiterung (.GIF)"},
        {"", "Unbekannte Bilddateierweiterung (.)"},
        {"bild.", "Unbekannte Bilddateierweiterung (.)"},
        {"ohne-punkt", "Unbekannte Bilddateierweiterung (.)"},
        {"C:\\Daten.alt\\cover", "Unbekannte Bilddateierweiterung (.)"},
        {"/home/a.b/cover", "Unbekannte Bilddateierweiterung (.)"},
        {"C:bild", "Unbekannte Bilddateierweiterung (.)"},
        {"a.bmp:zweiter", "Unbekannte Bilddateierweiterung (.)"},
        {"/tmp/archiv.tar.GZ", "Unbekannte Bilddateierweiterung (.GZ)"},
    };
    for (const auto& c : cases) {
        TPicture picture;
        EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { picture.LoadByExtension(c.Path); }), c.Message)
            << "path " << c.Path;
        EXPECT_EQ(picture.Content(), nullptr);
    }
}

TEST(LoadByExtension, ExtensionIsTextAfterLastDotWithoutSeparatorAfterIt) {
    EXPECT_EQ(ExtractExtension("a/b.c.bmp"), "bmp");
    EXPECT_EQ(ExtractExtension("/home/a.b/cover"), "");
    EXPECT_EQ(ExtractExtension("C:\\Daten.alt\\cover"), "");
    EXPECT_EQ(ExtractExtension(".bmp"), "bmp");
    EXPECT_EQ(ExtractExtension("cover.JPEG"), "JPEG");
}

TEST(FileFormats, FindKindIgnoresCaseAndPrefersNewestEntry) {
    auto& formats = TFileFormatsList::Instance();
    EXPECT_EQ(formats.FindKind("bmp"), &TBitmap::Class);
    EXPECT_EQ(formats.FindKind("BMP"), &TBitmap::Class);
    EXPECT_EQ(formats.FindKind("gif"), nullptr);
    EXPECT_EQ(formats.FindKind(""), nullptr);
    {
        RegisteredFake fake("BmP");
        EXPECT_EQ(formats.Entries().back().Extension, "bmp");
        EXPECT_EQ(formats.Entries().back().Description, "Fake");
        EXPECT_EQ(formats.FindKind("bmp"), &TFakeGraphic::Class);
        EXPECT_EQ(formats.FindKind("Bmp"), &TFakeGraphic::Class);
    }
    EXPECT_EQ(formats.FindKind("bmp"), &TBitmap::Class);
}

TEST(FileFormats, AddFormatLowerCasesLatin1Letters) {
    RegisteredFake fake("BÄÖÜÉ");
    auto& formats = TFileFormatsList::Instance();
    EXPECT_EQ(formats.Entries().back().Extension, "bäöüé");
    EXPECT_EQ(formats.FindKind("BäÖüÉ"), &TFakeGraphic::Class);
    EXPECT_EQ(LowerCaseExtension("×Þ"), "×þ");
    // A byte that is not the start of a UTF-8 sequence must not hide the letter after it.
    EXPECT_EQ(LowerCaseExtension("\xC3"
                                 "AB"),
              "\xC3"
              "ab");
}

TEST(FileFormats, RemoveFormatsDropsEveryEntryOfTheKind) {
    auto& formats = TFileFormatsList::Instance();
    const size_t before = formats.Entries().size();
    {
        RegisteredFake one("fa");
        TFileFormatsList::Instance().AddFormat("fb", "Fake", TFakeGraphic::Class);
        EXPECT_EQ(formats.Entries().size(), before + 2);
    }
    EXPECT_EQ(formats.Entries().size(), before);
    EXPECT_EQ(formats.FindKind("fa"), nullptr);
    EXPECT_EQ(formats.FindKind("fb"), nullptr);
    EXPECT_EQ(formats.FindKind("bmp"), &TBitmap::Class);
}

TEST(LoadByExtension, FileThatCannotBeOpenedRaisesFOpenError) {
    TempDir dir;
    const std::string missing = dir.File("fehlt.bmp");
    const std::string folder = dir.File("ordner.bmp");
    const std::string pipe = dir.File("rohr.bmp");
    fs::create_directory(folder);
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {missing, folder, pipe}) {
        PictureWithCounter p;
        EXPECT_EQ(MessageOf<EFOpenError>([&] { p.Picture.LoadByExtension(path); }),
                  "Datei " + path + " kann nicht geöffnet werden");
        EXPECT_EQ(p.Picture.Content(), nullptr);
        EXPECT_EQ(p.Changes, 0);
    }
}

TEST(LoadByExtension, FailedLoadKeepsContentAndDoesNotNotify) {
    RegisteredFake fake("fake");
    TempDir dir;
    WriteFileBytes(dir.File("gut.fake"), {'o', 'k'});
    WriteFileBytes(dir.File("schlecht.fake"), {'F', 'A', 'I', 'L'});
    WriteFileBytes(dir.File("schlecht.bmp"), {'X', 'Y', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    PictureWithCounter p;
    p.Picture.LoadByExtension(dir.File("gut.fake"));
    TGraphic* before = p.Picture.Content();
    ASSERT_NE(before, nullptr);
    ASSERT_EQ(p.Changes, 1);

    EXPECT_EQ(
        MessageOf<EInvalidGraphic>([&] { p.Picture.LoadByExtension(dir.File("schlecht.fake")); }),
        "Fake ist ungültig");
    EXPECT_EQ(
        MessageOf<EInvalidGraphic>([&] { p.Picture.LoadByExtension(dir.File("schlecht.bmp")); }),
        "Bitmap ist ungültig");
    EXPECT_EQ(MessageOf<EFOpenError>([&] { p.Picture.LoadByExtension(dir.File("fehlt.fake")); }),
              "Datei " + dir.File("fehlt.fake") + " kann nicht geöffnet werden");
    EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { p.Picture.LoadByExtension("bild.gif"); }),
              "Unbekannte Bilddateierweiterung (.gif)");
    EXPECT_EQ(p.Picture.Content(), before);
    EXPECT_EQ(p.Picture.Width(), 2);
    EXPECT_EQ(p.Changes, 1);
}

TEST(LoadByExtension, SuccessfulLoadReplacesContentAndRoutesNotifications) {
    RegisteredFake fake("fake");
    TempDir dir;
    WriteFileBytes(dir.File("eins.fake"), {'1'});
    WriteFileBytes(dir.File("drei.FAKE"), {'3', '3', '3'});
    PictureWithCounter p;
    std::vector<TProgressStage> stages;
    p.Picture.OnProgress = [&](TGraphic&, TProgressStage stage, int) {
        stages.push_back(stage);
    };

    p.Picture.LoadByExtension(dir.File("eins.fake"));
    EXPECT_EQ(p.Picture.Width(), 1);
    p.Picture.LoadByExtension(dir.File("drei.FAKE"));
    ASSERT_NE(p.Picture.Content(), nullptr);
    EXPECT_EQ(&p.Picture.Content()->ClassType(), &TFakeGraphic::Class);
    EXPECT_EQ(p.Picture.Width(), 3);
    EXPECT_EQ(p.Picture.Height(), 1);
    EXPECT_EQ(p.Changes, 2);
    EXPECT_EQ(stages.size(), 4u);

    // Once installed, the graphic's own changes and progress reach the picture.
    p.Picture.Content()->NotifyChange();
    EXPECT_EQ(p.Changes, 3);
    EXPECT_TRUE(p.Picture.Content()->Modified);
    auto& graphic = static_cast<TFakeGraphic&>(*p.Picture.Content());
    graphic.OnProgress(graphic, TProgressStage::psRunning, 50);
    EXPECT_EQ(stages.back(), TProgressStage::psRunning);
}

// The error display shows the file beside a message that does not name it.
TEST(LoadByExtension, AFailureCarriesTheFileWhereItsMessageDoesNotNameIt) {
    TempDir dir;
    const std::string broken = dir.File("kaputt.bmp"), unknown = dir.File("bild.gif"),
                      missing = dir.File("fehlt.bmp");
    WriteFileText(broken, "XX kein Bitmap");
    const struct {
        std::string Path;
        std::string FileName;
    } cases[] = {{broken, broken}, {unknown, unknown}, {missing, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Path);
        TPicture picture;
        try {
            picture.LoadByExtension(c.Path);
            ADD_FAILURE() << "loaded";
        } catch (const Exception& error) {
            EXPECT_EQ(error.FileName(), c.FileName) << error.Message();
        }
    }
}

TEST(LoadByExtension, ZeroLengthBitmapIsRefusedAndKeepsThePicture) {
    TempDir dir;
    WriteFileBytes(dir.File("leer.bmp"), {});
    PictureWithCounter p;
    p.Picture.CopyFrom(MakeBitmap(5, 4).get());
    const TGraphic* before = p.Picture.Content();
    EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { p.Picture.LoadByExtension(dir.File("leer.bmp")); }),
              "Bitmap ist ungültig");
    EXPECT_EQ(p.Picture.Content(), before);
    EXPECT_EQ(p.Picture.Width(), 5);
    EXPECT_EQ(p.Changes, 1);
}

TEST(LoadByExtension, BitmapFileLoadsItsPixelsTopRowFirst) {
    TempDir dir;
    const QImage expected = ThreeByTwo();
    WriteFileBytes(dir.File("klein.BMP"), Bmp24(expected));
    TPicture picture;
    picture.LoadByExtension(dir.File("klein.BMP"));
    auto* bitmap = dynamic_cast<TBitmap*>(picture.Content());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(picture.Height(), 2);
    EXPECT_EQ(bitmap->BitCount(), 24);
    EXPECT_EQ(CompareImages(bitmap->Image(), expected), "");
    // Nothing of the picture depends on the file once it is loaded.
    fs::remove(dir.File("klein.BMP"));
    EXPECT_EQ(CompareImages(bitmap->Image(), expected), "");
}

TEST(LoadByExtension, BitmapFromCorpusLoads) {
    SKIP_WITHOUT_CORPUS("bmp/apache-poi");
    // Any name ending in .bmp chooses the bitmap kind; this file is an ordinary 24-bit BMP.
    TempDir dir;
    const std::string path = dir.File("clock.bmp");
    fs::create_symlink(CorpusDir() / "bmp/apache-poi/clock.dib", path);
    TPicture picture;
    picture.LoadByExtension(path);
    EXPECT_EQ(picture.Width(), 192);
    EXPECT_EQ(picture.Height(), 176);
}

TEST(CopyFrom, SharesImageDataWithTheSource) {
    TPicture source;
    source.CopyFrom(MakeBitmap(4, 3).get());
    const auto* original = static_cast<TBitmap*>(source.Content());

    PictureWithCounter fromPicture;
    fromPicture.Picture.CopyFrom(&source);
    const auto* copy = dynamic_cast<TBitmap*>(fromPicture.Picture.Content());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, original);
    EXPECT_EQ(copy->SharedImage(), original->SharedImage());
    EXPECT_EQ(fromPicture.Picture.Width(), 4);
    EXPECT_EQ(fromPicture.Picture.Height(), 3);
    EXPECT_EQ(fromPicture.Changes, 1);
    EXPECT_EQ(source.Content(), original);

    PictureWithCounter fromGraphic;
    fromGraphic.Picture.CopyFrom(source.Content());
    const auto* second = dynamic_cast<TBitmap*>(fromGraphic.Picture.Content());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->SharedImage(), original->SharedImage());
    EXPECT_EQ(fromGraphic.Changes, 1);

    // The copy outlives its source.
    source.CopyFrom(static_cast<TGraphic*>(nullptr));
    EXPECT_EQ(copy->PixelWidth(), 4);
    EXPECT_EQ(copy->Image().pixel(0, 0), qRgb(255, 0, 0));
}

TEST(CopyFrom, CopyingItsOwnContentKeepsIt) {
    TPicture picture;
    picture.CopyFrom(MakeBitmap(4, 3).get());
    const TBitmapImage* data = static_cast<TBitmap*>(picture.Content())->SharedImage();
    picture.CopyFrom(&picture);
    picture.CopyFrom(picture.Content());
    ASSERT_NE(picture.Content(), nullptr);
    EXPECT_EQ(static_cast<TBitmap*>(picture.Content())->SharedImage(), data);
    EXPECT_EQ(picture.Width(), 4);
}

TEST(CopyFrom, NoneOrAnEmptyPictureEmptiesAndNotifies) {
    TPicture empty;
    PictureWithCounter p;
    EXPECT_EQ(p.Picture.Width(), 0);
    EXPECT_EQ(p.Picture.Height(), 0);
    p.Picture.CopyFrom(MakeBitmap(2, 2).get());
    p.Picture.CopyFrom(&empty);
    EXPECT_EQ(p.Picture.Content(), nullptr);
    EXPECT_EQ(p.Changes, 2);
    p.Picture.CopyFrom(static_cast<const TGraphic*>(nullptr));
    p.Picture.CopyFrom(static_cast<const TPicture*>(nullptr));
    EXPECT_EQ(p.Picture.Content(), nullptr);
    EXPECT_EQ(p.Picture.Width(), 0);
    EXPECT_EQ(p.Changes, 4);
}

TEST(CopyFrom, FailedCopyKeepsPreviousContent) {
    RegisteredFake fake("fake");
    TFakeGraphic source;
    PictureWithCounter p;
    p.Picture.CopyFrom(MakeBitmap(2, 2).get());
    TGraphic* before = p.Picture.Content();
    TFakeGraphic::FailAssign = true;
    EXPECT_EQ(MessageOf<EOutOfResources>([&] { p.Picture.CopyFrom(&source); }),
              "Systemressourcen erschöpft.");
    EXPECT_EQ(p.Picture.Content(), before);
    EXPECT_EQ(p.Changes, 1);
}

// Bytes load like a file of their kind: the kind by the extension in any case, the same
// refusals and messages, the previous content kept on failure.
TEST(LoadFromBytes, BytesLoadAsAFileOfTheirKindWould) {
    RegisteredFake fake("fake");
    const std::vector<uint8_t> bitmap = Bmp24(ThreeByTwo());
    const struct {
        std::string Bytes;
        const char* Extension;
        int Width; // 0: refused with Message
        std::string Message;
    } cases[] = {
        {"vier", "fake", 4, ""},
        {"zwei", "FAKE", 4, ""},
        {std::string(bitmap.begin(), bitmap.end()), "bmp", 3, ""},
        {"FAIL", "fake", 0, "Fake ist ungültig"},
        {"", "bmp", 0, "Bitmap ist ungültig"},
        {"ok", "gif", 0, "Unbekannte Bilddateierweiterung (.gif)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Extension + (": " + c.Bytes.substr(0, 4)));
        PictureWithCounter p;
        p.Picture.CopyFrom(MakeBitmap(5, 4).get());
        if (c.Width == 0) {
            EXPECT_EQ(
                MessageOf<EInvalidGraphic>([&] { p.Picture.LoadFromBytes(c.Bytes, c.Extension); }),
                c.Message);
            EXPECT_EQ(p.Picture.Width(), 5);
            EXPECT_EQ(p.Changes, 1);
        } else {
            p.Picture.LoadFromBytes(c.Bytes, c.Extension);
            EXPECT_EQ(p.Picture.Width(), c.Width);
            EXPECT_EQ(p.Changes, 2);
        }
    }
}
