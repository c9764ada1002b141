// Shared pieces of the board tests: a small fixed game, copying show state,
// rendering a board from scratch and comparing images by colour.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "board/board_canvas.h"
#include "board/board_renderer.h"
#include "game/game_content.h"
#include "imaging/raster_image.h"
#include "show/show_state.h"

namespace gz::test {

// An overlay painter that draws nowhere (the overlay pass still computes
// the picture mapping and the point list).
struct NullPainter : OverlayPainter {
    void setClip(const BoardRect&) override {}
    void setColour(uint8_t, uint8_t, uint8_t) override {}
    void fillRect(int, int, int, int) override {}
    void moveTo(int, int) override {}
    void lineTo(int, int) override {}
};

// A 160 x 120 picture of soft gradients and a few shapes, with five cover
// polygons (one of them only a line, which is never painted) and names.
inline std::unique_ptr<GameContent> makeFixedGame()
{
    auto game = std::make_unique<GameContent>();
    game->gameNumber = 7;
    game->setQuestion("Wie hei\xDF" "t diese Stadt?");
    game->setAnswer("M\xFCnchen");
    RasterImage& pic = game->picture;
    pic.create(24, 160, 120, 0u);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            const uint32_t r = static_cast<uint32_t>(x * 255 / 159);
            const uint32_t g = static_cast<uint32_t>(y * 255 / 119);
            const uint32_t b = static_cast<uint32_t>(((x / 20 + y / 20) & 1) ? 200 : 60);
            pic.setPixel(x, y, (r << 16) | (g << 8) | b);
        }
    pic.fillRect(100, 20, 40, 30, 0xFFFFFF);
    pic.fillRect(20, 70, 30, 40, 0x202080);
    struct Poly {
        const char* name;
        int count;
        int pts[6][2];
    };
    const Poly polys[] = {
        {"Himmel", 4, {{0, 0}, {160, 0}, {160, 40}, {0, 40}}},
        {"Turm", 3, {{60, 30}, {100, 110}, {20, 110}}},
        {"Fluss", 6, {{90, 60}, {160, 50}, {160, 120}, {110, 120}, {95, 95}, {120, 80}}},
        {"Strich", 2, {{0, 60}, {160, 60}}},
        {"", 4, {{-20, 80}, {40, 60}, {60, 130}, {0, 140}}},
    };
    for (const Poly& p : polys) {
        CoverPolygon* c = game->appendPolygon();
        c->setName(p.name);
        for (int i = 0; i < p.count; ++i)
            c->addPoint({p.pts[i][0], p.pts[i][1]});
    }
    return game;
}

inline void copyShow(const ShowState& from, ShowState& to)
{
    to.gameRunning = from.gameRunning;
    for (int s = 0; s < kPlayerCount; ++s) {
        to.buzzed[s].store(from.buzzed[s].load());
        to.playerState[s].store(from.playerState[s].load());
        to.stars[s] = from.stars[s];
    }
    to.lastStepTick = from.lastStepTick;
    to.switchTime = from.switchTime;
    copyBounded(to.bannerText, sizeof to.bannerText, from.bannerText);
    to.bannerDirty = from.bannerDirty;
    to.drawnRevealCount = from.drawnRevealCount;
    to.revealCount = from.revealCount;
}

inline void setPlayer(ShowState& show, PlayerSide side, PlayerState state, int stars)
{
    show.playerState[sideIndex(side)].store(static_cast<uint8_t>(state));
    show.stars[sideIndex(side)] = static_cast<uint8_t>(stars);
}

// A board renderer with generated (embedded) star images and a canvas of
// the given size, ready for ticks.
struct Board {
    BoardRenderer renderer;
    BoardCanvas canvas;

    Board(int width, int height, int starSize, ShowState& show, RenderOptions options = {})
    {
        renderer.loadStarImages();
        renderer.applyStarSize(starSize);
        renderer.options() = options;
        canvas.setBackground(0x000000);
        renderer.resize(canvas, show, width, height);
    }
};

// Renders the whole board from scratch for the given state: what a freshly
// sized board shows after its first tick.
inline void renderFromScratch(const ShowState& show, const GameContent& game, ViewMode mode,
                              int width, int height, int starSize, RenderOptions options,
                              RasterImage& out)
{
    ShowState copy;
    copyShow(show, copy);
    Board board(width, height, starSize, copy, options);
    board.renderer.renderTick(copy, game, mode, board.canvas);
    out.copyFrom(board.canvas.backBuffer());
}

struct ImageDifference {
    bool same = true;
    std::string where;
};

// Compares the colours (not the alpha bytes) of two images.
inline ImageDifference compareColours(const RasterImage& a, const RasterImage& b)
{
    ImageDifference d;
    if (a.width() != b.width() || a.height() != b.height()) {
        d.same = false;
        d.where = "sizes " + std::to_string(a.width()) + "x" + std::to_string(a.height()) +
                  " and " + std::to_string(b.width()) + "x" + std::to_string(b.height());
        return d;
    }
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const uint32_t ca = a.colourAt(x, y) & 0xFFFFFF;
            const uint32_t cb = b.colourAt(x, y) & 0xFFFFFF;
            if (ca != cb) {
                if (count++ == 0) {
                    char buf[96];
                    std::snprintf(buf, sizeof buf, "first at (%d, %d): %06X vs %06X", x, y,
                                  static_cast<unsigned>(ca), static_cast<unsigned>(cb));
                    d.where = buf;
                }
                d.same = false;
            }
        }
    if (!d.same)
        d.where += ", " + std::to_string(count) + " pixels differ";
    return d;
}

}  // namespace gz::test
