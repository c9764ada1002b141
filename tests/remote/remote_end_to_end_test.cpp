// The simulated remote on a pseudo-terminal, read by the program's own
// RemotePoller into a running show: its buttons reach the engine the way a
// real board's would. Real-time waits here are deadlines, not measurements.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <poll.h>
#include <unistd.h>

#include "show/command_ids.h"
#include "show/remote_poller.h"
#include "tests/devices/pty_fixture.h"
#include "tests/remote/firmware_sim.h"
#include "tests/show/show_fakes.h"

namespace gz {
namespace {

using testing::FirmwareSim;
using testing::Pty;
using testing::ShowRig;

constexpr auto kDeadline = std::chrono::seconds(5);

bool waitFor(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + kDeadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// True once somebody (the poller) holds the terminal's slave side open.
bool peerOpen(const Pty& pty) {
    pollfd p{pty.master(), POLLOUT, 0};
    return poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
}

// Passes the buzzers on to the engine and counts them, so the test knows
// when the poller has dealt with a line that changes nothing.
struct CountingBuzzers final : BuzzerTarget {
    explicit CountingBuzzers(BuzzerTarget& t) : target(t) {}
    void stopPlayer(PlayerSide side) override {
        target.stopPlayer(side);
        calls.fetch_add(1);
    }
    BuzzerTarget& target;
    std::atomic<int> calls{0};
};

struct PostedCommands {
    std::mutex lock;
    std::vector<int32_t> ids;
    std::vector<int32_t> get() {
        std::lock_guard<std::mutex> g(lock);
        return ids;
    }
};

void click(FirmwareSim& sim, int key) {
    sim.setButton(key, true);
    sim.runMs(50);
    sim.setButton(key, false);
    sim.runMs(50);
}

TEST(RemoteEndToEnd, ButtonZeroFreezesThePictureForTheLeftPlayerAndButtonOneComesTooLate) {
    ShowRig rig;
    rig.store.games = {{1, 6}};
    rig.engine.setSwitchTime(2000);
    ASSERT_TRUE(rig.engine.runCommand(cmd::kStartNextPicture));
    rig.run(4100);   // two pieces of the cover gone
    const int32_t revealAtBuzz = rig.state.revealCount;
    ASSERT_GE(revealAtBuzz, 0);
    rig.sound.clear();

    Pty pty;
    ASSERT_TRUE(pty.ok());
    CountingBuzzers buzzers(rig.engine);
    PostedCommands commands;
    RemotePoller poller(buzzers, [&](int32_t id) {
        std::lock_guard<std::mutex> g(commands.lock);
        commands.ids.push_back(id);
    });
    poller.setDevicePath(pty.path());
    ASSERT_TRUE(poller.start());
    ASSERT_TRUE(waitFor([&] { return peerOpen(pty); })) << "the poller never opened " << pty.path();

    FirmwareSim sim(GZ_REMOTE_FIRMWARE_ELF);
    ASSERT_TRUE(sim.ok()) << sim.error();
    sim.setByteSink([&](uint8_t byte) { ASSERT_EQ(::write(pty.master(), &byte, 1), 1); });
    sim.runMs(20);

    click(sim, 0);
    ASSERT_TRUE(waitFor([&] { return buzzers.calls.load() >= 1; })) << "sent: " << sim.sentText();
    EXPECT_TRUE(rig.state.hasBuzzed(PlayerSide::Left));
    EXPECT_EQ(rig.player(PlayerSide::Left), PlayerState::Buzzed);

    click(sim, 1);
    ASSERT_TRUE(waitFor([&] { return buzzers.calls.load() >= 2; })) << "sent: " << sim.sentText();
    // The game master's keys travel the same way, as commands.
    click(sim, 3);
    ASSERT_TRUE(waitFor([&] { return !commands.get().empty(); })) << "sent: " << sim.sentText();
    poller.stop();

    EXPECT_FALSE(rig.state.hasBuzzed(PlayerSide::Right)) << "the first buzzer wins";
    EXPECT_NE(rig.player(PlayerSide::Right), PlayerState::Buzzed);
    EXPECT_EQ(rig.sound.count("CLING1"), 1);
    EXPECT_EQ(rig.sound.count("CLING2"), 0);
    EXPECT_EQ(commands.get(), std::vector<int32_t>{cmd::kUncoverPicture});

    // Frozen: no further piece of the cover goes while the left player answers.
    rig.run(10000);
    EXPECT_EQ(rig.state.revealCount, revealAtBuzz);
    EXPECT_EQ(rig.sound.count("TICK"), 0);
}

}  // namespace
}  // namespace gz
