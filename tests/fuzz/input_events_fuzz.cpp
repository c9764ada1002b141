// Feeds arbitrary bytes to the input event decoder, once whole and once cut
// into pieces chosen by the input itself: the events must not depend on how
// the stream was cut, and never more come out than records went in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "devices/input_event_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the piece sizes, the rest is the stream.
    const uint8_t cut = data[0];
    const uint8_t* stream = data + 1;
    const std::size_t n = size - 1;

    gz::InputEventDecoder whole;
    std::vector<gz::InputKeyEvent> expected;
    whole.feed(stream, n, expected);

    gz::InputEventDecoder pieces;
    std::vector<gz::InputKeyEvent> got;
    std::size_t pos = 0;
    for (std::size_t i = 0; pos < n; ++i) {
        const std::size_t len = 1 + ((cut >> (i % 8)) ^ i) % 53;
        const std::size_t take = len < n - pos ? len : n - pos;
        pieces.feed(stream + pos, take, got);
        pos += take;
        if (pieces.pending() >= gz::kInputRecordSize || pieces.pending() != pos % gz::kInputRecordSize)
            std::abort();
    }
    if (got != expected || whole.skipping() != pieces.skipping())
        std::abort();
    if (expected.size() > n / gz::kInputRecordSize)
        std::abort();
    for (const gz::InputKeyEvent& e : expected)
        if (e.kind == gz::InputKeyEvent::Kind::Dropped && e.code != 0)
            std::abort();
    return 0;
}
