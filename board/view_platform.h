// What the board view needs of the window system, as one interface the Qt
// layer implements and tests fake: the view's dialogs, message boxes,
// command posting, mouse capture and cursor, the warning beep, repainting.
// Dialog titles and prompts are UTF-8; message-box texts are the 8-bit
// (Windows-1252) texts of the game data; paths are the file system's bytes.
#pragma once

#include <cstdint>
#include <string>

#include "board/polygon_editor.h"
#include "game/game_creation.h"
#include "game/message_box.h"
#include "show/show_host.h"

namespace gz {

class ViewPlatform : public EditorHost, public PointerControl {
public:
    virtual MessageBoxes& messageBoxes() = 0;
    // The folder chooser; true with `chosen` set on OK.
    virtual bool chooseFolder(const std::string& title, const std::string& startPath, std::string& chosen) = 0;
    // The integer input dialog; `value` in: initial, out: entered (on OK).
    virtual bool askValue(const std::string& title, const std::string& prompt, int32_t& value) = 0;
    // The text input dialog; `text` in: initial, out: entered (on OK).
    virtual bool askText(const std::string& title, const std::string& prompt, std::string& text) = 0;
    // The new-picture dialog; `number` in: shown, out: entered.
    virtual bool askNewPicture(int32_t& number, NewGameRequest& request) = 0;
    // Queues a command to the view; it runs later on the window thread.
    virtual void postCommand(int32_t id) = 0;
    // Copies the back buffer's invalidated parts to the screen.
    virtual void updateCanvas() = 0;
    // The remote control's port changed (chooseComPort); the device path
    // that may replace the number is in the view's options.
    virtual void comPortChanged(int32_t /*port*/) {}
};

}  // namespace gz
