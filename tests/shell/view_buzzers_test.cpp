// Buzzers in the running program: keys of a keyboard-type buzzer through the
// stored mapping and the shared gate, and "Buzzer zuordnen" from the menu
// command to the stored settings.
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <linux/input.h>

#include "shell/buzzer_dialog.h"
#include "shell/game_zinko_app.h"
#include "shell/game_zinko_view.h"
#include "shell/main_frame.h"
#include "shell/settings_memory.h"
#include "shell/tool_bar.h"
#include "show/command_ids.h"
#include "tests/shell/app_on_demo_library.h"
#include "devices/input_event_decoder.h"
#include "tests/show/fake_input_devices.h"
#include "tests/uikit/modal_driver.h"

namespace gz {
namespace {

using gz::testing::FakeInputDevices;
using gz::testing::whenModal;

using FakeClock = gz::testing::StillShowClock;

constexpr int kLeftStarUpAction = 5;   // "Erster Spieler +"

class ViewBuzzersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        gz::testing::useDemoLibraryCopy(tmp, settings);
    }
    void TearDown() override
    {
        if (app)
            app->frame()->close();
        app.reset();
    }
    void start() { gz::testing::startAppActive(app, settings, ViewDevices{false, false, &clock, inputSource}); }
    CGameZinkoView& view() { return *static_cast<CGameZinkoView*>(app->view()); }
    ShowState& show() { return view().board().show(); }
    // Typed as the user types: to whichever widget of the window has the
    // focus; queued commands run before it returns.
    void type(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : app->frame(), k, m);
        QTest::qWait(10);
    }

    QTemporaryDir tmp;
    MemorySettingsBackend settings;
    FakeClock clock;
    FakeInputDevices pads;                      // outlives the app's poller
    InputDeviceSource* inputSource = nullptr;   // set before start()
    std::unique_ptr<GameZinkoApp> app;
};

TEST_F(ViewBuzzersTest, BoundKeysBuzzAndCountOnceWithinTheGate)
{
    BuzzerMapping keys;
    keys.bind(0, {kKeyboardDevice, Qt::Key_1});
    keys.bind(kLeftStarUpAction, {kKeyboardDevice, Qt::Key_2});
    writeBuzzerMapping(settings, keys);
    start();
    EXPECT_EQ(view().buzzerMapping(), keys);

    // The function keys are the game master's as ever.
    type(Qt::Key_F5);
    ASSERT_TRUE(show().gameRunning);
    type(Qt::Key_F7);
    EXPECT_EQ(show().player(PlayerSide::Left), PlayerState::Buzzed);
    type(Qt::Key_F6);
    type(Qt::Key_F5);
    ASSERT_TRUE(show().gameRunning);
    ASSERT_EQ(show().player(PlayerSide::Left), PlayerState::Idle);

    // An unbound key, and a bound one held with Ctrl, do nothing.
    type(Qt::Key_3);
    type(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(show().player(PlayerSide::Left), PlayerState::Idle);
    EXPECT_EQ(show().stars[0], 0);

    type(Qt::Key_1);
    EXPECT_EQ(show().player(PlayerSide::Left), PlayerState::Buzzed);
    EXPECT_EQ(show().player(PlayerSide::Right), PlayerState::Idle);

    // A star key pressed twice within 100 ms counts once, after that again.
    type(Qt::Key_2);
    clock.now += 60;
    type(Qt::Key_2);
    EXPECT_EQ(show().stars[0], 1);
    clock.now += 101;
    type(Qt::Key_2);
    EXPECT_EQ(show().stars[0], 2);
}

// A focused drop-down would take a digit for a search of its own entries.
TEST_F(ViewBuzzersTest, BoundKeysCountWhileTheToolbarHasTheFocus)
{
    BuzzerMapping keys;
    keys.bind(kLeftStarUpAction, {kKeyboardDevice, Qt::Key_Space});
    writeBuzzerMapping(settings, keys);
    start();
    QComboBox* selector = app->frame()->toolBar()->modeSelector();
    selector->setFocus();
    QTest::qWait(10);
    ASSERT_EQ(QApplication::focusWidget(), selector);
    type(Qt::Key_Space);
    EXPECT_EQ(show().stars[0], 1);
    EXPECT_FALSE(selector->view()->isVisible());   // a space would open it
}

TEST_F(ViewBuzzersTest, AssignedButtonsAreStoredAndUsedAtOnce)
{
    start();
    view().setInputDevices({"USB Gamepad", "Buzzer-Set"}, "Buzzer-Set");
    int changes = 0;
    QObject::connect(&view(), &CGameZinkoView::mappingChanged, [&](const BuzzerMapping&) { ++changes; });
    view().buzzerDevicePressed({"USB Gamepad", 0x130});   // no dialog open: nothing to learn

    whenModal<BuzzerDialog>([this](BuzzerDialog* d) {
        // Nothing stored: the buzzer set's red buttons are shown as they work.
        QTableWidget* table = d->findChild<QTableWidget*>("actions");
        EXPECT_EQ(table->item(1, 1)->text(), QStringLiteral("Buzzer-Set – Handsender 2, roter Knopf"));
        view().buzzerDevicePressed({"USB Gamepad", 0x130});   // as the poller hands it over
        clock.now += 1000;
        QTest::keyClick(d->focusWidget(), Qt::Key_2);
        clock.now += 1000;
        QTest::keyClick(d->focusWidget(), Qt::Key_Space);
        d->findChild<QPushButton*>("ok")->click();
    });
    app->frame()->dispatchCommand(cmd::kAssignBuzzers);
    // The offscreen platform leaves no window active after a dialog.
    app->frame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(app->frame()));

    BuzzerMapping expected;
    expected.bind(0, {"USB Gamepad", 0x130});
    expected.bind(1, {kKeyboardDevice, Qt::Key_2});
    expected.bind(2, {kKeyboardDevice, Qt::Key_Space});
    EXPECT_EQ(view().buzzerMapping(), expected);
    EXPECT_EQ(readBuzzerMapping(settings), expected);
    EXPECT_EQ(changes, 1);

    type(Qt::Key_F5);
    ASSERT_TRUE(show().gameRunning);
    type(Qt::Key_2);
    EXPECT_EQ(show().player(PlayerSide::Right), PlayerState::Buzzed);

    // Abbrechen keeps everything.
    whenModal<BuzzerDialog>([](BuzzerDialog* d) {
        QTest::keyClick(d->focusWidget(), Qt::Key_Space);
        QTest::keyClick(d->focusWidget(), Qt::Key_Escape);
    });
    app->frame()->dispatchCommand(cmd::kAssignBuzzers);
    EXPECT_EQ(view().buzzerMapping(), expected);
    EXPECT_EQ(readBuzzerMapping(settings), expected);
    EXPECT_EQ(changes, 1);
}

