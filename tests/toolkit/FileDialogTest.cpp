#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "toolkit/Application.h"
#include "toolkit/FileDialog.h"
#include "toolkit/Modal.h"
#include "toolkit/Translation.h"

namespace {

const char* const LayoutFilter = "Vellacour-Dateien (*.vco)|*.vco";
const char* const PictureFilter =
    "Alle Dateien (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|"
    "JPEG Bilddatei (*.jpg)|*.jpg|JPEG Bilddatei (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|"
    "Symbole (*.ico)|*.ico|Erweiterte Metadateien (*.emf)|*.emf|Metadateien (*.wmf)|*.wmf";

// Answers every modal dialog with the given function for the lifetime of the object.
class ModalAnswer {
public:
    explicit ModalAnswer(TModalHandler handler) { SetModalHandler(std::move(handler)); }
    ~ModalAnswer() { SetModalHandler({}); }
};

// Presses the dialog's accept button the way Qt does, so its checks run, and reports
// how the dialog ended.
int PressAccept(QFileDialog& dialog) {
    QMetaObject::invokeMethod(&dialog, "accept");
    return dialog.result();
}

void SetUpLayoutDialog(TOpenDialog& dialog) {
    dialog.DefaultExt = "vco";
    dialog.Filter = LayoutFilter;
}

} // namespace

TEST(ConvertFilter, OnePairBecomesOneQtFilter) {
    EXPECT_EQ(ConvertFilter(LayoutFilter), QStringList{"Vellacour-Dateien (*.vco)"});
    EXPECT_EQ(ConvertFilter("Bilder|*.bmp; *.dib"), QStringList{"Bilder (*.bmp *.dib)"});
    EXPECT_EQ(ConvertFilter("|*.bmp"), QStringList{"(*.bmp)"});
    EXPECT_TRUE(ConvertFilter("").isEmpty());
}

TEST(ConvertFilter, DescriptionsWithTheirOwnPatternListAreNotListedTwice) {
    const QStringList expected{
        "Alle Dateien (*.jpg *.jpeg *.bmp *.ico *.emf *.wmf)",
        "JPEG Bilddatei (*.jpg)",
        "JPEG Bilddatei (*.jpeg)",
        "Bitmaps (*.bmp)",
        "Symbole (*.ico)",
        "Erweiterte Metadateien (*.emf)",
        "Metadateien (*.wmf)",
    };
    EXPECT_EQ(ConvertFilter(PictureFilter), expected);
    // The pattern part decides, not the description's list.
    EXPECT_EQ(ConvertFilter("Alt (*.old)|*.new"), QStringList{"Alt (*.new)"});
    // Words in parentheses are part of the description.
    EXPECT_EQ(ConvertFilter("Bilder (alt)|*.bmp"), QStringList{"Bilder (alt) (*.bmp)"});
    // A description without its pattern part is dropped.
    EXPECT_EQ(ConvertFilter("Bitmaps|*.bmp|Rest"), QStringList{"Bitmaps (*.bmp)"});
}

