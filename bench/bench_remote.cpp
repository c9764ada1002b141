// Buzzer latency: from the last byte of a remote line written into a
// pseudo-terminal to the show engine's frozen state (the player marked
// Buzzed), through the serial port driver and the running RemotePoller
// thread. Goal: p99 at most 2 ms. The p50/p99/max counters are in
// microseconds over all timed iterations.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <condition_variable>
#include <mutex>
#include <cstdlib>
#include <string>
#include <vector>

#include <pty.h>
#include <unistd.h>

#include "bench/buzz_latency.h"
#include "devices/serial_port.h"
#include "show/remote_poller.h"
#include "show/show_engine.h"

namespace {

void BM_BuzzerToFrozenState(benchmark::State& state) {
    int master = -1, slave = -1;
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    ::close(slave);
    gz::comPortSetPathTemplate(name);

    gz::bench::StillShow still;
    gz::ShowState& show = still.show;
    gz::ShowEngine& engine = still.engine;
    gz::bench::FrozenMark& frozen = still.frozen;
    // Press times only feed the debounce: each iteration is a fresh press.
    gz::ManualClock pressClock(1000);
    std::atomic<bool> ready{false};
    gz::RemotePoller poller(frozen, [&ready](int32_t) { ready.store(true); }, pressClock);
    poller.start();
    // Wait until the poller reads the port: a posted command says so.
    for (int i = 0; i < 100 && !ready.load(); ++i) {
        pressClock.advance(1000);
        (void)!::write(master, "3D00000000\r", gz::kRemoteLineLength);
        usleep(20000);
    }
    if (!ready.load()) {
        state.SkipWithError("the poller did not open the port");
        poller.stop();
        ::close(master);
        return;
    }

    std::vector<double> latencies;
    int n = 0;
    for (auto _ : state) {
        engine.uncoverPicture();
        pressClock.advance(1000);
        const gz::PlayerSide side = (n++ & 1) ? gz::PlayerSide::Right : gz::PlayerSide::Left;
        const char* line = side == gz::PlayerSide::Left ? "0D0000ABCD\r" : "1D0000ABCD\r";
        // The clock starts before the write: on a pty the poller may act
        // before write() has returned.
        const int before = frozen.seen();
        const auto t0 = std::chrono::steady_clock::now();
        if (::write(master, line, gz::kRemoteLineLength) != static_cast<ssize_t>(gz::kRemoteLineLength)) {
            state.SkipWithError("write failed");
            break;
        }
        const std::optional<double> s = frozen.secondsAfter(before, t0);
        if (!s || !show.hasBuzzed(side)) {
            state.SkipWithError("the buzzer did not freeze the show");
            break;
        }
        state.SetIterationTime(*s);
        latencies.push_back(*s * 1e6);
    }
    poller.stop();
    ::close(master);
    gz::comPortSetPathTemplate("");

    gz::bench::reportLatencies(state, std::move(latencies));
}
BENCHMARK(BM_BuzzerToFrozenState)->UseManualTime()->Iterations(2000)->Unit(benchmark::kMicrosecond);

// The framing of one line on its own, without I/O.
void BM_FrameOneLine(benchmark::State& state) {
    const std::string line = "xx0D1234ABCD\r\n";
    for (auto _ : state) {
        gz::RemoteFramer f;
        f.append(line.data(), line.size());
        gz::RemoteMessage m;
        benchmark::DoNotOptimize(f.next(&m));
        benchmark::DoNotOptimize(m);
    }
}
BENCHMARK(BM_FrameOneLine);

}  // namespace

BENCHMARK_MAIN();
