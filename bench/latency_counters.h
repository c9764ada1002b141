// Latency figures of a benchmark that times each iteration by hand: the
// median, the 99th percentile and the worst case, as counters in µs.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace gz::bench {

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
