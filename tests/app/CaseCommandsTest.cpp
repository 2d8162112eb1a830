// The case in the main window: "B&ogen" / "&Hülle" chooses it, "&Rückenbreite" its spine and
// "Eigene Maße..." a size of one's own, each one step; the page shows the wrap's panels where
// the wrap stands on the paper, or the one picture across the whole wrap while it is set.
#include <QLabel>
#include <QMenu>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "TestSupport.h"
#include "app/CaseSizeForm.h"
#include "app/MainForm.h"
#include "print/Printer.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"

namespace {
// Pixels of the window's page for a millimetre of a landscape A4 sheet: the sheet's 210 mm
// fill the 345 pixels the side-by-side page is high.
constexpr double PixelsPerMm = 345.0 / 210;

class CaseCommands : public testing::Test {
protected:
    void SetUp() override {
        TApplication::SetTitle("Vellacour");
        Form = std::make_unique<TfrmMain>(Printer());
    }

    // The item of a menu with this caption.
    static QAction* Item(QMenu* menu, const char* caption) {
        emit menu->aboutToShow();
        for (QAction* item : menu->actions())
            if (item->text() == QString::fromUtf8(caption))
                return item;
        ADD_FAILURE() << "no item " << caption;
        return nullptr;
    }
    static QString Captions(const QMenu* menu) {
        QStringList texts;
        for (const QAction* item : menu->actions())
            texts << item->text();
        return texts.join('|');
    }
    static QString Checked(const QMenu* menu) {
        for (const QAction* item : menu->actions())
            if (item->isChecked())
                return item->text();
        return {};
    }
    QString UndoCaption() const { return Form->Rueckgaengig->text(); }

    TempDir Dir;
    std::unique_ptr<TfrmMain> Form;
};
} // namespace

// Each case chosen from the menu: the layout takes it with its standard spine, the page shows
// the back panel left and the front panel right with the spine between, the wrap centred on
// the page, at the page's one scale; the arrangement is disabled and "&Rückenbreite" lists
// the case's spines. Undone, the jewel case's page is back as designed.
TEST_F(CaseCommands, EachCaseFromTheMenuChangesTheLayoutAndThePageAndUndoBringsTheJewelCaseBack) {
    const struct {
        const char* Caption;
        TCaseKind Kind;
        double PanelWidth, PanelHeight, Spine; // millimetres
        const char* Spines;
        const char* Checked;
    } cases[] = {
        {"CD-Slimcase", TCaseKind::Slim, 120, 120, 0, "", ""},
        {"DVD-Hülle", TCaseKind::Dvd, 129.5, 184, 14, "7 mm|9 mm|14 mm|21 mm|27 mm", "14 mm"},
        {"Blu-ray-Hülle", TCaseKind::Bluray, 128, 149, 14, "11 mm|12,5 mm|14 mm", "14 mm"},
    };
    const QRect page = Form->pnlPage->geometry(), cover = Form->Cover->geometry(),
                back = Form->Back->geometry();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Caption);
        Item(Form->Huelle, c.Caption)->trigger();
        EXPECT_EQ(Form->Document.Settings.Case.Value, c.Kind);
        EXPECT_EQ(UndoCaption(), QString::fromUtf8("&Rückgängig: Hülle"));
        EXPECT_EQ(Checked(Form->Huelle), QString::fromUtf8(c.Caption));
        EXPECT_FALSE(Form->Anordnung->menuAction()->isEnabled());
        EXPECT_TRUE(Form->Umschlagbild->isEnabled());
        EXPECT_EQ(Captions(Form->Rueckenbreite), QString::fromUtf8(c.Spines));
        EXPECT_EQ(Checked(Form->Rueckenbreite), QString::fromUtf8(c.Checked));
        EXPECT_EQ(Form->Rueckenbreite->menuAction()->isEnabled(), c.Spines[0] != 0);

        const QRect p = Form->pnlPage->geometry(), f = Form->Cover->geometry(),
                    b = Form->Back->geometry();
        EXPECT_NEAR(p.width(), 297 * PixelsPerMm, 1);
        EXPECT_EQ(p.height(), 345);
        EXPECT_NEAR(p.center().x(), page.center().x(), 1);
        for (const QRect& panel : {f, b}) {
            EXPECT_NEAR(panel.width(), c.PanelWidth * PixelsPerMm, 1);
            EXPECT_NEAR(panel.height(), c.PanelHeight * PixelsPerMm, 1);
            EXPECT_NEAR(panel.top(), (210 - c.PanelHeight) / 2 * PixelsPerMm, 1);
        }
        EXPECT_LT(b.right(), f.left());
        EXPECT_NEAR(f.left() - (b.right() + 1), c.Spine * PixelsPerMm, 1);
        EXPECT_NEAR(b.left() + f.right() + 1, p.width(), 2);
        EXPECT_FALSE(Form->Cover->isHidden());
        EXPECT_FALSE(Form->Back->isHidden());
        EXPECT_TRUE(Form->Wrap->isHidden());
        // The words across the page let the mouse through to the panels.
        EXPECT_EQ(Form->pnlPage->childAt(f.center()), Form->Cover);
        EXPECT_EQ(Form->pnlPage->childAt(b.center()), Form->Back);

        Form->Rueckgaengig->trigger();
        EXPECT_EQ(Form->Document, TLayoutDocument{});
        EXPECT_EQ(Checked(Form->Huelle), "CD-Jewelcase");
        EXPECT_TRUE(Form->Anordnung->menuAction()->isEnabled());
        EXPECT_FALSE(Form->Rueckenbreite->menuAction()->isEnabled());
        EXPECT_FALSE(Form->Umschlagbild->isEnabled());
        EXPECT_EQ(Form->pnlPage->geometry(), page);
        EXPECT_EQ(Form->Cover->geometry(), cover);
        EXPECT_EQ(Form->Back->geometry(), back);
    }
}

