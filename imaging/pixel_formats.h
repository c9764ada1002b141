// Per-format pixel routines of RasterImage, chosen once when storage is
// created so drawing loops never test the format per pixel.
//
// Values at the routine boundary are colours (0xRRGGBB, 0xAARRGGBB at 32
// bits) for the direct formats and palette indexes for the indexed ones,
// exactly as RasterImage::pixel/setPixel. The row converters go through
// colours for every format (palette looked up on the way out, nearest
// palette entry on the way in), which is what blit and resample need.
//
// Bit layouts (rows bottom-up, 4-byte aligned):
//   1/2/4  palette index, leftmost pixel in the most significant bits
//   8      one index per byte
//   12     two pixels in three bytes, a nibble stream R G B R G B with the
//          high nibble first: even x = b0 (R<<4|G), b1 high nibble B; odd x =
//          b1 low nibble R, b2 (G<<4|B). Channels widen by c*17.
//   15     little-endian word 0RRRRRGG GGGBBBBB, channels widen by bit copy
//   16     little-endian word RRRRRGGG GGGBBBBB, channels widen by bit copy
//   24     bytes B G R
//   32     bytes B G R A (the little-endian word 0xAARRGGBB)
#pragma once

#include <cstdint>

#include "imaging/raster_image.h"

namespace gz::pixfmt {

struct PixelFormat {
    int bitsPerPixel;
    ReadPixelFn read;
    WritePixelFn write;
    // Sets pixels x0..x1 (inclusive, already clipped) of row y to a colour
    // value in the image's own terms.
    void (*fillSpan)(RasterImage& image, int y, int x0, int x1, uint32_t value);
    // Colours of n pixels of row y from x0 on, palette looked up.
    void (*readColours)(const RasterImage& image, int y, int x0, int n, uint32_t* out);
    // Stores n colours into row y from x0 on (nearest palette entry for the
    // indexed formats; alpha dropped below 32 bits).
    void (*writeColours)(RasterImage& image, int y, int x0, int n, const uint32_t* in);
};

// nullptr for an unsupported depth.
const PixelFormat* formatFor(int bitsPerPixel);

// Fills palette[0..size) with the default palette of the depth; returns the
// palette length (2^bits for 1/2/4/8, 0 for the direct formats).
int defaultPalette(int bitsPerPixel, uint32_t* palette);

// Index of the palette entry closest to colour (sum of squared channel
// differences; the first of equals wins). size must be at least 1.
int nearestPaletteIndex(const uint32_t* palette, int size, uint32_t colour);

}  // namespace gz::pixfmt
