// Shrinking a new game's picture to screen size. A picture wider than 3840
// or higher than 2160 pixels becomes the largest picture that fits within
// 3840 x 2160 with the same aspect ratio (the other side rounded to the
// nearest pixel, at least 1), area-averaged so fine detail turns into its
// mean colour instead of flickering stairs. A picture that fits is never
// touched. A 3840 x 2160 screen shows nothing of the pixels beyond it, and
// a smaller picture is written, loaded and drawn faster.
#pragma once

#include "imaging/raster_image.h"

namespace gz {

constexpr int kScreenFitWidth = 3840;
constexpr int kScreenFitHeight = 2160;

struct PictureSize {
    int width = 0;
    int height = 0;
    bool operator==(const PictureSize&) const = default;
};

// The size `width` x `height` gets; the same size when it fits.
PictureSize screenFitSize(int width, int height);

// Shrinks `picture` when it does not fit; true when it was replaced by the
// smaller one. Without memory for the smaller picture it stays as it is
// (false): the game then simply keeps the large picture.
bool shrinkToScreen(RasterImage& picture);

}  // namespace gz
