#include "show/control_panel.h"

#include <cstring>

#include "show/command_ids.h"

namespace gz {

int32_t controlCommandId(ControlCommand c)
{
    switch (c) {
    case ControlCommand::Start: return cmd::kStartNextPicture;
    case ControlCommand::Uncover: return cmd::kUncoverPicture;
    case ControlCommand::LeftStarUp: return cmd::kLeftStarUp;
    case ControlCommand::LeftStarDown: return cmd::kLeftStarDown;
    case ControlCommand::RightStarUp: return cmd::kRightStarUp;
    case ControlCommand::RightStarDown: return cmd::kRightStarDown;
    case ControlCommand::StopLeft: return cmd::kStopLeft;
    case ControlCommand::StopRight: return cmd::kStopRight;
    }
    return 0;
}

ControlPanelState takeControlPanelState(const ShowEngine& engine, uint32_t now, const NextGame& next)
{
    const ShowState& show = engine.state();
    const GameContent& game = engine.content();
    ControlPanelState s;
    s.gameNumber = game.gameNumber;
    s.question = game.question;
    s.answer = game.answer;
    s.running = show.gameRunning != 0;
    // The banner is the audience's only text: once it holds the answer, they see it.
    s.answerShown = !s.running && game.answer[0] != '\0' && std::strcmp(show.bannerText, game.answer) == 0;
    s.polygonCount = game.polygonCount;
    s.revealCount = show.revealCount;
    const int32_t gone = show.revealCount < 0 ? 0 : show.revealCount;
    s.polygonsLeft = gone >= game.polygonCount ? 0 : game.polygonCount - gone;
    s.stepLength = show.switchTime;
    // The countdown runs only while the engine would step: a buzz freezes it.
    if (s.running && engine.viewMode() == ViewMode::Play && !show.anyBuzzed()) {
        const uint32_t elapsed = ticksSince(now, show.lastStepTick);
        s.msToNextStep = elapsed >= show.switchTime ? 0 : show.switchTime - elapsed;
    }
    for (int i = 0; i < kPlayerCount; ++i) {
        s.stars[i] = show.stars[i];
        s.players[i] = show.player(static_cast<PlayerSide>(i));
    }
    // Side first: the poller writes the tick before the side.
    const int32_t side = engine.firstBuzzSide();
    if (side >= 0 && side < kPlayerCount) {
        s.firstBuzzer = side;
        s.buzzAfterMs = ticksSince(engine.buzzTick(), engine.pictureStartTick());
    }
    s.next = next;
    for (int i = 0; i < kControlCommandCount; ++i)
        s.enabled[i] = engine.isEnabled(controlCommandId(static_cast<ControlCommand>(i)));
    return s;
}

uint32_t diffControlPanel(const ControlPanelState& a, const ControlPanelState& b)
{
    uint32_t d = 0;
    if (a.gameNumber != b.gameNumber || a.question != b.question)
        d |= kFieldGame;
    if (a.answer != b.answer || a.answerShown != b.answerShown)
        d |= kFieldAnswer;
    if (a.polygonCount != b.polygonCount || a.polygonsLeft != b.polygonsLeft ||
        a.revealCount != b.revealCount)
        d |= kFieldCover;
    if (a.running != b.running || a.msToNextStep != b.msToNextStep || a.stepLength != b.stepLength)
        d |= kFieldCountdown;
    if (a.stars != b.stars)
        d |= kFieldStars;
    if (a.players != b.players || a.firstBuzzer != b.firstBuzzer || a.buzzAfterMs != b.buzzAfterMs)
        d |= kFieldPlayers;
    if (a.next != b.next)
        d |= kFieldNext;
    if (a.enabled != b.enabled)
        d |= kFieldCommands;
    return d;
}

NextGame findNextGame(NextGameLookup& lookup, int32_t current)
{
    NextGame next;
    for (int attempt = 1; attempt <= kPictureStartAttempts; ++attempt) {
        std::string q;
        if (lookup.question(current + attempt, q)) {
            next.number = current + attempt;
            next.question = std::move(q);
            break;
        }
    }
    return next;
}

ControlPanelModel::ControlPanelModel(const ShowEngine& engine, ShowClock& clock, NextGameLookup* lookup)
    : engine_(engine), clock_(clock), lookup_(lookup)
{
}

uint32_t ControlPanelModel::update()
{
    const int32_t current = engine_.content().gameNumber;
    if (lookup_ && current != nextFor_) {
        next_ = findNextGame(*lookup_, current);
        nextFor_ = current;
    }
    ControlPanelState now = takeControlPanelState(engine_, clock_.nowMs(), next_);
    const uint32_t changed = first_ ? kFieldAll : diffControlPanel(state_, now);
    first_ = false;
    state_ = std::move(now);
    return changed;
}

}  // namespace gz
