#include "board/board_canvas.h"

#include <algorithm>
#include <utility>

namespace gz {

namespace {

BoardRect unite(const BoardRect& a, const BoardRect& b)
{
    const int l = std::min(a.x, b.x);
    const int t = std::min(a.y, b.y);
    const int r = std::max(a.x + a.w, b.x + b.w);
    const int bt = std::max(a.y + a.h, b.y + b.h);
    return {l, t, r - l, bt - t};
}

}  // namespace

bool BoardCanvas::setSize(int width, int height)
{
    width = std::clamp(width, 0, kMaxSide);
    height = std::clamp(height, 0, kMaxSide);
    std::lock_guard<std::mutex> lock(guard_);
    if (width == width_ && height == height_ && (!backBuffer_.isEmpty() || width == 0 || height == 0))
        return true;
    width_ = width;
    height_ = height;
    invalidCount_ = 0;
    if (width == 0 || height == 0) {
        backBuffer_.release();
        return true;
    }
    // Filled black first: regions the board never draws (above short star
    // strips) must not show whatever the allocator left there.
    RasterImage next;
    if (!next.create(32, width, height, 0u)) {
        backBuffer_.release();
        return false;
    }
    if (!backBuffer_.isEmpty())
        next.blit(backBuffer_, 0, 0);
    backBuffer_ = std::move(next);
    return true;
}

void BoardCanvas::invalidate(int x, int y, int w, int h)
{
    // Normalise in 64 bits: x + w must not overflow.
    long long left = x, top = y, right = static_cast<long long>(x) + w;
    long long bottom = static_cast<long long>(y) + h;
    if (w < 0)
        std::swap(left, right);
    if (h < 0)
        std::swap(top, bottom);
    left = std::max(left, 0LL);
    top = std::max(top, 0LL);
    right = std::min(right, static_cast<long long>(width_));
    bottom = std::min(bottom, static_cast<long long>(height_));
    if (right <= left || bottom <= top)
        return;
    const BoardRect r{static_cast<int>(left), static_cast<int>(top),
                      static_cast<int>(right - left), static_cast<int>(bottom - top)};
    if (invalidCount_ < kMaxInvalidRects) {
        invalid_[invalidCount_++] = r;
        return;
    }
    invalid_[kMaxInvalidRects - 1] = unite(invalid_[kMaxInvalidRects - 1], r);
}

BoardRect BoardCanvas::invalidBounds() const
{
    BoardRect b;
    for (int i = 0; i < invalidCount_; ++i)
        b = i == 0 ? invalid_[0] : unite(b, invalid_[i]);
    return b;
}

void BoardCanvas::paint(OverlayPainter& painter)
{
    if (paintFn_)
        paintFn_(paintUser_, painter);
}

void BoardCanvas::mouse(const BoardMouseEvent& event)
{
    if (mouseFn_)
        mouseFn_(mouseUser_, event);
}

}  // namespace gz
