#include "app/PreviewForm.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {
// Room around the page, in pixels of the screen.
constexpr int PageGap = 12;
} // namespace

TSheetView::TSheetView(QImage sheet, QWidget* parent) : QWidget(parent), Sheet_(std::move(sheet)) {
    setMinimumSize(200, 150);
}

QRect TSheetView::PageRect() const {
    const QRect room = rect().adjusted(PageGap, PageGap, -PageGap, -PageGap);
    if (Sheet_.isNull() || room.isEmpty())
        return {};
    const QSize size = Sheet_.size().scaled(room.size(), Qt::KeepAspectRatio);
    QRect page(QPoint(0, 0), size);
    page.moveCenter(room.center());
    return page;
}

void TSheetView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    const QRect page = PageRect();
    if (page.isEmpty())
        return;
    // Smooth scaling keeps hairlines such as crop marks and fold lines visible when the
    // page is shrunk.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(page, Sheet_);
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawRect(page.adjusted(-1, -1, 0, 0));
}

TfrmPreview::TfrmPreview(const QImage& sheet, QWidget* parent) : QDialog(parent) {
    setObjectName("frmPreview");
    setWindowTitle(tr("Seitenansicht"));
    View = new TSheetView(sheet, this);
    View->setObjectName("View");
    btnPrint = new QPushButton(tr("&Drucken"), this);
    btnPrint->setObjectName("btnPrint");
    btnClose = new QPushButton(tr("&Schließen"), this);
    btnClose->setObjectName("btnClose");
    btnClose->setDefault(true);
    connect(btnPrint, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnPrint);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(View, 1);
    layout->addLayout(buttons);
    // A landscape sheet at a size that shows its words; the user may size the window.
    resize(820, 640);
}
