// Rules of the two recent-entry lists, without widgets:
//  - the name list of a drop-down field (NameList): the entry just used
//    first, then the older entries in list order without empty ones and
//    without byte-exact copies of the first, 16 at most;
//  - the folder list of the file dialogs (OfnList<Ext>): which folder an
//    entered name stands for, and how it moves to the front of the list;
//  - the suggestions of the file dialog: existing paths starting with the
//    typed text.
// Paths are the file system's bytes (UTF-8 on Linux), folders end with "/".
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "uikit/folder_path.h"

namespace gz {

constexpr std::size_t kRecentNameMaxEntries = 16;
constexpr std::size_t kRecentNameItemChars = 255;     // per drop-down item
constexpr std::size_t kRecentNameTextBytes = 2048;    // caller's text buffer, zero included
constexpr std::size_t kFolderFieldMaxChars = 259;     // the file-name field's text

// The list to store: current first, then the items that are neither empty
// nor equal (byte for byte) to it, until 16. Empty when current is empty.
std::vector<std::string> mergeRecentNames(std::string_view current, const std::vector<std::string>& items);

using FolderProbe = std::function<FolderPathKind(const std::string&)>;

// The folder (with a trailing "/") that the file-name field's text stands
// for: the text itself when it is a folder, the folder of a file, the
// folder above a name that does not exist when that folder exists;
// nothing otherwise. A relative text is taken relative to baseFolder (the
// folder the dialog shows). At most 259 characters of the text are used.
std::optional<std::string> folderListEntry(std::string_view fieldText, std::string_view baseFolder,
                                           const FolderProbe& probe = probeFolderPath);

// Puts folder at the front of list: an entry further down that begins with
// it (ASCII case ignored) is removed; when the first entry already equals
// it (case ignored) nothing changes.
void moveFolderToFront(std::vector<std::string>& list, const std::string& folder);

// Existing entries of the typed text's folder whose names begin with the
// rest of the text, folders with a trailing "/", sorted, at most maxCount.
// Files are listed only when their names match `namePatterns` (the file
// dialog's current filter, see uikit/name_filter.h; empty: every file);
// folders always are. stop is polled between entries so a newer text can
// end a long listing.
std::vector<std::string> pathSuggestions(std::string_view typed, std::size_t maxCount,
                                         const std::atomic<bool>* stop = nullptr,
                                         const std::vector<std::string>& namePatterns = {});

}  // namespace gz
