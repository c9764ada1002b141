// Both buzzer sources at once, each on its own thread: the remote control's
// left buzzer on a pseudo-terminal and an input device's right buzzer on a
// pipe, written microseconds apart while a real engine runs a picture.
// Whatever the order they are read in, exactly one player wins each round.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <linux/input.h>

#include "devices/input_event_decoder.h"
#include "devices/serial_port.h"
#include "show/command_ids.h"
#include "show/input_poller.h"
#include "show/remote_poller.h"
#include "tests/devices/pty_fixture.h"
#include "tests/show/fake_input_devices.h"
#include "tests/show/show_fakes.h"

namespace gz {
namespace {

// Counts each side's stops on the way to the engine, so a round can wait
// until both pollers have delivered.
struct CountingRelay final : BuzzerTarget {
    explicit CountingRelay(BuzzerTarget& t) : target(t) {}
    void stopPlayer(PlayerSide side) override
    {
        target.stopPlayer(side);
        calls[sideIndex(side)].fetch_add(1);
    }
    BuzzerTarget& target;
    std::atomic<int> calls[kPlayerCount] = {};
};

template <class Pred>
bool waitUntil(Pred done)
{
    const auto t0 = std::chrono::steady_clock::now();
    while (!done() && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(3))
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    return done();
}

TEST(BuzzerSources, RemoteAndInputDeviceRacingGiveExactlyOneWinnerPerRound)
{
    constexpr int kRounds = 300;
    testing::Pty pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_TRUE(comPortSetPathTemplate(pty.path()));   // every COM port is this terminal

    testing::ShowRig rig;
    for (int32_t n = 1; n <= kRounds + 1; ++n)
        rig.store.games[n] = 12;
    CountingRelay relay(rig.engine);
    std::atomic<int> posted{0};
    const auto poster = [&posted](int32_t) { posted.fetch_add(1); };

    // Press times only feed the debounce; every round is a fresh second.
    ManualClock pressClock(1000);
    BuzzerActionGate gate;
    testing::FakeInputDevices source;
    const std::string node = "/dev/input/event9";
    InputDeviceInfo set;
    set.path = node;
    set.name = "USB Quiz Buzzers";
    set.vendor = 0x054C;
    set.product = 0x1000;
    set.kind = InputDeviceKind::Joystick;
    source.plug(set);

    RemotePoller remote(relay, poster, pressClock);
    InputDevicePoller input(relay, poster, gate, source, pressClock);
    ASSERT_TRUE(remote.start());
    ASSERT_TRUE(input.start());
    ASSERT_TRUE(waitUntil([&] { return source.isOpen(node); }));
    // The remote reads once a command comes through.
    ASSERT_TRUE(waitUntil([&] {
        if (posted.load() > 0)
            return true;
        pty.write("3D00000000\r");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return posted.load() > 0;
    }));

    const std::string remoteLeft = "0D00000000\r";
    const std::string inputRight = encodeInputEvent(EV_KEY, static_cast<uint16_t>(quizButtonCode(1, 0)), 1) +
                                   encodeInputEvent(EV_SYN, SYN_REPORT, 0);
    int leftWins = 0;
    for (int round = 0; round < kRounds; ++round) {
        rig.engine.uncoverPicture();
        ASSERT_TRUE(rig.engine.runCommand(cmd::kStartNextPicture)) << "round " << round;
        rig.run(2 * rig.state.switchTime);   // a few pieces are gone
        ASSERT_GE(rig.state.revealCount, 0) << "round " << round;
        ASSERT_FALSE(rig.state.anyBuzzed()) << "round " << round;
        rig.sound.clear();
        pressClock.advance(1000);
        const int leftBefore = relay.calls[0].load();
        const int rightBefore = relay.calls[1].load();

        if (round % 2 == 0) {
            ASSERT_EQ(::write(pty.master(), remoteLeft.data(), remoteLeft.size()),
                      static_cast<ssize_t>(remoteLeft.size()));
            ASSERT_TRUE(source.send(node, inputRight));
        } else {
            ASSERT_TRUE(source.send(node, inputRight));
            ASSERT_EQ(::write(pty.master(), remoteLeft.data(), remoteLeft.size()),
                      static_cast<ssize_t>(remoteLeft.size()));
        }
        // The window thread goes on ticking meanwhile.
        for (int k = 0; k < 3; ++k)
            rig.run(kShowTimerPeriodMs);
        ASSERT_TRUE(waitUntil([&] {
            return relay.calls[0].load() == leftBefore + 1 && relay.calls[1].load() == rightBefore + 1;
        })) << "round " << round << ": both pollers must deliver their buzz";

        const bool left = rig.state.hasBuzzed(PlayerSide::Left);
        const bool right = rig.state.hasBuzzed(PlayerSide::Right);
        ASSERT_NE(left, right) << "round " << round;
        const PlayerSide winner = left ? PlayerSide::Left : PlayerSide::Right;
        const PlayerSide loser = left ? PlayerSide::Right : PlayerSide::Left;
        EXPECT_EQ(rig.player(winner), PlayerState::Buzzed) << "round " << round;
        EXPECT_EQ(rig.player(loser), PlayerState::Idle) << "round " << round;
        EXPECT_EQ(rig.sound.count(left ? "CLING1" : "CLING2"), 1) << "round " << round;
        EXPECT_EQ(rig.sound.count(left ? "CLING2" : "CLING1"), 0) << "round " << round;
        leftWins += left;
    }
    remote.stop();
    input.stop();
    comPortSetPathTemplate("");
    EXPECT_EQ(source.openCount(), 0);
    ::testing::Test::RecordProperty("left_wins", leftWins);
    ::testing::Test::RecordProperty("right_wins", kRounds - leftWins);
}

}  // namespace
}  // namespace gz
