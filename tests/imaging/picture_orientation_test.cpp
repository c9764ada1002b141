// Loading turns pictures upright by the orientation their files record.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <functional>
#include <string>
#include <vector>

#include "imaging/image_files.h"
#include "imaging/image_orientation.h"
#include "tests/imaging/image_colours.h"
#include "tests/imaging/picture_fixtures.h"

namespace gz {
namespace {

using testing::Bytes;
using testing::HeifCodec;

// What the camera saw: the stored picture turned by `orientation`.
RasterImage upright(const RasterImage& stored, int orientation)
{
    RasterImage out;
    EXPECT_TRUE(out.copyFrom(stored));
    orientImage(out, orientation);
    return out;
}

Bytes tiffWithOrientation(const RasterImage& stored, uint16_t orientation)
{
    testing::TiffRecipe recipe;
    recipe.width = static_cast<uint32_t>(stored.width());
    recipe.height = static_cast<uint32_t>(stored.height());
    recipe.compression = COMPRESSION_LZW;
    recipe.orientation = orientation;
    std::vector<uint16_t> samples;
    for (int y = 0; y < stored.height(); ++y)
        for (int x = 0; x < stored.width(); ++x)
            for (int s = 16; s >= 0; s -= 8)
                samples.push_back(static_cast<uint16_t>((stored.colourAt(x, y) >> s) & 0xFF));
    return testing::encodeTiff(recipe, samples);
}

// 3 x 2 blocks of 8 pixels, each its own colour: every one of the eight
// codes gives a different picture. JPEG at quality 100 without chroma
// subsampling keeps flat 8 x 8 blocks within 3 per channel.
TEST(PictureOrientation, JpegEveryCode)
{
    const RasterImage stored = testing::blockPicture(3, 2);
    for (int o = 1; o <= 8; ++o) {
        for (bool big : {false, true}) {
            const Bytes file = testing::encodeJpeg(stored, testing::exifWithOrientation(o, big, true));
            RasterImage img;
            ASSERT_EQ(loadImageMemory(file.data(), file.size(), img), kImageFileOk) << o << imageFileLastError();
            EXPECT_LE(testing::pictureDistance(img, upright(stored, o)), 3) << "code " << o << (big ? " MM" : " II");
        }
    }
    // Code 6 by hand: the stored top-left block ends up top-right.
    const Bytes six = testing::encodeJpeg(stored, testing::exifWithOrientation(6, false, true));
    RasterImage img;
    ASSERT_EQ(loadImageMemory(six.data(), six.size(), img), kImageFileOk);
    ASSERT_EQ(img.width(), 16);
    ASSERT_EQ(img.height(), 24);
    EXPECT_LE(testing::colourDistance(img.colourAt(12, 3), stored.colourAt(3, 3)), 3);
}

// Markers that are not an Exif orientation leave the picture as stored.
TEST(PictureOrientation, JpegWithoutUsableOrientation)
{
    const RasterImage stored = testing::blockPicture(3, 2);
    const char xmp[] = "http://ns.adobe.com/xap/1.0/\0<x:xmpmeta tiff:Orientation=\"6\"/>";
    const Bytes noPrefix = testing::exifWithOrientation(6);   // a bare TIFF structure is not Exif
    struct Case { const char* what; Bytes app1; };
    const Case cases[] = {
        {"no APP1", {}},
        {"XMP", Bytes(xmp, xmp + sizeof xmp - 1)},
        {"Exif without its name", noPrefix},
        {"orientation 9", testing::exifWithOrientation(9, false, true)},
        {"orientation 0", testing::exifWithOrientation(0, true, true)},
        {"Exif cut after its name", {'E', 'x', 'i', 'f', 0, 0, 'M', 'M'}},
    };
    for (const Case& c : cases) {
        const Bytes file = testing::encodeJpeg(stored, c.app1);
        RasterImage img;
        ASSERT_EQ(loadImageMemory(file.data(), file.size(), img), kImageFileOk) << c.what;
        EXPECT_LE(testing::pictureDistance(img, stored), 3) << c.what;
    }
}

// One turned case per format, and the HEIF rule: the container's own turn
// counts and an Exif orientation beside it is not applied a second time.
TEST(PictureOrientation, EveryFormatThatRecordsIt)
{
    const RasterImage stored = testing::colourfulPicture(10, 6);
    struct Case {
        const char* what;
        std::function<Bytes()> make;
        int orientation;   // the expected turn
        int tolerance;
    };
    const Case cases[] = {
        {"PNG eXIf 8", [&] { return testing::encodePng(stored, testing::exifWithOrientation(8, true)); }, 8, 0},
        {"PNG without eXIf", [&] { return testing::encodePng(stored); }, 1, 0},
        {"TIFF Orientation 6", [&] { return tiffWithOrientation(stored, 6); }, 6, 0},
        {"TIFF Orientation 3", [&] { return tiffWithOrientation(stored, 3); }, 3, 0},
        {"TIFF Orientation 9 is ignored", [&] { return tiffWithOrientation(stored, 9); }, 1, 0},
        {"WebP EXIF 6", [&] { return testing::encodeWebp(stored, true, testing::exifWithOrientation(6)); }, 6, 0},
        {"WebP EXIF behind Exif\\0\\0, 5", [&] { return testing::encodeWebp(stored, true, testing::exifWithOrientation(5, true, true)); }, 5, 0},
        {"HEIC Exif 6 only", [&] { return testing::encodeHeif(stored, HeifCodec::Hevc, true, 1, testing::exifWithOrientation(6, true)); }, 6, 0},
        {"HEIC container 6 and Exif 6", [&] { return testing::encodeHeif(stored, HeifCodec::Hevc, true, 6, testing::exifWithOrientation(6, true)); }, 6, 0},
        {"HEIC container 3, Exif says 6", [&] { return testing::encodeHeif(stored, HeifCodec::Hevc, true, 3, testing::exifWithOrientation(6)); }, 3, 0},
        {"AVIF container 8", [&] { return testing::encodeHeif(stored, HeifCodec::Av1, true, 8); }, 8, 0},
        {"AVIF container 2 (mirror)", [&] { return testing::encodeHeif(stored, HeifCodec::Av1, true, 2); }, 2, 0},
    };
    for (const Case& c : cases) {
        const Bytes file = c.make();
        ASSERT_FALSE(file.empty()) << c.what;
        RasterImage img;
        ASSERT_EQ(loadImageMemory(file.data(), file.size(), img), kImageFileOk) << c.what << ": " << imageFileLastError();
        EXPECT_LE(testing::pictureDistance(img, upright(stored, c.orientation)), c.tolerance) << c.what;
    }
}

}  // namespace
}  // namespace gz
