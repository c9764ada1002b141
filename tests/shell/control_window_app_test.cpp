// "Moderatorfenster" in the running program, on the demo library and two
// virtual screens of 1920x1080 side by side: opened with F11 from the menu
// "Ansicht" or the toolbar, a whole picture driven through its buttons and
// keys while the board shows exactly what it shows without it, full screen
// on the other screen, and its placement and open state kept in the
// settings.
#include <QApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "shell/control_window.h"
#include "shell/game_zinko_app.h"
#include "shell/game_zinko_view.h"
#include "shell/main_frame.h"
#include "shell/settings_memory.h"
#include "shell/settings_values.h"
#include "shell/board_canvas_widget.h"
#include "shell/tool_bar.h"
#include "show/command_ids.h"
#include "tests/shell/app_on_demo_library.h"

namespace gz {
namespace {


using FakeClock = gz::testing::StillShowClock;

class ControlWindowAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        gz::testing::useDemoLibraryCopy(tmp, settings);
    }
    void TearDown() override { stop(); }
    void start()
    {
        app = std::make_unique<GameZinkoApp>(settings, [this](CMainFrame& f, SettingsBackend& s) {
            return std::make_unique<CGameZinkoView>(f, s, ViewDevices{false, false, &clock, nullptr});
        });
        ASSERT_TRUE(app->start({}, /*listenForMessages=*/false));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(app->frame()));
        QTest::qWait(20);
    }
    void stop()
    {
        if (app)
            app->frame()->close();
        app.reset();
    }
    CGameZinkoView& view() { return *static_cast<CGameZinkoView*>(app->view()); }
    ControlWindow* control() { return view().controlWindow(); }
    GameContent& game() { return view().board().game(); }
    // The show's timer would do this every 93 ms.
    void advance(uint32_t ms)
    {
        for (uint32_t t = 0; t + kShowTimerPeriodMs <= ms; t += kShowTimerPeriodMs) {
            clock.now += kShowTimerPeriodMs;
            view().board().tick();
        }
        control()->refresh();
    }
    void key(Qt::Key k)
    {
        QTest::keyClick(control(), k);
        QTest::qWait(10);
        control()->refresh();
    }
    bool enabled(ControlCommand c) { return control()->button(c)->isEnabled(); }
    QScreen* screenNamed(const char* name)
    {
        for (QScreen* s : QGuiApplication::screens())
            if (s->name() == QLatin1String(name))
                return s;
        return nullptr;
    }
    // What the audience sees: the board window's canvas as drawn, after
    // the show's tick (the real timer may or may not have come yet).
    QImage board()
    {
        view().board().tick();
        QTest::qWait(10);
        return view().canvasWidget()->grab().toImage();
    }

    QTemporaryDir tmp;
    MemorySettingsBackend settings;
    FakeClock clock;
    std::unique_ptr<GameZinkoApp> app;
};

TEST_F(ControlWindowAppTest, EndOfTheViewMenuWithF11AndCheckedWhileOpen)
{
    start();
    QAction* a = app->frame()->action(cmd::kControlWindow);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(), QStringLiteral("Moderatorfenster\tF11"));
    EXPECT_EQ(a->shortcut(), QKeySequence(Qt::Key_F11));
    QMenu* viewMenu = app->frame()->menuBar()->actions()[2]->menu();
    ASSERT_NE(viewMenu, nullptr);
    EXPECT_EQ(viewMenu->actions().back(), a);
    EXPECT_EQ(viewMenu->actions()[8]->data().toInt(), cmd::kStarsTwoRows);  // old places kept

    EXPECT_EQ(control(), nullptr);
    app->frame()->dispatchCommand(cmd::kControlWindow);
    ASSERT_NE(control(), nullptr);
    EXPECT_TRUE(control()->isVisible());
    EXPECT_TRUE(a->isChecked());
    app->frame()->dispatchCommand(cmd::kControlWindow);
    EXPECT_FALSE(control()->isVisible());
    EXPECT_FALSE(a->isChecked());
}

