// The whole program as a user starts it: the real main window over a copy
// of the demo library, driven by keys and the toolbar.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "game/game_store.h"
#include "imaging/image_files.h"
#include "shell/board_canvas_widget.h"
#include "shell/game_zinko_app.h"
#include "shell/game_zinko_view.h"
#include "shell/main_frame.h"
#include "shell/message_client.h"
#include "shell/new_picture_dialog.h"
#include "shell/settings_memory.h"
#include "shell/tool_bar.h"
#include "show/command_ids.h"
#include "tests/shell/app_on_demo_library.h"
#include "tests/uikit/modal_driver.h"
#include "uikit/recent_name_list.h"

namespace gz {
namespace {

namespace fs = std::filesystem;

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        library = gz::testing::useDemoLibraryCopy(tmp, settings);
        start();
    }
    void TearDown() override { stop(); }

    void start(std::vector<std::string> args = {})
    {
        app = std::make_unique<GameZinkoApp>(settings, [](CMainFrame& f, SettingsBackend& s) {
            return std::make_unique<CGameZinkoView>(f, s, ViewDevices{true, false});
        });
        ASSERT_TRUE(app->start(args, /*listenForMessages=*/false));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(app->frame()));
        app->frame()->activateWindow();
        (void)QTest::qWaitForWindowActive(app->frame());
        QTest::qWait(50);
    }
    void stop()
    {
        if (!app)
            return;
        app->frame()->close();
        app.reset();
    }
    CGameZinkoView& view() { return *static_cast<CGameZinkoView*>(app->view()); }
    BoardView& board() { return view().board(); }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(app->frame(), k, m);
        QTest::qWait(10);
    }

    QTemporaryDir tmp;
    std::string library;
    MemorySettingsBackend settings;
    std::unique_ptr<GameZinkoApp> app;
};

TEST_F(ApplicationTest, ShowRoundWithKeys)
{
    key(Qt::Key_F5);
    EXPECT_EQ(board().game().gameNumber, 1);
    EXPECT_STREQ(board().show().bannerText, board().game().question);
    EXPECT_TRUE(board().show().gameRunning);
    EXPECT_GT(board().game().polygonCount, 0);

    key(Qt::Key_F7);   // the left player buzzes
    EXPECT_EQ(board().show().player(PlayerSide::Left), PlayerState::Buzzed);
    const int32_t frozen = board().show().revealCount;
    key(Qt::Key_F8);   // too late: ignored
    EXPECT_EQ(board().show().player(PlayerSide::Right), PlayerState::Idle);
    QTest::qWait(200);
    EXPECT_EQ(board().show().revealCount, frozen);

    key(Qt::Key_F6);
    EXPECT_EQ(board().show().revealCount, board().game().polygonCount);
    EXPECT_STREQ(board().show().bannerText, board().game().answer);

    key(Qt::Key_F1);
    key(Qt::Key_F1);
    key(Qt::Key_F3);
    key(Qt::Key_F2);
    key(Qt::Key_F4);
    key(Qt::Key_F4);
    EXPECT_EQ(board().show().stars[0], 1);
    EXPECT_EQ(board().show().stars[1], 7);   // 0 - 1 wraps to 7

    key(Qt::Key_F5);
    EXPECT_EQ(board().game().gameNumber, 2);
}

TEST_F(ApplicationTest, F10TogglesFullScreen)
{
    key(Qt::Key_F10);
    EXPECT_EQ(app->frame()->fullScreenState(), kFullScreenFromNormal);
    EXPECT_EQ(board().engine().zoomState(), FullScreenState::FromNormal);
    // The window system may size the window later: the parking rectangle
    // follows the view to where it ends up.
    app->frame()->setGeometry(40, 30, 800, 600);
    QTest::qWait(20);
    QWidget* v = app->view()->widget();
    const QPoint tl = v->mapToGlobal(QPoint(0, 0));
    const ScreenRect park = board().engine().parkingRect();
    EXPECT_EQ(park.left, tl.x());
    EXPECT_EQ(park.top, tl.y());
    EXPECT_EQ(park.right, tl.x() + v->width() - 1);
    EXPECT_EQ(park.bottom, tl.y() + v->height());
    key(Qt::Key_F10);   // the way back, with the menu bar gone
    EXPECT_EQ(app->frame()->fullScreenState(), kFullScreenOff);
}

