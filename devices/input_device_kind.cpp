#include "devices/input_device_kind.h"

#include <linux/input.h>

namespace gz {
namespace {

static_assert(kInputKeyCodeCount == KEY_CNT);
static_assert(kInputAxisCodeCount == ABS_CNT);

bool anyKey(const InputCapabilities& caps, unsigned first, unsigned last)
{
    for (unsigned c = first; c <= last; ++c)
        if (caps.keys.test(c))
            return true;
    return false;
}

bool anyAxis(const InputCapabilities& caps, unsigned first, unsigned last)
{
    for (unsigned c = first; c <= last; ++c)
        if (caps.axes.test(c))
            return true;
    return false;
}

}  // namespace

InputDeviceKind classifyInputDevice(const InputCapabilities& caps)
{
    // Pointers first: a mouse or touchpad often has keyboard keys as well
    // (media keys on a receiver), and must not take a player's press.
    if (anyKey(caps, BTN_MOUSE, BTN_TASK) || anyKey(caps, BTN_DIGI, BTN_TOOL_QUADTAP) ||
        anyAxis(caps, ABS_MT_SLOT, ABS_MT_TOOL_Y))
        return InputDeviceKind::NotUsed;
    if (anyKey(caps, BTN_GAMEPAD, BTN_THUMBR))
        return InputDeviceKind::Gamepad;
    if (anyKey(caps, BTN_JOYSTICK, BTN_DEAD) || anyKey(caps, BTN_TRIGGER_HAPPY, BTN_TRIGGER_HAPPY40))
        return InputDeviceKind::Joystick;
    if (anyKey(caps, KEY_ESC, BTN_9) || anyKey(caps, KEY_OK, BTN_TRIGGER_HAPPY - 1))
        return InputDeviceKind::KeyboardLike;
    return InputDeviceKind::NotUsed;
}

}  // namespace gz
