#include "show/com_port_choice.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace gz {
namespace {

TEST(ComPortChoice, DialogTextNamesThePortFromOne) {
    EXPECT_EQ(comPortDialogText(0), "COM1");
    EXPECT_EQ(comPortDialogText(2), "COM3");
    EXPECT_EQ(comPortDialogText(255), "COM256");
    EXPECT_EQ(comPortDialogText(INT32_MAX), "COM2147483648");   // a stored value out of range
}

TEST(ComPortChoice, ConfirmedTextBecomesTheZeroBasedPort) {
    struct Case {
        const char* text;
        int32_t comPort;
    } cases[] = {
        {"com3", 2},       {"COM3", 2},      {"CoM12", 11},    {"7", 6},
        {"abc", 0},        {"0", 0},         {"", 0},          {"COM", 0},
        {"COM0", 0},       {"COM-4", 0},     {"-3", 0},        {"COM 5", 4},
        {"  4", 3},        {"\t9", 8},       {"3abc", 2},      {"COM2x", 1},
        {"0x10", 15},      {"COM0x1F", 30},  {"0o17", 14},     {"0b101", 4},
        {"0d09", 8},       {"0X0a", 9},      {"010", 9},       {"0x", 0},
        {"0b2", 0},        {" COM3", 0},     {"+3", 0},        {"COMCOM3", 0},
        {"99999999999999999999", INT32_MAX - 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(comPortFromText(c.text), c.comPort) << '"' << c.text << '"';
    }
}

TEST(ComPortChoice, OnlyTheFirst31CharactersCount) {
    // Leading blanks count towards the 31; digits past them are cut off.
    const std::string blanks(29, ' ');
    EXPECT_EQ(comPortFromText(blanks + "12"), 11);       // 31 characters: both digits
    EXPECT_EQ(comPortFromText(blanks + "123"), 11);      // the third digit is cut
    EXPECT_EQ(comPortFromText(std::string(31, ' ') + "5"), 0);
}

TEST(ComPortChoice, IntegersSaturateInsteadOfOverflowing) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"0xFFFFFFFFFFFF", INT32_MAX},
        {"-0x10", -16},
        {"-", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parsePortInteger(c.text), c.value) << c.text;
    }
}

}  // namespace
}  // namespace gz
