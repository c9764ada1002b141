// gz_effect_latency: how long a tick takes from playEffect() until its first
// non-silent sample is handed to the audio device, after the output has
// been idle for a while (when a sound server suspends idle devices, this is
// where it shows). Prints one line per round and a summary.
//
//   gz_effect_latency [--device silent|default|<ALSA name>] [--rounds N]
//                     [--idle-ms MS] [--no-idle-silence]
//
// "silent" uses the silent output (no sound card needed); any other name is
// an ALSA PCM device, and the tool fails when it cannot be opened.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "devices/audio_output.h"
#include "show/sound_effects.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Probe {
    std::atomic<bool> armed{false};
    std::mutex m;
    std::condition_variable cv;
    bool seen = false;
    Clock::time_point at;

    void look(const uint8_t* data, uint32_t n)
    {
        if (!armed.load())
            return;
        for (uint32_t i = 0; i < n; ++i) {
            if (data[i] != 0) {
                const Clock::time_point now = Clock::now();
                std::lock_guard lk(m);
                if (armed.exchange(false)) {
                    at = now;
                    seen = true;
                    cv.notify_all();
                }
                return;
            }
        }
    }
};

int usage()
{
    std::fprintf(stderr,
                 "usage: gz_effect_latency [--device silent|default|NAME] [--rounds N] [--idle-ms MS] "
                 "[--no-idle-silence]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string device = "default";
    int rounds = 5;
    int idleMs = 6000;   // longer than the usual 5 s suspend-on-idle timeout
    gz::EffectIdle idle = gz::EffectIdle::Silence;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--device" && i + 1 < argc)
            device = argv[++i];
        else if (a == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (a == "--idle-ms" && i + 1 < argc)
            idleMs = std::max(0, std::atoi(argv[++i]));
        else if (a == "--no-idle-silence")
            idle = gz::EffectIdle::Nothing;
        else
            return usage();
    }

    Probe probe;
    gz::AudioTap tap = [&probe](const uint8_t* d, uint32_t n) { probe.look(d, n); };
    bool opened = false;
    gz::AudioOutputOpener opener = [&](const gz::PcmFormat& f, gz::AudioDoneCallback done) {
        std::unique_ptr<gz::AudioOutput> out =
            device == "silent" ? gz::openSilentOutput(f, std::move(done), gz::systemAudioClock(), tap)
                               : gz::openAlsaOutput(f, std::move(done), device.c_str(), tap);
        opened = out != nullptr;
        return out;
    };
    gz::SoundEffects fx(opener, gz::systemAudioClock(), gz::findSoundResource, idle);
    if (!fx.start() || !opened) {
        std::fprintf(stderr, "gz_effect_latency: cannot open the audio device \"%s\"\n", device.c_str());
        return 1;
    }
    std::printf("device %s, idle silence %s, %d rounds after %d ms idle each\n", device.c_str(),
                idle == gz::EffectIdle::Silence ? "on" : "off", rounds, idleMs);

    std::vector<double> ms;
    for (int r = 0; r < rounds; ++r) {
        std::this_thread::sleep_for(std::chrono::milliseconds(idleMs));
        {
            std::lock_guard lk(probe.m);
            probe.seen = false;
        }
        probe.armed = true;
        const Clock::time_point t0 = Clock::now();
        fx.playEffect("TICK");
        std::unique_lock lk(probe.m);
        if (!probe.cv.wait_for(lk, std::chrono::seconds(3), [&] { return probe.seen; })) {
            std::printf("round %d: no sound within 3 s\n", r + 1);
            probe.armed = false;
            continue;
        }
        const double d = std::chrono::duration<double, std::milli>(probe.at - t0).count();
        ms.push_back(d);
        std::printf("round %d: %.3f ms\n", r + 1, d);
        std::fflush(stdout);
    }
    fx.shutdown();
    if (ms.empty())
        return 1;
    std::sort(ms.begin(), ms.end());
    std::printf("min %.3f ms, median %.3f ms, max %.3f ms\n", ms.front(), ms[ms.size() / 2], ms.back());
    return 0;
}
