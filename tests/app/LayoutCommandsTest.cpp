#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "AppTestSupport.h"
#include "TestSupport.h"
#include "app/MainForm.h"
#include "print/Printer.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/Modal.h"

namespace {
const QString UntitledQuestion =
    QString::fromUtf8("Bestätigung|Änderungen in <Unbenannt> speichern?");

class LayoutCommands : public testing::Test {
protected:
    void SetUp() override {
        TApplication::SetTitle("Vellacour");
        Form = std::make_unique<TfrmMain>(Printer());
        CoverBmp = Dir.File("vorne.bmp");
        BackBmp = Dir.File("hinten.bmp");
        OtherBmp = Dir.File("anders.bmp");
        WriteBmp(CoverBmp, 8, 8, 0xFF0000);
        WriteBmp(BackBmp, 12, 6, 0x00FF00);
        WriteBmp(OtherBmp, 4, 4, 0x0000FF);
    }

    // A layout file on disk, opened through the Open command.
    std::string OpenLayout(DialogScript& script, const std::string& cover,
                           const std::string& back) {
        const std::string file = Dir.File("layout.vco");
        WriteLayoutPaths(file, cover, back);
        script.Choose(file);
        Form->btnOpenClick();
        return file;
    }

    QString Caption() const { return Form->windowTitle(); }
    // A step that changes the layout: the cover's picture turned.
    void PlacementItemTurn() {
        auto* menu = Form->Bild->findChild<QMenu*>("BildCover");
        emit menu->aboutToShow();
        menu->findChild<QAction*>("Drehen")->trigger();
    }

    TempDir Dir;
    std::string CoverBmp, BackBmp, OtherBmp;
    std::unique_ptr<TfrmMain> Form;
};
} // namespace

TEST_F(LayoutCommands, NewOnAFreshLayoutAsksNothing) {
    DialogScript script;
    Form->btnNewClick();
    EXPECT_TRUE(script.Shown.empty());
    EXPECT_EQ(Caption(), "Vellacour");
}

TEST_F(LayoutCommands, InsertingLoadsThePictureAndKeepsTheCaption) {
    DialogScript script;
    script.Choose(CoverBmp).Choose(BackBmp);
    Form->btnInsertCoverClick();
    Form->btnInsertBackClick();
    EXPECT_EQ(Form->Document.Cover.File(), CoverBmp);
    EXPECT_EQ(Form->Document.Back.File(), BackBmp);
    EXPECT_EQ(Form->Cover->Picture().Width(), 8);
    EXPECT_EQ(Form->Back->Picture().Width(), 12);
    EXPECT_EQ(Caption(), "Vellacour");
    EXPECT_TRUE(Form->LayoutFile.empty());
}

TEST_F(LayoutCommands, CancelledOrFailedInsertLeavesEverything) {
    DialogScript script;
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();
    const TGraphic* before = Form->Cover->Picture().Content();
    script.Cancel();
    Form->btnInsertCoverClick();
    EXPECT_EQ(Form->Document.Cover.File(), CoverBmp);
    const std::string gif = Dir.File("bild.gif");
    WriteFileText(gif, "GIF89a");
    script.Choose(gif);
    EXPECT_THROW(Form->btnInsertCoverClick(), EInvalidGraphic);
    EXPECT_EQ(Form->Document.Cover.File(), CoverBmp);
    EXPECT_EQ(Form->Cover->Picture().Content(), before);
}

TEST_F(LayoutCommands, NewAfterChoosingAPictureAsksAndNoEmptiesBothControls) {
    DialogScript script;
    script.Choose(CoverBmp).Choose(BackBmp);
    Form->btnInsertCoverClick();
    Form->btnInsertBackClick();
    script.Click("&Nein");
    Form->btnNewClick();
    EXPECT_EQ(script.Shown.back(), UntitledQuestion);
    EXPECT_EQ(Form->Cover->Picture().Content(), nullptr);
    EXPECT_EQ(Form->Back->Picture().Content(), nullptr);
    EXPECT_TRUE(Form->Document.Cover.File().empty());
    EXPECT_TRUE(Form->Document.Back.File().empty());
    EXPECT_EQ(Caption(), "Vellacour");
}

