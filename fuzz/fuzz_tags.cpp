// Arbitrary bytes as an audio file through TagLib and our reading of it: the first byte
// picks the kind, the rest is the file. Reading must end without a crash and give clean
// one-line text, a sane length and only JPEG or PNG art within the size bound.
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string_view>

#include "music/AudioTags.h"

namespace {

constexpr std::string_view Kinds[] = {"mp3", "flac", "ogg", "opus", "m4a", "wv", "wav", "aiff"};

void CheckLine(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::string_view kind = Kinds[data[0] % std::size(Kinds)];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (const std::optional<TAudioTrack> track = ReadAudioTrackFromBytes(bytes, kind)) {
        for (const std::string* text :
             {&track->Title, &track->Artist, &track->Album, &track->AlbumArtist})
            CheckLine(*text);
        if (track->Seconds < -1 || track->Number < 0 || track->Disc < 0)
            std::abort();
    }
    if (const std::optional<TEmbeddedArt> art = ReadEmbeddedArtFromBytes(bytes, kind)) {
        if (art->Bytes.size() > MaxEmbeddedArtBytes)
            std::abort();
        const bool jpeg = art->Extension == "jpg" && art->Bytes.starts_with("\xFF\xD8\xFF");
        const bool png = art->Extension == "png" && art->Bytes.starts_with("\x89PNG");
        if (!jpeg && !png)
            std::abort();
    }
    return 0;
}
