// A tick after the effects' output has been idle: time from playEffect() to
// the first non-silent sample the (silent) device starts to play, with and
// without the idle silence that keeps the stream running.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "show/sound_effects.h"

namespace {

using Clock = std::chrono::steady_clock;

void BM_TickToFirstSound(benchmark::State& state)
{
    const auto idle = state.range(0) ? gz::EffectIdle::Silence : gz::EffectIdle::Nothing;
    std::atomic<bool> armed{false};
    std::mutex m;
    std::condition_variable cv;
    bool seen = false;
    Clock::time_point at;
    gz::AudioTap tap = [&](const uint8_t* d, uint32_t n) {
        if (!armed)
            return;
        for (uint32_t i = 0; i < n; ++i)
            if (d[i] != 0) {
                std::lock_guard lk(m);
                if (armed.exchange(false)) {
                    at = Clock::now();
                    seen = true;
                    cv.notify_all();
                }
                return;
            }
    };
    gz::SoundEffects fx(
        [&](const gz::PcmFormat& f, gz::AudioDoneCallback done) {
            return gz::openSilentOutput(f, std::move(done), gz::systemAudioClock(), tap);
        },
        gz::systemAudioClock(), gz::findSoundResource, idle);
    fx.start();
    for (auto _ : state) {
        {
            std::lock_guard lk(m);
            seen = false;
        }
        armed = true;
        const auto t0 = Clock::now();
        fx.playEffect("TICK");
        std::unique_lock lk(m);
        cv.wait(lk, [&] { return seen; });
        state.SetIterationTime(std::chrono::duration<double>(at - t0).count());
        lk.unlock();
        // Let the tick finish, so the next one starts from an idle output.
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        state.ResumeTiming();
    }
    fx.shutdown();
}
BENCHMARK(BM_TickToFirstSound)->ArgName("idle_silence")->Arg(0)->Arg(1)->UseManualTime()->Iterations(20)->Unit(
    benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
