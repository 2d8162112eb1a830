// The sheet's settings in the main window (case, spine, arrangement and bleed, kept in the
// layout), and what the window says and shows about pictures a layout names that are not
// where it says.
#include <QActionGroup>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

#include "app/CaseSizeForm.h"
#include "app/MainForm.h"
#include "app/PageGeometry.h"
#include "app/TextPreview.h"
#include "sheet/LayoutPictures.h"
#include "sheet/SheetClipping.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/Modal.h"

namespace {
struct TArrangementItem {
    TArrangement Arrangement;
    const char* Caption;
};
constexpr TArrangementItem ArrangementItems[] = {
    {TArrangement::Side, QT_TRANSLATE_NOOP("TfrmMain", "&nebeneinander")},
    {TArrangement::Stacked, QT_TRANSLATE_NOOP("TfrmMain", "&untereinander")}};

// The bleeds offered, in tenths of a millimetre, with their captions.
struct TBleedItem {
    int Tenths;
    const char* Caption;
};
constexpr TBleedItem BleedItems[] = {
    {0, QT_TRANSLATE_NOOP("TfrmMain", "&keine")}, {5, QT_TRANSLATE_NOOP("TfrmMain", "0,5 mm")},
    {10, QT_TRANSLATE_NOOP("TfrmMain", "&1 mm")}, {15, QT_TRANSLATE_NOOP("TfrmMain", "1,5 mm")},
    {20, QT_TRANSLATE_NOOP("TfrmMain", "&2 mm")}, {25, QT_TRANSLATE_NOOP("TfrmMain", "2,5 mm")},
    {30, QT_TRANSLATE_NOOP("TfrmMain", "&3 mm")}};

constexpr const char* PlaceholderName = "Platzhalter";

// The files named, one a line.
std::string FileLines(const std::vector<std::string>& files) {
    std::string lines;
    for (const std::string& file : files)
        lines += (lines.empty() ? "" : "\n") + file;
    return lines;
}

void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const std::string& text) {
    QMessageBox box(icon, QString::fromStdString(TApplication::Title()),
                    QString::fromStdString(text), QMessageBox::Ok, parent);
    ExecModal(box);
}
} // namespace

void TfrmMain::CreateSheetMenu() {
    Bogen = new QMenu(tr("B&ogen"), MainMenu);
    Bogen->setObjectName("Bogen");
    MainMenu->insertMenu(N3->menuAction(), Bogen);
    CreateCaseMenu();

    Anordnung = Bogen->addMenu(tr("&Anordnung"));
    Anordnung->setObjectName("Anordnung");
    auto* arrangements = new QActionGroup(Anordnung);
    for (const TArrangementItem& choice : ArrangementItems) {
        QAction* item = Anordnung->addAction(tr(choice.Caption));
        item->setCheckable(true);
        item->setData(static_cast<int>(choice.Arrangement));
        arrangements->addAction(item);
        connect(item, &QAction::triggered, this, [this, arrangement = choice.Arrangement] {
            Guarded([&] { SetArrangement(arrangement); });
        });
    }

    Beschnittzugabe = Bogen->addMenu(tr("&Beschnittzugabe"));
    Beschnittzugabe->setObjectName("Beschnittzugabe");
    auto* bleeds = new QActionGroup(Beschnittzugabe);
    for (const TBleedItem& bleed : BleedItems) {
        QAction* item = Beschnittzugabe->addAction(tr(bleed.Caption));
        item->setCheckable(true);
        item->setData(bleed.Tenths);
        bleeds->addAction(item);
        connect(item, &QAction::triggered, this,
                [this, tenths = bleed.Tenths] { Guarded([&] { SetBleed(tenths); }); });
    }
    UpdateSheetMenu();
}

void TfrmMain::CreateCaseMenu() {
    Huelle = Bogen->addMenu(tr("&Hülle"));
    Huelle->setObjectName("Huelle");
    auto* cases = new QActionGroup(Huelle);
    for (const TCaseType& type : CaseTypes()) {
        // A case of one's own asks for its size first.
        const bool custom = type.Kind == TCaseKind::Custom;
        QAction* item = Huelle->addAction(custom ? tr("Eigene Maße...") : type.Caption.QText());
        item->setCheckable(true);
        item->setData(static_cast<int>(type.Kind));
        cases->addAction(item);
        if (custom)
            EigeneMasse = item;
        connect(item, &QAction::triggered, this, [this, custom, kind = type.Kind] {
            Guarded([&] { custom ? EigeneMasseClick() : SetCase(kind); });
        });
    }
    Huelle->addSeparator();
    Rueckenbreite = Huelle->addMenu(tr("&Rückenbreite"));
    Rueckenbreite->setObjectName("Rueckenbreite");
}

