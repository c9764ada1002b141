#include "show/buzzer_button_names.h"

namespace gz {
namespace {

// Codes from the kernel's input event code table.
constexpr uint32_t kKeyOne = 2;           // KEY_1 .. KEY_9, then KEY_0 at 11
constexpr uint32_t kKeyZero = 11;
constexpr uint32_t kKeyEnter = 28;
constexpr uint32_t kKeySpace = 57;
constexpr uint32_t kBtnDigits = 0x100;    // BTN_0 .. BTN_9
constexpr uint32_t kBtnJoystick = 0x120;  // BTN_TRIGGER .. BTN_BASE6
constexpr uint32_t kBtnDead = 0x12f;
constexpr uint32_t kBtnGamepad = 0x130;   // BTN_SOUTH .. BTN_THUMBR
constexpr uint32_t kBtnDpad = 0x220;      // BTN_DPAD_UP .. BTN_DPAD_RIGHT
constexpr uint32_t kBtnTriggerHappy = 0x2c0;
constexpr uint32_t kTriggerHappyCount = 40;
constexpr uint32_t kFirstButtonCode = 0x100;   // below: keys

// Letter keys come in keyboard rows.
struct LetterRow {
    uint32_t first;
    std::string_view letters;
};
constexpr LetterRow kLetterRows[] = {{16, "QWERTYUIOP"}, {30, "ASDFGHJKL"}, {44, "ZXCVBNM"}};

constexpr std::string_view kJoystick[] = {"TRIGGER", "THUMB", "THUMB2", "TOP", "TOP2", "PINKIE",
                                          "BASE",    "BASE2", "BASE3",  "BASE4", "BASE5", "BASE6"};
constexpr std::string_view kGamepad[] = {"SOUTH",  "EAST",  "C",     "NORTH",  "WEST",
                                         "Z",      "TL",    "TR",    "TL2",    "TR2",
                                         "SELECT", "START", "MODE",  "THUMBL", "THUMBR"};
constexpr std::string_view kDpad[] = {"DPAD_UP", "DPAD_DOWN", "DPAD_LEFT", "DPAD_RIGHT"};

template <std::size_t N>
std::string fromTable(const std::string_view (&table)[N], uint32_t first, uint32_t code)
{
    if (code < first || code - first >= N)
        return {};
    return "BTN_" + std::string(table[code - first]);
}

// Handset (0..3) and button (0 red .. 4 blue) of a buzzer set code.
bool quizButton(uint32_t code, int& handset, int& button)
{
    for (handset = 0; handset < kQuizHandsets; ++handset)
        for (button = 0; button < kQuizButtonsPerHandset; ++button)
            if (quizButtonCode(handset, button) == code)
                return true;
    return false;
}

constexpr std::string_view kQuizColours[kQuizButtonsPerHandset] = {"roter", "gelber", "grüner", "oranger",
                                                                   "blauer"};

}  // namespace

std::string inputCodeName(uint32_t code)
{
    if (code >= kKeyOne && code < kKeyZero)
        return "KEY_" + std::to_string(code - kKeyOne + 1);
    if (code == kKeyZero)
        return "KEY_0";
    if (code == kKeyEnter)
        return "KEY_ENTER";
    if (code == kKeySpace)
        return "KEY_SPACE";
    for (const LetterRow& row : kLetterRows)
        if (code >= row.first && code - row.first < row.letters.size())
            return "KEY_" + std::string(1, row.letters[code - row.first]);
    if (code >= kBtnDigits && code < kBtnDigits + 10)
        return "BTN_" + std::to_string(code - kBtnDigits);
    if (code == kBtnDead)
        return "BTN_DEAD";
    if (std::string s = fromTable(kJoystick, kBtnJoystick, code); !s.empty())
        return s;
    if (std::string s = fromTable(kGamepad, kBtnGamepad, code); !s.empty())
        return s;
    if (std::string s = fromTable(kDpad, kBtnDpad, code); !s.empty())
        return s;
    if (code >= kBtnTriggerHappy && code < kBtnTriggerHappy + kTriggerHappyCount)
        return "BTN_TRIGGER_HAPPY" + std::to_string(code - kBtnTriggerHappy + 1);
    return {};
}

std::string deviceButtonText(const ButtonBinding& b, std::string_view quizDeviceKey)
{
    int handset = 0;
    int button = 0;
    if (!quizDeviceKey.empty() && b.device == quizDeviceKey && quizButton(b.code, handset, button))
        return "Handsender " + std::to_string(handset + 1) + ", " + std::string(kQuizColours[button]) + " Knopf";
    std::string text = (b.code < kFirstButtonCode ? "Taste " : "Knopf ") + std::to_string(b.code);
    if (const std::string name = inputCodeName(b.code); !name.empty())
        text += " (" + name + ")";
    return text;
}

}  // namespace gz
