// A second yardstick for start-up: a main window whose only content is a menu bar with one
// menu. Its first layout measures a text, so it pays what any window with text pays before
// it is shown: the font configuration, the font database, one font face and its shaper.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Menu");
    window.menuBar()->addMenu("&Datei");
    window.resize(640, 480);
    window.show();
    return app.exec();
}
