#include "shell/main_frame.h"

#include <QAction>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <future>
#include <optional>
#include <sstream>
#include <thread>

#include "shell/frame_view.h"
#include "shell/message_client.h"
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

// Other programs address edit-menu items by their place (0x5E96 below): new
// commands go after the last old one, never between.
TEST_F(MainFrameTest, EditMenuKeepsItsOldPlacesAndEndsWithTheBuzzers)
{
    QMenu* edit = frame->menuBar()->actions()[1]->menu();
    ASSERT_NE(edit, nullptr);
    const QList<QAction*> items = edit->actions();
    const struct { int place; int id; } kept[] = {
        {0, cmd::kLeftStarUp},     {5, cmd::kStartNextPicture}, {10, cmd::kToolMovePoints},
        {14, cmd::kChooseComPort}, {19, cmd::kSwitchTime},      {21, cmd::kUndo},
        {24, cmd::kGenerateCover}, {25, cmd::kImportPictures},
    };
    for (const auto& k : kept) {
        ASSERT_LT(k.place, items.size());
        EXPECT_EQ(items[k.place]->data().toInt(), k.id) << k.place;
    }
    ASSERT_EQ(items.size(), 28);
    EXPECT_TRUE(items[26]->isSeparator());
    EXPECT_EQ(items[27], frame->action(cmd::kAssignBuzzers));
    EXPECT_EQ(items[27]->text(), QString::fromUtf8("Buzzer zuordnen…"));
    EXPECT_EQ(items[27]->statusTip(),
              QString::fromUtf8("Hier kann man die Knöpfe von Buzzern und Controllern den Aktionen zuordnen"));
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

// A client that speaks the wire by hand, on the thread that made it.
class RawClient {
public:
    explicit RawClient(const QString& name)
    {
        socket_.connectToServer(name);
        socket_.waitForConnected(1000);
    }
    void send(const std::string& bytes)
    {
        socket_.write(QByteArray::fromStdString(bytes));
        socket_.flush();
    }
    // The next frame as text, waiting at most `ms` for it.
    std::string next(int ms = 2000)
    {
        QDeadlineTimer deadline(ms);
        for (;;) {
            bool bad = false;
            if (auto f = wire::takeFrame(buffer_, bad)) {
                if (f->kind == wire::kResult)
                    return "result " + std::to_string(f->result);
                if (f->kind == wire::kCopyData)
                    return "copy " + f->payload.substr(0, f->payload.find('\0'));
                return "message";
            }
            if (bad || !socket_.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
                return "none";
            buffer_ += socket_.readAll().toStdString();
        }
    }

private:
    QLocalSocket socket_;
    std::string buffer_;
};

const std::string kAskPath = wire::encodeMessage(kMsgInstanceControl, kInstanceAskPath, 0);
const std::string kProbe = wire::encodeMessage(kMsgInstanceProbe, kInstanceProbeMagic, 0);

// The asker's result is its answer to the path reply, as with a window;
// what it sends before answering waits for the answer.
TEST_F(MainFrameTest, AskPathResultFollowsTheAskersAnswer)
{
    const QString name = socketName("ask");
    ASSERT_TRUE(frame->listen(name));
    frame->setDocumentPath("/tmp/Quiz");
    const std::vector<std::string> seen = fromOtherThread([&] {
        RawClient c(name);
        std::vector<std::string> log;
        c.send(kAskPath);
        log.push_back(c.next());
        c.send(kProbe);
        log.push_back(c.next(100));   // nothing while our answer is owed
        c.send(wire::encodeResult(5));
        log.push_back(c.next());
        log.push_back(c.next());
        return log;
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"copy /tmp/Quiz", "none", "result 5", "result 305419896"}));
}

TEST_F(MainFrameTest, AnAskerTooLateGetsZeroAndIsServedOn)
{
    const QString name = socketName("late");
    ASSERT_TRUE(frame->listen(name));
    frame->setAnswerWait(std::chrono::milliseconds(50));
    const std::vector<std::string> seen = fromOtherThread([&] {
        RawClient c(name);
        std::vector<std::string> log;
        c.send(kAskPath);
        log.push_back(c.next());
        log.push_back(c.next());                      // the wait ran out
        c.send(wire::encodeResult(9) + kProbe);       // the late answer is dropped
        log.push_back(c.next());
        return log;
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"copy Das Spiel", "result 0", "result 305419896"}));
}

