// What the main frame needs of the board view it carries: the view's
// commands with their enable and tick rules, the full-screen state hand-over
// and the end of the window. CGameZinkoView implements it; frame tests use a
// fake.
#pragma once

#include <QRect>
#include <string>

class QWidget;

namespace gz {

class FrameView {
public:
    virtual ~FrameView() = default;
    virtual QWidget* widget() = 0;
    // For ids the view does not handle: false.
    virtual bool commandEnabled(int id) = 0;
    virtual bool commandChecked(int id) = 0;
    // Runs the command when its rule allows it; ignored otherwise.
    virtual void runCommand(int id) = 0;
    // FullScreenState 0/1/2 with the view's screen rectangle.
    virtual void setZoomState(int state, const QRect& viewScreenRect) = 0;
    // In full screen the view's rectangle changed (the window system sized
    // the window after the request); the state stays.
    virtual void zoomRectChanged(const QRect& /*viewScreenRect*/) {}
    virtual void setPicturePath(const std::string& path) = 0;
    // The game and mode being edited, for the window title (UTF-8); empty
    // when the title shows the document as usual (play mode).
    virtual std::string editingTitle() { return {}; }
    // A hint for the status bar's message pane when nothing else is to be
    // said there (UTF-8); empty: the usual "Bereit".
    virtual std::string statusHint() { return {}; }
    // The mode the toolbar's selector shows (its entry index, the mode
    // command less 16000); -1 leaves the selector as it is.
    virtual int selectedMode() { return -1; }
    // A window of the view's own beside the board (the game master's);
    // while it is shown, full screen goes to another screen than its one.
    virtual QWidget* companionWindow() { return nullptr; }
    // The window goes away: save after asking, stop sound and threads.
    virtual void viewClosing() = 0;
};

}  // namespace gz
