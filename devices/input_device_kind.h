// Which Linux input devices can serve as buzzers, judged by the key codes
// and absolute axes they report.
//
// Taken: game pads (BTN_GAMEPAD .. BTN_THUMBR), joysticks (BTN_JOYSTICK ..
// BTN_DEAD and BTN_TRIGGER_HAPPY*, which is how the four-handset USB buzzer
// set shows up) and keyboard-like devices (any keyboard key, or the
// BTN_0 .. BTN_9 buttons). Left out: pointers, whatever else they have
// (mouse buttons BTN_MOUSE .. BTN_TASK, pen and touch codes BTN_DIGI ..
// BTN_TOOL_QUADTAP, any multi-touch axis ABS_MT_*), and devices without
// keys (switches, accelerometers). A game pad wins over a joystick, a
// joystick over a keyboard.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace gz {

constexpr std::size_t kInputKeyCodeCount = 0x300;   // KEY_CNT
constexpr std::size_t kInputAxisCodeCount = 0x40;   // ABS_CNT

enum class InputDeviceKind : uint8_t { NotUsed, Joystick, Gamepad, KeyboardLike };

struct InputCapabilities {
    std::bitset<kInputKeyCodeCount> keys;   // EV_KEY codes the device has
    std::bitset<kInputAxisCodeCount> axes;  // EV_ABS codes the device has
};

InputDeviceKind classifyInputDevice(const InputCapabilities& caps);

// The capabilities as sysfs shows them without opening the device
// (capabilities/key and capabilities/abs of the input node): hexadecimal
// words of 64 bits separated by blanks, the highest word first, a newline
// at the end. Codes beyond the sets' sizes are dropped. False, with `caps`
// cleared, when either text is not such a mask.
bool capabilitiesFromSysfs(std::string_view keyText, std::string_view absText, InputCapabilities& caps);

}  // namespace gz
