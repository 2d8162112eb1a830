#include "picture/Image.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "picture/Canvas.h"
#include "toolkit/Application.h"

TImage::TImage(QWidget* parent) : QWidget(parent) {
    Picture_.OnChange = [this](TPicture&) {
        PictureChanged();
    };
    Picture_.OnProgress = [this](TGraphic& sender, TProgressStage stage, int percent) {
        if (OnProgress)
            OnProgress(sender, stage, percent);
    };
}

void TImage::SetPicture(const TPicture& picture) {
    Picture_.CopyFrom(&picture);
}

void TImage::SetStretch(bool on) {
    if (on != Stretch_) {
        Stretch_ = on;
        PictureChanged();
    }
}

void TImage::SetCenter(bool on) {
    if (on != Center_) {
        Center_ = on;
        PictureChanged();
    }
}

void TImage::SetTransparent(bool on) {
    if (on != Transparent_) {
        Transparent_ = on;
        PictureChanged();
    }
}

namespace {
// One notch of the wheel, or one press of + or −, zooms by this factor.
constexpr double ZoomStep = 1.25;
constexpr int WheelNotch = 120;
// An arrow key moves the picture this many of the control's pixels.
constexpr int ArrowStep = 8;
} // namespace

void TImage::SetPlacement(QSize partSize, const TPartPlacement& placement) {
    if (partSize == PartSize_ && placement == Placement_)
        return;
    PartSize_ = partSize;
    Placement_ = placement;
    if (!Pannable())
        DragFrom.reset();
    setFocusPolicy(Pannable() ? Qt::StrongFocus : Qt::NoFocus);
    PictureChanged();
}

bool TImage::Placed() const {
    return !PartSize_.isEmpty() &&
           !(Placement_.Mode == TPlacementMode::Stretch && Placement_.Turn == 0);
}

bool TImage::Pannable() const {
    return !PartSize_.isEmpty() && Placement_.Mode == TPlacementMode::Fill;
}

void TImage::Pan(QPointF distance) {
    const QSize size(Picture_.Width(), Picture_.Height());
    if (!Pannable() || size.isEmpty() || width() <= 0 || height() <= 0 || !OnViewChange)
        return;
    // The control stands for the part, so a distance on screen is one on the part.
    const double dx = distance.x() * PartSize_.width() / width();
    const double dy = distance.y() * PartSize_.height() / height();
    OnViewChange(PanView(QRectF(QPointF(0, 0), PartSize_), size, Placement_, dx, dy));
}

void TImage::Zoom(double factor, std::optional<QPointF> about) {
    const QSize size(Picture_.Width(), Picture_.Height());
    if (!Pannable() || size.isEmpty() || !OnViewChange || width() <= 0 || height() <= 0)
        return;
    // The control stands for the part, so a point on screen is one on the part.
    if (about)
        about = QPointF(about->x() * PartSize_.width() / width(),
                        about->y() * PartSize_.height() / height());
    OnViewChange(ZoomView(QRectF(QPointF(0, 0), PartSize_), size, Placement_, factor, about));
}

