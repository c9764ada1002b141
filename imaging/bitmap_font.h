// The bitmap font blocks of the text drawing: read-only bytes, little-endian.
//
// Long form: 32-bit 0x4E460000 at byte 0, first and last character code as
// 16-bit values at bytes 8 and 10, offset table at byte 16. Short form: first
// and last code as the bytes 0 and 1, offset table at byte 2. The table holds
// one 32-bit offset (from the block start, 0 = no glyph) per code from first
// to last. Right after it may come an extension block: 32-bit 0x55AA00FF, its
// 32-bit length (of the records that follow), then records of 16-bit key,
// 16-bit length and data; key 0 = default character spacing (signed 16 bits),
// key 1 = spacing reference, key 2 = baseline.
//
// Glyph: width byte (also the advance), height byte, then height rows of
// (width + 7) / 8 bytes, bottom row first, leftmost pixel in the most
// significant bit; a cleared bit is ink, a set bit background.
//
// glyph() and defaultSpacing() trust the block (the built-in fonts);
// isValidFont() checks a block of known size before it is trusted.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gz::font {

constexpr uint32_t kLongFormMagic = 0x4E460000;
constexpr uint32_t kExtensionMagic = 0x55AA00FF;
enum ExtensionKey : uint16_t { kKeySpacing = 0, kKeySpacingReference = 1, kKeyBaseline = 2 };

struct Layout {
    unsigned first = 0;
    unsigned last = 0;
    std::size_t tableOffset = 0;   // byte offset of the offset table
    std::size_t tableEnd = 0;      // first byte after it
};

Layout layoutOf(const uint8_t* block);
// Glyph of the code, nullptr when the font does not cover it.
const uint8_t* glyph(const uint8_t* block, unsigned code);
// Extension record of the key: its data and length; nullptr when absent.
const uint8_t* extensionRecord(const uint8_t* block, uint16_t key, uint16_t* length);
// Key 0 of the extension block, 0 without one.
int defaultSpacing(const uint8_t* block);
// The whole block lies within size bytes: header, table, every glyph and the
// extension records.
bool isValidFont(const uint8_t* block, std::size_t size);

}  // namespace gz::font
