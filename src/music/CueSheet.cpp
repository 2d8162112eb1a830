// The CUE sheet parser: one command a line, its arguments quoted or bare.
#include "music/CueSheet.h"
#include "toolkit/AsciiText.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sys/stat.h>

#include "music/AudioTags.h"
#include "music/TextEncoding.h"

namespace {

constexpr int FramesPerSecond = 75;

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

// The line's words: a quoted word runs to its closing quote (or the line's end), a bare one
// to the next blank. Control characters in values become spaces.
std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (true) {
        while (i < line.size() && Blank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        std::string word;
        if (line[i] == '"') {
            const size_t close = line.find('"', i + 1);
            const size_t end = close == std::string_view::npos ? line.size() : close;
            word = line.substr(i + 1, end - i - 1);
            i = end == line.size() ? end : end + 1;
        } else {
            const size_t start = i;
            while (i < line.size() && !Blank(line[i]))
                ++i;
            word = line.substr(start, i - start);
        }
        for (char& c : word)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                c = ' ';
        words.push_back(std::move(word));
    }
    return words;
}

std::optional<int> Number(const std::string& text, int most) {
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > most)
        return std::nullopt;
    return value;
}

// "mm:ss:ff" in frames.
std::optional<int> Frames(const std::string& text) {
    const size_t first = text.find(':');
    const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos)
        return std::nullopt;
    const auto minutes = Number(text.substr(0, first), 99999);
    const auto seconds = Number(text.substr(first + 1, second - first - 1), 59);
    const auto frames = Number(text.substr(second + 1), FramesPerSecond - 1);
    if (!minutes || !seconds || !frames)
        return std::nullopt;
    return (*minutes * 60 + *seconds) * FramesPerSecond + *frames;
}

// A line shown in a note: cut, so that a sheet of garbage does not make a huge note.
std::string Shown(std::string_view line) {
    constexpr size_t Most = 60;
    std::string shown(line.substr(0, Most));
    if (line.size() > Most) {
        while (!shown.empty() && (static_cast<unsigned char>(shown.back()) & 0xC0) == 0x80)
            shown.pop_back();
        if (!shown.empty() && static_cast<unsigned char>(shown.back()) >= 0xC0)
            shown.pop_back();
        shown += "…";
    }
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    return shown;
}

class TCueParser {
public:
    void Line(std::string_view line, int number);
    TCueSheet Sheet;

private:
    void Note(int number, std::string_view line) {
        Sheet.Notes.push_back(Format(Msg::CueLineSkipped, number, Shown(line).c_str()));
    }
    std::string File_;
    bool InTrack_ = false;
    bool Dropping_ = false; // past the last track kept: its lines go unread
    bool NotedTooMany_ = false;
};

void TCueParser::Line(std::string_view line, int number) {
    const std::vector<std::string> words = Words(line);
    if (words.empty())
        return;
    const std::string command = AsciiLowerCase(words[0]);
    const auto value = [&]() -> std::string {
        return words.size() > 1 ? words[1] : "";
    };
    if (command == "rem" || command == "catalog" || command == "cdtextfile" ||
        command == "songwriter" || command == "isrc" || command == "flags" || command == "pregap" ||
        command == "postgap")
        return;
    if (command == "file" && words.size() >= 2) {
        File_ = words[1];
        return;
    }
    if (command == "track") {
        const auto trackNumber = words.size() >= 2 ? Number(words[1], 99) : std::nullopt;
        if (!trackNumber) {
            Note(number, line);
            Dropping_ = true;
            return;
        }
        if (Sheet.Tracks.size() >= MaxCueTracks) {
            if (!NotedTooMany_)
                Sheet.Notes.push_back(Format(Msg::CueTooManyTracks, int(MaxCueTracks)));
            NotedTooMany_ = true;
            Dropping_ = true;
            return;
        }
        Dropping_ = false;
        InTrack_ = true;
        Sheet.Tracks.push_back({*trackNumber, "", "", -1, File_});
        return;
    }
    if (Dropping_)
        return;
    if (command == "title" || command == "performer") {
        std::string& field = command == "title"
                                 ? (InTrack_ ? Sheet.Tracks.back().Title : Sheet.Title)
                                 : (InTrack_ ? Sheet.Tracks.back().Performer : Sheet.Performer);
        field = value();
        return;
    }
    if (command == "index" && InTrack_ && words.size() >= 3) {
        const auto index = Number(words[1], 99);
        const auto frames = Frames(words[2]);
        if (index && frames) {
            if (*index == 1)
                Sheet.Tracks.back().StartFrames = *frames;
            return;
        }
    }
    Note(number, line);
}

} // namespace

