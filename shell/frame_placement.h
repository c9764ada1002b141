// Window placement memory of the main frame, as plain geometry: the monitor
// table, the restore of a stored placement (visibility test with a 50-pixel
// margin, re-centring on the stored monitor) and what to store at exit.
// The Qt frame feeds it QScreen rectangles and the `Settings` values.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace gz {

struct MonitorRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;   // right/bottom exclusive
    bool contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    friend bool operator==(const MonitorRect&, const MonitorRect&) = default;
};

constexpr int kMaxMonitors = 16;
constexpr int32_t kPlacementMargin = 50;

class MonitorTable {
public:
    // reportedCount: what the platform says; enumerated: the rectangles it
    // listed, in its order. More than 16 monitors are cut to 16 so the count
    // never indexes past the table.
    static MonitorTable build(int reportedCount, const std::vector<MonitorRect>& enumerated,
                              int32_t primaryWidth, int32_t primaryHeight);

    int count() const { return count_; }
    const MonitorRect& rect(int i) const { return rects_[i]; }
    MonitorRect primary() const { return {0, 0, primaryWidth_, primaryHeight_}; }
    // First monitor containing the point, -1 for none.
    int monitorOf(int32_t x, int32_t y) const;
    // Monitor of the rectangle's centre (halves truncated toward zero).
    int monitorOf(const MonitorRect& r) const;

private:
    int count_ = 1;
    MonitorRect rects_[kMaxMonitors] = {};
    int32_t primaryWidth_ = 0, primaryHeight_ = 0;
};

// The `Settings` values read before the window is created.
struct StoredPlacement {
    std::optional<int32_t> isZoomed;   // absent: nothing is restored
    int32_t posX = 0, posY = 0, sizeX = 0, sizeY = 0, monitor = 0;
};

// Where the window is created. A default position or size is left to the
// window system.
struct CreationPlacement {
    bool defaultPosition = true;
    bool defaultSize = true;
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool maximized = false;
    friend bool operator==(const CreationPlacement&, const CreationPlacement&) = default;
};

// True when the stored rectangle is visible enough on `monitor`.
bool placementVisible(const MonitorRect& monitor, int32_t x, int32_t y, int32_t w, int32_t h);

// The restore: ordinaryShow false (started minimised/maximised by the caller)
// leaves everything to the window system.
CreationPlacement restorePlacement(const MonitorTable& monitors, const StoredPlacement& stored,
                                   bool ordinaryShow = true);

// What the destroy step writes.
struct PlacementToSave {
    int32_t isZoomed = 0;
    bool writeRect = false;   // not when maximised: the last normal placement stays
    int32_t posX = 0, posY = 0, sizeX = 0, sizeY = 0;
    bool writeMonitor = false;   // only with more than one monitor
    int32_t monitor = -1;
};

PlacementToSave savePlacement(const MonitorTable& monitors, const MonitorRect& outer, bool maximized);

// The screen full screen goes to, from the screens as they are now: the first
// that holds the window's centre; else the one the window overlaps most
// (the first of equals); else 0, the primary screen. -1 only for no screens.
int fullScreenMonitor(const std::vector<MonitorRect>& screens, const MonitorRect& window);

// The screen full screen goes to while the game master's window is shown on
// screen `control` (-1: not shown), so the audience never sees that window:
// with fewer than two screens or no such window, fullScreenMonitor's choice.
// Otherwise never `control`: the board's own screen when it is another one;
// else `remembered` (the screen chosen last time, -1: none) when it is there
// and another one; else the largest other screen (the first of equals).
int audienceMonitor(const std::vector<MonitorRect>& screens, const MonitorRect& window, int control,
                    int remembered);

}  // namespace gz
