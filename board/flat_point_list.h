// FlatPointList: the polygon points of the current game as they were last
// drawn in draw mode, in board coordinates, for hit-testing with the mouse.
//
// Order: polygons from the last (N-1) to the first (0), each polygon's points
// in order. Every visited polygon records the list index where its points
// start (also one with fewer than 2 points, which adds no points). At most
// 32 x 32 entries; append refuses more.
#pragma once

#include <cstdint>

#include "board/board_layout.h"
#include "game/game_content.h"

namespace gz {

struct FlatPoint {
    int32_t x = 0;         // board position
    int32_t y = 0;
    int32_t polygon = 0;   // slot in GameContent::polygons
    int32_t point = 0;     // index within the polygon
    friend bool operator==(const FlatPoint&, const FlatPoint&) = default;
};

class FlatPointList {
public:
    static constexpr int kCapacity = kMaxPolygons * kMaxPolygonPoints;

    // Empties the list; every polygon's start becomes -1 (not visited).
    void clear();
    // Records that polygon `polygon` (0..31) starts at the current size.
    void markPolygonStart(int polygon);
    // False (nothing stored) when the list is full.
    bool append(const FlatPoint& p);

    int size() const { return size_; }
    bool isEmpty() const { return size_ == 0; }
    const FlatPoint& operator[](int i) const { return points_[i]; }
    const FlatPoint* begin() const { return points_; }
    const FlatPoint* end() const { return points_ + size_; }
    // List index of the polygon's first point; -1 when it was not visited
    // or polygon is outside 0..31.
    int polygonStart(int polygon) const;

private:
    FlatPoint points_[kCapacity];
    int32_t starts_[kMaxPolygons] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                     -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                     -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    int size_ = 0;
};

// Rebuilds the list without drawing, in the order and with the mapping the
// draw-mode overlay uses: polygons N-1 .. 0, those with fewer than 2 points
// only record their start.
void buildFlatPointList(const GameContent& game, const PictureMapping& mapping,
                        FlatPointList& list);

}  // namespace gz
