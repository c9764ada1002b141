#include "uikit/folder_chooser.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "shell/qsettings_backend.h"
#include "shell/settings_memory.h"
#include "shell/settings_values.h"
#include "uikit/path_field.h"

namespace gz {
namespace {

namespace fs = std::filesystem;

// Lets the worker and the timer run until `done` holds (gives up after a few seconds).
bool waitUntil(const std::function<bool()>& done)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > 8000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers the next message box with its first button, noting what it said.
void answerNextBox(SeenBox& seen)
{
    QTimer::singleShot(0, [&seen] {
        QMessageBox* box = nullptr;
        waitUntil([&box] {
            box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            return box != nullptr;
        });
        if (!box)
            return;
        seen = {box->windowTitle(), box->text(), box->icon()};
        box->buttons().first()->click();
    });
}

class FolderChooserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp_.isValid());
        root_ = QDir(tmp_.path()).canonicalPath().toStdString();
        for (const char* d : {"a/b", "c", "Z"})
            fs::create_directories(fs::path(root_) / d);
        QFile f(QString::fromStdString(root_ + "/file.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        savedCwd_ = QDir::currentPath();
        FolderChooser::forgetPlacement();
    }
    void TearDown() override { QDir::setCurrent(savedCwd_); }

    std::string at(const std::string& rel) const { return root_ + rel; }

    void storeModes(int treeMode, int breadCrumb)
    {
        writeFolderChooserSettings(settings_, {treeMode, breadCrumb}, true);
    }

    // Opens a chooser on `start` in the list view with the plain text field.
    std::unique_ptr<FolderChooser> open(const std::string& start, uint32_t flags = 3)
    {
        auto d = std::make_unique<FolderChooser>(settings_);
        d->setStartPath(start);
        d->showModeless(flags);
        d->activateWindow();
        waitUntil([&] { return d->isActiveWindow(); });
        return d;
    }

    static QLineEdit* edit(FolderChooser& d) { return d.findChild<QLineEdit*>("pathEdit"); }
    static QListWidget* list(FolderChooser& d) { return d.findChild<QListWidget*>("folderList"); }
    static QTreeWidget* tree(FolderChooser& d) { return d.findChild<QTreeWidget*>("folderTree"); }
    static PathField* field(FolderChooser& d) { return d.findChild<PathField*>("pathField"); }

    static QStringList listTexts(FolderChooser& d)
    {
        QStringList out;
        for (int i = 0; i < list(d)->count(); ++i)
            out << list(d)->item(i)->text();
        return out;
    }
    // The subfolders shown after the chain (the last `n` rows).
    static QStringList lastRows(FolderChooser& d, int n) { return listTexts(d).mid(list(d)->count() - n); }

    // Types into the path field and presses Enter there.
    static void typeAndEnter(FolderChooser& d, const std::string& text, Qt::KeyboardModifiers mods = {})
    {
        if (field(d)->breadcrumb())
            field(d)->beginEditing();
        QLineEdit* e = edit(d);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, QString::fromStdString(text));
        QTest::keyClick(e, Qt::Key_Return, mods);
    }

    QTemporaryDir tmp_;
    std::string root_;
    QString savedCwd_;
    MemorySettingsBackend settings_;
};

TEST_F(FolderChooserTest, OpensAtTheStartFolderWithItsChainThenSortedSubfolders)
{
    storeModes(0, 0);
    auto d = open(root_ + "/");
    EXPECT_EQ(d->path(), root_);
    EXPECT_EQ(d->windowTitle(), QString::fromUtf8("Verzeichnis wählen"));
    EXPECT_EQ(edit(*d)->text().toStdString(), root_);
    const int chain = static_cast<int>(folderChain(root_).size());
    ASSERT_TRUE(waitUntil([&] { return list(*d)->count() == chain + 3; })) << listTexts(*d).join('|').toStdString();
    EXPECT_EQ(listTexts(*d).first(), "/");
    EXPECT_EQ(listTexts(*d)[chain - 1].toStdString(), fs::path(root_).filename().string());
    EXPECT_EQ(lastRows(*d, 3), (QStringList{"a", "c", "Z"}));   // no files, letters ignore case
}

