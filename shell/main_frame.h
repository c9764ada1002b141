// CMainFrame: the single top-level window with menu bar, toolbar (with the
// mode selector), status bar and the board view as its client. It keeps its
// placement across runs, switches into and out of full screen (F10, the
// toolbar, "-z"), can stay on top of other windows, switches the toolbar
// between flat and raised buttons and answers the message interface on a
// per-user local socket. Commands from menu, keys and toolbar are checked
// against their enable rule before they run.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "shell/frame_messages.h"
#include "shell/frame_placement.h"
#include "shell/settings_store.h"
#include "shell/settings_values.h"
#include "shell/x11_window_system.h"

class QScreen;

namespace gz {

class CToolBarNew;
class FrameView;
class MessageServer;

enum FrameFullScreen : int { kFullScreenOff = 0, kFullScreenFromNormal = 1, kFullScreenFromMaximized = 2 };

// The document: no data, only a path name for the title.
struct CGameZinkoDoc {
    std::string pathName;
};

class CMainFrame : public QMainWindow, private FrameMessageHost {
    Q_OBJECT
public:
    // Construction reads FlatMode and ShowGamerBar and builds the monitor table.
    explicit CMainFrame(SettingsBackend& settings, QWidget* parent = nullptr);
    ~CMainFrame() override;   // writes FlatMode and ShowGamerBar

    // The placement restore, at most once per frame object, before show().
    void restorePlacement();
    // The creation sequence: status bar, toolbar with selector, menus with
    // icons. False when the toolbar bitmap is missing.
    bool create(FrameView* view);
    // Applied after the first show (decorations are known only then).
    void finishPlacement();

    // Starts answering the message interface; false when the name is taken
    // by a live instance (this one then stays without the interface). A name
    // left behind by an instance that ended without closing is taken over.
    bool listen(const QString& name);
    // How long an asker of the path may take to answer the path reply; its
    // later requests wait meanwhile, nothing else does.
    void setAnswerWait(std::chrono::milliseconds wait);

    // Commands: enable rule first, then the command.
    void dispatchCommand(int id);
    bool commandEnabled(int id);
    bool commandChecked(int id);
    void postCommand(int id);
    // About, key map and exit belong to the application object.
    void setApplicationCommands(std::function<bool(int)> handler) { appCommands_ = std::move(handler); }

    int fullScreenState() const { return fullScreen_; }
    bool alwaysOnTop() const { return onTop_; }
    bool flatMode() const { return flatMode_ != 0; }
    const MonitorTable& monitors() const { return monitors_; }
    CToolBarNew* toolBar() const { return toolBar_; }
    QAction* action(int id) const;
    CGameZinkoDoc& document() { return doc_; }
    void setDocumentPath(const std::string& path);
    // The document's name, or the game and mode while one is edited.
    void refreshTitle();
    const std::string& receivedPath() const { return messages_.receivedPath(); }
    FrameMessageHandler& messages() { return messages_; }
    void updateCommandStates();
    // The message pane of the status bar ("Bereit" when idle).
    void setMessageText(const QString& text);
    QString messageText() const;
    // Back to what the pane says when nothing else is to be said: the
    // view's hint while it has one (with the link to the key map beside
    // it), else "Bereit". A message set meanwhile stays until then.
    void showIdleMessage();
    QLabel* keyMapLink() const { return keyMapLink_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildActions();
    void buildMenus();
    void buildStatusBar();
    void toggleFullScreen();
    QScreen* fullScreenTarget();
    void reportZoomRect();   // the view's screen rectangle, for cursor parking
    void toggleFlatMode();
    void toggleOnTop();
    void savePlacementNow();
    void updateLockIndicators();
    // Follows the view's hint; a pane showing another message keeps it.
    void updateStatusHint();
    QString idleText() const;
    void updateKeyMapLink();

    // FrameMessageHost
    bool queueExit() override;
    std::string currentDocumentPath() const override;
    bool openDocument(const std::string& path) override;
    void setStatusText(int pane, const std::string& text) override;
    intptr_t sendCopyData(uintptr_t asker, uint32_t code, const std::string& payload) override;
    bool makeMenuItemPlain(uintptr_t menu, uintptr_t position) override;

    SettingsBackend& settings_;
    FrameOptions options_;
    int flatMode_ = 1;
    MonitorTable monitors_;
    bool placementRestored_ = false;
    CreationPlacement creation_;
    bool frameFitted_ = false;   // the restored size was fitted to the window manager's frame
    FrameView* view_ = nullptr;
    CToolBarNew* toolBar_ = nullptr;
    std::map<int, QAction*> actions_;
    QLabel* statusPanes_[kStatusPaneCount] = {};
    QLabel* keyMapLink_ = nullptr;
    QString hint_;   // the view's status hint; empty: none
    x11::LockIndicatorReader lockReader_;
    QTimer updateTimer_;
    bool onTop_ = false;
    int fullScreen_ = kFullScreenOff;
    QRect normalGeometry_;   // the normal window before full screen
    bool maximizedMoved_ = false;   // a maximised window went full screen on another screen
    bool toolBarWasVisible_ = true;
    bool statusBarWasVisible_ = true;
    bool placementSaved_ = false;
    CGameZinkoDoc doc_;
    FrameMessageHandler messages_{*this};
    std::function<bool(int)> appCommands_;
    MessageServer* server_ = nullptr;
    std::chrono::milliseconds answerWait_{2000};
};

}  // namespace gz
