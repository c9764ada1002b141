// The polygon editor of draw mode, and the mouse entry point it shares with
// sort mode: a state machine over the current GameContent, driven by mouse
// messages in board pixels and two keys. It never touches the window system;
// everything it needs of the platform goes through EditorHost (mouse
// capture, cursor shape, Ctrl state, warning beep, repaint requests), so the
// Qt canvas only forwards its events and applies what the editor asks for.
//
// Tools: move points (drag a point; a drop within 6 pixels of another point
// snaps onto it), draw polygon (click to add points behind a rubber band,
// click an edge to insert a point, Ctrl+click to start a new polygon on top
// of a point), delete (a point, or the whole polygon under an edge).
// Limits: 32 polygons and 32 points per polygon; a press beyond them beeps.
//
// Hit tests work on the FlatPointList (board positions of the drawn points,
// polygons from the last to the first) with the boxes +-3 (hover) and +-6
// (drop, snap, finish) and the edge test of board/point_in_polygon.h.
// Picture positions come from the PictureMapping; points are not clamped to
// the picture. The editor rebuilds the FlatPointList itself whenever it
// changes points, so its indexes never go stale between repaints.
#pragma once

#include <cstdint>

#include "board/board_canvas.h"
#include "board/board_layout.h"
#include "board/flat_point_list.h"
#include "game/game_content.h"

namespace gz {

// MouseKind (the canvas's mouse messages) comes from board/board_canvas.h.

enum class CursorKind {
    Arrow,  // IDC_ARROW
    Cross,  // IDC_CROSS
    Hand,   // IDC_HAND
};

enum class EditorKey {
    Control,
    Escape,
    Other,
};

enum class CaptureState : int {
    Idle = 0,
    Dragging = 1,  // a point follows the mouse (move tool)
    Drawing = 2,   // the rubber-band point follows the mouse (draw tool)
};

// What the editor asks of the window system. Called on the UI thread from
// inside the editor's handlers.
class EditorHost {
public:
    virtual ~EditorHost() = default;
    virtual void captureMouse() = 0;
    virtual void releaseMouse() = 0;
    virtual void setCursor(CursorKind kind) = 0;
    // Whether Ctrl is held down at this moment (not at the time of the
    // message).
    virtual bool isControlDown() = 0;
    virtual void warningBeep() = 0;
    // Marks a rectangle of the canvas for the next repaint (overlay redraw).
    virtual void invalidate(const BoardRect& area) = 0;
    // Repaints the canvas at once (invalidate, erase, update).
    virtual void repaintNow() = 0;
    // Sort mode reordered the polygons: force a picture-area redraw, run one
    // show tick at once and repaint the view.
    virtual void sortOrderChanged() = 0;
};

class PolygonEditor {
public:
    static constexpr int kHoverBox = 3;  // +-3: point under the cursor
    static constexpr int kDropBox = 6;   // +-6: drop, snap and finish
    static constexpr int kAreaMargin = 4;

    // All four are owned by the view and outlive the editor. The mapping is
    // the one the last repaint computed; the point list is the overlay's.
    PolygonEditor(GameContent& game, const PictureMapping& mapping, FlatPointList& points,
                  EditorHost& host);

    // The mouse entry point. Acts in draw and sort mode only; in every other
    // mode (and in sort mode, before a sort click) an unfinished drag or
    // drawing is ended as by Escape, so no capture outlives its mode.
    void onMouse(ViewMode mode, MouseKind kind, int32_t x, int32_t y);
    // Key-down of the view. Returns false when the key is left to default
    // processing.
    bool onKeyDown(EditorKey key);

    // Ends a drag or drawing as Escape does (the dragged point goes back,
    // the rubber band goes away, a polygon of fewer than 3 points is
    // removed) and releases the capture. Call before the game is saved or
    // replaced; does nothing when idle.
    void finishGesture();
    // Forgets the selection and the hot point (after another game was
    // loaded into the GameContent). Ends a gesture first.
    void resetForNewGame();
    // The mapping changed under a standing mouse (zoom, pan): rebuilds the
    // point list and carries the board position a gesture started from
    // (where a drop or a click counts as "no move") along with the picture.
    // A gesture goes on.
    void mappingChanged();

    void setTool(DrawTool tool) { tool_ = tool; }
    DrawTool tool() const { return tool_; }
    int32_t selectedPolygon() const { return selected_; }
    int32_t hotPoint() const { return hot_; }
    CaptureState captureState() const { return capture_; }

private:
    struct EdgeHit {
        int32_t polygon = -1;
        int32_t firstPoint = -1;  // list index of the edge's first point in outline order
    };

    void onMove(PolygonPoint cursor);
    void onLeftDown(PolygonPoint cursor);
    void onLeftUp(PolygonPoint cursor);
    void moveToolPress(PolygonPoint cursor);
    void drawToolPress(PolygonPoint cursor);
    void drawToolFixPoint(PolygonPoint cursor);
    void deleteToolPress(PolygonPoint cursor);
    bool escape();

    void startPolygon(PolygonPoint startPicture, PolygonPoint cursor);
    void insertAfter(int32_t listIndex, int32_t snapIndex, PolygonPoint cursor);
    void removePoint(int32_t polygon, int32_t point);
    void removePolygon(int32_t polygon);
    void select(int32_t polygon);

    int32_t hoverSearch(PolygonPoint cursor, bool* inSelection) const;
    EdgeHit edgeSearch(PolygonPoint cursor) const;
    bool validEntry(int32_t listIndex) const;
    bool validPolygon(int32_t polygon) const;
    int32_t polygonLastEntry(int32_t firstEntry) const;
    PolygonPoint boardOf(int32_t listIndex) const;
    PolygonPoint& pictureOf(int32_t listIndex);
    void invalidatePolygon(int32_t polygon);
    void invalidateAroundPoint(int32_t listIndex);
    void rebuildPoints();
    void capture();
    void release();
    void markModified() { game_.modified = true; }
    int32_t polygonCount() const;

    GameContent& game_;
    const PictureMapping& mapping_;
    FlatPointList& points_;
    EditorHost& host_;

    DrawTool tool_ = DrawTool::DrawPolygon;
    int32_t selected_ = -1;
    int32_t hot_ = -1;
    CaptureState capture_ = CaptureState::Idle;
    bool captured_ = false;
    PolygonPoint savedBoard_;
    PolygonPoint savedPicture_;
};

}  // namespace gz
