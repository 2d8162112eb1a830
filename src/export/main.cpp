// vellacour-export: runs without a display; the offscreen platform is used unless the
// caller chose another.
#include <QApplication>
#include <iostream>

#include "export/Export.h"
#include "picture/Jpeg.h"
#include "picture/Png.h"
#include "toolkit/Application.h"

namespace {
// Only the program's own messages belong on stderr; Qt's notes about the environment
// would garble them for scripts.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << message.toLocal8Bit().constData() << "\n";
}
} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(QuietQtMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TApplication::SetTitle("Vellacour");
    RegisterJpegFormat();
    RegisterPngFormat();
    // Pictures are written in full colour whatever the screen, so decode to 24 bits.
    InitJpegDefaults(24);
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunExport(args, std::cerr);
}
