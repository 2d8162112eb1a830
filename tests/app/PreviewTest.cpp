// The print preview: the page it shows is the page the print command puts on paper, and its
// "&Drucken" runs that command.
#include <QDialog>
#include <QPageSize>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "PrintTestSupport.h"
#include "SheetCheck.h"
#include "TestSupport.h"
#include "app/MainForm.h"
#include "app/PreviewForm.h"
#include "print/XPrinter.h"
#include "sheet/Calibration.h"
#include "toolkit/Application.h"

namespace {
// Low enough for pdftoppm to be quick; at this the preview draws as the printer does.
constexpr int Dpi = 150;

// A picture whose halves differ, so that a turned or mirrored part shows.
void WriteHalves(const std::string& path, QRgb left, QRgb right) {
    // Fine enough that pdftoppm's smoothing of a picture drawn large blurs no more than
    // a fraction of a millimetre.
    QImage image(600, 400, QImage::Format_RGB32);
    image.fill(left);
    for (int y = 0; y < image.height(); ++y)
        for (int x = image.width() / 2; x < image.width(); ++x)
            image.setPixel(x, y, right);
    WriteFileBytes(path, Bmp24(image));
}

int Difference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// The first pixel of one page with no pixel of like colour within two pixels (a third of a
// millimetre) of its place on the other: the two renderers round the ends of a line and the
// edges of a picture to different pixels and shade them a little differently, but a part,
// a line, a mark or a word moved or missing shows.
std::string UnmatchedPixel(const QImage& one, const QImage& other, const char* name) {
    constexpr int Tolerance = 128;
    constexpr int Reach = 2;
    for (int y = 0; y < one.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(one.constScanLine(y));
        for (int x = 0; x < one.width(); ++x) {
            bool matched = false;
            for (int oy = std::max(0, y - Reach);
                 !matched && oy <= y + Reach && oy < other.height(); ++oy) {
                const auto* near = reinterpret_cast<const QRgb*>(other.constScanLine(oy));
                for (int ox = std::max(0, x - Reach);
                     !matched && ox <= x + Reach && ox < other.width(); ++ox)
                    matched = Difference(row[x], near[ox]) <= Tolerance;
            }
            if (!matched)
                return std::string(name) + " pixel (" + std::to_string(x) + "," +
                       std::to_string(y) + ") has no match";
        }
    }
    return {};
}

std::string ComparePages(const QImage& preview, const QImage& printed) {
    // pdftoppm rounds the paper's size in pixels up, Qt rounds it down.
    const QSize size = preview.size().boundedTo(printed.size());
    const QSize extra = preview.size().expandedTo(printed.size()) - size;
    if (extra.width() > 1 || extra.height() > 1)
        return CompareImages(preview, printed);
    const QImage a = preview.copy(QRect(QPoint(), size)).convertToFormat(QImage::Format_RGB32);
    const QImage b = printed.copy(QRect(QPoint(), size)).convertToFormat(QImage::Format_RGB32);
    const std::string missing = UnmatchedPixel(a, b, "preview");
    return missing.empty() ? UnmatchedPixel(b, a, "printed") : missing;
}
} // namespace

TEST(Preview, ShowsThePrintedPageAndPrintsIt) {
    TApplication::SetTitle("Vellacour");
    TempDir dir;
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.File("config").c_str());
    const std::string cover = dir.File("cover.bmp"), back = dir.File("back.bmp");
    WriteHalves(cover, 0xDD2222, 0x2222DD);
    WriteHalves(back, 0x22AA22, 0xEEBB22);
    const struct {
        const char* Name;
        TArrangement Arrangement;
        QPageSize::PageSizeId Paper;
        TCalibration Stored;
        TCaseKind Case = TCaseKind::Jewel; // a wrap with its front picture across it
    } cases[] = {
        {"side", TArrangement::Side, QPageSize::A4, {25, -15, 10200, 9900}},
        {"stacked", TArrangement::Stacked, QPageSize::Letter, {25, -15, 10200, 9900}},
        {"DVD wrap", TArrangement::Side, QPageSize::A4, {25, -15, 10200, 9900}, TCaseKind::Dvd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string pdf = dir.File(std::string(c.Name) + ".pdf");
        auto service = std::make_shared<TTestPrintService>(std::vector<std::string>{"Testdrucker"},
                                                           "Testdrucker");
        const std::unique_ptr<TPrinter> machine = FilePrinter(pdf, Dpi, service);
        machine->SetPaper(QPageSize(c.Paper));
        WriteCalibration("Testdrucker", c.Stored);
        TfrmMain form(*machine);
        form.Cover->Picture().LoadByExtension(cover);
        form.Back->Picture().LoadByExtension(back);
        form.cbRahmen->setChecked(true);
        form.Document.Settings.Arrangement.Set(c.Arrangement);
        form.Document.Settings.Bleed.Set(20);
        form.Document.Settings.SetCase(c.Case);
        if (c.Case != TCaseKind::Jewel) {
            form.Document.Wrap.Entry = cover;
            form.Wrap->Picture().LoadByExtension(cover);
        }
        form.Document.Text.Title = "Seitenansicht";
        form.Document.Text.Spine = "Rücken";
        form.Document.Text.Tracks = {"Erster Titel", "Zweiter Titel"};

        QImage shown;
        DialogScript script;
        script
            .Then([&](QDialog& dialog) {
                shown = dynamic_cast<TfrmPreview&>(dialog).View->Sheet();
                return int(QDialog::Accepted);
            })
            .Accept();
        form.Seitenansicht->trigger();
        EXPECT_EQ(script.Pending(), 0);
        ASSERT_EQ(script.Shown.size(), 2u); // the preview, then the print command's dialog
        EXPECT_EQ(script.Shown[0], "Seitenansicht");
        EXPECT_FALSE(form.XPrint->Printing());
        ASSERT_FALSE(shown.isNull());
        std::string error;
        // Hairlines shaded by how much of a pixel they cover, as the preview shades them.
        const QImage printed = RasterisePdfPage(pdf, error, Dpi, {"-thinlinemode", "shape"});
        ASSERT_FALSE(printed.isNull()) << error;
        EXPECT_EQ(ComparePages(shown, printed), "");
    }
    qputenv("XDG_CONFIG_HOME", savedConfig);
}
