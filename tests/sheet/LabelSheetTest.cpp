// Label sheets as data: the shipped sheets' label centres, worked out by hand from the
// sheets' printed figures (centre = corner + half the outer diameter); entries with a
// mistake skipped with a message naming file and line; the user's own files read from the
// settings folder; the positions a text chooses.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "sheet/LabelSheet.h"

void PrintTo(const TLabelPlace& place, std::ostream* out) {
    *out << place.X << "," << place.Y;
}

namespace {
// Every test reads the user's sheets from a settings folder of its own.
class LabelSheetData : public testing::Test {
protected:
    void SetUp() override {
        Saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", Config.Path().string().c_str());
    }
    void TearDown() override {
        qputenv("XDG_CONFIG_HOME", Saved);
        ReloadLabelSheets();
    }
    std::string UserFile(const std::string& name) const {
        fs::create_directories(Config.Path() / "Vellacour/labelsheets");
        return Config.File("Vellacour/labelsheets/" + name);
    }

    TempDir Config;
    QByteArray Saved;
};

struct TCentre {
    double X, Y; // mm
};

// A label's centre in millimetres.
TCentre CentreOf(const TLabelSheet& sheet, size_t index) {
    const TRect square = sheet.Square(index);
    return {(square.Left + square.Right) / 20.0, (square.Top + square.Bottom) / 20.0};
}

TEST_F(LabelSheetData, ShippedSheetsPutTheirLabelsWhereThePaperHasThem) {
    const struct {
        const char* Name;
        TLabelPaper Paper;
        double Outer, Hole; // mm
        TCentre First, Second;
    } cases[] = {
        // 46.5 + 58.5, 21.4 + 58.5; the second 137 mm lower.
        {"6015", TLabelPaper::A4, 117, 41, {105.0, 79.9}, {105.0, 216.9}},
        {"L7676", TLabelPaper::A4, 117, 17.6, {105.0, 80.5}, {105.0, 217.5}},
        // 47 + 58, 16.5 + 58; 148 mm lower.
        {"4093", TLabelPaper::A4, 116, 41, {105.0, 74.5}, {105.0, 222.5}},
        // 49.2 + 58.75, 17.5 + 58.75; 127 mm lower. Centred across the 215.9 mm sheet.
        {"5931", TLabelPaper::Letter, 117.5, 41.3, {107.95, 76.25}, {107.95, 203.25}},
    };
    const TLabelSheets& sheets = ReloadLabelSheets();
    EXPECT_EQ(sheets.Messages, std::vector<std::string>{});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TLabelSheet* sheet = sheets.Find(c.Name);
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->Paper, c.Paper);
        EXPECT_DOUBLE_EQ(sheet->Outer / 10.0, c.Outer);
        EXPECT_DOUBLE_EQ(sheet->Hole / 10.0, c.Hole);
        EXPECT_FALSE(sheet->Description.empty());
        ASSERT_EQ(sheet->Labels.size(), 2u);
        EXPECT_NEAR(CentreOf(*sheet, 0).X, c.First.X, 1e-9);
        EXPECT_NEAR(CentreOf(*sheet, 0).Y, c.First.Y, 1e-9);
        EXPECT_NEAR(CentreOf(*sheet, 1).X, c.Second.X, 1e-9);
        EXPECT_NEAR(CentreOf(*sheet, 1).Y, c.Second.Y, 1e-9);
    }
    EXPECT_EQ(LabelPaperSize(TLabelPaper::A4), (TLabelPaperSize{2100, 2970}));
    EXPECT_EQ(LabelPaperSize(TLabelPaper::Letter), (TLabelPaperSize{2159, 2794}));
}