// A client that asks for the path again and again and never answers the
// replies holds up nobody but itself: another client is served meanwhile.
TEST_F(MainFrameTest, AnAskerThatNeverAnswersStallsNoOtherClient)
{
    const QString name = socketName("deaf");
    ASSERT_TRUE(frame->listen(name));
    std::promise<bool> askedPromise;
    std::shared_future<bool> asked = askedPromise.get_future().share();
    std::promise<void> over;
    std::thread deaf([&, gone = over.get_future()] {
        RawClient c(name);
        std::string asks;
        for (int i = 0; i < 15; ++i)
            asks += kAskPath;
        c.send(asks);
        askedPromise.set_value(c.next().rfind("copy", 0) == 0);   // the frame took the first one up
        gone.wait_for(std::chrono::seconds(10));
    });
    std::future<int64_t> other = std::async(std::launch::async, [&] {
        asked.wait_for(std::chrono::seconds(5));
        return request(name, kProbe);
    });
    while (other.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    over.set_value();
    deaf.join();
    ASSERT_EQ(asked.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    EXPECT_TRUE(asked.get());
    EXPECT_EQ(other.get(), kInstanceProbeMagic);
    EXPECT_EQ(probe(name), kInstanceProbeMagic);   // and after the asker has gone
}

// Texts go on the wire in the program's code page and reach the window,
// the comparison and the terminal each converted once.
TEST_F(MainFrameTest, TextsWithUmlautsCrossTheSocketUnchanged)
{
    const QString name = socketName("text");
    ASSERT_TRUE(frame->listen(name));
    auto send = [&](const std::vector<std::string>& args) {
        return fromOtherThread([&] {
            std::ostringstream out, err;
            const int rc = runMessageClient(args, name.toStdString(), out, err);
            return std::to_string(rc) + ": " + out.str();
        });
    };
    struct Step {
        std::vector<std::string> args;
        std::string printed;
    };
    const Step steps[] = {
        {{"status", "0", "Hallo Status Ä"}, "0: 0\n"},
        {{"open", "/tmp/Öl/Äpfel Übung"}, "0: 1\n"},
        {{"compare", "/TMP/öl/äpfel übung"}, "0: 1\n"},
        {{"ask-path"}, "0: /tmp/Öl/Äpfel Übung\n1\n"},
    };
    for (const Step& step : steps)
        EXPECT_EQ(send(step.args), step.printed) << step.args[0];
    EXPECT_EQ(frame->messageText().toStdString(), "Hallo Status Ä");
    EXPECT_EQ(frame->windowTitle().toStdString(), "Äpfel Übung - GameZinko");
    EXPECT_EQ(frame->document().pathName, "/tmp/\xD6l/\xC4pfel \xDC" "bung");

    // A path handed over in UTF-16, or as a path reply, is printed in UTF-8.
    std::string utf16;
    for (char16_t c : std::u16string(u"/tmp/Öl.txt")) {
        utf16 += static_cast<char>(c & 0xFF);
        utf16 += static_cast<char>(c >> 8);
    }
    const std::string open16 = wire::encodeCopyData(kCopyOpenDocument | kCopyUtf16Bit, utf16);
    EXPECT_EQ(fromOtherThread([&] { return request(name, open16); }), 1);
    EXPECT_EQ(send({"ask-path"}), "0: /tmp/Öl.txt\n1\n");
    const std::string reply = wire::encodeCopyData(kCopyPathReply, std::string("/tmp/B\xE4r") + '\0');
    EXPECT_EQ(fromOtherThread([&] { return request(name, reply); }), 1);
    EXPECT_EQ(send({"received-path"}), "0: /tmp/Bär\n1\n");
}

}  // namespace
}  // namespace gz
