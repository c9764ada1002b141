// The draw-mode overlay: polygon outlines and point handles painted on the
// window over the back buffer, clipped to the picture area, and the
// FlatPointList of what was drawn.
#include <algorithm>

#include "board/board_renderer.h"

namespace gz {

namespace {

constexpr int kHandleRadius = 3;   // 7 x 7 handles
constexpr int kOffsets[5][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {0, 0}};

// A handle wholly outside the clip is left out: zoomed, most points may lie
// far off, up to the end of the int range, where its corners would not fit.
void handle(OverlayPainter& p, PolygonPoint b, const BoardRect& clip)
{
    if (int64_t{b.x} + kHandleRadius < clip.x || int64_t{b.x} - kHandleRadius >= int64_t{clip.x} + clip.w ||
        int64_t{b.y} + kHandleRadius < clip.y || int64_t{b.y} - kHandleRadius >= int64_t{clip.y} + clip.h)
        return;
    p.fillRect(b.x - kHandleRadius, b.y - kHandleRadius, b.x + kHandleRadius,
               b.y + kHandleRadius);
}

// The thick outline passes move the ends by a pixel: points at the end of
// the int range (far beyond the clip) are brought in first.
constexpr int32_t kDrawLimit = 1 << 30;

PolygonPoint drawable(PolygonPoint b)
{
    return {std::clamp(b.x, -kDrawLimit, kDrawLimit), std::clamp(b.y, -kDrawLimit, kDrawLimit)};
}

void setOutlineColour(OverlayPainter& p, int colourIndex)
{
    const OutlineColour c = outlineColour(colourIndex);
    p.setColour(c.red, c.green, c.blue);
}

}  // namespace

void BoardRenderer::paintOverlay(OverlayPainter& painter, const GameContent& game,
                                 ViewMode mode, int selectedPolygon)
{
    if (mode != ViewMode::Draw && mode != ViewMode::Sort)
        return;
    mapping_ = mappingFor(game, mode);
    if (mode == ViewMode::Sort)
        return;
    // Zoomed outlines reach far beyond the picture: never over the banner
    // or the star strips.
    const BoardRect clip = pictureAreaRect(layout_, width_, height_);
    painter.setClip(clip);

    const int n = std::clamp<int>(game.polygonCount, 0, kMaxPolygons);
    flatPoints_.clear();
    PolygonPoint mapped[kMaxPolygonPoints];
    for (int g = n - 1; g >= 0; --g) {
        const CoverPolygon& poly = game.polygons[g];
        flatPoints_.markPolygonStart(g);
        if (poly.pointCount < 2)
            continue;
        const int count = std::min<int>(poly.pointCount, kMaxPolygonPoints);
        const bool selected = g == selectedPolygon;
        setOutlineColour(painter, poly.colourIndex);
        for (int j = 0; j < count; ++j) {
            const PolygonPoint b = mapping_.toBoard(poly.points[j]);
            mapped[j] = drawable(b);
            handle(painter, b, clip);
            flatPoints_.append({b.x, b.y, g, j});
            if (!selected) {
                if (j == 0)
                    painter.moveTo(mapped[j].x, mapped[j].y);
                else
                    painter.lineTo(mapped[j].x, mapped[j].y);
            }
        }
        if (selected)
            continue;
        painter.lineTo(mapped[0].x, mapped[0].y);
        for (int pass = 0; pass < 4; ++pass) {
            const int dx = kOffsets[pass][0];
            const int dy = kOffsets[pass][1];
            painter.moveTo(mapped[count - 1].x + dx, mapped[count - 1].y + dy);
            for (int j = 0; j < count; ++j)
                painter.lineTo(mapped[j].x + dx, mapped[j].y + dy);
        }
    }

    if (selectedPolygon < 0 || selectedPolygon >= n)
        return;
    const CoverPolygon& sel = game.polygons[selectedPolygon];
    // A selection without points yet (a polygon just begun) has nothing to
    // draw; its last point would lie before the table.
    const int count = std::min<int>(sel.pointCount, kMaxPolygonPoints);
    if (count <= 0)
        return;
    setOutlineColour(painter, sel.colourIndex);
    for (int j = 0; j < count; ++j)
        mapped[j] = drawable(mapping_.toBoard(sel.points[j]));
    for (const auto& off : kOffsets) {
        painter.moveTo(mapped[count - 1].x + off[0], mapped[count - 1].y + off[1]);
        for (int j = 0; j < count; ++j) {
            painter.lineTo(mapped[j].x + off[0], mapped[j].y + off[1]);
            handle(painter, mapped[j], clip);
        }
    }
}

}  // namespace gz
