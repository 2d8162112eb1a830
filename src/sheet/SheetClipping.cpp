#include "sheet/SheetClipping.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "print/PageMapping.h"
#include "print/Printer.h"
#include "toolkit/Errors.h"

namespace {
std::string EdgeName(TEdge edge) {
    switch (edge) {
    case TEdge::Left:
        return Msg::EdgeLeft;
    case TEdge::Right:
        return Msg::EdgeRight;
    case TEdge::Top:
        return Msg::EdgeTop;
    case TEdge::Bottom:
        return Msg::EdgeBottom;
    }
    return "";
}

// Tenths of a millimetre with the language's decimal separator: "4,6" or "4.6".
std::string Millimetres(int tenths) {
    return std::to_string(tenths / 10) + DecimalSeparator() + std::to_string(tenths % 10);
}

int Tenths(int pixels, int logPixels) {
    return FromDevice(pixels, logPixels, UnitsPerInchOf(TScaling::pscMetric10),
                      TScaling::pscMetric10);
}
} // namespace

std::string PartName(TSheetPart part) {
    return part == TSheetPart::Cover  ? Msg::FrontPart
           : part == TSheetPart::Back ? Msg::BackPart
                                      : Msg::DiscPart;
}

std::vector<TCut> FindCuts(const std::vector<TPartArea>& parts, const TRect& printable) {
    std::vector<TCut> cuts;
    // A device that reports no printable area tells nothing to warn of.
    if (printable.Width() <= 0 || printable.Height() <= 0)
        return cuts;
    for (const TPartArea& part : parts) {
        // 64-bit, so that no pair of edges can overflow.
        const std::pair<TEdge, int64_t> beyond[] = {
            {TEdge::Left, int64_t{printable.Left} - part.Area.Left},
            {TEdge::Right, int64_t{part.Area.Right} - printable.Right},
            {TEdge::Top, int64_t{printable.Top} - part.Area.Top},
            {TEdge::Bottom, int64_t{part.Area.Bottom} - printable.Bottom},
        };
        for (const auto& [edge, tenths] : beyond)
            if (tenths > 0)
                cuts.push_back(
                    {part.Part, edge, static_cast<int>(std::min<int64_t>(tenths, INT32_MAX))});
    }
    return cuts;
}

TRect PrintableArea(const TDeviceCaps& caps) {
    if (caps.LogPixelsX <= 0 || caps.LogPixelsY <= 0)
        return {};
    return {Tenths(caps.PhysicalOffsetX, caps.LogPixelsX),
            Tenths(caps.PhysicalOffsetY, caps.LogPixelsY),
            Tenths(caps.PhysicalOffsetX + caps.HorzRes, caps.LogPixelsX),
            Tenths(caps.PhysicalOffsetY + caps.VertRes, caps.LogPixelsY)};
}

std::vector<TPartArea> SheetPartAreas(bool frames, const TCalibration& calibration,
                                      const TSheetLayout& layout) {
    // Scaled about the sheet's corner, then moved, as the job prints them.
    const auto x = [&](int tenths) {
        return static_cast<int>(std::lround(double(tenths) * ExactScale / calibration.ScaleX)) +
               calibration.X;
    };
    const auto y = [&](int tenths) {
        return static_cast<int>(std::lround(double(tenths) * ExactScale / calibration.ScaleY)) +
               calibration.Y;
    };
    std::vector<TPartArea> parts;
    for (const TSheetPart part : {TSheetPart::Cover, TSheetPart::Back}) {
        const TRect area = PartArea(part, frames, layout);
        parts.push_back({part, {x(area.Left), y(area.Top), x(area.Right), y(area.Bottom)}});
    }
    return parts;
}

TRect FilePrintableArea(const TDeviceCaps& caps) {
    if (caps.LogPixelsX <= 0 || caps.LogPixelsY <= 0)
        return {};
    return {FileMargin, FileMargin, Tenths(caps.PhysicalWidth, caps.LogPixelsX) - FileMargin,
            Tenths(caps.PhysicalHeight, caps.LogPixelsY) - FileMargin};
}

std::string FitAdvice(const TSheetLayout& layout, bool frames,
                      const std::function<std::vector<TCut>(const TSheetLayout&)>& cutsOf) {
    if (!layout.IsWrap()) {
        if (layout.Arrangement != TArrangement::Side)
            return "";
        TSheetLayout stacked = layout;
        stacked.Arrangement = TArrangement::Stacked;
        return cutsOf(stacked).empty() ? Msg::StackedWouldFit.Text() : "";
    }
    std::vector<std::string> papers;
    for (const auto& [paper, name] : {std::pair{Paper::A4, "A4"}, {Paper::Legal, "US Legal"}}) {
        TSheetLayout other = layout;
        other.Paper = paper;
        const TRect inside = {FileMargin, FileMargin, paper.Width - FileMargin,
                              paper.Height - FileMargin};
        if (paper != layout.Paper && FindCuts(SheetPartAreas(frames, {}, other), inside).empty())
            papers.emplace_back(name);
    }
    if (papers.empty())
        return "";
    const std::string names =
        papers.size() == 1 ? papers[0] : Format(Msg::PaperOr, papers[0].c_str(), papers[1].c_str());
    return Format(Msg::PaperWouldFit, names.c_str());
}

std::string BleedLimitedText(const TSheetLayout& layout) {
    const int printed = PrintedBleed(layout);
    if (printed >= layout.Bleed)
        return "";
    if (!layout.IsWrap())
        return Msg::BleedLimited.Text();
    return Format(Msg::WrapBleedLimited, Millimetres(printed).c_str());
}

TCalibration SheetCalibration(const TCalibration& stored, const TSheetLayout& layout,
                              const TDeviceCaps& caps) {
    if (!SheetGeometry(layout).Portrait || caps.LogPixelsX <= 0 || caps.LogPixelsY <= 0)
        return stored;
    const int length = std::max(Tenths(caps.PhysicalWidth, caps.LogPixelsX),
                                Tenths(caps.PhysicalHeight, caps.LogPixelsY));
    return TurnedCalibration(stored, length);
}

std::string CutsText(const std::vector<TCut>& cuts) {
    std::string text;
    for (size_t i = 0; i < cuts.size(); ++i) {
        const bool samePart = i > 0 && cuts[i - 1].Part == cuts[i].Part;
        if (samePart)
            text += ", ";
        else
            text += std::string(i > 0 ? "; " : "") + PartName(cuts[i].Part) + ": ";
        text += Millimetres(cuts[i].Tenths) + " mm " + EdgeName(cuts[i].Edge);
    }
    return text;
}

std::string OutsidePrintableText(const std::vector<TCut>& cuts) {
    return Format(Msg::OutsidePrintable, CutsText(cuts).c_str());
}
