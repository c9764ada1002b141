// The two one-line input dialogs: ValueInputDialog asks for an integer,
// TextInputDialog for a line of text. Both show a prompt line, an entry and
// the buttons "OK" and "Abbrechen" in a fixed 232 x 58 dialog-unit layout.
// They check nothing: ranges and meaning are the caller's business.
//
// A dialog object is configured, shown once with showModal() and read
// afterwards. Cancel, the close box and Escape leave the value (or text) as
// it was set. Title and prompt are Unicode; the text dialog's text is the
// game's 8-bit Windows-1252 text.
#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

class QLabel;
class QLineEdit;
class QPushButton;

namespace gz {

// The button that closed a dialog (the numbers of the two buttons).
enum class DialogButton { Ok = 1, Cancel = 2 };

// Caption used while the caller's title is empty.
inline constexpr const char* kInputDialogDefaultTitle = "Dateinamen eingeben";

class InputDialogBase : public QDialog {
    Q_OBJECT
public:
    // Stored; applied when the dialog opens. Empty keeps the default
    // caption, or leaves the prompt line empty.
    void setTitle(const QString& title) { title_ = title; }
    void setPrompt(const QString& prompt) { prompt_ = prompt; }

    QLineEdit* entry() const { return entry_; }
    QLabel* promptLabel() const { return prompt_label_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    explicit InputDialogBase(QWidget* parent);
    // Applies title, prompt and entry text, selects the whole entry so that
    // typing replaces it, and runs the dialog modally.
    DialogButton run(const QString& entryText);

private:
    QString title_;
    QString prompt_;
    QLabel* prompt_label_ = nullptr;
    QLineEdit* entry_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

class ValueInputDialog : public InputDialogBase {
    Q_OBJECT
public:
    explicit ValueInputDialog(QWidget* parent = nullptr);

    // Stores the value and writes it into the entry text in `format`
    // (0 decimal, 1 0xFF, 2 0b.., 3 0o.., 4 FFh, 5 ..b, 6 ..o, other unsigned).
    void setValue(int32_t value, int format = 0);
    DialogButton showModal();
    // After OK the parsed entry, after cancel the value last set.
    int32_t value() const { return value_; }
    const std::string& entryText() const { return entryText_; }

public slots:
    void accept() override;

private:
    std::string entryText_ = "0";
    int32_t value_ = 0;
};

class TextInputDialog : public InputDialogBase {
    Q_OBJECT
public:
    explicit TextInputDialog(QWidget* parent = nullptr);

    // The initial entry, 8-bit text.
    void setText(std::string_view text) { text_ = text; }
    // The second layout: the entry hides its characters.
    void setPasswordEntry(bool hidden);
    DialogButton showModal();
    // On OK the entry as typed (characters outside the code page become '?').
    const std::string& text() const { return text_; }
    // Copies at most size - 1 bytes and a zero; returns the bytes copied;
    // size <= 0 copies nothing.
    int getText(char* buffer, int size) const;

public slots:
    void accept() override;

private:
    std::string text_;
};

}  // namespace gz
