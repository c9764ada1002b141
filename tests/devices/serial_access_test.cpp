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
#include "tests/devices/pty_fixture.h"

namespace gz {
namespace {

using testing::Pty;
using testing::runUnprivileged;

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
