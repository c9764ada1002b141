#include "devices/audio_output_clock.h"

#include <chrono>

namespace gz {

namespace {

class SystemAudioClock final : public AudioClock {
public:
    uint32_t nowMs() const override
    {
        auto t = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(t).count());
    }
    bool waitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lk, uint32_t timeoutMs,
                 const std::function<bool()>& ready) override
    {
        return cv.wait_for(lk, std::chrono::milliseconds(timeoutMs), ready);
    }
};

}  // namespace

AudioClock& systemAudioClock()
{
    static SystemAudioClock clock;
    return clock;
}

bool ManualAudioClock::waitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lk, uint32_t timeoutMs,
                               const std::function<bool()>& ready)
{
    const uint32_t start = nowMs();
    waiters_.fetch_add(1);
    bool ok = true;
    while (!ready()) {
        if (nowMs() - start >= timeoutMs) {
            ok = false;
            break;
        }
        cv.wait_for(lk, std::chrono::milliseconds(2));
    }
    waiters_.fetch_sub(1);
    return ok;
}

}  // namespace gz
