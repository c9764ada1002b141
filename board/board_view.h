// BoardView: the window-system-free heart of the board view. It owns the
// current game, the show state and engine, the canvas and its renderer, the
// polygon editor, the options and the picture path, and carries out every
// board command after asking its enable rule: a disabled command never runs,
// whatever its source. The Qt widget feeds it sizes, mouse and key events,
// the 93 ms timer and commands, and paints its back buffer.
//
// Options are read from the settings when the view is constructed and
// written back when it is destroyed. The buzzer buttons are read at
// construction too, but written only when "Buzzer zuordnen" ends with OK.
//
// Zoom: in draw and sort mode, and not in full screen, Ctrl+wheel over the
// picture area zooms around the cursor and a middle-button drag pans
// (board/zoom_control.h); other wheel and middle-button events go to the
// editor as ever, and a pan never touches an editor gesture. The zoom
// goes back to the fit when another game is loaded or a new one made, in
// play and preview mode and on entering full screen; it stays across
// draw/sort switches, saves and resizes (bounded to the new size).
//
// Before the first picture of a run starts, the empty banner shows the
// newcomer's hint (kNewcomerHint); from the first start of a picture on (F5,
// or a mode that starts one) the banner shows what the show sets, and the
// hint never comes back in that run.
//
// "Neu" and "Bilder importieren" ask the store whether the picture path
// takes new files before anything else; saving does as well (GameStore).
//
// The game the next picture start will load is read ahead in the
// background (GameReadAhead, which the store reads its pictures through):
// from the window's creation on, and again whenever a command, a new
// picture path or a new game changes which game that is.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "board/board_canvas.h"
#include "board/board_renderer.h"
#include "board/edit_history.h"
#include "board/polygon_editor.h"
#include "board/view_platform.h"
#include "board/zoom_control.h"
#include "game/file_system.h"
#include "game/game_content.h"
#include "game/game_read_ahead.h"
#include "game/game_store.h"
#include "game/picture_files.h"
#include "shell/settings_store.h"
#include "shell/settings_values.h"
#include "show/command_rules.h"
#include "show/show_engine.h"
#include "show/show_state.h"

namespace gz {

// What to do first, shown before the first picture of a run (UTF-8).
constexpr const char* kNewcomerHint = "F5: erstes Bild starten · F7/F8: Buzzer · F1–F4: Sterne · F10: Vollbild";

class BoardView final : private GameStore, private BoardHooks {
public:
    // sound may be null (no sound); clock must outlive the view.
    BoardView(SettingsBackend& settings, ViewPlatform& platform, ShowClock& clock, SoundCues* sound,
              FileSystem* fs = nullptr, PictureFiles* pictures = nullptr);
    ~BoardView();   // writes the options
    BoardView(const BoardView&) = delete;
    BoardView& operator=(const BoardView&) = delete;

    // Window created: the picture-path check (posts "Bilderpfad
    // einstellen" when PicPath is not a folder). The star images and the
    // stored star layout are in place from construction on.
    void created();
    // Window going away: ends an edit gesture, saves after asking.
    void closing();

    bool isEnabled(int32_t id) const;
    bool isChecked(int32_t id) const;
    // Runs the command when its rule allows; false for unknown ids.
    bool execute(int32_t id);

    void tick();                          // the ShowTimer
    void resize(int width, int height);   // the size handler
    // A mouse message of the canvas: zoom and pan first, the rest as below.
    void mouse(const BoardMouseEvent& event);
    // Board pixels; a press outside the board ends a held gesture.
    void mouse(MouseKind kind, int x, int y);
    bool keyDown(EditorKey key);
    // The window title's game part while a game is edited or previewed,
    // "Game007 – Zeichnen" (UTF-8); empty in play mode.
    std::string editingTitle() const;
    void paintOverlay(OverlayPainter& painter);
    void setZoomState(FullScreenState state, ScreenRect viewScreenRect);
    // Command-line path: the old path is remembered for the chooser.
    void setPicturePath(const std::string& path);
    // No picture has been started in this run yet: the hint is shown.
    bool newcomerHint() const { return newcomerHint_; }

