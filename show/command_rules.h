// Enable and check rules of the commands, as pure functions over the state
// they depend on. The menu, the toolbar and the key handling ask them before
// showing or running a command; a command whose rule says disabled never
// runs, whatever its source.
#pragma once

#include <cstdint>

#include "game/game_content.h"
#include "show/show_state.h"

namespace gz {

// Show commands: stars, start, uncover, the four stops, the mode selector.
// Returns false for ids that are not show commands.
bool isShowCommand(int32_t id);
bool showCommandEnabled(int32_t id, const ShowState& show);

// What the board view's own commands depend on.
struct ViewCommandContext {
    ViewMode mode = ViewMode::Play;
    bool modified = false;           // GameContent::modified
    DrawTool tool = DrawTool::MovePoints;
    int32_t starSize = 0;            // 0 large, 1 medium, 2 small, 3 two rows
    bool blackCover = false;
    bool polygonInfo = false;
    bool hasPicture = false;         // a game with a picture is open
    bool canUndo = false;            // the edit history has a step back
    bool canRedo = false;            // ... and one forward
};

struct CommandUiState {
    bool known = false;    // the id is one of the view's commands
    bool enabled = false;
    bool checked = false;
};

// New, save, draw tools, black cover, polygon labels, picture path,
// switching time, next game number, COM port, buzzer buttons (always
// enabled, like the COM port), star sizes, and the
// authoring aids: undo and redo (draw and sort mode, while the history
// allows), cover generation (draw mode, with a picture), picture import
// (draw mode).
CommandUiState viewCommandState(int32_t id, const ViewCommandContext& view);

}  // namespace gz
