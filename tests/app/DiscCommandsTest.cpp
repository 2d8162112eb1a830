// The disc label in the main window: its picture and its dialog are steps of the layout, the
// label shows on its own page clipped to the ring and is placed by mouse as the cover is, and
// the print dialog chooses plain paper or the labels of a label sheet.
#include <QMenu>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "PictureTestSupport.h"
#include "TestSupport.h"
#include "app/DiscForm.h"
#include "app/DiscView.h"
#include "app/MainForm.h"
#include "print/Printer.h"
#include "sheet/LabelSheet.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"

namespace {
class DiscCommands : public testing::Test {
protected:
    void SetUp() override {
        TApplication::SetTitle("Vellacour");
        Form = std::make_unique<TfrmMain>(Printer());
    }
    QString UndoCaption() const { return Form->Rueckgaengig->text(); }

    TempDir Dir;
    std::unique_ptr<TfrmMain> Form;
};
} // namespace

// The picture goes on the label, which the page then shows: the control is the label's
// square at the view's scale, clipped to the ring (the hole shows the page). Filled and moved
// by mouse, the moves of one go are one step; undone step by step, the label is empty again.
TEST_F(DiscCommands, DiscPictureAndItsWindowAreStepsShownOnTheRing) {
    const std::string picture = Dir.File("rot.bmp");
    WriteBmp(picture, 8, 8, 0xFF0000);
    DialogScript script;
    script.Choose(picture);
    Form->DiscBildClick();
    EXPECT_EQ(Form->Document.Disc.File(), picture);
    EXPECT_EQ(UndoCaption(), QString::fromUtf8("&Rückgängig: Disc-Bild"));
    EXPECT_TRUE(Form->ShowsDisc());
    EXPECT_TRUE(Form->AnsichtDisc->isChecked());
    EXPECT_TRUE(Form->DiscBildEntfernen->isEnabled());
    EXPECT_FALSE(Form->Disc->Picture().Content() == nullptr);

    const int side = DiscLimits::DefaultOuter / 4; // a quarter pixel a tenth, rounded
    EXPECT_NEAR(Form->Disc->width(), side, 1);
    const QRegion ring = Form->Disc->mask();
    EXPECT_FALSE(ring.contains(QPoint(side / 2, side / 2))) << "the hole";
    EXPECT_TRUE(ring.contains(QPoint(side / 2, side / 10))) << "the ring";
    EXPECT_FALSE(ring.contains(QPoint(1, 1))) << "outside the disc";

    emit Form->Bild->findChild<QMenu*>("BildDisc")->aboutToShow();
    QAction* fill = Form->Bild->findChild<QMenu*>("BildDisc")->findChild<QAction*>("Fuellen");
    ASSERT_NE(fill, nullptr);
    fill->trigger();
    EXPECT_EQ(Form->Document.Placements.Disc.Placement.Mode, TPlacementMode::Fill);
    Form->Disc->OnViewChange({0, 0, 5000, 5000});
    Form->Disc->OnViewChange({100, 0, 5000, 5000});
    EXPECT_EQ(UndoCaption(), QString::fromUtf8("&Rückgängig: Ausschnitt"));
    EXPECT_EQ(Form->Disc->Placement().View->Left, 100);
    Form->RueckgaengigClick();
    EXPECT_FALSE(Form->Document.Placements.Disc.Placement.View) << "both moves were one step";
    Form->RueckgaengigClick();
    Form->RueckgaengigClick();
    EXPECT_TRUE(Form->Document.Disc.File().empty());
    EXPECT_FALSE(Form->DiscBildEntfernen->isEnabled());

    // Back to the case's page, and printing an empty label only says why not.
    Form->AnsichtHuelle->trigger();
    EXPECT_FALSE(Form->ShowsDisc());
    EXPECT_TRUE(Form->pnlPage->isVisibleTo(Form.get()));
    script.Accept();
    Form->DiscDruckenClick();
    ASSERT_FALSE(script.Shown.empty());
    EXPECT_TRUE(script.Shown.back().contains("Das Disc-Etikett ist leer"))
        << script.Shown.back().toStdString();
    EXPECT_EQ(script.Pending(), 0);
}

// The dialog's words and sizes become one step; a setting the user left alone keeps the text
// the layout held for it, even one the program could not read; saved and reopened the label
// is the same, and a layout of a disc label alone opens on the label.
TEST_F(DiscCommands, DiscDialogChangesWhatTheUserChangedAndTravelsWithTheLayout) {
    const std::string layout = Dir.File("disc.vco");
    WriteFileText(layout, "[Vellacour]\ncover=\nback=\ndiscOuter=gross\n");
    Form->LoadCover(layout);
    EXPECT_FALSE(Form->ShowsDisc()) << "no disc label yet";
    DialogScript script;
    script.Then([](QDialog& dialog) {
        auto& form = dynamic_cast<TfrmDisc&>(dialog);
        form.edTitle->setText("Sommer am See");
        form.edHole->setValue(17.6);
        form.mmLines->setPlainText("Eins\r\nZwei\n");
        return int(QDialog::Accepted);
    });
    Form->DiscEtikettClick();
    EXPECT_EQ(UndoCaption(), QString::fromUtf8("&Rückgängig: Disc-Etikett"));
    const TLayoutDocument& document = Form->Document;
    EXPECT_EQ(document.DiscText.Title, "Sommer am See");
    EXPECT_EQ(document.DiscText.Lines, (std::vector<std::string>{"Eins", "Zwei"}));
    EXPECT_EQ(document.DiscSettings.Hole.Value, 176);
    EXPECT_EQ(document.DiscSettings.Outer.Unread, "gross");
    Form->SaveCover(layout);
    EXPECT_NE(ReadFileText(layout).find("discOuter=gross"), std::string::npos);

    Form->btnNewClick();
    Form->LoadCover(layout);
    EXPECT_TRUE(Form->ShowsDisc());
    EXPECT_EQ(Form->pnlDisc->Label().Title, "Sommer am See");
    EXPECT_EQ(Form->pnlDisc->Label().Hole, 176);
    EXPECT_EQ(script.Pending(), 0);
}

// Plain paper prints one label and takes no overprint; a label sheet offers its positions,
// all ticked, and prints those left ticked; with none, nothing can be printed.
TEST_F(DiscCommands, PrintDialogChoosesPlainPaperOrTheTickedLabelsOfASheet) {
    const TLabelSheets& sheets = LabelSheets();
    TfrmDiscPrint dialog(sheets, 15);
    EXPECT_EQ(dialog.cbSheet->count(), int(sheets.Sheets.size()) + 1);
    EXPECT_EQ(dialog.Choice().Sheet, nullptr);
    EXPECT_FALSE(dialog.edOverprint->isEnabled());
    EXPECT_TRUE(dialog.btnPrint->isEnabled());

    dialog.cbSheet->setCurrentIndex(1);
    const TDiscPrintChoice all = dialog.Choice();
    ASSERT_EQ(all.Sheet, &sheets.Sheets[0]);
    EXPECT_EQ(all.Sheet->Name, "6015");
    EXPECT_EQ(all.Labels, (std::vector<size_t>{0, 1}));
    EXPECT_EQ(all.Overprint, 15);
    EXPECT_TRUE(dialog.edOverprint->isEnabled());

    dialog.Positions[0]->setChecked(false);
    EXPECT_EQ(dialog.Choice().Labels, (std::vector<size_t>{1}));
    dialog.Positions[1]->setChecked(false);
    EXPECT_FALSE(dialog.btnPrint->isEnabled());
    EXPECT_FALSE(dialog.btnPreview->isEnabled());
}
