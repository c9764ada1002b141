// The remote firmware's image on a simulated ATmega328P: the lines it sends
// for each button, its debouncing, a burst of all eight buttons, the serial
// line settings and the LED. Times are simulated time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/remote/firmware_sim.h"

extern "C" {
#include "remote/firmware/debounce.h"
}

namespace gz {
namespace {

using testing::FirmwareSim;
using testing::SentByte;

constexpr double kDebounceMs = DEBOUNCE_MS;
constexpr std::size_t kLineLength = 11;
constexpr double kBitMs = 1000.0 / 9600;
constexpr double kByteMs = 10 * kBitMs;   // start, 8 data, stop bit
// simavr spaces the bytes of an 8N1 frame 11 bit times apart, one more than
// the wire needs; bounds on simulated sending times allow for that.
constexpr double kSimByteMs = 11 * kBitMs;

// One line as sent, taken apart.
struct Line {
    char key;
    char event;
    uint32_t uptimeMs;
    double sentAtMs;   // simulated time of its first byte
};

bool isUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// Splits the sent bytes into lines; a malformed line or a partial one at the
// end is described in *problem.
std::vector<Line> linesOf(const std::vector<SentByte>& sent, std::string* problem) {
    std::vector<Line> lines;
    problem->clear();
    if (sent.size() % kLineLength != 0) *problem = std::to_string(sent.size()) + " bytes: not whole lines";
    for (std::size_t at = 0; at + kLineLength <= sent.size(); at += kLineLength) {
        std::string text;
        for (std::size_t i = 0; i < kLineLength; ++i) text += static_cast<char>(sent[at + i].value);
        const bool ok = text[0] >= '0' && text[0] <= '7' && (text[1] == 'D' || text[1] == 'U') &&
                        std::all_of(text.begin() + 2, text.begin() + 10, isUpperHex) && text[10] == '\n';
        if (!ok) {
            *problem = "malformed line \"" + text + "\"";
            continue;
        }
        lines.push_back({text[0], text[1], static_cast<uint32_t>(std::stoul(text.substr(2, 8), nullptr, 16)),
                         static_cast<double>(sent[at].cycle) / FirmwareSim::kCyclesPerMs});
    }
    return lines;
}

// The lines as "key event " pairs ("4D 4U "), checking they are well formed.
std::string eventsOf(const FirmwareSim& sim) {
    std::string problem;
    std::string out;
    for (const Line& l : linesOf(sim.sent(), &problem)) out += std::string{l.key, l.event, ' '};
    EXPECT_EQ(problem, "");
    return out;
}

class RemoteFirmware : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.ok()) << sim.error();
        sim.runMs(20);   // past start-up
        ASSERT_TRUE(sim.sent().empty()) << "talks without a button: " << sim.sentText();
    }
    std::vector<Line> lines() {
        std::string problem;
        std::vector<Line> out = linesOf(sim.sent(), &problem);
        EXPECT_EQ(problem, "");
        return out;
    }

    FirmwareSim sim{GZ_REMOTE_FIRMWARE_ELF};
};

TEST_F(RemoteFirmware, TheImageNamesItsChipAndClockForTheSimulator) {
    EXPECT_EQ(sim.taggedMcu(), "atmega328p");
    EXPECT_EQ(sim.taggedFrequency(), FirmwareSim::kFrequency);
}

// The wiring as the README gives it: each key's board pin pulled to GND.
TEST(RemoteFirmwareWiring, EachButtonSendsItsPressAndReleaseLineByteForByte) {
    struct Case {
        char key;
        const char* boardPin;
        char port;
        int bit;
    } cases[] = {
        {'0', "D2", 'D', 2}, {'1', "D3", 'D', 3}, {'2', "D4", 'D', 4}, {'3', "D5", 'D', 5},
        {'4', "D6", 'D', 6}, {'5', "D7", 'D', 7}, {'6', "D8", 'B', 0}, {'7', "D9", 'B', 1},
    };
    constexpr double kHoldMs = 40;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("key ") + c.key + " on " + c.boardPin);
        FirmwareSim sim(GZ_REMOTE_FIRMWARE_ELF);
        ASSERT_TRUE(sim.ok()) << sim.error();
        sim.runMs(20);
        const double pressedAt = sim.nowMs();
        sim.setPinGrounded(c.port, c.bit, true);
        sim.runMs(kHoldMs);
        sim.setPinGrounded(c.port, c.bit, false);
        sim.runMs(40);

        const std::string text = sim.sentText();
        ASSERT_EQ(text.size(), 2 * kLineLength) << text;
        for (int n = 0; n < 2; ++n) {
            const std::string line = text.substr(n * kLineLength, kLineLength);
            EXPECT_EQ(line[0], c.key) << line;
            EXPECT_EQ(line[1], n == 0 ? 'D' : 'U') << line;
            for (std::size_t i = 2; i < 10; ++i) EXPECT_TRUE(isUpperHex(line[i])) << "byte " << i << " of " << line;
            EXPECT_EQ(line[10], '\n') << "the line ends with LF alone";
        }
        // The digits are the uptime in ms at the debounced change: the press
        // counts after DEBOUNCE_MS, and the release as long after the press
        // as the button was held.
        std::string problem;
        const std::vector<Line> got = linesOf(sim.sent(), &problem);
        ASSERT_EQ(got.size(), 2u) << problem;
        EXPECT_NEAR(got[0].uptimeMs, pressedAt + kDebounceMs, 1.5);
        EXPECT_NEAR(got[1].uptimeMs - got[0].uptimeMs, kHoldMs, 1.0);
    }
}

