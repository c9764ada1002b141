// BoardCanvas: the board window's logic without the window system. It owns
// the back buffer (32 bits per pixel, the screen's format, alpha bytes 0),
// the background colour for window parts outside the back buffer, the paint
// and mouse callbacks with their user pointer, and the record of what was
// invalidated since the window layer last repainted.
//
// The window layer (a widget) calls setSize() on every resize, copies the
// back buffer to the screen for each invalidated rectangle, clears them,
// then calls paint() with its drawing context, and hands every mouse message
// to mouse(). Recreating the back buffer is serialised with lockBackBuffer()
// (a mutex of count one): hold it while reading the pixels from another
// thread.
#pragma once

#include <cstdint>
#include <mutex>

#include "board/board_layout.h"
#include "imaging/raster_image.h"

namespace gz {

// The drawing context of a repaint: the overlay draws through it straight
// onto the window, never into the back buffer. Colours as red, green, blue.
// A repaint starts unclipped.
class OverlayPainter {
public:
    virtual ~OverlayPainter() = default;
    // Everything drawn after this, to the end of the repaint, stays inside
    // the rectangle (in addition to the window's own clipping).
    virtual void setClip(const BoardRect& area) = 0;
    // Sets the pen and the brush colour.
    virtual void setColour(uint8_t red, uint8_t green, uint8_t blue) = 0;
    // Filled rectangle with both corners included.
    virtual void fillRect(int left, int top, int right, int bottom) = 0;
    virtual void moveTo(int x, int y) = 0;
    // Line from the current position; the end point becomes the current one.
    virtual void lineTo(int x, int y) = 0;
};

enum class MouseKind : int {
    Move,
    LeftDown, LeftUp, LeftDoubleClick,
    RightDown, RightUp, RightDoubleClick,
    MiddleDown, MiddleUp, MiddleDoubleClick,
    Wheel,
};

// Key-state flags of a mouse message (buttons held, modifier keys).
enum MouseKeyFlags : uint32_t {
    kMouseLeftButton = 0x0001,
    kMouseRightButton = 0x0002,
    kMouseShift = 0x0004,
    kMouseControl = 0x0008,
    kMouseMiddleButton = 0x0010,
};

struct BoardMouseEvent {
    MouseKind kind = MouseKind::Move;
    uint32_t keyFlags = 0;   // MouseKeyFlags
    int x = 0;               // back-buffer coordinates (= client coordinates)
    int y = 0;
    int wheelDelta = 0;      // Wheel only: multiples of 120, positive away from the user
};

class BoardCanvas {
public:
    static constexpr int kMaxSide = 16000;

    using PaintFn = void (*)(void* user, OverlayPainter& painter);
    using MouseFn = void (*)(void* user, const BoardMouseEvent& event);

    BoardCanvas() = default;
    BoardCanvas(const BoardCanvas&) = delete;
    BoardCanvas& operator=(const BoardCanvas&) = delete;

    // Follows the window's client size, each side cut to 0 .. 16000. A new
    // size recreates the back buffer, black, with the old content copied to
    // (0, 0); a zero side leaves it empty. False when the image could not be
    // allocated (the back buffer is then empty and nothing is drawn).
    bool setSize(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }

    RasterImage& backBuffer() { return backBuffer_; }
    const RasterImage& backBuffer() const { return backBuffer_; }
    std::unique_lock<std::mutex> lockBackBuffer() { return std::unique_lock<std::mutex>(guard_); }

    void setBackground(uint32_t colour) { background_ = colour; }
    uint32_t background() const { return background_; }

    void setPaintCallback(PaintFn fn, void* user) { paintFn_ = fn; paintUser_ = user; }
    void setMouseCallback(MouseFn fn, void* user) { mouseFn_ = fn; mouseUser_ = user; }

    // Marks (x, y, w, h) for repainting; a negative w or h extends the
    // rectangle to the left or upward. Cut to the canvas; empty parts are
    // ignored.
    void invalidate(int x, int y, int w, int h);
    // The rectangles invalidated since the last clearInvalid(), each as it
    // was given (cut to the canvas). Beyond kMaxInvalidRects they are merged
    // into the last one's bounding box.
    static constexpr int kMaxInvalidRects = 80;
    int invalidCount() const { return invalidCount_; }
    const BoardRect& invalidRect(int i) const { return invalid_[i]; }
    // Bounding box of all invalidated rectangles; empty when there are none.
    BoardRect invalidBounds() const;
    void clearInvalid() { invalidCount_ = 0; }

    // Calls the paint callback (after the window layer copied the back buffer).
    void paint(OverlayPainter& painter);
    // Hands a mouse message to the mouse callback.
    void mouse(const BoardMouseEvent& event);

private:
    RasterImage backBuffer_;
    std::mutex guard_;
    int width_ = 0;
    int height_ = 0;
    uint32_t background_ = 0x000000;
    BoardRect invalid_[kMaxInvalidRects];
    int invalidCount_ = 0;
    PaintFn paintFn_ = nullptr;
    void* paintUser_ = nullptr;
    MouseFn mouseFn_ = nullptr;
    void* mouseUser_ = nullptr;
};

}  // namespace gz
