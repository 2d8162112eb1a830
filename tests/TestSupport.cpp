#include "TestSupport.h"

#include <QFile>
#include <QXmlStreamReader>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "vellacour-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    Path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::permissions(Path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(Path_, ignored);
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void WriteFileText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path CorpusDir() {
    if (const char* dir = std::getenv("VELLACOUR_CORPUS"))
        return fs::exists(dir) ? fs::path(dir) : fs::path();
    const fs::path dir(VC_CORPUS_DIR);
    return fs::exists(dir) ? dir : fs::path();
}

std::string CompareImages(const QImage& actual, const QImage& expected, int tolerance) {
    if (actual.size() != expected.size()) {
        std::ostringstream text;
        text << "size " << actual.width() << "x" << actual.height() << " instead of "
             << expected.width() << "x" << expected.height();
        return text.str();
    }
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage e = expected.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* re = reinterpret_cast<const QRgb*>(e.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int dr = std::abs(qRed(ra[x]) - qRed(re[x]));
            const int dg = std::abs(qGreen(ra[x]) - qGreen(re[x]));
            const int db = std::abs(qBlue(ra[x]) - qBlue(re[x]));
            if (dr > tolerance || dg > tolerance || db > tolerance) {
                std::ostringstream text;
                text << "pixel (" << x << "," << y << ") is " << std::hex << (ra[x] & 0xFFFFFF)
                     << " instead of " << (re[x] & 0xFFFFFF);
                return text.str();
            }
        }
    }
    return {};
}

void Put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::vector<uint8_t> Bmp24(const QImage& image) {
    const auto width = static_cast<uint32_t>(image.width());
    const auto height = static_cast<uint32_t>(image.height());
    const uint32_t rowSize = (width * 3 + 3) / 4 * 4;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, 14 + 40 + rowSize * height);
    Put32(out, 0);
    Put32(out, 14 + 40);
    Put32(out, 40);
    Put32(out, width);
    Put32(out, height);
    Put16(out, 1);
    Put16(out, 24);
    for (int i = 0; i < 6; ++i)
        Put32(out, 0);
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            out.push_back(static_cast<uint8_t>(qBlue(pixel)));
            out.push_back(static_cast<uint8_t>(qGreen(pixel)));
            out.push_back(static_cast<uint8_t>(qRed(pixel)));
        }
        out.resize(out.size() + rowSize - width * 3, 0);
    }
    return out;
}

QImage SolidImage(int width, int height, QRgb color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QImage CheckerImage(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return image;
}

void WriteBmp(const std::string& path, int width, int height, unsigned rgb) {
    WriteFileBytes(path, Bmp24(SolidImage(width, height, 0xFF000000 | rgb)));
}

std::vector<TCatalogueEntry> ReadCatalogue(const char* code) {
    QFile file(QStringLiteral(VC_SOURCE_DIR "/translations/vellacour_%1.ts").arg(code));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    std::vector<TCatalogueEntry> entries;
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            TCatalogueEntry entry{context, {}, {}, false};
            while (xml.readNextStartElement()) {
                if (xml.name() == u"source") {
                    entry.Source = xml.readElementText();
                } else if (xml.name() == u"translation") {
                    entry.Finished = xml.attributes().value(QStringLiteral("type")).isEmpty();
                    entry.Translation = xml.readElementText();
                } else {
                    xml.skipCurrentElement();
                }
            }
            entries.push_back(entry);
        }
    }
    if (xml.hasError())
        return {};
    return entries;
}
