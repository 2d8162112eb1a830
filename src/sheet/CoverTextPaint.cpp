#include "sheet/CoverTextPaint.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <map>

#include "toolkit/AsciiText.h"
#include "toolkit/Errors.h"

namespace {
// Fonts are measured and outlined this large and scaled down, so hinting and whole-pixel
// sizes never round a width.
constexpr int ReferenceSize = 1000;

// Families with the same widths as the common Windows fonts, which layouts name most.
const char* MetricCompatible(const std::string& family) {
    static const std::pair<const char*, const char*> table[] = {
        {"Arial", "Liberation Sans"},
        {"Helvetica", "Liberation Sans"},
        {"Arial Narrow", "Liberation Sans Narrow"},
        {"Times New Roman", "Liberation Serif"},
        {"Times", "Liberation Serif"},
        {"Courier New", "Liberation Mono"},
        {"Courier", "Liberation Mono"},
    };
    for (const auto& [name, compatible] : table)
        if (SameAsciiText(name, family) && QFontDatabase::hasFamily(compatible))
            return compatible;
    return nullptr;
}

QColor BandColour(TTextBand band) {
    switch (band) {
    case TTextBand::White:
        return Qt::white;
    case TTextBand::Black:
        return Qt::black;
    case TTextBand::TranslucentWhite:
        return QColor(255, 255, 255, 160);
    case TTextBand::None:
        break;
    }
    return Qt::transparent;
}

// The outline of text with its cell's vertical centre on y = 0, starting at x = 0, at the
// reference size.
QPainterPath Outline(const std::string& text, const QFont& font) {
    const QFontMetricsF metrics(font);
    QPainterPath path;
    path.addText(QPointF(0, (metrics.ascent() - metrics.descent()) / 2), font,
                 QString::fromStdString(text));
    return path;
}

void DrawRun(QPainter& painter, const TTextRun& run, const QFont& font) {
    const bool turned = run.Angle != 0;
    const double length = turned ? run.Box.height() : run.Box.width();
    const double scale = run.Em / ReferenceSize;
    const QPainterPath left = Outline(run.Text, font);
    const double width = QFontMetricsF(font).horizontalAdvance(QString::fromStdString(run.Text));
    painter.save();
    painter.translate(run.Box.center());
    painter.rotate(run.Angle);
    painter.translate(-length / 2, 0);
    painter.scale(scale, scale);
    const double start = run.Centred ? (length / scale - width) / 2 : 0;
    painter.drawPath(left.translated(start, 0));
    if (!run.Right.empty()) {
        const QPainterPath right = Outline(run.Right, font);
        const double rightWidth =
            QFontMetricsF(font).horizontalAdvance(QString::fromStdString(run.Right));
        painter.drawPath(right.translated(length / scale - rightWidth, 0));
    }
    painter.restore();
}
} // namespace

QString DefaultTextFamily() {
    return QFontDatabase::hasFamily("Liberation Sans")
               ? QStringLiteral("Liberation Sans")
               : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

TResolvedFamily ResolveFamily(const std::string& family) {
    const QString name = QString::fromStdString(family);
    if (family.empty())
        return {DefaultTextFamily(), ""};
    if (QFontDatabase::hasFamily(name))
        return {name, ""};
    const char* compatible = MetricCompatible(family);
    const QString replacement = compatible ? QString(compatible) : DefaultTextFamily();
    return {replacement,
            Format(Msg::FontMissing, family.c_str(), replacement.toStdString().c_str())};
}

QFont TextFont(const TTextStyle& style, int size) {
    QFont font(ResolveFamily(style.Family).Family);
    font.setPixelSize(size);
    font.setBold(style.Bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

TTextMeasure FontMeasure() {
    // The fitting asks for the same few fonts many times.
    auto fonts = std::make_shared<std::map<std::pair<std::string, bool>, QFontMetricsF>>();
    return [fonts](const std::string& text, const TTextStyle& style) {
        const std::pair key(style.Family, style.Bold);
        auto found = fonts->find(key);
        if (found == fonts->end())
            found = fonts->emplace(key, QFontMetricsF(TextFont(style, ReferenceSize))).first;
        return found->second.horizontalAdvance(QString::fromStdString(text)) / ReferenceSize;
    };
}

TTextLayout LayoutWithFonts(const TCoverText& text, const TTextAreas& areas) {
    return LayoutCoverText(text, areas, FontMeasure());
}

std::vector<std::string> LayoutWarnings(const TTextLayout& layout) {
    std::vector<std::string> warnings;
    for (const TTextBlock& block : layout.Blocks) {
        const std::string warning = ResolveFamily(block.Style.Family).Warning;
        if (!warning.empty() &&
            std::find(warnings.begin(), warnings.end(), warning) == warnings.end())
            warnings.push_back(warning);
    }
    warnings.insert(warnings.end(), layout.Warnings.begin(), layout.Warnings.end());
    return warnings;
}

std::vector<std::string> CoverTextWarnings(const TCoverText& text, const TTextAreas& areas) {
    return LayoutWarnings(LayoutWithFonts(text, areas));
}

void DrawTextLayout(QPainter& painter, const TTextLayout& layout) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (const TTextBlock& block : layout.Blocks) {
        if (!block.Band.isEmpty()) {
            painter.setBrush(BandColour(block.Style.Band));
            painter.drawRect(block.Band);
        }
        painter.setBrush(block.Style.Color);
        const QFont font = TextFont(block.Style, ReferenceSize);
        for (const TTextRun& run : block.Runs)
            DrawRun(painter, run, font);
    }
    painter.restore();
}
