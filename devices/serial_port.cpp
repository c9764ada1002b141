#include "devices/serial_port.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "devices/monotonic_clock.h"

namespace gz {
namespace {

constexpr int kFreeHandle = -1;
constexpr char kDefaultTemplate[] = "/dev/ttyS%d";
constexpr std::size_t kMaxTemplateLength = 200;

enum class SlotState : uint8_t { Free, Reserved, Open };

struct PortSlot {
    std::atomic<SlotState> state{SlotState::Free};
    int handle = kFreeHandle;
    bool ignoreModemLines = false;
    uint32_t byteTime = 0;
};

struct ComPortTable {
    std::mutex lock;   // guards the free-slot search and the path template
    uint32_t openCounter = 0;
    PortSlot slots[kComPortSlots];
    std::string pathTemplate;   // empty: environment, then default
};

ComPortTable& table() {
    static ComPortTable t;
    return t;
}

bool templateIsValid(const std::string& t) {
    if (t.size() > kMaxTemplateLength) return false;
    int conversions = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] != '%') continue;
        if (i + 1 >= t.size()) return false;
        const char c = t[++i];
        if (c == 'd') {
            ++conversions;
        } else if (c != '%') {
            return false;
        }
    }
    return conversions <= 1;
}

std::string expandTemplate(const std::string& t, int32_t port) {
    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '%' && i + 1 < t.size()) {
            const char c = t[++i];
            out += (c == 'd') ? std::to_string(port) : std::string(1, c);
        } else {
            out += t[i];
        }
    }
    return out;
}

PortSlot* openSlot(int32_t slot) {
    if (slot < 0 || slot >= kComPortSlots) return nullptr;
    PortSlot& s = table().slots[slot];
    return s.state.load(std::memory_order_acquire) == SlotState::Open ? &s : nullptr;
}

bool baudToSpeed(uint32_t baud, speed_t* speed) {
    static constexpr struct {
        uint32_t baud;
        speed_t speed;
    } kRates[] = {
        {50, B50},         {75, B75},         {110, B110},       {134, B134},
        {150, B150},       {200, B200},       {300, B300},       {600, B600},
        {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
        {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
        {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
    };
    for (const auto& r : kRates) {
        if (r.baud == baud) {
            *speed = r.speed;
            return true;
        }
    }
    return false;
}

// True when poll() reports the far end gone (hang-up, error, bad fd).
bool hungUp(int fd) {
    pollfd p{fd, POLLIN, 0};
    int r;
    do {
        r = poll(&p, 1, 0);
    } while (r < 0 && errno == EINTR);
    if (r < 0) return true;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool queryWaiting(int fd, int* waiting) {
    int n = 0;
    if (ioctl(fd, FIONREAD, &n) != 0) return false;
    *waiting = n < 0 ? 0 : n;
    return true;
}

// Modem lines on a pseudo-terminal have no meaning (the ioctl fails there);
// setting them is therefore best effort and never refuses the open.
void setModemLine(int fd, int line, bool on) {
    int bits = line;
    (void)ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits);
}

bool applyLineSettings(int fd, speed_t speed, int32_t parity, int32_t stopBits,
                       int32_t dataBits, uint32_t flags) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return false;
    cfmakeraw(&t);
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | PARMRK);
    t.c_iflag |= IGNBRK;
    // Modem lines never gate the data: a remote without carrier still talks.
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~static_cast<tcflag_t>(HUPCL | CRTSCTS | CSIZE | CSTOPB | PARENB | PARODD | CMSPAR);
    t.c_cflag |= (dataBits & 1) ? CS7 : CS8;
    if (stopBits & 1) t.c_cflag |= CSTOPB;
    switch (parity) {
        case kComParityOdd: t.c_cflag |= PARENB | PARODD; break;
        case kComParityEven: t.c_cflag |= PARENB; break;
        case kComParitySpace: t.c_cflag |= PARENB | CMSPAR; break;
        case kComParityMark: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
        default: break;
    }
    if (parity != kComParityNone) t.c_iflag |= INPCK;
    if (flags & kComRtsHandshake) t.c_cflag |= CRTSCTS;
    t.c_cc[VMIN] = 0;   // reads return at once with what has arrived
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0) return false;
    if (tcsetattr(fd, TCSANOW, &t) != 0) return false;

    // tcsetattr succeeds when any one setting was taken: check what stuck.
    termios got{};
    if (tcgetattr(fd, &got) != 0) return false;
    if (cfgetispeed(&got) != speed || cfgetospeed(&got) != speed) return false;
    const tcflag_t mask = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR;
    if ((got.c_cflag & mask) != (t.c_cflag & mask)) return false;

    if (!(flags & kComRtsHandshake)) setModemLine(fd, TIOCM_RTS, (flags & kComRtsOn) != 0);
    setModemLine(fd, TIOCM_DTR, (flags & (kComDtrOn | kComDtrHandshake)) != 0);
    tcflush(fd, TCIOFLUSH);
    return true;
}

