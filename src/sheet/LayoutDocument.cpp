#include "sheet/LayoutDocument.h"

#include <QCryptographicHash>
#include <array>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "picture/Picture.h"
#include "sheet/CoverTextFile.h"
#include "sheet/LayoutPictures.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/IniFile.h"
#include "toolkit/SafeFile.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* CoverKey = "cover";
constexpr const char* BackKey = "back";
constexpr const char* WrapKey = "wrap";
constexpr const char* DiscKey = "disc";
// Which of the keys above name a file the program made from held bytes ("cover,disc").
constexpr const char* MadeKey = "made";
// The name a held picture has while the layout is untitled.
constexpr const char* UntitledPictureName = "Bild";
// How many other names a held picture tries when a different file has taken its name.
constexpr int MaxNameTries = 100;
// A picture file copied along with its layout is read whole; one larger than this is no
// picture the picture layer would load.
constexpr uint64_t MaxCopiedPicture = uint64_t{2} << 30;

// A layout is a few lines; anything this large is some other file.
constexpr uint64_t MaxLayoutSize = uint64_t{1} << 20;

const std::string& LayoutSection() {
    return TApplication::Title();
}

// The whole file in one open and one read, or the message that says why it is no layout.
std::string ReadLayoutText(const std::string& fileName) {
    const char* name = fileName.c_str();
    struct stat info {};
    const int fd = OpenRegularFile(fileName, info);
    if (fd < 0)
        throw EFOpenError(
            Format(errno == ENOENT || errno == ENOTDIR ? Msg::LayoutMissing : Msg::LayoutUnreadable,
                   name));
    TFd file(fd);
    std::string text;
    if (!ReadAll(file.Get(), text, MaxLayoutSize))
        throw EReadError(Format(
            info.st_size > off_t(MaxLayoutSize) ? Msg::NotALayout : Msg::LayoutUnreadable, name));
    return text;
}

// Where the entry points when the layout lies in folder; only a path relative in the
// system's sense, and not one written the Windows way, depends on the folder.
bool DependsOnFolder(const std::optional<std::string>& entry) {
    return entry && !entry->empty() && fs::path(*entry).is_relative() && !IsWindowsPath(*entry);
}

// The folder a file lies in, absolute and without "." or "..".
fs::path FolderOf(const std::string& file) {
    const fs::path folder = fs::path(file).parent_path();
    std::error_code error;
    const fs::path absolute =
        folder.empty() ? fs::current_path(error) : fs::absolute(folder, error);
    return (error ? folder : absolute).lexically_normal();
}

// The document's pictures with their keys, in the order the file lists them.
template <typename Document> auto PictureKeys(Document& document) {
    return std::array{std::pair{CoverKey, &document.Cover}, std::pair{BackKey, &document.Back},
                      std::pair{WrapKey, &document.Wrap}, std::pair{DiscKey, &document.Disc}};
}

