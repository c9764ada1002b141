// Every value the program keeps in its settings, with its type, default and
// clamp, read and written through the key stack. Each reader starts from the
// defaults and keeps a default for every value that is missing or unreadable;
// each writer ignores failures (the settings are never worth an error box).
//
//   application key  Software\Mervo\GameZinko   view values, buzzer buttons, NameList, OfnList<Ext>
//   Settings         ...\GameZinko\Settings     frame values
//   Recent File List ...\GameZinko\Recent File List   File1..File4
//   common key       Software\Mervo\Common      folder chooser values
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/frame_placement.h"
#include "shell/settings_store.h"
#include "show/buzzer_mapping.h"
#include "show/show_state.h"

namespace gz {

// --- Board view values (application key) ---

constexpr int32_t kDefaultSwitchTime = 5000;
constexpr int32_t kMinSwitchTime = 2000;
constexpr int32_t kMaxSwitchTime = 10000;
// The longest picture path the file system can name (its PATH_MAX less
// the terminating zero); a longer one is refused where it is entered.
constexpr std::size_t kMaxPicPathBytes = 4095;
constexpr std::size_t kMaxComDeviceBytes = 255;

struct ViewSettings {
    int32_t switchTime = kDefaultSwitchTime;   // SwitchTime, ms, 2000..10000
    int32_t colorMode = 0;                     // ColorMode, nonzero: black cover
    int32_t starSize = 0;                      // StarSize, kept as stored (0..3 meaningful)
    int32_t polyInfo = 1;                      // PolyInfo, nonzero: polygon labels
    std::string picPath;                       // PicPath, root of the game library
    int32_t comPort = 0;                       // ComPort, 0 = COM1
    std::string comDevice;                     // ComDevice, a device path used instead of ComPort
    friend bool operator==(const ViewSettings&, const ViewSettings&) = default;
};

// The stored switching time is clamped as an unsigned number with the show's
// clampSwitchTime (show/show_state.h): 0 -> 2000, 0xFFFFFFFF -> 10000.

// Opens the application key (creating it), reads the six values in table
// order over the defaults, clamps SwitchTime. A PicPath longer than
// kMaxPicPathBytes counts as unreadable; so does a ComDevice longer than 255
// bytes. Both are paths in the file system's encoding (UTF-8).
ViewSettings readViewSettings(SettingsBackend& backend);
// Writes all six values, changed or not. ComDevice, which a Linux serial
// adapter may need instead of a numbered port, is written when set and
// removed when empty, so a store without it stays as it was.
void writeViewSettings(SettingsBackend& backend, const ViewSettings& values);

// --- Buzzer buttons (application key) ---

// Two values per action k (0..7), named by show/buzzer_mapping.h:
// "Buzzer<k>Device" (the device key, UTF-8) and "Buzzer<k>Code" (integer).
// They are read and written on their own, not with the view values, so a
// store that never had buzzers stays byte for byte as it was.
constexpr std::size_t kMaxBuzzerDeviceBytes = 511;

// An action has no binding unless both values are readable, the device is
// not empty and the code not negative. A button stored for two actions
// does the later one (as BuzzerMapping::bind keeps it).
BuzzerMapping readBuzzerMapping(SettingsBackend& backend);
// Writes both values of each bound action and removes both of each
// unbound one; other values stay untouched.
void writeBuzzerMapping(SettingsBackend& backend, const BuzzerMapping& mapping);

// --- Main frame values (Settings subkey) ---

struct FrameOptions {
    int32_t flatMode = 1;       // FlatMode, 1 = flat toolbar buttons
    int32_t showGamerBar = 0;   // ShowGamerBar, kept only
    friend bool operator==(const FrameOptions&, const FrameOptions&) = default;
};
FrameOptions readFrameOptions(SettingsBackend& backend);
void writeFrameOptions(SettingsBackend& backend, const FrameOptions& options);

// IsZoomed, LastPosX/Y, LastSizeX/Y, LastMonitor. When IsZoomed cannot be
// read, isZoomed stays empty (no placement is restored); the other values
// count as 0 when unreadable.
StoredPlacement readFramePlacement(SettingsBackend& backend);
// IsZoomed always; the rectangle only when writeRect; LastMonitor only when
// writeMonitor.
void writeFramePlacement(SettingsBackend& backend, const PlacementToSave& placement);

// The game master's window: ControlWindowOpen, ControlWindowPosX/Y and
// ControlWindowSizeX/Y. No size (0 or unreadable) leaves the placement to
// the window system.
struct ControlWindowSettings {
    int32_t open = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const ControlWindowSettings&, const ControlWindowSettings&) = default;
};
ControlWindowSettings readControlWindowSettings(SettingsBackend& backend);
void writeControlWindowSettings(SettingsBackend& backend, const ControlWindowSettings& values);

