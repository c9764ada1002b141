#include "show/buzzer_mapping.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "show/buzzer_action.h"
#include "show/command_ids.h"

namespace gz {
namespace {

TEST(BuzzerMapping, ABindingMovesOffItsFormerAction)
{
    BuzzerMapping m;
    const ButtonBinding pad{"USB Gamepad", 0x130};
    m.bind(0, pad);
    m.bind(3, pad);
    EXPECT_FALSE(m.binding(0).has_value());
    EXPECT_EQ(m.actionFor("USB Gamepad", 0x130), 3);
    EXPECT_EQ(m.actionFor("USB Gamepad", 0x131), -1);
    EXPECT_EQ(m.actionFor("USB Gamepad (2)", 0x130), -1);
}

TEST(BuzzerMapping, KeyboardAndDeviceBindingsWithTheSameCodeStayApart)
{
    BuzzerMapping m;
    m.bind(0, {kKeyboardDevice, 0x31});
    m.bind(1, {"Quiz Box", 0x31});
    EXPECT_EQ(m.actionFor(kKeyboardDevice, 0x31), 0);
    EXPECT_EQ(m.actionFor("Quiz Box", 0x31), 1);
}

TEST(BuzzerMapping, OutOfRangeActionsAreIgnored)
{
    BuzzerMapping m;
    m.bind(-1, {"x", 1});
    m.bind(kBuzzerActionCount, {"x", 1});
    EXPECT_TRUE(m.empty());
    EXPECT_FALSE(m.binding(8).has_value());
    EXPECT_EQ(buzzerActionName(8), "");
    EXPECT_EQ(buzzerActionName(2), "Starte nächstes Bild");
}

TEST(QuizBuzzerSet, ButtonCodesFollowTheKernelsJoystickNumbering)
{
    struct Case {
        int handset, button;
        uint32_t code;
    };
    const Case cases[] = {
        {0, 0, 0x120}, {0, 4, 0x124}, {1, 0, 0x125}, {2, 0, 0x12a},
        {3, 0, 0x12f}, {3, 1, 0x2c0}, {3, 4, 0x2c3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(quizButtonCode(c.handset, c.button), c.code) << c.handset << "/" << c.button;
        EXPECT_EQ(quizHandsetOf(c.code), c.handset) << std::hex << c.code;
    }
    EXPECT_EQ(quizButtonCode(4, 0), 0u);
    EXPECT_EQ(quizButtonCode(0, 5), 0u);
    EXPECT_EQ(quizHandsetOf(0x11f), -1);
    EXPECT_EQ(quizHandsetOf(0x2c4), -1);
    EXPECT_EQ(quizHandsetOf(30), -1);   // KEY_A
}

TEST(QuizBuzzerSet, IsRecognisedByItsUsbIds)
{
    EXPECT_TRUE(isQuizBuzzerSet(0x054C, 0x0002));
    EXPECT_TRUE(isQuizBuzzerSet(0x054C, 0x1000));
    EXPECT_TRUE(isQuizBuzzerSet(0x054C, 0x1001));
    EXPECT_FALSE(isQuizBuzzerSet(0x054C, 0x0268));
    EXPECT_FALSE(isQuizBuzzerSet(0x046D, 0x0002));
}

TEST(EffectiveMapping, TheBuzzerSetWorksOnlyWhileNothingIsStored)
{
    const BuzzerMapping none;
    const BuzzerMapping d = effectiveMapping(none, "Quiz Set");
    EXPECT_EQ(d.actionFor("Quiz Set", 0x120), 0);
    EXPECT_EQ(d.actionFor("Quiz Set", 0x125), 1);
    EXPECT_EQ(d.actionFor("Quiz Set", 0x12a), -1);
    EXPECT_TRUE(effectiveMapping(none, "").empty());

    BuzzerMapping stored;
    stored.bind(4, {"Pad", 0x130});
    EXPECT_EQ(effectiveMapping(stored, "Quiz Set"), stored);
}

TEST(InputDeviceKeys, EqualNamesAreNumberedByTheirPortWhateverTheOrder)
{
    const std::vector<NamedDevice> a = {
        {"USB Gamepad", "usb-0000:00:14.0-2/input0"},
        {"Keyboard", "usb-0000:00:14.0-1/input0"},
        {"USB Gamepad", "usb-0000:00:14.0-1/input0"},
    };
    const std::vector<std::string> keys = inputDeviceKeys(a);
    EXPECT_EQ(keys, (std::vector<std::string>{"USB Gamepad (2)", "Keyboard", "USB Gamepad"}));
    const std::vector<NamedDevice> b = {a[2], a[0], a[1]};
    EXPECT_EQ(inputDeviceKeys(b), (std::vector<std::string>{"USB Gamepad", "USB Gamepad (2)", "Keyboard"}));
}

struct RecordingBuzzer : BuzzerTarget {
    std::vector<PlayerSide> stops;
    void stopPlayer(PlayerSide s) override { stops.push_back(s); }
};

TEST(BuzzerAction, StopsActDirectlyAndTheRestArePosted)
{
    RecordingBuzzer buzzer;
    std::vector<int32_t> posted;
    const BuzzerCommandPoster post = [&](int32_t id) { posted.push_back(id); };
    for (int a = -1; a <= kBuzzerActionCount; ++a)
        runBuzzerAction(a, buzzer, post);
    EXPECT_EQ(buzzer.stops, (std::vector<PlayerSide>{PlayerSide::Left, PlayerSide::Right}));
    EXPECT_EQ(posted, (std::vector<int32_t>{cmd::kStartNextPicture, cmd::kUncoverPicture, cmd::kLeftStarDown,
                                            cmd::kLeftStarUp, cmd::kRightStarDown, cmd::kRightStarUp}));
}

TEST(BuzzerActionGate, SharedSourcesCountAPressOnce)
{
    BuzzerActionGate gate;
    EXPECT_TRUE(gate.accept(5, 1000));
    EXPECT_FALSE(gate.accept(5, 1100));   // the same press through the other path
    EXPECT_TRUE(gate.accept(4, 1100));    // another action is not held back
    EXPECT_TRUE(gate.accept(5, 1101));
    EXPECT_FALSE(gate.accept(8, 5000));
}

TEST(BuzzerActionGate, ConcurrentSourcesLetExactlyOnePressThrough)
{
    for (int round = 0; round < 200; ++round) {
        BuzzerActionGate gate;
        std::atomic<int> accepted{0};
        std::atomic<bool> go{false};
        auto press = [&] {
            while (!go.load()) {
            }
            if (gate.accept(0, 42))
                ++accepted;
        };
        std::thread a(press), b(press);
        go.store(true);
        a.join();
        b.join();
        ASSERT_EQ(accepted.load(), 1) << "round " << round;
    }
}

}  // namespace
}  // namespace gz
