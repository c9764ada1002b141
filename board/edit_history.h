// The undo history of the open game's cover: every state of the polygon
// table since the game was loaded (or created), so the editor, sort mode and
// the cover generator can be undone step by step, back to the loaded state.
//
// A step is a whole table (count, points, names and the 32 colour slots),
// so undo restores exactly what was on screen, including the colour a
// removed polygon's slot had. The history is linear: recording after an
// undo drops the steps that could have been redone.
//
// `modified` follows the table on screen after an undo or redo: it is
// cleared when the table equals the one on disk (the loaded or last saved
// one) and set otherwise. A game that has never been saved (a new picture)
// has no table on disk and stays modified.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "game/game_content.h"

namespace gz {

struct PolygonTable {
    int32_t polygonCount = 0;
    CoverPolygon polygons[kMaxPolygons];

    static PolygonTable of(const GameContent& game);
    void applyTo(GameContent& game) const;
    // Same polygons in use (count, points, names, colours) and the same
    // colour index in every slot; points left behind in unused slots do
    // not count.
    friend bool operator==(const PolygonTable& a, const PolygonTable& b);
};

class EditHistory {
public:
    // Starts a new history at the game's current table (after a load or a
    // new game). The table counts as the one on disk unless the game is
    // modified already.
    void reset(const GameContent& game);
    // Records the game's table as a new step when it differs from the
    // current one; returns whether it did.
    bool record(const GameContent& game);
    // The game's table was written: it is the one on disk from now on.
    void markSaved(const GameContent& game);

    bool canUndo() const { return current_ > 0; }
    bool canRedo() const { return current_ + 1 < steps_.size(); }
    // Put the previous (next) step into the game and set `modified` from
    // it; false when there is none.
    bool undo(GameContent& game);
    bool redo(GameContent& game);

    std::size_t stepCount() const { return steps_.size(); }

private:
    void restore(GameContent& game) const;

    std::vector<PolygonTable> steps_;
    std::size_t current_ = 0;
    std::optional<PolygonTable> onDisk_;
};

}  // namespace gz
