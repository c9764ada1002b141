// Copying a game library once into a folder of the user's own: when it is
// made, when the folder there is left alone, and that no failure and no
// crash leaves half a library behind. Also the two file-system operations
// the copy is made of, and the check for a folder that takes no new files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "game/file_system_faults.h"
#include "game/library_copy.h"
#include "library_fixture.h"

namespace gz {
namespace {

using testing::readAll;
using testing::writeAll;
namespace stdfs = std::filesystem;

// Every regular file below `root` by its relative path, with its bytes.
std::map<std::string, std::string> treeOf(const stdfs::path& root)
{
    std::map<std::string, std::string> files;
    if (!stdfs::is_directory(root))
        return files;
    for (const auto& e : stdfs::recursive_directory_iterator(root))
        if (e.is_regular_file())
            files[stdfs::relative(e.path(), root).string()] = readAll(e.path().string());
    return files;
}

class LibraryCopyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = stdfs::temp_directory_path() / ("gz-library-copy-" + std::to_string(::getpid()) + "-" +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        stdfs::remove_all(root);
        source = root / "share" / "gamezinko" / "Games";
        target = root / "data" / "GameZinko" / "Games";
        // Three games as the installed library has them, one with a picture
        // larger than one piece of the copy.
        for (int n : {1, 2, 3}) {
            const stdfs::path game = source / ("Game00" + std::to_string(n));
            stdfs::create_directories(game);
            writeAll((game / "Pic.txt").string(), "Frage " + std::to_string(n) + "\nAntwort\n");
            writeAll((game / "Pic.svg").string(), "<svg/>");
            writeAll((game / "Pic.png").string(), std::string(n == 2 ? 200000 : 10, static_cast<char>('a' + n)));
        }
        expected = treeOf(source);
    }
    void TearDown() override { stdfs::remove_all(root); }
    LibraryCopyResult copy() { return copyLibraryOnce(faulty, source.string(), target.string()); }
    bool temporaryLeft() const { return stdfs::exists(temporarySiblingOf(target.string())); }

