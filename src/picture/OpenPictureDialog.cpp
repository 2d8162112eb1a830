#include "picture/OpenPictureDialog.h"

#include <QBoxLayout>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string_view>

#include "picture/Canvas.h"
#include "picture/Image.h"
#include "picture/Jpeg.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/Modal.h"

namespace {

// The frame around the preview: a lowered outer and a raised inner bevel, one pixel each.
class TBevelPanel : public QWidget {
public:
    explicit TBevelPanel(QWidget* parent) : QWidget(parent) { setContentsMargins(2, 2, 2, 2); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QColor shadow = palette().color(QPalette::Dark);
        const QColor light = palette().color(QPalette::Light);
        Bevel(painter, rect(), shadow, light);
        Bevel(painter, rect().adjusted(1, 1, -1, -1), light, shadow);
    }

private:
    static void Bevel(QPainter& painter, const QRect& r, const QColor& topLeft,
                      const QColor& bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(r.left(), r.bottom() - 1, r.left(), r.top());
        painter.drawLine(r.left(), r.top(), r.right() - 1, r.top());
        painter.setPen(bottomRight);
        painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
        painter.drawLine(r.right(), r.bottom(), r.left(), r.bottom());
    }
};

// The size of a new window that is not given one.
constexpr QSize DefaultFormSize(320, 240);

int RoundToInt(double value) {
    return static_cast<int>(std::lround(value));
}

QScreen* ScreenOf(const QWidget* widget) {
    if (widget && widget->window()->screen())
        return widget->window()->screen();
    return QGuiApplication::primaryScreen();
}

// The largest size of the picture's proportions within the bound, or the picture's own
// size when it fits.
QSize FittedSize(QSize picture, QSize bound) {
    bound = bound.expandedTo(QSize(1, 1));
    if (picture.width() <= bound.width() && picture.height() <= bound.height())
        return picture;
    const double scale = std::min(double(bound.width()) / picture.width(),
                                  double(bound.height()) / picture.height());
    return QSize(std::clamp(RoundToInt(picture.width() * scale), 1, bound.width()),
                 std::clamp(RoundToInt(picture.height() * scale), 1, bound.height()));
}

// What the window manager adds round a tool window: not known before it is shown, so
// estimated from the style (a title bar, a frame on every side).
QSize DecorationSize(const QWidget& window) {
    const QStyle* style = window.style();
    const int frame = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
    const int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return QSize(2 * frame, title + 2 * frame);
}

// Keeps a JPEG in the larger preview decoded at the smallest scale that covers the control,
// and decodes it again in more detail when the window is made larger.
class TCoveringScale : public QObject {
public:
    TCoveringScale(TImage& image, int width, int height)
        : QObject(&image), Width(width), Height(height) {
        image.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            Apply(*static_cast<TImage*>(watched));
        return false;
    }

private:
    void Apply(TImage& image) const {
        auto* jpeg = dynamic_cast<TJPEGImage*>(image.Picture().Content());
        if (!jpeg || !jpeg->Data())
            return;
        const double ratio = image.devicePixelRatioF();
        const int shift =
            CoveringScaleShift(Width, Height, image.width() * ratio, image.height() * ratio);
        if (!jpeg->HasDecodedBitmap() || shift < jpeg->Settings.ScaleShift)
            jpeg->SetScaleShift(shift);
    }

    int Width;
    int Height;
};

} // namespace

QIcon PreviewGlyph() {
    // k black, o olive (drawn transparent), s silver, c aqua, w white.
    // clang-format off
    static const char* const Rows[16] = {
        "okkkkkkkkooooooo",
        "okwwwwwwkkoooooo",
        "okwwwwwwkwkooooo",
        "okwwwwwwkwwkoooo",
        "okwwwwwwkkkkkooo",
        "okwwwwwwwwwwkooo",
        "okwwwwwwkkkwkooo",
        "okwwwwwkccskkooo",
        "okwwwwkcsssskooo",
        "okwwwwkcsssskooo",
        "okwwwwksssssskoo",
        "okwwwwwksssskkoo",
        "okwwwwwwkkkkkkoo",
        "okwwwwwwwwwwkkko",
        "okwwwwwwwwwwkkkk",
        "okkkkkkkkkkkkokk",
    };
    // clang-format on
    // The 16 standard colours in their usual order.
    static const QRgb Colors[16] = {
        0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
        0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
        0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
    };
    QImage glyph(16, 16, QImage::Format_Indexed8);
    glyph.setColorTable(QList<QRgb>(std::begin(Colors), std::end(Colors)));
    // Each letter stands for the colour at its position here.
    constexpr std::string_view Letters = "k..o...s......cw";
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            glyph.setPixel(x, y, uint(Letters.find(Rows[y][x])));
    // The colour of the bottom-left pixel is the button's transparent colour.
    QImage shown = glyph.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = shown.pixel(0, 15);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (shown.pixel(x, y) == transparent)
                shown.setPixel(x, y, qRgba(0, 0, 0, 0));
    return QIcon(QPixmap::fromImage(shown));
}

