// One frame of a zoomed picture area: a 4000 x 3000 photo-like picture with
// 20 cover polygons on a 1920 x 1080 board in sort mode (so the whole cover
// is painted), at several zooms. A pan step moves the picture by a few
// board pixels, so the visible part is sampled again; a cover change (what
// a sort click does) reuses the sampled part. Inputs are built before
// timing.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/synthetic_pictures.h"
#include "board/board_canvas.h"
#include "board/board_renderer.h"
#include "board/picture_zoom.h"
#include "game/game_content.h"
#include "show/show_state.h"

namespace {

constexpr int kBoardWidth = 1920;
constexpr int kBoardHeight = 1080;
constexpr int kPolygons = 20;

std::unique_ptr<gz::GameContent> makeGame()
{
    auto game = std::make_unique<gz::GameContent>();
    game->setQuestion("Welches Bauwerk ist hier zu sehen?");
    game->picture = gz::bench::syntheticPhoto(4000, 3000);
    // 5 x 4 cells of 800 x 750, each covered by a six-sided polygon that
    // reaches a little into its neighbours.
    for (int i = 0; i < kPolygons; ++i) {
        const int cx = (i % 5) * 800, cy = (i / 5) * 750;
        gz::CoverPolygon* p = game->appendPolygon();
        p->setName("Teil");
        const int pts[6][2] = {{cx - 30, cy - 30}, {cx + 420, cy - 50}, {cx + 830, cy + 15},
                               {cx + 820, cy + 780}, {cx + 380, cy + 790}, {cx - 40, cy + 720}};
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
    gz::PictureZoom zoom;

    // Zoomed in at the area's centre to the first step with at least
    // `scale` board pixels per picture pixel, or `fitTimes` times the fit.
    Fixture(double scale, double fitTimes)
    {
        renderer.loadStarImages();
        renderer.applyStarSize(gz::kStarSizeLarge);
        show.setBanner(game->question);
        renderer.resize(canvas, show, kBoardWidth, kBoardHeight);
        const gz::ZoomFrame frame = renderer.zoomFrame(*game);
        const gz::PolygonPoint centre{frame.area.x + frame.area.w / 2, frame.area.y + frame.area.h / 2};
        const double fit = double(frame.fit.numerator) / frame.fit.denominator;
        for (int step = 1; step <= gz::maxZoomStep(frame); ++step) {
            zoom = gz::zoomedAround(frame, {}, centre, step);
            const gz::PictureMapping m = gz::zoomedMapping(frame, zoom);
            const double s = double(m.numerator) / m.denominator;
            if (s >= scale || s >= fit * fitTimes)
                break;
        }
        renderer.setPictureZoom(zoom);
        renderer.renderTick(show, *game, gz::ViewMode::Sort, canvas);
        canvas.clearInvalid();
    }
    double scale() const
    {
        const gz::PictureMapping m = renderer.mappingFor(*game, gz::ViewMode::Sort);
        return double(m.numerator) / m.denominator;
    }
};

void panStep(benchmark::State& state, double scale, double fitTimes)
{
    Fixture f(scale, fitTimes);
    const gz::ZoomFrame frame = f.renderer.zoomFrame(*f.game);
    const gz::PictureZoom there = gz::pannedBy(frame, f.zoom, 3, 2);
    const gz::PictureZoom back = f.zoom;
    bool away = false;
    for (auto _ : state) {
        away = !away;
        f.renderer.setPictureZoom(away ? there : back);
        f.renderer.renderTick(f.show, *f.game, gz::ViewMode::Sort, f.canvas);
        f.canvas.clearInvalid();
        benchmark::DoNotOptimize(f.canvas.backBuffer().bits());
    }
    state.counters["scale"] = f.scale();
}

void coverChange(benchmark::State& state, double scale, double fitTimes)
{
    Fixture f(scale, fitTimes);
    for (auto _ : state) {
        f.renderer.requestFullRedraw(f.show);
        f.renderer.renderTick(f.show, *f.game, gz::ViewMode::Sort, f.canvas);
        f.canvas.clearInvalid();
        benchmark::DoNotOptimize(f.canvas.backBuffer().bits());
    }
    state.counters["scale"] = f.scale();
}

constexpr double kAny = 1e9;

BENCHMARK_CAPTURE(panStep, twice_the_fit, kAny, 2.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(panStep, one_to_one, 1.0, kAny)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(panStep, two_board_pixels, 2.0, kAny)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(panStep, eight_board_pixels, 8.0, kAny)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(coverChange, twice_the_fit, kAny, 2.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(coverChange, eight_board_pixels, 8.0, kAny)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