TEST_F(ApplicationTest, EditInDrawModeThenCtrlSSaves)
{
    QComboBox* sel = app->frame()->toolBar()->modeSelector();
    sel->setCurrentIndex(1);
    emit sel->activated(1);   // "Zeichnen": loads the first game
    QTest::qWait(50);
    ASSERT_EQ(board().engine().viewMode(), ViewMode::Draw);
    ASSERT_EQ(board().game().gameNumber, 1);
    EXPECT_FALSE(app->frame()->commandEnabled(cmd::kSave));
    auto svgText = [&] {
        QFile svg(QString::fromStdString(library + "/Game001/Pic.svg"));
        return svg.open(QIODevice::ReadOnly) ? svg.readAll() : QByteArray();
    };
    const QByteArray before = svgText();
    ASSERT_FALSE(before.isEmpty());

    // Click a few points into the cover: each click on an edge inserts a
    // point, anywhere else starts a polygon; Escape ends a rubber band.
    BoardCanvasWidget* canvas = view().canvasWidget();
    for (int i = 0; i < 6; ++i) {
        QPoint p(canvas->width() / 3 + 37 * i, canvas->height() / 3 + 23 * (i % 3));
        QTest::mouseMove(canvas, p);
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, p);
        QTest::qWait(10);
    }
    QTest::keyClick(&view(), Qt::Key_Escape);
    ASSERT_TRUE(board().game().modified);
    EXPECT_TRUE(app->frame()->commandEnabled(cmd::kSave));

    // The key counts even before the periodic update has enabled the menu
    // entry (a quick game master, a busy machine).
    app->frame()->action(cmd::kSave)->setEnabled(false);
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(board().game().modified);
    EXPECT_NE(svgText(), before);
    board().game().modified = false;   // a failure above must not leave the exit question open
}

// "Neu" with the shrink choice: the new game gets the picture reduced to
// screen size; without it, the picture as it is.
TEST_F(ApplicationTest, NewPictureShrinksALargePictureWhenTicked)
{
    QComboBox* sel = app->frame()->toolBar()->modeSelector();
    sel->setCurrentIndex(1);
    emit sel->activated(1);   // "Zeichnen"
    QTest::qWait(50);
    ASSERT_EQ(board().engine().viewMode(), ViewMode::Draw);
    RasterImage wide;
    ASSERT_TRUE(wide.create(24, 4000, 50, 0x3060C0u));
    const std::string picture = tmp.path().toStdString() + "/breit.png";
    ASSERT_EQ(saveImageFile(picture, wide), 0);

    struct Case { bool shrink; int width; int height; };
    const Case cases[] = {{true, 3840, 48}, {false, 4000, 50}};
    for (const Case& c : cases) {
        gz::testing::whenModal<NewPictureDialog>([&](NewPictureDialog* d) {
            d->pathBox()->setEditText(QString::fromStdString(picture));
            d->questionEdit()->setText(QStringLiteral("Wie breit?"));
            d->answerEdit()->setText(QStringLiteral("Sehr"));
            d->shrinkBox()->setChecked(c.shrink);
            QTest::keyClick(d->answerEdit(), Qt::Key_Return);
        });
        app->frame()->dispatchCommand(cmd::kNew);
        EXPECT_STREQ(board().game().question, "Wie breit?");
        EXPECT_EQ(board().game().picture.width(), c.width) << c.shrink;
        EXPECT_EQ(board().game().picture.height(), c.height) << c.shrink;
        RasterImage stored;
        ASSERT_EQ(loadImageFile(gamePicturePath(library, board().game().gameNumber), stored), 0);
        EXPECT_EQ(stored.width(), c.width) << c.shrink;
        board().game().modified = false;   // no question at the next creation or at exit
    }
}