void TfrmMain::UpdateSheetMenu() {
    const TSheetSettings& settings = Document.Settings;
    for (QAction* item : Huelle->actions())
        if (item->isCheckable())
            item->setChecked(item->data().toInt() == static_cast<int>(settings.Case.Value));
    UpdateSpineMenu();
    // The arrangement is the jewel case's; the wrap picture the other cases'.
    const bool wrap = settings.Layout().IsWrap();
    Anordnung->menuAction()->setEnabled(!wrap);
    Umschlagbild->setEnabled(wrap);
    UmschlagbildEntfernen->setEnabled(Document.ShowsWrap());
    DiscBildEntfernen->setEnabled(!Document.Disc.File().empty());
    // A value set by hand between the offered ones checks none of them.
    for (QAction* item : Anordnung->actions())
        item->setChecked(item->data().toInt() == static_cast<int>(settings.Arrangement.Value));
    for (QAction* item : Beschnittzugabe->actions())
        item->setChecked(item->data().toInt() == settings.Bleed.Value);
    ShowPage();
}

void TfrmMain::UpdateSpineMenu() {
    const TSheetLayout layout = Document.Settings.Layout();
    const std::span<const int> spines = CaseType(layout.Case).Spines;
    // Made anew only for another case's spines, so never while one of its items runs.
    const QList<QAction*> items = Rueckenbreite->actions();
    if (!std::ranges::equal(items, spines, [](const QAction* item, int tenths) {
            return item->data().toInt() == tenths;
        })) {
        Rueckenbreite->clear();
        qDeleteAll(Rueckenbreite->findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly));
        auto* group = new QActionGroup(Rueckenbreite);
        for (const int tenths : spines) {
            // "7 mm", "12,5 mm": millimetres as the bleeds are given.
            QAction* item = Rueckenbreite->addAction(tr("%1 mm").arg(MillimetreText(tenths)));
            item->setCheckable(true);
            item->setData(tenths);
            group->addAction(item);
            connect(item, &QAction::triggered, this,
                    [this, tenths] { Guarded([&] { SetSpine(tenths); }); });
        }
    }
    for (QAction* item : Rueckenbreite->actions())
        item->setChecked(item->data().toInt() == layout.Size.Spine);
    Rueckenbreite->menuAction()->setEnabled(!spines.empty());
}

void TfrmMain::ShowPage() {
    const TSheetLayout layout = PageLayout(Document.Settings.Layout());
    const TPageGeometry page = PageGeometry(layout);
    pnlPage->setGeometry(page.Page);
    Cover->setGeometry(page.Cover);
    Back->setGeometry(page.Back);
    Wrap->setGeometry(page.Wrap);
    // The wrap's picture stands in for the panels' while it is set.
    const bool wrapPicture = Document.ShowsWrap();
    Cover->setVisible(!wrapPicture);
    Back->setVisible(!wrapPicture);
    Wrap->setVisible(wrapPicture);
    // A placeholder covers its control whatever its size.
    for (const TImage* image : {Cover, Back, Wrap})
        if (auto* placeholder = image->findChild<QLabel*>(PlaceholderName))
            placeholder->setGeometry(image->rect());
    // The words: on each part of the jewel case; on a wrap across the page, which stands for
    // the whole paper, so the spine title shows between the panels.
    const TSheetGeometry sheet = SheetGeometry(layout);
    CoverWords->SetPart(sheet.Cover, layout);
    BackWords->SetPart(sheet.Back, layout);
    WrapWords->SetPart({0, 0, layout.Paper.Width, layout.Paper.Height}, layout);
    CoverWords->setVisible(!layout.IsWrap());
    BackWords->setVisible(!layout.IsWrap());
    WrapWords->setVisible(layout.IsWrap());
    WrapWords->raise();
}

void TfrmMain::SetArrangement(TArrangement arrangement) {
    TLayoutDocument next = Document;
    next.Settings.Arrangement.Set(arrangement);
    ChangeDocument(next, tr("Anordnung"));
    // The menu checks the item again even when nothing changed.
    UpdateSheetMenu();
    WarnIfBleedLimited();
}

void TfrmMain::SetBleed(int tenths) {
    TLayoutDocument next = Document;
    next.Settings.Bleed.Set(tenths);
    ChangeDocument(next, tr("Beschnittzugabe"));
    UpdateSheetMenu();
    WarnIfBleedLimited();
}

