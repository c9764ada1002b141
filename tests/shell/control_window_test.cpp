// The game master's window driven through a whole picture on the fake show:
// start, steps, a buzz, uncovering, stars; its texts and buttons at each step.
#include "shell/control_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "board/board_renderer.h"
#include "game/game_store.h"
#include "show/command_ids.h"
#include "tests/show/show_fakes.h"

namespace gz {
namespace {

using testing::ShowRig;

struct FakeLookup final : NextGameLookup {
    bool question(int32_t number, std::string& out) override
    {
        if (number != 1 && number != 3)
            return false;
        out = "Frage " + std::to_string(number);
        return true;
    }
};

// Records what the window typed at the board.
struct KeySink final : QWidget {
    std::vector<int> keys;
    void keyPressEvent(QKeyEvent* e) override { keys.push_back(e->key()); }
};

struct WindowRig {
    ShowRig show;
    FakeLookup lookup;
    KeySink board;
    std::vector<int> dispatched;
    // The buttons run the engine's commands as the main frame would.
    ControlWindow window{show.engine, show.clock, &lookup,
                         [this](int id) {
                             dispatched.push_back(id);
                             show.engine.runCommand(id);
                         },
                         &board};
    WindowRig() { show.store.games = {{1, 3}, {3, 2}}; }

