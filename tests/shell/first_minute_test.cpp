// A newcomer's first minute in the running program: the status bar and the
// empty banner say what to do until the first picture starts, with the key
// map one click away; and a start on the installed, read-only demo library
// plays and edits the user's own copy of it, or says why it cannot.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "board/board_layout.h"
#include "board/board_renderer.h"
#include "game/cp1252.h"
#include "game/file_system_faults.h"
#include "game/game_store.h"
#include "shell/demo_library.h"
#include "shell/game_zinko_app.h"
#include "shell/game_zinko_view.h"
#include "shell/main_frame.h"
#include "shell/settings_memory.h"
#include "show/command_ids.h"
#include "tests/shell/app_on_demo_library.h"
#include "tests/show/fake_input_devices.h"

namespace gz {
namespace {

namespace fs = std::filesystem;

const QString kHint = QString::fromUtf8(kNewcomerHint);

// Every modal window that opens while it lives is written down (title and,
// for a message box, its text) and closed, so nothing can hang a test.
class ModalRecorder {
public:
    ModalRecorder()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w)
                return;
            const auto* box = qobject_cast<QMessageBox*>(w);
            seen << (w->objectName().isEmpty() ? w->windowTitle() : w->objectName()) +
                        (box ? QStringLiteral(": ") + box->text() : QString());
            w->close();
        });
        timer_.start();
    }
    QStringList seen;

private:
    QTimer timer_;
};

QString boxLine(const std::string& caption, const std::string& cp1252Text)
{
    return QString::fromStdString(caption) + QStringLiteral(": ") + QString::fromStdString(cp1252::toUtf8(cp1252Text));
}

class FirstMinuteAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        library = gz::testing::useDemoLibraryCopy(tmp, settings);
    }
    void TearDown() override
    {
        if (app)
            app->frame()->close();
        app.reset();
    }
    void start(ViewDevices devices = {false, false}) { gz::testing::startAppActive(app, settings, devices); }
    CGameZinkoView& view() { return *static_cast<CGameZinkoView*>(app->view()); }
    BoardView& board() { return view().board(); }
    QString message() { return app->frame()->messageText(); }
    bool linkShown() { return app->frame()->keyMapLink()->isVisible(); }
    void key(Qt::Key k)
    {
        QTest::keyClick(app->frame(), k);
        QTest::qWait(150);   // past the frame's status round
    }
    // Pixels of the banner band that are not its black background.
    int bannerInk()
    {
        const RasterImage& back = board().canvas().backBuffer();
        const BoardRect r = bannerRect(board().renderer().layout(), back.width());
        int ink = 0;
        for (int y = 0; y < kBannerHeight; ++y)
            for (int x = r.x; x < r.x + r.w; ++x)
                ink += (back.colourAt(x, y) & 0xFFFFFF) != kBannerBackground;
        return ink;
    }

    QTemporaryDir tmp;
    std::string library;
    MemorySettingsBackend settings;
    testing::FakeInputDevices pads;   // outlives the app's poller
    std::unique_ptr<GameZinkoApp> app;
};

TEST_F(FirstMinuteAppTest, TheHintShowsUntilTheFirstPictureAndNeverAgain)
{
    start();
    EXPECT_EQ(message(), kHint);
    EXPECT_EQ(kHint, QString::fromUtf8("F5: erstes Bild starten \u00B7 F7/F8: Buzzer \u00B7 F1\u2013F4: Sterne \u00B7 "
                                       "F10: Vollbild"));
    EXPECT_TRUE(linkShown());
    EXPECT_EQ(app->frame()->keyMapLink()->text(), QString::fromUtf8("<a href=\"keymap\">Tastaturbelegung…</a>"));
    EXPECT_STREQ(board().show().bannerText, "");
    EXPECT_GT(bannerInk(), 0) << "the empty banner shows the hint";

    {
        // One click beside the hint: the key map.
        ModalRecorder modals;
        QLabel* link = app->frame()->keyMapLink();
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(link->fontMetrics().horizontalAdvance("Tast"), link->height() / 2));
        QTest::qWait(100);
        EXPECT_EQ(modals.seen, QStringList{QStringLiteral("KeyMapDialog")});
    }
    // The offscreen platform leaves no window active after a dialog.
    app->frame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(app->frame()));
    EXPECT_EQ(message(), kHint) << "the key map changes nothing";

    key(Qt::Key_F5);
    ASSERT_TRUE(board().show().gameRunning);
    EXPECT_EQ(message(), QStringLiteral("Bereit"));
    EXPECT_FALSE(linkShown());
    EXPECT_FALSE(board().newcomerHint());
    EXPECT_STREQ(board().show().bannerText, board().game().question);

    // Through a whole round and the next picture it stays away.
    for (Qt::Key k : {Qt::Key_F7, Qt::Key_F6, Qt::Key_F1, Qt::Key_F5, Qt::Key_F8, Qt::Key_F9}) {
        key(k);
        EXPECT_EQ(message(), QStringLiteral("Bereit")) << k;
        EXPECT_FALSE(linkShown()) << k;
    }
    board().show().setBanner("");
    key(Qt::Key_F1);
    EXPECT_EQ(bannerInk(), 0) << "an empty banner is empty again";
}

