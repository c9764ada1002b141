// The remote control's port by device path, and what the poller tells its
// watcher about the port (it shows nothing itself).
#include "show/remote_poller.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <mutex>
#include <string>
#include <vector>

#include <grp.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "devices/serial_port.h"
#include "tests/devices/pty_fixture.h"

namespace gz {
namespace {

using Status = RemotePortStatus;
using Pass = RemotePoller::Pass;
using testing::Pty;

class NoBuzzers final : public BuzzerTarget {
public:
    void stopPlayer(PlayerSide side) override { stops.push_back(side); }
    std::vector<PlayerSide> stops;
};

class RemotePortStatusTest : public ::testing::Test {
protected:
    void SetUp() override {
        poller.setStatusSink([this](const Status& s) { reports.push_back(s); });
    }
    void TearDown() override {
        poller.closePort();
        comPortSetPathTemplate("");
    }
    // Passes until the line is quiet or there is no port.
    void pump() {
        for (int i = 0; i < 50; ++i) {
            const Pass p = poller.pollOnce();
            if (p == Pass::Quiet || p == Pass::NoPort) return;
        }
    }

    NoBuzzers buzzers;
    std::vector<int32_t> posted;
    ManualClock clock{1000};
    RemotePoller poller{buzzers, [this](int32_t id) { posted.push_back(id); }, clock, RemotePoller::Timing{10, 200, 50}};
    std::vector<Status> reports;
};

TEST(RemotePortStatusText, OnlyAMissingPermissionIsShown) {
    struct Case {
        Status status;
        const char* text;
    } cases[] = {
        {{Status::NoPermission, "/dev/ttyS0"},
         "Keine Berechtigung für /dev/ttyS0 – Benutzer zur Gruppe dialout hinzufügen"},
        {{Status::NoPermission, "/dev/gamezinko-remote"},
         "Keine Berechtigung für /dev/gamezinko-remote – Benutzer zur Gruppe dialout hinzufügen"},
        {{Status::Open, "/dev/ttyS0"}, ""},
        {{Status::Unavailable, "/dev/ttyUSB0"}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(remotePortStatusText(c.status), c.text) << c.status.device;
    }
}

TEST_F(RemotePortStatusTest, ADevicePathIsOpenedInsteadOfTheNumberedPort) {
    Pty pty;
    ASSERT_FALSE(pty.path().empty());
    comPortSetPathTemplate("/dev/gz-no-such-com%d");
    poller.setComPort(2);
    poller.setDevicePath(pty.path());
    pump();
    ASSERT_GE(poller.slot(), 0);
    EXPECT_EQ(reports, (std::vector<Status>{{Status::Open, pty.path()}}));
    pty.write("5D00000000\r");
    pump();
    EXPECT_EQ(posted.size(), 1u) << "a line on the device acts";
}

TEST_F(RemotePortStatusTest, ChangingOrClearingThePathReopens) {
    Pty first, second;
    ASSERT_FALSE(first.path().empty());
    ASSERT_FALSE(second.path().empty());
    comPortSetPathTemplate("/dev/gz-no-such-com%d");
    poller.setDevicePath(first.path());
    pump();
    poller.setDevicePath(second.path());
    pump();
    second.write("0D00000000\r");
    pump();
    EXPECT_EQ(buzzers.stops, (std::vector<PlayerSide>{PlayerSide::Left})) << "the new device is read";
    // Back to the numbered port, which does not exist here.
    poller.setDevicePath("");
    pump();
    EXPECT_LT(poller.slot(), 0);
    EXPECT_EQ(reports, (std::vector<Status>{{Status::Open, first.path()},
                                            {Status::Open, second.path()},
                                            {Status::Unavailable, "/dev/gz-no-such-com0"}}));
}

TEST_F(RemotePortStatusTest, RetriesTellTheWatcherOnlyOnce) {
    poller.setDevicePath("/dev/gz-no-such-remote");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(poller.pollOnce(), Pass::NoPort);
    EXPECT_EQ(reports, (std::vector<Status>{{Status::Unavailable, "/dev/gz-no-such-remote"}}));
    EXPECT_EQ(clock.sleptMs(), 5u * 200u) << "still retried every 200 ms";
}

TEST_F(RemotePortStatusTest, APortWithoutPermissionIsToldAndRetried) {
    Pty pty;
    ASSERT_FALSE(pty.path().empty());
    ASSERT_EQ(chmod(pty.path().c_str(), 0), 0);
    const std::string path = pty.path();
    auto check = [this, &path]() -> int {
        poller.setDevicePath(path);
        if (poller.pollOnce() != Pass::NoPort || poller.pollOnce() != Pass::NoPort) return 1;
        if (reports != std::vector<Status>{{Status::NoPermission, path}}) return 2;
        return 0;
    };
    const int r = testing::runUnprivileged(check);
    if (r < 0) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(r, 0) << "1: not retried, 2: not told as a missing permission";
}

}  // namespace
}  // namespace gz
