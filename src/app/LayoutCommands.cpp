// The layout document's commands: inserting pictures, New, Open, Save, Save as and the
// close query, with the prompt that offers to save unsaved changes.
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUndoStack>

#include "app/DiscView.h"
#include "app/MainForm.h"
#include "picture/OpenPictureDialog.h"
#include "sheet/CoverSheet.h"
#include "sheet/LayoutDocument.h"
#include "sheet/LayoutPictures.h"
#include "sheet/PrintResolution.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/FileDialog.h"
#include "toolkit/Modal.h"
#include "toolkit/SafeFile.h"
#include "toolkit/Translation.h"

namespace {
constexpr TMsg PictureFilter{QT_TRANSLATE_NOOP(
    "Msg", "Alle Dateien (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png;*.webp;*.tif;*.tiff;*.gif;"
           "*.svg;*.heic;*.heif;*.avif)|"
           "*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png;*.webp;*.tif;*.tiff;*.gif;*.svg;*.heic;"
           "*.heif;*.avif|"
           "JPEG Bilddatei (*.jpg)|*.jpg|JPEG Bilddatei (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|"
           "Symbole (*.ico)|*.ico|Erweiterte Metadateien (*.emf)|*.emf|Metadateien (*.wmf)|*.wmf|"
           "PNG Bilddatei (*.png)|*.png|WebP Bilddatei (*.webp)|*.webp|"
           "TIFF Bilddatei (*.tif;*.tiff)|*.tif;*.tiff|GIF Bilddatei (*.gif)|*.gif|"
           "SVG Vektorgrafik (*.svg)|*.svg|HEIF Bilddatei (*.heic;*.heif)|*.heic;*.heif|"
           "AVIF Bilddatei (*.avif)|*.avif")};
constexpr TMsg LayoutFilter{QT_TRANSLATE_NOOP("Msg", "Vellacour-Dateien (*.vco)|*.vco")};
constexpr const char* LayoutExtension = "vco";
constexpr TMsg Untitled{QT_TRANSLATE_NOOP("Msg", "<Unbenannt>")};

QString Path(const std::string& path) {
    return QFile::decodeName(path.c_str());
}
} // namespace

// The file dialogs are made when a command first needs one, not before the window is first
// shown, and then kept, so each starts where its last choice was made.
void TfrmMain::CreateDialogs() {
    if (dlgOpen)
        return;
    dlgOpen = new TOpenPictureDialog(this);
    dlgOpen->Filter = PictureFilter;
    dlgOpen->Options = {ofHideReadOnly, ofEnableSizing};
    OpenDialog = new TOpenDialog(this);
    OpenDialog->DefaultExt = LayoutExtension;
    OpenDialog->Filter = LayoutFilter;
    OpenDialog->Options = {ofHideReadOnly, ofEnableSizing};
    SaveDialog = new TSaveDialog(this);
    SaveDialog->DefaultExt = LayoutExtension;
    SaveDialog->Filter = LayoutFilter;
    SaveDialog->Options = {ofOverwritePrompt, ofHideReadOnly, ofEnableSizing};
}

void TfrmMain::SetCaption(const std::string& layoutFile) {
    const QString title = QString::fromStdString(TApplication::Title());
    setWindowTitle(layoutFile.empty() ? title : Path(layoutFile) + " - " + title);
}

TfrmMain::TSaveAnswer TfrmMain::AskToSave(bool asQuestion) {
    const std::string name = LayoutFile.empty() ? Untitled : LayoutFile;
    const QString text =
        (asQuestion ? tr("Änderungen in %1 speichern?") : tr("Änderungen in %1 speichern"))
            .arg(Path(name));
    QMessageBox box(QMessageBox::Question, tr("Bestätigung"), text, QMessageBox::NoButton, this);
    // One role for all three keeps them in this order whatever the desktop's button layout;
    // the answer is read from the button clicked.
    QPushButton* yes = box.addButton(tr("&Ja"), QMessageBox::ActionRole);
    QPushButton* no = box.addButton(tr("&Nein"), QMessageBox::ActionRole);
    QPushButton* cancel = box.addButton(tr("Abbrechen"), QMessageBox::ActionRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        box.adjustSize();
        box.move(screen->availableGeometry().center() - box.rect().center());
    }
    ExecModal(box);
    if (box.clickedButton() == yes)
        return TSaveAnswer::Yes;
    if (box.clickedButton() == no)
        return TSaveAnswer::No;
    return TSaveAnswer::Cancel;
}

bool TfrmMain::OfferToSave(bool asQuestion) {
    if (!Changed())
        return true;
    switch (AskToSave(asQuestion)) {
    case TSaveAnswer::Yes:
        // An untitled layout whose save dialog was cancelled is still unsaved: the
        // calling command must not throw it away.
        btnSaveClick();
        return !LayoutFile.empty();
    case TSaveAnswer::No:
        return true;
    case TSaveAnswer::Cancel:
        break;
    }
    return false;
}

bool TfrmMain::Changed() const {
    return LayoutChanged(LayoutFile, Document);
}

void TfrmMain::btnInsertCoverClick() {
    CreateDialogs();
    if (dlgOpen->Execute(this))
        InsertPicture(CoverSlot, dlgOpen->FileName);
}

void TfrmMain::btnInsertBackClick() {
    CreateDialogs();
    if (dlgOpen->Execute(this))
        InsertPicture(BackSlot, dlgOpen->FileName);
}

