// The COM port choice ("COM-Port auswählen"): what the text dialog shows
// and how its confirmed text becomes the zero-based port number ComPort.
// Pure functions; the dialog itself belongs to the UI kit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gz {

constexpr const char* kComPortDialogTitle = "COM-Port";
constexpr const char* kComPortDialogPrompt = "Bitte hier das COM-Port angeben :";
constexpr std::size_t kComPortTextLimit = 31;   // characters taken from the dialog

// The dialog's initial text: "COM" and comPort + 1 ("COM1" for 0).
std::string comPortDialogText(int32_t comPort);

// Reads an integer the way the COM port text is read: leading blanks
// skipped, an optional "-", then the prefixes 0x, 0o, 0b, 0d (either case)
// select base 16, 8, 2 or 10 (anything else is decimal), digits up to the
// first character that is not one of that base. No digit gives 0. Values
// beyond the 32-bit range saturate.
int32_t parsePortInteger(std::string_view text);

// The ComPort value for a confirmed dialog text (only its first 31
// characters count): the number after a leading "COM" in any letter case,
// otherwise the number at the start; number - 1 if it is above 0, else 0
// (COM1). "com3" gives 2, "7" gives 6, "abc" and "0" give 0.
int32_t comPortFromText(std::string_view text);

// A device path may stand for the numbered port: text that starts with "/"
// (blanks around it dropped), cut to this many bytes like any text.
constexpr std::size_t kComDeviceTextLimit = 255;

// The remote control's port as the view keeps it: the numbered port ComPort,
// or a device path that replaces it while it is not empty.
struct ComPortSetting {
    int32_t comPort = 0;
    std::string device;
    friend bool operator==(const ComPortSetting&, const ComPortSetting&) = default;
};

// The dialog's initial text: the device path when there is one, else
// comPortDialogText(comPort).
std::string comPortDialogText(const ComPortSetting& current);

// The setting for a confirmed dialog text: a device path is taken as it is
// and keeps the numbered port for a later "COM..." entry; any other text
// clears the path and gives comPortFromText(text).
ComPortSetting comPortSettingFromText(std::string_view text, const ComPortSetting& current);

}  // namespace gz