TEST_F(RemoteFirmware, TheDigitsAreTheUptimeInMillisecondsAcrossSixteenBits) {
    // The last press comes after 65.536 s: a counter narrower than 32 bits
    // would have wrapped by then.
    std::vector<double> pressedAt;
    for (double at : {100.0, 1000.0, 70000.0}) {
        sim.runMs(at - sim.nowMs());
        pressedAt.push_back(sim.nowMs());
        sim.setButton(2, true);
        sim.runMs(30);
        sim.setButton(2, false);
        sim.runMs(30);
    }
    const std::vector<Line> got = lines();
    ASSERT_EQ(got.size(), 6u);
    for (std::size_t i = 0; i < pressedAt.size(); ++i) {
        EXPECT_EQ(got[2 * i].event, 'D');
        EXPECT_NEAR(got[2 * i].uptimeMs, pressedAt[i] + kDebounceMs, 1.5) << "press " << i;
        EXPECT_LE(got[2 * i].uptimeMs, got[2 * i].sentAtMs) << "stamped when it happened, not later";
    }
    EXPECT_GT(got[4].uptimeMs, 0xFFFFu);
}

// A pin waveform: the level and how long it stays.
struct Level {
    bool pressed;
    double ms;
};

// Contact bounce: the level toggling every `every` ms for `ms` ms, ending
// on `endPressed`.
std::vector<Level> bounce(double ms, double every, bool endPressed) {
    const int toggles = static_cast<int>(ms / every + 0.5);
    std::vector<Level> out;
    for (int i = 0; i < toggles; ++i) out.push_back({((toggles - 1 - i) % 2 == 0) == endPressed, every});
    return out;
}

