// The driver over pseudo-terminals: the test holds the master side and
// plays the remote control; the driver opens the slave side like a COM port.
#include "devices/serial_port.h"
#include "tests/devices/pty_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace gz {
namespace {

using testing::Pty;

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point t0) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count());
}

int32_t open9600(const std::string& path) {
    return comPortOpenPath(path, 9600, kComParityNone, 0, 8, 0);
}

// Reads whatever arrives within `ms`, in as many pieces as it takes.
std::string readFor(int32_t slot, std::size_t want, int ms) {
    std::string got;
    const auto t0 = Clock::now();
    while (got.size() < want && msSince(t0) < ms) {
        if (comPortWaitForData(slot, 20) == 1) {
            char buf[64];
            const int32_t n = comPortRead(slot, buf, sizeof buf);
            if (n < 0) break;
            got.append(buf, static_cast<std::size_t>(n));
        }
    }
    return got;
}

class SerialPortTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (int s = 0; s < kComPortSlots; ++s) comPortClose(s);
        comPortSetPathTemplate("");
    }
};

TEST_F(SerialPortTest, OpenAppliesTheLineSettingsAndByteTime) {
    struct Case {
        uint32_t baud;
        int32_t parity, stopBits, dataBits;
        speed_t speed;
        tcflag_t cflags;   // expected CSIZE/CSTOPB/PARENB/PARODD/CMSPAR bits
        uint32_t byteTime;
    } cases[] = {
        {9600, kComParityNone, 0, 8, B9600, CS8, 1066},   // the remote: 8N1
        {9600, kComParityNone, 1, 8, B9600, CS8 | CSTOPB, 1173},
        {19200, kComParityNone, 0, 8, B19200, CS8, 533},
        {115200, kComParityNone, 2, 8, B115200, CS8, 88},   // only the lowest bit counts
        {9600, 6, 0, 8, B9600, CS8, 1066},   // table entries 5..7 are "none"
    };
    const tcflag_t mask = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR;
    for (const Case& c : cases) {
        Pty pty;
        ASSERT_TRUE(pty.ok());
        const int32_t slot = comPortOpenPath(pty.path(), c.baud, c.parity, c.stopBits, c.dataBits, 0);
        ASSERT_GE(slot, 0) << c.baud;
        termios t{};
        ASSERT_EQ(tcgetattr(pty.master(), &t), 0);
        EXPECT_EQ(cfgetispeed(&t), c.speed) << c.baud;
        EXPECT_EQ(t.c_cflag & mask, c.cflags) << c.baud << " parity " << c.parity;
        // Raw: no echo, no line editing, CR is not turned into LF.
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | IXON), 0u);
        EXPECT_NE(t.c_cflag & CLOCAL, 0u);
        EXPECT_EQ(comPortByteTime(slot), c.byteTime) << c.baud;
        EXPECT_EQ(comPortClose(slot), 0);
    }
    // A pseudo-terminal keeps 8 bits without parity whatever it is told;
    // settings the device did not take are a refused open, not a success.
    struct Refused {
        int32_t parity, dataBits;
    } refused[] = {{kComParityEven, 8}, {kComParityOdd, 8}, {kComParityNone, 7}, {kComParityMark, 7}};
    for (const Refused& r : refused) {
        Pty pty;
        EXPECT_EQ(comPortOpenPath(pty.path(), 9600, r.parity, 0, r.dataBits, 0), -1)
            << "parity " << r.parity << " data bits " << r.dataBits;
    }
}

