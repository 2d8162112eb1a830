// The picture control: shows its picture (stretched, centred or at its own size) and
// repaints whenever the picture changes. What it shows is rendered once per size and
// content, so a repaint never rescales a large picture again.
#pragma once

#include <QImage>
#include <QWidget>

#include "picture/Picture.h"

class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    TPicture& Picture() { return Picture_; }
    // Copies the given picture's content into the control's own picture.
    void SetPicture(const TPicture& picture);

    bool Stretch() const { return Stretch_; }
    void SetStretch(bool on);
    bool Center() const { return Center_; }
    void SetCenter(bool on);
    bool Transparent() const { return Transparent_; }
    void SetTransparent(bool on);
    bool AutoSize() const { return AutoSize_; }
    void SetAutoSize(bool on) { AutoSize_ = on; }
    bool IncrementalDisplay() const { return IncrementalDisplay_; }
    void SetIncrementalDisplay(bool on) { IncrementalDisplay_ = on; }
    TProgressEvent OnProgress;

    // Where the picture goes in the control's client area.
    TRect TargetRect() const;
    // Whether the control covers everything behind it.
    bool Opaque() const { return Opaque_; }
    // How many times the shown picture was rendered anew (each size and content once).
    int RenderCount() const { return RenderCount_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PictureChanged();
    void Invalidate();

    TPicture Picture_;
    bool Stretch_ = false;
    bool Center_ = false;
    bool Transparent_ = false;
    bool AutoSize_ = false;
    bool IncrementalDisplay_ = false;
    bool Opaque_ = false;
    bool Painting = false;
    QImage Shown; // the picture as rendered at the control's current size in device pixels
    TRect ShownRect;
    int RenderCount_ = 0;
    bool RetriedAfterFailure = false; // since the last change of the picture
};
