// The "Bild" menu: its German captions, each part's mode, turn and window as commands that
// mark the layout changed and are saved with it, and the tooltip's resolution following
// the pixels that print.
#include <QMenu>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "TestSupport.h"
#include "app/MainForm.h"
#include "print/Printer.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"

namespace {
class PlacementCommands : public testing::Test {
protected:
    void SetUp() override {
        TApplication::SetTitle("Vellacour");
        Form = std::make_unique<TfrmMain>(Printer());
        Picture = Dir.File("breit.bmp");
        WriteBmp(Picture, 1000, 500, 0xFF0000);
    }

    // The part's submenu as it opens, and one of its commands.
    QMenu* PartMenu(const char* name) {
        auto* menu = Form->Bild->findChild<QMenu*>(name);
        emit menu->aboutToShow();
        return menu;
    }
    QAction* Item(const char* part, const char* name) {
        return PartMenu(part)->findChild<QAction*>(name);
    }

    TempDir Dir;
    std::string Picture;
    std::unique_ptr<TfrmMain> Form;
};
} // namespace

TEST_F(PlacementCommands, MenuCaptionsAndAccelerators) {
    QStringList captions;
    for (const QAction* action : PartMenu("BildRueckseite")->actions())
        captions << action->text();
    EXPECT_EQ(captions, QStringList({"&Strecken", "&Einpassen", QString::fromUtf8("&Füllen"), "",
                                     "&Drehen", QString::fromUtf8("Ausschnitt &zurücksetzen")}));
    EXPECT_EQ(PartMenu("BildCover")->title(), "&Cover");
    EXPECT_EQ(PartMenu("BildRueckseite")->title(), QString::fromUtf8("&Rückseite"));
}

TEST_F(PlacementCommands, ModeTurnAndWindowAreChangesSavedWithTheLayout) {
    const std::string file = Dir.File("l.vco");
    WriteLayoutPaths(file, Picture, "");
    Form->LoadCover(file);
    EXPECT_FALSE(Form->Changed());
    EXPECT_TRUE(Item("BildCover", "Strecken")->isChecked());
    EXPECT_FALSE(Item("BildCover", "AusschnittZuruecksetzen")->isEnabled());

    Item("BildCover", "Fuellen")->trigger();
    EXPECT_TRUE(Form->Changed());
    EXPECT_TRUE(Item("BildCover", "Fuellen")->isChecked());
    EXPECT_EQ(Form->Cover->Placement().Mode, TPlacementMode::Fill);
    Form->Cover->OnViewChange({0, 0, 5000, 10000});
    Item("BildCover", "Drehen")->trigger();
    Form->btnSaveClick();
    EXPECT_FALSE(Form->Changed());
    EXPECT_EQ(ReadFileText(file), "[Vellacour]\ncover=" + Picture + "\nback=\ncoverMode=fill\n" +
                                      "coverView=0;0;10000;5000\ncoverTurn=90\n");

    // Centred again, stretched again: the file is as it was before.
    Item("BildCover", "AusschnittZuruecksetzen")->trigger();
    Item("BildCover", "Strecken")->trigger();
    Item("BildCover", "Drehen")->trigger();
    Item("BildCover", "Drehen")->trigger();
    Item("BildCover", "Drehen")->trigger();
    EXPECT_TRUE(Form->Changed());
    Form->btnSaveClick();
    EXPECT_EQ(ReadFileText(file), "[Vellacour]\ncover=" + Picture + "\nback=\n");

    // Opening a layout takes its placements, whatever was chosen before.
    Item("BildRueckseite", "Einpassen")->trigger();
    EXPECT_TRUE(Form->Changed());
    Form->LoadCover(file);
    EXPECT_EQ(Form->Back->Placement(), TPartPlacement{});
}

// 1000 × 500 pixels on the 120 mm cover: stretched, only 500 pixels span its height; fitted
// 1000 pixels span 120 mm; a window zoomed twice shows 250 pixels on 120 mm.
TEST_F(PlacementCommands, TheTooltipCountsThePixelsThatPrint) {
    const std::string file = Dir.File("l.vco");
    WriteLayoutPaths(file, Picture, "");
    Form->LoadCover(file);
    const QString name = QString::fromUtf8("breit.bmp – 1000 × 500 Pixel, ");
    EXPECT_EQ(Form->Cover->toolTip(), name + QString::fromUtf8("106 dpi, geringe Auflösung"));
    Item("BildCover", "Einpassen")->trigger();
    EXPECT_EQ(Form->Cover->toolTip(), name + "212 dpi");
    Item("BildCover", "Fuellen")->trigger();
    EXPECT_EQ(Form->Cover->toolTip(), name + QString::fromUtf8("106 dpi, geringe Auflösung"));
    Form->Cover->OnViewChange({3750, 2500, 2500, 5000});
    EXPECT_EQ(Form->Cover->toolTip(), name + QString::fromUtf8("53 dpi, geringe Auflösung"));
}
