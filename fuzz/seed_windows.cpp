// Cuts large metafile seeds into windows of their records: seed_windows wmf|emf BYTES FILE...
// Each FILE longer than BYTES whose records can be walked is replaced by FILE.1, FILE.2 and
// so on: its headers, as many whole records as fit in BYTES, and an end-of-file record. A
// window starts from the default state instead of where its file had got to, so the windows
// of a seed reach at least what the seed reached (measured: more edges than the whole seeds),
// while the fuzzer plays inputs of a few kilobytes instead of tens. Plain Windows metafiles
// get a placeable header, which the harness expects. Other files are left as they are.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t U16(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8;
}

uint32_t U32(const Bytes& b, size_t at) {
    return U16(b, at) | U16(b, at + 2) << 16;
}

constexpr uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr uint32_t WindowsHeaderWords = 9; // the header's own size, in 16-bit words
constexpr uint32_t WindowsEof = 0;         // the function number of the end-of-file record
constexpr uint32_t EnhancedHeader = 1;     // the record types of the header and the end
constexpr uint32_t EnhancedEof = 14;

// A placeable header for a picture of 1000 × 1000 units at 1440 units an inch. Its key and
// checksum are left to the harness, which puts them right on every input.
const Bytes PlaceableHeader = {0,    0,    0,    0,    0,    0, 0, 0, 0, 0, 0xE8,
                               0x03, 0xE8, 0x03, 0xA0, 0x05, 0, 0, 0, 0, 0, 0};

struct TLayout {
    bool Plain = false;         // a Windows metafile without a placeable header
    Bytes Head;                 // the headers every window starts with
    std::vector<Bytes> Records; // up to the end-of-file record, which is left out
    Bytes End;                  // the end-of-file record every window ends with
};

// The headers and records of a Windows metafile, placeable or plain.
bool WalkWindows(const Bytes& file, TLayout& layout) {
    size_t at = 0;
    if (file.size() >= 22 && U32(file, 0) == PlaceableKey)
        at = 22;
    else
        layout.Plain = true;
    if (file.size() < at + 18 || U16(file, at + 2) != WindowsHeaderWords)
        return false;
    at += 18;
    if (layout.Plain)
        layout.Head = PlaceableHeader;
    layout.Head.insert(layout.Head.end(), file.begin(), file.begin() + long(at));
    while (at + 6 <= file.size()) {
        const uint64_t size = uint64_t(U32(file, at)) * 2;
        if (size < 6 || at + size > file.size() || U16(file, at + 4) == WindowsEof)
            break;
        layout.Records.emplace_back(file.begin() + long(at), file.begin() + long(at + size));
        at += size;
    }
    layout.End = {3, 0, 0, 0, 0, 0};
    return true;
}

// The header record and the records of an enhanced metafile.
bool WalkEnhanced(const Bytes& file, TLayout& layout) {
    if (file.size() < 88 || U32(file, 0) != EnhancedHeader)
        return false;
    size_t at = U32(file, 4);
    if (at < 88 || at % 4 || at > file.size())
        return false;
    layout.Head.assign(file.begin(), file.begin() + long(at));
    while (at + 8 <= file.size()) {
        const size_t size = U32(file, at + 4);
        if (size < 8 || size % 4 || size > file.size() - at || U32(file, at) == EnhancedEof)
            break;
        layout.Records.emplace_back(file.begin() + long(at), file.begin() + long(at + size));
        at += size;
    }
    layout.End = {EnhancedEof, 0, 0, 0, 20, 0, 0, 0, 0, 0, 0, 0, 16, 0, 0, 0, 20, 0, 0, 0};
    return true;
}

void Write(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: seed_windows wmf|emf BYTES FILE...\n";
        return 2;
    }
    const bool enhanced = std::string(argv[1]) == "emf";
    const size_t limit = std::strtoul(argv[2], nullptr, 10);
    for (int i = 3; i < argc; ++i) {
        const std::filesystem::path path = argv[i];
        std::ifstream in(path, std::ios::binary);
        const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        TLayout layout;
        const bool walked = enhanced ? WalkEnhanced(file, layout) : WalkWindows(file, layout);
        if (!walked || (file.size() <= limit && !layout.Plain))
            continue;
        int count = 0;
        Bytes window;
        const auto flush = [&] {
            window.insert(window.end(), layout.End.begin(), layout.End.end());
            Write(path.string() + "." + std::to_string(++count), window);
            window.clear();
        };
        for (const Bytes& record : layout.Records) {
            if (!window.empty() && window.size() + record.size() + layout.End.size() > limit)
                flush();
            if (window.empty())
                window = layout.Head;
            window.insert(window.end(), record.begin(), record.end());
        }
        if (!window.empty())
            flush();
        if (count > 0)
            std::filesystem::remove(path);
    }
    return 0;
}
