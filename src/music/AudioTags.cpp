// Audio files through TagLib. Each kind is opened by its own TagLib class, chosen by the
// file's extension, over a stream: a file on disk and bytes in memory take the same path.
#include "music/AudioTags.h"
#include "toolkit/AsciiText.h"

#include "music/TextEncoding.h"

#include <algorithm>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <taglib/aifffile.h>
#include <taglib/apeitem.h>
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4coverart.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>
#include <unistd.h>

namespace {

enum class TKind { None, Mpeg, Flac, Ogg, Opus, Mp4, WavPack, Wav, Aiff };

std::string_view ExtensionOf(std::string_view name) {
    const size_t slash = name.find_last_of('/');
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string_view::npos || dot == 0 ? std::string_view{} : name.substr(dot + 1);
}

TKind KindOf(std::string_view extension) {
    const std::string ext = AsciiLowerCase(extension);
    if (ext == "mp3")
        return TKind::Mpeg;
    if (ext == "flac")
        return TKind::Flac;
    if (ext == "ogg" || ext == "oga")
        return TKind::Ogg;
    if (ext == "opus")
        return TKind::Opus;
    if (ext == "m4a" || ext == "mp4" || ext == "m4b")
        return TKind::Mp4;
    if (ext == "wv")
        return TKind::WavPack;
    if (ext == "wav")
        return TKind::Wav;
    if (ext == "aif" || ext == "aiff")
        return TKind::Aiff;
    return TKind::None;
}

// The file opened as its kind, or nullptr when it is not a valid file of that kind. An
// ".ogg" file may hold Vorbis, Opus or FLAC.
std::unique_ptr<TagLib::File> Open(TagLib::IOStream* stream, TKind kind) {
    std::unique_ptr<TagLib::File> file;
    switch (kind) {
    case TKind::Mpeg:
        file =
            std::make_unique<TagLib::MPEG::File>(stream, TagLib::ID3v2::FrameFactory::instance());
        break;
    case TKind::Flac:
        file =
            std::make_unique<TagLib::FLAC::File>(stream, TagLib::ID3v2::FrameFactory::instance());
        break;
    case TKind::Ogg:
        file = std::make_unique<TagLib::Ogg::Vorbis::File>(stream);
        if (!file->isValid()) {
            stream->seek(0);
            file = std::make_unique<TagLib::Ogg::Opus::File>(stream);
        }
        if (!file->isValid()) {
            stream->seek(0);
            file = std::make_unique<TagLib::Ogg::FLAC::File>(stream);
        }
        break;
    case TKind::Opus:
        file = std::make_unique<TagLib::Ogg::Opus::File>(stream);
        break;
    case TKind::Mp4:
        file = std::make_unique<TagLib::MP4::File>(stream);
        break;
    case TKind::WavPack:
        file = std::make_unique<TagLib::WavPack::File>(stream);
        break;
    case TKind::Wav:
        file = std::make_unique<TagLib::RIFF::WAV::File>(stream);
        break;
    case TKind::Aiff:
        file = std::make_unique<TagLib::RIFF::AIFF::File>(stream);
        break;
    case TKind::None:
        break;
    }
    if (file && !file->isValid())
        file.reset();
    return file;
}

// ID3v1 and RIFF INFO tags say nothing of their encoding: UTF-8 is taken where the bytes are
// valid UTF-8, else Windows-1252 (TagLib would take Latin-1, or UTF-8 with damage).
class TUnknownEncoding : public TagLib::ID3v1::StringHandler,
                         public TagLib::RIFF::Info::StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override {
        // Fields are padded with zeros (or spaces) to their length.
        std::string_view bytes(data.data(), data.size());
        bytes = bytes.substr(0, bytes.find('\0'));
        return TagLib::String(TextToUtf8(bytes), TagLib::String::UTF8);
    }
    TagLib::ByteVector render(const TagLib::String& text) const override {
        return TagLib::ID3v1::StringHandler::render(text);
    }
};

void UseUnknownEncoding() {
    static TUnknownEncoding handler;
    static const bool set = [] {
        TagLib::ID3v1::Tag::setStringHandler(&handler);
        TagLib::RIFF::Info::Tag::setStringHandler(&handler);
        return true;
    }();
    (void)set;
}

