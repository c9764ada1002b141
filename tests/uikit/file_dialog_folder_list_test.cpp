#include "uikit/file_dialog_folder_list.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "shell/qsettings_backend.h"
#include "shell/settings_values.h"
#include "tests/uikit/modal_driver.h"
#include "uikit/path_suggester.h"

namespace gz {
namespace {

using gz::testing::whenModal;
using Names = std::vector<std::string>;

// A small picture library in a temporary folder:
//   pics/ p1.png p2.png q.txt sub/     other/
// and the settings (ours and the file dialog's own) in a second one.
class FolderListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid() && settingsDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        root = tmp.path().toStdString();
        for (const char* d : {"/pics", "/pics/sub", "/other"})
            ASSERT_TRUE(QDir().mkpath(QString::fromStdString(root + d)));
        for (const char* f : {"/pics/p1.png", "/pics/p2.png", "/pics/q.txt"})
            std::ofstream(root + f) << "x";
        settings = std::make_unique<QSettingsBackend>(settingsDir.path().toStdString());
        keyPath = folderListKeyPath(*settings, kRegistryKeyName, kApplicationName);
    }
    std::string at(const char* rel) const { return root + rel; }
    Names storedFolders()
    {
        Names out;
        readFolderList(*settings, keyPath, "OfnListPng", out);
        return out;
    }

    QTemporaryDir tmp;
    QTemporaryDir settingsDir;
    std::string root;
    std::unique_ptr<QSettingsBackend> settings;
    std::string keyPath;
};

QStringList waitForSuggestions(QSignalSpy& spy)
{
    EXPECT_TRUE(spy.count() > 0 || spy.wait(5000));
    return spy.isEmpty() ? QStringList() : spy.last().at(1).toStringList();
}

TEST_F(FolderListTest, SuggesterDeliversExistingPathsOnTheOwnersThread)
{
    PathSuggester suggester;
    QThread* deliveredOn = nullptr;
    QObject::connect(&suggester, &PathSuggester::suggestionsReady, &suggester,
                     [&] { deliveredOn = QThread::currentThread(); });
    struct Case { std::string typed; QStringList expect; };
    const QString r = QString::fromStdString(root);
    const Case cases[] = {
        {at("/pics/p"), {r + "/pics/p1.png", r + "/pics/p2.png"}},
        {at("/pics/s"), {r + "/pics/sub/"}},
        {at("/pics/"), {r + "/pics/p1.png", r + "/pics/p2.png", r + "/pics/q.txt", r + "/pics/sub/"}},
        {at("/o"), {r + "/other/"}},
        {at("/pics/zz"), {}},
        {at("/missing/p"), {}},
    };
    for (const Case& c : cases) {
        QSignalSpy spy(&suggester, &PathSuggester::suggestionsReady);
        suggester.request(c.typed);
        EXPECT_EQ(waitForSuggestions(spy), c.expect) << c.typed;
        EXPECT_EQ(spy.last().at(0).toString().toStdString(), c.typed);
        EXPECT_EQ(deliveredOn, QApplication::instance()->thread());
    }
}

TEST_F(FolderListTest, SuggesterListsOnlyTheFilesOfTheNameFilter)
{
    std::ofstream(at("/pics/R.PNG")) << "x";
    PathSuggester suggester;
    const QString r = QString::fromStdString(root);
    struct Case { std::vector<std::string> patterns; QStringList expect; };
    const Case cases[] = {
        {{"*.png"}, {r + "/pics/R.PNG", r + "/pics/p1.png", r + "/pics/p2.png", r + "/pics/sub/"}},
        {{"*.txt"}, {r + "/pics/q.txt", r + "/pics/sub/"}},   // folders always
        {{"*"}, {r + "/pics/R.PNG", r + "/pics/p1.png", r + "/pics/p2.png", r + "/pics/q.txt", r + "/pics/sub/"}},
        {{}, {r + "/pics/R.PNG", r + "/pics/p1.png", r + "/pics/p2.png", r + "/pics/q.txt", r + "/pics/sub/"}},
    };
    for (const Case& c : cases) {
        suggester.setNamePatterns(c.patterns);
        QSignalSpy spy(&suggester, &PathSuggester::suggestionsReady);
        suggester.request(at("/pics/"));
        EXPECT_EQ(waitForSuggestions(spy), c.expect) << c.patterns.size();
    }
}

