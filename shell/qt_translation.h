// Qt's own German texts: the standard buttons of message boxes and file
// dialogs ("Abbrechen", "Ja", "Nein") come from Qt's translation catalogue,
// not from the program, so the catalogue must be installed into the
// application before the first dialog.
#pragma once

#include <QString>

namespace gz {

// Loads qtbase_<language>.qm from Qt's translations folder (Debian package
// qt6-translations-l10n) into a translator owned by the application and
// installs it. Loading twice installs nothing more. False when there is no
// application or the catalogue cannot be found; the dialogs then stay in
// Qt's English.
bool installQtTranslation(const QString& language = QStringLiteral("de"));

}  // namespace gz
