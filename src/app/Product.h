// Who makes Vellacour and where to find them: the footer of every printed sheet and the
// info window name these.
#pragma once

namespace Product {
inline constexpr const char* Copyright = "© 2026 Die Vellacour-Entwickler";
inline constexpr const char* WebAddress = "https://vellacour.org";
inline constexpr const char* Email = "kontakt@vellacour.org";
} // namespace Product
