// Zoom and pan of the picture area (draw and sort mode): how far the
// picture is magnified beyond its fit, and which picture point lies at the
// centre of the picture area. PictureZoom is a plain value; ZoomControl
// (board/zoom_control.h) turns mouse gestures into new values, the
// renderer draws with the current one.
//
// Steps: step 0 is the fit, whose mapping is computePictureMapping's
// exactly. Each step multiplies the scale by 5/4 up to 8 board pixels per
// picture pixel; the last step ends at 8 exactly. A picture whose fit is
// already 8 or more, or a board without a picture area, has only step 0.
//
// Pan, per axis: a magnified picture wider than the area covers the area
// from edge to edge (its edges cannot be dragged into the area); one
// narrower than the area is centred on that axis.
//
// A zoomed mapping keeps the PictureMapping form with the denominator
// kZoomScaleDenominator, so picture points up to the int range still map
// in 64 bits. Every function clamps the zoom it is given to the frame
// first: a zoom stored for another window size (or picture) is still valid.
#pragma once

#include <cstdint>

#include "board/board_layout.h"

namespace gz {

constexpr int32_t kZoomStepNumerator = 5;     // x 1.25 per step
constexpr int32_t kZoomStepDenominator = 4;
constexpr int32_t kMaxZoomScale = 8;          // board pixels per picture pixel
constexpr int32_t kZoomScaleDenominator = 1 << 20;
constexpr int64_t kZoomCentreUnit = 1 << 16;  // centre positions in 1/65536 picture pixel

// What a zoom applies to: the picture area of the board, the picture's
// size and the fit mapping of both.
struct ZoomFrame {
    BoardRect area;
    int32_t pictureWidth = 1;
    int32_t pictureHeight = 1;
    PictureMapping fit;
};

// The frame of a W x H board with the given layout for a pw x ph picture
// (sides that are not positive count as 1, as in computePictureMapping).
ZoomFrame zoomFrameFor(const BoardLayout& layout, int boardWidth, int boardHeight,
                       int pictureWidth, int pictureHeight);

struct PictureZoom {
    int32_t step = 0;
    // The picture point at the picture area's centre, in kZoomCentreUnit
    // parts of a picture pixel. Not used at step 0.
    int64_t centreX = 0;
    int64_t centreY = 0;

    bool isFit() const { return step <= 0; }
    friend bool operator==(const PictureZoom&, const PictureZoom&) = default;
};

// The highest step of the frame (0 when it cannot be zoomed).
int32_t maxZoomStep(const ZoomFrame& frame);

// The mapping of the zoom: frame.fit at step 0, otherwise the step's scale
// over kZoomScaleDenominator with offsets that put the centre point at the
// area's centre, bounded as described above.
PictureMapping zoomedMapping(const ZoomFrame& frame, const PictureZoom& zoom);

// The zoom cut to the frame: step in 0..maxZoomStep, centre where the
// bounded mapping puts it (the centre of the picture at step 0).
PictureZoom clampedZoom(const ZoomFrame& frame, const PictureZoom& zoom);

// `steps` steps in (positive) or out (negative) around a board point: the
// picture point under it stays under it, to within a board pixel unless
// the bounds move the picture.
PictureZoom zoomedAround(const ZoomFrame& frame, const PictureZoom& zoom, PolygonPoint board,
                         int32_t steps);

// The picture moved by (dx, dy) board pixels (it follows the mouse), then
// bounded.
PictureZoom pannedBy(const ZoomFrame& frame, const PictureZoom& zoom, int32_t dx, int32_t dy);

}  // namespace gz
