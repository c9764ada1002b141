#include "show/music_mixer.h"

#include <algorithm>
#include <cstring>

namespace gz {

bool findWaveSamples(const uint8_t* data, size_t size, WaveSamples& out)
{
    out = WaveSamples{};
    if (!data)
        return false;
    uint64_t o = 12;  // after "RIFF", its size and "WAVE"
    for (;;) {
        if (o + 16 >= size)
            return false;
        const uint8_t* c = data + o;
        uint32_t s = uint32_t(c[4]) | uint32_t(c[5]) << 8 | uint32_t(c[6]) << 16 | uint32_t(c[7]) << 24;
        if (std::memcmp(c, "data", 4) == 0) {
            if (o + 8 + s > size)
                return false;
            out.start = c + 8;
            out.count = s / 2;
            return true;
        }
        o += 8 + uint64_t(s);  // no fill byte after odd sizes
        if (o >= 4096)
            return false;
    }
}

WaveSamples musicTrackFrom(WaveSamples t)
{
    while (t.count > 0 && t.at(0) == 0) {
        t.start += 2;
        --t.count;
    }
    return t;
}

void fillMusicBlock(const WaveSamples& track, uint32_t& position, uint8_t* out)
{
    if (track.count == 0)
        return;
    if (position >= track.count)
        position = 0;
    for (uint32_t i = 0; i < kMusicBlockSamples; ++i) {
        int16_t v = int16_t(track.at(position) / 8);  // truncates toward zero
        out[2 * i] = uint8_t(uint16_t(v));
        out[2 * i + 1] = uint8_t(uint16_t(v) >> 8);
        if (++position == track.count)
            position = 0;
    }
}

MusicMixer::MusicMixer(WaveStreamer& streamer, WaveSamples track) : ws_(streamer), track_(track) {}

MusicMixer::~MusicMixer() { shutdown(); }

int MusicMixer::openStream()
{
    int rc = wave::open(ws_, kMusicRate, 16, 1, kMusicBlockBytes);
    if (rc == kWaveOpenOk)
        wave::pause(ws_, 1);
    return rc;
}

bool MusicMixer::start()
{
    if (thread_.joinable() || track_.count == 0)
        return false;
    {
        std::lock_guard lk(streamLock_);
        if (openStream() != kWaveOpenOk)
            return false;
        musicPosition_ = 0;
    }
    soundRunning_ = 1;
    mixerEnded_ = 0;
    thread_ = std::thread([this] { run(); });
    return true;
}

void MusicMixer::run()
{
    while (soundRunning_) {
        std::unique_lock lk(streamLock_);
        // Let a restart have the lock first.
        resumeCv_.wait(lk, [this] { return !restartPending_ || !soundRunning_; });
        if (!soundRunning_)
            break;
        uint8_t* buffer = wave::nextBuffer(ws_);
        if (!buffer)
            break;  // output closed: the show goes on without music
        const uint32_t blockStart = musicPosition_;
        fillMusicBlock(track_, musicPosition_, buffer);
        // A block that was not taken (no free buffer within the timeout
        // while paused) is written again, so the music goes on without a
        // jump when it resumes.
        const int rc = wave::write(ws_, kMusicBlockBytes);
        if (rc != kWaveWriteOk && !restartPending_)
            musicPosition_ = blockStart;
        // A device that refuses at once would make this loop spin.
        if (rc == kWaveWriteRefused)
            ws_.clock.waitFor(resumeCv_, lk, 100, [this] { return !soundRunning_ || restartPending_; });
    }
    mixerEnded_ = 1;
}

void MusicMixer::shutdown()
{
    if (!thread_.joinable())
        return;
    soundRunning_ = 0;
    wave::stop(ws_);  // releases a write that waits for a free buffer
    {
        std::lock_guard lk(streamLock_);
        resumeCv_.notify_all();
    }
    thread_.join();
    wave::close(ws_);
}

void MusicMixer::pause() { wave::pause(ws_, 1); }

void MusicMixer::resume() { wave::pause(ws_, 0); }

void MusicMixer::restart()
{
    if (!thread_.joinable())
        return;
    restartPending_ = 1;
    // A mixer write that waits (the output is paused) gives up at once
    // instead of holding the lock for up to two seconds.
    wave::stop(ws_);
    {
        std::lock_guard lk(streamLock_);
        musicPosition_ = 0;
        openStream();
        restartPending_ = 0;
        resumeCv_.notify_all();
    }
}

uint32_t MusicMixer::position()
{
    std::lock_guard lk(streamLock_);
    return musicPosition_;
}

}  // namespace gz
