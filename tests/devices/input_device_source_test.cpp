// The real input device source on a folder of stand-in nodes: listing,
// identities, and the kinds of failed opens. Real input devices are not
// needed (nor present on CI); what they would give is covered through the
// classification and the poller's tests.
#include "devices/input_device_source.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/devices/pty_fixture.h"

namespace gz {
namespace {

namespace fs = std::filesystem;

int openDescriptors()
{
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

class InputDeviceSourceTest : public ::testing::Test {
protected:
    InputDeviceSourceTest()
    {
        char dir[] = "/tmp/gz-input-XXXXXX";
        if (mkdtemp(dir))
            root = dir;
        ::chmod(root.c_str(), 0755);   // the unprivileged check walks into it
    }
    ~InputDeviceSourceTest() override
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    void makeFile(const std::string& name, mode_t mode = 0644)
    {
        const std::string tmp = root + "/." + name + ".new";
        const int fd = ::open(tmp.c_str(), O_CREAT | O_WRONLY | O_TRUNC, mode);
        ASSERT_GE(fd, 0);
        ::close(fd);
        ::chmod(tmp.c_str(), mode);
        // Made aside and moved in, so a node made anew never shares the
        // inode of the one it replaces.
        ASSERT_EQ(::rename(tmp.c_str(), (root + "/" + name).c_str()), 0);
    }
    std::vector<std::string> paths(LinuxInputDeviceSource& s)
    {
        std::vector<std::string> out;
        for (const InputCandidate& c : s.candidates())
            out.push_back(c.path);
        return out;
    }

    std::string root;
};

TEST_F(InputDeviceSourceTest, CandidatesAreTheEventNodesInNumberOrder)
{
    LinuxInputDeviceSource missing(root + "/none");
    EXPECT_TRUE(missing.candidates().empty());

    for (const char* name : {"event10", "event2", "event0", "mouse0", "mice", "event", "eventx", "event3a", "js0"})
        makeFile(name);
    LinuxInputDeviceSource source(root);
    EXPECT_EQ(source.directory(), root);
    EXPECT_EQ(paths(source), (std::vector<std::string>{root + "/event0", root + "/event2", root + "/event10"}));
}

TEST_F(InputDeviceSourceTest, ANodeMadeAnewHasAnotherIdentity)
{
    makeFile("event4");
    LinuxInputDeviceSource source(root);
    const std::vector<InputCandidate> before = source.candidates();
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(source.candidates(), before) << "listing again changes nothing";
    makeFile("event4");
    const std::vector<InputCandidate> after = source.candidates();
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].path, before[0].path);
    EXPECT_NE(after[0].identity, before[0].identity);
}

TEST_F(InputDeviceSourceTest, FailedOpensSayWhyAndLeaveNothingOpen)
{
    makeFile("event1");
    ASSERT_EQ(::symlink("/dev/null", (root + "/event2").c_str()), 0);
    LinuxInputDeviceSource source(root);
    const int fdsBefore = openDescriptors();
    struct Case {
        const char* node;
        InputOpenResult::Status status;
    };
    const Case cases[] = {
        {"event1", InputOpenResult::Status::NotUsed},       // a plain file is no input device
        {"event2", InputOpenResult::Status::NotUsed},       // nor is another character device
        {"event9", InputOpenResult::Status::Unavailable},   // not there (pulled meanwhile)
    };
    for (const Case& c : cases) {
        const InputOpenResult r = source.open(root + "/" + c.node);
        EXPECT_EQ(r.status, c.status) << c.node;
        EXPECT_EQ(r.fd, -1) << c.node;
    }
    EXPECT_EQ(openDescriptors(), fdsBefore);
    InputKeySet keys;
    EXPECT_FALSE(source.keysDown(-1, keys));
}

// What sysfs shows of the device behind a refused node decides whether the
// refusal is worth telling: a game pad's is, a keyboard's (closed on every
// desktop) or a mouse's is not; without sysfs the refusal counts.
TEST_F(InputDeviceSourceTest, ARefusalCountsOnlyForWhatCouldBeAGameController)
{
    struct Case {
        const char* name;
        const char* keyCaps;   // nullptr: no sysfs entry
        InputOpenResult::Status expected;
    };
    const Case cases[] = {
        {"no sysfs entry", nullptr, InputOpenResult::Status::NoPermission},
        {"game pad (BTN_SOUTH)", "1000000000000 0 0 0 0\n", InputOpenResult::Status::NoPermission},
        {"joystick (BTN_TRIGGER)", "100000000 0 0 0 0\n", InputOpenResult::Status::NoPermission},
        {"keyboard (KEY_A)", "40000000\n", InputOpenResult::Status::NotUsed},
        {"mouse (BTN_LEFT)", "10000 0 0 0 0\n", InputOpenResult::Status::NotUsed},
        {"unreadable mask", "xyz\n", InputOpenResult::Status::NoPermission},
    };
    const std::string sysfs = root + "/sys";
    makeFile("event5", 0600);   // like root:input 0660 for a user outside the group
    for (const Case& c : cases) {
        std::error_code ec;
        fs::remove_all(sysfs, ec);
        if (c.keyCaps) {
            const fs::path caps = fs::path(sysfs) / "class/input/event5/device/capabilities";
            fs::create_directories(caps);
            for (const auto& [file, text] : {std::pair{"key", c.keyCaps}, std::pair{"abs", "0\n"}}) {
                std::FILE* f = std::fopen((caps / file).c_str(), "w");
                ASSERT_NE(f, nullptr);
                std::fputs(text, f);
                std::fclose(f);
            }
            for (fs::path p = caps; p != fs::path(root); p = p.parent_path())
                ::chmod(p.c_str(), 0755);
        }
        const int result = testing::runUnprivileged([&] {
            LinuxInputDeviceSource source(root, sysfs);
            if (source.candidates().size() != 1)
                return 2;
            return source.open(root + "/event5").status == c.expected ? 0 : 1;
        });
        if (result < 0)
            GTEST_SKIP() << "cannot change to an unprivileged user here";
        EXPECT_EQ(result, 0) << c.name;
    }
}

}  // namespace
}  // namespace gz