// The suggestions under the file name field list what the dialog's filter
// shows, and follow a filter the user picks.
TEST_F(FolderListTest, FileDialogSuggestionsFollowItsFilter)
{
    FolderListFileDialog dialog(*settings, nullptr, QStringLiteral("Bilddatei auswählen"),
                                QString::fromStdString(at("/other")), QStringLiteral("Bilder (*.png);;Alle Dateien (*)"),
                                "*.png");
    ASSERT_NE(dialog.folderList(), nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    FileDialogFolderList* list = dialog.folderList();
    const QString pics = QString::fromStdString(at("/pics/"));
    const auto shown = [&] {   // the names in the pictures folder
        QStringList out;
        for (int i = 0; list->suggestionList() && i < list->suggestionList()->count(); ++i)
            out << list->suggestionList()->item(i)->text().remove(pics);
        return out.join(QLatin1Char(' ')).toStdString();
    };
    list->lineEdit()->setFocus();
    list->lineEdit()->clear();
    QTest::keyClicks(list->lineEdit(), QString::fromStdString(at("/pics/")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->suggestionsVisible(); }, 5000));
    EXPECT_EQ(shown(), "p1.png p2.png sub/");

    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    QSignalSpy picked(&dialog, &QFileDialog::filterSelected);
    types->setFocus();
    QTest::keyClick(types, Qt::Key_Down);   // "Alle Dateien (*)", as the user picks it
    EXPECT_EQ(picked.count(), 1);
    list->lineEdit()->setFocus();
    QTest::keyClick(list->lineEdit(), Qt::Key_Backspace);
    QTest::keyClicks(list->lineEdit(), QStringLiteral("/"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown() == "p1.png p2.png q.txt sub/"; }, 5000)) << shown();
    dialog.reject();
}

TEST_F(FolderListTest, SuggesterDeliversOnlyTheNewestText)
{
    PathSuggester suggester;
    QSignalSpy spy(&suggester, &PathSuggester::suggestionsReady);
    suggester.request(at("/pics/p"));
    suggester.request(at("/o"));
    waitForSuggestions(spy);
    // Whatever the worker had done for the first text is dropped.
    QTest::qWait(0);
    for (const QList<QVariant>& result : spy)
        EXPECT_EQ(result.at(0).toString().toStdString(), at("/o"));

    // A cancelled text delivers nothing; the next one does.
    spy.clear();
    suggester.request(at("/pics/p"));
    suggester.cancel();
    suggester.request(at("/pics/s"));
    EXPECT_EQ(waitForSuggestions(spy), QStringList{QString::fromStdString(at("/pics/sub/"))});
    for (const QList<QVariant>& result : spy)
        EXPECT_EQ(result.at(0).toString().toStdString(), at("/pics/s"));
}

TEST_F(FolderListTest, SuggesterStopsWhenDestroyedDuringAListing)
{
    const std::string big = at("/big");
    QDir().mkpath(QString::fromStdString(big));
    for (int i = 0; i < 3000; ++i)
        std::ofstream(big + "/f" + std::to_string(i));
    for (int round = 0; round < 20; ++round) {
        auto suggester = std::make_unique<PathSuggester>(10000);
        suggester->request(big + "/f");
        suggester.reset();   // waits for the worker; nothing may arrive afterwards
    }
    QTest::qWait(0);
}

TEST_F(FolderListTest, ListIsKeptPerDefaultExtensionInTheApplicationKey)
{
    struct Case { const char* ext; const char* value; };
    const Case cases[] = {{"*.png", "OfnListPng"}, {"txt", "OfnListTxt"}, {"", "OfnList"}};
    for (const Case& c : cases) {
        FileDialogFolderList list(*settings, c.ext);
        EXPECT_EQ(list.valueName(), c.value);
        EXPECT_EQ(list.keyPath(), std::string(kApplicationKeyPath));
    }
}

TEST_F(FolderListTest, LoadShowsAtMostThirtyTwoFolders)
{
    Names many;
    for (int i = 0; i < 40; ++i)
        many.push_back("/f" + std::to_string(i) + "/");
    ASSERT_TRUE(settings->writeStringList(keyPath, "OfnListPng", many));
    FileDialogFolderList list(*settings, "*.png");
    EXPECT_EQ(list.loadFolders(), 32);
    EXPECT_EQ(list.folders(), Names(many.begin(), many.begin() + 32));
    FileDialogFolderList none(*settings, "*.jpg");
    EXPECT_EQ(none.loadFolders(), 0);
    EXPECT_EQ(none.count(), 0);
}