// A game pad read on the input devices' own thread: its bound button buzzes
// a running picture; while "Buzzer zuordnen" is open its presses are learned
// instead, and the poller acts by the new buttons as soon as OK is pressed.
TEST_F(ViewBuzzersTest, GamePadPressesBuzzAndAreLearnedWhileTheDialogIsOpen)
{
    const std::string path = "/dev/input/event3";
    InputDeviceInfo pad;
    pad.path = path;
    pad.name = "USB Gamepad";
    pad.kind = InputDeviceKind::Gamepad;
    pads.plug(pad);
    const auto press = [&](uint16_t code) {
        return pads.send(path, encodeInputEvent(EV_KEY, code, 1) + encodeInputEvent(EV_SYN, SYN_REPORT, 0) +
                                   encodeInputEvent(EV_KEY, code, 0) + encodeInputEvent(EV_SYN, SYN_REPORT, 0));
    };
    BuzzerMapping stored;
    stored.bind(1, {"USB Gamepad", BTN_SOUTH});
    writeBuzzerMapping(settings, stored);
    inputSource = &pads;
    start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pads.opens(path) > 0; }, 5000));

    type(Qt::Key_F5);
    ASSERT_TRUE(show().gameRunning);
    ASSERT_TRUE(press(BTN_SOUTH));
    EXPECT_TRUE(QTest::qWaitFor([&] { return show().player(PlayerSide::Right) == PlayerState::Buzzed; }, 5000));
    type(Qt::Key_F6);
    ASSERT_EQ(show().player(PlayerSide::Right), PlayerState::Idle);

    // The walk starts at "Buzzer links".
    whenModal<BuzzerDialog>([&](BuzzerDialog* d) {
        QTableWidget* table = d->findChild<QTableWidget*>("actions");
        const QString before = table->item(0, 1)->text();
        ASSERT_TRUE(press(BTN_EAST));
        EXPECT_TRUE(QTest::qWaitFor([&] { return table->item(0, 1)->text() != before; }, 5000));
        d->findChild<QPushButton*>("ok")->click();
    });
    app->frame()->dispatchCommand(cmd::kAssignBuzzers);
    app->frame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(app->frame()));
    ASSERT_EQ(view().buzzerMapping().binding(0), (ButtonBinding{"USB Gamepad", BTN_EAST}));
    EXPECT_EQ(show().player(PlayerSide::Left), PlayerState::Idle) << "a learned press does not buzz";

    // At once: the poller may still be waiting for input with the old buttons.
    type(Qt::Key_F5);
    ASSERT_TRUE(show().gameRunning);
    ASSERT_TRUE(press(BTN_EAST));
    EXPECT_TRUE(QTest::qWaitFor([&] { return show().player(PlayerSide::Left) == PlayerState::Buzzed; }, 5000));
}

}  // namespace
}  // namespace gz
