#include "toolkit/Application.h"

#include <QLibraryInfo>
#include <QMessageBox>
#include <QPointer>
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
} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // Menus stay inside their windows, which are laid out with them, even on desktops that
    // gather menus in a global bar. It also spares start-up the platform theme's query for
    // such a bar over the session bus, which takes tens of milliseconds where no bus runs.
    setAttribute(Qt::AA_DontUseNativeMenuBar);
}

const std::string& TApplication::Title() {
    return TitleStorage();
}

void TApplication::SetTitle(const std::string& title) {
    TitleStorage() = title;
}

void TApplication::LoadGermanTranslations() {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* name : {"qtbase_de", "qt_de"}) {
        auto* translator = new QTranslator(this);
        if (translator->load(QString::fromLatin1(name), folder))
            installTranslator(translator);
        else
            delete translator;
    }
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

void ShowException(const std::exception& error) {
    if (dynamic_cast<const EAbort*>(&error))
        return;
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(TApplication::Title()),
                    QString::fromStdString(ErrorDisplayText(ErrorMessage(error))), QMessageBox::Ok,
                    QApplication::activeWindow());
    ExecModal(box);
}

void QueueException(const std::exception& error) {
    if (dynamic_cast<const EAbort*>(&error))
        return;
    const Exception copy(ErrorMessage(error));
    QTimer::singleShot(0, qApp, [copy] { ShowException(copy); });
}
