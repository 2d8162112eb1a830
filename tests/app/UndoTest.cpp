// Undo and redo in the main window: every change to the layout is a step the "Bearbeiten"
// menu names, undone and redone to the very document it came from; the layout is compared
// with its file, so undoing back to what was saved asks nothing; a drag is one step; and
// trying one picture after another keeps only a few decoded.
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QUndoStack>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "TestSupport.h"
#include "app/MainForm.h"
#include "app/TextForm.h"
#include "print/Printer.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"

namespace {
class Undo : public testing::Test {
protected:
    void SetUp() override {
        TApplication::SetTitle("Vellacour");
        Form = std::make_unique<TfrmMain>(Printer());
        CoverBmp = Dir.File("vorne.bmp");
        BackBmp = Dir.File("hinten.bmp");
        WriteBmp(CoverBmp, 40, 20, 0xFF0000);
        WriteBmp(BackBmp, 30, 30, 0x00FF00);
    }

    // A command of a part's "Bild" submenu, as the menu shows it.
    QAction* PlacementItem(const char* part, const char* name) {
        auto* menu = Form->Bild->findChild<QMenu*>(part);
        emit menu->aboutToShow();
        return menu->findChild<QAction*>(name);
    }

    QString UndoCaption() const { return Form->Rueckgaengig->text(); }

    TempDir Dir;
    std::string CoverBmp, BackBmp;
    std::unique_ptr<TfrmMain> Form;
};
} // namespace

