// The input device poller on devices made of pipes (FakeInputDevices),
// driven pass by pass on a manual clock; one test runs its thread.
#include "show/input_poller.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <linux/input.h>

#include "devices/input_event_decoder.h"
#include "show/command_ids.h"
#include "show/show_engine.h"
#include "tests/show/fake_input_devices.h"
#include "tests/show/show_fakes.h"

namespace gz {

// Readable failures: the binding, not its bytes.
void PrintTo(const ButtonBinding& b, std::ostream* os) { *os << '{' << b.device << ", 0x" << std::hex << b.code << std::dec << '}'; }
void PrintTo(const InputDeviceSummary& d, std::ostream* os)
{
    *os << '{' << d.key << ", " << d.name << ", " << d.path << ", quiz " << d.quizSet << ", leds " << d.leds << '}';
}

namespace {

namespace fs = std::filesystem;
using Pass = InputDevicePoller::Pass;
using testing::FakeInputDevices;
using Sides = std::vector<PlayerSide>;
using Ids = std::vector<int32_t>;

constexpr PlayerSide L = PlayerSide::Left;
constexpr PlayerSide R = PlayerSide::Right;

class Buzzers final : public BuzzerTarget {
public:
    void stopPlayer(PlayerSide side) override
    {
        std::lock_guard<std::mutex> g(lock_);
        stops_.push_back(side);
    }
    Sides stops()
    {
        std::lock_guard<std::mutex> g(lock_);
        return stops_;
    }

private:
    std::mutex lock_;
    Sides stops_;
};

class Commands {
public:
    InputDevicePoller::CommandPoster poster()
    {
        return [this](int32_t id) {
            std::lock_guard<std::mutex> g(lock_);
            ids_.push_back(id);
        };
    }
    Ids ids()
    {
        std::lock_guard<std::mutex> g(lock_);
        return ids_;
    }

private:
    std::mutex lock_;
    Ids ids_;
};

std::string key(uint16_t code, int32_t value) { return encodeInputEvent(EV_KEY, code, value); }
std::string report() { return encodeInputEvent(EV_SYN, SYN_REPORT, 0); }
std::string press(uint16_t code) { return key(code, 1) + report(); }
std::string release(uint16_t code) { return key(code, 0) + report(); }

InputDeviceInfo device(const std::string& path, const std::string& name, const std::string& phys = "",
                       uint16_t vendor = 0x1234, uint16_t product = 0x0001)
{
    InputDeviceInfo d;
    d.path = path;
    d.name = name;
    d.phys = phys;
    d.vendor = vendor;
    d.product = product;
    d.kind = InputDeviceKind::Gamepad;
    return d;
}

InputDeviceInfo buzzerSet(const std::string& path, const std::string& phys = "usb-1/input0")
{
    InputDeviceInfo d = device(path, "USB Quiz Buzzers", phys, 0x054C, 0x1000);
    d.kind = InputDeviceKind::Joystick;
    return d;
}

constexpr InputPollerTiming kFastTiming{5, 1000, 50};

class InputPollerTest : public ::testing::Test {
protected:
    // Passes until nothing more arrives (or nothing is open).
    std::vector<Pass> pump()
    {
        std::vector<Pass> passes;
        for (int i = 0; i < 50; ++i) {
            passes.push_back(poller.pollOnce());
            if (passes.back() == Pass::Quiet || passes.back() == Pass::NoDevice)
                break;
        }
        return passes;
    }
    // Time for a rescan, then passes.
    std::vector<Pass> rescan()
    {
        clock.advance(kFastTiming.rescanMs);
        return pump();
    }
    std::vector<std::string> keys()
    {
        std::vector<std::string> out;
        for (const InputDeviceSummary& d : poller.devices())
            out.push_back(d.key);
        return out;
    }