    struct Buttons {
        bool start, uncover, stopLeft, stopRight;
    };
    Buttons buttons() const
    {
        return {window.button(ControlCommand::Start)->isEnabled(), window.button(ControlCommand::Uncover)->isEnabled(),
                window.button(ControlCommand::StopLeft)->isEnabled(),
                window.button(ControlCommand::StopRight)->isEnabled()};
    }
    void tick(uint32_t ms)
    {
        show.run(ms);
        window.refresh();
    }
};

void expectButtons(const WindowRig& r, bool start, bool uncover, bool stopLeft, bool stopRight)
{
    const auto b = r.buttons();
    EXPECT_EQ(b.start, start);
    EXPECT_EQ(b.uncover, uncover);
    EXPECT_EQ(b.stopLeft, stopLeft);
    EXPECT_EQ(b.stopRight, stopRight);
    // Stars are never refused.
    EXPECT_TRUE(r.window.button(ControlCommand::LeftStarUp)->isEnabled());
}

TEST(ControlWindow, FollowsAWholePicture)
{
    WindowRig r;
    EXPECT_EQ(r.window.windowTitle(), QStringLiteral("Moderatorfenster"));
    EXPECT_EQ(r.window.gameText(), QStringLiteral("Noch kein Spiel"));
    EXPECT_EQ(r.window.nextText(), QStringLiteral("Nächstes Spiel 1: Frage 1"));
    EXPECT_FALSE(r.window.answerHiddenMarkVisible());
    expectButtons(r, true, false, false, false);

    // Start through the button, as the game master would.
    r.window.button(ControlCommand::Start)->click();
    EXPECT_EQ(r.dispatched, std::vector<int>{cmd::kStartNextPicture});
    EXPECT_EQ(r.window.gameText(), QStringLiteral("Spiel 1"));
    EXPECT_EQ(r.window.questionText(), QStringLiteral("Frage 1"));
    EXPECT_EQ(r.window.answerText(), QStringLiteral("Antwort 1"));
    EXPECT_TRUE(r.window.answerHiddenMarkVisible());
    EXPECT_EQ(r.window.nextText(), QStringLiteral("Nächstes Spiel 3: Frage 3"));
    EXPECT_EQ(r.window.polygonsText(), QStringLiteral("Polygone übrig: 3 von 3"));
    EXPECT_EQ(r.window.countdownMaximum(), 5000);
    EXPECT_EQ(r.window.countdownValue(), 5000);
    expectButtons(r, false, false, true, true);

    // Two steps: one polygon gone, the countdown restarted.
    r.tick(10100);
    EXPECT_EQ(r.window.polygonsText(), QStringLiteral("Polygone übrig: 2 von 3"));
    EXPECT_EQ(r.window.countdownValue(), 4956);

    // The right player buzzes: the countdown stops, uncovering is offered.
    r.tick(930);
    r.show.engine.stopPlayer(PlayerSide::Right);
    r.window.refresh();
    EXPECT_EQ(r.window.countdownValue(), 0);
    EXPECT_EQ(r.window.playerText(1), QStringLiteral("Zweiter Spieler: 0 Sterne, gebuzzert"));
    EXPECT_EQ(r.window.buzzText(), QStringLiteral("Zweiter Spieler zuerst, nach 10.97 s"));
    expectButtons(r, false, true, true, false);
    EXPECT_TRUE(r.window.answerHiddenMarkVisible());

    // Uncovered: the audience sees the answer now, the mark goes.
    r.window.button(ControlCommand::Uncover)->click();
    EXPECT_FALSE(r.window.answerHiddenMarkVisible());
    EXPECT_EQ(r.window.polygonsText(), QStringLiteral("Polygone übrig: 0 von 3"));
    EXPECT_EQ(r.window.playerText(1), QStringLiteral("Zweiter Spieler: 0 Sterne, bereit"));
    expectButtons(r, true, false, false, false);

    // A star for the right player, one taken from the left (wraps to 7).
    r.window.button(ControlCommand::RightStarUp)->click();
    r.window.button(ControlCommand::LeftStarDown)->click();
    EXPECT_EQ(r.window.playerText(1), QStringLiteral("Zweiter Spieler: 1 Sterne, bereit"));
    EXPECT_EQ(r.window.playerText(0), QStringLiteral("Erster Spieler: 7 Sterne, bereit"));
}

TEST(ControlWindow, DrawsOnlyWhatChanged)
{
    WindowRig r;
    r.window.button(ControlCommand::Start)->click();
    EXPECT_EQ(r.window.refresh(), 0u);
    r.show.run(93);
    EXPECT_EQ(r.window.refresh(), static_cast<uint32_t>(kFieldCountdown));
}

// The small picture: the real picture where the audience sees it, the
// board's cover colours where polygons still cover it.
TEST(ControlWindow, SmallPictureShowsThePictureWherePolygonsAreGone)
{
    WindowRig r;
    r.show.store.games = {{1, 2}};
    r.show.store.onLoad = [](int32_t, GameContent& c) {
        c.picture.create(24, 40, 30, 0xD02020u);   // red
        // The left half as polygon 0 (goes last), the right half as polygon 1.
        const PolygonPoint halves[2][4] = {{{0, 0}, {20, 0}, {20, 30}, {0, 30}},
                                           {{20, 0}, {40, 0}, {40, 30}, {20, 30}}};
        for (int i = 0; i < 2; ++i) {
            c.polygons[i].pointCount = 4;
            c.polygons[i].colourIndex = 9;
            std::copy(std::begin(halves[i]), std::end(halves[i]), c.polygons[i].points);
        }
    };
    r.window.resize(1024, 720);
    r.window.show();
    QWidget* picture = r.window.findChild<QWidget*>(QStringLiteral("controlPicture"));
    ASSERT_NE(picture, nullptr);
    // Sampled a quarter in from each side of the picture's middle row,
    // away from the outlines.
    auto colours = [&] {
        r.window.refresh();
        const QImage img = picture->grab().toImage();
        const double scale = std::min(img.width() / 40.0, img.height() / 30.0);
        const int y = img.height() / 2;
        return std::pair(img.pixel(int(img.width() / 2 - 10 * scale), y) & 0xFFFFFFu,
                         img.pixel(int(img.width() / 2 + 10 * scale), y) & 0xFFFFFFu);
    };
    const QRgb red = 0xD02020u;
    const QRgb cover = coverColour(9) & 0xFFFFFFu;

    r.window.button(ControlCommand::Start)->click();
    EXPECT_EQ(colours(), std::pair(cover, cover));
    r.tick(10100);   // two periods: polygon 1 is gone
    EXPECT_EQ(colours(), std::pair(cover, red));
    bool black = true;
    r.window.setBlackCoverSource([&] { return black; });
    EXPECT_EQ(colours(), std::pair(QRgb{0}, red));
    r.show.engine.stopPlayer(PlayerSide::Left);
    r.window.refresh();
    r.window.button(ControlCommand::Uncover)->click();
    EXPECT_EQ(colours(), std::pair(red, red));
}

TEST(ControlWindow, KeysGoToTheBoard)
{
    WindowRig r;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
    QCoreApplication::sendEvent(&r.window, &press);
    EXPECT_EQ(r.board.keys, std::vector<int>{Qt::Key_F5});
}

TEST(LibraryNextGameLookup, ReadsTheQuestionOfAGameThatExists)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string lib = dir.path().toStdString();
    auto write = [](const std::string& path, const QByteArray& bytes) {
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(gameFolderPath(lib, 2))));
    write(gameQuestionPath(lib, 2), "Wer malte das?\nA\n");
    write(gamePolygonPath(lib, 2), "<svg/>");
    // Game 4 has a question but no polygon file: not a game.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(gameFolderPath(lib, 4))));
    write(gameQuestionPath(lib, 4), "Nein\nB\n");

    LibraryNextGameLookup lookup([&] { return lib; });
    const NextGame next = findNextGame(lookup, 1);
    EXPECT_EQ(next.number, 2);
    EXPECT_EQ(next.question, "Wer malte das?");
    EXPECT_EQ(findNextGame(lookup, 2).number, 0);
}

}  // namespace
}  // namespace gz
