#include "devices/input_device_source.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <libevdev/libevdev.h>
#include <linux/input.h>

#include "devices/input_leds.h"

namespace gz {
namespace {

// The number of an "event<digits>" name, or -1.
long eventNumber(const char* name)
{
    if (std::strncmp(name, "event", 5) != 0 || name[5] == '\0')
        return -1;
    for (const char* p = name + 5; *p; ++p)
        if (*p < '0' || *p > '9')
            return -1;
    return std::strtol(name + 5, nullptr, 10);
}

// A node made anew (device node recreated by devtmpfs) differs in inode or
// change time even when the path and device numbers come back the same.
uint64_t nodeIdentity(const struct stat& st)
{
    uint64_t h = static_cast<uint64_t>(st.st_rdev);
    for (uint64_t part : {static_cast<uint64_t>(st.st_ino), static_cast<uint64_t>(st.st_ctim.tv_sec),
                          static_cast<uint64_t>(st.st_ctim.tv_nsec)})
        h = (h ^ part) * 0x100000001b3ull;
    return h;
}

// libevdev reports refused ioctls on its own; an open that fails is told
// through the result instead.
void quietLog(const struct libevdev*, enum libevdev_log_priority, void*, const char*, int, const char*,
              const char*, va_list)
{
}

struct EvdevFree {
    void operator()(libevdev* d) const { libevdev_free(d); }
};

InputCapabilities capabilitiesOf(const libevdev* dev)
{
    InputCapabilities caps;
    if (libevdev_has_event_type(dev, EV_KEY))
        for (unsigned c = 0; c < kInputKeyCodeCount; ++c)
            if (libevdev_has_event_code(dev, EV_KEY, c))
                caps.keys.set(c);
    if (libevdev_has_event_type(dev, EV_ABS))
        for (unsigned c = 0; c < kInputAxisCodeCount; ++c)
            if (libevdev_has_event_code(dev, EV_ABS, c))
                caps.axes.set(c);
    return caps;
}

std::string text(const char* s) { return s ? s : ""; }

std::string readSmallFile(const std::string& path)
{
    std::string out;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return out;
    char buf[1024];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    ::close(fd);
    if (n > 0)
        out.assign(buf, static_cast<std::size_t>(n));
    return out;
}

std::string nodeName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

LinuxInputDeviceSource::LinuxInputDeviceSource(std::string devRoot, std::string sysfsRoot)
    : devRoot_(std::move(devRoot)), sysfsRoot_(std::move(sysfsRoot))
{
}

std::vector<InputCandidate> LinuxInputDeviceSource::candidates()
{
    std::vector<std::pair<long, InputCandidate>> found;
    DIR* dir = ::opendir(devRoot_.c_str());
    if (!dir)
        return {};
    while (const dirent* e = ::readdir(dir)) {
        const long n = eventNumber(e->d_name);
        if (n < 0)
            continue;
        InputCandidate c;
        c.path = devRoot_ + "/" + e->d_name;
        struct stat st {};
        if (::stat(c.path.c_str(), &st) != 0)
            continue;   // gone since the listing
        c.identity = nodeIdentity(st);
        found.emplace_back(n, std::move(c));
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<InputCandidate> out;
    out.reserve(found.size());
    for (auto& f : found)
        out.push_back(std::move(f.second));
    return out;
}

InputOpenResult LinuxInputDeviceSource::open(const std::string& path)
{
    InputOpenResult r;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != EACCES && errno != EPERM) {
            r.status = InputOpenResult::Status::Unavailable;
            return r;
        }
        r.status = refusedStatus(nodeName(path));
        return r;
    }
    std::unique_ptr<libevdev, EvdevFree> dev(libevdev_new());
    if (!dev) {
        ::close(fd);
        return r;
    }
    libevdev_set_device_log_function(dev.get(), quietLog, LIBEVDEV_LOG_ERROR, nullptr);
    const int err = libevdev_set_fd(dev.get(), fd);
    if (err < 0) {
        ::close(fd);
        // A node that went away meanwhile may come back; anything else is
        // not an input device at all.
        r.status = err == -ENODEV ? InputOpenResult::Status::Unavailable : InputOpenResult::Status::NotUsed;
        return r;
    }
    const InputDeviceKind kind = classifyInputDevice(capabilitiesOf(dev.get()));
    if (kind == InputDeviceKind::NotUsed) {
        ::close(fd);
        r.status = InputOpenResult::Status::NotUsed;
        return r;
    }
    r.status = InputOpenResult::Status::Opened;
    r.fd = fd;
    r.info.path = path;
    r.info.name = text(libevdev_get_name(dev.get()));
    r.info.phys = text(libevdev_get_phys(dev.get()));
    r.info.vendor = static_cast<uint16_t>(libevdev_get_id_vendor(dev.get()));
    r.info.product = static_cast<uint16_t>(libevdev_get_id_product(dev.get()));
    r.info.kind = kind;
    r.info.leds = inputDeviceLeds(sysfsRoot_, nodeName(path));
    return r;
}

// Keyboards and mice are closed to a desktop user on every system, so a
// refusal only counts when sysfs (readable by everyone) shows a game pad or
// joystick behind the node, or cannot tell. A keyboard buzzer still works
// through the keys it types into the window.
InputOpenResult::Status LinuxInputDeviceSource::refusedStatus(const std::string& eventNode) const
{
    const std::string caps = sysfsRoot_ + "/class/input/" + eventNode + "/device/capabilities/";
    InputCapabilities c;
    if (!capabilitiesFromSysfs(readSmallFile(caps + "key"), readSmallFile(caps + "abs"), c))
        return InputOpenResult::Status::NoPermission;
    const InputDeviceKind kind = classifyInputDevice(c);
    return kind == InputDeviceKind::Gamepad || kind == InputDeviceKind::Joystick
               ? InputOpenResult::Status::NoPermission
               : InputOpenResult::Status::NotUsed;
}

bool LinuxInputDeviceSource::keysDown(int fd, InputKeySet& down)
{
    uint8_t bits[kInputKeyCodeCount / 8] = {};
    if (::ioctl(fd, EVIOCGKEY(sizeof bits), bits) < 0)
        return false;
    down.reset();
    for (std::size_t c = 0; c < kInputKeyCodeCount; ++c)
        if (bits[c / 8] & (1u << (c % 8)))
            down.set(c);
    return true;
}

void LinuxInputDeviceSource::close(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

}  // namespace gz