    FakeInputDevices source;
    Buzzers buzzers;
    Commands commands;
    ManualClock clock{1000};
    BuzzerActionGate gate;
    InputDevicePoller poller{buzzers, commands.poster(), gate, source, clock, kFastTiming};
};

bool contains(const std::vector<Pass>& passes, Pass p) { return std::find(passes.begin(), passes.end(), p) != passes.end(); }

// ---------------------------------------------------------------------------

TEST_F(InputPollerTest, BoundPressesActAndNothingElseDoes)
{
    source.plug(device("/dev/input/event3", "USB Gamepad"));
    source.plug(device("/dev/input/event4", "Quiz Keys"));
    BuzzerMapping m;
    m.bind(0, {"USB Gamepad", BTN_SOUTH});
    m.bind(1, {"USB Gamepad", BTN_EAST});
    m.bind(2, {"USB Gamepad", BTN_START});
    m.bind(3, {"Quiz Keys", KEY_3});
    m.bind(4, {"Quiz Keys", KEY_4});
    m.bind(5, {"Quiz Keys", KEY_5});
    m.bind(6, {"Quiz Keys", KEY_6});
    m.bind(7, {"Quiz Keys", KEY_7});
    poller.setMapping(m);
    pump();
    ASSERT_EQ(keys(), (std::vector<std::string>{"USB Gamepad", "Quiz Keys"}));

    const std::string pad = "/dev/input/event3";
    const std::string keysNode = "/dev/input/event4";
    struct Case {
        const char* what;
        std::string node;
        std::string bytes;
        Sides stops;
        Ids commands;
    };
    const Case cases[] = {
        {"left buzzer", pad, press(BTN_SOUTH), {L}, {}},
        {"right buzzer, with noise around it", pad,
         encodeInputEvent(EV_MSC, MSC_SCAN, 0x90001) + encodeInputEvent(EV_ABS, ABS_X, 40) + press(BTN_EAST), {R}, {}},
        {"release alone", pad, release(BTN_SOUTH), {}, {}},
        {"autorepeat of a held key", pad, key(BTN_SOUTH, 2) + key(BTN_SOUTH, 2) + report(), {}, {}},
        {"an unbound button", pad, press(BTN_NORTH), {}, {}},
        {"a bound code on another device", keysNode, press(BTN_SOUTH), {}, {}},
        {"another device's bound key on the pad", pad, press(KEY_3), {}, {}},
        {"commands in press order", keysNode,
         press(KEY_7) + press(KEY_3) + press(KEY_4) + press(KEY_5) + press(KEY_6),
         {},
         {cmd::kRightStarUp, cmd::kUncoverPicture, cmd::kLeftStarDown, cmd::kLeftStarUp, cmd::kRightStarDown}},
        {"next picture", pad, press(BTN_START) + release(BTN_START), {}, {cmd::kStartNextPicture}},
        {"both buzzers in one read: both reach the show", pad, press(BTN_EAST) + press(BTN_SOUTH), {R, L}, {}},
    };
    std::size_t stopsBefore = 0, idsBefore = 0;
    for (const Case& c : cases) {
        clock.advance(1000);   // outside every debounce window
        ASSERT_TRUE(source.send(c.node, c.bytes)) << c.what;
        pump();
        const Sides stops = buzzers.stops();
        const Ids ids = commands.ids();
        EXPECT_EQ(Sides(stops.begin() + static_cast<long>(stopsBefore), stops.end()), c.stops) << c.what;
        EXPECT_EQ(Ids(ids.begin() + static_cast<long>(idsBefore), ids.end()), c.commands) << c.what;
        stopsBefore = stops.size();
        idsBefore = ids.size();
    }
}

TEST_F(InputPollerTest, ARecordCutBetweenWritesActsWhenComplete)
{
    source.plug(device("/dev/input/event3", "USB Gamepad"));
    BuzzerMapping m;
    m.bind(1, {"USB Gamepad", BTN_EAST});
    poller.setMapping(m);
    pump();
    const std::string bytes = press(BTN_EAST);
    ASSERT_TRUE(source.send("/dev/input/event3", bytes.substr(0, 7)));
    pump();
    ASSERT_TRUE(source.send("/dev/input/event3", bytes.substr(7, 16)));
    pump();
    EXPECT_TRUE(buzzers.stops().empty());
    ASSERT_TRUE(source.send("/dev/input/event3", bytes.substr(23)));
    EXPECT_TRUE(contains(pump(), Pass::Acted));
    EXPECT_EQ(buzzers.stops(), Sides{R});
}

TEST_F(InputPollerTest, PressesAreDebouncedPerActionThroughTheSharedGate)
{
    source.plug(device("/dev/input/event3", "USB Gamepad"));
    source.plug(device("/dev/input/event4", "USB Gamepad", "usb-9"));
    BuzzerMapping m;
    m.bind(0, {"USB Gamepad", BTN_SOUTH});
    m.bind(1, {"USB Gamepad (2)", BTN_SOUTH});
    m.bind(5, {"USB Gamepad", BTN_WEST});
    poller.setMapping(m);
    pump();
    const std::string pad = "/dev/input/event3";
    const std::string pad2 = "/dev/input/event4";
    struct Step {
        const char* what;
        uint32_t advanceMs;
        std::string node;
        std::string bytes;
        std::size_t commandsAfter;
        std::size_t stopsAfter;
    };
    const Step steps[] = {
        {"first press", 1000, pad, press(BTN_WEST), 1, 0},
        {"60 ms later", 60, pad, release(BTN_WEST) + press(BTN_WEST), 1, 0},
        {"150 ms after the accepted one", 90, pad, release(BTN_WEST) + press(BTN_WEST), 2, 0},
        {"twice in one read", 1000, pad, press(BTN_WEST) + release(BTN_WEST) + press(BTN_WEST), 3, 0},
        {"left buzzer", 1000, pad, press(BTN_SOUTH), 3, 1},
        {"right buzzer 10 ms later is another action", 10, pad2, press(BTN_SOUTH), 3, 2},
    };
    for (const Step& s : steps) {
        clock.advance(s.advanceMs);
        ASSERT_TRUE(source.send(s.node, s.bytes)) << s.what;
        pump();
        EXPECT_EQ(commands.ids().size(), s.commandsAfter) << s.what;
        EXPECT_EQ(buzzers.stops().size(), s.stopsAfter) << s.what;
    }
    // The same gate is the keyboard's: a typed left buzz just now swallows
    // the device's left buzz.
    clock.advance(1000);
    ASSERT_TRUE(gate.accept(0, clock.nowMs()));
    clock.advance(50);
    ASSERT_TRUE(source.send(pad, release(BTN_SOUTH) + press(BTN_SOUTH)));
    pump();
    EXPECT_EQ(buzzers.stops().size(), 2u);
}

TEST_F(InputPollerTest, TheLearningSinkTakesPressesInsteadOfActing)
{
    source.plug(device("/dev/input/event3", "USB Gamepad"));
    source.plug(device("/dev/input/event5", "Quiz Keys"));
    BuzzerMapping m;
    m.bind(0, {"USB Gamepad", BTN_SOUTH});
    poller.setMapping(m);
    pump();

    std::mutex lock;
    std::vector<ButtonBinding> learned;
    poller.setLearningSink([&](const ButtonBinding& b) {
        std::lock_guard<std::mutex> g(lock);
        learned.push_back(b);
    });
    ASSERT_TRUE(source.send("/dev/input/event3", press(BTN_SOUTH) + key(BTN_SOUTH, 2) + release(BTN_SOUTH)));
    ASSERT_TRUE(source.send("/dev/input/event5", press(KEY_SPACE)));
    EXPECT_TRUE(contains(pump(), Pass::Learned));
    EXPECT_EQ(learned, (std::vector<ButtonBinding>{{"USB Gamepad", BTN_SOUTH}, {"Quiz Keys", KEY_SPACE}}));
    EXPECT_TRUE(buzzers.stops().empty()) << "a learned press must not buzz";

    poller.setLearningSink({});
    clock.advance(1000);
    ASSERT_TRUE(source.send("/dev/input/event3", press(BTN_SOUTH)));
    pump();
    EXPECT_EQ(buzzers.stops(), Sides{L});
    EXPECT_EQ(learned.size(), 2u);
}

TEST_F(InputPollerTest, ABuzzerSetWorksWithoutAnyStoredMapping)
{
    source.plug(device("/dev/input/event2", "USB Joystick"));
    source.plug(buzzerSet("/dev/input/event3", "usb-2/input0"));
    source.plug(buzzerSet("/dev/input/event4", "usb-1/input0"));
    pump();
    // The set on the lower port is the plain name and gets the default.
    EXPECT_EQ(keys(), (std::vector<std::string>{"USB Joystick", "USB Quiz Buzzers (2)", "USB Quiz Buzzers"}));
    const std::vector<InputDeviceSummary> devices = poller.devices();
    EXPECT_FALSE(devices[0].quizSet);
    EXPECT_TRUE(devices[1].quizSet);
    EXPECT_EQ(poller.defaultDeviceKey(), "USB Quiz Buzzers");

    struct Case {
        const char* what;
        std::string node;
        uint16_t code;
        Sides stops;
    };
    const Case cases[] = {
        {"handset 1 red", "/dev/input/event4", static_cast<uint16_t>(quizButtonCode(0, 0)), {L}},
        {"handset 2 red", "/dev/input/event4", static_cast<uint16_t>(quizButtonCode(1, 0)), {R}},
        {"handset 3 red", "/dev/input/event4", static_cast<uint16_t>(quizButtonCode(2, 0)), {}},
        {"handset 1 blue", "/dev/input/event4", static_cast<uint16_t>(quizButtonCode(0, 4)), {}},
        {"the second set's handset 1", "/dev/input/event3", static_cast<uint16_t>(quizButtonCode(0, 0)), {}},
        {"another joystick's trigger", "/dev/input/event2", BTN_TRIGGER, {}},
    };
    std::size_t before = 0;
    for (const Case& c : cases) {
        clock.advance(1000);
        ASSERT_TRUE(source.send(c.node, press(c.code))) << c.what;
        pump();
        const Sides stops = buzzers.stops();
        EXPECT_EQ(Sides(stops.begin() + static_cast<long>(before), stops.end()), c.stops) << c.what;
        before = stops.size();
    }

    // Anything stored replaces the default entirely.
    BuzzerMapping m;
    m.bind(3, {"USB Joystick", BTN_TRIGGER});
    poller.setMapping(m);
    clock.advance(1000);
    ASSERT_TRUE(source.send("/dev/input/event4", press(static_cast<uint16_t>(quizButtonCode(0, 0)))));
    ASSERT_TRUE(source.send("/dev/input/event2", press(BTN_TRIGGER)));
    pump();
    EXPECT_EQ(buzzers.stops().size(), before);
    EXPECT_EQ(commands.ids(), Ids{cmd::kUncoverPicture});

    // Back to nothing stored, with only the other set left: it takes over.
    poller.setMapping({});
    source.unplug("/dev/input/event4");
    pump();
    rescan();
    EXPECT_EQ(keys(), (std::vector<std::string>{"USB Joystick", "USB Quiz Buzzers"}));
    clock.advance(1000);
    ASSERT_TRUE(source.send("/dev/input/event3", press(static_cast<uint16_t>(quizButtonCode(1, 0)))));
    pump();
    EXPECT_EQ(buzzers.stops().size(), before + 1);
    EXPECT_EQ(buzzers.stops().back(), R);
}

TEST_F(InputPollerTest, EqualNamesAreToldApartByPort)
{
    source.plug(device("/dev/input/event5", "USB Gamepad", "usb-3/input0"));
    source.plug(device("/dev/input/event6", "USB Gamepad", "usb-1/input0"));
    source.plug(device("/dev/input/event7", "Quiz Keys"));
    BuzzerMapping m;
    m.bind(0, {"USB Gamepad", BTN_SOUTH});
    m.bind(1, {"USB Gamepad (2)", BTN_SOUTH});
    poller.setMapping(m);
    pump();
    const std::vector<InputDeviceSummary> devices = poller.devices();
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0], (InputDeviceSummary{"USB Gamepad (2)", "USB Gamepad", "/dev/input/event5", false, 0}));
    EXPECT_EQ(devices[1], (InputDeviceSummary{"USB Gamepad", "USB Gamepad", "/dev/input/event6", false, 0}));
    EXPECT_EQ(devices[2].key, "Quiz Keys");

