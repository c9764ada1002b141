// Sound timing: how long from playEffect() until the effect's buffer is
// handed to the audio output (thread start, chime rule, lookup, cut of the
// previous effect, write), and the cost of one music block on the streamer.
#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "devices/wave_streamer.h"
#include "show/music_mixer.h"
#include "show/sound_effects.h"

namespace {

using Clock = std::chrono::steady_clock;

// An output that only notes when a buffer reaches it.
class StampOutput final : public gz::AudioOutput {
public:
    explicit StampOutput(gz::AudioDoneCallback done, std::mutex& m, std::condition_variable& cv, bool& got,
                         Clock::time_point& at)
        : done_(std::move(done)), m_(m), cv_(cv), got_(got), at_(at)
    {
    }
    int write(const uint8_t*, uint32_t length, uintptr_t user) override
    {
        {
            std::lock_guard lk(m_);
            at_ = Clock::now();
            got_ = true;
        }
        cv_.notify_all();
        queued_.push_back({user, length});
        return 0;
    }
    int pause() override { return 0; }
    int resume() override { return 0; }
    int reset() override
    {
        for (auto [u, n] : queued_)
            done_(u, n);
        queued_.clear();
        return 0;
    }
    int close() override { return reset(); }

private:
    gz::AudioDoneCallback done_;
    std::mutex& m_;
    std::condition_variable& cv_;
    bool& got_;
    Clock::time_point& at_;
    std::vector<std::pair<uintptr_t, uint32_t>> queued_;
};

void BM_PlayEffectToDevice(benchmark::State& state)
{
    std::mutex m;
    std::condition_variable cv;
    bool got = false;
    Clock::time_point at;
    gz::SoundEffects fx([&](const gz::PcmFormat&, gz::AudioDoneCallback done) {
        return std::make_unique<StampOutput>(std::move(done), m, cv, got, at);
    });
    fx.start();
    for (auto _ : state) {
        {
            std::lock_guard lk(m);
            got = false;
        }
        auto t0 = Clock::now();
        fx.playEffect("TICK");
        std::unique_lock lk(m);
        cv.wait(lk, [&] { return got; });
        state.SetIterationTime(std::chrono::duration<double>(at - t0).count());
    }
    fx.shutdown();
}
BENCHMARK(BM_PlayEffectToDevice)->UseManualTime()->Unit(benchmark::kMicrosecond);

// One mixer step without the wait: fill a block from the track and write it
// to a ring whose buffers come back at once.
void BM_MusicBlockThroughStreamer(benchmark::State& state)
{
    std::vector<uint8_t> track(2 * 100000);
    for (size_t i = 0; i < track.size(); ++i)
        track[i] = uint8_t(i * 31);
    gz::WaveSamples t{track.data(), 100000};
    struct Instant final : gz::AudioOutput {
        explicit Instant(gz::AudioDoneCallback d) : done(std::move(d)) {}
        gz::AudioDoneCallback done;
        int write(const uint8_t*, uint32_t n, uintptr_t u) override
        {
            done(u, n);  // as if played at once (fine for a benchmark)
            return 0;
        }
        int pause() override { return 0; }
        int resume() override { return 0; }
        int reset() override { return 0; }
        int close() override { return 0; }
    };
    gz::WaveStreamer ws([](const gz::PcmFormat&, gz::AudioDoneCallback done) {
        return std::make_unique<Instant>(std::move(done));
    });
    gz::wave::open(ws, 44100, 16, 1, gz::kMusicBlockBytes);
    uint32_t pos = 0;
    for (auto _ : state) {
        gz::fillMusicBlock(t, pos, gz::wave::nextBuffer(ws));
        benchmark::DoNotOptimize(gz::wave::write(ws, gz::kMusicBlockBytes));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * gz::kMusicBlockBytes);
}
BENCHMARK(BM_MusicBlockThroughStreamer)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