// Each line after the first good one has one mistake; the good lines around them load, in
// order, and each bad one is named by its line (comments and empty lines count).
TEST_F(LabelSheetData, AnEntryWithAMistakeIsSkippedWithItsFileAndLine) {
    const struct {
        const char* Line;
        const char* Reason; // empty: the line loads
    } lines[] = {
        {"# a comment", ""},
        {"", ""},
        {"first  A4 117 41  46.5,21.4 46.5,158.4 ; A4, zwei", ""},
        {"bad-number A4 11x 41 46.5,21.4", "„11x“ ist keine Länge in Millimetern (mit Punkt, "
                                           "höchstens eine Nachkommastelle)"},
        {"comma A4 117,5 41 46.5,21.4", "„117,5“ ist keine Länge in Millimetern (mit Punkt, "
                                        "höchstens eine Nachkommastelle)"},
        {"fine A4 117.25 41 46.5,21.4", "„117.25“ ist keine Länge in Millimetern (mit Punkt, "
                                        "höchstens eine Nachkommastelle)"},
        {"paper A5 117 41 46.5,21.4", "unbekanntes Papier „A5“ (A4 oder Letter)"},
        {"my sheet A4 117 41 46.5,21.4", "der Name „my sheet“ enthält Leerzeichen"},
        {"short A4 117 41 ; keine Etiketten",
         "unvollständig; eine Zeile lautet: Name Papier Außendurchmesser Loch x,y …"},
        {"swapped A4 41 117 46.5,21.4",
         "das Loch (117 mm) ist nicht kleiner als der Außendurchmesser (41 mm)"},
        {"big A4 120.1 41 46.5,21.4",
         "der Außendurchmesser 120.1 mm liegt nicht zwischen 100 und 120 mm"},
        {"tiny A4 117 14.9 46.5,21.4", "das Loch 14.9 mm liegt nicht zwischen 15 und 45 mm"},
        {"position A4 117 41 46.5;21.4", "„46.5“ ist keine Position x,y in Millimetern"},
        {"minus A4 117 41 -1,21.4", "„-1,21.4“ ist keine Position x,y in Millimetern"},
        // 93.1 + 117 = 210.1 mm, past A4's right edge.
        {"right A4 117 41 93.1,21.4", "das Etikett bei 93.1,21.4 liegt nicht ganz auf dem Papier"},
        // 162.5 + 117 = 279.5 mm, past Letter's foot.
        {"foot Letter 117 41 46.5,162.5",
         "das Etikett bei 46.5,162.5 liegt nicht ganz auf dem Papier"},
        // Centres 116.9 mm apart, one tenth less than the diameter.
        {"overlap A4 117 41 46.5,21.4 46.5,138.3",
         "die Etiketten bei 46.5,21.4 und bei 46.5,138.3 überdecken sich"},
        {"6015 A4 117 41 46.5,21.4", "einen Etikettenbogen namens „6015“ gibt es schon"},
        {"FIRST A4 117 41 46.5,21.4", "einen Etikettenbogen namens „FIRST“ gibt es schon"},
        // The bounds themselves, and labels that touch (centres 100 mm apart) load.
        {"edges\tLetter 100 15 0,0 0,100 115.9,179.4", ""},
        {"last Letter 120 45 95.9,159.4\r", ""},
    };
    std::string text;
    for (const auto& line : lines)
        text += std::string(line.Line) + "\n";
    TLabelSheets sheets;
    sheets.Sheets.push_back({"6015", "", TLabelPaper::A4, 1170, 410, {{465, 214}}});
    ReadLabelSheets(text, "/x/bögen.txt", sheets);

    std::vector<std::string> expected;
    for (size_t i = 0; i < std::size(lines); ++i)
        if (*lines[i].Reason)
            expected.push_back("Etikettenbogen in /x/bögen.txt, Zeile " + std::to_string(i + 1) +
                               ": " + lines[i].Reason);
    EXPECT_EQ(sheets.Messages, expected);
    std::vector<std::string> names;
    for (const TLabelSheet& sheet : sheets.Sheets)
        names.push_back(sheet.Name);
    ASSERT_EQ(names, (std::vector<std::string>{"6015", "first", "edges", "last"}));
    EXPECT_EQ(sheets.Sheets[1].Description, "A4, zwei");
    EXPECT_EQ(sheets.Sheets[2].Labels, (std::vector<TLabelPlace>{{0, 0}, {0, 1000}, {1159, 1794}}));
    EXPECT_EQ(sheets.Sheets[3].Square(0), (TRect{959, 1594, 2159, 2794}));
}

