// Board rendering at 1920 x 1080 with a 32-polygon cover: a full render
// (everything dirty, the picture resampled) and an idle tick (nothing
// changed). Inputs are built before timing.
#include <benchmark/benchmark.h>

#include <memory>

#include "board/board_canvas.h"
#include "board/board_renderer.h"
#include "game/game_content.h"
#include "show/show_state.h"

namespace {

std::unique_ptr<gz::GameContent> makeGame()
{
    auto game = std::make_unique<gz::GameContent>();
    game->setQuestion("Welches Bauwerk ist hier zu sehen?");
    gz::RasterImage& pic = game->picture;
    pic.create(24, 1600, 1200, 0u);
    for (int y = 0; y < 1200; ++y)
        for (int x = 0; x < 1600; ++x)
            pic.setPixel(x, y, (static_cast<uint32_t>(x * 255 / 1599) << 16) |
                                   (static_cast<uint32_t>(y * 255 / 1199) << 8) |
                                   static_cast<uint32_t>((x ^ y) & 0xFF));
    // 8 x 4 cells of 200 x 300, each covered by a six-sided polygon that
    // reaches a little into its neighbours.
    for (int i = 0; i < gz::kMaxPolygons; ++i) {
        const int cx = (i % 8) * 200, cy = (i / 8) * 300;
        gz::CoverPolygon* p = game->appendPolygon();
        p->setName("Teil");
        const int pts[6][2] = {{cx - 10, cy - 10}, {cx + 110, cy - 20}, {cx + 215, cy + 5},
                               {cx + 210, cy + 310}, {cx + 90, cy + 320}, {cx - 15, cy + 290}};
        for (const auto& q : pts)
            p->addPoint({q[0], q[1]});
    }
    return game;
}

struct Fixture {
    std::unique_ptr<gz::GameContent> game = makeGame();
    gz::ShowState show;
    gz::BoardRenderer renderer;
    gz::BoardCanvas canvas;

    Fixture()
    {
        renderer.loadStarImages();
        renderer.applyStarSize(gz::kStarSizeLarge);
        show.setBanner(game->question);
        show.stars[0] = 5;
        show.stars[1] = 3;
        show.revealCount = 4;
        renderer.resize(canvas, show, 1920, 1080);
        renderer.renderTick(show, *game, gz::ViewMode::Play, canvas);
    }
};

void BM_FullBoardRender(benchmark::State& state)
{
    Fixture f;
    for (auto _ : state) {
        f.renderer.requestFullRedraw(f.show);
        f.renderer.renderTick(f.show, *f.game, gz::ViewMode::Play, f.canvas);
        f.canvas.clearInvalid();
        benchmark::DoNotOptimize(f.canvas.backBuffer().bits());
    }
}
BENCHMARK(BM_FullBoardRender)->Unit(benchmark::kMillisecond);

void BM_UncoverStep(benchmark::State& state)
{
    Fixture f;
    int reveal = 0;
    for (auto _ : state) {
        f.show.revealCount = reveal;
        reveal = (reveal + 1) % 33;
        f.renderer.renderTick(f.show, *f.game, gz::ViewMode::Play, f.canvas);
        f.canvas.clearInvalid();
        benchmark::DoNotOptimize(f.canvas.backBuffer().bits());
    }
}
BENCHMARK(BM_UncoverStep)->Unit(benchmark::kMillisecond);

void BM_IdleTick(benchmark::State& state)
{
    Fixture f;
    for (auto _ : state) {
        f.renderer.renderTick(f.show, *f.game, gz::ViewMode::Play, f.canvas);
        benchmark::DoNotOptimize(f.show.drawnRevealCount);
    }
}
BENCHMARK(BM_IdleTick)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
