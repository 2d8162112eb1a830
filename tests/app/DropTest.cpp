// Files dropped on the main window, driven by the drag events Qt sends to the widget under
// the cursor: which drops are refused while dragging, what a picture dropped on the cover
// or the back does, and a layout file dropped anywhere.
#include <QApplication>
#include <QDragEnterEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "TestSupport.h"
#include "app/MainForm.h"
#include "picture/Jpeg.h"
#include "picture/Png.h"
#include "print/Printer.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"

namespace {
constexpr Qt::DropActions AnyAction = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

QUrl Local(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path));
}

// The widgets of the window that the cursor may be over.
using Place = QWidget* (*)(const TfrmMain&);
QWidget* OnCover(const TfrmMain& form) {
    return form.Cover;
}
QWidget* OnBack(const TfrmMain& form) {
    return form.Back;
}
QWidget* OnPage(const TfrmMain& form) {
    return form.pnlPage;
}
QWidget* OnToolBar(const TfrmMain& form) {
    return form.ToolBar;
}
QWidget* OnMenuBar(const TfrmMain& form) {
    return form.MainMenu;
}

struct DragAnswer {
    bool Accepted = false;
    Qt::DropAction Action = Qt::IgnoreAction;
};

class Dropping : public testing::Test {
protected:
    void SetUp() override {
        // As at program start: JPEG and PNG files are known before any window exists.
        RegisterJpegFormat();
        RegisterPngFormat();
        TApplication::SetTitle("Vellacour");
        Form = std::make_unique<TfrmMain>(Printer());
        CoverBmp = Dir.File("vorne.bmp");
        BackBmp = Dir.File("hinten.bmp");
        WriteBmp(CoverBmp, 8, 8, 0xFF0000);
        WriteBmp(BackBmp, 12, 6, 0x00FF00);
    }

    // Drags the data onto the widget at the point as Qt does: an enter, then a move, and
    // with drop set the drop, after which the command it started runs. Otherwise the drag
    // leaves again. Returns the answer to the last event sent.
    DragAnswer Drag(QWidget* widget, QPoint at, const QMimeData& data, bool drop = false,
                    Qt::DropActions actions = AnyAction) {
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &enter);
        DragAnswer answer{enter.isAccepted(), enter.dropAction()};
        if (answer.Accepted) {
            QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(widget, &move);
            answer = {move.isAccepted(), move.dropAction()};
        }
        // A drop is sent even where the move was refused, to see that it does nothing.
        if (drop && enter.isAccepted()) {
            QDropEvent dropped(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(widget, &dropped);
            answer = {dropped.isAccepted(), dropped.dropAction()};
            QApplication::processEvents();
        } else {
            QDragLeaveEvent leave;
            QApplication::sendEvent(widget, &leave);
        }
        return answer;
    }

    DragAnswer DropFile(QWidget* widget, QPoint at, const std::string& path) {
        QMimeData data;
        data.setUrls({Local(path)});
        return Drag(widget, at, data, true);
    }

    // A point inside either picture control, and one on the page beside them.
    static constexpr QPoint Middle{100, 90};
    static constexpr QPoint BesidePictures{10, 300};

    TempDir Dir;
    std::string CoverBmp, BackBmp;
    std::unique_ptr<TfrmMain> Form;
};
} // namespace

