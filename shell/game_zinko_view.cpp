#include "shell/game_zinko_view.h"

#include <algorithm>

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QScreen>
#include <QVBoxLayout>

#include "shell/board_canvas_widget.h"
#include "shell/buzzer_dialog.h"
#include "shell/control_window.h"
#include "shell/import_pictures_dialog.h"
#include "shell/import_progress.h"
#include "shell/keyboard_buzzer_keys.h"
#include "shell/main_frame.h"
#include "shell/message_box_widget.h"
#include "shell/new_picture_dialog.h"
#include "shell/screen_rects.h"
#include "shell/settings_values.h"
#include "devices/input_device_source.h"
#include "show/command_ids.h"
#include "show/input_poller.h"
#include "show/remote_poller.h"
#include "show/show_engine.h"
#include "show/sound_effects.h"
#include "uikit/folder_chooser.h"
#include "uikit/value_input_dialog.h"

namespace gz {

namespace {

QString utf8(const std::string& s) { return QString::fromStdString(s); }

ScreenRect screenRectOf(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

}  // namespace

CGameZinkoView::CGameZinkoView(CMainFrame& frame, SettingsBackend& settings, ViewDevices devices)
    : QWidget(&frame), frame_(frame), settings_(settings), devices_(devices)
{
    setObjectName("CGameZinkoView");
    if (devices_.sound)
        sound_ = std::make_unique<ShowSound>(openDefaultAudioOutput, systemAudioClock(), findSoundResource,
                                             EffectIdle::Silence);
    // The options are read here, when the view is constructed.
    board_ = std::make_unique<BoardView>(settings_, static_cast<ViewPlatform&>(*this), clock(), sound_.get(),
                                         devices_.fileSystem);
    canvasWidget_ = new BoardCanvasWidget(board_->canvas(), this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(canvasWidget_);
    connect(canvasWidget_, &BoardCanvasWidget::resized, this, [this](int w, int h) {
        board_->resize(w, h);
        board_->tick();
        canvasWidget_->update();
    });
    board_->canvas().setMouseCallback(
        [](void* user, const BoardMouseEvent& e) { static_cast<BoardView*>(user)->mouse(e); },
        board_.get());
    board_->canvas().setPaintCallback(
        [](void* user, OverlayPainter& p) { static_cast<BoardView*>(user)->paintOverlay(p); }, board_.get());
    showTimer_.setInterval(kShowTimerPeriodMs);
    connect(&showTimer_, &QTimer::timeout, this, [this] { board_->tick(); });
    setFocusPolicy(Qt::StrongFocus);
    // Keyboard buzzers count wherever the main window's focus is: a focused
    // toolbar drop-down would take a "1" or a space for itself.
    qApp->installEventFilter(this);
}

CGameZinkoView::~CGameZinkoView()
{
    qApp->removeEventFilter(this);
    showTimer_.stop();
    controlWindow_.reset();
    if (poller_)
        poller_->stop();
    if (inputPoller_)
        inputPoller_->stop();   // its LEDs go off
    board_.reset();   // writes the options
    if (sound_)
        sound_->soundEnd();
}

void CGameZinkoView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!created_)
        windowCreated();
}

// The view's window is up: canvas and stars, the remote poller, the show
// timer, the sounds (music paused), then the picture-path check.
void CGameZinkoView::windowCreated()
{
    created_ = true;
    board_->created();
    if (devices_.remote) {
        poller_ = std::make_unique<RemotePoller>(board_->engine(), [this](int32_t id) { postCommand(id); });
        poller_->setComPort(board_->options().comPort);
        poller_->setDevicePath(board_->options().comDevice);
        // The poller only retries; a missing permission is told in the
        // status bar, on the window thread.
        poller_->setStatusSink([this](const RemotePortStatus& status) {
            QMetaObject::invokeMethod(this, [this, status] { showRemotePortStatus(status); }, Qt::QueuedConnection);
        });
        poller_->start();
    }
    if (devices_.remote || devices_.inputSource)
        startInputPoller();
    showTimer_.start();
    if (sound_)
        sound_->soundStart();
    if (readControlWindowSettings(settings_).open)
        openControlWindow();
}

void CGameZinkoView::openControlWindow()
{
    if (!controlWindow_) {
        nextGames_ = std::make_unique<LibraryNextGameLookup>([this] { return board_->picturePath(); });
        controlWindow_ = std::make_unique<ControlWindow>(
            board_->engine(), clock(), nextGames_.get(), [this](int id) { frame_.dispatchCommand(id); }, this);
        controlWindow_->setBlackCoverSource([this] { return board_->options().colorMode != 0; });
        // The frame's keys work in it as on the board.
        controlWindow_->addActions(frame_.actions());
        connect(controlWindow_.get(), &ControlWindow::closed, this, [this] {
            saveControlWindow();
            frame_.updateCommandStates();
        });
        placeControlWindow(readControlWindowSettings(settings_));
    }
    controlWindow_->show();
    controlWindow_->raise();
    controlWindow_->activateWindow();
    saveControlWindow();
}

void CGameZinkoView::placeControlWindow(const ControlWindowSettings& stored)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    const QRect storedRect(stored.x, stored.y, stored.width, stored.height);
    if (stored.width > 0 && stored.height > 0) {
        for (QScreen* s : screens)
            if (placementVisible(monitorRectOf(s->geometry()), stored.x, stored.y, stored.width, stored.height)) {
                controlWindow_->setGeometry(storedRect);
                return;
            }
    }
    // No placement yet, or its screen is gone: the middle of the board's
    // screen, or of another one while the board fills its screen.
    QScreen* target = frame_.screen();
    if (frame_.isFullScreen())
        for (QScreen* s : screens)
            if (s != target) {
                target = s;
                break;
            }
    if (!target)
        return;
    const QRect area = target->availableGeometry();
    // Large enough to read from a metre away: three quarters of the screen.
    const QSize size = stored.width > 0 && stored.height > 0
                           ? QSize(stored.width, stored.height)
                           : QSize(std::max(1024, area.width() * 3 / 4), std::max(720, area.height() * 3 / 4));
    QRect r(QPoint(0, 0), size.boundedTo(area.size()));
    r.moveCenter(area.center());
    controlWindow_->setGeometry(r);
}

