#include "shell/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace gz {

bool installQtTranslation(const QString& language)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    const QString name = QStringLiteral("gzQtTranslation_") + language;
    if (app->findChild<QTranslator*>(name, Qt::FindDirectChildrenOnly))
        return true;
    auto* translator = new QTranslator(app);
    translator->setObjectName(name);
    if (!translator->load(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

}  // namespace gz
