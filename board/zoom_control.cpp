#include "board/zoom_control.h"

namespace gz {

bool ZoomControl::wheel(const ZoomFrame& frame, PolygonPoint cursor, int32_t delta)
{
    if ((delta > 0 && wheelRest_ < 0) || (delta < 0 && wheelRest_ > 0))
        wheelRest_ = 0;
    const int64_t units = int64_t{wheelRest_} + delta;
    const int64_t steps = units / kWheelNotch;
    wheelRest_ = static_cast<int32_t>(units - steps * kWheelNotch);
    if (steps == 0)
        return false;
    const PictureZoom before = clampedZoom(frame, zoom_);
    zoom_ = zoomedAround(frame, before, cursor, static_cast<int32_t>(steps));
    if (zoom_.step == before.step)
        wheelRest_ = 0;   // at the first or last step
    if (panning_)
        beginPan(frame, cursor);
    return zoom_ != before;
}

void ZoomControl::beginPan(const ZoomFrame& frame, PolygonPoint at)
{
    panning_ = true;
    panStart_ = clampedZoom(frame, zoom_);
    panFrom_ = at;
}

bool ZoomControl::panTo(const ZoomFrame& frame, PolygonPoint at)
{
    if (!panning_)
        return false;
    const PictureZoom before = zoom_;
    zoom_ = pannedBy(frame, panStart_, static_cast<int32_t>(int64_t{at.x} - panFrom_.x),
                     static_cast<int32_t>(int64_t{at.y} - panFrom_.y));
    return zoom_ != before;
}

void ZoomControl::reset()
{
    zoom_ = {};
    wheelRest_ = 0;
    panning_ = false;
}

}  // namespace gz
