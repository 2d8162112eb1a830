// Printer calibration: the corrections in the registry store, the dialog behind
// "Druckerkorrektur...", the test sheet, and the printed sheet moved by the correction.
#include <QPageSize>
#include <QPrinter>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "PrintTestSupport.h"
#include "SheetCheck.h"
#include "TestSupport.h"
#include "app/CalibrationForm.h"
#include "app/MainForm.h"
#include "print/Printer.h"
#include "print/XPrinter.h"
#include "sheet/Calibration.h"
#include "sheet/CoverSheet.h"
#include "toolkit/Application.h"

namespace {
const std::string KeyLine =
    "[HKEY_CURRENT_USER\\Software\\Brennholt\\Vellacour\\1.0.0\\Druckerkorrektur]\n";

class Calibration : public testing::Test {
protected:
    void SetUp() override {
        TApplication::SetTitle("Vellacour");
        Saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", Dir.File("config").c_str());
        Machine = std::make_unique<TPrinter>(Service);
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", Saved); }
    std::string StoreFile() const { return Dir.File("config/Vellacour/registry.reg"); }
    void StoreValues(const std::string& lines) {
        fs::create_directories(Dir.Path() / "config/Vellacour");
        WriteFileText(StoreFile(), "Windows Registry Editor Version 5.00\n\n" + KeyLine + lines);
    }
    // The main window printing into a PDF file, A4 landscape over the whole sheet.
    std::unique_ptr<TfrmMain> PrintingForm(const std::string& pdf) {
        Machine = FilePrinter(pdf, 300, Service);
        return std::make_unique<TfrmMain>(*Machine);
    }

    TempDir Dir;
    QByteArray Saved;
    std::shared_ptr<TTestPrintService> Service =
        std::make_shared<TTestPrintService>(std::vector<std::string>{"Testdrucker"}, "Testdrucker");
    std::unique_ptr<TPrinter> Machine;
};

// The middle of the dark run nearest to aroundMm along a row or column of a 600-dpi page,
// in millimetres; -1 when there is none within 5 mm.
double DarkLineAt(const QImage& page, bool alongRow, double fixedMm, double aroundMm) {
    const auto px = [](double mm) {
        return static_cast<int>(mm / 25.4 * SheetDpi);
    };
    const int fixed = px(fixedMm);
    double best = -1;
    for (int i = px(aroundMm - 5); i < px(aroundMm + 5); ++i) {
        const QRgb p = alongRow ? page.pixel(i, fixed) : page.pixel(fixed, i);
        if (qGray(p) >= 128)
            continue;
        int end = i;
        while (end < px(aroundMm + 5) &&
               qGray(alongRow ? page.pixel(end, fixed) : page.pixel(fixed, end)) < 128)
            ++end;
        const double centre = (i + end) / 2.0 * 25.4 / SheetDpi;
        if (best < 0 || std::abs(centre - aroundMm) < std::abs(best - aroundMm))
            best = centre;
        i = end;
    }
    return best;
}

// How many groups of ink stand in a box of a 600-dpi page (millimetres), groups being
// columns with ink apart by at least 0.5 mm of white: the numbers of a scale, when each
// stands clear of the next.
int InkGroups(const QImage& page, double leftMm, double topMm, double rightMm, double bottomMm) {
    const auto px = [](double mm) {
        return static_cast<int>(mm / 25.4 * SheetDpi);
    };
    const int gap = px(0.5);
    int groups = 0, white = gap;
    for (int x = px(leftMm); x < px(rightMm); ++x) {
        bool ink = false;
        for (int y = px(topMm); y < px(bottomMm) && !ink; ++y)
            ink = qGray(page.pixel(x, y)) < 128;
        if (ink && white >= gap)
            ++groups;
        white = ink ? 0 : white + 1;
    }
    return groups;
}
} // namespace

TEST_F(Calibration, StoreKeepsOneCorrectionPerPrinterUnderTheProgramsKey) {
    WriteCalibration("Testdrucker", {12, -5});
    WriteCalibration("\\\\server\\Büro", {-100, 100});
    EXPECT_EQ(ReadCalibration("Testdrucker"), (TCalibration{12, -5}));
    EXPECT_EQ(ReadCalibration("\\\\server\\Büro"), (TCalibration{-100, 100}));
    EXPECT_EQ(ReadCalibration("Anderer"), (TCalibration{0, 0}));
    const std::string text = ReadFileText(StoreFile());
    EXPECT_NE(text.find(KeyLine + "\"Testdrucker\"=\"12;-5\"\n"), std::string::npos) << text;
    // A scale adds its two fields; the place alone keeps the two every earlier value has.
    WriteCalibration("Skaliert", {3, 4, 10030, 9980});
    EXPECT_NE(ReadFileText(StoreFile()).find("\"Skaliert\"=\"3;4;10030;9980\"\n"),
              std::string::npos);
    EXPECT_EQ(ReadCalibration("Skaliert"), (TCalibration{3, 4, 10030, 9980}));

    // Back to no correction removes the printer's value; the other printer keeps its own.
    WriteCalibration("Testdrucker", {0, 0});
    EXPECT_EQ(ReadFileText(StoreFile()).find("Testdrucker"), std::string::npos);
    EXPECT_EQ(ReadCalibration("\\\\server\\Büro"), (TCalibration{-100, 100}));
    // A printer without a name has no value (the key's unnamed value stays alone).
    WriteCalibration("", {3, 3});
    EXPECT_EQ(ReadFileText(StoreFile()).find("@="), std::string::npos);
    EXPECT_EQ(ReadCalibration(""), (TCalibration{0, 0}));
}

TEST_F(Calibration, HandEditedValuesOutsideTheRangeOrMalformedMeanNoCorrection) {
    const struct {
        const char* Line;
        TCalibration Read;
    } cases[] = {
        {"\"P\"=\"-100;100\"", {-100, 100}},
        {"\"P\"=\" 7 ; 8 \"", {7, 8}},
        {"\"P\"=\"101;0\"", {0, 0}},
        {"\"P\"=\"0;-101\"", {0, 0}},
        {"\"P\"=\"99999999999;1\"", {0, 0}},
        {"\"P\"=\"1,5;2\"", {0, 0}},
        {"\"P\"=\"12\"", {0, 0}},
        {"\"P\"=\"1;2;3\"", {0, 0}},
        {"\"P\"=\"1;2;10030;9980\"", {1, 2, 10030, 9980}},
        {"\"P\"=\"1;2;9500;10500\"", {1, 2, 9500, 10500}},
        {"\"P\"=\"1;2;9499;10000\"", {0, 0}},
        {"\"P\"=\"1;2;10000;10501\"", {0, 0}},
        {"\"P\"=\"101;2;10030;9980\"", {0, 0}},
        {"\"P\"=\"1;2;10030;9980;1\"", {0, 0}},
        {"\"P\"=\"1;2;;9980\"", {0, 0}},
        {"\"P\"=\"\"", {0, 0}},
        {"\"P\"=dword:0000000c", {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        StoreValues(std::string(c.Line) + "\n");
        EXPECT_EQ(ReadCalibration("P"), c.Read);
    }
}

TEST_F(Calibration, TheMenuItemOpensTheDialogForTheSelectedPrinterAndOKSaves) {
    WriteCalibration("Testdrucker", {4, -2});
    TfrmMain form(*Machine);
    const struct {
        int Answer;
        TCalibration Stored;
    } cases[] = {{QDialog::Rejected, {4, -2}}, {QDialog::Accepted, {-15, 30, 10032, 10000}}};
    for (const auto& c : cases) {
        DialogScript script;
        script.Then([&](QDialog& dialog) {
            auto* calibration = dynamic_cast<TfrmCalibration*>(&dialog);
            if (!calibration) {
                ADD_FAILURE() << "not the calibration dialog";
                return int(QDialog::Rejected);
            }
            EXPECT_EQ(calibration->lblPrinter->text(), "Drucker: Testdrucker");
            EXPECT_EQ(calibration->Calibration(), (TCalibration{4, -2}));
            EXPECT_EQ(calibration->seRight->minimum(), -100);
            EXPECT_EQ(calibration->seDown->maximum(), 100);
            calibration->seRight->setValue(-15);
            calibration->seDown->setValue(30);
            // 250 mm measured as 250.8 mm: the printer prints 100 mm as 100.32 mm.
            calibration->edAcross->setText("250,8");
            if (c.Answer == QDialog::Rejected)
                return int(QDialog::Rejected);
            calibration->btnOK->click();
            return calibration->result();
        });
        form.Druckerkorrektur->trigger();
        EXPECT_EQ(script.Shown, std::vector<QString>{"Druckerkorrektur"});
        EXPECT_EQ(ReadCalibration("Testdrucker"), c.Stored);
    }
}

// Lengths that cannot be used keep the dialog open with the range; an empty one means no
// scale correction.
TEST_F(Calibration, TheDialogTakesMeasuredLengthsWithinTheirRange) {
    const struct {
        const char* Across;
        const char* Down;
        bool Closes;
        int ScaleX, ScaleY;
    } cases[] = {
        {"", "", true, 10000, 10000},          {"250,8", "179.6", true, 10032, 9978},
        {"237,5", "189,0", true, 9500, 10500}, {"237,4", "", false, 10000, 10000},
        {"25O", "", false, 10000, 10000},      {"", "189,1", false, 10000, 10000},
        {"250,85", "", false, 10000, 10000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Across) + " / " + c.Down);
        TfrmCalibration dialog("P", {}, [](const TCalibration&) {});
        dialog.edAcross->setText(QString::fromUtf8(c.Across));
        dialog.edDown->setText(QString::fromUtf8(c.Down));
        DialogScript script;
        if (!c.Closes)
            script.Click("OK");
        dialog.btnOKClick();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.Closes);
        EXPECT_EQ(script.Pending(), 0);
        if (!c.Closes) {
            EXPECT_TRUE(script.Shown.at(0).contains("muss zwischen"))
                << script.Shown.at(0).toStdString();
        }
        EXPECT_EQ(dialog.Calibration(), (TCalibration{0, 0, c.ScaleX, c.ScaleY}));
    }
    // A stored scale shows as the length measured.
    TfrmCalibration stored("P", {0, 0, 10032, 9978}, [](const TCalibration&) {});
    EXPECT_EQ(stored.edAcross->text(), "250,8");
    EXPECT_EQ(stored.edDown->text(), "179,6");
}

TEST_F(Calibration, WithoutADefaultPrinterTheItemReportsItAsPrintingDoes) {
    TPrinter noDefault(std::make_shared<TTestPrintService>(std::vector<std::string>{"A"}, ""));
    TfrmMain form(noDefault);
    DialogScript script;
    script.Click("OK");
    form.Druckerkorrektur->trigger();
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0],
              QString::fromUtf8("Vellacour|Zur Zeit ist kein Standard-Drucker gewählt."));
}

