// The print preview command: the print command's own page, drawn into an image of the chosen
// printer's paper instead of being sent to it.
#include <algorithm>

#include "app/MainForm.h"
#include "app/PreviewForm.h"
#include "print/Printer.h"
#include "print/XPrinter.h"
#include "toolkit/Modal.h"

namespace {
// Enough to read the words on a sheet shown whole; a finer printer is previewed at this.
constexpr int PreviewDpi = 150;
} // namespace

void TfrmMain::SeitenansichtClick() {
    TPrinter* printer = IdlePrinter();
    if (!printer)
        return;
    const int dpi = std::min(PreviewDpi, printer->DeviceCaps().LogPixelsX);
    const QImage sheet = printer->DrawPreview(dpi, [this] { PrintPage(); });
    if (sheet.isNull())
        return;
    TfrmPreview preview(sheet, this);
    if (ExecModal(preview) == QDialog::Accepted)
        btnPrintClick();
}
