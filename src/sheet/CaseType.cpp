#include "sheet/CaseType.h"

#include <algorithm>
#include <array>

namespace {
// DVD and Blu-ray keep cases come with spines of several widths: 14 mm is the standard
// case, 7 mm the slim one and 27 mm the double one.
constexpr std::array DvdSpines = {70, 90, 140, 210, 270};
constexpr std::array BluraySpines = {110, 125, 140};

const std::array Types = {
    TCaseType{TCaseKind::Jewel, "jewel", {QT_TRANSLATE_NOOP("Msg", "CD-Jewelcase")}, {}, {}},
    TCaseType{
        TCaseKind::Slim, "slim", {QT_TRANSLATE_NOOP("Msg", "CD-Slimcase")}, {1200, 1200, 0}, {}},
    TCaseType{TCaseKind::Dvd,
              "dvd",
              {QT_TRANSLATE_NOOP("Msg", "DVD-Hülle")},
              {1295, 1840, 140},
              DvdSpines},
    TCaseType{TCaseKind::Bluray,
              "bluray",
              {QT_TRANSLATE_NOOP("Msg", "Blu-ray-Hülle")},
              {1280, 1490, 140},
              BluraySpines},
    TCaseType{TCaseKind::Custom,
              "custom",
              {QT_TRANSLATE_NOOP("Msg", "Eigene Maße")},
              {1295, 1840, 140},
              {}},
};
} // namespace

std::span<const TCaseType> CaseTypes() {
    return Types;
}

const TCaseType& CaseType(TCaseKind kind) {
    return Types[static_cast<size_t>(kind)];
}

std::optional<TCaseKind> CaseKindOfKey(std::string_view key) {
    for (const TCaseType& type : Types)
        if (key == type.Key)
            return type.Kind;
    return std::nullopt;
}

bool CustomSizeFits(const TCaseSize& size) {
    using namespace CustomCase;
    const auto within = [](int value, int low, int high) {
        return value >= low && value <= high;
    };
    return within(size.PanelWidth, MinPanel, MaxPanel) &&
           within(size.PanelHeight, MinPanel, MaxPanel) && within(size.Spine, 0, MaxSpine) &&
           size.Width() <= MaxWidth && size.PanelHeight <= MaxHeight;
}

TCaseSize EffectiveCaseSize(TCaseKind kind, int spine, int panelWidth, int panelHeight) {
    const TCaseType& type = CaseType(kind);
    if (kind == TCaseKind::Custom) {
        const TCaseSize size{panelWidth, panelHeight, spine};
        return CustomSizeFits(size) ? size : type.Size;
    }
    TCaseSize size = type.Size;
    if (std::ranges::find(type.Spines, spine) != type.Spines.end())
        size.Spine = spine;
    return size;
}
