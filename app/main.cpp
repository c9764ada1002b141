// GameZinko: the quiz show. Starts the application, or with "--send" asks
// a running instance (see shell/message_client.h).
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QIcon>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/demo_library.h"
#include "shell/game_zinko_app.h"
#include "shell/game_zinko_view.h"
#include "shell/main_frame.h"
#include "shell/message_client.h"
#include "shell/message_wire.h"
#include "resources/resource_table.h"
#include "shell/qsettings_backend.h"
#include "shell/qt_translation.h"

namespace {

// GZ_SCRIPT="ms:command;ms:shot=file.png;ms:quit" drives a running program
// for screenshots and smoke tests: commands go through the frame like keys.
void runDemoScript(gz::GameZinkoApp& app)
{
    const QString script = qEnvironmentVariable("GZ_SCRIPT");
    for (const QString& step : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int ms = step.section(QLatin1Char(':'), 0, 0).toInt();
        const QString what = step.section(QLatin1Char(':'), 1);
        QTimer::singleShot(ms, [&app, what] {
            if (what == QLatin1String("quit"))
                app.frame()->close();
            else if (what.startsWith(QLatin1String("shot=")))
                app.frame()->grab().save(what.mid(5));
            else
                app.frame()->dispatchCommand(what.toInt());
        });
    }
}

// GZ_STARTUP_TRACE=1 prints the time from the start of main() to the first
// painted board frame, for measuring start-up.
class FirstFrameProbe : public QObject {
public:
    explicit FirstFrameProbe(const QElapsedTimer& since) : since_(since) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->objectName() == QLatin1String("BoardCanvas") && !done_) {
            done_ = true;
            std::fprintf(stderr, "first frame after %lld ms\n", static_cast<long long>(since_.elapsed()));
        }
        return false;
    }

private:
    const QElapsedTimer& since_;
    bool done_ = false;
};

}  // namespace

int main(int argc, char** argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--send") {
        QCoreApplication client(argc, argv);
        return gz::runMessageClient({args.begin() + 1, args.end()}, gz::wire::serverName());
    }

    QApplication app(argc, argv);
    FirstFrameProbe probe(sinceStart);
    if (qEnvironmentVariableIsSet("GZ_STARTUP_TRACE"))
        app.installEventFilter(&probe);
    QApplication::setApplicationName(QStringLiteral("GameZinko"));
    QApplication::setOrganizationName(QStringLiteral("Mervo"));
    QGuiApplication::setDesktopFileName(QStringLiteral("de.mervo.GameZinko"));
    if (const gz::Resource* icon = gz::findResource("ICON", "APP")) {
        QPixmap pm;
        if (pm.loadFromData(icon->data, static_cast<uint>(icon->size)))
            QApplication::setWindowIcon(QIcon(pm));
    }
    // Qt's standard buttons ("Abbrechen", "Ja", "Nein") in German.
    gz::installQtTranslation();
    gz::QSettingsBackend settings;
    // A fresh install opens the demo library instead of an empty chooser.
    const std::string programDir = QCoreApplication::applicationDirPath().toStdString();
    gz::useDemoLibraryOnFirstStart(settings, args, gz::findDemoLibrary(programDir));
    // The installed one is read-only: the user plays and edits a copy.
    gz::PosixFileSystem files;
    std::string libraryWarning =
        gz::useWritableLibrary(settings, args, gz::findInstalledDemoLibrary(programDir),
                               gz::userLibraryFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")), files);
    gz::GameZinkoApp gameZinko(settings, [](gz::CMainFrame& frame, gz::SettingsBackend& s) {
        return std::make_unique<gz::CGameZinkoView>(frame, s);
    });
    if (!gameZinko.start(args))
        return 1;
    gameZinko.warnWhenRunning(std::move(libraryWarning));
    runDemoScript(gameZinko);
    return app.exec();
}
