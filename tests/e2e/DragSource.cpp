// A window that starts dragging the file named on its command line as soon as a mouse
// button goes down in it, as a file manager would, so the end-to-end tests can drop a
// real file on the program with the X server's drag-and-drop protocol. Prints what the
// target did with the drop and ends.
// usage: drag_source FILE
#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {
class TDragSource : public QWidget {
public:
    explicit TDragSource(QString file) : File(std::move(file)) {
        setWindowTitle("drag_source");
        setFixedSize(120, 120);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(QFileInfo(File).absoluteFilePath())});
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::LinkAction);
        std::printf("%s\n", action == Qt::IgnoreAction ? "refused" : "dropped");
        std::fflush(stdout);
        // The target asks for the file's address only once the drop has happened, so the
        // source stays a while to answer, as a file manager would.
        QTimer::singleShot(2000, qApp, &QApplication::quit);
    }

private:
    QString File;
};
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: drag_source FILE\n");
        return 2;
    }
    TDragSource source(QString::fromLocal8Bit(argv[1]));
    source.move(0, 0);
    source.show();
    return app.exec();
}
