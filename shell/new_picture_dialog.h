// "Neues Bild erstellen": picture file (with the recent list NameList),
// question, answer, mode, game number and whether a large picture is
// shrunk to screen size. One object lives for the program run, so
// question, answer, mode and the shrink choice of the last use come back
// (the choice starts off). OK checks that the file exists and that
// question and answer are not empty; the number is cut to 1..1000 and
// judged by game creation.
#pragma once

#include <QDialog>
#include <QString>

#include <string>

#include "shell/settings_store.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace gz {

class RecentNameList;

// The number text as OK reads it: decimal with leading blanks and a minus
// sign; no number gives 0; then <= 0 becomes 1 and >= 1000 becomes 1000.
int32_t newPictureNumber(const std::string& text);

// The browse dialog's filters: "Bilder (...)" naming every picture file the
// program reads, then "Alle Dateien (*)".
QString pictureFileFilter();

class NewPictureDialog : public QDialog {
    Q_OBJECT
public:
    NewPictureDialog(SettingsBackend& settings, QWidget* parent);

    // Shows the dialog for `number`; true on OK.
    bool showFor(int32_t number);

    // The fields (8-bit texts for question and answer, the path as bytes).
    std::string pictureFile;
    std::string question;
    std::string answer;
    int32_t mode = 0;
    int32_t number = 0;
    bool shrinkLarge = false;   // "Großes Bild auf Bildschirmgröße verkleinern"

    // For tests: the controls.
    RecentNameList* pathBox() const { return path_; }
    QLineEdit* questionEdit() const { return question_; }
    QLineEdit* answerEdit() const { return answer_; }
    QLineEdit* numberEdit() const { return number_; }
    QRadioButton* modeButton(int i) const { return modes_[i]; }
    QCheckBox* shrinkBox() const { return shrink_; }

public slots:
    void accept() override;

private:
    void browse();
    void controlsToFields();
    void fieldsToControls();
    void message(const char* text);

    SettingsBackend& settings_;
    RecentNameList* path_ = nullptr;
    QLineEdit* question_ = nullptr;
    QLineEdit* answer_ = nullptr;
    QLineEdit* number_ = nullptr;
    QRadioButton* modes_[3] = {};
    QCheckBox* shrink_ = nullptr;
    std::string numberText_;
};

}  // namespace gz