TEST_F(ControlWindowAppTest, DrivesAWholePicture)
{
    start();
    app->frame()->dispatchCommand(cmd::kControlWindow);
    ASSERT_NE(control(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(control()));
    control()->activateWindow();
    (void)QTest::qWaitForWindowActive(control());
    EXPECT_EQ(control()->gameText(), QStringLiteral("Noch kein Spiel"));
    EXPECT_TRUE(control()->nextText().startsWith(QStringLiteral("Nächstes Spiel 1: ")));
    EXPECT_TRUE(enabled(ControlCommand::Start));
    EXPECT_FALSE(enabled(ControlCommand::Uncover));

    control()->button(ControlCommand::Start)->click();
    ASSERT_TRUE(view().board().show().gameRunning);
    EXPECT_EQ(control()->gameText(), QStringLiteral("Spiel 1"));
    EXPECT_EQ(control()->questionText(), QString::fromUtf8(game().question));
    EXPECT_EQ(control()->answerText(), QString::fromUtf8(game().answer));
    EXPECT_FALSE(control()->answerText().isEmpty());
    EXPECT_TRUE(control()->answerHiddenMarkVisible());
    EXPECT_TRUE(control()->nextText().startsWith(QStringLiteral("Nächstes Spiel 2: ")));
    EXPECT_FALSE(enabled(ControlCommand::Start));
    EXPECT_TRUE(enabled(ControlCommand::StopLeft));
    const int n = game().polygonCount;
    ASSERT_GE(n, 2);

    // Two uncover steps: one polygon gone from the audience's board.
    advance(10100);
    EXPECT_EQ(control()->polygonsText(), QStringLiteral("Polygone übrig: %1 von %2").arg(n - 1).arg(n));
    EXPECT_EQ(control()->countdownValue(), 4956);

    // F7 typed in the control window stops the left player, as on the board.
    advance(930);
    key(Qt::Key_F7);
    EXPECT_EQ(view().board().show().player(PlayerSide::Left), PlayerState::Buzzed);
    EXPECT_EQ(control()->buzzText(), QStringLiteral("Erster Spieler zuerst, nach 10.97 s"));
    EXPECT_EQ(control()->countdownValue(), 0);
    EXPECT_TRUE(enabled(ControlCommand::Uncover));
    EXPECT_FALSE(enabled(ControlCommand::StopLeft));  // the left one has stopped

    // F6 in the control window uncovers; the audience sees the answer now.
    key(Qt::Key_F6);
    EXPECT_FALSE(view().board().show().gameRunning);
    EXPECT_EQ(QString::fromUtf8(view().board().show().bannerText), QString::fromUtf8(game().answer));
    EXPECT_FALSE(control()->answerHiddenMarkVisible());
    EXPECT_EQ(control()->polygonsText(), QStringLiteral("Polygone übrig: 0 von %1").arg(n));
    EXPECT_TRUE(enabled(ControlCommand::Start));

    // A star for the left player from its button, one more with F1.
    control()->button(ControlCommand::LeftStarUp)->click();
    key(Qt::Key_F1);
    EXPECT_EQ(view().board().show().stars[0], 2);
    EXPECT_EQ(control()->playerText(0), QStringLiteral("Erster Spieler: 2 Sterne, bereit"));
}

TEST_F(ControlWindowAppTest, PlacementAndOpenStateAreKept)
{
    start();
    app->frame()->dispatchCommand(cmd::kControlWindow);
    ASSERT_NE(control(), nullptr);
    control()->setGeometry(40, 50, 1100, 800);
    stop();
    ControlWindowSettings stored = readControlWindowSettings(settings);
    EXPECT_EQ(stored.open, 1);
    EXPECT_EQ(stored.width, 1100);
    EXPECT_EQ(stored.height, 800);

    start();
    ASSERT_NE(control(), nullptr);
    EXPECT_TRUE(control()->isVisible());
    EXPECT_EQ(control()->size(), QSize(1100, 800));
    app->frame()->dispatchCommand(cmd::kControlWindow);
    stop();
    EXPECT_EQ(readControlWindowSettings(settings).open, 0);
    start();
    EXPECT_EQ(control(), nullptr);
}

TEST_F(ControlWindowAppTest, ToolbarButtonAfterTheOthers)
{
    start();
    QAction* a = app->frame()->action(cmd::kControlWindow);
    ASSERT_NE(app->frame()->toolBar(), nullptr);
    EXPECT_EQ(app->frame()->toolBar()->actions().back(), a);
    EXPECT_FALSE(a->icon().isNull());
    EXPECT_FALSE(loadBitmapImage("CONTROL").isNull());
    app->frame()->toolBar()->widgetForAction(a)->setFocus();
    QTest::mouseClick(app->frame()->toolBar()->widgetForAction(a), Qt::LeftButton);
    ASSERT_NE(control(), nullptr);
    EXPECT_TRUE(control()->isVisible());
}

// The same picture played twice, once with the game master's window open
// and its keys, once on the board alone: the board shows the same at
// every step.
TEST_F(ControlWindowAppTest, TheBoardShowsTheSameWithTheWindowOpen)
{
    std::vector<QImage> runs[2];
    for (int withWindow = 0; withWindow < 2; ++withWindow) {
        SCOPED_TRACE(withWindow ? "with the window" : "board alone");
        clock.now = 100000;
        start();
        app->frame()->setGeometry(100, 100, 1200, 800);
        QTest::qWait(20);
        QWidget* keys = app->frame();
        if (withWindow) {
            app->frame()->dispatchCommand(cmd::kControlWindow);
            ASSERT_NE(control(), nullptr);
            ASSERT_TRUE(QTest::qWaitForWindowExposed(control()));
            keys = control();
        }
        keys->activateWindow();
        (void)QTest::qWaitForWindowActive(keys);
        auto press = [&](Qt::Key k) {
            QTest::keyClick(keys, k);
            QTest::qWait(10);
        };
        std::vector<QImage>& shots = runs[withWindow];
        shots.push_back(board());
        press(Qt::Key_F5);
        ASSERT_TRUE(view().board().show().gameRunning);
        shots.push_back(board());
        for (int step = 0; step < 3; ++step) {
            for (int t = 0; t < 54; ++t) {   // a little over 5 s of ticks
                clock.now += kShowTimerPeriodMs;
                view().board().tick();
            }
            shots.push_back(board());
        }
        press(Qt::Key_F8);
        EXPECT_EQ(view().board().show().player(PlayerSide::Right), PlayerState::Buzzed);
        shots.push_back(board());
        press(Qt::Key_F6);
        EXPECT_FALSE(view().board().show().gameRunning);
        shots.push_back(board());
        press(Qt::Key_F2);
        EXPECT_EQ(view().board().show().stars[1], 1);
        shots.push_back(board());
        stop();
    }
    ASSERT_EQ(runs[0].size(), runs[1].size());
    for (size_t i = 0; i < runs[0].size(); ++i) {
        EXPECT_FALSE(runs[0][i].isNull());
        EXPECT_TRUE(runs[0][i] == runs[1][i]) << "step " << i;
    }
    // Each of these is a change the board must show (the first uncover
    // step comes after two periods).
    for (size_t i : {0, 2, 3, 4, 5, 6})
        EXPECT_FALSE(runs[0][i] == runs[0][i + 1]) << "step " << i;
}

TEST_F(ControlWindowAppTest, FullScreenGoesToTheOtherScreenThanTheWindow)
{
    start();
    app->frame()->setGeometry(100, 100, 1200, 800);
    app->frame()->dispatchCommand(cmd::kControlWindow);
    ASSERT_NE(control(), nullptr);
    // First open: three quarters of the board's screen, in its middle.
    EXPECT_EQ(control()->screen(), screenNamed("A"));
    EXPECT_EQ(control()->size(), QSize(1440, 810));
    EXPECT_EQ(control()->geometry().center(), screenNamed("A")->availableGeometry().center());

    app->frame()->dispatchCommand(cmd::kFullScreen);
    QTest::qWait(20);
    EXPECT_EQ(app->frame()->windowHandle()->screen(), screenNamed("B"));
    EXPECT_EQ(app->frame()->geometry(), screenNamed("B")->geometry());
    EXPECT_TRUE(control()->isVisible());
    EXPECT_EQ(control()->screen(), screenNamed("A"));
    EXPECT_EQ(readAudienceScreen(settings), "B");
    app->frame()->dispatchCommand(cmd::kFullScreen);
    QTest::qWait(20);
    EXPECT_EQ(app->frame()->geometry().topLeft(), QPoint(100, 100));

    // The game master's window moved to B: the board stays on A.
    control()->setGeometry(2100, 100, 1000, 700);
    QTest::qWait(20);
    app->frame()->dispatchCommand(cmd::kFullScreen);
    QTest::qWait(20);
    EXPECT_EQ(app->frame()->windowHandle()->screen(), screenNamed("A"));
    EXPECT_EQ(readAudienceScreen(settings), "A");
    app->frame()->dispatchCommand(cmd::kFullScreen);
    QTest::qWait(20);
}

TEST_F(ControlWindowAppTest, OpenedBesideAFullScreenBoardAndBackOnScreenWhenItsScreenIsGone)
{
    // Stored on a screen this machine no longer has.
    writeControlWindowSettings(settings, {0, 5000, 3000, 1000, 700});
    start();
    app->frame()->setGeometry(100, 100, 1200, 800);
    app->frame()->dispatchCommand(cmd::kFullScreen);
    QTest::qWait(20);
    ASSERT_EQ(app->frame()->windowHandle()->screen(), screenNamed("A"));
    app->frame()->dispatchCommand(cmd::kControlWindow);
    ASSERT_NE(control(), nullptr);
    EXPECT_EQ(control()->screen(), screenNamed("B")) << "not under the full-screen board";
    EXPECT_EQ(control()->size(), QSize(1000, 700));
    EXPECT_EQ(control()->geometry().center(), screenNamed("B")->availableGeometry().center());
}

// One screen for both: F11 on the full-screen board brings the game
// master's window up, F11 in it hides it.
TEST_F(ControlWindowAppTest, F11RaisesTheCoveredWindowAndHidesTheOneInFront)
{
    start();
    app->frame()->setGeometry(100, 100, 1200, 800);
    app->frame()->dispatchCommand(cmd::kControlWindow);
    ASSERT_NE(control(), nullptr);
    control()->close();
    app->frame()->dispatchCommand(cmd::kFullScreen);
    QTest::qWait(20);
    app->frame()->dispatchCommand(cmd::kControlWindow);
    control()->setGeometry(300, 200, 1000, 700);   // on the board's screen
    app->frame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(app->frame()));
    QTest::keyClick(app->frame(), Qt::Key_F11);
    QTest::qWait(20);
    EXPECT_TRUE(control()->isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(control()));
    QTest::keyClick(control(), Qt::Key_F11);
    QTest::qWait(20);
    EXPECT_FALSE(control()->isVisible());
}

}  // namespace
}  // namespace gz
