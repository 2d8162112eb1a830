// The print command of the main window: the printer dialog, the guard against a second
// command during a job, failures during the page, and a machine without printers.
#include <QMessageBox>
#include <QPageSize>
#include <QPushButton>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "PictureTestSupport.h"
#include "TestSupport.h"
#include "app/Calibration.h"
#include "app/CoverSheet.h"
#include "app/MainForm.h"
#include "print/XPrinter.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/Printer.h"

namespace {
class PrintCommand : public testing::Test {
protected:
    void SetUp() override {
        TApplication::SetTitle("Vellacour");
        ReleasePrinter();
        SetPrintQueueSource([] { return TPrintQueues{{"Testdrucker"}, "Testdrucker"}; });
        Form = std::make_unique<TfrmMain>();
        Pdf = Dir.File("cover.pdf");
        Printer().SetOutputFile(Pdf);
        Printer().SetResolution(300);
        Bmp = Dir.File("bild.bmp");
        WriteBmp(Bmp, 6, 6, 0x3366CC);
    }
    void TearDown() override {
        ReleasePrinter();
        SetPrintQueueSource({});
    }

    TempDir Dir;
    std::string Pdf, Bmp;
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
    EXPECT_EQ(Printer().Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_EQ(Form->XPrint->Scaling(), TScaling::pscMetric10);
    EXPECT_EQ(Form->XPrint->Copies(), 0);
}

TEST_F(PrintCommand, ACommandArrivingDuringTheJobIsIgnored) {
    DialogScript script;
    script.Accept();
    int nested = 0;
    Printer().OnAbortProc = [&] {
        ++nested;
        Form->btnPrintClick(); // would open a second dialog, which the script refuses
    };
    Form->btnPrintClick();
    EXPECT_EQ(nested, 2); // once as the document starts, once as it ends
    EXPECT_EQ(script.Shown.size(), 1u);
    EXPECT_TRUE(fs::exists(Pdf));
}

TEST_F(PrintCommand, AFailingPictureAbandonsTheJobAndTheNextCommandPrints) {
    DialogScript script;
    TFailingGraphic broken("JPEG-Fehlernr. 53");
    Form->Back->Picture().CopyFrom(&broken);
    Form->Cover->Picture().LoadByExtension(Bmp);
    const std::string fontBefore = Form->XPrint->Font().Name;
    script.Accept().Click("OK");
    Form->Drucken->trigger();
    ASSERT_EQ(script.Shown.size(), 2u);
    EXPECT_EQ(script.Shown[1], "Vellacour|JPEG-Fehlernr. 53.");
    EXPECT_FALSE(Form->XPrint->Printing());
    EXPECT_FALSE(fs::exists(Pdf)) << "a half-printed sheet was left";
    EXPECT_EQ(Form->XPrint->Font().Name, fontBefore);

    Form->Back->Picture().CopyFrom(static_cast<const TGraphic*>(nullptr));
    script.Accept();
    Form->btnPrintClick();
    EXPECT_TRUE(fs::exists(Pdf));
}

TEST_F(PrintCommand, TheFramesBoxIsAskedAtEachStepThatDrawsFrames) {
    TPicture none;
    int asked = 0;
    Printer().SetOutputFile(Pdf);
    PrintCoverSheet(*Form->XPrint, {none, none, [&] {
                                        ++asked;
                                        return asked != 2;
                                    }});
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(fs::exists(Pdf));
}

// US Letter landscape over the whole sheet: the back inlay reaches 4.6 mm beyond its
// right edge. A stored correction of the printer moves the parts before they are compared.
TEST_F(PrintCommand, AsksBeforeThePrinterCutsAPartAndNeinPrintsNothing) {
    TempDir config;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.Path().string().c_str());
    const QString question = QString::fromUtf8(
        "Bestätigung|Ein Teil des Ausdrucks liegt außerhalb des bedruckbaren Bereichs "
        "(Rückseite: 4,6 mm rechts). Trotzdem drucken?");
    const struct {
        TCalibration Stored;
        const char* Answer; // none: no question
        bool Printed;
    } cases[] = {{{0, 0}, "&Nein", false}, {{0, 0}, "&Ja", true}, {{-46, 0}, nullptr, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Answer ? c.Answer : "no question");
        fs::remove(Pdf);
        WriteCalibration("Testdrucker", c.Stored);
        Printer().SetPaper(QPageSize::Letter);
        Printer().SetFullSheetPrintable();
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
            EXPECT_EQ(script.Shown[1], question);
        }
        EXPECT_EQ(fs::exists(Pdf), c.Printed);
        EXPECT_FALSE(Form->XPrint->Printing());
    }
    qputenv("XDG_CONFIG_HOME", saved);
}

TEST(PrintCommandWithoutPrinter, TheWindowComesUpAndPrintingReportsTheMissingDefault) {
    TApplication::SetTitle("Vellacour");
    for (const TPrintQueues& machine : {TPrintQueues{{}, ""}, TPrintQueues{{"A"}, ""}}) {
        SetPrintQueueSource([machine] { return machine; });
        ReleasePrinter();
        TfrmMain form;
        DialogScript script;
        script.Click("OK");
        form.Drucken->trigger();
        ASSERT_EQ(script.Shown.size(), 1u);
        EXPECT_EQ(script.Shown[0],
                  QString::fromUtf8("Vellacour|Zur Zeit ist kein Standard-Drucker gewählt."));
        EXPECT_FALSE(form.XPrint->Printing());
    }
    SetPrintQueueSource({});
}