TEST_F(SerialPortTest, RefusedOpensLeaveEverySlotFree) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    char file[] = "/tmp/gz-serial-XXXXXX";
    const int fd = mkstemp(file);
    ASSERT_GE(fd, 0);
    ::close(fd);
    struct Case {
        const char* what;
        std::string path;
        uint32_t baud;
        int32_t parity;
    } cases[] = {
        {"no such device", "/nonexistent/ttyS0", 9600, 0},
        {"a plain file", file, 9600, 0},
        {"baud 0", pty.path(), 0, 0},
        {"baud termios cannot set", pty.path(), 12345, 0},
        {"parity past the table", pty.path(), 9600, 8},
        {"negative parity", pty.path(), 9600, -1},
        {"empty path", "", 9600, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(comPortOpenPath(c.path, c.baud, c.parity, 0, 8, 0), -1) << c.what;
    }
    EXPECT_EQ(comPortOpen(256, 9600, 0, 0, 8, 0), -1);
    EXPECT_EQ(comPortOpen(-1, 9600, 0, 0, 8, 0), -1);
    ::unlink(file);

    // All eight slots are still there to be had.
    std::vector<std::unique_ptr<Pty>> ptys;
    std::set<int32_t> slots;
    for (int i = 0; i < kComPortSlots; ++i) {
        ptys.push_back(std::make_unique<Pty>());
        slots.insert(open9600(ptys.back()->path()));
    }
    EXPECT_EQ(slots, (std::set<int32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(SerialPortTest, ADeviceIsOpenedOnlyOnce) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int32_t slot = open9600(pty.path());
    ASSERT_GE(slot, 0);
    EXPECT_EQ(open9600(pty.path()), -1);
    EXPECT_EQ(comPortClose(slot), 0);
    const int32_t again = open9600(pty.path());
    EXPECT_GE(again, 0);
}

TEST_F(SerialPortTest, EightSlotsThenNoneThenTheFreedOne) {
    std::vector<std::unique_ptr<Pty>> ptys;
    std::set<int32_t> slots;
    for (int i = 0; i < kComPortSlots; ++i) {
        ptys.push_back(std::make_unique<Pty>());
        ASSERT_TRUE(ptys.back()->ok());
        const int32_t s = open9600(ptys.back()->path());
        ASSERT_GE(s, 0);
        EXPECT_EQ(comPortCheck(s), 1);
        slots.insert(s);
    }
    EXPECT_EQ(slots.size(), 8u);
    Pty ninth;
    EXPECT_EQ(open9600(ninth.path()), -1);
    EXPECT_EQ(comPortClose(5), 0);
    EXPECT_EQ(comPortClose(5), -1);   // already free
    EXPECT_EQ(open9600(ninth.path()), 5);
}

TEST_F(SerialPortTest, SuccessiveOpensSearchFromSuccessiveSlotsAndReuseThem) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    int32_t previous = open9600(pty.path());
    ASSERT_GE(previous, 0);
    ASSERT_EQ(comPortClose(previous), 0);
    for (int i = 0; i < 3 * kComPortSlots + 3; ++i) {
        const int32_t s = open9600(pty.path());
        ASSERT_EQ(s, (previous + 1) % kComPortSlots) << "open " << i;
        ASSERT_EQ(comPortClose(s), 0);
        previous = s;
    }
}

TEST_F(SerialPortTest, OpensFromManyThreadsGetDistinctSlots) {
    std::vector<std::unique_ptr<Pty>> ptys;
    for (int i = 0; i < kComPortSlots; ++i) ptys.push_back(std::make_unique<Pty>());
    for (int round = 0; round < 5; ++round) {
        int32_t got[kComPortSlots];
        std::vector<std::thread> threads;
        for (int i = 0; i < kComPortSlots; ++i) {
            threads.emplace_back([&, i] { got[i] = open9600(ptys[static_cast<size_t>(i)]->path()); });
        }
        for (auto& t : threads) t.join();
        std::set<int32_t> distinct(got, got + kComPortSlots);
        EXPECT_EQ(distinct, (std::set<int32_t>{0, 1, 2, 3, 4, 5, 6, 7})) << "round " << round;
        for (int s = 0; s < kComPortSlots; ++s) comPortClose(s);
    }
}

TEST_F(SerialPortTest, ReadsReturnWhatHasArrivedAcrossPartialLines) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int32_t slot = open9600(pty.path());
    ASSERT_GE(slot, 0);
    char buf[32];

    const auto t0 = Clock::now();
    EXPECT_EQ(comPortRead(slot, buf, sizeof buf), 0);   // nothing yet: at once
    EXPECT_LT(msSince(t0), 50);
    EXPECT_EQ(comPortReceivedCount(slot), 0);

    pty.write("0D12");
    EXPECT_EQ(readFor(slot, 4, 1000), "0D12");
    pty.write("34ABCD\r\n");
    ASSERT_EQ(comPortWaitForData(slot, 1000), 1);
    // CR and LF arrive untouched; a small buffer takes the rest in pieces.
    std::string rest;
    for (int i = 0; i < 20 && rest.size() < 8; ++i) {
        const int32_t n = comPortRead(slot, buf, 3);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 3);
        rest.append(buf, static_cast<std::size_t>(n));
        if (n == 0) comPortWaitForData(slot, 20);
    }
    EXPECT_EQ(rest, "34ABCD\r\n");

    pty.write("xyz");
    ASSERT_EQ(comPortWaitForData(slot, 1000), 1);
    EXPECT_EQ(comPortReceivedCount(slot), 3);
    EXPECT_EQ(comPortRead(slot, buf, 0), 0);
    EXPECT_EQ(comPortRead(slot, buf, -1), -1);
    EXPECT_EQ(comPortRead(slot, nullptr, 3), -1);
    EXPECT_EQ(comPortReceivedCount(slot), 3);   // the refused reads took nothing
}

