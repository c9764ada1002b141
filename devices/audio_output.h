// Audio output: a device that takes whole PCM buffers and reports each one
// when it has finished playing. Two kinds exist: the ALSA output (a real
// sound device) and the silent output, which consumes buffers in real time
// on the given clock without making a sound. The wave streamer sits on top.
//
// Contract of every AudioOutput:
// - prepare() is called once per buffer before its first write(), while
//   the output is set up (0, or -1 when the output cannot take it).
// - write() queues one buffer and returns at once (0, or -1 when refused).
//   The memory stays the caller's; it must stay valid and untouched until
//   the buffer is reported done. write() never reports done itself.
// - Buffers are reported done in the order they were written, each exactly
//   once, on a thread of the output (or inside reset()/close()), through the
//   callback given when the output was opened. The callback must not call
//   back into the output.
// - pause() holds playback and keeps the queue; resume() goes on.
// - reset() drops everything queued: every dropped buffer is reported done
//   before reset() returns, and no report of an earlier buffer comes later.
//   The pause state is kept.
// - close() is reset() plus release; afterwards every call returns -1.
//   The destructor closes.
// All methods return 0 on success and -1 on failure.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "devices/audio_output_clock.h"

namespace gz {

// The PCM format record (format tag 1 = integer PCM, extra size 0).
struct PcmFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
};

// Builds the record: block alignment = (bits * channels + 7) / 8, average
// bytes per second = rate * block alignment.
PcmFormat makePcmFormat(uint32_t samplesPerSec, uint16_t bitsPerSample, uint16_t channels);

// Reported for every finished buffer: the userData and length given to write().
using AudioDoneCallback = std::function<void(uintptr_t userData, uint32_t length)>;

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    virtual int prepare(const uint8_t* /*data*/, uint32_t /*length*/) { return 0; }
    virtual int write(const uint8_t* data, uint32_t length, uintptr_t userData) = 0;
    virtual int pause() = 0;
    virtual int resume() = 0;
    virtual int reset() = 0;
    virtual int close() = 0;
};

// Opens an output for `format`, or returns nullptr when it cannot.
using AudioOutputOpener = std::function<std::unique_ptr<AudioOutput>(const PcmFormat&, AudioDoneCallback)>;

// Sees every buffer the moment the silent output starts playing it.
using AudioTap = std::function<void(const uint8_t* data, uint32_t length)>;

// The silent output. Accepts any format with a non-zero byte rate; plays each
// buffer for length / avgBytesPerSec seconds of `clock` time, back to back
// without drift. nullptr only for a zero byte rate.
std::unique_ptr<AudioOutput> openSilentOutput(const PcmFormat& format, AudioDoneCallback done,
                                              AudioClock& clock = systemAudioClock(), AudioTap tap = {});

// The ALSA output on the named PCM device ("default" follows the desktop's
// sound server; "null" discards). nullptr when the device cannot be opened
// or does not take the format (8-, 16-, 24- or 32-bit integer samples).
// `tap`, when given, sees every piece of sample data the moment before it
// is handed to ALSA, again for the rest when ALSA took only a part (for
// measuring; it must return quickly).
std::unique_ptr<AudioOutput> openAlsaOutput(const PcmFormat& format, AudioDoneCallback done,
                                            const char* device = "default", AudioTap tap = {});

// The output the program uses: ALSA "default", and the silent output on the
// system clock when no sound device can be opened, so a missing device
// never stops the show.
std::unique_ptr<AudioOutput> openDefaultAudioOutput(const PcmFormat& format, AudioDoneCallback done);

}  // namespace gz
