#include "board/board_view.h"

#include <cstdio>
#include <cstring>
#include <random>
#include <algorithm>
#include <utility>

#include "board/sort_mode.h"
#include "game/cover_generator.h"
#include "game/cp1252.h"
#include "show/com_port_choice.h"
#include "show/command_ids.h"
#include "show/command_rules.h"

namespace gz {

namespace {

// Titles and prompts of the view's dialogs (UTF-8 for the window system).
constexpr const char* kPicturePathTitle = "Pfad mit Bildern";
constexpr const char* kSwitchTimeTitle = "Schaltzeit einstellen";
constexpr const char* kSwitchTimePrompt = "Weiterschaltzeit in Millisekunden (2000...10000) :";
constexpr const char* kNextGameTitle = "Nächstes Spiel";
constexpr const char* kNextGamePrompt = "Bitte hier die Spielnummer eingeben :";
constexpr const char* kCoverTitle = "Abdeckung erzeugen";
constexpr const char* kCoverPrompt = "Anzahl der Polygone (2...32) :";
// Message boxes take Windows-1252 text.
constexpr const char* kCoverCountWrong = "Die Anzahl der Polygone ist falsch (2..32) !";
constexpr const char* kCoverReplaceQuestion =
    "Die vorhandenen Polygone werden ersetzt.\nSollen sie ersetzt werden ?";
constexpr const char* kPicturePathTooLong = "Der Bilderpfad ist zu lang (h\xF6" "chstens 4095 Bytes) !";

FileSystem* orOwn(FileSystem* given, std::unique_ptr<FileSystem>& own)
{
    if (given)
        return given;
    own = std::make_unique<PosixFileSystem>();
    return own.get();
}

PictureFiles* orOwn(PictureFiles* given, std::unique_ptr<PictureFiles>& own)
{
    if (given)
        return given;
    own = std::make_unique<ImageFilePictures>();
    return own.get();
}

int32_t starSizeOf(int32_t id)
{
    switch (id) {
    case cmd::kStarsLarge: return 0;
    case cmd::kStarsMedium: return 1;
    case cmd::kStarsSmall: return 2;
    case cmd::kStarsTwoRows: return 3;
    default: return -1;
    }
}

}  // namespace

BoardView::BoardView(SettingsBackend& settings, ViewPlatform& platform, ShowClock& clock, SoundCues* sound,
                     FileSystem* fs, PictureFiles* pictures)
    : settings_(settings),
      platform_(platform),
      clock_(clock),
      pictureFiles_(orOwn(pictures, ownPictures_)),
      readAhead_(*orOwn(fs, ownFs_), *pictureFiles_),
      store_(fs ? *fs : *ownFs_, readAhead_, platform.messageBoxes()),
      options_(readViewSettings(settings)),
      buzzers_(readBuzzerMapping(settings)),
      engine_(show_, game_, ShowHost{&clock, this, sound, this, &platform}),
      editor_(game_, renderer_.pictureMapping(), renderer_.flatPoints(), platform),
      coverPieces_(kDefaultCoverPieces),
      coverSeed_((uint64_t{std::random_device{}()} << 32) ^ std::random_device{}())
{
    history_.reset(game_);
    store_.setPicturePath(options_.picPath);
    engine_.setSwitchTime(static_cast<uint32_t>(options_.switchTime));
    renderer_.options().blackCover = options_.colorMode != 0;
    renderer_.options().polygonLabels = options_.polyInfo != 0;
    // The stored star layout before anything can be drawn: the window
    // system may size (and so draw) the board before the window counts as
    // created.
    renderer_.loadStarImages();
    renderer_.applyStarSize(options_.starSize);
    engine_.setStarLimit(renderer_.layout().starLimit);
    renderer_.setIdleBanner(cp1252::fromUtf8(kNewcomerHint));
}

BoardView::~BoardView()
{
    options_.switchTime = static_cast<int32_t>(show_.switchTime);
    options_.colorMode = renderer_.options().blackCover ? 1 : 0;
    options_.polyInfo = renderer_.options().polygonLabels ? 1 : 0;
    writeViewSettings(settings_, options_);
}

void BoardView::created()
{
    // A missing path, or one naming a file, opens the chooser once the
    // window is up.
    if (store_.fileSystem().kind(options_.picPath) != PathKind::Folder)
        platform_.postCommand(cmd::kPicturePath);
    aimReadAhead();
}

void BoardView::closing()
{
    editor_.finishGesture();
    engine_.viewDestroyed();
    readAhead_.clear();
}

void BoardView::aimReadAhead(bool restart)
{
    const int32_t first = game_.gameNumber + 1;
    if (!restart && readAhead_.isSearching(store_.picturePath(), first, kPictureStartAttempts))
        return;
    readAhead_.start(store_.picturePath(), first, kPictureStartAttempts);
}

ViewCommandContext BoardView::commandContext() const
{
    ViewCommandContext ctx;
    ctx.mode = engine_.viewMode();
    ctx.modified = game_.modified;
    ctx.tool = editor_.tool();
    ctx.starSize = renderer_.starSizeOption();
    ctx.blackCover = renderer_.options().blackCover;
    ctx.polygonInfo = renderer_.options().polygonLabels;
    ctx.hasPicture = game_.gameNumber > 0 && !game_.picture.isEmpty();
    // A polygon being drawn is a step that undo can take back.
    ctx.canUndo = history_.canUndo() || editor_.captureState() != CaptureState::Idle;
    ctx.canRedo = history_.canRedo();
    return ctx;
}

bool BoardView::isEnabled(int32_t id) const
{
    if (cmd::isModeCommand(id))
        return true;
    if (isShowCommand(id))
        return showCommandEnabled(id, show_);
    CommandUiState s = viewCommandState(id, commandContext());
    return s.known && s.enabled;
}

bool BoardView::isChecked(int32_t id) const
{
    if (isShowCommand(id) || cmd::isModeCommand(id))
        return false;
    return viewCommandState(id, commandContext()).checked;
}

bool BoardView::execute(int32_t id)
{
    const ViewMode before = engine_.viewMode();
    const bool known = runCommand(id);
    followFirstGame();
    followModeWithBanner(before);
    aimReadAhead();
    return known;
}

void BoardView::followFirstGame()
{
    if (!newcomerHint_ || (!show_.gameRunning && show_.bannerText[0] == '\0'))
        return;
    newcomerHint_ = false;
    renderer_.setIdleBanner({});
    show_.bannerDirty = 1;
}

void BoardView::followModeWithBanner(ViewMode before)
{
    const ViewMode mode = engine_.viewMode();
    if (before == ViewMode::Play && mode != ViewMode::Play) {
        playBanner_ = show_.bannerText;
        playBannerGame_ = game_.gameNumber;
    }
    if (mode == ViewMode::Draw || mode == ViewMode::Sort) {
        if (std::strcmp(show_.bannerText, game_.question) != 0)
            show_.setBanner(game_.question);
    } else if (mode == ViewMode::Play && before != ViewMode::Play) {
        // Back on the same game, the audience sees what it saw before
        // (the question, or the answer once uncovered).
        if (playBannerGame_ == game_.gameNumber && playBanner_ != show_.bannerText)
            show_.setBanner(playBanner_);
    }
}

std::string editingWindowTitle(int32_t gameNumber, ViewMode mode)
{
    if (mode == ViewMode::Play)
        return {};
    const char* modeText = cmd::modeSelectorText(static_cast<int>(mode));
    char game[32];
    if (gameNumber > 0)
        std::snprintf(game, sizeof game, "Game%03i", static_cast<int>(gameNumber));
    else
        std::snprintf(game, sizeof game, "Kein Spiel");
    return std::string(game) + " \u2013 " + (modeText ? modeText : "");
}

std::string BoardView::editingTitle() const
{
    // After the search ran out, the number is where it stopped, not a game.
    const bool none = game_.picture.isEmpty() || std::strcmp(game_.question, kNoMoreGamesText) == 0;
    return editingWindowTitle(none ? 0 : game_.gameNumber, engine_.viewMode());
}

bool BoardView::runCommand(int32_t id)
{
    if (cmd::isModeCommand(id)) {
        // A mode change ends a drag or a drawing as Escape does: the rubber
        // band sits where the mouse went to reach the selector, not on a
        // corner the game master placed.
        const auto next = static_cast<ViewMode>(id - kModeCommandBase);
        if (next != engine_.viewMode())
            editor_.finishGesture();
        // Play and the previews show the picture as the players see it.
        if (next != ViewMode::Draw && next != ViewMode::Sort)
            resetPictureZoom();
        engine_.selectViewMode(id);
        return true;
    }
    if (isShowCommand(id))
        return engine_.runCommand(id);
    if (!isEnabled(id))
        return viewCommandState(id, {}).known;
    switch (id) {
    case cmd::kNew: newPicture(); break;
    case cmd::kImportPictures: importPictures(); break;
    case cmd::kSave:
        editor_.finishGesture();
        recordEdit();
        if (store_.save(false, game_) == SaveResult::Saved)
            history_.markSaved(game_);
        break;
    case cmd::kUndo: stepHistory(true); break;
    case cmd::kRedo: stepHistory(false); break;
    case cmd::kGenerateCover: generateCoverForGame(); break;
    case cmd::kToolMovePoints: editor_.setTool(DrawTool::MovePoints); break;
    case cmd::kToolDrawPolygon: editor_.setTool(DrawTool::DrawPolygon); break;
    case cmd::kToolDelete: editor_.setTool(DrawTool::Delete); break;
    // The picture area shows a changed option at its next redraw.
    case cmd::kBlackCover: renderer_.options().blackCover = !renderer_.options().blackCover; break;
    case cmd::kPolygonInfo: renderer_.options().polygonLabels = !renderer_.options().polygonLabels; break;
    case cmd::kPicturePath: choosePicturePath(); break;
    case cmd::kSwitchTime: chooseSwitchTime(); break;
    case cmd::kNextGameNumber: chooseNextGameNumber(); break;
    case cmd::kChooseComPort: chooseComPort(); break;
    case cmd::kAssignBuzzers: assignBuzzers(); break;
    case cmd::kStarsLarge:
    case cmd::kStarsMedium:
    case cmd::kStarsSmall:
    case cmd::kStarsTwoRows: setStarSize(starSizeOf(id)); break;
    default: return false;
    }
    return true;
}

void BoardView::tick()
{
    // Pictures start by command; this catches any other way in.
    followFirstGame();
    engine_.showTick();
}

void BoardView::resize(int width, int height)
{
    if (renderer_.resize(canvas_, show_, width, height))
        engine_.setViewSize(width, height);
}

bool BoardView::pictureZoomAllowed() const
{
    const ViewMode mode = engine_.viewMode();
    return (mode == ViewMode::Draw || mode == ViewMode::Sort) &&
           engine_.zoomState() == FullScreenState::Off;
}

void BoardView::mouse(const BoardMouseEvent& event)
{
    if (zoomMouse(event))
        return;
    mouse(event.kind, event.x, event.y);
}

bool BoardView::zoomMouse(const BoardMouseEvent& e)
{
    if (!pictureZoomAllowed()) {
        zoom_.endPan();
        return false;
    }
    const PolygonPoint at{e.x, e.y};
    const ZoomFrame frame = renderer_.zoomFrame(game_);
    const BoardRect& a = frame.area;
    const bool inArea = e.x >= a.x && e.y >= a.y && e.x - a.x < a.w && e.y - a.y < a.h;
    switch (e.kind) {
    case MouseKind::Wheel:
        if (!(e.keyFlags & kMouseControl) || !inArea)
            return false;
        if (zoom_.wheel(frame, at, e.wheelDelta)) {
            showPictureZoom();
            // A rubber band or a dragged point takes the picture pixel now
            // under the cursor.
            if (editor_.captureState() != CaptureState::Idle)
                editor_.onMouse(engine_.viewMode(), MouseKind::Move, e.x, e.y);
        }
        return true;
    case MouseKind::MiddleDown:
    case MouseKind::MiddleDoubleClick:
        if (!inArea)
            return false;
        zoom_.beginPan(frame, at);
        return true;
    case MouseKind::MiddleUp:
        if (!zoom_.panning())
            return false;
        zoom_.endPan();
        return true;
    case MouseKind::Move:
        if (!zoom_.panning())
            return false;
        if (!(e.keyFlags & kMouseMiddleButton)) {
            zoom_.endPan();   // its release went elsewhere
            return false;
        }
        if (zoom_.panTo(frame, at))
            showPictureZoom();
        return false;   // the editor follows the mouse as ever
    default:
        return false;
    }
}

void BoardView::showPictureZoom()
{
    renderer_.setPictureZoom(zoom_.zoom());
    renderer_.refreshMapping(game_, engine_.viewMode());
    editor_.mappingChanged();
    renderTick();
    platform_.repaintNow();
}

void BoardView::resetPictureZoom()
{
    zoom_.reset();
    renderer_.setPictureZoom(zoom_.zoom());
}

void BoardView::mouse(MouseKind kind, int x, int y)
{
    // Beyond the board (on the toolbar, the mode selector, the menu) a press
    // reaches the board only while a drag or drawing holds the mouse: it
    // ends that gesture as Escape does and places nothing there.
    const bool press = kind == MouseKind::LeftDown || kind == MouseKind::LeftDoubleClick ||
                       kind == MouseKind::RightDown || kind == MouseKind::MiddleDown;
    const bool onBoard = x >= 0 && y >= 0 && x < renderer_.width() && y < renderer_.height();
    if (press && !onBoard && editor_.captureState() != CaptureState::Idle) {
        editor_.finishGesture();
        recordEdit();
        return;
    }
    editor_.onMouse(engine_.viewMode(), kind, x, y);
    recordEdit();
}

bool BoardView::keyDown(EditorKey key)
{
    const bool handled = editor_.onKeyDown(key);
    recordEdit();
    return handled;
}

void BoardView::recordEdit()
{
    if (editor_.captureState() == CaptureState::Idle)
        history_.record(game_);
}

void BoardView::stepHistory(bool back)
{
    // A gesture in progress is finished first, as a step of its own, so
    // undo takes back the polygon being drawn as a whole.
    editor_.finishGesture();
    recordEdit();
    if (!(back ? history_.undo(game_) : history_.redo(game_)))
        return;
    // The selection may name a polygon the restored table lacks.
    editor_.resetForNewGame();
    redrawAll();
}

void BoardView::generateCoverForGame()
{
    int32_t pieces = coverPieces_;
    if (!platform_.askValue(kCoverTitle, kCoverPrompt, pieces))
        return;
    MessageBoxes& boxes = platform_.messageBoxes();
    if (pieces < kMinCoverPieces || pieces > kMaxCoverPieces) {
        showError(boxes, kCoverCountWrong);
        return;
    }
    coverPieces_ = pieces;
    editor_.finishGesture();
    recordEdit();
    if (game_.polygonCount > 0 &&
        boxes.show(kCoverReplaceQuestion, kCoverTitle, MessageButtons::YesNo, MessageIcon::Question) !=
            MessageAnswer::Yes)
        return;
    // A new seed each time: asking again gives another cover.
    coverSeed_ = coverSeed_ * 6364136223846793005ULL + 1442695040888963407ULL;
    generateCover(game_, game_.picture.width(), game_.picture.height(), pieces, coverSeed_);
    game_.modified = true;
    history_.record(game_);
    editor_.resetForNewGame();
    redrawAll();
}

void BoardView::redrawAll()
{
    renderer_.requestFullRedraw(show_);
    renderTick();
    platform_.repaintNow();
}

void BoardView::paintOverlay(OverlayPainter& painter)
{
    renderer_.paintOverlay(painter, game_, engine_.viewMode(), editor_.selectedPolygon());
}

void BoardView::setZoomState(FullScreenState state, ScreenRect viewScreenRect)
{
    engine_.setZoomState(state, viewScreenRect);
    // Full screen is the show's picture: at the fit, and it stays there.
    if (state != FullScreenState::Off && !zoom_.zoom().isFit()) {
        resetPictureZoom();
        showPictureZoom();
    }
}

void BoardView::setPicturePath(const std::string& path)
{
    std::string previous = options_.picPath;
    if (takePicturePath(path))
        rememberedPath_ = std::move(previous);
    aimReadAhead();
}

bool BoardView::takePicturePath(const std::string& entered)
{
    // A path the settings could not hold would be lost without a word at
    // the next start: it is refused where it is entered.
    std::string path = trimPicturePath(entered);
    if (path.size() > kMaxPicPathBytes) {
        showError(platform_.messageBoxes(), kPicturePathTooLong);
        return false;
    }
    options_.picPath = std::move(path);
    store_.setPicturePath(options_.picPath);
    return true;
}

bool BoardView::load(int32_t gameNumber, GameContent& content)
{
    editor_.resetForNewGame();
    resetPictureZoom();
    const bool loaded = store_.load(gameNumber, content);
    // Another game: its history starts here, whatever the load left.
    history_.reset(content);
    return loaded;
}

void BoardView::save(bool ask, GameContent& content)
{
    editor_.finishGesture();
    recordEdit();
    if (store_.save(ask, content) == SaveResult::Saved)
        history_.markSaved(content);
}

void BoardView::renderTick()
{
    renderer_.renderTick(show_, game_, engine_.viewMode(), canvas_);
    platform_.updateCanvas();
}

void BoardView::requestFullRedraw() { renderer_.requestFullRedraw(show_); }

void BoardView::repaintView() { platform_.repaintNow(); }

void BoardView::setStarSize(int32_t option)
{
    options_.starSize = option;
    renderer_.applyStarSize(option);
    engine_.setStarLimit(renderer_.layout().starLimit);
    redrawAll();
}

void BoardView::choosePicturePath()
{
    std::string chosen;
    const std::string& start = rememberedPath_.empty() ? options_.picPath : rememberedPath_;
    if (!platform_.chooseFolder(kPicturePathTitle, start, chosen))
        return;
    if (takePicturePath(chosen))
        rememberedPath_.clear();
}

void BoardView::chooseSwitchTime()
{
    int32_t value = static_cast<int32_t>(show_.switchTime);
    if (!platform_.askValue(kSwitchTimeTitle, kSwitchTimePrompt, value))
        return;
    // Taken as unsigned: a negative entry is a huge number, so 10000.
    engine_.setSwitchTime(static_cast<uint32_t>(value));
    options_.switchTime = static_cast<int32_t>(show_.switchTime);
}

void BoardView::chooseNextGameNumber()
{
    int32_t value = game_.gameNumber + 1;
    if (!platform_.askValue(kNextGameTitle, kNextGamePrompt, value))
        return;
    const int32_t before = game_.gameNumber;
    engine_.setNextGameNumber(value);
    // Outside play mode the game was loaded at once: show it.
    if (game_.gameNumber != before && engine_.viewMode() != ViewMode::Play)
        redrawAll();
}

void BoardView::chooseComPort()
{
    // The dialog's text is Windows-1252, a device path is a file name.
    const ComPortSetting current{options_.comPort, cp1252::fromUtf8(options_.comDevice)};
    std::string text = comPortDialogText(current);
    if (!platform_.askText(kComPortDialogTitle, kComPortDialogPrompt, text))
        return;
    const ComPortSetting chosen = comPortSettingFromText(text, current);
    options_.comPort = chosen.comPort;
    options_.comDevice = cp1252::toUtf8(chosen.device);
    platform_.comPortChanged(options_.comPort);
}

void BoardView::assignBuzzers()
{
    BuzzerMapping chosen = buzzers_;
    if (!platform_.askBuzzerMapping(chosen))
        return;
    buzzers_ = std::move(chosen);
    writeBuzzerMapping(settings_, buzzers_);
    platform_.buzzerMappingChanged();
}

void BoardView::newPicture()
{
    if (engine_.viewMode() != ViewMode::Draw)
        return;
    if (!store_.confirmWritable(store_.picturePath()))
        return;
    int32_t number = game_.gameNumber < 0 ? 1 : game_.gameNumber;
    NewGameRequest request;
    if (!platform_.askNewPicture(number, request))
        return;
    request.number = number;
    editor_.finishGesture();
    const CreationResult created = createGame(store_, request, game_);
    // Even a failed insert may have moved games up a number, under the
    // same number that comes next.
    aimReadAhead(true);
    if (created != CreationResult::Created)
        return;
    editor_.resetForNewGame();
    history_.reset(game_);
    resetPictureZoom();
    // Start the new picture as the show engine would: hidden, then the
    // draw-mode rule shows it whole at the next tick.
    show_.setBanner(game_.question);
    show_.gameRunning = 1;
    show_.lastStepTick = clock_.nowMs();
    show_.drawnRevealCount = kRevealForceRedraw;
    show_.revealCount = kRevealHidden;
    renderer_.requestFullRedraw(show_);
    engine_.showTick();
    platform_.repaintNow();
}

void BoardView::importPictures()
{
    if (engine_.viewMode() != ViewMode::Draw)
        return;
    if (!store_.confirmWritable(store_.picturePath()))
        return;
    ImportRequest request;
    if (!platform_.askImportPictures(request) || request.files.empty())
        return;
    request.startNumber = std::max(game_.gameNumber, kFirstGameNumber);
    // Its number stays the board game's own, even before its first save.
    if (game_.libraryPath && *game_.libraryPath == store_.picturePath())
        request.keepFree = game_.gameNumber;
    editor_.finishGesture();
    // Both cores for the import; the library changes under the read-ahead anyway.
    readAhead_.clear();
    const std::string library = store_.picturePath();
    ImportReport report;
    platform_.runImport(request, [&](const ImportProgress& progress, const std::atomic<bool>& cancel) {
        report = gz::importPictures(store_.fileSystem(), *pictureFiles_, library, request, progress, cancel);
    });
    aimReadAhead(true);
    platform_.messageBoxes().show(importSummaryText(request, report), kImportTitle, MessageButtons::Ok,
                                  importSummaryIcon(report));
}

}  // namespace gz
