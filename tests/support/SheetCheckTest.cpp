// The sheet checker must tell a right sheet from wrong ones: sheets drawn here into PDF files,
// right and with one fault each, and the checker's verdict on each.
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <gtest/gtest.h>

#include "SheetCheck.h"
#include "TestSupport.h"

namespace {
// What to draw, in tenths of a millimetre from the sheet's top-left corner.
struct TDrawing {
    bool CoverFrame = true;
    bool BackFrame = true;
    bool Folds = true;
    bool Dashed = true;
    int LeftFoldX = 1390;
    int BackRight = 2840;
    int TextEm = 35; // 10 points: 3.53 mm
    bool Bold = true;
    QPageSize::PageSizeId Paper = QPageSize::A4;
};

void DrawSheet(const std::string& path, const TDrawing& d) {
    QPdfWriter writer(QString::fromStdString(path));
    writer.setResolution(600);
    writer.setPageLayout(
        QPageLayout(QPageSize(d.Paper), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
    QPainter painter(&writer);
    painter.scale(600 / 254.0, 600 / 254.0);
    // A frame is the one-unit band just outside its picture, filled white inside.
    const auto frame = [&](QRect picture) {
        painter.fillRect(picture.adjusted(-1, -1, 1, 1), Qt::black);
        painter.fillRect(picture, Qt::white);
    };
    if (d.CoverFrame)
        frame(QRect(100, 500, 1200, 1200));
    painter.fillRect(QRect(100, 500, 1200, 1200), QColor(255, 0, 0));
    if (d.BackFrame)
        frame(QRect(1330, 520, 1510, 1180));
    painter.fillRect(QRect(1330, 520, d.BackRight - 1330, 1180), QColor(0, 0, 255));
    for (int x : {d.LeftFoldX, 2770}) {
        if (!d.Folds)
            continue;
        for (int y = 520; y < 1700; y += 6)
            painter.fillRect(QRect(x, y, 1, d.Dashed ? 4 : 6), Qt::black);
    }
    painter.fillRect(QRect(100, 1900, 2760, 1), Qt::black);
    QFont font("Arial");
    font.setBold(d.Bold);
    font.setPixelSize(d.TextEm);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(100, 1900, 2700, 100), Qt::AlignLeft | Qt::AlignTop,
                     "Gedruckt mit Vellacour - Copyright 2026 - www.example.org");
}

TDrawing Without(bool TDrawing::*part) {
    TDrawing d;
    d.*part = false;
    return d;
}
} // namespace

TEST(SheetCheck, TellsRightSheetsFromWrongOnes) {
    TDrawing noFrames;
    noFrames.CoverFrame = noFrames.BackFrame = noFrames.Folds = false;
    TDrawing shiftedFold, shortBack, smallText, letter;
    shiftedFold.LeftFoldX = 1395;
    shortBack.BackRight = 2830;
    smallText.TextEm = 33; // 3.3 mm, as 10 points came out at 600 dpi when sizes truncated
    letter.Paper = QPageSize::Letter;
    struct TCase {
        const char* Name;
        TDrawing Drawing;
        bool Frames;
        TPaper Paper;
        const char* Problem; // a part of the expected problem; empty: none
    };
    const TCase cases[] = {
        {"right, with frames", TDrawing{}, true, TPaper::A4, ""},
        {"right, without frames", noFrames, false, TPaper::A4, ""},
        {"right, on Letter", letter, true, TPaper::Letter, ""},
        {"fold line 0.5 mm to the right", shiftedFold, true, TPaper::A4,
         "left fold line: at 139.5"},
        {"cover frame missing", Without(&TDrawing::CoverFrame), true, TPaper::A4,
         "cover frame, left side: missing"},
        {"back picture 1 mm short", shortBack, true, TPaper::A4,
         "back picture: right edge at 283.0"},
        {"fold lines solid", Without(&TDrawing::Dashed), true, TPaper::A4, "not dashed"},
        {"frames where none belong", TDrawing{}, false, TPaper::A4, "drawn although no frames"},
        {"footer text 7 % too small", smallText, true, TPaper::A4, "footer text: first word"},
        {"footer text not bold", Without(&TDrawing::Bold), true, TPaper::A4, "(bold Arial)"},
        {"A4 sheet taken for Letter", TDrawing{}, true, TPaper::Letter,
         "expected about 6600 x 5100"},
    };
    TempDir dir;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string pdf = dir.File("sheet.pdf");
        DrawSheet(pdf, c.Drawing);
        const TSheetExpectation expected{c.Paper, c.Frames, qRgb(255, 0, 0), qRgb(0, 0, 255)};
        const std::vector<std::string> problems = CheckSheetPdf(pdf, expected);
        const std::string found = JoinProblems(problems);
        if (*c.Problem == '\0')
            EXPECT_TRUE(problems.empty()) << found;
        else
            EXPECT_NE(found.find(c.Problem), std::string::npos) << found;
    }
}