TEST_F(Dropping, AcceptsOneLocalPictureOnAPictureOrOneLayoutAnywhere) {
    struct Case {
        const char* What;
        Place Widget;
        QPoint At;
        QList<QUrl> Urls;
        Qt::DropActions Actions;
        Qt::DropAction Expected; // IgnoreAction: refused
    };
    const QUrl bmp = Local(Dir.File("bild.bmp"));
    const QUrl vco = Local(Dir.File("mein.vco"));
    const Case cases[] = {
        {"picture on the cover", OnCover, Middle, {bmp}, AnyAction, Qt::CopyAction},
        {"JPEG on the back", OnBack, Middle, {Local(Dir.File("a.jpg"))}, AnyAction, Qt::CopyAction},
        {"extension in capitals",
         OnCover,
         {0, 0},
         {Local(Dir.File("B.PNG"))},
         AnyAction,
         Qt::CopyAction},
        {"icon, offered as a link only",
         OnBack,
         {240, 191},
         {Local(Dir.File("c.ico"))},
         Qt::LinkAction,
         Qt::LinkAction},
        {"picture on the page beside the pictures",
         OnPage,
         BesidePictures,
         {bmp},
         AnyAction,
         Qt::IgnoreAction},
        {"picture on the tool bar", OnToolBar, {300, 10}, {bmp}, AnyAction, Qt::IgnoreAction},
        {"picture the source would only move",
         OnCover,
         Middle,
         {bmp},
         Qt::MoveAction,
         Qt::IgnoreAction},
        {"layout on the cover", OnCover, Middle, {vco}, AnyAction, Qt::CopyAction},
        {"layout on the page", OnPage, BesidePictures, {vco}, AnyAction, Qt::CopyAction},
        {"layout on the tool bar", OnToolBar, {300, 10}, {vco}, AnyAction, Qt::CopyAction},
        {"layout in capitals on the menu bar",
         OnMenuBar,
         {400, 5},
         {Local(Dir.File("ALT.VCO"))},
         AnyAction,
         Qt::CopyAction},
        {"two pictures",
         OnCover,
         Middle,
         {bmp, Local(Dir.File("zwei.bmp"))},
         AnyAction,
         Qt::IgnoreAction},
        {"picture and layout", OnPage, BesidePictures, {vco, bmp}, AnyAction, Qt::IgnoreAction},
        {"web address",
         OnCover,
         Middle,
         {QUrl("https://example.org/cover.jpg")},
         AnyAction,
         Qt::IgnoreAction},
        {"file on another machine",
         OnCover,
         Middle,
         {QUrl("file://server/share/cover.jpg")},
         AnyAction,
         Qt::IgnoreAction},
        {"unregistered extension",
         OnCover,
         Middle,
         {Local(Dir.File("bild.gif"))},
         AnyAction,
         Qt::IgnoreAction},
        {"no extension", OnCover, Middle, {Local(Dir.File("vco"))}, AnyAction, Qt::IgnoreAction},
        {"no files at all", OnCover, Middle, {}, AnyAction, Qt::IgnoreAction},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        QMimeData data;
        if (c.Urls.isEmpty())
            data.setText(QString::fromStdString(CoverBmp));
        else
            data.setUrls(c.Urls);
        const DragAnswer answer = Drag(c.Widget(*Form), c.At, data, false, c.Actions);
        EXPECT_EQ(answer.Accepted, c.Expected != Qt::IgnoreAction);
        if (answer.Accepted) {
            EXPECT_EQ(answer.Action, c.Expected);
        }
    }
}

TEST_F(Dropping, PictureOnCoverOrBackIsInsertedThereAsTheInsertCommandsDo) {
    struct Case {
        const char* What;
        Place Widget;
        QPoint At;
        std::string File;
        std::string Cover;
        std::string Back;
    };
    const Case cases[] = {
        {"on the cover", OnCover, Middle, CoverBmp, CoverBmp, ""},
        {"on the back", OnBack, Middle, BackBmp, "", BackBmp},
        {"beside the pictures", OnPage, BesidePictures, CoverBmp, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        Form = std::make_unique<TfrmMain>(Printer());
        const DragAnswer answer = DropFile(c.Widget(*Form), c.At, c.File);
        EXPECT_EQ(answer.Accepted, c.File == c.Cover || c.File == c.Back);
        EXPECT_EQ(Form->Document.Cover.File(), c.Cover);
        EXPECT_EQ(Form->Document.Back.File(), c.Back);
        EXPECT_EQ(Form->Cover->Picture().Width(), c.Cover.empty() ? 0 : 8);
        EXPECT_EQ(Form->Back->Picture().Width(), c.Back.empty() ? 0 : 12);
        EXPECT_EQ(Form->windowTitle(), "Vellacour");
        EXPECT_TRUE(Form->LayoutFile.empty());
    }

    // A picture that does not load is reported as the insert command reports it, and the
    // cover stays as it was.
    DialogScript script;
    script.Accept();
    const std::string missing = Dir.File("fehlt.bmp");
    EXPECT_TRUE(DropFile(Form->Cover, Middle, missing).Accepted);
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0], QString::fromStdString("Vellacour|Datei " + missing +
                                                      " kann nicht geöffnet werden."));
    EXPECT_EQ(Form->Document.Cover.File(), "");
    EXPECT_EQ(Form->Cover->Picture().Content(), nullptr);
}

