// Program start: the application object, the picture formats, the main window, the
// message loop.
#include <QGuiApplication>
#include <QScreen>

#include "app/Icons.h"
#include "app/MainForm.h"
#include "picture/Canvas.h"
#include "picture/Jpeg.h"
#include "picture/Png.h"
#include "toolkit/Application.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    app.LoadGermanTranslations();
    // JPEG and PNG files are known before any window exists.
    RegisterJpegFormat();
    RegisterPngFormat();
    InitJpegDefaults(ScreenBitsPerPixel());
    TApplication::SetTitle("Vellacour");
    app.setWindowIcon(ApplicationIcon());

    TfrmMain frmMain;
    // Centred on the screen when first shown.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        frmMain.adjustSize();
        const QRect area = screen->availableGeometry();
        frmMain.move(area.center() - QPoint(frmMain.width() / 2, frmMain.height() / 2));
    }
    frmMain.show();
    const int status = app.exec();
    UnregisterPngFormat();
    UnregisterJpegFormat();
    return status;
}
