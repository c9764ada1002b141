#include "imaging/codec_tiff.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <functional>
#include <string>
#include <vector>

#include "imaging/format_detect.h"
#include "imaging/image_files.h"
#include "tests/imaging/image_colours.h"
#include "tests/imaging/picture_fixtures.h"

namespace gz {
namespace {

using testing::Bytes;
using testing::TiffRecipe;

// 37 x 21 crosses 16-pixel tiles and 5-row strips with partial edges.
constexpr uint32_t kW = 37;
constexpr uint32_t kH = 21;

using SampleFn = std::function<uint16_t(uint32_t x, uint32_t y, int sample)>;
using ColourFn = std::function<uint32_t(uint32_t x, uint32_t y)>;   // 0xAARRGGBB

std::vector<uint16_t> samplesOf(const TiffRecipe& recipe, const SampleFn& f)
{
    std::vector<uint16_t> out;
    for (uint32_t y = 0; y < recipe.height; ++y)
        for (uint32_t x = 0; x < recipe.width; ++x)
            for (int s = 0; s < recipe.spp; ++s)
                out.push_back(f(x, y, s));
    return out;
}

TiffRecipe recipe(uint16_t bits, uint16_t spp, uint16_t photometric)
{
    TiffRecipe s;
    s.width = kW;
    s.height = kH;
    s.bits = bits;
    s.spp = spp;
    s.photometric = photometric;
    return s;
}

template <class F>
TiffRecipe with(TiffRecipe s, F change)
{
    change(s);
    return s;
}

// Sample values that differ between neighbours and channels.
uint16_t byteSample(uint32_t x, uint32_t y, int s) { return static_cast<uint16_t>((x * 7 + y * 13 + s * 71 + x * y) & 0xFF); }
uint32_t rgbOf(uint32_t x, uint32_t y)
{
    return static_cast<uint32_t>(byteSample(x, y, 0)) << 16 | static_cast<uint32_t>(byteSample(x, y, 1)) << 8 |
           byteSample(x, y, 2);
}
// 16-bit samples whose top byte is the 8-bit sample and whose low byte is
// below half, so scaling to 8 bits gives that byte back.
uint16_t wordSample(uint32_t x, uint32_t y, int s) { return static_cast<uint16_t>(byteSample(x, y, s) * 257 - (byteSample(x, y, s) > 0 ? (x % 100) : 0)); }

uint32_t grey(uint32_t v) { return v * 0x010101u; }

std::vector<uint16_t> colourMap(int bits, bool eightBit)
{
    const int n = 1 << bits;
    std::vector<uint16_t> map(3 * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const uint32_t c = (static_cast<uint32_t>(i) * 0x3A1F27u + 0x102030u) & 0xFFFFFF;
        map[i] = static_cast<uint16_t>(((c >> 16) & 0xFF) * (eightBit ? 1 : 257));
        map[n + i] = static_cast<uint16_t>(((c >> 8) & 0xFF) * (eightBit ? 1 : 257));
        map[2 * n + i] = static_cast<uint16_t>((c & 0xFF) * (eightBit ? 1 : 257));
    }
    return map;
}

uint32_t mapColour(uint32_t index) { return (index * 0x3A1F27u + 0x102030u) & 0xFFFFFF; }

struct Variant {
    const char* what;
    TiffRecipe recipe;
    SampleFn sample;
    int depth;            // depth of the loaded picture
    ColourFn colour;      // expected colour, alpha in the top byte at 32 bits
};

// Every common kind of TIFF, each against the picture it must give.
TEST(TiffFiles, EveryCommonKindGivesItsPicture)
{
    const SampleFn bytes = byteSample;
    const ColourFn rgb = rgbOf;
    const auto index = [](int bits) { return [bits](uint32_t x, uint32_t y, int) { return static_cast<uint16_t>((x + 3 * y) % (1u << bits)); }; };
    const Variant variants[] = {
        {"uncompressed RGB in strips of 5 rows", with(recipe(8, 3, PHOTOMETRIC_RGB), [](TiffRecipe& s) { s.rowsPerStrip = 5; }),
         bytes, 24, rgb},
        {"LZW RGB with predictor", with(recipe(8, 3, PHOTOMETRIC_RGB), [](TiffRecipe& s) { s.compression = COMPRESSION_LZW; s.predictor = 2; }),
         bytes, 24, rgb},
        {"Deflate RGB with predictor", with(recipe(8, 3, PHOTOMETRIC_RGB), [](TiffRecipe& s) { s.compression = COMPRESSION_ADOBE_DEFLATE; s.predictor = 2; }),
         bytes, 24, rgb},
        {"old Deflate code", with(recipe(8, 3, PHOTOMETRIC_RGB), [](TiffRecipe& s) { s.compression = COMPRESSION_DEFLATE; }),
         bytes, 24, rgb},
        {"PackBits grey", with(recipe(8, 1, PHOTOMETRIC_MINISBLACK), [](TiffRecipe& s) { s.compression = COMPRESSION_PACKBITS; }),
         bytes, 8, [](uint32_t x, uint32_t y) { return grey(byteSample(x, y, 0)); }},
        {"tiled RGB with partial edge tiles", with(recipe(8, 3, PHOTOMETRIC_RGB), [](TiffRecipe& s) { s.tileWidth = 16; s.tileLength = 16; }),
         bytes, 24, rgb},
        {"tiled LZW 4-bit grey", with(recipe(4, 1, PHOTOMETRIC_MINISBLACK), [](TiffRecipe& s) { s.tileWidth = 16; s.tileLength = 16; s.compression = COMPRESSION_LZW; }),
         index(4), 4, [](uint32_t x, uint32_t y) { return grey((x + 3 * y) % 16 * 17); }},
        {"16-bit RGB", recipe(16, 3, PHOTOMETRIC_RGB), wordSample, 24, rgb},
        {"16-bit RGB big-endian", with(recipe(16, 3, PHOTOMETRIC_RGB), [](TiffRecipe& s) { s.bigEndian = true; }), wordSample, 24, rgb},
        {"16-bit grey", recipe(16, 1, PHOTOMETRIC_MINISBLACK), wordSample, 8,
         [](uint32_t x, uint32_t y) { return grey(byteSample(x, y, 0)); }},
        {"planar RGB", with(recipe(8, 3, PHOTOMETRIC_RGB), [](TiffRecipe& s) { s.planar = true; s.rowsPerStrip = 4; }), bytes, 24, rgb},
        {"planar tiled LZW RGB", with(recipe(8, 3, PHOTOMETRIC_RGB), [](TiffRecipe& s) { s.planar = true; s.tileWidth = 16; s.tileLength = 16; s.compression = COMPRESSION_LZW; }),
         bytes, 24, rgb},
        {"planar 16-bit RGBA", with(recipe(16, 4, PHOTOMETRIC_RGB), [](TiffRecipe& s) { s.planar = true; s.extraSamples = {EXTRASAMPLE_UNASSALPHA}; }),
         wordSample, 32, [](uint32_t x, uint32_t y) { return rgbOf(x, y) | static_cast<uint32_t>(byteSample(x, y, 3)) << 24; }},
        {"RGBA, unassociated alpha", with(recipe(8, 4, PHOTOMETRIC_RGB), [](TiffRecipe& s) { s.extraSamples = {EXTRASAMPLE_UNASSALPHA}; }),
         bytes, 32, [](uint32_t x, uint32_t y) { return rgbOf(x, y) | static_cast<uint32_t>(byteSample(x, y, 3)) << 24; }},
        {"RGBA without an ExtraSamples tag", recipe(8, 4, PHOTOMETRIC_RGB),
         bytes, 32, [](uint32_t x, uint32_t y) { return rgbOf(x, y) | static_cast<uint32_t>(byteSample(x, y, 3)) << 24; }},
        // Premultiplied colours that divide back exactly: multiples of 5 at alpha 255, 51 and 0.
        {"RGBA, associated alpha", with(recipe(8, 4, PHOTOMETRIC_RGB), [](TiffRecipe& s) { s.extraSamples = {EXTRASAMPLE_ASSOCALPHA}; }),
         [](uint32_t x, uint32_t y, int s) -> uint16_t {
             const uint32_t a = (x + y) % 3 == 0 ? 255 : (x + y) % 3 == 1 ? 51 : 0;
             return static_cast<uint16_t>(s == 3 ? a : byteSample(x, y, s) / 5 * 5 * a / 255);
         },
         32, [](uint32_t x, uint32_t y) -> uint32_t {
             const uint32_t a = (x + y) % 3 == 0 ? 255 : (x + y) % 3 == 1 ? 51 : 0;
             if (a == 0)
                 return 0;
             return a << 24 | static_cast<uint32_t>(byteSample(x, y, 0) / 5 * 5) << 16 |
                    static_cast<uint32_t>(byteSample(x, y, 1) / 5 * 5) << 8 | (byteSample(x, y, 2) / 5 * 5);
         }},
        {"RGB with an extra sample that is not alpha", with(recipe(8, 4, PHOTOMETRIC_RGB), [](TiffRecipe& s) { s.extraSamples = {EXTRASAMPLE_UNSPECIFIED}; }),
         bytes, 24, rgb},
        {"grey with alpha, big-endian 16 bits", with(recipe(16, 2, PHOTOMETRIC_MINISBLACK), [](TiffRecipe& s) { s.extraSamples = {EXTRASAMPLE_UNASSALPHA}; s.bigEndian = true; }),
         wordSample, 32, [](uint32_t x, uint32_t y) { return grey(byteSample(x, y, 0)) | static_cast<uint32_t>(byteSample(x, y, 1)) << 24; }},
        {"8-bit palette", with(recipe(8, 1, PHOTOMETRIC_PALETTE), [](TiffRecipe& s) { s.colourMap = colourMap(8, false); s.compression = COMPRESSION_LZW; }),
         index(8), 8, [](uint32_t x, uint32_t y) { return mapColour((x + 3 * y) % 256); }},
        {"4-bit palette with an 8-bit colour map", with(recipe(4, 1, PHOTOMETRIC_PALETTE), [](TiffRecipe& s) { s.colourMap = colourMap(4, true); }),
         index(4), 4, [](uint32_t x, uint32_t y) { return mapColour((x + 3 * y) % 16); }},
        {"2-bit palette", with(recipe(2, 1, PHOTOMETRIC_PALETTE), [](TiffRecipe& s) { s.colourMap = colourMap(2, false); }),
         index(2), 2, [](uint32_t x, uint32_t y) { return mapColour((x + 3 * y) % 4); }},
        {"1-bit white is zero, CCITT G4", with(recipe(1, 1, PHOTOMETRIC_MINISWHITE), [](TiffRecipe& s) { s.compression = COMPRESSION_CCITTFAX4; }),
         index(1), 1, [](uint32_t x, uint32_t y) { return (x + 3 * y) % 2 ? 0u : 0xFFFFFFu; }},
        // CMYK turns into RGB as 255 - ink where no black is used, black where it is.
        {"CMYK", recipe(8, 4, PHOTOMETRIC_SEPARATED),
         [](uint32_t x, uint32_t y, int s) -> uint16_t { return s == 3 ? ((x + y) % 4 == 0 ? 255 : 0) : byteSample(x, y, s); },
         24, [](uint32_t x, uint32_t y) -> uint32_t {
             if ((x + y) % 4 == 0)
                 return 0;
             return (255u - byteSample(x, y, 0)) << 16 | (255u - byteSample(x, y, 1)) << 8 | (255u - byteSample(x, y, 2));
         }},
    };
    for (const Variant& v : variants) {
        const Bytes file = testing::encodeTiff(v.recipe, samplesOf(v.recipe, v.sample));
        ASSERT_FALSE(file.empty()) << v.what;
        ASSERT_EQ(detectImageFormat(file.data(), file.size()), kImageFormatTiff) << v.what;
        RasterImage img;
        ASSERT_EQ(loadImageMemory(file.data(), file.size(), img), kImageFileOk) << v.what << ": " << imageFileLastError();
        EXPECT_EQ(img.bitsPerPixel(), v.depth) << v.what;
        ASSERT_EQ(img.width(), static_cast<int>(kW)) << v.what;
        ASSERT_EQ(img.height(), static_cast<int>(kH)) << v.what;
        int wrong = 0;
        for (uint32_t y = 0; y < kH; ++y)
            for (uint32_t x = 0; x < kW; ++x) {
                const uint32_t got = img.colourAt(static_cast<int>(x), static_cast<int>(y));
                const uint32_t want = v.colour(x, y);
                const uint32_t mask = v.depth == 32 ? 0xFFFFFFFFu : 0xFFFFFFu;
                if ((got & mask) != (want & mask) && ++wrong <= 3)
                    ADD_FAILURE() << v.what << " at " << x << "," << y << ": " << std::hex << got << " instead of " << want;
            }
    }
}

// JPEG inside TIFF, as RGB and as subsampled YCbCr: flat 8-pixel blocks
// keep their colour within a few steps.
TEST(TiffFiles, JpegCompressedStripsAndTiles)
{
    const RasterImage blocks = testing::blockPicture(4, 3, 16);
    const SampleFn fromBlocks = [&](uint32_t x, uint32_t y, int s) {
        return static_cast<uint16_t>((blocks.colourAt(static_cast<int>(x), static_cast<int>(y)) >> (16 - 8 * s)) & 0xFF);
    };
    TiffRecipe base = recipe(8, 3, PHOTOMETRIC_RGB);
    base.width = static_cast<uint32_t>(blocks.width());
    base.height = static_cast<uint32_t>(blocks.height());
    base.compression = COMPRESSION_JPEG;
    base.rowsPerStrip = 16;
    struct Case { const char* what; TiffRecipe recipe; int tolerance; };
    const Case cases[] = {
        {"RGB strips", base, 6},
        {"YCbCr strips", with(base, [](TiffRecipe& s) { s.photometric = PHOTOMETRIC_YCBCR; s.jpegRgbInput = true; }), 12},
        {"YCbCr tiles", with(base, [](TiffRecipe& s) { s.photometric = PHOTOMETRIC_YCBCR; s.jpegRgbInput = true; s.tileWidth = 16; s.tileLength = 16; }), 12},
    };
    for (const Case& c : cases) {
        const Bytes file = testing::encodeTiff(c.recipe, samplesOf(c.recipe, fromBlocks));
        RasterImage img;
        ASSERT_EQ(loadImageMemory(file.data(), file.size(), img), kImageFileOk) << c.what << ": " << imageFileLastError();
        EXPECT_EQ(img.bitsPerPixel(), 24) << c.what;
        int worst = 0;
        for (int y = 0; y < blocks.height(); ++y)
            for (int x = 0; x < blocks.width(); ++x)
                if (x % 16 >= 2 && x % 16 < 14 && y % 16 >= 2 && y % 16 < 14)
                    worst = std::max(worst, testing::colourDistance(img.colourAt(x, y), blocks.colourAt(x, y)));
        EXPECT_LE(worst, c.tolerance) << c.what;
    }
}

TEST(TiffFiles, RefusedAndBrokenFiles)
{
    const TiffRecipe rgb = recipe(8, 3, PHOTOMETRIC_RGB);
    const Bytes good = testing::encodeTiff(with(rgb, [](TiffRecipe& s) { s.compression = COMPRESSION_LZW; s.rowsPerStrip = 4; }),
                                           samplesOf(rgb, byteSample));
    const TiffRecipe twelve = recipe(12, 1, PHOTOMETRIC_MINISBLACK);
    const TiffRecipe deepPalette = with(recipe(16, 1, PHOTOMETRIC_PALETTE), [](TiffRecipe& s) { s.colourMap = colourMap(16, false); });
    const auto cut = [](const Bytes& b, std::size_t n) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n)); };
    struct Case { const char* what; Bytes data; const char* message; };
    const Case cases[] = {
        {"12-bit grey", testing::encodeTiff(twelve, samplesOf(twelve, byteSample)), "Modus ist nicht unterstützt"},
        {"16-bit palette", testing::encodeTiff(deepPalette, samplesOf(deepPalette, byteSample)), "Modus ist nicht unterstützt"},
        {"header only", cut(good, 8), "Falscher Header"},
        {"wrong magic number", {'I', 'I', 43, 0, 8, 0, 0, 0, 0, 0}, "Falscher Header"},
        // libtiff's writer puts the directory last: cut into it, or into the pixels.
        {"cut in the directory", cut(good, good.size() - 20), "Falscher Header"},
    };
    for (const Case& c : cases) {
        RasterImage img;
        EXPECT_EQ(loadImageMemory(c.data.data(), c.data.size(), img), kImageFileLibraryError) << c.what;
        EXPECT_STREQ(imageFileLastError(), c.message) << c.what;
        EXPECT_TRUE(img.isEmpty()) << c.what;
    }
    // Every cut and every flipped byte: a result code, nothing else.
    for (std::size_t n = 0; n < good.size(); ++n) {
        const Bytes part = cut(good, n);
        Bytes flipped = good;
        flipped[n] ^= 0xA5;
        for (const Bytes* b : {&part, static_cast<const Bytes*>(&flipped)}) {
            RasterImage img;
            const int rc = loadImageMemory(b->data(), b->size(), img);
            EXPECT_TRUE(rc <= 0 && rc >= kImageFileUnknownError) << n << " " << rc;
        }
    }
}