TEST_F(LayoutCommands, SavePromptHasItsButtonsDefaultAndEscape) {
    DialogScript script;
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();
    bool checked = false;
    SetModalHandler([&](QDialog& dialog) {
        auto& box = dynamic_cast<QMessageBox&>(dialog);
        EXPECT_EQ(box.icon(), QMessageBox::Question);
        QStringList captions;
        for (QAbstractButton* button : box.buttons())
            captions << button->text();
        EXPECT_EQ(captions, QStringList({"&Ja", "&Nein", "Abbrechen"}));
        EXPECT_EQ(box.defaultButton()->text(), "&Ja");
        EXPECT_EQ(box.escapeButton()->text(), "Abbrechen");
        checked = true;
        box.escapeButton()->click();
        return box.result();
    });
    Form->btnNewClick();
    EXPECT_TRUE(checked);
    EXPECT_EQ(Form->Document.Cover.File(), CoverBmp) << "Abbrechen stops New";
    EXPECT_NE(Form->Cover->Picture().Content(), nullptr);
}

TEST_F(LayoutCommands, OpenPromptEndsWithoutQuestionMark) {
    DialogScript script;
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();
    script.Click("&Nein").Cancel();
    Form->btnOpenClick();
    ASSERT_EQ(script.Shown.size(), 3u);
    EXPECT_EQ(script.Shown[1],
              QString::fromUtf8("Bestätigung|Änderungen in <Unbenannt> speichern"));
    EXPECT_EQ(Form->Document.Cover.File(), CoverBmp) << "cancelled open changes nothing";
}

TEST_F(LayoutCommands, SaveAsTiesTheLayoutToTheFile) {
    DialogScript script;
    script.Choose(CoverBmp).Choose(BackBmp);
    Form->btnInsertCoverClick();
    Form->btnInsertBackClick();
    const std::string file = Dir.File("mein.vco");
    script.Choose(file);
    Form->SpeichernunterClick();
    EXPECT_EQ(Caption(), QString::fromStdString(file + " - Vellacour"));
    EXPECT_EQ(Form->LayoutFile, file);
    EXPECT_EQ(ReadFileText(file), "[Vellacour]\ncover=" + CoverBmp + "\nback=" + BackBmp + "\n");
    // Save now writes to the same file without a dialog.
    script.Choose(OtherBmp);
    Form->btnInsertCoverClick();
    Form->btnSaveClick();
    EXPECT_EQ(StoredCover(file), OtherBmp);
    EXPECT_EQ(script.Pending(), 0);
}

TEST_F(LayoutCommands, SaveOfUntitledLayoutAsksForANameAndAddsTheExtension) {
    DialogScript script;
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();
    script.Choose(Dir.File("ohne"));
    Form->btnSaveClick();
    EXPECT_EQ(Form->LayoutFile, Dir.File("ohne.vco"));
    EXPECT_EQ(StoredCover(Dir.File("ohne.vco")), CoverBmp);
}

TEST_F(LayoutCommands, OpenedLayoutWithoutChangesAsksNothing) {
    DialogScript script;
    const std::string file = OpenLayout(script, CoverBmp, BackBmp);
    EXPECT_EQ(Caption(), QString::fromStdString(file + " - Vellacour"));
    EXPECT_EQ(Form->Cover->Picture().Width(), 8);
    EXPECT_EQ(Form->Back->Picture().Width(), 12);
    // Choosing the very same file again is no change.
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();
    Form->btnNewClick();
    EXPECT_EQ(script.Shown.size(), 2u);
    EXPECT_EQ(Caption(), "Vellacour");
}

TEST_F(LayoutCommands, OtherPictureInOpenedLayoutAsksWithTheLayoutsPath) {
    DialogScript script;
    const std::string file = OpenLayout(script, CoverBmp, BackBmp);
    script.Choose(OtherBmp).Click("&Nein");
    Form->btnInsertBackClick();
    Form->btnNewClick();
    EXPECT_EQ(script.Shown.back(), QString::fromUtf8("Bestätigung|Änderungen in ") +
                                       QString::fromStdString(file) + " speichern?");
}

