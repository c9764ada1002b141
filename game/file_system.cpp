#include "game/file_system.h"

namespace gz {

const char* fsStatusName(FsStatus s)
{
    switch (s) {
    case FsStatus::Ok: return "ok";
    case FsStatus::NotFound: return "not found";
    case FsStatus::Exists: return "exists";
    case FsStatus::Denied: return "denied";
    case FsStatus::NoSpace: return "no space";
    case FsStatus::TooBig: return "too big";
    case FsStatus::Failed: return "failed";
    }
    return "?";
}

std::string folderOf(const std::string& path)
{
    std::size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string temporarySiblingOf(const std::string& path)
{
    std::size_t cut = path.find_last_of("/\\");
    if (cut == std::string::npos)
        return ".~" + path;
    return path.substr(0, cut + 1) + ".~" + path.substr(cut + 1);
}

namespace {

FsStatus finish(FileSystem& fs, const std::string& temp, const std::string& path, FsStatus written)
{
    FsStatus s = written;
    if (s == FsStatus::Ok)
        s = fs.syncFile(temp);
    if (s == FsStatus::Ok)
        s = fs.replaceFile(temp, path);
    if (s != FsStatus::Ok) {
        fs.removeFile(temp);
        return s;
    }
    // The new file is in place; a failed folder sync only weakens durability.
    fs.syncFolder(folderOf(path));
    return FsStatus::Ok;
}

}  // namespace

FsStatus replaceFileSafely(FileSystem& fs, const std::string& path,
                           const std::function<bool(const std::string&)>& writeTemporary)
{
    std::string temp = temporarySiblingOf(path);
    bool ok = writeTemporary(temp);
    if (ok && fs.kind(temp) != PathKind::File)
        ok = false;
    return finish(fs, temp, path, ok ? FsStatus::Ok : FsStatus::Failed);
}

FsStatus replaceFileSafely(FileSystem& fs, const std::string& path, std::string_view bytes)
{
    std::string temp = temporarySiblingOf(path);
    return finish(fs, temp, path, fs.writeFile(temp, bytes));
}

FsStatus probeWritable(FileSystem& fs, const std::string& folder)
{
    const std::string probe = (folder.empty() ? std::string(".") : folder) + "/.~write-test";
    const FsStatus s = fs.writeFile(probe, {});
    if (s == FsStatus::Ok)
        fs.removeFile(probe);
    return s;
}

}  // namespace gz
