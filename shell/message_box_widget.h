// The Qt message box for the game library's boxes (game/message_box.h):
// caption, text, icon and standard buttons, and the answer it gave. The
// button texts are Qt's own, so they read German once the Qt catalogue is
// installed (shell/qt_translation.h).
#pragma once

#include <QMessageBox>

#include <memory>
#include <string_view>

#include "game/message_box.h"

namespace gz {

// Texts are the Windows-1252 bytes of the game data.
std::unique_ptr<QMessageBox> makeMessageBox(std::string_view text, std::string_view caption, MessageButtons buttons,
                                            MessageIcon icon, QWidget* parent);

// What exec() of such a box returned, as the game library's answer.
MessageAnswer messageAnswerOf(int execResult);

}  // namespace gz
