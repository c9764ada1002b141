#include "show/command_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "show/command_ids.h"

namespace gz {
namespace {

// ---------------------------------------------------------------------------
// Show commands over the situations of one picture.

struct Situation {
    const char* name;
    int32_t running;
    uint8_t buzzedLeft, buzzedRight;
    PlayerState left, right;
    // F5, F6, F7, F8, toolbar stop left, toolbar stop right
    bool start, uncover, stopL, stopR, barL, barR;
};

class ShowRules : public ::testing::TestWithParam<Situation> {};

TEST_P(ShowRules, EnableRules)
{
    const Situation& s = GetParam();
    ShowState st;
    st.gameRunning = s.running;
    st.buzzed[0] = s.buzzedLeft;
    st.buzzed[1] = s.buzzedRight;
    st.playerState[0] = static_cast<uint8_t>(s.left);
    st.playerState[1] = static_cast<uint8_t>(s.right);
    EXPECT_EQ(showCommandEnabled(cmd::kStartNextPicture, st), s.start);
    EXPECT_EQ(showCommandEnabled(cmd::kUncoverPicture, st), s.uncover);
    EXPECT_EQ(showCommandEnabled(cmd::kStopLeft, st), s.stopL);
    EXPECT_EQ(showCommandEnabled(cmd::kStopRight, st), s.stopR);
    EXPECT_EQ(showCommandEnabled(cmd::kToolbarStopLeft, st), s.barL);
    EXPECT_EQ(showCommandEnabled(cmd::kToolbarStopRight, st), s.barR);
    for (int32_t id : {cmd::kLeftStarUp, cmd::kRightStarUp, cmd::kLeftStarDown, cmd::kRightStarDown,
                       cmd::kModeFirst, cmd::kModeFirst + 22, cmd::kModeLast})
        EXPECT_TRUE(showCommandEnabled(id, st)) << id;
    for (int32_t id : {cmd::kSave, cmd::kNew, cmd::kModeLast + 1, cmd::kModeFirst - 1, 0})
        EXPECT_FALSE(showCommandEnabled(id, st)) << id;
}

using PS = PlayerState;
INSTANTIATE_TEST_SUITE_P(
    Picture, ShowRules,
    ::testing::Values(
        Situation{"NoPicture", 0, 0, 0, PS::Idle, PS::Idle, true, false, false, false, false, false},
        Situation{"Uncovering", 1, 0, 0, PS::Idle, PS::Idle, false, false, true, true, true, true},
        Situation{"LeftBuzzed", 1, 1, 0, PS::Buzzed, PS::Idle, false, true, false, true, false, false},
        Situation{"RightBuzzed", 1, 0, 1, PS::Idle, PS::Buzzed, false, true, true, false, false, false},
        Situation{"TimeOver", 0, 0, 0, PS::TimeOver, PS::TimeOver, false, true, false, false, false, false},
        // A remote buzz after time over: one strip lit, the other still TimeOver.
        Situation{"TimeOverThenBuzz", 0, 1, 0, PS::Buzzed, PS::TimeOver, false, true, false, false, false, false},
        // A remote buzz between pictures.
        Situation{"BuzzBetween", 0, 0, 1, PS::Idle, PS::Buzzed, true, true, false, false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The view's own commands.

struct ViewRule {
    const char* name;
    int32_t id;
    ViewCommandContext view;
    bool enabled;
    bool checked;
};

class ViewRules : public ::testing::TestWithParam<ViewRule> {};

TEST_P(ViewRules, EnableAndCheck)
{
    const ViewRule& r = GetParam();
    const CommandUiState ui = viewCommandState(r.id, r.view);
    EXPECT_TRUE(ui.known);
    EXPECT_EQ(ui.enabled, r.enabled);
    EXPECT_EQ(ui.checked, r.checked);
}

ViewCommandContext ctx(ViewMode mode, bool modified = false, DrawTool tool = DrawTool::MovePoints,
                       int32_t stars = 0, bool black = false, bool info = false)
{
    return ViewCommandContext{mode, modified, tool, stars, black, info};
}

constexpr ViewMode kPlay = ViewMode::Play;
constexpr ViewMode kDraw = ViewMode::Draw;
constexpr ViewMode kSort = ViewMode::Sort;

// The authoring aids: what the history and the open game allow.
ViewCommandContext authoring(ViewMode mode, bool picture, bool undo, bool redo)
{
    ViewCommandContext c = ctx(mode);
    c.hasPicture = picture;
    c.canUndo = undo;
    c.canRedo = redo;
    return c;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ViewRules,
    ::testing::Values(
        ViewRule{"NewInPlay", cmd::kNew, ctx(kPlay), false, false},
        ViewRule{"NewInSort", cmd::kNew, ctx(kSort), false, false},
        ViewRule{"NewInDraw", cmd::kNew, ctx(kDraw), true, false},
        ViewRule{"SaveUnmodified", cmd::kSave, ctx(kDraw), false, false},
        ViewRule{"SaveModified", cmd::kSave, ctx(kPlay, true), true, false},
        ViewRule{"MoveToolInPlay", cmd::kToolMovePoints, ctx(kPlay), false, false},
        ViewRule{"MoveToolActive", cmd::kToolMovePoints, ctx(kDraw), true, true},
        ViewRule{"MoveToolOther", cmd::kToolMovePoints, ctx(kDraw, false, DrawTool::Delete), true, false},
        ViewRule{"PolygonToolActive", cmd::kToolDrawPolygon, ctx(kDraw, false, DrawTool::DrawPolygon), true, true},
        ViewRule{"DeleteToolActive", cmd::kToolDelete, ctx(kDraw, false, DrawTool::Delete), true, true},
        // The tool survives leaving draw mode but shows no tick there.
        ViewRule{"DeleteToolInSort", cmd::kToolDelete, ctx(kSort, false, DrawTool::Delete), false, false},
        ViewRule{"BlackCoverOn", cmd::kBlackCover, ctx(kPlay, false, DrawTool::MovePoints, 0, true), true, true},
        ViewRule{"BlackCoverOff", cmd::kBlackCover, ctx(kPlay), true, false},
        ViewRule{"LabelsOn", cmd::kPolygonInfo, ctx(kSort, false, DrawTool::MovePoints, 0, false, true), true, true},
        ViewRule{"PicturePath", cmd::kPicturePath, ctx(kPlay), true, false},
        ViewRule{"SwitchTime", cmd::kSwitchTime, ctx(kSort), true, false},
        ViewRule{"NextGame", cmd::kNextGameNumber, ctx(kPlay), true, false},
        ViewRule{"ComPort", cmd::kChooseComPort, ctx(kPlay), true, false},
        // The buttons can be taught in every mode, mid-show included.
        ViewRule{"AssignBuzzersInPlay", cmd::kAssignBuzzers, authoring(kPlay, false, false, false), true, false},
        ViewRule{"AssignBuzzersInDraw", cmd::kAssignBuzzers, authoring(kDraw, true, true, true), true, false},
        ViewRule{"LargeStars", cmd::kStarsLarge, ctx(kPlay), true, true},
        ViewRule{"UndoInDraw", cmd::kUndo, authoring(kDraw, true, true, false), true, false},
        ViewRule{"UndoInSort", cmd::kUndo, authoring(kSort, true, true, false), true, false},
        ViewRule{"UndoInPlay", cmd::kUndo, authoring(kPlay, true, true, true), false, false},
        ViewRule{"UndoInPreview", cmd::kUndo, authoring(ViewMode{5}, true, true, true), false, false},
        ViewRule{"UndoWithoutSteps", cmd::kUndo, authoring(kDraw, true, false, true), false, false},
        ViewRule{"RedoInSort", cmd::kRedo, authoring(kSort, true, false, true), true, false},
        ViewRule{"RedoWithoutSteps", cmd::kRedo, authoring(kDraw, true, true, false), false, false},
        ViewRule{"CoverInDraw", cmd::kGenerateCover, authoring(kDraw, true, false, false), true, false},
        ViewRule{"CoverWithoutPicture", cmd::kGenerateCover, authoring(kDraw, false, false, false), false, false},
        ViewRule{"CoverInSort", cmd::kGenerateCover, authoring(kSort, true, false, false), false, false},
        ViewRule{"ImportInDraw", cmd::kImportPictures, authoring(kDraw, false, false, false), true, false},
        ViewRule{"ImportInPlay", cmd::kImportPictures, authoring(kPlay, true, false, false), false, false},
        ViewRule{"MediumStarsOff", cmd::kStarsMedium, ctx(kPlay), true, false},
        ViewRule{"MediumStars", cmd::kStarsMedium, ctx(kPlay, false, DrawTool::MovePoints, 1), true, true},
        ViewRule{"SmallStars", cmd::kStarsSmall, ctx(kPlay, false, DrawTool::MovePoints, 2), true, true},
        ViewRule{"TwoRows", cmd::kStarsTwoRows, ctx(kDraw, false, DrawTool::MovePoints, 3), true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ViewRules, ShowAndFrameCommandsAreNotTheViewsOwn)
{
    for (int32_t id : {cmd::kStartNextPicture, cmd::kFullScreen, cmd::kAbout, cmd::kModeFirst})
        EXPECT_FALSE(viewCommandState(id, ctx(kDraw)).known) << id;
}

// ---------------------------------------------------------------------------
// The command table.

TEST(CommandTable, IdsAreUniqueAndTextsWellFormed)
{
    const auto table = cmd::commandTable();
    for (size_t i = 0; i < table.size(); ++i) {
        for (size_t j = i + 1; j < table.size(); ++j)
            EXPECT_NE(table[i].id, table[j].id);
        EXPECT_FALSE(cmd::isModeCommand(table[i].id));
        // The status bar and the tooltip are split at exactly one line break.
        ASSERT_NE(table[i].statusText, nullptr) << table[i].id;
        const char* nl = std::strchr(table[i].statusText, '\n');
        ASSERT_NE(nl, nullptr) << table[i].id;
        EXPECT_EQ(std::strchr(nl + 1, '\n'), nullptr) << table[i].id;
        EXPECT_NE(nl[1], '\0') << table[i].id;
        EXPECT_EQ(table[i].menu == cmd::Menu::None, table[i].menuText == nullptr) << table[i].id;
        EXPECT_EQ(cmd::findCommand(table[i].id), &table[i]);
    }
    EXPECT_EQ(cmd::findCommand(12345), nullptr);
}

TEST(CommandTable, FunctionKeysAndToolbarAsInTheMenu)
{
    struct { int32_t id; const char* menu; bool toolbar; } rows[] = {
        {cmd::kStartNextPicture, "Starte nächstes Bild\tF5", true},
        {cmd::kUncoverPicture, "Bild aufdecken\tF6", true},
        {cmd::kStopLeft, "Ersten Timer anhalten\tF7", false},
        {cmd::kRightStarDown, "Zweiter Spieler -\tF4", false},
        {cmd::kToolDelete, "Zeichnenmodus löschen\tStrg+A", true},
        {cmd::kUndo, "Rückgängig\tStrg+Z", true},
        {cmd::kRedo, "Wiederherstellen\tStrg+Y", true},
        {cmd::kGenerateCover, "Abdeckung erzeugen…", false},
        {cmd::kImportPictures, "Bilder importieren…", false},
        {cmd::kAssignBuzzers, "Buzzer zuordnen…", false},
    };
    for (const auto& r : rows) {
        const cmd::CommandInfo* c = cmd::findCommand(r.id);
        ASSERT_NE(c, nullptr);
        EXPECT_STREQ(c->menuText, r.menu);
        EXPECT_EQ(c->onToolbar, r.toolbar);
    }
    EXPECT_STREQ(cmd::findCommand(cmd::kToolbarStopLeft)->statusText,
                 "Stopt den ersten Timer.\nErsten Timer anhalten");
}

TEST(CommandTable, ModeSelectorEntries)
{
    EXPECT_STREQ(cmd::modeSelectorText(0), "Spielen");
    EXPECT_STREQ(cmd::modeSelectorText(1), "Zeichnen");
    EXPECT_STREQ(cmd::modeSelectorText(2), "Sortieren");
    EXPECT_STREQ(cmd::modeSelectorText(3), "Polygon 1");
    EXPECT_STREQ(cmd::modeSelectorText(22), "Polygon 20");
    EXPECT_EQ(cmd::modeSelectorText(23), nullptr);
    EXPECT_EQ(cmd::modeSelectorText(-1), nullptr);
}

}  // namespace
}  // namespace gz
