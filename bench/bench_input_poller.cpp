// Buzzer latency from an input device: from writing one kernel event record
// (a press of the bound button) into the device's pipe to the show engine's
// frozen state (the player marked Buzzed), through the running
// InputDevicePoller thread. Goal: p99 at most 2 ms. The p50/p99/max
// counters are in microseconds over all timed iterations.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <linux/input.h>

#include "bench/buzz_latency.h"
#include "devices/input_event_decoder.h"
#include "show/input_poller.h"
#include "show/show_engine.h"

namespace {

// One device node whose reads come from a pipe the benchmark writes into.
class PipeDevice final : public gz::InputDeviceSource {
public:
    ~PipeDevice() override
    {
        if (writer >= 0)
            ::close(writer);
    }
    std::string directory() const override { return "/dev/input"; }
    std::vector<gz::InputCandidate> candidates() override { return {{"/dev/input/event0", 1}}; }
    gz::InputOpenResult open(const std::string& path) override
    {
        gz::InputOpenResult r;
        int fds[2];
        if (writer >= 0 || ::pipe2(fds, O_CLOEXEC) != 0)
            return r;
        ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
        writer = fds[1];
        r.status = gz::InputOpenResult::Status::Opened;
        r.fd = fds[0];
        r.info.path = path;
        r.info.name = "USB Gamepad";
        r.info.kind = gz::InputDeviceKind::Gamepad;
        return r;
    }
    bool keysDown(int, gz::InputKeySet&) override { return false; }
    void close(int fd) override { ::close(fd); }

    int writer = -1;
};

void BM_InputPressToFrozenState(benchmark::State& state)
{
    gz::bench::StillShow still;
    gz::ShowState& show = still.show;
    gz::ShowEngine& engine = still.engine;
    gz::bench::FrozenMark& frozen = still.frozen;
    // Press times only feed the debounce: each iteration is a fresh press.
    gz::ManualClock pressClock(1000);
    gz::BuzzerActionGate gate;
    PipeDevice device;
    gz::InputDevicePoller poller(frozen, {}, gate, device, pressClock);
    gz::BuzzerMapping mapping;
    mapping.bind(0, {"USB Gamepad", BTN_SOUTH});
    poller.setMapping(mapping);
    poller.start();
    for (int i = 0; i < 200 && poller.devices().empty(); ++i)
        usleep(10000);
    if (poller.devices().empty()) {
        state.SkipWithError("the poller did not open the device");
        poller.stop();
        return;
    }

    const std::string press = gz::encodeInputEvent(EV_KEY, BTN_SOUTH, 1);
    const std::string release = gz::encodeInputEvent(EV_KEY, BTN_SOUTH, 0);
    std::vector<double> latencies;
    for (auto _ : state) {
        engine.uncoverPicture();
        pressClock.advance(1000);
        const int before = frozen.seen();
        // The clock starts before the write: the poller may act before
        // write() has returned.
        const auto t0 = std::chrono::steady_clock::now();
        if (::write(device.writer, press.data(), press.size()) != static_cast<ssize_t>(press.size())) {
            state.SkipWithError("write failed");
            break;
        }
        const std::optional<double> s = frozen.secondsAfter(before, t0);
        if (!s || !show.hasBuzzed(gz::PlayerSide::Left)) {
            state.SkipWithError("the buzzer did not freeze the show");
            break;
        }
        state.SetIterationTime(*s);
        latencies.push_back(*s * 1e6);
        (void)!::write(device.writer, release.data(), release.size());
    }
    poller.stop();

    gz::bench::reportLatencies(state, std::move(latencies));
}
BENCHMARK(BM_InputPressToFrozenState)->UseManualTime()->Iterations(2000)->Unit(benchmark::kMicrosecond);

// Decoding one read's worth (a press and its report) on its own, without I/O.
void BM_DecodePressRecords(benchmark::State& state)
{
    const std::string bytes = gz::encodeInputEvent(EV_MSC, MSC_SCAN, 0x90001) +
                              gz::encodeInputEvent(EV_KEY, BTN_SOUTH, 1) + gz::encodeInputEvent(EV_SYN, SYN_REPORT, 0);
    gz::InputEventDecoder d;
    std::vector<gz::InputKeyEvent> out;
    for (auto _ : state) {
        out.clear();
        d.feed(bytes.data(), bytes.size(), out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_DecodePressRecords);

}  // namespace

BENCHMARK_MAIN();
