// "Bild einfügen": the clipboard's picture into a part of the layout. A copied picture file
// is inserted as a file is; image data become a held picture, which the layout writes
// beside itself when it is saved.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/DiscView.h"
#include "app/MainForm.h"
#include "app/Paste.h"
#include "toolkit/Application.h"
#include "toolkit/Modal.h"

std::optional<TfrmMain::TPictureSlot> TfrmMain::FocusedSlot() const {
    const QWidget* focused = QApplication::focusWidget();
    for (const TPictureSlot slot : {CoverSlot, BackSlot, WrapSlot, DiscSlot}) {
        const TImage& image = const_cast<TfrmMain*>(this)->ImageIn(slot);
        if (focused == &image && image.isVisibleTo(this))
            return slot;
    }
    return std::nullopt;
}

std::optional<TfrmMain::TPictureSlot> TfrmMain::AskPasteTarget() {
    QDialog dialog(this);
    dialog.setObjectName("PasteTarget");
    dialog.setWindowTitle(tr("Bild einfügen"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(tr("Wohin soll das Bild aus der Zwischenablage?"), &dialog));
    struct TChoice {
        TPictureSlot Slot;
        QString Caption;
        const char* Name;
    };
    std::vector<TChoice> choices = {{CoverSlot, tr("&Cover"), "PasteCover"},
                                    {BackSlot, tr("&Rückseite"), "PasteBack"}};
    if (Document.Settings.Layout().IsWrap())
        choices.push_back({WrapSlot, tr("&Umschlagbild"), "PasteWrap"});
    choices.push_back({DiscSlot, tr("&Disc-Etikett"), "PasteDisc"});
    std::vector<std::pair<QRadioButton*, TPictureSlot>> buttons;
    for (const TChoice& choice : choices) {
        auto* button = new QRadioButton(choice.Caption, &dialog);
        button->setObjectName(choice.Name);
        layout->addWidget(button);
        buttons.emplace_back(button, choice.Slot);
    }
    buttons.front().first->setChecked(true);
    auto* box = new QDialogButtonBox(&dialog);
    box->addButton(tr("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    box->addButton(tr("Abbrechen"), QDialogButtonBox::RejectRole);
    connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(box);
    if (ExecModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    for (const auto& [button, slot] : buttons)
        if (button->isChecked())
            return slot;
    return std::nullopt;
}

void TfrmMain::BildEinfuegenClick() {
    PastePicture(std::nullopt);
}

void TfrmMain::PastePicture(std::optional<TPictureSlot> slot) {
    const TPastedPicture pasted = PastedPicture(QApplication::clipboard()->mimeData());
    if (pasted.Empty()) {
        QMessageBox box(QMessageBox::Information, QString::fromStdString(TApplication::Title()),
                        Msg::NoPictureOnClipboard.QText(), QMessageBox::Ok, this);
        ExecModal(box);
        return;
    }
    std::optional<TLayoutPicture> picture;
    if (pasted.FileName.empty()) {
        picture = HeldLayoutPicture(pasted.Bytes, pasted.Extension, Msg::PastedOrigin);
        picture->Entry = HeldPictureName(LayoutFile, *picture->Held);
        // Decoded before anything is asked or changed: what the picture layer refuses (a
        // picture beyond its pixel limit, broken data) is said and changes nothing.
        Pictures.LoadBytes(PictureKey(*picture), picture->Held->Bytes, picture->Held->Extension);
    }
    if (!slot)
        slot = FocusedSlot();
    if (!slot)
        slot = AskPasteTarget();
    if (!slot)
        return;
    if (!picture) {
        InsertPicture(*slot, pasted.FileName);
        return;
    }
    TLayoutDocument next = Document;
    next.*SlotPicture[*slot] = std::move(*picture);
    ChangeDocument(next, tr("Bild einfügen"));
}

void TfrmMain::AddPasteItem(QMenu* menu, TPictureSlot slot) {
    QAction* item = menu->addAction(tr("Bild einfügen"));
    item->setObjectName("BildEinfuegen");
    item->setShortcut(BildEinfuegen->shortcut());
    connect(item, &QAction::triggered, this,
            [this, slot] { Guarded([&] { PastePicture(slot); }); });
}
