// What the game master's control window shows, as a plain snapshot of the
// show: the open game with its answer (which the audience may not see yet),
// the uncover countdown, both players, the game that "Starte nächstes Bild"
// would load, and which of the game master's commands are enabled now.
//
// takeControlPanelState() reads the engine on the window thread; the buzz
// record it reads is written by the poller thread and is read atomically.
// diffControlPanel() tells which fields changed, so the window redraws only
// those. The next game is found through NextGameLookup, which reads only a
// game's question (the picture is the read-ahead's job); ControlPanelModel
// asks it again only when the open game's number changes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "show/show_engine.h"

namespace gz {

// Reads the question of game `number` when that game exists and would
// load; false otherwise.
class NextGameLookup {
public:
    virtual ~NextGameLookup() = default;
    virtual bool question(int32_t number, std::string& out) = 0;
};

// The commands the control window offers, in button order.
enum class ControlCommand : uint8_t {
    Start, Uncover, LeftStarUp, LeftStarDown, RightStarUp, RightStarDown, StopLeft, StopRight,
};
constexpr int kControlCommandCount = 8;
int32_t controlCommandId(ControlCommand c);

struct NextGame {
    int32_t number = 0;  // 0: no game follows
    std::string question;
    bool operator==(const NextGame&) const = default;
};

struct ControlPanelState {
    int32_t gameNumber = 0;      // 0: no game opened yet
    std::string question;
    std::string answer;
    bool answerShown = false;    // the audience's banner shows the answer
    bool running = false;        // the picture is being uncovered
    int32_t polygonCount = 0;
    int32_t polygonsLeft = 0;    // cover polygons still on the picture
    int32_t revealCount = kRevealHidden;
    uint32_t msToNextStep = 0;   // 0 when no step is due (stopped, not running)
    uint32_t stepLength = 0;     // the switching time, the countdown bar's full length
    std::array<int32_t, kPlayerCount> stars{};
    std::array<PlayerState, kPlayerCount> players{};
    int32_t firstBuzzer = -1;    // side index of the first stop since the start
    uint32_t buzzAfterMs = 0;    // that stop, ms after the picture started
    NextGame next;
    std::array<bool, kControlCommandCount> enabled{};

    bool operator==(const ControlPanelState&) const = default;
};

// One bit per group of fields that one widget shows.
enum ControlField : uint32_t {
    kFieldGame = 1u << 0,       // gameNumber, question
    kFieldAnswer = 1u << 1,     // answer, answerShown
    kFieldCover = 1u << 2,      // polygonCount, polygonsLeft, revealCount
    kFieldCountdown = 1u << 3,  // running, msToNextStep, stepLength
    kFieldStars = 1u << 4,
    kFieldPlayers = 1u << 5,    // players, firstBuzzer, buzzAfterMs
    kFieldNext = 1u << 6,
    kFieldCommands = 1u << 7,
    kFieldAll = (1u << 8) - 1,
};

// `now` is the show clock's tick; `next` is the game that follows.
ControlPanelState takeControlPanelState(const ShowEngine& engine, uint32_t now, const NextGame& next);
uint32_t diffControlPanel(const ControlPanelState& before, const ControlPanelState& after);

// The first of the games a start would try (the next kPictureStartAttempts
// numbers after `current`) whose question the lookup can read.
NextGame findNextGame(NextGameLookup& lookup, int32_t current);

// Keeps the last snapshot and the next game: update() returns the fields
// that changed since the previous call (all of them the first time).
class ControlPanelModel {
public:
    ControlPanelModel(const ShowEngine& engine, ShowClock& clock, NextGameLookup* lookup);
    uint32_t update();
    const ControlPanelState& state() const { return state_; }
    // The library changed under the same game number (say, a game was added).
    void forgetNextGame() { nextFor_ = -1; }

private:
    const ShowEngine& engine_;
    ShowClock& clock_;
    NextGameLookup* lookup_;
    ControlPanelState state_;
    NextGame next_;
    int32_t nextFor_ = -1;  // the game number next_ was looked up for
    bool first_ = true;
};

}  // namespace gz
