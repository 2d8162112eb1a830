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

// The two parts of the layout's sheet together, with their bleeds and a small margin.
TRect PreviewArea(const TSheetLayout& layout) {
    const TRect cover = PartArea(TSheetPart::Cover, false, layout);
    const TRect back = PartArea(TSheetPart::Back, false, layout);
    constexpr int margin = 30;
    return {std::min(cover.Left, back.Left) - margin, std::min(cover.Top, back.Top) - margin,
            std::max(cover.Right, back.Right) + margin,
            std::max(cover.Bottom, back.Bottom) + margin};
}

// One pixel for every 0.4 mm of the sheet.
QSize PreviewSize(const TSheetLayout& layout) {
    const TRect area = PreviewArea(layout);
    return {area.Width() / 4, area.Height() / 4};
}

QRect ToQRect(const TRect& rect) {
    return {rect.Left, rect.Top, rect.Width(), rect.Height()};
}
} // namespace

TTextOverlay::TTextOverlay(QWidget& control, const TCoverText& text)
    : QWidget(&control), Text(text) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(control.rect());
    control.installEventFilter(this);
}

void TTextOverlay::SetPart(const TRect& part, const TSheetLayout& layout) {
    if (part == Part && layout == Layout)
        return;
    Part = part;
    Layout = layout;
    update();
}

bool TTextOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void TTextOverlay::paintEvent(QPaintEvent*) {
    if (Text.Empty() || Part.Width() <= 0 || Part.Height() <= 0)
        return;
    QPainter painter(this);
    MapSheet(painter, Part, rect());
    DrawTextLayout(painter, LayoutWithFonts(Text, CoverTextAreas(Layout)));
}

TTextPreview::TTextPreview(const TSheetContent& sheet, QWidget* parent)
    : QWidget(parent), Sheet(sheet) {
    Sheet.Frames = [] {
        return false;
    };
    setMinimumSize(PreviewSize(Sheet.Layout));
}

void TTextPreview::SetText(const TCoverText& text) {
    Text = text;
    update();
}

QSize TTextPreview::sizeHint() const {
    return PreviewSize(Sheet.Layout);
}

void TTextPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const TSheetLayout& layout = Sheet.Layout;
    const TRect area = PreviewArea(layout);
    // Keeps the sheet's proportions, centred in the widget.
    const double scale = std::min(double(width()) / area.Width(), double(height()) / area.Height());
    const QSizeF size(area.Width() * scale, area.Height() * scale);
    MapSheet(painter, area,
             QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size));
    // On a wrap the spine between the panels is paper too.
    const TSheetGeometry geometry = SheetGeometry(layout);
    for (const TSheetPart part : {TSheetPart::Cover, TSheetPart::Back})
        painter.fillRect(ToQRect(PartArea(part, false, layout)), Qt::white);
    if (layout.IsWrap())
        painter.fillRect(ToQRect(geometry.Wrap), Qt::white);
    // The sheet's own composition, so the words stand over the pictures as they print.
    TCanvas canvas(painter);
    TSheetContent sheet = Sheet;
    sheet.Text = &Text;
    DrawSheetParts(canvas, sheet);
    // The cutting edges and fold lines, for orientation only: the two parts, or the wrap in
    // one piece, and the folds across the back inlay or the wrap (a slim card has one).
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::gray, 0));
    if (layout.IsWrap()) {
        painter.drawRect(ToQRect(geometry.Wrap));
    } else {
        for (const TRect& rect : {geometry.Cover, geometry.Back})
            painter.drawRect(ToQRect(rect));
    }
    painter.setPen(QPen(Qt::gray, 0, Qt::DashLine));
    for (const int x : geometry.Folds)
        painter.drawLine(x, geometry.Back.Top, x, geometry.Back.Bottom);
}