// The tag the file's words are read from. TagLib gives a WAV file's ID3v2 tag even where
// only its INFO list holds words.
const TagLib::Tag* WordsTag(TagLib::File& file) {
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(&file))
        if (!wav->hasID3v2Tag() || wav->ID3v2Tag()->isEmpty())
            return wav->InfoTag();
    return file.tag();
}

// Tag text as one clean line: control characters become spaces, outer spaces go.
std::string Clean(const TagLib::String& text) {
    std::string line = text.to8Bit(true);
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    const size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

// The leading number of "3", "3/12" or " 03 ", or 0.
int LeadingNumber(const std::string& text) {
    size_t i = text.find_first_not_of(' ');
    int number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        number = number * 10 + (text[i] - '0');
        if (number > 9999)
            return 0;
    }
    return number;
}

int PropertyNumber(const TagLib::PropertyMap& properties, const char* key) {
    const auto found = properties.find(key);
    if (found == properties.end() || found->second.isEmpty())
        return 0;
    return LeadingNumber(Clean(found->second.front()));
}

std::string PropertyText(const TagLib::PropertyMap& properties, const char* key) {
    const auto found = properties.find(key);
    if (found == properties.end() || found->second.isEmpty())
        return {};
    return Clean(found->second.front());
}

struct TFileNameTitle {
    int Number = 0;
    std::string Title;
};

size_t Digits(std::string_view text, size_t pos) {
    size_t end = pos;
    while (end < text.size() && end - pos < 4 && text[end] >= '0' && text[end] <= '9')
        ++end;
    return end - pos;
}

// "01 - Title.mp3", "01. Title.flac", "1-01 Title.ogg", "01_Title.wav": the number in
// front and the title after it. A name that is only a number ("1984.mp3") keeps it as title.
TFileNameTitle TitleFromFileName(std::string_view path) {
    std::string_view name = path.substr(path.find_last_of('/') + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    size_t pos = 0;
    size_t digits = Digits(name, pos);
    if (digits == 0 || digits > 3)
        return {0, std::string(name)};
    // A disc number in front of the track number: "1-01".
    if (pos + digits < name.size() && name[pos + digits] == '-' &&
        Digits(name, pos + digits + 1) >= 2 && Digits(name, pos + digits + 1) <= 3) {
        pos += digits + 1;
        digits = Digits(name, pos);
    }
    const int number = LeadingNumber(std::string(name.substr(pos, digits)));
    size_t rest = pos + digits;
    const size_t afterBlank = name.find_first_not_of(' ', rest);
    if (afterBlank != std::string_view::npos &&
        (name[afterBlank] == '-' || name[afterBlank] == '.' || name[afterBlank] == '_'))
        rest = afterBlank + 1;
    else if (afterBlank == rest)
        return {0, std::string(name)}; // "1984abc": no separator, not a prefix
    const size_t start = name.find_first_not_of(' ', rest);
    if (start == std::string_view::npos)
        return {0, std::string(name)};
    return {number, std::string(name.substr(start))};
}

int FolderDisc(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string_view::npos || slash == 0)
        return 0;
    std::string_view folder = path.substr(0, slash);
    return DiscFolderNumber(folder.substr(folder.find_last_of('/') + 1));
}

