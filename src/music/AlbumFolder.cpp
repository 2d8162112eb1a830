// Album folders: which files are the album's tracks and pictures, and what the tracks agree on.
#include "music/AlbumFolder.h"
#include "toolkit/AsciiText.h"

#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

struct TEntries {
    std::vector<std::string> Files;   // names, sorted by bytes
    std::vector<std::string> Folders; // names, sorted by bytes
};

// The folder's entries, or nullopt when it cannot be listed. Symbolic links count as what
// they point to.
std::optional<TEntries> List(const std::string& folder) {
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error)
        return std::nullopt;
    TEntries entries;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error)
            break;
        // The entry's type comes with the listing; only a link costs a look at its target.
        std::error_code typeError;
        const bool folder = it->is_directory(typeError);
        const bool file = !typeError && !folder && it->is_regular_file(typeError);
        if (typeError)
            continue;
        if (folder)
            entries.Folders.push_back(it->path().filename().string());
        else if (file)
            entries.Files.push_back(it->path().filename().string());
    }
    std::sort(entries.Files.begin(), entries.Files.end());
    std::sort(entries.Folders.begin(), entries.Folders.end());
    return entries;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string BaseName(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path.substr(path.find_last_of('/') + 1);
}

bool HoldsAudio(const TEntries& entries) {
    return std::any_of(entries.Files.begin(), entries.Files.end(),
                       [](const std::string& name) { return IsAudioFileName(name); });
}

// A disc subfolder that holds audio files: part of its parent's album.
bool IsDiscFolder(const std::string& parent, const std::string& name) {
    if (DiscFolderNumber(name) == 0)
        return false;
    const std::optional<TEntries> entries = List(Join(parent, name));
    return entries && HoldsAudio(*entries);
}

// Whether the name is STEM.jpg, .jpeg or .png for one of the stems, in any letter case.
bool IsPictureNamed(const std::string& name, std::initializer_list<const char*> stems) {
    const std::string lower = AsciiLowerCase(name);
    const size_t dot = lower.find_last_of('.');
    if (dot == std::string::npos)
        return false;
    const std::string ext = lower.substr(dot + 1);
    if (ext != "jpg" && ext != "jpeg" && ext != "png")
        return false;
    const std::string stem = lower.substr(0, dot);
    return std::any_of(stems.begin(), stems.end(), [&](const char* s) { return stem == s; });
}

// The picture with the most pixels (read from its header only), the first by name among
// equals; a picture whose size cannot be read counts as none.
std::string LargestPicture(const std::string& folder, const TEntries& entries,
                           std::initializer_list<const char*> stems) {
    std::string best;
    qint64 bestPixels = -1;
    for (const std::string& name : entries.Files) {
        if (!IsPictureNamed(name, stems))
            continue;
        const std::string path = Join(folder, name);
        QImageReader reader(QFile::decodeName(path.c_str()));
        const QSize size = reader.size();
        const qint64 pixels = size.isValid() ? qint64(size.width()) * size.height() : 0;
        if (pixels > bestPixels) {
            best = path;
            bestPixels = pixels;
        }
    }
    return best;
}

// The value most tracks give, the first of equals in track order; empty values do not count.
template <typename Value>
std::string MostCommon(const std::vector<TAudioTrack>& tracks, Value value) {
    std::map<std::string, int> counts;
    std::string best;
    int bestCount = 0;
    for (const TAudioTrack& track : tracks) {
        const std::string& text = value(track);
        if (text.empty())
            continue;
        const int count = ++counts[text];
        if (count > bestCount) {
            best = text;
            bestCount = count;
        }
    }
    return best;
}

void ReadTracks(const std::string& folder, const TEntries& entries, TAlbum& album) {
    for (const std::string& name : entries.Files) {
        if (!IsAudioFileName(name))
            continue;
        const std::string path = Join(folder, name);
        if (std::optional<TAudioTrack> track = ReadAudioTrack(path))
            album.Tracks.push_back(std::move(*track));
        else
            album.Notes.push_back(Format(Msg::AudioFileSkipped, path.c_str()));
    }
}

