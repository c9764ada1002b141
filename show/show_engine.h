// The show engine: one picture after the other on the 93 ms ShowTimer.
// The game master starts a picture, its cover polygons vanish one per
// switchTime from the end of the list with a "TICK", the first player to
// buzz freezes the uncovering, and the picture ends when it is uncovered
// (command or time over). Stars are the players' score.
//
// The engine works on a ShowState and a GameContent owned by the board view
// and reaches everything else through ShowHost. All operations run on the
// window thread, except stopPlayer, which the remote poller may call from
// its thread at any time: of two nearly simultaneous stops exactly one wins.
// Commands arrive as identifiers (show/command_ids.h); runCommand asks the
// enable rule first, so a disabled command never runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "game/game_content.h"
#include "show/show_host.h"
#include "show/show_state.h"

namespace gz {

class ShowEngine final : public BuzzerTarget {
public:
    // `host.clock` must be set; the other host parts may be null.
    ShowEngine(ShowState& state, GameContent& content, const ShowHost& host);
    ShowEngine(const ShowEngine&) = delete;
    ShowEngine& operator=(const ShowEngine&) = delete;

    ShowState& state() { return state_; }
    const ShowState& state() const { return state_; }
    const GameContent& content() const { return content_; }

    // Timer handler. Returns false when timerId is not the ShowTimer (the
    // caller hands it to the default handling). Does nothing while the view
    // is unsized or a tick is already running; does at most one uncover step.
    bool showTick(uint32_t timerId = kShowTimerId);

    // Saves a modified game (asking), then tries the next 10 game numbers;
    // the first that loads starts hidden with its question in the banner.
    // Refused while a picture runs or a strip shows TimeOver, and when the
    // save failed (the game and its edits stay).
    void startNextPicture();
    // Whole picture, answer in the banner, music paused, strips Idle.
    void uncoverPicture();
    // A player's buzz: refused when the other player has buzzed already;
    // pauses the music, marks the side Buzzed and rings its chime. Does not
    // look at gameRunning; a repeated stop of the same side rings again.
    // Thread-safe against itself and against the window thread.
    void stopPlayer(PlayerSide side) override;
    // delta +1 or -1; the count wraps modulo starLimit.
    void changeStars(PlayerSide side, int delta);
    // Mode selector command 16000 + mode (mode 0..22).
    void selectViewMode(int32_t commandId);

    // Main frame: full screen entered or left; viewScreenRect is the view
    // window's rectangle in screen coordinates (stored with its right edge
    // one pixel further left, for cursor parking).
    void setZoomState(FullScreenState zoom, ScreenRect viewScreenRect);
    // Size handler: ignored when either size is 0; otherwise stores them
    // and asks for a full redraw.
    void setViewSize(int32_t width, int32_t height);
    // From the board layout: 8, or 25 with two star rows. Counts are kept.
    void setStarLimit(int32_t limit);
    // Stored clamped to 2000..10000 ms.
    void setSwitchTime(uint32_t ms);
    // "Nächste Spielnummer" confirmed with `entered`: n = entered, less 1 in
    // play mode; ignored unless 0 <= n <= 999 and n differs from gameNumber.
    // Otherwise saves (asking; a failed save ends it here) and sets
    // gameNumber = n; outside play mode
    // game n is loaded at once, in play mode the next start loads n + 1.
    void setNextGameNumber(int32_t entered);
    // The view window goes away: a modified game is saved after asking.
    void viewDestroyed();

    // Enable rule of a command id; false for ids the engine does not handle.
    bool isEnabled(int32_t commandId) const;
    // Runs an engine command if its enable rule allows it. Returns true when
    // the id belongs to the engine (run or refused), false for other ids.
    bool runCommand(int32_t commandId);

    ViewMode viewMode() const { return viewMode_; }
    int32_t starLimit() const { return starLimit_; }
    int32_t viewWidth() const { return width_; }
    int32_t viewHeight() const { return height_; }
    FullScreenState zoomState() const { return zoom_; }
    ScreenRect parkingRect() const { return parkRect_; }
    // Clock ticks of the last picture start and of the first stop that won
    // since then (kNoTick while nobody has), and that stop's side (-1 none),
    // for the game master's view of how fast a player was. They outlive the
    // uncovering, which clears the strips, until the next start. Written on
    // the poller thread: read the side first, then the tick.
    static constexpr uint32_t kNoTick = 0xffffffffu;
    uint32_t pictureStartTick() const { return pictureStartTick_.load(); }
    uint32_t buzzTick() const { return buzzTick_.load(); }
    int32_t firstBuzzSide() const { return firstBuzzSide_.load(); }

private:
    void tickBody();
    // Saves a modified game (asking); false when the write failed.
    bool saveBeforeLeaving();
    // Answer in the banner, whole picture, not running; no cue, no players.
    void uncoverFields();
    void setPlayers(PlayerState both);  // clears buzzed; caller holds stopLock_
    // Cover complete and picture redraw forced first, so a failed load
    // leaves the board hidden too.
    bool loadGame(int32_t gameNumber);
    void pauseMusic();
    void resumeMusic();
    void playEffect(const char* name);
    uint32_t now() { return host_.clock->nowMs(); }

    ShowState& state_;
    GameContent& content_;
    ShowHost host_;
    std::mutex stopLock_;  // makes "the other has not buzzed -> I buzz" one step
    bool tickRunning_ = false;
    ViewMode viewMode_ = ViewMode::Play;
    int32_t starLimit_ = kStarLimitOneRow;
    int32_t width_ = 0;
    int32_t height_ = 0;
    FullScreenState zoom_ = FullScreenState::Off;
    ScreenRect parkRect_;
    std::atomic<uint32_t> pictureStartTick_{0};
    std::atomic<uint32_t> buzzTick_{kNoTick};
    std::atomic<int32_t> firstBuzzSide_{-1};
};

}  // namespace gz
