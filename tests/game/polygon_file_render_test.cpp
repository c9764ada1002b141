// A polygon file as a standard SVG renderer sees it: rsvg-convert must accept
// the written Pic.svg (a conforming XML reader refuses undeclared prefixes),
// draw each outline on the picture pixels its point table names, and leave
// the picture visible everywhere else.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "game/polygon_file.h"
#include "imaging/image_files.h"

extern char** environ;

namespace gz {
namespace {

constexpr int kW = 800;
constexpr int kH = 600;

// The picture: a gradient, so a pixel that shows the picture shows the one
// at its own place (a wrong mapping or a stroke over it both show).
uint32_t pictureColour(int x, int y)
{
    const uint32_t r = static_cast<uint32_t>(x * 255 / (kW - 1));
    const uint32_t g = static_cast<uint32_t>(y * 255 / (kH - 1));
    return (r << 16) | (g << 8) | 0x80;
}

// Straight edges of every slope, a sharp tip and a concave notch.
const std::vector<std::vector<PolygonPoint>> kPolygons = {
    {{40, 40}, {360, 40}, {360, 260}, {40, 260}},
    {{440, 60}, {760, 80}, {600, 280}},
    {{80, 330}, {320, 310}, {380, 520}, {200, 580}, {60, 500}},
    {{460, 360}, {740, 360}, {740, 560}, {600, 460}, {460, 560}},
};

int channelDistance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift : {0, 8, 16})
        worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return worst;
}

double distanceToSegment(double px, double py, PolygonPoint a, PolygonPoint b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 == 0 ? 0 : ((px - a.x) * dx + (py - a.y) * dy) / len2;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

double distanceToAnyOutline(double x, double y)
{
    double best = 1e9;
    for (const auto& poly : kPolygons)
        for (std::size_t i = 0; i < poly.size(); ++i)
            best = std::min(best, distanceToSegment(x, y, poly[i], poly[(i + 1) % poly.size()]));
    return best;
}

int runRenderer(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class RenderedPolygonFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string templ = ::testing::TempDir() + "gz_render_XXXXXX";
        ASSERT_NE(mkdtemp(templ.data()), nullptr);
        dir_ = templ;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string dir_;
};

TEST_F(RenderedPolygonFile, OutlinesLieOnTheirPixelsOverAVisiblePicture)
{
    RasterImage picture;
    ASSERT_TRUE(picture.create(24, kW, kH));
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            picture.setPixel(x, y, pictureColour(x, y));
    ASSERT_EQ(saveImageFile(dir_ + "/Pic.png", picture), kImageFileOk);

    GameContent game;
    for (const auto& points : kPolygons) {
        CoverPolygon* p = game.appendPolygon();
        for (PolygonPoint q : points)
            p->addPoint(q);
    }
    ASSERT_TRUE(writePolygonFile(game, kW, kH, dir_ + "/Pic.svg"));

    // The file's page is 60.4724 x 40.315 inches, a 3:2 area; 1050 x 700
    // keeps that shape, and its view box (-100 -100 W+100 H+100) then fits
    // in the usual centred, aspect-keeping way.
    const int outW = 1050, outH = 700;
    const std::string out = dir_ + "/rendered.png";
    ASSERT_EQ(runRenderer({GZ_RSVG_CONVERT, "-w", std::to_string(outW), "-h", std::to_string(outH), "-o", out,
                           dir_ + "/Pic.svg"}),
              0)
        << "rsvg-convert refused the written file";
    RasterImage rendered;
    ASSERT_EQ(loadImageFile(out, rendered), kImageFileOk) << imageFileLastError();
    ASSERT_EQ(rendered.width(), outW);
    ASSERT_EQ(rendered.height(), outH);
    const double scale = std::min(double(outW) / (kW + 100), double(outH) / (kH + 100));
    const double offsetX = (outW - scale * (kW + 100)) / 2;
    const double offsetY = (outH - scale * (kH + 100)) / 2;
    auto renderedAt = [&](double x, double y) {
        const int rx = static_cast<int>(std::floor(offsetX + scale * (x + 100)));
        const int ry = static_cast<int>(std::floor(offsetY + scale * (y + 100)));
        return rendered.colourAt(std::clamp(rx, 0, outW - 1), std::clamp(ry, 0, outH - 1)) & 0xFFFFFF;
    };

    // Each outline in its slot's colour, at quarter points along every edge
    // (within one rendered pixel, for anti-aliasing on slanted edges).
    for (std::size_t slot = 0; slot < kPolygons.size(); ++slot) {
        const uint32_t ink = polygonFileOutlineColour(static_cast<int>(slot));
        const auto& poly = kPolygons[slot];
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const PolygonPoint a = poly[i], b = poly[(i + 1) % poly.size()];
            for (double t : {0.25, 0.5, 0.75}) {
                const double x = a.x + t * (b.x - a.x), y = a.y + t * (b.y - a.y);
                int nearest = 255;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        nearest = std::min(nearest, channelDistance(renderedAt(x + dx, y + dy), ink));
                EXPECT_LE(nearest, 24) << "slot " << slot << " edge " << i << " at " << x << "," << y;
            }
        }
    }

    // Everywhere a few pixels away from the outlines, the picture itself.
    int checked = 0;
    for (int y = 3; y < kH; y += 23) {
        for (int x = 5; x < kW; x += 29) {
            if (distanceToAnyOutline(x + 0.5, y + 0.5) < 5)
                continue;
            ++checked;
            EXPECT_LE(channelDistance(renderedAt(x + 0.5, y + 0.5), pictureColour(x, y)), 6)
                << "picture hidden at " << x << "," << y;
        }
    }
    EXPECT_GT(checked, 500);
}

}  // namespace
}  // namespace gz
