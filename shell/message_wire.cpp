#include "shell/message_wire.h"

#include <unistd.h>

#include <cstring>

namespace gz::wire {

namespace {

void put32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void put64(std::string& s, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint64_t get(const std::string& s, std::size_t at, int bytes)
{
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<uint64_t>(static_cast<unsigned char>(s[at + i])) << (8 * i);
    return v;
}

}  // namespace

std::string encodeMessage(uint32_t message, uint64_t first, uint64_t second, std::string_view text)
{
    std::string s;
    put32(s, kMessage);
    put32(s, message);
    put64(s, first);
    put64(s, second);
    put32(s, static_cast<uint32_t>(text.size()));
    s.append(text);
    return s;
}

std::string encodeCopyData(uint32_t code, std::string_view payload)
{
    std::string s;
    put32(s, kCopyData);
    put32(s, code);
    put32(s, static_cast<uint32_t>(payload.size()));
    s.append(payload);
    return s;
}

std::string encodeResult(int64_t result)
{
    std::string s;
    put32(s, kResult);
    put64(s, static_cast<uint64_t>(result));
    return s;
}

std::optional<Frame> takeFrame(std::string& buffer, bool& bad)
{
    bad = false;
    if (buffer.size() < 4)
        return std::nullopt;
    Frame f;
    f.kind = static_cast<uint32_t>(get(buffer, 0, 4));
    std::size_t header = 0, length = 0;
    switch (f.kind) {
    case kMessage:
        header = 4 + 4 + 8 + 8 + 4;
        if (buffer.size() < header)
            return std::nullopt;
        length = get(buffer, header - 4, 4);
        break;
    case kCopyData:
        header = 4 + 4 + 4;
        if (buffer.size() < header)
            return std::nullopt;
        length = get(buffer, header - 4, 4);
        break;
    case kResult:
        header = 4 + 8;
        break;
    default:
        bad = true;
        return std::nullopt;
    }
    if (length > kMaxPayload) {
        bad = true;
        return std::nullopt;
    }
    if (buffer.size() < header + length)
        return std::nullopt;
    if (f.kind == kMessage) {
        f.message = static_cast<uint32_t>(get(buffer, 4, 4));
        f.first = get(buffer, 8, 8);
        f.second = get(buffer, 16, 8);
    } else if (f.kind == kCopyData) {
        f.message = static_cast<uint32_t>(get(buffer, 4, 4));
    } else {
        f.result = static_cast<int64_t>(get(buffer, 4, 8));
    }
    f.payload = buffer.substr(header, length);
    buffer.erase(0, header + length);
    return f;
}

bool Inbox::feed(std::string_view bytes)
{
    if (broken_)
        return false;
    bytes_.append(bytes);
    held_ += bytes.size();
    for (;;) {
        const std::size_t before = bytes_.size();
        std::optional<Frame> f = takeFrame(bytes_, broken_);
        if (!f)
            break;
        frames_.push_back({std::move(*f), before - bytes_.size()});
    }
    broken_ = broken_ || held_ > kMaxHeld;
    return !broken_;
}

Frame Inbox::take(std::deque<Held>::iterator it)
{
    Frame f = std::move(it->frame);
    held_ -= it->bytes;
    frames_.erase(it);
    return f;
}

std::optional<Frame> Inbox::next()
{
    if (answerOwed_) {
        for (auto it = frames_.begin(); it != frames_.end(); ++it)
            if (it->frame.kind == kResult) {
                answerOwed_ = false;
                return take(it);
            }
        return std::nullopt;
    }
    while (!frames_.empty()) {
        Frame f = take(frames_.begin());
        if (f.kind != kResult)
            return f;
    }
    return std::nullopt;
}

std::string serverName() { return "GameZinko-" + std::to_string(::getuid()); }

}  // namespace gz::wire