TEST_F(Dropping, LayoutOpensAsTheOpenCommandOpensIt) {
    const std::string layout = Dir.File("mein.vco");
    WriteLayoutPaths(layout, CoverBmp, BackBmp);
    const qsizetype recent = Form->LetzteDateien->actions().size();
    EXPECT_TRUE(DropFile(Form->ToolBar, {300, 10}, layout).Accepted);
    EXPECT_EQ(Form->LayoutFile, layout);
    EXPECT_EQ(Form->windowTitle(), QString::fromStdString(layout + " - Vellacour"));
    EXPECT_EQ(Form->Document.Cover.File(), CoverBmp);
    EXPECT_EQ(Form->Document.Back.File(), BackBmp);
    EXPECT_EQ(Form->Back->Picture().Width(), 12);
    EXPECT_FALSE(Form->Changed());
    EXPECT_EQ(Form->LetzteDateien->actions().size(), recent) << "opening adds no recent entry";

    // A layout that does not open is reported and leaves the open one.
    DialogScript script;
    script.Accept();
    const std::string broken = Dir.File("kaputt.vco");
    WriteFileText(broken, "[Vellacour]\ncover=" + CoverBmp + "\n");
    EXPECT_TRUE(DropFile(Form->pnlPage, BesidePictures, broken).Accepted);
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0], "Vellacour|Unbekannte Bilddateierweiterung (.)");
    EXPECT_EQ(Form->LayoutFile, layout);
}

TEST_F(Dropping, LayoutOnUnsavedChangesAsksFirstAsTheOpenCommandDoes) {
    struct Case {
        const char* Answer;
        bool Opens;
    };
    const Case cases[] = {{"&Nein", true}, {"Abbrechen", false}, {"&Ja", true}};
    const std::string layout = Dir.File("mein.vco");
    WriteLayoutPaths(layout, BackBmp, BackBmp);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Answer);
        Form = std::make_unique<TfrmMain>(Printer());
        ASSERT_TRUE(DropFile(Form->Cover, Middle, CoverBmp).Accepted);
        const std::string saved = Dir.File("gesichert.vco");
        std::remove(saved.c_str());
        DialogScript script;
        script.Click(c.Answer);
        if (std::string(c.Answer) == "&Ja")
            script.Choose(saved);
        EXPECT_TRUE(DropFile(Form->pnlPage, BesidePictures, layout).Accepted);
        ASSERT_FALSE(script.Shown.empty());
        EXPECT_EQ(script.Shown[0],
                  QString::fromUtf8("Bestätigung|Änderungen in <Unbenannt> speichern"));
        EXPECT_EQ(script.Pending(), 0);
        EXPECT_EQ(Form->LayoutFile, c.Opens ? layout : "");
        EXPECT_EQ(Form->Document.Cover.File(), c.Opens ? BackBmp : CoverBmp);
        if (std::string(c.Answer) == "&Ja") {
            EXPECT_EQ(StoredCover(saved), CoverBmp) << "saved before opening";
        }
    }
}

// While a wrap's picture is shown, a picture dropped on it, over either panel, replaces it;
// the panels hidden behind it take none.
TEST_F(Dropping, APictureOnAWrapPictureReplacesIt) {
    Form->SetCase(TCaseKind::Dvd);
    DialogScript script;
    script.Choose(CoverBmp);
    Form->UmschlagbildClick();
    ASSERT_EQ(Form->Document.Wrap.File(), CoverBmp);
    const QSize size = Form->Wrap->size();
    for (const QPoint at : {QPoint(size.width() / 4, size.height() / 2),
                            QPoint(size.width() * 3 / 4, size.height() / 2)}) {
        SCOPED_TRACE(at.x());
        EXPECT_TRUE(DropFile(Form->Wrap, at, BackBmp).Accepted);
        EXPECT_EQ(Form->Document.Wrap.File(), BackBmp);
        EXPECT_EQ(Form->Wrap->Picture().Width(), 12);
        EXPECT_EQ(Form->Document.Cover.File(), "");
        EXPECT_EQ(Form->Document.Back.File(), "");
    }
}
