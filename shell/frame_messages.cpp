#include "shell/frame_messages.h"

#include <unistd.h>

#include <vector>

#include "game/cp1252.h"

namespace gz {

namespace {

// The current directory in the code page of the paths it completes; the
// file system names it in UTF-8.
std::string currentDirectory()
{
    std::vector<char> buf(4096);
    if (!::getcwd(buf.data(), buf.size()))
        return "/";
    return cp1252::fromUtf8(buf.data());
}

// A payload is text up to its first zero byte.
std::string payloadText(std::string_view payload)
{
    std::size_t z = payload.find('\0');
    return std::string(payload.substr(0, z));
}

}  // namespace

intptr_t FrameMessageHandler::handle(uint32_t message, uintptr_t first, uintptr_t second, std::string_view text)
{
    switch (message) {
    case kMsgInstanceProbe:
        return first == kInstanceProbeMagic ? kInstanceProbeMagic : 0;
    case kMsgInstanceControl:
        switch (first) {
        case kInstanceExit:
            return host_.queueExit() ? 1 : 0;
        case kInstanceAskPath: {
            std::string path = host_.currentDocumentPath();
            path.push_back('\0');
            return host_.sendCopyData(second, kCopyPathReply, path);
        }
        case kInstanceReceivedPath:
            // In-process callers get the text itself; the transport sends it.
            return reinterpret_cast<intptr_t>(&receivedPath_);
        default:
            return 0;
        }
    case kMsgMenuProtocolProbe:
        return kInstanceProbeMagic;
    case kMsgMenuItemPlain:
        return host_.makeMenuItemPlain(second, first) ? 1 : 0;
    case kMsgSetStatusText:
        // The bar has four panes; other indexes change nothing.
        if (first < static_cast<uintptr_t>(kStatusPaneCount))
            host_.setStatusText(static_cast<int>(first), std::string(text));
        return 0;
    default:
        return 0;
    }
}

intptr_t FrameMessageHandler::copyData(uint32_t code, std::string_view payload)
{
    std::string converted;
    if (code & kCopyUtf16Bit) {
        std::optional<std::string> text = utf16ToAnsi(payload);
        if (!text)
            return 0;   // an incomplete conversion is not used
        converted = std::move(*text);
        payload = converted;
        code &= ~kCopyUtf16Bit;
    }
    switch (code) {
    case kCopyOpenDocument:
        return host_.openDocument(payloadText(payload)) ? 1 : 0;
    case kCopyPathReply:
        receivedPath_ = payloadText(payload);
        return 1;
    case kCopyComparePath:
        return namesSameFile(host_.currentDocumentPath(), payloadText(payload), currentDirectory()) ? 1 : 0;
    default:
        return 0;
    }
}

std::optional<std::string> utf16ToAnsi(std::string_view bytes, std::size_t capacity)
{
    std::string out;
    const std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        char32_t u = static_cast<unsigned char>(bytes[2 * i]) | (static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
        if (u == 0)
            break;
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units) {
            char32_t lo = static_cast<unsigned char>(bytes[2 * i + 2]) |
                          (static_cast<unsigned char>(bytes[2 * i + 3]) << 8);
            if (lo >= 0xDC00 && lo < 0xE000) {
                u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        out += cp1252::fromUnicode(u);
    }
    if (out.size() + 1 > capacity)
        return std::nullopt;
    return out;
}

std::optional<std::string> absolutePath(std::string_view path, std::string_view currentDir)
{
    std::string full;
    auto isSep = [](char c) { return c == '/' || c == '\\'; };
    if (path.empty() || !isSep(path[0])) {
        full.assign(currentDir);
        full += '/';
    }
    full.append(path);

    std::vector<std::string> parts;
    std::string seg;
    auto flush = [&] {
        if (seg == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!seg.empty() && seg != ".") {
            parts.push_back(seg);
        }
        seg.clear();
    };
    for (char c : full) {
        if (isSep(c))
            flush();
        else
            seg += c;
    }
    flush();
    std::string out;
    for (const std::string& p : parts)
        out += "/" + p;
    if (out.empty())
        out = "/";
    if (out.size() > kFramePathBuffer)
        return std::nullopt;
    return out;
}

bool samePathBytes(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    auto fold = [](unsigned char c) -> unsigned {
        if (c >= 'a' && c <= 'z')
            return c - 0x20;
        if (c >= 0xE0 && c <= 0xFE)
            return c - 0x20;
        if (c == '\\')
            return '/';
        return c;
    };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool namesSameFile(std::string_view a, std::string_view b, std::string_view currentDir)
{
    if (a.empty() || b.empty())
        return false;   // no document, or no path: nothing to match
    std::optional<std::string> x = absolutePath(a, currentDir);
    std::optional<std::string> y = absolutePath(b, currentDir);
    return x && y && samePathBytes(*x, *y);
}

}  // namespace gz
