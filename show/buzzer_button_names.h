// Readable German names of input-device buttons, for the "Buzzer zuordnen"
// dialog: what the game master sees beside each action. Keys typed into
// the window (kKeyboardDevice) are named by the window system's layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "show/buzzer_mapping.h"

namespace gz {

// The kernel's name of a key or button code ("KEY_1", "BTN_SOUTH",
// "BTN_TRIGGER_HAPPY3"), for the codes buzzers, game pads and joysticks
// use; empty for others.
std::string inputCodeName(uint32_t code);

// The button part of a device binding, UTF-8:
// - a button of the buzzer set (`device` is `quizDeviceKey`): "Handsender 2,
//   roter Knopf";
// - a key code (below 0x100): "Taste 2 (KEY_1)";
// - any other button: "Knopf 304 (BTN_SOUTH)", or "Knopf 704" without a
//   known name.
std::string deviceButtonText(const ButtonBinding& button, std::string_view quizDeviceKey);

}  // namespace gz
