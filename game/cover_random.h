// The cover generator's random numbers: splitmix64, and integer ranges drawn
// from it by rejection. Written out here rather than taken from <random>,
// whose distributions may differ between standard libraries, so that a seed
// gives the same cover on every machine.
#pragma once

#include <cstdint>
#include <utility>

namespace gz {

class CoverRandom {
public:
    explicit CoverRandom(uint64_t seed) : state_(seed) {}

    uint64_t next()
    {
        state_ += 0x9E3779B97F4A7C15ull;
        uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in lo..hi, both included; lo when hi < lo.
    int64_t range(int64_t lo, int64_t hi)
    {
        if (hi <= lo)
            return lo;
        const uint64_t span = static_cast<uint64_t>(hi) - static_cast<uint64_t>(lo) + 1;
        if (span == 0)   // the whole 64-bit range
            return static_cast<int64_t>(next());
        // Values below the threshold would make the low results likelier.
        const uint64_t threshold = (0 - span) % span;
        for (;;) {
            const uint64_t r = next();
            if (r >= threshold)
                return static_cast<int64_t>(static_cast<uint64_t>(lo) + r % span);
        }
    }

    bool coin() { return (next() >> 63) != 0; }

    // Fisher-Yates from the back.
    template <typename T>
    void shuffle(T* items, int count)
    {
        for (int i = count - 1; i > 0; --i)
            std::swap(items[i], items[range(0, i)]);
    }

private:
    uint64_t state_;
};

}  // namespace gz
