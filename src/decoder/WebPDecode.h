// WebP through libwebp, straight into the answer file's rows, without Qt: the decoding
// helper starts without loading Qt or the other kinds' libraries for it.
#pragma once

#include <cstdint>
#include <span>

// Decodes the WebP file (an animation's first frame, turned as its Exif orientation says)
// and writes the answer: the pixels, or why there are none. The pixel limit is checked
// against the size the file declares, before decoding. False when the answer could not be
// written.
bool AnswerWebP(std::span<const uint8_t> bytes, uint64_t pixelLimit);