    stdfs::path root, source, target;
    std::map<std::string, std::string> expected;
    PosixFileSystem posix;
    FaultyFileSystem faulty{posix};
};

TEST_F(LibraryCopyTest, WhatIsAtTheTargetDecides)
{
    struct Case {
        const char* name;
        std::function<void(const stdfs::path& target)> prepare;
        LibraryCopy result;
        bool copied;   // the target then holds exactly the source's files
    };
    const Case cases[] = {
        {"no target yet, nor its parents", [](const stdfs::path&) {}, LibraryCopy::Copied, true},
        {"an empty folder", [](const stdfs::path& t) { stdfs::create_directories(t); }, LibraryCopy::Copied, true},
        {"the user's games", [](const stdfs::path& t) {
             stdfs::create_directories(t / "Game001");
             writeAll((t / "Game001" / "Pic.txt").string(), "Meine Frage\nMeine Antwort\n");
         }, LibraryCopy::TargetInUse, false},
        {"only a stray file", [](const stdfs::path& t) {
             stdfs::create_directories(t);
             writeAll((t / "notiz.txt").string(), "x");
         }, LibraryCopy::TargetInUse, false},
        {"a file in its place", [](const stdfs::path& t) {
             stdfs::create_directories(t.parent_path());
             writeAll(t.string(), "kein Ordner");
         }, LibraryCopy::TargetNotFolder, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        stdfs::remove_all(root / "data");
        c.prepare(target);
        const auto before = treeOf(target);
        EXPECT_EQ(copy().result, c.result);
        EXPECT_EQ(treeOf(target), c.copied ? expected : before) << "copied, or left exactly as it was";
        EXPECT_FALSE(temporaryLeft());
        EXPECT_EQ(treeOf(source), expected) << "the source is only read";
    }
}

TEST_F(LibraryCopyTest, AMissingSourceCopiesNothing)
{
    stdfs::remove_all(source);
    EXPECT_EQ(copy(), (LibraryCopyResult{LibraryCopy::SourceMissing, FsStatus::NotFound}));
    EXPECT_FALSE(stdfs::exists(target));
    EXPECT_FALSE(stdfs::exists(target.parent_path())) << "no folder made for nothing";
}

TEST_F(LibraryCopyTest, ATargetInsideTheSourceIsRefused)
{
    target = source / "Games";
    EXPECT_EQ(copy().result, LibraryCopy::Failed);
    EXPECT_EQ(treeOf(source), expected);
}

// Temporary files of an interrupted save in the source are no part of a game.
TEST_F(LibraryCopyTest, TemporaryFilesOfTheSourceStayBehind)
{
    writeAll((source / "Game001" / ".~Pic.svg").string(), "halb");
    stdfs::create_directories(source / ".~Game009");
    EXPECT_EQ(copy().result, LibraryCopy::Copied);
    EXPECT_EQ(treeOf(target), expected);
    EXPECT_FALSE(stdfs::exists(target / ".~Game009"));
}

// Whichever step fails, the target holds nothing (missing, or at most the
// empty folder it was) and no temporary folder remains.
TEST_F(LibraryCopyTest, AFailedStepLeavesNoHalfLibrary)
{
    using Op = FaultyFileSystem::Op;
    struct Case {
        const char* name;
        Op op;
        const char* pathPart;
        FsStatus status;
        int skip;
        bool emptyTargetFolder;
    };
    const Case cases[] = {
        {"the data folder cannot be made", Op::CreateFolders, ".~Games", FsStatus::Denied, 0, false},
        {"the source cannot be listed", Op::ListFolder, "share", FsStatus::Denied, 0, false},
        {"a game folder cannot be listed", Op::ListFolder, "Game002", FsStatus::Failed, 0, false},
        {"the disk fills up at the large picture", Op::CopyFile, "Game002/Pic.png", FsStatus::NoSpace, 0, false},
        {"the fifth file fails", Op::CopyFile, "Pic", FsStatus::Failed, 4, false},
        {"a file cannot be flushed", Op::SyncFile, "Pic.txt", FsStatus::Failed, 1, false},
        {"a folder cannot be flushed", Op::SyncFolder, ".~Games", FsStatus::Failed, 0, false},
        {"the rename fails", Op::RenameFolder, ".~Games", FsStatus::Failed, 0, false},
        {"the rename fails over an empty folder", Op::RenameFolder, ".~Games", FsStatus::Denied, 0, true},
        {"the empty folder cannot go", Op::RemoveFolder, "data/GameZinko/Games", FsStatus::Denied, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        stdfs::remove_all(root / "data");
        if (c.emptyTargetFolder)
            stdfs::create_directories(target);
        faulty.clearFaults();
        faulty.failOn(c.op, c.pathPart, c.status, c.skip, 1);
        EXPECT_EQ(copy(), (LibraryCopyResult{LibraryCopy::Failed, c.status}));
        // An empty folder there may have gone on the way; nothing else may be there.
        if (!c.emptyTargetFolder) {
            EXPECT_FALSE(stdfs::exists(target));
        }
        EXPECT_TRUE(treeOf(target).empty());
        EXPECT_FALSE(temporaryLeft());
        // Nothing was lost by trying: the next start copies all.
        faulty.clearFaults();
        EXPECT_EQ(copy().result, LibraryCopy::Copied);
        EXPECT_EQ(treeOf(target), expected);
    }
}

// The process ends in the middle of the copy: there is no library at the
// target, and the next start throws the temporary folder away and copies
// everything.
TEST_F(LibraryCopyTest, ACrashInTheMiddleLeavesNoLibraryAndTheNextStartCopiesAll)
{
    struct Case {
        const char* name;
        FaultyFileSystem::Op op;
        int after;   // calls of `op` that go through first
    };
    const Case cases[] = {
        {"during the third file", FaultyFileSystem::Op::CopyFile, 2},
        {"right before the rename", FaultyFileSystem::Op::RenameFolder, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        stdfs::remove_all(root / "data");
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int calls = 0;
            faulty.setHook([&](FaultyFileSystem::Op op, const std::string&) {
                if (op == c.op && calls++ == c.after)
                    _exit(0);
            });
            copy();
            _exit(1);   // not reached: the hook ends the process first
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_FALSE(stdfs::exists(target));
        EXPECT_TRUE(temporaryLeft()) << "the crash left its temporary folder";

        EXPECT_EQ(copy().result, LibraryCopy::Copied);
        EXPECT_EQ(treeOf(target), expected);
        EXPECT_FALSE(temporaryLeft());
    }
}

// The folder another start has just renamed into place is complete: taken.
TEST_F(LibraryCopyTest, AnotherStartThatWasQuickerWins)
{
    faulty.setHook([&](FaultyFileSystem::Op op, const std::string&) {
        if (op == FaultyFileSystem::Op::RenameFolder && !stdfs::exists(target)) {
            stdfs::create_directories(target / "Game001");
            writeAll((target / "Game001" / "Pic.txt").string(), "vom anderen Start\n\n");
        }
    });
    EXPECT_EQ(copy().result, LibraryCopy::TargetInUse);
    EXPECT_EQ(readAll((target / "Game001" / "Pic.txt").string()), "vom anderen Start\n\n");
    EXPECT_FALSE(temporaryLeft());
}

TEST(PosixFileSystemFolders, ListsAndCopiesInPieces)
{
    const stdfs::path dir = stdfs::temp_directory_path() / ("gz-fs-list-" + std::to_string(::getpid()));
    stdfs::remove_all(dir);
    stdfs::create_directories(dir / "Ordner");
    std::string big(150000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7 + i / 251);
    writeAll((dir / "gross.bin").string(), big);
    stdfs::create_symlink(dir / "Ordner", dir / "Verweis");

    PosixFileSystem fs;
    std::vector<FolderEntry> entries;
    ASSERT_EQ(fs.listFolder(dir.string(), entries), FsStatus::Ok);
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    EXPECT_EQ(entries, (std::vector<FolderEntry>{
                           {"Ordner", PathKind::Folder}, {"Verweis", PathKind::Folder}, {"gross.bin", PathKind::File}}));
    EXPECT_EQ(fs.listFolder((dir / "fehlt").string(), entries), FsStatus::NotFound);

    ASSERT_EQ(fs.copyFile((dir / "gross.bin").string(), (dir / "Ordner" / "kopie.bin").string()), FsStatus::Ok);
    EXPECT_EQ(readAll((dir / "Ordner" / "kopie.bin").string()), big);
    // Copying over a longer file leaves nothing of it.
    writeAll((dir / "kurz.txt").string(), "kurz");
    ASSERT_EQ(fs.copyFile((dir / "kurz.txt").string(), (dir / "Ordner" / "kopie.bin").string()), FsStatus::Ok);
    EXPECT_EQ(readAll((dir / "Ordner" / "kopie.bin").string()), "kurz");
    EXPECT_EQ(fs.copyFile((dir / "fehlt").string(), (dir / "x").string()), FsStatus::NotFound);
    EXPECT_EQ(fs.copyFile((dir / "Ordner").string(), (dir / "x").string()), FsStatus::Failed);
    EXPECT_FALSE(stdfs::exists(dir / "x"));
    stdfs::remove_all(dir);
}

TEST(ProbeWritable, TellsAFolderThatRefusesNewFiles)
{
    const stdfs::path dir = stdfs::temp_directory_path() / ("gz-fs-probe-" + std::to_string(::getpid()));
    stdfs::remove_all(dir);
    stdfs::create_directories(dir / "offen");
    stdfs::create_directories(dir / "zu");
    PosixFileSystem posix;
    FaultyFileSystem faulty(posix);
    // What a read-only mount answers, for root as for anyone.
    faulty.failOn(FaultyFileSystem::Op::WriteFile, "/zu/", FsStatus::Denied);
    struct Case {
        const char* folder;
        FsStatus status;
    };
    const Case cases[] = {{"offen", FsStatus::Ok}, {"zu", FsStatus::Denied}, {"fehlt", FsStatus::NotFound}};
    for (const Case& c : cases) {
        EXPECT_EQ(probeWritable(faulty, (dir / c.folder).string()), c.status) << c.folder;
        EXPECT_FALSE(stdfs::exists(dir / c.folder / ".~write-test")) << c.folder;
    }
    // Permissions stop everyone but root; root may write, and the probe says so.
    stdfs::permissions(dir / "zu", stdfs::perms::owner_read | stdfs::perms::owner_exec);
    EXPECT_EQ(probeWritable(posix, (dir / "zu").string()), geteuid() == 0 ? FsStatus::Ok : FsStatus::Denied);
    stdfs::permissions(dir / "zu", stdfs::perms::owner_all);
    stdfs::remove_all(dir);
}

}  // namespace
}  // namespace gz
