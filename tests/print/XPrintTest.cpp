// The print job component with and without a printer: its properties, states, messages
// and the job it hands to the printer (a PDF file, or a queue of the test's own).
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QProcess>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>
#include <sys/stat.h>

#include "PrintTestSupport.h"
#include "TestSupport.h"
#include "print/Printer.h"
#include "print/XPrinter.h"
#include "toolkit/Errors.h"

namespace {
template <class Action> std::string MessageOf(Action&& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "(no error)";
}

// A machine with one printer, the default, that prints into a PDF file.
class WithPrinter : public testing::Test {
protected:
    void SetUp() override {
        Pdf = Dir.File("blatt.pdf");
        Machine = FilePrinter(Pdf, 600);
        Print = std::make_unique<TXPrint>(*Machine);
    }

    TempDir Dir;
    std::string Pdf;
    std::unique_ptr<TPrinter> Machine;
    std::unique_ptr<TXPrint> Print;
};
} // namespace

TEST(PrinterQueues, AskedOnceAndNotBeforeStartOrFirstUse) {
    // A window comes up before the print system is asked; then it is asked once, whether
    // the query was started first or something needed the answer first.
    for (const bool startFirst : {true, false}) {
        auto service = std::make_shared<TTestPrintService>(std::vector<std::string>{"A", "B"}, "B");
        TPrinter printer(service);
        EXPECT_EQ(service->Asked, 0);
        if (startFirst)
            printer.StartQueueQuery();
        EXPECT_EQ(printer.QueueCount(), 2);
        printer.StartQueueQuery();
        printer.SetToDefaultPrinter();
        EXPECT_EQ(printer.PrinterName(), "B");
        EXPECT_EQ(service->Asked, 1);
    }
}

// A scheduler that does not answer: what needs the queues gives up after the printer's
// timeout, naming the scheduler, and leaves no wait cursor behind; the printer then ends
// without waiting for the query.
TEST(PrinterQueues, AnUnansweredQueryFailsAfterTheTimeoutAndHoldsNothing) {
    auto service = std::make_shared<TTestPrintService>(std::vector<std::string>{"A"}, "A");
    service->Hold();
    auto printer = std::make_unique<TPrinter>(service, std::chrono::milliseconds(100));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(MessageOf([&] { printer->SetToDefaultPrinter(); }),
              "Der Druckdienst (Testdienst) antwortet nicht");
    EXPECT_GE(clock.elapsed(), 90);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(QueueQueryPending());
    clock.restart();
    printer.reset();
    EXPECT_LT(clock.elapsed(), 1000);
    service->Release();
}

// At the program's end a query that hangs is not waited for, and the process is not torn
// down under it; without one the process ends normally. The child reports a wait of more
// than ten seconds, and a teardown, by their own exit statuses.
TEST(PrinterQueuesDeathTest, TheProcessEndsAtOnceWhileAQueryHangsAndNormallyOtherwise) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto endProcess = [](bool hanging) {
        std::thread([] {
            std::this_thread::sleep_for(std::chrono::seconds(10));
            std::_Exit(97);
        }).detach();
        std::atexit([] { std::_Exit(98); });
        auto service = std::make_shared<TTestPrintService>(std::vector<std::string>{"A"}, "A");
        if (hanging)
            service->Hold();
        auto printer = std::make_unique<TPrinter>(service);
        printer->StartQueueQuery();
        service->WaitUntilAsked(1);
        while (!hanging && QueueQueryPending())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        printer.reset();
        EndProcess(3);
    };
    EXPECT_EXIT(endProcess(true), testing::ExitedWithCode(3), "");
    EXPECT_EXIT(endProcess(false), testing::ExitedWithCode(98), "");
}

TEST(WithoutPrinter, PropertiesReadDefaultsAndPrinterOperationsDoNothing) {
    TPrinter none(std::make_shared<TTestPrintService>(std::vector<std::string>{}, ""));
    TXPrint print(none);
    EXPECT_EQ(print.PrinterCount(), 0);
    print.SetCopies(5);
    print.SetTitle("Titel");
    print.SetOrientation(TXPrinterOrientation::xpoLandscape);
    EXPECT_EQ(print.Copies(), 1);
    EXPECT_EQ(print.Title(), "");
    EXPECT_EQ(print.Orientation(), TXPrinterOrientation::xpoPortrait);
    EXPECT_FALSE(print.Aborted());
    EXPECT_FALSE(print.Printing());
    print.BeginJob();
    EXPECT_FALSE(print.InJob());
    print.SetFontSize(10);
    EXPECT_EQ(print.FontSize(), 0);
    print.EndJob();

    // Scaling, margins and the font still work; margins convert at 300 pixels per inch,
    // rounded: 100 pixels are 8.47 mm.
    print.MarginLeft = 100;
    print.SetScaling(TScaling::pscMetric10);
    EXPECT_EQ(print.MarginLeft, 85);
    print.SetScaling(TScaling::pscMetric10);
    EXPECT_EQ(print.MarginLeft, 85);
    TFont font;
    font.Name = "Arial";
    print.SetFont(font);
    EXPECT_EQ(print.Font().Name, "Arial");
    EXPECT_EQ(MessageOf([&] {
                  print.Canvas().Rectangle({0, 0, 10, 10});
              }),
              "Leinwand/Bild erlaubt kein Zeichnen");
}

