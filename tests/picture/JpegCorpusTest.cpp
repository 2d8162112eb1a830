// The JPEG kind on the public corpus: every file decodes exactly as libjpeg-turbo's own
// decoder (djpeg) decodes it, or fails with a libjpeg error where djpeg fails too; broken
// files never crash or hang; four-component files also look like their projects'
// reference renderings.
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "PictureTestSupport.h"
#include "TestSupport.h"
#include "picture/Jpeg.h"
#include "toolkit/Errors.h"

namespace {

struct TCorpusFile {
    std::string Path; // relative to the corpus
    std::string Role;
};

// The JPEG data files with their roles, from the manifest.
std::vector<TCorpusFile> JpegFiles() {
    std::vector<TCorpusFile> files;
    std::ifstream manifest(CorpusDir() / "MANIFEST.tsv");
    for (std::string line; std::getline(manifest, line);) {
        std::istringstream fields(line);
        TCorpusFile file;
        std::getline(fields, file.Path, '\t');
        std::getline(fields, file.Role, '\t');
        if (file.Path.rfind("jpeg/", 0) != 0)
            continue;
        if (file.Role == "test" || file.Role == "must-fail" || file.Role == "no-crash" ||
            file.Role == "truncated")
            files.push_back(file);
    }
    return files;
}

// djpeg's decode of the file, or a null image when djpeg refused it.
QImage ReferenceDecode(const fs::path& file, QStringList options) {
    TempDir dir;
    QProcess djpeg;
    djpeg.start(Djpeg(), options << "-pnm"
                                 << "-outfile" << QString::fromStdString(dir.File("out"))
                                 << QString::fromStdString(file.string()));
    // Exit status 2 means libjpeg warned (corrupt or truncated data) and went on.
    if (!djpeg.waitForFinished(300000) || djpeg.exitStatus() != QProcess::NormalExit ||
        (djpeg.exitCode() != 0 && djpeg.exitCode() != 2))
        return {};
    return ParsePnm(ReadFileBytes(dir.File("out")));
}

struct TOutcome {
    std::string Error; // empty when load and decode succeeded
    bool Grey = false;
    int BitCount = 0;
    QImage Pixels;
};

TOutcome DecodeOurs(const fs::path& file) {
    TOutcome outcome;
    TJPEGImage image;
    try {
        image.ReadFile(file.string());
        outcome.Grey = image.Data()->IsGrayscale;
        image.DecodedBitmap();
    } catch (const Exception& error) {
        outcome.Error = error.Message();
    }
    if (image.HasDecodedBitmap()) {
        outcome.BitCount = image.DecodedBitmap().BitCount();
        outcome.Pixels = image.DecodedBitmap().Image().convertToFormat(QImage::Format_RGB888);
    }
    return outcome;
}

bool IsJpegError(const std::string& message) {
    return message.rfind("JPEG-Fehlernr. ", 0) == 0;
}

bool IsTooLarge(const std::string& message) {
    return message.rfind("JPEG-Bild ist zu groß", 0) == 0;
}

} // namespace

TEST(JpegCorpus, EveryFileDecodesAsLibjpegOrFailsWithItsError) {
    SKIP_WITHOUT_CORPUS("jpeg");
    if (Djpeg().isEmpty())
        GTEST_SKIP() << "djpeg (libjpeg-turbo-progs) not installed";
    const std::vector<TCorpusFile> files = JpegFiles();
    ASSERT_GT(files.size(), 200u);
    int compared = 0;
    for (const TCorpusFile& file : files) {
        SCOPED_TRACE(file.Path + " (" + file.Role + ")");
        const fs::path path = CorpusDir() / file.Path;
        const TOutcome ours = DecodeOurs(path);
        if (!ours.Error.empty()) {
            EXPECT_TRUE(IsJpegError(ours.Error) || IsTooLarge(ours.Error)) << ours.Error;
        }
        if (file.Role == "must-fail") {
            EXPECT_FALSE(ours.Error.empty());
        }
        if (file.Role == "test" || file.Role == "truncated") {
            EXPECT_FALSE(IsTooLarge(ours.Error));
        }
        if (IsTooLarge(ours.Error))
            continue; // djpeg would write gigabytes
        const QImage expected =
            ReferenceDecode(path, ours.Grey ? QStringList{"-colors", "236"} : QStringList{});
        if (!expected.isNull()) {
            EXPECT_EQ(ours.Error, "");
            EXPECT_EQ(ours.BitCount, ours.Grey ? 8 : 24);
            EXPECT_EQ(CompareImages(ours.Pixels, expected), "");
            ++compared;
        } else {
            EXPECT_TRUE(IsJpegError(ours.Error)) << "djpeg refused it, we gave: " << ours.Error;
        }
        if (file.Role == "truncated") {
            EXPECT_EQ(ours.Error, "");
        }
    }
    EXPECT_GT(compared, 100);
}

