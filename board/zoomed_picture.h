// The visible part of a zoomed picture: the picture pixels a PictureMapping
// puts under a rectangle of board pixels, sampled to that rectangle without
// scaling the whole picture (at 8 board pixels per picture pixel a large
// photo would be an image of tens of thousands of pixels a side).
//
// Board pixel b shows the picture pixels p with toPicture(b) <= p <
// toPicture(b + 1) on each axis (at least the first of them): the pixel
// itself where the picture is magnified, the box average of those under it
// where it is reduced. So the picture's pixel squares fall exactly where the
// mapping puts the polygon points and handles, to within a board pixel.
#pragma once

#include "board/board_layout.h"
#include "imaging/raster_image.h"

namespace gz {

// Makes `out` a target.w x target.h image at 32 bits (alpha bytes 0) of
// the picture under the board rectangle `target`, which must lie inside
// the mapped picture (toBoard(0, 0) up to toBoard(width, height)). Any
// picture depth; false (and `out` empty) for an empty picture or target.
bool sampleZoomedPicture(const RasterImage& picture, const PictureMapping& mapping,
                         const BoardRect& target, RasterImage& out);

}  // namespace gz
