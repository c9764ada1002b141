// The walk through the eight actions that teaches the show its buttons.
#include "show/buzzer_learning.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gz {
namespace {

const ButtonBinding kPadA{"USB Gamepad", 0x130};
const ButtonBinding kPadB{"USB Gamepad", 0x131};
const ButtonBinding kPad2A{"USB Gamepad (2)", 0x130};
const ButtonBinding kKey1{kKeyboardDevice, 0x31};
const ButtonBinding kBoxKey1{"Quiz Box", 2};   // the same press as kKey1, seen as an input device

struct Step {
    enum Kind { Press, Skip, Back, Clear, Select } kind;
    ButtonBinding button{};
    uint32_t atMs = 0;   // Press: when; Select: the action
    bool learns = true;  // Press: expected result
};

Step press(const ButtonBinding& b, uint32_t t, bool learns = true) { return {Step::Press, b, t, learns}; }
Step skip() { return {Step::Skip}; }
Step back() { return {Step::Back}; }
Step clear() { return {Step::Clear}; }
Step select(int action) { return {Step::Select, {}, static_cast<uint32_t>(action)}; }

// One line per mapping: each action's "device/code" or "-".
std::string describe(const BuzzerMapping& m)
{
    std::string s;
    for (int a = 0; a < kBuzzerActionCount; ++a) {
        if (a > 0)
            s += ' ';
        const auto& b = m.binding(a);
        s += b ? b->device + "/" + std::to_string(b->code) : "-";
    }
    return s;
}

struct Case {
    const char* name;
    BuzzerMapping start;
    std::vector<Step> steps;
    int current;           // after the steps
    std::string mapping;   // describe() after the steps
};

BuzzerMapping startingWith(int action, const ButtonBinding& b)
{
    BuzzerMapping m;
    m.bind(action, b);
    return m;
}

class Walk : public ::testing::TestWithParam<Case> {};

TEST_P(Walk, Sequence)
{
    const Case& c = GetParam();
    BuzzerLearning walk(c.start);
    EXPECT_EQ(walk.current(), 0);
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        const Step& s = c.steps[i];
        switch (s.kind) {
        case Step::Press: EXPECT_EQ(walk.press(s.button, s.atMs), s.learns) << "step " << i; break;
        case Step::Skip: walk.skip(); break;
        case Step::Back: walk.back(); break;
        case Step::Clear: walk.clearCurrent(); break;
        case Step::Select: walk.select(static_cast<int>(s.atMs)); break;
        }
    }
    EXPECT_EQ(walk.current(), c.current);
    EXPECT_EQ(walk.done(), c.current == kBuzzerActionCount);
    EXPECT_EQ(describe(walk.mapping()), c.mapping);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Walk,
    ::testing::Values(
        Case{"NothingPressed", {}, {}, 0, "- - - - - - - -"},
        Case{"StartsFromTheGivenMapping", startingWith(3, kPadA), {}, 0, "- - - USB Gamepad/304 - - - -"},
        Case{"EachPressTakesTheNextAction",
             {},
             {press(kPadA, 1000), press(kPadB, 2000), press(kPad2A, 3000)},
             3,
             "USB Gamepad/304 USB Gamepad/305 USB Gamepad (2)/304 - - - - -"},
        // A keyboard buzzer: the typed key right behind the device's report.
        Case{"SecondReportOfOnePressIsNotLearned",
             {},
             {press(kBoxKey1, 1000), press(kKey1, 1004, false), press(kPadA, 1400)},
             2,
             "Quiz Box/2 USB Gamepad/304 - - - - - -"},
        Case{"SettleEndsAfter300Ms",
             {},
             {press(kPadA, 1000), press(kPadB, 1299, false), press(kPadB, 1300)},
             2,
             "USB Gamepad/304 USB Gamepad/305 - - - - - -"},
        // An ignored press does not stretch the settle time.
        Case{"IgnoredPressDoesNotExtendTheSettle",
             {},
             {press(kPadA, 1000), press(kPadB, 1250, false), press(kPadB, 1310)},
             2,
             "USB Gamepad/304 USB Gamepad/305 - - - - - -"},
        Case{"SettleAcrossTheClocksWrap",
             {},
             {press(kPadA, 0xFFFFFF00u), press(kPadB, 0x10, false), press(kPadB, 0x100)},
             2,
             "USB Gamepad/304 USB Gamepad/305 - - - - - -"},
        Case{"TheSameButtonAgainMovesToTheLaterAction",
             {},
             {press(kPadA, 1000), press(kPadA, 2000)},
             2,
             "- USB Gamepad/304 - - - - - -"},
        Case{"SkipKeepsTheBinding",
             startingWith(0, kPadA),
             {skip(), press(kPadB, 1000)},
             2,
             "USB Gamepad/304 USB Gamepad/305 - - - - - -"},
        Case{"BackRelearnsThePreviousAction",
             {},
             {press(kPadA, 1000), back(), press(kPadB, 2000)},
             1,
             "USB Gamepad/305 - - - - - - -"},
        Case{"BackStopsAtTheFirstAction", {}, {back(), back()}, 0, "- - - - - - - -"},
        Case{"ClearUnbindsAndStays",
             startingWith(2, kPadA),
             {skip(), skip(), clear()},
             2,
             "- - - - - - - -"},
        Case{"ClearTouchesOnlyTheCurrentAction",
             startingWith(1, kPadA),
             {clear()},
             0,
             "- USB Gamepad/304 - - - - - -"},
        Case{"AllEightThenDone",
             {},
             {press({"d", 1}, 1000), press({"d", 2}, 2000), press({"d", 3}, 3000), press({"d", 4}, 4000),
              press({"d", 5}, 5000), press({"d", 6}, 6000), press({"d", 7}, 7000), press({"d", 8}, 8000),
              press({"d", 9}, 9000, false), skip(), clear()},
             kBuzzerActionCount,
             "d/1 d/2 d/3 d/4 d/5 d/6 d/7 d/8"},
        Case{"BackFromDoneIsTheLastAction",
             {},
             {select(7), press(kPadA, 1000), back(), press(kPadB, 2000)},
             kBuzzerActionCount,
             "- - - - - - - USB Gamepad/305"},
        Case{"SelectPicksAnAction",
             {},
             {select(5), press(kPadA, 1000), select(8), select(-1)},
             6,
             "- - - - - USB Gamepad/304 - -"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace gz