TEST_F(SerialPortTest, WaitForDataTimesOutOrReturnsAsSoonAsAByteArrives) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int32_t slot = open9600(pty.path());
    ASSERT_GE(slot, 0);

    auto t0 = Clock::now();
    EXPECT_EQ(comPortWaitForData(slot, 100), 0);
    const long quiet = msSince(t0);
    EXPECT_GE(quiet, 99);
    EXPECT_LT(quiet, 400);

    t0 = Clock::now();
    EXPECT_EQ(comPortWaitForData(slot, 0), 0);
    EXPECT_LT(msSince(t0), 20);

    // A byte that arrives during a long wait ends it at once.
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pty.write("0");
    });
    t0 = Clock::now();
    EXPECT_EQ(comPortWaitForData(slot, 3000), 1);
    const long woke = msSince(t0);
    writer.join();
    EXPECT_GE(woke, 25);
    EXPECT_LT(woke, 500);

    // Data already waiting: at once.
    t0 = Clock::now();
    EXPECT_EQ(comPortWaitForData(slot, 3000), 1);
    EXPECT_LT(msSince(t0), 20);
}

TEST_F(SerialPortTest, APeerThatGoesAwayIsReportedNeverHangs) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int32_t slot = open9600(pty.path());
    ASSERT_GE(slot, 0);
    EXPECT_EQ(comPortCheck(slot), 1);

    pty.closeMaster();   // the USB remote is pulled out
    EXPECT_EQ(comPortCheck(slot), 0);
    EXPECT_EQ(comPortReceivedCount(slot), 0);
    char buf[8];
    EXPECT_EQ(comPortRead(slot, buf, sizeof buf), -1);
    const auto t0 = Clock::now();
    EXPECT_EQ(comPortWaitForData(slot, 100), 0);
    const long waited = msSince(t0);
    EXPECT_LT(waited, 400);
    EXPECT_GE(waited, 90);   // no busy return, no endless wait
    EXPECT_EQ(comPortClose(slot), 0);
    EXPECT_EQ(comPortCheck(slot), 0);
}