// A message that is shown where it is shown today keeps its place: the
// hint takes the pane only when nothing else is said, and its end never
// wipes another message.
TEST_F(FirstMinuteAppTest, OtherMessagesWinOverTheHint)
{
    start({false, false, nullptr, &pads});
    ASSERT_EQ(message(), kHint);

    const QString noPermission =
        QString::fromUtf8("Keine Berechtigung für /dev/input – Benutzer zur Gruppe input hinzufügen");
    pads.plugRefused("/dev/input/event0");
    EXPECT_TRUE(QTest::qWaitFor([&] { return message() == noPermission; }, 5000));
    EXPECT_FALSE(linkShown());
    pads.unplug("/dev/input/event0");
    EXPECT_TRUE(QTest::qWaitFor([&] { return message() == kHint; }, 5000)) << "back to the hint, not to Bereit";
    EXPECT_TRUE(linkShown());

    // Another program's status text stays, before the first picture and after.
    app->frame()->messages().handle(kMsgSetStatusText, 0, 0, "Runde 1");
    EXPECT_EQ(message(), QStringLiteral("Runde 1"));
    EXPECT_FALSE(linkShown());
    key(Qt::Key_F5);
    ASSERT_FALSE(board().newcomerHint());
    EXPECT_EQ(message(), QStringLiteral("Runde 1"));

    // A device problem that comes and goes after it leaves the usual "Bereit".
    pads.plugRefused("/dev/input/event1");
    EXPECT_TRUE(QTest::qWaitFor([&] { return message() == noPermission; }, 5000));
    pads.unplug("/dev/input/event1");
    EXPECT_TRUE(QTest::qWaitFor([&] { return message() == QStringLiteral("Bereit"); }, 5000));
    EXPECT_FALSE(linkShown());
}

// The program as the Debian package installs it, without installing it: a
// prefix with bin/ and a read-only share/gamezinko/Games, and a user with a
// home and a data folder of their own.
class InstalledLibraryTest : public FirstMinuteAppTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        const fs::path base = tmp.path().toStdString();
        programDir = (base / "usr" / "bin").string();
        installed = base / "usr" / "share" / "gamezinko" / "Games";
        fs::create_directories(programDir);
        fs::create_directories(installed.parent_path());
        fs::copy(GZ_DEMO_LIBRARY, installed, fs::copy_options::recursive);
        before = treeOf(installed);
        lock(installed);
        home = base / "home" / "anna";
        fs::create_directories(home);
        for (const char* name : {"HOME", "XDG_DATA_HOME"}) {
            if (const char* v = std::getenv(name))
                savedEnvironment[name] = v;
            ::unsetenv(name);
        }
        ::setenv("HOME", home.c_str(), 1);
    }
    void TearDown() override
    {
        FirstMinuteAppTest::TearDown();
        // Writable again, so the temporary folder can go.
        for (const fs::path& p : locked) {
            fs::permissions(p, fs::perms::owner_all, fs::perm_options::add);
            for (const auto& e : fs::recursive_directory_iterator(p))
                fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add);
        }
        for (const char* name : {"HOME", "XDG_DATA_HOME"}) {
            auto it = savedEnvironment.find(name);
            if (it == savedEnvironment.end())
                ::unsetenv(name);
            else
                ::setenv(name, it->second.c_str(), 1);
        }
    }

    // Read-only for everyone the permissions stop. Root they do not stop:
    // then the file system the program uses refuses what a read-only
    // mount would refuse, there and only there.
    void lock(const fs::path& folder)
    {
        for (const auto& e : fs::recursive_directory_iterator(folder))
            fs::permissions(e.path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        locked.push_back(folder);
        const std::string probe = (folder / "probe").string();
        const int fd = ::open(probe.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0)
            return;
        ::close(fd);
        ::unlink(probe.c_str());
        refusedByFaults = true;
        using Op = FaultyFileSystem::Op;
        for (Op op : {Op::WriteFile, Op::CreateFolders, Op::RenameFolder, Op::ReplaceFile, Op::RemoveFile,
                      Op::RemoveFolder})
            files.failOn(op, folder.string(), FsStatus::Denied);
        files.failOn(Op::CopyFile, "-> " + folder.string(), FsStatus::Denied);   // into it; out of it is reading
    }
    static std::map<std::string, std::string> treeOf(const fs::path& root)
    {
        std::map<std::string, std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(root))
            if (e.is_regular_file()) {
                std::ifstream in(e.path(), std::ios::binary);
                out[fs::relative(e.path(), root).string()] = std::string(std::istreambuf_iterator<char>(in), {});
            }
        return out;
    }
    // What main() does before the start, then the start on the same file system.
    void startInstalled()
    {
        std::vector<std::string> args;
        useDemoLibraryOnFirstStart(settings, args, findDemoLibrary(programDir));
        warning = useWritableLibrary(settings, args, findInstalledDemoLibrary(programDir),
                                     userLibraryFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")), files);
        start({false, false, nullptr, nullptr, &files});
        app->warnWhenRunning(warning);
    }

    std::string programDir;
    fs::path installed, home;
    std::map<std::string, std::string> before;
    std::vector<fs::path> locked;
    std::map<std::string, std::string> savedEnvironment;
    PosixFileSystem posix;
    FaultyFileSystem files{posix};
    bool refusedByFaults = false;
    std::string warning;
};

