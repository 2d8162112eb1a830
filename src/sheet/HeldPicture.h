// A picture that is no file yet: cover art embedded in an audio file, or a picture pasted
// from the clipboard. The layout document holds its encoded bytes until the layout is
// saved; saving writes them beside the layout under a name made from their content.
#pragma once

#include <string>

struct THeldPicture {
    // Encoded as a picture file of Extension's kind holds it: JPEG art stays JPEG, pasted
    // image data becomes PNG.
    std::string Bytes;
    // A kind the picture layer reads, lower case, without the dot ("jpg", "png").
    std::string Extension;
    // Where the picture came from, for the tooltip ("Aus der Zwischenablage eingefügt").
    std::string Origin;
    // The first 16 hex digits of the bytes' SHA-256: names the file the picture becomes.
    std::string Hash;

    // The same picture: the same bytes of the same kind, wherever it came from.
    bool operator==(const THeldPicture& other) const {
        return Hash == other.Hash && Extension == other.Extension;
    }
};

// The first 16 hex digits of the SHA-256 of bytes.
std::string PictureHash(const std::string& bytes);
