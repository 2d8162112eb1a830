// The sheet's settings in the main window (arrangement and bleed, kept in the layout), and
// what the window says and shows about pictures a layout names that are not where it says.
#include <QActionGroup>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

#include "app/MainForm.h"
#include "app/PageGeometry.h"
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

// The files of the parts named, one a line.
std::string PartFiles(bool cover, const std::string& coverFile, bool back,
                      const std::string& backFile) {
    if (cover && back)
        return coverFile + "\n" + backFile;
    return cover ? coverFile : back ? backFile : std::string();
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

void TfrmMain::UpdateSheetMenu() {
    // A value set by hand between the offered ones checks none of them.
    for (QAction* item : Anordnung->actions())
        item->setChecked(item->data().toInt() ==
                         static_cast<int>(Document.Settings.Arrangement.Value));
    for (QAction* item : Beschnittzugabe->actions())
        item->setChecked(item->data().toInt() == Document.Settings.Bleed.Value);
    ShowArrangement();
}

void TfrmMain::ShowArrangement() {
    const TPageGeometry page = PageGeometry(Document.Settings.Arrangement.Value);
    pnlPage->setGeometry(page.Page);
    Cover->setGeometry(page.Cover);
    Back->setGeometry(page.Back);
    // A placeholder covers its control whatever its size.
    for (const TImage* image : {Cover, Back})
        if (auto* placeholder = image->findChild<QLabel*>(PlaceholderName))
            placeholder->setGeometry(image->rect());
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

void TfrmMain::WarnIfBleedLimited() {
    const TSheetLayout layout = Document.Settings.Layout();
    if (PrintedBleed(layout) < layout.Bleed)
        ShowMessage(this, QMessageBox::Information, Msg::BleedLimited);
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

void TfrmMain::TellAboutPictures(bool coverMoved, bool backMoved) {
    if (coverMoved || backMoved)
        ShowMessage(this, QMessageBox::Information,
                    Format(Msg::PicturesRelocated, PartFiles(coverMoved, Document.Cover.File(),
                                                             backMoved, Document.Back.File())
                                                       .c_str()));
    const bool cover = ShowsMissing(TSheetPart::Cover), back = ShowsMissing(TSheetPart::Back);
    if (cover || back)
        ShowMessage(
            this, QMessageBox::Warning,
            Format(Msg::PicturesMissing,
                   PartFiles(cover, Document.Cover.File(), back, Document.Back.File()).c_str()));
}

bool TfrmMain::ConfirmMissingPictures() {
    const bool cover = ShowsMissing(TSheetPart::Cover), back = ShowsMissing(TSheetPart::Back);
    if (!cover && !back)
        return true;
    return AskYesNo(
        Format(Msg::PrintWithoutMissing,
               PartFiles(cover, Document.Cover.File(), back, Document.Back.File()).c_str()));
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
