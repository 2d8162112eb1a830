#include "SheetWords.h"

#include <QProcess>
#include <QTransform>

#include "SheetCheck.h"

namespace {
// Tenths of a millimetre on the sheet as pixels.
int Px(int tenths) {
    return int(tenths * SheetDpi / 254.0 + 0.5);
}

QRect Area(int left, int top, int right, int bottom) {
    return QRect(QPoint(Px(left), Px(top)), QPoint(Px(right) - 1, Px(bottom) - 1));
}

std::string Read(const QImage& part, const std::string& scratch, const char* pageMode) {
    const QString png = QString::fromStdString(scratch + "/ocr.png");
    part.save(png);
    QProcess ocr;
    ocr.start("tesseract", {png, "stdout", "-l", "deu", "--psm", pageMode});
    ocr.waitForFinished(60000);
    return QString::fromUtf8(ocr.readAllStandardOutput()).simplified().toStdString();
}
} // namespace

TSheetWordAreas SheetWordAreas() {
    return {Area(1330, 520, 1390, 1700), Area(2771, 520, 2840, 1700), Area(1391, 520, 2770, 1700),
            Area(100, 500, 1300, 1700)};
}

TSheetWords ReadSheetWords(const QImage& page, const std::string& scratch) {
    const TSheetWordAreas areas = SheetWordAreas();
    // Bottom to top: a quarter turn clockwise stands the spine upright.
    const QTransform upright = QTransform().rotate(90);
    return {Read(page.copy(areas.LeftSpine).transformed(upright), scratch, "7"),
            Read(page.copy(areas.RightSpine).transformed(upright), scratch, "7"),
            Read(page.copy(areas.Tracks), scratch, "6"),
            Read(page.copy(areas.Cover), scratch, "6")};
}
