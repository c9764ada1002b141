#include "imaging/bitmap_font.h"

namespace gz::font {
namespace {

uint16_t load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t load32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

std::size_t glyphBytes(const uint8_t* g) { return 2 + static_cast<std::size_t>(g[1]) * ((g[0] + 7u) / 8u); }

}  // namespace

Layout layoutOf(const uint8_t* block)
{
    Layout l;
    if (load32(block) == kLongFormMagic) {
        l.first = load16(block + 8);
        l.last = load16(block + 10);
        l.tableOffset = 16;
    } else {
        l.first = block[0];
        l.last = block[1];
        l.tableOffset = 2;
    }
    const std::size_t entries = l.last >= l.first ? l.last - l.first + 1 : 0;
    l.tableEnd = l.tableOffset + 4 * entries;
    return l;
}

const uint8_t* glyph(const uint8_t* block, unsigned code)
{
    const Layout l = layoutOf(block);
    if (code < l.first || code > l.last)
        return nullptr;
    const uint32_t offset = load32(block + l.tableOffset + 4 * static_cast<std::size_t>(code - l.first));
    return offset ? block + offset : nullptr;
}

const uint8_t* extensionRecord(const uint8_t* block, uint16_t key, uint16_t* length)
{
    const Layout l = layoutOf(block);
    const uint8_t* ext = block + l.tableEnd;
    if (load32(ext) != kExtensionMagic)
        return nullptr;
    const uint32_t total = load32(ext + 4);
    uint32_t pos = 0;
    while (pos + 4 <= total) {
        const uint8_t* rec = ext + 8 + pos;
        const uint16_t k = load16(rec), n = load16(rec + 2);
        if (pos + 4 + n > total)
            break;
        if (k == key) {
            if (length)
                *length = n;
            return rec + 4;
        }
        pos += 4 + n;
    }
    return nullptr;
}

int defaultSpacing(const uint8_t* block)
{
    uint16_t n = 0;
    const uint8_t* data = extensionRecord(block, kKeySpacing, &n);
    if (!data || n == 0)
        return 0;
    return n == 1 ? static_cast<int8_t>(data[0]) : static_cast<int16_t>(load16(data));
}

bool isValidFont(const uint8_t* block, std::size_t size)
{
    if (!block || size < 2)
        return false;
    if (size >= 4 && load32(block) == kLongFormMagic && size < 16)
        return false;
    const Layout l = layoutOf(block);
    if (l.last < l.first || l.tableEnd > size)
        return false;
    for (unsigned code = l.first; code <= l.last; ++code) {
        const uint32_t offset = load32(block + l.tableOffset + 4 * static_cast<std::size_t>(code - l.first));
        if (offset == 0)
            continue;
        if (offset < l.tableEnd || offset > size - 2 || glyphBytes(block + offset) > size - offset)
            return false;
    }
    if (size - l.tableEnd >= 8 && load32(block + l.tableEnd) == kExtensionMagic) {
        const uint32_t total = load32(block + l.tableEnd + 4);
        if (total > size - l.tableEnd - 8)
            return false;
    }
    return true;
}

}  // namespace gz::font