TEST_F(Undo, TheEditMenuComesAfterTheFileMenuWithItsShortcuts) {
    QStringList menus;
    for (const QAction* menu : Form->MainMenu->actions())
        menus << menu->text();
    EXPECT_EQ(menus.mid(0, 3),
              QStringList({"&Datei", "Bearbei&ten", QString::fromUtf8("&Einfügen")}));
    EXPECT_EQ(Form->Rueckgaengig->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_EQ(Form->Wiederherstellen->shortcuts(),
              QList<QKeySequence>({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
    EXPECT_EQ(UndoCaption(), QString::fromUtf8("&Rückgängig"));
    EXPECT_FALSE(Form->Rueckgaengig->isEnabled());
    EXPECT_EQ(Form->Wiederherstellen->text(), "&Wiederherstellen");
    EXPECT_FALSE(Form->Wiederherstellen->isEnabled());
}

// Each kind of step, taken one after another: undone, the document is the one before it,
// redone the one after it, and the menu names the step both ways.
TEST_F(Undo, EveryChangeIsAStepUndoneAndRedoneToItsDocument) {
    struct TStep {
        const char* Name;
        std::function<void()> Take;
    };
    DialogScript script;
    const TStep steps[] = {
        {"Bild einfügen",
         [&] {
             script.Choose(CoverBmp);
             Form->btnInsertCoverClick();
         }},
        {"Bild einfügen",
         [&] {
             script.Choose(BackBmp);
             Form->btnInsertBackClick();
         }},
        {"Füllen",
         [&] {
             PlacementItem("BildCover", "Fuellen")->trigger();
         }},
        {"Drehen",
         [&] {
             PlacementItem("BildRueckseite", "Drehen")->trigger();
         }},
        {"Einpassen",
         [&] {
             PlacementItem("BildRueckseite", "Einpassen")->trigger();
         }},
        {"Beschnittzugabe",
         [&] {
             Form->Beschnittzugabe->actions()[2]->trigger();
         }},
        {"Anordnung",
         [&] {
             Form->Anordnung->actions()[1]->trigger();
         }},
        {"Beschriftung",
         [&] {
             script.Then([](QDialog& dialog) {
                 dynamic_cast<TfrmText&>(dialog).edSpine->setText("Rücken");
                 return int(QDialog::Accepted);
             });
             Form->BeschriftungClick();
         }},
    };
    std::vector<TLayoutDocument> documents{Form->Document};
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.Name);
        step.Take();
        ASSERT_NE(Form->Document, documents.back());
        documents.push_back(Form->Document);
        EXPECT_EQ(UndoCaption(), QString::fromUtf8("&Rückgängig: ") + QString::fromUtf8(step.Name));
    }
    for (size_t i = std::size(steps); i-- > 0;) {
        SCOPED_TRACE(steps[i].Name);
        EXPECT_EQ(Form->Wiederherstellen->isEnabled(), i + 1 < std::size(steps));
        Form->Rueckgaengig->trigger();
        EXPECT_EQ(Form->Document, documents[i]);
        EXPECT_EQ(Form->Wiederherstellen->text(),
                  QString::fromUtf8("&Wiederherstellen: ") + QString::fromUtf8(steps[i].Name));
    }
    EXPECT_FALSE(Form->Rueckgaengig->isEnabled());
    EXPECT_EQ(Form->Cover->Picture().Width(), 0);
    for (size_t i = 0; i < std::size(steps); ++i) {
        Form->Wiederherstellen->trigger();
        EXPECT_EQ(Form->Document, documents[i + 1]) << steps[i].Name;
    }
    // Redone, the pictures and the sheet are shown again as the steps left them.
    EXPECT_EQ(Form->Cover->Picture().Width(), 40);
    EXPECT_EQ(Form->Back->Picture().Width(), 30);
    EXPECT_EQ(Form->Cover->Placement().Mode, TPlacementMode::Fill);
    EXPECT_TRUE(Form->Anordnung->actions()[1]->isChecked());
    EXPECT_EQ(script.Pending(), 0);

    // Saved, the file holds the document the steps led to, and reads back as it.
    const std::string file = Dir.File("schritte.vco");
    Form->SaveCover(file);
    TLayoutDocument saved = ReadLayoutDocument(file);
    LocatePictures(saved, file);
    EXPECT_EQ(saved, Form->Document);
    EXPECT_FALSE(Form->Changed());
}

// The layout is compared with its file: undoing back to what was saved leaves nothing to
// save, and the file saved is the document shown. New and Open start a new history; Save
// keeps it.
TEST_F(Undo, UndoingBackToTheSavedLayoutAsksNothingAndSaveKeepsTheHistory) {
    DialogScript script;
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();
    const std::string file = Dir.File("rueck.vco");
    Form->SaveCover(file);
    EXPECT_EQ(ReadLayoutDocument(file).Cover.File(), CoverBmp);
    EXPECT_TRUE(Form->Rueckgaengig->isEnabled());

    PlacementItem("BildCover", "Drehen")->trigger();
    EXPECT_TRUE(Form->Changed());
    Form->Rueckgaengig->trigger();
    EXPECT_FALSE(Form->Changed());
    const size_t shown = script.Shown.size();
    Form->btnNewClick();
    EXPECT_EQ(script.Shown.size(), shown) << "New asked something";
    EXPECT_FALSE(Form->Rueckgaengig->isEnabled());
    EXPECT_FALSE(Form->Wiederherstellen->isEnabled());

    Form->LoadCover(file);
    EXPECT_FALSE(Form->Rueckgaengig->isEnabled());
    EXPECT_EQ(Form->Cover->Picture().Width(), 40);
}

// Dragging the picture in a filled part is one step, however many moves it takes; the
// next drag is a step of its own, and none merges into the step the file was saved at.
TEST_F(Undo, ADragIsOneStep) {
    DialogScript script;
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();
    PlacementItem("BildCover", "Fuellen")->trigger();
    Form->show();
    TImage& cover = *Form->Cover;
    const QPoint middle = cover.rect().center();
    const auto drag = [&](int by) {
        QTest::mousePress(&cover, Qt::LeftButton, {}, middle);
        for (int dx = by / 8; std::abs(dx) <= std::abs(by); dx += by / 8) {
            QTest::mouseMove(&cover, middle + QPoint(dx, 0));
            QTest::qWait(20);
        }
        QTest::mouseRelease(&cover, Qt::LeftButton, {}, middle + QPoint(by, 0));
    };
    const TLayoutDocument filled = Form->Document;
    drag(40);
    const TLayoutDocument dragged = Form->Document;
    ASSERT_NE(dragged, filled);
    EXPECT_EQ(UndoCaption(), QString::fromUtf8("&Rückgängig: Ausschnitt"));
    const std::string file = Dir.File("gezogen.vco");
    Form->SaveCover(file);
    drag(-16);
    ASSERT_NE(Form->Document, dragged);
    EXPECT_TRUE(Form->Changed());
    Form->Rueckgaengig->trigger();
    EXPECT_EQ(Form->Document.Placements.Cover.Placement, dragged.Placements.Cover.Placement);
    EXPECT_FALSE(Form->Changed()) << "the saved state is one undo away";
    Form->Rueckgaengig->trigger();
    EXPECT_EQ(Form->Document.Placements.Cover.Placement, filled.Placements.Cover.Placement);
    EXPECT_EQ(UndoCaption(), QString::fromUtf8("&Rückgängig: Füllen"));
}

// A picture file chosen again after it changed on disk is shown as it is now, and is no
// step; one whose file is gone by the time a step brings it back shows as missing, and the
// document stays the step's.
TEST_F(Undo, PicturesAreShownAsTheirFilesAreNow) {
    DialogScript script;
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();
    WriteBmp(CoverBmp, 24, 12, 0x0000FF);
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();
    EXPECT_EQ(Form->Cover->Picture().Width(), 24);
    EXPECT_EQ(UndoCaption(), QString::fromUtf8("&Rückgängig: Bild einfügen"));
    Form->Rueckgaengig->trigger();
    EXPECT_FALSE(Form->Rueckgaengig->isEnabled()) << "choosing the same file was a step";

    // Shown after four others, the first picture is no longer decoded; its file gone, the
    // step that brings it back shows the placeholder.
    Form->Wiederherstellen->trigger();
    for (int i = 0; i < 4; ++i) {
        const std::string other = Dir.File("anders" + std::to_string(i) + ".bmp");
        WriteBmp(other, 5, 5, 0);
        script.Choose(other);
        Form->btnInsertCoverClick();
    }
    fs::remove(CoverBmp);
    for (int i = 0; i < 4; ++i)
        Form->Rueckgaengig->trigger();
    EXPECT_EQ(Form->Document.Cover.File(), CoverBmp);
    EXPECT_FALSE(Form->Document.Cover.Missing) << "the document stays the step's";
    EXPECT_EQ(Form->Cover->Picture().Width(), 0);
    EXPECT_NE(Form->Cover->findChild<QLabel*>("Platzhalter"), nullptr);
    script.Click("&Nein");
    Form->btnPrintClick();
    ASSERT_FALSE(script.Shown.empty());
    EXPECT_TRUE(script.Shown.back().contains(QString::fromStdString(CoverBmp)));
}

// Fifty pictures tried one after another: only the one shown and a few before it stay
// decoded; undoing to an earlier one decodes it again.
TEST_F(Undo, PicturesTriedInTurnDoNotAllStayDecoded) {
    DialogScript script;
    for (int i = 0; i < 50; ++i) {
        const std::string file = Dir.File("bild" + std::to_string(i) + ".bmp");
        WriteBmp(file, 10 + i, 10, 0x0000FF);
        script.Choose(file);
        Form->btnInsertCoverClick();
        EXPECT_LE(Form->Pictures.Size(), 1 + TPictureCache::KeptUnused + 1);
    }
    EXPECT_EQ(Form->Cover->Picture().Width(), 59);
    for (int i = 0; i < 49; ++i)
        Form->Rueckgaengig->trigger();
    EXPECT_EQ(Form->Cover->Picture().Width(), 10);
    EXPECT_LE(Form->Pictures.Size(), 1 + TPictureCache::KeptUnused + 1);
}