// AudienceScreen: the name of the screen the board last went full screen on
// beside the game master's window; empty when it never did.
constexpr std::size_t kMaxScreenNameBytes = 255;
std::string readAudienceScreen(SettingsBackend& backend);
void writeAudienceScreen(SettingsBackend& backend, const std::string& name);

// PreviewPages: default 0; written only when not 0.
int32_t readPreviewPages(SettingsBackend& backend);
void writePreviewPages(SettingsBackend& backend, int32_t pages);

// --- Recent file list (Recent File List subkey: File1..File4) ---

constexpr int kRecentFileCount = 4;
using RecentFiles = std::array<std::string, kRecentFileCount>;
// Missing entries stay empty.
RecentFiles readRecentFiles(SettingsBackend& backend);
// Deletes the subkey, then writes one value for each non-empty entry, keeping
// its number ("File%d").
void writeRecentFiles(SettingsBackend& backend, const RecentFiles& files);

// --- Name lists of dialog fields (NameList) ---

// Where a key name points: "#" the application key, "#name" that
// subkey of the application key, any other text a key path below the hive.
std::string keyPathOf(std::string_view keyName);
// False (list untouched) when the key or value is missing.
bool readNameList(SettingsBackend& backend, std::string_view keyName, std::string_view valueName,
                  std::vector<std::string>& list);
bool writeNameList(SettingsBackend& backend, std::string_view keyName, std::string_view valueName,
                   const std::vector<std::string>& list);

// --- Folder lists of the file dialogs (OfnList<Ext>) ---

constexpr std::size_t kFolderListWriteEntries = 16;
constexpr std::size_t kFolderListWriteBytes = 4096;
constexpr std::size_t kFolderListReadEntries = 32;

// "OfnList" + the word after the last '*', '.' or '?' of the default
// extension, at most 24 characters, first letter upper case (a..z only),
// the rest lower case: "*.png" -> "OfnListPng", "" -> "OfnList".
std::string folderListValueName(std::string_view defaultExtension);
// The key holding the folder lists: the application key when both names are
// given; with only an application name, "Software\Mervo\<app>" when that key
// exists; otherwise "Software\Mervo\Common\OfnList".
std::string folderListKeyPath(SettingsBackend& backend, std::string_view registryKeyName,
                              std::string_view applicationName);
// At most 32 entries; false (list untouched) when missing.
bool readFolderList(SettingsBackend& backend, std::string_view keyPath, std::string_view valueName,
                    std::vector<std::string>& folders);
// Writes the first 16 entries that fit into 4096 bytes of multi-string data
// (each entry with its zero, plus the closing zero); an entry that does not
// fit is left out. Returns the entries written.
std::vector<std::string> writeFolderList(SettingsBackend& backend, std::string_view keyPath,
                                         std::string_view valueName,
                                         const std::vector<std::string>& folders);

// --- Folder chooser values (common key) ---

struct FolderChooserSettings {
    int32_t treeMode = 0;     // PathDlgTreeMode, 1 = tree view
    int32_t breadCrumb = 1;   // PathDlgBreadCrumb, 1 = clickable path segments
    friend bool operator==(const FolderChooserSettings&, const FolderChooserSettings&) = default;
};
// Opens the common key for reading only.
FolderChooserSettings readFolderChooserSettings(SettingsBackend& backend);
// Creates the key; the tree mode is written only when writeTreeMode.
void writeFolderChooserSettings(SettingsBackend& backend, const FolderChooserSettings& values,
                                bool writeTreeMode);

}  // namespace gz
