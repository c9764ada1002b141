// What the "Buzzer zuordnen" dialog calls a device's button.
#include "show/buzzer_button_names.h"

#include <gtest/gtest.h>

namespace gz {
namespace {

constexpr const char* kSet = "Buzzer-Set";

TEST(BuzzerButtonNames, DeviceButtons)
{
    struct Case {
        ButtonBinding button;
        const char* quizKey;
        const char* text;
    } cases[] = {
        // The buzzer set by handset and colour, at both ends of its code ranges.
        {{kSet, 0x120}, kSet, "Handsender 1, roter Knopf"},
        {{kSet, 0x125}, kSet, "Handsender 2, roter Knopf"},
        {{kSet, 0x12f}, kSet, "Handsender 4, roter Knopf"},
        {{kSet, 0x2c0}, kSet, "Handsender 4, gelber Knopf"},
        {{kSet, 0x2c3}, kSet, "Handsender 4, blauer Knopf"},
        {{kSet, 0x2c4}, kSet, "Knopf 708 (BTN_TRIGGER_HAPPY5)"},
        {{kSet, 0x130}, kSet, "Knopf 304 (BTN_SOUTH)"},
        // The same codes on another device are plain joystick buttons.
        {{"USB Joystick", 0x120}, kSet, "Knopf 288 (BTN_TRIGGER)"},
        {{"USB Joystick", 0x120}, "", "Knopf 288 (BTN_TRIGGER)"},
        {{"USB Joystick", 0x12b}, "", "Knopf 299 (BTN_BASE6)"},
        {{"USB Joystick", 0x12c}, "", "Knopf 300"},   // a gap in the kernel's table
        {{"USB Joystick", 0x12f}, "", "Knopf 303 (BTN_DEAD)"},
        {{"USB Gamepad", 0x13e}, "", "Knopf 318 (BTN_THUMBR)"},
        {{"USB Gamepad", 0x13f}, "", "Knopf 319"},
        {{"USB Gamepad", 0x223}, "", "Knopf 547 (BTN_DPAD_RIGHT)"},
        {{"USB Gamepad", 0x2e7}, "", "Knopf 743 (BTN_TRIGGER_HAPPY40)"},
        {{"USB Gamepad", 0x2e8}, "", "Knopf 744"},
        {{"Maus", 0x109}, "", "Knopf 265 (BTN_9)"},
        // A buzzer that is a keyboard, read as an input device.
        {{"Quiz Box", 2}, "", "Taste 2 (KEY_1)"},
        {{"Quiz Box", 10}, "", "Taste 10 (KEY_9)"},
        {{"Quiz Box", 11}, "", "Taste 11 (KEY_0)"},
        {{"Quiz Box", 16}, "", "Taste 16 (KEY_Q)"},
        {{"Quiz Box", 25}, "", "Taste 25 (KEY_P)"},
        {{"Quiz Box", 26}, "", "Taste 26"},
        {{"Quiz Box", 50}, "", "Taste 50 (KEY_M)"},
        {{"Quiz Box", 57}, "", "Taste 57 (KEY_SPACE)"},
        {{"Quiz Box", 0xff}, "", "Taste 255"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(deviceButtonText(c.button, c.quizKey), c.text) << c.button.device << " " << c.button.code;
}

}  // namespace
}  // namespace gz
