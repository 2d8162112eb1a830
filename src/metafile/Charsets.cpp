#include "metafile/Charsets.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <optional>

#include "metafile/MetafileRecords.h"

namespace MetafileText {

namespace {

// The code page of each character set a font record may name besides the western, default
// and symbol sets.
struct TCodePage {
    uint8_t Charset;
    const char* Name;
};
constexpr std::array<TCodePage, 13> CodePages = {{
    {128, "windows-932"},  // Shift-JIS
    {129, "windows-949"},  // Hangul
    {134, "windows-936"},  // GB 2312
    {136, "windows-950"},  // Big5
    {161, "windows-1253"}, // Greek
    {162, "windows-1254"}, // Turkish
    {163, "windows-1258"}, // Vietnamese
    {177, "windows-1255"}, // Hebrew
    {178, "windows-1256"}, // Arabic
    {186, "windows-1257"}, // Baltic
    {204, "windows-1251"}, // Russian
    {222, "windows-874"},  // Thai
    {238, "windows-1250"}, // Eastern Europe
}};

// The decoder of a code page, made once and kept: making one costs more than most text it
// reads. Its state is reset for each text, so that a lead byte at the end of one is not read
// with the first byte of the next. Nothing when the system cannot read the code page.
QStringDecoder* DecoderOf(uint8_t charset) {
    const auto page = std::find_if(CodePages.begin(), CodePages.end(),
                                   [&](const TCodePage& p) { return p.Charset == charset; });
    if (page == CodePages.end())
        return nullptr;
    // Never destroyed, as the fonts: text may be drawn until the program ends.
    static auto& decoders = *new std::array<std::optional<QStringDecoder>, CodePages.size()>;
    std::optional<QStringDecoder>& decoder = decoders[size_t(page - CodePages.begin())];
    if (!decoder)
        decoder.emplace(page->Name);
    if (!decoder->isValid())
        return nullptr;
    decoder->resetState();
    return &*decoder;
}

} // namespace

void Decode(std::span<const uint8_t> bytes, uint8_t charset, QString& text,
            std::span<const double> advances, std::vector<double>& joined) {
    QStringDecoder* decoder = DecoderOf(charset);
    if (!decoder) {
        MetafileRecords::ReadAnsi(bytes, text);
        joined.assign(advances.begin(), advances.end());
        return;
    }
    // Byte by byte, so that each character is known with the bytes it took: the decoder
    // gives nothing for a lead byte and the character with the byte that ends it.
    const qsizetype most = decoder->requiredSpace(1);
    text.resize(qsizetype(bytes.size()) * most);
    QChar* const begin = text.data();
    QChar* end = begin;
    joined.clear();
    double advance = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = char(bytes[i]);
        QChar* const before = end;
        end = decoder->appendToBuffer(end, QByteArrayView(&byte, 1));
        if (i < advances.size())
            advance += advances[i];
        if (end == before)
            continue;
        if (i < advances.size()) {
            joined.push_back(advance);
            joined.resize(size_t(end - begin), 0); // the second half of a surrogate pair
        }
        advance = 0;
    }
    text.truncate(end - begin);
}

QString Decoded(std::span<const uint8_t> bytes, uint8_t charset) {
    QString text;
    std::vector<double> joined;
    Decode(bytes, charset, text, {}, joined);
    return text;
}

} // namespace MetafileText
