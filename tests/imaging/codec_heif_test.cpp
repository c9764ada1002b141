#include "imaging/codec_heif.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/format_detect.h"
#include "imaging/image_files.h"
#include "tests/imaging/image_colours.h"
#include "tests/imaging/picture_fixtures.h"

namespace gz {
namespace {

using testing::Bytes;
using testing::coloursOf;
using testing::HeifCodec;
using testing::pictureDistance;

// Lossless HEVC and AV1 (4:4:4, identity matrix) give back every colour;
// lossy ones at quality 90 stay close inside flat blocks.
TEST(HeifFiles, HeicAndAvifPixels)
{
    struct Case { const char* what; HeifCodec codec; bool lossless; bool alpha; int format; int tolerance; };
    const Case cases[] = {
        {"HEIC lossless", HeifCodec::Hevc, true, false, kImageFormatHeif, 0},
        {"AVIF lossless", HeifCodec::Av1, true, false, kImageFormatAvif, 0},
        {"AVIF lossless with alpha", HeifCodec::Av1, true, true, kImageFormatAvif, 0},
        {"HEIC lossy", HeifCodec::Hevc, false, false, kImageFormatHeif, 16},
        {"AVIF lossy", HeifCodec::Av1, false, false, kImageFormatAvif, 16},
    };
    for (const Case& c : cases) {
        const RasterImage src = c.lossless ? testing::colourfulPicture(20, 12, c.alpha) : testing::blockPicture(3, 2, 16);
        const Bytes file = testing::encodeHeif(src, c.codec, c.lossless);
        ASSERT_FALSE(file.empty()) << c.what;
        EXPECT_EQ(detectImageFormat(file.data(), file.size()), c.format) << c.what;
        RasterImage back;
        ASSERT_EQ(loadImageMemory(file.data(), file.size(), back), kImageFileOk) << c.what << imageFileLastError();
        EXPECT_EQ(back.bitsPerPixel(), c.alpha ? 32 : 24) << c.what;
        if (c.tolerance == 0) {
            EXPECT_EQ(coloursOf(back, c.alpha), coloursOf(src, c.alpha)) << c.what;
            continue;
        }
        ASSERT_EQ(back.width(), src.width()) << c.what;
        int worst = 0;
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x)
                if (x % 16 >= 3 && x % 16 < 13 && y % 16 >= 3 && y % 16 < 13)
                    worst = std::max(worst, testing::colourDistance(back.colourAt(x, y), src.colourAt(x, y)));
        EXPECT_LE(worst, c.tolerance) << c.what;
    }
}

// Replaces the compatible brand `from` of the ftyp box (same length, so no
// offset in the file moves).
Bytes withBrand(Bytes file, const char* from, const char* to)
{
    const std::size_t ftypEnd = static_cast<std::size_t>(file[3]);
    const std::string head(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(ftypEnd));
    const std::size_t at = head.find(from, 16);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        std::copy(to, to + 4, file.begin() + static_cast<std::ptrdiff_t>(at));
    return file;
}

// Brands are four free characters: a file may name "char" or "JFIF" among
// them, which the text searches find. The container signature still wins.
TEST(HeifFiles, TextBrandsDoNotHideTheContainer)
{
    const RasterImage src = testing::colourfulPicture(8, 8);
    struct Case { const char* what; Bytes file; std::vector<int> candidates; };
    const Case cases[] = {
        {"HEIC naming char", withBrand(testing::encodeHeif(src, HeifCodec::Hevc, true), "miaf", "char"),
         {kImageFormatHeif, kImageFormatXpm}},
        {"AVIF naming JFIF", withBrand(testing::encodeHeif(src, HeifCodec::Av1, true), "miaf", "JFIF"),
         {kImageFormatAvif, kImageFormatJpeg}},
    };
    for (const Case& c : cases) {
        const FormatCandidates found = detectImageFormatCandidates(c.file.data(), c.file.size());
        EXPECT_EQ(std::vector<int>(found.formats, found.formats + found.count), c.candidates) << c.what;
        RasterImage back;
        ASSERT_EQ(loadImageMemory(c.file.data(), c.file.size(), back), kImageFileOk) << c.what << imageFileLastError();
        EXPECT_EQ(coloursOf(back), coloursOf(src)) << c.what;
    }
}

TEST(HeifFiles, BrokenFilesGiveErrorsNeverCrashes)
{
    const RasterImage src = testing::colourfulPicture(16, 8);
    const Bytes heic = testing::encodeHeif(src, HeifCodec::Hevc, false);
    const Bytes avif = testing::encodeHeif(src, HeifCodec::Av1, false);
    ASSERT_FALSE(heic.empty());
    ASSERT_FALSE(avif.empty());
    const auto cut = [](const Bytes& b, std::size_t n) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n)); };
    const auto at = [](const Bytes& b, const char* what) { return std::string(b.begin(), b.end()).find(what); };
    // libheif wraps small pictures in a grid of one padded tile; the last
    // size box is the picture's own.
    const auto last = [](const Bytes& b, const char* what) { return std::string(b.begin(), b.end()).rfind(what); };
    const auto patch = [](Bytes b, std::size_t where, std::initializer_list<uint8_t> v) {
        for (uint8_t x : v)
            b[where++] = x;
        return b;
    };
    const char* const damaged = "Beschädigte HEIF-Datei !";
    const std::size_t ispe = last(heic, "ispe");
    const std::size_t mdat = at(avif, "mdat");
    struct Case { const char* what; Bytes data; int result; const char* message; };
    const Case cases[] = {
        {"HEIC ftyp only", cut(heic, static_cast<std::size_t>(heic[3])), kImageFileLibraryError, damaged},
        {"HEIC cut in meta", cut(heic, 100), kImageFileLibraryError, damaged},
        {"HEIC without its last bytes", cut(heic, heic.size() - 8), kImageFileLibraryError, damaged},
        {"AVIF cut in its data", cut(avif, mdat + 12), kImageFileLibraryError, damaged},
        {"meta renamed", patch(heic, at(heic, "meta"), {'m', 'e', 't', 'x'}), kImageFileLibraryError, damaged},
        {"picture size 0 x 0", patch(heic, ispe + 8, {0, 0, 0, 0, 0, 0, 0, 0}), kImageFileLibraryError, damaged},
        {"picture size 40000 wide", patch(heic, ispe + 8, {0, 0, 0x9C, 0x40}), kImageFilePicSize,
         "Das Bild ist zu groß"},
    };
    for (const Case& c : cases) {
        RasterImage img;
        EXPECT_EQ(loadImageMemory(c.data.data(), c.data.size(), img), c.result) << c.what;
        EXPECT_STREQ(imageFileLastError(), c.message) << c.what;
        EXPECT_TRUE(img.isEmpty()) << c.what;
    }
    // A grid larger than its tiles: libheif decides (it fills the rest);
    // the loader only must not fail in any other way than by its codes.
    const Bytes larger = patch(heic, ispe + 8, {0, 0, 1, 0, 0, 0, 1, 0});
    RasterImage grid;
    const int rc = loadImageMemory(larger.data(), larger.size(), grid);
    EXPECT_TRUE(rc <= 0 && rc >= kImageFileUnknownError) << rc;

    // An ftyp box naming no picture brand is no HEIF file at all.
    const Bytes video = patch(patch(heic, 8, {'i', 's', 'o', 'm'}), 16, {'m', 'p', '4', '2', 'm', 'p', '4', '1'});
    RasterImage none;
    EXPECT_EQ(loadImageMemory(video.data(), video.size(), none), kImageFileUnknownFormat);

    // Every cut of the AVIF: a result code, nothing else.
    for (std::size_t n = 0; n < avif.size(); n += 7) {
        const Bytes part = cut(avif, n);
        RasterImage img;
        const int rc = loadImageMemory(part.data(), part.size(), img);
        EXPECT_TRUE(rc < 0 && rc >= kImageFileUnknownError) << n << " " << rc;
    }
}

TEST(HeifFiles, MemoryLimitAndProgressAbort)
{
    const RasterImage src = testing::colourfulPicture(64, 32);
    const Bytes file = testing::encodeHeif(src, HeifCodec::Av1, false);
    setImageMemoryLimit(20000);
    RasterImage small;
    EXPECT_EQ(loadImageMemory(file.data(), file.size(), small), kImageFilePicSize);
    setImageMemoryLimit(std::size_t{1} << 30);

    RasterImage img;
    img.setProgress([](void*, int percent, bool* abort) { *abort = percent >= 50; }, nullptr);
    EXPECT_EQ(loadImageMemory(file.data(), file.size(), img), kImageFileLibraryError);
    EXPECT_STREQ(imageFileLastError(), "Benutzer Abbruch");
}

}  // namespace
}  // namespace gz
