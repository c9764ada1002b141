#include "shell/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>

#include "game/cp1252.h"
#include "shell/frame_view.h"
#include "shell/menu_icons.h"
#include "shell/message_server.h"
#include "shell/screen_rects.h"
#include "shell/tool_bar.h"
#include "show/command_ids.h"

namespace gz {

namespace {

// The menu bar of the program: 0 is a separator line.
struct MenuLayout {
    const char* title;
    std::vector<int> items;
};

const std::vector<MenuLayout>& menuLayout()
{
    static const std::vector<MenuLayout> layout = {
        {"&Datei", {cmd::kNew, cmd::kSave, 0, cmd::kExit}},
        {"&Bearbeiten",
         {cmd::kLeftStarUp, cmd::kRightStarUp, cmd::kLeftStarDown, cmd::kRightStarDown, 0,
          cmd::kStartNextPicture, cmd::kUncoverPicture, cmd::kStopLeft, cmd::kStopRight, 0,
          cmd::kToolMovePoints, cmd::kToolDrawPolygon, cmd::kToolDelete, 0, cmd::kChooseComPort,
          cmd::kBlackCover, cmd::kPolygonInfo, cmd::kNextGameNumber, cmd::kPicturePath, cmd::kSwitchTime,
          // Added at the end, so the places other programs address items
          // by stay where they were.
          0, cmd::kUndo, cmd::kRedo, 0, cmd::kGenerateCover, cmd::kImportPictures, 0, cmd::kAssignBuzzers}},
        {"&Ansicht",
         {cmd::kFlatToolbar, cmd::kPinWindow, cmd::kToolbar, cmd::kStatusBar, 0, cmd::kStarsSmall,
          cmd::kStarsMedium, cmd::kStarsLarge, cmd::kStarsTwoRows, 0, cmd::kControlWindow}},
        {"&?", {cmd::kAbout, cmd::kKeyMap}},
    };
    return layout;
}

QKeySequence shortcutOf(int id)
{
    switch (id) {
    case cmd::kLeftStarUp: return Qt::Key_F1;
    case cmd::kRightStarUp: return Qt::Key_F2;
    case cmd::kLeftStarDown: return Qt::Key_F3;
    case cmd::kRightStarDown: return Qt::Key_F4;
    case cmd::kStartNextPicture: return Qt::Key_F5;
    case cmd::kUncoverPicture: return Qt::Key_F6;
    case cmd::kStopLeft: return Qt::Key_F7;
    case cmd::kStopRight: return Qt::Key_F8;
    case cmd::kFullScreen: return Qt::Key_F10;
    case cmd::kControlWindow: return Qt::Key_F11;
    case cmd::kSave: return QKeySequence(Qt::CTRL | Qt::Key_S);
    case cmd::kToolMovePoints: return QKeySequence(Qt::CTRL | Qt::Key_M);
    case cmd::kToolDrawPolygon: return QKeySequence(Qt::CTRL | Qt::Key_E);
    case cmd::kToolDelete: return QKeySequence(Qt::CTRL | Qt::Key_A);
    case cmd::kNextGameNumber: return QKeySequence(Qt::CTRL | Qt::Key_N);
    case cmd::kUndo: return QKeySequence(Qt::CTRL | Qt::Key_Z);
    case cmd::kRedo: return QKeySequence(Qt::CTRL | Qt::Key_Y);
    default: return {};
    }
}

bool isFrameCommand(int id)
{
    return id == cmd::kFullScreen || id == cmd::kFlatToolbar || id == cmd::kPinWindow || id == cmd::kToolbar ||
           id == cmd::kStatusBar;
}

// Lock key LEDs as the kernel shows them, where the window system cannot
// be asked (a console's keyboard; containers and remote sessions have none).
bool lockLedOn(const char* suffix)
{
    QDir leds("/sys/class/leds");
    for (const QString& name : leds.entryList({QStringLiteral("*::") + suffix}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(leds.filePath(name + "/brightness"));
        if (f.open(QIODevice::ReadOnly) && f.readAll().trimmed().toInt() > 0)
            return true;
    }
    return false;
}

QString utf8(const char* s) { return QString::fromUtf8(s ? s : ""); }

// A Wayland client is never told where its window is; the compositor only
// tells it which output the window is on, and Qt keeps that as its screen.
bool windowPositionKnown() { return !QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

}  // namespace

CMainFrame::CMainFrame(SettingsBackend& settings, QWidget* parent) : QMainWindow(parent), settings_(settings)
{
    setObjectName("CMainFrame");
    options_ = readFrameOptions(settings_);
    flatMode_ = options_.flatMode;

    const QList<QScreen*> screens = QGuiApplication::screens();
    const std::vector<MonitorRect> rects = screenRects(screens);
    QScreen* primary = QGuiApplication::primaryScreen();
    QSize ps = primary ? primary->geometry().size() : QSize(1024, 768);
    monitors_ = MonitorTable::build(static_cast<int>(screens.size()), rects, ps.width(), ps.height());

    buildActions();
    updateTimer_.setInterval(100);
    connect(&updateTimer_, &QTimer::timeout, this, [this] {
        updateCommandStates();
        updateLockIndicators();
    });
}

bool CMainFrame::event(QEvent* event)
{
    // A key is judged by the commands' states at that moment, not by those
    // of the last timer round: Ctrl+S right after an edit must save. The
    // override check reaches the window before any shortcut is matched.
    if (event->type() == QEvent::ShortcutOverride)
        updateCommandStates();
    // Window systems apply full screen some time after the request: the
    // cursor parking needs the view's rectangle as it finally is.
    if (event->type() == QEvent::Move)
        reportZoomRect();
    return QMainWindow::event(event);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // The view also changes size alone, when the bars go after the window
    // has already reached its full-screen size.
    if (event->type() == QEvent::Resize && view_ && watched == view_->widget())
        reportZoomRect();
    return QMainWindow::eventFilter(watched, event);
}

CMainFrame::~CMainFrame()
{
    options_.flatMode = flatMode_;
    writeFrameOptions(settings_, options_);
}

QAction* CMainFrame::action(int id) const
{
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::buildActions()
{
    for (const cmd::CommandInfo& info : cmd::commandTable()) {
        auto* a = new QAction(this);
        QString label = info.menuText ? utf8(info.menuText) : QString();
        QString status = utf8(info.statusText);
        QString prompt = status.section(QLatin1Char('\n'), 0, 0);
        QString tip = status.contains(QLatin1Char('\n')) ? status.section(QLatin1Char('\n'), 1) : QString();
        a->setText(label.isEmpty() ? tip : label);
        a->setStatusTip(prompt);
        a->setToolTip(tip.isEmpty() ? label.section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&')) : tip);
        a->setData(info.id);
        QKeySequence key = shortcutOf(info.id);
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WindowShortcut);
        }
        const int id = info.id;
        connect(a, &QAction::triggered, this, [this, id] { dispatchCommand(id); });
        actions_[id] = a;
        addAction(a);   // keys work while the menu bar is gone (full screen)
    }
    // F9 uncovers like F6.
    auto* f9 = new QAction(this);
    f9->setShortcut(Qt::Key_F9);
    f9->setShortcutContext(Qt::WindowShortcut);
    connect(f9, &QAction::triggered, this, [this] { dispatchCommand(cmd::kUncoverPicture); });
    addAction(f9);
    for (int id : {cmd::kFlatToolbar, cmd::kPinWindow, cmd::kToolbar, cmd::kStatusBar, cmd::kBlackCover,
                   cmd::kPolygonInfo, cmd::kStarsSmall, cmd::kStarsMedium, cmd::kStarsLarge, cmd::kStarsTwoRows,
                   cmd::kControlWindow, cmd::kToolMovePoints, cmd::kToolDrawPolygon, cmd::kToolDelete})
        if (QAction* a = action(id))
            a->setCheckable(true);
}

void CMainFrame::buildMenus()
{
    for (const MenuLayout& m : menuLayout()) {
        QMenu* menu = menuBar()->addMenu(utf8(m.title));
        for (int id : m.items) {
            if (id == 0)
                menu->addSeparator();
            else if (QAction* a = action(id))
                menu->addAction(a);
        }
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateCommandStates);
    }
}

void CMainFrame::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    statusPanes_[0] = new QLabel(idleText(), bar);
    bar->addWidget(statusPanes_[0]);
    // Right beside the hint, one click to the whole key map; the free room
    // of the bar lies after it.
    keyMapLink_ = new QLabel(QString::fromUtf8("<a href=\"keymap\">Tastaturbelegung…</a>"), bar);
    keyMapLink_->setObjectName("KeyMapLink");
    keyMapLink_->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    keyMapLink_->setMinimumWidth(1);
    keyMapLink_->hide();
    connect(keyMapLink_, &QLabel::linkActivated, this, [this] { dispatchCommand(cmd::kKeyMap); });
    bar->addWidget(keyMapLink_, 1);
    const char* indicators[] = {"UF", "NUM", "RF"};
    for (int i = 1; i < kStatusPaneCount; ++i) {
        statusPanes_[i] = new QLabel(bar);
        statusPanes_[i]->setObjectName(QString::fromLatin1(indicators[i - 1]));
        statusPanes_[i]->setMinimumWidth(statusPanes_[i]->fontMetrics().horizontalAdvance("NUMM"));
        statusPanes_[i]->setAlignment(Qt::AlignCenter);
        bar->addPermanentWidget(statusPanes_[i]);
    }
}

bool CMainFrame::create(FrameView* view)
{
    view_ = view;
    buildStatusBar();
    const QImage strip = loadToolbarStrip();
    if (strip.isNull())
        return false;
    toolBar_ = new CToolBarNew(strip, actions_, this);
    toolBar_->setFlat(flatMode_ != 0);
    connect(toolBar_, &CToolBarNew::commandIssued, this, [this](int id) { dispatchCommand(id); });
    addToolBar(Qt::TopToolBarArea, toolBar_);
    buildMenus();
    setupMenuIcons(menuBar(), strip);
    if (view_)
        setCentralWidget(view_->widget());
    if (view_)
        view_->widget()->installEventFilter(this);
    toolBarWasVisible_ = true;
    statusBarWasVisible_ = true;
    setDocumentPath("Das Spiel");
    updateTimer_.start();
    updateCommandStates();
    return true;
}

void CMainFrame::restorePlacement()
{
    if (placementRestored_)
        return;
    placementRestored_ = true;
    creation_ = gz::restorePlacement(monitors_, readFramePlacement(settings_), true);
    // The stored position is the frame's; given before the window exists,
    // the window system places the frame there.
    if (!creation_.defaultPosition)
        move(creation_.x, creation_.y);
    if (creation_.defaultSize) {
        // The window system's default size: most of the screen, as a
        // desktop would give a new main window.
        if (QScreen* s = QGuiApplication::primaryScreen())
            resize(s->availableGeometry().size() * 3 / 4);
    } else {
        // The stored size is the outer one, the window system sizes the
        // inside. An X11 window manager tells the frame it will add before
        // the window is shown, so even a window that starts maximised keeps
        // its normal size for the day it is restored.
        const std::optional<QMargins> frame = x11::expectedFrameMargins();
        frameFitted_ = frame.has_value();
        const QMargins m = frame.value_or(QMargins());
        resize(creation_.width - m.left() - m.right(), creation_.height - m.top() - m.bottom());
    }
}

void CMainFrame::finishPlacement()
{
    // Without the window manager's word, take the decorations off as soon
    // as the window system knows them.
    if (!creation_.defaultSize && !frameFitted_) {
        QSize deco = frameGeometry().size() - size();
        resize(creation_.width - deco.width(), creation_.height - deco.height());
        if (!creation_.defaultPosition)
            move(creation_.x, creation_.y);
    }
    if (creation_.maximized)
        showMaximized();
}

void CMainFrame::savePlacementNow()
{
    if (placementSaved_)
        return;
    placementSaved_ = true;
    const MonitorRect outer = monitorRectOf(frameGeometry());
    // In full screen the window counts as maximised: the normal placement stays.
    const bool maximized = isMaximized() || fullScreen_ != kFullScreenOff || isFullScreen();
    writeFramePlacement(settings_, gz::savePlacement(monitors_, outer, maximized));
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    savePlacementNow();
    if (view_)
        view_->viewClosing();
    updateTimer_.stop();
    event->accept();
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
}

bool CMainFrame::commandEnabled(int id)
{
    if (isFrameCommand(id) || id == cmd::kAbout || id == cmd::kKeyMap || id == cmd::kExit)
        return true;
    return view_ && view_->commandEnabled(id);
}

bool CMainFrame::commandChecked(int id)
{
    switch (id) {
    case cmd::kFlatToolbar: return flatMode_ != 0;
    case cmd::kPinWindow: return onTop_;
    case cmd::kToolbar: return toolBar_ && toolBar_->isVisible();
    case cmd::kStatusBar: return statusBar()->isVisible();
    default: return view_ && view_->commandChecked(id);
    }
}

void CMainFrame::updateCommandStates()
{
    refreshTitle();
    updateStatusHint();
    // The selector follows modes set elsewhere too (the remote, a script,
    // "Neu"); a change made here never issues a command.
    if (QComboBox* selector = toolBar_ ? toolBar_->modeSelector() : nullptr) {
        const int mode = view_ ? view_->selectedMode() : -1;
        if (mode >= 0 && mode < selector->count() && mode != selector->currentIndex())
            selector->setCurrentIndex(mode);
    }
    for (auto& [id, a] : actions_) {
        a->setEnabled(commandEnabled(id));
        if (a->isCheckable())
            a->setChecked(commandChecked(id));
    }
}

void CMainFrame::dispatchCommand(int id)
{
    if (!commandEnabled(id))
        return;
    switch (id) {
    case cmd::kFullScreen: toggleFullScreen(); break;
    case cmd::kFlatToolbar: toggleFlatMode(); break;
    case cmd::kPinWindow: toggleOnTop(); break;
    case cmd::kToolbar:
        if (toolBar_)
            toolBar_->setVisible(!toolBar_->isVisible());
        break;
    case cmd::kStatusBar: statusBar()->setVisible(!statusBar()->isVisible()); break;
    case cmd::kExit: close(); break;
    default:
        if (appCommands_ && appCommands_(id))
            break;
        if (view_)
            view_->runCommand(id);
        break;
    }
    updateCommandStates();
}

void CMainFrame::postCommand(int id)
{
    QMetaObject::invokeMethod(this, [this, id] { dispatchCommand(id); }, Qt::QueuedConnection);
}

void CMainFrame::toggleFullScreen()
{
    QWidget* v = view_ ? view_->widget() : nullptr;
    if (fullScreen_ == kFullScreenOff) {
        // The audience screen is the one the window is on now; take it
        // before a maximised window shrinks back to its normal place.
        QScreen* target = fullScreenTarget();
        const bool maximized = isMaximized();
        fullScreen_ = maximized ? kFullScreenFromMaximized : kFullScreenFromNormal;
        // A maximised window goes to full screen as it is: shown normal on
        // the way, with its maximised size, it would leave the window
        // system that size as its normal one. Only when it must leave its
        // screen (for the game master's window) is it shown normal first,
        // and its normal place is put back before it is maximised again.
        const QWindow* handle = windowHandle();
        maximizedMoved_ = maximized && target && windowPositionKnown() && handle && handle->screen() != target;
        if (!maximized)
            normalGeometry_ = geometry();
        else if (maximizedMoved_)
            normalGeometry_ = normalGeometry();
        statusBarWasVisible_ = statusBar()->isVisible();
        statusBar()->hide();
        toolBarWasVisible_ = toolBar_ && toolBar_->isVisible();
        if (toolBar_)
            toolBar_->hide();
        menuBar()->hide();
        // Wayland full-screens on the output of the window's screen; X11
        // window managers on the monitor the window lies on: give both (a
        // maximised window already fills its monitor).
        if (target) {
            if (QWindow* w = windowHandle())
                w->setScreen(target);
            if (maximizedMoved_)
                showNormal();
            if (windowPositionKnown() && (!maximized || maximizedMoved_))
                setGeometry(target->geometry());
        }
        showFullScreen();
    } else {
        if (statusBarWasVisible_ && !statusBar()->isVisible())
            statusBar()->show();
        if (toolBar_ && toolBarWasVisible_ && !toolBar_->isVisible())
            toolBar_->show();
        menuBar()->show();
        const bool wasMaximized = fullScreen_ == kFullScreenFromMaximized;
        fullScreen_ = kFullScreenOff;
        if (wasMaximized) {
            if (maximizedMoved_) {
                showNormal();
                setGeometry(normalGeometry_);
                maximizedMoved_ = false;
            }
            showMaximized();
        } else {
            showNormal();
            setGeometry(normalGeometry_);
        }
    }
    if (v)
        view_->setZoomState(fullScreen_, QRect(v->mapToGlobal(QPoint(0, 0)), v->size()));
    update();
}

bool CMainFrame::makeMenuItemPlain(uintptr_t menu, uintptr_t position)
{
    // Only our own menus are touched; the number is compared, not followed.
    for (QAction* top : menuBar()->actions()) {
        QMenu* m = top->menu();
        if (!m || reinterpret_cast<uintptr_t>(m) != menu)
            continue;
        const QList<QAction*> items = m->actions();
        if (position >= static_cast<uintptr_t>(items.size()))
            return false;
        items[static_cast<qsizetype>(position)]->setIcon(QIcon());
        items[static_cast<qsizetype>(position)]->setText(QString());
        return true;
    }
    return false;
}

void CMainFrame::reportZoomRect()
{
    if (fullScreen_ == kFullScreenOff)
        return;
    if (QWidget* v = view_ ? view_->widget() : nullptr)
        view_->zoomRectChanged(QRect(v->mapToGlobal(QPoint(0, 0)), v->size()));
}

QScreen* CMainFrame::fullScreenTarget()
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    const std::vector<MonitorRect> rects = screenRects(screens);
    // Where the position is not known (Wayland), a window counts as its
    // whole screen.
    auto placeOf = [](const QWidget* w) {
        return monitorRectOf(windowPositionKnown() || !w->screen() ? w->frameGeometry() : w->screen()->geometry());
    };
    QWidget* companion = view_ ? view_->companionWindow() : nullptr;
    if (!companion || !companion->isVisible() || screens.size() < 2) {
        const int i = fullScreenMonitor(rects, placeOf(this));
        return i >= 0 ? screens[i] : nullptr;
    }
    const int control = fullScreenMonitor(rects, placeOf(companion));
    const QString rememberedName = QString::fromStdString(readAudienceScreen(settings_));
    int remembered = -1;
    for (qsizetype i = 0; i < screens.size(); ++i)
        if (!rememberedName.isEmpty() && screens[i]->name() == rememberedName)
            remembered = static_cast<int>(i);
    const int i = audienceMonitor(rects, placeOf(this), control, remembered);
    if (i < 0)
        return nullptr;
    // Remembered so that the next show, with both windows on the game
    // master's screen again, goes to the same projector.
    writeAudienceScreen(settings_, screens[i]->name().toStdString());
    return screens[i];
}

