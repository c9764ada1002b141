// Board geometry: the star-strip layout chosen by the star size option, the
// regions of the board (strips, separators, banner, picture area), the fit of
// the picture into its area and the PictureMapping between picture pixels
// and board (client) pixels. Pure integer arithmetic, no drawing.
//
// Board of client size W x H with strip width S:
//   left strip   x 0 .. S-1            right strip  x W-S .. W-1
//   separators   x S .. S+5 and W-S-6 .. W-S-1 (full height)
//   banner       (S+6, 0, W-2(S+6), 36), its bevel rows y 36 .. 41
//   picture area (S+6, 42, W-2S-12, H-42)
// A window too small for these regions gives widths or heights <= 0; the
// renderer draws nothing into such a region.
#pragma once

#include <cstdint>

#include "game/game_content.h"

namespace gz {

// Star size option (registry value StarSize).
enum StarSizeOption : int {
    kStarSizeLarge = 0,    // "Große Sterne"
    kStarSizeMedium = 1,   // "Mittlere Sterne"
    kStarSizeSmall = 2,    // "Kleine Sterne"
    kStarSizeTwoRows = 3,  // "Zwei Reihen"
};

// Which of the three star images a layout draws with.
enum class StarImage : int {
    Large = 0,   // bitmap 149, 100 x 95
    Medium = 1,  // bitmap 150, 75 x 71
    Small = 2,   // bitmap 151, 50 x 47
};

constexpr int kStarRows = 16;          // rows of cells per side
constexpr int kMaxStarCells = 32;      // cells per side with two columns
constexpr int kBevelWidth = 6;         // separator columns / banner bevel rows
constexpr int kBannerHeight = 36;      // banner text band
constexpr int kPictureTop = 42;        // banner plus its bevel

struct BoardLayout {
    int stripWidth = 136;   // S
    int cellHeight = 136;
    int columns = 1;
    int cellWidth = 136;    // S / columns
    int starLimit = 8;      // modulus of the star count (8, or 25 on two rows)
    StarImage starImage = StarImage::Large;

    int cellsPerSide() const { return kStarRows * columns; }
    friend bool operator==(const BoardLayout&, const BoardLayout&) = default;
};

// The layout of a star size option; any value other than 0..3 lays out as 0.
BoardLayout boardLayoutFor(int starSizeOption);

struct BoardRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool isEmpty() const { return w <= 0 || h <= 0; }
    friend bool operator==(const BoardRect&, const BoardRect&) = default;
};

// Star cell i (0 .. cellsPerSide()-1) of a side: rows fill left to right from
// the bottom, then upward; cells of the upper rows may lie above y = 0.
BoardRect starCellRect(const BoardLayout& layout, PlayerSide side, int cell,
                       int boardWidth, int boardHeight);
// The six separator columns next to a strip (light column first).
BoardRect separatorRect(const BoardLayout& layout, PlayerSide side,
                        int boardWidth, int boardHeight);
// Banner text band, 36 rows high, without its bevel.
BoardRect bannerRect(const BoardLayout& layout, int boardWidth);
// The picture area below the banner, between the separators.
BoardRect pictureAreaRect(const BoardLayout& layout, int boardWidth, int boardHeight);

struct PictureFit {
    int width = 0;    // dw
    int height = 0;   // dh
};

// Size of a pw x ph picture scaled to fit an areaW x areaH area, keeping its
// aspect; pw and ph that are not positive count as 1. Computed in 64 bits.
// An area without room (a side <= 0) gives 0 x 0.
PictureFit fitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);

// board = picture * numerator / denominator + offset, and back with
// picture = (board - offset) * denominator / numerator; integer division
// truncating toward zero on each axis. Results beyond the int range are
// clamped to it (picture points are not bounded).
struct PictureMapping {
    int32_t numerator = 1;
    int32_t denominator = 1;
    int32_t xOffset = 0;
    int32_t yOffset = 0;

    PolygonPoint toBoard(PolygonPoint picture) const;
    PolygonPoint toPicture(PolygonPoint board) const;
    friend bool operator==(const PictureMapping&, const PictureMapping&) = default;
};

// The mapping that lies exactly on the picture the renderer draws into the
// picture area of a W x H board for a pw x ph picture. A non-positive ratio
// term becomes 1.
PictureMapping computePictureMapping(const BoardLayout& layout, int boardWidth,
                                     int boardHeight, int pictureWidth, int pictureHeight);

}  // namespace gz
