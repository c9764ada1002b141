#include "devices/input_device_kind.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <initializer_list>

#include <linux/input.h>

namespace gz {
namespace {

InputCapabilities caps(std::initializer_list<unsigned> keys, std::initializer_list<unsigned> axes = {})
{
    InputCapabilities c;
    for (unsigned k : keys)
        c.keys.set(k);
    for (unsigned a : axes)
        c.axes.set(a);
    return c;
}

TEST(InputDeviceKind, ButtonDevicesAreTakenPointersAndKeylessDevicesNot)
{
    using K = InputDeviceKind;
    struct Case {
        const char* what;
        InputCapabilities caps;
        InputDeviceKind kind;
    };
    const Case cases[] = {
        // The four-handset buzzer set: 16 joystick buttons and 4 more.
        {"buzzer set",
         caps({BTN_TRIGGER, BTN_THUMB, BTN_BASE, BTN_DEAD, BTN_TRIGGER_HAPPY1, BTN_TRIGGER_HAPPY4}), K::Joystick},
        {"only extra buttons", caps({BTN_TRIGGER_HAPPY40}), K::Joystick},
        {"flight stick", caps({BTN_TRIGGER, BTN_THUMB2}, {ABS_X, ABS_Y, ABS_THROTTLE}), K::Joystick},
        {"game pad", caps({BTN_SOUTH, BTN_EAST, BTN_START, BTN_MODE}, {ABS_X, ABS_RZ, ABS_HAT0X}), K::Gamepad},
        {"game pad beats joystick", caps({BTN_TRIGGER, BTN_THUMBR}), K::Gamepad},
        {"keyboard", caps({KEY_ESC, KEY_A, KEY_SPACE, KEY_F8}), K::KeyboardLike},
        {"keyboard-like buzzer with four keys", caps({KEY_1, KEY_2, KEY_3, KEY_4}), K::KeyboardLike},
        {"numbered buttons", caps({BTN_0, BTN_9}), K::KeyboardLike},
        {"high key codes", caps({KEY_OK, KEY_NUMERIC_0}), K::KeyboardLike},
        {"power button", caps({KEY_POWER}), K::KeyboardLike},
        {"mouse with media keys", caps({BTN_LEFT, BTN_RIGHT, KEY_VOLUMEUP}), K::NotUsed},
        {"extra mouse button only", caps({BTN_TASK}), K::NotUsed},
        {"touchpad", caps({BTN_TOOL_FINGER, BTN_TOUCH, BTN_LEFT}, {ABS_X, ABS_MT_SLOT}), K::NotUsed},
        {"touch screen", caps({BTN_TOUCH}, {ABS_MT_POSITION_X, ABS_MT_POSITION_Y}), K::NotUsed},
        {"multi-touch axis alone", caps({KEY_A}, {ABS_MT_TOOL_Y}), K::NotUsed},
        {"pen tablet", caps({BTN_TOOL_PEN, BTN_STYLUS}, {ABS_X, ABS_PRESSURE}), K::NotUsed},
        {"a pad's touch surface", caps({BTN_SOUTH, BTN_TOUCH}, {ABS_MT_SLOT}), K::NotUsed},
        {"accelerometer", caps({}, {ABS_X, ABS_Y, ABS_Z}), K::NotUsed},
        {"gear buttons only", caps({BTN_GEAR_DOWN, BTN_GEAR_UP}), K::NotUsed},
        {"reserved code only", caps({KEY_RESERVED}), K::NotUsed},
        {"nothing", caps({}), K::NotUsed},
    };
    for (const Case& c : cases)
        EXPECT_EQ(classifyInputDevice(c.caps), c.kind) << c.what;
}

TEST(InputDeviceKind, SysfsMasksAreReadWordByWordFromTheRight)
{
    struct Case {
        const char* key;
        const char* abs;
        bool ok;
        std::vector<unsigned> keys;   // codes expected set
        std::vector<unsigned> axes;
    };
    const Case cases[] = {
        {"0\n", "0\n", true, {}, {}},
        {"40000000\n", "0\n", true, {30}, {}},                              // KEY_A
        {"1000000000000 0 0 0 0\n", "3\n", true, {0x130}, {0, 1}},          // BTN_SOUTH, X/Y
        {"ffff0000 0 0 0 0\n", "0", true, {0x110, 0x11f}, {}},               // mouse buttons
        {"f 0 0 0 0 0 0 0 0 0 0 0 0\n", "0\n", true, {}, {}},                 // beyond KEY_CNT: dropped
        {"", "0\n", false, {}, {}},
        {"12 zz\n", "0\n", false, {}, {}},
        {"11111111111111111 0\n", "0\n", false, {}, {}},                     // 17 digits
        {"1\n", "", false, {}, {}},
    };
    for (const Case& c : cases) {
        InputCapabilities caps;
        caps.keys.set(1);   // must be cleared either way
        EXPECT_EQ(capabilitiesFromSysfs(c.key, c.abs, caps), c.ok) << c.key;
        std::vector<unsigned> keys, axes;
        for (unsigned i = 0; i < caps.keys.size(); ++i)
            if (caps.keys.test(i))
                keys.push_back(i);
        for (unsigned i = 0; i < caps.axes.size(); ++i)
            if (caps.axes.test(i))
                axes.push_back(i);
        if (!c.ok) {
            EXPECT_TRUE(keys.empty() && axes.empty()) << c.key;
            continue;
        }
        for (unsigned k : c.keys)
            EXPECT_NE(std::find(keys.begin(), keys.end(), k), keys.end()) << c.key << " code " << k;
        EXPECT_EQ(axes, c.axes) << c.key;
    }
    // The whole mouse word, exactly.
    InputCapabilities mouse;
    ASSERT_TRUE(capabilitiesFromSysfs("ffff0000 0 0 0 0\n", "0\n", mouse));
    EXPECT_EQ(mouse.keys.count(), 16u);
    EXPECT_EQ(classifyInputDevice(mouse), InputDeviceKind::NotUsed);
}

}  // namespace
}  // namespace gz
