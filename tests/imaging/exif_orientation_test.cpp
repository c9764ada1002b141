#include "imaging/exif_orientation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/imaging/picture_fixtures.h"

namespace gz {
namespace {

using Bytes = std::vector<uint8_t>;

// Hand-made EXIF: little-endian unless the table starts with "MM".
const Bytes kLittle6 = {'I', 'I', 42, 0, 8, 0, 0, 0,           // header, directory at 8
                        1, 0,                                  // one entry
                        0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0,   // orientation SHORT 1 = 6
                        0, 0, 0, 0};                           // no next directory
const Bytes kBig8 = {'M', 'M', 0, 42, 0, 0, 0, 8,
                     0, 1,
                     0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 8, 0, 0,
                     0, 0, 0, 0};

Bytes withPrefix(const Bytes& b)
{
    Bytes out = {'E', 'x', 'i', 'f', 0, 0};
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

Bytes patched(Bytes b, std::size_t at, std::initializer_list<uint8_t> bytes)
{
    for (uint8_t v : bytes)
        b[at++] = v;
    return b;
}

TEST(ExifOrientation, HandMadeTables)
{
    // Camera layout: other tags before the orientation, directory further in.
    Bytes camera = {'M', 'M', 0, 42, 0, 0, 0, 12, 0xAA, 0xBB, 0xCC, 0xDD,
                    0, 3,
                    0x01, 0x0F, 0, 2, 0, 0, 0, 4, 'A', 'B', 'C', 0,        // Make, ASCII in place
                    0x01, 0x10, 0, 2, 0, 0, 0, 20, 0, 0, 0, 50,           // Model, at offset 50
                    0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 3, 0, 0,
                    0, 0, 0, 0};
    camera.resize(70, 'x');
    // A second orientation entry does not override the first.
    Bytes twice = {'I', 'I', 42, 0, 8, 0, 0, 0, 2, 0,
                   0x12, 0x01, 3, 0, 1, 0, 0, 0, 5, 0, 0, 0,
                   0x12, 0x01, 3, 0, 1, 0, 0, 0, 7, 0, 0, 0,
                   0, 0, 0, 0};
    // LONG instead of SHORT is accepted; a directory pointing to itself
    // as its successor is never followed.
    Bytes asLong = patched(kLittle6, 12, {4, 0});
    Bytes selfLoop = patched(kLittle6, 22, {8, 0, 0, 0});

    struct Case { const char* what; Bytes data; int orientation; };
    const Case cases[] = {
        {"little-endian", kLittle6, 6},
        {"big-endian", kBig8, 8},
        {"behind Exif\\0\\0", withPrefix(kBig8), 8},
        {"camera layout", camera, 3},
        {"first entry wins", twice, 5},
        {"LONG value", asLong, 6},
        {"directory loops to itself", selfLoop, 6},
        // What is ignored
        {"orientation 0", patched(kLittle6, 18, {0, 0}), 0},
        {"orientation 9", patched(kLittle6, 18, {9, 0}), 0},
        {"value in the other byte order (0x0600)", patched(kLittle6, 18, {0, 6}), 0},
        {"RATIONAL type", patched(kLittle6, 12, {5, 0}), 0},
        {"two values", patched(kLittle6, 14, {2, 0}), 0},
        {"no entries", patched(kLittle6, 8, {0, 0}), 0},
        {"other tag only", patched(kLittle6, 10, {0x13, 0x01}), 0},
        {"wrong magic", patched(kLittle6, 2, {43, 0}), 0},
        {"mixed byte order mark", patched(kLittle6, 0, {'I', 'M'}), 0},
        {"no header", {'J', 'F', 'I', 'F', 0, 0, 0, 0, 0, 0}, 0},
        {"empty", {}, 0},
        {"prefix only", {'E', 'x', 'i', 'f', 0, 0}, 0},
        {"header only", Bytes(kLittle6.begin(), kLittle6.begin() + 8), 0},
        // Offsets and counts beyond the data
        {"directory offset past the end", patched(kLittle6, 4, {0xFF, 0xFF, 0xFF, 0x7F}), 0},
        {"directory offset inside the header", patched(kLittle6, 4, {2, 0, 0, 0}), 0},
        {"directory offset at the last byte", patched(kLittle6, 4, {25, 0, 0, 0}), 0},
        {"entry count beyond the data", patched(kLittle6, 8, {0xFF, 0xFF}), 6},
        {"entry cut short", Bytes(kLittle6.begin(), kLittle6.begin() + 21), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(exifOrientation(c.data.data(), c.data.size()), c.orientation) << c.what;
    EXPECT_EQ(exifOrientation(nullptr, 100), 0);
}

// The fixture maker's EXIF (used by the codec tests) agrees with the parser
// for every value, byte order and prefix.
TEST(ExifOrientation, EveryValueBothOrdersWithAndWithoutPrefix)
{
    for (int o = 0; o <= 9; ++o)
        for (bool big : {false, true})
            for (bool prefix : {false, true}) {
                const Bytes exif = testing::exifWithOrientation(o, big, prefix);
                EXPECT_EQ(exifOrientation(exif.data(), exif.size()), o >= 1 && o <= 8 ? o : 0)
                    << o << " " << big << " " << prefix;
            }
}

// Every cut of a valid table is read without touching bytes past the cut
// (AddressSanitizer watches the exact-size copies).
TEST(ExifOrientation, EveryTruncationIsSafe)
{
    for (const Bytes& full : {kLittle6, kBig8, withPrefix(kLittle6)}) {
        for (std::size_t n = 0; n <= full.size(); ++n) {
            const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
            const int o = exifOrientation(n ? cut.data() : nullptr, n);
            // The entry counts once all its twelve bytes are in; the next
            // directory's offset after it is never needed.
            if (n >= full.size() - 4)
                EXPECT_NE(o, 0) << n;
            else
                EXPECT_EQ(o, 0) << n;
        }
    }
}

}  // namespace
}  // namespace gz
