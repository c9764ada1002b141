#include "show/sound_effects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace gz {
namespace {

using namespace std::chrono_literals;

// What the outputs did, in clock time: which sound started when, and when
// each buffer was reported done (finished or cut).
struct Recorder {
    explicit Recorder(ManualAudioClock& c) : clock(c)
    {
        for (const char* n : {"TICK", "CLING1", "CLING2", "ZINKO"}) {
            WaveSamples s;
            EXPECT_TRUE(findSoundResource(n, s)) << n;
            names[s.start] = n;
        }
    }
    ManualAudioClock& clock;
    std::map<const uint8_t*, std::string> names;
    std::mutex m;
    struct Event {
        std::string what;  // sound name, or "music"
        uint32_t atMs;
        const uint8_t* data;
        std::vector<uint8_t> head;  // the first bytes, as they were when it started
    };
    std::vector<Event> starts;
    std::vector<Event> dones;
    int opens = 0;

    AudioOutputOpener opener()
    {
        return [this](const PcmFormat& f, AudioDoneCallback done) {
            ++opens;
            return openSilentOutput(
                f,
                [this, done](uintptr_t u, uint32_t n) {
                    {
                        std::lock_guard lk(m);
                        dones.push_back({"", clock.nowMs(), nullptr, {}});
                    }
                    done(u, n);
                },
                clock, [this](const uint8_t* d, uint32_t) {
                    auto it = names.find(d);
                    std::lock_guard lk(m);
                    starts.push_back({it != names.end() ? it->second : "music", clock.nowMs(), d,
                                      std::vector<uint8_t>(d, d + 128)});
                });
        };
    }
    std::vector<Event> startsOf(const std::string& prefix)
    {
        std::lock_guard lk(m);
        std::vector<Event> out;
        for (const Event& e : starts)
            if (e.what.compare(0, prefix.size(), prefix) == 0)
                out.push_back(e);
        return out;
    }
    size_t effectStarts() { return startsOf("TICK").size() + startsOf("CLING").size(); }
};

// Moves the clock on in 5 ms steps, giving waiting threads a moment each time.
void runClock(ManualAudioClock& clock, uint32_t ms)
{
    for (uint32_t t = 0; t < ms; t += 5) {
        clock.advance(5);
        std::this_thread::sleep_for(2ms);
    }
}

// Waits (in real time, bounded) until the effects thread has handed over
// everything due by now on the manual clock.
bool settle(SoundEffects& fx)
{
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (!fx.settled()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(200us);
    }
    return true;
}

TEST(SoundEffects, ChimesStartAtLeast280msApart)
{
    constexpr uint32_t kDropped = UINT32_MAX;
    struct Press {
        uint32_t atMs;
        const char* name;
        uint32_t startsAtMs;  // expected start, relative to the first press, or kDropped
    };
    struct Case {
        const char* what;
        std::vector<Press> presses;
    };
    const Case cases[] = {
        {"repeated buzz 150 ms later", {{0, "CLING1", 0}, {150, "CLING1", 280}}},
        {"other player 150 ms later", {{0, "CLING1", 0}, {150, "CLING2", 280}}},
        {"far enough apart", {{0, "CLING2", 0}, {400, "CLING1", 400}}},
        {"a third quick buzz finds a chime waiting and is dropped",
         {{0, "CLING1", 0}, {150, "CLING2", 280}, {200, "CLING1", kDropped}}},
        {"a buzz at the waiting chime's start takes the slot after it",
         {{0, "CLING1", 0}, {150, "CLING2", 280}, {280, "CLING1", 560}}},
        {"ticks are not held back", {{0, "CLING1", 0}, {100, "TICK", 100}, {150, "TICK", 150}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ManualAudioClock clock(50000);
        Recorder rec(clock);
        SoundEffects fx(rec.opener(), clock);
        ASSERT_TRUE(fx.start());
        const uint32_t t0 = clock.nowMs();
        // The clock stops at every press and at every expected start and
        // moves on only once the sounds due by then have started, so the
        // times below are exact however slow the machine is.
        std::vector<uint32_t> stops;
        for (const Press& p : c.presses) {
            stops.push_back(p.atMs);
            if (p.startsAtMs != kDropped)
                stops.push_back(p.startsAtMs);
        }
        std::sort(stops.begin(), stops.end());
        stops.erase(std::unique(stops.begin(), stops.end()), stops.end());
        for (uint32_t t : stops) {
            clock.advance(t - (clock.nowMs() - t0));
            for (const Press& p : c.presses)
                if (p.atMs == t)
                    fx.playEffect(p.name);
            size_t due = 0;
            for (const Press& p : c.presses)
                due += p.startsAtMs <= t;
            ASSERT_TRUE(settle(fx));
            ASSERT_EQ(rec.effectStarts(), due) << "at " << t;
        }
        clock.advance(2 * kChimeSpacingMs);  // a dropped chime stays dropped
        ASSERT_TRUE(settle(fx));
        std::vector<Recorder::Event> got = rec.startsOf("");
        std::vector<uint32_t> want;
        for (const Press& p : c.presses)
            if (p.startsAtMs != kDropped)
                want.push_back(p.startsAtMs);
        std::sort(want.begin(), want.end());
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i].atMs - t0, want[i]) << i;
        std::vector<Recorder::Event> chimes = rec.startsOf("CLING");
        for (size_t i = 1; i < chimes.size(); ++i)
            EXPECT_GE(chimes[i].atMs - chimes[i - 1].atMs, kChimeSpacingMs);
    }
}

TEST(SoundEffects, ANewEffectCutsTheOnePlaying)
{
    ManualAudioClock clock(1000);
    Recorder rec(clock);
    SoundEffects fx(rec.opener(), clock);
    ASSERT_TRUE(fx.start());
    fx.playEffect("CLING2");  // 0.77 s
    std::this_thread::sleep_for(20ms);
    runClock(clock, 100);
    fx.playEffect("TICK");
    std::this_thread::sleep_for(20ms);
    runClock(clock, 300);
    std::lock_guard lk(rec.m);
    ASSERT_EQ(rec.starts.size(), 2u);
    EXPECT_EQ(rec.starts[0].what, "CLING2");
    EXPECT_EQ(rec.starts[1].what, "TICK");
    // The chime ended when the tick came, not after its 770 ms; the tick
    // then played its full 170 ms (reported a little later on a slow machine).
    ASSERT_EQ(rec.dones.size(), 2u);
    EXPECT_LE(rec.dones[0].atMs, rec.starts[1].atMs);
    EXPECT_LT(rec.dones[0].atMs - rec.starts[0].atMs, 770u);
    EXPECT_GE(rec.dones[1].atMs - rec.starts[1].atMs, 170u);
}

TEST(SoundEffects, ShutdownJoinsEveryThreadEvenWaitingChimes)
{
    ManualAudioClock clock(1000);
    Recorder rec(clock);
    SoundEffects fx(rec.opener(), clock);
    ASSERT_TRUE(fx.start());
    // The clock stands still: the second chime waits for its slot (the
    // third finds it waiting and is dropped).
    fx.playEffect("CLING1");
    fx.playEffect("CLING2");
    fx.playEffect("CLING1");
    fx.playEffect("TICK");
    ASSERT_TRUE(settle(fx));
    EXPECT_EQ(fx.threadCount(), 1u);
    EXPECT_FALSE(rec.startsOf("CLING1").empty());
    EXPECT_TRUE(rec.startsOf("CLING2").empty()) << "still waiting";
    fx.shutdown();
    EXPECT_EQ(fx.threadCount(), 0u);
    size_t heard = rec.effectStarts();
    EXPECT_LE(heard, 2u);  // the first chime and perhaps the tick, never the waiting ones
    fx.playEffect("TICK");
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(fx.threadCount(), 0u);
    EXPECT_EQ(rec.effectStarts(), heard);
    fx.shutdown();
}

TEST(SoundEffects, FinishedThreadsAreJoinedAsTheShowGoesOn)
{
    ManualAudioClock clock(1000);
    Recorder rec(clock);
    SoundEffects fx(rec.opener(), clock);
    ASSERT_TRUE(fx.start());
    for (int i = 0; i < 50; ++i) {
        fx.playEffect("TICK");
        std::this_thread::sleep_for(2ms);
    }
    std::this_thread::sleep_for(20ms);
    fx.playEffect("TICK");
    EXPECT_LE(fx.threadCount(), 3u);
}

// A remote buzzer pressed every 110 ms for 20 s by the same player (every
// press may ring): the chimes keep their spacing without building a
// backlog, end with the presses, and a tick in between is heard at once.
TEST(SoundEffects, AHammeredBuzzerRingsWithoutBacklog)
{
    ManualAudioClock clock(50000);
    Recorder rec(clock);
    SoundEffects fx(rec.opener(), clock);
    ASSERT_TRUE(fx.start());
    const uint32_t t0 = clock.nowMs();
    constexpr uint32_t kStepMs = 10;  // divides the press period and the chime spacing
    constexpr uint32_t kPressEveryMs = 110;
    constexpr uint32_t kLastPressMs = 20020;  // 183 presses
    // Each comes while a chime waits for its slot.
    const std::vector<uint32_t> ticksAt = {150, 9950, 19990};
    std::vector<uint32_t> presses;
    size_t mostThreads = 0;
    for (uint32_t t = 0; t <= kLastPressMs + 2000; t += kStepMs) {
        clock.advance(t - (clock.nowMs() - t0));
        if (t <= kLastPressMs && t % kPressEveryMs == 0) {
            fx.playEffect("CLING1");
            presses.push_back(t);
        }
        if (std::find(ticksAt.begin(), ticksAt.end(), t) != ticksAt.end())
            fx.playEffect("TICK");
        mostThreads = std::max(mostThreads, fx.threadCount());
        ASSERT_TRUE(settle(fx)) << "at " << t;
    }
    EXPECT_EQ(mostThreads, 1u);

    std::vector<uint32_t> chimes;
    for (const Recorder::Event& e : rec.startsOf("CLING"))
        chimes.push_back(e.atMs - t0);
    EXPECT_GE(chimes.size(), kLastPressMs / kChimeSpacingMs - 1);
    EXPECT_LE(chimes.size(), kLastPressMs / kChimeSpacingMs + 2);
    for (size_t i = 0; i < chimes.size(); ++i) {
        SCOPED_TRACE("chime at " + std::to_string(chimes[i]));
        if (i > 0) {
            EXPECT_GE(chimes[i] - chimes[i - 1], kChimeSpacingMs);
        }
        auto latest = std::upper_bound(presses.begin(), presses.end(), chimes[i]);
        ASSERT_NE(latest, presses.begin());
        EXPECT_LE(chimes[i] - *std::prev(latest), kChimeSpacingMs) << "no press that recent";
    }
    ASSERT_FALSE(chimes.empty());
    EXPECT_LE(chimes.back(), kLastPressMs + kChimeSpacingMs);

    std::vector<uint32_t> ticks;
    for (const Recorder::Event& e : rec.startsOf("TICK"))
        ticks.push_back(e.atMs - t0);
    EXPECT_EQ(ticks, ticksAt);
    for (uint32_t tick : ticksAt) {
        // The chime that waited still rings on its slot after the tick.
        auto next = std::upper_bound(chimes.begin(), chimes.end(), tick);
        ASSERT_NE(next, chimes.end()) << tick;
        EXPECT_LT(*next - tick, kChimeSpacingMs) << tick;
    }
}

// An output whose first write hangs until the test opens the gate, like a
// device that stalls; it logs the sound each write carries.
struct StallingDevice {
    std::mutex m;
    std::condition_variable cv;
    bool stalled = false;  // the first write waits at the gate
    bool gateOpen = false;
    std::vector<std::string> written;
    // Made-up sounds "FX0".."FX9": a few distinct samples each.
    std::map<std::string, std::vector<uint8_t>> sounds;