TEST(PrinterDialog, WithoutADefaultPrinterTheComponentWorksAndTheDialogRefuses) {
    const struct {
        std::vector<std::string> Names;
        std::string Default;
    } machines[] = {{{}, ""}, {{"A", "B"}, ""}, {{"A"}, "Weg"}};
    for (const auto& machine : machines) {
        TPrinter printer(std::make_shared<TTestPrintService>(machine.Names, machine.Default));
        TXPrint print(printer); // the window holding it must come up
        EXPECT_EQ(print.PrinterCount(), int(machine.Names.size()));
        EXPECT_EQ(MessageOf([&] { ExecutePrinterDialog(printer, nullptr); }),
                  "Zur Zeit ist kein Standard-Drucker gewählt");
    }
}

TEST_F(WithPrinter, JobStatesAndTheirMessages) {
    TCanvas& canvas = Print->Canvas();
    EXPECT_EQ(MessageOf([&] { canvas.LineTo(10, 10); }), "Der Drucker ist nicht am Drucken");
    EXPECT_EQ(MessageOf([&] { Print->EndJob(); }), "Der Drucker ist nicht am Drucken");

    Print->SetScaling(TScaling::pscMetric10);
    Print->BeginJob();
    EXPECT_TRUE(Print->Printing());
    EXPECT_TRUE(Print->InJob());
    EXPECT_EQ(MessageOf([&] { Print->BeginJob(); }), "Das Drucken ist im Gang");
    EXPECT_EQ(MessageOf([&] { Print->SetCopies(2); }), "Das Drucken ist im Gang");
    EXPECT_EQ(MessageOf([&] { Print->SetOrientation(TXPrinterOrientation::xpoPortrait); }),
              "Das Drucken ist im Gang");
    Print->SetScaling(TScaling::pscMetric100);
    EXPECT_EQ(Print->Scaling(), TScaling::pscMetric10);
    canvas.LineTo(10, 10);
    Print->EndJob();
    EXPECT_FALSE(Print->Printing());
    EXPECT_FALSE(Print->InJob());
    EXPECT_TRUE(fs::file_size(Pdf) > 0);
    EXPECT_EQ(MessageOf([&] { canvas.LineTo(10, 10); }), "Der Drucker ist nicht am Drucken");
}

TEST_F(WithPrinter, MapsTenthsOfAMillimetreFromTheSheetsCorner) {
    Print->SetScaling(TScaling::pscMetric10);
    Print->SetOrientation(TXPrinterOrientation::xpoLandscape);
    Print->BeginJob();
    // Qt's A4 is 842 × 595 points: 7017 × 4958 pixels at 600 per inch.
    EXPECT_EQ(Print->LogPixelsX(), 600);
    EXPECT_EQ(Print->PhysicalWidth(), 7017);
    EXPECT_EQ(Print->PhysicalHeight(), 4958);
    EXPECT_EQ(Print->PageWidth(), 2970);
    EXPECT_EQ(Print->PageHeight(), 2098);
    // 100 mm are 2362.2 pixels at 600 per inch.
    const QPointF device = Machine->Painter().combinedTransform().map(QPointF(1000, 500));
    EXPECT_NEAR(device.x(), 2362.2, 0.5);
    EXPECT_NEAR(device.y(), 1181.1, 0.5);

    Print->SetFontSize(-10);
    EXPECT_EQ(Print->FontSize(), -10);
    EXPECT_EQ(Print->Font().Height, -35);
    Print->EndJob();

    // After the job the margins convert at the job's resolution.
    Print->MarginLeft = 100;
    Print->SetScaling(TScaling::pscMetric100);
    EXPECT_EQ(Print->MarginLeft, 999);
}

TEST_F(WithPrinter, TheJobGivesBackTheFontItWasGiven) {
    TFont& font = Print->Font();
    font.Name = "Times New Roman";
    font.PixelsPerInch = 96;
    font.Height = -21;
    font.Style = {.Bold = true};
    Print->SetScaling(TScaling::pscMetric10);
    Print->BeginJob();
    // The nominal 16 points are set in tenths of a millimetre: 5.64 mm.
    EXPECT_EQ(font.Height, -56);
    font.Name = "Arial";
    font.Style = {};
    Print->SetFontSize(10);
    Print->EndJob();
    EXPECT_EQ(font.Name, "Times New Roman");
    EXPECT_TRUE(font.Style.Bold);
    EXPECT_EQ(font.Size(), 16);
}