void CGameZinkoView::toggleControlWindow()
{
    if (!controlWindow_ || !controlWindow_->isVisible()) {
        openControlWindow();
        return;
    }
    // With one screen the full-screen board covers it: the key brings it
    // up; it hides when it is the window in front.
    if (!controlWindow_->isActiveWindow() && frame_.isFullScreen() &&
        controlWindow_->screen() == frame_.screen()) {
        controlWindow_->raise();
        controlWindow_->activateWindow();
        return;
    }
    controlWindow_->close();   // its closed() saves
}

QWidget* CGameZinkoView::companionWindow() { return controlWindow_.get(); }

int CGameZinkoView::selectedMode() { return static_cast<int>(board_->engine().viewMode()); }

void CGameZinkoView::saveControlWindow()
{
    ControlWindowSettings c = readControlWindowSettings(settings_);
    if (controlWindow_) {
        c.open = controlWindow_->isVisible() ? 1 : 0;
        const QRect g = controlWindow_->geometry();
        c.x = g.x();
        c.y = g.y();
        c.width = g.width();
        c.height = g.height();
    } else {
        c.open = 0;
    }
    writeControlWindowSettings(settings_, c);
}

void CGameZinkoView::viewClosing()
{
    if (closed_)
        return;
    closed_ = true;
    showTimer_.stop();
    if (controlWindow_) {
        saveControlWindow();   // open or not, as the show ends
        controlWindow_->hide();
    }
    board_->closing();
    frame_.hide();
    if (sound_)
        sound_->soundEnd();
}

bool CGameZinkoView::commandEnabled(int id) { return id == cmd::kControlWindow || board_->isEnabled(id); }
bool CGameZinkoView::commandChecked(int id)
{
    if (id == cmd::kControlWindow)
        return controlWindow_ && controlWindow_->isVisible();
    return board_->isChecked(id);
}

