// GameZinkoApp: start-up in the fixed order (settings location, recent
// documents, frame with its restored placement, document and view, show,
// then the command line), and the two dialogs of the "&?" menu.
#pragma once

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/settings_store.h"
#include "shell/settings_values.h"

namespace gz {

class CMainFrame;
class FrameView;

constexpr const char* kAboutVersionLine = "GameZinko Version 1.09";

// About box "Info über GameZinko".
class AboutDialog : public QDialog {
public:
    explicit AboutDialog(QWidget* parent);
};

// Key map "Tastaturbelegung".
class KeyMapDialog : public QDialog {
public:
    explicit KeyMapDialog(QWidget* parent);
};

class GameZinkoApp {
public:
    using ViewFactory = std::function<std::unique_ptr<FrameView>(CMainFrame&, SettingsBackend&)>;

    GameZinkoApp(SettingsBackend& settings, ViewFactory makeView);
    ~GameZinkoApp();

    // Steps of the start; false when the frame or the view cannot be made.
    // args: the process arguments after the program name.
    bool start(const std::vector<std::string>& args, bool listenForMessages = true);
    // A warning for the user (German, Windows-1252), shown in a box over
    // the main window once the message loop runs; after start().
    void warnWhenRunning(std::string text);

    CMainFrame* frame() const { return frame_.get(); }
    FrameView* view() const { return view_.get(); }

private:
    bool applicationCommand(int id);
    void addRecentDocument(const std::string& path);

    SettingsBackend& settings_;
    ViewFactory makeView_;
    // Recent-document list and preview pages: read at the start, written at
    // the exit (before the view and the frame store their own settings).
    bool started_ = false;
    RecentFiles recent_;
    int32_t previewPages_ = 0;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<FrameView> view_;
};

}  // namespace gz