TEST_F(FolderListTest, OkStoresTheFolderOfTheEnteredName)
{
    const std::string pics = at("/pics/"), other = at("/other/"), sub = at("/pics/sub/");
    struct Case { std::string field; Names before; std::optional<std::string> folder; Names after; };
    const Case cases[] = {
        // A file in the third entry's folder moves that folder to the front.
        {at("/pics/p1.png"), {other, "/x/", pics}, pics, {pics, other, "/x/"}},
        {at("/pics/sub"), {other}, sub, {sub, other}},
        {at("/pics/sub/"), {sub, other}, sub, {sub, other}},
        {at("/pics/neu.png"), {}, pics, {pics}},             // missing name, existing folder
        {at("/nowhere/neu.png"), {other}, std::nullopt, {other}},
        {"p2.png", {other}, pics, {pics, other}},            // relative to the shown folder
        {"", {other}, std::nullopt, {other}},
    };
    for (const Case& c : cases) {
        settings->writeStringList(keyPath, "OfnListPng", c.before);
        FileDialogFolderList list(*settings, "*.png");
        list.loadFolders();
        list.setEditText(QString::fromStdString(c.field));
        EXPECT_EQ(list.rememberFolder(pics), c.folder) << c.field;
        EXPECT_EQ(storedFolders(), c.after) << c.field;
        EXPECT_EQ(list.folders(), c.after) << c.field;
        EXPECT_EQ(list.currentText().toStdString(), c.field) << "the field keeps its text";
    }
}

TEST_F(FolderListTest, OkStoresSixteenFoldersAtMost)
{
    Names many;
    for (int i = 0; i < 20; ++i)
        many.push_back("/f" + std::to_string(i) + "/");
    settings->writeStringList(keyPath, "OfnListPng", many);
    FileDialogFolderList list(*settings, "*.png");
    list.loadFolders();
    list.setEditText(QString::fromStdString(at("/other")));
    list.rememberFolder(root);
    Names expect{at("/other/")};
    expect.insert(expect.end(), many.begin(), many.begin() + 15);
    EXPECT_EQ(storedFolders(), expect);
}

// A window with the drop-down above a button, as in a dialog.
struct FieldWindow {
    explicit FieldWindow(SettingsBackend& settings) : list(new FileDialogFolderList(settings, "*.png"))
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(list);
        other = new QPushButton(QStringLiteral("x"), &window);
        layout->addWidget(other);
        layout->addStretch();
        window.resize(400, 300);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        list->lineEdit()->setFocus();
    }
    void type(const std::string& text)
    {
        QTest::keyClicks(list->lineEdit(), QString::fromStdString(text));
        EXPECT_TRUE(QTest::qWaitFor([&] { return list->suggestionsVisible(); }, 5000)) << text;
    }
    QStringList shown() const
    {
        QStringList out;
        for (int i = 0; list->suggestionList() && i < list->suggestionList()->count(); ++i)
            out << list->suggestionList()->item(i)->text();
        return out;
    }

    QWidget window;
    FileDialogFolderList* list;
    QPushButton* other;
};

TEST_F(FolderListTest, TypingOpensSuggestionsBelowTheField)
{
    FieldWindow w(*settings);
    w.type(at("/pics/p"));
    const QString r = QString::fromStdString(root);
    EXPECT_EQ(w.shown(), (QStringList{r + "/pics/p1.png", r + "/pics/p2.png"}));
    const QRect popup = w.list->suggestionList()->geometry();
    // A window of its own, so that it can reach past the dialog's edge.
    EXPECT_TRUE(w.list->suggestionList()->isWindow());
    const QPoint fieldBottom = w.list->mapToGlobal(QPoint(0, w.list->height()));
    EXPECT_EQ(popup.topLeft(), fieldBottom);
    EXPECT_EQ(popup.height(), FileDialogFolderList::kSuggestionHeight);
    EXPECT_EQ(popup.width(), w.list->width() - FileDialogFolderList::kSuggestionNarrower);

    // Typing on narrows the list.
    QTest::keyClick(w.list->lineEdit(), Qt::Key_2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.shown().size() == 1; }, 5000));

    // Down picks a suggestion while the field keeps the focus; Enter takes it.
    QTest::keyClick(w.list->lineEdit(), Qt::Key_Down);
    EXPECT_EQ(w.list->suggestionList()->currentRow(), 0);
    EXPECT_EQ(w.window.focusWidget(), w.list);   // the drop-down with its edit
    QTest::keyClick(w.list->lineEdit(), Qt::Key_Return);
    EXPECT_FALSE(w.list->suggestionsVisible());
    EXPECT_EQ(w.list->currentText(), r + "/pics/p2.png");
}