TOpenPictureDialog::TOpenPictureDialog(QObject* owner) : TOpenDialog(owner) {
    PicturePanel = new QWidget;
    PicturePanel->setObjectName("PicturePanel");
    PicturePanel->setFixedWidth(169);
    PicturePanel->resize(169, 200);
    PicturePanel->setContentsMargins(6, 6, 6, 6);
    auto* column = new QVBoxLayout(PicturePanel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    PictureLabel = new QLabel(PicturePanel);
    PictureLabel->setObjectName("PictureLabel");
    PictureLabel->setFixedHeight(23);
    PictureLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    column->addWidget(PictureLabel);

    PaintPanel = new TBevelPanel(PicturePanel);
    PaintPanel->setObjectName("PaintPanel");
    column->addWidget(PaintPanel, 1);
    auto* inside = new QVBoxLayout(PaintPanel);
    inside->setContentsMargins(0, 0, 0, 0);
    PaintBox = new QWidget(PaintPanel);
    PaintBox->setObjectName("PaintBox");
    inside->addWidget(PaintBox);

    // Not in the layout: it sits on the label line, at the preview frame's right end.
    PreviewButton = new QToolButton(PicturePanel);
    PreviewButton->setObjectName("PreviewButton");
    PreviewButton->setFixedSize(23, 22);
    PreviewButton->setIconSize(QSize(16, 16));
    PreviewButton->setIcon(PreviewGlyph());
    PreviewButton->setToolTip(Msg::Preview.QText());
    PreviewButton->setFocusPolicy(Qt::NoFocus);
    PreviewButton->setEnabled(false);
    PreviewButton->move(77, 1);
    PreviewButton->raise();
    connect(PreviewButton, &QToolButton::clicked, this,
            [this] { Guarded([this] { PreviewClick(); }); });

    PaintBox->installEventFilter(this);
    PaintPanel->installEventFilter(this);
    Picture_.OnChange = [this](TPicture&) {
        Reduced_.reset();
        Thumbnail_.reset();
        ThumbnailRead_ = false;
        PaintBox->update();
    };
}

TOpenPictureDialog::~TOpenPictureDialog() {
    PaintBox->removeEventFilter(this);
    PaintPanel->removeEventFilter(this);
    delete PicturePanel;
}

void TOpenPictureDialog::Attach(QFileDialog& dialog) {
    if (Options.contains(ofOldStyleDialog))
        return;
    // Qt's dialog lays its controls out in a grid; the preview takes a column of its own
    // at the right, over all rows.
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid)
        return;
    grid->addWidget(PicturePanel, 0, grid->columnCount(), grid->rowCount(), 1);
    PicturePanel->show();
    Attached = true;
}

void TOpenPictureDialog::Detach(QFileDialog& dialog) {
    if (!Attached)
        return;
    // Taken back before Qt's dialog is destroyed, which would take the panel with it.
    if (QLayout* layout = dialog.layout())
        layout->removeWidget(PicturePanel);
    PicturePanel->hide();
    PicturePanel->setParent(nullptr);
    Attached = false;
}

void TOpenPictureDialog::DoShow(QFileDialog& dialog) {
    if (!dialog.testAttribute(Qt::WA_Resized))
        dialog.adjustSize();
    if (QLayout* layout = dialog.layout())
        layout->activate();
    PlacePreviewButton();
    Picture_.CopyFrom(static_cast<const TGraphic*>(nullptr));
    TOpenDialog::DoShow(dialog);

    // Centred across the main window's screen, a third of the free height from its top.
    const QRect screen = ScreenOf(dialog.parentWidget())->geometry();
    const QSize size = dialog.size();
    dialog.move(screen.left() + (screen.width() - size.width()) / 2,
                screen.top() + (screen.height() - size.height()) / 3);
}

