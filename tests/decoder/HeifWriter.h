// Writes small HEIF files for the tests: coded items taken from files an encoder made,
// arranged as a single picture or a grid, with the rotations, mirrorings and colour
// description a test asks for, and knobs for the box layouts real writers choose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decoder/formats/HeifContainer.h"

struct THeifWriterItem {
    THeifHevcConfig Config;
    std::vector<uint8_t> Data;
    uint32_t Width = 0;
    uint32_t Height = 0;
};

struct THeifWriter {
    std::vector<THeifWriterItem> Images; // one picture, or the tiles of a grid row by row
    int GridRows = 0;                    // 0: the first image is the picture
    int GridColumns = 0;
    uint32_t GridWidth = 0;
    uint32_t GridHeight = 0;
    std::vector<THeifTransform> Transforms; // of the picture, in this order
    bool Nclx = false;
    int Matrix = 6;
    bool FullRange = true;
    int LocationVersion = 1; // of the iloc box
    int OffsetSize = 4;      // of its offsets and lengths
    bool GridInItemData = true;
    bool Thumbnail = false; // the last image is a thumbnail of the picture, not part of it

    std::vector<uint8_t> Build() const;
};

namespace HeifBytes {
inline void Put(std::vector<uint8_t>& out, uint64_t value, int size) {
    for (int i = size - 1; i >= 0; --i)
        out.push_back(uint8_t(value >> (8 * i)));
}
inline void Put4cc(std::vector<uint8_t>& out, const char* type) {
    out.insert(out.end(), type, type + 4);
}
inline std::vector<uint8_t> Box(const char* type, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> out;
    Put(out, body.size() + 8, 4);
    Put4cc(out, type);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}
inline std::vector<uint8_t> FullBox(const char* type, int version, uint32_t flags,
                                    const std::vector<uint8_t>& body) {
    std::vector<uint8_t> head;
    Put(head, uint32_t(version) << 24 | flags, 4);
    head.insert(head.end(), body.begin(), body.end());
    return Box(type, head);
}
inline void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& more) {
    out.insert(out.end(), more.begin(), more.end());
}
} // namespace HeifBytes

// The configuration box of an HEVC item, as the decoder reads it back.
inline std::vector<uint8_t> HevcConfigBox(const THeifHevcConfig& config) {
    using namespace HeifBytes;
    std::vector<uint8_t> body(16, 0);
    body[0] = 1;
    body.push_back(uint8_t(0xFC | config.ChromaFormat));
    body.push_back(uint8_t(0xF8 | (config.BitDepth - 8)));
    body.push_back(uint8_t(0xF8 | (config.BitDepth - 8)));
    Put(body, 0, 2);
    body.push_back(uint8_t(0x0C | (config.NalLengthSize - 1)));
    body.push_back(uint8_t(config.ParameterSets.size()));
    for (const std::vector<uint8_t>& set : config.ParameterSets) {
        body.push_back(uint8_t(0x80 | ((set.empty() ? 0 : set[0]) >> 1 & 0x3F)));
        Put(body, 1, 2);
        Put(body, set.size(), 2);
        Append(body, set);
    }
    return Box("hvcC", body);
}

