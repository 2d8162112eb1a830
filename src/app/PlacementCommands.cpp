// How the pictures are placed into their parts: the "Bild" menu with a submenu per part,
// the same commands in each picture control's context menu, and the window the user
// moves and zooms in a filled part.
#include <QActionGroup>
#include <QMenuBar>

#include "app/MainForm.h"
#include "sheet/CoverSheet.h"
#include "toolkit/Application.h"

namespace {
QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

struct TModeItem {
    TPlacementMode Mode;
    const char* Caption;
    const char* Name;
    const char* Step; // the step's name in the "Bearbeiten" menu
};
constexpr TModeItem ModeItems[] = {
    {TPlacementMode::Stretch, "&Strecken", "Strecken", "Strecken"},
    {TPlacementMode::Fit, "&Einpassen", "Einpassen", "Einpassen"},
    {TPlacementMode::Fill, "&Füllen", "Fuellen", "Füllen"},
};

QSize PartSize(TSheetPart part) {
    const TRect& rect = part == TSheetPart::Cover ? Sheet::CoverPicture : Sheet::BackPicture;
    return {rect.Width(), rect.Height()};
}
} // namespace

void TfrmMain::CreatePlacementMenus() {
    Bild = new QMenu(Text("&Bild"), this);
    Bild->setObjectName("Bild");
    MainMenu->insertMenu(N3->menuAction(), Bild);
    struct TPartMenu {
        TSheetPart Part;
        const char* Caption;
        const char* Name;
    };
    for (const TPartMenu& each : {TPartMenu{TSheetPart::Cover, "&Cover", "BildCover"},
                                  TPartMenu{TSheetPart::Back, "&Rückseite", "BildRueckseite"}}) {
        const TSheetPart part = each.Part;
        QMenu* sub = Bild->addMenu(Text(each.Caption));
        sub->setObjectName(each.Name);
        connect(sub, &QMenu::aboutToShow, this, [this, sub, part] {
            // Built afresh each time, so it shows the part's placement as it is now.
            sub->clear();
            qDeleteAll(sub->findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly));
            AddPlacementItems(sub, part);
        });
        TImage& image = ImageOf(part);
        image.setContextMenuPolicy(Qt::CustomContextMenu);
        connect(&image, &QWidget::customContextMenuRequested, this,
                [this, part, &image](const QPoint& pos) {
                    QMenu menu(this);
                    menu.setObjectName("PlacementMenu");
                    AddPlacementItems(&menu, part);
                    menu.exec(image.mapToGlobal(pos));
                });
        image.OnViewChange = [this, part](const TPlacementView& view) {
            TPartPlacement placement = Document.Placement(part).Placement;
            placement.View = view;
            SetPlacement(part, placement, "Ausschnitt", TStepKind::ViewChange);
        };
    }
    ShowPlacements();
}

void TfrmMain::AddPlacementItems(QMenu* menu, TSheetPart part) {
    const TPartPlacement& placement = Document.Placement(part).Placement;
    auto* modes = new QActionGroup(menu);
    for (const TModeItem& each : ModeItems) {
        QAction* item = menu->addAction(Text(each.Caption));
        item->setObjectName(each.Name);
        item->setCheckable(true);
        item->setChecked(placement.Mode == each.Mode);
        modes->addAction(item);
        connect(item, &QAction::triggered, this, [this, part, mode = each.Mode, step = each.Step] {
            Guarded([&] {
                TPartPlacement changed = Document.Placement(part).Placement;
                changed.Mode = mode;
                SetPlacement(part, changed, step);
            });
        });
    }
    menu->addSeparator();
    QAction* turn = menu->addAction(Text("&Drehen"));
    turn->setObjectName("Drehen");
    connect(turn, &QAction::triggered, this, [this, part] {
        Guarded([&] {
            SetPlacement(part, TurnedClockwise(Document.Placement(part).Placement), "Drehen");
        });
    });
    QAction* reset = menu->addAction(Text("Ausschnitt &zurücksetzen"));
    reset->setObjectName("AusschnittZuruecksetzen");
    reset->setEnabled(placement.Mode == TPlacementMode::Fill);
    connect(reset, &QAction::triggered, this, [this, part] {
        Guarded([&] {
            TPartPlacement centred = Document.Placement(part).Placement;
            centred.View.reset();
            SetPlacement(part, centred, "Ausschnitt zurücksetzen");
        });
    });
}

TImage& TfrmMain::ImageOf(TSheetPart part) {
    return part == TSheetPart::Cover ? *Cover : *Back;
}

void TfrmMain::SetPlacement(TSheetPart part, const TPartPlacement& placement, const char* step,
                            TStepKind kind) {
    TLayoutDocument next = Document;
    next.Placement(part).Placement = placement;
    ChangeDocument(next, step, kind, part);
}

void TfrmMain::ShowPlacements() {
    for (const TSheetPart part : {TSheetPart::Cover, TSheetPart::Back})
        ImageOf(part).SetPlacement(PartSize(part), Document.Placement(part).Placement);
    UpdatePictureHints();
}
