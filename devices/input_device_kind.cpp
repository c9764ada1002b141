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

// Words from the right: the last one holds bits 0..63.
template <std::size_t N>
bool parseSysfsMask(std::string_view text, std::bitset<N>& bits)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    if (text.empty())
        return false;
    for (std::size_t word = 0; !text.empty(); ++word) {
        const std::size_t blank = text.find_last_of(' ');
        const std::string_view w = blank == std::string_view::npos ? text : text.substr(blank + 1);
        if (w.empty() || w.size() > 16)
            return false;
        for (std::size_t d = 0; d < w.size(); ++d) {
            const char c = w[w.size() - 1 - d];
            const int v = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
            if (v < 0)
                return false;
            for (std::size_t b = 0; b < 4; ++b) {
                const std::size_t bit = word * 64 + d * 4 + b;
                if (((v >> b) & 1) && bit < N)
                    bits.set(bit);
            }
        }
        text = blank == std::string_view::npos ? std::string_view() : text.substr(0, blank);
    }
    return true;
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

bool capabilitiesFromSysfs(std::string_view keyText, std::string_view absText, InputCapabilities& caps)
{
    caps = {};
    if (parseSysfsMask(keyText, caps.keys) && parseSysfsMask(absText, caps.axes))
        return true;
    caps = {};
    return false;
}

}  // namespace gz
