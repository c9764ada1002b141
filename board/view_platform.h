// What the board view needs of the window system, as one interface the Qt
// layer implements and tests fake: the view's dialogs, message boxes,
// command posting, mouse capture and cursor, the warning beep, repainting.
// Dialog titles and prompts are UTF-8; message-box texts are the 8-bit
// (Windows-1252) texts of the game data; paths are the file system's bytes.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "board/polygon_editor.h"
#include "game/game_creation.h"
#include "game/message_box.h"
#include "game/picture_import.h"
#include "show/buzzer_mapping.h"
#include "show/show_host.h"

namespace gz {

// The work of a picture import, as runImport runs it: it reports each
// file it starts on and watches the cancel flag.
using ImportJob = std::function<void(const ImportProgress& progress, const std::atomic<bool>& cancel)>;

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
    // "Bilder importieren": the picture files (many at once), then the
    // batch's question, piece count and shrink choice. True on OK with
    // files, question, pieces, shrinkToScreen and a fresh random seed set.
    virtual bool askImportPictures(ImportRequest& request) = 0;
    // Runs `job` off the window thread while a progress display shows the
    // file it reports and offers to cancel (which sets the job's flag); the
    // window stays responsive. Returns when the job has ended.
    virtual void runImport(const ImportRequest& request, const ImportJob& job) = 0;
    // Queues a command to the view; it runs later on the window thread.
    virtual void postCommand(int32_t id) = 0;
    // Copies the back buffer's invalidated parts to the screen.
    virtual void updateCanvas() = 0;
    // The remote control's port changed (chooseComPort); the device path
    // that may replace the number is in the view's options.
    virtual void comPortChanged(int32_t /*port*/) {}
    // "Buzzer zuordnen": the dialog that teaches the show its buttons.
    // `mapping` in: the stored one (where it is empty and the buzzer set is
    // plugged in, the dialog starts from the set's default), out: the one
    // chosen. True on OK.
    virtual bool askBuzzerMapping(BuzzerMapping& /*mapping*/) { return false; }
    // The stored buttons changed (after an OK of askBuzzerMapping).
    virtual void buzzerMappingChanged() {}
};

}  // namespace gz
