// Player input from the remote control: the 11-byte lines it sends on a
// serial port, and the RemotePoller thread that reads them.
//
// A line is "kDhhhhhhhh" plus CR or LF: k one hexadecimal digit (the key;
// keys 0..7 act), an event letter ('D' pressed; 'U' and 'S' are framed and
// ignored), eight hexadecimal digits without meaning, and the line end (an
// LF after a CR is dropped as noise). Bytes that do not form a line are
// dropped by the resynchronisation and framing rules of RemoteFramer.
//
// Keys 0 and 1 are the buzzers: the poller calls BuzzerTarget::stopPlayer
// on its own thread at once. Keys 2..7 are posted as command ids (which the
// view runs only when their enable rule allows). A key acts at most once
// within 100 ms of its last accepted press.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "devices/monotonic_clock.h"
#include "game/game_content.h"
#include "show/poller_thread.h"
#include "show/show_host.h"

namespace gz {

constexpr int kRemoteKeyCount = 8;           // keys '0'..'7' act
constexpr std::size_t kRemoteLineLength = 11;
constexpr uint32_t kRemoteDebounceMs = 100;  // inclusive
constexpr uint32_t kRemoteBaud = 9600;

struct RemoteMessage {
    char key = 0;     // byte 0, a hexadecimal digit character
    char event = 0;   // byte 1: 'D', 'U' or 'S'
};

// What key k (0..7) does; isStop picks stopPlayer(side), else `command` is
// posted. Keys outside 0..7 give command 0 and isStop false.
struct RemoteKeyAction {
    bool isStop = false;
    PlayerSide side = PlayerSide::Left;
    int32_t command = 0;
};
RemoteKeyAction remoteKeyAction(int key);

// The key (0..7) a message acts as, or -1 (not a press, or not an acting key).
int remoteActingKey(const RemoteMessage& m);

// The receive buffer (32 bytes) and its framing rules. Pure, no I/O.
class RemoteFramer {
public:
    static constexpr std::size_t kCapacity = 32;
    enum class Result {
        NeedMore,   // no complete line; read more bytes
        Dropped,    // bytes that cannot start or form a line were dropped
        Message,    // one complete line was taken out of the buffer
    };

    std::size_t size() const { return fill_; }
    std::size_t space() const { return kCapacity - fill_; }
    std::string_view contents() const {
        return {reinterpret_cast<const char*>(buf_), fill_};
    }
    void clear() { fill_ = 0; }

    // Appends up to space() bytes; returns how many were taken.
    std::size_t append(const void* data, std::size_t n);
    // Direct fill: write up to space() bytes at tail(), then commit(n).
    uint8_t* tail() { return buf_ + fill_; }
    void commit(std::size_t n);

    // One framing step: resynchronise the buffer start, then take out a
    // complete line (Message, with *out filled), drop a bad one (Dropped),
    // or ask for more bytes (NeedMore). Never leaves the buffer full.
    Result next(RemoteMessage* out);

private:
    void drop(std::size_t n);
    void resynchronise();

    uint8_t buf_[kCapacity + 1] = {};
    std::size_t fill_ = 0;
};

// Per-key press filter: a press acts if it is the key's first, or more than
// 100 ms after the key's last accepted press (a press that seems to come
// before it, through a clock jump, acts too). Ignored presses do not extend
// the window.
class RemoteDebouncer {
public:
    // True when the press of `key` (0..7) at `nowMs` acts; false for other keys.
    bool accept(int key, uint32_t nowMs);

private:
    uint32_t last_[kRemoteKeyCount] = {};
    bool pressed_[kRemoteKeyCount] = {};
};

// What became of the device the poller last tried to open. The poller tells
// a watcher only when this changes; it never shows anything itself.
struct RemotePortStatus {
    enum Kind {
        Open,           // the port is open and read
        NoPermission,   // the device exists but this user may not open it
        Unavailable,    // missing, busy or refusing the line settings
    };
    Kind kind = Unavailable;
    std::string device;   // the device path tried
    friend bool operator==(const RemotePortStatus&, const RemotePortStatus&) = default;
};

// The German status-bar line (UTF-8) for a status, empty for the statuses
// that show nothing: only a missing permission is worth telling, since
// retrying never mends it.
std::string remotePortStatusText(const RemotePortStatus& status);

struct RemotePollerTiming {
    uint32_t readWaitMs = 100;   // wait for received data per pass
    uint32_t retryMs = 200;      // sleep while there is no port
    uint32_t stopPollMs = 50;    // stop() looks for the thread's end this often
};

class RemotePoller {
public:
    // Receives the command ids of keys 2..7; called on the poller thread, so
    // it must hand them to the window thread (post them), never run them.
    using CommandPoster = std::function<void(int32_t commandId)>;

