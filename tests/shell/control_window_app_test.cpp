// "Moderatorfenster" in the running program, on the demo library: opened
// with F11 from the menu "Ansicht", a whole picture driven through its
// buttons and keys, and its placement and open state kept in the settings.
#include <QApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

#include "shell/control_window.h"
#include "shell/game_zinko_app.h"
#include "shell/game_zinko_view.h"
#include "shell/main_frame.h"
#include "shell/settings_memory.h"
#include "shell/settings_values.h"
#include "show/command_ids.h"

namespace gz {
namespace {

namespace fs = std::filesystem;

class FakeClock : public ShowClock {
public:
    uint32_t nowMs() override { return now; }
    uint32_t now = 100000;
};

class ControlWindowAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        const std::string library = tmp.path().toStdString() + "/Games";
        fs::copy(GZ_DEMO_LIBRARY, library, fs::copy_options::recursive);
        settings.writeString("Software\\Mervo\\GameZinko", "PicPath", library);
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

}  // namespace
}  // namespace gz
