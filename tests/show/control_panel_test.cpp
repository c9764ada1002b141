#include "show/control_panel.h"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <functional>
#include <string>
#include <thread>

#include "tests/show/show_fakes.h"

namespace gz {
namespace {

// A test case's name in gtest's alphabet.
std::string caseName(std::string n)
{
    for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return n;
}

using testing::ShowRig;

constexpr PlayerSide L = PlayerSide::Left;
constexpr PlayerSide R = PlayerSide::Right;
constexpr PlayerState I = PlayerState::Idle;
constexpr PlayerState B = PlayerState::Buzzed;
constexpr PlayerState T = PlayerState::TimeOver;

// The next games as the fake store has them; counts the look-ups.
struct StoreLookup final : NextGameLookup {
    const testing::FakeStore& store;
    int calls = 0;
    explicit StoreLookup(const testing::FakeStore& s) : store(s) {}
    bool question(int32_t number, std::string& out) override
    {
        ++calls;
        if (!store.games.contains(number))
            return false;
        out = "Frage " + std::to_string(number);
        return true;
    }
};

// Games 1 (3 polygons), 2 (4) and 4 (2): game 3 is missing, as in a
// library where a folder was deleted.
struct PanelRig : ShowRig {
    StoreLookup lookup{store};
    ControlPanelModel model{engine, clock, &lookup};
    PanelRig() { store.games = {{1, 3}, {2, 4}, {4, 2}}; }
    void startBuzzUncover(PlayerSide side)
    {
        engine.startNextPicture();
        run(1000);
        engine.stopPlayer(side);
        engine.uncoverPicture();
    }
};

struct Situation {
    const char* name;
    std::function<void(PanelRig&)> drive;
    int32_t gameNumber;
    bool answerShown;
    bool running;
    int32_t polygonsLeft;
    uint32_t msToNextStep;
    std::array<PlayerState, 2> players;
    int32_t firstBuzzer;
    uint32_t buzzAfterMs;
    int32_t nextNumber;
    // start, uncover, stop left, stop right (stars are always enabled)
    std::array<bool, 4> enabled;
};

// run(1000) is ten 93 ms ticks: 930 ms. run(5100) is 54 ticks, 5022 ms:
// the first step fell due at 5000, the next is 4978 ms away.
const Situation kSituations[] = {
    {"before start", [](PanelRig&) {}, 0, false, false, 0, 0, {I, I}, -1, 0, 1, {1, 0, 0, 0}},
    {"running, first step done",
     [](PanelRig& r) {
         r.engine.startNextPicture();
         r.run(5100);
     },
     1, false, true, 3, 4978, {I, I}, -1, 0, 2, {0, 0, 1, 1}},
    {"running, one polygon gone",
     [](PanelRig& r) {
         r.engine.startNextPicture();
         r.run(10100);
     },
     1, false, true, 2, 4956, {I, I}, -1, 0, 2, {0, 0, 1, 1}},
    {"after a buzz the countdown stops",
     [](PanelRig& r) {
         r.engine.startNextPicture();
         r.run(1000);
         r.engine.stopPlayer(R);
         r.run(5000);
     },
     1, false, true, 3, 0, {I, B}, 1, 930, 2, {0, 1, 1, 0}},
    {"time over",
     [](PanelRig& r) {
         r.engine.startNextPicture();
         r.run(26000);
     },
     1, true, false, 0, 0, {T, T}, -1, 0, 2, {0, 1, 0, 0}},
    {"uncovered keeps who buzzed",
     [](PanelRig& r) { r.startBuzzUncover(L); }, 1, true, false, 0, 0, {I, I}, 0, 930, 2,
     {1, 0, 0, 0}},
    {"next picture skips the missing game and clears the buzz",
     [](PanelRig& r) {
         r.startBuzzUncover(L);
         r.run(500);
         r.engine.startNextPicture();
     },
     2, false, true, 4, 5000, {I, I}, -1, 0, 4, {0, 0, 1, 1}},
    {"no more games",
     [](PanelRig& r) {
         r.startBuzzUncover(L);
         r.startBuzzUncover(R);
         r.startBuzzUncover(L);
         r.engine.startNextPicture();
     },
     14, true, false, 0, 0, {I, I}, -1, 0, 0, {1, 0, 0, 0}},
};

class ControlPanelSituations : public ::testing::TestWithParam<Situation> {};

TEST_P(ControlPanelSituations, SnapshotShowsTheShow)
{
    const Situation& c = GetParam();
    PanelRig rig;
    c.drive(rig);
    rig.model.update();
    const ControlPanelState& s = rig.model.state();
    EXPECT_EQ(s.gameNumber, c.gameNumber);
    EXPECT_EQ(s.question, std::string(rig.content.question));
    // The game master sees the answer whether or not the audience does.
    EXPECT_EQ(s.answer, std::string(rig.content.answer));
    EXPECT_EQ(s.answerShown, c.answerShown);
    EXPECT_EQ(s.running, c.running);
    EXPECT_EQ(s.polygonsLeft, c.polygonsLeft);
    EXPECT_EQ(s.msToNextStep, c.msToNextStep);
    EXPECT_EQ(s.stepLength, kSwitchTimeDefault);
    EXPECT_EQ(s.players, c.players);
    EXPECT_EQ(s.firstBuzzer, c.firstBuzzer);
    EXPECT_EQ(s.buzzAfterMs, c.buzzAfterMs);
    EXPECT_EQ(s.next.number, c.nextNumber);
    EXPECT_EQ(s.next.question, c.nextNumber ? "Frage " + std::to_string(c.nextNumber) : "");
    const ControlCommand shown[] = {ControlCommand::Start, ControlCommand::Uncover,
                                    ControlCommand::StopLeft, ControlCommand::StopRight};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(s.enabled[static_cast<int>(shown[i])], c.enabled[i]) << "command " << i;
    EXPECT_TRUE(s.enabled[static_cast<int>(ControlCommand::LeftStarUp)]);
    // Enabled as the engine's own rule says, so a button never offers what the menu refuses.
    for (int i = 0; i < kControlCommandCount; ++i)
        EXPECT_EQ(s.enabled[i], rig.engine.isEnabled(controlCommandId(static_cast<ControlCommand>(i))));
}

INSTANTIATE_TEST_SUITE_P(, ControlPanelSituations, ::testing::ValuesIn(kSituations),
                         [](const auto& info) { return caseName(info.param.name); });

TEST(ControlPanelIds, ButtonsCarryTheMenuCommands)
{
    const int32_t ids[] = {32809, 32813, 33034, 33036, 33035, 33037, 32810, 32811};
    for (int i = 0; i < kControlCommandCount; ++i)
        EXPECT_EQ(controlCommandId(static_cast<ControlCommand>(i)), ids[i]);
}

struct Change {
    const char* name;
    std::function<void(PanelRig&)> before;  // then update()
    std::function<void(PanelRig&)> action;  // then update() again
    uint32_t changed;
};

const Change kChanges[] = {
    {"nothing happens while idle", [](PanelRig&) {}, [](PanelRig& r) { r.run(1000); }, 0},
    {"a tick between steps moves only the countdown",
     [](PanelRig& r) { r.engine.startNextPicture(); }, [](PanelRig& r) { r.run(100); },
     kFieldCountdown},
    {"a step takes a polygon away",
     [](PanelRig& r) {
         r.engine.startNextPicture();
         r.run(4900);
     },
     [](PanelRig& r) { r.run(200); }, kFieldCover | kFieldCountdown},
    {"a star", [](PanelRig&) {}, [](PanelRig& r) { r.engine.changeStars(R, -1); }, kFieldStars},
    {"a buzz",
     [](PanelRig& r) { r.engine.startNextPicture(); },
     [](PanelRig& r) { r.engine.stopPlayer(L); }, kFieldPlayers | kFieldCountdown | kFieldCommands},
    {"uncovering",
     [](PanelRig& r) {
         r.engine.startNextPicture();
         r.engine.stopPlayer(L);
     },
     [](PanelRig& r) { r.engine.uncoverPicture(); },
     kFieldAnswer | kFieldCover | kFieldCountdown | kFieldPlayers | kFieldCommands},
    {"a start",
     [](PanelRig&) {}, [](PanelRig& r) { r.engine.startNextPicture(); },
     kFieldGame | kFieldAnswer | kFieldCover | kFieldCountdown | kFieldNext | kFieldCommands},
};

class ControlPanelChanges : public ::testing::TestWithParam<Change> {};

TEST_P(ControlPanelChanges, OnlyTheChangedFieldsAreReported)
{
    const Change& c = GetParam();
    PanelRig rig;
    c.before(rig);
    EXPECT_EQ(rig.model.update(), kFieldAll) << "the first snapshot draws everything";
    c.action(rig);
    EXPECT_EQ(rig.model.update(), c.changed);
}

INSTANTIATE_TEST_SUITE_P(, ControlPanelChanges, ::testing::ValuesIn(kChanges),
                         [](const auto& info) { return caseName(info.param.name); });

TEST(ControlPanelModel, LooksUpTheNextGameOnlyWhenTheGameChanges)
{
    PanelRig rig;
    rig.model.update();
    EXPECT_EQ(rig.lookup.calls, 1);  // game 1 follows game 0
    rig.engine.startNextPicture();
    for (int i = 0; i < 20; ++i) {
        rig.run(93);
        rig.model.update();
    }
    EXPECT_EQ(rig.lookup.calls, 2);  // game 2, once, for all those ticks
    rig.model.forgetNextGame();
    rig.model.update();
    EXPECT_EQ(rig.lookup.calls, 3);
}

TEST(ControlPanelModel, WorksWithoutALookup)
{
    PanelRig rig;
    ControlPanelModel bare{rig.engine, rig.clock, nullptr};
    rig.engine.startNextPicture();
    bare.update();
    EXPECT_EQ(bare.state().gameNumber, 1);
    EXPECT_EQ(bare.state().next.number, 0);
}

TEST(ControlPanelBuzz, AStopOnAnotherThreadIsTimedFromThePictureStart)
{
    PanelRig rig;
    rig.clock.now = 100000;
    rig.engine.startNextPicture();
    rig.clock.now += 1234;
    std::thread poller([&] { rig.engine.stopPlayer(R); });
    poller.join();
    // The loser's later stop and a stop after uncovering keep the first record.
    rig.clock.now += 50;
    rig.engine.stopPlayer(L);
    rig.engine.uncoverPicture();
    rig.engine.stopPlayer(L);
    rig.model.update();
    EXPECT_EQ(rig.model.state().firstBuzzer, 1);
    EXPECT_EQ(rig.model.state().buzzAfterMs, 1234u);
}

TEST(ControlPanelBuzz, TimedAcrossTheClockWrap)
{
    PanelRig rig;
    rig.clock.now = 0xffffff00u;
    rig.engine.startNextPicture();
    rig.clock.now += 0x200u;  // wraps
    rig.engine.stopPlayer(L);
    rig.model.update();
    EXPECT_EQ(rig.model.state().buzzAfterMs, 0x200u);
}

}  // namespace
}  // namespace gz
