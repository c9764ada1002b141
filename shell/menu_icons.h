// Menus with icons: every menu command that has a toolbar image shows it
// left of its text, from the disabled list (grey tint of 0xDFDFDF) while
// disabled; the text after the tab is the shortcut column. Texts are cut to
// 63 bytes of the 8-bit code page; a label ending in a non-breaking space
// gets no image.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

class QMenuBar;
class QMenu;

namespace gz {

constexpr int kMenuItemTextBytes = 63;

// The disabled variant of a toolbar image (transparent pixels stay so).
QImage disabledMenuImage(const QImage& image);
// Normal and disabled pixmaps of toolbar image `index`, or a null icon.
QIcon menuIcon(const QImage& strip, int index);
// A menu text as shown: cut to 63 bytes (Windows-1252) and back to UTF-16.
QString menuItemText(const QString& text);
// True when the label part (before the tab) ends in U+00A0.
bool menuTextRefusesImage(const QString& text);

// Converts every action of the menu bar, in all popups and nested popups.
// Without a strip the menus stay as the platform draws them.
void setupMenuIcons(QMenuBar* bar, const QImage& strip);

}  // namespace gz