void TfrmMain::UmschlagbildClick() {
    // Only a wrap takes one picture across it; the item is disabled otherwise.
    if (!Document.Settings.Layout().IsWrap())
        return;
    CreateDialogs();
    if (dlgOpen->Execute(this))
        InsertPicture(WrapSlot, dlgOpen->FileName);
}

void TfrmMain::UmschlagbildEntfernenClick() {
    // The front and back pictures, kept all along, show again.
    TLayoutDocument next = Document;
    next.Wrap = {};
    ChangeDocument(next, tr("Umschlagbild entfernen"));
}

void TfrmMain::InsertPicture(TPictureSlot slot, const std::string& fileName) {
    // Read as the file is now, even when the same file was shown before; a picture that
    // cannot be loaded changes nothing.
    Pictures.Load(fileName, true);
    TLayoutDocument next = Document;
    TLayoutPicture& picture = next.*SlotPicture[slot];
    picture = {};
    picture.Entry = fileName;
    picture.Resolved = fileName;
    if (next == Document)
        ShowDocument(Document); // the same file again: no step, but shown as it is now
    else
        ChangeDocument(next, slot == WrapSlot   ? tr("Umschlagbild")
                             : slot == DiscSlot ? tr("Disc-Bild")
                                                : tr("Bild einfügen"));
}

void TfrmMain::UpdatePictureHints() {
    // A picture that is no file yet says where it came from above its resolution.
    const auto hint = [](const TLayoutPicture& picture, TImage& image, const TRect& printed) {
        const std::optional<TPrintResolution> described =
            DescribePrintResolution(picture.File(), image.Picture(), printed, image.Placement());
        QString text = described ? QString::fromUtf8(described->Text) : QString();
        if (!picture.Held)
            return text;
        const QString origin = QString::fromStdString(picture.Held->Origin);
        return text.isEmpty() ? origin : origin + "\n" + text;
    };
    // The parts as the layout's sheet has them: the jewel case's, or a wrap's panels.
    const TSheetGeometry sheet = SheetGeometry(Document.Settings.Layout());
    Cover->setToolTip(hint(Document.Cover, *Cover, sheet.Cover));
    Back->setToolTip(hint(Document.Back, *Back, sheet.Back));
    Wrap->setToolTip(hint(Document.Wrap, *Wrap, sheet.Wrap));
    const int outer = pnlDisc->Label().Outer;
    Disc->setToolTip(hint(Document.Disc, *Disc, {0, 0, outer, outer}));
}

void TfrmMain::btnNewClick() {
    if (!OfferToSave(true))
        return;
    LayoutFile.clear();
    StartDocument({});
    SetCaption("");
}

void TfrmMain::btnOpenClick() {
    if (!OfferToSave(false))
        return;
    CreateDialogs();
    if (OpenDialog->Execute(this))
        LoadCover(OpenDialog->FileName);
}

void TfrmMain::LoadCover(const std::string& fileName) {
    // The file is read once, and its pictures load before anything changes, so a layout
    // that fails to open leaves the current one whole: its document, its pictures, its
    // file, its history and the caption. An entry that is present but empty means no
    // picture for that part; a picture found nowhere leaves its part empty and keeps its
    // path. A wrap picture is loaded only where the layout's case shows it.
    TLayoutDocument document = ReadLayoutDocument(fileName);
    const TPicturesFound found = LocatePictures(document, fileName);
    for (const TLayoutPicture* picture : {&document.Cover, &document.Back, &document.Wrap})
        if (!picture->Resolved.empty() && (picture != &document.Wrap || document.ShowsWrap()))
            Pictures.Load(picture->Resolved, true);
    StartDocument(document);
    SetCaption(fileName);
    LayoutFile = fileName;
    TellAboutPictures(found);
}

void TfrmMain::btnSaveClick() {
    if (!LayoutFile.empty()) {
        SaveCover(LayoutFile);
        return;
    }
    CreateDialogs();
    if (SaveDialog->Execute(this))
        SaveCover(SaveDialog->FileName);
}

void TfrmMain::SpeichernunterClick() {
    CreateDialogs();
    if (SaveDialog->Execute(this))
        SaveCover(SaveDialog->FileName);
}

void TfrmMain::SaveCover(const std::string& fileName) {
    // Saving a layout over itself is what Save does; over one of its pictures it would
    // destroy the picture.
    for (const std::string& picture : PictureFiles(Document))
        if (SameFile(fileName, picture))
            throw EWriteError(Format(Msg::SaveOntoPicture, fileName.c_str()));
    // Held pictures are written beside the layout first. Under another name in another
    // folder, the pictures the program made are copied along and other relative entries
    // are rewritten to name the same pictures from there, in the steps of the history too.
    const bool moved = !LayoutFile.empty() && fileName != LayoutFile;
    const TLayoutDocument written = SaveLayoutDocument(fileName, Document, LayoutFile);
    if (moved)
        RebaseHistory(LayoutFile, fileName);
    // What was written is what the file now holds for each setting, its pictures files; the
    // history keeps the held bytes, so undoing to before the save shows them again (and
    // saving again finds their files). Saving is no step, and no later step merges into the
    // one the file was saved at.
    Document = written;
    UpdatePictureHints();
    History->setClean();
    SetCaption(fileName);
    LayoutFile = fileName;
    AddToMRU();
}

void TfrmMain::FormCloseQuery(bool& canClose) {
    canClose = true;
    if (!OfferToSave(true))
        canClose = false;
}
