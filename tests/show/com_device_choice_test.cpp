// The COM port dialog also takes a device path for the remote control.
#include <gtest/gtest.h>

#include "show/com_port_choice.h"

namespace gz {
namespace {

TEST(ComDeviceChoice, DialogShowsThePathOrTheNumberedPort) {
    struct Case {
        ComPortSetting current;
        const char* shown;
    } cases[] = {
        {{0, ""}, "COM1"},
        {{2, ""}, "COM3"},
        {{2, "/dev/ttyUSB0"}, "/dev/ttyUSB0"},
        {{0, "/dev/gamezinko-remote"}, "/dev/gamezinko-remote"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(comPortDialogText(c.current), c.shown) << c.shown;
    }
}

TEST(ComDeviceChoice, APathReplacesTheNumberAndCOMTextGoesBack) {
    const ComPortSetting numbered{2, ""};
    const ComPortSetting adapter{2, "/dev/ttyUSB0"};
    struct Case {
        const char* what;
        ComPortSetting current;
        std::string text;
        ComPortSetting chosen;
    } cases[] = {
        {"a USB adapter", numbered, "/dev/ttyUSB0", {2, "/dev/ttyUSB0"}},
        {"the udev name", numbered, "/dev/gamezinko-remote", {2, "/dev/gamezinko-remote"}},
        {"blanks around a path", numbered, "  /dev/ttyACM0 \t", {2, "/dev/ttyACM0"}},
        {"a long by-id path is not cut at 31",
         numbered,
         "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0",
         {2, "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"}},
        {"another path replaces the path", adapter, "/dev/ttyUSB1", {2, "/dev/ttyUSB1"}},
        {"COM text clears the path", adapter, "COM4", {3, ""}},
        {"a bare number clears the path", adapter, "7", {6, ""}},
        {"unusable text clears the path to COM1", adapter, "abc", {0, ""}},
        {"a relative name is no path", numbered, "dev/ttyUSB0", {0, ""}},
        {"a Windows name is no path", numbered, "\\\\.\\COM3", {0, ""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(comPortSettingFromText(c.text, c.current), c.chosen) << c.what;
    }
}

TEST(ComDeviceChoice, OverlongPathsAreCutLikeEveryText) {
    const std::string path = "/dev/" + std::string(400, 'x');
    const ComPortSetting chosen = comPortSettingFromText(path, {1, ""});
    EXPECT_EQ(chosen.device, path.substr(0, kComDeviceTextLimit));
    EXPECT_EQ(chosen.comPort, 1);
}

}  // namespace
}  // namespace gz
