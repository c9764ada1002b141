#include "show/music_mixer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "resources/resource_table.h"

namespace gz {
namespace {

using namespace std::chrono_literals;

// A WAVE file from its chunks (identifier, payload).
std::vector<uint8_t> waveFile(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& chunks)
{
    std::vector<uint8_t> f = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const auto& [id, payload] : chunks) {
        f.insert(f.end(), id.begin(), id.end());
        uint32_t n = uint32_t(payload.size());
        for (int i = 0; i < 4; ++i)
            f.push_back(uint8_t(n >> (8 * i)));
        f.insert(f.end(), payload.begin(), payload.end());
    }
    return f;
}

std::vector<uint8_t> bytes(size_t n, uint8_t v = 7) { return std::vector<uint8_t>(n, v); }

TEST(FindWaveSamples, WalksTheChunks)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        bool found;
        size_t offset;
        uint32_t count;
    };
    std::vector<uint8_t> lying = waveFile({{"fmt ", bytes(16)}, {"data", bytes(40)}});
    lying[40] = 0xFF;  // data size far beyond the file
    lying[41] = 0xFF;
    lying[42] = 0xFF;
    lying[43] = 0xFF;
    std::vector<uint8_t> hugeSkip = waveFile({{"LIST", bytes(20)}, {"data", bytes(40)}});
    hugeSkip[16] = 0xF0;  // LIST size near 4 GiB: the walk must stop, not wrap
    hugeSkip[17] = 0xFF;
    hugeSkip[18] = 0xFF;
    hugeSkip[19] = 0xFF;
    const Case cases[] = {
        {"plain", waveFile({{"fmt ", bytes(16)}, {"data", bytes(100)}}), true, 44, 50},
        {"odd data size drops the last byte", waveFile({{"fmt ", bytes(16)}, {"data", bytes(101)}}), true, 44, 50},
        {"odd chunk before data, no fill byte", waveFile({{"LIST", bytes(3)}, {"data", bytes(20)}}), true, 31, 10},
        {"data starts beyond 4096 bytes", waveFile({{"LIST", bytes(4100)}, {"data", bytes(20)}}), false, 0, 0},
        {"data chunk larger than the file", lying, false, 0, 0},
        {"chunk size past the end", hugeSkip, false, 0, 0},
        {"no data chunk", waveFile({{"fmt ", bytes(16)}, {"LIST", bytes(30)}}), false, 0, 0},
        {"only 8 sample bytes", waveFile({{"fmt ", bytes(16)}, {"data", bytes(8)}}), false, 0, 0},
        {"header only", waveFile({}), false, 0, 0},
        {"empty", {}, false, 0, 0},
    };
    for (const Case& c : cases) {
        WaveSamples s;
        bool found = findWaveSamples(c.file.data(), c.file.size(), s);
        EXPECT_EQ(found, c.found) << c.what;
        if (found && c.found) {
            EXPECT_EQ(size_t(s.start - c.file.data()), c.offset) << c.what;
            EXPECT_EQ(s.count, c.count) << c.what;
        }
    }
    WaveSamples s;
    EXPECT_FALSE(findWaveSamples(nullptr, 100, s));
}

TEST(FindWaveSamples, TheEmbeddedSoundsHaveTheirLengths)
{
    struct Case {
        const char* name;
        uint32_t samples;
    };
    const Case cases[] = {{"TICK", 7497}, {"CLING1", 27783}, {"CLING2", 33957}, {"ZINKO", 5411070}};
    for (const Case& c : cases) {
        const Resource* r = findResource("WAVE", c.name);
        ASSERT_NE(r, nullptr) << c.name;
        // 44.1 kHz, mono, 16 bits in the format chunk.
        ASSERT_GE(r->size, 44u);
        EXPECT_EQ(std::memcmp(r->data + 12, "fmt ", 4), 0);
        EXPECT_EQ(r->data[22] | r->data[23] << 8, 1) << c.name;
        EXPECT_EQ(r->data[24] | r->data[25] << 8 | r->data[26] << 16, 44100) << c.name;
        EXPECT_EQ(r->data[34], 16) << c.name;
        WaveSamples s;
        ASSERT_TRUE(findWaveSamples(r->data, r->size, s)) << c.name;
        EXPECT_EQ(s.count, c.samples) << c.name;
    }
    WaveSamples music;
    ASSERT_TRUE(findWaveSamples(findResource("WAVE", "ZINKO")->data, findResource("WAVE", "ZINKO")->size, music));
    WaveSamples track = musicTrackFrom(music);
    // 0.69 s of silence in front; the tune itself starts with a sound.
    EXPECT_EQ(music.count - track.count, 30429u);
    EXPECT_NE(track.at(0), 0);
}

