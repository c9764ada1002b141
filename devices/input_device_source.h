// Where the buzzer poller gets its input devices from: which device nodes
// are there, opening one together with what it is, and closing it. The
// poller sees only this interface, so tests hand it pipes instead of device
// nodes (CI has no /dev/input).
//
// Contract of every InputDeviceSource; the poller calls it from one thread
// at a time:
// - candidates(): the device nodes present now, each with an identity that
//   differs when a node of the same path is made anew (one device pulled,
//   another plugged in), in a fixed order. Cheap enough to call every second.
// - open(path): a non-blocking descriptor that delivers kernel input_event
//   records, and what the device is. Devices that cannot be buzzers (see
//   classifyInputDevice) give NotUsed and no descriptor; an open refused for
//   lack of permission gives NoPermission (the real source: NotUsed when
//   the device is plainly a keyboard or pointer), anything else that failed
//   (missing, busy, pulled meanwhile) Unavailable.
// - keysDown(fd): the keys held now, for catching up after the kernel
//   dropped events; false when the source cannot tell.
// - close(fd): the descriptor from open() goes back.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "devices/input_device_kind.h"

namespace gz {

struct InputCandidate {
    std::string path;
    uint64_t identity = 0;
    friend bool operator==(const InputCandidate&, const InputCandidate&) = default;
};

struct InputDeviceInfo {
    std::string path;
    std::string name;      // the kernel's device name
    std::string phys;      // physical path (USB port); may be empty
    uint16_t vendor = 0;   // USB ids
    uint16_t product = 0;
    InputDeviceKind kind = InputDeviceKind::NotUsed;
    std::vector<std::string> leds;   // LED folders in number order (devices/input_leds.h)
};

struct InputOpenResult {
    enum class Status : uint8_t { Opened, NoPermission, Unavailable, NotUsed };
    Status status = Status::Unavailable;
    int fd = -1;            // set when Opened
    InputDeviceInfo info;   // set when Opened
};

using InputKeySet = std::bitset<kInputKeyCodeCount>;

class InputDeviceSource {
public:
    virtual ~InputDeviceSource() = default;
    // The folder the candidates are in, for the user's eyes ("/dev/input").
    virtual std::string directory() const = 0;
    virtual std::vector<InputCandidate> candidates() = 0;
    virtual InputOpenResult open(const std::string& path) = 0;
    virtual bool keysDown(int fd, InputKeySet& down) = 0;
    virtual void close(int fd) = 0;
};

// The real devices: event* nodes under `devRoot`, read through libevdev;
// their LEDs looked up under `sysfsRoot` (see devices/input_leds.h).
class LinuxInputDeviceSource final : public InputDeviceSource {
public:
    explicit LinuxInputDeviceSource(std::string devRoot = "/dev/input", std::string sysfsRoot = "/sys");

    std::string directory() const override { return devRoot_; }
    std::vector<InputCandidate> candidates() override;
    InputOpenResult open(const std::string& path) override;
    bool keysDown(int fd, InputKeySet& down) override;
    void close(int fd) override;

private:
    InputOpenResult::Status refusedStatus(const std::string& eventNode) const;

    std::string devRoot_;
    std::string sysfsRoot_;
};

}  // namespace gz
