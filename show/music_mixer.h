// The music: finding samples in a WAVE resource, and the MusicMixer thread
// that feeds the track in blocks to the wave output streamer, looping
// without a gap, at one eighth of its recorded amplitude.
//
// A block the streamer does not take (no free buffer within its timeout
// while the output is paused) is written again, so the music resumes
// where it stopped instead of jumping ahead.
//
// The mixer holds its StreamLock while it fills and submits one block and
// while the music is restarted, so the stream is never reopened in the
// middle of a block. Pause and resume go straight to the streamer.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

#include "devices/wave_streamer.h"

namespace gz {

inline constexpr uint32_t kMusicBlockSamples = 8192;
inline constexpr uint32_t kMusicBlockBytes = kMusicBlockSamples * 2;
inline constexpr uint32_t kMusicRate = 44100;

// 16-bit little-endian samples inside a WAVE file (unaligned is fine).
struct WaveSamples {
    const uint8_t* start = nullptr;
    uint32_t count = 0;
    int16_t at(uint32_t i) const { return int16_t(uint16_t(start[2 * i] | (start[2 * i + 1] << 8))); }
};

// Finds the "data" chunk: chunks are walked from offset 12; the data chunk
// must begin within the first 4096 bytes and fit in `size`. The count is
// the chunk size / 2 (an odd byte is dropped). False when not found.
// Reads nothing outside data[0, size).
bool findWaveSamples(const uint8_t* data, size_t size, WaveSamples& out);

// The music track: the samples of the data chunk less its leading zero
// samples (the silent lead-in).
WaveSamples musicTrackFrom(WaveSamples samples);

// Fills one block: kMusicBlockSamples samples of `track` from `position` on,
// wrapping to the track's start at its end, each divided by 8 (truncated
// toward zero), written little-endian to `out`. Moves `position` on.
// A track shorter than one block simply repeats. Needs track.count > 0.
void fillMusicBlock(const WaveSamples& track, uint32_t& position, uint8_t* out);

class MusicMixer {
public:
    // `streamer` outlives the mixer; `track` stays valid while it runs.
    MusicMixer(WaveStreamer& streamer, WaveSamples track);
    ~MusicMixer();  // shutdown()
    MusicMixer(const MusicMixer&) = delete;
    MusicMixer& operator=(const MusicMixer&) = delete;

    // Sound start: opens the streamer (44100 Hz, 16 bits, mono, 16384-byte
    // buffers), pauses it and starts the mixer thread. False (and no
    // thread) when the track is empty or the output cannot be opened; the
    // show then runs without music.
    bool start();
    // Sound end: ends the thread (a write waiting for a free buffer is
    // released at once), joins it and closes the streamer. Idempotent.
    void shutdown();

    void pause();
    void resume();
    // Rewinds to the start of the track on a freshly opened stream. The
    // stream comes back paused; the caller then resumes or pauses it.
    void restart();

    bool running() const { return thread_.joinable(); }
    uint32_t position();  // musicPosition, read under the StreamLock

private:
    void run();
    int openStream();

    WaveStreamer& ws_;
    const WaveSamples track_;
    std::mutex streamLock_;
    std::atomic<int> soundRunning_{0};
    std::atomic<int> mixerEnded_{0};
    std::atomic<int> restartPending_{0};
    std::condition_variable resumeCv_;  // with streamLock_: a restart is over
    uint32_t musicPosition_ = 0;
    std::thread thread_;
};

}  // namespace gz