void CMainFrame::toggleFlatMode()
{
    flatMode_ = flatMode_ ? 0 : 1;
    if (toolBar_) {
        toolBar_->setFlat(flatMode_ != 0);
        if (toolBar_->isVisible()) {
            toolBar_->hide();
            toolBar_->show();
        }
    }
}

void CMainFrame::toggleOnTop()
{
    onTop_ = !onTop_;
    // The shown window takes the hint as it is. Through the widget the
    // window would be made anew, hidden and shown again, and a maximised
    // one would lose its normal size on the way.
    if (QWindow* w = windowHandle(); w && isVisible()) {
        const Qt::WindowFlags flags = onTop_ ? windowFlags() | Qt::WindowStaysOnTopHint
                                             : windowFlags() & ~Qt::WindowStaysOnTopHint;
        overrideWindowFlags(flags);   // the widget's record, without making the window anew
        w->setFlags(flags);
        return;
    }
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop_);
}

void CMainFrame::setDocumentPath(const std::string& path)
{
    doc_.pathName = path;
    refreshTitle();
}

void CMainFrame::refreshTitle()
{
    QString title = view_ ? QString::fromStdString(view_->editingTitle()) : QString();
    if (title.isEmpty()) {
        const QString name = QString::fromStdString(cp1252::toUtf8(doc_.pathName));
        title = name.isEmpty() ? QString() : QFileInfo(name).fileName();
    }
    const QString full = title.isEmpty() ? QStringLiteral("GameZinko") : title + QStringLiteral(" - GameZinko");
    // The timer calls this ten times a second; an unchanged title is left
    // alone so the window manager is not asked again and again.
    if (windowTitle() != full)
        setWindowTitle(full);
}

