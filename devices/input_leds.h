// The LEDs of the hardware behind an input event node, through sysfs.
//
// A driver that gives a device LEDs (the four-handset USB buzzer set gets
// one per handset) makes them children of the device's HID node, named
// "<hid device>::<function><n>". They are found from the event node
// /sys/class/input/eventN: its device (inputM) has the HID node as its
// device, whose leds/ folder holds them; failing that, the entries of
// /sys/class/leds whose names start with "<hid device>::". Only LEDs with a
// brightness file count. They come ordered by the number their name ends
// in (unnumbered ones last, by name), so LED i is handset i + 1's.
//
// Everything fails silently: a missing tree gives no LEDs, a refused write
// gives false. `sysfsRoot` is "/sys" on a real system.
#pragma once

#include <string>
#include <vector>

namespace gz {

// `eventNode` is the node's name, "event5".
std::vector<std::string> inputDeviceLeds(const std::string& sysfsRoot, const std::string& eventNode);

// Writes max_brightness (1 when that cannot be read) or 0 to the LED's
// brightness file. False when the write fails.
bool setInputLed(const std::string& ledDir, bool on);

}  // namespace gz
