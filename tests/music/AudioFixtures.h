// Small audio files for the music tests, made from silence with the Debian encoders and
// tagged by them: each kind through its usual tool, so the tests read what real files hold.
#pragma once

#include <QImage>
#include <cstdlib>
#include <string>
#include <vector>

#include "TestSupport.h"

struct TTestTags {
    std::string Title, Artist, Album, AlbumArtist;
    int Track = 0; // 0: no tag
    int Disc = 0;  // 0: no tag
};

inline std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline bool HasTool(const char* tool) {
    return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
}

// Mono 16-bit PCM at 8000 Hz, all zero.
inline void WriteSilence(const std::string& path, int seconds = 1) {
    const uint32_t data = 8000u * 2u * uint32_t(seconds);
    std::vector<uint8_t> wav{'R', 'I', 'F', 'F'};
    Put32(wav, 36 + data);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(wav, 16);
    Put16(wav, 1);
    Put16(wav, 1);
    Put32(wav, 8000);
    Put32(wav, 16000);
    Put16(wav, 2);
    Put16(wav, 16);
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    Put32(wav, data);
    wav.resize(wav.size() + data, 0);
    WriteFileBytes(path, wav);
}

// The tool an audio file of this extension is made with.
inline const char* EncoderFor(const std::string& ext) {
    if (ext == "flac")
        return "flac";
    if (ext == "ogg")
        return "oggenc";
    if (ext == "opus")
        return "opusenc";
    if (ext == "mp3")
        return "lame";
    if (ext == "wv")
        return "wavpack";
    return "ffmpeg";
}

// Makes OUT (its kind from its extension) from silence with the tags given; art is a
// picture file to embed, or empty. Returns false when the encoder is missing or fails.
inline bool MakeAudio(const std::string& out, const TTestTags& tags, const std::string& art = "",
                      int seconds = 1) {
    const std::string ext = out.substr(out.find_last_of('.') + 1);
    if (!HasTool(EncoderFor(ext)))
        return false;
    const std::string wav = out + ".silence.wav";
    WriteSilence(wav, seconds);
    const auto q = ShellQuoted;
    std::string command;
    const auto add = [&](bool when, const std::string& option) {
        if (when)
            command += " " + option;
    };
    if (ext == "flac") {
        command = "flac -s -f";
        add(!tags.Title.empty(), q("--tag=TITLE=" + tags.Title));
        add(!tags.Artist.empty(), q("--tag=ARTIST=" + tags.Artist));
        add(!tags.Album.empty(), q("--tag=ALBUM=" + tags.Album));
        add(!tags.AlbumArtist.empty(), q("--tag=ALBUMARTIST=" + tags.AlbumArtist));
        add(tags.Track > 0, "--tag=TRACKNUMBER=" + std::to_string(tags.Track));
        add(tags.Disc > 0, "--tag=DISCNUMBER=" + std::to_string(tags.Disc));
        add(!art.empty(), q("--picture=3||||" + art));
        command += " -o " + q(out) + " " + q(wav);
    } else if (ext == "ogg") {
        command = "oggenc -Q";
        add(!tags.Title.empty(), "-t " + q(tags.Title));
        add(!tags.Artist.empty(), "-a " + q(tags.Artist));
        add(!tags.Album.empty(), "-l " + q(tags.Album));
        add(!tags.AlbumArtist.empty(), "-c " + q("ALBUMARTIST=" + tags.AlbumArtist));
        add(tags.Track > 0, "-N " + std::to_string(tags.Track));
        add(tags.Disc > 0, "-c DISCNUMBER=" + std::to_string(tags.Disc));
        command += " -o " + q(out) + " " + q(wav);
    } else if (ext == "opus") {
        command = "opusenc --quiet";
        add(!tags.Title.empty(), "--title " + q(tags.Title));
        add(!tags.Artist.empty(), "--artist " + q(tags.Artist));
        add(!tags.Album.empty(), "--album " + q(tags.Album));
        add(!tags.AlbumArtist.empty(), "--comment " + q("ALBUMARTIST=" + tags.AlbumArtist));
        add(tags.Track > 0, "--tracknumber " + std::to_string(tags.Track));
        add(tags.Disc > 0, "--comment DISCNUMBER=" + std::to_string(tags.Disc));
        add(!art.empty(), "--picture " + q("3||||" + art));
        command += " " + q(wav) + " " + q(out);
    } else if (ext == "mp3") {
        command = "lame --quiet";
        add(!tags.Title.empty(), "--tt " + q(tags.Title));
        add(!tags.Artist.empty(), "--ta " + q(tags.Artist));
        add(!tags.Album.empty(), "--tl " + q(tags.Album));
        add(!tags.AlbumArtist.empty(), "--tv " + q("TPE2=" + tags.AlbumArtist));
        add(tags.Track > 0, "--tn " + std::to_string(tags.Track));
        add(tags.Disc > 0, "--tv TPOS=" + std::to_string(tags.Disc));
        add(!art.empty(), "--ti " + q(art));
        command += " " + q(wav) + " " + q(out);
    } else if (ext == "wv") {
        command = "wavpack -q -y";
        add(!tags.Title.empty(), "-w " + q("Title=" + tags.Title));
        add(!tags.Artist.empty(), "-w " + q("Artist=" + tags.Artist));
        add(!tags.Album.empty(), "-w " + q("Album=" + tags.Album));
        add(!tags.AlbumArtist.empty(), "-w " + q("Album Artist=" + tags.AlbumArtist));
        add(tags.Track > 0, "-w Track=" + std::to_string(tags.Track));
        add(tags.Disc > 0, "-w Disc=" + std::to_string(tags.Disc));
        add(!art.empty(), "--write-binary-tag " + q("Cover Art (Front)=@" + art));
        command += " " + q(wav) + " -o " + q(out);
    } else {
        // m4a, aiff, wav: ffmpeg, with the picture as an attached stream where there is one.
        command = "ffmpeg -v error -y -i " + q(wav);
        add(!art.empty(), "-i " + q(art) + " -map 0 -map 1 -c:v copy -disposition:v attached_pic");
        add(ext == "m4a", "-c:a aac");
        add(ext == "aiff", "-write_id3v2 1");
        add(!tags.Title.empty(), "-metadata " + q("title=" + tags.Title));
        add(!tags.Artist.empty(), "-metadata " + q("artist=" + tags.Artist));
        add(!tags.Album.empty(), "-metadata " + q("album=" + tags.Album));
        add(!tags.AlbumArtist.empty(), "-metadata " + q("album_artist=" + tags.AlbumArtist));
        add(tags.Track > 0, "-metadata track=" + std::to_string(tags.Track));
        add(tags.Disc > 0, "-metadata disc=" + std::to_string(tags.Disc));
        command += " " + q(out);
    }
    const bool made = std::system((command + " >/dev/null 2>&1").c_str()) == 0;
    fs::remove(wav);
    return made;
}

// A picture file of one colour, in the format its extension names.
inline void MakePicture(const std::string& path, int width, int height) {
    SolidImage(width, height, qRgb(200, 40, 40)).save(QString::fromStdString(path));
}
