#include "shell/menu_tint.h"

#include <gtest/gtest.h>

namespace gz {
namespace {

// Expected values worked out by hand from the tint rule with c = 223.
TEST(MenuTint, ShadesOfTheTintByBrightness)
{
    struct Case { uint32_t in, out; };
    const Case cases[] = {
        {0xC0C0C0, 0xC0C0C0},   // transparent stays
        {0x000000, 0xA7A7A7},   // v 0: 223*192/256 = 167
        {0xFFFFFF, 0xE6E6E6},   // v 254: 223 + 33*(62/4)/64 = 223 + 33*15/64 = 230
        {0x0000FF, 0xCBCBCB},   // v 127: 223*(42+192)/256 = 203
        {0x00FF00, 0xBFBFBF},   // v 84: 223*(28+192)/256 = 191
    };
    for (const Case& c : cases)
        EXPECT_EQ(disabledMenuPixel(c.in), c.out) << std::hex << c.in;
    // Blue weighs most (low byte): pure blue is lighter than pure red.
    EXPECT_GT(disabledMenuPixel(0x0000FF) & 0xFF, disabledMenuPixel(0xFF0000) & 0xFF);
}

TEST(MenuTint, ResultIsAlwaysGrey)
{
    for (uint32_t c = 0; c < 0x1000000; c += 0x010305) {
        uint32_t t = disabledMenuPixel(c);
        if (c == kMenuTransparent)
            continue;
        EXPECT_EQ(t & 0xFF, (t >> 8) & 0xFF);
        EXPECT_EQ(t & 0xFF, (t >> 16) & 0xFF);
    }
}

}  // namespace
}  // namespace gz
