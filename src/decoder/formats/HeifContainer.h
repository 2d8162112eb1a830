// Reads the container of a HEIF file (HEIC, AVIF): the boxes that say which item is the
// picture, where its coded data lies, how tiles make it up and how it is to be turned,
// mirrored and coloured. No pixel is decoded here, so the reader can be tested and fuzzed
// alone; the decoders take its description and the file's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "toolkit/Translation.h"

namespace Msg {
inline constexpr TMsg HeifInvalid{
    QT_TRANSLATE_NOOP("Msg", "Die HEIC-Datei ist beschädigt oder wird nicht unterstützt.")};
} // namespace Msg

enum class THeifCodec { Hevc, Av1 };

// A run of an item's coded bytes, as an offset into the file and a length; every extent the
// reader hands out lies inside the file.
struct THeifExtent {
    uint64_t Offset = 0;
    uint64_t Length = 0;
};

// What a decoder needs of an HEVC configuration: the length of the size field before each
// coded unit, and the parameter sets as they are fed to the decoder before the data.
struct THeifHevcConfig {
    int NalLengthSize = 4;
    int ChromaFormat = 1; // 0 grey, 1 4:2:0, 2 4:2:2, 3 4:4:4
    int BitDepth = 8;
    std::vector<std::vector<uint8_t>> ParameterSets;
};

// One coded picture: a whole image, a tile of a grid, or a thumbnail.
struct THeifCodedImage {
    uint32_t ItemId = 0;
    THeifCodec Codec = THeifCodec::Hevc;
    uint32_t Width = 0; // as the item's size property declares it
    uint32_t Height = 0;
    THeifHevcConfig Hevc; // for HEVC items
    std::vector<THeifExtent> Extents;
};

// A picture made of equal tiles in rows, cut to its output size at the right and bottom.
struct THeifGrid {
    int Rows = 0;
    int Columns = 0;
    std::vector<THeifCodedImage> Tiles; // row by row, Rows × Columns of them
};

// A rotation or a mirroring, applied to the decoded picture in the order they are listed.
struct THeifTransform {
    enum TKind { Rotate, Mirror } Kind = Rotate;
    // Rotate: quarter turns anticlockwise, 0 to 3. Mirror: 0 exchanges top and bottom, 1
    // exchanges left and right.
    int Value = 0;
};

// The colour description of an nclx colour property; without one the decoder falls back to
// what the coded data says.
struct THeifColour {
    bool HasNclx = false;
    int MatrixCoefficients = 2; // 2: unspecified
    bool FullRange = false;
};

struct THeifPicture {
    uint32_t Width = 0; // as shown before the transforms, a grid's output size
    uint32_t Height = 0;
    bool IsGrid = false;
    THeifCodedImage Image; // when not a grid
    THeifGrid Grid;        // when a grid
    std::vector<THeifTransform> Transforms;
    THeifColour Colour;
    int BitDepth = 0; // of the first channel as declared, 0 when not declared
    std::vector<THeifCodedImage> Thumbnails;
};

// Reads the description of the file's primary picture; throws EInvalidGraphic with
// Msg::HeifInvalid for a damaged file or one whose picture is not a coded image or a grid of
// them.
THeifPicture ReadHeifContainer(std::span<const std::byte> file);

// The coded bytes of an item, its extents joined in order.
std::vector<uint8_t> HeifItemData(std::span<const std::byte> file, const THeifCodedImage& image);
