#include "devices/input_leds.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

namespace gz {
namespace {

namespace fs = std::filesystem;

bool hasBrightness(const fs::path& led)
{
    std::error_code ec;
    return fs::is_regular_file(led / "brightness", ec);
}

// Entries of `dir` (whose names start with `prefix`) that are LEDs.
std::vector<std::string> ledsIn(const fs::path& dir, std::string_view prefix)
{
    std::vector<std::string> out;
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec)
        return out;
    for (const fs::directory_entry& e : it) {
        const std::string name = e.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0 && hasBrightness(e.path()))
            out.push_back(e.path().string());
    }
    return out;
}

// The number the name ends in, or -1.
long trailingNumber(const std::string& path)
{
    const std::string name = fs::path(path).filename().string();
    std::size_t start = name.size();
    while (start > 0 && name[start - 1] >= '0' && name[start - 1] <= '9')
        --start;
    if (start == name.size() || name.size() - start > 9)
        return -1;
    return std::strtol(name.c_str() + start, nullptr, 10);
}

void sortByNumber(std::vector<std::string>& leds)
{
    std::sort(leds.begin(), leds.end(), [](const std::string& a, const std::string& b) {
        const long na = trailingNumber(a);
        const long nb = trailingNumber(b);
        if ((na < 0) != (nb < 0))
            return nb < 0;
        if (na != nb)
            return na < nb;
        return fs::path(a).filename() < fs::path(b).filename();
    });
}

// Small sysfs attribute: its text, or empty.
std::string readAttribute(const std::string& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    char buf[32];
    const ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace

std::vector<std::string> inputDeviceLeds(const std::string& sysfsRoot, const std::string& eventNode)
{
    if (eventNode.empty() || eventNode.find('/') != std::string::npos)
        return {};
    // eventN/device is the input device, and its device the HID node.
    const fs::path parent = fs::path(sysfsRoot) / "class" / "input" / eventNode / "device" / "device";
    std::vector<std::string> leds = ledsIn(parent / "leds", "");
    if (leds.empty()) {
        std::error_code ec;
        const fs::path hid = fs::canonical(parent, ec);
        const std::string hidName = ec ? std::string() : hid.filename().string();
        if (!hidName.empty())
            leds = ledsIn(fs::path(sysfsRoot) / "class" / "leds", hidName + "::");
    }
    sortByNumber(leds);
    return leds;
}

bool setInputLed(const std::string& ledDir, bool on)
{
    std::string value = "0";
    if (on) {
        const long max = std::strtol(readAttribute(ledDir + "/max_brightness").c_str(), nullptr, 10);
        value = std::to_string(max > 0 ? max : 1);
    }
    const int fd = ::open((ledDir + "/brightness").c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return false;
    value += '\n';
    ssize_t n;
    do {
        n = ::write(fd, value.data(), value.size());
    } while (n < 0 && errno == EINTR);
    const bool ok = n == static_cast<ssize_t>(value.size());
    return ::close(fd) == 0 && ok;
}

}  // namespace gz