void TOpenPictureDialog::DoSelectionChange(const std::string& path) {
    bool isPicture = false;
    std::error_code error;
    if (!path.empty() && std::filesystem::is_regular_file(path, error)) {
        // A file that does not load is simply no picture here; the caller's own load of
        // it reports the failure.
        try {
            Picture_.LoadByExtension(path);
            isPicture = true;
        } catch (const std::exception&) {
        }
    }
    if (isPicture) {
        PictureLabel->setText(
            QString::fromStdString(Format(Msg::PictureDesc, Picture_.Width(), Picture_.Height())));
        PreviewButton->setEnabled(true);
    } else {
        PictureLabel->setText(Msg::PictureLabel.QText());
        PreviewButton->setEnabled(false);
        Picture_.CopyFrom(static_cast<const TGraphic*>(nullptr));
    }
    PaintBox->update();
    TOpenDialog::DoSelectionChange(path);
}

void TOpenPictureDialog::DoClose() {
    QToolTip::hideText();
    TOpenDialog::DoClose();
}

bool TOpenPictureDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PaintBox) {
        if (event->type() == QEvent::Paint) {
            PaintPreview();
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            Guarded([this] { PreviewClick(); });
            return true;
        }
    } else if (watched == PaintPanel &&
               (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
        PlacePreviewButton();
    }
    return TOpenDialog::eventFilter(watched, event);
}

void TOpenPictureDialog::PlacePreviewButton() {
    const QRect frame = PaintPanel->geometry();
    PreviewButton->move(frame.x() + frame.width() - PreviewButton->width() - 2, PreviewButton->y());
}

void TOpenPictureDialog::PaintPreview() {
    // A picture that fails only when drawn (a JPEG that does not decode) is reported, but
    // never through Qt's paint machinery.
    try {
        QPainter painter(PaintBox);
        TCanvas canvas(painter);
        const QColor background = PaintBox->palette().color(PaintBox->backgroundRole());
        canvas.Brush.Color = background;
        const int areaWidth = PaintBox->width();
        const int areaHeight = PaintBox->height();
        const int width = Picture_.Width();
        const int height = Picture_.Height();

        if (width <= 0) {
            const QString text = Msg::PreviewEmpty.QText();
            const QFontMetrics metrics(PaintBox->font());
            const QRect box((areaWidth - metrics.horizontalAdvance(text)) / 2,
                            (areaHeight - metrics.height()) / 2, metrics.horizontalAdvance(text),
                            metrics.height());
            painter.fillRect(box, background);
            painter.setPen(PaintBox->palette().color(QPalette::WindowText));
            painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        } else if (width <= areaWidth && height <= areaHeight) {
            canvas.DrawAt((areaWidth - width) / 2, (areaHeight - height) / 2, Picture_.Content());
        } else {
            // Scaled to fit from the top-left corner, keeping the proportions. Which edge
            // moves depends on the picture's proportions against the area's: comparing
            // width with height alone would cut off square and upright pictures at the
            // right of the tall preview area, and slightly wide ones at the bottom.
            TRect rect{0, 0, areaWidth, areaHeight};
            if (int64_t(height) * areaWidth <= int64_t(width) * areaHeight)
                rect.Bottom = rect.Top + RoundToInt(double(height) * areaWidth / width);
            else
                rect.Right = rect.Left + RoundToInt(double(width) * areaHeight / height);
            canvas.DrawStretched(rect, PreviewGraphic(canvas.DeviceSize(rect)));
        }
    } catch (const std::exception& error) {
        QueueException(error);
    }
}

