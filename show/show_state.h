// The show fields of the board view: who has buzzed, what each star strip
// shows, the stars, the uncover schedule, the banner and the reveal count.
//
// Threads: `buzzed` and `playerState` are shared with the remote poller's
// thread (it buzzes through ShowEngine::stopPlayer) and are single-byte
// atomics; read them through hasBuzzed()/player(). Every other field is
// used only on the window thread. ShowEngine writes them; the render pass
// owns `drawnRevealCount`, clears `bannerDirty` once the banner is drawn and
// may apply the mode rule (modeRevealCount) to `revealCount` itself.
//
// revealCount: -1 the picture is hidden completely (background fill plus
// all N polygons); k in 0..N the picture is drawn and polygons 0..N-k-1
// still cover it, the last k of the list are gone; N the whole picture.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "game/game_content.h"

namespace gz {

enum class PlayerState : uint8_t {
    Idle = 0,      // nothing to show
    Buzzed = 1,    // this player stopped the uncovering
    TimeOver = 2,  // the picture ran to its end without a stop (both players)
};

// Handed to the view by the main frame when full screen is entered or left.
enum class FullScreenState : int32_t {
    Off = 0,
    FromNormal = 1,      // full screen entered from a normal window
    FromMaximised = 2,   // full screen entered from a maximised window
};

constexpr uint32_t kShowTimerId = 14766;
constexpr uint32_t kShowTimerPeriodMs = 93;
constexpr int kPictureStartAttempts = 10;        // game numbers tried per start
constexpr uint32_t kSwitchTimeDefault = 5000;    // ms
constexpr uint32_t kSwitchTimeMin = 2000;
constexpr uint32_t kSwitchTimeMax = 10000;
constexpr const char* kNoMoreGamesText = "Keine Spiele mehr !";

constexpr int32_t kRevealHidden = -1;       // revealCount: fully covered
constexpr int32_t kRevealForceRedraw = -2;  // drawnRevealCount: redraw the picture area

constexpr int kStarLimitOneRow = 8;    // 0..7 stars
constexpr int kStarLimitTwoRows = 25;  // 0..24 stars, star layout "Zwei Reihen"

// Millisecond tick counts wrap after 49.7 days; elapsed time is always the
// unsigned 32-bit difference, never a comparison of the raw counts.
constexpr uint32_t ticksSince(uint32_t now, uint32_t then) { return now - then; }

constexpr uint32_t clampSwitchTime(uint32_t ms)
{
    return ms < kSwitchTimeMin ? kSwitchTimeMin : (ms > kSwitchTimeMax ? kSwitchTimeMax : ms);
}

struct ShowState {
    int32_t gameRunning = 0;                       // a picture is being uncovered
    std::atomic<uint8_t> buzzed[kPlayerCount] = {};       // by PlayerSide; 0/1
    std::atomic<uint8_t> playerState[kPlayerCount] = {};  // PlayerState values
    uint8_t stars[kPlayerCount] = {};              // 0 .. starLimit-1 (see ShowEngine)
    uint32_t lastStepTick = 0;                     // when the last uncover step fell due
    uint32_t switchTime = kSwitchTimeDefault;      // kept within 2000..10000 ms
    char bannerText[kTextCapacity] = {};           // zero-terminated, at most 255 bytes
    int32_t bannerDirty = 1;                       // the banner must be redrawn
    int32_t drawnRevealCount = kRevealForceRedraw; // owned by the render pass
    int32_t revealCount = kRevealHidden;

    bool hasBuzzed(PlayerSide s) const { return buzzed[sideIndex(s)].load() != 0; }
    bool anyBuzzed() const { return buzzed[0].load() != 0 || buzzed[1].load() != 0; }
    PlayerState player(PlayerSide s) const
    {
        return static_cast<PlayerState>(playerState[sideIndex(s)].load());
    }
    bool anyTimeOver() const
    {
        return player(PlayerSide::Left) == PlayerState::TimeOver ||
               player(PlayerSide::Right) == PlayerState::TimeOver;
    }
    // Copies at most 255 bytes of text into bannerText; sets bannerDirty.
    void setBanner(std::string_view text)
    {
        copyBounded(bannerText, sizeof bannerText, text);
        bannerDirty = 1;
    }
};

// The reveal count that a non-play mode shows: draw mode the whole picture,
// sort mode the hidden picture, preview mode m (3..22) m-3 polygons gone;
// never more than polygonCount. Play mode keeps `current`.
constexpr int32_t modeRevealCount(ViewMode mode, int32_t current, int32_t polygonCount)
{
    if (mode == ViewMode::Play)
        return current;
    int32_t r = mode == ViewMode::Draw ? polygonCount : static_cast<int32_t>(mode) - 3;
    return r > polygonCount ? polygonCount : r;
}

}  // namespace gz
