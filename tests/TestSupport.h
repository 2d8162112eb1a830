// Helpers shared by the test suites: temporary folders, the public corpus, and answering
// modal dialogs.
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& Path() const { return Path_; }
    std::string File(const std::string& name) const { return (Path_ / name).string(); }

private:
    fs::path Path_;
};

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteFileText(const std::string& path, const std::string& text);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
std::string ReadFileText(const std::string& path);

// The public test corpus, or an empty path when it is not beside the checkout.
fs::path CorpusDir();

// Skips the current test when the corpus (or the given folder of it) is missing.
#define SKIP_WITHOUT_CORPUS(sub)                                                                   \
    do {                                                                                           \
        if (CorpusDir().empty() || !fs::exists(CorpusDir() / (sub)))                               \
            GTEST_SKIP() << "corpus folder " << (sub) << " not present";                           \
    } while (0)

// Appends a little-endian 16- or 32-bit value.
void Put16(std::vector<uint8_t>& out, uint32_t value);
void Put32(std::vector<uint8_t>& out, uint32_t value);

// The plainest BMP there is: 24 bits per pixel, a 40-byte info header, rows bottom-up and
// padded to four bytes.
std::vector<uint8_t> Bmp24(const QImage& image);
// An image of one colour.
QImage SolidImage(int width, int height, QRgb color);

// Writes a small 24-bit bottom-up BMP filled with one colour.
void WriteBmp(const std::string& path, int width, int height, unsigned rgb);
// Black and white alternating from pixel to pixel: any blur or doubling shows.
QImage CheckerImage(QSize size);

// Compares two images pixel by pixel (as RGB), allowing each channel to differ by at most
// tolerance; returns a description of the first difference, or an empty string.
std::string CompareImages(const QImage& actual, const QImage& expected, int tolerance = 0);

// One entry of a translation catalogue in the repository.
struct TCatalogueEntry {
    QString Context, Source, Translation;
    bool Finished = false; // translated, not marked unfinished
};
// The entries of translations/vellacour_<code>.ts, in their order.
std::vector<TCatalogueEntry> ReadCatalogue(const char* code);
