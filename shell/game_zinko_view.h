// CGameZinkoView: the board view window. It owns the BoardView (game, show
// engine, renderer, editor, options), the canvas widget, the 93 ms
// ShowTimer, the sound machinery and the remote-control poller, and gives
// the BoardView its window-system services: dialogs, German message boxes,
// mouse capture and cursor, command posting (also from the poller's
// thread), repainting.
#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>

#include "board/board_view.h"
#include "board/view_platform.h"
#include "game/message_box.h"
#include "shell/frame_view.h"
#include "show/system_show_clock.h"

namespace gz {

class BoardCanvasWidget;
class CMainFrame;
class ImportPicturesDialog;
class NewPictureDialog;
class RemotePoller;
struct RemotePortStatus;
class ShowSound;

struct ViewDevices {
    bool sound = true;    // false: no sound machinery at all (tests)
    bool remote = true;   // false: no poller thread (tests)
};

class CGameZinkoView : public QWidget, public FrameView, private ViewPlatform, private MessageBoxes {
    Q_OBJECT
public:
    CGameZinkoView(CMainFrame& frame, SettingsBackend& settings, ViewDevices devices = {});
    ~CGameZinkoView() override;   // writes the options, stops the poller

    BoardView& board() { return *board_; }
    BoardCanvasWidget* canvasWidget() const { return canvasWidget_; }

    // FrameView
    QWidget* widget() override { return this; }
    bool commandEnabled(int id) override;
    bool commandChecked(int id) override;
    void runCommand(int id) override;
    void setZoomState(int state, const QRect& viewScreenRect) override;
    void zoomRectChanged(const QRect& viewScreenRect) override;
    void setPicturePath(const std::string& path) override;
    std::string editingTitle() override;
    void viewClosing() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void windowCreated();
    void showRemotePortStatus(const RemotePortStatus& status);

    // ViewPlatform
    MessageBoxes& messageBoxes() override { return *this; }
    bool chooseFolder(const std::string& title, const std::string& startPath, std::string& chosen) override;
    bool askValue(const std::string& title, const std::string& prompt, int32_t& value) override;
    bool askText(const std::string& title, const std::string& prompt, std::string& text) override;
    bool askNewPicture(int32_t& number, NewGameRequest& request) override;
    bool askImportPictures(ImportRequest& request) override;
    void runImport(const ImportRequest& request, const ImportJob& job) override;
    void postCommand(int32_t id) override;
    void updateCanvas() override;
    void comPortChanged(int32_t port) override;
    // EditorHost
    void captureMouse() override;
    void releaseMouse() override;
    void setCursor(CursorKind kind) override;
    bool isControlDown() override;
    void warningBeep() override;
    void invalidate(const BoardRect& area) override;
    void repaintNow() override;
    void sortOrderChanged() override;
    // PointerControl
    bool cursorPos(ScreenPoint& out) override;
    void setCursorPos(ScreenPoint p) override;
    // MessageBoxes
    MessageAnswer show(std::string_view text, std::string_view caption, MessageButtons buttons,
                       MessageIcon icon) override;
    void setWaitCursor(bool on) override;

    CMainFrame& frame_;
    SettingsBackend& settings_;
    ViewDevices devices_;
    SystemShowClock clock_;
    std::unique_ptr<ShowSound> sound_;
    std::unique_ptr<BoardView> board_;
    std::unique_ptr<RemotePoller> poller_;
    BoardCanvasWidget* canvasWidget_ = nullptr;
    QTimer showTimer_;
    std::unique_ptr<NewPictureDialog> newPicture_;
    std::unique_ptr<ImportPicturesDialog> importPictures_;
    QString importFolder_;       // where the last import's files came from
    bool shrinkLarge_ = false;   // the shrink choice both picture dialogs share
    bool created_ = false;
    bool closed_ = false;
    bool portProblemShown_ = false;   // the status bar tells a port problem
};

}  // namespace gz
