#include "picture/Image.h"

#include <QPainter>
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
        Opaque_ = !content->IsEmpty() && !content->Transparent() &&
                  (Stretch_ || (Picture_.Width() >= width() && Picture_.Height() >= height()));
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
    if (Shown.isNull() || Shown.size() != size || Shown.devicePixelRatio() != ratio ||
        !(ShownRect == rect)) {
        // What the graphic leaves untouched stays transparent, so the parent's background
        // shows there.
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        Painting = true;
        try {
            QPainter painter(&image);
            TCanvas canvas(painter);
            canvas.DrawStretched(rect, content);
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
        ++RenderCount_;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, Shown);
}
