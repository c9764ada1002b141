// Folder paths of the folder chooser, in the Linux form ("/" separators):
// normalisation, the chain of folders above a path, breadcrumb segments and
// the chooser's option flags. Plain string work; only probeFolderPath and
// createFolderPath touch the file system.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gz {

// Option flags of FolderChooser::showModal (the game passes 3).
enum FolderChooserFlag : uint32_t {
    kFolderMustExist = 1,      // the chosen folder has to exist
    kFolderCreateMissing = 2,  // a missing folder is created on OK
    kFolderNetworkMode = 4,    // network paths are taken as they are
    kFolderFixedView = 8,      // no tree checkbox; the tree mode is neither read nor written
};

// "//host/share" and deeper.
bool isNetworkPath(std::string_view path);

// Leading blanks skipped, "\" read as "/", made absolute against
// currentDir, "." and ".." and doubled separators folded, trailing blanks
// and separators removed, but never the root "/" (nor the "//" of a
// network path). An empty or all-blank text stays empty.
std::string normalizeFolderPath(std::string_view text, std::string_view currentDir);

// The folder above a normalised path; empty for "/" and for "//".
std::string parentFolder(std::string_view path);

// The root, then every folder down to the path itself: "/a/b" gives "/",
// "/a", "/a/b"; a network path starts with "//". Empty for an empty path.
std::vector<std::string> folderChain(std::string_view path);

// Breadcrumb segments: the text of each folder level and the folder it
// stands for ("/" for the root, "//" shown as the network).
struct PathSegment {
    std::string label;
    std::string path;
    friend bool operator==(const PathSegment&, const PathSegment&) = default;
};
std::vector<PathSegment> pathSegments(std::string_view path);

// The chooser's result: one trailing "/" removed, except from the root.
std::string withoutTrailingSeparator(std::string_view path);

// Paths compared without regard to ASCII letter case.
bool samePathIgnoringCase(std::string_view a, std::string_view b);

// parent + "/" + name, without doubling the separator of "/" or "//".
std::string childFolder(std::string_view parent, std::string_view name);

// Network shares mounted into the local tree ("//host/share" on /mnt/share).
struct NetworkMount {
    std::string share;        // "//host/share"
    std::string mountPoint;   // "/mnt/share"
};
// The local form of a network path: the mount whose share is the path or a
// folder above it (letters compared without regard to case), with the rest of
// the path appended. Empty when no mount carries the path. Any other path is
// returned as it is.
std::string resolveNetworkPath(std::string_view path, const std::vector<NetworkMount>& mounts);

// The network name of a mounted device: "//host/share" as it stands for
// SMB mounts, "host:/export" of NFS as "//host/export"; empty for local
// devices.
std::string networkShareOfDevice(std::string_view fsType, std::string_view device);

// Index of the root that holds the path: the longest of `roots` that is the
// path itself or a folder above it; -1 when none is.
int containingRoot(std::string_view path, const std::vector<std::string>& roots);

// Mounted volumes worth offering next to "/" and the home folder: real file
// systems and network shares, not the kernel's pseudo file systems, memory
// file systems, read-only package images or anything mounted below /proc,
// /sys, /dev or /run (removable media under /run/media excepted).
bool isBrowsableVolume(std::string_view fsType, std::string_view mountPoint);

enum class FolderPathKind { Missing, File, Folder };
// A network path is Missing here: on this system "//host" would silently
// alias "/host", so it has to be resolved to its mount first.
FolderPathKind probeFolderPath(const std::string& path);
// Creates the folder with all missing parents; true when it is a folder
// afterwards. Never creates below a network path (see above).
bool createFolderPath(const std::string& path);

// A remembered dialog rectangle is used again only when it lies plausibly on
// its monitor: its left edge more than 100 px left of the monitor's right
// edge and less than 100 px left of its left edge, its top less than 10 px
// above the monitor's top and more than 100 px above its bottom, and both
// sizes above 16.
struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};
bool placementPlausible(const PixelRect& placement, const PixelRect& monitor);

}  // namespace gz
