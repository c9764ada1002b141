// "Buzzer zuordnen": the dialog over BuzzerLearning (show/buzzer_learning.h)
// that teaches the show which button does which of the eight actions.
//
// It lists the actions with their buttons, marks the one waiting for its
// button and asks for it in a prompt line. A key typed anywhere in the
// dialog is learned as a keyboard buzzer {kKeyboardDevice, Qt key} unless
// it belongs to the game master or the dialog (shell/keyboard_buzzer_keys.h):
// Tab moves between the buttons, Return presses the focused one (or OK),
// Escape cancels, Alt+letter picks a button. Input-device presses come in
// through devicePressed (queued to the window thread by the caller). A
// click on a row makes that action the current one.
//
// OK gives the new mapping in mapping(); Abbrechen leaves the caller's.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "show/buzzer_learning.h"
#include "show/show_host.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace gz {

class BuzzerDialog : public QDialog {
    Q_OBJECT
public:
    // `start`: the mapping shown at first (the stored one, or the buzzer
    // set's default); `clock` times the presses for the learning's settle
    // time and must outlive the dialog.
    BuzzerDialog(const BuzzerMapping& start, ShowClock& clock, QWidget* parent = nullptr);

    // The plugged-in input devices by their keys, and which one is the
    // buzzer set (empty: none), whose buttons are then named by handset.
    void setDevices(const std::vector<std::string>& deviceKeys, const std::string& quizDeviceKey = {});

    BuzzerMapping mapping() const { return learning_.mapping(); }
    const BuzzerLearning& learning() const { return learning_; }

    // The readable German text of a binding, "– nicht zugeordnet –" for none.
    static QString bindingText(const std::optional<ButtonBinding>& binding, const std::string& quizDeviceKey);

public slots:
    // A press of an input device's button, on the window thread.
    void devicePressed(const gz::ButtonBinding& button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // True when the key was taken as a keyboard buzzer's.
    bool learnKey(const QKeyEvent& event);
    void learn(const ButtonBinding& button);
    // After a learned press or a skip.
    void stepped();
    void refresh();

    BuzzerLearning learning_;
    ShowClock& clock_;
    std::string quizDeviceKey_;
    QLabel* prompt_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* devices_ = nullptr;
    QPushButton* skip_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace gz
