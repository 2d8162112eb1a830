// The print command of the main window: the printer dialog, the guard against a second
// command during a job, failures during the page, and a machine without printers.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPageSize>
#include <QPushButton>
#include <gtest/gtest.h>
#include <thread>

#include <QTimer>

#include "AppTestSupport.h"
#include "PictureTestSupport.h"
#include "PrintTestSupport.h"
#include "SheetCheck.h"
#include "TestSupport.h"
#include "app/MainForm.h"
#include "print/Printer.h"
#include "print/XPrinter.h"
#include "sheet/Calibration.h"
#include "sheet/CoverSheet.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"

namespace {
class PrintCommand : public testing::Test {
protected:
    void SetUp() override {
        TApplication::SetTitle("Vellacour");
        Pdf = Dir.File("cover.pdf");
        Machine = FilePrinter(Pdf, 300, Service);
        Form = std::make_unique<TfrmMain>(*Machine);
        Bmp = Dir.File("bild.bmp");
        WriteBmp(Bmp, 6, 6, 0x3366CC);
    }

    TempDir Dir;
    std::string Pdf, Bmp;
    std::shared_ptr<TTestPrintService> Service =
        std::make_shared<TTestPrintService>(std::vector<std::string>{"Testdrucker"}, "Testdrucker");
    std::unique_ptr<TPrinter> Machine;
    std::unique_ptr<TfrmMain> Form;
};
} // namespace

