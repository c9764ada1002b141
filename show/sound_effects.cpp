#include "show/sound_effects.h"

#include "resources/resource_table.h"

namespace gz {

bool findSoundResource(const std::string& name, WaveSamples& out)
{
    const Resource* r = findResource("WAVE", name);
    return r && findWaveSamples(r->data, r->size, out);
}

// --- SoundEffects ---

SoundEffects::SoundEffects(AudioOutputOpener opener, AudioClock& clock, SoundLookup lookup)
    : opener_(std::move(opener)), clock_(clock), lookup_(std::move(lookup))
{
}

SoundEffects::~SoundEffects() { shutdown(); }

bool SoundEffects::start()
{
    std::lock_guard lk(outputLock_);
    if (!output_ && opener_)
        output_ = opener_(makePcmFormat(kMusicRate, 16, 1), [](uintptr_t, uint32_t) {});
    return output_ != nullptr;
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
    output_->reset();  // the new effect ends the one still playing
    output_->write(s.start, s.count * 2, 0);
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
    for (EffectThread& t : threads)
        if (t.thread.joinable())
            t.thread.join();
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

ShowSound::ShowSound(AudioOutputOpener opener, AudioClock& clock, SoundLookup lookup)
    : lookup_(lookup), streamer_(opener, clock), effects_(opener, clock, lookup)
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
