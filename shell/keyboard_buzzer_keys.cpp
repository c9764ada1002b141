#include "shell/keyboard_buzzer_keys.h"

#include <QKeySequence>

namespace gz {

bool isKeyboardBuzzerKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return false;
    switch (key) {
    case 0:
    case Qt::Key_unknown:
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return false;
    default:
        return true;
    }
}

QString keyboardKeyText(int key)
{
    switch (key) {
    case Qt::Key_Space: return QStringLiteral("Leertaste");
    case Qt::Key_Backspace: return QStringLiteral("Rücktaste");
    case Qt::Key_Insert: return QStringLiteral("Einfg");
    case Qt::Key_Delete: return QStringLiteral("Entf");
    case Qt::Key_Home: return QStringLiteral("Pos1");
    case Qt::Key_End: return QStringLiteral("Ende");
    case Qt::Key_PageUp: return QStringLiteral("Bild auf");
    case Qt::Key_PageDown: return QStringLiteral("Bild ab");
    case Qt::Key_Left: return QStringLiteral("Pfeil links");
    case Qt::Key_Right: return QStringLiteral("Pfeil rechts");
    case Qt::Key_Up: return QStringLiteral("Pfeil hoch");
    case Qt::Key_Down: return QStringLiteral("Pfeil runter");
    case Qt::Key_Print: return QStringLiteral("Druck");
    case Qt::Key_Pause: return QStringLiteral("Pause");
    case Qt::Key_Menu: return QStringLiteral("Menütaste");
    default: break;
    }
    // Printable keys are named by their character; the portable text has
    // no translation to miss.
    const QString name = QKeySequence(key).toString(QKeySequence::PortableText);
    return QStringLiteral("Taste ") + (name.isEmpty() ? QString::number(key) : name);
}

}  // namespace gz
