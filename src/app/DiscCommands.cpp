// The disc label in the window: its picture, its dialog, the switch between the case's page
// and the label, and printing it on plain paper or on the chosen labels of a label sheet.
#include <QMessageBox>
#include <algorithm>

#include "app/DiscForm.h"
#include "app/DiscView.h"
#include "app/MainForm.h"
#include "app/PreviewForm.h"
#include "picture/OpenPictureDialog.h"
#include "print/Printer.h"
#include "print/XPrinter.h"
#include "sheet/Calibration.h"
#include "sheet/DiscSheet.h"
#include "sheet/LabelSheet.h"
#include "sheet/LayoutPictures.h"
#include "toolkit/Application.h"
#include "toolkit/Modal.h"

namespace {
constexpr TMsg NoDiscLabel{QT_TRANSLATE_NOOP(
    "Msg", "Das Disc-Etikett ist leer: fügen Sie ein Disc-Bild ein oder beschriften Sie es "
           "(Einfügen, Disc-Etikett...).")};
// The preview shows the sheet whole; finer is not needed to see where the labels land.
constexpr int PreviewDpi = 150;

QPageSize PaperOf(const TLabelSheet& sheet) {
    return QPageSize(sheet.Paper == TLabelPaper::Letter ? QPageSize::Letter : QPageSize::A4);
}
} // namespace

bool TfrmMain::ShowsDisc() const {
    return pnlDisc->isVisibleTo(this);
}

void TfrmMain::ShowDisc(bool disc) {
    pnlPage->setVisible(!disc);
    pnlDisc->setVisible(disc);
    (disc ? AnsichtDisc : AnsichtHuelle)->setChecked(true);
}

void TfrmMain::DiscBildClick() {
    CreateDialogs();
    if (!dlgOpen->Execute(this))
        return;
    InsertPicture(DiscSlot, dlgOpen->FileName);
    ShowDisc(true);
}

void TfrmMain::DiscBildEntfernenClick() {
    TLayoutDocument next = Document;
    next.Disc = {};
    ChangeDocument(next, tr("Disc-Bild entfernen"));
}

void TfrmMain::DiscEtikettClick() {
    TfrmDisc dialog(Document.DiscLabel(), ShowsMissing(DiscSlot) ? nullptr : &Disc->Picture(),
                    this);
    if (ExecModal(dialog) != QDialog::Accepted)
        return;
    const TDiscLabel label = dialog.Label();
    TLayoutDocument next = Document;
    // A setting the user left alone keeps what the layout holds, read or not.
    const TDiscLabel before = Document.DiscLabel();
    if (label.Outer != before.Outer)
        next.DiscSettings.Outer.Set(label.Outer);
    if (label.Hole != before.Hole)
        next.DiscSettings.Hole.Set(label.Hole);
    if (label.Background != before.Background)
        next.DiscSettings.Background.Set(label.Background);
    next.DiscText = {.Title = label.Title,
                     .TitleStyle = label.TitleStyle,
                     .Subtitle = label.Subtitle,
                     .SubtitleStyle = label.SubtitleStyle,
                     .Lines = label.Lines,
                     .LinesStyle = label.LinesStyle};
    ChangeDocument(next, tr("Disc-Etikett"));
    ShowDisc(true);
}

void TfrmMain::DiscDruckenClick() {
    if (XPrint->Printing())
        return;
    if (!Document.HasDisc()) {
        QMessageBox box(QMessageBox::Information, QString::fromStdString(TApplication::Title()),
                        NoDiscLabel.QText(), QMessageBox::Ok, this);
        ExecModal(box);
        return;
    }
    if (ShowsMissing(DiscSlot) &&
        !AskYesNo(Format(Msg::PrintWithoutMissing, Document.Disc.File().c_str())))
        return;
    TfrmDiscPrint dialog(LabelSheets(), Document.DiscSettings.Overprint.Value, this);
    if (ExecModal(dialog) != QDialog::Accepted)
        return;
    const TDiscPrintChoice choice = dialog.Choice();
    if (choice.Sheet && choice.Overprint != Document.DiscSettings.Overprint.Value) {
        TLayoutDocument next = Document;
        next.DiscSettings.Overprint.Set(choice.Overprint);
        ChangeDocument(next, tr("Überdruck"));
    }
    TPrinter& printer = XPrint->Printer();
    if (!printer.HasPrinter())
        printer.SetToDefaultPrinter(false);
    // A label sheet comes on its own paper; plain paper is what the printer holds.
    if (choice.Sheet)
        printer.SetPaper(PaperOf(*choice.Sheet));
    if (dialog.PreviewWanted()) {
        const int dpi = std::min(PreviewDpi, printer.DeviceCaps().LogPixelsX);
        const QImage sheet = printer.DrawPreview(dpi, [&] { PrintDiscPage(choice); });
        if (sheet.isNull())
            return;
        TfrmPreview preview(sheet, this);
        if (ExecModal(preview) != QDialog::Accepted)
            return;
    }
    if (!ExecutePrinterDialog(printer, this))
        return;
    PrintDiscPage(choice);
}

void TfrmMain::PrintDiscPage(const TDiscPrintChoice& choice) {
    TPrinter& printer = XPrint->Printer();
    ApplyCalibration(*XPrint, DiscSheetCalibration(ReadCalibration(printer.PrinterName()),
                                                   printer.DeviceCaps()));
    // Print to file must not overwrite the layout or its pictures.
    printer.Inputs = PictureFiles(Document);
    if (!LayoutFile.empty())
        printer.Inputs.push_back(LayoutFile);
    const TPicture* picture = ShowsMissing(DiscSlot) ? nullptr : &Disc->Picture();
    PrintDiscSheet(*XPrint, {.Label = Document.DiscLabel(),
                             .Picture = picture,
                             .CuttingCircles = cbRahmen->isChecked(),
                             .Sheet = choice.Sheet,
                             .Labels = choice.Labels,
                             .Overprint = choice.Overprint});
}