    ASSERT_TRUE(source.send("/dev/input/event5", press(BTN_SOUTH)));
    pump();
    EXPECT_EQ(buzzers.stops(), Sides{R});
    clock.advance(1000);
    ASSERT_TRUE(source.send("/dev/input/event6", press(BTN_SOUTH)));
    pump();
    EXPECT_EQ(buzzers.stops(), (Sides{R, L}));
}

TEST_F(InputPollerTest, DevicesComeAndGoWithoutHelp)
{
    const std::string pad = "/dev/input/event3";
    BuzzerMapping m;
    m.bind(0, {"USB Gamepad", BTN_SOUTH});
    poller.setMapping(m);

    // Nothing there: each pass sleeps its wait, and the nodes are listed
    // again only once per rescan interval.
    EXPECT_EQ(poller.pollOnce(), Pass::NoDevice);
    const uint64_t slept = clock.sleptMs();
    EXPECT_EQ(poller.pollOnce(), Pass::NoDevice);
    EXPECT_EQ(clock.sleptMs() - slept, kFastTiming.pollWaitMs);

    source.plug(device(pad, "USB Gamepad"));
    source.plugNotUsed("/dev/input/event1");   // a mouse
    EXPECT_EQ(poller.pollOnce(), Pass::NoDevice) << "picked up before the rescan is due";
    rescan();
    EXPECT_EQ(source.opens(pad), 1);
    ASSERT_TRUE(source.send(pad, press(BTN_SOUTH)));
    pump();
    EXPECT_EQ(buzzers.stops().size(), 1u);

    // The device's stream ends (pulled out): dropped, then retried.
    ASSERT_TRUE(source.send(pad, release(BTN_SOUTH)));
    source.hangUp(pad);
    const std::vector<Pass> passes = pump();
    EXPECT_TRUE(contains(passes, Pass::Lost));
    EXPECT_TRUE(poller.devices().empty());
    EXPECT_FALSE(source.isOpen(pad)) << "a lost device's descriptor is closed";
    rescan();
    EXPECT_EQ(source.opens(pad), 2);
    clock.advance(1000);
    ASSERT_TRUE(source.send(pad, press(BTN_SOUTH)));
    pump();
    EXPECT_EQ(buzzers.stops().size(), 2u) << "it works again after coming back";

    // Gone for good: not opened again; the mouse was never opened twice.
    source.unplug(pad);
    pump();
    rescan();
    rescan();
    EXPECT_EQ(source.opens(pad), 2);
    EXPECT_TRUE(poller.devices().empty());
    EXPECT_EQ(source.opens("/dev/input/event1"), 1);
    // A node made anew under the mouse's path is looked at again.
    source.plug(device("/dev/input/event1", "USB Gamepad"));
    rescan();
    EXPECT_EQ(source.opens("/dev/input/event1"), 2);
    clock.advance(1000);
    ASSERT_TRUE(source.send("/dev/input/event1", press(BTN_SOUTH)));
    pump();
    EXPECT_EQ(buzzers.stops().size(), 3u);
}

