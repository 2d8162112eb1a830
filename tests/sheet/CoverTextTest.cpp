// Fitting the words into the parts, with a measure of half an em per character so that
// every expected figure can be worked out by hand: the spine strips are 6.0 and 6.9 mm
// wide and 118 mm long, the track area 137.9 × 118 mm less 5 mm on every side.
#include <gtest/gtest.h>

#include <QString>
#include <set>

#include "sheet/CoverSheet.h"
#include "sheet/CoverText.h"

namespace {
constexpr double Point = 254.0 / 72.0;

double HalfEmPerCharacter(const std::string& text, const TTextStyle&) {
    return 0.5 * double(QString::fromStdString(text).size());
}

std::vector<std::string> Numbered(int count, const std::string& prefix) {
    std::vector<std::string> lines;
    for (int i = 1; i <= count; ++i)
        lines.push_back(prefix + std::to_string(i));
    return lines;
}

struct TCase {
    const char* Name;
    TCoverText Text;
    size_t Blocks;
    double Em; // of the first run; 0 for none
    int Angle;
    size_t Columns; // of the track list, 0 when there is none
    size_t Warnings;
};

TCoverText Spine(const std::string& spine, TSpineDirection direction = {}) {
    TCoverText text;
    text.Spine = spine;
    text.Direction = direction;
    return text;
}

TCoverText Tracks(std::vector<std::string> tracks) {
    TCoverText text;
    text.Tracks = std::move(tracks);
    return text;
}

TCoverText Title(const std::string& title, TTitlePosition position, TTextBand band) {
    TCoverText text;
    text.Title = title;
    text.TitlePosition = position;
    text.TitleStyle.Band = band;
    return text;
}

std::vector<TCase> Cases() {
    return {
        {"empty", {}, 0, 0, 0, 0, 0},
        {"blank words print nothing", Tracks({" ", ""}), 0, 0, 0, 0, 0},
        // Half of the narrower spine: 30 tenths.
        {"short spine reads bottom to top", Spine("Künstler – Album"), 2, 30, -90, 0, 0},
        {"spine read top to bottom", Spine("Album", TSpineDirection::TopToBottom), 2, 30, 90, 0, 0},
        // 100 characters, 50 ems, in 1120 tenths: 22.4.
        {"long spine shrinks", Spine(std::string(100, 'x')), 2, 22.4, -90, 0, 0},
        {"overlong spine is cut at the least size", Spine(std::string(300, 'x')), 2, 5 * Point, -90,
         0, 1},
        {"few tracks in one column at 10 pt", Tracks(Numbered(5, "Titel ")), 1, 10 * Point, 0, 1,
         0},
        // 40 rows of 44.1 tenths do not fit 1080; 20 do.
        {"many tracks in two columns", Tracks(Numbered(40, "Titel ")), 1, 10 * Point, 0, 2, 0},
        {"too many tracks say so", Tracks(Numbered(99, "Titel ")), 1, 6 * Point, 0, 2, 1},
        {"a word wider than the area is cut", Tracks({std::string(200, 'w')}), 1, 6 * Point, 0, 1,
         1},
        {"right to left and combining marks", Tracks({"שלום עולם 3:05", "Cafe\u0301 e\u0301"}), 1,
         10 * Point, 0, 1, 0},
        {"title at the bottom on a band", Title("Album", TTitlePosition::Bottom, TTextBand::White),
         1, 16 * Point, 0, 0, 0},
    };
}

class CoverTextLayout : public testing::TestWithParam<TCase> {};

std::string CaseName(const testing::TestParamInfo<TCase>& info) {
    std::string name = info.param.Name;
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

bool Inside(const QRectF& inner, const TRect& area) {
    return inner.left() >= area.Left && inner.top() >= area.Top && inner.right() <= area.Right &&
           inner.bottom() <= area.Bottom;
}
} // namespace

TEST_P(CoverTextLayout, FitsItsPart) {
    const TCase& c = GetParam();
    const TTextLayout layout = LayoutCoverText(c.Text, CoverTextAreas(), HalfEmPerCharacter);
    ASSERT_EQ(layout.Blocks.size(), c.Blocks);
    EXPECT_EQ(layout.Warnings.size(), c.Warnings);
    for (const TTextBlock& block : layout.Blocks) {
        ASSERT_FALSE(block.Runs.empty());
        EXPECT_NEAR(block.Runs[0].Em, c.Em, 0.01);
        EXPECT_EQ(block.Runs[0].Angle, c.Angle);
        if (block.Style.Band != TTextBand::None) {
            EXPECT_TRUE(Inside(block.Band, block.Area));
        }
        std::set<double> columns;
        for (const TTextRun& run : block.Runs) {
            EXPECT_TRUE(Inside(run.Box, block.Area)) << run.Text;
            // Nothing runs longer than its box.
            const double along = run.Angle ? run.Box.height() : run.Box.width();
            EXPECT_LE(HalfEmPerCharacter(run.Text + run.Right, {}) * run.Em, along + 0.01);
            columns.insert(run.Box.left());
        }
        if (c.Columns) {
            EXPECT_EQ(columns.size(), c.Columns);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CoverTextLayout, testing::ValuesIn(Cases()), CaseName);

TEST(CoverTextLayoutDetails, SpineStandsCentredOnBothSpines) {
    const TTextLayout layout =
        LayoutCoverText(Spine("Album"), CoverTextAreas(), HalfEmPerCharacter);
    ASSERT_EQ(layout.Blocks.size(), 2u);
    // Left spine 1330–1390, right spine 2771–2840, both 520–1700.
    EXPECT_DOUBLE_EQ(layout.Blocks[0].Runs[0].Box.center().x(), 1360);
    EXPECT_DOUBLE_EQ(layout.Blocks[1].Runs[0].Box.center().x(), 2805.5);
    for (const TTextBlock& block : layout.Blocks)
        EXPECT_DOUBLE_EQ(block.Runs[0].Box.center().y(), 1110);
}

// A DVD wrap on A4 has one spine, 141.5–155.5 mm across and 13–197 mm down; a slim card none.
TEST(CoverTextLayoutDetails, AWrapsSpineTitleStandsOnceOnItsSpine) {
    const TSheetLayout dvd = {.Case = TCaseKind::Dvd, .Size = {1295, 1840, 140}};
    const TTextLayout layout =
        LayoutCoverText(Spine("Album"), CoverTextAreas(dvd), HalfEmPerCharacter);
    ASSERT_EQ(layout.Blocks.size(), 1u);
    EXPECT_DOUBLE_EQ(layout.Blocks[0].Runs[0].Box.center().x(), 1485);
    EXPECT_DOUBLE_EQ(layout.Blocks[0].Runs[0].Box.center().y(), 1050);
    const TSheetLayout slim = {.Case = TCaseKind::Slim, .Size = {1200, 1200, 0}};
    EXPECT_TRUE(
        LayoutCoverText(Spine("Album"), CoverTextAreas(slim), HalfEmPerCharacter).Blocks.empty());
}

TEST(CoverTextLayoutDetails, TimesStandFlushRightAndCutTitlesKeepThem) {
    const TTextLayout layout =
        LayoutCoverText(Tracks({"1. Intro 3:45", std::string(300, 'l') + " 12:01", "Ohne Zeit"}),
                        CoverTextAreas(), HalfEmPerCharacter);
    ASSERT_EQ(layout.Blocks.size(), 1u);
    const std::vector<TTextRun>& runs = layout.Blocks[0].Runs;
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].Text, "1. Intro");
    EXPECT_EQ(runs[0].Right, "3:45");
    EXPECT_EQ(runs[1].Right, "12:01");
    EXPECT_TRUE(runs[1].Text.ends_with("\u2026"));
    EXPECT_EQ(runs[2].Right, "");
    EXPECT_EQ(layout.Warnings, std::vector<std::string>{Msg::TracksShortened});
}

TEST(CoverTextLines, CleanedAndCutAtCharacters) {
    EXPECT_EQ(CleanTextLine("a\tb\rc\x7f"), "a b c ");
    // 1500 umlauts are 3000 bytes; the cut keeps whole characters: 1023 of them.
    std::string umlauts;
    for (int i = 0; i < 1500; ++i)
        umlauts += "ä";
    EXPECT_EQ(CleanTextLine(umlauts).size(), 2046u);
    EXPECT_EQ(TrackLines("eins\r\nzwei\n\ndrei\rvier\n\n\n"),
              (std::vector<std::string>{"eins", "zwei", "", "drei", "vier"}));
    EXPECT_TRUE(TrackLines("\n\n").empty());
}
