// Millisecond clock for the sound code: every wait with a time limit goes
// through it, so tests can drive time by hand instead of sleeping.
//
// nowMs() is a 32-bit tick count; compare two of them through their unsigned
// difference, which survives the wrap-around.
// waitFor() waits on `cv` (with `lk` held, as std::condition_variable does)
// until ready() holds or `timeoutMs` have passed on this clock; it returns
// ready(). Whoever makes ready() true must notify `cv`.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace gz {

class AudioClock {
public:
    virtual ~AudioClock() = default;
    virtual uint32_t nowMs() const = 0;
    virtual bool waitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lk, uint32_t timeoutMs,
                         const std::function<bool()>& ready) = 0;
};

// The steady clock of the system. One shared instance; it holds no state.
AudioClock& systemAudioClock();

// A clock that moves only when advance() is called. Waiters poll it every
// couple of real milliseconds, so a test never sleeps for the simulated time.
class ManualAudioClock final : public AudioClock {
public:
    explicit ManualAudioClock(uint32_t startMs = 1000) : now_(startMs) {}
    uint32_t nowMs() const override { return now_.load(); }
    bool waitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lk, uint32_t timeoutMs,
                 const std::function<bool()>& ready) override;
    void advance(uint32_t ms) { now_.fetch_add(ms); }
    // Number of threads inside waitFor() right now (lets a test know that a
    // thread has reached its wait before moving time on).
    int waiters() const { return waiters_.load(); }

private:
    std::atomic<uint32_t> now_;
    std::atomic<int> waiters_{0};
};

}  // namespace gz
