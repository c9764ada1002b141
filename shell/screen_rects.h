// Qt's rectangles and screens in the placement rules' terms
// (shell/frame_placement.h): right and bottom exclusive.
#pragma once

#include <QList>
#include <QRect>
#include <QScreen>

#include <vector>

#include "shell/frame_placement.h"

namespace gz {

inline MonitorRect monitorRectOf(const QRect& r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// The screens' full rectangles, in the screens' order.
inline std::vector<MonitorRect> screenRects(const QList<QScreen*>& screens)
{
    std::vector<MonitorRect> rects;
    for (QScreen* s : screens)
        rects.push_back(monitorRectOf(s->geometry()));
    return rects;
}

}  // namespace gz
