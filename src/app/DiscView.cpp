#include "app/DiscView.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "sheet/CoverTextPaint.h"
#include "sheet/DiscLabelPaint.h"

// The label's words over its picture, drawn in the label's own tenths of a millimetre;
// clicks pass through to the picture.
class TDiscWords : public QWidget {
public:
    explicit TDiscWords(QWidget& control) : QWidget(&control) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    void SetLabel(const TDiscLabel& label) {
        Label = label;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (Label.Title.empty() && Label.Subtitle.empty() && Label.Lines.empty())
            return;
        QPainter painter(this);
        painter.scale(double(width()) / Label.Outer, double(height()) / Label.Outer);
        DrawTextLayout(painter,
                       LayoutDiscWithFonts(Label, QPointF(Label.Outer / 2.0, Label.Outer / 2.0)));
    }

private:
    TDiscLabel Label;
};

TDiscView::TDiscView(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    Picture_ = new TImage(this);
    Picture_->setObjectName("Disc");
    Picture_->SetStretch(true);
    Words = new TDiscWords(*Picture_);
    LayOut();
}

void TDiscView::SetLabel(const TDiscLabel& label) {
    const TDiscLabel clamped = ClampedDiscLabel(label);
    if (clamped == Label_)
        return;
    Label_ = clamped;
    LayOut();
    update();
}

void TDiscView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOut();
}

void TDiscView::LayOut() {
    const int side = static_cast<int>(std::lround(Label_.Outer * Scale));
    const QRect square((width() - side) / 2, (height() - side) / 2, side, side);
    Picture_->setGeometry(square);
    Picture_->SetPlacement({Label_.Outer, Label_.Outer}, Label_.Placement);
    // The picture shows on the ring alone: the page's white through the hole.
    const int hole = static_cast<int>(std::lround(Label_.Hole * Scale));
    const QRect holeRect((side - hole) / 2, (side - hole) / 2, hole, hole);
    Picture_->setMask(QRegion(0, 0, side, side, QRegion::Ellipse) -
                      QRegion(holeRect, QRegion::Ellipse));
    Words->setGeometry(Picture_->rect());
    Words->SetLabel(Label_);
}

void TDiscView::paintEvent(QPaintEvent*) {
    // The ring in its colour where the picture does not reach, with grey edges to cut along.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square = Picture_->geometry();
    const QPointF centre = square.center();
    const double outer = square.width() / 2, hole = Label_.Hole * Scale / 2;
    QPainterPath ring;
    ring.addEllipse(centre, outer, outer);
    ring.addEllipse(centre, hole, hole);
    painter.fillPath(ring, Label_.Background);
    painter.setPen(QPen(Qt::gray, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, outer + 0.5, outer + 0.5);
    painter.drawEllipse(centre, hole - 0.5, hole - 0.5);
}
