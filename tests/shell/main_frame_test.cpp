#include "shell/main_frame.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <thread>

#include "shell/frame_view.h"
#include "shell/message_wire.h"
#include "shell/settings_memory.h"
#include "shell/tool_bar.h"
#include "show/command_ids.h"

namespace gz {
namespace {

class FakeView : public FrameView {
public:
    QWidget* widget() override { return &w; }
    bool commandEnabled(int id) override { return id != cmd::kSave || saveEnabled; }
    bool commandChecked(int) override { return false; }
    void runCommand(int id) override { ran.push_back(id); }
    void setZoomState(int state, const QRect&) override { zoomStates.push_back(state); }
    void setPicturePath(const std::string& p) override { paths.push_back(p); }
    void viewClosing() override { ++closings; }

    QWidget w;
    bool saveEnabled = false;
    std::vector<int> ran, zoomStates;
    std::vector<std::string> paths;
    int closings = 0;
};

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame = std::make_unique<CMainFrame>(settings);
        frame->restorePlacement();
        ASSERT_TRUE(frame->create(&view));
        frame->show();
        frame->finishPlacement();
    }
    void TearDown() override
    {
        if (frame) {
            frame->close();
            view.w.setParent(nullptr);
            frame.reset();
        }
    }
    MemorySettingsBackend settings;
    FakeView view;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainFrameTest, MenusHoldEveryCommandWithGermanTextsAndKeys)
{
    QStringList titles;
    for (QAction* m : frame->menuBar()->actions())
        titles << m->text();
    EXPECT_EQ(titles, (QStringList{"&Datei", "&Bearbeiten", "&Ansicht", "&?"}));
    EXPECT_EQ(frame->action(cmd::kStartNextPicture)->text(), QString::fromUtf8("Starte nächstes Bild\tF5"));
    EXPECT_EQ(frame->action(cmd::kStartNextPicture)->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(frame->action(cmd::kToolMovePoints)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));
    EXPECT_FALSE(frame->action(cmd::kPinWindow)->icon().isNull());     // toolbar image in the menu
    EXPECT_TRUE(frame->action(cmd::kFlatToolbar)->icon().isNull());    // none: check mark instead
    EXPECT_EQ(frame->windowTitle(), "Das Spiel - GameZinko");
}

// 0x5E96 turns an item of one of the frame's own menus into a plain, empty
// one; a number that is not one of its menus, or a position past the end,
// changes nothing.
TEST_F(MainFrameTest, MenuItemBecomesPlainOnlyInOwnMenus)
{
    QMenu* file = frame->menuBar()->actions()[0]->menu();
    ASSERT_NE(file, nullptr);
    QAction* save = file->actions()[1];
    ASSERT_FALSE(save->icon().isNull());
    const auto menu = reinterpret_cast<uintptr_t>(file);
    EXPECT_EQ(frame->messages().handle(kMsgMenuProtocolProbe, 0, 0), 0x12345678);
    EXPECT_EQ(frame->messages().handle(kMsgMenuItemPlain, 1, menu + 8), 0);
    EXPECT_EQ(frame->messages().handle(kMsgMenuItemPlain, 99, menu), 0);
    EXPECT_FALSE(save->icon().isNull());
    EXPECT_EQ(frame->messages().handle(kMsgMenuItemPlain, 1, menu), 1);
    EXPECT_TRUE(save->icon().isNull());
    EXPECT_TRUE(save->text().isEmpty());
}

TEST_F(MainFrameTest, ToolbarHasThirteenPlacesAndTheModeSelector)
{
    QComboBox* sel = frame->toolBar()->modeSelector();
    ASSERT_NE(sel, nullptr);
    EXPECT_EQ(sel->count(), 23);
    EXPECT_EQ(sel->itemText(0), "Spielen");
    EXPECT_EQ(sel->itemText(22), "Polygon 20");
    EXPECT_GE(sel->width(), kModeSelectorWidth);
    // A pick issues 16000 + index to the view.
    emit sel->activated(1);
    ASSERT_FALSE(view.ran.empty());
    EXPECT_EQ(view.ran.back(), 16001);
    emit sel->activated(22);
    EXPECT_EQ(view.ran.back(), 16022);
}