namespace {

// The audio file a sheet names; a sheet written beside a WAV file often names it still after
// the audio was compressed, so the same name with another audio extension is tried too.
std::optional<TAudioTrack> ReadSheetAudio(const std::string& path) {
    if (std::optional<TAudioTrack> track = ReadAudioTrack(path))
        return track;
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    for (const char* ext : {"flac", "wv", "m4a", "mp3", "ogg", "opus", "wav", "aiff"})
        if (std::optional<TAudioTrack> track = ReadAudioTrack(path.substr(0, dot + 1) + ext))
            return track;
    return std::nullopt;
}

} // namespace

TCueSheet ParseCueSheet(std::string_view bytes) {
    bool cut = false;
    if (bytes.size() > MaxCueBytes) {
        bytes = bytes.substr(0, MaxCueBytes);
        cut = true;
    }
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    std::string text;
    if (IsValidUtf8(bytes)) {
        text = bytes;
    } else if (cut && IsValidUtf8(bytes.substr(0, bytes.find_last_of('\n') + 1))) {
        // The cut may have split a character of a UTF-8 sheet: its last line is dropped.
        text = bytes.substr(0, bytes.find_last_of('\n') + 1);
    } else {
        text = Windows1252ToUtf8(bytes);
    }
    TCueParser parser;
    size_t pos = 0;
    int number = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        parser.Line(std::string_view(text).substr(pos, end - pos), ++number);
        pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    if (cut)
        parser.Sheet.Notes.push_back(Msg::CueCut.Text());
    return std::move(parser.Sheet);
}

std::vector<int> TCueSheet::Seconds() const {
    std::vector<int> seconds;
    for (size_t i = 0; i < Tracks.size(); ++i) {
        const TCueTrack& track = Tracks[i];
        if (i + 1 == Tracks.size() || Tracks[i + 1].File != track.File) {
            seconds.push_back(track.FileEndSeconds);
            continue;
        }
        const TCueTrack& next = Tracks[i + 1];
        const int frames = next.StartFrames - track.StartFrames;
        if (track.StartFrames < 0 || next.StartFrames < 0 || frames < 0)
            seconds.push_back(-1);
        else
            seconds.push_back((frames + FramesPerSecond / 2) / FramesPerSecond);
    }
    return seconds;
}

TCueSheet ReadCueSheet(const std::string& path) {
    // Only a regular file: a pipe would block the reading, a device never end it.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        throw EMusicError(Format(Msg::CueUnreadable, path.c_str()));
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw EMusicError(Format(Msg::CueUnreadable, path.c_str()));
    std::string bytes(MaxCueBytes + 1, '\0');
    in.read(bytes.data(), std::streamsize(bytes.size()));
    if (in.bad())
        throw EMusicError(Format(Msg::CueUnreadable, path.c_str()));
    bytes.resize(size_t(in.gcount()));
    if (bytes.size() > MaxCueBytes)
        throw EMusicError(Format(Msg::CueTooLarge, path.c_str(), int(MaxCueBytes / 1024)));
    TCueSheet sheet = ParseCueSheet(bytes);
    const size_t slash = path.find_last_of('/');
    for (size_t i = 0; i < sheet.Tracks.size(); ++i) {
        TCueTrack& track = sheet.Tracks[i];
        const bool lastOfFile =
            i + 1 == sheet.Tracks.size() || sheet.Tracks[i + 1].File != track.File;
        if (!lastOfFile || track.File.empty() || track.StartFrames < 0)
            continue;
        // Named relative to the sheet, with either kind of slash.
        std::string name = track.File;
        std::replace(name.begin(), name.end(), '\\', '/');
        const std::string audio = name.starts_with('/') || slash == std::string::npos
                                      ? name
                                      : path.substr(0, slash + 1) + name;
        const std::optional<TAudioTrack> file = ReadSheetAudio(audio);
        const int start = (track.StartFrames + FramesPerSecond / 2) / FramesPerSecond;
        if (file && file->Seconds >= start)
            track.FileEndSeconds = file->Seconds - start;
    }
    return sheet;
}
