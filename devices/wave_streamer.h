// Wave output streamer: plays a continuous stream of PCM blocks through a
// ring of fixed-size buffers on one audio output.
//
// The producer asks for the buffer at the write position (nextBuffer), fills
// it in place and submits it (write). The first eight writes after open() or
// stop() are held back; the ninth hands all nine to the device at once, and
// from then on the producer keeps all but the two reserve buffers queued. The
// device reports finished buffers through a completion callback on its own
// thread. pause() holds and resumes the device at once; stop() drops the
// queue and leaves the output open for reuse; close() releases everything.
//
// One producer at a time (the caller serialises its writes); pause, stop and
// close may come from any thread, also while a write waits. Streaming
// allocates and copies nothing.
//
// Results are small integers, see the enums below; nothing is ever shown.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "devices/audio_output.h"

namespace gz {

inline constexpr int kWaveMaxBuffers = 16;
inline constexpr int kWaveMinBuffers = 12;
inline constexpr int kWavePreRoll = 8;
inline constexpr int kWaveReserve = 2;
inline constexpr uint32_t kWaveDefaultBufferSize = 16384;
// Largest buffer open() accepts: the ring stays below 16 MiB.
inline constexpr uint32_t kWaveMaxBufferSize = 1u << 20;
inline constexpr uint32_t kWaveWriteTimeoutMs = 2000;

enum WaveOpenResult : int {
    kWaveOpenOk = 0,
    kWaveOpenRefused = 1,        // format (or buffer size) not allowed, or no device
    kWaveOpenTooFewBuffers = 2,  // fewer than 12 buffers could be prepared
    kWaveOpenNoEvent = 3,        // kept for the code table; cannot happen here
};

enum WaveWriteResult : int {
    kWaveWriteOk = 0,            // queued, or held during the pre-roll
    kWaveWriteNoFreeBuffer = 1,  // no free buffer within 2000 ms; nothing submitted
    kWaveWriteTooLong = 2,       // more bytes than a buffer holds
    kWaveWriteRefused = 3,       // the device refused a buffer; write position unchanged
    kWaveWriteNotAccepting = 4,  // not open, or stopped/closed while this write waited
};

// One ring buffer: its memory, allocated once at open.
struct StreamBuffer {
    std::unique_ptr<uint8_t[]> data;
};

// The module's table. Construct one per output (the program has one);
// the fields belong to the functions below. The destructor closes.
struct WaveStreamer {
    explicit WaveStreamer(AudioOutputOpener opener = openDefaultAudioOutput, AudioClock& clock = systemAudioClock())
        : opener(std::move(opener)), clock(clock)
    {
    }
    ~WaveStreamer();
    WaveStreamer(const WaveStreamer&) = delete;
    WaveStreamer& operator=(const WaveStreamer&) = delete;

    AudioOutputOpener opener;
    AudioClock& clock;

    PcmFormat format;
    std::unique_ptr<AudioOutput> device;
    uint32_t bufferSize = kWaveDefaultBufferSize;
    StreamBuffer buffers[kWaveMaxBuffers];
    int bufferCount = 0;
    int writeIndex = 0;
    int playedIndex = -1;
    int preRollCount = 0;
    int heldSubmitted = 0;  // held buffers already handed over while the pre-roll is flushed
    uint32_t heldLengths[kWavePreRoll] = {};
    uint32_t epoch = 0;  // counts stops; completions from before the last stop are stale

    std::mutex deviceLock;  // serialises the calls into the device
    std::mutex ringLock;    // writeIndex, playedIndex, preRollCount, epoch
    std::mutex eventLock;
    std::condition_variable freeEvent;
    bool freeEventSet = true;

    std::atomic<int> accepting{0};
    std::atomic<int> stopRequested{0};
    std::atomic<uint32_t> playedBytes{0};
};

// The ring as it stands, read under the ring lock (for tests and diagnostics).
struct WaveRingState {
    int bufferCount;
    int writeIndex;
    int playedIndex;
    int preRollCount;
    int freeCount;  // (playedIndex - writeIndex) mod bufferCount
    bool freeEventSet;
};

namespace wave {

// Opens the output for (rate, bits, channels); bufferSize 0 keeps the current
// buffer size (16384 at first). An open output is closed first.
// Bits must be a non-zero multiple of 4 up to 32, channels 1..32, rate
// 1..48000, the buffer size at most kWaveMaxBufferSize; else 1.
int open(WaveStreamer& ws, uint32_t samplesPerSec, uint32_t bitsPerSample, uint32_t channels, uint32_t bufferSize);

// 0, or 1 if it was not open or releasing the device failed. A write that
// waits returns 4. Writes after close return 4.
int close(WaveStreamer& ws);

// The buffer at the write position, bufferSize bytes; nullptr when closed.
uint8_t* nextBuffer(WaveStreamer& ws);

// Submits the first `n` bytes of the buffer nextBuffer() gave. See WaveWriteResult.
int write(WaveStreamer& ws, uint32_t n);

// flag != 0 pauses the device, 0 resumes it. 0, or 1 if not open or refused.
int pause(WaveStreamer& ws, int flag);

// Drops everything queued and empties the ring; the next writes start a new
// pre-roll. 0, or 1 if not open.
int stop(WaveStreamer& ws);

bool isOpen(WaveStreamer& ws);

// Bytes of all buffers finished since the last call (dropped ones included).
uint32_t takePlayedBytes(WaveStreamer& ws);

WaveRingState ringState(WaveStreamer& ws);

}  // namespace wave

}  // namespace gz
