// CGameZinkoView: the board view window. It owns the BoardView (game, show
// engine, renderer, editor, options, buzzer buttons), the canvas widget,
// the 93 ms ShowTimer, the sound machinery, the remote-control poller and
// the gate all buzzer sources share, and gives the BoardView its
// window-system services: dialogs, German message boxes, mouse capture and
// cursor, command posting (also from the poller's thread), repainting.
//
// Keyboard buzzers: a key typed anywhere in the main window (view, toolbar,
// menu bar) that is bound to {kKeyboardDevice, key} does its action through
// the gate, and goes no further; other keys go their usual way. Only keys
// that can be buzzer keys at all (shell/keyboard_buzzer_keys.h) are looked
// up, so no function key, Escape or Ctrl combination is ever taken.
#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "board/board_view.h"
#include "board/view_platform.h"
#include "game/message_box.h"
#include "shell/frame_view.h"
#include "show/buzzer_action.h"
#include "show/system_show_clock.h"

namespace gz {

class BoardCanvasWidget;
class BuzzerDialog;
class ControlWindow;
class LibraryNextGameLookup;
class CMainFrame;
class ImportPicturesDialog;
class NewPictureDialog;
class InputDevicePoller;
class InputDeviceSource;
struct InputAccessStatus;
class RemotePoller;
struct RemotePortStatus;
class ShowSound;

struct ViewDevices {
    bool sound = true;    // false: no sound machinery at all (tests)
    bool remote = true;   // false: no poller threads, neither remote nor input devices (tests)
    ShowClock* clock = nullptr;   // the show's clock; null: the system's (tests pass their own)
    // The input devices; null: /dev/input, read while `remote` is on (tests
    // pass pipes, read whatever `remote` says).
    InputDeviceSource* inputSource = nullptr;
    // The game library's file system; null: the real one (tests pass one
    // that refuses writes where permissions cannot, as for root).
    FileSystem* fileSystem = nullptr;
};

class CGameZinkoView : public QWidget, public FrameView, private ViewPlatform, private MessageBoxes {
    Q_OBJECT
public:
    CGameZinkoView(CMainFrame& frame, SettingsBackend& settings, ViewDevices devices = {});
    ~CGameZinkoView() override;   // writes the options, stops the poller

    BoardView& board() { return *board_; }
    BoardCanvasWidget* canvasWidget() const { return canvasWidget_; }
    // "Moderatorfenster" while it exists (open or hidden), else null.
    ControlWindow* controlWindow() const { return controlWindow_.get(); }

    // --- Buzzers, for the input-device poller ---
    // The stored buttons (read at the start, changed by "Buzzer zuordnen";
    // mappingChanged tells). The poller acts by effectiveMapping() of it.
    const BuzzerMapping& buzzerMapping() const { return board_->buzzerMapping(); }
    // The gate every buzzer source of this show passes (any thread).
    BuzzerActionGate& buzzerGate() { return buzzerGate_; }
    // A press of an input device's button, on the window thread: learned by
    // an open "Buzzer zuordnen" dialog, ignored otherwise.
    void buzzerDevicePressed(const ButtonBinding& button);
    // The plugged-in input devices' keys and the buzzer set's key (empty:
    // none), for the dialog's list and its default; an open dialog follows.
    void setInputDevices(std::vector<std::string> deviceKeys, std::string quizDeviceKey);

    // FrameView
    QWidget* widget() override { return this; }
    bool commandEnabled(int id) override;
    bool commandChecked(int id) override;
    void runCommand(int id) override;
    void setZoomState(int state, const QRect& viewScreenRect) override;
    void zoomRectChanged(const QRect& viewScreenRect) override;
    void setPicturePath(const std::string& path) override;
    std::string editingTitle() override;
    std::string statusHint() override;
    int selectedMode() override;
    QWidget* companionWindow() override;
    void viewClosing() override;

signals:
    // The stored buzzer buttons changed (after the dialog's OK).
    void mappingChanged(const gz::BuzzerMapping& mapping);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void windowCreated();
    // "Moderatorfenster": opens or closes the game master's window; its
    // placement and whether it is open go to the settings.
    void toggleControlWindow();
    void openControlWindow();
    void saveControlWindow();
    void placeControlWindow(const ControlWindowSettings& stored);
    ShowClock& clock() { return devices_.clock ? *devices_.clock : clock_; }
    // A key of the main window bound as a keyboard buzzer: acts (unless the
    // gate holds it back or it repeats) and is taken. False for other keys.
    bool keyboardBuzzer(const QKeyEvent& event);
    void showRemotePortStatus(const RemotePortStatus& status);
    void startInputPoller();
    void showInputAccessStatus(const InputAccessStatus& status);
    // The status bar tells the first device problem there is: the remote's
    // port, else the input devices.
    void showDeviceProblem();
    // The dialog's device list and the buzzer set's key, from the poller.
    void refreshInputDevices();

    // ViewPlatform
    MessageBoxes& messageBoxes() override { return *this; }
    bool chooseFolder(const std::string& title, const std::string& startPath, std::string& chosen) override;
    bool askValue(const std::string& title, const std::string& prompt, int32_t& value) override;
    bool askText(const std::string& title, const std::string& prompt, std::string& text) override;
    bool askNewPicture(int32_t& number, NewGameRequest& request) override;
    bool askImportPictures(ImportRequest& request) override;
    bool askBuzzerMapping(BuzzerMapping& mapping) override;
    void buzzerMappingChanged() override;
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
    std::unique_ptr<InputDeviceSource> inputSource_;
    std::unique_ptr<InputDevicePoller> inputPoller_;   // stopped before the source goes
    std::unique_ptr<LibraryNextGameLookup> nextGames_;
    std::unique_ptr<ControlWindow> controlWindow_;      // goes before the board it shows
    BoardCanvasWidget* canvasWidget_ = nullptr;
    QTimer showTimer_;
    std::unique_ptr<NewPictureDialog> newPicture_;
    std::unique_ptr<ImportPicturesDialog> importPictures_;
    BuzzerActionGate buzzerGate_;
    BuzzerDialog* buzzerDialog_ = nullptr;   // while "Buzzer zuordnen" is open
    std::vector<std::string> inputDevices_;
    std::string quizDeviceKey_;
    QString importFolder_;       // where the last import's files came from
    bool shrinkLarge_ = false;   // the shrink choice both picture dialogs share
    bool created_ = false;
    bool closed_ = false;
    std::string remoteProblem_;   // status-bar texts of the device problems (UTF-8)
    std::string inputProblem_;
    bool deviceProblemShown_ = false;   // the status bar tells one of them
};

}  // namespace gz
