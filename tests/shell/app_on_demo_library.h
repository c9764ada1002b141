// For tests that run the whole program on the demo library: a copy of the
// library in a temporary folder, stored as the picture path (the tests may
// change its games), and a show clock that moves only when told.
// The test target defines GZ_DEMO_LIBRARY.
#pragma once

#include <QTemporaryDir>

#include <filesystem>
#include <string>

#include "shell/settings_store.h"
#include "show/show_host.h"

namespace gz::testing {

inline void useDemoLibraryCopy(const QTemporaryDir& dir, SettingsBackend& settings)
{
    const std::string library = dir.path().toStdString() + "/Games";
    std::filesystem::copy(GZ_DEMO_LIBRARY, library, std::filesystem::copy_options::recursive);
    settings.writeString("Software\\Mervo\\GameZinko", "PicPath", library);
}

class StillShowClock : public ShowClock {
public:
    uint32_t nowMs() override { return now; }
    uint32_t now = 100000;
};

}  // namespace gz::testing