// The user's files are read in the order of their names, after the shipped sheets; a name
// already taken, even a shipped one, is refused and the shipped sheet keeps its figures.
TEST_F(LabelSheetData, TheUsersOwnFilesAddSheetsButTakeNoNameAlreadyRead) {
    WriteFileText(UserFile("b.txt"), "\xEF\xBB\xBF# meine\n6015 A4 116 41 0,0\r\n"
                                     "Meine-2 Letter 118 22 49,17.5 ; Letter, eigene\n");
    WriteFileText(UserFile("a.txt"), "meine-1 A4 117 41 46.5,21.4 ; A4, eigene\n");
    WriteFileText(UserFile("ignored.lst"), "anders A4 117 41 46.5,21.4\n");
    const TLabelSheets& sheets = ReloadLabelSheets();

    EXPECT_EQ(sheets.Messages, std::vector<std::string>{
                                   "Etikettenbogen in " + UserFile("b.txt") +
                                   ", Zeile 2: einen Etikettenbogen namens „6015“ gibt es schon"});
    ASSERT_EQ(sheets.Sheets.size(), 6u);
    EXPECT_EQ(sheets.Sheets[4].Name, "meine-1");
    EXPECT_EQ(sheets.Sheets[5].Name, "Meine-2");
    EXPECT_EQ(sheets.Sheets[5].Description, "Letter, eigene");
    EXPECT_EQ(sheets.Find("6015")->Outer, 1170);
    EXPECT_EQ(sheets.Find("meine-2"), &sheets.Sheets[5]);
    EXPECT_EQ(sheets.Find("anders"), nullptr);

    // Read once and kept: a file added later counts only after a reload.
    WriteFileText(UserFile("c.txt"), "later A4 117 41 46.5,21.4\n");
    EXPECT_EQ(LabelSheets().Find("later"), nullptr);
    EXPECT_NE(ReloadLabelSheets().Find("later"), nullptr);
}

TEST_F(LabelSheetData, PositionsChooseLabelsTheSheetHasEachOnce) {
    const TLabelSheet sheet{"6015", "", TLabelPaper::A4, 1170, 410, {{465, 214}, {465, 1584}}};
    const struct {
        const char* Text;
        std::vector<size_t> Labels;
        const char* Error;
    } cases[] = {
        {"1,2", {0, 1}, ""},
        {"2", {1}, ""},
        {" 2 , 1 ", {0, 1}, ""},
        {"", {}, "Es ist keine Etikettenposition angegeben"},
        {" ", {}, "Es ist keine Etikettenposition angegeben"},
        {"0",
         {},
         "Die Position „0“ gibt es auf dem Etikettenbogen 6015 nicht; er hat die "
         "Positionen 1 bis 2"},
        {"1,3",
         {},
         "Die Position „3“ gibt es auf dem Etikettenbogen 6015 nicht; er hat die "
         "Positionen 1 bis 2"},
        {"1,,2",
         {},
         "Die Position „“ gibt es auf dem Etikettenbogen 6015 nicht; er hat die "
         "Positionen 1 bis 2"},
        {"-1",
         {},
         "Die Position „-1“ gibt es auf dem Etikettenbogen 6015 nicht; er hat die "
         "Positionen 1 bis 2"},
        {"1 2",
         {},
         "Die Position „1 2“ gibt es auf dem Etikettenbogen 6015 nicht; er hat die "
         "Positionen 1 bis 2"},
        {"2,1,2", {}, "Die Position 2 ist mehrfach angegeben"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        const TLabelChoice choice = ParseLabelPositions(c.Text, sheet);
        EXPECT_EQ(choice.Labels, c.Labels);
        EXPECT_EQ(choice.Error, c.Error);
    }
}
} // namespace