// A spine from the menu is one step and narrows the gap between the panels; choosing the case
// it already is keeps that spine and is no step.
TEST_F(CaseCommands, ASpineIsOneStepAndTheSameCaseAgainKeepsIt) {
    Item(Form->Huelle, "DVD-Hülle")->trigger();
    Item(Form->Rueckenbreite, "7 mm")->trigger();
    EXPECT_EQ(Form->Document.Settings.Layout().Size.Spine, 70);
    EXPECT_EQ(UndoCaption(), QString::fromUtf8("&Rückgängig: Rückenbreite"));
    EXPECT_EQ(Checked(Form->Rueckenbreite), "7 mm");
    EXPECT_NEAR(Form->Cover->x() - (Form->Back->geometry().right() + 1), 7 * PixelsPerMm, 1);

    Item(Form->Huelle, "DVD-Hülle")->trigger();
    EXPECT_EQ(Form->Document.Settings.Layout().Size.Spine, 70);
    EXPECT_EQ(UndoCaption(), QString::fromUtf8("&Rückgängig: Rückenbreite"));
    Form->Rueckgaengig->trigger();
    EXPECT_EQ(Form->Document.Settings.Layout().Size.Spine, 140);
    EXPECT_EQ(Checked(Form->Rueckenbreite), "14 mm");
}

