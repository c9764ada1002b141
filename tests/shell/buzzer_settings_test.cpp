// The buzzer buttons in the settings, beside the view values of the
// application key.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "shell/qsettings_backend.h"
#include "shell/settings_memory.h"
#include "shell/settings_values.h"

namespace gz {
namespace {

constexpr const char* kAppKey = "Software\\Mervo\\GameZinko";

BuzzerMapping sample()
{
    BuzzerMapping m;
    m.bind(0, {"Buzzer-Set", 0x120});
    m.bind(1, {"Buzzer-Set", 0x125});
    m.bind(3, {kKeyboardDevice, 0x20});
    m.bind(5, {"Spielfeld \xC3\x9C, links (2)", 0x130});   // UTF-8, a comma, a number suffix
    m.bind(7, {kKeyboardDevice, 0x01000012});                // a Qt key code beyond 16 bits
    return m;
}

TEST(BuzzerSettings, RoundTripInMemoryAndThroughTheSettingsFile)
{
    MemorySettingsBackend memory;
    writeBuzzerMapping(memory, sample());
    EXPECT_EQ(readBuzzerMapping(memory), sample());

    const std::string folder = (std::filesystem::temp_directory_path() /
                                ("gz-buzzer-settings-" + std::to_string(::getpid()))).string();
    std::filesystem::remove_all(folder);
    {
        QSettingsBackend file(folder);
        writeBuzzerMapping(file, sample());
    }
    QSettingsBackend nextRun(folder);
    EXPECT_EQ(readBuzzerMapping(nextRun), sample());
    std::filesystem::remove_all(folder);
}

TEST(BuzzerSettings, AnUnboundActionLosesBothValues)
{
    MemorySettingsBackend settings;
    writeBuzzerMapping(settings, sample());
    BuzzerMapping fewer = sample();
    fewer.unbind(3);
    fewer.unbind(7);
    writeBuzzerMapping(settings, fewer);
    for (int a : {3, 7}) {
        EXPECT_EQ(settings.find(kAppKey, buzzerDeviceValueName(a)), nullptr) << a;
        EXPECT_EQ(settings.find(kAppKey, buzzerCodeValueName(a)), nullptr) << a;
    }
    EXPECT_EQ(readBuzzerMapping(settings), fewer);
    writeBuzzerMapping(settings, {});
    EXPECT_EQ(settings.valueCount(kAppKey), 0u);
}

// Whatever a hand-edited or damaged file holds, an action either has a whole
// binding or none, and the other actions are read as ever.
TEST(BuzzerSettings, BrokenOrHalfValuesAreNoBinding)
{
    using Store = std::function<void(MemorySettingsBackend&)>;
    struct Case {
        const char* what;
        Store store;
    } cases[] = {
        {"device without code", [](auto& s) { s.writeString(kAppKey, "Buzzer2Device", "USB Gamepad"); }},
        {"code without device", [](auto& s) { s.writeInteger(kAppKey, "Buzzer2Code", 304); }},
        {"empty device",
         [](auto& s) {
             s.writeString(kAppKey, "Buzzer2Device", "");
             s.writeInteger(kAppKey, "Buzzer2Code", 304);
         }},
        {"negative code",
         [](auto& s) {
             s.writeString(kAppKey, "Buzzer2Device", "USB Gamepad");
             s.writeInteger(kAppKey, "Buzzer2Code", static_cast<uint32_t>(-1));
         }},
        {"code as text",
         [](auto& s) {
             s.writeString(kAppKey, "Buzzer2Device", "USB Gamepad");
             s.writeString(kAppKey, "Buzzer2Code", "304");
         }},
        {"device as integer",
         [](auto& s) {
             s.writeInteger(kAppKey, "Buzzer2Device", 7);
             s.writeInteger(kAppKey, "Buzzer2Code", 304);
         }},
        {"overlong device",
         [](auto& s) {
             s.writeString(kAppKey, "Buzzer2Device", std::string(kMaxBuzzerDeviceBytes + 1, 'x'));
             s.writeInteger(kAppKey, "Buzzer2Code", 304);
         }},
    };
    for (const Case& c : cases) {
        MemorySettingsBackend settings;
        settings.writeString(kAppKey, "Buzzer0Device", "Buzzer-Set");
        settings.writeInteger(kAppKey, "Buzzer0Code", 0x120);
        c.store(settings);
        const BuzzerMapping m = readBuzzerMapping(settings);
        EXPECT_FALSE(m.binding(2).has_value()) << c.what;
        EXPECT_EQ(m.binding(0), (ButtonBinding{"Buzzer-Set", 0x120})) << c.what;
    }
}

TEST(BuzzerSettings, AButtonStoredTwiceDoesTheLaterAction)
{
    MemorySettingsBackend settings;
    for (int a : {1, 4}) {
        settings.writeString(kAppKey, buzzerDeviceValueName(a), "USB Gamepad");
        settings.writeInteger(kAppKey, buzzerCodeValueName(a), 304);
    }
    const BuzzerMapping m = readBuzzerMapping(settings);
    EXPECT_FALSE(m.binding(1).has_value());
    EXPECT_EQ(m.actionFor("USB Gamepad", 304), 4);
}

// The view values are written and read as before: a store that never had
// buzzers gets none, and buzzers leave the view values alone.
TEST(BuzzerSettings, ViewValuesAndBuzzersStayApart)
{
    MemorySettingsBackend settings;
    ViewSettings v;
    v.picPath = "/media/quiz";
    writeViewSettings(settings, v);
    const std::size_t viewValues = settings.valueCount(kAppKey);
    for (int a = 0; a < kBuzzerActionCount; ++a)
        EXPECT_EQ(settings.find(kAppKey, buzzerDeviceValueName(a)), nullptr) << a;
    EXPECT_TRUE(readBuzzerMapping(settings).empty());

    writeBuzzerMapping(settings, sample());
    EXPECT_EQ(readViewSettings(settings), v);
    writeViewSettings(settings, v);
    EXPECT_EQ(readBuzzerMapping(settings), sample());
    writeBuzzerMapping(settings, {});
    EXPECT_EQ(settings.valueCount(kAppKey), viewValues);
    EXPECT_EQ(readViewSettings(settings), v);
}

TEST(BuzzerSettings, AMissingKeyIsNotCreatedByReading)
{
    MemorySettingsBackend settings;
    EXPECT_TRUE(readBuzzerMapping(settings).empty());
    EXPECT_FALSE(settings.keyExists(kAppKey));
}

}  // namespace
}  // namespace gz
