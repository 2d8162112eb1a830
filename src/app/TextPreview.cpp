#include "app/TextPreview.h"

#include <QEvent>
#include <QPainter>

#include "picture/Canvas.h"
#include "picture/Picture.h"
#include "sheet/CoverSheet.h"
#include "sheet/CoverTextPaint.h"

namespace {
// Maps the rectangle of the sheet onto the target rectangle of the painter's device.
void MapSheet(QPainter& painter, const TRect& sheet, const QRectF& target) {
    painter.translate(target.topLeft());
    painter.scale(target.width() / sheet.Width(), target.height() / sheet.Height());
    painter.translate(-sheet.Left, -sheet.Top);
}

// The two parts together, with a small margin around them.
TRect PreviewArea() {
    const TRect cover = PartArea(TSheetPart::Cover, false);
    const TRect back = PartArea(TSheetPart::Back, false);
    constexpr int margin = 30;
    return {std::min(cover.Left, back.Left) - margin, std::min(cover.Top, back.Top) - margin,
            std::max(cover.Right, back.Right) + margin,
            std::max(cover.Bottom, back.Bottom) + margin};
}

// One pixel for every 0.4 mm of the sheet.
QSize PreviewSize() {
    const TRect area = PreviewArea();
    return {area.Width() / 4, area.Height() / 4};
}
} // namespace

TTextOverlay::TTextOverlay(QWidget& control, const TRect& part, const TCoverText& text)
    : QWidget(&control), Part(part), Text(text) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(control.rect());
    control.installEventFilter(this);
}

bool TTextOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void TTextOverlay::paintEvent(QPaintEvent*) {
    if (Text.Empty())
        return;
    QPainter painter(this);
    MapSheet(painter, Part, rect());
    DrawTextLayout(painter, LayoutWithFonts(Text, CoverTextAreas()));
}

TTextPreview::TTextPreview(const TPicture& cover, const TPicture& back, QWidget* parent)
    : QWidget(parent), Cover(cover), Back(back) {
    setMinimumSize(PreviewSize());
}

void TTextPreview::SetText(const TCoverText& text) {
    Text = text;
    update();
}

QSize TTextPreview::sizeHint() const {
    return PreviewSize();
}

void TTextPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const TRect area = PreviewArea();
    // Keeps the sheet's proportions, centred in the widget.
    const double scale = std::min(double(width()) / area.Width(), double(height()) / area.Height());
    const QSizeF size(area.Width() * scale, area.Height() * scale);
    MapSheet(painter, area,
             QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size));
    TCanvas canvas(painter);
    for (const auto& [part, picture] :
         {std::pair{TSheetPart::Cover, &Cover}, std::pair{TSheetPart::Back, &Back}}) {
        const TRect rect = PartArea(part, false);
        painter.fillRect(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()), Qt::white);
        canvas.DrawStretched(rect, picture->Content());
    }
    DrawTextLayout(painter, LayoutWithFonts(Text, CoverTextAreas()));
    // The cutting edges and fold lines, for orientation only.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::gray, 0));
    const TTextAreas areas = CoverTextAreas();
    for (const TRect& rect : {areas.Cover, PartArea(TSheetPart::Back, false)})
        painter.drawRect(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()));
    painter.setPen(QPen(Qt::gray, 0, Qt::DashLine));
    for (const int x : {areas.LeftSpine.Right, areas.RightSpine.Left - 1})
        painter.drawLine(x, areas.Tracks.Top, x, areas.Tracks.Bottom);
}
