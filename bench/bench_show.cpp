// Cost of the show engine's hot paths: the idle 93 ms tick, a tick with an
// uncover step, and a buzz (stop plus the uncover that clears it).
#include <benchmark/benchmark.h>

#include <map>

#include "show/show_engine.h"

namespace {

struct Clock final : gz::ShowClock {
    uint32_t now = 0;
    uint32_t nowMs() override { return now; }
};

struct Store final : gz::GameStore {
    bool load(int32_t, gz::GameContent& c) override
    {
        c.polygonCount = 32;
        return true;
    }
    void save(bool, gz::GameContent& c) override { c.modified = false; }
};

struct Silent final : gz::SoundCues {
    void playEffect(const char*) override {}
    void pauseMusic() override {}
    void resumeMusic() override {}
    void restartMusic() override {}
};

struct Rig {
    Clock clock;
    Store store;
    Silent sound;
    gz::ShowState state;
    gz::GameContent content;
    gz::ShowEngine engine{state, content, gz::ShowHost{&clock, &store, &sound, nullptr, nullptr}};
    Rig()
    {
        engine.setViewSize(1920, 1080);
        engine.startNextPicture();
    }
};

void BM_ShowTickIdle(benchmark::State& st)
{
    Rig rig;
    for (auto _ : st) {
        rig.clock.now += 1;  // never reaches switchTime within a run of this size
        if (rig.clock.now - rig.state.lastStepTick >= rig.state.switchTime - 1)
            rig.state.lastStepTick = rig.clock.now;
        benchmark::DoNotOptimize(rig.engine.showTick());
    }
}
BENCHMARK(BM_ShowTickIdle);

void BM_ShowTickWithStep(benchmark::State& st)
{
    Rig rig;
    for (auto _ : st) {
        rig.clock.now += rig.state.switchTime;
        rig.engine.showTick();
        if (rig.state.revealCount >= 30)
            rig.state.revealCount = -1;
    }
}
BENCHMARK(BM_ShowTickWithStep);

void BM_BuzzAndUncover(benchmark::State& st)
{
    Rig rig;
    for (auto _ : st) {
        rig.engine.stopPlayer(gz::PlayerSide::Left);
        rig.engine.uncoverPicture();
    }
}
BENCHMARK(BM_BuzzAndUncover);

}  // namespace

BENCHMARK_MAIN();