TEST_F(MainFrameTest, DisabledCommandNeverRuns)
{
    frame->dispatchCommand(cmd::kSave);
    EXPECT_TRUE(view.ran.empty());
    view.saveEnabled = true;
    frame->dispatchCommand(cmd::kSave);
    ASSERT_EQ(view.ran.size(), 1u);
    EXPECT_EQ(view.ran[0], cmd::kSave);
}

TEST_F(MainFrameTest, F10EntersAndLeavesFullScreenKeepingHiddenBars)
{
    frame->toolBar()->hide();   // the user hid it before
    frame->dispatchCommand(cmd::kFullScreen);
    EXPECT_EQ(frame->fullScreenState(), kFullScreenFromNormal);
    EXPECT_FALSE(frame->statusBar()->isVisible());
    EXPECT_FALSE(frame->menuBar()->isVisible());
    frame->dispatchCommand(cmd::kFullScreen);
    EXPECT_EQ(frame->fullScreenState(), kFullScreenOff);
    EXPECT_TRUE(frame->statusBar()->isVisible());
    EXPECT_FALSE(frame->toolBar()->isVisible());   // stays hidden
    EXPECT_EQ(view.zoomStates, (std::vector<int>{1, 0}));
}

TEST_F(MainFrameTest, FromMaximisedFullScreenReturnsMaximised)
{
    frame->showMaximized();
    QTest::qWait(20);
    if (!frame->isMaximized())
        GTEST_SKIP() << "this platform does not maximise";
    frame->dispatchCommand(cmd::kFullScreen);
    EXPECT_EQ(frame->fullScreenState(), kFullScreenFromMaximized);
    frame->dispatchCommand(cmd::kFullScreen);
    EXPECT_TRUE(frame->isMaximized());
}

TEST_F(MainFrameTest, TogglesFlatModeAndAlwaysOnTop)
{
    EXPECT_TRUE(frame->flatMode());
    frame->dispatchCommand(cmd::kFlatToolbar);
    EXPECT_FALSE(frame->flatMode());
    EXPECT_FALSE(frame->toolBar()->isFlat());
    frame->dispatchCommand(cmd::kPinWindow);
    EXPECT_TRUE(frame->alwaysOnTop());
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(frame->isVisible());
    frame->updateCommandStates();
    EXPECT_TRUE(frame->action(cmd::kPinWindow)->isChecked());
}

TEST_F(MainFrameTest, SettingsWrittenAtTheEnd)
{
    frame->dispatchCommand(cmd::kFlatToolbar);
    frame->close();
    EXPECT_EQ(view.closings, 1);
    view.w.setParent(nullptr);
    frame.reset();
    ASSERT_NE(settings.find("Software\\Mervo\\GameZinko\\Settings", "FlatMode"), nullptr);
    EXPECT_EQ(settings.find("Software\\Mervo\\GameZinko\\Settings", "FlatMode")->number, 0u);
    EXPECT_EQ(settings.find("Software\\Mervo\\GameZinko\\Settings", "ShowGamerBar")->number, 0u);
    ASSERT_NE(settings.find("Software\\Mervo\\GameZinko\\Settings", "IsZoomed"), nullptr);
    EXPECT_NE(settings.find("Software\\Mervo\\GameZinko\\Settings", "LastSizeX"), nullptr);

    // The next frame starts with raised buttons and the stored size.
    CMainFrame again(settings);
    EXPECT_FALSE(again.flatMode());
}

// One request over the local socket, as another program sends it.
int64_t request(const QString& name, const std::string& bytes, std::string* reply = nullptr)
{
    QLocalSocket s;
    s.connectToServer(name);
    if (!s.waitForConnected(1000))
        return -999;
    s.write(QByteArray::fromStdString(bytes));
    s.flush();
    std::string buffer;
    for (int i = 0; i < 100; ++i) {
        QCoreApplication::processEvents();
        if (s.waitForReadyRead(20))
            buffer += s.readAll().toStdString();
        bool bad = false;
        while (auto f = wire::takeFrame(buffer, bad)) {
            if (f->kind == wire::kCopyData) {
                if (reply)
                    *reply = f->payload;
                s.write(QByteArray::fromStdString(wire::encodeResult(1)));
                s.flush();
            } else if (f->kind == wire::kResult) {
                return f->result;
            }
        }
    }
    return -998;
}

