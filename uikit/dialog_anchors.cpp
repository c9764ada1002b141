#include "uikit/dialog_anchors.h"

#include <algorithm>

namespace gz {

PixelRect anchoredRect(const PixelRect& base, unsigned anchors, int dx, int dy)
{
    PixelRect r = base;
    if (anchors & kMoveRight)
        r.left += dx;
    if (anchors & kMoveDown)
        r.top += dy;
    if (anchors & kGrowWidth)
        r.width = std::max(0, r.width + dx);
    if (anchors & kGrowHeight)
        r.height = std::max(0, r.height + dy);
    return r;
}

}  // namespace gz