// Whether the comma-separated list names key.
bool ListsKey(std::string_view list, std::string_view key) {
    while (!list.empty()) {
        const size_t comma = list.find(',');
        std::string_view item = list.substr(0, comma);
        while (!item.empty() && item.front() == ' ')
            item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ')
            item.remove_suffix(1);
        if (item == key)
            return true;
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return false;
}

// Whether path is a regular file holding exactly bytes.
bool HoldsBytes(const fs::path& path, std::string_view bytes) {
    struct stat info {};
    const int fd = OpenRegularFile(path.string(), info);
    if (fd < 0)
        return false;
    TFd file(fd);
    std::string text;
    return uint64_t(info.st_size) == bytes.size() && ReadAll(file.Get(), text, bytes.size()) &&
           text == bytes;
}

// Puts bytes into folder as "base.extension", or "base-2.extension" … where another file
// has taken that name; an identical file is used as it is. Answers the name; a file it made
// is added to made, so a failed save can remove it again.
std::string PlacePictureFile(const fs::path& folder, const std::string& base,
                             const std::string& extension, std::string_view bytes,
                             std::vector<std::string>& made) {
    for (int n = 1; n <= MaxNameTries; ++n) {
        std::string name = base;
        if (n > 1)
            name += "-" + std::to_string(n);
        name += ".";
        name += extension;
        const fs::path path = folder / name;
        std::error_code error;
        if (fs::exists(fs::symlink_status(path, error))) {
            if (HoldsBytes(path, bytes))
                return name;
            continue;
        }
        const TReplaceTarget target = ExamineTarget(path.string());
        if (target.State != TTargetState::New || !ReplaceFile(target.Path, bytes, nullptr))
            throw EWriteError(Format(Msg::PictureWriteError, path.string().c_str()));
        made.push_back(path.string());
        return name;
    }
    throw EWriteError(
        Format(Msg::PictureWriteError, (folder / (base + "." + extension)).string().c_str()));
}

// Makes a held picture the file it becomes beside the layout in folder.
void PlaceHeldPicture(TLayoutPicture& picture, const fs::path& folder,
                      const std::string& layoutName, std::vector<std::string>& made) {
    const THeldPicture& held = *picture.Held;
    const std::string name =
        PlacePictureFile(folder, layoutName + "." + held.Hash, held.Extension, held.Bytes, made);
    picture.Entry = name;
    picture.Resolved = (folder / name).string();
    picture.Missing = false;
    picture.Held.reset();
    picture.Made = true;
}

// Copies a picture the program made into folder, under its name, when it lies elsewhere.
void CopyMadePicture(TLayoutPicture& picture, const fs::path& folder,
                     std::vector<std::string>& made) {
    const fs::path source(picture.Resolved);
    if (FolderOf(picture.Resolved) == folder || !source.has_extension())
        return;
    struct stat info {};
    const int fd = OpenRegularFile(picture.Resolved, info);
    if (fd < 0)
        throw EFOpenError(Format(Msg::FOpenError, picture.Resolved.c_str()));
    TFd file(fd);
    std::string bytes;
    if (!ReadAll(file.Get(), bytes, MaxCopiedPicture))
        throw EReadError(Format(Msg::FOpenError, picture.Resolved.c_str()));
    const std::string extension = source.extension().string().substr(1);
    const std::string name =
        PlacePictureFile(folder, source.stem().string(), extension, bytes, made);
    picture.Entry = name;
    picture.Resolved = (folder / name).string();
}

void LocatePicture(TLayoutPicture& picture, const std::string& layoutFile, bool& moved) {
    picture.Resolved.clear();
    picture.Missing = false;
    if (picture.File().empty())
        return;
    const TPictureLocation location = LocateLayoutPicture(layoutFile, *picture.Entry);
    switch (location.Found) {
    case TPictureFound::Stored:
        picture.Resolved = location.Path;
        break;
    case TPictureFound::InLayoutFolder:
        picture.Entry = location.Path;
        picture.Resolved = location.Path;
        moved = true;
        break;
    case TPictureFound::Missing:
        picture.Missing = true;
        break;
    }
}

// The "made" list: the keys whose pictures the program made.
std::string MadeList(const TLayoutDocument& document) {
    std::string made;
    for (const auto& [key, picture] : PictureKeys(document))
        if (picture->Made && !picture->File().empty())
            made += (made.empty() ? "" : ",") + std::string(key);
    return made;
}

// The picture entries, the placements and the sheet settings of the layout's section, as
// edits of the text current holds.
TIniEdit LayoutEdit(const TIniText& current, const TLayoutDocument& document) {
    const std::string& section = LayoutSection();
    TIniEdit edit{
        section, {{CoverKey, document.Cover.File()}, {BackKey, document.Back.File()}}, {}};
    // A picture only some layouts have is stored only while it is set.
    for (const auto& [key, picture] :
         {std::pair{WrapKey, &document.Wrap}, std::pair{DiscKey, &document.Disc}}) {
        if (picture->File().empty())
            edit.Removals.emplace_back(key);
        else
            edit.Values.emplace_back(key, picture->File());
    }
    if (const std::string made = MadeList(document); made.empty())
        edit.Removals.emplace_back(MadeKey);
    else
        edit.Values.emplace_back(MadeKey, made);
    AddSheetSettingEdits(current, section, document.Settings, edit.Values, edit.Removals);
    const TLayoutPlacements& placements = document.Placements;
    AddPlacementEdits(current, section, PlacementKeysOf(TSheetPart::Cover), placements.Cover,
                      edit.Values, edit.Removals);
    AddPlacementEdits(current, section, PlacementKeysOf(TSheetPart::Back), placements.Back,
                      edit.Values, edit.Removals);
    AddPlacementEdits(current, section, DiscPlacementKeys, placements.Disc, edit.Values,
                      edit.Removals);
    AddDiscSettingEdits(current, section, document.DiscSettings, edit.Values, edit.Removals);
    return edit;
}
} // namespace

