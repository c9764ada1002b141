// A simulated remote for the tests: the firmware's ELF on an ATmega328P
// core at 16 MHz (simavr), with the eight buttons worked through the pin
// inputs and every byte the UART sends recorded with its cycle.
//
// The simulator does not wait in real time while the firmware sleeps, so
// it runs much faster than the board.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct avr_t;
struct avr_irq_t;

namespace gz::testing {

struct SentByte {
    uint8_t value;
    uint64_t cycle;   // when the firmware wrote it to the UART
};

class FirmwareSim {
public:
    static constexpr uint32_t kFrequency = 16'000'000;
    static constexpr uint64_t kCyclesPerMs = kFrequency / 1000;
    static constexpr int kButtons = 8;

    // Loads and resets the firmware with every button released.
    explicit FirmwareSim(const std::string& elfPath);
    ~FirmwareSim();
    FirmwareSim(const FirmwareSim&) = delete;
    FirmwareSim& operator=(const FirmwareSim&) = delete;

    bool ok() const { return avr_ != nullptr; }
    const std::string& error() const { return error_; }
    // What the ELF's simulator tag names (empty and 0 without one).
    const std::string& taggedMcu() const { return taggedMcu_; }
    uint32_t taggedFrequency() const { return taggedFrequency_; }

    // Button `key` (0..7) holds its pin at GND while pressed; released, it
    // leaves the pin to the firmware's pull-up.
    void setButton(int key, bool pressed);
    // A button on any pin of port 'B', 'C' or 'D': grounded, the pin reads
    // low whatever the firmware does; open, it reads high only if the
    // firmware enabled the pin's pull-up (an open pin without one is taken
    // as low, so a missing pull-up shows as a stuck press).
    void setPinGrounded(char port, int bit, bool grounded);

    // Runs the core until `ms` more milliseconds of simulated time passed.
    void runMs(double ms);
    void runCycles(uint64_t cycles);
    // Runs in 0.1 ms steps until `done()` or `limitMs` passed; true if done.
    bool runUntil(const std::function<bool()>& done, double limitMs);

    uint64_t cycle() const;
    double nowMs() const { return static_cast<double>(cycle()) / kCyclesPerMs; }
    // False once the core stopped or crashed.
    bool running() const;

    const std::vector<SentByte>& sent() const { return sent_; }
    std::string sentText() const;
    void clearSent() { sent_.clear(); }
    // Also handed every byte as it is sent (the bridge to a terminal).
    void setByteSink(std::function<void(uint8_t)> sink) { sink_ = std::move(sink); }

    // A register in the data space as the firmware last wrote it.
    uint8_t dataByte(uint16_t address) const;

private:
    static void onUartByte(avr_irq_t* irq, uint32_t value, void* self);

    avr_t* avr_ = nullptr;
    avr_irq_t* uartOut_ = nullptr;
    std::string error_;
    std::string taggedMcu_;
    uint32_t taggedFrequency_ = 0;
    uint8_t grounded_[3] = {};   // ports B, C, D: pins held at GND
    std::vector<SentByte> sent_;
    std::function<void(uint8_t)> sink_;
};

}  // namespace gz::testing