// Ctrl+wheel over the picture in draw mode zooms in around the cursor and
// a middle-button drag pans. The zoomed outlines run far beyond the picture
// area, yet on the screen the banner and the star strips are exactly the
// back buffer: the overlay is clipped to the picture area.
TEST_F(ApplicationTest, CtrlWheelZoomsTheDrawingAndItsOutlinesStayInThePictureArea)
{
    QComboBox* sel = app->frame()->toolBar()->modeSelector();
    sel->setCurrentIndex(1);
    emit sel->activated(1);   // "Zeichnen"
    QTest::qWait(50);
    ASSERT_EQ(board().engine().viewMode(), ViewMode::Draw);
    BoardCanvasWidget* canvas = view().canvasWidget();
    canvas->repaint();
    const BoardRect area = pictureAreaRect(board().renderer().layout(), canvas->width(), canvas->height());
    ASSERT_FALSE(area.isEmpty());
    // A corner of the first polygon, where outlines meet.
    const PolygonPoint corner = board().renderer().pictureMapping().toBoard(board().game().polygons[0].points[0]);
    const QPointF at(std::clamp(corner.x, area.x + 5, area.x + area.w - 5),
                     std::clamp(corner.y, area.y + 5, area.y + area.h - 5));
    for (int notch = 0; notch < 8; ++notch) {
        QWheelEvent wheel(at, canvas->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas, &wheel);
    }
    EXPECT_EQ(board().pictureZoom().step, 8);
    const PictureMapping zoomed = board().renderer().pictureMapping();
    auto mouse = [&](QEvent::Type type, QPointF p, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, p, canvas->mapToGlobal(p), button, held, Qt::NoModifier);
        QApplication::sendEvent(canvas, &e);
    };
    mouse(QEvent::MouseButtonPress, at, Qt::MiddleButton, Qt::MiddleButton);
    mouse(QEvent::MouseMove, at + QPointF(25, 15), Qt::NoButton, Qt::MiddleButton);
    mouse(QEvent::MouseButtonRelease, at + QPointF(25, 15), Qt::MiddleButton, Qt::NoButton);
    const PictureMapping panned = board().renderer().pictureMapping();
    EXPECT_EQ(panned.numerator, zoomed.numerator);
    EXPECT_NE(panned, zoomed);

    canvas->repaint();
    const QImage shot = canvas->grab().toImage();
    const RasterImage& back = board().canvas().backBuffer();
    ASSERT_EQ(shot.width(), back.width());
    int outside = 0, outlines = 0;
    for (int y = 0; y < back.height(); ++y)
        for (int x = 0; x < back.width(); ++x) {
            const bool same = (shot.pixel(x, y) & 0xFFFFFF) == (back.colourAt(x, y) & 0xFFFFFF);
            const bool inArea = x >= area.x && x < area.x + area.w && y >= area.y && y < area.y + area.h;
            if (!inArea && !same && outside++ == 0)
                ADD_FAILURE() << "overlay drawn at " << x << "," << y;
            outlines += inArea && !same ? 1 : 0;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(outlines, 100);
}

TEST_F(ApplicationTest, SettingsSurviveARestart)
{
    app->frame()->dispatchCommand(cmd::kStarsTwoRows);
    app->frame()->dispatchCommand(cmd::kBlackCover);
    EXPECT_TRUE(app->frame()->commandChecked(cmd::kStarsTwoRows));
    stop();
    start();
    EXPECT_TRUE(app->frame()->commandChecked(cmd::kStarsTwoRows));
    EXPECT_TRUE(app->frame()->commandChecked(cmd::kBlackCover));
    EXPECT_EQ(board().engine().starLimit(), 25);
}

