// Wire format of the frame's message interface on the per-user local
// socket. Each frame is a 32-bit little-endian kind followed by its body:
//   kind 1 message:   u32 message, u64 first, u64 second, u32 n, n text bytes
//   kind 2 copy-data: u32 code, u32 n, n payload bytes
//   kind 3 result:    i64 result
// A client sends one message or copy-data frame and reads frames until the
// result; copy-data frames before it are what the frame sent back to the
// asking peer (the path reply of instance control 2), which the client
// answers with a result frame of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gz::wire {

enum Kind : uint32_t { kMessage = 1, kCopyData = 2, kResult = 3 };

constexpr uint32_t kMaxPayload = 64 * 1024;

struct Frame {
    uint32_t kind = 0;
    uint32_t message = 0;   // message number, or copy-data code
    uint64_t first = 0;
    uint64_t second = 0;
    int64_t result = 0;
    std::string payload;
};

std::string encodeMessage(uint32_t message, uint64_t first, uint64_t second, std::string_view text = {});
std::string encodeCopyData(uint32_t code, std::string_view payload);
std::string encodeResult(int64_t result);

// Takes one complete frame off the front of `buffer`. Nothing while the
// frame is incomplete; `bad` is set for a frame that can never be valid
// (unknown kind, payload over kMaxPayload), and the connection should close.
std::optional<Frame> takeFrame(std::string& buffer, bool& bad);

// The socket name: one per user, named after the program.
std::string serverName();

}  // namespace gz::wire