// Track samples i -> value(i), stored little-endian.
struct TrackFixture {
    explicit TrackFixture(uint32_t n, int16_t (*value)(uint32_t))
    {
        for (uint32_t i = 0; i < n; ++i) {
            uint16_t v = uint16_t(value(i));
            data.push_back(uint8_t(v));
            data.push_back(uint8_t(v >> 8));
        }
        track.start = data.data();
        track.count = n;
    }
    std::vector<uint8_t> data;
    WaveSamples track;
};

int16_t ramp(uint32_t i) { return int16_t(int32_t(i % 60000) - 30000); }

int16_t blockSample(const uint8_t* block, uint32_t i) { return int16_t(uint16_t(block[2 * i] | block[2 * i + 1] << 8)); }

TEST(FillMusicBlock, CopiesScalesAndWraps)
{
    TrackFixture t(20000, ramp);
    struct Case {
        uint32_t position;
        uint32_t after;
    };
    const Case cases[] = {{0, 8192}, {5000, 13192}, {11807, 19999}, {11808, 0}, {15000, 3192}, {19999, 8191}};
    std::vector<uint8_t> block(kMusicBlockBytes);
    for (const Case& c : cases) {
        uint32_t pos = c.position;
        fillMusicBlock(t.track, pos, block.data());
        EXPECT_EQ(pos, c.after) << c.position;
        for (uint32_t i = 0; i < kMusicBlockSamples; ++i) {
            int16_t want = int16_t(t.track.at((c.position + i) % 20000) / 8);
            if (blockSample(block.data(), i) != want) {
                ADD_FAILURE() << "from " << c.position << " sample " << i;
                break;
            }
        }
    }
}

TEST(FillMusicBlock, DividesTowardZero)
{
    const int16_t in[] = {-32768, -9, -8, -7, -1, 0, 1, 7, 8, 9, 32767};
    const int16_t out[] = {-4096, -1, -1, 0, 0, 0, 0, 0, 1, 1, 4095};
    std::vector<uint8_t> raw;
    for (int16_t v : in) {
        raw.push_back(uint8_t(uint16_t(v)));
        raw.push_back(uint8_t(uint16_t(v) >> 8));
    }
    WaveSamples t{raw.data(), uint32_t(std::size(in))};
    std::vector<uint8_t> block(kMusicBlockBytes);
    uint32_t pos = 0;
    fillMusicBlock(t, pos, block.data());
    // A track shorter than a block just repeats.
    for (uint32_t i = 0; i < kMusicBlockSamples; ++i)
        ASSERT_EQ(blockSample(block.data(), i), out[i % std::size(in)]) << i;
    EXPECT_EQ(pos, kMusicBlockSamples % std::size(in));
}

// --- the mixer thread on a silent output ---

struct MixerFixture : ::testing::Test {
    MixerFixture() : t(20000, ramp) {}
    ManualAudioClock clock;
    TrackFixture t;
    std::mutex m;
    std::vector<std::vector<uint8_t>> blocks;  // in the order the device plays them
    int opens = 0;
    WaveStreamer ws{[this](const PcmFormat& f, AudioDoneCallback done) {
                        ++opens;
                        return openSilentOutput(f, std::move(done), clock, [this](const uint8_t* d, uint32_t n) {
                            std::lock_guard lk(m);
                            blocks.emplace_back(d, d + n);
                        });
                    },
                    clock};
    MusicMixer mixer{ws, t.track};

