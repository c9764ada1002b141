// The main frame under a real X server with a window manager (the runner
// run_with_window_manager.sh starts both): the placement across restarts,
// maximising, full screen and "Fenster fixieren", and the lock indicators
// of the status bar. Elsewhere every case is skipped.
#include "shell/main_frame.h"

#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <gtest/gtest.h>

#include <xcb/xcb.h>
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>
#include <functional>
#include <ostream>
#include <memory>
#include <string>

#include "shell/settings_memory.h"
#include "shell/settings_values.h"
#include "shell/x11_window_system.h"
#include "show/command_ids.h"
#include "null_frame_view.h"

// Rectangles in failure messages as x,y w x h.
inline void PrintTo(const QRect& r, std::ostream* os)
{
    *os << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height();
}

namespace gz {
namespace {

xcb_connection_t* connection()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// Skips unless a window manager answers for frames (the runner's openbox).
bool underWindowManager()
{
    return QGuiApplication::platformName() == QLatin1String("xcb") && x11::expectedFrameMargins(2000);
}

// One start of the frame over the given settings, as the application does it.
class Start {
public:
    explicit Start(SettingsBackend& settings) : frame(std::make_unique<CMainFrame>(settings))
    {
        frame->restorePlacement();
        EXPECT_TRUE(frame->create(&view));
        frame->show();
        frame->finishPlacement();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        settle();
    }
    ~Start()
    {
        frame->close();   // stores the placement
        view.w.setParent(nullptr);
    }
    // Waits until the window manager has done what was asked.
    void settle(std::function<bool()> until = {})
    {
        if (until) {
            EXPECT_TRUE(QTest::qWaitFor(until, 5000));
        }
        QTest::qWait(300);
    }
    void maximise()
    {
        frame->showMaximized();
        settle([&] { return frame->isMaximized(); });
    }
    void restore()
    {
        frame->showNormal();
        settle([&] { return !frame->isMaximized() && !frame->isFullScreen(); });
    }

    testing::NullFrameView view;
    std::unique_ptr<CMainFrame> frame;
};

// Whatever the game master does with the window in between, the normal
// window it returns to, and the one stored at exit, is the one stored before.
TEST(WindowManager, PlacementSurvivesRestartsAndMaximising)
{
    if (!underWindowManager())
        GTEST_SKIP() << "needs an X server with a window manager";
    struct Case {
        const char* name;
        bool startMaximised;
        std::function<void(Start&)> steps;
    };
    const Case cases[] = {
        {"three plain restarts", false, [](Start&) {}},
        {"started maximised, then restored", true, [](Start& s) { s.restore(); }},
        {"maximised, full screen and back, restored", false,
         [](Start& s) {
             s.maximise();
             s.frame->dispatchCommand(cmd::kFullScreen);
             s.settle([&] { return s.frame->isFullScreen(); });
             s.frame->dispatchCommand(cmd::kFullScreen);
             s.settle([&] { return s.frame->isMaximized(); });
             s.restore();
         }},
        {"normal, full screen and back", false,
         [](Start& s) {
             s.frame->dispatchCommand(cmd::kFullScreen);
             s.settle([&] { return s.frame->isFullScreen(); });
             s.frame->dispatchCommand(cmd::kFullScreen);
             s.settle([&] { return !s.frame->isFullScreen(); });
         }},
        {"maximised, pinned, restored", false,
         [](Start& s) {
             s.maximise();
             s.frame->dispatchCommand(cmd::kPinWindow);
             s.settle();
             EXPECT_TRUE(s.frame->isVisible());
             EXPECT_TRUE(s.frame->isMaximized());
             s.restore();
             s.frame->dispatchCommand(cmd::kPinWindow);
             s.settle();
         }},
    };
    const QRect stored(150, 120, 900, 620);
    for (const Case& c : cases) {
        MemorySettingsBackend settings;
        writeFramePlacement(settings, {0, true, stored.x(), stored.y(), stored.width(), stored.height(), false, -1});
        if (c.startMaximised)
            writeFramePlacement(settings, {1, false, 0, 0, 0, 0, false, -1});
        for (int run = 0; run < 3; ++run) {
            {
                Start s(settings);
                if (!c.startMaximised || run > 0) {
                    EXPECT_EQ(s.frame->frameGeometry(), stored) << c.name << ", start " << run;
                }
                c.steps(s);
                EXPECT_EQ(s.frame->frameGeometry(), stored) << c.name << ", start " << run;
            }
            const StoredPlacement after = readFramePlacement(settings);
            EXPECT_EQ(after.isZoomed, std::optional<int32_t>(0)) << c.name;
            EXPECT_EQ(QRect(after.posX, after.posY, after.sizeX, after.sizeY), stored) << c.name << ", start " << run;
        }
    }
}

// Locks the given modifiers of the core keyboard (or unlocks them).
void lockModifiers(uint8_t mask, bool on)
{
    xcb_connection_t* c = connection();
    xcb_xkb_latch_lock_state(c, XCB_XKB_ID_USE_CORE_KBD, mask, on ? mask : 0, 0, 0, 0, 0, 0);
    xcb_flush(c);
}

TEST(WindowManager, LockIndicatorsFollowTheKeyboard)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server";
    MemorySettingsBackend settings;
    Start s(settings);
    auto pane = [&](const char* name) { return s.frame->findChild<QLabel*>(QString::fromLatin1(name)); };
    ASSERT_NE(pane("UF"), nullptr);
    struct Case { const char* pane; uint8_t mask; const char* text; };
    const Case cases[] = {{"UF", XCB_MOD_MASK_LOCK, "UF"}, {"NUM", XCB_MOD_MASK_2, "NUM"}};
    for (const Case& c : cases) {
        lockModifiers(c.mask, true);
        EXPECT_TRUE(QTest::qWaitFor([&] { return pane(c.pane)->text() == QLatin1String(c.text); }, 2000)) << c.pane;
        lockModifiers(c.mask, false);
        EXPECT_TRUE(QTest::qWaitFor([&] { return pane(c.pane)->text().isEmpty(); }, 2000)) << c.pane;
    }
}

}  // namespace
}  // namespace gz
