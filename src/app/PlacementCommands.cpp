// How the pictures are placed into their parts: the "Bild" menu with a submenu per part,
// the same commands in each picture control's context menu, and the window the user
// moves and zooms in a filled part.
#include <QActionGroup>
#include <QMenuBar>

#include "app/DiscView.h"
#include "app/MainForm.h"
#include "sheet/CoverSheet.h"
#include "toolkit/Application.h"

namespace {
struct TModeItem {
    TPlacementMode Mode;
    const char* Caption;
    const char* Name;
    const char* Step; // the step's name in the "Bearbeiten" menu
};
constexpr TModeItem ModeItems[] = {
    {TPlacementMode::Stretch, QT_TRANSLATE_NOOP("TfrmMain", "&Strecken"), "Strecken",
     QT_TRANSLATE_NOOP("TfrmMain", "Strecken")},
    {TPlacementMode::Fit, QT_TRANSLATE_NOOP("TfrmMain", "&Einpassen"), "Einpassen",
     QT_TRANSLATE_NOOP("TfrmMain", "Einpassen")},
    {TPlacementMode::Fill, QT_TRANSLATE_NOOP("TfrmMain", "&Füllen"), "Fuellen",
     QT_TRANSLATE_NOOP("TfrmMain", "Füllen")},
};

QSize SizeOf(const TRect& rect) {
    return {rect.Width(), rect.Height()};
}
} // namespace

void TfrmMain::CreatePlacementMenus() {
    Bild = new QMenu(tr("&Bild"), this);
    Bild->setObjectName("Bild");
    MainMenu->insertMenu(N3->menuAction(), Bild);
    struct TPartMenu {
        TSheetPart Part;
        QString Caption;
        const char* Name;
    };
    for (const TPartMenu& each : {TPartMenu{TSheetPart::Cover, tr("&Cover"), "BildCover"},
                                  TPartMenu{TSheetPart::Back, tr("&Rückseite"), "BildRueckseite"},
                                  TPartMenu{TSheetPart::Disc, tr("&Disc-Etikett"), "BildDisc"}}) {
        const TSheetPart part = each.Part;
        QMenu* sub = Bild->addMenu(each.Caption);
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
                    menu.addSeparator();
                    AddPasteItem(&menu, part == TSheetPart::Cover  ? CoverSlot
                                        : part == TSheetPart::Back ? BackSlot
                                                                   : DiscSlot);
                    menu.exec(image.mapToGlobal(pos));
                });
        image.OnViewChange = [this, part](const TPlacementView& view) {
            TPartPlacement placement = Document.Placement(part).Placement;
            placement.View = view;
            SetPlacement(part, placement, tr("Ausschnitt"), TStepKind::ViewChange);
        };
    }
    // The picture across a wrap is not placed; its menu only pastes.
    Wrap->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Wrap, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        menu.setObjectName("PlacementMenu");
        AddPasteItem(&menu, WrapSlot);
        menu.exec(Wrap->mapToGlobal(pos));
    });
    ShowPlacements();
}

void TfrmMain::AddPlacementItems(QMenu* menu, TSheetPart part) {
    const TPartPlacement& placement = Document.Placement(part).Placement;
    auto* modes = new QActionGroup(menu);
    for (const TModeItem& each : ModeItems) {
        QAction* item = menu->addAction(tr(each.Caption));
        item->setObjectName(each.Name);
        item->setCheckable(true);
        item->setChecked(placement.Mode == each.Mode);
        modes->addAction(item);
        connect(item, &QAction::triggered, this,
                [this, part, mode = each.Mode, step = tr(each.Step)] {
                    Guarded([&] {
                        TPartPlacement changed = Document.Placement(part).Placement;
                        changed.Mode = mode;
                        SetPlacement(part, changed, step);
                    });
                });
    }
    menu->addSeparator();
    QAction* turn = menu->addAction(tr("&Drehen"));
    turn->setObjectName("Drehen");
    connect(turn, &QAction::triggered, this, [this, part] {
        Guarded([&] {
            SetPlacement(part, TurnedClockwise(Document.Placement(part).Placement), tr("Drehen"));
        });
    });
    QAction* reset = menu->addAction(tr("Ausschnitt &zurücksetzen"));
    reset->setObjectName("AusschnittZuruecksetzen");
    reset->setEnabled(placement.Mode == TPlacementMode::Fill);
    connect(reset, &QAction::triggered, this, [this, part] {
        Guarded([&] {
            TPartPlacement centred = Document.Placement(part).Placement;
            centred.View.reset();
            SetPlacement(part, centred, tr("Ausschnitt zurücksetzen"));
        });
    });
}

TImage& TfrmMain::ImageOf(TSheetPart part) {
    return part == TSheetPart::Cover ? *Cover : part == TSheetPart::Back ? *Back : *Disc;
}

void TfrmMain::SetPlacement(TSheetPart part, const TPartPlacement& placement, const QString& step,
                            TStepKind kind) {
    TLayoutDocument next = Document;
    next.Placement(part).Placement = placement;
    ChangeDocument(next, step, kind, part);
}

void TfrmMain::ShowPlacements() {
    // Each control stands for its part of the layout's sheet: the jewel case's, or a
    // wrap's panel.
    const TSheetGeometry sheet = SheetGeometry(Document.Settings.Layout());
    Cover->SetPlacement(SizeOf(sheet.Cover), Document.Placement(TSheetPart::Cover).Placement);
    Back->SetPlacement(SizeOf(sheet.Back), Document.Placement(TSheetPart::Back).Placement);
    // The wrap's picture fills the whole wrap, centred, as it prints; it has no window of its
    // own to move.
    Wrap->SetPlacement(SizeOf(sheet.Wrap), {.Mode = TPlacementMode::Fill});
    Wrap->setFocusPolicy(Qt::NoFocus);
    // The disc label's control stands for the label's square.
    pnlDisc->SetLabel(Document.DiscLabel());
    UpdatePictureHints();
}