TEST_F(LayoutCommands, LayoutEditedOrDeletedBehindTheProgramsBackCountsAsChanged) {
    DialogScript script;
    const std::string file = OpenLayout(script, CoverBmp, BackBmp);
    EXPECT_FALSE(Form->Changed());
    WriteFileText(file, "[Vellacour]\ncover=" + CoverBmp + "\nback=" + OtherBmp + "\n");
    EXPECT_TRUE(Form->Changed());
    std::remove(file.c_str());
    EXPECT_TRUE(Form->Changed());
    script.Click("&Nein");
    Form->btnNewClick();
    EXPECT_EQ(script.Pending(), 0);
}

TEST_F(LayoutCommands, YesWithCancelledSaveDialogStopsTheCommand) {
    DialogScript script;
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();
    script.Click("&Ja").Cancel();
    Form->btnNewClick();
    EXPECT_EQ(Form->Document.Cover.File(), CoverBmp) << "New keeps the unsaved layout";
    EXPECT_NE(Form->Cover->Picture().Content(), nullptr);

    script.Click("&Ja").Cancel();
    Form->btnOpenClick();
    EXPECT_EQ(script.Pending(), 0) << "Open shows no open dialog";
    EXPECT_EQ(script.Shown.size(), 5u) << "insert, then prompt and save dialog twice";

    Form->show();
    script.Click("&Ja").Cancel();
    Form->Beenden->trigger();
    EXPECT_TRUE(Form->isVisible()) << "Exit keeps the window open";
    EXPECT_EQ(Form->Document.Cover.File(), CoverBmp);
}

TEST_F(LayoutCommands, CancelInCloseQueryKeepsTheWindowOpen) {
    DialogScript script;
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();
    Form->show();
    script.Click("Abbrechen");
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Form->Document.Cover.File(), CoverBmp);
    EXPECT_EQ(Caption(), "Vellacour");
}

TEST_F(LayoutCommands, FailingSaveFromTheCloseQueryKeepsTheWindowOpen) {
    DialogScript script;
    const std::string file = OpenLayout(script, CoverBmp, BackBmp);
    script.Choose(OtherBmp);
    Form->btnInsertCoverClick();
    chmod(file.c_str(), 0444);
    Form->show();
    script.Click("&Ja").Click("OK");
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Form->isVisible());
    ASSERT_EQ(script.Shown.size(), 4u);
    EXPECT_EQ(script.Shown[3],
              QString::fromStdString("Vellacour|nach " + file + " kann nicht geschrieben werden."));
    EXPECT_EQ(StoredCover(file), CoverBmp);
}

TEST_F(LayoutCommands, FailedSaveKeepsCaptionAndLayoutFile) {
    DialogScript script;
    const std::string file = OpenLayout(script, CoverBmp, BackBmp);
    script.Choose(Dir.File("fehlt/neu.vco"));
    EXPECT_THROW(Form->SpeichernunterClick(), EIniFileException);
    EXPECT_EQ(Form->LayoutFile, file);
    EXPECT_EQ(Caption(), QString::fromStdString(file + " - Vellacour"));
}

// Save as onto a picture of the layout would write layout lines into the picture: refused,
// whether the name is the picture's own, a link to it, or a relative entry's file.
TEST_F(LayoutCommands, SaveAsOntoOneOfTheLayoutsPicturesIsRefusedAndThePictureKept) {
    DialogScript script;
    const std::string file = OpenLayout(script, CoverBmp, "hinten.bmp");
    fs::create_symlink("vorne.bmp", Dir.File("verweis.bmp"));
    const std::vector<uint8_t> cover = ReadFileBytes(CoverBmp), back = ReadFileBytes(BackBmp);
    for (const std::string& target : {CoverBmp, Dir.File("verweis.bmp"), BackBmp}) {
        SCOPED_TRACE(target);
        script.Choose(target);
        try {
            Form->SpeichernunterClick();
            ADD_FAILURE() << "saved";
        } catch (const EWriteError& error) {
            EXPECT_EQ(error.Message(), target + " ist ein Bild dieses Layouts und wird nicht "
                                                "überschrieben");
        }
        EXPECT_EQ(ReadFileBytes(CoverBmp), cover);
        EXPECT_EQ(ReadFileBytes(BackBmp), back);
        EXPECT_EQ(Form->LayoutFile, file);
    }
    EXPECT_EQ(script.Pending(), 0);
}

