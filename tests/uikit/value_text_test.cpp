#include "uikit/value_text.h"

#include <gtest/gtest.h>

namespace gz {
namespace {

TEST(ValueText, ParsesEveryRadixPrefixSuffixAndSign)
{
    struct Case { const char* text; int32_t expect; };
    const Case cases[] = {
        {"", 0},
        {"abc", 0},
        {"42", 42},
        {"   \t42", 42},
        {"+42", 42},
        {"- 42", -42},
        {"-5", -5},
        {"12abc", 12},
        {"1Fh", 31},
        {"FFh", 255},
        {"ffH", 255},
        {"0x1F", 31},
        {"0X1f", 31},
        {"0x", 0},
        {"0o17", 15},
        {"77o", 63},
        {"0b101", 5},
        {"101b", 5},
        {"12b", 12},          // the run of 0/1 ends at the 2
        {"0B11", 3},
        {"4294967295", -1},
        {"4294967296", -1},   // does not fit: 0xFFFFFFFF
        {"99999999999999999999", -1},
        {"2147483648", INT32_MIN},
        {"-2147483648", INT32_MIN},
        {"0x-1", -1},         // the further sign negates modulo 2^32
        {"--5", 5},
        {"1 2", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseValueText(c.text), c.expect) << '"' << c.text << '"';
}

TEST(ValueText, FormatsAllFormats)
{
    struct Case { int32_t value; int format; const char* expect; };
    const Case cases[] = {
        {255, 0, "255"}, {-255, 0, "-255"}, {255, 1, "0xFF"}, {255, 2, "0b11111111"},
        {255, 3, "0o377"}, {255, 4, "FFh"}, {255, 5, "11111111b"}, {255, 6, "377o"},
        {255, 9, "255"}, {-1, 9, "4294967295"}, {0, 1, "0x0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatValueText(c.value, c.format), c.expect) << c.value << " fmt " << c.format;
}

TEST(ValueText, FormattedValuesParseBack)
{
    for (int32_t v : {0, 1, 255, 5000, 65535, INT32_MAX, -1, -5000, INT32_MIN})
        for (int f = 0; f <= 6; ++f)
            EXPECT_EQ(parseValueText(formatValueText(v, f)), v) << v << " fmt " << f;
}

TEST(ValueText, CopyTextOutIsBounded)
{
    char buf[32];
    std::string longText(100, 'x');
    EXPECT_EQ(copyTextOut(longText, buf, 32), 31);
    EXPECT_EQ(buf[31], '\0');
    EXPECT_EQ(copyTextOut("COM1", buf, 0), 0);
    EXPECT_EQ(copyTextOut("COM1", buf, -3), 0);
    EXPECT_EQ(copyTextOut("COM1", buf, 32), 4);
    EXPECT_STREQ(buf, "COM1");
}

}  // namespace
}  // namespace gz