// The server runs on this thread; the client on another.
template <class F>
auto fromOtherThread(F f)
{
    std::optional<decltype(f())> result;
    std::thread t([&] { result = f(); });
    while (!result)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    t.join();
    return *result;
}

TEST_F(MainFrameTest, AnswersTheMessageInterfaceOnItsSocket)
{
    const QString name = QStringLiteral("gz-test-%1").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(frame->listen(name));
    EXPECT_EQ(fromOtherThread([&] { return request(name, wire::encodeMessage(kMsgInstanceProbe, kInstanceProbeMagic, 0)); }),
              kInstanceProbeMagic);
    EXPECT_EQ(fromOtherThread([&] { return request(name, wire::encodeMessage(kMsgInstanceProbe, 1, 0)); }), 0);

    // Another program hands over a path: only the document name changes.
    EXPECT_EQ(fromOtherThread([&] { return request(name, wire::encodeCopyData(kCopyOpenDocument, std::string("/tmp/Quiz") + '\0')); }), 1);
    EXPECT_EQ(frame->document().pathName, "/tmp/Quiz");
    EXPECT_EQ(fromOtherThread([&] { return request(name, wire::encodeCopyData(kCopyComparePath, std::string("/TMP/quiz") + '\0')); }), 1);

    std::string reply;
    EXPECT_EQ(fromOtherThread([&] { return request(name, wire::encodeMessage(kMsgInstanceControl, kInstanceAskPath, 0), &reply); }), 1);
    EXPECT_EQ(reply, std::string("/tmp/Quiz") + '\0');

    EXPECT_EQ(fromOtherThread([&] { return request(name, wire::encodeMessage(kMsgSetStatusText, 0, 0, "Hallo")); }), 0);
    EXPECT_EQ(fromOtherThread([&] { return request(name, wire::encodeCopyData(kCopyPathReply, "abc")); }), 1);
    EXPECT_EQ(frame->receivedPath(), "abc");
}

QString socketName(const char* what)
{
    return QStringLiteral("gz-%1-%2").arg(QLatin1String(what)).arg(QCoreApplication::applicationPid());
}

int64_t probe(const QString& name)
{
    return fromOtherThread([&] { return request(name, wire::encodeMessage(kMsgInstanceProbe, kInstanceProbeMagic, 0)); });
}

// What an instance that crashed leaves behind: a socket file nobody listens on.
bool leaveStaleSocket(const QString& name)
{
    const QByteArray path = QFile::encodeName(QDir::tempPath() + QLatin1Char('/') + name);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ::unlink(path.constData());
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    // The name is there, but refuses: not simply missing.
    QLocalSocket s;
    s.connectToServer(name);
    return bound && !s.waitForConnected(200) && s.error() == QLocalSocket::ConnectionRefusedError;
}

// Every start has its own window, but only one answers the interface: a
// later start never takes the name from a running instance, whose ending
// would otherwise leave the first unreachable.
TEST_F(MainFrameTest, ALiveNameStaysWithItsInstanceAStaleOneIsTakenOver)
{
    const QString name = socketName("live");
    ASSERT_TRUE(frame->listen(name));
    {
        CMainFrame second(settings);
        EXPECT_FALSE(second.listen(name));
    }
    EXPECT_EQ(probe(name), kInstanceProbeMagic);

    const QString crashed = socketName("crashed");
    ASSERT_TRUE(leaveStaleSocket(crashed));
    CMainFrame next(settings);
    EXPECT_TRUE(next.listen(crashed));
    EXPECT_EQ(probe(crashed), kInstanceProbeMagic);
}

}  // namespace
}  // namespace gz
