#include "app/Paste.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include "picture/Picture.h"

namespace {
// One local file the data carry, when it is of a kind we read.
std::string CopiedPictureFile(const QMimeData& data) {
    if (!data.hasUrls())
        return {};
    const QList<QUrl> urls = data.urls();
    if (urls.size() != 1 || !urls.front().isLocalFile() || !urls.front().host().isEmpty())
        return {};
    std::string name = QFile::encodeName(urls.front().toLocalFile()).toStdString();
    return TFileFormatsList::Instance().FindKind(ExtractExtension(name)) ? name : std::string();
}

std::string Bytes(const QByteArray& bytes) {
    return std::string(bytes.constData(), size_t(bytes.size()));
}
} // namespace

TPastedPicture PastedPicture(const QMimeData* data) {
    if (!data)
        return {};
    if (std::string file = CopiedPictureFile(*data); !file.empty())
        return {std::move(file), {}, {}};
    // Encoded data are taken as they came, so a photograph is not decoded and re-encoded.
    for (const auto& [type, extension] :
         {std::pair{"image/jpeg", "jpg"}, std::pair{"image/png", "png"}})
        if (const QByteArray bytes = data->data(type); !bytes.isEmpty())
            return {{}, Bytes(bytes), extension};
    if (!data->hasImage())
        return {};
    const QImage image = qvariant_cast<QImage>(data->imageData());
    QByteArray png;
    QBuffer buffer(&png);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return {};
    return {{}, Bytes(png), "png"};
}
