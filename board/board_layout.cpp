#include "board/board_layout.h"

#include <cstdint>
#include <limits>

namespace gz {

namespace {

int32_t clampToInt(int64_t v)
{
    if (v > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

}  // namespace

BoardLayout boardLayoutFor(int starSizeOption)
{
    BoardLayout l;
    switch (starSizeOption) {
    case kStarSizeMedium:
        l.stripWidth = 102; l.cellHeight = 102; l.columns = 1;
        l.starLimit = 8; l.starImage = StarImage::Medium;
        break;
    case kStarSizeSmall:
        l.stripWidth = 68; l.cellHeight = 68; l.columns = 1;
        l.starLimit = 8; l.starImage = StarImage::Small;
        break;
    case kStarSizeTwoRows:
        l.stripWidth = 136; l.cellHeight = 68; l.columns = 2;
        l.starLimit = 25; l.starImage = StarImage::Small;
        break;
    default:
        l.stripWidth = 136; l.cellHeight = 136; l.columns = 1;
        l.starLimit = 8; l.starImage = StarImage::Large;
        break;
    }
    l.cellWidth = l.stripWidth / l.columns;
    return l;
}

BoardRect starCellRect(const BoardLayout& layout, PlayerSide side, int cell,
                       int boardWidth, int boardHeight)
{
    const int columns = layout.columns > 0 ? layout.columns : 1;
    const int x0 = side == PlayerSide::Left ? 0 : boardWidth - layout.stripWidth;
    const int column = cell % columns;
    const int row = cell / columns;
    return {x0 + column * layout.cellWidth, boardHeight - (row + 1) * layout.cellHeight,
            layout.cellWidth, layout.cellHeight};
}

BoardRect separatorRect(const BoardLayout& layout, PlayerSide side, int boardWidth,
                        int boardHeight)
{
    const int x = side == PlayerSide::Left ? layout.stripWidth
                                           : boardWidth - layout.stripWidth - kBevelWidth;
    return {x, 0, kBevelWidth, boardHeight};
}

BoardRect bannerRect(const BoardLayout& layout, int boardWidth)
{
    const int left = layout.stripWidth + kBevelWidth;
    return {left, 0, boardWidth - 2 * left, kBannerHeight};
}

BoardRect pictureAreaRect(const BoardLayout& layout, int boardWidth, int boardHeight)
{
    const int left = layout.stripWidth + kBevelWidth;
    return {left, kPictureTop, boardWidth - 2 * left, boardHeight - kPictureTop};
}

PictureFit fitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight)
{
    if (areaWidth <= 0 || areaHeight <= 0)
        return {0, 0};
    const int64_t pw = pictureWidth > 0 ? pictureWidth : 1;
    const int64_t ph = pictureHeight > 0 ? pictureHeight : 1;
    const int64_t g = areaWidth;
    const int64_t a = areaHeight;
    if (ph * g < pw * a)
        return {areaWidth, static_cast<int>(ph * g / pw)};
    return {static_cast<int>(pw * a / ph), areaHeight};
}

PolygonPoint PictureMapping::toBoard(PolygonPoint p) const
{
    const int64_t num = numerator;
    const int64_t den = denominator != 0 ? denominator : 1;
    return {clampToInt(int64_t{p.x} * num / den + xOffset),
            clampToInt(int64_t{p.y} * num / den + yOffset)};
}

PolygonPoint PictureMapping::toPicture(PolygonPoint p) const
{
    const int64_t num = numerator != 0 ? numerator : 1;
    const int64_t den = denominator;
    return {clampToInt((int64_t{p.x} - xOffset) * den / num),
            clampToInt((int64_t{p.y} - yOffset) * den / num)};
}

PictureMapping computePictureMapping(const BoardLayout& layout, int boardWidth,
                                     int boardHeight, int pictureWidth, int pictureHeight)
{
    const BoardRect area = pictureAreaRect(layout, boardWidth, boardHeight);
    const PictureFit fit = fitPicture(pictureWidth, pictureHeight, area.w, area.h);
    const int64_t pw = pictureWidth > 0 ? pictureWidth : 1;
    const int64_t ph = pictureHeight > 0 ? pictureHeight : 1;
    const int64_t dw = fit.width;
    const int64_t dh = fit.height;
    PictureMapping m;
    int64_t num, den;
    if (ph * dh < pw * dw) {
        num = dw;
        den = pw;
    } else {
        num = dh;
        den = ph;
    }
    m.numerator = num > 0 ? static_cast<int32_t>(num) : 1;
    m.denominator = den > 0 ? static_cast<int32_t>(den) : 1;
    m.xOffset = static_cast<int32_t>((int64_t{boardWidth} - dw) / 2);
    m.yOffset = static_cast<int32_t>((int64_t{boardHeight} - dh + kPictureTop) / 2);
    return m;
}

}  // namespace gz
