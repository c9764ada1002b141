#include "devices/input_event_decoder.h"

#include <cstddef>
#include <cstring>

namespace gz {
namespace {

struct RawRecord {
    uint16_t type;
    uint16_t code;
    int32_t value;
};

// Field by field through memcpy: the bytes come from an arbitrary offset of
// the caller's buffer, so they need not be aligned.
RawRecord unpack(const uint8_t* r)
{
    RawRecord out{};
    std::memcpy(&out.type, r + offsetof(input_event, type), sizeof out.type);
    std::memcpy(&out.code, r + offsetof(input_event, code), sizeof out.code);
    std::memcpy(&out.value, r + offsetof(input_event, value), sizeof out.value);
    return out;
}

}  // namespace

void InputEventDecoder::reset()
{
    fill_ = 0;
    skipping_ = false;
}

void InputEventDecoder::record(const uint8_t* r, std::vector<InputKeyEvent>& out)
{
    const RawRecord e = unpack(r);
    if (e.type == EV_SYN && e.code == SYN_DROPPED) {
        skipping_ = true;
        out.push_back({InputKeyEvent::Kind::Dropped, 0});
        return;
    }
    if (skipping_) {
        if (e.type == EV_SYN && e.code == SYN_REPORT)
            skipping_ = false;
        return;
    }
    if (e.type == EV_KEY && e.value >= 0 && e.value <= 2)
        out.push_back({static_cast<InputKeyEvent::Kind>(e.value), e.code});
}

void InputEventDecoder::feed(const void* data, std::size_t n, std::vector<InputKeyEvent>& out)
{
    const uint8_t* p = static_cast<const uint8_t*>(data);
    if (n == 0)
        return;
    if (fill_ > 0) {
        const std::size_t take = n < kInputRecordSize - fill_ ? n : kInputRecordSize - fill_;
        std::memcpy(partial_ + fill_, p, take);
        fill_ += take;
        p += take;
        n -= take;
        if (fill_ < kInputRecordSize)
            return;
        fill_ = 0;
        record(partial_, out);
    }
    for (; n >= kInputRecordSize; p += kInputRecordSize, n -= kInputRecordSize)
        record(p, out);
    if (n > 0) {
        std::memcpy(partial_, p, n);
        fill_ = n;
    }
}

std::string encodeInputEvent(uint16_t type, uint16_t code, int32_t value)
{
    input_event e{};
    e.type = type;
    e.code = code;
    e.value = value;
    return std::string(reinterpret_cast<const char*>(&e), sizeof e);
}

}  // namespace gz