TEST_F(FolderChooserTest, StartFolderFallsBackWhereTheStartPathIsUnusable)
{
    struct Case { std::string start; uint32_t flags; std::string expect; };
    QDir::setCurrent(QString::fromStdString(at("/c")));
    const Case cases[] = {
        {"", 3, at("/c")},                           // empty: the current directory
        {at("/missing"), 3, at("/c")},               // must exist: missing gives the current directory
        {at("/file.txt"), 1, root_},                 // a file: its folder
        {at("/missing"), 2, at("/missing")},         // may be created: kept
        {"a", 3, at("/c")},                          // relative: /c/a, missing
    };
    for (const Case& c : cases) {
        auto d = std::make_unique<FolderChooser>(settings_);
        d->setStartPath(c.start);
        d->showModeless(c.flags);
        EXPECT_EQ(d->path(), c.expect) << "start '" << c.start << "' flags " << c.flags;
        d->reject();
    }
}

TEST_F(FolderChooserTest, TypedFolderIsShownFirstAndTakenOnTheSecondEnter)
{
    storeModes(0, 0);
    auto d = open(root_);
    typeAndEnter(*d, at("/a"));
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->path(), at("/a"));
    ASSERT_TRUE(waitUntil([&] { return listTexts(*d).contains("b"); }));
    QTest::keyClick(edit(*d), Qt::Key_Return);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->path(), at("/a"));
}

TEST_F(FolderChooserTest, MissingFolderIsCreatedWithItsParentsOnAccept)
{
    storeModes(0, 0);
    auto d = open(root_);
    const std::string deep = at("/neu/spiele/bilder");
    typeAndEnter(*d, deep + "/");
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->path(), deep);
    EXPECT_FALSE(fs::exists(deep));   // only shown so far
    EXPECT_EQ(list(*d)->count(), static_cast<int>(folderChain(deep).size()));
    QTest::keyClick(edit(*d), Qt::Key_Return);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->path(), deep);
    EXPECT_TRUE(fs::is_directory(deep));
}

TEST_F(FolderChooserTest, FailuresShowTheirMessageAndKeepTheDialogOpen)
{
    struct Case { std::string typed; uint32_t flags; const char* message; };
    const Case cases[] = {
        {at("/file.txt/sub"), 3, "Der Pfad kann nicht erzeugt werden !"},   // a file is in the way
        {at("/file.txt"), 3, "Der Pfad kann nicht erzeugt werden !"},
        {"//gz-no-such-host/share", 3, "Der Pfad kann nicht erzeugt werden !"},
        {at("/missing"), 1, "Der Pfad existiert nicht !"},
        {at("/file.txt"), 1, "Der Pfad existiert nicht !"},
    };
    storeModes(0, 0);
    for (const Case& c : cases) {
        auto d = open(root_, c.flags);
        typeAndEnter(*d, c.typed);
        SeenBox seen;
        answerNextBox(seen);
        QTest::keyClick(edit(*d), Qt::Key_Return);
        EXPECT_EQ(seen.text, QString::fromUtf8(c.message)) << c.typed;
        EXPECT_EQ(seen.title, "Fehler");
        EXPECT_EQ(seen.icon, QMessageBox::Critical);
        EXPECT_TRUE(d->isVisible()) << c.typed;
        d->reject();
    }
    EXPECT_FALSE(fs::exists("/gz-no-such-host"));   // an unresolved share never lands in "/"
}

TEST_F(FolderChooserTest, ListDoubleClicksNavigateAndTheCurrentFolderAccepts)
{
    storeModes(0, 0);
    auto d = open(root_);
    QListWidget* l = list(*d);
    ASSERT_TRUE(waitUntil([&] { return listTexts(*d).contains("a"); }));
    auto dclick = [&](const QString& text) {
        QListWidgetItem* item = l->findItems(text, Qt::MatchExactly).value(0);
        ASSERT_NE(item, nullptr) << text.toStdString();
        QRect r = l->visualItemRect(item);
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, r.center());
    };
    dclick("a");
    EXPECT_EQ(d->path(), at("/a"));
    ASSERT_TRUE(waitUntil([&] { return listTexts(*d).contains("b"); }));
    dclick("/");   // a chain entry: up to it
    EXPECT_EQ(d->path(), "/");
    EXPECT_TRUE(d->isVisible());
    typeAndEnter(*d, at("/a/b"));
    // Enter on the list opens its selected entry: the current folder accepts.
    l->setFocus();
    QTest::keyClick(l, Qt::Key_Return);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->path(), at("/a/b"));
}

