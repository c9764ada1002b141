#include "show/command_rules.h"

#include "show/command_ids.h"

namespace gz {

bool isShowCommand(int32_t id)
{
    switch (id) {
    case cmd::kLeftStarUp:
    case cmd::kRightStarUp:
    case cmd::kLeftStarDown:
    case cmd::kRightStarDown:
    case cmd::kStartNextPicture:
    case cmd::kUncoverPicture:
    case cmd::kStopLeft:
    case cmd::kStopRight:
    case cmd::kToolbarStopLeft:
    case cmd::kToolbarStopRight:
        return true;
    default:
        return cmd::isModeCommand(id);
    }
}

bool showCommandEnabled(int32_t id, const ShowState& show)
{
    const bool running = show.gameRunning != 0;
    switch (id) {
    case cmd::kLeftStarUp:
    case cmd::kRightStarUp:
    case cmd::kLeftStarDown:
    case cmd::kRightStarDown:
        return true;
    case cmd::kStartNextPicture:
        return !running && !show.anyTimeOver();
    case cmd::kUncoverPicture:
        return show.anyBuzzed() || show.anyTimeOver();
    case cmd::kStopLeft:
        return running && !show.hasBuzzed(PlayerSide::Left);
    case cmd::kStopRight:
        return running && !show.hasBuzzed(PlayerSide::Right);
    case cmd::kToolbarStopLeft:
    case cmd::kToolbarStopRight:
        return running && !show.anyBuzzed();
    default:
        return cmd::isModeCommand(id);
    }
}

CommandUiState viewCommandState(int32_t id, const ViewCommandContext& view)
{
    const bool draw = view.mode == ViewMode::Draw;
    const bool editing = draw || view.mode == ViewMode::Sort;
    auto tool = [&](DrawTool t) { return CommandUiState{true, draw, draw && view.tool == t}; };
    auto stars = [&](int32_t size) { return CommandUiState{true, true, view.starSize == size}; };
    switch (id) {
    case cmd::kNew:
        return {true, draw, false};
    case cmd::kSave:
        return {true, view.modified, false};
    case cmd::kToolMovePoints:
        return tool(DrawTool::MovePoints);
    case cmd::kToolDrawPolygon:
        return tool(DrawTool::DrawPolygon);
    case cmd::kToolDelete:
        return tool(DrawTool::Delete);
    case cmd::kUndo:
        return {true, editing && view.canUndo, false};
    case cmd::kRedo:
        return {true, editing && view.canRedo, false};
    case cmd::kGenerateCover:
        return {true, draw && view.hasPicture, false};
    case cmd::kImportPictures:
        return {true, draw, false};
    case cmd::kBlackCover:
        return {true, true, view.blackCover};
    case cmd::kPolygonInfo:
        return {true, true, view.polygonInfo};
    case cmd::kPicturePath:
    case cmd::kSwitchTime:
    case cmd::kNextGameNumber:
    case cmd::kChooseComPort:
    case cmd::kAssignBuzzers:
        return {true, true, false};
    case cmd::kStarsLarge:
        return stars(0);
    case cmd::kStarsMedium:
        return stars(1);
    case cmd::kStarsSmall:
        return stars(2);
    case cmd::kStarsTwoRows:
        return stars(3);
    default:
        return {};
    }
}

}  // namespace gz
