// F10 on the audience screen: full screen goes to the screen the window is
// on. The choice as geometry, and the real frame on virtual screens (the
// offscreen platform reads them from data/two_screens.json: A and B side by
// side, C below A with a gap between them).
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include "shell/frame_placement.h"
#include "shell/frame_view.h"
#include "shell/main_frame.h"
#include "shell/settings_memory.h"
#include "shell/settings_values.h"
#include "show/command_ids.h"
#include "null_frame_view.h"

namespace gz {
namespace {

TEST(FullScreenMonitor, CentreFirstThenLargestOverlapThenPrimary)
{
    // Left 1920x1080, right 1280x1024, and a third one below with a gap.
    const std::vector<MonitorRect> screens = {
        {0, 0, 1920, 1080}, {1920, 0, 3200, 1024}, {0, 1200, 1920, 2280}};
    struct Case {
        const char* name;
        MonitorRect window;
        int expected;
    };
    const Case cases[] = {
        {"inside the left", {100, 100, 900, 700}, 0},
        {"inside the right", {2000, 100, 2800, 700}, 1},
        {"straddling, centre on the right", {1700, 100, 2500, 700}, 1},
        {"straddling, centre on the left", {1400, 100, 2000, 700}, 0},
        {"centre exactly on the shared edge", {1520, 0, 2320, 600}, 1},
        {"centre in the gap, mostly below", {100, 1000, 900, 1300}, 2},
        {"centre in the gap, mostly above", {100, 950, 900, 1250}, 0},
        {"centre below the short right screen", {2000, 900, 2800, 1180}, 1},
        {"off every screen", {5000, 5000, 5100, 5100}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fullScreenMonitor(screens, c.window), c.expected) << c.name;
    EXPECT_EQ(fullScreenMonitor({}, {0, 0, 10, 10}), -1);
}

TEST(AudienceMonitor, NeverTheGameMastersScreenWhileThereIsAnother)
{
    // Left 1920x1080, right 1280x1024, a third 1920x1080 below.
    const std::vector<MonitorRect> screens = {
        {0, 0, 1920, 1080}, {1920, 0, 3200, 1024}, {0, 1200, 1920, 2280}};
    const MonitorRect onLeft{100, 100, 900, 700};
    const MonitorRect onRight{2000, 100, 2800, 700};
    struct Case {
        const char* name;
        MonitorRect window;
        int control;
        int remembered;
        int expected;
    };
    const Case cases[] = {
        {"no game master's window: the board's own", onLeft, -1, 1, 0},
        {"game master elsewhere: the board's own", onRight, 0, 2, 1},
        {"same screen, nothing remembered: the largest other", onLeft, 0, -1, 2},
        {"same screen, remembered one", onLeft, 0, 1, 1},
        {"remembered is the game master's: the largest other", onRight, 1, 1, 0},
        {"remembered screen gone", onLeft, 0, 7, 2},
        {"game master's screen unknown", onLeft, 5, 1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(audienceMonitor(screens, c.window, c.control, c.remembered), c.expected) << c.name;
    // One screen: the board shares it.
    EXPECT_EQ(audienceMonitor({{0, 0, 1920, 1080}}, onLeft, 0, -1), 0);
    EXPECT_EQ(audienceMonitor({}, onLeft, 0, -1), -1);
}

using NullView = testing::NullFrameView;

class TwoScreenFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::screens().size() != 3)
            GTEST_FAIL() << "expected the virtual screens of data/two_screens.json, got "
                         << QGuiApplication::screens().size() << " (QT_QPA_PLATFORM="
                         << qEnvironmentVariable("QT_QPA_PLATFORM").toStdString() << ")";
        frame = std::make_unique<CMainFrame>(settings);
        frame->restorePlacement();
        ASSERT_TRUE(frame->create(&view));
    }
    void TearDown() override
    {
        if (frame) {
            frame->close();
            view.w.setParent(nullptr);
            frame.reset();
        }
    }
    QScreen* screenNamed(const char* name)
    {
        for (QScreen* s : QGuiApplication::screens())
            if (s->name() == QLatin1String(name))
                return s;
        return nullptr;
    }
    void showAt(const QRect& r)
    {
        frame->setGeometry(r);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        frame->setGeometry(r);
        QTest::qWait(20);
    }

    MemorySettingsBackend settings;
    NullView view;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(TwoScreenFrameTest, ScreensAreTheConfiguredOnes)
{
    ASSERT_NE(screenNamed("A"), nullptr);
    ASSERT_NE(screenNamed("B"), nullptr);
    ASSERT_NE(screenNamed("C"), nullptr);
    EXPECT_EQ(screenNamed("B")->geometry(), QRect(1920, 0, 1280, 1024));
    EXPECT_EQ(screenNamed("C")->geometry(), QRect(0, 1200, 1920, 1080));
}

TEST_F(TwoScreenFrameTest, F10FillsTheScreenTheWindowIsOnAndComesBack)
{
    struct Case {
        const char* name;
        QRect normal;
        const char* screen;
    };
    const Case cases[] = {
        {"on the second screen", QRect(2100, 150, 800, 600), "B"},
        {"on the first screen", QRect(200, 150, 800, 600), "A"},
        {"mostly on the second", QRect(1700, 100, 900, 600), "B"},
        {"centre in the gap, mostly on the lower one", QRect(100, 1000, 800, 300), "C"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        showAt(c.normal);
        const QRect before = frame->geometry();
        frame->dispatchCommand(cmd::kFullScreen);
        QTest::qWait(20);
        ASSERT_EQ(frame->fullScreenState(), kFullScreenFromNormal);
        QScreen* target = screenNamed(c.screen);
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(frame->windowHandle()->screen(), target);
        EXPECT_TRUE(frame->isFullScreen());
        EXPECT_EQ(frame->geometry(), target->geometry());
        frame->dispatchCommand(cmd::kFullScreen);
        QTest::qWait(20);
        EXPECT_EQ(frame->fullScreenState(), kFullScreenOff);
        EXPECT_FALSE(frame->isFullScreen());
        EXPECT_EQ(frame->geometry(), before) << "back to the same normal window";
    }
    EXPECT_EQ(view.states, (std::vector<int>{1, 0, 1, 0, 1, 0, 1, 0}));
}

// With the game master's window shown, F10 takes the board to another
// screen than that window's, remembers the one chosen, and comes back.
TEST_F(TwoScreenFrameTest, F10KeepsOffTheGameMastersScreen)
{
    QWidget companion;
    view.companion = &companion;
    auto placeCompanion = [&](const QRect& r) {
        companion.setGeometry(r);
        companion.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&companion));
        companion.setGeometry(r);
    };
    struct Case {
        const char* name;
        QRect board;
        QRect control;        // empty: the window is hidden
        const char* remembered;   // before F10
        const char* screen;       // where the board goes, and is remembered after
    };
    const Case cases[] = {
        {"both on A, nothing remembered: the largest other", QRect(200, 150, 800, 600), QRect(300, 200, 900, 600), "", "C"},
        {"both on A, B remembered", QRect(200, 150, 800, 600), QRect(300, 200, 900, 600), "B", "B"},
        {"board on B, game master on A", QRect(2100, 150, 800, 600), QRect(300, 200, 900, 600), "C", "B"},
        {"both on B, B remembered: not the game master's", QRect(2100, 150, 800, 600), QRect(2000, 100, 900, 600), "B", "A"},
        {"window hidden: the board's own, nothing remembered", QRect(200, 150, 800, 600), QRect(), "B", "A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeAudienceScreen(settings, c.remembered);
        if (c.control.isEmpty())
            companion.hide();
        else
            placeCompanion(c.control);
        showAt(c.board);
        const QRect before = frame->geometry();
        frame->dispatchCommand(cmd::kFullScreen);
        QTest::qWait(20);
        QScreen* target = screenNamed(c.screen);
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(frame->windowHandle()->screen(), target);
        EXPECT_EQ(frame->geometry(), target->geometry());
        EXPECT_EQ(readAudienceScreen(settings), c.control.isEmpty() ? std::string(c.remembered) : c.screen);
        frame->dispatchCommand(cmd::kFullScreen);
        QTest::qWait(20);
        EXPECT_EQ(frame->geometry(), before) << "back to the same normal window";
    }
    view.companion = nullptr;
}

TEST_F(TwoScreenFrameTest, AMaximisedBoardLeavesTheGameMastersScreenAndComesBackMaximised)
{
    QWidget companion;
    view.companion = &companion;
    companion.setGeometry(300, 200, 900, 600);
    companion.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&companion));
    companion.setGeometry(300, 200, 900, 600);
    showAt(QRect(200, 150, 800, 600));
    frame->showMaximized();
    QTest::qWait(20);
    ASSERT_TRUE(frame->isMaximized());
    frame->dispatchCommand(cmd::kFullScreen);
    QTest::qWait(20);
    EXPECT_EQ(frame->fullScreenState(), kFullScreenFromMaximized);
    EXPECT_EQ(frame->windowHandle()->screen(), screenNamed("C"));
    EXPECT_EQ(frame->geometry(), screenNamed("C")->geometry());
    frame->dispatchCommand(cmd::kFullScreen);
    QTest::qWait(20);
    EXPECT_TRUE(frame->isMaximized());
    EXPECT_EQ(frame->windowHandle()->screen(), screenNamed("A"));
    frame->showNormal();
    QTest::qWait(20);
    EXPECT_EQ(frame->geometry(), QRect(200, 150, 800, 600)) << "its normal place kept";
    view.companion = nullptr;
}

}  // namespace
}  // namespace gz