// The arrangement belongs to the jewel case: a stacked layout turned into a DVD wrap shows a
// landscape page and keeps its arrangement, in the file too, and stands stacked again as a
// jewel case.
TEST_F(CaseCommands, TheArrangementIsKeptForTheJewelCase) {
    const std::string file = Dir.File("gestapelt.vco");
    WriteFileText(file, "[Vellacour]\ncover=\nback=\narrangement=stacked\n");
    Form->LoadCover(file);
    EXPECT_GT(Form->pnlPage->height(), Form->pnlPage->width());
    Item(Form->Huelle, "DVD-Hülle")->trigger();
    EXPECT_LT(Form->pnlPage->height(), Form->pnlPage->width());
    EXPECT_FALSE(Form->Anordnung->menuAction()->isEnabled());
    Form->btnSaveClick();
    EXPECT_EQ(ReadFileText(file), "[Vellacour]\ncover=\nback=\narrangement=stacked\ncase=dvd\n");
    Item(Form->Huelle, "CD-Jewelcase")->trigger();
    EXPECT_GT(Form->pnlPage->height(), Form->pnlPage->width());
}

// "Eigene Maße..." starts from the wrap shown and takes the size confirmed as one step; a
// cancelled dialog changes nothing and the menu checks the case as it was.
TEST_F(CaseCommands, ACustomSizeIsAskedForAndIsOneStep) {
    Item(Form->Huelle, "Blu-ray-Hülle")->trigger();
    DialogScript script;
    QStringList shown;
    script.Then([&](QDialog& dialog) {
        auto& size = dynamic_cast<TfrmCaseSize&>(dialog);
        shown << size.seWidth->cleanText() << size.seHeight->cleanText()
              << size.seSpine->cleanText();
        return int(QDialog::Rejected);
    });
    Form->EigeneMasse->trigger();
    EXPECT_EQ(shown, QStringList({"128,0", "149,0", "14,0"}));
    EXPECT_EQ(Form->Document.Settings.Case.Value, TCaseKind::Bluray);
    EXPECT_EQ(Checked(Form->Huelle), QString::fromUtf8("Blu-ray-Hülle"));
    EXPECT_EQ(script.Shown, std::vector<QString>({QString::fromUtf8("Eigene Maße")}));

    script.Then([](QDialog& dialog) {
        auto& size = dynamic_cast<TfrmCaseSize&>(dialog);
        size.seWidth->setValue(100);
        size.seHeight->setValue(150.5);
        size.seSpine->setValue(20);
        size.btnOKClick();
        return dialog.result();
    });
    Form->EigeneMasse->trigger();
    EXPECT_EQ(script.Pending(), 0);
    EXPECT_EQ(Form->Document.Settings.Layout().Size, (TCaseSize{1000, 1505, 200}));
    EXPECT_EQ(Form->Document.Settings.Case.Value, TCaseKind::Custom);
    EXPECT_EQ(UndoCaption(), QString::fromUtf8("&Rückgängig: Eigene Maße"));
    EXPECT_EQ(Checked(Form->Huelle), QString::fromUtf8("Eigene Maße..."));
    EXPECT_FALSE(Form->Rueckenbreite->menuAction()->isEnabled());
    EXPECT_NEAR(Form->Cover->width(), 100 * PixelsPerMm, 1);
    EXPECT_NEAR(Form->Cover->height(), 150.5 * PixelsPerMm, 1);
    Form->Rueckgaengig->trigger();
    EXPECT_EQ(Form->Document.Settings.Case.Value, TCaseKind::Bluray);
}

