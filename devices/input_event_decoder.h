// Key events out of the byte stream a Linux input device node delivers.
//
// read() on /dev/input/eventN gives kernel `struct input_event` records (on
// 64-bit Linux 24 bytes: 16 bytes of time, u16 type, u16 code, s32 value).
// The decoder takes the stream in any pieces: a record cut between two
// reads is kept until its rest arrives. It does no I/O and keeps no clock,
// so it can be fed arbitrary bytes (see tests/fuzz).
//
// What comes out, in stream order:
// - EV_KEY records with value 0 (release), 1 (press) or 2 (autorepeat);
//   EV_KEY records with other values and records of every other type give
//   nothing;
// - Dropped for a SYN_DROPPED record: the kernel's queue for this reader ran
//   over and events were lost. The records after it up to and including the
//   next SYN_REPORT are a torn frame and are skipped, as the kernel asks; the
//   reader should then ask the device which keys are down now.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <linux/input.h>

namespace gz {

constexpr std::size_t kInputRecordSize = sizeof(struct input_event);

struct InputKeyEvent {
    enum class Kind : uint8_t { Release = 0, Press = 1, Repeat = 2, Dropped = 3 };
    Kind kind = Kind::Release;
    uint16_t code = 0;   // key or button code; 0 for Dropped
    friend bool operator==(const InputKeyEvent&, const InputKeyEvent&) = default;
};

class InputEventDecoder {
public:
    // Takes the next `n` bytes of the stream and appends the events of every
    // record they complete to `out`.
    void feed(const void* data, std::size_t n, std::vector<InputKeyEvent>& out);
    // Bytes of an incomplete record held back; always below kInputRecordSize.
    std::size_t pending() const { return fill_; }
    // True between a SYN_DROPPED and the SYN_REPORT that ends the torn frame.
    bool skipping() const { return skipping_; }
    // Forgets a held partial record and any skipping, for a reopened device.
    void reset();

private:
    void record(const uint8_t* r, std::vector<InputKeyEvent>& out);

    uint8_t partial_[kInputRecordSize] = {};
    std::size_t fill_ = 0;
    bool skipping_ = false;
};

// The record the kernel would deliver for (type, code, value), with its time
// zeroed: what tests, benchmarks and fuzz seeds write into a fake device.
std::string encodeInputEvent(uint16_t type, uint16_t code, int32_t value);

}  // namespace gz
