#include "app/InfoForm.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QUrl>

#include "sheet/Product.h"
#include "sheet/Version.h"

namespace {

struct TPlace {
    int Left, Top, Width, Height;
};
constexpr TPlace PanelPlace{83, 16, 109, 110};
constexpr TPlace ImagePlace{1, 1, 107, 108};
constexpr TPlace TitlePlace{86, 136, 103, 24};
constexpr TPlace VersionPlace{86, 160, 103, 14};
constexpr TPlace CopyrightPlace{69, 184, 136, 13};
constexpr TPlace AddressPlace{70, 208, 135, 13};
constexpr TPlace ButtonPlace{100, 234, 75, 25};

void Place(QWidget* widget, const TPlace& place) {
    widget->setGeometry(place.Left, place.Top, place.Width, place.Height);
}

QFont LabelFont(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial")});
    font.setPixelSize(pixelSize);
    return font;
}

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, const TPlace& place,
                 int pixelSize, Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(LabelFont(pixelSize));
    label->setAlignment(alignment);
    Place(label, place);
    return label;
}

// Widens a centred label, about its centre, to the width its text needs, so that a font
// wider than the one the window was laid out for does not clip the text at both ends.
void FitWidth(QLabel* label) {
    const QRect place = label->geometry();
    int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2;
    if (needed <= place.width())
        return;
    // Growing by an even number of pixels keeps the centre where it was.
    needed += (needed - place.width()) % 2;
    label->setGeometry((2 * place.left() + place.width() - needed) / 2, place.top(), needed,
                       place.height());
}

} // namespace

void TClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        OnClick)
        OnClick();
}

QImage InfoLogo() {
    // A disc in a jewel case: the case's square, the disc with its shine and hole.
    QImage image(107, 108, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 60, 110), 2));
    painter.setBrush(QColor(210, 220, 240));
    painter.drawRoundedRect(QRectF(6, 7, 95, 95), 6, 6);
    QRadialGradient disc(QPointF(53.5, 54.5), 42);
    disc.setColorAt(0.0, QColor(250, 250, 255));
    disc.setColorAt(0.6, QColor(170, 190, 230));
    disc.setColorAt(1.0, QColor(90, 110, 170));
    painter.setBrush(disc);
    painter.setPen(QPen(QColor(40, 60, 110), 1.5));
    painter.drawEllipse(QPointF(53.5, 54.5), 40, 40);
    painter.setBrush(QColor(255, 255, 255, 140));
    painter.setPen(Qt::NoPen);
    painter.drawPie(QRectF(13.5, 14.5, 80, 80), 30 * 16, 40 * 16);
    painter.setBrush(Qt::white);
    painter.setPen(QPen(QColor(40, 60, 110), 1.5));
    painter.drawEllipse(QPointF(53.5, 54.5), 8, 8);
    painter.end();
    return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
}

TfrmInfo::TfrmInfo(QWidget* parent) : QDialog(parent) {
    setObjectName("frmInfo");
    setWindowTitle(tr("Info..."));
    // A tool window: small caption bar with a close box, fixed size.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    setFont(LabelFont(11));
    setAutoFillBackground(true);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setAutoFillBackground(true);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(white);
    Panel1->setFocusPolicy(Qt::TabFocus);
    Place(Panel1, PanelPlace);
    Image1 = new TClickLabel(Panel1);
    Image1->setObjectName("Image1");
    Image1->setPixmap(QPixmap::fromImage(InfoLogo()));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->OnClick = [this] {
        lblURLClick();
    };
    Place(Image1, ImagePlace);

    Label1 =
        AddLabel(this, "Label1", QStringLiteral("Vellacour"), TitlePlace, 19, Qt::AlignHCenter);
    lblVersion =
        AddLabel(this, "lblVersion", tr("Version %1").arg(QString::fromLatin1(Product::Version)),
                 VersionPlace, 11, Qt::AlignHCenter);
    Label2 =
        AddLabel(this, "Label2", Product::Copyright.QText(), CopyrightPlace, 11, Qt::AlignHCenter);
    FitWidth(Label2);

    Button1 = new QPushButton(tr("OK"), this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    Place(Button1, ButtonPlace);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    lblURL = new TClickLabel(QString::fromUtf8(Product::WebAddress), this);
    lblURL->setObjectName("lblURL");
    QFont link = LabelFont(11);
    link.setUnderline(true);
    lblURL->setFont(link);
    QPalette blue = lblURL->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    lblURL->setPalette(blue);
    lblURL->setCursor(Qt::PointingHandCursor);
    lblURL->OnClick = [this] {
        lblURLClick();
    };
    Place(lblURL, AddressPlace);

    setTabOrder(Panel1, Button1);
}

void TfrmInfo::lblURLClick() {
    // Whether a browser opened is not reported.
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(Product::WebAddress)));
}

void TfrmInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
