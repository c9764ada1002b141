#include "imaging/codec_webp.h"

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
using testing::pictureDistance;

TEST(WebpFiles, LosslessGivesTheExactPixels)
{
    struct Case { const char* what; bool alpha; int w, h; };
    const Case cases[] = {
        {"RGB", false, 19, 13},
        {"RGBA", true, 19, 13},
        {"one pixel", false, 1, 1},
        {"one long row", true, 300, 1},
    };
    for (const Case& c : cases) {
        const RasterImage src = testing::colourfulPicture(c.w, c.h, c.alpha);
        const Bytes file = testing::encodeWebp(src, true);
        ASSERT_EQ(detectImageFormat(file.data(), file.size()), kImageFormatWebp) << c.what;
        RasterImage back;
        ASSERT_EQ(loadImageMemory(file.data(), file.size(), back), kImageFileOk) << c.what << imageFileLastError();
        EXPECT_EQ(back.bitsPerPixel(), c.alpha ? 32 : 24) << c.what;
        EXPECT_EQ(coloursOf(back, c.alpha), coloursOf(src, c.alpha)) << c.what;
    }
}

// Lossy WebP at quality 90 with 4:2:0 colour: flat 16-pixel blocks keep
// their colour within 12 per channel away from the block edges.
TEST(WebpFiles, LossyStaysCloseInsideFlatBlocks)
{
    const RasterImage src = testing::blockPicture(4, 3, 16);
    const Bytes file = testing::encodeWebp(src, false);
    RasterImage back;
    ASSERT_EQ(loadImageMemory(file.data(), file.size(), back), kImageFileOk) << imageFileLastError();
    ASSERT_EQ(back.bitsPerPixel(), 24);
    ASSERT_EQ(back.width(), src.width());
    ASSERT_EQ(back.height(), src.height());
    int worst = 0;
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            if (x % 16 >= 3 && x % 16 < 13 && y % 16 >= 3 && y % 16 < 13)
                worst = std::max(worst, testing::colourDistance(back.colourAt(x, y), src.colourAt(x, y)));
    EXPECT_LE(worst, 12);
}

TEST(WebpFiles, AnimationShowsItsFirstFrame)
{
    const RasterImage first = testing::colourfulPicture(12, 10);
    RasterImage second;
    ASSERT_TRUE(second.create(24, 12, 10, 0x00FF00u));
    const Bytes file = testing::encodeAnimatedWebp({&first, &second});
    RasterImage back;
    ASSERT_EQ(loadImageMemory(file.data(), file.size(), back), kImageFileOk) << imageFileLastError();
    EXPECT_EQ(coloursOf(back), coloursOf(first));
}

// An ICC profile stands right after the extended header, so its text is
// among the first 64 bytes the detection reads: "JFIF", "XPM" and "char"
// match, and the WebP signature still wins.
TEST(WebpFiles, TextInTheFirstBytesDoesNotHideTheWebp)
{
    const RasterImage src = testing::colourfulPicture(8, 8);
    const std::string text = "JFIF XPM char profile";
    const Bytes file = testing::encodeWebp(src, true, {}, Bytes(text.begin(), text.end()));
    const FormatCandidates found = detectImageFormatCandidates(file.data(), file.size());
    ASSERT_GE(found.count, 3);
    EXPECT_EQ(found.formats[0], kImageFormatWebp);
    EXPECT_EQ(found.formats[1], kImageFormatXpm);
    EXPECT_EQ(found.formats[2], kImageFormatJpeg);
    RasterImage back;
    ASSERT_EQ(loadImageMemory(file.data(), file.size(), back), kImageFileOk) << imageFileLastError();
    EXPECT_EQ(coloursOf(back), coloursOf(src));
}

TEST(WebpFiles, BrokenFilesGiveErrorsNeverCrashes)
{
    const RasterImage src = testing::colourfulPicture(24, 16, true);
    const Bytes lossless = testing::encodeWebp(src, true);
    const Bytes lossy = testing::encodeWebp(testing::blockPicture(3, 2), false);
    ASSERT_GT(lossless.size(), 40u);
    const auto cut = [](const Bytes& b, std::size_t n) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n)); };
    const auto patch = [](Bytes b, std::size_t at, std::initializer_list<uint8_t> v) {
        for (uint8_t x : v)
            b[at++] = x;
        return b;
    };
    const char* const damaged = "Beschädigte WebP-Datei !";
    const char* const notWebp = "Die Datei ist keine WebP-Datei !";
    struct Case { const char* what; Bytes data; const char* message; };
    const Case cases[] = {
        {"signature only", cut(lossless, 12), damaged},
        {"cut in the chunk header", cut(lossless, 18), damaged},
        {"lossless cut in half", cut(lossless, lossless.size() / 2), damaged},
        {"lossless without its last 8 bytes", cut(lossless, lossless.size() - 8), damaged},
        {"lossy cut in half", cut(lossy, lossy.size() / 2), damaged},
        {"unknown chunk instead of VP8L", patch(lossless, 12, {'X', 'Y', 'Z', 'W'}), notWebp},
        {"lossless signature byte wrong", patch(lossless, 20, {0x00}), notWebp},
        // libwebp takes a chunk that does not fit its file for a broken header.
        {"chunk longer than the file", patch(lossless, 16, {0xFF, 0xFF, 0xFF, 0x0F}), notWebp},
        {"lossy frame tag broken", patch(lossy, 23, {0, 0, 0}), notWebp},
    };
    for (const Case& c : cases) {
        RasterImage img;
        EXPECT_EQ(loadImageMemory(c.data.data(), c.data.size(), img), kImageFileLibraryError) << c.what;
        EXPECT_STREQ(imageFileLastError(), c.message) << c.what;
        EXPECT_TRUE(img.isEmpty()) << c.what;
    }
    // Every cut and every single flipped byte of a small file: a result
    // code, nothing else (the sanitizers watch the rest).
    for (std::size_t n = 0; n < lossless.size(); ++n) {
        const Bytes part = cut(lossless, n);
        Bytes flipped = lossless;
        flipped[n] ^= 0x5A;
        for (const Bytes* b : {&part, static_cast<const Bytes*>(&flipped)}) {
            RasterImage img;
            const int rc = loadImageMemory(b->data(), b->size(), img);
            EXPECT_TRUE(rc <= 0 && rc >= kImageFileUnknownError) << n << " " << rc;
        }
    }
}

TEST(WebpFiles, MemoryLimitAndProgressAbort)
{
    const RasterImage src = testing::colourfulPicture(64, 64);
    const Bytes file = testing::encodeWebp(src, true);
    setImageMemoryLimit(8000);
    RasterImage small;
    EXPECT_EQ(loadImageMemory(file.data(), file.size(), small), kImageFilePicSize);
    setImageMemoryLimit(std::size_t{1} << 30);

    RasterImage img;
    int calls = 0;
    img.setProgress(
        [](void* user, int, bool* abort) {
            ++*static_cast<int*>(user);
            *abort = true;
        },
        &calls);
    EXPECT_EQ(loadImageMemory(file.data(), file.size(), img), kImageFileLibraryError);
    EXPECT_STREQ(imageFileLastError(), "Benutzer Abbruch");
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace gz