TEST_F(PrintCommand, PrintsThroughTheDialogAndNothingWhenItIsCancelled) {
    DialogScript script;
    script.Cancel();
    Form->btnPrintClick();
    EXPECT_FALSE(fs::exists(Pdf));
    script.Accept();
    Form->btnPrintClick();
    EXPECT_TRUE(fs::exists(Pdf));
    EXPECT_EQ(script.Pending(), 0);
    EXPECT_FALSE(Form->XPrint->Printing());
    // The window's print settings: landscape, tenths of a millimetre, copies as stored.
    EXPECT_EQ(Machine->Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_EQ(Form->XPrint->Scaling(), TScaling::pscMetric10);
    EXPECT_EQ(Form->XPrint->Copies(), 0);
}

TEST_F(PrintCommand, ACommandArrivingDuringTheJobIsIgnored) {
    DialogScript script;
    script.Accept();
    // Commands waiting in the queue run while the document starts and while it ends; each
    // would open a second dialog, which the script refuses.
    int nested = 0;
    std::function<void()> command = [&] {
        ++nested;
        Form->btnPrintClick();
        if (nested == 1)
            QTimer::singleShot(0, Form.get(), command);
    };
    QTimer::singleShot(0, Form.get(), command);
    Form->btnPrintClick();
    EXPECT_GE(nested, 1);
    EXPECT_EQ(script.Shown.size(), 1u);
    EXPECT_TRUE(fs::exists(Pdf));
}

TEST_F(PrintCommand, AFailingPictureAbandonsTheJobAndTheNextCommandPrints) {
    DialogScript script;
    TFailingGraphic broken("JPEG-Fehlernr. 53");
    Form->Back->Picture().CopyFrom(&broken);
    Form->Cover->Picture().LoadByExtension(Bmp);
    const std::string fontBefore = Form->XPrint->Font().Name;
    // A sheet printed before stays as it was.
    WriteFileText(Pdf, "bisheriger Bogen");
    script.Accept().Click("OK");
    Form->Drucken->trigger();
    ASSERT_EQ(script.Shown.size(), 2u);
    EXPECT_EQ(script.Shown[1], "Vellacour|JPEG-Fehlernr. 53.");
    EXPECT_FALSE(Form->XPrint->Printing());
    EXPECT_EQ(ReadFileText(Pdf), "bisheriger Bogen") << "a half-printed sheet was left";
    for (const auto& entry : fs::directory_iterator(Dir.Path())) // no temporary file left
        EXPECT_TRUE(entry.path().filename() == "cover.pdf" || entry.path().filename() == "bild.bmp")
            << entry.path();
    EXPECT_EQ(Form->XPrint->Font().Name, fontBefore);

    Form->Back->Picture().CopyFrom(static_cast<const TGraphic*>(nullptr));
    script.Accept();
    Form->btnPrintClick();
    EXPECT_EQ(ReadFileText(Pdf).substr(0, 5), "%PDF-");
}

// A queue that refuses the job: the message is shown, the job is over (font back, no
// document open) and the next command prints.
TEST_F(PrintCommand, ARefusedJobIsReportedAndTheNextOnePrints) {
    Machine = std::make_unique<TPrinter>(Service);
    Form = std::make_unique<TfrmMain>(*Machine);
    Service->Refusal = "client-error-not-accepting-jobs";
    const std::string fontBefore = Form->XPrint->Font().Name;
    DialogScript script;
    script.Accept().Click("OK");
    Form->Drucken->trigger();
    ASSERT_EQ(script.Shown.size(), 2u);
    EXPECT_EQ(script.Shown[1].toStdString(),
              "Vellacour|Der Druckauftrag konnte nicht an Testdrucker übergeben werden "
              "(client-error-not-accepting-jobs)");
    EXPECT_FALSE(Form->XPrint->Printing());
    EXPECT_FALSE(Form->XPrint->InJob());
    EXPECT_EQ(Form->XPrint->Font().Name, fontBefore);
    Service->Refusal.clear();
    // A spool file that cannot be written is an error too, and nothing reaches the queue.
    const bool hadTemp = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray savedTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", Bmp.c_str()); // a file, not a folder
    script.Accept().Click("OK");
    Form->Drucken->trigger();
    if (hadTemp)
        qputenv("TMPDIR", savedTemp);
    else
        qunsetenv("TMPDIR");
    ASSERT_EQ(script.Shown.size(), 4u);
    EXPECT_TRUE(script.Shown[3].startsWith(
        "Vellacour|Der Druckauftrag konnte nicht zwischengespeichert werden ("))
        << script.Shown[3].toStdString();
    EXPECT_EQ(Service->Submitted.size(), 1u);
    script.Accept();
    Form->Drucken->trigger();
    ASSERT_EQ(Service->Submitted.size(), 2u);
    EXPECT_EQ(Service->Submitted[1].Queue, "Testdrucker");
    // The spool files are gone once the queue has them.
    for (const TSubmission& job : Service->Submitted)
        EXPECT_FALSE(fs::exists(job.File)) << job.File;
}

TEST_F(PrintCommand, TheFramesBoxIsAskedAtEachStepThatDrawsFrames) {
    TPicture none;
    int asked = 0;
    PrintCoverSheet(*Form->XPrint, {none, none, [&] {
                                        ++asked;
                                        return asked != 2;
                                    }});
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(fs::exists(Pdf));
}

// US Letter landscape: on a printer that prints the whole sheet the back inlay reaches 4.6 mm
// beyond its right edge, and a stored correction of the printer moves the parts before they
// are compared; printed into a file, where a part is to keep 5 mm from the edge, it reaches
// 9.6 mm too far. A DVD wrap is narrower than Letter but comes nearer its edges than 5 mm:
// the question names the papers that hold it.
TEST_F(PrintCommand, AsksBeforeThePrinterCutsAPartAndNeinPrintsNothing) {
    TempDir config;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.Path().string().c_str());
    const char* const stackedFits =
        "Mit der Anordnung „untereinander“ passt der Bogen auf dieses Papier.";
    const struct {
        const char* What;
        bool ToFile;
        TCaseKind Case;
        TCalibration Stored;
        const char* Answer; // none: no question
        std::string Cuts;   // what the question says before "Trotzdem drucken?"
        bool Printed;
    } cases[] = {
        {"printer, Nein",
         false,
         TCaseKind::Jewel,
         {0, 0},
         "&Nein",
         std::string("(Rückseite: 4,6 mm rechts). ") + stackedFits,
         false},
        {"printer, Ja",
         false,
         TCaseKind::Jewel,
         {0, 0},
         "&Ja",
         std::string("(Rückseite: 4,6 mm rechts). ") + stackedFits,
         true},
        {"printer corrected", false, TCaseKind::Jewel, {-46, 0}, nullptr, "", true},
        {"file",
         true,
         TCaseKind::Jewel,
         {0, 0},
         "&Nein",
         std::string("(Rückseite: 9,6 mm rechts). ") + stackedFits,
         false},
        {"file, DVD wrap",
         true,
         TCaseKind::Dvd,
         {0, 0},
         "&Nein",
         "(Vorderseite: 1,8 mm rechts; Rückseite: 1,8 mm links). Auf Papier im Format A4 oder "
         "US Legal passt der Bogen.",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        fs::remove(Pdf);
        Service->Submitted.clear();
        WriteCalibration("Testdrucker", c.Stored);
        Form.reset();
        if (c.ToFile) {
            Machine = FilePrinter(Pdf, 300, Service);
        } else {
            Machine = std::make_unique<TPrinter>(Service);
            Machine->SetToDefaultPrinter();
        }
        Machine->SetPaper(QPageSize(QPageSize::Letter));
        Machine->SetFullSheetPrintable();
        Form = std::make_unique<TfrmMain>(*Machine);
        Form->SetCase(c.Case);
        DialogScript script;
        script.Accept();
        if (c.Answer)
            script.Then([&](QDialog& dialog) {
                auto& box = dynamic_cast<QMessageBox&>(dialog);
                EXPECT_EQ(box.defaultButton()->text(), "&Nein");
                EXPECT_EQ(box.escapeButton()->text(), "&Nein");
                for (QAbstractButton* button : box.buttons())
                    if (button->text() == c.Answer)
                        button->click();
                return box.result();
            });
        Form->btnPrintClick();
        EXPECT_EQ(script.Pending(), 0);
        if (c.Answer) {
            ASSERT_EQ(script.Shown.size(), 2u);
            EXPECT_EQ(script.Shown[1].toStdString(),
                      "Bestätigung|Ein Teil des Ausdrucks liegt außerhalb des bedruckbaren "
                      "Bereichs " +
                          c.Cuts + " Trotzdem drucken?");
        }
        EXPECT_EQ(c.ToFile ? fs::exists(Pdf) : !Service->Submitted.empty(), c.Printed);
        EXPECT_FALSE(Form->XPrint->Printing());
    }
    qputenv("XDG_CONFIG_HOME", saved);
}

// The stacked sheet prints portrait whatever the dialog held, fits US Letter without a
// question, and takes the printer's correction turned as the paper is.
TEST_F(PrintCommand, TheStackedSheetPrintsPortraitWithTheCorrectionTurned) {
    TempDir config;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.Path().string().c_str());
    WriteCalibration("Testdrucker", {20, -10});
    Machine->SetPaper(QPageSize(QPageSize::Letter));
    Machine->SetFullSheetPrintable();
    Form->SetArrangement(TArrangement::Stacked);
    WriteBmp(Bmp, 6, 6, 0x0000FF);
    Form->Back->Picture().LoadByExtension(Bmp);
    DialogScript script;
    script.Accept();
    Form->btnPrintClick();
    EXPECT_EQ(script.Pending(), 0);
    EXPECT_EQ(script.Shown.size(), 1u) << "no question";
    // 2 mm right and 1 mm up on the landscape sheet are 1 mm left and 2 mm up on this one.
    TSheetExpectation expected{.Paper = TPaper::Letter,
                               .Cover = std::nullopt,
                               .Back = 0xff0000ff,
                               .ShiftX = -1.0,
                               .ShiftY = -2.0,
                               .Stacked = true};
    const std::vector<std::string> problems = CheckSheetPdf(Pdf, expected);
    EXPECT_TRUE(problems.empty()) << JoinProblems(problems);
    qputenv("XDG_CONFIG_HOME", saved);
}