    using Timing = RemotePollerTiming;

    // What one pass of the loop did.
    enum class Pass {
        NoPort,      // no port could be opened; slept retryMs
        Acted,       // a complete line acted (stop called or command posted)
        Ignored,     // a complete line that does not act (event, key, debounce)
        Dropped,     // bytes dropped by the framing rules
        Received,    // bytes were read into the buffer
        Quiet,       // nothing arrived within readWaitMs
        ReadFailed,  // the read failed: the port is reopened next pass
    };

    // `buzzer` and `post` must outlive the poller; `clock` gives the press
    // times for the debounce and the retry sleep.
    RemotePoller(BuzzerTarget& buzzer, CommandPoster post,
                 MonotonicClock& clock = systemClock(), Timing timing = Timing());
    ~RemotePoller();   // stop()
    RemotePoller(const RemotePoller&) = delete;
    RemotePoller& operator=(const RemotePoller&) = delete;

    // ComPort: zero-based port number; the poller switches ports at its
    // next pass. Any thread.
    void setComPort(int32_t port) { comPort_.store(port, std::memory_order_relaxed); }
    int32_t comPort() const { return comPort_.load(std::memory_order_relaxed); }

    // A device path used instead of the numbered port (a USB adapter such as
    // /dev/ttyUSB0, or a fixed name from a udev rule); empty goes back to
    // ComPort. The poller reopens at its next pass. Any thread.
    void setDevicePath(const std::string& path);
    std::string devicePath() const;

    // Told (on the poller thread) when the port's status changes. Set it
    // before start().
    using StatusSink = std::function<void(const RemotePortStatus&)>;
    void setStatusSink(StatusSink sink) { statusSink_ = std::move(sink); }

    // Starts the thread; false if it is running already.
    bool start();
    // Sets the stop flag and waits (looking every stopPollMs) until the
    // thread has closed its port and ended. Harmless when not running.
    void stop();
    bool running() const { return thread_.running(); }

    // One pass of the loop: the thread runs these until stopped; tests may
    // drive a poller that was not started.
    Pass pollOnce();
    // Closes the port (the thread does this as its last act).
    void closePort();

    int32_t slot() const { return slot_; }          // -1: none
    int32_t openPort() const { return openPort_; }  // -1: none

private:
    Pass act(const RemoteMessage& m);
    void reopen(int32_t port);
    void report(RemotePortStatus status);

    BuzzerTarget& buzzer_;
    CommandPoster post_;
    MonotonicClock& clock_;
    Timing timing_;
    std::atomic<int32_t> comPort_{0};
    mutable std::mutex deviceLock_;
    std::string devicePath_;                    // guarded by deviceLock_
    std::atomic<uint32_t> deviceGeneration_{0};   // counts setDevicePath calls
    StatusSink statusSink_;

    // Thread-private state.
    RemoteFramer framer_;
    RemoteDebouncer debounce_;
    int32_t slot_ = -1;
    int32_t openPort_ = -1;
    uint32_t openGeneration_ = 0;
    std::optional<RemotePortStatus> lastStatus_;

    PollerThread thread_;   // declared last: it stops before the rest goes
};

}  // namespace gz
