#include "game/game_content.h"

#include <algorithm>
#include <cstring>

namespace gz {

std::size_t copyBounded(char* dst, std::size_t cap, std::string_view src)
{
    if (cap == 0)
        return 0;
    std::size_t n = std::min(src.size(), cap - 1);
    // A zero byte inside src ends the text, as it would for a C string.
    if (const void* z = std::memchr(src.data(), 0, n))
        n = static_cast<std::size_t>(static_cast<const char*>(z) - src.data());
    std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
    return n;
}

bool CoverPolygon::addPoint(PolygonPoint p)
{
    if (pointCount < 0 || pointCount >= kMaxPolygonPoints)
        return false;
    points[pointCount++] = p;
    return true;
}

GameContent::GameContent() { resetColourIndexes(); }

void GameContent::resetColourIndexes()
{
    for (int i = 0; i < kMaxPolygons; ++i)
        polygons[i].colourIndex = static_cast<uint8_t>(i);
}

CoverPolygon* GameContent::appendPolygon()
{
    if (polygonCount < 0 || polygonCount >= kMaxPolygons)
        return nullptr;
    CoverPolygon& p = polygons[polygonCount++];
    p.pointCount = 0;
    p.name[0] = '\0';
    return &p;
}

bool GameContent::removePolygon(int32_t slot)
{
    if (slot < 0 || slot >= polygonCount)
        return false;
    // The colour list is the whole 32-slot table: the removed polygon's
    // colour goes to its very end and the later slots move down, as the
    // editor's delete does, so the colours a run has built up stay the same
    // whoever removes a polygon.
    uint8_t colours[kMaxPolygons];
    for (int i = 0; i < kMaxPolygons; ++i)
        colours[i] = polygons[i].colourIndex;
    std::rotate(colours + slot, colours + slot + 1, colours + kMaxPolygons);
    std::rotate(polygons + slot, polygons + slot + 1, polygons + polygonCount);
    for (int i = 0; i < kMaxPolygons; ++i)
        polygons[i].colourIndex = colours[i];
    --polygonCount;
    return true;
}

bool GameContent::movePolygon(int32_t from, int32_t to)
{
    if (from < 0 || from >= polygonCount || to < 0 || to >= polygonCount)
        return false;
    if (from < to)
        std::rotate(polygons + from, polygons + from + 1, polygons + to + 1);
    else if (from > to)
        std::rotate(polygons + to, polygons + from, polygons + from + 1);
    return true;
}

bool GameContent::colourIndexesArePermutation() const
{
    uint32_t seen = 0;
    for (const CoverPolygon& p : polygons) {
        if (p.colourIndex >= kMaxPolygons)
            return false;
        seen |= 1u << p.colourIndex;
    }
    return seen == 0xFFFFFFFFu;
}

}  // namespace gz
