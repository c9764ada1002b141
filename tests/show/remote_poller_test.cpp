#include "show/remote_poller.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include "devices/serial_port.h"
#include "show/command_ids.h"
#include "show/show_engine.h"
#include "tools/remote-sim/remote_sim.h"

namespace gz {
namespace {

using Pass = RemotePoller::Pass;

// ---------------------------------------------------------------------------
// Framing, without any port.

// Feeds `stream` in pieces of `chunk` bytes and returns the framed lines as
// key+event pairs ("0D"), checking the buffer bounds on the way.
std::vector<std::string> frame(const std::string& stream, std::size_t chunk) {
    RemoteFramer f;
    std::vector<std::string> out;
    std::size_t pos = 0;
    for (int guard = 0; guard < 10000; ++guard) {
        RemoteMessage m;
        const RemoteFramer::Result r = f.next(&m);
        EXPECT_LT(f.size(), RemoteFramer::kCapacity);
        if (r == RemoteFramer::Result::Message) {
            out.push_back(std::string{m.key, m.event});
        } else if (r == RemoteFramer::Result::NeedMore) {
            EXPECT_LE(f.size(), 10u) << "waits for more with a full line's worth buffered";
            if (pos == stream.size()) return out;
            const std::size_t n = std::min({chunk, stream.size() - pos, f.space()});
            EXPECT_EQ(f.append(stream.data() + pos, n), n);
            pos += n;
        }
    }
    ADD_FAILURE() << "framing did not settle";
    return out;
}

TEST(RemoteFramer, FramesLinesHoweverTheBytesAreSplit) {
    using V = std::vector<std::string>;
    struct Case {
        const char* what;
        std::string stream;
        V lines;
    } cases[] = {
        {"CR LF", "0D1234ABCD\r\n", {"0D"}},
        {"LF alone", "0D1234ABCD\n", {"0D"}},
        {"CR alone", "0D1234ABCD\r", {"0D"}},
        {"release and status are framed", "1U1234ABCD\r1S1234ABCD\r", {"1U", "1S"}},
        {"keys beyond 7 are framed", "8D00000000\rAD00000000\raD00000000\r", {"8D", "AD", "aD"}},
        {"garbage before a line", "xx0D0000FFFF\r", {"0D"}},
        {"concatenated lines", "2D00000000\r3D00000000\r\n4D00000000\n", {"2D", "3D", "4D"}},
        {"nine digits are dropped", "0D123456789\r1D00000000\r", {"1D"}},
        {"wrong line end is dropped", "0D12345678X1D00000000\r", {"1D"}},
        {"seven digits are dropped", "0D1234567\r5D00000000\r", {"5D"}},
        {"no line end yet", "0D00000000", {}},
        {"lower-case event letters start nothing", "7d00000000\r", {}},
        {"more garbage than the buffer holds", std::string(100, 'x') + "\r\n6D0000ABCD\r", {"6D"}},
        {"hex garbage longer than the buffer", std::string(70, 'F') + "\r7D00000000\r", {"7D"}},
        {"line ends only", "\r\n\r\n\n\n", {}},
        {"NUL bytes", std::string("\0\0" "0D00000000\r", 13), {"0D"}},
    };
    for (const Case& c : cases) {
        for (std::size_t chunk : {1u, 2u, 5u, 11u, 64u}) {
            EXPECT_EQ(frame(c.stream, chunk), c.lines) << c.what << ", pieces of " << chunk;
        }
    }
}

TEST(RemoteFramer, ALineAfterALineEndSurvivesAnyGarbage) {
    std::mt19937 rng(20261210);
    const char alphabet[] = "0123456789ABCDEFabcdefDUSxz\r\n\x01\xff";
    for (int round = 0; round < 3000; ++round) {
        std::string garbage;
        const int len = static_cast<int>(rng() % 60);
        for (int i = 0; i < len; ++i) garbage += alphabet[rng() % (sizeof alphabet - 1)];
        const std::string stream = garbage + "\r" + "3D1234ABCD\r";
        const std::vector<std::string> lines = frame(stream, 1 + rng() % 16);
        ASSERT_FALSE(lines.empty()) << garbage;
        EXPECT_EQ(lines.back(), "3D") << garbage;
    }
}

TEST(RemoteDebouncer, AKeyActsOnceWithin100MsOfItsLastAcceptedPress) {
    struct Press {
        int key;
        uint32_t at;
        bool acts;
    };
    struct Case {
        const char* what;
        std::vector<Press> presses;
    } cases[] = {
        {"60 ms apart: one", {{5, 1000, true}, {5, 1060, false}}},
        {"150 ms apart: two", {{5, 1000, true}, {5, 1150, true}}},
        {"the window is inclusive", {{5, 1000, true}, {5, 1100, false}, {5, 1101, true}}},
        {"ignored presses do not extend it", {{2, 1000, true}, {2, 1060, false}, {2, 1120, true}}},
        {"keys are independent", {{0, 1000, true}, {1, 1000, true}, {0, 1001, false}, {1, 1050, false}}},
        {"first press at tick 0 acts", {{3, 0, true}, {3, 50, false}}},
        {"across the wrap", {{4, 0xFFFFFFD0u, true}, {4, 0x10u, false}, {4, 0x100u, true}}},
        {"a clock that jumps back acts", {{6, 5000, true}, {6, 4000, true}}},
        {"not a key", {{8, 1000, false}, {-1, 1000, false}}},
    };
    for (const Case& c : cases) {
        RemoteDebouncer d;
        for (const Press& p : c.presses) {
            EXPECT_EQ(d.accept(p.key, p.at), p.acts) << c.what << ": key " << p.key << " at " << p.at;
        }
    }
}

// ---------------------------------------------------------------------------
// The poller over pseudo-terminals reached through a port-path template.

class Buzzers final : public BuzzerTarget {
public:
    void stopPlayer(PlayerSide side) override {
        std::lock_guard<std::mutex> g(lock_);
        stops_.push_back(side);
    }
    std::vector<PlayerSide> stops() {
        std::lock_guard<std::mutex> g(lock_);
        return stops_;
    }

private:
    std::mutex lock_;
    std::vector<PlayerSide> stops_;
};

class Commands {
public:
    RemotePoller::CommandPoster poster() {
        return [this](int32_t id) {
            std::lock_guard<std::mutex> g(lock_);
            ids_.push_back(id);
        };
    }
    std::vector<int32_t> ids() {
        std::lock_guard<std::mutex> g(lock_);
        return ids_;
    }

private:
    std::mutex lock_;
    std::vector<int32_t> ids_;
};

// COM ports 1.. as links <dir>/com<n> to pseudo-terminals that can be
// pulled out and plugged in again.
class RemotePorts {
public:
    RemotePorts() {
        char dir[] = "/tmp/gz-remote-XXXXXX";
        if (mkdtemp(dir)) dir_ = dir;
        comPortSetPathTemplate(dir_ + "/com%d");
    }
    ~RemotePorts() {
        for (int p = 0; p < 4; ++p) unplug(p);
        ::rmdir(dir_.c_str());
        comPortSetPathTemplate("");
    }
    bool plugIn(int port) {
        int slave = -1;
        char name[128] = {};
        if (openpty(&masters_[port], &slave, name, nullptr, nullptr) != 0) return false;
        ::close(slave);
        return symlink(name, link(port).c_str()) == 0;
    }
    void unplug(int port) {
        if (masters_[port] >= 0) ::close(masters_[port]);
        masters_[port] = -1;
        ::unlink(link(port).c_str());
    }
    // True once somebody (the poller) has the port's device open.
    bool inUse(int port) const {
        pollfd p{masters_[port], POLLOUT, 0};
        return poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
    }
    bool waitInUse(int port, int ms) const {
        for (int i = 0; i < ms && !inUse(port); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return inUse(port);
    }
    void send(int port, const std::string& bytes) {
        ASSERT_EQ(::write(masters_[port], bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }

private:
    std::string link(int port) const { return dir_ + "/com" + std::to_string(port); }
    std::string dir_;
    int masters_[4] = {-1, -1, -1, -1};
};

constexpr RemotePoller::Timing kFastTiming{20, 200, 50};

// Runs passes until the line has been quiet for one read wait; returns what
// the passes did.
std::vector<Pass> pump(RemotePoller& p, int maxPasses = 200) {
    std::vector<Pass> passes;
    for (int i = 0; i < maxPasses; ++i) {
        passes.push_back(p.pollOnce());
        if (passes.back() == Pass::Quiet || passes.back() == Pass::NoPort) break;
    }
    return passes;
}

int count(const std::vector<Pass>& passes, Pass what) {
    return static_cast<int>(std::count(passes.begin(), passes.end(), what));
}

class RemotePollerTest : public ::testing::Test {
protected:
    RemotePorts ports;
    Buzzers buzzers;
    Commands commands;
    ManualClock clock{1000};
};

TEST_F(RemotePollerTest, LinesReachTheShowAsStopsOrPostedCommands) {
    using S = std::vector<PlayerSide>;
    using C = std::vector<int32_t>;
    struct Case {
        const char* what;
        std::string bytes;
        S stops;
        C commands;
    } cases[] = {
        {"left buzzer, CR LF", "0D1234ABCD\r\n", {PlayerSide::Left}, {}},
        {"right buzzer, LF", "1D1234ABCD\n", {PlayerSide::Right}, {}},
        {"keys 2..7 in line order",
         "2D00000000\r3D00000000\r4D00000000\r5D00000000\r6D00000000\r7D00000000\r",
         {},
         {cmd::kStartNextPicture, cmd::kUncoverPicture, cmd::kLeftStarDown, cmd::kLeftStarUp,
          cmd::kRightStarDown, cmd::kRightStarUp}},
        {"release and status do nothing", "1U1234ABCD\r1S1234ABCD\r", {}, {}},
        {"keys 8 and A do nothing", "8D00000000\rAD00000000\r", {}, {}},
        {"garbage before the line", "xx0D0000FFFF\r", {PlayerSide::Left}, {}},
        {"nine digits, then a good line", "5D123456789\r1D00000000\r", {PlayerSide::Right}, {}},
    };
    RemotePoller poller(buzzers, commands.poster(), clock, kFastTiming);
    ASSERT_TRUE(ports.plugIn(0));
    pump(poller);
    ASSERT_GE(poller.slot(), 0);
    std::size_t stopsBefore = 0, commandsBefore = 0;
    for (const Case& c : cases) {
        clock.advance(1000);   // every case starts outside the debounce window
        ports.send(0, c.bytes);
        pump(poller);
        const std::vector<PlayerSide> stops = buzzers.stops();
        const std::vector<int32_t> ids = commands.ids();
        EXPECT_EQ(S(stops.begin() + static_cast<long>(stopsBefore), stops.end()), c.stops) << c.what;
        EXPECT_EQ(C(ids.begin() + static_cast<long>(commandsBefore), ids.end()), c.commands) << c.what;
        stopsBefore = stops.size();
        commandsBefore = ids.size();
    }
}

TEST_F(RemotePollerTest, ALineSplitAcrossReadsActsWhenComplete) {
    RemotePoller poller(buzzers, commands.poster(), clock, kFastTiming);
    ASSERT_TRUE(ports.plugIn(0));
    pump(poller);
    ports.send(0, "xx0D12");
    pump(poller);
    ports.send(0, "34AB");
    pump(poller);
    EXPECT_TRUE(buzzers.stops().empty());
    ports.send(0, "CD\r");
    const std::vector<Pass> passes = pump(poller);
    EXPECT_EQ(count(passes, Pass::Acted), 1);
    EXPECT_EQ(buzzers.stops(), std::vector<PlayerSide>{PlayerSide::Left});
}

TEST_F(RemotePollerTest, PressesOfOneKeyAreDebounced) {
    RemotePoller poller(buzzers, commands.poster(), clock, kFastTiming);
    ASSERT_TRUE(ports.plugIn(0));
    pump(poller);
    const std::string press = "5D00000000\r";
    ports.send(0, press);
    pump(poller);
    clock.advance(60);
    ports.send(0, press);
    pump(poller);
    EXPECT_EQ(commands.ids().size(), 1u) << "60 ms apart";
    clock.advance(90);   // 150 ms after the accepted press
    ports.send(0, press);
    pump(poller);
    EXPECT_EQ(commands.ids().size(), 2u) << "150 ms apart";
    // Two presses in one read: the second is inside the window.
    clock.advance(500);
    ports.send(0, press + press);
    pump(poller);
    EXPECT_EQ(commands.ids().size(), 3u);
}

TEST_F(RemotePollerTest, APulledPortIsRetriedAndReopenedWithoutHelp) {
    RemotePoller poller(buzzers, commands.poster(), clock, kFastTiming);
    ASSERT_TRUE(ports.plugIn(0));
    pump(poller);
    ports.send(0, "0D00000000\r");
    pump(poller);
    ASSERT_EQ(buzzers.stops().size(), 1u);

    ports.unplug(0);
    std::vector<Pass> passes = pump(poller);
    passes.push_back(poller.pollOnce());
    EXPECT_EQ(passes.back(), Pass::NoPort);
    EXPECT_EQ(poller.slot(), -1);
    const uint64_t slept = clock.sleptMs();
    EXPECT_EQ(poller.pollOnce(), Pass::NoPort);
    EXPECT_EQ(clock.sleptMs() - slept, 200u);   // one retry per 200 ms

    ASSERT_TRUE(ports.plugIn(0));
    clock.advance(1000);
    EXPECT_NE(poller.pollOnce(), Pass::NoPort);
    EXPECT_GE(poller.slot(), 0);
    ports.send(0, "0D00000000\r");
    pump(poller);
    EXPECT_EQ(buzzers.stops().size(), 2u);
}

TEST_F(RemotePollerTest, AChangedComPortClosesTheOldPortAndOpensTheNew) {
    RemotePoller poller(buzzers, commands.poster(), clock, kFastTiming);
    ASSERT_TRUE(ports.plugIn(0));
    ASSERT_TRUE(ports.plugIn(1));
    pump(poller);
    EXPECT_EQ(poller.openPort(), 0);
    // A half line on the old port is not completed by the new one.
    ports.send(0, "2D0000");
    pump(poller);
    poller.setComPort(1);
    pump(poller);
    EXPECT_EQ(poller.openPort(), 1);
    // Had the half line been kept, this would complete "2D00000000".
    ports.send(1, "0000\r3D00000000\r");
    pump(poller);
    EXPECT_EQ(commands.ids(), std::vector<int32_t>{cmd::kUncoverPicture});
    // The old device is free again.
    const int32_t slot = comPortOpen(0, 9600, 0, 0, 8, 0);
    EXPECT_GE(slot, 0);
    comPortClose(slot);
}

// The real engine with a recording sound stand-in: who won, who rang.
class CountingSound final : public SoundCues {
public:
    void playEffect(const char* name) override {
        std::lock_guard<std::mutex> g(lock_);
        effects_.push_back(name);
    }
    void pauseMusic() override {}
    void resumeMusic() override {}
    void restartMusic() override {}
    std::vector<std::string> effects() {
        std::lock_guard<std::mutex> g(lock_);
        return effects_;
    }
    void clear() {
        std::lock_guard<std::mutex> g(lock_);
        effects_.clear();
    }

private:
    std::mutex lock_;
    std::vector<std::string> effects_;
};

class FixedShowClock final : public ShowClock {
public:
    uint32_t nowMs() override { return 5000; }
};

TEST_F(RemotePollerTest, BothBuzzersInOneBurstGiveExactlyOneWinner) {
    ShowState state;
    GameContent content;
    FixedShowClock showClock;
    CountingSound sound;
    ShowHost host;
    host.clock = &showClock;
    host.sound = &sound;
    ShowEngine engine(state, content, host);

    RemotePoller poller(engine, commands.poster(), clock, kFastTiming);
    ASSERT_TRUE(ports.plugIn(0));
    pump(poller);
    // Both lines back to back: well within 1 ms on the wire at this speed.
    ports.send(0, "1D00000000\r0D00000000\r");
    pump(poller);
    EXPECT_EQ(state.player(PlayerSide::Right), PlayerState::Buzzed);
    EXPECT_EQ(state.player(PlayerSide::Left), PlayerState::Idle);
    EXPECT_EQ(sound.effects(), std::vector<std::string>{kEffectCling2});
}

TEST_F(RemotePollerTest, ARemoteBuzzRacingTheKeyboardHasExactlyOneWinner) {
    ShowState state;
    GameContent content;
    FixedShowClock showClock;
    CountingSound sound;
    ShowHost host;
    host.clock = &showClock;
    host.sound = &sound;
    ShowEngine engine(state, content, host);

    // Counts the remote's calls so each round waits for its line.
    struct Relay final : BuzzerTarget {
        explicit Relay(BuzzerTarget& t) : target(t) {}
        void stopPlayer(PlayerSide side) override {
            target.stopPlayer(side);
            calls.fetch_add(1);
        }
        BuzzerTarget& target;
        std::atomic<int> calls{0};
    } relay(engine);

    RemotePoller poller(relay, commands.poster(), clock, kFastTiming);
    ASSERT_TRUE(ports.plugIn(0));
    ASSERT_TRUE(poller.start());
    ASSERT_TRUE(ports.waitInUse(0, 2000));
    for (int round = 0; round < 30; ++round) {
        engine.uncoverPicture();
        sound.clear();
        clock.advance(1000);
        const int before = relay.calls.load();
        // The remote's left buzzer and F8 on the keyboard at the same moment.
        std::thread keyboard([&] { engine.stopPlayer(PlayerSide::Right); });
        ports.send(0, "0D00000000\r");
        keyboard.join();
        const auto t0 = std::chrono::steady_clock::now();
        while (relay.calls.load() == before &&
               std::chrono::steady_clock::now() - t0 < std::chrono::seconds(2)) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ASSERT_EQ(relay.calls.load(), before + 1) << "round " << round;
        const bool left = state.player(PlayerSide::Left) == PlayerState::Buzzed;
        const bool right = state.player(PlayerSide::Right) == PlayerState::Buzzed;
        EXPECT_NE(left, right) << "round " << round;
        const std::vector<std::string> rang = sound.effects();
        ASSERT_EQ(rang.size(), 1u) << "round " << round;
        EXPECT_EQ(rang[0], left ? kEffectCling1 : kEffectCling2) << "round " << round;
    }
    poller.stop();
}

TEST_F(RemotePollerTest, TheThreadSurvivesUnplugAndReplugAndStopsPromptly) {
    RemotePoller poller(buzzers, commands.poster(), systemClock(), RemotePoller::Timing{});
    ASSERT_TRUE(ports.plugIn(0));
    ASSERT_TRUE(poller.start());
    EXPECT_FALSE(poller.start());
    auto waitFor = [&](std::size_t n) {
        const auto t0 = std::chrono::steady_clock::now();
        while (buzzers.stops().size() < n &&
               std::chrono::steady_clock::now() - t0 < std::chrono::seconds(2)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return buzzers.stops().size();
    };
    ASSERT_TRUE(ports.waitInUse(0, 2000));
    ports.send(0, "1D00000000\r");
    EXPECT_EQ(waitFor(1), 1u);

    ports.unplug(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    ASSERT_TRUE(ports.plugIn(0));
    // Retried every 200 ms: back within a few retries, without any help.
    ASSERT_TRUE(ports.waitInUse(0, 2000));
    ports.send(0, "1D00000000\r");
    EXPECT_EQ(waitFor(2), 2u);

    const auto t0 = std::chrono::steady_clock::now();
    poller.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(600));
    EXPECT_FALSE(poller.running());
    EXPECT_EQ(poller.slot(), -1);
}

TEST_F(RemotePollerTest, WithoutAnyPortTheThreadRetriesAndStillStops) {
    RemotePoller poller(buzzers, commands.poster(), systemClock(), RemotePoller::Timing{});
    poller.setComPort(3);   // nothing plugged in there
    ASSERT_TRUE(poller.start());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto t0 = std::chrono::steady_clock::now();
    poller.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(600));
    EXPECT_TRUE(buzzers.stops().empty());
}


TEST(RemoteSimulator, ScriptsDriveThePollerLikeTheRemote) {
    RemotePty sim;
    ASSERT_TRUE(sim.open());
    ASSERT_TRUE(comPortSetPathTemplate(sim.slavePath()));   // every COM port is the simulator
    Buzzers buzzers;
    Commands commands;
    RemotePoller poller(buzzers, commands.poster(), systemClock(), RemotePoller::Timing{});
    ASSERT_TRUE(poller.start());
    for (int i = 0; i < 400 && !sim.peerOpen(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(sim.peerOpen());

    std::vector<RemoteScriptStep> steps;
    std::string error;
    // The second left press falls inside the debounce window, the third not;
    // the release line and the garbage do nothing.
    ASSERT_TRUE(parseRemoteScript("0 w20 0 w400 0 5 U5 raw:xx\\x0d 7", RemoteLineEnd::CrLf, steps, error))
        << error;
    ASSERT_TRUE(sim.run(steps, systemClock()));
    const auto t0 = std::chrono::steady_clock::now();
    while (commands.ids().size() < 2 && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(2)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    poller.stop();
    comPortSetPathTemplate("");
    EXPECT_EQ(buzzers.stops(), (std::vector<PlayerSide>{PlayerSide::Left, PlayerSide::Left}));
    EXPECT_EQ(commands.ids(), (std::vector<int32_t>{cmd::kLeftStarUp, cmd::kRightStarUp}));
}

TEST(RemoteSimulator, ScriptTokensBecomeRemoteLines) {
    std::vector<RemoteScriptStep> steps;
    std::string error;
    ASSERT_TRUE(parseRemoteScript(" 0\tU3 w250 raw:a\\r\\n\\x41 f ", RemoteLineEnd::Cr, steps, error));
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(steps[0].bytes, "0D00000001\r");
    EXPECT_EQ(steps[1].bytes, "3U00000002\r");
    EXPECT_EQ(steps[2].kind, RemoteScriptStep::Kind::Wait);
    EXPECT_EQ(steps[2].waitMs, 250u);
    EXPECT_EQ(steps[3].bytes, "a\r\nA");
    EXPECT_EQ(steps[4].bytes, "fD00000003\r");
    EXPECT_EQ(remoteLine('1', 'D', 0xABCD, RemoteLineEnd::CrLf), "1D0000ABCD\r\n");
    EXPECT_EQ(remoteLine('1', 'D', 0xABCD, RemoteLineEnd::Lf), "1D0000ABCD\n");
    for (const char* bad : {"g", "w", "w12x", "w600001", "X3", "U", "raw:", "raw:\\q", "raw:\\x4", "01"}) {
        EXPECT_FALSE(parseRemoteScript(bad, RemoteLineEnd::Cr, steps, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

}  // namespace
}  // namespace gz
