// The modal message boxes the game library shows, as an interface the user
// interface implements (tests record the calls). Texts and captions are
// Windows-1252 bytes, shown as they are.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace gz {

enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Question, Warning, Error };
enum class MessageAnswer { Ok, Yes, No, Cancel };

constexpr std::string_view kErrorCaption = "Fehler";

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the box and returns the button pressed.
    virtual MessageAnswer show(std::string_view text, std::string_view caption, MessageButtons buttons,
                               MessageIcon icon) = 0;
    // The wait cursor around long operations; on until set off again.
    virtual void setWaitCursor(bool /*on*/) {}
};

// An error box: caption "Fehler", an OK button and the error icon.
inline void showError(MessageBoxes& boxes, std::string_view text)
{
    boxes.show(text, kErrorCaption, MessageButtons::Ok, MessageIcon::Error);
}

// Answers from a script (Yes when it runs out) and records every box.
class ScriptedMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        std::string text;
        std::string caption;
        MessageButtons buttons;
        MessageIcon icon;
    };

    explicit ScriptedMessageBoxes(std::deque<MessageAnswer> answers = {}) : answers_(std::move(answers)) {}

    MessageAnswer show(std::string_view text, std::string_view caption, MessageButtons buttons,
                       MessageIcon icon) override
    {
        shown.push_back({std::string(text), std::string(caption), buttons, icon});
        if (answers_.empty())
            return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
        MessageAnswer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    void setWaitCursor(bool on) override { waitCursorChanges.push_back(on); }
    void answerNext(MessageAnswer a) { answers_.push_back(a); }

    std::vector<Shown> shown;
    std::vector<bool> waitCursorChanges;

private:
    std::deque<MessageAnswer> answers_;
};

}  // namespace gz