TEST_F(FolderListTest, SuggestionsHide)
{
    FieldWindow w(*settings);
    const std::string typed = at("/pics/");

    w.type(typed);   // clicking a suggestion takes it
    QListWidget* popup = w.list->suggestionList();
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, popup->visualItemRect(popup->item(3)).center());
    EXPECT_FALSE(w.list->suggestionsVisible());
    EXPECT_EQ(w.list->currentText().toStdString(), at("/pics/sub/"));

    w.list->setEditText({});
    w.type(typed);   // a click elsewhere
    QTest::mouseClick(w.other, Qt::LeftButton);
    EXPECT_FALSE(w.list->suggestionsVisible());

    w.list->setEditText({});
    w.type(typed);   // moving the window
    w.window.move(w.window.pos() + QPoint(30, 20));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.list->suggestionsVisible(); }, 5000));

    w.list->setEditText({});
    w.type(typed);   // Escape in the field
    QTest::keyClick(w.list->lineEdit(), Qt::Key_Escape);
    EXPECT_FALSE(w.list->suggestionsVisible());

    w.list->setEditText({});
    w.type(typed);   // the typed text emptied
    w.list->lineEdit()->selectAll();
    QTest::keyClick(w.list->lineEdit(), Qt::Key_Backspace);
    EXPECT_FALSE(w.list->suggestionsVisible());
    // A result still on its way for the old text stays hidden too.
    QTest::qWait(0);
    EXPECT_FALSE(w.list->suggestionsVisible());
}

TEST_F(FolderListTest, RelativeTextIsLookedUpInTheShownFolder)
{
    FieldWindow w(*settings);
    w.list->setBaseFolder([this] { return at("/pics"); });
    w.type("p");
    EXPECT_EQ(w.shown(), (QStringList{"p1.png", "p2.png"}));
}

TEST_F(FolderListTest, ChoosingAnExistingFolderFromTheDropDownSignalsIt)
{
    settings->writeStringList(keyPath, "OfnListPng", {at("/pics/"), "/nowhere/", at("/other/")});
    FieldWindow w(*settings);
    w.list->loadFolders();
    QSignalSpy chosen(w.list, &FileDialogFolderList::folderChosen);
    struct Case { int row; int signals_; };
    for (const Case& c : {Case{2, 1}, Case{1, 0}, Case{0, 1}}) {
        chosen.clear();
        w.list->showPopup();
        QAbstractItemView* view = w.list->view();
        view->setCurrentIndex(view->model()->index(c.row, 0));
        QTest::keyClick(view, Qt::Key_Return);
        EXPECT_EQ(chosen.count(), c.signals_) << c.row;
        if (c.signals_) {
            EXPECT_EQ(chosen.first().at(0).toString(), w.list->itemText(c.row));
        }
    }
    // Picking with the arrow keys, without the list open, does not.
    chosen.clear();
    QTest::keyClick(w.list->lineEdit(), Qt::Key_Down);
    EXPECT_EQ(chosen.count(), 0);
}