// Our own writer's output is unchanged and still read back exactly.
TEST(TiffFiles, OwnWriterOutputIsReadBack)
{
    for (int bpp : {1, 4, 8, 24, 32}) {
        RasterImage src;
        ASSERT_TRUE(src.create(bpp, 13, 7, 0u));
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x)
                src.setPixel(x, y, bpp <= 8 ? static_cast<uint32_t>(x + y) % (1u << bpp) : rgbOf(static_cast<uint32_t>(x), static_cast<uint32_t>(y)));
        Bytes file;
        ASSERT_EQ(saveImageMemory(kImageFormatTiff, src, file), kImageFileOk);
        RasterImage back;
        ASSERT_EQ(loadImageMemory(file.data(), file.size(), back), kImageFileOk) << bpp << imageFileLastError();
        EXPECT_EQ(back.bitsPerPixel(), bpp <= 8 ? bpp : 24) << bpp;
        EXPECT_EQ(testing::coloursOf(back), testing::coloursOf(src)) << bpp;
    }
}

TEST(TiffFiles, MemoryLimitAndProgressAbort)
{
    const TiffRecipe s = with(recipe(8, 3, PHOTOMETRIC_RGB), [](TiffRecipe& t) { t.rowsPerStrip = 2; });
    const Bytes file = testing::encodeTiff(s, samplesOf(s, byteSample));
    setImageMemoryLimit(1000);
    RasterImage small;
    EXPECT_EQ(loadImageMemory(file.data(), file.size(), small), kImageFilePicSize);
    setImageMemoryLimit(std::size_t{1} << 30);

    RasterImage img;
    int calls = 0;
    img.setProgress(
        [](void* user, int percent, bool* abort) {
            ++*static_cast<int*>(user);
            *abort = percent >= 50;
        },
        &calls);
    EXPECT_EQ(loadImageMemory(file.data(), file.size(), img), kImageFileLibraryError);
    EXPECT_STREQ(imageFileLastError(), "Benutzer Abbruch");
    EXPECT_GT(calls, 1);
}

}  // namespace
}  // namespace gz
