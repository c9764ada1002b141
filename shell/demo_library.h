// The demo library that comes with the program, and its use at a first
// start: with no stored picture path and no path on the command line the
// show opens on the demo games instead of an empty folder chooser.
#pragma once

#include <string>
#include <vector>

#include "shell/settings_store.h"

namespace gz {

// The demo library beside the program in `programDir`: installed as
// ../share/gamezinko/Games, in the build tree as ../demo/Games. The
// canonical path of the first that is a folder, or empty.
std::string findDemoLibrary(const std::string& programDir);

// When the stored PicPath is empty and `args` name no picture path, stores
// `demoLibrary` as PicPath (it is written at exit anyway, like any chosen
// path), so the start-up check finds a folder and opens no chooser. A stored
// path is left alone even when its folder is missing: the chooser then
// opens as usual. True when the demo library was stored.
bool useDemoLibraryOnFirstStart(SettingsBackend& settings, const std::vector<std::string>& args,
                                const std::string& demoLibrary);

}  // namespace gz
