// A whole game library copied once, for a user who starts on games that are
// not theirs to change (the installed demo library): afterwards new games
// and edits have a folder of the user's own to go to.
//
// copyLibraryOnce() copies the folder tree `source` to `target` when
// `target` is missing or an empty folder; a folder that holds anything is
// the user's and stays exactly as it is. The copy is made in the temporary
// sibling "<parent>/.~<name>" (made with its missing parents), every file
// and folder flushed, and renamed into place as a whole: after a failure or
// a crash there is either no library at `target` or the complete one. On a
// failure the temporary folder is removed; one left by a crash is removed
// before the next copy starts. Regular files and folders are copied (links
// followed), down to kLibraryCopyDepth folder levels; names starting with
// ".~" (temporary files of an interrupted save) and anything else are
// left out. All through FileSystem, so tests can fail any step.
#pragma once

#include <string>

#include "game/file_system.h"

namespace gz {

// Folder levels below `source` that are copied; a library uses one.
constexpr int kLibraryCopyDepth = 8;

enum class LibraryCopy {
    Copied,            // `target` now holds the complete copy
    TargetInUse,       // `target` holds something already: nothing copied
    SourceMissing,     // `source` is no folder: nothing copied
    TargetNotFolder,   // `target` is a file or another non-folder: nothing copied
    Failed,            // a step failed (`status` tells how); nothing left behind
};

struct LibraryCopyResult {
    LibraryCopy result = LibraryCopy::Failed;
    FsStatus status = FsStatus::Ok;   // of the failed step
    friend bool operator==(const LibraryCopyResult&, const LibraryCopyResult&) = default;
};

// Paths without a trailing separator. A `target` inside `source` fails.
LibraryCopyResult copyLibraryOnce(FileSystem& fs, const std::string& source, const std::string& target);

}  // namespace gz
