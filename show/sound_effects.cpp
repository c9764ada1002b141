#include "show/sound_effects.h"

#include <cstring>
#include <iterator>
#include <vector>

#include "resources/resource_table.h"

namespace gz {

bool findSoundResource(const std::string& name, WaveSamples& out)
{
    const Resource* r = findResource("WAVE", name);
    return r && findWaveSamples(r->data, r->size, out);
}

// --- SoundEffects ---

namespace {

constexpr uintptr_t kEffectBuffer = 0;
constexpr uintptr_t kSilenceBuffer = 1;

const std::vector<uint8_t>& silenceBuffer()
{
    static const std::vector<uint8_t> zeros(size_t(kMusicRate) * kIdleSilenceMs / 1000 * 2, 0);
    return zeros;
}

}  // namespace

SoundEffects::SoundEffects(AudioOutputOpener opener, AudioClock& clock, SoundLookup lookup, EffectIdle idle)
    : opener_(std::move(opener)), clock_(clock), lookup_(std::move(lookup)), idle_(idle)
{
}

SoundEffects::~SoundEffects() { shutdown(); }

bool SoundEffects::start()
{
    {
        std::lock_guard lk(outputLock_);
        if (shuttingDown_)
            return false;
        if (!output_ && opener_) {
            output_ = opener_(makePcmFormat(kMusicRate, 16, 1), [this](uintptr_t, uint32_t) { bufferDone(); });
            if (output_ && idle_ == EffectIdle::Silence)
                keeper_ = std::thread([this] { keepAwake(); });
        }
        if (!output_)
            return false;
    }
    std::lock_guard lk(queueLock_);
    if (!shuttingDown_ && !worker_.joinable())
        worker_ = std::thread([this] { runEffects(); });
    return true;
}

void SoundEffects::bufferDone()
{
    {
        std::lock_guard lk(idleLock_);
        if (queued_ > 0)
            --queued_;
    }
    idleCv_.notify_all();
}

void SoundEffects::keepAwake()
{
    for (;;) {
        {
            std::unique_lock lk(idleLock_);
            idleCv_.wait(lk, [this] { return shuttingDown_ || queued_ < kIdleSilenceBuffers; });
            if (shuttingDown_)
                return;
        }
        // An effect written meanwhile counts too: silence then queues behind
        // it, so the stream goes on without a gap when the effect ends.
        std::lock_guard out(outputLock_);
        if (!output_)
            return;
        std::lock_guard lk(idleLock_);
        if (queued_ >= kIdleSilenceBuffers)
            continue;
        const std::vector<uint8_t>& zeros = silenceBuffer();
        if (output_->write(zeros.data(), uint32_t(zeros.size()), kSilenceBuffer) != 0)
            return;  // a failed device stays failed: no spinning on it
        ++queued_;
    }
}

void SoundEffects::playEffect(const char* name)
{
    if (!name)
        return;
    const bool chime = std::strncmp(name, "CLING", 5) == 0;
    {
        std::lock_guard lk(queueLock_);
        if (shuttingDown_ || !worker_.joinable())
            return;
        const uint32_t now = clock_.nowMs();
        uint32_t due = now;
        if (chime) {
            // The next free slot at least 280 ms after the last chime,
            // decided here in one step so that quick buzzes from two threads
            // never get the same slot. Signed: the last slot may lie ahead.
            if (lastChimeStart_ && int32_t(now - *lastChimeStart_) < int32_t(kChimeSpacingMs))
                due = *lastChimeStart_ + kChimeSpacingMs;
            // The slot lies that far ahead only when a chime already waits
            // for its own: this one is dropped, so a buzzer pressed over and
            // over never builds a backlog that rings on after the last press.
            if (due - now > kEffectMaxWaitMs)
                return;
            lastChimeStart_ = due;
        }
        // Full only while the output holds the thread up. The oldest goes:
        // it is the nearest to being too late, and the newer ones would cut
        // it the moment they start anyway.
        if (pending_.size() >= kMaxPendingEffects)
            pending_.pop_front();
        // By due time, so a tick is never held back behind a waiting chime.
        auto at = pending_.end();
        while (at != pending_.begin() && int32_t(std::prev(at)->dueMs - due) > 0)
            --at;
        pending_.insert(at, Pending{name, now, due});
        ++requests_;
    }
    queueCv_.notify_all();
}

void SoundEffects::runEffects()
{
    std::unique_lock lk(queueLock_);
    while (!shuttingDown_) {
        if (pending_.empty()) {
            queueCv_.wait(lk, [this] { return shuttingDown_ || !pending_.empty(); });
            continue;
        }
        const uint32_t now = clock_.nowMs();
        const uint32_t due = pending_.front().dueMs;
        if (int32_t(due - now) > 0) {
            // A new request may have to go first (a tick while a chime waits).
            // The due time is looked at too: the clock may have moved on
            // since `now` was read, and the timeout counts from later.
            const uint64_t seen = requests_;
            clock_.waitFor(queueCv_, lk, due - now, [&] {
                return shuttingDown_ || requests_ != seen || int32_t(due - clock_.nowMs()) <= 0;
            });
            continue;
        }
        Pending e = std::move(pending_.front());
        pending_.pop_front();
        if (now - e.requestedMs > kEffectMaxWaitMs + kEffectStartSlackMs)
            continue;  // held up behind a device that blocked: it would only ring out of place
        starting_ = true;
        lk.unlock();
        startSound(e.name);
        lk.lock();
        starting_ = false;
    }
}

void SoundEffects::startSound(const std::string& name)
{
    WaveSamples s;
    if (!lookup_ || !lookup_(name, s))
        return;  // a missing sound is nobody's business
    std::lock_guard lk(outputLock_);
    if (!output_)
        return;
    output_->reset();  // the new effect ends the one still playing (and the idle silence)
    if (output_->write(s.start, s.count * 2, kEffectBuffer) == 0) {
        std::lock_guard idle(idleLock_);
        ++queued_;
    }
}

void SoundEffects::shutdown()
{
    std::thread worker;
    {
        std::lock_guard lk(queueLock_);
        shuttingDown_ = true;
        pending_.clear();
        worker.swap(worker_);
    }
    queueCv_.notify_all();
    {
        std::lock_guard lk(idleLock_);
        idleCv_.notify_all();
    }
    if (worker.joinable())
        worker.join();
    if (keeper_.joinable())
        keeper_.join();
    std::lock_guard lk(outputLock_);
    if (output_) {
        output_->close();
        output_.reset();
    }
}

size_t SoundEffects::threadCount()
{
    std::lock_guard lk(queueLock_);
    return worker_.joinable() ? 1 : 0;
}

bool SoundEffects::settled()
{
    std::lock_guard lk(queueLock_);
    return !starting_ && (pending_.empty() || int32_t(pending_.front().dueMs - clock_.nowMs()) > 0);
}

// --- ShowSound ---

ShowSound::ShowSound(AudioOutputOpener opener, AudioClock& clock, SoundLookup lookup, EffectIdle effectIdle)
    : lookup_(lookup), streamer_(opener, clock), effects_(opener, clock, lookup, effectIdle)
{
}

ShowSound::~ShowSound() { soundEnd(); }

bool ShowSound::soundStart()
{
    std::lock_guard lk(cueLock_);
    if (ended_ || mixer_)
        return false;
    effects_.start();
    WaveSamples music;
    if (!lookup_ || !lookup_(kMusicTrack, music))
        return false;
    mixer_ = std::make_unique<MusicMixer>(streamer_, musicTrackFrom(music));
    return mixer_->start();
}

void ShowSound::soundEnd()
{
    std::lock_guard lk(cueLock_);
    if (ended_)
        return;
    ended_ = true;
    if (mixer_)
        mixer_->shutdown();
    effects_.shutdown();
}

void ShowSound::playEffect(const char* name) { effects_.playEffect(name); }

void ShowSound::pauseMusic()
{
    std::lock_guard lk(cueLock_);
    if (mixer_ && !ended_)
        mixer_->pause();
}

void ShowSound::resumeMusic()
{
    std::lock_guard lk(cueLock_);
    if (mixer_ && !ended_)
        mixer_->resume();
}

void ShowSound::restartMusic()
{
    std::lock_guard lk(cueLock_);
    if (mixer_ && !ended_)
        mixer_->restart();
}

}  // namespace gz
