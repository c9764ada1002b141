// For tests that run the whole program on the demo library: a copy of the
// library in a temporary folder, stored as the picture path (the tests may
// change its games), the program started on it with its window shown and
// active, and a show clock that moves only when told.
// The test target defines GZ_DEMO_LIBRARY.
#pragma once

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "shell/game_zinko_app.h"
#include "shell/game_zinko_view.h"
#include "shell/main_frame.h"
#include "shell/settings_store.h"
#include "show/show_host.h"

namespace gz::testing {

// Returns the copy's path.
inline std::string useDemoLibraryCopy(const QTemporaryDir& dir, SettingsBackend& settings)
{
    const std::string library = dir.path().toStdString() + "/Games";
    std::filesystem::copy(GZ_DEMO_LIBRARY, library, std::filesystem::copy_options::recursive);
    settings.writeString("Software\\Mervo\\GameZinko", "PicPath", library);
    return library;
}

// Starts the program on `settings` with views made with `devices`; `app`
// stays empty when the start fails (and the test fails).
inline void startAppActive(std::unique_ptr<GameZinkoApp>& app, SettingsBackend& settings, ViewDevices devices)
{
    app = std::make_unique<GameZinkoApp>(settings, [devices](CMainFrame& f, SettingsBackend& s) {
        return std::make_unique<CGameZinkoView>(f, s, devices);
    });
    if (!app->start({}, /*listenForMessages=*/false)) {
        app.reset();
        ADD_FAILURE() << "the program did not start";
        return;
    }
    EXPECT_TRUE(QTest::qWaitForWindowExposed(app->frame()));
    app->frame()->activateWindow();
    (void)QTest::qWaitForWindowActive(app->frame());
    QTest::qWait(50);
}

class StillShowClock : public ShowClock {
public:
    uint32_t nowMs() override { return now; }
    uint32_t now = 100000;
};

}  // namespace gz::testing