void FillFromTracks(TAlbum& album) {
    std::stable_sort(album.Tracks.begin(), album.Tracks.end(),
                     [](const TAudioTrack& a, const TAudioTrack& b) {
                         if (a.Disc != b.Disc)
                             return a.Disc < b.Disc;
                         if (a.Number != b.Number)
                             return a.Number < b.Number;
                         return a.File < b.File;
                     });
    std::set<int> discs;
    std::set<std::string> artists;
    for (const TAudioTrack& track : album.Tracks) {
        discs.insert(track.Disc);
        if (!track.Artist.empty())
            artists.insert(track.Artist);
    }
    album.Discs = std::max<int>(1, int(discs.size()));
    album.Title = MostCommon(album.Tracks,
                             [](const TAudioTrack& t) -> const std::string& { return t.Album; });
    if (album.Title.empty())
        album.Title = BaseName(album.Folder);
    album.Artist = MostCommon(
        album.Tracks, [](const TAudioTrack& t) -> const std::string& { return t.AlbumArtist; });
    const bool everyTrackHasArtist =
        std::all_of(album.Tracks.begin(), album.Tracks.end(),
                    [](const TAudioTrack& t) { return !t.Artist.empty(); });
    if (album.Artist.empty() && artists.size() == 1 && everyTrackHasArtist)
        album.Artist = *artists.begin();
    album.Compilation = album.Artist.empty() && artists.size() > 1;
}

} // namespace

bool IsAlbumFolder(const std::string& folder) {
    const std::optional<TEntries> entries = List(folder);
    if (!entries)
        return false;
    if (HoldsAudio(*entries))
        return true;
    return std::any_of(entries->Folders.begin(), entries->Folders.end(),
                       [&](const std::string& name) { return IsDiscFolder(folder, name); });
}

TAlbum ReadAlbumFolder(const std::string& folder) {
    const std::optional<TEntries> entries = List(folder);
    if (!entries)
        throw EMusicError(Format(Msg::FolderUnreadable, folder.c_str()));
    TAlbum album;
    album.Folder = folder;
    ReadTracks(folder, *entries, album);
    for (const std::string& name : entries->Folders) {
        if (DiscFolderNumber(name) == 0)
            continue;
        const std::string discFolder = Join(folder, name);
        if (const std::optional<TEntries> disc = List(discFolder))
            ReadTracks(discFolder, *disc, album);
    }
    if (album.Tracks.empty())
        throw EMusicError(Format(Msg::NoAudioFile, folder.c_str()));
    FillFromTracks(album);
    album.FrontFile = LargestPicture(folder, *entries, {"cover", "folder", "front", "albumart"});
    album.BackFile = LargestPicture(folder, *entries, {"back"});
    if (album.FrontFile.empty())
        for (const TAudioTrack& track : album.Tracks)
            if ((album.FrontArt = ReadEmbeddedArt(track.File)))
                break;
    return album;
}

namespace {

// Folders already visited, by device and inode, so that a link back up is not followed.
using TVisited = std::set<std::pair<dev_t, ino_t>>;

bool FirstVisit(const std::string& folder, TVisited& visited) {
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0)
        return false;
    return visited.insert({info.st_dev, info.st_ino}).second;
}

void Walk(const std::string& folder, const TEntries& entries, TVisited& visited,
          const std::function<void(const std::string&)>& found) {
    bool album = HoldsAudio(entries);
    std::vector<std::string> below;
    for (const std::string& name : entries.Folders) {
        if (IsDiscFolder(folder, name))
            album = true;
        else
            below.push_back(name);
    }
    if (album)
        found(folder);
    for (const std::string& name : below) {
        const std::string child = Join(folder, name);
        if (!FirstVisit(child, visited))
            continue;
        if (const std::optional<TEntries> childEntries = List(child))
            Walk(child, *childEntries, visited, found);
    }
}

} // namespace

void ForEachAlbumFolder(const std::string& root,
                        const std::function<void(const std::string&)>& found) {
    const std::optional<TEntries> entries = List(root);
    TVisited visited;
    if (!entries || !FirstVisit(root, visited))
        throw EMusicError(Format(Msg::FolderUnreadable, root.c_str()));
    Walk(root, *entries, visited, found);
}
