// The first start of a fresh install: the demo library opens without the
// folder chooser; a stored picture path whose folder is gone still brings
// the chooser up.
#include <QApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "shell/demo_library.h"
#include "shell/game_zinko_app.h"
#include "shell/game_zinko_view.h"
#include "shell/main_frame.h"
#include "shell/settings_memory.h"

namespace gz {
namespace {

// Starts the program on `settings`, closes every modal dialog that opens
// within the first half second and returns their titles.
QStringList startAndCollectDialogs(MemorySettingsBackend& settings, std::unique_ptr<GameZinkoApp>& app)
{
    QStringList titles;
    QTimer watcher;
    watcher.setInterval(10);
    QObject::connect(&watcher, &QTimer::timeout, [&titles] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            titles << w->windowTitle();
            w->close();
        }
    });
    watcher.start();
    app = std::make_unique<GameZinkoApp>(settings, [](CMainFrame& f, SettingsBackend& s) {
        return std::make_unique<CGameZinkoView>(f, s, ViewDevices{false, false});
    });
    EXPECT_TRUE(app->start({}, /*listenForMessages=*/false));
    QTest::qWait(500);
    return titles;
}

TEST(FirstStart, FreshInstallOpensTheDemoLibraryWithoutTheChooser)
{
    MemorySettingsBackend settings;
    ASSERT_TRUE(useDemoLibraryOnFirstStart(settings, {}, GZ_DEMO_LIBRARY));
    std::unique_ptr<GameZinkoApp> app;
    EXPECT_EQ(startAndCollectDialogs(settings, app), QStringList());
    auto* view = static_cast<CGameZinkoView*>(app->view());
    EXPECT_EQ(view->board().picturePath(), GZ_DEMO_LIBRARY);
    app->frame()->close();
}

TEST(FirstStart, MissingStoredFolderStillOpensTheChooser)
{
    MemorySettingsBackend settings;
    settings.writeString("Software\\Mervo\\GameZinko", "PicPath", "/nonexistent/gz/Games");
    EXPECT_FALSE(useDemoLibraryOnFirstStart(settings, {}, GZ_DEMO_LIBRARY));
    std::unique_ptr<GameZinkoApp> app;
    EXPECT_EQ(startAndCollectDialogs(settings, app), QStringList{QStringLiteral("Pfad mit Bildern")});
    app->frame()->close();
}

}  // namespace
}  // namespace gz
