#include "board/polygon_editor.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "board/point_in_polygon.h"
#include "board/sort_mode.h"

namespace gz {

namespace {

bool withinBox(PolygonPoint a, PolygonPoint b, int box)
{
    return std::llabs(int64_t{a.x} - b.x) <= box && std::llabs(int64_t{a.y} - b.y) <= box;
}

int32_t clampToInt32(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

struct Bounds {
    int64_t minX = std::numeric_limits<int64_t>::max();
    int64_t minY = std::numeric_limits<int64_t>::max();
    int64_t maxX = std::numeric_limits<int64_t>::min();
    int64_t maxY = std::numeric_limits<int64_t>::min();

    void add(PolygonPoint p)
    {
        minX = std::min<int64_t>(minX, p.x);
        minY = std::min<int64_t>(minY, p.y);
        maxX = std::max<int64_t>(maxX, p.x);
        maxY = std::max<int64_t>(maxY, p.y);
    }
    // The box through the points, grown by `margin` on every side.
    BoardRect grownBy(int margin) const
    {
        return {clampToInt32(minX - margin), clampToInt32(minY - margin),
                clampToInt32(maxX - minX + 1 + 2 * int64_t{margin}),
                clampToInt32(maxY - minY + 1 + 2 * int64_t{margin})};
    }
};

}  // namespace

PolygonEditor::PolygonEditor(GameContent& game, const PictureMapping& mapping,
                             FlatPointList& points, EditorHost& host)
    : game_(game), mapping_(mapping), points_(points), host_(host)
{
}

// ---------------------------------------------------------------- entry points

void PolygonEditor::onMouse(ViewMode mode, MouseKind kind, int32_t x, int32_t y)
{
    const PolygonPoint cursor{x, y};
    if (mode == ViewMode::Sort) {
        finishGesture();
        if (kind != MouseKind::LeftDown)
            return;
        const SortClickResult r = applySortClick(game_, mapping_, cursor);
        if (!r.changed())
            return;
        // Keep the selection on the polygon it marked.
        if (selected_ == r.hitIndex)
            selected_ = 0;
        else if (selected_ >= 0 && selected_ < r.hitIndex)
            ++selected_;
        hot_ = -1;
        rebuildPoints();
        host_.sortOrderChanged();
        return;
    }
    if (mode != ViewMode::Draw) {
        finishGesture();
        return;
    }
    switch (kind) {
    case MouseKind::Move:
        onMove(cursor);
        break;
    case MouseKind::LeftDown:
        onLeftDown(cursor);
        break;
    case MouseKind::LeftDoubleClick:
        if (tool_ == DrawTool::DrawPolygon)
            escape();
        else
            onLeftDown(cursor);
        break;
    case MouseKind::LeftUp:
        onLeftUp(cursor);
        break;
    case MouseKind::RightDown:
        if (capture_ != CaptureState::Idle)
            escape();
        break;
    default:
        break;
    }
}

bool PolygonEditor::onKeyDown(EditorKey key)
{
    switch (key) {
    case EditorKey::Control:
        if (tool_ == DrawTool::DrawPolygon && capture_ != CaptureState::Drawing) {
            host_.setCursor(CursorKind::Arrow);
            return true;
        }
        return false;
    case EditorKey::Escape:
        return escape();
    default:
        return false;
    }
}

void PolygonEditor::finishGesture()
{
    if (capture_ != CaptureState::Idle)
        escape();
    release();
}

void PolygonEditor::resetForNewGame()
{
    // The table now holds another game: nothing of the old gesture may
    // touch it.
    release();
    capture_ = CaptureState::Idle;
    selected_ = -1;
    hot_ = -1;
    rebuildPoints();
}

void PolygonEditor::mappingChanged()
{
    if (capture_ != CaptureState::Idle)
        savedBoard_ = mapping_.toBoard(savedPicture_);
    rebuildPoints();
}

// ---------------------------------------------------------------- mouse

void PolygonEditor::onMove(PolygonPoint cursor)
{
    if (capture_ != CaptureState::Idle) {
        if (validEntry(hot_)) {
            invalidateAroundPoint(hot_);
            pictureOf(hot_) = mapping_.toPicture(cursor);
            rebuildPoints();
            invalidateAroundPoint(hot_);
        }
        host_.setCursor(capture_ == CaptureState::Dragging ? CursorKind::Hand : CursorKind::Cross);
        return;
    }
    bool inSelection = false;
    hot_ = hoverSearch(cursor, &inSelection);
    if (hot_ < 0)
        host_.setCursor(CursorKind::Arrow);
    else if (!inSelection && host_.isControlDown())
        host_.setCursor(CursorKind::Arrow);  // Ctrl+click starts a new polygon here
    else
        host_.setCursor(CursorKind::Cross);
}

void PolygonEditor::onLeftDown(PolygonPoint cursor)
{
    // A press while a point is still dragged means its release was lost:
    // drop it first.
    if (capture_ == CaptureState::Dragging) {
        onLeftUp(cursor);
        return;
    }
    // The tool was switched while a polygon was being drawn: finish it so
    // the rubber band cannot become a point of the other tool's work.
    if (capture_ == CaptureState::Drawing && tool_ != DrawTool::DrawPolygon) {
        escape();
        return;
    }
    switch (tool_) {
    case DrawTool::MovePoints:
        moveToolPress(cursor);
        break;
    case DrawTool::DrawPolygon:
        drawToolPress(cursor);
        break;
    case DrawTool::Delete:
        deleteToolPress(cursor);
        break;
    }
}

void PolygonEditor::onLeftUp(PolygonPoint cursor)
{
    if (capture_ != CaptureState::Dragging)
        return;
    release();
    capture_ = CaptureState::Idle;
    if (!validEntry(hot_))
        return;
    invalidateAroundPoint(hot_);
    if (withinBox(cursor, savedBoard_, kDropBox)) {
        // Too short to be meant: back where it was, nothing changed.
        pictureOf(hot_) = savedPicture_;
        rebuildPoints();
        invalidateAroundPoint(hot_);
        return;
    }
    for (int32_t i = points_.size() - 1; i >= 0; --i) {
        if (i == hot_ || !validEntry(i) || !withinBox(boardOf(i), cursor, kDropBox))
            continue;
        const PolygonPoint target = pictureOf(i);
        pictureOf(hot_) = target;
        rebuildPoints();
        break;
    }
    invalidateAroundPoint(hot_);
    markModified();
}

void PolygonEditor::moveToolPress(PolygonPoint cursor)
{
    if (validEntry(hot_)) {
        capture();
        savedPicture_ = pictureOf(hot_);
        savedBoard_ = boardOf(hot_);
        select(points_[hot_].polygon);
        capture_ = CaptureState::Dragging;
        host_.setCursor(CursorKind::Hand);
        return;
    }
    const EdgeHit edge = edgeSearch(cursor);
    if (edge.polygon >= 0)
        select(edge.polygon);
}

void PolygonEditor::drawToolPress(PolygonPoint cursor)
{
    if (capture_ == CaptureState::Drawing) {
        drawToolFixPoint(cursor);
        return;
    }
    if (host_.isControlDown()) {
        startPolygon(validEntry(hot_) ? pictureOf(hot_) : mapping_.toPicture(cursor), cursor);
        return;
    }
    const EdgeHit edge = edgeSearch(cursor);
    if (edge.polygon >= 0)
        hot_ = edge.firstPoint;
    if (validEntry(hot_))
        insertAfter(hot_, -1, cursor);
    else
        startPolygon(mapping_.toPicture(cursor), cursor);
}

void PolygonEditor::drawToolFixPoint(PolygonPoint cursor)
{
    // Without a valid polygon under construction there is nothing to fix;
    // end the capture rather than keep it with nothing to show for it.
    if (!validPolygon(selected_) || !validEntry(hot_) || points_[hot_].polygon != selected_) {
        escape();
        return;
    }
    if (withinBox(cursor, savedBoard_, kDropBox)) {
        escape();
        return;
    }
    int32_t snap = -1;
    for (int32_t i = points_.size() - 1; i >= 0; --i) {
        if (i == hot_ || !validEntry(i) || !withinBox(boardOf(i), cursor, kDropBox))
            continue;
        if (points_[i].polygon == selected_) {
            escape();  // back on its own outline: the polygon is closed
            return;
        }
        snap = i;  // keep walking: the lowest list index wins
    }
    CoverPolygon& poly = game_.polygons[selected_];
    if (poly.pointCount >= kMaxPolygonPoints) {
        // The rubber band is the 32nd point: fix it and end the drawing,
        // as no further point fits.
        if (snap >= 0) {
            const PolygonPoint target = pictureOf(snap);
            pictureOf(hot_) = target;
        }
        host_.warningBeep();
        release();
        capture_ = CaptureState::Idle;
        rebuildPoints();
        invalidatePolygon(selected_);
        markModified();
        return;
    }
    insertAfter(hot_, snap, cursor);
}

void PolygonEditor::deleteToolPress(PolygonPoint cursor)
{
    if (validEntry(hot_)) {
        const int32_t p = points_[hot_].polygon;
        select(p);
        removePoint(p, points_[hot_].point);
        if (game_.polygons[p].pointCount <= 2)
            removePolygon(p);
    } else {
        const EdgeHit edge = edgeSearch(cursor);
        if (edge.polygon < 0)
            return;
        invalidatePolygon(edge.polygon);
        removePolygon(edge.polygon);
    }
    markModified();
    hot_ = -1;
    rebuildPoints();
    host_.repaintNow();
}

bool PolygonEditor::escape()
{
    if (capture_ == CaptureState::Dragging) {
        if (validEntry(hot_)) {
            invalidateAroundPoint(hot_);
            pictureOf(hot_) = savedPicture_;
            rebuildPoints();
            invalidateAroundPoint(hot_);
        }
        release();
        capture_ = CaptureState::Idle;
        host_.setCursor(CursorKind::Arrow);
        return true;
    }
    if (capture_ == CaptureState::Drawing) {
        release();
        capture_ = CaptureState::Idle;
        if (validPolygon(selected_)) {
            invalidatePolygon(selected_);
            CoverPolygon& poly = game_.polygons[selected_];
            if (poly.pointCount > 0)
                --poly.pointCount;  // the rubber band
            // Three fixed points or the polygon goes; a new polygon is the
            // last one, so nothing else moves.
            if (poly.pointCount < 3)
                removePolygon(selected_);
        }
        hot_ = -1;  // its entry is gone
        rebuildPoints();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- table edits

void PolygonEditor::startPolygon(PolygonPoint startPicture, PolygonPoint cursor)
{
    CoverPolygon* poly = polygonCount() < kMaxPolygons ? game_.appendPolygon() : nullptr;
    if (!poly) {
        host_.warningBeep();
        return;
    }
    // Two equal points: the second is the rubber band.
    poly->points[0] = startPicture;
    poly->points[1] = startPicture;
    poly->pointCount = 2;
    const int32_t p = polygonCount() - 1;
    rebuildPoints();
    hot_ = points_.polygonStart(p) + 1;
    savedBoard_ = cursor;
    savedPicture_ = startPicture;
    invalidatePolygon(selected_);
    invalidatePolygon(p);
    capture();
    host_.repaintNow();
    selected_ = p;
    capture_ = CaptureState::Drawing;
}

void PolygonEditor::insertAfter(int32_t listIndex, int32_t snapIndex, PolygonPoint cursor)
{
    const int32_t p = points_[listIndex].polygon;
    const int32_t k = points_[listIndex].point;
    CoverPolygon& poly = game_.polygons[p];
    const int32_t c = poly.pointCount;
    if (c >= kMaxPolygonPoints) {
        host_.warningBeep();
        return;
    }
    const int32_t from = validEntry(snapIndex) ? snapIndex : listIndex;
    savedPicture_ = pictureOf(from);
    savedBoard_ = boardOf(from);
    if (k != c - 1) {
        // Make point k the last one; the closed outline stays the same.
        std::rotate(poly.points, poly.points + k + 1, poly.points + c);
        rebuildPoints();
        host_.repaintNow();
    }
    if (validEntry(snapIndex))
        poly.points[c - 1] = savedPicture_;
    poly.points[c] = mapping_.toPicture(cursor);
    poly.pointCount = c + 1;
    rebuildPoints();
    hot_ = points_.polygonStart(p) + c;
    invalidatePolygon(selected_);
    invalidatePolygon(p);
    capture();
    host_.repaintNow();
    selected_ = p;
    if (capture_ == CaptureState::Drawing)
        markModified();
    else
        capture_ = CaptureState::Drawing;  // the first click only starts the rubber band
}

void PolygonEditor::removePoint(int32_t polygon, int32_t point)
{
    CoverPolygon& poly = game_.polygons[polygon];
    const int32_t c = std::clamp(poly.pointCount, int32_t{0}, int32_t{kMaxPolygonPoints});
    if (point < 0 || point >= c)
        return;
    std::copy(poly.points + point + 1, poly.points + c, poly.points + point);
    poly.pointCount = c - 1;
}

void PolygonEditor::removePolygon(int32_t polygon)
{
    if (!validPolygon(polygon))
        return;
    game_.removePolygon(polygon);
    selected_ = -1;
}

void PolygonEditor::select(int32_t polygon)
{
    if (polygon == selected_)
        return;
    invalidatePolygon(selected_);
    invalidatePolygon(polygon);
    selected_ = polygon;
}

// ---------------------------------------------------------------- hit tests

int32_t PolygonEditor::hoverSearch(PolygonPoint cursor, bool* inSelection) const
{
    *inSelection = false;
    if (validPolygon(selected_)) {
        const int32_t first = points_.polygonStart(selected_);
        if (validEntry(first) && points_[first].polygon == selected_) {
            for (int32_t i = polygonLastEntry(first); i >= first; --i) {
                if (withinBox(boardOf(i), cursor, kHoverBox)) {
                    *inSelection = true;
                    return i;
                }
            }
        }
    }
    for (int32_t i = points_.size() - 1; i >= 0; --i) {
        if (validEntry(i) && withinBox(boardOf(i), cursor, kHoverBox))
            return i;
    }
    return -1;
}

PolygonEditor::EdgeHit PolygonEditor::edgeSearch(PolygonPoint cursor) const
{
    for (int32_t i = points_.size() - 1; i >= 0; --i) {
        if (!validEntry(i))
            continue;
        const int32_t polygon = points_[i].polygon;
        if (i + 1 < points_.size() && points_[i + 1].polygon == polygon &&
            segmentHit(boardOf(i), boardOf(i + 1), cursor))
            return {polygon, i};
        if (points_.polygonStart(polygon) == i) {
            // The closing edge runs from the last point back to this one;
            // it is named by the last point, so an insert lands on it.
            const int32_t last = polygonLastEntry(i);
            if (segmentHit(boardOf(i), boardOf(last), cursor))
                return {polygon, last};
        }
    }
    return {};
}

// ---------------------------------------------------------------- helpers

int32_t PolygonEditor::polygonCount() const
{
    return std::clamp(game_.polygonCount, int32_t{0}, int32_t{kMaxPolygons});
}

bool PolygonEditor::validPolygon(int32_t polygon) const
{
    return polygon >= 0 && polygon < polygonCount();
}

bool PolygonEditor::validEntry(int32_t listIndex) const
{
    if (listIndex < 0 || listIndex >= points_.size())
        return false;
    const FlatPoint& e = points_[listIndex];
    if (!validPolygon(e.polygon))
        return false;
    const int32_t count = std::clamp(game_.polygons[e.polygon].pointCount, int32_t{0},
                                     int32_t{kMaxPolygonPoints});
    return e.point >= 0 && e.point < count;
}

int32_t PolygonEditor::polygonLastEntry(int32_t firstEntry) const
{
    int32_t last = firstEntry;
    while (last + 1 < points_.size() && points_[last + 1].polygon == points_[firstEntry].polygon)
        ++last;
    return last;
}

PolygonPoint PolygonEditor::boardOf(int32_t listIndex) const
{
    return {points_[listIndex].x, points_[listIndex].y};
}

PolygonPoint& PolygonEditor::pictureOf(int32_t listIndex)
{
    const FlatPoint& e = points_[listIndex];
    return game_.polygons[e.polygon].points[e.point];
}

void PolygonEditor::invalidatePolygon(int32_t polygon)
{
    if (!validPolygon(polygon))
        return;
    const int32_t first = points_.polygonStart(polygon);
    if (!validEntry(first) || points_[first].polygon != polygon)
        return;
    Bounds b;
    for (int32_t i = first, last = polygonLastEntry(first); i <= last; ++i)
        b.add(boardOf(i));
    host_.invalidate(b.grownBy(kAreaMargin));
}

void PolygonEditor::invalidateAroundPoint(int32_t listIndex)
{
    if (!validEntry(listIndex))
        return;
    const int32_t first = points_.polygonStart(points_[listIndex].polygon);
    if (first < 0 || first > listIndex)
        return;
    const int32_t last = polygonLastEntry(first);
    Bounds b;
    b.add(boardOf(listIndex));
    b.add(boardOf(listIndex == first ? last : listIndex - 1));
    b.add(boardOf(listIndex == last ? first : listIndex + 1));
    host_.invalidate(b.grownBy(kAreaMargin));
}

void PolygonEditor::rebuildPoints()
{
    buildFlatPointList(game_, mapping_, points_);
}

void PolygonEditor::capture()
{
    if (!captured_) {
        host_.captureMouse();
        captured_ = true;
    }
}

void PolygonEditor::release()
{
    if (captured_) {
        host_.releaseMouse();
        captured_ = false;
    }
}

}  // namespace gz
