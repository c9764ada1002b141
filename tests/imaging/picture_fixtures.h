// Test fixtures made at run time with the libraries' own encoders (libwebp,
// libheif, libtiff, libjpeg, libpng), so the readers meet files written the
// way other programs write them. Each maker fails the running test (and
// returns an empty file) when its library refuses.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/raster_image.h"

namespace gz::testing {

using Bytes = std::vector<uint8_t>;

// A picture with a different colour in every pixel (and alpha falling from
// opaque to clear along the rows at 32 bits), for lossless codecs.
RasterImage colourfulPicture(int width, int height, bool alpha = false);
// Flat blocks of `block` pixels, each of its own strong colour, laid on the
// 8 x 8 grid of JPEG and HEVC so lossy codecs keep every block's colour
// close; columns x rows blocks.
RasterImage blockPicture(int columns, int rows, int block = 8);

// EXIF data (a TIFF structure) whose first directory holds only the
// orientation tag, optionally behind the "Exif\0\0" of JPEG's APP1.
Bytes exifWithOrientation(int orientation, bool bigEndian = false, bool exifPrefix = false);

// WebP of a 24- or 32-bit picture (alpha kept at 32 bits), lossless with
// exact colours under transparent pixels, or lossy at quality 90; optional
// EXIF and ICC chunks are added with libwebpmux.
Bytes encodeWebp(const RasterImage& picture, bool lossless, const Bytes& exif = {}, const Bytes& icc = {});
// Lossless animation of the given frames, 100 ms each.
Bytes encodeAnimatedWebp(const std::vector<const RasterImage*>& frames);

// HEIF of a 24- or 32-bit picture. Lossless means 4:4:4 with the identity
// matrix, which gives back the exact colours. containerOrientation asks
// libheif to store the picture as given plus irot/imir boxes that turn it
// as that EXIF code would; exif is added as the file's Exif block.
enum class HeifCodec { Hevc, Av1 };
Bytes encodeHeif(const RasterImage& picture, HeifCodec codec, bool lossless, int containerOrientation = 1,
                 const Bytes& exif = {});

// Baseline JPEG at quality 100 without chroma subsampling, with an APP1
// marker holding `app1` when it is not empty.
Bytes encodeJpeg(const RasterImage& picture, const Bytes& app1 = {});

// RGB PNG with an eXIf chunk holding `exif` when it is not empty.
Bytes encodePng(const RasterImage& picture, const Bytes& exif = {});

// A TIFF written by libtiff. Samples are given chunky, `spp` values per
// pixel, row by row from the top; the writer packs them to `bits` and
// separates planes, strips and tiles as asked.
struct TiffRecipe {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bits = 8;
    uint16_t spp = 3;
    uint16_t photometric = 2;   // RGB
    uint16_t compression = 1;   // none
    uint16_t predictor = 0;     // 0: no tag; 2: horizontal differences
    bool planar = false;
    uint32_t rowsPerStrip = 0;  // 0: one strip
    uint32_t tileWidth = 0;     // with tileLength: tiles instead of strips
    uint32_t tileLength = 0;
    std::vector<uint16_t> extraSamples;
    std::vector<uint16_t> colourMap;   // red, then green, then blue entries
    uint16_t orientation = 0;          // 0: no tag
    bool bigEndian = false;
    bool jpegRgbInput = false;         // YCbCr JPEG fed with RGB samples
};
Bytes encodeTiff(const TiffRecipe& recipe, const std::vector<uint16_t>& samples);

// Per-channel distance of two colours (alpha compared too when asked).
int colourDistance(uint32_t a, uint32_t b, bool withAlpha = false);
// Largest colourDistance over all pixels; INT_MAX when the sizes differ.
int pictureDistance(const RasterImage& a, const RasterImage& b, bool withAlpha = false);

}  // namespace gz::testing