uint32_t bitsPerCharacter(int32_t parity, int32_t stopBits, int32_t dataBits) {
    return 1u + ((dataBits & 1) ? 7u : 8u) + ((stopBits & 1) ? 2u : 1u) +
           (parity != kComParityNone ? 1u : 0u);
}

void releaseSlot(PortSlot& s) {
    std::lock_guard<std::mutex> g(table().lock);
    s.handle = kFreeHandle;
    s.byteTime = 0;
    s.ignoreModemLines = false;
    s.state.store(SlotState::Free, std::memory_order_release);
}

}  // namespace

bool comPortSetPathTemplate(const std::string& pathTemplate) {
    if (!pathTemplate.empty() && !templateIsValid(pathTemplate)) return false;
    std::lock_guard<std::mutex> g(table().lock);
    table().pathTemplate = pathTemplate;
    return true;
}

std::string comPortDevicePath(int32_t port) {
    if (port < 0 || port > kComPortMaxPort) return {};
    std::string t;
    {
        std::lock_guard<std::mutex> g(table().lock);
        t = table().pathTemplate;
    }
    if (t.empty()) {
        const char* env = std::getenv("GZ_COM_TEMPLATE");
        if (env && *env && templateIsValid(env)) t = env;
    }
    if (t.empty()) t = kDefaultTemplate;
    return expandTemplate(t, port);
}

int32_t comPortOpen(int32_t port, uint32_t baud, int32_t parity, int32_t stopBits,
                    int32_t dataBits, uint32_t flags) {
    if (port < 0 || port > kComPortMaxPort) return -1;
    return comPortOpenPath(comPortDevicePath(port), baud, parity, stopBits, dataBits, flags);
}

int32_t comPortOpenPath(const std::string& path, uint32_t baud, int32_t parity,
                        int32_t stopBits, int32_t dataBits, uint32_t flags) {
    speed_t speed = 0;
    if (path.empty() || parity < 0 || parity > 7 || !baudToSpeed(baud, &speed)) return -1;
    if (parity > kComParityMark) parity = kComParityNone;   // table entries 5..7
    if (flags & kComIgnoreModemLines) flags &= ~static_cast<uint32_t>(kComRtsHandshake | kComDtrHandshake);

    // Search and reservation are one locked step: two threads opening at
    // the same moment can never be handed the same slot.
    ComPortTable& tab = table();
    int32_t found = -1;
    {
        std::lock_guard<std::mutex> g(tab.lock);
        const uint32_t first = tab.openCounter % kComPortSlots;
        ++tab.openCounter;
        for (uint32_t i = 0; i < kComPortSlots; ++i) {
            const uint32_t k = (first + i) % kComPortSlots;
            if (tab.slots[k].state.load(std::memory_order_acquire) == SlotState::Free) {
                tab.slots[k].state.store(SlotState::Reserved, std::memory_order_release);
                found = static_cast<int32_t>(k);
                break;
            }
        }
    }
    if (found < 0) return -1;
    PortSlot& s = tab.slots[found];

    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        releaseSlot(s);
        return -1;
    }
    // Not shared: the advisory lock also holds against root, TIOCEXCL keeps
    // other programs that do not lock from opening the tty.
    if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        !applyLineSettings(fd, speed, parity, stopBits, dataBits, flags)) {
        ::close(fd);
        releaseSlot(s);
        return -1;
    }
    (void)ioctl(fd, TIOCEXCL);

    s.handle = fd;
    s.ignoreModemLines = (flags & kComIgnoreModemLines) != 0;
    s.byteTime = bitsPerCharacter(parity, stopBits, dataBits) * 1024000u / baud;
    s.state.store(SlotState::Open, std::memory_order_release);
    return found;
}

