// The remote control's device path in the settings, beside ComPort.
#include <gtest/gtest.h>

#include "shell/settings_memory.h"
#include "shell/settings_values.h"

namespace gz {
namespace {

constexpr const char* kAppKey = "Software\\Mervo\\GameZinko";

TEST(ComDeviceSettings, RoundTripsAndKeepsComPort) {
    MemorySettingsBackend settings;
    ViewSettings v;
    v.comPort = 4;
    v.comDevice = "/dev/gamezinko-remote";
    writeViewSettings(settings, v);
    const ViewSettings back = readViewSettings(settings);
    EXPECT_EQ(back.comPort, 4);
    EXPECT_EQ(back.comDevice, "/dev/gamezinko-remote");
}

TEST(ComDeviceSettings, AnEmptyPathRemovesTheValue) {
    MemorySettingsBackend settings;
    ViewSettings v;
    v.comDevice = "/dev/ttyUSB0";
    writeViewSettings(settings, v);
    v.comDevice.clear();
    writeViewSettings(settings, v);
    std::string raw;
    EXPECT_FALSE(settings.readString(kAppKey, "ComDevice", 1024, raw));
    EXPECT_EQ(readViewSettings(settings).comDevice, "");
}

TEST(ComDeviceSettings, MissingWrongTypeOrOverlongValuesReadAsNoPath) {
    struct Case {
        const char* what;
        void (*store)(MemorySettingsBackend&);
    } cases[] = {
        {"missing", [](MemorySettingsBackend&) {}},
        {"an integer", [](MemorySettingsBackend& s) { s.writeInteger(kAppKey, "ComDevice", 3); }},
        {"longer than 255 bytes",
         [](MemorySettingsBackend& s) { s.writeString(kAppKey, "ComDevice", "/" + std::string(300, 'x')); }},
    };
    for (const Case& c : cases) {
        MemorySettingsBackend settings;
        settings.writeInteger(kAppKey, "ComPort", 2);
        c.store(settings);
        const ViewSettings v = readViewSettings(settings);
        EXPECT_EQ(v.comDevice, "") << c.what;
        EXPECT_EQ(v.comPort, 2) << c.what;
    }
}

}  // namespace
}  // namespace gz