void CMainFrame::setMessageText(const QString& text)
{
    if (statusPanes_[0])
        statusPanes_[0]->setText(text);
    updateKeyMapLink();
}

void CMainFrame::showIdleMessage() { setMessageText(idleText()); }

QString CMainFrame::idleText() const { return hint_.isEmpty() ? QStringLiteral("Bereit") : hint_; }

void CMainFrame::updateStatusHint()
{
    if (!statusPanes_[0])
        return;
    const QString hint = view_ ? QString::fromStdString(view_->statusHint()) : QString();
    if (hint == hint_)
        return;
    const bool idleShown = statusPanes_[0]->text() == idleText();
    hint_ = hint;
    if (idleShown)
        statusPanes_[0]->setText(idleText());
    updateKeyMapLink();
}

void CMainFrame::updateKeyMapLink()
{
    if (keyMapLink_)
        keyMapLink_->setVisible(!hint_.isEmpty() && statusPanes_[0]->text() == hint_);
}

QString CMainFrame::messageText() const { return statusPanes_[0] ? statusPanes_[0]->text() : QString(); }

void CMainFrame::updateLockIndicators()
{
    if (!statusPanes_[1])
        return;
    // The window system's keyboard is the one the game master types on.
    const x11::LockStates locks = lockReader_.read().value_or(
        x11::LockStates{lockLedOn("capslock"), lockLedOn("numlock"), lockLedOn("scrolllock")});
    statusPanes_[1]->setText(locks.capsLock ? QStringLiteral("UF") : QString());
    statusPanes_[2]->setText(locks.numLock ? QStringLiteral("NUM") : QString());
    statusPanes_[3]->setText(locks.scrollLock ? QStringLiteral("RF") : QString());
}

