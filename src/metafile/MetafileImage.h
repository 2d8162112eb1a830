// The bytes of an enhanced metafile (EMF) or a placeable Windows metafile (WMF) as the
// player needs them: the records, the size in 0.01 mm and the reference device. Read from a
// stream with the header checks both formats call for.
#pragma once

#include "toolkit/Translation.h"
#include <QRect>
#include <cstdint>
#include <memory>
#include <vector>

class TStream;

namespace Msg {
inline constexpr TMsg InvalidMetafile{QT_TRANSLATE_NOOP("Msg", "Metadatei ist ungültig")};
}

enum class TMetafileFormat { Enhanced, Placeable };

// Loaded records are never changed; copies share them.
struct TMetafileImage {
    TMetafileFormat Format = TMetafileFormat::Enhanced;
    // An enhanced metafile from its header on, or a Windows metafile's records after the
    // 22-byte placeable header.
    std::shared_ptr<const std::vector<uint8_t>> Records;
    int MMWidth = 0; // size in 0.01 mm
    int MMHeight = 0;
    int Inch = 0; // units per inch of a placeable metafile; 0 for an enhanced one
    // The placeable header's bounding box, in the metafile's logical units.
    QRect Bounds;
    // The reference device: its size in pixels and in millimetres.
    int DeviceWidth = 0;
    int DeviceHeight = 0;
    int DeviceMMWidth = 0;
    int DeviceMMHeight = 0;
    uint32_t PaletteEntries = 0;
};

// Reads an enhanced or placeable metafile from the bytes. Raises EInvalidGraphic
// ("Metadatei ist ungültig") for anything else and EReadError ("Stream-Read-Fehler") when an
// enhanced metafile ends before the size its header gives.
TMetafileImage ReadMetafile(TStream& stream);

// The screen's logical resolution (pixels per inch, vertical), 96 without a screen.
int ScreenLogPixelsY();