TEST(OpenDialog, BuildsQtsOwnDialogWithTheSettings) {
    TempDir dir;
    const std::string file = dir.File("cover.vco");
    WriteFileText(file, "[Vellacour]\n");
    TOpenDialog dialog;
    SetUpLayoutDialog(dialog);
    dialog.Filter = PictureFilter;
    dialog.FilterIndex = 4;
    dialog.Title = "Layout wählen";
    dialog.FileName = file;

    bool seen = false;
    ModalAnswer answer([&](QDialog& modal) {
        auto& fileDialog = dynamic_cast<QFileDialog&>(modal);
        seen = true;
        EXPECT_TRUE(fileDialog.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(fileDialog.acceptMode(), QFileDialog::AcceptOpen);
        // Without ofFileMustExist a name that does not exist yet must be accepted.
        EXPECT_EQ(fileDialog.fileMode(), QFileDialog::AnyFile);
        EXPECT_EQ(fileDialog.windowTitle(), QString("Layout wählen"));
        EXPECT_EQ(fileDialog.defaultSuffix(), QString("vco"));
        EXPECT_EQ(fileDialog.nameFilters(), ConvertFilter(PictureFilter));
        EXPECT_EQ(fileDialog.selectedNameFilter(), QString("Bitmaps (*.bmp)"));
        EXPECT_EQ(fileDialog.directory().absolutePath().toStdString(), dir.Path().string());
        EXPECT_EQ(fileDialog.selectedFiles(), QStringList{QString::fromStdString(file)});
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(seen);
}

TEST(OpenDialog, ConfirmedChoiceIsKeptAndOfferedAgainWhileCancelChangesNothing) {
    TempDir dir;
    const std::string first = dir.File("eins.vco");
    const std::string second = dir.File("zwei.jpg");
    WriteFileText(first, "");
    WriteFileText(second, "");
    TOpenDialog dialog;
    dialog.Filter = PictureFilter;
    dialog.InitialDir = dir.Path().string();

    {
        ModalAnswer answer([&](QDialog& modal) {
            auto& fileDialog = dynamic_cast<QFileDialog&>(modal);
            EXPECT_EQ(fileDialog.directory().absolutePath().toStdString(), dir.Path().string());
            EXPECT_EQ(fileDialog.selectedNameFilter(), ConvertFilter(PictureFilter)[0]);
            fileDialog.selectNameFilter(ConvertFilter(PictureFilter)[1]);
            fileDialog.selectFile(QString::fromStdString(second));
            return int(QDialog::Accepted);
        });
        ASSERT_TRUE(dialog.Execute());
    }
    EXPECT_EQ(dialog.FileName, second);
    EXPECT_EQ(dialog.FilterIndex, 2);

    {
        ModalAnswer answer([&](QDialog& modal) {
            auto& fileDialog = dynamic_cast<QFileDialog&>(modal);
            EXPECT_EQ(fileDialog.selectedFiles(), QStringList{QString::fromStdString(second)});
            EXPECT_EQ(fileDialog.selectedNameFilter(), ConvertFilter(PictureFilter)[1]);
            // The user picks something else, then cancels.
            fileDialog.selectNameFilter(ConvertFilter(PictureFilter)[3]);
            fileDialog.selectFile(QString::fromStdString(first));
            return int(QDialog::Rejected);
        });
        EXPECT_FALSE(dialog.Execute());
    }
    EXPECT_EQ(dialog.FileName, second);
    EXPECT_EQ(dialog.FilterIndex, 2);
}

TEST(OpenDialog, TypedNameNeedNotExistUnlessFileMustExist) {
    TempDir dir;
    const QString missing = QString::fromStdString(dir.File("neu.vco"));
    TOpenDialog dialog;
    SetUpLayoutDialog(dialog);

    int boxes = 0;
    ModalAnswer answer([&](QDialog& modal) {
        if (qobject_cast<QMessageBox*>(&modal)) {
            ++boxes;
            return int(QMessageBox::Ok);
        }
        auto& fileDialog = dynamic_cast<QFileDialog&>(modal);
        fileDialog.selectFile(missing);
        return PressAccept(fileDialog);
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, missing.toStdString());
    EXPECT_EQ(boxes, 0);

    dialog.FileName.clear();
    dialog.Options.insert(ofFileMustExist);
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(dialog.FileName, "");
}

TEST(OpenDialog, AcceptingWithoutAnyNameIsNoChoice) {
    TempDir dir;
    TOpenDialog dialog;
    dialog.InitialDir = dir.Path().string();
    ModalAnswer answer([](QDialog&) { return int(QDialog::Accepted); });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "");
}

TEST(OpenDialog, RaisesShowSelectionAndCloseEvents) {
    TempDir dir;
    TOpenDialog dialog;
    dialog.InitialDir = dir.Path().string();
    std::string events;
    dialog.OnShow = [&] {
        events += "show ";
    };
    dialog.OnSelectionChange = [&] {
        events += "selection ";
    };
    dialog.OnClose = [&] {
        events += "close";
    };
    ModalAnswer answer([&](QDialog& modal) {
        events += "modal ";
        emit dynamic_cast<QFileDialog&>(modal).currentChanged(
            QString::fromStdString(dir.File("a")));
        return int(QDialog::Rejected);
    });
    dialog.Execute();
    EXPECT_EQ(events, "show modal selection close");
}

TEST(SaveDialog, AddsDefaultExtensionOnlyToNamesWithoutOne) {
    TempDir dir;
    TSaveDialog dialog;
    SetUpLayoutDialog(dialog);
    QString typed;
    ModalAnswer answer([&](QDialog& modal) {
        auto& fileDialog = dynamic_cast<QFileDialog&>(modal);
        EXPECT_TRUE(fileDialog.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(fileDialog.acceptMode(), QFileDialog::AcceptSave);
        fileDialog.selectFile(typed);
        return int(QDialog::Accepted);
    });
    typed = QString::fromStdString(dir.File("hülle"));
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, dir.File("hülle.vco"));
    typed = QString::fromStdString(dir.File("hülle.txt"));
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, dir.File("hülle.txt"));
}

TEST(SaveDialog, AsksBeforeOverwritingOnlyWithOverwritePrompt) {
    TempDir dir;
    WriteFileText(dir.File("alt.vco"), "");
    TSaveDialog dialog;
    SetUpLayoutDialog(dialog);
    dialog.InitialDir = dir.Path().string();

    int questions = 0;
    int reply = QMessageBox::No;
    ModalAnswer answer([&](QDialog& modal) {
        if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
            ++questions;
            EXPECT_TRUE(box->text().contains("alt.vco"));
            return reply;
        }
        auto& fileDialog = dynamic_cast<QFileDialog&>(modal);
        // Typed without extension: the question is about the name with "vco" added.
        fileDialog.selectFile("alt");
        return PressAccept(fileDialog);
    });

    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(dialog.FileName, dir.File("alt.vco"));

    dialog.FileName.clear();
    dialog.Options.insert(ofOverwritePrompt);
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(dialog.FileName, "");

    reply = QMessageBox::Yes;
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(questions, 2);
    EXPECT_EQ(dialog.FileName, dir.File("alt.vco"));
}

TEST(OpenDialog, AcceptButtonSaysOeffnenInGerman) {
    InstallTranslations(*qApp);
    if (QFileDialog::tr("&Open") == "&Open")
        GTEST_SKIP() << "Qt's German translations are not installed";
    TOpenDialog dialog;
    QString caption;
    ModalAnswer answer([&](QDialog& modal) {
        auto* buttons = modal.findChild<QDialogButtonBox*>();
        if (buttons && buttons->button(QDialogButtonBox::Open))
            caption = buttons->button(QDialogButtonBox::Open)->text().remove(u'&');
        return int(QDialog::Rejected);
    });
    dialog.Execute();
    EXPECT_EQ(caption, QString("Öffnen"));
}
