// Millisecond clock for every timeout of the device and input code.
//
// Times are 32-bit tick counts that wrap after about 49.7 days; they are
// only ever compared through their difference (tickDiff), so the wrap does
// no harm. Code that waits takes a MonotonicClock& so that tests can hand in
// a ManualClock and run timing tables without sleeping.
#pragma once

#include <atomic>
#include <cstdint>

namespace gz {

// Signed distance from `earlier` to `later` in ms, correct across the wrap
// as long as the two are less than 2^31 ms apart.
inline int32_t tickDiff(uint32_t later, uint32_t earlier) {
    return static_cast<int32_t>(later - earlier);
}

class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    // Current tick count in ms; never goes backwards (apart from the wrap).
    virtual uint32_t nowMs() const = 0;
    // Blocks the calling thread for about `ms` milliseconds.
    virtual void sleepMs(uint32_t ms) = 0;
};

// CLOCK_MONOTONIC truncated to 32 bits. Thread-safe.
uint32_t monotonicTickMs();

// The process's real clock (CLOCK_MONOTONIC, nanosleep). Thread-safe.
MonotonicClock& systemClock();

// A clock that only moves when told to. sleepMs() advances it by the
// requested time and returns at once. All members are thread-safe.
class ManualClock final : public MonotonicClock {
public:
    explicit ManualClock(uint32_t startMs = 0) : now_(startMs) {}
    uint32_t nowMs() const override { return now_.load(std::memory_order_acquire); }
    void sleepMs(uint32_t ms) override;
    void advance(uint32_t ms) { now_.fetch_add(ms, std::memory_order_acq_rel); }
    void set(uint32_t ms) { now_.store(ms, std::memory_order_release); }
    // Total of all sleepMs() requests so far.
    uint64_t sleptMs() const { return slept_.load(std::memory_order_acquire); }

private:
    std::atomic<uint32_t> now_;
    std::atomic<uint64_t> slept_{0};
};

// A point in time `ms` after its creation. Limits above 2^31 - 1 ms are cut
// to that, so the signed difference stays meaningful.
class Deadline {
public:
    Deadline(const MonotonicClock& clock, uint32_t ms);
    // Milliseconds left, 0 once the deadline has passed.
    uint32_t remainingMs() const;
    bool expired() const { return remainingMs() == 0; }

private:
    const MonotonicClock& clock_;
    uint32_t end_;
};

}  // namespace gz