TEST_F(FolderChooserTest, UpAndBreadcrumbSegmentsClimbTheChain)
{
    storeModes(0, 1);
    auto d = open(at("/a/b"));
    QPushButton* up = d->findChild<QPushButton*>("upButton");
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(d->path(), at("/a"));
    // The segments: "/", then every folder down to the current one.
    QList<QToolButton*> segments = field(*d)->segmentButtons();
    ASSERT_EQ(segments.size(), static_cast<int>(folderChain(at("/a")).size()));
    EXPECT_EQ(segments.first()->text(), "/");
    EXPECT_EQ(segments.last()->text(), "a");
    QTest::mouseClick(segments[segments.size() - 2], Qt::LeftButton);
    EXPECT_EQ(d->path(), root_);
    ASSERT_TRUE(waitUntil([&] { return lastRows(*d, 3) == QStringList({"a", "c", "Z"}); }));
    QTest::mouseClick(field(*d)->segmentButtons().first(), Qt::LeftButton);
    EXPECT_EQ(d->path(), "/");
    QTest::mouseClick(up, Qt::LeftButton);   // nothing above the root
    EXPECT_EQ(d->path(), "/");
}

TEST_F(FolderChooserTest, EscapeEndsSegmentTypingFirstThenCancels)
{
    storeModes(0, 1);
    auto d = open(root_);
    field(*d)->beginEditing();
    QTest::keyClicks(edit(*d), "/anders");
    ASSERT_TRUE(field(*d)->isEditingSegments());
    QTest::keyClick(edit(*d), Qt::Key_Escape);
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(field(*d)->isEditingSegments());
    EXPECT_EQ(field(*d)->text().toStdString(), root_);   // the typing is dropped
    QTest::keyClick(d.get(), Qt::Key_Escape);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Rejected);
}

TEST_F(FolderChooserTest, TypingOnTheSegmentsOpensThemForTyping)
{
    storeModes(0, 1);
    auto d = open(root_);
    QToolButton* first = field(*d)->segmentButtons().first();
    first->setFocus();
    QTest::keyClicks(first, "/");
    ASSERT_TRUE(field(*d)->isEditingSegments());
    QTest::keyClicks(edit(*d), QString::fromStdString(at("/c").substr(1)));
    QTest::keyClick(edit(*d), Qt::Key_Return);
    EXPECT_EQ(d->path(), at("/c"));
    EXPECT_FALSE(field(*d)->isEditingSegments());   // the new folder shows as segments again
}

TEST_F(FolderChooserTest, LongPathsKeepTheRootAndTheLastFoldersInView)
{
    std::string deep = root_;
    for (int i = 0; i < 10; ++i)
        deep += "/ein_recht_langer_ordnername_" + std::to_string(i);
    storeModes(0, 1);
    auto d = open(deep, 0);
    QList<QToolButton*> segments = field(*d)->segmentButtons();
    ASSERT_GT(segments.size(), 10);
    EXPECT_TRUE(segments.first()->isVisible());
    EXPECT_TRUE(segments.last()->isVisible());
    const auto shown = std::count_if(segments.begin(), segments.end(), [](QToolButton* b) { return b->isVisible(); });
    EXPECT_LT(shown, segments.size());
    int right = 0;
    for (QToolButton* b : segments)
        if (b->isVisible())
            right = std::max(right, b->geometry().right());
    EXPECT_LE(right, field(*d)->width());
    // Wide enough again: everything shows.
    d->resize(4000, d->height());
    for (QToolButton* b : field(*d)->segmentButtons())
        EXPECT_TRUE(b->isVisible()) << b->text().toStdString();
}