std::string PictureHash(const std::string& bytes) {
    const QByteArray digest = QCryptographicHash::hash(
        QByteArrayView(bytes.data(), qsizetype(bytes.size())), QCryptographicHash::Sha256);
    return digest.toHex().left(16).toStdString();
}

bool TLayoutPicture::operator==(const TLayoutPicture& other) const {
    const bool sameHeld = Held && other.Held ? *Held == *other.Held : Held == other.Held;
    return Entry == other.Entry && Resolved == other.Resolved && Missing == other.Missing &&
           Made == other.Made && sameHeld;
}

TLayoutPicture HeldLayoutPicture(std::string bytes, const std::string& extension,
                                 std::string origin) {
    auto held = std::make_shared<THeldPicture>();
    held->Hash = PictureHash(bytes);
    held->Bytes = std::move(bytes);
    held->Extension = LowerCaseExtension(extension);
    held->Origin = std::move(origin);
    TLayoutPicture picture;
    picture.Entry = HeldPictureName({}, *held);
    picture.Held = std::move(held);
    return picture;
}

std::string HeldPictureName(const std::string& layoutFile, const THeldPicture& held) {
    const std::string name =
        layoutFile.empty() ? UntitledPictureName : fs::path(layoutFile).stem().string();
    return name + "." + held.Hash + "." + held.Extension;
}

void LoadLayoutPicture(TPicture& picture, const TLayoutPicture& part) {
    if (part.Held)
        picture.LoadFromBytes(part.Held->Bytes, part.Held->Extension);
    else if (!part.Resolved.empty())
        picture.LoadByExtension(part.Resolved);
}

TDiscLabel TLayoutDocument::DiscLabel() const {
    TDiscLabel label;
    label.Outer = DiscSettings.Outer.Value;
    label.Hole = DiscSettings.Hole.Value;
    label.Placement = Placements.Disc.Placement;
    label.Background = DiscSettings.Background.Value;
    label.Title = DiscText.Title;
    label.TitleStyle = DiscText.TitleStyle;
    label.Subtitle = DiscText.Subtitle;
    label.SubtitleStyle = DiscText.SubtitleStyle;
    label.Lines = DiscText.Lines;
    label.LinesStyle = DiscText.LinesStyle;
    return label;
}

TLayoutDocument ParseLayoutDocument(const TIniText& text) {
    const std::string& section = LayoutSection();
    TLayoutDocument document;
    document.Cover.Entry = text.Value(section, CoverKey);
    document.Back.Entry = text.Value(section, BackKey);
    document.Wrap.Entry = text.Value(section, WrapKey);
    document.Disc.Entry = text.Value(section, DiscKey);
    const std::string made = text.Value(section, MadeKey).value_or("");
    for (const auto& [key, picture] : PictureKeys(document))
        picture->Made = ListsKey(made, key);
    document.Placements = ReadLayoutPlacements(text, section);
    document.Settings = ReadSheetSettings(text, section);
    document.Text = ReadCoverText(text);
    document.DiscSettings = ReadDiscSettings(text, section);
    document.DiscText = ReadDiscText(text);
    return document;
}

TLayoutDocument ReadLayoutDocument(const std::string& fileName) {
    const TIniText text(ReadLayoutText(fileName));
    if (!text.HasSection(LayoutSection()))
        throw EReadError(Format(Msg::NotALayout, fileName.c_str()));
    return ParseLayoutDocument(text);
}

TPicturesFound LocatePictures(TLayoutDocument& document, const std::string& layoutFile) {
    // Both names are checked before either file is looked for, so a name no reader takes
    // fails the same whether or not such a file exists, and the document stays as it was.
    // With a wrap picture or a disc label, a layout needs no front or back key.
    const bool wrap = !document.Wrap.File().empty();
    const bool otherParts = wrap || document.HasDisc();
    for (const TLayoutPicture* picture : {&document.Cover, &document.Back})
        if (picture->Entry ? !picture->Entry->empty() : !otherParts)
            CheckPictureExtension(picture->File());
    if (wrap)
        CheckPictureExtension(document.Wrap.File());
    if (!document.Disc.File().empty())
        CheckPictureExtension(document.Disc.File());
    TPicturesFound found;
    LocatePicture(document.Cover, layoutFile, found.CoverMoved);
    LocatePicture(document.Back, layoutFile, found.BackMoved);
    LocatePicture(document.Wrap, layoutFile, found.WrapMoved);
    LocatePicture(document.Disc, layoutFile, found.DiscMoved);
    return found;
}

