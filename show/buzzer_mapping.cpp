#include "show/buzzer_mapping.h"

#include <algorithm>
#include <map>
#include <numeric>

namespace gz {
namespace {

constexpr std::string_view kActionNames[kBuzzerActionCount] = {
    "Buzzer links",      "Buzzer rechts",     "Starte nächstes Bild", "Bild aufdecken",
    "Erster Spieler -",  "Erster Spieler +",  "Zweiter Spieler -",    "Zweiter Spieler +",
};

constexpr uint32_t kBtnTrigger = 0x120;        // first 16 joystick buttons
constexpr uint32_t kBtnTriggerHappy1 = 0x2c0;  // buttons 17 and later
constexpr int kQuizButtons = kQuizHandsets * kQuizButtonsPerHandset;

bool validAction(int a) { return a >= 0 && a < kBuzzerActionCount; }

}  // namespace

std::string_view buzzerActionName(int action)
{
    return validAction(action) ? kActionNames[action] : std::string_view();
}

const std::optional<ButtonBinding>& BuzzerMapping::binding(int action) const
{
    static const std::optional<ButtonBinding> none;
    return validAction(action) ? bindings_[static_cast<std::size_t>(action)] : none;
}

void BuzzerMapping::bind(int action, const ButtonBinding& b)
{
    if (!validAction(action))
        return;
    for (auto& slot : bindings_)
        if (slot && *slot == b)
            slot.reset();
    bindings_[static_cast<std::size_t>(action)] = b;
}

void BuzzerMapping::unbind(int action)
{
    if (validAction(action))
        bindings_[static_cast<std::size_t>(action)].reset();
}

bool BuzzerMapping::empty() const
{
    return std::none_of(bindings_.begin(), bindings_.end(), [](const auto& b) { return b.has_value(); });
}

int BuzzerMapping::actionFor(std::string_view device, uint32_t code) const
{
    for (int a = 0; a < kBuzzerActionCount; ++a) {
        const auto& b = bindings_[static_cast<std::size_t>(a)];
        if (b && b->code == code && b->device == device)
            return a;
    }
    return -1;
}

bool isQuizBuzzerSet(uint16_t vendor, uint16_t product)
{
    return vendor == 0x054C && (product == 0x0002 || product == 0x1000 || product == 0x1001);
}

uint32_t quizButtonCode(int handset, int button)
{
    if (handset < 0 || handset >= kQuizHandsets || button < 0 || button >= kQuizButtonsPerHandset)
        return 0;
    const int n = handset * kQuizButtonsPerHandset + button;
    return n < 16 ? kBtnTrigger + static_cast<uint32_t>(n) : kBtnTriggerHappy1 + static_cast<uint32_t>(n - 16);
}

int quizHandsetOf(uint32_t code)
{
    int n = -1;
    if (code >= kBtnTrigger && code < kBtnTrigger + 16)
        n = static_cast<int>(code - kBtnTrigger);
    else if (code >= kBtnTriggerHappy1 && code < kBtnTriggerHappy1 + (kQuizButtons - 16))
        n = 16 + static_cast<int>(code - kBtnTriggerHappy1);
    return n < 0 ? -1 : n / kQuizButtonsPerHandset;
}

BuzzerMapping effectiveMapping(const BuzzerMapping& stored, const std::string& quizDeviceKey)
{
    if (!stored.empty() || quizDeviceKey.empty())
        return stored;
    BuzzerMapping m;
    m.bind(0, {quizDeviceKey, quizButtonCode(0, 0)});
    m.bind(1, {quizDeviceKey, quizButtonCode(1, 0)});
    return m;
}

std::vector<std::string> inputDeviceKeys(const std::vector<NamedDevice>& devices)
{
    // Rank each device among those of its name by phys, then by position,
    // so the same set of plugged devices gets the same keys in any order.
    std::vector<std::size_t> order(devices.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (devices[a].name != devices[b].name)
            return devices[a].name < devices[b].name;
        return devices[a].phys < devices[b].phys;
    });
    std::vector<std::string> keys(devices.size());
    std::map<std::string, int> seen;
    for (std::size_t i : order) {
        const int n = ++seen[devices[i].name];
        keys[i] = n == 1 ? devices[i].name : devices[i].name + " (" + std::to_string(n) + ")";
    }
    return keys;
}

std::string buzzerDeviceValueName(int action) { return "Buzzer" + std::to_string(action) + "Device"; }
std::string buzzerCodeValueName(int action) { return "Buzzer" + std::to_string(action) + "Code"; }

}  // namespace gz
