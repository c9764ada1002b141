// Which button of which input device does which of the eight buzzer actions.
//
// The actions are numbered like the remote control's keys 0..7 (see
// remoteKeyAction in show/remote_poller.h): 0 left buzzer, 1 right buzzer,
// 2 next picture, 3 uncover, 4/5 left player's stars -/+, 6/7 right
// player's stars -/+.
//
// A binding names a device and a button code:
// - an input device by its name as the kernel reports it ("USB Gamepad"),
//   with " (2)", " (3)" ... appended for the second and later plugged-in
//   devices of the same name (see inputDeviceKeys), and a Linux key or
//   button code (KEY_*, BTN_*);
// - the window's keyboard by kKeyboardDevice ("Tastatur") and a key code of
//   the window system (a Qt::Key value), for keyboard buzzers that only
//   type a key into the window.
// A button does at most one action; binding it to another action takes it
// off the first.
//
// With nothing bound at all, the four-handset USB buzzer set works without
// asking: handset 1's red button is the left buzzer, handset 2's the right.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gz {

constexpr int kBuzzerActionCount = 8;
constexpr const char* kKeyboardDevice = "Tastatur";

// The German name of action a (0..7), UTF-8: "Buzzer links", "Buzzer rechts",
// "Starte nächstes Bild", "Bild aufdecken", "Erster Spieler -",
// "Erster Spieler +", "Zweiter Spieler -", "Zweiter Spieler +"; empty for
// other numbers.
std::string_view buzzerActionName(int action);

struct ButtonBinding {
    std::string device;   // device key, or kKeyboardDevice
    uint32_t code = 0;    // button or key code on that device
    friend bool operator==(const ButtonBinding&, const ButtonBinding&) = default;
};

class BuzzerMapping {
public:
    const std::optional<ButtonBinding>& binding(int action) const;
    // Binds `b` to `action` (0..7) and takes it off any other action; other
    // numbers are ignored.
    void bind(int action, const ButtonBinding& b);
    void unbind(int action);
    bool empty() const;
    // The action bound to (device, code), or -1.
    int actionFor(std::string_view device, uint32_t code) const;
    friend bool operator==(const BuzzerMapping&, const BuzzerMapping&) = default;

private:
    std::array<std::optional<ButtonBinding>, kBuzzerActionCount> bindings_{};
};

// --- The four-handset USB buzzer set ---

// USB vendor 0x054C with product 0x0002, 0x1000 or 0x1001 (wireless dongle).
bool isQuizBuzzerSet(uint16_t vendor, uint16_t product);
constexpr int kQuizHandsets = 4;
constexpr int kQuizButtonsPerHandset = 5;   // red, yellow, green, orange, blue
// The kernel shows the set as a joystick with 20 buttons: buttons 1..16 are
// BTN_TRIGGER (0x120) .. 0x12f, buttons 17..20 BTN_TRIGGER_HAPPY1 (0x2c0)
// .. 0x2c3. Button n (0-based) belongs to handset n / 5, red first.
uint32_t quizButtonCode(int handset, int button);   // button 0 = red
// The handset (0..3) of a button code of the set, or -1.
int quizHandsetOf(uint32_t code);

// The mapping in force for a device: `stored` itself, or, when nothing at
// all is stored, the buzzer set's default (handset 1 red -> left buzzer,
// handset 2 red -> right buzzer) for the device key `quizDeviceKey` (empty:
// no buzzer set plugged in).
BuzzerMapping effectiveMapping(const BuzzerMapping& stored, const std::string& quizDeviceKey);

// --- Device keys ---

struct NamedDevice {
    std::string name;   // the kernel's device name
    std::string phys;   // its physical path (USB port), for a stable order
};
// One key per device, in the given order: the name, and for the second and
// later devices of the same name (ordered by phys, then by position)
// "name (2)", "name (3)" ...
std::vector<std::string> inputDeviceKeys(const std::vector<NamedDevice>& devices);

// --- Settings text ---
// Each binding is kept as two values per action k: "Buzzer<k>Device" (the
// device key, UTF-8) and "Buzzer<k>Code" (decimal). These helpers give the
// value names.
std::string buzzerDeviceValueName(int action);
std::string buzzerCodeValueName(int action);

}  // namespace gz