std::vector<TIniEdit> LayoutDocumentEdits(const TIniText& current,
                                          const TLayoutDocument& document) {
    std::vector<TIniEdit> edits = {LayoutEdit(current, document)};
    if (std::optional<TIniEdit> words = CoverTextEdit(current, document.Text))
        edits.push_back(std::move(*words));
    if (std::optional<TIniEdit> words = DiscTextEdit(current, document.DiscText))
        edits.push_back(std::move(*words));
    return edits;
}

TLayoutDocument WriteLayoutDocument(const std::string& fileName, const TLayoutDocument& document) {
    // A longer path would be cut when read, naming another file than the one saved.
    if (document.Cover.File().size() > IniMaxValueLength ||
        document.Back.File().size() > IniMaxValueLength ||
        document.Wrap.File().size() > IniMaxValueLength ||
        document.Disc.File().size() > IniMaxValueLength || !CoverTextFits(document.Text) ||
        !DiscTextFits(document.DiscText))
        throw EIniFileException(Format(Msg::IniWriteError, fileName.c_str()));
    TIniFile(fileName).Update(
        [&](const TIniText& current) { return LayoutDocumentEdits(current, document); });
    TLayoutDocument written = document;
    for (TLayoutPicture* picture : {&written.Cover, &written.Back})
        picture->Entry = picture->File();
    for (TLayoutPicture* picture : {&written.Wrap, &written.Disc})
        if (picture->File().empty())
            picture->Entry.reset();
    for (TPlacementRecord* record :
         {&written.Placements.Cover, &written.Placements.Back, &written.Placements.Disc})
        record->Read = PlacementEntriesToWrite(*record);
    return written;
}

TLayoutDocument SaveLayoutDocument(const std::string& fileName, const TLayoutDocument& document,
                                   const std::string& oldFile) {
    const fs::path folder = FolderOf(fileName);
    const bool moved = !oldFile.empty() && FolderOf(oldFile) != folder;
    TLayoutDocument saving = moved ? RebasedDocument(document, oldFile, fileName) : document;
    // The name HeldPictureName gives, without its hash and extension.
    const std::string layoutName = fs::path(fileName).stem().string();
    std::vector<std::string> made;
    try {
        for (const auto& [key, picture] : PictureKeys(saving)) {
            if (picture->Held)
                PlaceHeldPicture(*picture, folder, layoutName, made);
            else if (picture->Made && !picture->Resolved.empty())
                CopyMadePicture(*picture, folder, made);
        }
        return WriteLayoutDocument(fileName, saving);
    } catch (...) {
        // Pictures of a layout that was not saved would be files nothing refers to.
        for (const std::string& file : made)
            ::unlink(file.c_str());
        throw;
    }
}

bool LayoutChanged(const std::string& layoutFile, const TLayoutDocument& document) {
    for (const auto& [key, picture] : PictureKeys(document))
        if (picture->Held)
            return true;
    const TLayoutDocument stored =
        layoutFile.empty() ? TLayoutDocument{} : ParseLayoutDocument(TIniFile(layoutFile).Read());
    return document.Cover.File() != stored.Cover.File() ||
           document.Back.File() != stored.Back.File() ||
           document.Wrap.File() != stored.Wrap.File() ||
           document.Disc.File() != stored.Disc.File() ||
           !(document.Placements.Cover.Placement == stored.Placements.Cover.Placement) ||
           !(document.Placements.Back.Placement == stored.Placements.Back.Placement) ||
           !(document.Placements.Disc.Placement == stored.Placements.Disc.Placement) ||
           !(document.Settings == stored.Settings) || !(document.Text == stored.Text) ||
           !(document.DiscSettings == stored.DiscSettings) ||
           !(document.DiscText == stored.DiscText);
}

TLayoutDocument RebasedDocument(const TLayoutDocument& document, const std::string& oldFile,
                                const std::string& newFile) {
    const fs::path oldFolder = FolderOf(oldFile);
    const fs::path newFolder = FolderOf(newFile);
    TLayoutDocument rebased = document;
    if (oldFolder == newFolder)
        return rebased;
    for (TLayoutPicture* picture : {&rebased.Cover, &rebased.Back, &rebased.Wrap, &rebased.Disc}) {
        if (picture->Held || !DependsOnFolder(picture->Entry))
            continue;
        const fs::path target = (oldFolder / *picture->Entry).lexically_normal();
        const fs::path relative = target.lexically_relative(newFolder);
        picture->Entry = (relative.empty() ? target : relative).string();
    }
    return rebased;
}