// --- message interface ---

bool CMainFrame::queueExit()
{
    postCommand(cmd::kExit);
    return true;
}

std::string CMainFrame::currentDocumentPath() const { return view_ ? doc_.pathName : std::string(); }

bool CMainFrame::openDocument(const std::string& path)
{
    if (!view_)
        return false;
    // Reads nothing: the path only becomes the document's name.
    setDocumentPath(path);
    return true;
}

void CMainFrame::setStatusText(int pane, const std::string& text)
{
    if (pane >= 0 && pane < kStatusPaneCount && statusPanes_[pane]) {
        statusPanes_[pane]->setText(QString::fromStdString(cp1252::toUtf8(text)));
        updateKeyMapLink();
        statusPanes_[pane]->repaint();
    }
}

intptr_t CMainFrame::sendCopyData(uintptr_t asker, uint32_t code, const std::string& payload)
{
    return server_ ? server_->sendCopyData(asker, code, payload) : 0;
}

bool CMainFrame::listen(const QString& name)
{
    auto* server = new MessageServer(messages_, this);
    server->setAnswerWait(answerWait_);
    if (!server->listen(name)) {
        delete server;
        return false;
    }
    server_ = server;
    return true;
}

void CMainFrame::setAnswerWait(std::chrono::milliseconds wait)
{
    answerWait_ = wait;
    if (server_)
        server_->setAnswerWait(wait);
}

}  // namespace gz