void CGameZinkoView::runCommand(int id)
{
    if (id == cmd::kControlWindow) {
        toggleControlWindow();
        return;
    }
    if (!board_->isEnabled(id))
        return;
    board_->execute(id);
}

void CGameZinkoView::setZoomState(int state, const QRect& r)
{
    board_->setZoomState(static_cast<FullScreenState>(state), screenRectOf(r));
}

void CGameZinkoView::zoomRectChanged(const QRect& r)
{
    board_->setZoomState(board_->engine().zoomState(), screenRectOf(r));
}

std::string CGameZinkoView::editingTitle() { return board_ ? board_->editingTitle() : std::string(); }

// Until the first picture starts, the status bar tells what to do first.
std::string CGameZinkoView::statusHint() { return board_ && board_->newcomerHint() ? kNewcomerHint : std::string(); }

void CGameZinkoView::setPicturePath(const std::string& path) { board_->setPicturePath(path); }

void CGameZinkoView::keyPressEvent(QKeyEvent* event)
{
    EditorKey key = event->key() == Qt::Key_Control  ? EditorKey::Control
                    : event->key() == Qt::Key_Escape ? EditorKey::Escape
                                                     : EditorKey::Other;
    if (!board_->keyDown(key))
        QWidget::keyPressEvent(event);
}

