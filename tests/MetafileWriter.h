// Small writers of enhanced and placeable Windows metafiles for the tests: records are
// appended as lists of values, the headers are filled in at the end.
#pragma once

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "TestSupport.h"

// An enhanced metafile. The defaults give a reference device of 100 × 100 pixels on
// 100 × 100 mm and a frame of 0..9900 (0.01 mm), so that one device pixel is one pixel of a
// 100 × 100 image played into (0, 0, 99, 99).
struct TEmfWriter {
    int32_t Frame[4] = {0, 0, 9900, 9900};
    int32_t Device[2] = {100, 100};
    int32_t DeviceMM[2] = {100, 100};
    uint16_t Handles = 16;
    uint32_t PaletteEntries = 0;
    std::vector<uint8_t> Body;
    uint32_t Count = 0;

    // A record of 32-bit values.
    TEmfWriter& Add(uint32_t type, std::initializer_list<int32_t> values) {
        std::vector<uint8_t> bytes;
        for (const int32_t value : values)
            Put32(bytes, static_cast<uint32_t>(value));
        return AddBytes(type, bytes);
    }

    // A record of any content, padded to whole 32-bit values.
    TEmfWriter& AddBytes(uint32_t type, std::vector<uint8_t> bytes) {
        bytes.resize((bytes.size() + 3) / 4 * 4, 0);
        Put32(Body, type);
        Put32(Body, static_cast<uint32_t>(bytes.size() + 8));
        Body.insert(Body.end(), bytes.begin(), bytes.end());
        ++Count;
        return *this;
    }

    std::vector<uint8_t> Bytes() const {
        constexpr uint32_t HeaderSize = 108;
        constexpr uint32_t EofSize = 20;
        std::vector<uint8_t> out;
        Put32(out, 1);
        Put32(out, HeaderSize);
        for (int i = 0; i < 4; ++i) // bounds
            Put32(out, 0);
        for (const int32_t edge : Frame)
            Put32(out, static_cast<uint32_t>(edge));
        Put32(out, 0x464D4520);
        Put32(out, 0x10000);
        Put32(out, static_cast<uint32_t>(HeaderSize + Body.size() + EofSize));
        Put32(out, Count + 2);
        Put16(out, Handles);
        Put16(out, 0);
        Put32(out, 0); // description
        Put32(out, 0);
        Put32(out, PaletteEntries);
        Put32(out, static_cast<uint32_t>(Device[0]));
        Put32(out, static_cast<uint32_t>(Device[1]));
        Put32(out, static_cast<uint32_t>(DeviceMM[0]));
        Put32(out, static_cast<uint32_t>(DeviceMM[1]));
        while (out.size() < HeaderSize)
            out.push_back(0);
        out.insert(out.end(), Body.begin(), Body.end());
        Put32(out, 14);
        Put32(out, EofSize);
        Put32(out, 0);
        Put32(out, 16);
        Put32(out, EofSize);
        return out;
    }
};

// A float as its 32 bits, for world transforms.
inline int32_t FloatBits(float value) {
    return std::bit_cast<int32_t>(value);
}

// A placeable Windows metafile: the 22-byte header with its checksum, the 18-byte metafile
// header and records of 16-bit parameters (most of them stored last first, as in the file).
struct TWmfWriter {
    int16_t Bounds[4] = {0, 0, 100, 100};
    uint16_t Inch = 96;
    uint16_t Objects = 8;
    bool BadChecksum = false;
    uint32_t Key = 0x9AC6CDD7;
    std::vector<uint8_t> Body;

    TWmfWriter& Add(uint16_t function, std::initializer_list<int32_t> words) {
        std::vector<uint8_t> bytes;
        for (const int32_t word : words)
            Put16(bytes, static_cast<uint32_t>(word));
        return AddBytes(function, bytes);
    }

    TWmfWriter& AddBytes(uint16_t function, std::vector<uint8_t> bytes) {
        bytes.resize((bytes.size() + 1) / 2 * 2, 0);
        Put32(Body, static_cast<uint32_t>(3 + bytes.size() / 2));
        Put16(Body, function);
        Body.insert(Body.end(), bytes.begin(), bytes.end());
        return *this;
    }

    // The metafile without the placeable header.
    std::vector<uint8_t> Windows() const {
        std::vector<uint8_t> out;
        Put16(out, 1);
        Put16(out, 9);
        Put16(out, 0x300);
        Put32(out, static_cast<uint32_t>((18 + Body.size() + 6) / 2));
        Put16(out, Objects);
        Put32(out, 0);
        Put16(out, 0);
        out.insert(out.end(), Body.begin(), Body.end());
        Put32(out, 3);
        Put16(out, 0);
        return out;
    }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out;
        Put32(out, Key);
        Put16(out, 0);
        for (const int16_t edge : Bounds)
            Put16(out, static_cast<uint16_t>(edge));
        Put16(out, Inch);
        Put32(out, 0);
        uint16_t checksum = 0;
        for (size_t i = 0; i < out.size(); i += 2)
            checksum ^= static_cast<uint16_t>(out[i] | out[i + 1] << 8);
        Put16(out, BadChecksum ? checksum ^ 1 : checksum);
        const std::vector<uint8_t> windows = Windows();
        out.insert(out.end(), windows.begin(), windows.end());
        return out;
    }
};

// A packed DIB (40-byte header, colour table, bottom-up rows) of the given depth, from pixel
// indices (up to 8 bits) or 0xRRGGBB colours (24 and 32 bits), top row first.
inline std::vector<uint8_t> PackedDib(int bits, int width, int height,
                                      const std::vector<uint32_t>& table,
                                      const std::vector<uint32_t>& pixels) {
    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bits));
    for (int i = 0; i < 6; ++i)
        Put32(out, i == 4 ? static_cast<uint32_t>(table.size()) : 0);
    for (const uint32_t colour : table)
        Put32(out, colour);
    const size_t rowSize = (size_t(width) * bits + 31) / 32 * 4;
    for (int y = height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(rowSize, 0);
        for (int x = 0; x < width; ++x) {
            const uint32_t value = pixels[size_t(y) * size_t(width) + size_t(x)];
            if (bits >= 24) {
                const size_t at = size_t(x) * size_t(bits / 8);
                row[at] = static_cast<uint8_t>(value);
                row[at + 1] = static_cast<uint8_t>(value >> 8);
                row[at + 2] = static_cast<uint8_t>(value >> 16);
            } else {
                const size_t bit = size_t(x) * size_t(bits);
                row[bit / 8] |= static_cast<uint8_t>(value << (8 - bits - bit % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}
