// Text <-> integer rules of the value input dialog. Any text yields a
// number: prefixes 0x/0o/0b, suffixes h/o/b, signs, 32-bit wrap, and
// 0xFFFFFFFF for a number that does not fit. Formatting knows the seven
// formats of the dialog's set-value call (the game uses format 0).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gz {

int32_t parseValueText(std::string_view text);
std::string formatValueText(int32_t value, int format);

// Bounded copy of the text dialog's get-text: at most size-1 bytes and a
// zero; size <= 0 copies nothing. Returns the bytes copied.
int copyTextOut(std::string_view text, char* buffer, int size);

}  // namespace gz