void TfrmMain::SetCase(TCaseKind kind) {
    // The case it already is keeps the spine chosen for it.
    const TLayoutSetting<TCaseKind>& current = Document.Settings.Case;
    if (kind != current.Value || current.Unread) {
        TLayoutDocument next = Document;
        next.Settings.SetCase(kind);
        ChangeDocument(next, tr("Hülle"));
    }
    UpdateSheetMenu();
    WarnIfBleedLimited();
}

void TfrmMain::SetSpine(int tenths) {
    TLayoutDocument next = Document;
    next.Settings.SetSpine(tenths);
    ChangeDocument(next, tr("Rückenbreite"));
    UpdateSheetMenu();
    WarnIfBleedLimited();
}

void TfrmMain::EigeneMasseClick() {
    // The dialog starts from the wrap shown; the jewel case has none, so from the size a
    // case of one's own has until it is changed.
    const TSheetLayout layout = Document.Settings.Layout();
    TfrmCaseSize dialog(layout.IsWrap() ? layout.Size : CaseType(TCaseKind::Custom).Size, this);
    if (ExecModal(dialog) == QDialog::Accepted) {
        const TCaseSize size = dialog.Size();
        TLayoutDocument next = Document;
        next.Settings.SetCase(TCaseKind::Custom);
        next.Settings.PanelWidth.Set(size.PanelWidth);
        next.Settings.PanelHeight.Set(size.PanelHeight);
        next.Settings.SetSpine(size.Spine);
        ChangeDocument(next, tr("Eigene Maße"));
    }
    // Cancelled, the menu checks the case it was before.
    UpdateSheetMenu();
    WarnIfBleedLimited();
}

void TfrmMain::WarnIfBleedLimited() {
    // A wrap as the window shows it: on A4, or US Legal when A4 is too narrow for it.
    const std::string limited = BleedLimitedText(PageLayout(Document.Settings.Layout()));
    if (!limited.empty())
        ShowMessage(this, QMessageBox::Information, limited);
}

void TfrmMain::ShowMissing(TImage& image, bool missing, const std::string& file) {
    auto* placeholder = image.findChild<QLabel*>(PlaceholderName);
    if (!missing) {
        delete placeholder;
        return;
    }
    if (!placeholder) {
        placeholder = new QLabel(&image);
        placeholder->setObjectName(PlaceholderName);
        placeholder->setAlignment(Qt::AlignCenter);
        placeholder->setWordWrap(true);
        placeholder->setFrameStyle(QFrame::Box);
        placeholder->setGeometry(image.rect());
    }
    placeholder->setText(QString::fromStdString(Format(Msg::MissingPlaceholder, file.c_str())));
    placeholder->show();
}

void TfrmMain::TellAboutPictures(const TPicturesFound& found) {
    const bool movedIn[SlotCount] = {found.CoverMoved, found.BackMoved, found.WrapMoved,
                                     found.DiscMoved};
    std::vector<std::string> moved, missing;
    for (const TPictureSlot slot : {CoverSlot, BackSlot, WrapSlot, DiscSlot}) {
        const std::string file = (Document.*SlotPicture[slot]).File();
        if (movedIn[slot])
            moved.push_back(file);
        if (ShowsMissing(slot))
            missing.push_back(file);
    }
    if (!moved.empty())
        ShowMessage(this, QMessageBox::Information,
                    Format(Msg::PicturesRelocated, FileLines(moved).c_str()));
    if (!missing.empty())
        ShowMessage(this, QMessageBox::Warning,
                    Format(Msg::PicturesMissing, FileLines(missing).c_str()));
}

bool TfrmMain::ConfirmMissingPictures() {
    // Only the pictures the sheet prints: the wrap's while it is shown, else the panels'.
    std::vector<std::string> missing;
    const auto printed = Document.ShowsWrap() ? std::vector<TPictureSlot>{WrapSlot}
                                              : std::vector<TPictureSlot>{CoverSlot, BackSlot};
    for (const TPictureSlot slot : printed)
        if (ShowsMissing(slot))
            missing.push_back((Document.*SlotPicture[slot]).File());
    if (missing.empty())
        return true;
    return AskYesNo(Format(Msg::PrintWithoutMissing, FileLines(missing).c_str()));
}

bool TfrmMain::AskYesNo(const std::string& text) {
    QMessageBox box(QMessageBox::Question, tr("Bestätigung"), QString::fromStdString(text),
                    QMessageBox::NoButton, this);
    // As in the save prompt, one role keeps the buttons in this order on every desktop.
    QPushButton* yes = box.addButton(tr("&Ja"), QMessageBox::ActionRole);
    QPushButton* no = box.addButton(tr("&Nein"), QMessageBox::ActionRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    ExecModal(box);
    return box.clickedButton() == yes;
}
