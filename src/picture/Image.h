// The picture control: shows its picture (stretched, centred or at its own size) and
// repaints whenever the picture changes. What it shows is rendered once per size and
// content, so a repaint never rescales a large picture again.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "picture/Picture.h"
#include "picture/Placement.h"

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

    // Shows the picture as it prints on a part of the given size, whose proportions the
    // control's area stands for, so screen and sheet show the same window. An empty size
    // leaves the picture to Stretch and Center.
    void SetPlacement(QSize partSize, const TPartPlacement& placement);
    const TPartPlacement& Placement() const { return Placement_; }
    // The drag the user is making now, a number no other drag of this control had; 0 while
    // the picture is not being dragged.
    int Drag() const { return DragFrom ? DragNumber : 0; }
    // In "Füllen" the user moves the window by dragging the picture or with the arrow
    // keys and zooms with the wheel or + and −; the control reports the window it wants
    // and shows it once it is set.
    std::function<void(const TPlacementView&)> OnViewChange;

    // Where the picture goes in the control's client area.
    TRect TargetRect() const;
    // Whether the control covers everything behind it.
    bool Opaque() const { return Opaque_; }
    // How many times the shown picture was rendered anew (each size and content once).
    int RenderCount() const { return RenderCount_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void PictureChanged();
    void Invalidate();
    // Whether the picture is drawn by its placement rather than by Stretch and Center.
    bool Placed() const;
    // Whether the user can move and zoom the window now.
    bool Pannable() const;
    // Moves the window by a distance in the control's pixels, or zooms it by factor about
    // a point of the control (its centre unless given).
    void Pan(QPointF distance);
    void Zoom(double factor, std::optional<QPointF> about = std::nullopt);
    void Render(QImage& image, const TRect& rect);
    // While the picture is dragged: shows the window cut from a larger rendering around
    // it; false when that cannot be done, and the window is rendered as usual.
    bool PaintDragged(QPainter& painter, QSize size, qreal ratio);
    void RenderDragged(QSize size, qreal ratio);

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
    QSize PartSize_;
    TPartPlacement Placement_;
    TPartPlacement ShownPlacement;
    std::optional<QPointF> DragFrom;
    int DragNumber = 0;
    // While dragging: the picture rendered at the shown scale over the control's area and
    // half of it again on every side, the placement it was rendered for and where that
    // placement's window begins in it, in device pixels.
    QImage Dragged;
    TPartPlacement DraggedPlacement;
    const TGraphic* DraggedContent = nullptr;
    QPointF DraggedOrigin;
    int RenderCount_ = 0;
    bool RetriedAfterFailure = false; // since the last change of the picture
};
