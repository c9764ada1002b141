#include "devices/input_leds.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace gz {
namespace {

namespace fs = std::filesystem;

constexpr const char* kHid = "0003:054C:1000.0004";

std::string readFile(const fs::path& p)
{
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const fs::path& p, const std::string& text)
{
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
}

// A sysfs tree in a temporary folder, laid out like the kernel's: the HID
// node holds the input device, which holds the event node; class/input and
// class/leds link into it.
class FakeSysfs {
public:
    FakeSysfs()
    {
        char dir[] = "/tmp/gz-sysfs-XXXXXX";
        if (mkdtemp(dir))
            root_ = dir;
    }
    ~FakeSysfs()
    {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    const std::string& root() const { return root_; }

    // The HID node `hid` with input device inputN and event node eventN.
    void addDevice(const std::string& hid, int n)
    {
        const fs::path hidDir = hidPath(hid);
        const fs::path input = hidDir / "input" / ("input" + std::to_string(n));
        const fs::path event = input / ("event" + std::to_string(n));
        fs::create_directories(event);
        fs::create_directory_symlink("../..", input / "device");   // inputN/device -> HID node
        fs::create_directory_symlink("..", event / "device");      // eventN/device -> inputN
        fs::create_directories(fs::path(root_) / "class" / "input");
        fs::create_directory_symlink(event, fs::path(root_) / "class" / "input" / ("event" + std::to_string(n)));
    }
    // An LED of the HID node, in its leds/ folder and linked from class/leds.
    fs::path addLed(const std::string& hid, const std::string& name, const std::string& max = "1",
                    bool linked = true)
    {
        const fs::path led = hidPath(hid) / "leds" / name;
        writeFile(led / "brightness", "0\n");
        if (!max.empty())
            writeFile(led / "max_brightness", max + "\n");
        if (linked) {
            fs::create_directories(fs::path(root_) / "class" / "leds");
            fs::create_directory_symlink(led, fs::path(root_) / "class" / "leds" / name);
        }
        return led;
    }
    // An LED only under class/leds, as a folder of its own.
    void addClassLed(const std::string& name)
    {
        writeFile(fs::path(root_) / "class" / "leds" / name / "brightness", "0\n");
    }

private:
    fs::path hidPath(const std::string& hid) const
    {
        return fs::path(root_) / "devices" / "pci0000:00" / "usb1" / "1-1" / "1-1:1.0" / hid;
    }
    std::string root_;
};

std::vector<std::string> names(const std::vector<std::string>& leds)
{
    std::vector<std::string> out;
    for (const std::string& l : leds)
        out.push_back(fs::path(l).filename().string());
    return out;
}

TEST(InputLeds, TheBuzzerSetsLedsComeInHandsetOrder)
{
    FakeSysfs sys;
    sys.addDevice(kHid, 5);
    sys.addDevice("0003:054C:1000.0005", 6);   // a second set, whose LEDs are not ours
    const std::string h = kHid;
    for (const char* n : {"::buzzer3", "::buzzer1", "::buzzer10", "::buzzer4", "::buzzer2", "::status"})
        sys.addLed(kHid, h + n);
    sys.addLed("0003:054C:1000.0005", "0003:054C:1000.0005::buzzer1");
    fs::create_directories(fs::path(sys.root()) / "devices" / "pci0000:00" / "usb1" / "1-1" / "1-1:1.0" / kHid /
                           "leds" / "no-brightness");
    sys.addClassLed("input3::capslock");

    EXPECT_EQ(names(inputDeviceLeds(sys.root(), "event5")),
              (std::vector<std::string>{h + "::buzzer1", h + "::buzzer2", h + "::buzzer3", h + "::buzzer4",
                                        h + "::buzzer10", h + "::status"}));
    EXPECT_EQ(names(inputDeviceLeds(sys.root(), "event6")),
              (std::vector<std::string>{"0003:054C:1000.0005::buzzer1"}));
}

TEST(InputLeds, WithoutALedsFolderTheClassLedsOfTheHidNodeCount)
{
    FakeSysfs sys;
    sys.addDevice(kHid, 7);
    const std::string h = kHid;
    for (const char* n : {"::buzzer2", "::buzzer1"})
        sys.addClassLed(h + n);
    sys.addClassLed(h + "0::buzzer1");   // another node whose name starts alike
    sys.addClassLed("input7::numlock");
    EXPECT_EQ(names(inputDeviceLeds(sys.root(), "event7")),
              (std::vector<std::string>{h + "::buzzer1", h + "::buzzer2"}));
}

TEST(InputLeds, NoTreeOrAStrayNameGivesNoLeds)
{
    FakeSysfs sys;
    sys.addDevice(kHid, 5);
    sys.addLed(kHid, std::string(kHid) + "::buzzer1");
    EXPECT_TRUE(inputDeviceLeds(sys.root() + "/nothing", "event5").empty());
    EXPECT_TRUE(inputDeviceLeds(sys.root(), "event9").empty());
    EXPECT_TRUE(inputDeviceLeds(sys.root(), "").empty());
    EXPECT_TRUE(inputDeviceLeds(sys.root(), "../input/event5").empty());
}

TEST(InputLeds, OnWritesTheMaximumOffWritesZero)
{
    FakeSysfs sys;
    struct Case {
        const char* what;
        std::string max;   // empty: no max_brightness file
        std::string on;
    };
    const Case cases[] = {
        {"a plain LED", "1", "1\n"},
        {"a dimmable LED", "255", "255\n"},
        {"no maximum given", "", "1\n"},
        {"a broken maximum", "x", "1\n"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const fs::path led = sys.addLed(kHid, "led" + std::to_string(n++), c.max, false);
        EXPECT_TRUE(setInputLed(led.string(), true)) << c.what;
        EXPECT_EQ(readFile(led / "brightness"), c.on) << c.what;
        EXPECT_TRUE(setInputLed(led.string(), false)) << c.what;
        EXPECT_EQ(readFile(led / "brightness"), "0\n") << c.what;
    }
    EXPECT_FALSE(setInputLed(sys.root() + "/no-such-led", true));
    EXPECT_FALSE(setInputLed(sys.root() + "/no-such-led", false));
}

}  // namespace
}  // namespace gz
