#include "board/picture_zoom.h"

#include <algorithm>
#include <limits>

namespace gz {

namespace {

using Wide = __int128;

constexpr int64_t kMaxNumerator = int64_t{kMaxZoomScale} * kZoomScaleDenominator;
// Board pixels per picture pixel as numerator over kZoomScaleDenominator,
// times kZoomCentreUnit: the divisor between centre units and board pixels.
constexpr int64_t kCentreScale = int64_t{kZoomScaleDenominator} * kZoomCentreUnit;

Wide floorDiv(Wide a, Wide b)
{
    const Wide q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

Wide ceilDiv(Wide a, Wide b) { return -floorDiv(-a, b); }

Wide roundDiv(Wide a, Wide b) { return floorDiv(2 * a + b, 2 * b); }

int32_t toInt32(Wide v)
{
    return static_cast<int32_t>(std::clamp<Wide>(v, std::numeric_limits<int32_t>::min(),
                                                 std::numeric_limits<int32_t>::max()));
}

bool zoomable(const ZoomFrame& f)
{
    return !f.area.isEmpty() && f.fit.numerator > 0 && f.fit.denominator > 0;
}

// The fit's scale over kZoomScaleDenominator (at least 1).
int64_t fitNumerator(const ZoomFrame& f)
{
    const int64_t n = int64_t{f.fit.numerator} * kZoomScaleDenominator / f.fit.denominator;
    return std::max<int64_t>(n, 1);
}

int64_t nextNumerator(int64_t n)
{
    return std::max(n + 1, n * kZoomStepNumerator / kZoomStepDenominator);
}

// The scale numerator of a step from 1 to maxZoomStep.
int64_t stepNumerator(const ZoomFrame& f, int32_t step)
{
    int64_t n = fitNumerator(f);
    for (int32_t i = 0; i < step && n < kMaxNumerator; ++i)
        n = nextNumerator(n);
    return std::min(n, kMaxNumerator);
}

// The centre that makes the offset of a picture wider than the area come
// out exactly (rounded up: the numerator is below kCentreScale, so the
// floor taken back from it is the offset again).
int64_t centreFor(int64_t middle, Wide offset, int64_t numerator)
{
    return static_cast<int64_t>(ceilDiv((middle - offset) * kCentreScale, numerator));
}

struct Axis {
    int64_t offset = 0;
    int64_t centre = 0;
};

// One axis of a zoomed mapping: where the picture starts on the board and
// which picture point lies at the area's middle, both after the bounds.
Axis boundedAxis(int64_t areaStart, int64_t areaLength, int64_t pictureLength, int64_t numerator,
                 int64_t centre)
{
    const int64_t extent = pictureLength * numerator / kZoomScaleDenominator;
    const int64_t middle = areaStart + areaLength / 2;
    Axis a;
    if (extent <= areaLength) {
        a.offset = areaStart + (areaLength - extent) / 2;
    } else {
        const Wide wanted = middle - floorDiv(Wide{centre} * numerator, kCentreScale);
        a.offset = static_cast<int64_t>(
            std::clamp<Wide>(wanted, areaStart + areaLength - extent, areaStart));
    }
    a.centre = centreFor(middle, a.offset, numerator);
    return a;
}

int64_t pictureSide(int32_t side) { return side > 0 ? side : 1; }

}  // namespace

ZoomFrame zoomFrameFor(const BoardLayout& layout, int boardWidth, int boardHeight,
                       int pictureWidth, int pictureHeight)
{
    ZoomFrame f;
    f.area = pictureAreaRect(layout, boardWidth, boardHeight);
    f.pictureWidth = pictureWidth > 0 ? pictureWidth : 1;
    f.pictureHeight = pictureHeight > 0 ? pictureHeight : 1;
    f.fit = computePictureMapping(layout, boardWidth, boardHeight, pictureWidth, pictureHeight);
    return f;
}

int32_t maxZoomStep(const ZoomFrame& frame)
{
    if (!zoomable(frame))
        return 0;
    int32_t step = 0;
    for (int64_t n = fitNumerator(frame); n < kMaxNumerator; n = nextNumerator(n))
        ++step;
    return step;
}

PictureZoom clampedZoom(const ZoomFrame& frame, const PictureZoom& zoom)
{
    PictureZoom z;
    z.step = std::clamp(zoom.step, int32_t{0}, maxZoomStep(frame));
    if (z.step == 0) {
        z.centreX = pictureSide(frame.pictureWidth) * kZoomCentreUnit / 2;
        z.centreY = pictureSide(frame.pictureHeight) * kZoomCentreUnit / 2;
        return z;
    }
    const int64_t n = stepNumerator(frame, z.step);
    const BoardRect& a = frame.area;
    z.centreX = boundedAxis(a.x, a.w, pictureSide(frame.pictureWidth), n, zoom.centreX).centre;
    z.centreY = boundedAxis(a.y, a.h, pictureSide(frame.pictureHeight), n, zoom.centreY).centre;
    return z;
}

PictureMapping zoomedMapping(const ZoomFrame& frame, const PictureZoom& zoom)
{
    const int32_t step = std::clamp(zoom.step, int32_t{0}, maxZoomStep(frame));
    if (step == 0)
        return frame.fit;
    const int64_t n = stepNumerator(frame, step);
    const BoardRect& a = frame.area;
    PictureMapping m;
    m.numerator = static_cast<int32_t>(n);
    m.denominator = kZoomScaleDenominator;
    m.xOffset = toInt32(boundedAxis(a.x, a.w, pictureSide(frame.pictureWidth), n, zoom.centreX).offset);
    m.yOffset = toInt32(boundedAxis(a.y, a.h, pictureSide(frame.pictureHeight), n, zoom.centreY).offset);
    return m;
}

PictureZoom zoomedAround(const ZoomFrame& frame, const PictureZoom& zoom, PolygonPoint board,
                         int32_t steps)
{
    const PictureZoom from = clampedZoom(frame, zoom);
    const int32_t target = static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{from.step} + steps, 0, maxZoomStep(frame)));
    if (target == from.step)
        return from;
    if (target == 0)
        return clampedZoom(frame, {});
    // The picture point under the board point, in centre units, and the
    // offsets that put it back under the board point at the new scale.
    const PictureMapping m = zoomedMapping(frame, from);
    const Wide qx = floorDiv(Wide{int64_t{board.x} - m.xOffset} * m.denominator * kZoomCentreUnit,
                             m.numerator);
    const Wide qy = floorDiv(Wide{int64_t{board.y} - m.yOffset} * m.denominator * kZoomCentreUnit,
                             m.numerator);
    const int64_t n = stepNumerator(frame, target);
    const BoardRect& a = frame.area;
    PictureZoom to;
    to.step = target;
    to.centreX = centreFor(a.x + a.w / 2, board.x - roundDiv(qx * n, kCentreScale), n);
    to.centreY = centreFor(a.y + a.h / 2, board.y - roundDiv(qy * n, kCentreScale), n);
    return clampedZoom(frame, to);
}

PictureZoom pannedBy(const ZoomFrame& frame, const PictureZoom& zoom, int32_t dx, int32_t dy)
{
    PictureZoom z = clampedZoom(frame, zoom);
    if (z.step == 0)
        return z;
    // Moved as offsets, so that a drag moves the picture by whole board
    // pixels exactly.
    const PictureMapping m = zoomedMapping(frame, z);
    const int64_t n = stepNumerator(frame, z.step);
    const BoardRect& a = frame.area;
    z.centreX = centreFor(a.x + a.w / 2, Wide{m.xOffset} + dx, n);
    z.centreY = centreFor(a.y + a.h / 2, Wide{m.yOffset} + dy, n);
    return clampedZoom(frame, z);
}

}  // namespace gz
