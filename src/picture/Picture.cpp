#include "picture/Picture.h"

#include "picture/Bitmap.h"
#include "picture/IcoReader.h"
#include "picture/Icon.h"
#include "picture/Metafile.h"
#include "toolkit/AsciiText.h"
#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

TFileFormatsList::TFileFormatsList() {
    AddFormat("wmf", Msg::MetafileDescription.Text(), TMetafile::Class);
    AddFormat("emf", Msg::EnhancedMetafileDescription.Text(), TMetafile::Class);
    AddFormat("ico", Msg::IconDescription.Text(), TIcon::Class);
    AddFormat("bmp", Msg::BitmapDescription.Text(), TBitmap::Class);
}

TFileFormatsList& TFileFormatsList::Instance() {
    static TFileFormatsList list;
    return list;
}

void TFileFormatsList::AddFormat(std::string_view extension, std::string_view description,
                                 const TGraphicClass& kind) {
    Entries_.push_back({LowerCaseExtension(extension), std::string(description), &kind});
}

void TFileFormatsList::RemoveFormats(const TGraphicClass& kind) {
    std::erase_if(Entries_, [&](const Entry& entry) { return entry.Kind == &kind; });
}

const TGraphicClass* TFileFormatsList::FindKind(std::string_view extension) const {
    const std::string wanted = LowerCaseExtension(extension);
    for (auto it = Entries_.rbegin(); it != Entries_.rend(); ++it)
        if (it->Extension == wanted)
            return it->Kind;
    return nullptr;
}

std::string ExtractExtension(std::string_view path) {
    // On this system "/" separates folders; "\\" and ":" are kept as separators too, so a
    // path written the Windows way splits the same.
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    const std::string_view rest = path.substr(dot + 1);
    if (rest.find_first_of("/\\:") != std::string_view::npos)
        return {};
    return std::string(rest);
}

std::string LowerCaseExtension(std::string_view extension) {
    std::string lower(extension);
    for (size_t i = 0; i < lower.size(); ++i) {
        const auto c = static_cast<unsigned char>(lower[i]);
        lower[i] = AsciiLower(lower[i]);
        if (c == 0xC3 && i + 1 < lower.size()) {
            // Latin-1 capitals À..Þ (except ×) as UTF-8: C3 80..C3 9E. Only a continuation
            // byte belongs to the sequence; anything else is looked at on its own.
            auto next = static_cast<unsigned char>(lower[i + 1]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97)
                lower[i + 1] = static_cast<char>(next + 0x20);
            if (next >= 0x80 && next <= 0xBF)
                ++i;
        }
    }
    return lower;
}

namespace {
// The kind that reads files of the path's extension; the one place that refuses others.
const TGraphicClass& KindByExtension(std::string_view path) {
    const std::string extension = ExtractExtension(path);
    const TGraphicClass* kind = TFileFormatsList::Instance().FindKind(extension);
    if (!kind)
        throw EInvalidGraphic(Format(Msg::UnknownExtension, extension.c_str()));
    return *kind;
}
} // namespace

void CheckPictureExtension(std::string_view path) {
    KindByExtension(path);
}

void TPicture::LoadByExtension(const std::string& path) {
    std::unique_ptr<TGraphic> graphic;
    try {
        graphic = KindByExtension(path).Create();
        graphic->OnProgress = OnProgress;
        graphic->ReadFile(path);
    } catch (Exception& error) {
        // A kind's message says what is wrong, mostly not where: the file goes with it.
        if (error.FileName().empty() && error.Message().find(path) == std::string::npos)
            error.SetFileName(path);
        throw;
    }
    Install(std::move(graphic));
}

void TPicture::LoadFromBytes(std::string_view bytes, std::string_view extension) {
    std::unique_ptr<TGraphic> graphic = KindByExtension("." + std::string(extension)).Create();
    graphic->OnProgress = OnProgress;
    TBytesStream stream(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    graphic->ReadFrom(stream);
    Install(std::move(graphic));
}

void TPicture::CopyFrom(const TPicture* source) {
    CopyFrom(source ? source->Content() : nullptr);
}

void TPicture::CopyFrom(const TGraphic* source) {
    std::unique_ptr<TGraphic> graphic;
    if (source) {
        graphic = source->ClassType().Create();
        graphic->Assign(*source);
    }
    Install(std::move(graphic));
}

int TPicture::Width() const {
    return Content_ ? Content_->PixelWidth() : 0;
}

int TPicture::Height() const {
    return Content_ ? Content_->PixelHeight() : 0;
}

void TPicture::Install(std::unique_ptr<TGraphic> graphic) {
    if (graphic)
        Route(*graphic);
    Content_ = std::move(graphic);
    Changed();
}

void TPicture::Route(TGraphic& graphic) {
    graphic.OnChange = [this](TGraphic&) {
        Changed();
    };
    graphic.OnProgress = [this](TGraphic& sender, TProgressStage stage, int percent) {
        if (OnProgress)
            OnProgress(sender, stage, percent);
    };
}

void TPicture::Changed() {
    if (OnChange)
        OnChange(*this);
}
