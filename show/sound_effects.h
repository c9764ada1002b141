// Sound effects and the sound machinery of the show.
//
// SoundEffects plays the short "WAVE" resources on an output of their own,
// so they mix with the music. playEffect() returns at once and only queues
// the effect; one effects thread starts them in turn, each cutting the one
// still playing. Chimes (names beginning with "CLING") start at least 280 ms
// apart. An effect that cannot start within 280 ms of its request is
// dropped (a chime at once, when another one waits), so at most one chime
// waits and the queue holds a few effects however fast the requests come.
// shutdown() joins the thread.
//
// ShowSound is what the show engine talks to (SoundCues): the effects plus
// the MusicMixer on its wave streamer, started with the view and shut down
// with it. Without a sound device everything runs on silent outputs.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
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
// The longest an effect waits for its start, counted from its request.
inline constexpr uint32_t kEffectMaxWaitMs = kChimeSpacingMs;
// Lateness of the effects thread itself that still counts as on time (a
// timer that wakes it a little after the due time).
inline constexpr uint32_t kEffectStartSlackMs = 30;
// Effects queued at most; a further request drops the oldest (see playEffect).
inline constexpr size_t kMaxPendingEffects = 4;

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
    // until shutdown, and starts the effects thread; with EffectIdle::Silence
    // it plays silence from now on whenever no effect plays. False when it
    // cannot be opened (effects are then requested but not heard) or after
    // shutdown().
    bool start();
    // Returns at once, from any thread. Unknown names and a missing output
    // are ignored. Does nothing before start() and after shutdown().
    void playEffect(const char* name);
    // Drops the effects still waiting, joins the effects thread and closes
    // the output. Idempotent.
    void shutdown();

    // Threads that start effects: 1 from a successful start() until
    // shutdown(), otherwise 0 (the idle-silence keeper is not counted).
    size_t threadCount();
    // True when every effect due by now on the clock has been handed to the
    // output or dropped. Lets a test on a manual clock wait for the effects
    // thread before it moves time on.
    bool settled();

private:
    struct Pending {
        std::string name;
        uint32_t requestedMs;
        uint32_t dueMs;
    };
    void runEffects();  // the effects thread
    void startSound(const std::string& name);
    void bufferDone();  // the output's callback, on its thread
    void keepAwake();   // the idle-silence thread

    AudioOutputOpener opener_;
    AudioClock& clock_;
    SoundLookup lookup_;
    const EffectIdle idle_;

    std::mutex outputLock_;  // one effect at a time reaches the output
    std::unique_ptr<AudioOutput> output_;

    // Requests for the effects thread, in the order of their due times.
    // Never held together with another lock.
    std::mutex queueLock_;
    std::condition_variable queueCv_;
    std::deque<Pending> pending_;
    uint64_t requests_ = 0;     // counts playEffect()s: wakes the thread early
    bool starting_ = false;     // the thread is handing an effect to the output
    std::optional<uint32_t> lastChimeStart_;  // the latest chime slot given out
    std::thread worker_;
    std::atomic<bool> shuttingDown_{false};

    // Buffers written to the output and not yet reported done. Lock order:
    // outputLock_ before idleLock_ (the callback runs inside reset()).
    std::mutex idleLock_;
    std::condition_variable idleCv_;
    uint32_t queued_ = 0;
    std::thread keeper_;
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
    // and the effects thread, closes the outputs. Idempotent.
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