// The whole wrap may be at most 345 mm wide: OK takes a size up to that and refuses a wider
// one with a message naming the limit, leaving the dialog open.
TEST_F(CaseCommands, TheSizeDialogRefusesAWrapWiderThanLegalHolds) {
    const struct {
        double Width, Height, Spine;
        const char* Refusal; // none: the dialog closes
    } cases[] = {
        {172.5, 200, 0, nullptr},
        {172.5, 200, 0.1,
         "Der Umschlag wäre 345,1 × 200 mm groß (zwei Teile und der Rücken nebeneinander); "
         "höchstens 345 × 205 mm sind möglich, so viel hält US Legal mit 5 mm Rand."},
        {150, 50, 40, nullptr},
        {160, 120, 30,
         "Der Umschlag wäre 350 × 120 mm groß (zwei Teile und der Rücken nebeneinander); "
         "höchstens 345 × 205 mm sind möglich, so viel hält US Legal mit 5 mm Rand."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Width * 2 + c.Spine);
        TfrmCaseSize dialog({1295, 1840, 140});
        dialog.seWidth->setValue(c.Width);
        dialog.seHeight->setValue(c.Height);
        dialog.seSpine->setValue(c.Spine);
        DialogScript script;
        if (c.Refusal)
            script.Click("OK");
        dialog.btnOKClick();
        EXPECT_EQ(script.Pending(), 0);
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.Refusal == nullptr);
        if (c.Refusal) {
            ASSERT_EQ(script.Shown.size(), 1u);
            EXPECT_EQ(script.Shown[0],
                      QString::fromUtf8("Vellacour|") + QString::fromUtf8(c.Refusal));
        }
    }
    // Each panel stays within 50 to 200 mm and the spine within 40 mm.
    TfrmCaseSize dialog({1295, 1840, 140});
    dialog.seWidth->setValue(250);
    dialog.seHeight->setValue(10);
    dialog.seSpine->setValue(45);
    EXPECT_EQ(dialog.Size(), (TCaseSize{2000, 500, 400}));
}

// The wrap picture, inserted through the picture dialog, shows over the whole wrap in place of
// the panels and is saved with the layout; removing it brings the panels back. Each is a
// step, and a layout opened with a wrap picture shows it.
TEST_F(CaseCommands, TheWrapPictureShowsOverThePanelsAndRemovingItBringsThemBack) {
    const std::string picture = Dir.File("umschlag.bmp"), cover = Dir.File("vorne.bmp");
    WriteBmp(picture, 40, 20, 0xFF0000);
    WriteBmp(cover, 10, 10, 0x00FF00);
    DialogScript script;
    EXPECT_FALSE(Form->Umschlagbild->isEnabled());
    Item(Form->Huelle, "DVD-Hülle")->trigger();
    script.Choose(cover);
    Form->btnInsertCoverClick();
    EXPECT_FALSE(Form->UmschlagbildEntfernen->isEnabled());

    script.Choose(picture);
    Form->Umschlagbild->trigger();
    EXPECT_EQ(script.Pending(), 0);
    EXPECT_EQ(Form->Document.Wrap.File(), picture);
    EXPECT_EQ(UndoCaption(), QString::fromUtf8("&Rückgängig: Umschlagbild"));
    EXPECT_TRUE(Form->Cover->isHidden());
    EXPECT_TRUE(Form->Back->isHidden());
    EXPECT_FALSE(Form->Wrap->isHidden());
    EXPECT_EQ(Form->Wrap->geometry(), Form->Back->geometry().united(Form->Cover->geometry()));
    EXPECT_EQ(Form->Wrap->Picture().Width(), 40);
    EXPECT_EQ(Form->Wrap->Placement().Mode, TPlacementMode::Fill);
    EXPECT_TRUE(Form->Wrap->toolTip().startsWith(QString::fromUtf8("umschlag.bmp – 40 × 20 Pixel")))
        << Form->Wrap->toolTip().toStdString();
    EXPECT_TRUE(Form->UmschlagbildEntfernen->isEnabled());

    const std::string file = Dir.File("dvd.vco");
    Form->SaveCover(file);
    const std::string saved = ReadFileText(file);
    EXPECT_NE(saved.find("\ncase=dvd\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\nwrap=" + picture + "\n"), std::string::npos) << saved;

    Form->UmschlagbildEntfernen->trigger();
    EXPECT_EQ(UndoCaption(), QString::fromUtf8("&Rückgängig: Umschlagbild entfernen"));
    EXPECT_EQ(Form->Document.Wrap.File(), "");
    EXPECT_EQ(Form->Document.Cover.File(), cover);
    EXPECT_FALSE(Form->Cover->isHidden());
    EXPECT_FALSE(Form->Back->isHidden());
    EXPECT_TRUE(Form->Wrap->isHidden());
    EXPECT_EQ(Form->Cover->Picture().Width(), 10);
    EXPECT_FALSE(Form->UmschlagbildEntfernen->isEnabled());
    Form->Rueckgaengig->trigger();
    EXPECT_FALSE(Form->Wrap->isHidden());
    EXPECT_FALSE(Form->Changed());

    // As the jewel case the panels show again, and the wrap picture stays in the layout.
    Item(Form->Huelle, "CD-Jewelcase")->trigger();
    EXPECT_TRUE(Form->Wrap->isHidden());
    EXPECT_FALSE(Form->Cover->isHidden());
    EXPECT_EQ(Form->Document.Wrap.File(), picture);
    EXPECT_FALSE(Form->Umschlagbild->isEnabled());

    script.Click("&Nein");
    Form->btnNewClick();
    Form->LoadCover(file);
    EXPECT_FALSE(Form->Wrap->isHidden());
    EXPECT_EQ(Form->Wrap->Picture().Width(), 40);
    EXPECT_EQ(script.Pending(), 0);
}

