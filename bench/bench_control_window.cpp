// One 93 ms show tick with the game master's window open at 1920x1080: the
// engine's tick, the window's snapshot and diff, and the repaint of what
// changed (offscreen). Goal: well under 2 ms, so the show keeps its cadence.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "shell/control_window.h"

namespace {

struct Clock final : gz::ShowClock {
    uint32_t now = 0;
    uint32_t nowMs() override { return now; }
};

// Every game exists with a picture of width x height and 32 polygons of 32
// points; `fresh` makes a new picture for every game, as loading one does.
struct Store final : gz::GameStore {
    int width = 1920, height = 1080;
    bool fresh = false;
    bool load(int32_t n, gz::GameContent& c) override
    {
        c.setQuestion("Frage " + std::to_string(n));
        c.setAnswer("Antwort " + std::to_string(n));
        if (fresh || c.picture.width() != width) {
            c.picture.release();
            c.picture.create(24, width, height, 0x808080u + static_cast<uint32_t>(n));
        }
        c.polygonCount = 32;
        for (int i = 0; i < 32; ++i) {
            c.polygons[i].pointCount = 0;
            for (int k = 0; k < 32; ++k)
                c.polygons[i].addPoint({60 * i + (k % 8) * 7, 30 * k});
        }
        return true;
    }
    void save(bool, gz::GameContent& c) override { c.modified = false; }
};

struct Lookup final : gz::NextGameLookup {
    bool question(int32_t n, std::string& out) override
    {
        out = "Frage " + std::to_string(n);
        return true;
    }
};

void BM_TickWithControlWindow(benchmark::State& st)
{
    Clock clock;
    Store store;
    Lookup lookup;
    gz::ShowState state;
    auto content = std::make_unique<gz::GameContent>();
    gz::ShowEngine engine{state, *content, gz::ShowHost{&clock, &store, nullptr, nullptr, nullptr}};
    engine.setViewSize(1920, 1080);
    engine.setSwitchTime(2000);
    gz::ControlWindow window(engine, clock, &lookup, [&](int id) { engine.runCommand(id); }, nullptr);
    window.resize(1920, 1080);
    window.show();
    QApplication::processEvents();
    engine.startNextPicture();
    for (auto _ : st) {
        clock.now += gz::kShowTimerPeriodMs;
        engine.showTick();
        window.refresh();
        QApplication::processEvents();   // paints what the refresh marked
        if (!state.gameRunning) {
            engine.uncoverPicture();
            engine.startNextPicture();
        }
    }
}
BENCHMARK(BM_TickWithControlWindow)->Unit(benchmark::kMicrosecond);

// The first repaint of a new picture: the window scales the picture down
// once for its small view (a 12 MP photo here). Loading is not counted.
void BM_FirstRepaintOfANewPicture(benchmark::State& st)
{
    Clock clock;
    Store store;
    store.width = 4000;
    store.height = 3000;
    store.fresh = true;
    Lookup lookup;
    gz::ShowState state;
    auto content = std::make_unique<gz::GameContent>();
    gz::ShowEngine engine{state, *content, gz::ShowHost{&clock, &store, nullptr, nullptr, nullptr}};
    engine.setViewSize(1920, 1080);
    gz::ControlWindow window(engine, clock, &lookup, [&](int id) { engine.runCommand(id); }, nullptr);
    window.resize(1920, 1080);
    window.show();
    QApplication::processEvents();
    for (auto _ : st) {
        st.PauseTiming();
        engine.startNextPicture();
        st.ResumeTiming();
        window.refresh();
        QApplication::processEvents();
        st.PauseTiming();
        engine.stopPlayer(gz::PlayerSide::Left);
        engine.uncoverPicture();
        window.refresh();
        QApplication::processEvents();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_FirstRepaintOfANewPicture)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
