// A FileSystem that passes every call to another one, except the calls a
// test has told it to fail: by operation, by a part of the path, after a
// number of successful calls. It can also cut writes short (a full disk) and
// run a hook before each call (to end a process right there). Calls may come
// from several threads (the game read-ahead reads on its own); setting
// faults and reading the log are for when no call is running.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "game/file_system.h"

namespace gz {

class FaultyFileSystem final : public FileSystem {
public:
    enum class Op { Kind, Identify, CreateFolders, ReadFile, WriteFile, SyncFile, ReplaceFile, RenameFolder,
                    RemoveFile, RemoveFolder, SyncFolder, CopyFile, ListFolder };

    explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

    // Calls of `op` whose (first) path contains pathPart fail with `status`,
    // after `skip` matching calls have gone through, `times` times (-1: always).
    void failOn(Op op, std::string pathPart, FsStatus status = FsStatus::Failed, int skip = 0,
                int times = -1);
    // Writes to matching paths store only their first `keep` bytes, then fail with NoSpace.
    void cutWrites(std::string pathPart, std::size_t keep);
    // Called before every operation with its first path.
    void setHook(std::function<void(Op, const std::string&)> hook) { hook_ = std::move(hook); }
    void clearFaults();

    // "op path" for every call, in order.
    const std::vector<std::string>& log() const { return log_; }

    PathKind kind(const std::string& path) override;
    FsStatus identify(const std::string& path, FileIdentity& out) override;
    FsStatus createFolders(const std::string& path) override;
    FsStatus readFile(const std::string& path, std::size_t maxBytes, std::string& out) override;
    FsStatus writeFile(const std::string& path, std::string_view bytes) override;
    // Its path, for faults and the log, is "<from> -> <to>": a part of
    // either matches.
    FsStatus copyFile(const std::string& from, const std::string& to) override;
    FsStatus listFolder(const std::string& path, std::vector<FolderEntry>& out) override;
    FsStatus syncFile(const std::string& path) override;
    FsStatus replaceFile(const std::string& from, const std::string& to) override;
    FsStatus renameFolder(const std::string& from, const std::string& to) override;
    FsStatus removeFile(const std::string& path) override;
    FsStatus removeFolder(const std::string& path) override;
    FsStatus syncFolder(const std::string& path) override;

private:
    struct Fault {
        Op op;
        std::string pathPart;
        FsStatus status;
        int skip;
        int times;
    };
    // The status of an injected fault for this call, or Ok.
    FsStatus check(Op op, const std::string& path);

    FileSystem& inner_;
    std::mutex lock_;   // the log and the fault counters
    std::vector<Fault> faults_;
    std::string cutPart_;
    std::size_t cutKeep_ = 0;
    bool cutting_ = false;
    std::function<void(Op, const std::string&)> hook_;
    std::vector<std::string> log_;
};

}  // namespace gz
