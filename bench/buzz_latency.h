// Timing a buzz from the outside to the frozen show: a show clock that
// stands still, a BuzzerTarget that notes when the engine froze the show,
// a show made of both, and the latency figures (median, 99th percentile, worst case, in µs) of
// a benchmark that times each iteration by hand.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "game/game_content.h"
#include "show/show_engine.h"
#include "show/show_host.h"

namespace gz::bench {

class FixedShowClock final : public ShowClock {
public:
    uint32_t nowMs() override { return 1; }
};

// Notes when the engine has frozen the show, so the timing thread can sleep
// instead of spinning against the poller for the two cores.
struct FrozenMark final : BuzzerTarget {
    explicit FrozenMark(BuzzerTarget& t) : target(t) {}
    void stopPlayer(PlayerSide side) override
    {
        target.stopPlayer(side);
        const auto now = std::chrono::steady_clock::now();
        std::lock_guard<std::mutex> g(lock);
        at = now;
        ++count;
        signal.notify_all();
    }
    // The count now, for waitPast and secondsAfter.
    int seen()
    {
        std::lock_guard<std::mutex> g(lock);
        return count;
    }
    // Waits up to 1 s for the count to pass `seen`; false on time-out.
    bool waitPast(int seen)
    {
        std::unique_lock<std::mutex> g(lock);
        return signal.wait_for(g, std::chrono::seconds(1), [&] { return count != seen; });
    }
    // Waits as waitPast; then the seconds from `start` to the freeze.
    std::optional<double> secondsAfter(int seen, std::chrono::steady_clock::time_point start)
    {
        if (!waitPast(seen))
            return std::nullopt;
        std::lock_guard<std::mutex> g(lock);
        return std::chrono::duration<double>(at - start).count();
    }
    BuzzerTarget& target;
    std::mutex lock;
    std::condition_variable signal;
    std::chrono::steady_clock::time_point at;
    int count = 0;
};

// A show on the still clock; pollers buzz into `frozen`, which passes the
// buzz on to the engine.
struct StillShow {
    StillShow() : engine(show, content, ShowHost{&clock, nullptr, nullptr, nullptr, nullptr}), frozen(engine) {}
    ShowState show;
    GameContent content;
    FixedShowClock clock;
    ShowEngine engine;
    FrozenMark frozen;
};

// Sorts `us` (one latency per iteration, in microseconds) and reports it.
inline void reportLatencies(benchmark::State& state, std::vector<double> us)
{
    if (us.empty())
        return;
    std::sort(us.begin(), us.end());
    const auto at = [&](double q) {
        return us[std::min(us.size() - 1, static_cast<std::size_t>(q * static_cast<double>(us.size())))];
    };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
    state.counters["max_us"] = us.back();
}

}  // namespace gz::bench
