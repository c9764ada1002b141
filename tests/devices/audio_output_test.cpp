#include "devices/audio_output.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace gz {
namespace {

using namespace std::chrono_literals;

// Records each report with the clock time at which it came.
struct Reports {
    explicit Reports(AudioClock& c) : clock(c) {}
    AudioClock& clock;
    std::mutex m;
    std::vector<std::pair<uintptr_t, uint32_t>> done;  // (user data, clock ms)
    AudioDoneCallback callback()
    {
        return [this](uintptr_t u, uint32_t) {
            std::lock_guard lk(m);
            done.push_back({u, clock.nowMs()});
        };
    }
    size_t count()
    {
        std::lock_guard lk(m);
        return done.size();
    }
    bool waitFor(size_t n)
    {
        for (int i = 0; i < 2000 && count() < n; ++i)
            std::this_thread::sleep_for(1ms);
        return count() >= n;
    }
};

// Steps the manual clock by `ms` and gives the output thread time to look.
void step(ManualAudioClock& clock, uint32_t ms)
{
    clock.advance(ms);
    std::this_thread::sleep_for(15ms);
}

TEST(PcmFormat, BlockAlignAndByteRate)
{
    struct Case {
        uint32_t rate;
        uint16_t bits, channels, align;
        uint32_t bytesPerSec;
    };
    const Case cases[] = {{44100, 16, 1, 2, 88200}, {48000, 16, 2, 4, 192000}, {22050, 12, 1, 2, 44100},
                          {22050, 12, 2, 3, 66150}, {8000, 8, 1, 1, 8000},     {44100, 4, 1, 1, 44100}};
    for (const Case& c : cases) {
        PcmFormat f = makePcmFormat(c.rate, c.bits, c.channels);
        EXPECT_EQ(f.formatTag, 1);
        EXPECT_EQ(f.blockAlign, c.align) << c.bits << "x" << c.channels;
        EXPECT_EQ(f.avgBytesPerSec, c.bytesPerSec) << c.bits << "x" << c.channels;
        EXPECT_EQ(f.extraSize, 0);
    }
}

TEST(SilentOutput, PlaysEachBufferForItsDuration)
{
    ManualAudioClock clock(5000);
    Reports r(clock);
    auto out = openSilentOutput(makePcmFormat(44100, 16, 1), r.callback(), clock);
    ASSERT_TRUE(out);
    std::vector<uint8_t> data(88200);  // one second
    ASSERT_EQ(out->write(data.data(), 88200, 1), 0);
    ASSERT_EQ(out->write(data.data(), 44100, 2), 0);  // half a second
    step(clock, 999);
    EXPECT_EQ(r.count(), 0u);
    step(clock, 1);
    ASSERT_TRUE(r.waitFor(1));
    EXPECT_EQ(r.done[0], std::make_pair(uintptr_t(1), uint32_t(6000)));
    step(clock, 499);
    EXPECT_EQ(r.count(), 1u);
    step(clock, 1);
    ASSERT_TRUE(r.waitFor(2));
    EXPECT_EQ(r.done[1].first, uintptr_t(2));
}

TEST(SilentOutput, BackToBackBuffersDoNotDrift)
{
    ManualAudioClock clock(0);
    Reports r(clock);
    auto out = openSilentOutput(makePcmFormat(44100, 16, 1), r.callback(), clock);
    std::vector<uint8_t> data(16384);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(out->write(data.data(), 16384, uintptr_t(i)), 0);
    // 100 x 16384 bytes at 88200 bytes/s = 18575.96 ms; whole steps would
    // lose up to a millisecond per buffer.
    for (int i = 0; i < 185; ++i)
        clock.advance(100);
    step(clock, 75);
    ASSERT_TRUE(r.waitFor(99));
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(r.count(), 99u);
    step(clock, 1);
    ASSERT_TRUE(r.waitFor(100));
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(r.done[i].first, uintptr_t(i));
}

TEST(SilentOutput, PauseHoldsTheClockAndKeepsTheQueue)
{
    ManualAudioClock clock(0);
    Reports r(clock);
    auto out = openSilentOutput(makePcmFormat(44100, 16, 1), r.callback(), clock);
    std::vector<uint8_t> data(88200);
    ASSERT_EQ(out->write(data.data(), 88200, 7), 0);
    step(clock, 400);
    ASSERT_EQ(out->pause(), 0);
    step(clock, 5000);
    EXPECT_EQ(r.count(), 0u);
    ASSERT_EQ(out->resume(), 0);
    step(clock, 599);
    EXPECT_EQ(r.count(), 0u);
    step(clock, 1);
    ASSERT_TRUE(r.waitFor(1));
    EXPECT_EQ(r.done[0].second, 6000u);
}

TEST(SilentOutput, ResetReportsTheQueueBeforeItReturns)
{
    ManualAudioClock clock(0);
    Reports r(clock);
    auto out = openSilentOutput(makePcmFormat(44100, 16, 1), r.callback(), clock);
    std::vector<uint8_t> data(1000);
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(out->write(data.data(), 1000, uintptr_t(i)), 0);
    ASSERT_EQ(out->reset(), 0);
    ASSERT_EQ(r.count(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(r.done[i].first, uintptr_t(i));
    step(clock, 1000);
    EXPECT_EQ(r.count(), 5u);
    ASSERT_EQ(out->close(), 0);
    EXPECT_EQ(out->write(data.data(), 1000, 9), -1);
    EXPECT_EQ(out->pause(), -1);
    EXPECT_EQ(out->reset(), -1);
    EXPECT_EQ(out->close(), -1);
}

TEST(SilentOutput, TapSeesEachBufferWhenItStarts)
{
    ManualAudioClock clock(0);
    Reports r(clock);
    std::vector<uint32_t> starts;
    std::mutex m;
    auto out = openSilentOutput(makePcmFormat(1000, 8, 1), r.callback(), clock, [&](const uint8_t*, uint32_t) {
        std::lock_guard lk(m);
        starts.push_back(clock.nowMs());
    });
    std::vector<uint8_t> data(100);
    ASSERT_EQ(out->write(data.data(), 100, 0), 0);
    ASSERT_EQ(out->write(data.data(), 100, 1), 0);
    std::this_thread::sleep_for(15ms);
    step(clock, 100);
    ASSERT_TRUE(r.waitFor(1));
    std::this_thread::sleep_for(10ms);
    std::lock_guard lk(m);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0], 0u);
    EXPECT_EQ(starts[1], 100u);
}

TEST(SilentOutput, RefusesAZeroByteRate)
{
    ManualAudioClock clock;
    Reports r(clock);
    EXPECT_FALSE(openSilentOutput(PcmFormat{}, r.callback(), clock));
}

TEST(AlsaOutput, PlaysAShortBlockThroughTheNullDevice)
{
    Reports r(systemAudioClock());
    auto out = openAlsaOutput(makePcmFormat(44100, 16, 1), r.callback(), "null");
    if (!out)
        GTEST_SKIP() << "ALSA has no usable \"null\" device here";
    std::vector<uint8_t> block(8820);  // 50 ms
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = uint8_t(i * 7);
    ASSERT_EQ(out->write(block.data(), uint32_t(block.size()), 42), 0);
    ASSERT_TRUE(r.waitFor(1));
    EXPECT_EQ(r.done[0].first, uintptr_t(42));
    // Paused, reset and closed without hanging.
    ASSERT_EQ(out->write(block.data(), uint32_t(block.size()), 43), 0);
    ASSERT_EQ(out->pause(), 0);
    ASSERT_EQ(out->reset(), 0);
    EXPECT_EQ(r.count(), 2u);
    ASSERT_EQ(out->resume(), 0);
    EXPECT_EQ(out->close(), 0);
    EXPECT_EQ(out->write(block.data(), 10, 44), -1);
}

TEST(AlsaOutput, RefusesFormatsItCannotCarry)
{
    Reports r(systemAudioClock());
    EXPECT_FALSE(openAlsaOutput(makePcmFormat(44100, 12, 1), r.callback(), "null"));
    EXPECT_FALSE(openAlsaOutput(makePcmFormat(44100, 16, 1), r.callback(), "no-such-device-here"));
}

TEST(DefaultOutput, AlwaysGivesAnOutput)
{
    Reports r(systemAudioClock());
    auto out = openDefaultAudioOutput(makePcmFormat(44100, 16, 1), r.callback());
    ASSERT_TRUE(out);
    std::vector<uint8_t> block(882);  // 5 ms
    ASSERT_EQ(out->write(block.data(), 882, 1), 0);
    EXPECT_EQ(out->close(), 0);
    EXPECT_EQ(r.count(), 1u);
}

}  // namespace
}  // namespace gz
