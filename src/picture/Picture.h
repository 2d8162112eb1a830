// The picture holder and the registry of picture file formats. A picture holds at most one
// graphic, loads files by their extension and can be copied or emptied.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "picture/Graphic.h"
#include "toolkit/Translation.h"

namespace Msg {
inline constexpr TMsg MetafileDescription{QT_TRANSLATE_NOOP("Msg", "Metadateien")};
inline constexpr TMsg EnhancedMetafileDescription{
    QT_TRANSLATE_NOOP("Msg", "Erweiterte Metadateien")};
inline constexpr TMsg BitmapDescription{QT_TRANSLATE_NOOP("Msg", "Bitmaps")};
inline constexpr TMsg UnknownExtension{
    QT_TRANSLATE_NOOP("Msg", "Unbekannte Bilddateierweiterung (.%s)")};
} // namespace Msg

// The process-wide, ordered list of picture file formats. Later entries override earlier
// ones for the same extension.
class TFileFormatsList {
public:
    struct Entry {
        std::string Extension; // lower case, without the dot
        std::string Description;
        const TGraphicClass* Kind;
    };

    // The list, created with its built-in entries on first use.
    static TFileFormatsList& Instance();

    void AddFormat(std::string_view extension, std::string_view description,
                   const TGraphicClass& kind);
    // Removes every entry of the kind.
    void RemoveFormats(const TGraphicClass& kind);
    // The kind registered for the extension, newest entry first; none when unknown.
    const TGraphicClass* FindKind(std::string_view extension) const;
    const std::vector<Entry>& Entries() const { return Entries_; }

private:
    TFileFormatsList();
    std::vector<Entry> Entries_;
};

// The extension of a path: the text after its last ".", unless a folder separator comes
// after that dot; empty otherwise.
std::string ExtractExtension(std::string_view path);

// Fails with EInvalidGraphic ("Unbekannte Bilddateierweiterung (.x)") unless a picture
// reader is registered for the path's extension. Only the name counts: the file need not
// exist.
void CheckPictureExtension(std::string_view path);

// Lower-cases ASCII letters and the Latin-1 letters of a UTF-8 string.
std::string LowerCaseExtension(std::string_view extension);

class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    // Replaces the content with the file's picture, the kind chosen by the extension.
    // On failure raises and keeps the previous content.
    void LoadByExtension(const std::string& path);
    // Replaces the content with the picture the bytes encode, the kind chosen by extension
    // ("png", "jpg"), with the same guards and messages as a file of that kind.
    void LoadFromBytes(std::string_view bytes, std::string_view extension);
    // Takes over the other picture's content (sharing its image data), or becomes empty.
    void CopyFrom(const TPicture* source);
    void CopyFrom(const TGraphic* source);

    TGraphic* Content() const { return Content_.get(); }
    int Width() const;
    int Height() const;

    // Called after every change of content.
    std::function<void(TPicture&)> OnChange;
    // Receives the content's decoding progress.
    TProgressEvent OnProgress;

private:
    void Install(std::unique_ptr<TGraphic> graphic);
    void Changed();
    void Route(TGraphic& graphic);

    std::unique_ptr<TGraphic> Content_;
};
