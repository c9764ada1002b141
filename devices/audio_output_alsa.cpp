// ALSA output. One thread owns the PCM handle and does every ALSA call;
// the methods only queue buffers and commands for it. Writes are
// non-blocking with a short poll, so a command is picked up within ~20 ms.
#include <alsa/asoundlib.h>

#include <deque>
#include <mutex>
#include <thread>

#include "devices/audio_output.h"

namespace gz {

namespace {

// alsa-lib prints its own complaints to stderr (no card, no server); the
// device modules never show anything, so those go nowhere.
void quietAlsaError(const char*, int, const char*, int, const char*, ...) {}

struct Queued {
    const uint8_t* data;
    uint32_t length;
    uintptr_t userData;
};

class AlsaOutput final : public AudioOutput {
public:
    AlsaOutput(snd_pcm_t* pcm, uint32_t frameBytes, bool canPause, AudioDoneCallback done, AudioTap tap)
        : pcm_(pcm), frameBytes_(frameBytes), canPause_(canPause), done_(std::move(done)), tap_(std::move(tap))
    {
        thread_ = std::thread([this] { run(); });
    }
    ~AlsaOutput() override { close(); }

    int write(const uint8_t* data, uint32_t length, uintptr_t userData) override
    {
        std::lock_guard lk(m_);
        if (closed_)
            return -1;
        queue_.push_back({data, length, userData});
        cv_.notify_all();
        return 0;
    }

    int pause() override { return setPaused(true); }
    int resume() override { return setPaused(false); }

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
        cv_.notify_all();
        lk.unlock();
        if (thread_.joinable())
            thread_.join();
        int rc = snd_pcm_close(pcm_) < 0 ? -1 : 0;
        pcm_ = nullptr;
        return rc;
    }

private:
    int setPaused(bool on)
    {
        std::lock_guard lk(m_);
        if (closed_)
            return -1;
        wantPaused_ = on;
        cv_.notify_all();
        return 0;
    }

    // Takes the queue away, has the thread drop what ALSA holds and leave the
    // head buffer alone, then reports the dropped buffers in order.
    void dropAll(std::unique_lock<std::mutex>& lk)
    {
        cv_.wait(lk, [this] { return !reporting_; });
        std::deque<Queued> dropped;
        dropped.swap(queue_);
        headOffset_ = 0;
        ++resetRequests_;
        cv_.notify_all();
        cv_.wait(lk, [this] { return resetsDone_ == resetRequests_; });
        reporting_ = true;
        lk.unlock();
        for (const Queued& q : dropped)
            done_(q.userData, q.length);
        lk.lock();
        reporting_ = false;
        cv_.notify_all();
    }

    // Called with m_ held: brings ALSA in line with the requested state.
    void applyCommands()
    {
        if (resetsDone_ != resetRequests_) {
            snd_pcm_drop(pcm_);
            snd_pcm_prepare(pcm_);
            if (isPaused_ && canPause_)
                isPaused_ = false;  // a dropped stream is no longer in the paused state
            resetsDone_ = resetRequests_;
            cv_.notify_all();
        }
        if (wantPaused_ != isPaused_) {
            if (canPause_ && snd_pcm_state(pcm_) == (wantPaused_ ? SND_PCM_STATE_RUNNING : SND_PCM_STATE_PAUSED)) {
                snd_pcm_pause(pcm_, wantPaused_ ? 1 : 0);
            } else if (wantPaused_) {
                // Without hardware pause the little that ALSA holds is dropped.
                snd_pcm_drop(pcm_);
                snd_pcm_prepare(pcm_);
            }
            isPaused_ = wantPaused_;
        }
    }

    void run()
    {
        std::unique_lock lk(m_);
        for (;;) {
            applyCommands();
            if (closed_)
                break;
            if (isPaused_ || queue_.empty() || reporting_) {
                cv_.wait(lk);
                continue;
            }
            const Queued head = queue_.front();
            const uint32_t offset = headOffset_;
            const uint64_t resetsSeen = resetsDone_;
            uint32_t frames = (head.length - offset) / frameBytes_;
            snd_pcm_sframes_t n = 0;
            if (frames > 0) {
                lk.unlock();
                if (tap_)
                    tap_(head.data + offset, frames * frameBytes_);
                n = snd_pcm_writei(pcm_, head.data + offset, frames);
                if (n == -EAGAIN) {
                    snd_pcm_wait(pcm_, 20);
                    n = 0;
                } else if (n < 0 && snd_pcm_recover(pcm_, int(n), 1) == 0) {
                    n = 0;
                }
                lk.lock();
                if (resetsDone_ != resetsSeen || resetRequests_ != resetsSeen)
                    continue;  // the head was dropped meanwhile
            }
            if (n < 0) {
                frames = 0;  // the device failed for good: give the buffer back unplayed
            } else {
                headOffset_ += uint32_t(n) * frameBytes_;
                frames -= uint32_t(n);
            }
            if (frames > 0)
                continue;
            queue_.pop_front();
            headOffset_ = 0;
            reporting_ = true;
            lk.unlock();
            done_(head.userData, head.length);
            lk.lock();
            reporting_ = false;
            cv_.notify_all();
        }
    }

    snd_pcm_t* pcm_;
    const uint32_t frameBytes_;
    const bool canPause_;
    AudioDoneCallback done_;
    AudioTap tap_;

    std::mutex m_;
    std::condition_variable cv_;
    std::deque<Queued> queue_;
    uint32_t headOffset_ = 0;
    uint64_t resetRequests_ = 0;
    uint64_t resetsDone_ = 0;
    bool closed_ = false;
    bool wantPaused_ = false;
    bool isPaused_ = false;
    bool reporting_ = false;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<AudioOutput> openAlsaOutput(const PcmFormat& format, AudioDoneCallback done, const char* device,
                                            AudioTap tap)
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(quietAlsaError); });

    if (format.formatTag != 1 || format.channels == 0 || format.samplesPerSec == 0 || !done || !device)
        return nullptr;
    snd_pcm_format_t sampleFormat;
    switch (format.bitsPerSample) {
    case 8: sampleFormat = SND_PCM_FORMAT_U8; break;
    case 16: sampleFormat = SND_PCM_FORMAT_S16_LE; break;
    case 24: sampleFormat = SND_PCM_FORMAT_S24_3LE; break;
    case 32: sampleFormat = SND_PCM_FORMAT_S32_LE; break;
    default: return nullptr;
    }
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, device, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return nullptr;
    // A tenth of a second in ALSA's own buffer: pause and stop stay prompt.
    if (snd_pcm_set_params(pcm, sampleFormat, SND_PCM_ACCESS_RW_INTERLEAVED, format.channels, format.samplesPerSec,
                           1, 100000) < 0) {
        snd_pcm_close(pcm);
        return nullptr;
    }
    bool canPause = false;
    snd_pcm_hw_params_t* hw = nullptr;
    if (snd_pcm_hw_params_malloc(&hw) == 0) {
        if (snd_pcm_hw_params_current(pcm, hw) == 0)
            canPause = snd_pcm_hw_params_can_pause(hw) != 0;
        snd_pcm_hw_params_free(hw);
    }
    return std::make_unique<AlsaOutput>(pcm, format.blockAlign, canPause, std::move(done), std::move(tap));
}

std::unique_ptr<AudioOutput> openDefaultAudioOutput(const PcmFormat& format, AudioDoneCallback done)
{
    if (auto out = openAlsaOutput(format, done, "default"))
        return out;
    return openSilentOutput(format, std::move(done));
}

}  // namespace gz