TEST_F(LayoutCommands, AnEmptyEntryMeansNoPictureAndAMissingOneFails) {
    DialogScript script;
    OpenLayout(script, CoverBmp, BackBmp);

    // A front cover alone, saved by the program itself, opens again.
    const std::string onlyCover = Dir.File("nur-cover.vco");
    WriteLayoutPaths(onlyCover, OtherBmp, "");
    script.Choose(onlyCover);
    Form->btnOpenClick();
    EXPECT_EQ(Form->LayoutFile, onlyCover);
    EXPECT_EQ(Form->Document.Cover.File(), OtherBmp);
    EXPECT_EQ(Form->Document.Back.File(), "");
    EXPECT_EQ(Form->Cover->Picture().Width(), 4);
    EXPECT_EQ(Form->Back->Picture().Content(), nullptr);
    EXPECT_FALSE(Form->Changed());

    // A file without the "back" key fails and leaves the layout that was open.
    const std::string noBackKey = Dir.File("ohne-back.vco");
    WriteFileText(noBackKey, "[Vellacour]\ncover=" + CoverBmp + "\n");
    script.Choose(noBackKey);
    try {
        Form->btnOpenClick();
        FAIL() << "no error";
    } catch (const EInvalidGraphic& error) {
        EXPECT_STREQ(error.what(), "Unbekannte Bilddateierweiterung (.)");
    }
    EXPECT_EQ(Form->LayoutFile, onlyCover);
    EXPECT_EQ(Form->Document.Cover.File(), OtherBmp);
    EXPECT_EQ(Form->Cover->Picture().Width(), 4) << "the cover loaded first is not kept";
}

TEST_F(LayoutCommands, SavingAPathTooLongToReadBackWritesNothing) {
    DialogScript script;
    const std::string file = OpenLayout(script, CoverBmp, BackBmp);
    const std::string before = ReadFileText(file);
    Form->Document.Cover.Entry = "/" + std::string(2047, 'a') + ".bmp";
    try {
        Form->SaveCover(file);
        FAIL() << "no error";
    } catch (const EIniFileException& error) {
        EXPECT_EQ(error.what(), "nach " + file + " kann nicht geschrieben werden");
    }
    EXPECT_EQ(ReadFileText(file), before);
    Form->Document.Cover.Entry = "/" + std::string(2040, 'a') + ".bmp";
    Form->SaveCover(file);
    EXPECT_EQ(StoredCover(file), Form->Document.Cover.File());
}

