// Keys typed into the window as buzzers: a keyboard-type buzzer types "1",
// "2" or a space, and the "Buzzer zuordnen" dialog learns it as
// {kKeyboardDevice, Qt key code}.
//
// The game master's keys are never buzzer keys, so a binding can never
// shadow them: the function keys, Escape, Return and Enter, Tab, and any key
// held with Ctrl, Alt or Meta (menu, editor and dialog keys). Nor are the
// modifier and lock keys pressed on their own.
#pragma once

#include <QString>
#include <Qt>

namespace gz {

bool isKeyboardBuzzerKey(int key, Qt::KeyboardModifiers modifiers);

// The dialog's name of a buzzer key, German: "Leertaste", "Pfeil hoch",
// "Taste 1", "Taste A".
QString keyboardKeyText(int key);

}  // namespace gz
