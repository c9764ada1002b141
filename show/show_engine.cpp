#include "show/show_engine.h"

#include <cstring>

#include "show/command_ids.h"
#include "show/command_rules.h"

namespace gz {
namespace {

constexpr int32_t kMaxGameNumber = 999;

bool validSide(PlayerSide side)
{
    return side == PlayerSide::Left || side == PlayerSide::Right;
}

}  // namespace

ShowEngine::ShowEngine(ShowState& state, GameContent& content, const ShowHost& host)
    : state_(state), content_(content), host_(host)
{
    state_.switchTime = clampSwitchTime(state_.switchTime);
}

bool ShowEngine::showTick(uint32_t timerId)
{
    if (timerId != kShowTimerId)
        return false;
    if (width_ == 0 || height_ == 0 || tickRunning_)
        return true;
    tickRunning_ = true;
    tickBody();
    tickRunning_ = false;
    return true;
}

void ShowEngine::tickBody()
{
    // In full screen from a maximised window the cursor is parked just off
    // the board's right edge, so it never hangs over the audience's picture.
    if (zoom_ == FullScreenState::FromMaximised && viewMode_ == ViewMode::Play && host_.pointer) {
        ScreenPoint p;
        if (host_.pointer->cursorPos(p) && parkRect_.contains(p))
            host_.pointer->setCursorPos({parkRect_.right, parkRect_.bottom - 1});
    }

    const uint32_t t = now();
    if (viewMode_ == ViewMode::Play && state_.gameRunning &&
        ticksSince(t, state_.lastStepTick) >= state_.switchTime) {
        bool ticked = false;
        bool timeOver = false;
        {
            // Decided under the stop lock: a buzz that got in first freezes
            // this step, and one that comes later cannot be wiped out by the
            // time-over reset of the strips.
            std::lock_guard<std::mutex> lock(stopLock_);
            if (!state_.anyBuzzed()) {
                if (state_.revealCount < content_.polygonCount) {
                    ++state_.revealCount;
                    ticked = true;
                } else {
                    uncoverFields();
                    setPlayers(PlayerState::TimeOver);
                    timeOver = true;
                }
                // Fixed cadence: after a stall the missed steps follow one per tick.
                state_.lastStepTick += state_.switchTime;
            }
        }
        if (ticked)
            playEffect(kEffectTick);
        if (timeOver)
            pauseMusic();
    }

    state_.revealCount = modeRevealCount(viewMode_, state_.revealCount, content_.polygonCount);
    if (host_.board)
        host_.board->renderTick();
}

bool ShowEngine::loadGame(int32_t gameNumber)
{
    state_.revealCount = kRevealHidden;
    state_.drawnRevealCount = kRevealForceRedraw;
    return host_.store && host_.store->load(gameNumber, content_);
}

void ShowEngine::startNextPicture()
{
    if (state_.gameRunning || state_.anyTimeOver())
        return;
    // The last picture's buzz is over, even when no game follows.
    firstBuzzSide_.store(-1);
    buzzTick_.store(kNoTick);
    for (int attempt = 0; attempt < kPictureStartAttempts; ++attempt) {
        if (!saveBeforeLeaving())
            return;
        ++content_.gameNumber;
        if (!loadGame(content_.gameNumber))
            continue;
        state_.setBanner(content_.question);
        state_.lastStepTick = now();
        pictureStartTick_.store(state_.lastStepTick);
        state_.gameRunning = 1;
        state_.drawnRevealCount = kRevealForceRedraw;
        state_.revealCount = kRevealHidden;
        if (content_.gameNumber > 1 && host_.sound)
            host_.sound->restartMusic();
        if (viewMode_ == ViewMode::Play)
            resumeMusic();
        else
            pauseMusic();
        return;
    }
    content_.setQuestion(kNoMoreGamesText);
    content_.setAnswer(kNoMoreGamesText);
    state_.setBanner(kNoMoreGamesText);
}

void ShowEngine::uncoverFields()
{
    if (std::strcmp(state_.bannerText, content_.answer) != 0)
        state_.setBanner(content_.answer);
    state_.gameRunning = 0;
    state_.revealCount = content_.polygonCount;
}

void ShowEngine::setPlayers(PlayerState both)
{
    for (int i = 0; i < kPlayerCount; ++i) {
        state_.buzzed[i].store(0);
        state_.playerState[i].store(static_cast<uint8_t>(both));
    }
}

void ShowEngine::uncoverPicture()
{
    pauseMusic();
    uncoverFields();
    std::lock_guard<std::mutex> lock(stopLock_);
    setPlayers(PlayerState::Idle);
}

void ShowEngine::stopPlayer(PlayerSide side)
{
    if (!validSide(side))
        return;
    const int me = sideIndex(side);
    {
        std::lock_guard<std::mutex> lock(stopLock_);
        if (state_.buzzed[1 - me].load())
            return;  // only the first player to buzz counts
        // Tick before side, so whoever sees the side also sees the tick;
        // repeated or late stops keep the first one's record.
        if (firstBuzzSide_.load() < 0) {
            buzzTick_.store(now());
            firstBuzzSide_.store(me);
        }
        state_.buzzed[me].store(1);
        state_.playerState[me].store(static_cast<uint8_t>(PlayerState::Buzzed));
    }
    pauseMusic();
    playEffect(side == PlayerSide::Left ? kEffectCling1 : kEffectCling2);
}

void ShowEngine::changeStars(PlayerSide side, int delta)
{
    if (!validSide(side) || (delta != 1 && delta != -1))
        return;
    const uint32_t limit = static_cast<uint32_t>(starLimit_);
    uint8_t& s = state_.stars[sideIndex(side)];
    const uint32_t next = delta > 0 ? (s + 1u) % limit : (s + limit - 1u) % limit;
    s = static_cast<uint8_t>(next);
}

void ShowEngine::selectViewMode(int32_t commandId)
{
    if (!cmd::isModeCommand(commandId))
        return;
    const auto mode = static_cast<ViewMode>(commandId - cmd::kModeFirst);
    if (mode == viewMode_)
        return;
    const ViewMode old = viewMode_;
    viewMode_ = mode;
    if (mode == ViewMode::Play)
        resumeMusic();
    else
        pauseMusic();
    state_.lastStepTick = now();
    showTick(kShowTimerId);
    if (mode == ViewMode::Play)
        state_.revealCount = kRevealHidden;
    if ((old == ViewMode::Draw || mode == ViewMode::Draw) && host_.board)
        host_.board->repaintView();
    if (content_.gameNumber == 0 && mode != ViewMode::Play)
        startNextPicture();
}

void ShowEngine::setZoomState(FullScreenState zoom, ScreenRect viewScreenRect)
{
    zoom_ = zoom;
    parkRect_ = viewScreenRect;
    parkRect_.right -= 1;
}

void ShowEngine::setViewSize(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return;
    width_ = width;
    height_ = height;
    state_.drawnRevealCount = kRevealForceRedraw;
    state_.bannerDirty = 1;
    if (host_.board)
        host_.board->requestFullRedraw();
}

void ShowEngine::setStarLimit(int32_t limit)
{
    // The counts are bytes; a limit of 0 would leave the modulus undefined.
    if (limit >= 1 && limit <= 256)
        starLimit_ = limit;
}

void ShowEngine::setSwitchTime(uint32_t ms) { state_.switchTime = clampSwitchTime(ms); }

void ShowEngine::setNextGameNumber(int32_t entered)
{
    const int64_t n = static_cast<int64_t>(entered) - (viewMode_ == ViewMode::Play ? 1 : 0);
    if (n < 0 || n > kMaxGameNumber || n == content_.gameNumber)
        return;
    if (!saveBeforeLeaving())
        return;
    content_.gameNumber = static_cast<int32_t>(n);
    if (viewMode_ != ViewMode::Play)
        loadGame(content_.gameNumber);
}

bool ShowEngine::saveBeforeLeaving()
{
    if (!host_.store)
        return true;
    host_.store->save(true, content_);
    // Still modified only when the write failed (the store has said so):
    // staying on the game keeps the edits instead of loading over them.
    return !content_.modified;
}

void ShowEngine::viewDestroyed()
{
    if (host_.store)
        host_.store->save(true, content_);
}

bool ShowEngine::isEnabled(int32_t commandId) const
{
    return isShowCommand(commandId) && showCommandEnabled(commandId, state_);
}

bool ShowEngine::runCommand(int32_t commandId)
{
    if (!isShowCommand(commandId))
        return false;
    if (!showCommandEnabled(commandId, state_))
        return true;
    switch (commandId) {
    case cmd::kLeftStarUp: changeStars(PlayerSide::Left, +1); break;
    case cmd::kRightStarUp: changeStars(PlayerSide::Right, +1); break;
    case cmd::kLeftStarDown: changeStars(PlayerSide::Left, -1); break;
    case cmd::kRightStarDown: changeStars(PlayerSide::Right, -1); break;
    case cmd::kStartNextPicture: startNextPicture(); break;
    case cmd::kUncoverPicture: uncoverPicture(); break;
    case cmd::kStopLeft:
    case cmd::kToolbarStopLeft: stopPlayer(PlayerSide::Left); break;
    case cmd::kStopRight:
    case cmd::kToolbarStopRight: stopPlayer(PlayerSide::Right); break;
    default: selectViewMode(commandId); break;
    }
    return true;
}

void ShowEngine::pauseMusic()
{
    if (host_.sound)
        host_.sound->pauseMusic();
}

void ShowEngine::resumeMusic()
{
    if (host_.sound)
        host_.sound->resumeMusic();
}

void ShowEngine::playEffect(const char* name)
{
    if (host_.sound)
        host_.sound->playEffect(name);
}

}  // namespace gz