TEST(JpegCorpus, PngNamedJpgFailsAtLoadWithTheNotAJpegCode) {
    SKIP_WITHOUT_CORPUS("jpeg/jpeg-decoder/reftest/mozilla");
    TJPEGImage image;
    try {
        image.ReadFile(
            (CorpusDir() / "jpeg/jpeg-decoder/reftest/mozilla/jpg-size-6x6.jpg").string());
        FAIL() << "loaded";
    } catch (const EJPEG& error) {
        EXPECT_EQ(error.Message(), "JPEG-Fehlernr. 53");
    }
    EXPECT_EQ(image.Data(), nullptr);
}

TEST(JpegCorpus, EmptyFileFailsAtLoadWithTheInputEmptyCode) {
    SKIP_WITHOUT_CORPUS("jpeg/jpeg-decoder/crashtest");
    TJPEGImage image;
    try {
        image.ReadFile((CorpusDir() / "jpeg/jpeg-decoder/crashtest/empty.jpg").string());
        FAIL() << "no error";
    } catch (const EJPEG& error) {
        EXPECT_EQ(error.Message(), "JPEG-Fehlernr. 42");
    }
    EXPECT_TRUE(image.IsEmpty());
}

// Four-component files against the renderings their projects keep. Those came from other
// converters, so single pixels may differ slightly; the mean difference must stay small.
TEST(JpegCorpus, FourComponentFilesLookLikeTheirRenderings) {
    SKIP_WITHOUT_CORPUS("jpeg");
    const std::pair<const char*, const char*> cases[] = {
        {"gdk-pixbuf/premature-end.jpg", "gdk-pixbuf/refs/premature-end.png"},
        {"jpeg-decoder/reftest/mozilla/jpg-cmyk-1.jpg",
         "jpeg-decoder/reftest/refs/mozilla/jpg-cmyk-1.png"},
        {"jpeg-decoder/reftest/mozilla/jpg-cmyk-2.jpg",
         "jpeg-decoder/reftest/refs/mozilla/jpg-cmyk-2.png"},
        {"jpeg-decoder/reftest/ycck.jpg", "jpeg-decoder/reftest/refs/ycck.png"},
    };
    for (const auto& [jpeg, png] : cases) {
        SCOPED_TRACE(jpeg);
        const TOutcome ours = DecodeOurs(CorpusDir() / "jpeg" / jpeg);
        ASSERT_EQ(ours.Error, "");
        ASSERT_EQ(ours.BitCount, 24);
        const QImage reference =
            QImage(QString::fromStdString((CorpusDir() / "jpeg" / png).string()))
                .convertToFormat(QImage::Format_RGB888);
        ASSERT_EQ(ours.Pixels.size(), reference.size());
        double total = 0;
        int worst = 0;
        for (int y = 0; y < reference.height(); ++y) {
            const uchar* a = ours.Pixels.constScanLine(y);
            const uchar* b = reference.constScanLine(y);
            for (int i = 0; i < reference.width() * 3; ++i) {
                const int difference = std::abs(a[i] - b[i]);
                total += difference;
                worst = std::max(worst, difference);
            }
        }
        const double mean = total / (double(reference.width()) * reference.height() * 3);
        EXPECT_LT(mean, 2.0) << "worst " << worst;
    }

    // Pillow's sample is red in its upper-left corner.
    const TOutcome sample = DecodeOurs(CorpusDir() / "jpeg/pillow/pil_sample_cmyk.jpg");
    ASSERT_EQ(sample.Error, "");
    const QColor corner = sample.Pixels.pixelColor(2, 2);
    EXPECT_GT(corner.red(), 200);
    EXPECT_LT(corner.green(), 60);
    EXPECT_LT(corner.blue(), 60);
}
