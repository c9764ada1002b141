// Golden images: the board of a small fixed game rendered at two sizes and
// compared pixel by pixel with reviewed PNG files. Set GZ_UPDATE_GOLDEN=1 to
// write the files anew (then look at them before committing).
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "board_test_fixture.h"

namespace gz {
namespace {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

bool writePng(const std::string& path, const RasterImage& image)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, image.width(), image.height(), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    std::vector<uint8_t> row(static_cast<size_t>(image.width()) * 3);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const uint32_t c = image.colourAt(x, y);
            row[x * 3] = static_cast<uint8_t>(c >> 16);
            row[x * 3 + 1] = static_cast<uint8_t>(c >> 8);
            row[x * 3 + 2] = static_cast<uint8_t>(c);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

bool readPng(const std::string& path, RgbImage& out)
{
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str()))
        return false;
    img.format = PNG_FORMAT_RGB;
    out.width = static_cast<int>(img.width);
    out.height = static_cast<int>(img.height);
    out.rgb.resize(PNG_IMAGE_SIZE(img));
    const bool ok = png_image_finish_read(&img, nullptr, out.rgb.data(), 0, nullptr) != 0;
    png_image_free(&img);
    return ok;
}

struct GoldenCase {
    const char* file;
    int width, height, starSize;
    int reveal;
    PlayerState left, right;
    int leftStars, rightStars;
};

void renderGolden(const GoldenCase& c, RasterImage& out)
{
    auto game = test::makeFixedGame();
    ShowState show;
    show.setBanner(game->question);
    show.revealCount = c.reveal;
    test::setPlayer(show, PlayerSide::Left, c.left, c.leftStars);
    test::setPlayer(show, PlayerSide::Right, c.right, c.rightStars);
    test::renderFromScratch(show, *game, ViewMode::Play, c.width, c.height, c.starSize,
                            RenderOptions{}, out);
}

TEST(BoardGolden, RenderedBoardsMatchTheReviewedImages)
{
    const GoldenCase cases[] = {
        {"board_320x240_small.png", 320, 240, kStarSizeSmall, 2, PlayerState::Buzzed,
         PlayerState::Idle, 3, 1},
        {"board_640x360_two_rows.png", 640, 360, kStarSizeTwoRows, -1, PlayerState::Idle,
         PlayerState::TimeOver, 13, 6},
    };
    const char* update = std::getenv("GZ_UPDATE_GOLDEN");
    const bool writing = update && update[0] == '1';
    for (const GoldenCase& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = std::string(GZ_TEST_DATA_DIR) + "/golden/" + c.file;
        RasterImage board;
        renderGolden(c, board);
        ASSERT_EQ(board.width(), c.width);
        ASSERT_EQ(board.height(), c.height);
        if (writing) {
            ASSERT_TRUE(writePng(path, board)) << path;
            continue;
        }
        RgbImage golden;
        ASSERT_TRUE(readPng(path, golden)) << "missing " << path;
        ASSERT_EQ(golden.width, c.width);
        ASSERT_EQ(golden.height, c.height);
        int differing = 0;
        std::string first;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const uint8_t* g = &golden.rgb[(static_cast<size_t>(y) * c.width + x) * 3];
                const uint32_t want = (uint32_t{g[0]} << 16) | (uint32_t{g[1]} << 8) | g[2];
                const uint32_t got = board.colourAt(x, y) & 0xFFFFFF;
                if (want != got && differing++ == 0) {
                    char buf[80];
                    std::snprintf(buf, sizeof buf, "(%d, %d): %06X, golden %06X", x, y,
                                  static_cast<unsigned>(got), static_cast<unsigned>(want));
                    first = buf;
                }
            }
        EXPECT_EQ(differing, 0) << "first difference at " << first;
    }
}

}  // namespace
}  // namespace gz
