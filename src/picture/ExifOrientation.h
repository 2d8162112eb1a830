// The orientation a camera records in a JPEG file's Exif data: how the stored pixels must
// be turned or mirrored to show the picture the way the camera was held.
#pragma once

#include <QSize>
#include <QTransform>
#include <cstdint>
#include <span>

// Exif's orientation values 1 to 8; 1 shows the pixels as stored.
inline constexpr int ExifUpright = 1;

// The orientation of the JPEG file in bytes, from the first Exif block before the image
// data; ExifUpright when there is none or it cannot be read, so a damaged Exif block never
// keeps a picture from showing.
int ExifOrientation(std::span<const uint8_t> bytes);

// The JPEG thumbnail the Exif block of the JPEG file in bytes carries (the second
// directory's JPEG interchange format), as a view into bytes; empty when there is none or
// it does not lie wholly inside the Exif block.
std::span<const uint8_t> ExifThumbnail(std::span<const uint8_t> bytes);

// The orientation of the WebP file in bytes, from its EXIF chunk; ExifUpright when there is
// none or it cannot be read.
int WebPExifOrientation(std::span<const uint8_t> bytes);

// Whether the orientation swaps width and height.
bool ExifSwapsSides(int orientation);

// Maps the stored pixels (width × height as stored) onto the picture as shown.
QTransform ExifTransform(int orientation, QSize stored);
