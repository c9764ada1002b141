// Why a serial device cannot be opened: missing, or not allowed for this
// user. The "not allowed" cases run as an unprivileged user: root opens
// anything, so as root they run in a child that has given up root.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include <grp.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "devices/serial_port.h"

namespace gz {
namespace {

constexpr uid_t kNobody = 65534;

// Runs `check` as an unprivileged user and returns its result (0..255);
// -1 when the user cannot be changed.
template <typename F>
int runUnprivileged(F check) {
    if (geteuid() != 0) return check();
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(255);
        _exit(check());
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) == 255 ? -1 : WEXITSTATUS(status);
}

class Pty {
public:
    Pty() {
        int slave = -1;
        char name[128] = {};
        if (openpty(&master_, &slave, name, nullptr, nullptr) != 0) return;
        path_ = name;
        ::close(slave);
    }
    ~Pty() {
        if (master_ >= 0) ::close(master_);
    }
    const std::string& path() const { return path_; }

private:
    int master_ = -1;
    std::string path_;
};

TEST(SerialAccess, MissingDevicesAndEmptyPathsAreMissing) {
    for (const char* path : {"/dev/gz-no-such-remote", "/nonexistent/ttyUSB0", ""}) {
        EXPECT_EQ(comPortAccessError(path), ENOENT) << path;
    }
}

TEST(SerialAccess, AnOpenableDeviceHasNoAccessProblem) {
    Pty pty;
    ASSERT_FALSE(pty.path().empty());
    EXPECT_EQ(comPortAccessError(pty.path()), 0);
    const int32_t slot = comPortOpenPath(pty.path(), 9600, kComParityNone, 0, 8, 0);
    EXPECT_GE(slot, 0);
    comPortClose(slot);
}

TEST(SerialAccess, ADeviceWithoutPermissionIsReportedAndStaysUnopened) {
    Pty pty;
    ASSERT_FALSE(pty.path().empty());
    ASSERT_EQ(chmod(pty.path().c_str(), 0), 0);
    const std::string path = pty.path();
    // 1: access reported, 2: the open did not fail, 0: as expected.
    const int r = runUnprivileged([&path] {
        const int err = comPortAccessError(path);
        if (err != EACCES && err != EPERM) return 1;
        if (comPortOpenPath(path, 9600, kComParityNone, 0, 8, 0) >= 0) return 2;
        return 0;
    });
    if (r < 0) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(r, 0);
}

}  // namespace
}  // namespace gz
