// The few file-system operations the game library needs, behind an interface
// so tests can make any of them fail. PosixFileSystem is the real one.
//
// Every operation returns an FsStatus; nothing throws. Paths are 8-bit
// strings used as they are.
//
// replaceFileSafely() is how the library writes files: into a temporary file
// in the same folder, flushed to disk, then renamed over the old file, so a
// crash or a full disk leaves either the old file or the new one, never a
// half-written one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace gz {

enum class FsStatus {
    Ok = 0,
    NotFound,      // the path (or a parent) does not exist
    Exists,        // the target of a rename exists
    Denied,        // no permission, or a read-only file system
    NoSpace,       // the disk or the quota is full
    TooBig,        // a file is larger than the caller's limit
    Failed,        // any other error
};

const char* fsStatusName(FsStatus s);

enum class PathKind { Missing, File, Folder, Other };

// One entry of a folder listing: its name (no path) and what it is, links
// followed as kind() follows them.
struct FolderEntry {
    std::string name;
    PathKind kind = PathKind::Missing;
    friend bool operator==(const FolderEntry&, const FolderEntry&) = default;
};

// What tells a file from another one and from its own older self: a file
// replaced by a rename has another inode, one rewritten in place another
// size or modification time (and always another change time).
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    uint64_t size = 0;
    int64_t modifiedNs = 0;   // since the epoch
    int64_t changedNs = 0;    // status change, moved on by any write or rename
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual PathKind kind(const std::string& path) = 0;
    // The identity of the regular file at `path` (links followed); Failed
    // for anything that is not a regular file.
    virtual FsStatus identify(const std::string& path, FileIdentity& out) = 0;
    // Creates the folder and its missing parents; Ok when it is a folder afterwards.
    virtual FsStatus createFolders(const std::string& path) = 0;
    // Reads at most maxBytes bytes from the start of the file.
    virtual FsStatus readFile(const std::string& path, std::size_t maxBytes, std::string& out) = 0;
    // Creates or truncates the file and writes all bytes (not atomic by itself).
    virtual FsStatus writeFile(const std::string& path, std::string_view bytes) = 0;
    // Creates or truncates `to` with the bytes of the regular file `from`,
    // read and written piece by piece (not atomic by itself, not flushed).
    virtual FsStatus copyFile(const std::string& from, const std::string& to) = 0;
    // The folder's entries without "." and "..", in no particular order.
    virtual FsStatus listFolder(const std::string& path, std::vector<FolderEntry>& out) = 0;
    // Flushes a written file's data to the disk.
    virtual FsStatus syncFile(const std::string& path) = 0;
    // Renames a file over `to`, replacing it in one step.
    virtual FsStatus replaceFile(const std::string& from, const std::string& to) = 0;
    // Renames a folder; fails with Exists when `to` exists in any form.
    virtual FsStatus renameFolder(const std::string& from, const std::string& to) = 0;
    virtual FsStatus removeFile(const std::string& path) = 0;
    // Removes an empty folder; Exists when it still holds anything.
    virtual FsStatus removeFolder(const std::string& path) = 0;
    // Makes the renames inside a folder durable.
    virtual FsStatus syncFolder(const std::string& path) = 0;
};

class PosixFileSystem final : public FileSystem {
public:
    PathKind kind(const std::string& path) override;
    FsStatus identify(const std::string& path, FileIdentity& out) override;
    FsStatus createFolders(const std::string& path) override;
    FsStatus readFile(const std::string& path, std::size_t maxBytes, std::string& out) override;
    FsStatus writeFile(const std::string& path, std::string_view bytes) override;
    FsStatus copyFile(const std::string& from, const std::string& to) override;
    FsStatus listFolder(const std::string& path, std::vector<FolderEntry>& out) override;
    FsStatus syncFile(const std::string& path) override;
    FsStatus replaceFile(const std::string& from, const std::string& to) override;
    FsStatus renameFolder(const std::string& from, const std::string& to) override;
    FsStatus removeFile(const std::string& path) override;
    FsStatus removeFolder(const std::string& path) override;
    FsStatus syncFolder(const std::string& path) override;
};

// The folder part of a path ("" when there is no separator).
std::string folderOf(const std::string& path);

// "<folder>/.~<name>": the temporary sibling a file is written to first. It
// keeps the file's extension, so writers that choose a format by extension
// still do the right thing.
std::string temporarySiblingOf(const std::string& path);

// Writes `path` safely: writeTemporary(temp) creates the temporary sibling
// (returning false on failure), then it is flushed and renamed over `path`.
// On any failure the temporary file is removed and `path` is left as it was.
FsStatus replaceFileSafely(FileSystem& fs, const std::string& path,
                           const std::function<bool(const std::string& temporaryPath)>& writeTemporary);
// The same for a file whose bytes are at hand.
FsStatus replaceFileSafely(FileSystem& fs, const std::string& path, std::string_view bytes);

// Whether a new file can be made in `folder`: creates and removes the empty
// file "<folder>/.~write-test". Denied for a folder that refuses it (a
// read-only mount, or no permission), NotFound for a missing folder, Ok
// when it could; an asked check, so it holds for root on a read-only mount
// and for anyone the permissions stop, and a test can fail it.
FsStatus probeWritable(FileSystem& fs, const std::string& folder);

}  // namespace gz