TGraphic* TOpenPictureDialog::CoveringThumbnail(QSizeF deviceSize) {
    const TGraphic* picture = Picture_.Content();
    if (!picture)
        return nullptr;
    if (!ThumbnailRead_) {
        Thumbnail_ = picture->EmbeddedThumbnail();
        ThumbnailRead_ = true;
    }
    if (!Thumbnail_)
        return nullptr;
    const double width = Thumbnail_->PixelWidth(), height = Thumbnail_->PixelHeight();
    const double pictureWidth = picture->PixelWidth(), pictureHeight = picture->PixelHeight();
    if (width < std::ceil(deviceSize.width()) || height < std::ceil(deviceSize.height()) ||
        pictureWidth <= 0 || pictureHeight <= 0)
        return nullptr;
    // A thumbnail of other proportions shows something else: the picture before it was
    // cut, or with bars added round it. Its sides are whole pixels, so a pixel of rounding
    // (and a percent beyond) is allowed on each.
    const double wantedHeight = width * pictureHeight / pictureWidth;
    const double wantedWidth = height * pictureWidth / pictureHeight;
    if (std::abs(height - wantedHeight) > 1 + 0.01 * height ||
        std::abs(width - wantedWidth) > 1 + 0.01 * width)
        return nullptr;
    return Thumbnail_.get();
}

TGraphic* TOpenPictureDialog::PreviewGraphic(QSizeF deviceSize) {
    if (TGraphic* thumbnail = CoveringThumbnail(deviceSize))
        return thumbnail;
    auto* jpeg = dynamic_cast<TJPEGImage*>(Picture_.Content());
    if (!jpeg || !jpeg->Data() || jpeg->HasDecodedBitmap())
        return Picture_.Content();
    // The picture as shown: an Exif turn swaps the sides the area is compared with.
    const int shift = CoveringScaleShift(jpeg->PixelWidth(), jpeg->PixelHeight(),
                                         deviceSize.width(), deviceSize.height());
    if (shift == 0)
        return jpeg;
    // Decoded again only when the area grows past what the reduced copy covers, so a
    // failing decode is reported once per scale, not on every resize.
    if (!Reduced_ || shift < Reduced_->Settings.ScaleShift) {
        Reduced_ = std::make_unique<TJPEGImage>();
        Reduced_->Assign(*jpeg);
        Reduced_->SetScaleShift(shift);
    }
    return Reduced_.get();
}

void TOpenPictureDialog::PreviewClick() {
    QWidget* owner = Attached ? PicturePanel->window() : nullptr;
    QDialog form(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    form.setObjectName("PreviewForm");
    form.setWindowTitle(Msg::Preview.QText());
    auto* outer = new QVBoxLayout(&form);
    outer->setContentsMargins(0, 0, 0, 0);

    // A single border round a 5-pixel margin in the window colour.
    auto* panel = new QFrame(&form);
    panel->setObjectName("Panel");
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setLineWidth(1);
    panel->setAutoFillBackground(true);
    QPalette colours = panel->palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Base));
    panel->setPalette(colours);
    outer->addWidget(panel);
    auto* margin = new QVBoxLayout(panel);
    margin->setContentsMargins(5, 5, 5, 5);

    auto* image = new TImage(panel);
    image->setObjectName("Image");
    image->SetStretch(true);
    image->SetPicture(Picture_);
    margin->addWidget(image);

    form.resize(DefaultFormSize);
    const QScreen* screen = ScreenOf(owner);
    const QRect available = screen->availableGeometry();
    if (Picture_.Width() > 0) {
        // Grown so that the panel's inside is the picture plus its margin, unless that
        // would take the window, title bar included, past the screen's free area.
        outer->activate();
        const QSize inside = panel->contentsRect().size();
        const QSize around(form.width() - inside.width() + 10,
                           form.height() - inside.height() + 10);
        const QSize shown = FittedSize(QSize(Picture_.Width(), Picture_.Height()),
                                       available.size() - DecorationSize(form) - around);
        form.resize(around + shown);
        new TCoveringScale(*image, Picture_.Width(), Picture_.Height());
    }
    const QRect geometry = screen->geometry();
    QPoint position(geometry.left() + (geometry.width() - form.width()) / 2,
                    geometry.top() + (geometry.height() - form.height()) / 2);
    const QSize decoration = DecorationSize(form);
    position.setX(std::clamp(
        position.x(), available.left(),
        std::max(available.left(), available.right() + 1 - form.width() - decoration.width())));
    position.setY(std::clamp(
        position.y(), available.top() + decoration.height(),
        std::max(available.top() + decoration.height(), available.bottom() + 1 - form.height())));
    form.move(position);
    ExecModal(form);
}
