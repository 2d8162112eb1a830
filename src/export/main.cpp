// vellacour-export: runs without a display; the offscreen platform is used unless the
// caller chose another.
#include <QApplication>
#include <iostream>

#include "export/Export.h"
#include "picture/DecodedImage.h"
#include "picture/Jpeg.h"
#include "picture/Png.h"
#include "toolkit/Application.h"
#include "toolkit/Translation.h"

namespace {
// Only the program's own messages belong on stderr; Qt's notes about the environment
// would garble them for scripts.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << message.toLocal8Bit().constData() << "\n";
}
} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Messages, warnings and --help speak the environment's language.
    UseLanguage(EnvironmentLanguage());
    // Answered before Qt starts, so they need no platform plugin at all.
    if (const std::optional<int> status = AnswerHelpOrVersion(args, std::cout))
        return *status;
    qInstallMessageHandler(QuietQtMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallTranslations(app);
    TApplication::SetTitle("Vellacour");
    RegisterJpegFormat();
    RegisterPngFormat();
    RegisterDecodedFormats();
    // Pictures are written in full colour whatever the screen, so decode to 24 bits.
    InitJpegDefaults(24);
    return RunExport(args, std::cout, std::cerr);
}
