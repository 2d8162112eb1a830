#include "toolkit/Application.h"

#include <QIconEngine>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProxyStyle>
#include <QTimer>
#include <QTranslator>
#include <new>

#include "toolkit/Errors.h"
#include "toolkit/Modal.h"

namespace {
std::string& TitleStorage() {
    static std::string title;
    return title;
}

// A style's standard icon, read only when something first draws or measures it.
class TDeferredIconEngine : public QIconEngine {
public:
    TDeferredIconEngine(QStyle::StandardPixmap which, QStyle* style) : Which(which), Style(style) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Loaded().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Loaded().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Loaded().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return Loaded().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Loaded().availableSizes(mode, state);
    }
    // Not read for this: a style's extension arrow is never empty, and an empty one would
    // draw nothing either way.
    bool isNull() override { return Read && Icon.isNull(); }
    QIconEngine* clone() const override { return new TDeferredIconEngine(*this); }

private:
    const QIcon& Loaded() {
        if (!Read) {
            Icon = (Style ? Style.data() : QApplication::style())->standardIcon(Which);
            Read = true;
        }
        return Icon;
    }

    QStyle::StandardPixmap Which;
    QPointer<QStyle> Style;
    QIcon Icon;
    bool Read = false;
};

// The platform's style, except that the arrow of a tool bar's or menu bar's extension
// button is read when first shown. Both bars make that button whether or not they ever
// overflow, and reading its picture loads Qt's image format plugins, which would make the
// first window wait for them.
class TStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (which == SP_ToolBarHorizontalExtensionButton ||
            which == SP_ToolBarVerticalExtensionButton)
            return QIcon(new TDeferredIconEngine(which, baseStyle()));
        return QProxyStyle::standardIcon(which, option, widget);
    }
};
} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // Menus stay inside their windows, which are laid out with them, even on desktops that
    // gather menus in a global bar. It also spares start-up the platform theme's query for
    // such a bar over the session bus, which takes tens of milliseconds where no bus runs.
    setAttribute(Qt::AA_DontUseNativeMenuBar);
    setStyle(new TStyle);
}

const std::string& TApplication::Title() {
    return TitleStorage();
}

void TApplication::SetTitle(const std::string& title) {
    TitleStorage() = title;
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        QueueException(error);
        return false;
    }
}

std::string ErrorDisplayText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}

std::string ErrorMessage(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return Msg::OutOfResources;
    return error.what();
}

namespace {
// The file an error concerns, when it carries one.
std::string FileNameOf(const std::exception& error) {
    const auto* ours = dynamic_cast<const Exception*>(&error);
    return ours ? ours->FileName() : std::string();
}
} // namespace

void ShowException(const std::exception& error) {
    if (dynamic_cast<const EAbort*>(&error))
        return;
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(TApplication::Title()),
                    QString::fromStdString(ErrorDisplayText(ErrorMessage(error))), QMessageBox::Ok,
                    QApplication::activeWindow());
    if (const std::string file = FileNameOf(error); !file.empty())
        box.setInformativeText(QString::fromStdString(Format(Msg::ErrorFileName, file.c_str())));
    ExecModal(box);
}

void QueueException(const std::exception& error) {
    if (dynamic_cast<const EAbort*>(&error))
        return;
    Exception copy(ErrorMessage(error));
    copy.SetFileName(FileNameOf(error));
    QTimer::singleShot(0, qApp, [copy] { ShowException(copy); });
}