bool CGameZinkoView::eventFilter(QObject* watched, QEvent* event)
{
    // Widgets only: the window system's window sees each key first, and
    // the key must act once. Dialogs and menus are windows of their own.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == window() && keyboardBuzzer(*static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

bool CGameZinkoView::keyboardBuzzer(const QKeyEvent& e)
{
    if (!isKeyboardBuzzerKey(e.key(), e.modifiers()))
        return false;
    const int action = board_->buzzerMapping().actionFor(kKeyboardDevice, static_cast<uint32_t>(e.key()));
    if (action < 0)
        return false;
    if (!e.isAutoRepeat() && buzzerGate_.accept(action, clock().nowMs()))
        runBuzzerAction(action, board_->engine(), [this](int32_t id) { postCommand(id); });
    return true;
}

void CGameZinkoView::buzzerDevicePressed(const ButtonBinding& button)
{
    if (buzzerDialog_)
        buzzerDialog_->devicePressed(button);
}

void CGameZinkoView::setInputDevices(std::vector<std::string> deviceKeys, std::string quizDeviceKey)
{
    inputDevices_ = std::move(deviceKeys);
    quizDeviceKey_ = std::move(quizDeviceKey);
    if (buzzerDialog_)
        buzzerDialog_->setDevices(inputDevices_, quizDeviceKey_);
}

// --- dialogs ---

bool CGameZinkoView::chooseFolder(const std::string& title, const std::string& startPath, std::string& chosen)
{
    // The picture path has to be an existing folder; a missing one is created.
    FolderChooser dialog(settings_, this);
    dialog.setTitle(utf8(title));
    dialog.setStartPath(startPath);
    if (dialog.showModal(kFolderMustExist | kFolderCreateMissing) != QDialog::Accepted)
        return false;
    chosen = dialog.path();
    return true;
}

bool CGameZinkoView::askValue(const std::string& title, const std::string& prompt, int32_t& value)
{
    ValueInputDialog dialog(this);
    dialog.setTitle(utf8(title));
    dialog.setPrompt(utf8(prompt));
    dialog.setValue(value, 0);
    if (dialog.showModal() != DialogButton::Ok)
        return false;
    value = dialog.value();
    return true;
}

bool CGameZinkoView::askText(const std::string& title, const std::string& prompt, std::string& text)
{
    TextInputDialog dialog(this);
    dialog.setTitle(utf8(title));
    dialog.setPrompt(utf8(prompt));
    dialog.setText(text);
    if (dialog.showModal() != DialogButton::Ok)
        return false;
    // The game's texts live in 256-byte buffers.
    char buffer[256];
    dialog.getText(buffer, sizeof buffer);
    text = buffer;
    return true;
}

bool CGameZinkoView::askNewPicture(int32_t& number, NewGameRequest& request)
{
    if (!newPicture_)
        newPicture_ = std::make_unique<NewPictureDialog>(settings_, this);
    newPicture_->shrinkLarge = shrinkLarge_;
    if (!newPicture_->showFor(number))
        return false;
    shrinkLarge_ = newPicture_->shrinkLarge;
    number = newPicture_->number;
    request.pictureFile = newPicture_->pictureFile;
    request.question = newPicture_->question;
    request.answer = newPicture_->answer;
    request.mode = newPicture_->mode;
    request.number = newPicture_->number;
    request.shrinkToScreen = newPicture_->shrinkLarge;
    return true;
}

bool CGameZinkoView::askImportPictures(ImportRequest& request)
{
    const QStringList files = choosePictureFiles(settings_, this, importFolder_);
    if (files.isEmpty())
        return false;
    if (!importPictures_)
        importPictures_ = std::make_unique<ImportPicturesDialog>(this);
    importPictures_->shrinkLarge = shrinkLarge_;
    if (!importPictures_->showFor(static_cast<int>(files.size())))
        return false;
    shrinkLarge_ = importPictures_->shrinkLarge;
    request.files.clear();
    for (const QString& file : files)
        request.files.push_back(file.toStdString());
    request.question = importPictures_->question;
    request.pieces = importPictures_->pieces;
    request.shrinkToScreen = importPictures_->shrinkLarge;
    request.seed = QRandomGenerator::system()->generate64();
    return true;
}

bool CGameZinkoView::askBuzzerMapping(BuzzerMapping& mapping)
{
    // Nothing stored yet: the buzzer set's default is shown, so the game
    // master sees that its first two red buttons already work.
    refreshInputDevices();
    BuzzerDialog dialog(effectiveMapping(mapping, quizDeviceKey_), clock(), window());
    dialog.setDevices(inputDevices_, quizDeviceKey_);
    buzzerDialog_ = &dialog;
    // While it is open, device presses are learned instead of acting, and
    // the device list follows what is plugged in or pulled.
    QTimer devicesTimer;
    if (inputPoller_) {
        inputPoller_->setLearningSink([this](const ButtonBinding& button) {
            QMetaObject::invokeMethod(this, [this, button] { buzzerDevicePressed(button); }, Qt::QueuedConnection);
        });
        connect(&devicesTimer, &QTimer::timeout, this, [this] { refreshInputDevices(); });
        devicesTimer.start(500);
    }
    const bool ok = dialog.exec() == QDialog::Accepted;
    if (inputPoller_)
        inputPoller_->setLearningSink({});
    buzzerDialog_ = nullptr;
    if (ok)
        mapping = dialog.mapping();
    return ok;
}

void CGameZinkoView::buzzerMappingChanged() { emit mappingChanged(board_->buzzerMapping()); }

void CGameZinkoView::runImport(const ImportRequest& request, const ImportJob& job)
{
    ImportProgressDialog progress(request.files.size(), window());
    progress.run(job);
}

void CGameZinkoView::postCommand(int32_t id)
{
    // May come from the remote poller's thread: queue it to the window
    // thread, where the frame asks the enable rule before it runs.
    QMetaObject::invokeMethod(&frame_, [f = &frame_, id] { f->dispatchCommand(id); }, Qt::QueuedConnection);
}

void CGameZinkoView::updateCanvas() { canvasWidget_->updateInvalid(); }

void CGameZinkoView::comPortChanged(int32_t port)
{
    if (!poller_)
        return;
    // A device path, when one is chosen, replaces the numbered port.
    poller_->setDevicePath(board_->options().comDevice);
    poller_->setComPort(port);
}

void CGameZinkoView::showRemotePortStatus(const RemotePortStatus& status)
{
    remoteProblem_ = remotePortStatusText(status);
    showDeviceProblem();
}

void CGameZinkoView::showInputAccessStatus(const InputAccessStatus& status)
{
    inputProblem_ = inputAccessStatusText(status);
    showDeviceProblem();
}

void CGameZinkoView::showDeviceProblem()
{
    const std::string& text = !remoteProblem_.empty() ? remoteProblem_ : inputProblem_;
    if (!text.empty()) {
        frame_.setMessageText(utf8(text));
        deviceProblemShown_ = true;
    } else if (deviceProblemShown_) {
        frame_.showIdleMessage();
        deviceProblemShown_ = false;
    }
}

// Game pads, joysticks and buzzer sets under /dev/input, on a thread of
// their own beside the remote's; both pass the same gate.
void CGameZinkoView::startInputPoller()
{
    if (!devices_.inputSource)
        inputSource_ = std::make_unique<LinuxInputDeviceSource>();
    // The gate's times come from the system's monotonic clock here and from
    // the show clock for typed keys: both count CLOCK_MONOTONIC milliseconds.
    inputPoller_ = std::make_unique<InputDevicePoller>(
        board_->engine(), [this](int32_t id) { postCommand(id); }, buzzerGate_,
        devices_.inputSource ? *devices_.inputSource : *inputSource_);
    inputPoller_->setMapping(buzzerMapping());
    const ShowState& state = board_->engine().state();
    inputPoller_->setBuzzState([&state](PlayerSide side) { return state.player(side) == PlayerState::Buzzed; });
    inputPoller_->setStatusSink([this](const InputAccessStatus& status) {
        QMetaObject::invokeMethod(this, [this, status] { showInputAccessStatus(status); }, Qt::QueuedConnection);
    });
    connect(this, &CGameZinkoView::mappingChanged, this,
            [this](const BuzzerMapping& mapping) { inputPoller_->setMapping(mapping); }, Qt::DirectConnection);
    inputPoller_->start();
}

void CGameZinkoView::refreshInputDevices()
{
    if (!inputPoller_)
        return;
    std::vector<std::string> keys;
    for (const InputDeviceSummary& d : inputPoller_->devices())
        keys.push_back(d.key);
    std::string quizKey = inputPoller_->defaultDeviceKey();
    if (keys != inputDevices_ || quizKey != quizDeviceKey_)
        setInputDevices(std::move(keys), std::move(quizKey));
}

// --- editor host ---

void CGameZinkoView::captureMouse() { canvasWidget_->grabMouse(); }
void CGameZinkoView::releaseMouse() { canvasWidget_->releaseMouse(); }

void CGameZinkoView::setCursor(CursorKind kind)
{
    switch (kind) {
    case CursorKind::Arrow: canvasWidget_->setCursor(Qt::ArrowCursor); break;
    case CursorKind::Cross: canvasWidget_->setCursor(Qt::CrossCursor); break;
    case CursorKind::Hand: canvasWidget_->setCursor(Qt::PointingHandCursor); break;
    }
}

bool CGameZinkoView::isControlDown()
{
    return QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
}

void CGameZinkoView::warningBeep() { QApplication::beep(); }

void CGameZinkoView::invalidate(const BoardRect& a) { canvasWidget_->update(QRect(a.x, a.y, a.w, a.h)); }

void CGameZinkoView::repaintNow()
{
    board_->canvas().clearInvalid();
    canvasWidget_->repaint();
}

void CGameZinkoView::sortOrderChanged()
{
    board_->renderer().requestFullRedraw(board_->show());
    board_->tick();
    repaintNow();
}

bool CGameZinkoView::cursorPos(ScreenPoint& out)
{
    QPoint p = QCursor::pos();
    out = {p.x(), p.y()};
    return true;
}

void CGameZinkoView::setCursorPos(ScreenPoint p) { QCursor::setPos(p.x, p.y); }

// --- message boxes ---

MessageAnswer CGameZinkoView::show(std::string_view text, std::string_view caption, MessageButtons buttons,
                                   MessageIcon icon)
{
    std::unique_ptr<QMessageBox> box = makeMessageBox(text, caption, buttons, icon, window());
    const bool waiting = QGuiApplication::overrideCursor() != nullptr;
    if (waiting)
        QGuiApplication::restoreOverrideCursor();
    const int r = box->exec();
    if (waiting)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    return messageAnswerOf(r);
}

void CGameZinkoView::setWaitCursor(bool on)
{
    if (on)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else if (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

}  // namespace gz