    StallingDevice()
    {
        for (int i = 0; i < 10; ++i)
            sounds["FX" + std::to_string(i)] = std::vector<uint8_t>(64, uint8_t(i + 1));
    }
    SoundLookup lookup()
    {
        return [this](const std::string& name, WaveSamples& out) {
            auto it = sounds.find(name);
            if (it == sounds.end())
                return false;
            out = WaveSamples{it->second.data(), uint32_t(it->second.size() / 2)};
            return true;
        };
    }
    struct Output final : AudioOutput {
        explicit Output(StallingDevice& d) : dev(d) {}
        int write(const uint8_t* data, uint32_t, uintptr_t) override
        {
            std::unique_lock lk(dev.m);
            dev.written.push_back("FX" + std::to_string(data[0] - 1));
            if (dev.written.size() == 1) {
                dev.stalled = true;
                dev.cv.notify_all();
                dev.cv.wait_for(lk, 10s, [this] { return dev.gateOpen; });
            }
            return 0;
        }
        int pause() override { return 0; }
        int resume() override { return 0; }
        int reset() override { return 0; }
        int close() override { return 0; }
        StallingDevice& dev;
    };
    AudioOutputOpener opener()
    {
        return [this](const PcmFormat&, AudioDoneCallback) { return std::make_unique<Output>(*this); };
    }
    bool waitStalled()
    {
        std::unique_lock lk(m);
        return cv.wait_for(lk, 10s, [this] { return stalled; });
    }
    void openGate()
    {
        std::lock_guard lk(m);
        gateOpen = true;
        cv.notify_all();
    }
};

TEST(SoundEffects, AStalledDeviceLeavesNoBacklog)
{
    static_assert(kMaxPendingEffects == 4, "the flood below keeps the newest four");
    struct Request {
        uint32_t atMs;  // after the device stalled
        const char* name;
    };
    struct Case {
        const char* what;
        std::vector<Request> requests;
        uint32_t gateOpensAtMs;
        std::vector<std::string> heard;  // after FX0, which stalled
    };
    const Case cases[] = {
        {"a flood keeps only the newest few",
         {{0, "FX1"}, {0, "FX2"}, {0, "FX3"}, {0, "FX4"}, {0, "FX5"}, {0, "FX6"}, {0, "FX7"}, {0, "FX8"}, {0, "FX9"}},
         0,
         {"FX6", "FX7", "FX8", "FX9"}},
        {"an effect that waited too long is dropped", {{0, "FX1"}, {200, "FX2"}}, 350, {"FX2"}},
        {"one that may still start is not", {{0, "FX1"}}, kEffectMaxWaitMs, {"FX1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ManualAudioClock clock(1000);
        StallingDevice dev;
        SoundEffects fx(dev.opener(), clock, dev.lookup());
        ASSERT_TRUE(fx.start());
        fx.playEffect("FX0");
        ASSERT_TRUE(dev.waitStalled());
        const uint32_t t0 = clock.nowMs();
        for (const Request& r : c.requests) {
            clock.advance(r.atMs - (clock.nowMs() - t0));
            fx.playEffect(r.name);  // returns at once, stalled device or not
        }
        clock.advance(c.gateOpensAtMs - (clock.nowMs() - t0));
        dev.openGate();
        ASSERT_TRUE(settle(fx));
        std::vector<std::string> want = {"FX0"};
        want.insert(want.end(), c.heard.begin(), c.heard.end());
        std::lock_guard lk(dev.m);
        EXPECT_EQ(dev.written, want);
    }
}

TEST(SoundEffects, UnknownNamesAndNoOutputAreHarmless)
{
    ManualAudioClock clock(1000);
    Recorder rec(clock);
    SoundEffects fx(rec.opener(), clock);
    ASSERT_TRUE(fx.start());
    fx.playEffect("NOSUCH");
    fx.playEffect(nullptr);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(rec.effectStarts(), 0u);

    SoundEffects mute([](const PcmFormat&, AudioDoneCallback) { return std::unique_ptr<AudioOutput>(); }, clock);
    EXPECT_FALSE(mute.start());
    mute.playEffect("TICK");
    mute.shutdown();
}

// --- the cues of the show ---

TEST(ShowSound, MusicFollowsTheCues)
{
    ManualAudioClock clock(1000);
    Recorder rec(clock);
    ShowSound sound(rec.opener(), clock);
    ASSERT_TRUE(sound.soundStart());
    EXPECT_EQ(rec.opens, 2);  // effects and music, each on its own output

    // Paused from the start.
    runClock(clock, 1000);
    EXPECT_TRUE(rec.startsOf("music").empty());

    // First picture: resumed; the track plays from its first sound sample.
    sound.resumeMusic();
    runClock(clock, 600);
    std::vector<Recorder::Event> music = rec.startsOf("music");
    ASSERT_GE(music.size(), 2u);
    WaveSamples zinko;
    ASSERT_TRUE(findSoundResource("ZINKO", zinko));
    WaveSamples track = musicTrackFrom(zinko);
    auto sample = [](const uint8_t* b, int i) { return int16_t(uint16_t(b[2 * i] | b[2 * i + 1] << 8)); };
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(sample(music[0].head.data(), i), int16_t(track.at(i) / 8)) << i;

    // A buzz: the music stops at once and the chime plays over it.
    sound.pauseMusic();
    sound.playEffect("CLING1");
    size_t heard = rec.startsOf("music").size();
    runClock(clock, 3000);
    EXPECT_EQ(rec.startsOf("music").size(), heard);
    EXPECT_EQ(rec.startsOf("CLING1").size(), 1u);

    // Next picture: restarted and resumed, from the top of the track again.
    sound.restartMusic();
    sound.resumeMusic();
    runClock(clock, 400);
    music = rec.startsOf("music");
    ASSERT_GT(music.size(), heard);
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(sample(music[heard].head.data(), i), int16_t(track.at(i) / 8)) << i;

    sound.soundEnd();
    EXPECT_FALSE(sound.mixer()->running());
    // Cues after the end do nothing.
    sound.resumeMusic();
    sound.restartMusic();
    sound.playEffect("TICK");
    sound.soundEnd();
}

TEST(ShowSound, WithoutAnyOutputTheShowGoesOn)
{
    ManualAudioClock clock;
    ShowSound sound([](const PcmFormat&, AudioDoneCallback) { return std::unique_ptr<AudioOutput>(); }, clock);
    EXPECT_FALSE(sound.soundStart());
    sound.pauseMusic();
    sound.resumeMusic();
    sound.restartMusic();
    sound.playEffect("CLING1");
    sound.soundEnd();
}

TEST(ShowSound, CuesBeforeTheStartAreIgnored)
{
    ManualAudioClock clock;
    Recorder rec(clock);
    ShowSound sound(rec.opener(), clock);
    sound.pauseMusic();  // a buzz from the remote before the view has its sound
    sound.restartMusic();
    EXPECT_EQ(rec.opens, 0);
}

}  // namespace
}  // namespace gz
