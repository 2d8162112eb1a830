// Program start: the command line, the application object, the picture formats, the main
// window, the layout named on the command line, the message loop.
#include <QDBusConnection>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <iostream>
#include <thread>

#include "app/CommandLine.h"
#include "app/Icons.h"
#include "app/MainForm.h"
#include "picture/Canvas.h"
#include "picture/DecodedImage.h"
#include "picture/Jpeg.h"
#include "picture/Png.h"
#include "print/Printer.h"
#include "sheet/Version.h"
#include "toolkit/Application.h"
#include "toolkit/SessionBus.h"
#include "toolkit/Translation.h"

namespace {
// The window and its message loop. Everything the program keeps is saved and the printer
// released when this returns, with the application object.
int RunProgram(const TCommandLine& commandLine, char** argv) {
    SkipFutileBusLaunch();
    // The arguments are ours alone: Qt is given none of them to interpret.
    int qtArgc = 1;
    TApplication app(qtArgc, argv);
    // Setting the first caption starts the accessibility bridge, which connects to the session
    // bus, and the window would be built around that wait. Connected here on a thread of its
    // own, the answer is ready by then, or nearly.
    std::thread sessionBus([] { QDBusConnection::sessionBus(); });
    // Docks and task bars match the window to its desktop entry: on Wayland by the desktop
    // file name, on X11 by the window class, which Qt takes from the application name and
    // the entry's StartupWMClass repeats. Set here, the class does not depend on the name
    // the program was called by.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(Product::ApplicationId));
    QCoreApplication::setApplicationName(QStringLiteral("vellacour"));
    InstallTranslations(app);
    // JPEG, PNG and the helper's kinds are known before any window exists.
    RegisterJpegFormat();
    RegisterPngFormat();
    RegisterDecodedFormats();
    InitJpegDefaults(ScreenBitsPerPixel());
    TApplication::SetTitle("Vellacour");
    app.setWindowIcon(ApplicationIcon());

    TfrmMain frmMain(Printer());
    // Centred on the screen when first shown.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        frmMain.adjustSize();
        const QRect area = screen->availableGeometry();
        frmMain.move(area.center() - QPoint(frmMain.width() / 2, frmMain.height() / 2));
    }
    frmMain.show();
    // The print system is asked for its queues once the window is up; the client library
    // it loads and the scheduler's answer need not delay the first window.
    QTimer::singleShot(0, &frmMain, [] { Printer().StartQueueQuery(); });
    // The layout opens once the window is up, as Open opens it after its dialog; a layout
    // that cannot be opened is reported and the layout stays empty.
    if (!commandLine.LayoutFile.empty())
        QTimer::singleShot(0, &frmMain,
                           [&] { Guarded([&] { frmMain.LoadCover(commandLine.LayoutFile); }); });
    const int status = app.exec();
    sessionBus.join();
    UnregisterDecodedFormats();
    UnregisterPngFormat();
    UnregisterJpegFormat();
    return status;
}
} // namespace

int main(int argc, char** argv) {
    // The language is the environment's, for --help as for the window.
    UseLanguage(EnvironmentLanguage());
    // --help, --version and a wrong call are answered before Qt needs a display.
    const TCommandLine commandLine = ParseCommandLine({argv + 1, argv + argc});
    switch (commandLine.Action) {
    case TCommandLine::TAction::Help:
        std::cout << ProgramUsage.Text();
        return 0;
    case TCommandLine::TAction::Version:
        std::cout << "vellacour " << Product::Version << "\n";
        return 0;
    case TCommandLine::TAction::Usage:
        std::cerr << ProgramUsage.Text();
        return 2;
    case TCommandLine::TAction::Run:
        break;
    }
    // A print scheduler that never answered does not keep the program from ending.
    EndProcess(RunProgram(commandLine, argv));
}
