#include "picture/PictureCache.h"

#include <algorithm>

#include "picture/Picture.h"

struct TPictureCache::TEntry {
    std::string File;
    std::unique_ptr<TPicture> Picture;
    uint64_t Generation = 0;
};

TPictureCache::TPictureCache() = default;

TPictureCache::~TPictureCache() = default;

template <typename Loader>
const TPicture& TPictureCache::Keep(const std::string& key, bool fresh, Loader load) {
    auto found = std::find_if(Entries_.begin(), Entries_.end(),
                              [&](const TEntry& entry) { return entry.File == key; });
    if (found != Entries_.end() && !fresh) {
        Entries_.splice(Entries_.begin(), Entries_, found);
        return *Entries_.front().Picture;
    }
    auto picture = std::make_unique<TPicture>();
    load(*picture);
    if (found != Entries_.end())
        Entries_.erase(found);
    Entries_.push_front({key, std::move(picture), ++LastGeneration_});
    Trim();
    return *Entries_.front().Picture;
}

const TPicture& TPictureCache::Load(const std::string& file, bool fresh) {
    return Keep(file, fresh, [&](TPicture& picture) { picture.LoadByExtension(file); });
}

const TPicture& TPictureCache::LoadBytes(const std::string& key, std::string_view bytes,
                                         std::string_view extension) {
    return Keep(key, false, [&](TPicture& picture) { picture.LoadFromBytes(bytes, extension); });
}

uint64_t TPictureCache::Generation(const std::string& file) const {
    for (const TEntry& entry : Entries_)
        if (entry.File == file)
            return entry.Generation;
    return 0;
}

void TPictureCache::SetInUse(std::set<std::string> files) {
    InUse_ = std::move(files);
    Trim();
}

void TPictureCache::Trim() {
    size_t unused = 0;
    for (auto entry = Entries_.begin(); entry != Entries_.end();) {
        // The one just loaded is about to be used, so it counts as in use.
        const bool kept =
            entry == Entries_.begin() || InUse_.count(entry->File) > 0 || ++unused <= KeptUnused;
        entry = kept ? std::next(entry) : Entries_.erase(entry);
    }
}
