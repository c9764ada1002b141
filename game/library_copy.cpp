#include "game/library_copy.h"

#include <vector>

namespace gz {
namespace {

bool isTemporaryName(const std::string& name) { return name.rfind(".~", 0) == 0; }

bool isInside(const std::string& path, const std::string& folder)
{
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              path[folder.size()] == '/');
}

// Removes the temporary folder tree this module made. A link in it is
// removed as a name: whatever it points to is never touched.
FsStatus removeTree(FileSystem& fs, const std::string& path, int depth)
{
    std::vector<FolderEntry> entries;
    FsStatus s = fs.listFolder(path, entries);
    if (s != FsStatus::Ok)
        return s;
    for (const FolderEntry& e : entries) {
        const std::string child = path + '/' + e.name;
        if (fs.removeFile(child) == FsStatus::Ok)
            continue;
        if (e.kind != PathKind::Folder || depth >= kLibraryCopyDepth)
            return FsStatus::Failed;
        s = removeTree(fs, child, depth + 1);
        if (s != FsStatus::Ok)
            return s;
    }
    return fs.removeFolder(path);
}

// Copies the entries of `from` into the existing folder `to`.
FsStatus copyTree(FileSystem& fs, const std::string& from, const std::string& to, int depth)
{
    std::vector<FolderEntry> entries;
    FsStatus s = fs.listFolder(from, entries);
    if (s != FsStatus::Ok)
        return s;
    for (const FolderEntry& e : entries) {
        if (isTemporaryName(e.name))
            continue;
        const std::string source = from + '/' + e.name;
        const std::string target = to + '/' + e.name;
        if (e.kind == PathKind::File) {
            s = fs.copyFile(source, target);
            if (s == FsStatus::Ok)
                s = fs.syncFile(target);
        } else if (e.kind == PathKind::Folder) {
            // Deeper than any library: a link loop, or not a library at all.
            if (depth >= kLibraryCopyDepth)
                return FsStatus::TooBig;
            s = fs.createFolders(target);
            if (s == FsStatus::Ok)
                s = copyTree(fs, source, target, depth + 1);
        }
        if (s != FsStatus::Ok)
            return s;
    }
    // The names in it last as long as the files do.
    return fs.syncFolder(to);
}

LibraryCopyResult failed(FileSystem& fs, const std::string& temp, FsStatus status)
{
    if (fs.kind(temp) != PathKind::Missing)
        removeTree(fs, temp, 0);
    return {LibraryCopy::Failed, status};
}

}  // namespace

LibraryCopyResult copyLibraryOnce(FileSystem& fs, const std::string& source, const std::string& target)
{
    if (fs.kind(source) != PathKind::Folder)
        return {LibraryCopy::SourceMissing, FsStatus::NotFound};
    if (target.empty() || isInside(target, source))
        return {LibraryCopy::Failed, FsStatus::Failed};
    bool replaceEmptyFolder = false;
    switch (fs.kind(target)) {
    case PathKind::Missing: break;
    case PathKind::Folder: {
        std::vector<FolderEntry> entries;
        const FsStatus s = fs.listFolder(target, entries);
        if (s != FsStatus::Ok)
            return {LibraryCopy::Failed, s};
        if (!entries.empty())
            return {LibraryCopy::TargetInUse, FsStatus::Ok};
        replaceEmptyFolder = true;
        break;
    }
    default: return {LibraryCopy::TargetNotFolder, FsStatus::Exists};
    }

    const std::string temp = temporarySiblingOf(target);
    // Left by a copy that never finished: it was never the library.
    if (fs.kind(temp) != PathKind::Missing) {
        const FsStatus s = removeTree(fs, temp, 0);
        if (s != FsStatus::Ok)
            return {LibraryCopy::Failed, s};
    }
    FsStatus s = fs.createFolders(temp);
    if (s == FsStatus::Ok)
        s = copyTree(fs, source, temp, 1);
    if (s != FsStatus::Ok)
        return failed(fs, temp, s);
    // The rename cannot replace a folder, not even an empty one. One that
    // has filled up meanwhile is the user's again.
    if (replaceEmptyFolder) {
        s = fs.removeFolder(target);
        if (s == FsStatus::Exists) {
            failed(fs, temp, s);
            return {LibraryCopy::TargetInUse, FsStatus::Ok};
        }
        if (s != FsStatus::Ok && s != FsStatus::NotFound)
            return failed(fs, temp, s);
    }
    s = fs.renameFolder(temp, target);
    if (s == FsStatus::Exists) {
        // Another start of the program was quicker: its copy is complete.
        failed(fs, temp, s);
        return {LibraryCopy::TargetInUse, FsStatus::Ok};
    }
    if (s != FsStatus::Ok)
        return failed(fs, temp, s);
    fs.syncFolder(folderOf(target));
    return {LibraryCopy::Copied, FsStatus::Ok};
}

}  // namespace gz
