#include "shell/frame_placement.h"

#include <algorithm>

namespace gz {

MonitorTable MonitorTable::build(int reportedCount, const std::vector<MonitorRect>& enumerated,
                                 int32_t primaryWidth, int32_t primaryHeight)
{
    MonitorTable t;
    t.primaryWidth_ = primaryWidth;
    t.primaryHeight_ = primaryHeight;
    if (reportedCount <= 1) {
        t.count_ = 1;
        t.rects_[0] = {0, 0, primaryWidth, primaryHeight};
        return t;
    }
    t.count_ = std::min(reportedCount, kMaxMonitors);
    int n = std::min<int>(static_cast<int>(enumerated.size()), t.count_);
    for (int i = 0; i < n; ++i)
        t.rects_[i] = enumerated[i];
    for (int i = n; i < t.count_; ++i)
        t.rects_[i] = {-1, -1, -1, -1};   // contains no point
    return t;
}

int MonitorTable::monitorOf(int32_t x, int32_t y) const
{
    for (int i = 0; i < count_; ++i)
        if (rects_[i].contains(x, y))
            return i;
    return -1;
}

int MonitorTable::monitorOf(const MonitorRect& r) const
{
    // 64-bit sums: extreme stored values must not overflow.
    int64_t cx = (int64_t(r.left) + r.right) / 2;
    int64_t cy = (int64_t(r.top) + r.bottom) / 2;
    return monitorOf(static_cast<int32_t>(cx), static_cast<int32_t>(cy));
}

bool placementVisible(const MonitorRect& m, int32_t x, int32_t y, int32_t w, int32_t h)
{
    const int64_t X = x, Y = y, W = w, H = h;
    return W >= kPlacementMargin && H >= kPlacementMargin &&
           X + W >= int64_t(m.left) + kPlacementMargin && Y + H >= int64_t(m.top) + kPlacementMargin &&
           X + kPlacementMargin <= m.right && Y + kPlacementMargin <= m.bottom;
}

CreationPlacement restorePlacement(const MonitorTable& monitors, const StoredPlacement& s, bool ordinaryShow)
{
    CreationPlacement p;
    if (!ordinaryShow || !s.isZoomed)
        return p;
    p.maximized = *s.isZoomed != 0;

    const bool validMonitor = static_cast<uint32_t>(s.monitor) < static_cast<uint32_t>(monitors.count());
    const MonitorRect m = validMonitor ? monitors.rect(s.monitor) : monitors.primary();
    if (placementVisible(m, s.posX, s.posY, s.sizeX, s.sizeY)) {
        p.defaultPosition = p.defaultSize = false;
        p.x = s.posX;
        p.y = s.posY;
        p.width = s.sizeX;
        p.height = s.sizeY;
    }

    int centreMonitor = -1;
    if (!p.defaultPosition) {
        int64_t cx = p.width > 0 ? int64_t(p.x) + p.width / 2 : p.x;
        int64_t cy = p.height > 0 ? int64_t(p.y) + p.height / 2 : p.y;
        centreMonitor = monitors.monitorOf(static_cast<int32_t>(cx), static_cast<int32_t>(cy));
    }
    if (centreMonitor != s.monitor && validMonitor && monitors.count() > 1) {
        const MonitorRect& target = monitors.rect(s.monitor);
        const MonitorRect& first = monitors.rect(0);
        int32_t w = !p.defaultSize ? (p.width > 0 ? p.width : 0) : first.width() - 100;
        int32_t h = !p.defaultSize ? (p.height > 0 ? p.height : 0) : first.height() - 100;
        p.x = static_cast<int32_t>((int64_t(target.left) + target.right) / 2 - w / 2);
        p.y = static_cast<int32_t>((int64_t(target.top) + target.bottom) / 2 - h / 2);
        p.defaultPosition = false;
    }
    return p;
}

PlacementToSave savePlacement(const MonitorTable& monitors, const MonitorRect& outer, bool maximized)
{
    PlacementToSave s;
    s.isZoomed = maximized ? 1 : 0;
    if (!maximized) {
        s.writeRect = true;
        s.posX = outer.left;
        s.posY = outer.top;
        s.sizeX = outer.right - outer.left;
        s.sizeY = outer.bottom - outer.top;
    }
    s.monitor = monitors.monitorOf(outer);
    s.writeMonitor = monitors.count() > 1;
    return s;
}

int fullScreenMonitor(const std::vector<MonitorRect>& screens, const MonitorRect& window)
{
    if (screens.empty())
        return -1;
    const int64_t cx = (int64_t(window.left) + window.right) / 2;
    const int64_t cy = (int64_t(window.top) + window.bottom) / 2;
    for (size_t i = 0; i < screens.size(); ++i) {
        const MonitorRect& s = screens[i];
        if (cx >= s.left && cx < s.right && cy >= s.top && cy < s.bottom)
            return static_cast<int>(i);
    }
    // The centre in a gap between screens (or off every screen).
    int best = 0;
    int64_t bestArea = 0;
    for (size_t i = 0; i < screens.size(); ++i) {
        const MonitorRect& s = screens[i];
        const int64_t w = std::min<int64_t>(s.right, window.right) - std::max<int64_t>(s.left, window.left);
        const int64_t h = std::min<int64_t>(s.bottom, window.bottom) - std::max<int64_t>(s.top, window.top);
        const int64_t area = w > 0 && h > 0 ? w * h : 0;
        if (area > bestArea) {
            bestArea = area;
            best = static_cast<int>(i);
        }
    }
    return best;
}

int audienceMonitor(const std::vector<MonitorRect>& screens, const MonitorRect& window, int control,
                    int remembered)
{
    const int own = fullScreenMonitor(screens, window);
    const int count = static_cast<int>(screens.size());
    if (count < 2 || control < 0 || control >= count || own != control)
        return own;
    if (remembered >= 0 && remembered < count && remembered != control)
        return remembered;
    int best = -1;
    int64_t bestArea = -1;
    for (int i = 0; i < count; ++i) {
        if (i == control)
            continue;
        const MonitorRect& s = screens[static_cast<size_t>(i)];
        const int64_t area = int64_t(s.right - s.left) * (s.bottom - s.top);
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    return best;
}

}  // namespace gz
