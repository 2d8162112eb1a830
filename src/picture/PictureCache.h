// Decoded pictures kept by file, so that a picture shown again (an undone step, the same
// file in both parts) is not decoded anew. The pictures in use are always kept; of the rest
// only the few used last, so that trying one picture after another does not keep them all
// in memory.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <set>
#include <string>
#include <string_view>

class TPicture;

class TPictureCache {
public:
    // At most this many pictures not in use stay decoded.
    static constexpr size_t KeptUnused = 2;

    TPictureCache();
    ~TPictureCache();
    TPictureCache(const TPictureCache&) = delete;
    TPictureCache& operator=(const TPictureCache&) = delete;

    // The file's picture, decoded when it is not kept (or always, when fresh is set, so
    // that a file chosen again is read as it is now). Raises the picture layer's error
    // when the file cannot be loaded; what is kept then stays as it was.
    const TPicture& Load(const std::string& file, bool fresh = false);
    // A picture that is no file, kept under key (one no file name can be, such as one
    // holding a zero byte) and decoded from bytes of the extension's kind when it is not
    // kept. Raises as Load does.
    const TPicture& LoadBytes(const std::string& key, std::string_view bytes,
                              std::string_view extension);
    // The files now in use; the others beyond KeptUnused are let go, those used longest
    // ago first.
    void SetInUse(std::set<std::string> files);
    // Which decoding of the file is kept: a number that changes with every decoding and is
    // never given twice; 0 when the file is not kept.
    uint64_t Generation(const std::string& file) const;
    // How many pictures are decoded and kept.
    size_t Size() const { return Entries_.size(); }

private:
    struct TEntry;
    // The entry kept under key, decoded by load when it is not kept or fresh is set.
    template <typename Loader>
    const TPicture& Keep(const std::string& key, bool fresh, Loader load);
    void Trim();

    std::list<TEntry> Entries_; // the one used last first
    std::set<std::string> InUse_;
    uint64_t LastGeneration_ = 0;
};
