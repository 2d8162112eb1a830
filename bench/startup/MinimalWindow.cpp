// The yardstick for start-up: the least a Qt 6 Widgets program does to show a window.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Minimal");
    window.resize(640, 480);
    window.show();
    return app.exec();
}
