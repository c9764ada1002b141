#include "shell/message_box_widget.h"

#include "game/cp1252.h"

namespace gz {

std::unique_ptr<QMessageBox> makeMessageBox(std::string_view text, std::string_view caption, MessageButtons buttons,
                                            MessageIcon icon, QWidget* parent)
{
    QMessageBox::Icon qi = QMessageBox::NoIcon;
    switch (icon) {
    case MessageIcon::None: qi = QMessageBox::NoIcon; break;
    case MessageIcon::Information: qi = QMessageBox::Information; break;
    case MessageIcon::Question: qi = QMessageBox::Question; break;
    case MessageIcon::Warning: qi = QMessageBox::Warning; break;
    case MessageIcon::Error: qi = QMessageBox::Critical; break;
    }
    QMessageBox::StandardButtons qb = QMessageBox::Ok;
    if (buttons == MessageButtons::YesNo)
        qb = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == MessageButtons::YesNoCancel)
        qb = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    return std::make_unique<QMessageBox>(qi, QString::fromStdString(cp1252::toUtf8(caption)),
                                         QString::fromStdString(cp1252::toUtf8(text)), qb, parent);
}

MessageAnswer messageAnswerOf(int r)
{
    switch (r) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default: return MessageAnswer::Ok;
    }
}

}  // namespace gz