TEST_F(LayoutCommands, KeyboardShortcutRunsNew) {
    DialogScript script;
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();
    Form->show();
    QApplication::setActiveWindow(Form.get());
    script.Click("&Nein");
    QTest::keyClick(Form.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(script.Shown.back(), UntitledQuestion);
    EXPECT_TRUE(Form->Document.Cover.File().empty());
}

TEST_F(LayoutCommands, ToolButtonAndMenuItemRunTheSameCommand) {
    DialogScript script;
    script.Choose(CoverBmp).Choose(BackBmp);
    Form->btnInsertCover->click();
    Form->Rueckseite->trigger();
    EXPECT_EQ(Form->Document.Cover.File(), CoverBmp);
    EXPECT_EQ(Form->Document.Back.File(), BackBmp);
}

TEST_F(LayoutCommands, PictureControlsNameTheirFileAndItsPrintedResolution) {
    // 8 pixels over 120 mm, 12 × 6 pixels over 151 × 118 mm.
    const QString cover = QString::fromUtf8("vorne.bmp – 8 × 8 Pixel, 2 dpi, geringe Auflösung");
    const QString back = QString::fromUtf8("hinten.bmp – 12 × 6 Pixel, 1 dpi, geringe Auflösung");
    EXPECT_EQ(Form->Cover->toolTip(), "");
    EXPECT_EQ(Form->Back->toolTip(), "");
    DialogScript script;
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();
    EXPECT_EQ(Form->Cover->toolTip(), cover);
    EXPECT_EQ(Form->Back->toolTip(), "");
    script.Choose(BackBmp).Click("&Nein");
    Form->btnInsertBackClick();
    Form->btnNewClick();
    EXPECT_EQ(Form->Cover->toolTip(), "");
    EXPECT_EQ(Form->Back->toolTip(), "");
    OpenLayout(script, CoverBmp, BackBmp);
    EXPECT_EQ(Form->Cover->toolTip(), cover);
    EXPECT_EQ(Form->Back->toolTip(), back);
}

// A picture found nowhere: the layout opens all the same, the part shows a placeholder
// naming the file, saving writes the layout back byte for byte, and printing asks first.
TEST_F(LayoutCommands, ALayoutWithAMissingPictureOpensAndSavesUnchanged) {
    const std::string gone = Dir.File("weg/verloren.bmp");
    const std::string file = Dir.File("layout.vco");
    const std::string text =
        "[Vellacour]\r\ncover=" + CoverBmp + "\r\nback=" + gone + "\r\nbleed=viel\r\n; Notiz\r\n";
    WriteFileText(file, text);
    DialogScript script;
    script.Choose(file).Accept();
    Form->btnOpenClick();
    ASSERT_EQ(script.Shown.size(), 2u);
    EXPECT_EQ(script.Shown[1],
              QString::fromStdString("Vellacour|Diese Bilder wurden nicht gefunden:\n" + gone +
                                     "\nDer Teil bleibt leer, bis ein anderes Bild eingefügt "
                                     "wird; die Layoutdatei behält den Eintrag."));
    EXPECT_EQ(Form->LayoutFile, file);
    EXPECT_EQ(Form->Document.Back.File(), gone);
    EXPECT_EQ(Form->Cover->Picture().Width(), 8);
    EXPECT_EQ(Form->Back->Picture().Content(), nullptr);
    const auto* placeholder = Form->Back->findChild<QLabel*>();
    ASSERT_NE(placeholder, nullptr);
    EXPECT_TRUE(placeholder->isVisibleTo(Form->Back));
    EXPECT_EQ(placeholder->text(), QString::fromStdString("Bild fehlt:\n" + gone));
    EXPECT_FALSE(Form->Changed());

    Form->btnSaveClick();
    EXPECT_EQ(ReadFileText(file), text);

    script.Click("&Nein");
    Form->btnPrintClick();
    ASSERT_EQ(script.Shown.size(), 3u);
    EXPECT_EQ(script.Shown[2],
              QString::fromStdString("Bestätigung|Diese Bilder fehlen und werden leer "
                                     "gedruckt:\n" +
                                     gone + "\nTrotzdem drucken?"));
    EXPECT_EQ(script.Pending(), 0) << "no printer dialog after Nein";

    // Another picture ends it: the placeholder goes, the new path is saved.
    script.Choose(OtherBmp);
    Form->btnInsertBackClick();
    EXPECT_EQ(Form->Back->findChild<QLabel*>(), nullptr);
    EXPECT_TRUE(Form->Changed());
}

// A picture whose stored place is gone but whose name lies beside the layout is taken from
// there, said once, and the layout counts as changed so that saving records the new place.
TEST_F(LayoutCommands, APictureFoundBesideTheLayoutIsSaidOnceAndSavedWithItsNewPath) {
    const std::string file = Dir.File("layout.vco");
    WriteFileText(file, "[Vellacour]\ncover=/frueher/vorne.bmp\nback=" + BackBmp + "\n");
    DialogScript script;
    script.Choose(file).Accept();
    Form->btnOpenClick();
    ASSERT_EQ(script.Shown.size(), 2u);
    EXPECT_TRUE(script.Shown[1].contains(QString::fromStdString(CoverBmp)));
    EXPECT_EQ(Form->Document.Cover.File(), CoverBmp);
    EXPECT_EQ(Form->Cover->Picture().Width(), 8);
    EXPECT_TRUE(Form->Changed());
    Form->btnSaveClick();
    EXPECT_EQ(ReadFileText(file), "[Vellacour]\ncover=" + CoverBmp + "\nback=" + BackBmp + "\n");
    EXPECT_FALSE(Form->Changed());
}

TEST_F(LayoutCommands, AFileThatIsNoLayoutIsNamedAndChangesNothing) {
    DialogScript script;
    const std::string file = OpenLayout(script, CoverBmp, BackBmp);
    const std::string picture = CoverBmp;
    script.Choose(picture);
    try {
        Form->btnOpenClick();
        FAIL() << "no error";
    } catch (const EReadError& error) {
        EXPECT_EQ(error.Message(), picture + " ist keine Vellacour-Layoutdatei");
    }
    EXPECT_EQ(Form->LayoutFile, file);
    EXPECT_EQ(Form->Document.Cover.File(), CoverBmp);
}

TEST_F(LayoutCommands, SheetSettingsFromTheMenuAreSavedWithTheLayout) {
    DialogScript script;
    const std::string file = OpenLayout(script, CoverBmp, BackBmp);
    const auto item = [](QMenu* menu, const char* caption) {
        for (QAction* action : menu->actions())
            if (action->text() == QString::fromUtf8(caption))
                return action;
        return static_cast<QAction*>(nullptr);
    };
    item(Form->Anordnung, "&untereinander")->trigger();
    EXPECT_TRUE(Form->Changed());
    item(Form->Beschnittzugabe, "&2 mm")->trigger();
    EXPECT_EQ(script.Shown.size(), 1u) << "stacked, 2 mm are printed whole";
    Form->btnSaveClick();
    EXPECT_EQ(ReadFileText(file), "[Vellacour]\ncover=" + CoverBmp + "\nback=" + BackBmp +
                                      "\nbleed=20\narrangement=stacked\n");

    // Side by side the bleed is held to 1 mm, and the window says so.
    script.Accept();
    item(Form->Anordnung, "&nebeneinander")->trigger();
    ASSERT_EQ(script.Shown.size(), 2u);
    EXPECT_EQ(script.Shown[1], QString::fromUtf8("Vellacour|Nebeneinander ist die "
                                                 "Beschnittzugabe auf 1 mm begrenzt; "
                                                 "„untereinander“ erlaubt 3 mm."));
    EXPECT_TRUE(item(Form->Anordnung, "&nebeneinander")->isChecked());

    // A new layout starts from the defaults again.
    script.Click("&Nein");
    Form->btnNewClick();
    EXPECT_TRUE(item(Form->Beschnittzugabe, "&keine")->isChecked());
    EXPECT_EQ(Form->Document.Settings, TSheetSettings{});
}

// "Speichern unter" into another folder: relative entries are rewritten so the new layout
// names the same pictures from its own folder, and an undone step after it does too.
TEST_F(LayoutCommands, SaveAsIntoAnotherFolderKeepsRelativeEntriesPointingAtThePictures) {
    fs::create_directories(Dir.Path() / "alt/bilder");
    fs::create_directories(Dir.Path() / "neu/tief");
    WriteBmp(Dir.File("alt/bilder/v.bmp"), 8, 8, 0xFF0000);
    const std::string from = Dir.File("alt/cover.vco");
    WriteFileText(from, "[Vellacour]\ncover=bilder/v.bmp\nback=" + BackBmp + "\n");
    Form->LoadCover(from);
    PlacementItemTurn();
    const struct {
        std::string File;
        std::string Cover;
    } cases[] = {
        {Dir.File("neu/tief/kopie.vco"), "../../alt/bilder/v.bmp"},
        {Dir.File("alt/bilder/hier.vco"), "v.bmp"},
        {Dir.File("zweite.vco"), "alt/bilder/v.bmp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        DialogScript script;
        script.Choose(c.File);
        Form->SpeichernunterClick();
        const TLayoutDocument saved = ReadLayoutDocument(c.File);
        EXPECT_EQ(saved.Cover.File(), c.Cover);
        EXPECT_EQ(saved.Back.File(), BackBmp);
        EXPECT_FALSE(Form->Changed());
        // Undoing the turn names the picture from the new folder too.
        Form->Rueckgaengig->trigger();
        EXPECT_EQ(Form->Document.Cover.File(), c.Cover);
        Form->Wiederherstellen->trigger();
    }
    TfrmMain reopened(Printer());
    reopened.LoadCover(cases[0].File);
    EXPECT_EQ(reopened.Cover->Picture().Width(), 8);
    EXPECT_FALSE(reopened.Document.Cover.Missing);
}