TEST_F(InputPollerTest, LostPressesAreCaughtUpAfterTheKernelDroppedEvents)
{
    const std::string pad = "/dev/input/event3";
    source.plug(device(pad, "USB Gamepad"));
    BuzzerMapping m;
    m.bind(0, {"USB Gamepad", BTN_SOUTH});
    m.bind(1, {"USB Gamepad", BTN_EAST});
    m.bind(2, {"USB Gamepad", BTN_START});
    poller.setMapping(m);
    pump();
    // START is held from before; EAST went down among the lost events; the
    // torn frame's SOUTH press is skipped.
    ASSERT_TRUE(source.send(pad, press(BTN_START)));
    pump();
    ASSERT_EQ(commands.ids().size(), 1u);
    InputKeySet held;
    held.set(BTN_START);
    held.set(BTN_EAST);
    source.setKeysDown(pad, held);
    clock.advance(1000);
    ASSERT_TRUE(source.send(pad, encodeInputEvent(EV_SYN, SYN_DROPPED, 0) + key(BTN_SOUTH, 1) + report()));
    EXPECT_TRUE(contains(pump(), Pass::Acted));
    EXPECT_EQ(buzzers.stops(), Sides{R});
    EXPECT_EQ(commands.ids().size(), 1u) << "a key held all along is no new press";
}

