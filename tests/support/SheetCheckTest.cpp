// The sheet checker must tell a right sheet from wrong ones: sheets drawn here into PDF files
// or page images, right and with one fault each, and the checker's verdict on each.
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>
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

// A wrap's sheet, in tenths of a millimetre from the landscape page's top-left corner.
struct TWrapDrawing {
    QSize Paper;
    QRect Wrap;                                   // back panel, spine and front panel
    std::vector<std::pair<QRect, QRgb>> Pictures; // drawn in turn, bleed included
    std::vector<int> Folds;
    // The frame around the wrap and dashed fold lines across it; with a bleed, crop marks
    // at the wrap's edges and dashed fold marks above and below it instead.
    bool Frames = false;
    int Bleed = 0;
    int FooterTop = 0; // none when 0
    // The rule's ends; the wrap's edges when 0.
    int FooterLeft = 0;
    int FooterRight = 0;
};

// A dashed line down from top to bottom: 0.4 mm of ink every 0.6 mm.
void DrawDashes(QPainter& painter, int x, int top, int bottom) {
    for (int y = top; y < bottom; y += 6)
        painter.fillRect(QRect(x, y, 1, std::min(4, bottom - y)), Qt::black);
}

// The page image at 600 dpi.
QImage DrawWrap(const TWrapDrawing& d) {
    QImage page(static_cast<int>(std::lround(d.Paper.width() * 600 / 254.0)),
                static_cast<int>(std::lround(d.Paper.height() * 600 / 254.0)),
                QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.scale(600 / 254.0, 600 / 254.0);
    const int left = d.Wrap.x(), top = d.Wrap.y();
    const int right = left + d.Wrap.width(), bottom = top + d.Wrap.height();
    // The frame is the one-unit band just outside the wrap.
    if (d.Frames && d.Bleed == 0) {
        painter.fillRect(d.Wrap.adjusted(-1, -1, 1, 1), Qt::black);
        painter.fillRect(d.Wrap, Qt::white);
    }
    for (const auto& [rect, colour] : d.Pictures)
        painter.fillRect(rect, QColor(colour));
    if (d.Frames) {
        // Marks run from 1 mm to 4 mm outside the bleed.
        const int near = d.Bleed + 10, far = near + 30;
        for (const int x : d.Folds)
            if (d.Bleed == 0) {
                DrawDashes(painter, x, top, bottom);
            } else {
                DrawDashes(painter, x, top - far, top - near);
                DrawDashes(painter, x, bottom + near, bottom + far);
            }
        if (d.Bleed > 0) {
            for (const int x : {left, right}) {
                painter.fillRect(QRect(x, top - far, 1, 30), Qt::black);
                painter.fillRect(QRect(x, bottom + near, 1, 30), Qt::black);
            }
            for (const int y : {top, bottom}) {
                painter.fillRect(QRect(left - far, y, 30, 1), Qt::black);
                painter.fillRect(QRect(right + near, y, 30, 1), Qt::black);
            }
        }
    }
    if (d.FooterTop > 0) {
        const int ruleLeft = d.FooterLeft != 0 ? d.FooterLeft : left;
        const int ruleRight = d.FooterRight != 0 ? d.FooterRight : right;
        painter.fillRect(QRect(ruleLeft, d.FooterTop, ruleRight - ruleLeft, 1), Qt::black);
        QFont font("Arial");
        font.setBold(true);
        font.setPixelSize(35);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QRect(ruleLeft, d.FooterTop, 2700, 100), Qt::AlignLeft | Qt::AlignTop,
                         "Gedruckt mit Vellacour - Copyright 2026 - www.example.org");
    }
    return page;
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

// Each wrap centred on its landscape paper: (paper - wrap) / 2 in whole tenths, the back panel
// left, the front panel right. A DVD case on A4: 2 x 129.5 + 14 = 273 mm wide at 12 mm,
// 184 mm high at 13 mm, folds at 141.5 and 155.5 mm; 9 mm below it the footer would end
// within 5 mm of the edge, so there is none.
TEST(SheetCheck, TellsRightWrapsFromWrongOnes) {
    constexpr QRgb Red = 0xffff0000, Blue = 0xff0000ff, Green = 0xff00a000;
    const QSize a4(2970, 2100), letter(2794, 2159), legal(3556, 2159);
    const TWrapDrawing dvd{
        a4,
        QRect(120, 130, 2730, 1840),
        {{QRect(120, 130, 1295, 1840), Blue}, {QRect(1555, 130, 1295, 1840), Red}},
        {1415, 1555},
        true};
    // With a 3 mm bleed each panel's picture reaches past the wrap's outer edges, never into
    // the spine.
    TWrapDrawing dvdBleed = dvd;
    dvdBleed.Pictures = {{QRect(90, 100, 1325, 1900), Blue}, {QRect(1555, 100, 1325, 1900), Red}};
    dvdBleed.Bleed = 30;
    TWrapDrawing bleedIntoSpine = dvdBleed;
    bleedIntoSpine.Pictures[0].first.setWidth(1355);
    TWrapDrawing frontOff = dvd, foldMissing = dvd;
    frontOff.Pictures[1].first.translate(10, 0);
    foldMissing.Folds = {1415};
    // A slim card on Letter: 240 x 120 mm at 19.7 mm, 47.9 mm (215.9 - 120 = 95.9 halved
    // and truncated); one fold line between the panels; the footer 9 mm below.
    const TWrapDrawing slim{
        letter,
        QRect(197, 479, 2400, 1200),
        {{QRect(197, 479, 1200, 1200), Blue}, {QRect(1397, 479, 1200, 1200), Red}},
        {1397},
        true,
        0,
        1769};
    // Both panels of one colour meet without a spine: each is still measured on its own.
    const TWrapDrawing slimRed{
        a4,
        QRect(285, 450, 2400, 1200),
        {{QRect(285, 450, 1200, 1200), Red}, {QRect(1485, 450, 1200, 1200), Red}},
        {},
        false,
        0,
        1740};
    // One green picture across a Blu-ray wrap (270 x 149 mm at 13.5 mm, 30.5 mm on A4),
    // grown by a 2 mm bleed, with crop marks and fold marks; and the same with its spine
    // left white.
    const TWrapDrawing bluray{a4,
                              QRect(135, 305, 2700, 1490),
                              {{QRect(115, 285, 2740, 1530), Green}},
                              {1415, 1555},
                              true,
                              20,
                              1885};
    TWrapDrawing whiteSpine = bluray;
    whiteSpine.Pictures.push_back({QRect(1415, 285, 140, 1530), 0xffffffff});
    // A custom case of 160 x 100 mm panels and a 20 mm spine is 340 mm wide: on Legal at
    // 7.8 mm; on A4 it stands 21.5 mm out on either side and has no footer.
    const TWrapDrawing custom{
        legal,
        QRect(78, 579, 3400, 1000),
        {{QRect(78, 579, 1600, 1000), Blue}, {QRect(1878, 579, 1600, 1000), Red}},
        {},
        false,
        0,
        1669};
    const TWrapDrawing customCut{
        a4,
        QRect(-215, 550, 3400, 1000),
        {{QRect(-215, 550, 1600, 1000), Blue}, {QRect(1585, 550, 1600, 1000), Red}},
        {},
        false,
        0,
        0};
    // A narrow custom case of 60 x 80 mm panels and a 10 mm spine, 130 mm wide at 83.5 mm,
    // 65 mm on A4: the footer's rule is 174 mm long, centred under it from 61.5 mm.
    const TWrapDrawing narrow{
        a4,
        QRect(835, 650, 1300, 800),
        {{QRect(835, 650, 600, 800), Blue}, {QRect(1535, 650, 600, 800), Red}},
        {},
        false,
        0,
        1540,
        615,
        2355};
    TWrapDrawing narrowRuleShort = narrow;
    narrowRuleShort.FooterLeft = 835;
    narrowRuleShort.FooterRight = 2135;
    const TSheetExpectation dvdExpected{
        .Frames = true, .Cover = Red, .Back = Blue, .Case = TSheetCase::Dvd};
    TSheetExpectation dvdBleedExpected = dvdExpected;
    dvdBleedExpected.Bleed = 3.0;
    const TSheetExpectation customExpected{.Paper = TPaper::Legal,
                                           .Cover = Red,
                                           .Back = Blue,
                                           .Case = TSheetCase::Custom,
                                           .Spine = 20.0,
                                           .PanelWidth = 160.0,
                                           .PanelHeight = 100.0};
    TSheetExpectation customCutExpected = customExpected;
    customCutExpected.Paper = TPaper::A4;
    const TSheetExpectation narrowExpected{.Cover = Red,
                                           .Back = Blue,
                                           .Case = TSheetCase::Custom,
                                           .Spine = 10.0,
                                           .PanelWidth = 60.0,
                                           .PanelHeight = 80.0};
    const TSheetExpectation blurayExpected{
        .Frames = true, .Bleed = 2.0, .Case = TSheetCase::Bluray, .Wrap = Green};
    const struct {
        const char* Name;
        TWrapDrawing Drawing;
        TSheetExpectation Expected;
        const char* Problem; // a part of the expected problem; empty: none
    } cases[] = {
        {"DVD case on A4 with frames", dvd, dvdExpected, ""},
        {"slim card on Letter with frames",
         slim,
         {.Paper = TPaper::Letter,
          .Frames = true,
          .Cover = Red,
          .Back = Blue,
          .Case = TSheetCase::Slim},
         ""},
        {"slim card, both panels red",
         slimRed,
         {.Cover = Red, .Back = Red, .Case = TSheetCase::Slim},
         ""},
        {"DVD case with a bleed", dvdBleed, dvdBleedExpected, ""},
        {"Blu-ray wrap picture with a bleed", bluray, blurayExpected, ""},
        {"custom case on Legal", custom, customExpected, ""},
        {"custom case wider than A4", customCut, customCutExpected, ""},
        {"narrow custom case", narrow, narrowExpected, ""},
        {"narrow custom case, rule only as wide as the wrap", narrowRuleShort, narrowExpected,
         "footer rule: missing"},
        {"front panel 1 mm to the right", frontOff, dvdExpected, "front panel: left edge at 156.5"},
        {"back panel's bleed into the spine", bleedIntoSpine, dvdBleedExpected,
         "back panel: right edge"},
        {"right fold line missing", foldMissing, dvdExpected, "right fold line: missing"},
        {"white spine under the wrap picture", whiteSpine, blurayExpected,
         "spine: not the wrap picture's colour"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::vector<std::string> problems = CheckSheet(DrawWrap(c.Drawing), c.Expected);
        const std::string found = JoinProblems(problems);
        if (*c.Problem == '\0')
            EXPECT_TRUE(problems.empty()) << found;
        else
            EXPECT_NE(found.find(c.Problem), std::string::npos) << found;
    }
}
