// The cases a cover is printed for: the CD jewel case with its front cover and back inlay,
// and the cases whose cover is one wrap (back panel, spine, front panel): the slim CD case's
// folding card, DVD and Blu-ray keep cases, and a wrap of the user's own size. What the
// sheet, the window and the layout file know of a case comes from this table.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "toolkit/Translation.h"

enum class TCaseKind { Jewel, Slim, Dvd, Bluray, Custom };

// A wrap's size in tenths of a millimetre: each panel's width and height and the spine
// between the two panels (0: the panels meet at one fold line).
struct TCaseSize {
    int PanelWidth = 0;
    int PanelHeight = 0;
    int Spine = 0;
    int Width() const { return 2 * PanelWidth + Spine; }
    bool operator==(const TCaseSize&) const = default;
};

struct TCaseType {
    TCaseKind Kind;
    const char* Key; // the layout file's word for it
    TMsg Caption;
    TCaseSize Size;              // the size it has unless the layout says otherwise
    std::span<const int> Spines; // the spine widths to choose from; empty: none to choose
};

std::span<const TCaseType> CaseTypes();
const TCaseType& CaseType(TCaseKind kind);
std::optional<TCaseKind> CaseKindOfKey(std::string_view key);

// What a wrap of the user's own size may measure, in tenths of a millimetre: each panel
// 50 to 200 mm wide and high, the spine up to 40 mm, and the whole wrap at most 345 × 205 mm,
// what US Legal holds inside margins of 5 mm.
namespace CustomCase {
inline constexpr int MinPanel = 500;
inline constexpr int MaxPanel = 2000;
inline constexpr int MaxSpine = 400;
inline constexpr int MaxWidth = 3450;
inline constexpr int MaxHeight = 2050;
} // namespace CustomCase
bool CustomSizeFits(const TCaseSize& size);

// The size a case prints at with the spine and (for a wrap of one's own) the panels the
// layout holds: a spine the case does not offer, or a custom size out of bounds, gives the
// case's own size instead.
TCaseSize EffectiveCaseSize(TCaseKind kind, int spine, int panelWidth, int panelHeight);
