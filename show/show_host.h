// What the show engine needs from the rest of the program, as small
// interfaces the board view implements (tests use fakes). A null pointer
// in ShowHost stands for a silent stand-in: no sound, no render, no cursor.
#pragma once

#include <cstdint>

#include "game/game_content.h"

namespace gz {

// Sound resource names.
constexpr const char* kEffectTick = "TICK";      // every uncover step
constexpr const char* kEffectCling1 = "CLING1";  // left player buzzes
constexpr const char* kEffectCling2 = "CLING2";  // right player buzzes
constexpr const char* kMusicTrack = "ZINKO";     // music while uncovering

// Millisecond tick count of the system; wraps at 2^32.
class ShowClock {
public:
    virtual ~ShowClock() = default;
    virtual uint32_t nowMs() = 0;
};

// The game folder store, acting on the view's GameContent.
class GameStore {
public:
    virtual ~GameStore() = default;
    // Reads game n into `content` (picture, question, answer, polygons);
    // sets polygonCount (0 on failure) and clears `modified`, leaves
    // gameNumber alone. Returns whether the game could be read.
    virtual bool load(int32_t gameNumber, GameContent& content) = 0;
    // Writes a modified game back (after asking when `ask`), and clears
    // `modified` whatever the answer.
    virtual void save(bool ask, GameContent& content) = 0;
};

// The four sound cues. All of them may be called from the window thread
// and from the remote poller's thread, and must return at once.
class SoundCues {
public:
    virtual ~SoundCues() = default;
    virtual void playEffect(const char* name) = 0;  // kEffectTick, kEffectCling1/2
    virtual void pauseMusic() = 0;
    virtual void resumeMusic() = 0;
    // Rewinds the music to the start of the track; the caller then
    // pauses or resumes it.
    virtual void restartMusic() = 0;
};

// The board view's drawing, on the window thread.
class BoardHooks {
public:
    virtual ~BoardHooks() = default;
    virtual void renderTick() = 0;         // draw whatever changed since the last pass
    virtual void requestFullRedraw() = 0;  // star cells, frame, picture, banner
    virtual void repaintView() = 0;        // repaint the whole view window now
};

struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// Inclusive-exclusive screen rectangle: left <= x < right, top <= y < bottom.
struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool contains(ScreenPoint p) const
    {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The mouse cursor, for parking it off the board in full screen.
class PointerControl {
public:
    virtual ~PointerControl() = default;
    virtual bool cursorPos(ScreenPoint& out) = 0;  // false when unknown
    virtual void setCursorPos(ScreenPoint p) = 0;
};

// What a buzzer needs: ShowEngine implements it; the remote poller calls it
// from its own thread.
class BuzzerTarget {
public:
    virtual ~BuzzerTarget() = default;
    virtual void stopPlayer(PlayerSide side) = 0;
};

struct ShowHost {
    ShowClock* clock = nullptr;        // required
    GameStore* store = nullptr;        // null: no game can be loaded, nothing is saved
    SoundCues* sound = nullptr;
    BoardHooks* board = nullptr;
    PointerControl* pointer = nullptr;
};

}  // namespace gz
