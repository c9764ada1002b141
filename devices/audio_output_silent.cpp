// Silent output: a thread that "plays" each queued buffer for exactly its
// duration on the clock and then reports it done.
#include <deque>
#include <thread>

#include "devices/audio_output.h"

namespace gz {

PcmFormat makePcmFormat(uint32_t samplesPerSec, uint16_t bitsPerSample, uint16_t channels)
{
    PcmFormat f;
    f.formatTag = 1;
    f.channels = channels;
    f.samplesPerSec = samplesPerSec;
    f.bitsPerSample = bitsPerSample;
    f.blockAlign = static_cast<uint16_t>((uint32_t(bitsPerSample) * channels + 7) / 8);
    f.avgBytesPerSec = samplesPerSec * f.blockAlign;
    f.extraSize = 0;
    return f;
}

namespace {

struct Queued {
    const uint8_t* data;
    uint32_t length;
    uintptr_t userData;
};

class SilentOutput final : public AudioOutput {
public:
    SilentOutput(const PcmFormat& f, AudioDoneCallback done, AudioClock& clock, AudioTap tap)
        : bytesPerSec_(f.avgBytesPerSec), done_(std::move(done)), clock_(clock), tap_(std::move(tap))
    {
        lastMs_ = clock_.nowMs();
        thread_ = std::thread([this] { run(); });
    }
    ~SilentOutput() override { close(); }

    int write(const uint8_t* data, uint32_t length, uintptr_t userData) override
    {
        std::lock_guard lk(m_);
        if (closed_)
            return -1;
        if (queue_.empty())
            eligibleUs_ = nowUs();  // an idle device starts at once
        queue_.push_back({data, length, userData});
        beginHead();
        changed_ = true;
        cv_.notify_all();
        return 0;
    }

    int pause() override
    {
        std::lock_guard lk(m_);
        if (closed_)
            return -1;
        if (!paused_) {
            beginHead();
            paused_ = true;
            if (headStarted_) {
                // Keep what is left of the head buffer for the resume.
                int64_t left = dueUs_ - nowUs();
                leftUs_ = left > 0 ? left : 0;
            }
            changed_ = true;
            cv_.notify_all();
        }
        return 0;
    }

    int resume() override
    {
        std::lock_guard lk(m_);
        if (closed_)
            return -1;
        if (paused_) {
            paused_ = false;
            if (headStarted_)
                dueUs_ = nowUs() + leftUs_;
            else
                eligibleUs_ = nowUs();
            beginHead();
            changed_ = true;
            cv_.notify_all();
        }
        return 0;
    }

    int reset() override
    {
        std::unique_lock lk(m_);
        if (closed_)
            return -1;
        dropAll(lk);
        return 0;
    }

    int close() override
    {
        std::unique_lock lk(m_);
        if (closed_)
            return -1;
        dropAll(lk);
        closed_ = true;
        changed_ = true;
        cv_.notify_all();
        lk.unlock();
        if (thread_.joinable())
            thread_.join();
        return 0;
    }

private:
    // Microseconds on the clock, unwrapped from its 32-bit milliseconds.
    int64_t nowUs()
    {
        uint32_t ms = clock_.nowMs();
        unwrapped_ += static_cast<uint32_t>(ms - lastMs_);
        lastMs_ = ms;
        return unwrapped_ * 1000;
    }

    int64_t durationUs(uint32_t length) const { return int64_t(length) * 1000000 / bytesPerSec_; }

    // Reports every queued buffer done, in order, once no report is running.
    void dropAll(std::unique_lock<std::mutex>& lk)
    {
        cv_.wait(lk, [this] { return !reporting_; });
        std::deque<Queued> dropped;
        dropped.swap(queue_);
        headStarted_ = false;
        changed_ = true;
        cv_.notify_all();
        reporting_ = true;
        lk.unlock();
        for (const Queued& q : dropped)
            done_(q.userData, q.length);
        lk.lock();
        reporting_ = false;
        cv_.notify_all();
    }

    // Starts the head buffer at the time it became playable (written to an
    // idle device, resumed, or its predecessor's end), not at the moment this
    // is noticed, so a slow thread neither drifts nor stretches the sound.
    void beginHead()
    {
        if (headStarted_ || queue_.empty() || paused_ || reporting_)
            return;
        const Queued& h = queue_.front();
        dueUs_ = eligibleUs_ + durationUs(h.length);
        headStarted_ = true;
        if (tap_)
            tap_(h.data, h.length);
    }

    void run()
    {
        std::unique_lock lk(m_);
        while (!closed_) {
            beginHead();
            if (!headStarted_ || paused_ || reporting_) {
                changed_ = false;
                cv_.wait(lk, [this] { return changed_ || closed_; });
                continue;
            }
            int64_t left = dueUs_ - nowUs();
            if (left > 0) {
                changed_ = false;
                uint32_t waitMs = static_cast<uint32_t>((left + 999) / 1000);
                clock_.waitFor(cv_, lk, waitMs, [this] { return changed_ || closed_; });
                continue;
            }
            Queued h = queue_.front();
            queue_.pop_front();
            headStarted_ = false;
            eligibleUs_ = dueUs_;  // back to back with the next one
            reporting_ = true;
            lk.unlock();
            done_(h.userData, h.length);
            lk.lock();
            reporting_ = false;
            cv_.notify_all();
        }
    }

    const uint32_t bytesPerSec_;
    AudioDoneCallback done_;
    AudioClock& clock_;
    AudioTap tap_;

    std::mutex m_;
    std::condition_variable cv_;
    std::deque<Queued> queue_;
    bool closed_ = false;
    bool paused_ = false;
    bool changed_ = false;
    bool reporting_ = false;
    bool headStarted_ = false;
    int64_t dueUs_ = 0;
    int64_t leftUs_ = 0;
    int64_t eligibleUs_ = 0;
    uint32_t lastMs_ = 0;
    int64_t unwrapped_ = 0;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<AudioOutput> openSilentOutput(const PcmFormat& format, AudioDoneCallback done, AudioClock& clock,
                                              AudioTap tap)
{
    if (format.avgBytesPerSec == 0 || !done)
        return nullptr;
    return std::make_unique<SilentOutput>(format, std::move(done), clock, std::move(tap));
}

}  // namespace gz
