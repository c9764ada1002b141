#include "imaging/exif_orientation.h"

#include <cstring>

namespace gz {

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;

struct Tiff {
    const uint8_t* data;
    std::size_t size;
    bool big;

    uint16_t u16(std::size_t at) const
    {
        const uint8_t* p = data + at;
        return big ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
    }
    uint32_t u32(std::size_t at) const
    {
        const uint8_t* p = data + at;
        return big ? static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                         static_cast<uint32_t>(p[2]) << 8 | p[3]
                   : static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 |
                         static_cast<uint32_t>(p[1]) << 8 | p[0];
    }
};

}  // namespace

int exifOrientation(const uint8_t* data, std::size_t size)
{
    if (!data)
        return 0;
    if (size >= 6 && std::memcmp(data, "Exif\0\0", 6) == 0) {
        data += 6;
        size -= 6;
    }
    if (size < 8)
        return 0;
    Tiff t{data, size, false};
    if (data[0] == 'M' && data[1] == 'M')
        t.big = true;
    else if (!(data[0] == 'I' && data[1] == 'I'))
        return 0;
    if (t.u16(2) != 42)
        return 0;
    const uint32_t ifd = t.u32(4);
    // The count itself must be inside; entries past the end are not read.
    if (ifd < 8 || ifd > size - 2)
        return 0;
    const std::size_t count = t.u16(ifd);
    const std::size_t fits = (size - ifd - 2) / 12;
    for (std::size_t i = 0; i < count && i < fits; ++i) {
        const std::size_t e = ifd + 2 + 12 * i;
        if (t.u16(e) != kOrientationTag)
            continue;
        const uint16_t type = t.u16(e + 2);
        const uint32_t n = t.u32(e + 4);
        // A single value sits in the entry's own four bytes: no offset to follow.
        uint32_t value;
        if (type == kTypeShort && n == 1)
            value = t.u16(e + 8);
        else if (type == kTypeLong && n == 1)
            value = t.u32(e + 8);
        else
            return 0;
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 0;
    }
    return 0;
}

}  // namespace gz
