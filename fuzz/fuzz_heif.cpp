// Reads arbitrary bytes as the container of a HEIF file and gathers the coded data of every
// image it describes and the size its parameter set codes, as the decoder does before
// handing them on. The program's own exceptions
// are the expected answer to bad input; a crash, a sanitizer report or a hang is a finding.
// Decoding itself happens in libraries that run apart from the program, and is not fuzzed
// here.
#include <cstddef>
#include <cstdint>

#include "decoder/formats/HeifContainer.h"
#include "decoder/formats/HevcParameters.h"
#include "toolkit/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto file = std::as_bytes(std::span(data, size));
    try {
        const THeifPicture picture = ReadHeifContainer(file);
        HeifItemData(file, picture.Image);
        HevcCodedSize(picture.Image.Hevc);
        for (const THeifCodedImage& tile : picture.Grid.Tiles) {
            HeifItemData(file, tile);
            HevcCodedSize(tile.Hevc);
        }
        for (const THeifCodedImage& thumbnail : picture.Thumbnails)
            HeifItemData(file, thumbnail);
    } catch (const Exception&) {
    }
    return 0;
}
