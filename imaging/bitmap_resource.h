// The stored form of the program's bitmap resources: a Windows BMP file
// image, little-endian:
//   file header (14 bytes): "BM", file size, 0, offset of the pixel bits;
//   info header (40 bytes): 40, width, height (> 0: rows bottom-up, < 0:
//     top-down), planes 1, bits per pixel, compression 0, image size, 0, 0,
//     colours used (0 = 2^bits for 1..8 bits), 0;
//   palette: colours-used entries of bytes B G R 0 (indexed depths only);
//   pixel bits: rows in RasterImage layout (4-byte aligned; 32 bits keeps
//     its alpha bytes).
// Any RasterImage depth is accepted as its bit count (1, 2, 4, 8, 12, 15,
// 16, 24, 32); the standard viewers read the 1, 4, 8, 24 and 32-bit ones.
//
// parseBitmapResource checks every header field and size against the buffer
// before it allocates; on failure it returns false and leaves image empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/raster_image.h"

namespace gz {

bool parseBitmapResource(const uint8_t* data, std::size_t size, RasterImage& image);
// Empty vector for an empty image.
std::vector<uint8_t> encodeBitmapResource(const RasterImage& image);
// Writes encodeBitmapResource(image) to path; false on an empty image or an
// I/O failure. For the build-time generators.
bool writeBitmapResourceFile(const char* path, const RasterImage& image);

}  // namespace gz
