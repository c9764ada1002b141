// ControlWindow: "Moderatorfenster", the game master's own top-level window
// beside the audience's board. It shows the ControlPanelModel's snapshot in
// large type (the answer always, marked while the audience cannot see it),
// the cover as the audience sees it in small with every polygon's outline,
// a countdown bar to the next uncover step, and big buttons for the game
// master's commands. The buttons go through `dispatch` (the main frame's
// command path), so the enable rules of the menu apply; a button is
// enabled exactly when that rule says so.
//
// It follows the show on its own 93 ms timer and touches only the widgets
// whose fields changed. Keys typed in it go to `keyTarget` (the board), and
// the frame's shortcut actions can be added to it so accelerators work here
// as they do on the board.
#pragma once

#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

#include "show/control_panel.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace gz {

class ControlPicture;

// The next game read from the library folder at `picturePath()`: the game
// exists when its polygon file does, its question comes from its text file.
class LibraryNextGameLookup final : public NextGameLookup {
public:
    explicit LibraryNextGameLookup(std::function<std::string()> picturePath);
    bool question(int32_t number, std::string& out) override;

private:
    std::function<std::string()> picturePath_;
};

class ControlWindow : public QWidget {
    Q_OBJECT
public:
    ControlWindow(const ShowEngine& engine, ShowClock& clock, NextGameLookup* lookup,
                  std::function<void(int)> dispatch, QWidget* keyTarget, QWidget* parent = nullptr);
    ~ControlWindow() override;

    // Where the board's black-cover option is read at every refresh; the
    // small view then fills the cover as the board does.
    void setBlackCoverSource(std::function<bool()> blackCover) { blackCover_ = std::move(blackCover); }

    // One refresh, as the timer does it; returns the fields that changed.
    uint32_t refresh();
    const ControlPanelModel& model() const { return model_; }

    // For tests: the texts and buttons as the game master sees them.
    QString gameText() const;
    QString questionText() const;
    QString answerText() const;
    bool answerHiddenMarkVisible() const;
    QString polygonsText() const;
    int countdownValue() const;
    int countdownMaximum() const;
    QString playerText(int side) const;
    QString buzzText() const;
    QString nextText() const;
    QPushButton* button(ControlCommand c) const { return buttons_[static_cast<int>(c)]; }

signals:
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void apply(uint32_t changed);

    const ShowEngine& engine_;
    ControlPanelModel model_;
    std::function<void(int)> dispatch_;
    std::function<bool()> blackCover_;
    bool blackCoverShown_ = false;
    QWidget* keyTarget_;
    QTimer timer_;
    QLabel* game_ = nullptr;
    QLabel* question_ = nullptr;
    QLabel* answer_ = nullptr;
    QLabel* hiddenMark_ = nullptr;
    QLabel* polygons_ = nullptr;
    QProgressBar* countdown_ = nullptr;
    std::array<QLabel*, kPlayerCount> players_{};
    QLabel* buzz_ = nullptr;
    QLabel* next_ = nullptr;
    ControlPicture* picture_ = nullptr;
    std::array<QPushButton*, kControlCommandCount> buttons_{};
};

}  // namespace gz