std::vector<Level> operator+(std::vector<Level> a, const std::vector<Level>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(RemoteFirmwareDebounce, BounceAndGlitchesGiveNoExtraLines) {
    const double shortOfDebounce = kDebounceMs - 2;
    struct Case {
        const char* what;
        std::vector<Level> wave;
        std::string lines;
    } cases[] = {
        {"clean press and release", {{true, 50}, {false, 50}}, "4D 4U "},
        {"bouncing press: toggles every 0.3 ms for 3 ms, then held",
         bounce(3, 0.3, true) + std::vector<Level>{{true, 50}, {false, 50}}, "4D 4U "},
        {"bouncing release", std::vector<Level>{{true, 50}} + bounce(3, 0.3, false) +
                                 std::vector<Level>{{false, 50}}, "4D 4U "},
        {"a glitch shorter than the debounce time", {{true, shortOfDebounce}, {false, 50}}, ""},
        {"glitches with short gaps do not add up",
         {{true, shortOfDebounce}, {false, 2}, {true, shortOfDebounce}, {false, 2},
          {true, shortOfDebounce}, {false, 2}, {true, shortOfDebounce}, {false, 50}}, ""},
        {"a press just over the debounce time", {{true, kDebounceMs + 1}, {false, 50}}, "4D 4U "},
        {"a dropout while held is no release", {{true, 50}, {false, shortOfDebounce}, {true, 50}}, "4D 4U "},
    };
    for (const Case& c : cases) {
        FirmwareSim sim(GZ_REMOTE_FIRMWARE_ELF);
        ASSERT_TRUE(sim.ok()) << sim.error();
        sim.runMs(20);
        for (const Level& l : c.wave) {
            sim.setButton(4, l.pressed);
            sim.runMs(l.ms);
        }
        sim.setButton(4, false);
        sim.runMs(50);
        EXPECT_EQ(eventsOf(sim), c.lines) << c.what;
    }
}

TEST_F(RemoteFirmware, APressIsOnTheWireWithinABoundedDelay) {
    const double pressedAt = sim.nowMs();
    sim.setButton(0, true);
    ASSERT_TRUE(sim.runUntil([&] { return sim.sent().size() >= kLineLength; }, 100));
    const double firstByte = static_cast<double>(sim.sent().front().cycle) / FirmwareSim::kCyclesPerMs;
    const double lastByte = static_cast<double>(sim.sent()[kLineLength - 1].cycle) / FirmwareSim::kCyclesPerMs;
    // DEBOUNCE_MS of agreeing samples, up to one sample period of phase.
    EXPECT_GE(firstByte - pressedAt, kDebounceMs - 1);
    EXPECT_LE(firstByte - pressedAt, kDebounceMs + 1.5);
    EXPECT_LE(lastByte - firstByte, (kLineLength - 1) * kSimByteMs + 0.01) << "sent back to back";

    sim.setButton(0, false);
    sim.runMs(50);
    EXPECT_EQ(eventsOf(sim), "0D 0U ");
}

TEST(RemoteFirmwareBurst, AllEightAtTheSameInstantLoseNoLine) {
    // Rounds of all eight pressed and released faster than the UART can
    // send them: the backlog waits, nothing is lost or mixed up.
    for (int rounds : {1, 2, 3}) {
        FirmwareSim sim(GZ_REMOTE_FIRMWARE_ELF);
        ASSERT_TRUE(sim.ok()) << sim.error();
        sim.runMs(20);
        std::string expected;
        for (int r = 0; r < rounds; ++r) {
            for (char event : {'D', 'U'}) {
                for (int key = 0; key < FirmwareSim::kButtons; ++key) sim.setButton(key, event == 'D');
                sim.runMs(kDebounceMs + 10);
                for (int key = 0; key < FirmwareSim::kButtons; ++key)
                    expected += std::string{static_cast<char>('0' + key), event, ' '};
            }
        }
        sim.runMs(rounds * 16 * kLineLength * kSimByteMs + 20);
        EXPECT_EQ(eventsOf(sim), expected) << rounds << " rounds";
        std::string problem;
        const std::vector<Line> got = linesOf(sim.sent(), &problem);
        // The eight lines of one change carry the same instant.
        for (std::size_t i = 0; i + 8 <= got.size(); i += 8) {
            for (std::size_t k = 1; k < 8; ++k) EXPECT_EQ(got[i + k].uptimeMs, got[i].uptimeMs) << "line " << i + k;
        }
    }
}

TEST_F(RemoteFirmware, SendsAt9600Baud8N1) {
    // The UART as the firmware set it up (ATmega328P data-space addresses).
    constexpr uint16_t UCSR0A = 0xC0, UCSR0B = 0xC1, UCSR0C = 0xC2, UBRR0L = 0xC4, UBRR0H = 0xC5;
    const unsigned ubrr = (sim.dataByte(UBRR0H) & 0x0F) << 8 | sim.dataByte(UBRR0L);
    const bool doubleSpeed = sim.dataByte(UCSR0A) & 0x02;   // U2X0
    const double baud = FirmwareSim::kFrequency / ((doubleSpeed ? 8.0 : 16.0) * (ubrr + 1));
    EXPECT_NEAR(baud, 9600, 9600 * 0.01) << "UBRR0 " << ubrr << (doubleSpeed ? " with U2X0" : "");
    // UMSEL0 asynchronous, UPM0 no parity, USBS0 one stop bit, UCSZ0 eight bits.
    EXPECT_EQ(sim.dataByte(UCSR0C), 0x06);
    EXPECT_EQ(sim.dataByte(UCSR0B) & 0x04, 0) << "UCSZ02 would make nine bits";
    EXPECT_NE(sim.dataByte(UCSR0B) & 0x08, 0) << "TXEN0";

    // The bytes of a burst leave back to back: the interrupt refills the
    // UART at once. The simulator makes a frame one bit longer than the
    // wire, and, having no second transmit buffer, shows a tick interrupt
    // that delays a refill as a gap (on the board the byte still shifting
    // out covers it).
    constexpr double kTickInterruptMs = 0.1;
    for (int key = 0; key < 3; ++key) sim.setButton(key, true);
    sim.runMs(60);
    const std::vector<SentByte>& sent = sim.sent();
    ASSERT_EQ(sent.size(), 3 * kLineLength);
    for (std::size_t i = 1; i < sent.size(); ++i) {
        const double gapMs = static_cast<double>(sent[i].cycle - sent[i - 1].cycle) / FirmwareSim::kCyclesPerMs;
        EXPECT_GE(gapMs, kByteMs - 0.01) << "byte " << i;
        EXPECT_LE(gapMs, kSimByteMs + kTickInterruptMs) << "byte " << i;
    }
}

TEST_F(RemoteFirmware, TheLedLightsBrieflyOnAPress) {
    constexpr uint16_t PORTB = 0x25;
    constexpr uint8_t kLed = 1 << 5;   // PB5, board pin D13
    EXPECT_EQ(sim.dataByte(PORTB) & kLed, 0);
    sim.setButton(6, true);
    ASSERT_TRUE(sim.runUntil([&] { return (sim.dataByte(PORTB) & kLed) != 0; }, kDebounceMs + 2));
    ASSERT_TRUE(sim.runUntil([&] { return (sim.dataByte(PORTB) & kLed) == 0; }, 200)) << "goes out while held";
    sim.setButton(6, false);
    sim.runMs(50);
    EXPECT_EQ(sim.dataByte(PORTB) & kLed, 0) << "a release does not light it";
}

}  // namespace
}  // namespace gz
