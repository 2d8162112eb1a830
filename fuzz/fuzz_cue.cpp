// Arbitrary bytes as a CUE sheet: the parse must end, keep at most 99 tracks, and give only
// clean UTF-8 text, one length for each track.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "music/CueSheet.h"
#include "music/TextEncoding.h"

namespace {

void CheckText(const std::string& text) {
    if (!IsValidUtf8(text))
        std::abort();
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TCueSheet sheet =
        ParseCueSheet(std::string_view(reinterpret_cast<const char*>(data), size));
    if (sheet.Tracks.size() > MaxCueTracks || sheet.Seconds().size() != sheet.Tracks.size())
        std::abort();
    CheckText(sheet.Title);
    CheckText(sheet.Performer);
    for (const TCueTrack& track : sheet.Tracks) {
        CheckText(track.Title);
        CheckText(track.Performer);
        if (track.Number < 0 || track.Number > 99 || track.StartFrames < -1)
            std::abort();
    }
    for (int seconds : sheet.Seconds())
        if (seconds < -1)
            std::abort();
    return 0;
}
