#include "game/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gz {
namespace {

FsStatus fromErrno(int e)
{
    switch (e) {
    case ENOENT:
    case ENOTDIR:
        return FsStatus::NotFound;
    case EEXIST:
    case ENOTEMPTY:
        return FsStatus::Exists;
    case EACCES:
    case EPERM:
    case EROFS:
        return FsStatus::Denied;
    case ENOSPC:
    case EDQUOT:
        return FsStatus::NoSpace;
    default:
        return FsStatus::Failed;
    }
}

FsStatus lastError() { return fromErrno(errno); }

// read() again after a signal; -1 (errno set) on an error.
ssize_t readRetrying(int fd, void* buffer, std::size_t size)
{
    ssize_t n;
    do
        n = ::read(fd, buffer, size);
    while (n < 0 && errno == EINTR);
    return n;
}

// Writes all `size` bytes, again after a signal. A write that takes
// nothing counts as a full disk.
FsStatus writeAll(int fd, const char* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? lastError() : FsStatus::NoSpace;
        done += static_cast<std::size_t>(n);
    }
    return FsStatus::Ok;
}

int openRetrying(const char* path, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = ::open(path, flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

FsStatus syncPath(const std::string& path, int flags)
{
    int fd = openRetrying(path.c_str(), flags);
    if (fd < 0)
        return lastError();
    FsStatus s = ::fsync(fd) == 0 ? FsStatus::Ok : lastError();
    ::close(fd);
    return s;
}

}  // namespace

PathKind PosixFileSystem::kind(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return PathKind::Missing;
    if (S_ISREG(st.st_mode))
        return PathKind::File;
    if (S_ISDIR(st.st_mode))
        return PathKind::Folder;
    return PathKind::Other;
}

FsStatus PosixFileSystem::identify(const std::string& path, FileIdentity& out)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return lastError();
    if (!S_ISREG(st.st_mode))
        return FsStatus::Failed;
    out.device = static_cast<uint64_t>(st.st_dev);
    out.inode = static_cast<uint64_t>(st.st_ino);
    out.size = static_cast<uint64_t>(st.st_size);
    out.modifiedNs = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    out.changedNs = int64_t{st.st_ctim.tv_sec} * 1000000000 + st.st_ctim.tv_nsec;
    return FsStatus::Ok;
}

FsStatus PosixFileSystem::createFolders(const std::string& path)
{
    if (path.empty())
        return FsStatus::NotFound;
    for (std::size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/')
            continue;
        std::string part = path.substr(0, i);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            return lastError();
    }
    return kind(path) == PathKind::Folder ? FsStatus::Ok : FsStatus::Exists;
}

FsStatus PosixFileSystem::readFile(const std::string& path, std::size_t maxBytes, std::string& out)
{
    int fd = openRetrying(path.c_str(), O_RDONLY);
    if (fd < 0)
        return lastError();
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return FsStatus::Failed;
    }
    // The size on disk only bounds the first allocation; the read stops at maxBytes.
    std::size_t want = maxBytes;
    if (st.st_size >= 0 && static_cast<unsigned long long>(st.st_size) < want)
        want = static_cast<std::size_t>(st.st_size);
    std::string data;
    data.resize(want);
    std::size_t got = 0;
    FsStatus status = FsStatus::Ok;
    while (got < maxBytes) {
        if (got == data.size())
            data.resize(std::min(maxBytes, data.size() + 4096));
        ssize_t n = readRetrying(fd, data.data() + got, data.size() - got);
        if (n < 0) {
            status = lastError();
            break;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (status != FsStatus::Ok)
        return status;
    data.resize(got);
    out = std::move(data);
    return FsStatus::Ok;
}

FsStatus PosixFileSystem::writeFile(const std::string& path, std::string_view bytes)
{
    int fd = openRetrying(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return lastError();
    FsStatus status = writeAll(fd, bytes.data(), bytes.size());
    // close() can be the first to report a full disk on network file systems.
    if (::close(fd) != 0 && status == FsStatus::Ok && errno != EINTR)
        status = lastError();
    return status;
}

FsStatus PosixFileSystem::copyFile(const std::string& from, const std::string& to)
{
    int in = openRetrying(from.c_str(), O_RDONLY);
    if (in < 0)
        return lastError();
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return FsStatus::Failed;
    }
    int out = openRetrying(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0) {
        FsStatus s = lastError();
        ::close(in);
        return s;
    }
    // A fixed piece at a time: the file's size on disk is never trusted
    // for an allocation.
    char buffer[64 * 1024];
    FsStatus status = FsStatus::Ok;
    for (;;) {
        ssize_t n = readRetrying(in, buffer, sizeof buffer);
        if (n < 0) {
            status = lastError();
            break;
        }
        if (n == 0)
            break;
        status = writeAll(out, buffer, static_cast<std::size_t>(n));
        if (status != FsStatus::Ok)
            break;
    }
    ::close(in);
    if (::close(out) != 0 && status == FsStatus::Ok && errno != EINTR)
        status = lastError();
    return status;
}

FsStatus PosixFileSystem::listFolder(const std::string& path, std::vector<FolderEntry>& out)
{
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return lastError();
    std::vector<FolderEntry> entries;
    errno = 0;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..")
            entries.push_back({name, kind(path + '/' + name)});
        errno = 0;
    }
    const FsStatus status = errno != 0 ? lastError() : FsStatus::Ok;
    ::closedir(dir);
    if (status == FsStatus::Ok)
        out = std::move(entries);
    return status;
}

FsStatus PosixFileSystem::syncFile(const std::string& path) { return syncPath(path, O_RDONLY); }

FsStatus PosixFileSystem::replaceFile(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0 ? FsStatus::Ok : lastError();
}

FsStatus PosixFileSystem::renameFolder(const std::string& from, const std::string& to)
{
    // A plain rename() would silently replace an empty target folder.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return FsStatus::Ok;
    if (errno != EINVAL && errno != ENOSYS)
        return lastError();
    // The file system cannot refuse by itself: check first.
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0)
        return FsStatus::Exists;
    return ::rename(from.c_str(), to.c_str()) == 0 ? FsStatus::Ok : lastError();
}

FsStatus PosixFileSystem::removeFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0 ? FsStatus::Ok : lastError();
}

FsStatus PosixFileSystem::removeFolder(const std::string& path)
{
    return ::rmdir(path.c_str()) == 0 ? FsStatus::Ok : lastError();
}

FsStatus PosixFileSystem::syncFolder(const std::string& path)
{
    return syncPath(path.empty() ? std::string(".") : path, O_RDONLY | O_DIRECTORY);
}

}  // namespace gz