void TImage::mousePressEvent(QMouseEvent* event) {
    if (!Pannable() || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    DragFrom = event->position();
    ++DragNumber;
    setCursor(Qt::ClosedHandCursor);
}

void TImage::mouseMoveEvent(QMouseEvent* event) {
    if (!DragFrom || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPointF from = *DragFrom;
    DragFrom = event->position();
    Pan(event->position() - from);
}

void TImage::mouseReleaseEvent(QMouseEvent* event) {
    if (DragFrom && event->button() == Qt::LeftButton) {
        DragFrom.reset();
        unsetCursor();
        // At rest the window is rendered anew, exactly as it prints.
        Dragged = QImage();
        Invalidate();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void TImage::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (!Pannable() || delta == 0) {
        QWidget::wheelEvent(event);
        return;
    }
    // The wheel zooms about the pointer, as image programs do.
    Zoom(std::pow(ZoomStep, double(delta) / WheelNotch), event->position());
}

void TImage::keyPressEvent(QKeyEvent* event) {
    if (!Pannable()) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Plus:
        Zoom(ZoomStep);
        break;
    case Qt::Key_Minus:
        Zoom(1 / ZoomStep);
        break;
    case Qt::Key_Left:
        Pan({-ArrowStep, 0});
        break;
    case Qt::Key_Right:
        Pan({ArrowStep, 0});
        break;
    case Qt::Key_Up:
        Pan({0, -ArrowStep});
        break;
    case Qt::Key_Down:
        Pan({0, ArrowStep});
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

TRect TImage::TargetRect() const {
    if (Stretch_)
        return {0, 0, width(), height()};
    const int w = Picture_.Width();
    const int h = Picture_.Height();
    if (Center_) {
        const int left = (width() - w) / 2;
        const int top = (height() - h) / 2;
        return {left, top, left + w, top + h};
    }
    return {0, 0, w, h};
}

void TImage::PictureChanged() {
    TGraphic* content = Picture_.Content();
    if (AutoSize_ && Picture_.Width() > 0 && Picture_.Height() > 0)
        resize(Picture_.Width(), Picture_.Height());
    if (content) {
        if (!content->KeepsOwnTransparency())
            content->SetTransparent(Transparent_);
        // An empty graphic draws nothing, so it must not hide the parent: the backing store
        // would go on showing the previous picture.
        const bool covers =
            Placed() ? Placement_.Mode != TPlacementMode::Fit
                     : Stretch_ || (Picture_.Width() >= width() && Picture_.Height() >= height());
        Opaque_ = !content->IsEmpty() && !content->Transparent() && covers;
        // Palettes are realized by the paint engine; the flag only records that it is done.
        if (isVisible())
            content->PaletteModified = false;
    } else {
        Opaque_ = false;
    }
    setAttribute(Qt::WA_OpaquePaintEvent, Opaque_);
    if (!Painting)
        Invalidate();
}

void TImage::Invalidate() {
    Shown = QImage();
    RetriedAfterFailure = false;
    update();
}

void TImage::paintEvent(QPaintEvent*) {
    TGraphic* content = Picture_.Content();
    if (!content)
        return;
    const TRect rect = TargetRect();
    // Rendered in device pixels, so a high-density screen shows the picture's own detail
    // instead of the control's size scaled up; the painter still draws in the control's
    // coordinates.
    const qreal ratio = devicePixelRatioF();
    const QSize size(int(std::ceil(width() * ratio)), int(std::ceil(height() * ratio)));
    if (DragFrom && Pannable()) {
        QPainter painter(this);
        if (PaintDragged(painter, size, ratio))
            return;
    }
    if (Shown.isNull() || Shown.size() != size || Shown.devicePixelRatio() != ratio ||
        !(ShownRect == rect) || !(ShownPlacement == Placement_)) {
        // What the graphic leaves untouched stays transparent, so the parent's background
        // shows there.
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        Painting = true;
        try {
            Render(image, rect);
        } catch (const std::exception& error) {
            Painting = false;
            QueueException(error);
            // Nothing was drawn, so the control must not go on showing the picture it held
            // before: let the parent paint behind it and try once more (a picture that
            // decodes on first drawing may draw what it got), but never loop on errors.
            if (!RetriedAfterFailure) {
                RetriedAfterFailure = true;
                setAttribute(Qt::WA_OpaquePaintEvent, false);
                update();
            }
            return;
        }
        Painting = false;
        Shown = std::move(image);
        ShownRect = rect;
        ShownPlacement = Placement_;
        ++RenderCount_;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, Shown);
}

void TImage::Render(QImage& image, const TRect& rect) {
    QPainter painter(&image);
    TCanvas canvas(painter);
    if (!Placed()) {
        canvas.DrawStretched(rect, Picture_.Content());
        return;
    }
    // Placed in the part's own units, exactly as the sheet places it, then shown over the
    // control's area.
    painter.scale(double(width()) / PartSize_.width(), double(height()) / PartSize_.height());
    DrawPlaced(canvas, {0, 0, PartSize_.width(), PartSize_.height()}, Picture_.Content(),
               Placement_);
}

// A drag moves the window by a few pixels at a time. Rendering the window anew from a large
// picture for each step would resample it all; instead the picture is rendered once at the
// shown scale with a margin of half the control on every side, and each step shows the
// window cut from it, moved in whole device pixels. The rendering is made anew when the
// window leaves it, and the window is rendered exactly once the drag ends.
bool TImage::PaintDragged(QPainter& painter, QSize size, qreal ratio) {
    const QSize pictureSize(Picture_.Width(), Picture_.Height());
    if (pictureSize.isEmpty() || size.isEmpty())
        return false;
    const QRectF part(QPointF(0, 0), PartSize_);
    QPoint from;
    // Whether the rendering shows the window at its scale, and where the window lies in it.
    const auto shows = [&] {
        if (Dragged.isNull() || DraggedContent != Picture_.Content() ||
            Dragged.devicePixelRatio() != ratio || Dragged.size() != size + size ||
            DraggedPlacement.Mode != Placement_.Mode || DraggedPlacement.Turn != Placement_.Turn)
            return false;
        const TPlaced now = PlacePicture(part, pictureSize, Placement_);
        const TPlaced then = PlacePicture(part, pictureSize, DraggedPlacement);
        // A window kept in ten-thousandths of the picture changes its size by rounding as
        // it moves; the scale counts as the same while that stays under half a pixel.
        const auto same = [](double a, double b, int pixels) {
            return std::abs(a - b) * pixels < 0.5 * b;
        };
        if (!same(now.Source.width(), then.Source.width(), size.width()) ||
            !same(now.Source.height(), then.Source.height(), size.height()) ||
            now.Target != then.Target)
            return false;
        // The window's move in the turned picture's pixels, then in device pixels.
        const QPointF moved = now.Source.topLeft() - then.Source.topLeft();
        const QPointF at =
            DraggedOrigin + QPointF(moved.x() * now.Target.width() / now.Source.width() *
                                        size.width() / PartSize_.width(),
                                    moved.y() * now.Target.height() / now.Source.height() *
                                        size.height() / PartSize_.height());
        from = QPoint(int(std::lround(at.x())), int(std::lround(at.y())));
        return Dragged.rect().contains(QRect(from, size));
    };
    try {
        if (!shows()) {
            RenderDragged(size, ratio);
            if (!shows())
                return false;
        }
    } catch (const std::exception&) {
        Dragged = QImage();
        return false;
    }
    painter.drawImage(QRectF(0, 0, width(), height()), Dragged, QRectF(from, size));
    return true;
}

void TImage::RenderDragged(QSize size, qreal ratio) {
    Dragged = QImage();
    QImage image(size + size, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    TCanvas canvas(painter);
    // The control's area lies in the middle, a half of it to every side.
    const QPointF origin(size.width() / 2.0, size.height() / 2.0);
    painter.translate(origin / ratio);
    painter.scale(double(width()) / PartSize_.width(), double(height()) / PartSize_.height());
    DrawPlaced(canvas, {0, 0, PartSize_.width(), PartSize_.height()}, Picture_.Content(),
               Placement_, TPlacedClip::None);
    painter.end();
    Dragged = std::move(image);
    DraggedPlacement = Placement_;
    DraggedContent = Picture_.Content();
    DraggedOrigin = origin;
    ++RenderCount_;
}