TEST_F(FolderChooserTest, EnterOnASegmentMovesToOkAndTheNextEnterAccepts)
{
    storeModes(0, 1);
    auto d = open(at("/a"));
    QToolButton* segment = field(*d)->segmentButtons().first();
    segment->setFocus();
    QTest::keyClick(segment, Qt::Key_Return);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->path(), at("/a"));   // no navigation
    auto* ok = d->findChild<QPushButton*>("okButton");
    ASSERT_EQ(d->focusWidget(), ok);
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->path(), at("/a"));
}

TEST_F(FolderChooserTest, NetworkPathsShowTheNetworkAsTheirRoot)
{
    storeModes(0, 1);
    auto d = open("\\\\nas\\bilder", 0);
    EXPECT_EQ(d->path(), "//nas/bilder");
    EXPECT_EQ(listTexts(*d), (QStringList{"Netzwerkumgebung", "nas", "bilder"}));
    QList<QToolButton*> segments = field(*d)->segmentButtons();
    ASSERT_EQ(segments.size(), 3);
    EXPECT_EQ(segments.first()->text(), "Netzwerkumgebung");
    QTest::mouseClick(d->findChild<QPushButton*>("upButton"), Qt::LeftButton);
    EXPECT_EQ(d->path(), "//nas");
    QTest::mouseClick(d->findChild<QPushButton*>("upButton"), Qt::LeftButton);
    QTest::mouseClick(d->findChild<QPushButton*>("upButton"), Qt::LeftButton);
    EXPECT_EQ(d->path(), "//");
}

TEST_F(FolderChooserTest, CancelButtonAndDriveList)
{
    storeModes(0, 0);
    auto d = open(at("/a"));
    auto* drives = d->findChild<QComboBox*>("driveList");
    ASSERT_TRUE(waitUntil([&] { return drives->count() > 0; }));
    EXPECT_EQ(drives->itemText(0), "/");
    EXPECT_GE(drives->currentIndex(), 0);   // the volume holding the folder
    drives->setCurrentIndex(0);
    emit drives->activated(0);
    EXPECT_EQ(d->path(), "/");
    QTest::mouseClick(d->findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
    EXPECT_EQ(d->result(), QDialog::Rejected);
}

TEST_F(FolderChooserTest, LargeFoldersArriveInBatchesSortedAndClosingMidwayIsSafe)
{
    const int n = 1500;
    for (int i = n; i > 0; --i)
        fs::create_directory(at("/a/b/" + std::to_string(i)));
    storeModes(0, 0);
    {
        // Closed while the worker is still listing: it stops, nothing arrives late.
        auto d = open(at("/a/b"));
        d->reject();
        d.reset();
        QCoreApplication::processEvents();
    }
    auto d = open(at("/a/b"));
    const int chain = static_cast<int>(folderChain(at("/a/b")).size());
    ASSERT_TRUE(waitUntil([&] { return list(*d)->count() == chain + n; }));
    QStringList rows = lastRows(*d, n);
    QStringList sorted = rows;
    std::sort(sorted.begin(), sorted.end(), [](const QString& x, const QString& y) {
        return QString::compare(x, y, Qt::CaseInsensitive) < 0;
    });
    EXPECT_EQ(rows, sorted);
    EXPECT_EQ(rows.first(), "1");
    EXPECT_EQ(rows.last(), "999");
}

TEST_F(FolderChooserTest, ContextMenuCopiesThePathOrTheSegmentUnderTheMouse)
{
    storeModes(0, 1);
    auto d = open(at("/a/b"));
    QList<QToolButton*> segments = field(*d)->segmentButtons();
    ASSERT_GE(segments.size(), 3);
    struct Case { int segment; const char* action; std::string expect; };
    const Case cases[] = {
        {static_cast<int>(segments.size()) - 2, "&Abschnitt kopieren", at("/a")},
        {0, "&Abschnitt kopieren", "/"},
        {1, "&Pfad kopieren", at("/a/b")},
    };
    for (const Case& c : cases) {
        QApplication::clipboard()->clear();
        QToolButton* b = field(*d)->segmentButtons()[c.segment];
        QPoint local = b->rect().center();
        QContextMenuEvent e(QContextMenuEvent::Mouse, local, b->mapToGlobal(local));
        QApplication::sendEvent(b, &e);
        QMenu* menu = nullptr;
        ASSERT_TRUE(waitUntil([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())); }));
        QAction* chosen = nullptr;
        for (QAction* a : menu->actions())
            if (a->text() == c.action)
                chosen = a;
        ASSERT_NE(chosen, nullptr) << c.action;
        chosen->trigger();
        menu->close();
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), c.expect) << c.action << " " << c.segment;
    }
}