    size_t played()
    {
        std::lock_guard lk(m);
        return blocks.size();
    }
    template <class F> bool runUntil(F done, uint32_t stepMs = 40)
    {
        for (int i = 0; i < 4000 && !done(); ++i) {
            clock.advance(stepMs);
            std::this_thread::sleep_for(1ms);
        }
        return done();
    }
    // Checks that the played blocks from `first` on are the track from
    // `trackPos` on, scaled by 1/8, without a gap or a repeat.
    void expectContinuous(size_t first, uint32_t trackPos)
    {
        std::lock_guard lk(m);
        uint32_t pos = trackPos;
        for (size_t b = first; b < blocks.size(); ++b) {
            ASSERT_EQ(blocks[b].size(), kMusicBlockBytes);
            for (uint32_t i = 0; i < kMusicBlockSamples; ++i) {
                int16_t want = int16_t(t.track.at(pos) / 8);
                ASSERT_EQ(blockSample(blocks[b].data(), i), want) << "block " << b << " sample " << i;
                pos = (pos + 1) % t.track.count;
            }
        }
    }
};

TEST_F(MixerFixture, StartsPausedThenPlaysTheTrackLoopingWithoutASeam)
{
    ASSERT_TRUE(mixer.start());
    EXPECT_TRUE(mixer.running());
    // Paused: nothing is heard however long we wait; the ring fills up.
    for (int i = 0; i < 30; ++i) {
        clock.advance(50);
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(played(), 0u);
    mixer.resume();
    // 12 blocks of 8192 samples cross the end of the 20000-sample track 4 times.
    ASSERT_TRUE(runUntil([&] { return played() >= 12; }));
    expectContinuous(0, 0);
}

TEST_F(MixerFixture, APauseLongerThanTheWriteTimeoutLosesNoMusic)
{
    ASSERT_TRUE(mixer.start());
    mixer.resume();
    ASSERT_TRUE(runUntil([&] { return played() >= 3; }));
    mixer.pause();
    // Ten seconds paused: every further write times out after 2 s.
    for (int i = 0; i < 100; ++i) {
        clock.advance(100);
        std::this_thread::sleep_for(1ms);
    }
    size_t atResume = played();
    mixer.resume();
    ASSERT_TRUE(runUntil([&] { return played() >= atResume + 20; }));
    expectContinuous(0, 0);
}

TEST_F(MixerFixture, RestartBeginsTheTrackAgainOnAFreshStream)
{
    ASSERT_TRUE(mixer.start());
    mixer.resume();
    ASSERT_TRUE(runUntil([&] { return played() >= 4; }));
    mixer.pause();
    int opensBefore = opens;
    // The mixer waits for a free buffer here; the restart must not wait for it.
    mixer.restart();
    EXPECT_EQ(opens, opensBefore + 1);
    EXPECT_TRUE(wave::isOpen(ws));
    // Comes back paused.
    size_t atRestart = played();
    for (int i = 0; i < 20; ++i) {
        clock.advance(50);
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(played(), atRestart);
    mixer.resume();
    ASSERT_TRUE(runUntil([&] { return played() >= atRestart + 6; }));
    expectContinuous(atRestart, 0);
}

TEST_F(MixerFixture, ShutdownJoinsTheMixerWhileItWaits)
{
    ASSERT_TRUE(mixer.start());
    // Paused and full: the mixer now waits in a write that would last 2 s of
    // clock time, but the clock does not move.
    while (clock.waiters() == 0)
        std::this_thread::sleep_for(1ms);
    mixer.shutdown();
    EXPECT_FALSE(mixer.running());
    EXPECT_FALSE(wave::isOpen(ws));
    mixer.shutdown();  // twice is harmless
    mixer.pause();
    mixer.resume();
}

TEST(MusicMixer, NoTrackOrNoOutputMeansNoMusic)
{
    WaveStreamer none{[](const PcmFormat&, AudioDoneCallback) { return std::unique_ptr<AudioOutput>(); }};
    TrackFixture t(20000, ramp);
    MusicMixer noOutput(none, t.track);
    EXPECT_FALSE(noOutput.start());
    EXPECT_FALSE(noOutput.running());
    noOutput.restart();
    noOutput.pause();
    noOutput.shutdown();

    ManualAudioClock clock;
    WaveStreamer ws{[&](const PcmFormat& f, AudioDoneCallback done) { return openSilentOutput(f, done, clock); },
                    clock};
    MusicMixer noTrack(ws, WaveSamples{});
    EXPECT_FALSE(noTrack.start());
    EXPECT_FALSE(wave::isOpen(ws));
}

}  // namespace
}  // namespace gz
