// Buzzers on Linux input devices: every game pad, joystick and keyboard-like
// device (the four-handset USB buzzer set among them), read by the
// InputDevicePoller on its own thread beside the RemotePoller.
//
// A press (EV_KEY value 1) of a button bound in the mapping runs its action
// (show/buzzer_action.h) on the poller thread, through the BuzzerActionGate
// all sources share: a buzzer calls stopPlayer at once, so of two presses
// the first one read wins. Releases and autorepeats do nothing. With no
// mapping stored at all, a plugged-in buzzer set works with its default
// (effectiveMapping). While a learning sink is set, presses are handed to it
// instead and do nothing else.
//
// Devices come and go without help: the source's candidates are listed
// again every rescanMs and new ones opened; a device whose read fails
// (pulled out) is closed and its node tried again at the next rescans.
// Nodes that are no buzzers (mice, touchpads) are not opened again until
// their node is made anew. Device keys follow inputDeviceKeys over the open
// devices. Nothing here shows anything: a status sink learns when devices
// are there but none may be opened.
//
// LEDs: on the buzzer set, the LED of the handset bound to the left buzzer
// (action 0) is lit exactly while the left player has buzzed, likewise the
// right; so the handset that buzzed first stays lit until the picture is
// uncovered. They follow right after the poller's own buzz, otherwise at
// every pass; a LED is written only when it changes, and all go off when the
// poller closes its devices.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "devices/input_device_source.h"
#include "devices/monotonic_clock.h"
#include "show/buzzer_action.h"
#include "show/buzzer_mapping.h"
#include "show/poller_thread.h"
#include "show/show_host.h"

namespace gz {

struct InputKeyEvent;

// Whether the devices could be opened. Told only on change.
struct InputAccessStatus {
    enum Kind {
        NoDevice,       // no candidate could be opened, none was refused
        Open,           // at least one device is open and read
        NoPermission,   // none is open, and some were refused for lack of permission
    };
    Kind kind = NoDevice;
    std::string directory;   // where the devices are ("/dev/input")
    friend bool operator==(const InputAccessStatus&, const InputAccessStatus&) = default;
};

// The German status-bar line (UTF-8) for NoPermission; empty otherwise.
std::string inputAccessStatusText(const InputAccessStatus& status);

struct InputDeviceSummary {
    std::string key;    // device key, as bindings name it
    std::string name;   // the kernel's device name
    std::string path;
    bool quizSet = false;   // the four-handset USB buzzer set
    int leds = 0;
    friend bool operator==(const InputDeviceSummary&, const InputDeviceSummary&) = default;
};

struct InputPollerTiming {
    uint32_t pollWaitMs = 100;   // wait for events per pass (and sleep without devices)
    uint32_t rescanMs = 1000;    // list the candidates again this often
    uint32_t stopPollMs = 50;    // stop() looks for the thread's end this often
};

class InputDevicePoller {
public:
    // Both spellings work: gz::InputDeviceSummary and this one.
    using InputDeviceSummary = gz::InputDeviceSummary;
    // Receives the command ids of actions 2..7 on the poller thread: it must
    // queue them to the window thread, never run them.
    using CommandPoster = BuzzerCommandPoster;
    using Timing = InputPollerTiming;
    using PressSink = std::function<void(const ButtonBinding&)>;
    using StatusSink = std::function<void(const InputAccessStatus&)>;

    // What one pass did; when several things happened, the first in this
    // order that applies: Acted, Learned, Lost, Read, Quiet, NoDevice.
    enum class Pass {
        NoDevice,   // no device open; slept pollWaitMs
        Quiet,      // nothing arrived within pollWaitMs
        Read,       // events arrived; none acted (release, repeat, unbound, debounced)
        Lost,       // a device's read failed; it was closed
        Learned,    // a press went to the learning sink
        Acted,      // a press ran its action
    };

    // `buzzer`, `gate` and `source` must outlive the poller; `clock` gives
    // the press times for the gate, the rescan interval and the sleep
    // without devices.
    InputDevicePoller(BuzzerTarget& buzzer, CommandPoster post, BuzzerActionGate& gate,
                      InputDeviceSource& source, MonotonicClock& clock = systemClock(),
                      Timing timing = Timing());
    ~InputDevicePoller();   // stop(), then closes the devices
    InputDevicePoller(const InputDevicePoller&) = delete;
    InputDevicePoller& operator=(const InputDevicePoller&) = delete;

    // The stored mapping; the poller applies effectiveMapping() with the key
    // of a plugged-in buzzer set itself, from its next pass on. Any thread.
    void setMapping(const BuzzerMapping& mapping);
    BuzzerMapping mapping() const;

    // While set, every press of an open device goes to `sink` (on the poller
    // thread) as {device key, code} and does not act; an empty function goes
    // back to acting. A press being handed over while the sink is replaced
    // may still reach the old one. Any thread.
    void setLearningSink(PressSink sink);

    // The devices open now, in node order. Any thread.
    std::vector<InputDeviceSummary> devices() const;
    // The buzzer set that gets the default buttons (its device key), empty
    // without one. Any thread.
    std::string defaultDeviceKey() const;

    // Whether a side has buzzed, for the LEDs. Set it before start().
    void setBuzzState(std::function<bool(PlayerSide)> isBuzzed) { isBuzzed_ = std::move(isBuzzed); }

    // Told on the poller thread when the access status changes; a new sink
    // is told the status at the next rescan. Any thread.
    void setStatusSink(StatusSink sink);

    // Starts the thread; false if it is running already.
    bool start();
    // Sets the stop flag and waits (looking every stopPollMs) until the
    // thread has closed its devices and ended. Harmless when not running.
    void stop();
    bool running() const { return thread_.running(); }

    // One pass of the loop: the thread runs these until stopped; tests may
    // drive a poller that was not started.
    Pass pollOnce();
    // Turns the LEDs off and closes every device (the thread's last act).
    void closeDevices();

private:
    struct Device;

    void rescan();
    void devicesChanged();
    void refreshMapping();
    Pass readDevice(Device& d);
    Pass handleEvents(Device& d);
    Pass press(Device& d, uint16_t code);
    void updateLeds();
    void report(const InputAccessStatus& status);

    BuzzerTarget& buzzer_;
    CommandPoster post_;
    BuzzerActionGate& gate_;
    InputDeviceSource& source_;
    MonotonicClock& clock_;
    Timing timing_;
    std::function<bool(PlayerSide)> isBuzzed_;

    mutable std::mutex mappingLock_;
    BuzzerMapping stored_;                      // guarded by mappingLock_
    std::atomic<uint32_t> mappingGeneration_{1};
    mutable std::mutex sinkLock_;
    PressSink learningSink_;                    // guarded by sinkLock_
    StatusSink statusSink_;                     // guarded by sinkLock_
    std::optional<InputAccessStatus> lastStatus_;   // guarded by sinkLock_
    mutable std::mutex summaryLock_;
    std::vector<InputDeviceSummary> summaries_;  // guarded by summaryLock_
    std::string summaryDefaultKey_;              // guarded by summaryLock_

    // Thread-private state.
    std::vector<std::unique_ptr<Device>> devices_;
    std::vector<InputCandidate> notUsed_;   // nodes that are no buzzers
    BuzzerMapping effective_;
    uint32_t seenGeneration_ = 0;
    bool effectiveStale_ = true;
    std::string quizKey_;
    bool scanned_ = false;
    uint32_t lastScanMs_ = 0;
    std::vector<InputKeyEvent> events_;

    PollerThread thread_;   // declared last: it stops before the rest goes
};

}  // namespace gz
