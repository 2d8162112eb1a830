// The layout file's own section (named after the application's title): the two picture
// entries under the keys "cover" and "back", each part's placement keys, the sheet's
// settings "bleed", "arrangement", "case", "spineWidth", "panelWidth" and "panelHeight",
// and the disc label's "discOuter", "discHole", "discColor" and "discOverprint".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sheet/CoverSheet.h"
#include "sheet/DiscLabel.h"
#include "sheet/PlacementKeys.h"

class TIniText;

// A setting of the sheet as the layout file holds it. A value the program cannot read
// counts as the default and its text is kept, so that saving leaves it as it is until the
// user changes that setting.
template <typename T> struct TLayoutSetting {
    T Value{};
    std::optional<std::string> Unread;
    void Set(T value) {
        Value = value;
        Unread.reset();
    }
    bool operator==(const TLayoutSetting&) const = default;
};

// The sheet settings of a layout: "bleed" in tenths of a millimetre (0 to 30),
// "arrangement" ("side" or "stacked"), "case" (jewel, slim, dvd, bluray or custom) and the
// case's size in tenths of a millimetre: "spineWidth" (0 to 400; one the case does not offer
// prints as its default) and, for a case of one's own, "panelWidth" and "panelHeight" (50 to
// 200 mm). Only a value other than the default is stored; the spine's default is the case's.
struct TSheetSettings {
    // The spine's value while the layout names none: the case's own.
    static constexpr int CaseSpine = -1;
    TLayoutSetting<int> Bleed;
    TLayoutSetting<TArrangement> Arrangement;
    TLayoutSetting<TCaseKind> Case;
    TLayoutSetting<int> Spine{CaseSpine, {}};
    TLayoutSetting<int> PanelWidth{CaseType(TCaseKind::Custom).Size.PanelWidth, {}};
    TLayoutSetting<int> PanelHeight{CaseType(TCaseKind::Custom).Size.PanelHeight, {}};
    TSheetLayout Layout() const;
    // Another case, with its own spine.
    void SetCase(TCaseKind kind);
    // A spine width; the case's own is kept as no setting, as the file holds it.
    void SetSpine(int tenths);
    bool operator==(const TSheetSettings&) const = default;
};

// The disc label's settings: "discOuter" (1000 to 1200) and "discHole" (150 to 450) in
// tenths of a millimetre, "discColor" (#rrggbb) for the ring where the picture does not
// reach, and "discOverprint" (0 to 20 tenths) on label sheets. Only a value other than the
// default is stored.
struct TDiscSettings {
    TLayoutSetting<int> Outer{DiscLimits::DefaultOuter, {}};
    TLayoutSetting<int> Hole{DiscLimits::DefaultHole, {}};
    TLayoutSetting<QColor> Background{QColor(Qt::white), {}};
    TLayoutSetting<int> Overprint{DiscLimits::DefaultSheetOverprint, {}};
    bool operator==(const TDiscSettings&) const = default;
};

// The sheet settings in the layout's section of text.
TSheetSettings ReadSheetSettings(const TIniText& text, const std::string& section);

// Adds the settings to the values to set and the keys to remove: a default value removes
// its key; an unread one keeps its text, so a line current holds as read keeps its bytes
// and a new file gets the same text.
void AddSheetSettingEdits(const TIniText& current, const std::string& section,
                          const TSheetSettings& settings, TIniValues& values,
                          std::vector<std::string>& removals);

// The disc label's settings in the layout's section of text, and their edits, as for the
// sheet's settings.
TDiscSettings ReadDiscSettings(const TIniText& text, const std::string& section);
void AddDiscSettingEdits(const TIniText& current, const std::string& section,
                         const TDiscSettings& settings, TIniValues& values,
                         std::vector<std::string>& removals);
