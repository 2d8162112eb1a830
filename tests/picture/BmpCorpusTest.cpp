// The BMP reader against public test files: bmpsuite's good files must match one of their
// reference renderings, and no file of any source may do more than fail with one of the two
// bitmap errors.
#include <QImage>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

#include "TestSupport.h"
#include "picture/Bitmap.h"
#include "picture/BmpReader.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

namespace {

struct TSuiteEntry {
    std::string File;
    std::string Category;
    std::vector<std::string> References;
};

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(part);
    return parts;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::vector<TSuiteEntry> ReadSuiteIndex(const fs::path& index) {
    std::vector<TSuiteEntry> entries;
    std::ifstream in(index);
    std::string line;
    std::getline(in, line); // column names
    while (std::getline(in, line)) {
        const std::vector<std::string> columns = Split(line, '\t');
        if (columns.size() < 4)
            continue;
        TSuiteEntry entry{columns[0], columns[1], {}};
        for (const std::string& reference : Split(columns[3], ','))
            entry.References.push_back(Trim(reference));
        entries.push_back(entry);
    }
    return entries;
}

// Loads a file as the bitmap kind does; returns the error text, empty on success.
std::string Load(const fs::path& path, TBitmap& bitmap) {
    try {
        TFileStream stream(path.string());
        bitmap.ReadFrom(stream);
    } catch (const Exception& error) {
        return error.Message().empty() ? "(empty message)" : error.Message();
    }
    return {};
}

bool IsDataFile(const fs::path& path) {
    const std::string extension = path.extension().string();
    return extension == ".bmp" || extension == ".dib" || extension == ".bin";
}

} // namespace

TEST(BmpCorpus, GoodSuiteFilesMatchTheirReferences) {
    SKIP_WITHOUT_CORPUS("bmp/bmpsuite-2.8");
    const fs::path suite = CorpusDir() / "bmp/bmpsuite-2.8";
    int checked = 0;
    for (const TSuiteEntry& entry : ReadSuiteIndex(suite / "INDEX.tsv")) {
        if (entry.Category != "good")
            continue;
        SCOPED_TRACE(entry.File);
        TBitmap bitmap;
        ASSERT_EQ(Load(suite / entry.File, bitmap), "");
        std::string differences;
        bool matched = false;
        for (const std::string& reference : entry.References) {
            const QImage expected(QString::fromStdString((suite / "refs" / reference).string()));
            ASSERT_FALSE(expected.isNull()) << reference;
            // 5- and 6-bit channels may be widened with different rounding.
            const std::string difference = CompareImages(bitmap.Image(), expected, 1);
            if (difference.empty())
                matched = true;
            differences += reference + ": " + difference + "; ";
        }
        EXPECT_TRUE(matched) << differences;
        ++checked;
    }
    EXPECT_EQ(checked, 27);
}

TEST(BmpCorpus, UnusedBytesBeforeThePixelsAreSkipped) {
    SKIP_WITHOUT_CORPUS("bmp/bmpsuite-2.8/q/pal8offs.bmp");
    const fs::path suite = CorpusDir() / "bmp/bmpsuite-2.8";
    TBitmap bitmap;
    ASSERT_EQ(Load(suite / "q/pal8offs.bmp", bitmap), "");
    const QImage expected(QString::fromStdString((suite / "refs/pal8.png").string()));
    EXPECT_EQ(CompareImages(bitmap.Image(), expected), "");
}

TEST(BmpCorpus, EveryFileLoadsOrFailsWithABitmapError) {
    SKIP_WITHOUT_CORPUS("bmp");
    int files = 0;
    std::map<std::string, int> outcomes;
    for (const auto& item : fs::recursive_directory_iterator(CorpusDir() / "bmp")) {
        if (!item.is_regular_file() || !IsDataFile(item.path()))
            continue;
        SCOPED_TRACE(item.path().string());
        TBitmap bitmap;
        const std::string error = Load(item.path(), bitmap);
        if (error.empty()) {
            EXPECT_FALSE(bitmap.IsEmpty());
            EXPECT_GT(bitmap.PixelWidth(), 0);
        } else {
            EXPECT_TRUE(error == Msg::InvalidBitmap || error == Msg::ReadError) << error;
            EXPECT_TRUE(bitmap.IsEmpty());
        }
        ++outcomes[error.empty() ? "loaded" : error];
        ++files;
    }
    EXPECT_GE(files, 160);
    for (const auto& [outcome, count] : outcomes)
        std::cout << outcome << ": " << count << "\n";
}

TEST(BmpCorpus, BadSuiteFilesFailAsExpected) {
    SKIP_WITHOUT_CORPUS("bmp/bmpsuite-2.8/b");
    const fs::path bad = CorpusDir() / "bmp/bmpsuite-2.8/b";
    const std::map<std::string, std::string> expected = {
        {"badbitcount.bmp", Msg::InvalidBitmap}, {"badheadersize.bmp", Msg::InvalidBitmap},
        {"badplanes.bmp", Msg::InvalidBitmap},   {"badwidth.bmp", Msg::InvalidBitmap},
        {"reallybig.bmp", Msg::InvalidBitmap},   {"rletopdown.bmp", Msg::InvalidBitmap},
        {"badpalettesize.bmp", Msg::ReadError},  {"shortfile.bmp", ""},
    };
    for (const auto& [file, message] : expected) {
        SCOPED_TRACE(file);
        TBitmap bitmap;
        EXPECT_EQ(Load(bad / file, bitmap), message);
    }
}
