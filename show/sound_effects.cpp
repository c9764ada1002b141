#include "show/sound_effects.h"

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
    std::lock_guard lk(outputLock_);
    if (!output_ && opener_) {
        output_ = opener_(makePcmFormat(kMusicRate, 16, 1), [this](uintptr_t, uint32_t) { bufferDone(); });
        if (output_ && idle_ == EffectIdle::Silence)
            keeper_ = std::thread([this] { keepAwake(); });
    }
    return output_ != nullptr;
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

void SoundEffects::reapFinished()
{
    for (auto it = threads_.begin(); it != threads_.end();) {
        if (it->done) {
            it->thread.join();
            it = threads_.erase(it);
        } else {
            ++it;
        }
    }
}

void SoundEffects::playEffect(const char* name)
{
    if (!name)
        return;
    std::lock_guard lk(threadsLock_);
    if (shuttingDown_)
        return;
    reapFinished();
    EffectThread& t = threads_.emplace_back();
    t.thread = std::thread([this, &t, n = std::string(name)] {
        runEffect(n);
        t.done = true;
    });
}

void SoundEffects::runEffect(std::string name)
{
    if (name.compare(0, 5, "CLING") == 0) {
        // Each chime takes the next free slot at least 280 ms after the one
        // before, decided in one step, so three quick buzzes never let two
        // chimes start together.
        std::unique_lock lk(chimeLock_);
        uint32_t now = clock_.nowMs();
        uint32_t start = now;
        // Signed: the last slot may lie ahead when chimes are waiting.
        if (lastChimeStart_ && int32_t(now - *lastChimeStart_) < int32_t(kChimeSpacingMs))
            start = *lastChimeStart_ + kChimeSpacingMs;
        lastChimeStart_ = start;
        if (start != now) {
            clock_.waitFor(chimeCv_, lk, start - now, [this] { return shuttingDown_.load(); });
        }
    }
    if (shuttingDown_)
        return;
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
    std::list<EffectThread> threads;
    {
        // Threads are only added under threadsLock_ while not shutting
        // down, so the list taken here is complete.
        std::lock_guard lk(threadsLock_);
        shuttingDown_ = true;
        threads.swap(threads_);
    }
    {
        std::lock_guard lk(chimeLock_);
        chimeCv_.notify_all();
    }
    {
        std::lock_guard lk(idleLock_);
        idleCv_.notify_all();
    }
    for (EffectThread& t : threads)
        if (t.thread.joinable())
            t.thread.join();
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
    std::lock_guard lk(threadsLock_);
    return threads_.size();
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
