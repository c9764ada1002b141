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

}  // namespace
}  // namespace gz
