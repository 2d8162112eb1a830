#include "metafile/SpareFaces.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <algorithm>
#include <array>
#include <utility>

namespace MetafileFonts {

namespace {

// Wine installs free fonts under the names of Windows faces (Debian's fonts-wine) in a folder
// of its own that fontconfig does not search, so other programs keep the fonts they had.
// Listed are the faces whose stand-ins bring metafile text closer to the system's drawing
// than the fonts fontconfig would choose: Tahoma's cell and widths, and the symbols of
// Wingdings and Symbol at the character codes the files use.
constexpr const char* SpareFolder = "/usr/share/wine/fonts/";

struct TSpareFace {
    const char* Face;
    std::array<const char*, 2> Files; // regular and bold, or one file and nothing
};

constexpr std::array<TSpareFace, 3> SpareFaces = {{
    {"tahoma", {"tahoma.ttf", "tahomabd.ttf"}},
    {"wingdings", {"wingding.ttf", nullptr}},
    {"symbol", {"symbol.ttf", nullptr}},
}};

// The entry of a face, or nothing.
const TSpareFace* Spare(const QString& face) {
    const auto spare = std::find_if(SpareFaces.begin(), SpareFaces.end(), [&](const TSpareFace& f) {
        return face.compare(QLatin1String(f.Face), Qt::CaseInsensitive) == 0;
    });
    return spare == SpareFaces.end() ? nullptr : &*spare;
}

// For each face: whether it was looked at, and whether its fonts were added then. Each face
// is looked at once: its files are added, or found missing, for good.
std::array<bool, SpareFaces.size()> Looked{};
std::array<bool, SpareFaces.size()> Added{};

} // namespace

void AddSpareFace(const QString& face) {
    const TSpareFace* spare = Spare(face);
    if (!spare)
        return;
    const auto index = size_t(spare - SpareFaces.data());
    if (std::exchange(Looked[index], true) ||
        QFontInfo(QFont(face)).family().compare(face, Qt::CaseInsensitive) == 0)
        return;
    for (const char* file : spare->Files) {
        if (!file)
            continue;
        const QString path = QLatin1String(SpareFolder) + QLatin1String(file);
        if (QFile::exists(path) && QFontDatabase::addApplicationFont(path) >= 0)
            Added[index] = true;
    }
}

bool IsSpareFace(const QString& face) {
    const TSpareFace* spare = Spare(face);
    return spare && Added[size_t(spare - SpareFaces.data())];
}

} // namespace MetafileFonts