// While a polygon is drawn the canvas holds the mouse. A click on the mode
// selector then ends the drawing as Escape does, places no corner on the
// toolbar, and opens the selector as it would have anyway.
TEST_F(ApplicationTest, ClickOnTheSelectorWhileDrawingEndsTheDrawing)
{
    QComboBox* sel = app->frame()->toolBar()->modeSelector();
    sel->setCurrentIndex(1);
    emit sel->activated(1);   // "Zeichnen"
    QTest::qWait(50);
    ASSERT_EQ(board().engine().viewMode(), ViewMode::Draw);
    board().game().clearPolygons();   // nothing to insert into
    BoardCanvasWidget* canvas = view().canvasWidget();
    canvas->repaint();
    const QPoint centre(canvas->width() / 2, canvas->height() / 2);
    for (QPoint p : {centre, centre + QPoint(60, 0), centre + QPoint(30, 50)}) {
        QTest::mouseMove(canvas, p);
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, p);
        QTest::qWait(10);
    }
    ASSERT_EQ(board().editor().captureState(), CaptureState::Drawing);
    ASSERT_EQ(QWidget::mouseGrabber(), canvas);

    // Where the selector is, as the canvas sees it.
    const QPoint onSelector = canvas->mapFromGlobal(sel->mapToGlobal(sel->rect().center()));
    QTest::mouseMove(canvas, onSelector);
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, onSelector);
    QTest::qWait(50);
    EXPECT_EQ(board().editor().captureState(), CaptureState::Idle);
    EXPECT_NE(QWidget::mouseGrabber(), canvas);
    ASSERT_EQ(board().game().polygonCount, 1);
    EXPECT_EQ(board().game().polygons[0].pointCount, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_GE(board().game().polygons[0].points[i].y, 0) << i;
    EXPECT_TRUE(sel->view()->isVisible());   // the selector opened
    sel->hidePopup();
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, onSelector);
    board().game().modified = false;   // no exit question
}

// Modes set without the selector (the remote, a script, the menu path)
// show in it too, and showing them issues no command.
TEST_F(ApplicationTest, ModeSelectorFollowsModesSetElsewhere)
{
    QComboBox* sel = app->frame()->toolBar()->modeSelector();
    QSignalSpy picks(sel, &QComboBox::activated);
    app->frame()->dispatchCommand(cmd::kModeFirst + 2);   // "Sortieren"
    EXPECT_EQ(sel->currentIndex(), 2);
    EXPECT_EQ(sel->currentText(), QStringLiteral("Sortieren"));
    // As the remote's poller posts it: the frame's round picks it up.
    board().execute(cmd::kModeFirst + 5);   // "Polygon 3"
    EXPECT_TRUE(QTest::qWaitFor([&] { return sel->currentIndex() == 5; }, 1000));
    app->frame()->dispatchCommand(cmd::kModeFirst);
    EXPECT_EQ(sel->currentIndex(), 0);
    EXPECT_EQ(board().engine().viewMode(), ViewMode::Play);
    EXPECT_EQ(picks.count(), 0);
    board().game().modified = false;   // no exit question
}

// The mode selector shows every entry whole, and its list opens at 200
// pixels with a scroll bar instead of all 23 entries.
TEST_F(ApplicationTest, ModeSelectorEntriesAreReadableAndItsListScrolls)
{
    QComboBox* sel = app->frame()->toolBar()->modeSelector();
    for (int i = 0; i < sel->count(); ++i) {
        sel->setCurrentIndex(i);
        QStyleOptionComboBox opt;
        opt.initFrom(sel);
        opt.currentText = sel->itemText(i);
        const QRect field = sel->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, sel);
        EXPECT_GE(field.width(), sel->fontMetrics().horizontalAdvance(sel->itemText(i)))
            << sel->itemText(i).toStdString();
    }
    sel->setCurrentIndex(0);
    sel->showPopup();
    QTest::qWait(50);
    QWidget* popup = sel->view()->window();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_LE(popup->height(), 200);
    EXPECT_GE(popup->height(), 150);
    EXPECT_TRUE(sel->view()->verticalScrollBar()->isVisible());
    sel->hidePopup();
    EXPECT_EQ(board().engine().viewMode(), ViewMode::Play);   // opening and closing picks nothing
}

