#include "game/shrink_to_screen.h"

#include <algorithm>
#include <cstdint>

namespace gz {

namespace {

// round(a * b / c) for positive values, without overflow for any side.
int roundedRatio(int a, int b, int c)
{
    const int64_t n = int64_t{a} * b;
    return static_cast<int>((2 * n + c) / (2 * int64_t{c}));
}

}  // namespace

PictureSize screenFitSize(int width, int height)
{
    if (width <= kScreenFitWidth && height <= kScreenFitHeight)
        return {width, height};
    // Wider than 16:9: the width decides, else the height.
    if (int64_t{width} * kScreenFitHeight >= int64_t{height} * kScreenFitWidth)
        return {kScreenFitWidth, std::max(1, roundedRatio(height, kScreenFitWidth, width))};
    return {std::max(1, roundedRatio(width, kScreenFitHeight, height)), kScreenFitHeight};
}

bool shrinkToScreen(RasterImage& picture)
{
    if (picture.isEmpty())
        return false;
    const PictureSize size = screenFitSize(picture.width(), picture.height());
    if (size == PictureSize{picture.width(), picture.height()})
        return false;
    RasterImage smaller;
    if (!smaller.resample(picture, size.width, size.height, kResampleAreaAverage))
        return false;
    picture = std::move(smaller);
    return true;
}

}  // namespace gz
