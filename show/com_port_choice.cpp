#include "show/com_port_choice.h"

#include <cstdio>

namespace gz {
namespace {

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string comPortDialogText(int32_t comPort) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "COM%lld", static_cast<long long>(comPort) + 1);
    return buf;
}

int32_t parsePortInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    int base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        const char p = lower(text[i + 1]);
        const int prefixed = p == 'x' ? 16 : p == 'o' ? 8 : p == 'b' ? 2 : p == 'd' ? 10 : 0;
        if (prefixed != 0) {
            base = prefixed;
            i += 2;
        }
    }
    // Accumulate as a magnitude one above INT32_MAX at most, so that both
    // ends of the range are reachable and nothing overflows.
    constexpr int64_t kLimit = static_cast<int64_t>(INT32_MAX) + 1;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int d = digitValue(text[i]);
        if (d >= base) break;
        value = value * base + d;
        if (value > kLimit) value = kLimit;
    }
    if (negative) return static_cast<int32_t>(-value);
    return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

int32_t comPortFromText(std::string_view text) {
    if (text.size() > kComPortTextLimit) text = text.substr(0, kComPortTextLimit);
    if (text.size() >= 3 && lower(text[0]) == 'c' && lower(text[1]) == 'o' && lower(text[2]) == 'm') {
        text.remove_prefix(3);
    }
    const int32_t number = parsePortInteger(text);
    return number > 0 ? number - 1 : 0;
}

std::string comPortDialogText(const ComPortSetting& current) {
    return current.device.empty() ? comPortDialogText(current.comPort) : current.device;
}

ComPortSetting comPortSettingFromText(std::string_view text, const ComPortSetting& current) {
    std::string_view t = text;
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    if (!t.empty() && t.front() == '/') {
        if (t.size() > kComDeviceTextLimit) t = t.substr(0, kComDeviceTextLimit);
        return {current.comPort, std::string(t)};
    }
    return {comPortFromText(text), {}};
}

}  // namespace gz
