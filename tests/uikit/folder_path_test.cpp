#include "uikit/folder_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace gz {
namespace {

TEST(FolderPath, NormalisesTypedAndStoredPaths)
{
    struct Case { const char* text; const char* cwd; const char* expect; };
    const Case cases[] = {
        {"/spiele/bilder/", "/x", "/spiele/bilder"},
        {"  /spiele/bilder", "/x", "/spiele/bilder"},
        {"/spiele/bilder/ / ", "/x", "/spiele/bilder"},
        {"\\spiele\\bilder\\", "/x", "/spiele/bilder"},
        {"/", "/x", "/"},
        {"//", "/x", "//"},                  // the network root stays
        {"///", "/x", "/"},                  // three or more leading slashes are the root
        {"///a//b/", "/x", "/a/b"},
        {"\\\\server\\share\\", "/x", "//server/share"},
        {"bilder", "/home/gm", "/home/gm/bilder"},
        {"./bilder/../fotos", "/home/gm", "/home/gm/fotos"},
        {"../..", "/home/gm", "/"},
        {"../../..", "/home/gm", "/"},      // never above the root
        {"/a//b", "/x", "/a/b"},
        {"//server/share/spiele/", "/x", "//server/share/spiele"},
        {"//server/..", "/x", "//server"},  // a network path keeps its host
        {"", "/x", ""},
        {"   ", "/x", ""},
        {"a b ", "/x", "/x/a b"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(normalizeFolderPath(c.text, c.cwd), c.expect) << "'" << c.text << "'";
}

TEST(FolderPath, ChainParentsAndSegments)
{
    EXPECT_EQ(folderChain("/a/b"), (std::vector<std::string>{"/", "/a", "/a/b"}));
    EXPECT_EQ(folderChain("/"), (std::vector<std::string>{"/"}));
    EXPECT_EQ(folderChain("//host/share"), (std::vector<std::string>{"//", "//host", "//host/share"}));
    EXPECT_TRUE(folderChain("").empty());

    EXPECT_EQ(parentFolder("/a/b"), "/a");
    EXPECT_EQ(parentFolder("/a"), "/");
    EXPECT_EQ(parentFolder("/"), "");

    auto seg = pathSegments("/home/gm");
    ASSERT_EQ(seg.size(), 3u);
    EXPECT_EQ(seg[0], (PathSegment{"/", "/"}));
    EXPECT_EQ(seg[2], (PathSegment{"gm", "/home/gm"}));

    EXPECT_EQ(withoutTrailingSeparator("/spiele/"), "/spiele");
    EXPECT_EQ(withoutTrailingSeparator("/spiele"), "/spiele");
    EXPECT_EQ(withoutTrailingSeparator("/"), "/");   // the root stays usable as a folder
    EXPECT_TRUE(samePathIgnoringCase("/Spiele", "/spiele"));
    EXPECT_FALSE(samePathIgnoringCase("/Spiele", "/spiele2"));
}

TEST(FolderPath, ChildFoldersJoinWithOneSeparator)
{
    EXPECT_EQ(childFolder("/", "home"), "/home");
    EXPECT_EQ(childFolder("/home", "gm"), "/home/gm");
    EXPECT_EQ(childFolder("//", "host"), "//host");
    EXPECT_EQ(childFolder("//host", "share"), "//host/share");
}

TEST(FolderPath, NetworkPathsResolveThroughTheirMounts)
{
    const std::vector<NetworkMount> mounts = {
        {"//nas/bilder", "/mnt/bilder"},
        {"//nas/bilder/archiv", "/mnt/archiv"},   // a deeper share wins
        {"//srv/Spiele/", "/media/spiele/"},
        {"", "/mnt/broken"},                       // no share: ignored
    };
    struct Case { const char* path; const char* expect; };
    const Case cases[] = {
        {"//nas/bilder", "/mnt/bilder"},
        {"//nas/bilder/game001", "/mnt/bilder/game001"},
        {"//NAS/Bilder/x", "/mnt/bilder/x"},       // host and share ignore case
        {"//nas/bilder/archiv/alt", "/mnt/archiv/alt"},
        {"//nas/bilderalt", ""},                   // only whole folder names match
        {"//srv/spiele", "/media/spiele"},
        {"//other/share", ""},
        {"//", ""},
        {"/mnt/bilder", "/mnt/bilder"},            // not a network path: unchanged
    };
    for (const Case& c : cases)
        EXPECT_EQ(resolveNetworkPath(c.path, mounts), c.expect) << c.path;
}

TEST(FolderPath, NamesTheShareOfAMountedDevice)
{
    struct Case { const char* type; const char* device; const char* share; };
    const Case cases[] = {
        {"cifs", "//nas/bilder", "//nas/bilder"},
        {"smb3", "\\\\nas\\bilder\\", "//nas/bilder"},
        {"nfs4", "nas:/export/bilder", "//nas/export/bilder"},
        {"nfs", "nas:/", "//nas"},
        {"nfs", "nas:relative", ""},
        {"ext4", "/dev/sda1", ""},
        {"ext4", "", ""},
        {"nfs", ":/x", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(networkShareOfDevice(c.type, c.device), c.share) << c.device;
}

TEST(FolderPath, FindsTheRootThatHoldsAPath)
{
    const std::vector<std::string> roots = {"/", "/home/gm", "/media/usb", "/media/usb2"};
    struct Case { const char* path; int expect; };
    const Case cases[] = {
        {"/", 0},
        {"/etc", 0},
        {"/home/gm", 1},
        {"/home/gm/bilder", 1},
        {"/home/gmx", 0},          // a longer name is not below /home/gm
        {"/media/usb2/a", 3},
        {"/media/usb/a", 2},
        {"//host/share", -1},
        {"", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(containingRoot(c.path, roots), c.expect) << c.path;
}

TEST(FolderPath, OffersOnlyRealVolumes)
{
    struct Case { const char* type; const char* mount; bool browsable; };
    const Case cases[] = {
        {"ext4", "/", true},
        {"ext4", "/data", true},
        {"vfat", "/run/media/gm/USBSTICK", true},
        {"vfat", "/media/gm/USBSTICK", true},
        {"cifs", "/mnt/nas", true},
        {"nfs4", "/srv/share", true},
        {"proc", "/proc", false},
        {"sysfs", "/sys", false},
        {"cgroup2", "/sys/fs/cgroup", false},
        {"devpts", "/dev/pts", false},
        {"tmpfs", "/run/user/1000", false},
        {"tmpfs", "/dev/shm", false},
        {"squashfs", "/snap/core/1", false},
        {"ext4", "/run/something", false},     // real type, but a run-time area
        {"ext4", "/procfiles", true},          // only the folder itself and below
        {"ext4", "relative", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isBrowsableVolume(c.type, c.mount), c.browsable) << c.type << " " << c.mount;
}

TEST(FolderPath, ProbesAndCreatesNestedFolders)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("gz_folder_path_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    std::string deep = (dir / "a" / "b" / "c").string();
    EXPECT_EQ(probeFolderPath(deep), FolderPathKind::Missing);
    EXPECT_TRUE(createFolderPath(deep));
    EXPECT_EQ(probeFolderPath(deep), FolderPathKind::Folder);
    std::ofstream((dir / "file").string()) << "x";
    EXPECT_EQ(probeFolderPath((dir / "file").string()), FolderPathKind::File);
    // A file in the way: creation fails and says so.
    EXPECT_FALSE(createFolderPath((dir / "file" / "sub").string()));
    EXPECT_FALSE(createFolderPath(""));
    // An unresolved network path would land in "/host/..." here: never probed or created.
    EXPECT_EQ(probeFolderPath("//"), FolderPathKind::Missing);
    EXPECT_FALSE(createFolderPath("//gz-no-such-host/share"));
    EXPECT_FALSE(fs::exists("/gz-no-such-host"));
    fs::remove_all(dir);
}

TEST(FolderPath, RemembersPlacementOnlyWhenItLiesOnItsMonitor)
{
    const PixelRect monitor{0, 0, 1920, 1080};
    struct Case { PixelRect r; bool plausible; };
    const Case cases[] = {
        {{100, 100, 400, 300}, true},
        {{-99, 100, 400, 300}, true},
        {{-100, 100, 400, 300}, false},   // too far left
        {{1819, 100, 400, 300}, true},
        {{1820, 100, 400, 300}, false},   // too far right
        {{100, -9, 400, 300}, true},
        {{100, -10, 400, 300}, false},    // caption above the screen
        {{100, 980, 400, 300}, false},    // caption at the bottom edge
        {{100, 100, 16, 300}, false},
        {{100, 100, 400, 16}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(placementPlausible(c.r, monitor), c.plausible) << c.r.left << "," << c.r.top;
    EXPECT_TRUE(placementPlausible({2000, 100, 400, 300}, {1920, 0, 1920, 1080}));
}

}  // namespace
}  // namespace gz
