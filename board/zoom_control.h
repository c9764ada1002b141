// The mouse side of the picture zoom: Ctrl+wheel notches and middle-button
// drags turned into PictureZoom values (board/picture_zoom.h). It only
// keeps the zoom and the gesture state; which events reach it, and when
// the zoom goes back to the fit, is the board view's rule.
//
// Wheel: every 120 units of delta (one notch of an ordinary wheel) are one
// zoom step around the cursor; finer deltas of high-resolution wheels add
// up to notches. A turn the other way starts counting afresh, and what
// cannot be used at the first or last step is dropped, so the wheel never
// owes steps.
//
// Drag: the picture follows the mouse from where the middle button went
// down; each position is measured from that start, so a long drag does not
// drift. A wheel step during a drag starts it afresh from the new zoom.
#pragma once

#include <cstdint>

#include "board/picture_zoom.h"

namespace gz {

class ZoomControl {
public:
    static constexpr int32_t kWheelNotch = 120;

    const PictureZoom& zoom() const { return zoom_; }

    // A Ctrl+wheel event at a board point; true when the zoom changed.
    bool wheel(const ZoomFrame& frame, PolygonPoint cursor, int32_t delta);

    // Middle button down at a board point: a drag begins.
    void beginPan(const ZoomFrame& frame, PolygonPoint at);
    // The mouse moved while dragging; true when the zoom changed. Does
    // nothing without a drag.
    bool panTo(const ZoomFrame& frame, PolygonPoint at);
    void endPan() { panning_ = false; }
    bool panning() const { return panning_; }

    // Back to the fit; ends a drag and forgets wheel units.
    void reset();

private:
    PictureZoom zoom_;
    int32_t wheelRest_ = 0;
    bool panning_ = false;
    PictureZoom panStart_;
    PolygonPoint panFrom_;
};

}  // namespace gz
