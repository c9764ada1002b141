// Wire format of the frame's message interface on the per-user local
// socket. Each frame is a 32-bit little-endian kind followed by its body:
//   kind 1 message:   u32 message, u64 first, u64 second, u32 n, n text bytes
//   kind 2 copy-data: u32 code, u32 n, n payload bytes
//   kind 3 result:    i64 result
// A client sends one message or copy-data frame and reads frames until the
// result; copy-data frames before it are what the frame sent back to the
// asking peer (the path reply of instance control 2), which the client
// answers with a result frame of its own. Texts (message text, copy-data
// payloads) are Windows-1252 bytes, the program's own code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
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

// What one connection has sent and the receiver has not acted on yet.
// While the peer owes the answer to a copy-data sent to it, only that
// answer (its next result frame) is handed out; requests that came
// meanwhile wait, in order. Result frames nobody waits for are dropped.
class Inbox {
public:
    // More than this waiting is no client, only a flood.
    static constexpr std::size_t kMaxHeld = 1024 * 1024;

    // Adds received bytes. False once they hold a frame that can never be
    // valid or more than kMaxHeld bytes wait: the connection should close
    // (after the frames taken so far have been acted on).
    bool feed(std::string_view bytes);
    // The next frame to act on, if one is complete: the owed answer while
    // one is owed (handing it out ends the wait), else the oldest request.
    std::optional<Frame> next();

    void expectAnswer() { answerOwed_ = true; }
    // Stops waiting; the answer, should it still come, is dropped.
    void dropAnswer() { answerOwed_ = false; }
    bool answerOwed() const { return answerOwed_; }

private:
    struct Held {
        Frame frame;
        std::size_t bytes;   // its size on the wire
    };
    Frame take(std::deque<Held>::iterator it);

    std::string bytes_;         // an incomplete frame
    std::deque<Held> frames_;   // complete ones, oldest first
    std::size_t held_ = 0;      // bytes of bytes_ and frames_
    bool answerOwed_ = false;
    bool broken_ = false;
};

// The socket name: one per user, named after the program.
std::string serverName();

}  // namespace gz::wire