TAudioTrack ReadTrack(TagLib::IOStream* stream, TKind kind, const std::string& path, bool& ok) {
    ok = false;
    TAudioTrack track;
    track.File = path;
    UseUnknownEncoding();
    const std::unique_ptr<TagLib::File> file = Open(stream, kind);
    if (file) {
        ok = true;
        if (const TagLib::Tag* tag = WordsTag(*file); tag && !tag->isEmpty()) {
            track.Tagged = true;
            track.Title = Clean(tag->title());
            track.Artist = Clean(tag->artist());
            track.Album = Clean(tag->album());
            track.Number = tag->track() <= 9999 ? int(tag->track()) : 0;
        }
        const TagLib::PropertyMap properties = file->properties();
        track.AlbumArtist = PropertyText(properties, "ALBUMARTIST");
        track.Disc = PropertyNumber(properties, "DISCNUMBER");
        if (!track.AlbumArtist.empty() || track.Disc > 0)
            track.Tagged = true;
        if (const TagLib::AudioProperties* audio = file->audioProperties()) {
            const int ms = audio->lengthInMilliseconds();
            // TagLib gives 0 for a length it could not find.
            if (ms > 0)
                track.Seconds = int((int64_t(ms) + 500) / 1000);
        }
        // Neither words nor a length: nothing shows that this is audio at all.
        ok = track.Tagged || track.Seconds >= 0;
    }
    if (track.Title.empty()) {
        TFileNameTitle fromName = TitleFromFileName(path);
        track.Title = std::move(fromName.Title);
        if (track.Number == 0)
            track.Number = fromName.Number;
    }
    if (track.Disc == 0)
        track.Disc = FolderDisc(path);
    return track;
}

bool IsFrontCover(int type) {
    return type == 3;
}

// "jpg" or "png" from the picture's first bytes; empty for any other kind.
std::string PictureExtension(const TagLib::ByteVector& bytes) {
    if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xD8 &&
        static_cast<unsigned char>(bytes[2]) == 0xFF)
        return "jpg";
    if (bytes.startsWith(TagLib::ByteVector("\x89PNG\r\n\x1a\n", 8)))
        return "png";
    return {};
}

// Among pictures (type, bytes), the front cover, else the first; usable ones only.
struct TCandidate {
    int Type;
    TagLib::ByteVector Bytes;
};
std::optional<TEmbeddedArt> Choose(const std::vector<TCandidate>& pictures,
                                   const std::string& path) {
    const TCandidate* chosen = nullptr;
    for (const TCandidate& picture : pictures) {
        if (picture.Bytes.size() > MaxEmbeddedArtBytes || PictureExtension(picture.Bytes).empty())
            continue;
        if (IsFrontCover(picture.Type)) {
            chosen = &picture;
            break;
        }
        if (!chosen)
            chosen = &picture;
    }
    if (!chosen)
        return std::nullopt;
    return TEmbeddedArt{std::string(chosen->Bytes.data(), chosen->Bytes.size()),
                        PictureExtension(chosen->Bytes), path};
}

void AddId3v2(TagLib::ID3v2::Tag* tag, std::vector<TCandidate>& pictures) {
    if (!tag)
        return;
    for (TagLib::ID3v2::Frame* frame : tag->frameList("APIC"))
        if (auto* apic = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame))
            pictures.push_back({int(apic->type()), apic->picture()});
}

void AddFlac(const TagLib::List<TagLib::FLAC::Picture*>& list, std::vector<TCandidate>& pictures) {
    for (const TagLib::FLAC::Picture* picture : list)
        pictures.push_back({int(picture->type()), picture->data()});
}

void AddXiph(TagLib::Ogg::XiphComment* comment, std::vector<TCandidate>& pictures) {
    if (comment)
        AddFlac(comment->pictureList(), pictures);
}

// APEv2 binary items hold a file name, a zero byte, then the picture.
void AddApe(TagLib::APE::Tag* tag, std::vector<TCandidate>& pictures) {
    if (!tag)
        return;
    const auto& items = tag->itemListMap();
    const auto found = items.find("COVER ART (FRONT)");
    if (found == items.end() || found->second.type() != TagLib::APE::Item::Binary)
        return;
    const TagLib::ByteVector data = found->second.binaryData();
    const int zero = data.find('\0');
    if (zero >= 0)
        pictures.push_back({3, data.mid(static_cast<unsigned>(zero) + 1)});
}

