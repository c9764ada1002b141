#include "devices/monotonic_clock.h"

#include <cerrno>
#include <ctime>

namespace gz {

uint32_t monotonicTickMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u +
                        static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

namespace {

class SystemClock final : public MonotonicClock {
public:
    uint32_t nowMs() const override { return monotonicTickMs(); }
    void sleepMs(uint32_t ms) override {
        timespec left{static_cast<time_t>(ms / 1000u), static_cast<long>(ms % 1000u) * 1000000L};
        // Restart after a signal with the time that is still left.
        while (nanosleep(&left, &left) != 0 && errno == EINTR) {
        }
    }
};

}  // namespace

MonotonicClock& systemClock() {
    static SystemClock clock;
    return clock;
}

void ManualClock::sleepMs(uint32_t ms) {
    slept_.fetch_add(ms, std::memory_order_acq_rel);
    advance(ms);
}

Deadline::Deadline(const MonotonicClock& clock, uint32_t ms)
    : clock_(clock), end_(clock.nowMs() + (ms > 0x7fffffffu ? 0x7fffffffu : ms)) {}

uint32_t Deadline::remainingMs() const {
    const int32_t left = tickDiff(end_, clock_.nowMs());
    return left > 0 ? static_cast<uint32_t>(left) : 0u;
}

}  // namespace gz