TEST_F(FolderListTest, FileDialogReadsTheNameFromTheDropDownAndStoresItsFolder)
{
    const QString pic = QString::fromStdString(at("/pics/p1.png"));
    {
        FolderListFileDialog dialog(*settings, nullptr, QStringLiteral("Bilddatei auswählen"),
                                    QString::fromStdString(at("/other")), QStringLiteral("Bilder (*.png);;Alle Dateien (*)"),
                                    "*.png");
        dialog.setFileMode(QFileDialog::ExistingFile);
        ASSERT_NE(dialog.folderList(), nullptr);
        EXPECT_EQ(dialog.folderList()->lineEdit()->objectName(), QStringLiteral("fileNameEdit"));
        whenModal<FolderListFileDialog>([&](FolderListFileDialog* d) {
            // Typed with the window active: the dialog leaves a focused field alone.
            d->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(d));
            EXPECT_TRUE(d->folderList()->isVisible());
            EXPECT_TRUE(d->folderList()->lineEdit()->hasFocus());
            d->folderList()->lineEdit()->clear();
            QTest::keyClicks(d->folderList()->lineEdit(), pic);
            QTest::keyClick(d->folderList()->lineEdit(), Qt::Key_Return);
            if (d->isVisible())   // Enter did not reach the dialog
                d->reject();
        });
        EXPECT_EQ(dialog.exec(), QDialog::Accepted);
        EXPECT_EQ(dialog.selectedFiles(), QStringList{pic});
    }
    EXPECT_EQ(storedFolders(), Names{at("/pics/")});

    // The next dialog offers that folder first.
    settings->writeStringList(keyPath, "OfnListPng", {at("/other/"), at("/pics/")});
    FolderListFileDialog again(*settings, nullptr, {}, pic, {}, "*.png");
    ASSERT_NE(again.folderList(), nullptr);
    EXPECT_EQ(again.folderList()->currentText(), QStringLiteral("p1.png"));   // the initial file
    EXPECT_EQ(again.folderList()->itemText(0).toStdString(), at("/other/"));
    EXPECT_EQ(again.defaultSuffix(), QStringLiteral("png"));
}

// Several files chosen at once stand in the field as "p1.png" "p2.png":
// storing their folder on OK must leave the dialog's selection alone (the
// field refilled would have the dialog pick the folder too and open it
// instead of accepting).
TEST_F(FolderListTest, OkWithSeveralFilesAcceptsThemAndStoresTheirFolder)
{
    FolderListFileDialog dialog(*settings, nullptr, {}, QString::fromStdString(at("/pics")), {}, "*.png");
    dialog.setFileMode(QFileDialog::ExistingFiles);
    ASSERT_NE(dialog.folderList(), nullptr);
    whenModal<FolderListFileDialog>([&](FolderListFileDialog* d) {
        d->folderList()->lineEdit()->setText(QStringLiteral("\"p1.png\" \"p2.png\""));
        d->accept();
        if (d->isVisible())
            d->reject();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.selectedFiles(),
              (QStringList{QString::fromStdString(at("/pics/p1.png")), QString::fromStdString(at("/pics/p2.png"))}));
    EXPECT_EQ(storedFolders(), Names{at("/pics/")});
}

TEST_F(FolderListTest, FolderChosenFromTheDropDownIsOpenedAtOnce)
{
    settings->writeStringList(keyPath, "OfnListPng", {at("/pics/"), at("/other/")});
    FolderListFileDialog dialog(*settings, nullptr, {}, QString::fromStdString(at("/pics/p1.png")), {}, "*.png");
    dialog.setFileMode(QFileDialog::ExistingFile);
    ASSERT_NE(dialog.folderList(), nullptr);
    whenModal<FolderListFileDialog>([&](FolderListFileDialog* d) {
        FileDialogFolderList* list = d->folderList();
        list->showPopup();
        list->view()->setCurrentIndex(list->view()->model()->index(1, 0));
        QTest::keyClick(list->view(), Qt::Key_Return);
        // The dialog stays open on that folder, which is now the first entry.
        EXPECT_TRUE(QTest::qWaitFor([&] { return d->directory().absolutePath().toStdString() == at("/other"); }, 5000));
        EXPECT_TRUE(d->isVisible());
        EXPECT_TRUE(list->currentText().isEmpty());
        d->reject();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(storedFolders(), (Names{at("/other/"), at("/pics/")}));
}

TEST_F(FolderListTest, ContextMenuCopiesTheShownFolder)
{
    FolderListFileDialog dialog(*settings, nullptr, {}, QString::fromStdString(at("/pics")), {}, "*.png");
    ASSERT_NE(dialog.copyPathAction(), nullptr);
    EXPECT_EQ(dialog.copyPathAction()->text(), QString::fromUtf8("Kopiere aktuellen Pfad"));
    QApplication::clipboard()->clear();
    dialog.copyPathAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), at("/pics"));
}

TEST(FolderListFileDialog, FirstDialogSizeFollowsTheIconWidth)
{
    struct Case { int icon; QSize size; };
    const Case cases[] = {{16, {600, 450}}, {32, {600, 450}}, {48, {900, 675}}, {64, {1200, 900}}};
    for (const Case& c : cases)
        EXPECT_EQ(FolderListFileDialog::firstDialogSize(c.icon), c.size) << c.icon;
}

}  // namespace
}  // namespace gz
