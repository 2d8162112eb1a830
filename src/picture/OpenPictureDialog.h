// The picture-open dialog: the toolkit's open dialog with a preview area at its right,
// showing the selected picture's size, a small preview, and a button for a larger one.
// The preview loads with the same picture layer as the caller, but swallows a failed load.
#pragma once

#include <QIcon>
#include <QSizeF>
#include <memory>

#include "picture/Picture.h"
#include "toolkit/FileDialog.h"
#include "toolkit/Translation.h"

class QLabel;
class TJPEGImage;
class QToolButton;
class QWidget;

namespace Msg {
inline constexpr TMsg PictureDesc{QT_TRANSLATE_NOOP("Msg", " (%dx%d)")};
inline constexpr TMsg PictureLabel{QT_TRANSLATE_NOOP("Msg", "Grafik:")};
inline constexpr TMsg PreviewEmpty{QT_TRANSLATE_NOOP("Msg", "(Leer)")};
inline constexpr TMsg Preview{QT_TRANSLATE_NOOP("Msg", "Vorschau")};
} // namespace Msg

// The preview button's picture: a sheet of paper under a magnifying glass, 16 × 16 in the
// 16 standard colours, its olive background transparent.
QIcon PreviewGlyph();

class TOpenPictureDialog : public TOpenDialog {
    Q_OBJECT
public:
    explicit TOpenPictureDialog(QObject* owner = nullptr);
    ~TOpenPictureDialog() override;

    // The picture of the current selection; empty unless it is a readable picture.
    TPicture& PreviewPicture() { return Picture_; }

    // The preview area, created once and lent to each dialog window.
    QWidget* PicturePanel;
    QLabel* PictureLabel;
    QToolButton* PreviewButton;
    QWidget* PaintPanel;
    QWidget* PaintBox;

    // Shows the preview picture in a window of its own ("Vorschau"), modally.
    void PreviewClick();

protected:
    void Attach(QFileDialog& dialog) override;
    void Detach(QFileDialog& dialog) override;
    void DoShow(QFileDialog& dialog) override;
    void DoSelectionChange(const std::string& path) override;
    void DoClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PaintPreview();
    void PlacePreviewButton();
    // What the preview draws into an area of the given device size: the picture's embedded
    // thumbnail where that covers the area in the picture's proportions, the picture
    // itself, or for a large JPEG a copy decoded at the smallest scale that still covers
    // the area.
    TGraphic* PreviewGraphic(QSizeF deviceSize);
    // The embedded thumbnail when it covers an area of that device size and has the
    // picture's proportions.
    TGraphic* CoveringThumbnail(QSizeF deviceSize);

    TPicture Picture_;
    std::unique_ptr<TJPEGImage> Reduced_; // shares the preview picture's bytes
    std::unique_ptr<TGraphic> Thumbnail_;
    bool ThumbnailRead_ = false; // whether Thumbnail_ is the current picture's
    bool Attached = false;
};