int comPortAccessError(const std::string& path) {
    if (path.empty()) return ENOENT;
    // The effective ids decide what open() may do; a plain access() would ask
    // for the real ones.
    if (faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) == 0) return 0;
    return errno != 0 ? errno : EACCES;
}

int32_t comPortClose(int32_t slot) {
    PortSlot* s = openSlot(slot);
    if (!s) return -1;
    const int fd = s->handle;
    (void)ioctl(fd, TIOCNXCL);
    // On Linux the descriptor is gone after close() whatever it returns, so
    // the slot is freed in every case; keeping it would hand out a number
    // that may already belong to another file. EIO is still reported.
    const int r = ::close(fd);
    const bool failed = r != 0 && errno != EINTR;
    releaseSlot(*s);
    return failed ? -1 : 0;
}

int32_t comPortCheck(int32_t slot) {
    PortSlot* s = openSlot(slot);
    if (!s) return 0;
    int waiting = 0;
    if (!queryWaiting(s->handle, &waiting)) return 0;
    return hungUp(s->handle) ? 0 : 1;
}

int32_t comPortReceivedCount(int32_t slot) {
    PortSlot* s = openSlot(slot);
    if (!s) return 0;
    int waiting = 0;
    return queryWaiting(s->handle, &waiting) ? waiting : 0;
}

int32_t comPortWaitForData(int32_t slot, uint32_t ms) {
    PortSlot* s = openSlot(slot);
    if (!s) return 0;
    MonotonicClock& clock = systemClock();
    const Deadline deadline(clock, ms);
    bool lastPass = false;
    for (;;) {
        int waiting = 0;
        if (queryWaiting(s->handle, &waiting) && waiting > 0) return 1;
        if (lastPass) return 0;
        uint32_t remaining = deadline.remainingMs();
        if (remaining == 0) lastPass = true;
        if (remaining > 500) remaining = 500;
        const uint32_t step = remaining <= 100 ? 10 : 50;

        pollfd p{s->handle, POLLIN, 0};
        const int r = poll(&p, 1, static_cast<int>(remaining));
        if (r < 0 && errno != EINTR) {
            if (remaining > 0) clock.sleepMs(step);
        } else if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            // A failed port stays "ready" for poll(): sleep a step instead
            // of spinning until the time is up.
            if (remaining > 0) clock.sleepMs(step < remaining ? step : remaining);
        }
    }
}

int32_t comPortRead(int32_t slot, void* buffer, int32_t count) {
    PortSlot* s = openSlot(slot);
    if (!s || count < 0) return -1;
    if (count == 0) return 0;
    if (!buffer) return -1;
    for (;;) {
        const ssize_t n = ::read(s->handle, buffer, static_cast<std::size_t>(count));
        if (n > 0) return static_cast<int32_t>(n);
        if (n == 0) return hungUp(s->handle) ? -1 : 0;   // a hung-up tty reads as end of file
        if (errno == EINTR) continue;
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    }
}

uint32_t comPortByteTime(int32_t slot) {
    PortSlot* s = openSlot(slot);
    return s ? s->byteTime : 0u;
}

}  // namespace gz
