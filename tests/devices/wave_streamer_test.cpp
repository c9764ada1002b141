#include "devices/wave_streamer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <set>
#include <thread>
#include <vector>

namespace gz {
namespace {

using namespace std::chrono_literals;

// An output the test drives by hand: it records what it is given and
// reports a buffer done only when the test says so.
class HandOutput final : public AudioOutput {
public:
    struct Sub {
        const uint8_t* data;
        uint32_t length;
        uintptr_t userData;
    };
    explicit HandOutput(AudioDoneCallback done) : done_(std::move(done)) {}

    int prepare(const uint8_t*, uint32_t) override { return prepared++ < prepareLimit ? 0 : -1; }
    int write(const uint8_t* data, uint32_t length, uintptr_t userData) override
    {
        std::lock_guard lk(m);
        if (refuseWrites)
            return -1;
        queue.push_back({data, length, userData});
        all.push_back({data, length, userData});
        return 0;
    }
    int pause() override { return 0; }
    int resume() override { return 0; }
    int reset() override
    {
        std::deque<Sub> dropped;
        {
            std::lock_guard lk(m);
            dropped.swap(queue);
            ++resets;
        }
        for (const Sub& s : dropped)
            done_(s.userData, s.length);
        return 0;
    }
    int close() override { return 0; }

    // Reports the oldest queued buffer done; false when none is queued.
    bool finishOne()
    {
        Sub s;
        {
            std::lock_guard lk(m);
            if (queue.empty())
                return false;
            s = queue.front();
            queue.pop_front();
        }
        done_(s.userData, s.length);
        return true;
    }
    void report(uintptr_t userData, uint32_t length) { done_(userData, length); }
    size_t submitted()
    {
        std::lock_guard lk(m);
        return all.size();
    }

    int prepareLimit = 1000;
    int prepared = 0;
    bool refuseWrites = false;
    int resets = 0;
    std::mutex m;
    std::deque<Sub> queue;
    std::vector<Sub> all;

private:
    AudioDoneCallback done_;
};

struct HandFixture : ::testing::Test {
    ManualAudioClock clock;
    HandOutput* out = nullptr;
    int prepareLimit = 1000;
    WaveStreamer ws{[this](const PcmFormat&, AudioDoneCallback done) {
                        auto o = std::make_unique<HandOutput>(std::move(done));
                        o->prepareLimit = prepareLimit;
                        out = o.get();
                        return o;
                    },
                    clock};

