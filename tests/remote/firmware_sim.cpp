#include "tests/remote/firmware_sim.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

extern "C" {
#include <avr_ioport.h>
#include <avr_uart.h>
#include <sim_avr.h>
#include <sim_elf.h>
#include <sim_io.h>
#include <sim_irq.h>
}

// simavr keeps what its core allocates for its interrupt lines and
// peripherals until the process ends (avr_terminate does not free it); the
// library has no frame pointers, so its own module is the one name to match.
extern "C" const char* __lsan_default_suppressions() { return "leak:libsimavr.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }

namespace gz::testing {
namespace {

struct PinOf {
    char port;
    int bit;
};

// Keys 0..5 on PD2..PD7, keys 6 and 7 on PB0 and PB1 (board pins D2..D9).
constexpr PinOf kButtonPins[FirmwareSim::kButtons] = {
    {'D', 2}, {'D', 3}, {'D', 4}, {'D', 5}, {'D', 6}, {'D', 7}, {'B', 0}, {'B', 1},
};

// simavr reports its loading chatter through one process-wide logger: keep
// errors, drop the rest, so the test output stays readable.
void quietLogger(avr_t*, const int level, const char* format, va_list args) {
    if (level <= LOG_ERROR) std::vfprintf(stderr, format, args);
}

// The default sleep callback waits in real time while the firmware sleeps;
// the tests want simulated time only.
void noRealSleep(avr_t*, avr_cycle_count_t) {}

}  // namespace

FirmwareSim::FirmwareSim(const std::string& elfPath) {
    avr_global_logger_set(quietLogger);
    elf_firmware_t firmware{};
    if (elf_read_firmware(elfPath.c_str(), &firmware) != 0) {
        error_ = "cannot read " + elfPath;
        return;
    }
    taggedMcu_ = firmware.mmcu;
    taggedFrequency_ = firmware.frequency;
    avr_ = avr_make_mcu_by_name("atmega328p");
    if (avr_) {
        avr_init(avr_);
        avr_->frequency = kFrequency;
        avr_->sleep = noRealSleep;
        avr_load_firmware(avr_, &firmware);   // copies the image
    } else {
        error_ = "simavr has no atmega328p core";
    }
    // What elf_read_firmware allocated stays ours.
    std::free(firmware.flash);
    std::free(firmware.eeprom);
    for (uint32_t i = 0; i < firmware.symbolcount; ++i) std::free(firmware.symbol[i]);
    std::free(firmware.symbol);
    if (!avr_) return;

    uint32_t flags = 0;
    avr_ioctl(avr_, AVR_IOCTL_UART_GET_FLAGS('0'), &flags);
    flags &= ~AVR_UART_FLAG_STDIO;
    avr_ioctl(avr_, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
    uartOut_ = avr_io_getirq(avr_, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUTPUT);
    avr_irq_register_notify(uartOut_, &FirmwareSim::onUartByte, this);

    for (int key = 0; key < kButtons; ++key) setButton(key, false);
}

FirmwareSim::~FirmwareSim() {
    if (!avr_) return;
    avr_irq_unregister_notify(uartOut_, &FirmwareSim::onUartByte, this);
    avr_terminate(avr_);
    std::free(avr_);
}

void FirmwareSim::onUartByte(avr_irq_t*, uint32_t value, void* self) {
    auto* sim = static_cast<FirmwareSim*>(self);
    const auto byte = static_cast<uint8_t>(value);
    sim->sent_.push_back({byte, sim->avr_->cycle});
    if (sim->sink_) sim->sink_(byte);
}

void FirmwareSim::setButton(int key, bool pressed) {
    if (key < 0 || key >= kButtons) return;
    setPinGrounded(kButtonPins[key].port, kButtonPins[key].bit, pressed);
}

void FirmwareSim::setPinGrounded(char port, int bit, bool grounded) {
    if (!avr_ || port < 'B' || port > 'D' || bit < 0 || bit > 7) return;
    const uint8_t mask = static_cast<uint8_t>(1u << bit);
    uint8_t& held = grounded_[port - 'B'];
    held = grounded ? (held | mask) : (held & ~mask);
    // simavr lets every write to PORTx drive the input pins whose PORTx bit
    // is set (the pull-up) high again, unless an external level is set for
    // them: that is the button winning over the pull-up, as on the board.
    avr_ioport_external_t external{};
    external.name = static_cast<unsigned char>(port);
    external.mask = held;
    external.value = 0;
    avr_ioctl(avr_, AVR_IOCTL_IOPORT_SET_EXTERNAL(port), &external);

    avr_ioport_state_t state{};
    avr_ioctl(avr_, AVR_IOCTL_IOPORT_GETSTATE(port), &state);
    const bool pulledUp = (state.port & mask) && !(state.ddr & mask);
    avr_raise_irq(avr_io_getirq(avr_, AVR_IOCTL_IOPORT_GETIRQ(port), bit), !grounded && pulledUp ? 1 : 0);
}

void FirmwareSim::runCycles(uint64_t cycles) {
    if (!avr_) return;
    const avr_cycle_count_t end = avr_->cycle + cycles;
    while (avr_->cycle < end) {
        const int state = avr_run(avr_);
        if (state == cpu_Done || state == cpu_Crashed) return;
    }
}

void FirmwareSim::runMs(double ms) { runCycles(static_cast<uint64_t>(ms * kCyclesPerMs)); }

bool FirmwareSim::runUntil(const std::function<bool()>& done, double limitMs) {
    const uint64_t end = cycle() + static_cast<uint64_t>(limitMs * kCyclesPerMs);
    while (!done()) {
        if (cycle() >= end || !running()) return false;
        runCycles(kCyclesPerMs / 10);
    }
    return true;
}

uint64_t FirmwareSim::cycle() const { return avr_ ? avr_->cycle : 0; }

bool FirmwareSim::running() const {
    return avr_ && avr_->state != cpu_Done && avr_->state != cpu_Crashed;
}

std::string FirmwareSim::sentText() const {
    std::string text;
    for (const SentByte& b : sent_) text += static_cast<char>(b.value);
    return text;
}

uint8_t FirmwareSim::dataByte(uint16_t address) const {
    return avr_ && address <= avr_->ramend ? avr_->data[address] : 0;
}

}  // namespace gz::testing
