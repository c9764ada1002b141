#include "show/show_engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <chrono>
#include <future>
#include <thread>

#include "show/command_ids.h"
#include "tests/show/show_fakes.h"

namespace gz {
namespace {

using testing::ShowRig;
using Strings = std::vector<std::string>;

constexpr PlayerSide L = PlayerSide::Left;
constexpr PlayerSide R = PlayerSide::Right;

// ---------------------------------------------------------------------------
// A whole picture, F5 to time over, for several cover sizes and for a start
// just before the tick count wraps.

struct WholePictureCase {
    int32_t polygons;
    uint32_t switchTime;
    uint32_t startTick;
};

class WholePicture : public ::testing::TestWithParam<WholePictureCase> {};

TEST_P(WholePicture, TicksOncePerStepThenTimeOver)
{
    const WholePictureCase& c = GetParam();
    ShowRig rig;
    rig.store.games = {{1, c.polygons}};
    rig.engine.setSwitchTime(c.switchTime);
    rig.clock.now = c.startTick;
    const uint32_t t0 = rig.clock.now;

    ASSERT_TRUE(rig.engine.runCommand(cmd::kStartNextPicture));
    EXPECT_EQ(rig.content.gameNumber, 1);
    EXPECT_EQ(rig.banner(), "Frage 1");
    EXPECT_EQ(rig.state.revealCount, -1);
    EXPECT_EQ(rig.state.gameRunning, 1);
    // Game 1 keeps the music where the mixer has it; only later pictures rewind.
    EXPECT_EQ(rig.sound.names(), (Strings{"resume"}));

    std::vector<int32_t> reveals;
    ASSERT_TRUE(rig.runUntil(
        [&] {
            if (reveals.empty() || reveals.back() != rig.state.revealCount)
                reveals.push_back(rig.state.revealCount);
            return rig.state.gameRunning == 0;
        },
        (c.polygons + 4) * c.switchTime));

    // Every polygon plus the background fill goes with its own tick, step k
    // falling due at k * switchTime (the timer hits it within one period).
    const std::vector<uint32_t> ticks = rig.sound.times("TICK");
    ASSERT_EQ(ticks.size(), static_cast<size_t>(c.polygons + 1));
    for (size_t k = 0; k < ticks.size(); ++k) {
        const uint32_t since = ticksSince(ticks[k], t0);
        EXPECT_GE(since, (k + 1) * c.switchTime) << "step " << k;
        EXPECT_LT(since, (k + 1) * c.switchTime + kShowTimerPeriodMs) << "step " << k;
    }
    std::vector<int32_t> expected;
    for (int32_t r = -1; r <= c.polygons; ++r)
        expected.push_back(r);
    EXPECT_EQ(reveals, expected);

    const std::vector<uint32_t> pauses = rig.sound.times("pause");
    ASSERT_EQ(pauses.size(), 1u);
    const uint32_t over = ticksSince(pauses[0], t0);
    EXPECT_GE(over, (c.polygons + 2) * c.switchTime);
    EXPECT_LT(over, (c.polygons + 2) * c.switchTime + kShowTimerPeriodMs);

    EXPECT_EQ(rig.banner(), "Antwort 1");
    EXPECT_EQ(rig.state.revealCount, c.polygons);
    EXPECT_EQ(rig.player(L), PlayerState::TimeOver);
    EXPECT_EQ(rig.player(R), PlayerState::TimeOver);
    EXPECT_FALSE(rig.engine.isEnabled(cmd::kStartNextPicture));
    EXPECT_TRUE(rig.engine.isEnabled(cmd::kUncoverPicture));

    // F5 is refused until the game master uncovers.
    rig.engine.runCommand(cmd::kStartNextPicture);
    EXPECT_EQ(rig.content.gameNumber, 1);
    rig.engine.runCommand(cmd::kUncoverPicture);
    EXPECT_EQ(rig.player(L), PlayerState::Idle);
    EXPECT_EQ(rig.player(R), PlayerState::Idle);
    EXPECT_TRUE(rig.engine.isEnabled(cmd::kStartNextPicture));
}

INSTANTIATE_TEST_SUITE_P(Covers, WholePicture,
                         ::testing::Values(WholePictureCase{0, 5000, 1000},
                                           WholePictureCase{3, 2000, 1000},
                                           WholePictureCase{32, 2000, 50},
                                           WholePictureCase{4, 3000, 0xFFFFFFFFu - 7000u},
                                           WholePictureCase{2, 10000, 0xFFFFFFFFu - 10000u}),
                         [](const auto& info) {
                             const WholePictureCase& c = info.param;
                             return "N" + std::to_string(c.polygons) + "_every" +
                                    std::to_string(c.switchTime) +
                                    (c.startTick > 0xF0000000u ? "_acrossWrap" : "");
                         });

// ---------------------------------------------------------------------------
// A buzz at step k freezes the reveal; the chime depends on the side.

struct BuzzCase {
    PlayerSide side;
    int32_t stepsBefore;  // uncover steps done before the buzz
    const char* chime;
};

class BuzzFreezes : public ::testing::TestWithParam<BuzzCase> {};

TEST_P(BuzzFreezes, RevealStopsAndOtherPlayerIsRefused)
{
    const BuzzCase& c = GetParam();
    const PlayerSide other = c.side == L ? R : L;
    ShowRig rig;
    rig.store.games = {{1, 6}, {2, 4}};
    rig.engine.setSwitchTime(2000);
    rig.engine.runCommand(cmd::kStartNextPicture);
    ASSERT_TRUE(rig.runUntil([&] { return rig.state.revealCount == c.stepsBefore - 1; }, 20000));
    rig.sound.clear();

    rig.engine.stopPlayer(c.side);
    EXPECT_EQ(rig.sound.names(), (Strings{"pause", c.chime}));
    EXPECT_EQ(rig.player(c.side), PlayerState::Buzzed);
    EXPECT_EQ(rig.player(other), PlayerState::Idle);
    EXPECT_TRUE(rig.state.hasBuzzed(c.side));

    // The other buzzer comes too late: nothing happens, nothing rings.
    rig.engine.stopPlayer(other);
    EXPECT_EQ(rig.sound.names(), (Strings{"pause", c.chime}));
    EXPECT_EQ(rig.player(other), PlayerState::Idle);
    EXPECT_FALSE(rig.state.hasBuzzed(other));

    // Frozen for good: no step, no tick, no time over.
    rig.run(60000);
    EXPECT_EQ(rig.state.revealCount, c.stepsBefore - 1);
    EXPECT_EQ(rig.sound.count("TICK"), 0);
    EXPECT_EQ(rig.state.gameRunning, 1);
    EXPECT_EQ(rig.banner(), "Frage 1");
    EXPECT_FALSE(rig.engine.isEnabled(cmd::kStartNextPicture));
    EXPECT_TRUE(rig.engine.isEnabled(cmd::kUncoverPicture));

    rig.sound.clear();
    rig.engine.runCommand(cmd::kUncoverPicture);
    EXPECT_EQ(rig.sound.names(), (Strings{"pause"}));
    EXPECT_EQ(rig.state.revealCount, 6);
    EXPECT_EQ(rig.banner(), "Antwort 1");
    EXPECT_TRUE(rig.state.bannerDirty);
    EXPECT_EQ(rig.player(c.side), PlayerState::Idle);
    EXPECT_FALSE(rig.state.anyBuzzed());
    EXPECT_EQ(rig.state.gameRunning, 0);

    // The game master scores and goes on; stars carry over.
    rig.engine.runCommand(c.side == L ? cmd::kLeftStarUp : cmd::kRightStarUp);
    EXPECT_EQ(rig.state.stars[sideIndex(c.side)], 1);
    EXPECT_EQ(rig.state.stars[sideIndex(other)], 0);

    rig.sound.clear();
    rig.engine.runCommand(cmd::kStartNextPicture);
    EXPECT_EQ(rig.content.gameNumber, 2);
    EXPECT_EQ(rig.banner(), "Frage 2");
    EXPECT_EQ(rig.state.revealCount, -1);
    EXPECT_EQ(rig.sound.names(), (Strings{"restart", "resume"}));
    EXPECT_EQ(rig.state.stars[sideIndex(c.side)], 1);
    rig.run(2100);
    EXPECT_EQ(rig.state.revealCount, 0);
}

INSTANTIATE_TEST_SUITE_P(Sides, BuzzFreezes,
                         ::testing::Values(BuzzCase{PlayerSide::Left, 0, "CLING1"},
                                           BuzzCase{PlayerSide::Right, 0, "CLING2"},
                                           BuzzCase{PlayerSide::Left, 3, "CLING1"},
                                           BuzzCase{PlayerSide::Right, 7, "CLING2"}),
                         [](const auto& info) {
                             return std::string(info.param.side == L ? "Left" : "Right") +
                                    "_afterStep" + std::to_string(info.param.stepsBefore);
                         });

TEST(StopPlayer, SamePlayerTwicePausesAndRingsAgainOnly)
{
    ShowRig rig;
    rig.store.games = {{1, 3}};
    rig.engine.runCommand(cmd::kStartNextPicture);
    rig.engine.stopPlayer(R);
    // F8 is disabled now; the remote's direct call still gets through.
    EXPECT_FALSE(rig.engine.isEnabled(cmd::kStopRight));
    rig.engine.runCommand(cmd::kStopRight);
    EXPECT_EQ(rig.sound.count("CLING2"), 1);
    rig.engine.stopPlayer(R);
    EXPECT_EQ(rig.sound.count("CLING2"), 2);
    EXPECT_EQ(rig.sound.count("pause"), 2);
    EXPECT_EQ(rig.player(R), PlayerState::Buzzed);
    EXPECT_EQ(rig.player(L), PlayerState::Idle);
}

TEST(StopPlayer, SideOutOfRangeIsIgnored)
{
    ShowRig rig;
    rig.engine.stopPlayer(static_cast<PlayerSide>(2));
    rig.engine.stopPlayer(static_cast<PlayerSide>(-1));
    EXPECT_TRUE(rig.sound.names().empty());
    EXPECT_FALSE(rig.state.anyBuzzed());
}

TEST(StopPlayer, RemoteBuzzBetweenPicturesHoldsTheNextPictureHidden)
{
    ShowRig rig;
    rig.store.games = {{1, 2}};
    rig.engine.stopPlayer(L);  // no picture yet
    EXPECT_EQ(rig.player(L), PlayerState::Buzzed);
    EXPECT_EQ(rig.sound.count("CLING1"), 1);
    ASSERT_TRUE(rig.engine.isEnabled(cmd::kStartNextPicture));

    rig.engine.runCommand(cmd::kStartNextPicture);
    EXPECT_EQ(rig.content.gameNumber, 1);
    EXPECT_EQ(rig.player(L), PlayerState::Buzzed);  // the start leaves the strips alone
    rig.run(30000);
    EXPECT_EQ(rig.state.revealCount, -1);
    EXPECT_EQ(rig.sound.count("TICK"), 0);

    rig.engine.runCommand(cmd::kUncoverPicture);
    EXPECT_EQ(rig.state.revealCount, 2);
    EXPECT_EQ(rig.player(L), PlayerState::Idle);
}

// ---------------------------------------------------------------------------
// Two buzzers at once, from two threads: exactly one winner, one chime.

TEST(StopPlayerRace, ExactlyOneWinnerPerRound)
{
    ShowRig rig;
    rig.content.polygonCount = 32;
    constexpr int kRounds = 3000;
    std::barrier sync(3);
    auto buzzer = [&](PlayerSide side) {
        for (int i = 0; i < kRounds; ++i) {
            sync.arrive_and_wait();  // round starts
            rig.engine.stopPlayer(side);
            sync.arrive_and_wait();  // round checked by the main thread
        }
    };
    std::thread left(buzzer, L);
    std::thread right(buzzer, R);
    int leftWins = 0;
    int bad = 0;
    for (int i = 0; i < kRounds; ++i) {
        rig.engine.uncoverPicture();
        rig.state.gameRunning = 1;
        rig.state.revealCount = -1;
        rig.sound.clear();
        sync.arrive_and_wait();
        // The window thread keeps ticking, with a step due each time, while
        // the buzzers race.
        for (int k = 0; k < 3; ++k) {
            rig.clock.now += rig.state.switchTime;
            rig.engine.showTick();
        }
        sync.arrive_and_wait();  // both stops have returned
        const bool l = rig.state.hasBuzzed(L);
        const bool r = rig.state.hasBuzzed(R);
        const int chimes = rig.sound.count("CLING1") + rig.sound.count("CLING2");
        const bool oneStrip = (rig.player(L) == PlayerState::Buzzed) != (rig.player(R) == PlayerState::Buzzed);
        if (l == r || chimes != 1 || !oneStrip ||
            rig.sound.count(l ? "CLING1" : "CLING2") != 1)
            ++bad;
        leftWins += l;
    }
    left.join();
    right.join();
    EXPECT_EQ(bad, 0);
    // Both sides do win sometimes, or the race was never a race.
    EXPECT_GT(leftWins, 0);
    EXPECT_LT(leftWins, kRounds);
}

// A buzz that lands while the window thread ends the picture as time over
// is never wiped out: the chime rang, so the strip must stay lit.
TEST(StopPlayerRace, BuzzRacingTimeOverIsNeverLost)
{
    ShowRig rig;
    rig.store.games = {{1, 0}};
    constexpr int kRounds = 2000;
    std::barrier sync(2);
    std::thread remote([&] {
        for (int i = 0; i < kRounds; ++i) {
            sync.arrive_and_wait();
            rig.engine.stopPlayer(L);
            sync.arrive_and_wait();
        }
    });
    int lost = 0;
    for (int i = 0; i < kRounds; ++i) {
        // A running picture whose last step is due right now.
        rig.engine.uncoverPicture();
        rig.state.gameRunning = 1;
        rig.state.revealCount = rig.content.polygonCount;
        rig.state.lastStepTick = rig.clock.now - rig.state.switchTime;
        rig.sound.clear();
        sync.arrive_and_wait();
        rig.engine.showTick();
        sync.arrive_and_wait();
        if (rig.sound.count("CLING1") != 1 || !rig.state.hasBuzzed(L) ||
            rig.player(L) != PlayerState::Buzzed)
            ++lost;
    }
    remote.join();
    EXPECT_EQ(lost, 0);
}

// The remote buzzes at the very moment the window thread ends the picture as
// time over (while the time-over cue plays). The buzz comes after the end of
// the picture, so its strip must stay lit, and the stop must not wait for
// the window thread.
TEST(StopPlayerRace, BuzzDuringTimeOverIsKeptAndNotBlocked)
{
    ShowRig rig;
    rig.store.games = {{1, 0}};
    rig.engine.runCommand(cmd::kStartNextPicture);
    rig.engine.setSwitchTime(2000);
    rig.clock.now += 2000;
    rig.engine.showTick();  // the only polygon-less step
    ASSERT_EQ(rig.state.revealCount, 0);

    std::atomic<bool> fired{false};
    std::future<void> remote;
    bool blocked = false;
    rig.sound.onCue = [&](const std::string& what) {
        if (what != "pause" || fired.exchange(true))
            return;
        remote = std::async(std::launch::async, [&] { rig.engine.stopPlayer(L); });
        blocked = remote.wait_for(std::chrono::seconds(2)) != std::future_status::ready;
    };
    rig.clock.now += 2000;
    rig.engine.showTick();  // time over
    remote.get();
    rig.sound.onCue = nullptr;

    EXPECT_FALSE(blocked);
    EXPECT_EQ(rig.sound.count("CLING1"), 1);
    EXPECT_TRUE(rig.state.hasBuzzed(L));
    EXPECT_EQ(rig.player(L), PlayerState::Buzzed);
    EXPECT_EQ(rig.player(R), PlayerState::TimeOver);
    EXPECT_EQ(rig.state.gameRunning, 0);
    EXPECT_EQ(rig.banner(), "Antwort 1");
}

// ---------------------------------------------------------------------------
// Tick counts are compared through their unsigned difference.

struct WrapCase {
    uint32_t lastStep;
    uint32_t now;
    bool stepDue;
    friend std::ostream& operator<<(std::ostream& os, const WrapCase& c)
    {
        return os << std::hex << "last=0x" << c.lastStep << " now=0x" << c.now << std::dec
                  << " due=" << c.stepDue;
    }
};

class TickWrap : public ::testing::TestWithParam<WrapCase> {};

TEST_P(TickWrap, StepDueByUnsignedDifference)
{
    const WrapCase& c = GetParam();
    ShowRig rig;
    rig.store.games = {{1, 5}};
    rig.engine.setSwitchTime(2000);
    rig.engine.runCommand(cmd::kStartNextPicture);
    rig.state.lastStepTick = c.lastStep;
    rig.clock.now = c.now;
    rig.engine.showTick();
    EXPECT_EQ(rig.state.revealCount, c.stepDue ? 0 : -1);
    EXPECT_EQ(rig.state.lastStepTick, c.stepDue ? c.lastStep + 2000u : c.lastStep);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TickWrap,
    ::testing::Values(WrapCase{1000, 2999, false}, WrapCase{1000, 3000, true},
                      WrapCase{0xFFFFFC00u, 0x000003CFu, false},  // 1999 ms across the wrap
                      WrapCase{0xFFFFFC00u, 0x000003D0u, true},   // 2000 ms across the wrap
                      WrapCase{0xFFFFFFFFu, 0x000007CFu, true},   // lastStep + 2000 wraps too
                      // A count behind lastStep reads as a gap of almost 2^32 ms.
                      WrapCase{0x00000010u, 0xFFFFFFF0u, true},
                      WrapCase{5000, 4000, true}));

TEST(TickWrap, CadenceCarriesAcrossTheWrap)
{
    ShowRig rig;
    rig.store.games = {{1, 10}};
    rig.engine.setSwitchTime(2000);
    rig.clock.now = 0xFFFFFFFFu - 4500u;
    rig.engine.runCommand(cmd::kStartNextPicture);
    rig.run(9 * 2000 + 50);
    const std::vector<uint32_t> ticks = rig.sound.times("TICK");
    ASSERT_EQ(ticks.size(), 9u);
    for (size_t k = 1; k < ticks.size(); ++k) {
        const uint32_t gap = ticksSince(ticks[k], ticks[k - 1]);
        EXPECT_GE(gap, 2000u - kShowTimerPeriodMs);
        EXPECT_LE(gap, 2000u + kShowTimerPeriodMs);
    }
}

// A stalled window thread: the missed steps follow one per tick.
TEST(ShowTick, StallCatchesUpOneStepPerTick)
{
    ShowRig rig;
    rig.store.games = {{1, 10}};
    rig.engine.setSwitchTime(2000);
    rig.engine.runCommand(cmd::kStartNextPicture);
    const uint32_t start = rig.clock.now;
    rig.clock.now += 4 * 2000 + 500;  // four steps missed
    std::vector<int32_t> reveals;
    for (int i = 0; i < 6; ++i) {
        rig.clock.now += kShowTimerPeriodMs;
        rig.engine.showTick();
        reveals.push_back(rig.state.revealCount);
    }
    EXPECT_EQ(reveals, (std::vector<int32_t>{0, 1, 2, 3, 3, 3}));
    EXPECT_EQ(rig.state.lastStepTick, start + 4 * 2000);
}

TEST(ShowTick, OtherTimerIdsAndUnsizedViewDoNothing)
{
    ShowRig rig;
    rig.store.games = {{1, 3}};
    rig.engine.runCommand(cmd::kStartNextPicture);
    rig.clock.now += 6000;
    EXPECT_FALSE(rig.engine.showTick(kShowTimerId + 1));
    EXPECT_EQ(rig.board.renders, 0);

    ShowState state;
    GameContent content;
    testing::FakeClock clock;
    testing::FakeBoard board;
    ShowEngine unsized(state, content, ShowHost{&clock, nullptr, nullptr, &board, nullptr});
    state.gameRunning = 1;
    clock.now = 100000;
    EXPECT_TRUE(unsized.showTick());
    EXPECT_EQ(board.renders, 0);
    EXPECT_EQ(state.revealCount, -1);
    unsized.setViewSize(0, 300);  // a zero size is not stored
    EXPECT_TRUE(unsized.showTick());
    EXPECT_EQ(board.renders, 0);
}

// The render hook running a tick of its own (as a mode change does) must
// not step twice.
TEST(ShowTick, NestedTickReturnsAtOnce)
{
    struct ReentrantBoard final : BoardHooks {
        ShowEngine* engine = nullptr;
        int renders = 0;
        void renderTick() override
        {
            ++renders;
            engine->showTick();
        }
        void requestFullRedraw() override {}
        void repaintView() override {}
    } board;
    testing::FakeClock clock;
    testing::FakeStore store;
    store.games = {{1, 5}};
    ShowState state;
    GameContent content;
    ShowEngine engine(state, content, ShowHost{&clock, &store, nullptr, &board, nullptr});
    board.engine = &engine;
    engine.setViewSize(10, 10);
    engine.startNextPicture();
    clock.now += 3 * state.switchTime;
    engine.showTick();
    EXPECT_EQ(board.renders, 1);
    EXPECT_EQ(state.revealCount, 0);
}

// ---------------------------------------------------------------------------
// Picture start.

TEST(StartNextPicture, TenMissingGamesShowNoMoreGames)
{
    ShowRig rig;
    rig.store.games = {{25, 3}};
    rig.content.modified = true;
    rig.engine.runCommand(cmd::kStartNextPicture);
    ASSERT_EQ(rig.store.loads.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(rig.store.loads[i].gameNumber, i + 1);
        // Every load starts from a hidden, force-redrawn board.
        EXPECT_EQ(rig.store.loads[i].revealCountAtLoad, -1);
        EXPECT_EQ(rig.store.loads[i].drawnRevealCountAtLoad, -2);
    }
    EXPECT_EQ(rig.store.saveAsks, std::vector<bool>(10, true));
    EXPECT_EQ(rig.store.savesWritten, 1);
    EXPECT_EQ(rig.content.gameNumber, 10);
    EXPECT_EQ(rig.state.gameRunning, 0);
    EXPECT_EQ(rig.banner(), "Keine Spiele mehr !");
    EXPECT_STREQ(rig.content.question, "Keine Spiele mehr !");
    EXPECT_STREQ(rig.content.answer, "Keine Spiele mehr !");
    EXPECT_TRUE(rig.sound.names().empty());

    // Each start goes on where the last one gave up: 11..20 are missing as
    // well, the third start reaches game 25.
    rig.engine.runCommand(cmd::kStartNextPicture);
    EXPECT_EQ(rig.content.gameNumber, 20);
    rig.engine.runCommand(cmd::kStartNextPicture);
    EXPECT_EQ(rig.content.gameNumber, 25);
    EXPECT_EQ(rig.state.gameRunning, 1);
    EXPECT_EQ(rig.banner(), "Frage 25");
    EXPECT_EQ(rig.sound.names(), (Strings{"restart", "resume"}));
}

TEST(StartNextPicture, SkipsGapsAndIsRefusedWhileRunning)
{
    ShowRig rig;
    rig.store.games = {{3, 4}, {4, 4}};
    rig.engine.runCommand(cmd::kStartNextPicture);
    EXPECT_EQ(rig.content.gameNumber, 3);
    EXPECT_EQ(rig.store.loads.size(), 3u);
    // Calling the operation itself while running is refused as well.
    rig.engine.startNextPicture();
    EXPECT_EQ(rig.content.gameNumber, 3);
    EXPECT_EQ(rig.store.loads.size(), 3u);
}

// A save that fails keeps the edited game: neither a start nor a new game
// number may load over it. Declining the save still moves on.
TEST(LeavingAGame, FailedSaveStaysOnTheEditedGame)
{
    struct Case {
        const char* name;
        bool failWrites;
        bool expectMoved;
    };
    const Case cases[] = {{"write fails", true, false}, {"write works", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShowRig rig;
        rig.store.games = {{1, 4}, {2, 4}, {5, 4}};
        rig.store.failWrites = c.failWrites;
        rig.content.modified = true;
        rig.engine.runCommand(cmd::kStartNextPicture);
        EXPECT_EQ(rig.content.gameNumber, c.expectMoved ? 1 : 0);
        EXPECT_EQ(rig.content.modified, !c.expectMoved);
        EXPECT_EQ(rig.store.loads.empty(), !c.expectMoved);
        EXPECT_EQ(rig.state.gameRunning, c.expectMoved ? 1 : 0);

        rig.engine.selectViewMode(cmd::kModeFirst + 1);   // draw mode loads at once
        const int32_t before = rig.content.gameNumber;
        const std::size_t loads = rig.store.loads.size();
        rig.content.modified = true;
        rig.engine.setNextGameNumber(5);
        EXPECT_EQ(rig.content.gameNumber, c.expectMoved ? 5 : before);
        EXPECT_EQ(rig.store.loads.size(), loads + (c.expectMoved ? 1 : 0));
    }
}

// ---------------------------------------------------------------------------
// Stars.

struct StarCase {
    int32_t limit;
    uint8_t before;
    int delta;
    uint8_t after;
    friend std::ostream& operator<<(std::ostream& os, const StarCase& c)
    {
        return os << "limit " << c.limit << ": " << int(c.before) << " " << std::showpos << c.delta
                  << std::noshowpos << " -> " << int(c.after);
    }
};

class Stars : public ::testing::TestWithParam<StarCase> {};

TEST_P(Stars, CountWrapsModuloLimit)
{
    const StarCase& c = GetParam();
    ShowRig rig;
    rig.engine.setStarLimit(c.limit);
    for (PlayerSide side : {L, R}) {
        rig.state.stars[sideIndex(side)] = c.before;
        rig.engine.changeStars(side, c.delta);
        EXPECT_EQ(rig.state.stars[sideIndex(side)], c.after);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Stars,
                         ::testing::Values(StarCase{8, 0, +1, 1}, StarCase{8, 7, +1, 0},
                                           StarCase{8, 0, -1, 7}, StarCase{8, 5, -1, 4},
                                           StarCase{25, 0, -1, 24}, StarCase{25, 24, +1, 0},
                                           StarCase{25, 7, +1, 8},
                                           // Counts above a limit that shrank
                                           StarCase{8, 20, +1, 5}, StarCase{8, 20, -1, 3},
                                           // Not a step: ignored
                                           StarCase{8, 3, 2, 3}, StarCase{8, 3, 0, 3}));

TEST(Stars, CommandsReachTheirSide)
{
    ShowRig rig;
    struct { int32_t id; uint8_t left, right; } steps[] = {
        {cmd::kLeftStarUp, 1, 0}, {cmd::kRightStarUp, 1, 1}, {cmd::kRightStarUp, 1, 2},
        {cmd::kLeftStarDown, 0, 2}, {cmd::kLeftStarDown, 7, 2}, {cmd::kRightStarDown, 7, 1},
    };
    for (const auto& s : steps) {
        rig.engine.runCommand(s.id);
        EXPECT_EQ(rig.state.stars[0], s.left) << s.id;
        EXPECT_EQ(rig.state.stars[1], s.right) << s.id;
    }
    // A limit that makes no modulus is refused.
    rig.engine.setStarLimit(0);
    EXPECT_EQ(rig.engine.starLimit(), 8);
    rig.engine.setStarLimit(kStarLimitTwoRows);
    EXPECT_EQ(rig.state.stars[0], 7);  // not adjusted
    rig.engine.runCommand(cmd::kLeftStarUp);
    EXPECT_EQ(rig.state.stars[0], 8);
}

// ---------------------------------------------------------------------------
// Mode switches.

TEST(ViewModes, DrawAndBackRestartsTheUncovering)
{
    ShowRig rig;
    rig.store.games = {{1, 5}};
    rig.engine.setSwitchTime(2000);
    rig.engine.runCommand(cmd::kStartNextPicture);
    rig.run(4100);
    ASSERT_EQ(rig.state.revealCount, 1);
    rig.sound.clear();
    const int rendersBefore = rig.board.renders;

    rig.engine.runCommand(cmd::kModeFirst + 1);  // "Zeichnen"
    EXPECT_EQ(rig.engine.viewMode(), ViewMode::Draw);
    EXPECT_EQ(rig.sound.names(), (Strings{"pause"}));
    EXPECT_EQ(rig.board.renders, rendersBefore + 1);  // one tick at once
    EXPECT_EQ(rig.state.revealCount, 5);              // draw mode shows all
    EXPECT_EQ(rig.board.repaints, 1);
    rig.run(10000);
    EXPECT_EQ(rig.sound.count("TICK"), 0);
    EXPECT_EQ(rig.state.revealCount, 5);

    rig.sound.clear();
    const uint32_t back = rig.clock.now;
    rig.engine.runCommand(cmd::kModeFirst);  // "Spielen"
    EXPECT_EQ(rig.sound.names(), (Strings{"resume"}));
    EXPECT_EQ(rig.state.revealCount, -1);
    EXPECT_EQ(rig.board.repaints, 2);
    rig.run(2100);
    const std::vector<uint32_t> ticks = rig.sound.times("TICK");
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_GE(ticksSince(ticks[0], back), 2000u);
    EXPECT_LT(ticksSince(ticks[0], back), 2000u + kShowTimerPeriodMs);
    EXPECT_EQ(rig.state.revealCount, 0);
}

struct ModeRevealCase {
    int32_t mode;
    int32_t polygons;
    int32_t reveal;
    friend std::ostream& operator<<(std::ostream& os, const ModeRevealCase& c)
    {
        return os << "mode " << c.mode << " N=" << c.polygons << " -> " << c.reveal;
    }
};

class ModeReveal : public ::testing::TestWithParam<ModeRevealCase> {};

TEST_P(ModeReveal, NonPlayModesSetTheRevealCount)
{
    const ModeRevealCase& c = GetParam();
    ShowRig rig;
    rig.store.games = {{1, c.polygons}};
    rig.engine.runCommand(cmd::kStartNextPicture);
    rig.engine.runCommand(cmd::kModeFirst + c.mode);
    rig.engine.showTick();
    EXPECT_EQ(rig.state.revealCount, c.reveal);
    EXPECT_EQ(rig.board.repaints, c.mode == 1 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Table, ModeReveal,
                         ::testing::Values(ModeRevealCase{1, 7, 7}, ModeRevealCase{2, 7, -1},
                                           ModeRevealCase{3, 7, 0}, ModeRevealCase{5, 7, 2},
                                           ModeRevealCase{10, 7, 7},  // cut to N
                                           ModeRevealCase{22, 32, 19},
                                           ModeRevealCase{23, 32, 20},
                                           ModeRevealCase{2, 0, -1}, ModeRevealCase{4, 0, 0}));

TEST(ViewModes, DrawModeAtStartUpLoadsTheFirstGamePaused)
{
    ShowRig rig;
    rig.store.games = {{1, 3}};
    rig.engine.selectViewMode(cmd::kModeFirst + 1);
    EXPECT_EQ(rig.content.gameNumber, 1);
    EXPECT_EQ(rig.banner(), "Frage 1");
    EXPECT_EQ(rig.sound.names(), (Strings{"pause", "pause"}));
    rig.engine.showTick();
    EXPECT_EQ(rig.state.revealCount, 3);
}

TEST(ViewModes, SameModeAndForeignIdsChangeNothing)
{
    ShowRig rig;
    rig.engine.selectViewMode(cmd::kModeFirst);  // already play
    rig.engine.selectViewMode(cmd::kModeFirst - 1);
    rig.engine.selectViewMode(cmd::kModeLast + 1);
    EXPECT_EQ(rig.engine.viewMode(), ViewMode::Play);
    EXPECT_TRUE(rig.sound.names().empty());
    EXPECT_EQ(rig.board.renders, 0);
    EXPECT_TRUE(rig.store.loads.empty());
}

// ---------------------------------------------------------------------------
// Cursor parking in full screen.

struct ParkCase {
    FullScreenState zoom;
    int32_t mode;
    ScreenPoint cursor;
    bool parked;
};

class CursorParking : public ::testing::TestWithParam<ParkCase> {};

TEST_P(CursorParking, MovesTheCursorOffTheBoard)
{
    const ParkCase& c = GetParam();
    ShowRig rig;
    rig.store.games = {{1, 1}};
    if (c.mode != 0)
        rig.engine.selectViewMode(cmd::kModeFirst + c.mode);
    rig.engine.setZoomState(c.zoom, ScreenRect{0, 0, 1920, 1080});
    EXPECT_EQ(rig.engine.parkingRect(), (ScreenRect{0, 0, 1919, 1080}));
    rig.pointer.pos = c.cursor;
    rig.pointer.moves.clear();
    rig.engine.showTick();
    if (c.parked) {
        ASSERT_EQ(rig.pointer.moves.size(), 1u);
        EXPECT_EQ(rig.pointer.pos, (ScreenPoint{1919, 1079}));
        rig.engine.showTick();  // the parking spot lies outside: it stays
        EXPECT_EQ(rig.pointer.moves.size(), 1u);
    } else {
        EXPECT_TRUE(rig.pointer.moves.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CursorParking,
    ::testing::Values(ParkCase{FullScreenState::FromMaximised, 0, {500, 500}, true},
                      ParkCase{FullScreenState::FromMaximised, 0, {1918, 0}, true},
                      ParkCase{FullScreenState::FromMaximised, 0, {1919, 500}, false},
                      ParkCase{FullScreenState::FromMaximised, 0, {500, 1080}, false},
                      ParkCase{FullScreenState::FromMaximised, 1, {500, 500}, false},
                      ParkCase{FullScreenState::FromNormal, 0, {500, 500}, false},
                      ParkCase{FullScreenState::Off, 0, {500, 500}, false}));

// ---------------------------------------------------------------------------
// Options that the view's commands hand to the engine.

struct SwitchTimeCase {
    uint32_t entered;
    uint32_t stored;
};

class SwitchTime : public ::testing::TestWithParam<SwitchTimeCase> {};

TEST_P(SwitchTime, IsClamped)
{
    ShowRig rig;
    rig.engine.setSwitchTime(GetParam().entered);
    EXPECT_EQ(rig.state.switchTime, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Table, SwitchTime,
                         ::testing::Values(SwitchTimeCase{1500, 2000}, SwitchTimeCase{2000, 2000},
                                           SwitchTimeCase{7777, 7777}, SwitchTimeCase{10000, 10000},
                                           SwitchTimeCase{12000, 10000},
                                           SwitchTimeCase{static_cast<uint32_t>(-5), 10000},
                                           SwitchTimeCase{0, 2000}));

TEST(NextGameNumber, PlayModeSetsTheNextStartDrawModeLoadsAtOnce)
{
    ShowRig rig;
    rig.store.games = {{5, 2}, {6, 2}};
    rig.engine.setNextGameNumber(5);
    EXPECT_EQ(rig.content.gameNumber, 4);
    EXPECT_TRUE(rig.store.loads.empty());
    rig.engine.runCommand(cmd::kStartNextPicture);
    EXPECT_EQ(rig.content.gameNumber, 5);
    ASSERT_EQ(rig.store.loads.size(), 1u);

    ShowRig draw;
    draw.store.games = {{1, 1}, {5, 2}};
    draw.engine.selectViewMode(cmd::kModeFirst + 1);  // loads game 1
    draw.store.loads.clear();
    draw.content.modified = true;
    draw.engine.setNextGameNumber(5);
    EXPECT_EQ(draw.content.gameNumber, 5);
    ASSERT_EQ(draw.store.loads.size(), 1u);
    EXPECT_EQ(draw.store.loads[0].gameNumber, 5);
    EXPECT_EQ(draw.store.loads[0].revealCountAtLoad, -1);
    EXPECT_EQ(draw.store.savesWritten, 1);
}

TEST(NextGameNumber, OutOfRangeOrUnchangedIsIgnored)
{
    ShowRig rig;
    for (int32_t entered : {0, 1001, -3, 1})  // play: n = entered - 1; 1 gives 0, the current
        rig.engine.setNextGameNumber(entered);
    EXPECT_EQ(rig.content.gameNumber, 0);
    rig.engine.setNextGameNumber(1000);  // 999 is the last game
    EXPECT_EQ(rig.content.gameNumber, 999);
    EXPECT_EQ(rig.store.saveAsks.size(), 1u);
}

TEST(ViewLifecycle, SizeRequestsFullRedrawAndDestroySaves)
{
    ShowRig rig;
    const int before = rig.board.fullRedraws;
    rig.state.drawnRevealCount = 3;
    rig.state.bannerDirty = 0;
    rig.engine.setViewSize(1024, 768);
    EXPECT_EQ(rig.board.fullRedraws, before + 1);
    EXPECT_EQ(rig.state.drawnRevealCount, -2);
    EXPECT_EQ(rig.state.bannerDirty, 1);
    EXPECT_EQ(rig.engine.viewWidth(), 1024);
    rig.engine.setViewSize(0, 0);  // minimised: sizes stay
    EXPECT_EQ(rig.engine.viewWidth(), 1024);
    EXPECT_EQ(rig.board.fullRedraws, before + 1);

    rig.content.modified = true;
    rig.engine.viewDestroyed();
    EXPECT_EQ(rig.store.saveAsks, std::vector<bool>{true});
    EXPECT_EQ(rig.store.savesWritten, 1);
}

TEST(Commands, DisabledCommandsNeverRun)
{
    ShowRig rig;
    rig.store.games = {{1, 3}, {2, 3}};
    // Uncover with nothing to uncover, stops with no picture.
    EXPECT_TRUE(rig.engine.runCommand(cmd::kUncoverPicture));
    EXPECT_TRUE(rig.engine.runCommand(cmd::kStopLeft));
    EXPECT_TRUE(rig.engine.runCommand(cmd::kToolbarStopRight));
    EXPECT_TRUE(rig.sound.names().empty());
    EXPECT_FALSE(rig.state.anyBuzzed());
    // Ids of other modules are not the engine's.
    EXPECT_FALSE(rig.engine.runCommand(cmd::kSave));
    EXPECT_FALSE(rig.engine.isEnabled(cmd::kSave));

    rig.engine.runCommand(cmd::kStartNextPicture);
    rig.engine.runCommand(cmd::kToolbarStopLeft);
    EXPECT_EQ(rig.player(L), PlayerState::Buzzed);
    // The toolbar stop of the other side is disabled after any buzz.
    rig.engine.runCommand(cmd::kToolbarStopRight);
    EXPECT_EQ(rig.sound.count("CLING2"), 0);
    rig.engine.runCommand(cmd::kStartNextPicture);
    EXPECT_EQ(rig.content.gameNumber, 1);
}

TEST(BannerText, LongAnswersAreCut)
{
    ShowRig rig;
    rig.content.setAnswer(std::string(400, 'x'));
    rig.engine.uncoverPicture();
    EXPECT_EQ(std::string(rig.state.bannerText), std::string(255, 'x'));
}

}  // namespace
}  // namespace gz