TEST_F(InputPollerTest, ThePermissionStatusIsToldOnChangeOnly)
{
    std::vector<InputAccessStatus> told;
    poller.setStatusSink([&](const InputAccessStatus& s) { told.push_back(s); });
    using K = InputAccessStatus::Kind;
    const auto kinds = [&] {
        std::vector<K> out;
        for (const InputAccessStatus& s : told)
            out.push_back(s.kind);
        return out;
    };

    pump();
    rescan();
    EXPECT_EQ(kinds(), std::vector<K>{K::NoDevice});
    source.plugRefused("/dev/input/event0");
    source.plugRefused("/dev/input/event1");
    rescan();
    rescan();
    EXPECT_EQ(kinds(), (std::vector<K>{K::NoDevice, K::NoPermission}));
    EXPECT_EQ(source.opens("/dev/input/event0"), 2) << "a refused node is tried at every rescan";
    source.plug(device("/dev/input/event2", "USB Gamepad"));
    rescan();
    source.plugNotUsed("/dev/input/event3");
    rescan();
    EXPECT_EQ(kinds(), (std::vector<K>{K::NoDevice, K::NoPermission, K::Open}));
    source.unplug("/dev/input/event2");
    pump();
    rescan();
    source.unplug("/dev/input/event0");
    source.unplug("/dev/input/event1");
    rescan();
    EXPECT_EQ(kinds(), (std::vector<K>{K::NoDevice, K::NoPermission, K::Open, K::NoPermission, K::NoDevice}));

    // A new sink hears the status in force at the next rescan.
    told.clear();
    poller.setStatusSink([&](const InputAccessStatus& s) { told.push_back(s); });
    rescan();
    EXPECT_EQ(kinds(), std::vector<K>{K::NoDevice});
}

