// Writes the small WebP, HEIC, AVIF, TIFF, JPEG and PNG samples of the
// image fuzzer's seed corpus, made with the same encoders as the codec
// tests' fixtures. Usage: gz_make_picture_samples <folder>
// (the committed ones: tests/fuzz/corpus/image_files).
#include <tiffio.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/imaging/picture_fixtures.h"

namespace {

using gz::RasterImage;
using gz::testing::Bytes;
using gz::testing::HeifCodec;
using gz::testing::TiffRecipe;

TiffRecipe tiffSpec(uint16_t bits, uint16_t spp, uint16_t photometric, const std::function<void(TiffRecipe&)>& change = {})
{
    TiffRecipe s;
    s.width = 20;
    s.height = 18;
    s.bits = bits;
    s.spp = spp;
    s.photometric = photometric;
    if (change)
        change(s);
    return s;
}

Bytes tiffFile(const TiffRecipe& s)
{
    std::vector<uint16_t> samples;
    const uint32_t top = s.bits == 16 ? 65535 : (1u << s.bits) - 1;
    for (uint32_t y = 0; y < s.height; ++y)
        for (uint32_t x = 0; x < s.width; ++x)
            for (int c = 0; c < s.spp; ++c)
                samples.push_back(static_cast<uint16_t>((x * 13 + y * 7 + c * 50) * (top / 255 + 1) % (top + 1)));
    return gz::testing::encodeTiff(s, samples);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const RasterImage small = gz::testing::colourfulPicture(8, 6);
    const RasterImage alpha = gz::testing::colourfulPicture(8, 6, true);
    const RasterImage blocks = gz::testing::blockPicture(3, 2);
    const Bytes exif6 = gz::testing::exifWithOrientation(6, true);
    const std::vector<uint16_t> palette = [] {
        std::vector<uint16_t> map(48);
        for (int i = 0; i < 48; ++i)
            map[static_cast<std::size_t>(i)] = static_cast<uint16_t>(i * 1365);
        return map;
    }();

    const std::vector<std::pair<std::string, Bytes>> samples = {
        {"webp_lossless.webp", gz::testing::encodeWebp(small, true)},
        {"webp_lossy_alpha.webp", gz::testing::encodeWebp(alpha, false)},
        {"webp_exif6.webp", gz::testing::encodeWebp(small, true, exif6)},
        {"webp_animation.webp", gz::testing::encodeAnimatedWebp({&small, &alpha})},
        {"heic_small.heic", gz::testing::encodeHeif(small, HeifCodec::Hevc, false)},
        {"heic_irot_exif6.heic", gz::testing::encodeHeif(small, HeifCodec::Hevc, false, 6, exif6)},
        {"avif_small.avif", gz::testing::encodeHeif(small, HeifCodec::Av1, false)},
        {"avif_alpha_lossless.avif", gz::testing::encodeHeif(alpha, HeifCodec::Av1, true)},
        {"libtiff_lzw_predictor.tif", tiffFile(tiffSpec(8, 3, PHOTOMETRIC_RGB, [](TiffRecipe& s) { s.compression = COMPRESSION_LZW; s.predictor = 2; }))},
        {"libtiff_deflate.tif", tiffFile(tiffSpec(8, 3, PHOTOMETRIC_RGB, [](TiffRecipe& s) { s.compression = COMPRESSION_ADOBE_DEFLATE; }))},
        {"libtiff_jpeg_ycbcr.tif", tiffFile(tiffSpec(8, 3, PHOTOMETRIC_YCBCR, [](TiffRecipe& s) { s.compression = COMPRESSION_JPEG; s.jpegRgbInput = true; s.width = s.height = 16; }))},
        {"libtiff_tiled.tif", tiffFile(tiffSpec(8, 3, PHOTOMETRIC_RGB, [](TiffRecipe& s) { s.tileWidth = s.tileLength = 16; }))},
        {"libtiff_16bit_rgba_planar.tif", tiffFile(tiffSpec(16, 4, PHOTOMETRIC_RGB, [](TiffRecipe& s) { s.planar = true; s.extraSamples = {EXTRASAMPLE_UNASSALPHA}; s.compression = COMPRESSION_LZW; }))},
        {"libtiff_cmyk.tif", tiffFile(tiffSpec(8, 4, PHOTOMETRIC_SEPARATED))},
        {"libtiff_palette4.tif", tiffFile(tiffSpec(4, 1, PHOTOMETRIC_PALETTE, [&](TiffRecipe& s) { s.colourMap = palette; }))},
        {"libtiff_g4_white_is_zero.tif", tiffFile(tiffSpec(1, 1, PHOTOMETRIC_MINISWHITE, [](TiffRecipe& s) { s.compression = COMPRESSION_CCITTFAX4; }))},
        {"libtiff_orientation8_bigendian.tif", tiffFile(tiffSpec(8, 1, PHOTOMETRIC_MINISBLACK, [](TiffRecipe& s) { s.orientation = 8; s.bigEndian = true; }))},
        {"jpeg_exif6.jpg", gz::testing::encodeJpeg(blocks, gz::testing::exifWithOrientation(6, false, true))},
        {"png_exif8.png", gz::testing::encodePng(small, gz::testing::exifWithOrientation(8))},
    };
    int failed = 0;
    for (const auto& [name, bytes] : samples) {
        if (bytes.empty()) {
            std::fprintf(stderr, "%s: not made\n", name.c_str());
            ++failed;
            continue;
        }
        std::ofstream out(folder + "/" + name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "%s: not written\n", name.c_str());
            ++failed;
        }
    }
    return failed == 0 ? 0 : 1;
}