TEST_F(FolderChooserTest, TreeViewWalksDownToTheStartFolderAndSettlesSelections)
{
    storeModes(1, 0);
    auto d = open(at("/a"));
    QTreeWidget* t = tree(*d);
    EXPECT_TRUE(t->isVisible());
    EXPECT_FALSE(list(*d)->isVisible());
    EXPECT_FALSE(d->findChild<QComboBox*>("driveList")->isVisible());
    auto currentPath = [&] {
        return t->currentItem() ? t->currentItem()->data(0, Qt::UserRole).toString().toStdString() : std::string();
    };
    ASSERT_TRUE(waitUntil([&] { return currentPath() == at("/a"); }));
    EXPECT_EQ(d->path(), at("/a"));

    // Picking another node makes it the path a few timer ticks later.
    QTreeWidgetItem* parent = t->currentItem()->parent();
    QTreeWidgetItem* c = nullptr;
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == "c")
            c = parent->child(i);
    ASSERT_NE(c, nullptr);
    t->setCurrentItem(c);
    EXPECT_EQ(d->path(), at("/a"));
    ASSERT_TRUE(waitUntil([&] { return d->path() == at("/c"); }));
    EXPECT_EQ(edit(*d)->text().toStdString(), at("/c"));

    // Ctrl+Enter in the field selects the typed folder, or its nearest existing parent.
    typeAndEnter(*d, at("/a/b/nicht/da"), Qt::ControlModifier);
    ASSERT_TRUE(waitUntil([&] { return currentPath() == at("/a/b"); }));
    EXPECT_TRUE(d->isVisible());

    // A double click takes the node at once.
    QTreeWidgetItem* node = t->currentItem();
    t->scrollToItem(node);
    QRect r;
    ASSERT_TRUE(waitUntil([&] {
        r = t->visualItemRect(node);
        return r.isValid() && t->itemAt(r.center()) == node;
    }));
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->path(), at("/a/b"));
}

TEST_F(FolderChooserTest, TreeViewUpCutsTheLastFolderAndSelectsTheParent)
{
    storeModes(1, 1);
    auto d = open(at("/a/b"));
    QTreeWidget* t = tree(*d);
    auto currentPath = [&] {
        return t->currentItem() ? t->currentItem()->data(0, Qt::UserRole).toString().toStdString() : std::string();
    };
    ASSERT_TRUE(waitUntil([&] { return currentPath() == at("/a/b"); }));
    QTest::mouseClick(d->findChild<QPushButton*>("upButton"), Qt::LeftButton);
    EXPECT_EQ(d->path(), at("/a"));
    EXPECT_EQ(currentPath(), at("/a"));
    // A breadcrumb segment selects its folder in the tree.
    QTest::mouseClick(field(*d)->segmentButtons().first(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return currentPath() == "/"; }));
    ASSERT_TRUE(waitUntil([&] { return d->path() == "/"; }));
}

TEST_F(FolderChooserTest, TreeViewOkTakesTheTypedFolderWithoutShowingItFirst)
{
    storeModes(1, 0);
    auto d = open(root_);
    typeAndEnter(*d, at("/neu"));
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->path(), at("/neu"));
    EXPECT_TRUE(fs::is_directory(at("/neu")));
}

TEST_F(FolderChooserTest, ViewOptionsAreWrittenWhenTheDialogGoes)
{
    storeModes(0, 1);
    {
        auto d = open(root_);
        EXPECT_TRUE(d->breadcrumbMode());
        d->findChild<QCheckBox*>("treeCheck")->click();
        d->findChild<QCheckBox*>("breadcrumbCheck")->click();
        EXPECT_TRUE(tree(*d)->isVisible());
        EXPECT_FALSE(list(*d)->isVisible());
        d->reject();
        // Still open as an object: nothing written yet.
        EXPECT_EQ(readFolderChooserSettings(settings_), (FolderChooserSettings{0, 1}));
    }
    EXPECT_EQ(readFolderChooserSettings(settings_), (FolderChooserSettings{1, 0}));
    {
        // A dialog that was never shown leaves the stored choice alone.
        FolderChooser unused(settings_);
    }
    EXPECT_EQ(readFolderChooserSettings(settings_), (FolderChooserSettings{1, 0}));
}

