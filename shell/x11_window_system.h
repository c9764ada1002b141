// What the frame asks of an X11 window system beyond what Qt offers: the
// frame a window manager will put around a window before the window is
// shown, and the keyboard's lock indicators. Both talk to the server over
// Qt's own connection. Off X11 (Wayland, offscreen, another platform) every
// call answers nothing, and the caller falls back on what it can learn
// otherwise.
#pragma once

#include <QMargins>

#include <cstdint>
#include <optional>

namespace gz::x11 {

// The frame extents (left, top, right, bottom) the window manager gives a
// normal top-level window: asked with _NET_REQUEST_FRAME_EXTENTS for a
// window of its own that is never shown, so a window of the program can be
// sized before it exists. Waits at most `waitMs` for the answer; nothing
// when there is no such window manager or it does not answer in time.
std::optional<QMargins> expectedFrameMargins(int waitMs = 300);

struct LockStates {
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
    friend bool operator==(const LockStates&, const LockStates&) = default;
};

// The server's "Caps Lock", "Num Lock" and "Scroll Lock" indicators. Made
// once (it looks the indicators' names up with the server), then read as
// often as the status bar needs: one round trip for all three.
class LockIndicatorReader {
public:
    LockIndicatorReader();
    // Nothing off X11 or without the keyboard extension.
    std::optional<LockStates> read() const;

private:
    bool usable_ = false;
    uint32_t names_[3] = {};   // the indicators' atoms: caps, num, scroll
};

}  // namespace gz::x11
