#include <QLabel>
#include <QMenuBar>
#include <QSet>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "TestSupport.h"
#include "app/MainForm.h"
#include "print/Printer.h"
#include "toolkit/Application.h"

namespace {
class MainWindow : public testing::Test {
protected:
    void SetUp() override {
        TApplication::SetTitle("Vellacour");
        Form = std::make_unique<TfrmMain>(Printer());
    }
    std::unique_ptr<TfrmMain> Form;
};

QRect Geometry(const QWidget* widget) {
    return widget->geometry();
}
} // namespace

TEST_F(MainWindow, StartsUntitledWithEmptyPicturesAndUncheckedFrames) {
    EXPECT_EQ(Form->windowTitle(), "Vellacour");
    EXPECT_EQ(Form->Cover->Picture().Content(), nullptr);
    EXPECT_EQ(Form->Back->Picture().Content(), nullptr);
    EXPECT_FALSE(Form->cbRahmen->isChecked());
    EXPECT_EQ(Form->cbRahmen->text(), "Hilfsrahmen drucken");
    EXPECT_FALSE(Form->cbRahmen->focusPolicy() & Qt::TabFocus);
}

TEST_F(MainWindow, HasFixedClientAreaAndNoMaximizeBox) {
    Form->show();
    EXPECT_EQ(Form->centralWidget()->size(), QSize(578, 433));
    EXPECT_EQ(Form->minimumSize(), Form->maximumSize());
    EXPECT_FALSE(Form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(Form->windowFlags() & Qt::WindowMinimizeButtonHint);
    Form->resize(900, 700);
    EXPECT_EQ(Form->centralWidget()->size(), QSize(578, 433));
}

TEST_F(MainWindow, PageAndPictureControlsSitWhereDesigned) {
    EXPECT_EQ(Geometry(Form->pnlMain), QRect(0, 32, 578, 401));
    EXPECT_EQ(Geometry(Form->pnlPage), QRect(32, 32, 513, 345));
    EXPECT_EQ(Form->pnlPage->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(Geometry(Form->Cover), QRect(32, 72, 200, 200));
    EXPECT_EQ(Geometry(Form->Back), QRect(240, 80, 241, 192));
    EXPECT_EQ(Geometry(Form->Image_Empty), QRect(440, 280, 41, 41));
    EXPECT_TRUE(Form->Cover->Stretch());
    EXPECT_TRUE(Form->Back->Stretch());
    EXPECT_FALSE(Form->Image_Empty->Stretch());
    EXPECT_TRUE(Form->Image_Empty->isHidden());
    EXPECT_EQ(Form->Cover->parentWidget(), Form->pnlPage);
    EXPECT_EQ(Form->pnlPage->parentWidget(), Form->pnlMain);
}

// Stacked, the page turns portrait with the front cover above the back inlay, each where the
// stacked sheet prints it; side by side again restores the page as designed. A placeholder
// for a missing picture covers its control in either.
TEST_F(MainWindow, ThePageFollowsTheArrangement) {
    const QRect page = Geometry(Form->pnlPage), cover = Geometry(Form->Cover),
                back = Geometry(Form->Back);
    TempDir dir;
    const std::string layout = dir.File("gestapelt.vco"), picture = dir.File("vorne.bmp");
    WriteBmp(picture, 4, 4, 0x3366CC);
    WriteFileText(layout, "[Vellacour]\narrangement=stacked\ncover=" + picture +
                              "\nback=" + dir.File("fehlt.bmp") + "\n");
    DialogScript script;
    script.Click("OK");
    Form->LoadCover(layout);
    EXPECT_EQ(script.Pending(), 0);

    const QRect p = Geometry(Form->pnlPage), c = Geometry(Form->Cover), b = Geometry(Form->Back);
    EXPECT_GT(p.height(), p.width());
    EXPECT_TRUE(Form->pnlMain->contentsRect().contains(p)) << p.x() << "," << p.width();
    EXPECT_TRUE(QRect(QPoint(), p.size()).contains(c.united(b)));
    EXPECT_LT(c.bottom(), b.top());
    EXPECT_NEAR(c.center().x(), b.center().x(), 1);
    // 120 × 120 mm above 151 × 118 mm on a portrait A4 page, all at one scale.
    const double scale = b.width() / 1510.0;
    EXPECT_NEAR(c.width(), 1200 * scale, 1);
    EXPECT_NEAR(c.height(), 1200 * scale, 1);
    EXPECT_NEAR(b.height(), 1180 * scale, 1);
    EXPECT_NEAR(p.width(), 2100 * scale, 2);
    EXPECT_NEAR(p.height(), 2970 * scale, 2);
    const auto* placeholder = Form->Back->findChild<QLabel*>();
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->geometry(), Form->Back->rect());

    Form->SetArrangement(TArrangement::Side);
    EXPECT_EQ(Geometry(Form->pnlPage), page);
    EXPECT_EQ(Geometry(Form->Cover), cover);
    EXPECT_EQ(Geometry(Form->Back), back);
    EXPECT_EQ(placeholder->geometry(), Form->Back->rect());
}

TEST_F(MainWindow, MenuHasEveryItemWithCaptionShortcutAndHint) {
    struct Item {
        QAction* Action;
        const char* Caption;
        QKeySequence Shortcut;
        const char* Hint;
        bool HasImage;
    };
    const Item items[] = {
        {Form->Neu, "&Neu", QKeySequence("Ctrl+N"), "Neues Coverlayout", true},
        {Form->Laden, "&Laden", QKeySequence("Ctrl+O"), "Coverlayout laden", true},
        {Form->Speichern, "&Speichern", QKeySequence("Ctrl+S"), "Coverlayout speichern", true},
        {Form->Speichernunter, "Speichern &unter...", QKeySequence("F12"),
         "Coverlayout unter anderem Namen speichern", false},
        {Form->Drucken, "Druc&ken", QKeySequence("Ctrl+P"), "Coverlayout drucken", true},
        {Form->Seitenansicht, "Seiten&ansicht...", QKeySequence(),
         "Coverlayout so zeigen, wie es gedruckt wird", false},
        {Form->Druckerkorrektur, "Druckerkorrektur...", QKeySequence(), "", false},
        {Form->Beenden, "&Beenden", QKeySequence(), "", false},
        {Form->Cover1, "&Cover", QKeySequence("F2"), "Bilddatei als Cover einfügen", true},
        {Form->Rueckseite, "&Rückseite", QKeySequence("F3"), "Bilddatei als Rückseite einfügen",
         true},
        {Form->Umschlagbild, "&Umschlagbild...", QKeySequence(),
         "Bilddatei über den ganzen Umschlag einfügen", false},
        {Form->UmschlagbildEntfernen, "Umschlagbild &entfernen", QKeySequence(), "", false},
        {Form->DiscBild, "&Disc-Bild...", QKeySequence(), "Bilddatei auf das Disc-Etikett einfügen",
         false},
        {Form->DiscBildEntfernen, "Disc-Bild ent&fernen", QKeySequence(), "", false},
        {Form->DiscEtikett, "Disc-E&tikett...", QKeySequence("F5"),
         "Größe, Farbe und Beschriftung des Disc-Etiketts bearbeiten", false},
        {Form->DiscDrucken, "&Disc-Etikett drucken...", QKeySequence(),
         "Das Disc-Etikett auf Papier oder einen Etikettenbogen drucken", false},
        {Form->AnsichtHuelle, "&Hülle", QKeySequence("Ctrl+1"), "", false},
        {Form->AnsichtDisc, "&Disc-Etikett", QKeySequence("Ctrl+2"), "", false},
        {Form->Rueckgaengig, "&Rückgängig", QKeySequence("Ctrl+Z"),
         "Den letzten Schritt zurücknehmen", false},
        {Form->Wiederherstellen, "&Wiederherstellen", QKeySequence("Ctrl+Y"),
         "Den zurückgenommenen Schritt wiederholen", false},
        {Form->Info, "&Info...", QKeySequence(), "", false},
    };
    for (const Item& item : items) {
        SCOPED_TRACE(item.Caption);
        EXPECT_EQ(item.Action->text(), QString::fromUtf8(item.Caption));
        EXPECT_EQ(item.Action->shortcut(), item.Shortcut);
        EXPECT_EQ(item.Action->statusTip(), QString::fromUtf8(item.Hint));
        EXPECT_EQ(!item.Action->icon().isNull(), item.HasImage);
    }
    const QList<QAction*> top = Form->MainMenu->actions();
    ASSERT_EQ(top.size(), 7);
    EXPECT_EQ(top[0]->text(), "&Datei");
    EXPECT_EQ(top[1]->menu(), Form->Bearbeiten);
    EXPECT_EQ(top[1]->text(), "Bearbei&ten");
    EXPECT_EQ(top[2]->text(), QString::fromUtf8("&Einfügen"));
    EXPECT_EQ(top[3]->menu(), Form->Ansicht);
    EXPECT_EQ(top[3]->text(), "&Ansicht");
    EXPECT_EQ(top[4]->text(), "&Bild");
    EXPECT_EQ(top[5]->menu(), Form->Bogen);
    EXPECT_EQ(top[5]->text(), "B&ogen");
    EXPECT_EQ(top[6]->text(), "&?");
    const auto captions = [](const QMenu* menu) {
        QStringList texts;
        for (const QAction* item : menu->actions())
            texts << item->text();
        return texts.join('|');
    };
    EXPECT_EQ(captions(Form->Bogen), QString::fromUtf8("&Hülle|&Anordnung|&Beschnittzugabe"));
    EXPECT_EQ(
        captions(Form->Huelle),
        QString::fromUtf8(
            "CD-Jewelcase|CD-Slimcase|DVD-Hülle|Blu-ray-Hülle|Eigene Maße...||&Rückenbreite"));
    EXPECT_EQ(captions(Form->Einfuegen),
              QString::fromUtf8("&Cover|&Rückseite|&Umschlagbild...|Umschlagbild "
                                "&entfernen|&Disc-Bild...|Disc-Bild ent&fernen||&Beschriftung..."
                                "|Aus &Musikordner...|&Aus CUE-Datei...|Disc-E&tikett..."));
    EXPECT_EQ(captions(Form->Ansicht), QString::fromUtf8("&Hülle|&Disc-Etikett"));
    EXPECT_EQ(captions(Form->Anordnung), "&nebeneinander|&untereinander");
    EXPECT_EQ(captions(Form->Beschnittzugabe), "&keine|0,5 mm|&1 mm|1,5 mm|&2 mm|2,5 mm|&3 mm");
    const QList<QAction*> file = Form->Datei->actions();
    ASSERT_EQ(file.size(), 12);
    EXPECT_EQ(file[0], Form->Neu);
    EXPECT_EQ(file[1], Form->Laden);
    EXPECT_EQ(file[2]->menu(), Form->LetzteDateien);
    EXPECT_EQ(Form->LetzteDateien->title(), "Let&zte Dateien");
    EXPECT_EQ(file[3], Form->Speichern);
    EXPECT_EQ(file[4], Form->Speichernunter);
    EXPECT_TRUE(file[5]->isSeparator());
    EXPECT_EQ(file[6], Form->Drucken);
    EXPECT_EQ(file[7], Form->Seitenansicht);
    EXPECT_EQ(file[8], Form->DiscDrucken);
    EXPECT_EQ(file[9], Form->Druckerkorrektur);
    EXPECT_TRUE(file[10]->isSeparator());
    EXPECT_EQ(file[11], Form->Beenden);
    // Within the file menu each accelerator reaches one item.
    QSet<QChar> accelerators;
    for (const QAction* item : file) {
        const qsizetype amp = item->text().indexOf('&');
        if (amp < 0)
            continue;
        const QChar key = item->text()[amp + 1].toLower();
        EXPECT_FALSE(accelerators.contains(key)) << item->text().toStdString();
        accelerators.insert(key);
    }
}

TEST_F(MainWindow, ToolButtonsShowOnlyTheirLinkedItemsImageWithHintAsTooltip) {
    struct Button {
        QToolButton* Tool;
        QAction* Item;
        int Left;
    };
    const Button buttons[] = {{Form->btnNew, Form->Neu, 0},
                              {Form->btnOpen, Form->Laden, 23},
                              {Form->btnSave, Form->Speichern, 46},
                              {Form->btnPrint, Form->Drucken, 69},
                              {Form->btnInsertCover, Form->Cover1, 100},
                              {Form->btnInsertBack, Form->Rueckseite, 123}};
    const int origin = Form->btnNew->x();
    for (const Button& button : buttons) {
        SCOPED_TRACE(button.Tool->objectName().toStdString());
        EXPECT_EQ(button.Tool->x() - origin, button.Left);
        EXPECT_EQ(button.Tool->size(), QSize(23, 22));
        EXPECT_EQ(button.Tool->toolTip(), button.Item->statusTip());
        // No unseen access key that would take Alt and a letter from the menu bar.
        EXPECT_FALSE(button.Tool->text().isEmpty());
        EXPECT_FALSE(button.Tool->text().contains(u'&'));
        EXPECT_EQ(button.Tool->toolButtonStyle(), Qt::ToolButtonIconOnly);
        EXPECT_TRUE(button.Tool->autoRaise());
        EXPECT_EQ(button.Tool->icon().cacheKey(), button.Item->icon().cacheKey());
    }
    EXPECT_EQ(Form->btnSep->x() - origin, 92);
    EXPECT_EQ(Form->btnSep->width(), 8);
    EXPECT_EQ(Form->ToolButton1->x() - origin, 146);
    EXPECT_EQ(Form->cbRahmen->x() - origin, 154);
    EXPECT_EQ(Form->cbRahmen->size(), QSize(125, 22));
}

TEST_F(MainWindow, SixDistinctImagesOfSixteenPixels) {
    ASSERT_EQ(Form->ImageList.size(), 6);
    for (int i = 0; i < 6; ++i) {
        const QImage image = Form->ImageList[i].pixmap(16, 16).toImage();
        EXPECT_EQ(image.size(), QSize(16, 16));
        for (int j = 0; j < i; ++j)
            EXPECT_NE(image, Form->ImageList[j].pixmap(16, 16).toImage()) << i << " vs " << j;
    }
}

TEST_F(MainWindow, ExitClosesTheWindow) {
    Form->show();
    ASSERT_TRUE(Form->isVisible());
    Form->Beenden->trigger();
    EXPECT_FALSE(Form->isVisible());
}
