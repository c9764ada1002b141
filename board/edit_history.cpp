#include "board/edit_history.h"

#include <algorithm>
#include <cstring>

namespace gz {

namespace {

bool samePolygon(const CoverPolygon& a, const CoverPolygon& b)
{
    if (a.pointCount != b.pointCount || a.colourIndex != b.colourIndex)
        return false;
    const int n = std::clamp(a.pointCount, 0, kMaxPolygonPoints);
    return std::equal(a.points, a.points + n, b.points) &&
           std::strncmp(a.name, b.name, sizeof a.name) == 0;
}

}  // namespace

PolygonTable PolygonTable::of(const GameContent& game)
{
    PolygonTable t;
    t.polygonCount = game.polygonCount;
    std::copy(std::begin(game.polygons), std::end(game.polygons), t.polygons);
    return t;
}

void PolygonTable::applyTo(GameContent& game) const
{
    game.polygonCount = polygonCount;
    std::copy(std::begin(polygons), std::end(polygons), game.polygons);
}

bool operator==(const PolygonTable& a, const PolygonTable& b)
{
    if (a.polygonCount != b.polygonCount)
        return false;
    const int used = std::clamp(a.polygonCount, 0, kMaxPolygons);
    for (int i = 0; i < kMaxPolygons; ++i) {
        if (i < used ? !samePolygon(a.polygons[i], b.polygons[i])
                     : a.polygons[i].colourIndex != b.polygons[i].colourIndex)
            return false;
    }
    return true;
}

void EditHistory::reset(const GameContent& game)
{
    steps_.clear();
    steps_.push_back(PolygonTable::of(game));
    current_ = 0;
    onDisk_.reset();
    if (!game.modified)
        onDisk_ = steps_.front();
}

bool EditHistory::record(const GameContent& game)
{
    PolygonTable now = PolygonTable::of(game);
    if (!steps_.empty() && steps_[current_] == now)
        return false;
    if (!steps_.empty())
        steps_.resize(current_ + 1);
    steps_.push_back(std::move(now));
    current_ = steps_.size() - 1;
    return true;
}

void EditHistory::markSaved(const GameContent& game) { onDisk_ = PolygonTable::of(game); }

bool EditHistory::undo(GameContent& game)
{
    if (!canUndo())
        return false;
    --current_;
    restore(game);
    return true;
}

bool EditHistory::redo(GameContent& game)
{
    if (!canRedo())
        return false;
    ++current_;
    restore(game);
    return true;
}

void EditHistory::restore(GameContent& game) const
{
    steps_[current_].applyTo(game);
    game.modified = !(onDisk_ && *onDisk_ == steps_[current_]);
}

}  // namespace gz