TEST_F(InstalledLibraryTest, TheFirstStartPlaysAndEditsTheUsersCopy)
{
    RecordProperty("read_only_by", refusedByFaults ? "injected file-system faults (root)" : "permissions");
    const fs::path copy = home / ".local" / "share" / "GameZinko" / "Games";
    ModalRecorder modals;
    startInstalled();
    QTest::qWait(300);
    EXPECT_EQ(modals.seen, QStringList()) << "no chooser, no warning";
    EXPECT_EQ(board().picturePath(), copy.string());
    EXPECT_EQ(treeOf(copy), before);
    EXPECT_EQ(treeOf(installed), before);

    // The copy takes new games: "Neu" opens its dialog.
    board().execute(cmd::kModeFirst + 1);
    app->frame()->dispatchCommand(cmd::kNew);
    QTest::qWait(100);
    EXPECT_EQ(modals.seen, QStringList{QStringLiteral("NewPictureDialog")});

    // The next start takes the copy as it is, with the user's changes.
    app->frame()->close();
    app.reset();
    EXPECT_EQ(readViewSettings(settings).picPath, copy.string());
    std::ofstream(copy / "Game001" / "Pic.txt") << "Meine Frage\nMeine Antwort\n";
    settings.writeString("Software\\Mervo\\GameZinko", "PicPath", installed.string());
    startInstalled();
    EXPECT_EQ(board().picturePath(), copy.string());
    key(Qt::Key_F5);
    EXPECT_STREQ(board().game().question, "Meine Frage");
}

TEST_F(InstalledLibraryTest, WithoutACopyTheStartSaysSoOnceAndNewAndSaveNameTheFolder)
{
    const fs::path data = tmp.path().toStdString() + "/locked-data";
    fs::create_directories(data);
    lock(data);
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    RecordProperty("read_only_by", refusedByFaults ? "injected file-system faults (root)" : "permissions");
    const std::string target = (data / "GameZinko" / "Games").string();

    ModalRecorder modals;
    startInstalled();
    QTest::qWait(300);
    const QString copyFailed = QString::fromUtf8("GameZinko: Die Beispielspiele konnten nicht nach „") +
                               QString::fromStdString(target) +
                               QString::fromUtf8("“ kopiert werden. Sie bleiben im schreibgeschützten Ordner „") +
                               QString::fromStdString(installed.string()) +
                               QString::fromUtf8("“: Neue Spiele und Änderungen lassen sich dort nicht speichern.");
    ASSERT_EQ(modals.seen, QStringList{copyFailed});
    EXPECT_EQ(board().picturePath(), installed.string());
    EXPECT_FALSE(fs::exists(data / "GameZinko" / "Games"));

    // "Neu" and saving name the folder before doing anything.
    const QString readOnly = boxLine("Fehler", readOnlyFolderText(installed.string()));
    board().execute(cmd::kModeFirst + 1);
    ASSERT_EQ(board().game().gameNumber, 1);
    app->frame()->dispatchCommand(cmd::kNew);
    QTest::qWait(100);
    EXPECT_EQ(modals.seen, (QStringList{copyFailed, readOnly})) << "no dialog for a game that cannot be saved";
    board().game().modified = true;
    app->frame()->dispatchCommand(cmd::kSave);
    QTest::qWait(100);
    EXPECT_EQ(modals.seen, (QStringList{copyFailed, readOnly, readOnly}));
    EXPECT_TRUE(board().game().modified);
    board().game().modified = false;   // nothing to ask about at the end
    EXPECT_EQ(treeOf(installed), before);
}

}  // namespace
}  // namespace gz
