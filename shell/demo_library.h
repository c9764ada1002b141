// The demo library that comes with the program, and its use at a first
// start: with no stored picture path and no path on the command line the
// show opens on the demo games instead of an empty folder chooser. The
// installed library is not the user's to change; a start on it goes to the
// user's own copy of it instead (useWritableLibrary).
#pragma once

#include <string>
#include <vector>

#include "game/file_system.h"
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

// The installed demo library alone: ../share/gamezinko/Games beside the
// program, canonical, or empty when it is no folder.
std::string findInstalledDemoLibrary(const std::string& programDir);

// Where a user's own games go, by the XDG base directory rules:
// $XDG_DATA_HOME/GameZinko/Games when that variable holds an absolute path
// (a relative one counts as unset), else $HOME/.local/share/GameZinko/Games
// when HOME is absolute; empty when neither is. Null means unset.
std::string userLibraryFolder(const char* xdgDataHome, const char* home);

// The picture path of this start is the last path argument, else the stored
// PicPath. When that is the folder `installedLibrary` (any spelling of it),
// the library is copied once into `userLibrary` (game/library_copy.h; a
// folder there that holds anything is taken as it is) and this start uses
// the copy: the path argument, or the stored PicPath, is replaced by it.
// When no copy can be had, nothing changes and the German text of a box
// that says so (Windows-1252) is returned, else an empty text. An empty
// `installedLibrary` changes nothing.
std::string useWritableLibrary(SettingsBackend& settings, std::vector<std::string>& args,
                               const std::string& installedLibrary, const std::string& userLibrary, FileSystem& fs);

}  // namespace gz