TEST_F(FolderChooserTest, FixedViewNeitherUsesNorWritesTheTreeMode)
{
    storeModes(1, 1);
    {
        auto d = open(root_, 3 | kFolderFixedView);
        EXPECT_FALSE(d->findChild<QCheckBox*>("treeCheck")->isVisible());
        EXPECT_TRUE(d->findChild<QCheckBox*>("breadcrumbCheck")->isVisible());
        EXPECT_FALSE(tree(*d)->isVisible());
        EXPECT_TRUE(list(*d)->isVisible());
        d->findChild<QCheckBox*>("breadcrumbCheck")->click();
        d->reject();
    }
    EXPECT_EQ(readFolderChooserSettings(settings_), (FolderChooserSettings{1, 0}));
}

TEST_F(FolderChooserTest, TheChoiceReachesTheNextProgramThroughTheCommonKey)
{
    QTemporaryDir store;
    ASSERT_TRUE(store.isValid());
    {
        QSettingsBackend settings(store.path().toStdString());
        FolderChooser d(settings);
        d.setStartPath(root_);
        d.showModeless(3);
        d.findChild<QCheckBox*>("treeCheck")->click();
        d.reject();
    }
    QSettingsBackend another(store.path().toStdString());
    EXPECT_EQ(readFolderChooserSettings(another), (FolderChooserSettings{1, 1}));
    EXPECT_NE(another.locationOf(std::string(kCommonKeyPath)).find(store.path().toStdString()), std::string::npos);
}

TEST_F(FolderChooserTest, ShrinksOnlyToTheMinimumAndKeepsButtonsAtTheRight)
{
    storeModes(0, 0);
    auto d = open(root_);
    const QSize initial = d->size();
    auto* ok = d->findChild<QPushButton*>("okButton");
    const int rightGap = initial.width() - ok->geometry().right();
    EXPECT_EQ(d->minimumSize(), QSize(initial.width() - 100, initial.height() - 300));
    d->resize(50, 50);
    EXPECT_EQ(d->size(), d->minimumSize());
    EXPECT_EQ(d->width() - ok->geometry().right(), rightGap);
    d->resize(initial.width() + 200, initial.height() + 100);
    EXPECT_EQ(d->width() - ok->geometry().right(), rightGap);
    EXPECT_EQ(list(*d)->width(), d->findChild<QComboBox*>("driveList")->width());
}

TEST_F(FolderChooserTest, ReopensWhereItWasClosedWhenThatIsStillOnScreen)
{
    storeModes(0, 0);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QRect last;
    {
        auto d = open(root_);
        d->setGeometry(screen.left() + 40, screen.top() + 50, d->width() + 30, d->height() + 20);
        last = d->geometry();
        d->reject();
    }
    {
        auto d = open(root_);
        EXPECT_EQ(d->geometry(), last);
        // Now far off the screen: not used again.
        d->setGeometry(screen.right() - 50, screen.top() + 50, d->width(), d->height());
        d->reject();
    }
    auto d = open(root_);
    EXPECT_NE(d->geometry().left(), screen.right() - 50);
}

TEST_F(FolderChooserTest, ModalRunReturnsTheChosenFolder)
{
    storeModes(0, 0);
    FolderChooser d(settings_);
    d.setTitle(QString::fromUtf8("Pfad mit Bildern"));
    d.setStartPath(at("/c"));
    QString title;
    QTimer::singleShot(0, [&] {
        waitUntil([&] { return QApplication::activeModalWidget() == &d; });
        title = d.windowTitle();
        typeAndEnter(d, at("/a"));
        typeAndEnter(d, at("/a"));
    });
    EXPECT_EQ(d.showModal(3), QDialog::Accepted);
    EXPECT_EQ(title, "Pfad mit Bildern");
    EXPECT_EQ(d.path(), at("/a"));
}

}  // namespace
}  // namespace gz