// Printing into a file chosen in the printer dialog, the item says that corrections belong
// to printers instead of opening a dialog whose OK would store nothing.
TEST_F(Calibration, PrintingIntoAFileTheItemSaysCorrectionsBelongToPrinters) {
    QPrinter chosen(QPrinter::HighResolution);
    Machine->CopySettingsTo(chosen);
    chosen.setOutputFormat(QPrinter::PdfFormat);
    chosen.setOutputFileName(QString::fromStdString(Dir.File("bogen.pdf")));
    Machine->TakeSettings(chosen);
    ASSERT_EQ(Machine->PrinterName(), "");
    TfrmMain form(*Machine);
    DialogScript script;
    script.Click("OK");
    form.Druckerkorrektur->trigger();
    EXPECT_EQ(script.Pending(), 0);
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0],
              QString::fromUtf8("Vellacour|Eine Druckerkorrektur gilt für einen Drucker. Beim "
                                "Drucken in eine Datei wird keine Korrektur angewandt."));
}

// The cross of the test sheet stands 50 mm from the left and top edges of landscape
// paper, moved by the correction the dialog shows (not yet saved), also right after a
// stacked sheet left the printer turned to portrait.
TEST_F(Calibration, TheTestSheetPrintsTheCrossMovedByTheDialogsCorrection) {
    const std::string pdf = Dir.File("pruefbogen.pdf");
    const auto form = PrintingForm(pdf);
    OrientForSheet(*form->XPrint, {TArrangement::Stacked, 0});
    DialogScript script;
    script.Then([](QDialog& dialog) {
        auto& calibration = dynamic_cast<TfrmCalibration&>(dialog);
        calibration.seRight->setValue(25);
        calibration.seDown->setValue(-15);
        calibration.btnTestSheet->click();
        return int(QDialog::Rejected);
    });
    form->Druckerkorrektur->trigger();
    EXPECT_EQ(ReadCalibration("Testdrucker"), (TCalibration{0, 0}));
    EXPECT_FALSE(form->XPrint->Printing());
    std::string error;
    const QImage page = RasterisePdfPage(pdf, error);
    ASSERT_FALSE(page.isNull()) << error;
    EXPECT_GT(page.width(), page.height());
    // The vertical arm, 10 mm above the cross; the horizontal arm, 10 mm left of it.
    EXPECT_NEAR(DarkLineAt(page, true, 40.0 - 1.5, 52.5), 52.5, 0.2);
    EXPECT_NEAR(DarkLineAt(page, false, 40.0 + 2.5, 48.5), 48.5, 0.2);
    // The scale across the centre line (148.5 mm, 100 mm down) reads -10, -5, 0, 5 and 10,
    // each number standing clear of the next below the marks.
    EXPECT_EQ(InkGroups(page, 148.5 + 2.5 - 10.2, 105.4 - 1.5, 148.5 + 2.5 + 13, 108 - 1.5), 5);
    // Nothing of the long ruler down the sheet stands above the end of the one across it.
    EXPECT_EQ(InkGroups(page, 258 + 2.5, 139 - 1.5, 276 + 2.5, 149.5 - 1.5), 0);
}

TEST_F(Calibration, ThePrintedSheetMovesByThePrintersStoredCorrection) {
    const struct {
        TCalibration Stored;
        double RightMm, DownMm;
    } cases[] = {{{0, 0}, 0, 0}, {{25, -15}, 2.5, -1.5}, {{-20, 10, 10150, 9850}, -2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(FormatCalibration(c.Stored));
        WriteCalibration("Testdrucker", c.Stored);
        const std::string pdf = Dir.File("bogen.pdf");
        fs::remove(pdf);
        const auto form = PrintingForm(pdf);
        form->cbRahmen->setChecked(true);
        form->PrintPage();
        TSheetExpectation expected;
        expected.Frames = true;
        expected.ShiftX = c.RightMm;
        expected.ShiftY = c.DownMm;
        expected.ScaleX = c.Stored.ScaleX;
        expected.ScaleY = c.Stored.ScaleY;
        const std::vector<std::string> problems = CheckSheetPdf(pdf, expected);
        EXPECT_TRUE(problems.empty()) << JoinProblems(problems);
    }
}
