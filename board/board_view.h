// BoardView: the window-system-free heart of the board view. It owns the
// current game, the show state and engine, the canvas and its renderer, the
// polygon editor, the options and the picture path, and carries out every
// board command after asking its enable rule: a disabled command never runs,
// whatever its source. The Qt widget feeds it sizes, mouse and key events,
// the 93 ms timer and commands, and paints its back buffer.
//
// Options are read from the settings when the view is constructed and
// written back when it is destroyed.
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
#include "board/polygon_editor.h"
#include "board/view_platform.h"
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
    // Board pixels; a press outside the board ends a held gesture.
    void mouse(MouseKind kind, int x, int y);
    bool keyDown(EditorKey key);
    void paintOverlay(OverlayPainter& painter);
    void setZoomState(FullScreenState state, ScreenRect viewScreenRect);
    // Command-line path: the old path is remembered for the chooser.
    void setPicturePath(const std::string& path);

    const std::string& picturePath() const { return options_.picPath; }
    const std::string& rememberedPicturePath() const { return rememberedPath_; }
    const ViewSettings& options() const { return options_; }
    GameContent& game() { return game_; }
    ShowState& show() { return show_; }
    ShowEngine& engine() { return engine_; }
    BoardCanvas& canvas() { return canvas_; }
    BoardRenderer& renderer() { return renderer_; }
    PolygonEditor& editor() { return editor_; }
    GameFolderStore& store() { return store_; }
    GameReadAhead& readAhead() { return readAhead_; }

private:
    // GameStore for the engine
    bool load(int32_t gameNumber, GameContent& content) override;
    void save(bool ask, GameContent& content) override;
    // BoardHooks for the engine
    void renderTick() override;
    void requestFullRedraw() override;
    void repaintView() override;

    bool runCommand(int32_t id);
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
    void newPicture();
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
    std::string rememberedPath_;
    GameContent game_;
    ShowState show_;
    ShowEngine engine_;
    BoardCanvas canvas_;
    BoardRenderer renderer_;
    PolygonEditor editor_;
};

}  // namespace gz