std::optional<TEmbeddedArt> ReadArt(TagLib::IOStream* stream, TKind kind, const std::string& path) {
    const std::unique_ptr<TagLib::File> file = Open(stream, kind);
    if (!file)
        return std::nullopt;
    std::vector<TCandidate> pictures;
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file.get())) {
        AddId3v2(mpeg->ID3v2Tag(), pictures);
    } else if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file.get())) {
        AddFlac(flac->pictureList(), pictures);
        AddXiph(flac->xiphComment(), pictures);
        AddId3v2(flac->ID3v2Tag(), pictures);
    } else if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file.get())) {
        if (TagLib::MP4::Tag* tag = mp4->tag(); tag && tag->contains("covr"))
            for (const TagLib::MP4::CoverArt& art : tag->item("covr").toCoverArtList())
                pictures.push_back({3, art.data()});
    } else if (auto* wavpack = dynamic_cast<TagLib::WavPack::File*>(file.get())) {
        AddApe(wavpack->APETag(), pictures);
    } else if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file.get())) {
        AddId3v2(wav->ID3v2Tag(), pictures);
    } else if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(file.get())) {
        AddId3v2(aiff->tag(), pictures);
    } else if (auto* ogg = dynamic_cast<TagLib::Ogg::File*>(file.get())) {
        AddXiph(dynamic_cast<TagLib::Ogg::XiphComment*>(ogg->tag()), pictures);
    }
    return Choose(pictures, path);
}

TagLib::ByteVector MemoryBytes(std::string_view bytes) {
    return TagLib::ByteVector(bytes.data(),
                              static_cast<unsigned>(std::min<size_t>(bytes.size(), 0x7fffffff)));
}

// The file opened for reading, or nullptr. Only a regular file is read: a pipe or a device
// named like an audio file would block the reader or never end. Opening without blocking and
// asking the open file costs one lookup of the path, not two.
std::unique_ptr<TagLib::FileStream> OpenRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    auto stream = std::make_unique<TagLib::FileStream>(fd, true);
    if (!stream->isOpen()) {
        ::close(fd);
        return nullptr;
    }
    return stream;
}

} // namespace

bool IsAudioFileName(std::string_view name) {
    return KindOf(ExtensionOf(name)) != TKind::None;
}

int DiscFolderNumber(std::string_view name) {
    const std::string lower = AsciiLowerCase(name);
    size_t pos = 0;
    for (const char* word : {"disc", "disk", "cd"})
        if (lower.starts_with(word)) {
            pos = std::char_traits<char>::length(word);
            break;
        }
    if (pos == 0)
        return 0;
    if (pos < lower.size() && (lower[pos] == ' ' || lower[pos] == '_' || lower[pos] == '-'))
        ++pos;
    const size_t digits = Digits(lower, pos);
    if (digits == 0 || digits > 2 || pos + digits != lower.size())
        return 0;
    return LeadingNumber(lower.substr(pos));
}

std::optional<TAudioTrack> ReadAudioTrack(const std::string& path) {
    const TKind kind = KindOf(ExtensionOf(path));
    if (kind == TKind::None)
        return std::nullopt;
    const std::unique_ptr<TagLib::FileStream> stream = OpenRegularFile(path);
    if (!stream)
        return std::nullopt;
    bool ok = false;
    TAudioTrack track = ReadTrack(stream.get(), kind, path, ok);
    if (!ok)
        return std::nullopt;
    return track;
}

std::optional<TEmbeddedArt> ReadEmbeddedArt(const std::string& path) {
    const TKind kind = KindOf(ExtensionOf(path));
    if (kind == TKind::None)
        return std::nullopt;
    const std::unique_ptr<TagLib::FileStream> stream = OpenRegularFile(path);
    if (!stream)
        return std::nullopt;
    return ReadArt(stream.get(), kind, path);
}

std::optional<TAudioTrack> ReadAudioTrackFromBytes(std::string_view bytes,
                                                   std::string_view extension) {
    TagLib::ByteVector data = MemoryBytes(bytes);
    TagLib::ByteVectorStream stream(data);
    bool ok = false;
    TAudioTrack track = ReadTrack(&stream, KindOf(extension), "", ok);
    if (!ok)
        return std::nullopt;
    return track;
}

std::optional<TEmbeddedArt> ReadEmbeddedArtFromBytes(std::string_view bytes,
                                                     std::string_view extension) {
    TagLib::ByteVector data = MemoryBytes(bytes);
    TagLib::ByteVectorStream stream(data);
    return ReadArt(&stream, KindOf(extension), "");
}