// A stored star size is the board's layout from the very first frame: the
// separators and the banner sit beside strips of that width at start-up and
// after the first picture.
TEST_F(ApplicationTest, StoredStarSizeIsDrawnFromTheFirstFrame)
{
    struct Case { int32_t starSize; int strip; };
    const Case cases[] = {{1, 102}, {2, 68}, {3, 136}};
    for (const Case& c : cases) {
        stop();
        settings.writeInteger("Software\\Mervo\\GameZinko", "StarSize", static_cast<uint32_t>(c.starSize));
        start();
        auto expectFrameAt = [&](const char* when) {
            const RasterImage& back = board().canvas().backBuffer();
            const int w = back.width();
            const int h = back.height();
            ASSERT_GT(w, 2 * c.strip + 12) << when;
            EXPECT_EQ(back.colourAt(c.strip, h / 2), 0xDEDEDEu) << c.starSize << " " << when;
            EXPECT_EQ(back.colourAt(c.strip + 5, h / 2), 0x2C2C2Cu) << c.starSize << " " << when;
            EXPECT_EQ(back.colourAt(w - c.strip - 6, h / 2), 0xDEDEDEu) << c.starSize << " " << when;
            EXPECT_EQ(back.colourAt(c.strip + 6 + 10, 36), 0xDEDEDEu) << c.starSize << " " << when;   // banner bevel
            if (c.strip != 136) {
                EXPECT_NE(back.colourAt(136, h / 2), 0xDEDEDEu) << c.starSize << " " << when;
            }
        };
        expectFrameAt("at start-up");
        key(Qt::Key_F5);
        QTest::qWait(150);
        expectFrameAt("after the first picture");
    }
}

// The document "Das Spiel" goes to the front of the recent-document list,
// by its full path, once; older entries move down and the fifth drops out.
TEST_F(ApplicationTest, RecentDocumentListAtExit)
{
    stop();
    const std::string spiel = fs::current_path().string() + "/Das Spiel";
    const std::string key = "Software\\Mervo\\GameZinko\\Recent File List";
    settings.writeString(key, "File1", "/a/Eins");
    settings.writeString(key, "File2", spiel);
    settings.writeString(key, "File3", "/a/Drei");
    settings.writeString(key, "File4", "/a/Vier");
    start();
    stop();
    std::string v;
    const std::pair<const char*, std::string> expect[] = {
        {"File1", spiel}, {"File2", "/a/Eins"}, {"File3", "/a/Drei"}, {"File4", "/a/Vier"}};
    for (const auto& [name, value] : expect) {
        ASSERT_TRUE(settings.readString(key, name, 1024, v)) << name;
        EXPECT_EQ(v, value) << name;
    }
    // PreviewPages is never changed by the program, so never written.
    uint32_t pages = 0;
    EXPECT_FALSE(settings.readInteger("Software\\Mervo\\GameZinko\\Settings", "PreviewPages", pages));
}

TEST_F(ApplicationTest, ASecondStartHandsItsPathToTheRunningOne)
{
    const QString name = QStringLiteral("gz-app-test-%1").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(app->frame()->listen(name));
    int rc = -1;
    std::thread client([&] { rc = runMessageClient({"open", library + "/Game003"}, name.toStdString()); });
    while (rc == -1)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    client.join();
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(app->frame()->document().pathName, library + "/Game003");
    EXPECT_EQ(app->frame()->windowTitle(), "Game003 - GameZinko");
}

TEST_F(ApplicationTest, CommandLinePathAndSwitch)
{
    stop();
    start({"/tmp/elsewhere/", "-z"});
    QTest::qWait(50);
    EXPECT_EQ(board().picturePath(), "/tmp/elsewhere");
    EXPECT_EQ(board().rememberedPicturePath(), library);
    EXPECT_EQ(app->frame()->fullScreenState(), kFullScreenFromNormal);
}

}  // namespace
}  // namespace gz