TEST(InputAccessStatusText, OnlyAMissingPermissionIsWorthALine)
{
    struct Case {
        InputAccessStatus::Kind kind;
        const char* text;
    };
    const Case cases[] = {
        {InputAccessStatus::NoPermission,
         "Keine Berechtigung für /dev/input – Benutzer zur Gruppe input hinzufügen"},
        {InputAccessStatus::Open, ""},
        {InputAccessStatus::NoDevice, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(inputAccessStatusText({c.kind, "/dev/input"}), c.text) << c.kind;
}

// ---------------------------------------------------------------------------
// LEDs of the buzzer set on a fake sysfs tree, following a real engine.

std::string readFile(const fs::path& p)
{
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class InputPollerLeds : public InputPollerTest {
protected:
    InputPollerLeds()
    {
        char dir[] = "/tmp/gz-leds-XXXXXX";
        if (mkdtemp(dir))
            root = dir;
        InputDeviceInfo set = buzzerSet(node);
        for (int i = 1; i <= 4; ++i) {
            const fs::path led = fs::path(root) / ("0003:054C:1000.0001::buzzer" + std::to_string(i));
            fs::create_directories(led);
            std::ofstream(led / "brightness") << "1\n";   // as left by someone
            std::ofstream(led / "max_brightness") << "255\n";
            set.leds.push_back(led.string());
        }
        source.plug(set);
        rig.store.games = {{1, 12}, {2, 12}, {3, 12}};
    }
    ~InputPollerLeds() override
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    // "1" for a lit LED, "0" for a dark one, per handset; "?" otherwise.
    std::string leds()
    {
        std::string out;
        for (int i = 1; i <= 4; ++i) {
            const std::string v = readFile(fs::path(root) / ("0003:054C:1000.0001::buzzer" + std::to_string(i)) /
                                           "brightness");
            out += v == "255\n" ? '1' : v == "0\n" ? '0' : '?';
        }
        return out;
    }
    void pressHandset(int handset)
    {
        clock.advance(1000);
        ASSERT_TRUE(source.send(node, press(static_cast<uint16_t>(quizButtonCode(handset, 0))) +
                                          release(static_cast<uint16_t>(quizButtonCode(handset, 0)))));
    }

    const std::string node = "/dev/input/event8";
    std::string root;
    testing::ShowRig rig;
};

TEST_F(InputPollerLeds, TheHandsetThatBuzzedFirstLightsUntilThePictureIsUncovered)
{
    InputDevicePoller p(rig.engine, commands.poster(), gate, source, clock, kFastTiming);
    p.setBuzzState([this](PlayerSide s) { return rig.state.hasBuzzed(s); });
    p.pollOnce();
    EXPECT_EQ(leds(), "0000") << "all dark once the set is open";

    ASSERT_TRUE(rig.engine.runCommand(cmd::kStartNextPicture));
    rig.run(3000);
    // Handset 2 (right) buzzes: its LED is lit by the pass that buzzed.
    pressHandset(1);
    EXPECT_EQ(p.pollOnce(), Pass::Acted);
    EXPECT_TRUE(rig.state.hasBuzzed(R));
    EXPECT_EQ(leds(), "0100");
    // Handset 1 comes too late: refused by the engine, stays dark.
    pressHandset(0);
    p.pollOnce();
    EXPECT_EQ(leds(), "0100");

    // Uncovering clears the buzz; the next pass turns the LED off.
    rig.engine.uncoverPicture();
    p.pollOnce();
    EXPECT_EQ(leds(), "0000");

    // A buzz from elsewhere (the remote, the keyboard) lights the handset
    // bound to that side too.
    ASSERT_TRUE(rig.engine.runCommand(cmd::kStartNextPicture));
    rig.engine.stopPlayer(L);
    p.pollOnce();
    EXPECT_EQ(leds(), "1000");

    // A mapping that puts the left buzzer on handset 4's red button.
    BuzzerMapping m;
    m.bind(0, {"USB Quiz Buzzers", quizButtonCode(3, 0)});
    m.bind(1, {"USB Quiz Buzzers", quizButtonCode(2, 3)});
    p.setMapping(m);
    p.pollOnce();
    EXPECT_EQ(leds(), "0001");

    // Written on change only: a LED changed behind the poller's back stays.
    std::ofstream(fs::path(root) / "0003:054C:1000.0001::buzzer4" / "brightness") << "7\n";
    p.pollOnce();
    EXPECT_EQ(leds(), "000?");

    p.closeDevices();
    EXPECT_EQ(leds(), "0000") << "all off when the poller closes";
}

TEST_F(InputPollerLeds, TheThreadRunsTheShowAndLeavesTheLedsOff)
{
    InputDevicePoller p(rig.engine, commands.poster(), gate, source, systemClock(), InputPollerTiming{});
    p.setBuzzState([this](PlayerSide s) { return rig.state.hasBuzzed(s); });
    ASSERT_TRUE(rig.engine.runCommand(cmd::kStartNextPicture));
    ASSERT_TRUE(p.start());
    EXPECT_FALSE(p.start());
    const auto waitFor = [](auto done) {
        const auto t0 = std::chrono::steady_clock::now();
        while (!done() && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(3))
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return done();
    };
    ASSERT_TRUE(waitFor([&] { return source.isOpen(node); }));
    ASSERT_TRUE(source.send(node, press(static_cast<uint16_t>(quizButtonCode(0, 0)))));
    ASSERT_TRUE(waitFor([&] { return rig.state.hasBuzzed(L); }));
    EXPECT_TRUE(waitFor([&] { return leds() == "1000"; }));
    p.stop();
    EXPECT_FALSE(p.running());
    EXPECT_EQ(source.openCount(), 0) << "the thread closes its devices";
    EXPECT_EQ(leds(), "0000");
    EXPECT_TRUE(p.devices().empty());
}

}  // namespace
}  // namespace gz
