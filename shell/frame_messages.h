// The main frame's message interface for other processes, without the
// transport: instance probe, instance control (0x27F5), copy-data codes
// 0x27F50001..3 (bit 15 marks a UTF-16 payload) and the status text
// message. The Qt frame feeds it what arrives on its local socket and
// implements FrameMessageHost. All texts here (paths, status texts) are
// Windows-1252 bytes; the transports convert at their edges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gz {

constexpr uint32_t kInstanceProbeMagic = 0x12345678;
// The probe is a message registered under the name "GameZinko"; on our
// transport its number is fixed in the registered-message range.
constexpr uint32_t kMsgInstanceProbe = 0xC000 + 0x5A1;
constexpr uint32_t kMsgInstanceControl = 0x27F5;
constexpr uint32_t kMsgSetStatusText = 0x2C3F;
constexpr uint32_t kMsgCopyData = 0x004A;
// Menu icon protocol: 0x5E96 turns an item with an icon back into a plain
// item (first: item position, second: the menu, same process only); 0x5E97
// tells a caller that 0x5E96 is understood.
constexpr uint32_t kMsgMenuItemPlain = 0x5E96;
constexpr uint32_t kMsgMenuProtocolProbe = 0x5E97;

constexpr uint32_t kInstanceExit = 0;
constexpr uint32_t kInstanceAskPath = 2;
constexpr uint32_t kInstanceReceivedPath = 4;

constexpr uint32_t kCopyOpenDocument = 0x27F50001;
constexpr uint32_t kCopyPathReply = 0x27F50002;
constexpr uint32_t kCopyComparePath = 0x27F50003;
constexpr uint32_t kCopyUtf16Bit = 0x8000;

constexpr std::size_t kFramePathBuffer = 259;
constexpr int kStatusPaneCount = 4;

class FrameMessageHost {
public:
    virtual ~FrameMessageHost() = default;
    // Queues the exit command 57665; true when queued.
    virtual bool queueExit() = 0;
    // Path name of the active view's document; empty when there is none.
    virtual std::string currentDocumentPath() const = 0;
    // The application's open-document operation; true when a document results.
    virtual bool openDocument(const std::string& path) = 0;
    virtual void setStatusText(int pane, const std::string& text) = 0;
    // Sends the asking peer a copy-data message (code, payload) and returns
    // its answer. A peer in another process answers later: the host then
    // returns 0 here and gives the asker the answer as the result of its
    // message once it comes.
    virtual intptr_t sendCopyData(uintptr_t asker, uint32_t code, const std::string& payload) = 0;
    // Turns item `position` of `menu` into a plain, empty text item. `menu`
    // is only compared with the host's own menus, never followed, since it
    // may come from anywhere. True when such an item was changed.
    virtual bool makeMenuItemPlain(uintptr_t /*menu*/, uintptr_t /*position*/) { return false; }
};

class FrameMessageHandler {
public:
    explicit FrameMessageHandler(FrameMessageHost& host) : host_(host) {}

    // Dispatches one window message; returns the message result.
    intptr_t handle(uint32_t message, uintptr_t first, uintptr_t second, std::string_view text = {});
    intptr_t copyData(uint32_t code, std::string_view payload);

    const std::string& receivedPath() const { return receivedPath_; }

private:
    FrameMessageHost& host_;
    std::string receivedPath_;
};

// UTF-16 (little-endian bytes) to the 8-bit code page, into a buffer of
// `capacity` bytes including its terminator. Nothing when the text does not
// fit: a cut path would name another file.
std::optional<std::string> utf16ToAnsi(std::string_view utf16Bytes, std::size_t capacity = kFramePathBuffer);

// Absolute form of a path relative to `currentDir`, "." and ".." resolved,
// "\" taken as "/"; nothing when the result passes 259 characters.
std::optional<std::string> absolutePath(std::string_view path, std::string_view currentDir);

// Byte comparison of the 0x27F50003 code: ASCII letters and the Latin-1
// pairs 0xC0..0xDE / +0x20 match their other case, "/" matches "\".
bool samePathBytes(std::string_view a, std::string_view b);
bool namesSameFile(std::string_view a, std::string_view b, std::string_view currentDir);

}  // namespace gz
