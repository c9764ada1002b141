#include "game/file_system_faults.h"

namespace gz {
namespace {

const char* opName(FaultyFileSystem::Op op)
{
    using Op = FaultyFileSystem::Op;
    switch (op) {
    case Op::Kind: return "kind";
    case Op::Identify: return "identify";
    case Op::CreateFolders: return "createFolders";
    case Op::ReadFile: return "readFile";
    case Op::WriteFile: return "writeFile";
    case Op::SyncFile: return "syncFile";
    case Op::ReplaceFile: return "replaceFile";
    case Op::RenameFolder: return "renameFolder";
    case Op::RemoveFile: return "removeFile";
    case Op::RemoveFolder: return "removeFolder";
    case Op::SyncFolder: return "syncFolder";
    case Op::CopyFile: return "copyFile";
    case Op::ListFolder: return "listFolder";
    }
    return "?";
}

}  // namespace

void FaultyFileSystem::failOn(Op op, std::string pathPart, FsStatus status, int skip, int times)
{
    faults_.push_back({op, std::move(pathPart), status, skip, times});
}

void FaultyFileSystem::cutWrites(std::string pathPart, std::size_t keep)
{
    cutPart_ = std::move(pathPart);
    cutKeep_ = keep;
    cutting_ = true;
}

void FaultyFileSystem::clearFaults()
{
    faults_.clear();
    cutting_ = false;
}

FsStatus FaultyFileSystem::check(Op op, const std::string& path)
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        log_.push_back(std::string(opName(op)) + ' ' + path);
    }
    if (hook_)
        hook_(op, path);
    std::lock_guard<std::mutex> guard(lock_);
    for (Fault& f : faults_) {
        if (f.op != op || path.find(f.pathPart) == std::string::npos || f.times == 0)
            continue;
        if (f.skip > 0) {
            --f.skip;
            continue;
        }
        if (f.times > 0)
            --f.times;
        return f.status;
    }
    return FsStatus::Ok;
}

PathKind FaultyFileSystem::kind(const std::string& path)
{
    return check(Op::Kind, path) == FsStatus::Ok ? inner_.kind(path) : PathKind::Missing;
}

FsStatus FaultyFileSystem::identify(const std::string& path, FileIdentity& out)
{
    FsStatus s = check(Op::Identify, path);
    return s == FsStatus::Ok ? inner_.identify(path, out) : s;
}

FsStatus FaultyFileSystem::createFolders(const std::string& path)
{
    FsStatus s = check(Op::CreateFolders, path);
    return s == FsStatus::Ok ? inner_.createFolders(path) : s;
}

FsStatus FaultyFileSystem::readFile(const std::string& path, std::size_t maxBytes, std::string& out)
{
    FsStatus s = check(Op::ReadFile, path);
    return s == FsStatus::Ok ? inner_.readFile(path, maxBytes, out) : s;
}

FsStatus FaultyFileSystem::writeFile(const std::string& path, std::string_view bytes)
{
    FsStatus s = check(Op::WriteFile, path);
    if (s != FsStatus::Ok)
        return s;
    if (cutting_ && path.find(cutPart_) != std::string::npos && bytes.size() > cutKeep_) {
        inner_.writeFile(path, bytes.substr(0, cutKeep_));
        return FsStatus::NoSpace;
    }
    return inner_.writeFile(path, bytes);
}

FsStatus FaultyFileSystem::copyFile(const std::string& from, const std::string& to)
{
    FsStatus s = check(Op::CopyFile, from + " -> " + to);
    return s == FsStatus::Ok ? inner_.copyFile(from, to) : s;
}

FsStatus FaultyFileSystem::listFolder(const std::string& path, std::vector<FolderEntry>& out)
{
    FsStatus s = check(Op::ListFolder, path);
    return s == FsStatus::Ok ? inner_.listFolder(path, out) : s;
}

FsStatus FaultyFileSystem::syncFile(const std::string& path)
{
    FsStatus s = check(Op::SyncFile, path);
    return s == FsStatus::Ok ? inner_.syncFile(path) : s;
}

FsStatus FaultyFileSystem::replaceFile(const std::string& from, const std::string& to)
{
    FsStatus s = check(Op::ReplaceFile, from);
    return s == FsStatus::Ok ? inner_.replaceFile(from, to) : s;
}

FsStatus FaultyFileSystem::renameFolder(const std::string& from, const std::string& to)
{
    FsStatus s = check(Op::RenameFolder, from);
    return s == FsStatus::Ok ? inner_.renameFolder(from, to) : s;
}

FsStatus FaultyFileSystem::removeFile(const std::string& path)
{
    FsStatus s = check(Op::RemoveFile, path);
    return s == FsStatus::Ok ? inner_.removeFile(path) : s;
}

FsStatus FaultyFileSystem::removeFolder(const std::string& path)
{
    FsStatus s = check(Op::RemoveFolder, path);
    return s == FsStatus::Ok ? inner_.removeFolder(path) : s;
}

FsStatus FaultyFileSystem::syncFolder(const std::string& path)
{
    FsStatus s = check(Op::SyncFolder, path);
    return s == FsStatus::Ok ? inner_.syncFolder(path) : s;
}

}  // namespace gz