// A wrap picture found only beside the layout, or nowhere, is said as a panel's picture is:
// the one is taken from there, the other shows its placeholder over the wrap, and printing
// asks about it alone, since the panels' pictures are not printed.
TEST_F(CaseCommands, AWrapPictureMovedOrMissingIsSaidAsAPanelsIs) {
    const std::string beside = Dir.File("umschlag.bmp"), cover = Dir.File("vorne.bmp");
    WriteBmp(beside, 40, 20, 0xFF0000);
    WriteBmp(cover, 10, 10, 0x00FF00);
    const std::string gone = Dir.File("weg/verloren.bmp"),
                      missingCover = Dir.File("weg/nirgends.bmp");
    const std::string moved = Dir.File("verschoben.vco"), missing = Dir.File("fehlt.vco");
    WriteFileText(moved, "[Vellacour]\ncase=dvd\nwrap=/frueher/umschlag.bmp\n");
    WriteFileText(missing, "[Vellacour]\ncover=" + missingCover + "\nback=" + cover +
                               "\ncase=dvd\nwrap=" + gone + "\n");
    DialogScript script;
    script.Accept();
    Form->LoadCover(moved);
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].toStdString(),
              "Vellacour|Diese Bilder wurden nicht am gespeicherten Ort, aber im Ordner der "
              "Layoutdatei gefunden und werden von dort verwendet:\n" +
                  beside + "\nBeim Speichern wird der neue Ort eingetragen.");
    EXPECT_EQ(Form->Document.Wrap.File(), beside);
    EXPECT_EQ(Form->Wrap->Picture().Width(), 40);
    EXPECT_TRUE(Form->Changed());

    script.Accept();
    Form->LoadCover(missing);
    ASSERT_EQ(script.Shown.size(), 2u);
    EXPECT_EQ(script.Shown[1].toStdString(),
              "Vellacour|Diese Bilder wurden nicht gefunden:\n" + missingCover + "\n" + gone +
                  "\nDer Teil bleibt leer, bis ein anderes Bild eingefügt wird; die Layoutdatei "
                  "behält den Eintrag.");
    EXPECT_FALSE(Form->Wrap->isHidden());
    EXPECT_TRUE(Form->Cover->isHidden());
    const auto* placeholder = Form->Wrap->findChild<QLabel*>();
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->text().toStdString(), "Bild fehlt:\n" + gone);
    script.Click("&Nein");
    Form->btnPrintClick();
    ASSERT_EQ(script.Shown.size(), 3u);
    EXPECT_EQ(script.Shown[2].toStdString(),
              "Bestätigung|Diese Bilder fehlen und werden leer gedruckt:\n" + gone +
                  "\nTrotzdem drucken?");
    EXPECT_EQ(script.Pending(), 0);
}