    const std::string& picturePath() const { return options_.picPath; }
    const std::string& rememberedPicturePath() const { return rememberedPath_; }
    const ViewSettings& options() const { return options_; }
    // The stored buzzer buttons (keyboard and input devices).
    const BuzzerMapping& buzzerMapping() const { return buzzers_; }
    GameContent& game() { return game_; }
    ShowState& show() { return show_; }
    ShowEngine& engine() { return engine_; }
    BoardCanvas& canvas() { return canvas_; }
    BoardRenderer& renderer() { return renderer_; }
    PolygonEditor& editor() { return editor_; }
    const PictureZoom& pictureZoom() const { return zoom_.zoom(); }
    GameFolderStore& store() { return store_; }
    GameReadAhead& readAhead() { return readAhead_; }
    const EditHistory& history() const { return history_; }

private:
    // GameStore for the engine
    bool load(int32_t gameNumber, GameContent& content) override;
    void save(bool ask, GameContent& content) override;
    // BoardHooks for the engine
    void renderTick() override;
    void requestFullRedraw() override;
    void repaintView() override;

    bool runCommand(int32_t id);
    bool pictureZoomAllowed() const;
    // Zoom and pan events; true when the event was theirs alone.
    bool zoomMouse(const BoardMouseEvent& event);
    // Shows the control's zoom: mapping, point list, picture area, repaint.
    void showPictureZoom();
    // Back to the fit (shown at the next render pass).
    void resetPictureZoom();
    // Points the read-ahead at the game after the current one in the
    // current library, unless it is there already (or `restart`).
    void aimReadAhead(bool restart = false);
    ViewCommandContext commandContext() const;
    void setStarSize(int32_t option);
    void choosePicturePath();
    // Trims and takes an entered picture path; refuses one the settings
    // could not keep, with an error box.
    bool takePicturePath(const std::string& entered);
    void chooseSwitchTime();
    void chooseNextGameNumber();
    void chooseComPort();
    void assignBuzzers();
    void newPicture();
    void generateCoverForGame();
    // Undo (back) or redo a step of the cover's history.
    void stepHistory(bool back);
    // An edit that is complete (no gesture holds the mouse) becomes a step.
    void recordEdit();
    // The banner shows the open game's question while it is edited; the
    // play-mode text comes back with play mode.
    void followModeWithBanner(ViewMode before);
    void redrawAll();
    // Ends the hint once a picture has started (or a start found no game).
    void followFirstGame();
    // "Bilder importieren": new games from many picture files, after the
    // game on the board; that game stays as it is (edits and all), and its
    // number is never given away.
    void importPictures();

    SettingsBackend& settings_;
    ViewPlatform& platform_;
    ShowClock& clock_;
    std::unique_ptr<FileSystem> ownFs_;
    std::unique_ptr<PictureFiles> ownPictures_;
    PictureFiles* pictureFiles_;   // the codecs under the read-ahead, for other threads
    GameReadAhead readAhead_;
    GameFolderStore store_;
    ViewSettings options_;
    BuzzerMapping buzzers_;
    std::string rememberedPath_;
    GameContent game_;
    ShowState show_;
    ShowEngine engine_;
    BoardCanvas canvas_;
    BoardRenderer renderer_;
    PolygonEditor editor_;
    EditHistory history_;
    int32_t coverPieces_;   // the last count asked for, for this run
    uint64_t coverSeed_;
    std::string playBanner_;
    int32_t playBannerGame_ = -1;
    ZoomControl zoom_;
    bool newcomerHint_ = true;
};

// The title part of editingTitle() for a game number (0: none) and a mode.
std::string editingWindowTitle(int32_t gameNumber, ViewMode mode);

}  // namespace gz