    void openDefault() { ASSERT_EQ(wave::open(ws, 44100, 16, 1, 16384), kWaveOpenOk); }
    // Fills the next buffer with `tag` and writes `n` bytes.
    int writeTagged(uint8_t tag, uint32_t n = 16384)
    {
        uint8_t* b = wave::nextBuffer(ws);
        if (b)
            std::memset(b, tag, n);
        return wave::write(ws, n);
    }
};

TEST_F(HandFixture, OpenChecksTheFormatAndBuildsTheRing)
{
    struct Case {
        uint32_t rate, bits, channels, size;
        int result;
    };
    const Case cases[] = {
        {44100, 16, 1, 16384, kWaveOpenOk},    {48000, 16, 2, 0, kWaveOpenOk},
        {48001, 16, 1, 0, kWaveOpenRefused},   {44100, 12, 1, 0, kWaveOpenOk},
        {44100, 10, 1, 0, kWaveOpenRefused},   {44100, 36, 1, 0, kWaveOpenRefused},
        {44100, 0, 1, 0, kWaveOpenRefused},    {44100, 16, 0, 0, kWaveOpenRefused},
        {44100, 16, 33, 0, kWaveOpenRefused},  {0, 16, 1, 0, kWaveOpenRefused},
        {44100, 16, 1, kWaveMaxBufferSize + 1, kWaveOpenRefused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.rate << "/" << c.bits << "/" << c.channels << "/" << c.size);
        EXPECT_EQ(wave::open(ws, c.rate, c.bits, c.channels, c.size), c.result);
        EXPECT_EQ(wave::isOpen(ws), c.result == kWaveOpenOk);
        if (c.result == kWaveOpenOk) {
            WaveRingState r = wave::ringState(ws);
            EXPECT_EQ(r.bufferCount, 16);
            EXPECT_EQ(r.playedIndex, 15);
            EXPECT_EQ(r.writeIndex, 0);
            EXPECT_EQ(ws.bufferSize, 16384u);
        } else {
            EXPECT_EQ(ws.format.avgBytesPerSec, 0u);
        }
    }
    ASSERT_EQ(wave::open(ws, 22050, 12, 2, 4000), kWaveOpenOk);
    EXPECT_EQ(ws.format.formatTag, 1);
    EXPECT_EQ(ws.format.blockAlign, 3);
    EXPECT_EQ(ws.format.avgBytesPerSec, 66150u);
    EXPECT_EQ(ws.bufferSize, 4000u);
    // Size 0 keeps the size given before.
    ASSERT_EQ(wave::open(ws, 22050, 16, 1, 0), kWaveOpenOk);
    EXPECT_EQ(ws.bufferSize, 4000u);
}

TEST_F(HandFixture, OpenNeedsTwelvePreparedBuffers)
{
    prepareLimit = 11;
    EXPECT_EQ(wave::open(ws, 44100, 16, 1, 16384), kWaveOpenTooFewBuffers);
    EXPECT_FALSE(wave::isOpen(ws));
    EXPECT_EQ(wave::write(ws, 10), kWaveWriteNotAccepting);
    prepareLimit = 12;
    EXPECT_EQ(wave::open(ws, 44100, 16, 1, 16384), kWaveOpenOk);
    EXPECT_EQ(wave::ringState(ws).bufferCount, 12);
    EXPECT_EQ(wave::ringState(ws).playedIndex, 11);
}

TEST(WaveStreamerNoDevice, EveryCallFailsQuietly)
{
    WaveStreamer ws{[](const PcmFormat&, AudioDoneCallback) { return std::unique_ptr<AudioOutput>(); }};
    EXPECT_EQ(wave::open(ws, 44100, 16, 1, 16384), kWaveOpenRefused);
    EXPECT_EQ(ws.format.avgBytesPerSec, 0u);
    EXPECT_EQ(wave::nextBuffer(ws), nullptr);
    EXPECT_EQ(wave::write(ws, 100), kWaveWriteNotAccepting);
    EXPECT_EQ(wave::pause(ws, 1), 1);
    EXPECT_EQ(wave::stop(ws), 1);
    EXPECT_EQ(wave::close(ws), 1);
}

TEST_F(HandFixture, PreRollHoldsEightWritesThenHandsOverNine)
{
    openDefault();
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(writeTagged(uint8_t(i), 100 + i), kWaveWriteOk);
    EXPECT_EQ(out->submitted(), 0u);
    EXPECT_EQ(wave::ringState(ws).preRollCount, 8);
    ASSERT_EQ(writeTagged(8, 108), kWaveWriteOk);
    ASSERT_EQ(out->submitted(), 9u);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(out->all[i].length, uint32_t(100 + i));
        EXPECT_EQ(out->all[i].data[0], uint8_t(i));
        EXPECT_EQ(out->all[i].data, ws.buffers[i].data.get());
    }
    WaveRingState r = wave::ringState(ws);
    EXPECT_EQ(r.preRollCount, 9);
    EXPECT_EQ(r.writeIndex, 9);
    EXPECT_EQ(r.freeCount, 6);
}

TEST_F(HandFixture, TooLongWriteIsRefusedBeforeAnythingHappens)
{
    openDefault();
    EXPECT_EQ(wave::write(ws, 16385), kWaveWriteTooLong);
    EXPECT_EQ(wave::ringState(ws).writeIndex, 0);
    EXPECT_EQ(wave::write(ws, 16384), kWaveWriteOk);
}

TEST_F(HandFixture, ReserveOfTwoThenTimeoutAfter2000ms)
{
    openDefault();
    for (int i = 0; i < 14; ++i)
        ASSERT_EQ(writeTagged(uint8_t(i)), kWaveWriteOk) << i;
    WaveRingState r = wave::ringState(ws);
    EXPECT_EQ(out->submitted(), 14u);
    EXPECT_EQ(r.writeIndex, 14);
    EXPECT_EQ(r.freeCount, 1);
    EXPECT_FALSE(r.freeEventSet);

    std::atomic<int> result{-1};
    std::thread writer([&] { result = writeTagged(14); });
    while (clock.waiters() == 0)
        std::this_thread::sleep_for(1ms);
    clock.advance(1999);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(result.load(), -1);
    clock.advance(1);
    writer.join();
    EXPECT_EQ(result.load(), kWaveWriteNoFreeBuffer);
    EXPECT_EQ(out->submitted(), 14u);
    EXPECT_EQ(wave::ringState(ws).writeIndex, 14);

    // One completion frees a buffer: the retry goes through.
    ASSERT_TRUE(out->finishOne());
    r = wave::ringState(ws);
    EXPECT_EQ(r.playedIndex, 0);
    EXPECT_TRUE(r.freeEventSet);
    EXPECT_EQ(writeTagged(14), kWaveWriteOk);
    EXPECT_EQ(out->submitted(), 15u);
    EXPECT_EQ(out->all.back().data, ws.buffers[14].data.get());
}

TEST_F(HandFixture, RefusedBufferKeepsTheWritePosition)
{
    openDefault();
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(writeTagged(uint8_t(i)), kWaveWriteOk);
    // Refused while the pre-roll is handed over: nothing is lost, the
    // next write goes on where it stopped.
    out->refuseWrites = true;
    EXPECT_EQ(writeTagged(8), kWaveWriteRefused);
    EXPECT_EQ(wave::ringState(ws).writeIndex, 8);
    out->refuseWrites = false;
    EXPECT_EQ(writeTagged(8), kWaveWriteOk);
    ASSERT_EQ(out->submitted(), 9u);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(out->all[i].data[0], uint8_t(i));

    out->refuseWrites = true;
    EXPECT_EQ(writeTagged(9), kWaveWriteRefused);
    EXPECT_EQ(wave::ringState(ws).writeIndex, 9);
    out->refuseWrites = false;
    EXPECT_EQ(writeTagged(9), kWaveWriteOk);
    EXPECT_EQ(wave::ringState(ws).writeIndex, 10);
    EXPECT_EQ(out->submitted(), 10u);
}

TEST_F(HandFixture, StaleCompletionsChangeNothing)
{
    openDefault();
    for (int i = 0; i < 12; ++i)
        ASSERT_EQ(writeTagged(uint8_t(i)), kWaveWriteOk);
    ASSERT_TRUE(out->finishOne());
    ASSERT_TRUE(out->finishOne());
    ASSERT_TRUE(out->finishOne());
    WaveRingState before = wave::ringState(ws);
    EXPECT_EQ(before.playedIndex, 2);
    // Buffer 1 again: behind the last finished one.
    out->report(out->all[1].userData, 16384);
    WaveRingState after = wave::ringState(ws);
    EXPECT_EQ(after.playedIndex, before.playedIndex);
    EXPECT_EQ(after.freeCount, before.freeCount);

    // A report that comes in after a stop belongs to the old stream: it must
    // not move the new, empty ring (else the producer would overwrite
    // buffers still queued).
    uintptr_t old = out->all[5].userData;
    ASSERT_EQ(wave::stop(ws), 0);
    out->report(old, 16384);
    WaveRingState fresh = wave::ringState(ws);
    EXPECT_EQ(fresh.playedIndex, 15);
    EXPECT_EQ(fresh.writeIndex, 0);
    EXPECT_EQ(fresh.freeCount, 15);
}

TEST_F(HandFixture, StopEmptiesTheRingAndStartsANewPreRoll)
{
    openDefault();
    for (int i = 0; i < 12; ++i)
        ASSERT_EQ(writeTagged(uint8_t(i)), kWaveWriteOk);
    ASSERT_TRUE(out->finishOne());
    int resetsBefore = out->resets;
    ASSERT_EQ(wave::stop(ws), 0);
    EXPECT_EQ(out->resets, resetsBefore + 1);
    EXPECT_TRUE(out->queue.empty());
    WaveRingState r = wave::ringState(ws);
    EXPECT_EQ(r.writeIndex, 0);
    EXPECT_EQ(r.playedIndex, 15);
    EXPECT_EQ(r.preRollCount, 0);
    EXPECT_TRUE(r.freeEventSet);
    EXPECT_TRUE(wave::isOpen(ws));

    size_t before = out->submitted();
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(writeTagged(uint8_t(50 + i)), kWaveWriteOk);
    EXPECT_EQ(out->submitted(), before);
    ASSERT_EQ(writeTagged(58), kWaveWriteOk);
    ASSERT_EQ(out->submitted(), before + 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(out->all[before + i].data[0], uint8_t(50 + i));
}

TEST_F(HandFixture, StopOrCloseReleasesAWaitingWrite)
{
    for (bool closing : {false, true}) {
        SCOPED_TRACE(closing ? "close" : "stop");
        openDefault();
        for (int i = 0; i < 14; ++i)
            ASSERT_EQ(writeTagged(uint8_t(i)), kWaveWriteOk);
        std::atomic<int> result{-1};
        std::thread writer([&] { result = writeTagged(14); });
        while (clock.waiters() == 0)
            std::this_thread::sleep_for(1ms);
        size_t before = out->submitted();
        EXPECT_EQ(closing ? wave::close(ws) : wave::stop(ws), 0);
        writer.join();  // returns without the clock moving
        EXPECT_EQ(result.load(), kWaveWriteNotAccepting);
        if (closing) {
            EXPECT_FALSE(wave::isOpen(ws));
            // A closed output takes no writes, also later.
            EXPECT_EQ(wave::write(ws, 10), kWaveWriteNotAccepting);
            EXPECT_EQ(wave::nextBuffer(ws), nullptr);
        } else {
            EXPECT_EQ(out->submitted(), before);
            EXPECT_EQ(wave::ringState(ws).writeIndex, 0);
        }
    }
}

TEST_F(HandFixture, CloseReportsAndResets)
{
    EXPECT_EQ(wave::close(ws), 1);
    openDefault();
    EXPECT_EQ(wave::close(ws), 0);
    EXPECT_EQ(wave::close(ws), 1);
    EXPECT_EQ(ws.format.avgBytesPerSec, 0u);
    EXPECT_EQ(wave::ringState(ws).bufferCount, 0);
    EXPECT_EQ(wave::pause(ws, 1), 1);
    // Reopened, the ring starts from scratch.
    openDefault();
    EXPECT_EQ(wave::ringState(ws).playedIndex, 15);
    EXPECT_EQ(writeTagged(1), kWaveWriteOk);
}

// --- on the silent output, with its own thread reporting buffers ---

struct SilentFixture : ::testing::Test {
    ManualAudioClock clock;
    std::mutex m;
    std::vector<uint32_t> played;  // sequence numbers in the order the device starts them
    std::set<std::thread::id> callbackThreads;
    WaveStreamer ws{[this](const PcmFormat& f, AudioDoneCallback done) {
                        return openSilentOutput(
                            f,
                            [this, done](uintptr_t u, uint32_t n) {
                                {
                                    std::lock_guard lk(m);
                                    callbackThreads.insert(std::this_thread::get_id());
                                }
                                done(u, n);
                            },
                            clock, [this](const uint8_t* d, uint32_t) {
                                uint32_t seq;
                                std::memcpy(&seq, d, 4);
                                std::lock_guard lk(m);
                                played.push_back(seq);
                            });
                    },
                    clock};

    int writeSeq(uint32_t seq)
    {
        uint8_t* b = wave::nextBuffer(ws);
        if (!b)
            return -1;
        std::memcpy(b, &seq, 4);
        return wave::write(ws, 16384);
    }
    size_t playedCount()
    {
        std::lock_guard lk(m);
        return played.size();
    }
    // Moves the clock on in small steps until `done` holds (or 240 s of
    // simulated time have gone by).
    template <class F> bool runUntil(F done)
    {
        for (int i = 0; i < 6000 && !done(); ++i) {
            clock.advance(40);
            std::this_thread::sleep_for(1ms);
        }
        return done();
    }
};

TEST_F(SilentFixture, PausedRingFillsToTheReserveThenPlaysInOrder)
{
    ASSERT_EQ(wave::open(ws, 44100, 16, 1, 16384), kWaveOpenOk);
    ASSERT_EQ(wave::pause(ws, 1), 0);
    for (uint32_t s = 0; s < 14; ++s)
        ASSERT_EQ(writeSeq(s), kWaveWriteOk);
    std::atomic<int> result{-1};
    std::thread writer([&] { result = writeSeq(14); });
    while (result.load() == -1) {
        clock.advance(100);
        std::this_thread::sleep_for(2ms);
    }
    writer.join();
    EXPECT_EQ(result.load(), kWaveWriteNoFreeBuffer);
    EXPECT_EQ(playedCount(), 0u);

    ASSERT_EQ(wave::pause(ws, 0), 0);
    ASSERT_TRUE(runUntil([&] { return playedCount() >= 14; }));
    std::lock_guard lk(m);
    for (uint32_t s = 0; s < 14; ++s)
        EXPECT_EQ(played[s], s);
}

TEST_F(SilentFixture, LongRunLosesAndDoublesNothing)
{
    ASSERT_EQ(wave::open(ws, 44100, 16, 1, 16384), kWaveOpenOk);
    constexpr uint32_t kBlocks = 400;  // about 74 s of sound
    std::atomic<bool> producing{true};
    std::thread producer([&] {
        for (uint32_t s = 0; s < kBlocks;) {
            int rc = writeSeq(s);
            if (rc == kWaveWriteOk)
                ++s;
            else
                ASSERT_EQ(rc, kWaveWriteNoFreeBuffer);  // retried with the same block
        }
        producing = false;
    });
    ASSERT_TRUE(runUntil([&] { return !producing && playedCount() >= kBlocks; }));
    producer.join();
    std::this_thread::sleep_for(20ms);
    std::lock_guard lk(m);
    ASSERT_EQ(played.size(), kBlocks);
    for (uint32_t s = 0; s < kBlocks; ++s)
        ASSERT_EQ(played[s], s);
    EXPECT_FALSE(callbackThreads.empty());
    EXPECT_EQ(callbackThreads.count(std::this_thread::get_id()), 0u);
}

TEST_F(SilentFixture, StopDuringStreamingSilencesAtOnce)
{
    ASSERT_EQ(wave::open(ws, 44100, 16, 1, 16384), kWaveOpenOk);
    for (uint32_t s = 0; s < 12; ++s)
        ASSERT_EQ(writeSeq(s), kWaveWriteOk);
    ASSERT_TRUE(runUntil([&] { return playedCount() >= 2; }));
    ASSERT_EQ(wave::stop(ws), 0);
    size_t atStop = playedCount();
    clock.advance(5000);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(playedCount(), atStop);
    // The next eight are held again, the ninth starts the sound.
    for (uint32_t s = 100; s < 108; ++s)
        ASSERT_EQ(writeSeq(s), kWaveWriteOk);
    clock.advance(5000);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(playedCount(), atStop);
    ASSERT_EQ(writeSeq(108), kWaveWriteOk);
    ASSERT_TRUE(runUntil([&] { return playedCount() >= atStop + 9; }));
    std::lock_guard lk(m);
    for (uint32_t i = 0; i < 9; ++i)
        EXPECT_EQ(played[atStop + i], 100 + i);
}

}  // namespace
}  // namespace gz
