// The effects' output stays open and plays silence between effects, so a
// sound server never suspends it before the next tick.
#include "show/sound_effects.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace gz {
namespace {

using namespace std::chrono_literals;

// An output that plays nothing by itself: the test finishes its head buffer.
// Its log has one letter per call: S silence written, E effect written,
// R reset, C close.
struct Device {
    std::mutex m;
    std::condition_variable cv;
    std::string log;
    bool failWrites = false;
    int opens = 0;
    int writeAttempts = 0;

    struct Output final : AudioOutput {
        Output(Device& d, AudioDoneCallback done) : dev(d), done(std::move(done)) {}
        ~Output() override { close(); }
        int write(const uint8_t* data, uint32_t length, uintptr_t user) override
        {
            std::lock_guard lk(dev.m);
            ++dev.writeAttempts;
            if (closed || dev.failWrites)
                return -1;
            bool silent = true;
            for (uint32_t i = 0; i < length && silent; ++i)
                silent = data[i] == 0;
            dev.log += silent ? 'S' : 'E';
            queue.push_back({user, length});
            dev.cv.notify_all();
            return 0;
        }
        int pause() override { return 0; }
        int resume() override { return 0; }
        int reset() override { return drop('R'); }
        int close() override
        {
            if (closed)
                return -1;
            drop('C');
            closed = true;
            return 0;
        }
        int drop(char letter)
        {
            std::deque<std::pair<uintptr_t, uint32_t>> dropped;
            {
                std::lock_guard lk(dev.m);
                dev.log += letter;
                dropped.swap(queue);
                dev.cv.notify_all();
            }
            for (auto [u, n] : dropped)
                done(u, n);
            return 0;
        }
        // The head buffer has played.
        void finishHead()
        {
            std::pair<uintptr_t, uint32_t> head;
            {
                std::lock_guard lk(dev.m);
                ASSERT_FALSE(queue.empty());
                head = queue.front();
                queue.pop_front();
            }
            done(head.first, head.second);
        }
        Device& dev;
        AudioDoneCallback done;
        std::deque<std::pair<uintptr_t, uint32_t>> queue;  // guarded by dev.m
        bool closed = false;
    };
    Output* output = nullptr;

    AudioOutputOpener opener()
    {
        return [this](const PcmFormat&, AudioDoneCallback done) {
            auto out = std::make_unique<Output>(*this, std::move(done));
            output = out.get();
            ++opens;
            return out;
        };
    }
    // Waits (bounded) until the log has reached `n` letters, then returns it.
    std::string logAfter(size_t n)
    {
        std::unique_lock lk(m);
        cv.wait_for(lk, 10s, [&] { return log.size() >= n; });
        return log;
    }
};

TEST(EffectIdle, SilenceRunsFromTheStartAndIsToppedUpAsItPlays)
{
    Device dev;
    SoundEffects fx(dev.opener(), systemAudioClock(), findSoundResource, EffectIdle::Silence);
    ASSERT_TRUE(fx.start());
    EXPECT_EQ(dev.logAfter(kIdleSilenceBuffers), std::string(kIdleSilenceBuffers, 'S'));
    for (int i = 1; i <= 3; ++i) {
        dev.output->finishHead();
        EXPECT_EQ(dev.logAfter(kIdleSilenceBuffers + i), std::string(kIdleSilenceBuffers + i, 'S'));
    }
    fx.shutdown();
    EXPECT_EQ(dev.log, std::string(kIdleSilenceBuffers + 3, 'S') + "C");
    EXPECT_EQ(dev.opens, 1) << "one output for the whole run";
}

TEST(EffectIdle, AnEffectCutsTheSilenceAndSilenceFollowsIt)
{
    Device dev;
    SoundEffects fx(dev.opener(), systemAudioClock(), findSoundResource, EffectIdle::Silence);
    ASSERT_TRUE(fx.start());
    dev.logAfter(2);
    fx.playEffect("TICK");
    // Reset drops the queued silence, the tick goes first, one silence
    // buffer waits behind it.
    EXPECT_EQ(dev.logAfter(5), "SSRES");
    dev.output->finishHead();  // the tick has played
    EXPECT_EQ(dev.logAfter(6), "SSRESS");
    fx.playEffect("CLING1");
    EXPECT_EQ(dev.logAfter(9), "SSRESSRES");
    fx.shutdown();
    EXPECT_EQ(dev.log, "SSRESSRESC");
}

TEST(EffectIdle, WithoutIdleSilenceOnlyEffectsAreWritten)
{
    Device dev;
    SoundEffects fx(dev.opener(), systemAudioClock(), findSoundResource, EffectIdle::Nothing);
    ASSERT_TRUE(fx.start());
    fx.playEffect("TICK");
    EXPECT_EQ(dev.logAfter(2), "RE");
    dev.output->finishHead();
    fx.shutdown();
    EXPECT_EQ(dev.log, "REC");
}

TEST(EffectIdle, AFailingDeviceStopsTheSilenceAndShutdownStillEnds)
{
    Device dev;
    dev.failWrites = true;
    SoundEffects fx(dev.opener(), systemAudioClock(), findSoundResource, EffectIdle::Silence);
    ASSERT_TRUE(fx.start());
    fx.playEffect("TICK");
    EXPECT_EQ(dev.logAfter(1), "R");
    fx.shutdown();
    EXPECT_EQ(dev.log, "RC") << "nothing was queued";
    // The tick's write and at most one of the idle silence: no retrying.
    EXPECT_LE(dev.writeAttempts, 2);
}

TEST(EffectIdle, ShowSoundKeepsTheEffectsOutputAwake)
{
    // The effects open their output first, the music its own after them.
    Device effects, music;
    int opened = 0;
    AudioOutputOpener opener = [&](const PcmFormat& f, AudioDoneCallback done) {
        return (opened++ == 0 ? effects : music).opener()(f, std::move(done));
    };
    ManualAudioClock clock(1000);
    ShowSound sound(opener, clock, findSoundResource, EffectIdle::Silence);
    ASSERT_TRUE(sound.soundStart());
    EXPECT_EQ(effects.logAfter(2), "SS");
    sound.soundEnd();
    EXPECT_EQ(effects.log, "SSC");
    EXPECT_EQ(music.log.find('S'), std::string::npos) << "the music stream gets no idle silence";
}

}  // namespace
}  // namespace gz
