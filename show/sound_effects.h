// Sound effects and the sound machinery of the show.
//
// SoundEffects plays the short "WAVE" resources on an output of their own,
// so they mix with the music. playEffect() returns at once: a short thread
// starts the sound. Chimes (names beginning with "CLING") start at least
// 280 ms apart; every new effect cuts the one still playing. shutdown()
// joins every effect thread.
//
// ShowSound is what the show engine talks to (SoundCues): the effects plus
// the MusicMixer on its wave streamer, started with the view and shut down
// with it. Without a sound device everything runs on silent outputs.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "devices/audio_output.h"
#include "devices/wave_streamer.h"
#include "show/music_mixer.h"
#include "show/show_host.h"

namespace gz {

inline constexpr uint32_t kChimeSpacingMs = 280;

// Finds the samples of a sound by resource name; false when there is none.
using SoundLookup = std::function<bool(const std::string& name, WaveSamples& out)>;

// The program's own "WAVE" resources.
bool findSoundResource(const std::string& name, WaveSamples& out);

// What the effects' output plays between effects. Silence keeps the stream
// running, so a sound server that suspends an idle device (and wakes it with
// a delay, or loses the first few milliseconds) never does so before a tick.
enum class EffectIdle { Nothing, Silence };
// Length of one silence buffer and how many are kept queued while idle.
inline constexpr uint32_t kIdleSilenceMs = 20;
inline constexpr uint32_t kIdleSilenceBuffers = 2;

class SoundEffects {
public:
    SoundEffects(AudioOutputOpener opener = openDefaultAudioOutput, AudioClock& clock = systemAudioClock(),
                 SoundLookup lookup = findSoundResource, EffectIdle idle = EffectIdle::Nothing);
    ~SoundEffects();  // shutdown()
    SoundEffects(const SoundEffects&) = delete;
    SoundEffects& operator=(const SoundEffects&) = delete;

    // Opens the effects' output (44100 Hz, 16 bits, mono) and keeps it open
    // until shutdown; with EffectIdle::Silence it plays silence from now on
    // whenever no effect plays. False when it cannot be opened; effects are
    // then requested but not heard.
    bool start();
    // Returns at once. Unknown names and a missing output are ignored.
    // Does nothing after shutdown().
    void playEffect(const char* name);
    // Wakes chimes that wait for their turn, joins every effect thread and
    // closes the output. Idempotent.
    void shutdown();

    // Effect threads not yet joined (finished ones are joined by the next
    // playEffect).
    size_t threadCount();

private:
    struct EffectThread {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    void runEffect(std::string name);
    void reapFinished();  // with threadsLock_ held
    void bufferDone();    // the output's callback, on its thread
    void keepAwake();     // the idle-silence thread

    AudioOutputOpener opener_;
    AudioClock& clock_;
    SoundLookup lookup_;
    const EffectIdle idle_;

    std::mutex outputLock_;  // one effect at a time reaches the output
    std::unique_ptr<AudioOutput> output_;

    std::mutex threadsLock_;
    std::list<EffectThread> threads_;
    std::atomic<bool> shuttingDown_{false};

    // Buffers written to the output and not yet reported done. Lock order:
    // outputLock_ before idleLock_ (the callback runs inside reset()).
    std::mutex idleLock_;
    std::condition_variable idleCv_;
    uint32_t queued_ = 0;
    std::thread keeper_;

    std::mutex chimeLock_;
    std::condition_variable chimeCv_;  // wakes waiting chimes at shutdown
    std::optional<uint32_t> lastChimeStart_;
};

class ShowSound final : public SoundCues {
public:
    // `opener` makes both outputs (music and effects); `clock` times the
    // chime spacing and the music writes. Tests pass silent outputs.
    explicit ShowSound(AudioOutputOpener opener = openDefaultAudioOutput, AudioClock& clock = systemAudioClock(),
                       SoundLookup lookup = findSoundResource, EffectIdle effectIdle = EffectIdle::Nothing);
    ~ShowSound() override;  // soundEnd()

    // Sound start, at view creation: finds the track, opens both outputs,
    // the music paused, and starts the mixer. False when there is no music
    // (the show runs without it; effects still play if they can).
    bool soundStart();
    // Sound end, when the view window goes away: ends and joins the mixer
    // and every effect thread, closes the outputs. Idempotent.
    void soundEnd();

    void playEffect(const char* name) override;
    void pauseMusic() override;
    void resumeMusic() override;
    void restartMusic() override;

    MusicMixer* mixer() { return mixer_.get(); }
    WaveStreamer& streamer() { return streamer_; }

private:
    SoundLookup lookup_;
    WaveStreamer streamer_;
    SoundEffects effects_;
    std::unique_ptr<MusicMixer> mixer_;
    std::mutex cueLock_;  // the cues against soundEnd
    bool ended_ = false;
};

}  // namespace gz