TEST_F(SerialPortTest, BadSlotNumbersFailEveryOperation) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int32_t open = open9600(pty.path());
    ASSERT_GE(open, 0);
    const int32_t unopened = (open + 1) % kComPortSlots;
    char buf[4];
    for (const int32_t slot : {-1, 8, 9, 1000, INT_MIN, INT_MAX, unopened}) {
        EXPECT_EQ(comPortClose(slot), -1) << slot;
        EXPECT_EQ(comPortCheck(slot), 0) << slot;
        EXPECT_EQ(comPortReceivedCount(slot), 0) << slot;
        const auto t0 = Clock::now();
        EXPECT_EQ(comPortWaitForData(slot, 1000), 0) << slot;
        EXPECT_LT(msSince(t0), 20) << slot;
        EXPECT_EQ(comPortRead(slot, buf, sizeof buf), -1) << slot;
        EXPECT_EQ(comPortByteTime(slot), 0u) << slot;
    }
    // The open slot was not touched by any of that.
    EXPECT_EQ(comPortCheck(open), 1);
    pty.write("ok");
    EXPECT_EQ(readFor(open, 2, 1000), "ok");
}

TEST_F(SerialPortTest, PortNumbersMapToDevicePathsThroughTheTemplate) {
    struct Case {
        const char* pathTemplate;
        int32_t port;
        const char* path;
    } cases[] = {
        {"", 0, "/dev/ttyS0"},   // default: COM1
        {"", 2, "/dev/ttyS2"},
        {"/dev/ttyUSB%d", 3, "/dev/ttyUSB3"},
        {"/tmp/remote", 7, "/tmp/remote"},   // one fixed device for every port
        {"/tmp/100%%/com%d", 12, "/tmp/100%/com12"},
        {"/dev/ttyS%d", 256, ""},
        {"/dev/ttyS%d", -1, ""},
    };
    unsetenv("GZ_COM_TEMPLATE");
    for (const Case& c : cases) {
        ASSERT_TRUE(comPortSetPathTemplate(c.pathTemplate)) << c.pathTemplate;
        EXPECT_EQ(comPortDevicePath(c.port), c.path) << c.pathTemplate << " " << c.port;
    }
    // Templates that a formatter would misread are refused; the old one stays.
    ASSERT_TRUE(comPortSetPathTemplate("/dev/ttyACM%d"));
    for (const char* bad : {"/dev/%s", "/dev/tty%d%d", "/dev/tty%", "/dev/%n", "/dev/%x"}) {
        EXPECT_FALSE(comPortSetPathTemplate(bad)) << bad;
    }
    EXPECT_FALSE(comPortSetPathTemplate(std::string(300, 'a')));
    EXPECT_EQ(comPortDevicePath(1), "/dev/ttyACM1");

    // Without a set template the environment decides; a bad one is ignored.
    ASSERT_TRUE(comPortSetPathTemplate(""));
    setenv("GZ_COM_TEMPLATE", "/dev/pts/%d", 1);
    EXPECT_EQ(comPortDevicePath(4), "/dev/pts/4");
    setenv("GZ_COM_TEMPLATE", "/dev/%s", 1);
    EXPECT_EQ(comPortDevicePath(4), "/dev/ttyS4");
    unsetenv("GZ_COM_TEMPLATE");
}

TEST_F(SerialPortTest, OpenByPortNumberUsesTheTemplate) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    // A link per port number, like a udev rule would make.
    char dir[] = "/tmp/gz-com-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string link = std::string(dir) + "/com2";
    ASSERT_EQ(symlink(pty.path().c_str(), link.c_str()), 0);
    ASSERT_TRUE(comPortSetPathTemplate(std::string(dir) + "/com%d"));
    EXPECT_EQ(comPortOpen(1, 9600, 0, 0, 8, 0), -1);
    const int32_t slot = comPortOpen(2, 9600, 0, 0, 8, 0);
    EXPECT_GE(slot, 0);
    pty.write("1D");
    EXPECT_EQ(readFor(slot, 2, 1000), "1D");
    comPortClose(slot);
    ::unlink(link.c_str());
    ::rmdir(dir);
}

}  // namespace
}  // namespace gz