TEST_F(WithPrinter, CopiesAndTitleReachThePrinterAsGiven) {
    Print->SetCopies(0);
    EXPECT_EQ(Print->Copies(), 0);
    EXPECT_EQ(Machine->Copies(), 0);
    const std::string title = "Vellacour - ein Titel, der länger ist als erlaubt";
    Print->SetTitle(title);
    Print->BeginJob();
    Print->EndJob();
    EXPECT_EQ(Print->Title(), title);
    QProcess info;
    info.start("pdfinfo", {QString::fromStdString(Pdf)});
    ASSERT_TRUE(info.waitForFinished(20000));
    QString shown;
    for (const QString& line : QString::fromUtf8(info.readAllStandardOutput()).split('\n'))
        if (line.startsWith("Title:"))
            shown = line.mid(6).trimmed();
    EXPECT_EQ(shown.toStdString(), "Vellacour - ein Titel, der läng");
}

TEST_F(WithPrinter, AnAbortedJobLeavesTheFileAsItWasAndFreesThePrinter) {
    for (const bool existed : {false, true}) {
        if (existed)
            WriteFileText(Pdf, "bisheriger Bogen");
        Print->SetScaling(TScaling::pscMetric10);
        Print->BeginJob();
        Print->Canvas().Rectangle({0, 0, 100, 100});
        Print->AbortJob();
        EXPECT_FALSE(Print->Printing());
        EXPECT_FALSE(Print->InJob());
        EXPECT_EQ(fs::exists(Pdf), existed);
        if (existed) {
            EXPECT_EQ(ReadFileText(Pdf), "bisheriger Bogen");
        }
    }
    Print->BeginJob();
    Print->EndJob();
    EXPECT_EQ(ReadFileText(Pdf).substr(0, 5), "%PDF-");
}

// Whether the last document was abandoned, and its page, stay readable until the next one
// begins.
TEST_F(WithPrinter, TheLastJobsOutcomeAndPageStayReadableUntilTheNextBegins) {
    EXPECT_EQ(Machine->PageNumber(), 0);
    for (const bool abandon : {true, false, true}) {
        SCOPED_TRACE(abandon ? "abandoned" : "ended");
        Print->BeginJob();
        EXPECT_FALSE(Print->Aborted());
        EXPECT_EQ(Machine->PageNumber(), 1);
        if (abandon)
            Print->AbortJob();
        else
            Print->EndJob();
        EXPECT_EQ(Print->Aborted(), abandon);
        EXPECT_EQ(Machine->Aborted(), abandon);
        EXPECT_EQ(Machine->PageNumber(), 1);
    }
}

// Print to file replaces only a regular file or a new name, and never one of the files the
// document is made from; a refused file is left as it was.
TEST_F(WithPrinter, PrintToFileRefusesAnInputAndAnythingButARegularFile) {
    const std::string layout = Dir.File("cover.vco"), picture = Dir.File("vorne.bmp");
    WriteFileText(layout, "[Vellacour]\n");
    WriteFileText(picture, "BM");
    fs::create_symlink("vorne.bmp", Dir.File("verweis.pdf"));
    const std::string fifo = Dir.File("rohr.pdf"), loop = Dir.File("schleife.pdf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("schleife.pdf", loop);
    fs::create_directory(Dir.Path() / "ordner.pdf");
    const struct {
        std::string Output;
        const char* Message;
    } cases[] = {
        {layout, "Die Ausgabedatei %s ist eine der Eingabedateien"},
        {Dir.File("verweis.pdf"), "Die Ausgabedatei %s ist eine der Eingabedateien"},
        {fifo, "Die Ausgabedatei %s ist keine gewöhnliche Datei"},
        {Dir.File("ordner.pdf"), "Die Ausgabedatei %s ist keine gewöhnliche Datei"},
        {loop, "Der Ausdruck konnte nicht nach %s geschrieben werden"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Output);
        Machine->SetOutputFile(c.Output);
        Machine->Inputs = {layout, picture};
        Print->BeginJob();
        Print->Canvas().Rectangle({0, 0, 100, 100});
        EXPECT_EQ(MessageOf([&] { Print->EndJob(); }), Format(c.Message, c.Output.c_str()));
        EXPECT_FALSE(Print->Printing());
    }
    EXPECT_EQ(ReadFileText(layout), "[Vellacour]\n");
    EXPECT_EQ(ReadFileText(picture), "BM");
    EXPECT_TRUE(fs::is_symlink(Dir.File("verweis.pdf")));
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_symlink(loop));
    EXPECT_TRUE(fs::is_empty(Dir.Path() / "ordner.pdf"));

    // The inputs belong to the one document they were given for.
    Machine->SetOutputFile(layout);
    Print->BeginJob();
    Print->EndJob();
    EXPECT_EQ(ReadFileText(layout).substr(0, 5), "%PDF-");
}
