// Icons against public test files: every file loads and draws, or fails with one of the
// icon's messages, and real multi-entry files draw the entry the colour rule chooses.
#include <QPainter>
#include <gtest/gtest.h>
#include <map>
#include <set>

#include "TestSupport.h"
#include "picture/Canvas.h"
#include "picture/IcoReader.h"
#include "picture/Icon.h"
#include "toolkit/ByteReader.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

namespace {

// Loads and draws a file as the icon kind does; the error text, empty on success.
std::string LoadAndDraw(const fs::path& path) {
    try {
        TIcon icon;
        TFileStream stream(path.string());
        icon.ReadFrom(stream);
        QImage target(64, 64, QImage::Format_RGB32);
        QPainter painter(&target);
        TCanvas canvas(painter);
        canvas.DrawStretched({0, 0, 64, 64}, &icon);
    } catch (const Exception& error) {
        return error.Message().empty() ? "(empty message)" : error.Message();
    }
    return {};
}

// An icon file holding only entry `index` of the given file.
std::vector<uint8_t> OnlyEntry(const std::vector<uint8_t>& file, size_t index) {
    TByteReader reader(file);
    reader.Seek(6 + 16 * index);
    const auto entry = reader.Bytes(16);
    TByteReader fields(entry);
    fields.Skip(8);
    const uint32_t size = fields.U32();
    const uint32_t offset = fields.U32();
    std::vector<uint8_t> out = {0, 0, 1, 0, 1, 0};
    out.insert(out.end(), entry.begin(), entry.begin() + 12);
    Put32(out, 6 + 16);
    const auto image = reader.From(offset).first(size);
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

} // namespace

TEST(IconCorpus, EveryFileDrawsOrFailsWithAnIconMessage) {
    SKIP_WITHOUT_CORPUS("ico");
    const std::set<std::string> allowed = {"Ungültiges Symbol", "Stream-Read-Fehler",
                                           "PNG-Bild ist ungültig"};
    std::map<std::string, int> outcomes;
    int files = 0;
    for (const auto& item : fs::recursive_directory_iterator(CorpusDir() / "ico")) {
        const std::string extension = item.path().extension().string();
        if (!item.is_regular_file() || (extension != ".ico" && extension != ".cur"))
            continue;
        SCOPED_TRACE(item.path().string());
        const std::string error = LoadAndDraw(item.path());
        EXPECT_TRUE(error.empty() || allowed.count(error)) << error;
        ++outcomes[error.empty() ? "drawn" : error];
        ++files;
    }
    EXPECT_GE(files, 55);
    EXPECT_GE(outcomes["drawn"], 35);
    for (const auto& [outcome, count] : outcomes)
        std::cout << outcome << ": " << count << "\n";
}

TEST(IconCorpus, MultiEntryFileDrawsTheEntryTheColourRuleChooses) {
    const char* name = "ico/dotnet-runtime-assets/256x256_seven_entries_multiple_bits.ico";
    SKIP_WITHOUT_CORPUS(name);
    // Its directory's colour counts: 2, 16, 16, 0, 0, 0, 0.
    const std::vector<uint8_t> file = ReadFileBytes((CorpusDir() / name).string());
    const std::pair<int, size_t> cases[] = {{1, 0}, {4, 1}, {8, 2}, {16, 3}, {24, 3}, {32, 3}};
    for (const auto& [screenBits, entry] : cases) {
        SCOPED_TRACE(screenBits);
        const QImage expected = MakeIconImage(OnlyEntry(file, entry), screenBits);
        EXPECT_EQ(MakeIconImage(file, screenBits), expected);
        for (size_t other = 0; other < 7; ++other)
            if (other != entry && MakeIconImage(OnlyEntry(file, other), screenBits) == expected)
                ADD_FAILURE() << "entry " << other << " looks the same as entry " << entry;
    }
}