inline std::vector<uint8_t> THeifWriter::Build() const {
    using namespace HeifBytes;
    const bool grid = GridRows > 0;
    const size_t coded = Images.size();
    // Items: 1..coded are the coded images, coded + 1 the grid.
    const uint32_t primary = grid ? uint32_t(coded + 1) : 1;
    const size_t thumbnail = Thumbnail ? coded : 0;

    std::vector<uint8_t> gridData = {0, GridWidth > 0xFFFF || GridHeight > 0xFFFF ? uint8_t(1)
                                                                                  : uint8_t(0)};
    if (grid) {
        gridData.push_back(uint8_t(GridRows - 1));
        gridData.push_back(uint8_t(GridColumns - 1));
        const int size = gridData[1] ? 4 : 2;
        Put(gridData, GridWidth, size);
        Put(gridData, GridHeight, size);
    }

    std::vector<uint8_t> infos;
    Put(infos, grid ? coded + 1 : coded, 2);
    for (size_t i = 1; i <= coded + (grid ? 1 : 0); ++i) {
        std::vector<uint8_t> entry;
        Put(entry, i, 2);
        Put(entry, 0, 2);
        Put4cc(entry, i > coded ? "grid" : "hvc1");
        entry.push_back(0);
        Append(infos, FullBox("infe", 2, 0, entry));
    }

    // Properties: per coded image its configuration and size; then the picture's own.
    std::vector<uint8_t> properties;
    std::vector<std::vector<uint16_t>> associations(coded + 2);
    uint16_t next = 1;
    auto add = [&](std::vector<uint8_t> box, size_t item) {
        Append(properties, box);
        associations[item].push_back(next++);
    };
    auto size = [](uint32_t width, uint32_t height) {
        std::vector<uint8_t> body;
        Put(body, width, 4);
        Put(body, height, 4);
        return FullBox("ispe", 0, 0, body);
    };
    for (size_t i = 0; i < coded; ++i) {
        add(HevcConfigBox(Images[i].Config), i + 1);
        add(size(Images[i].Width, Images[i].Height), i + 1);
    }
    if (grid)
        add(size(GridWidth, GridHeight), primary);
    if (Nclx) {
        std::vector<uint8_t> body;
        Put4cc(body, "nclx");
        Put(body, 1, 2);
        Put(body, 13, 2);
        Put(body, uint64_t(Matrix), 2);
        body.push_back(FullRange ? 0x80 : 0);
        add(Box("colr", body), primary);
    }
    for (const THeifTransform& transform : Transforms)
        add(Box(transform.Kind == THeifTransform::Rotate ? "irot" : "imir",
                {uint8_t(transform.Value)}),
            primary);
    std::vector<uint8_t> map;
    Put(map, associations.size() - 1, 4);
    for (size_t item = 1; item < associations.size(); ++item) {
        Put(map, item, 2);
        map.push_back(uint8_t(associations[item].size()));
        for (const uint16_t index : associations[item])
            map.push_back(uint8_t(0x80 | index));
    }
    std::vector<uint8_t> itemProperties = Box("ipco", properties);
    Append(itemProperties, FullBox("ipma", 0, 0, map));

    std::vector<uint8_t> references;
    if (grid) {
        std::vector<uint8_t> body;
        Put(body, primary, 2);
        Put(body, coded - (Thumbnail ? 1 : 0), 2);
        for (size_t i = 1; i <= coded - (Thumbnail ? 1 : 0); ++i)
            Put(body, i, 2);
        Append(references, Box("dimg", body));
    }
    if (Thumbnail) {
        std::vector<uint8_t> body;
        Put(body, thumbnail, 2);
        Put(body, 1, 2);
        Put(body, primary, 2);
        Append(references, Box("thmb", body));
    }

    // The location box comes last in the meta box, once the offsets into the data are known:
    // the data box follows the meta box, and the location box's own size does not depend on
    // the offsets, so it is built twice.
    std::vector<uint8_t> ftyp;
    Put4cc(ftyp, "heic");
    Put(ftyp, 0, 4);
    Put4cc(ftyp, "mif1");
    Put4cc(ftyp, "heic");
    const std::vector<uint8_t> fileType = Box("ftyp", ftyp);
    std::vector<uint8_t> handler;
    Put(handler, 0, 4);
    Put4cc(handler, "pict");
    handler.insert(handler.end(), 12, 0); // reserved
    handler.push_back(0);

    auto locations = [&](uint64_t dataStart) {
        std::vector<uint8_t> body;
        body.push_back(uint8_t(OffsetSize << 4 | OffsetSize));
        body.push_back(0);
        Put(body, grid ? coded + 1 : coded, LocationVersion < 2 ? 2 : 4);
        uint64_t offset = dataStart;
        for (size_t i = 1; i <= coded + (grid ? 1 : 0); ++i) {
            Put(body, i, LocationVersion < 2 ? 2 : 4);
            const bool inItemData = i > coded && GridInItemData;
            if (LocationVersion >= 1)
                Put(body, inItemData ? 1 : 0, 2);
            Put(body, 0, 2);
            Put(body, 1, 2);
            const uint64_t length = i > coded ? gridData.size() : Images[i - 1].Data.size();
            Put(body, inItemData ? 0 : offset, OffsetSize);
            Put(body, length, OffsetSize);
            if (!inItemData)
                offset += length;
        }
        return FullBox("iloc", LocationVersion, 0, body);
    };
    auto meta = [&](uint64_t dataStart) {
        std::vector<uint8_t> body = FullBox("hdlr", 0, 0, handler);
        std::vector<uint8_t> primaryBody;
        Put(primaryBody, primary, 2);
        Append(body, FullBox("pitm", 0, 0, primaryBody));
        Append(body, FullBox("iinf", 0, 0, infos));
        Append(body, Box("iprp", itemProperties));
        if (!references.empty())
            Append(body, FullBox("iref", 0, 0, references));
        if (grid && GridInItemData)
            Append(body, Box("idat", gridData));
        Append(body, locations(dataStart));
        return FullBox("meta", 0, 0, body);
    };
    const uint64_t dataStart = fileType.size() + meta(0).size() + 8;
    std::vector<uint8_t> data;
    for (const THeifWriterItem& image : Images)
        Append(data, image.Data);
    if (grid && !GridInItemData)
        Append(data, gridData);
    std::vector<uint8_t> file = fileType;
    Append(file, meta(dataStart));
    Append(file, Box("mdat", data));
    return file;
}
