// Who makes Vellacour and where to find them: the footer of every printed sheet and the
// info window name these.
#pragma once

#include "toolkit/Translation.h"

namespace Product {
inline constexpr TMsg Copyright{QT_TRANSLATE_NOOP("Msg", "© 2026 Die Vellacour-Entwickler")};
inline constexpr const char* WebAddress = "https://vellacour.org";
inline constexpr const char* Email = "kontakt@vellacour.org";
// The program's key in the user's registry; the recent layouts lie in frmMain\MRUHistory
// below it.
inline constexpr const char* RegistryKey = "\\Software\\Brennholt\\Vellacour\\1.0.0";
} // namespace Product