// Through the print command: a DVD wrap with a 7 mm spine chosen from the menu and a picture
// across the whole wrap, which hides the panels' pictures, with its frame and fold lines; a
// Blu-ray wrap with a picture on each panel; and a DVD layout whose wrap picture is gone,
// printed after "&Ja" as an empty wrap rather than with the panels' pictures.
TEST_F(PrintCommand, AWrapPrintsAsTheSheetOfItsCase) {
    const std::string red = Dir.File("rot.bmp"), green = Dir.File("gruen.bmp"),
                      blue = Dir.File("blau.bmp"), layout = Dir.File("dvd.vco");
    WriteBmp(red, 6, 4, 0xFF0000);
    WriteBmp(green, 4, 6, 0x00FF00);
    WriteBmp(blue, 5, 5, 0x0000FF);
    WriteFileText(layout, "[Vellacour]\ncase=dvd\ncover=" + green + "\nback=" + blue +
                              "\nwrap=" + Dir.File("fehlt.bmp") + "\n");
    DialogScript script;
    const auto panels = [&] {
        script.Choose(green).Choose(blue);
        Form->btnInsertCoverClick();
        Form->btnInsertBackClick();
    };
    const struct {
        const char* What;
        std::function<void()> Make;
        const char* Question; // asked before the printer dialog; none for no question
        TSheetExpectation Expected;
    } cases[] = {
        {"DVD, 7 mm spine, wrap picture",
         [&] {
             Form->SetCase(TCaseKind::Dvd);
             Form->SetSpine(70);
             panels();
             script.Choose(red);
             Form->UmschlagbildClick();
             Form->cbRahmen->setChecked(true);
         },
         nullptr,
         {.Frames = true, .Case = TSheetCase::Dvd, .Spine = 7.0, .Wrap = 0xffff0000}},
        {"Blu-ray, a picture on each panel",
         [&] {
             Form->SetCase(TCaseKind::Bluray);
             panels();
         },
         nullptr,
         {.Cover = 0xff00ff00, .Back = 0xff0000ff, .Case = TSheetCase::Bluray}},
        {"DVD, wrap picture gone",
         [&] {
             script.Click("OK");
             Form->LoadCover(layout);
         },
         "&Ja",
         {.Case = TSheetCase::Dvd}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        fs::remove(Pdf);
        Form = std::make_unique<TfrmMain>(*Machine);
        c.Make();
        ASSERT_EQ(script.Pending(), 0);
        if (c.Question)
            script.Click(c.Question);
        script.Accept();
        Form->btnPrintClick();
        EXPECT_EQ(script.Pending(), 0);
        const std::vector<std::string> problems = CheckSheetPdf(Pdf, c.Expected);
        EXPECT_TRUE(problems.empty()) << JoinProblems(problems);
    }
}

TEST(PrintCommandWithoutPrinter, TheWindowComesUpAndPrintingReportsTheMissingDefault) {
    TApplication::SetTitle("Vellacour");
    for (const TPrintQueues& machine : {TPrintQueues{{}, "", {}}, TPrintQueues{{"A"}, "", {}}}) {
        TPrinter printer(std::make_shared<TTestPrintService>(machine.Names, machine.Default));
        TfrmMain form(printer);
        DialogScript script;
        script.Click("OK");
        form.Drucken->trigger();
        ASSERT_EQ(script.Shown.size(), 1u);
        EXPECT_EQ(script.Shown[0],
                  QString::fromUtf8("Vellacour|Zur Zeit ist kein Standard-Drucker gewählt."));
        EXPECT_FALSE(form.XPrint->Printing());
    }
}

// A scheduler that does not answer: the print command gives up after the printer's
// timeout and says so, asking again each time it is given, and prints once the scheduler
// answers.
TEST(PrintCommandWithASilentScheduler, SaysSoAfterTheTimeoutAndPrintsOnceItAnswers) {
    TApplication::SetTitle("Vellacour");
    auto service =
        std::make_shared<TTestPrintService>(std::vector<std::string>{"Testdrucker"}, "Testdrucker");
    service->Hold();
    TPrinter printer(service, std::chrono::milliseconds(100));
    TfrmMain form(printer);
    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE(press);
        DialogScript script;
        script.Click("OK");
        QElapsedTimer clock;
        clock.start();
        form.Drucken->trigger();
        EXPECT_GE(clock.elapsed(), 90);
        EXPECT_LT(clock.elapsed(), 5000);
        ASSERT_EQ(script.Shown.size(), 1u);
        EXPECT_EQ(script.Shown[0], "Vellacour|Der Druckdienst (Testdienst) antwortet nicht.");
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(service->WaitUntilAsked(press));
    }
    service->Release();
    QElapsedTimer clock;
    clock.start();
    while (QueueQueryPending() && clock.elapsed() < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    DialogScript script;
    script.Accept();
    form.Drucken->trigger();
    EXPECT_EQ(script.Shown.size(), 1u) << "the printer dialog alone";
    ASSERT_EQ(service->Submitted.size(), 1u);
    EXPECT_EQ(service->Submitted[0].Queue, "Testdrucker");
}

// Without the print service's client library, the commands that need a printer say that
// printing is not possible, and why.
TEST(PrintCommandWithoutPrintService, PrintPreviewAndCorrectionSayPrintingIsUnavailableAndWhy) {
    TApplication::SetTitle("Vellacour");
    auto service = std::make_shared<TTestPrintService>(std::vector<std::string>{}, "");
    service->Staged.Unavailable = "die CUPS-Bibliothek lässt sich nicht laden (libcups.so.2: "
                                  "cannot open shared object file: No such file or directory)";
    TPrinter printer(service);
    TfrmMain form(printer);
    for (QAction* command : {form.Drucken, form.Seitenansicht, form.Druckerkorrektur}) {
        SCOPED_TRACE(command->text().toStdString());
        DialogScript script;
        script.Click("OK");
        command->trigger();
        ASSERT_EQ(script.Shown.size(), 1u);
        EXPECT_EQ(script.Shown[0],
                  QString::fromUtf8("Vellacour|Drucken ist nicht möglich: die CUPS-Bibliothek "
                                    "lässt sich nicht laden (libcups.so.2: cannot open shared "
                                    "object file: No such file or directory)."));
        EXPECT_FALSE(form.XPrint->Printing());
    }
}

// Print to file onto the layout or one of its pictures would destroy it: refused with the
// message, the file kept.
TEST_F(PrintCommand, PrintToFileOntoTheLayoutOrOneOfItsPicturesIsRefused) {
    const std::string layout = Dir.File("cover.vco");
    WriteFileText(layout, "[Vellacour]\ncover=bild.bmp\nback=\n");
    Form->LoadCover(layout);
    const std::string layoutText = ReadFileText(layout);
    const std::vector<uint8_t> picture = ReadFileBytes(Bmp);
    for (const std::string& output : {layout, Bmp}) {
        SCOPED_TRACE(output);
        Machine->SetOutputFile(output);
        DialogScript script;
        script.Accept().Click("OK");
        Form->Drucken->trigger();
        ASSERT_EQ(script.Shown.size(), 2u);
        EXPECT_EQ(script.Shown[1], QString::fromUtf8("Vellacour|Die Ausgabedatei " + output +
                                                     " ist eine der Eingabedateien."));
        EXPECT_EQ(ReadFileText(layout), layoutText);
        EXPECT_EQ(ReadFileBytes(Bmp), picture);
    }
}
