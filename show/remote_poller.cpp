#include "show/remote_poller.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include "devices/serial_port.h"
#include "show/command_ids.h"

namespace gz {
namespace {

bool isHexDigit(uint8_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool isEventLetter(uint8_t c) { return c == 'U' || c == 'S' || c == 'D'; }

bool isLineEnd(uint8_t c) { return c == '\r' || c == '\n'; }

}  // namespace

std::string remotePortStatusText(const RemotePortStatus& status) {
    if (status.kind != RemotePortStatus::NoPermission) return {};
    return "Keine Berechtigung für " + status.device + " – Benutzer zur Gruppe dialout hinzufügen";
}

RemoteKeyAction remoteKeyAction(int key) {
    switch (key) {
        case 0: return {true, PlayerSide::Left, cmd::kStopLeft};
        case 1: return {true, PlayerSide::Right, cmd::kStopRight};
        case 2: return {false, PlayerSide::Left, cmd::kStartNextPicture};
        case 3: return {false, PlayerSide::Left, cmd::kUncoverPicture};
        case 4: return {false, PlayerSide::Left, cmd::kLeftStarDown};
        case 5: return {false, PlayerSide::Left, cmd::kLeftStarUp};
        case 6: return {false, PlayerSide::Right, cmd::kRightStarDown};
        case 7: return {false, PlayerSide::Right, cmd::kRightStarUp};
        default: return {};
    }
}

int remoteActingKey(const RemoteMessage& m) {
    if (m.event != 'D' || m.key < '0' || m.key > '7') return -1;
    return m.key - '0';
}

// ---------------------------------------------------------------------------

std::size_t RemoteFramer::append(const void* data, std::size_t n) {
    if (n > space()) n = space();
    if (n > 0) std::memcpy(buf_ + fill_, data, n);
    fill_ += n;
    buf_[fill_] = 0;
    return n;
}

void RemoteFramer::commit(std::size_t n) {
    fill_ += n > space() ? space() : n;
    buf_[fill_] = 0;
}

void RemoteFramer::drop(std::size_t n) {
    if (n >= fill_) {
        fill_ = 0;
    } else {
        std::memmove(buf_, buf_ + n, fill_ - n);
        fill_ -= n;
    }
    buf_[fill_] = 0;
}

void RemoteFramer::resynchronise() {
    // A line can only start at a hex digit followed by an event letter, or
    // at a hex digit that is the last byte so far (its letter may follow).
    for (std::size_t i = 0; i < fill_; ++i) {
        if (isHexDigit(buf_[i]) && (i + 1 == fill_ || isEventLetter(buf_[i + 1]))) {
            drop(i);
            return;
        }
    }
    drop(fill_);
}

RemoteFramer::Result RemoteFramer::next(RemoteMessage* out) {
    resynchronise();
    if (fill_ < 3) return Result::NeedMore;
    std::size_t n = 0;
    while (2 + n < fill_ && isHexDigit(buf_[2 + n])) ++n;
    if (n > 8) {
        drop(n + 2);
        return Result::Dropped;
    }
    if (n < 8) {
        if (n + 2 == fill_) return Result::NeedMore;
        drop(n + 2);
        return Result::Dropped;
    }
    if (fill_ == 10) return Result::NeedMore;
    if (!isLineEnd(buf_[10])) {
        drop(10);
        return Result::Dropped;
    }
    if (out) {
        out->key = static_cast<char>(buf_[0]);
        out->event = static_cast<char>(buf_[1]);
    }
    drop(kRemoteLineLength);
    return Result::Message;
}

// ---------------------------------------------------------------------------

bool RemoteDebouncer::accept(int key, uint32_t nowMs) {
    if (key < 0 || key >= kRemoteKeyCount) return false;
    const int32_t d = tickDiff(nowMs, last_[key]);
    // The first press of a key always acts: a start value of 0 must not
    // swallow a press that happens within 100 ms of tick 0 (after the wrap).
    if (pressed_[key] && d >= 0 && d <= static_cast<int32_t>(kRemoteDebounceMs)) return false;
    pressed_[key] = true;
    last_[key] = nowMs;
    return true;
}

// ---------------------------------------------------------------------------

RemotePoller::RemotePoller(BuzzerTarget& buzzer, CommandPoster post, MonotonicClock& clock,
                           Timing timing)
    : buzzer_(buzzer), post_(std::move(post)), clock_(clock), timing_(timing) {}

RemotePoller::~RemotePoller() {
    stop();
    closePort();
}

bool RemotePoller::start() {
    return thread_.start([this] { pollOnce(); }, [this] { closePort(); });
}

void RemotePoller::stop() { thread_.stop(timing_.stopPollMs); }

void RemotePoller::closePort() {
    if (slot_ >= 0) comPortClose(slot_);
    slot_ = -1;
}

RemotePoller::Pass RemotePoller::act(const RemoteMessage& m) {
    const int key = remoteActingKey(m);
    if (key < 0 || !debounce_.accept(key, clock_.nowMs())) return Pass::Ignored;
    const RemoteKeyAction a = remoteKeyAction(key);
    if (a.isStop) {
        buzzer_.stopPlayer(a.side);
    } else if (post_) {
        post_(a.command);
    }
    return Pass::Acted;
}

void RemotePoller::setDevicePath(const std::string& path) {
    {
        std::lock_guard<std::mutex> g(deviceLock_);
        devicePath_ = path;
    }
    deviceGeneration_.fetch_add(1, std::memory_order_acq_rel);
}

std::string RemotePoller::devicePath() const {
    std::lock_guard<std::mutex> g(deviceLock_);
    return devicePath_;
}

void RemotePoller::report(RemotePortStatus status) {
    if (lastStatus_ && *lastStatus_ == status) return;
    lastStatus_ = status;
    if (statusSink_) statusSink_(status);
}

void RemotePoller::reopen(int32_t port) {
    closePort();
    openPort_ = port;
    // The generation is taken before the path: a path set meanwhile bumps it
    // again, and the next pass reopens.
    openGeneration_ = deviceGeneration_.load(std::memory_order_acquire);
    const std::string path = devicePath();
    slot_ = path.empty() ? comPortOpen(port, kRemoteBaud, kComParityNone, 0, 8, 0)
                         : comPortOpenPath(path, kRemoteBaud, kComParityNone, 0, 8, 0);
    // A half line from the old port must not be completed by bytes of the
    // new one.
    framer_.clear();
    RemotePortStatus status;
    status.device = path.empty() ? comPortDevicePath(port) : path;
    if (slot_ >= 0) {
        status.kind = RemotePortStatus::Open;
    } else {
        const int err = comPortAccessError(status.device);
        status.kind = (err == EACCES || err == EPERM) ? RemotePortStatus::NoPermission
                                                       : RemotePortStatus::Unavailable;
    }
    report(std::move(status));
}

RemotePoller::Pass RemotePoller::pollOnce() {
    const int32_t wanted = comPort_.load(std::memory_order_relaxed);
    if (openPort_ != wanted || openGeneration_ != deviceGeneration_.load(std::memory_order_acquire) ||
        comPortCheck(slot_) == 0) {
        reopen(wanted);
    }
    if (slot_ < 0) {
        clock_.sleepMs(timing_.retryMs);
        return Pass::NoPort;
    }

    RemoteMessage m;
    switch (framer_.next(&m)) {
        case RemoteFramer::Result::Message: return act(m);
        case RemoteFramer::Result::Dropped: return Pass::Dropped;
        case RemoteFramer::Result::NeedMore: break;
    }

    comPortWaitForData(slot_, timing_.readWaitMs);
    const int32_t waiting = comPortReceivedCount(slot_);
    if (waiting <= 0) return Pass::Quiet;
    const std::size_t want =
        static_cast<std::size_t>(waiting) < framer_.space() ? static_cast<std::size_t>(waiting)
                                                            : framer_.space();
    const int32_t got = comPortRead(slot_, framer_.tail(), static_cast<int32_t>(want));
    if (got < 0) {
        openPort_ = -1;   // the next pass closes and reopens the port
        return Pass::ReadFailed;
    }
    framer_.commit(static_cast<std::size_t>(got));
    return got > 0 ? Pass::Received : Pass::Quiet;
}

}  // namespace gz
