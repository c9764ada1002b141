// The import's Qt parts offscreen: the batch dialog, the multi-select file
// dialog and the progress dialog around a job on another thread.
#include "shell/import_pictures_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <thread>

#include "shell/import_progress.h"
#include "shell/new_picture_dialog.h"
#include "shell/qsettings_backend.h"
#include "tests/uikit/modal_driver.h"
#include "uikit/file_dialog_folder_list.h"

namespace gz {
namespace {

using gz::testing::whenModal;

TEST(ImportPicturesDialog, OpensWithTheDefaultsAndKeepsWhatWasConfirmed)
{
    ImportPicturesDialog dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Bilder importieren"));
    whenModal<ImportPicturesDialog>([](ImportPicturesDialog* d) {
        EXPECT_EQ(d->filesLabel()->text(), QStringLiteral("Ausgewählt: 20 Bilder"));
        EXPECT_EQ(d->questionEdit()->text(), QStringLiteral("Was ist auf dem Bild zu sehen?"));
        EXPECT_EQ(d->piecesBox()->value(), 20);
        EXPECT_EQ(d->piecesBox()->minimum(), 2);
        EXPECT_EQ(d->piecesBox()->maximum(), 32);
        EXPECT_FALSE(d->shrinkBox()->isChecked());
        d->questionEdit()->setText(QString::fromUtf8("Welche Sehenswürdigkeit ist das?"));
        d->piecesBox()->setValue(12);
        d->shrinkBox()->setChecked(true);
        QTest::keyClick(d->questionEdit(), Qt::Key_Return);
    });
    ASSERT_TRUE(dialog.showFor(20));
    EXPECT_EQ(dialog.question, "Welche Sehensw\xFCrdigkeit ist das?");   // Windows-1252
    EXPECT_EQ(dialog.pieces, 12);
    EXPECT_TRUE(dialog.shrinkLarge);

    // The next batch starts from them; a cancelled dialog keeps them.
    whenModal<ImportPicturesDialog>([](ImportPicturesDialog* d) {
        EXPECT_EQ(d->filesLabel()->text(), QStringLiteral("Ausgewählt: 1 Bild"));
        EXPECT_EQ(d->questionEdit()->text(), QString::fromUtf8("Welche Sehenswürdigkeit ist das?"));
        EXPECT_EQ(d->piecesBox()->value(), 12);
        EXPECT_TRUE(d->shrinkBox()->isChecked());
        d->piecesBox()->setValue(3);
        d->reject();
    });
    EXPECT_FALSE(dialog.showFor(1));
    EXPECT_EQ(dialog.pieces, 12);
}

TEST(ImportPicturesDialog, AQuestionIsNeeded)
{
    ImportPicturesDialog dialog(nullptr);
    QString shown;
    bool stillOpen = false;
    whenModal<ImportPicturesDialog>([&](ImportPicturesDialog* d) {
        whenModal<QMessageBox>([&](QMessageBox* box) {
            shown = box->text();
            box->accept();
        });
        d->questionEdit()->setText(QStringLiteral("   "));
        QTest::keyClick(d->questionEdit(), Qt::Key_Return);
        stillOpen = d->isVisible();
        d->reject();
    });
    EXPECT_FALSE(dialog.showFor(3));
    EXPECT_EQ(shown, QStringLiteral("Bitte eine Frage eingeben:\n\nz.B. : 'Was ist auf dem Bild zu sehen?'"));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(dialog.question, "Was ist auf dem Bild zu sehen?");
}

TEST(ImportPictureFiles, ComeInTheOrderOfTheirNames)
{
    QStringList files = {"/b/Bild10.jpg", "/a/bild2.jpg", "/c/Bild1.jpg", "/a/Bild1.jpg", "/z/Anfang.png",
                         "/a/Bild02b.jpg", "/a/Bilder.jpg", "/a/007.jpg", "/a/Bild.jpg"};
    sortPictureFiles(files);
    EXPECT_EQ(files.join(QLatin1Char(' ')).toStdString(),
              "/a/007.jpg /z/Anfang.png /a/Bild.jpg /a/Bild1.jpg /c/Bild1.jpg /a/bild2.jpg /a/Bild02b.jpg "
              "/b/Bild10.jpg /a/Bilder.jpg");
}

// The file dialog takes many files, filtered as the new-picture dialog's,
// and remembers where they came from.
TEST(ImportPictureFiles, ManyFilesAreChosenAtOnce)
{
    QTemporaryDir tmp, settingsDir;
    ASSERT_TRUE(tmp.isValid() && settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    QSettingsBackend settings(settingsDir.path().toStdString());
    for (const char* f : {"Bild10.png", "Bild2.png", "Bild3.png"})
        std::ofstream(tmp.filePath(QString::fromUtf8(f)).toStdString()) << "x";

    QString folder = tmp.path();
    whenModal<FolderListFileDialog>([&](FolderListFileDialog* f) {
        EXPECT_EQ(f->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(f->nameFilters().join(QStringLiteral(";;")), pictureFileFilter());
        EXPECT_EQ(f->windowTitle(), QString::fromUtf8("Bilder auswählen"));
        // Two of the three files picked in the list, as with Ctrl and the mouse.
        auto* list = f->findChild<QListView*>("listView");
        ASSERT_NE(list, nullptr);
        (void)QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) == 3; }, 5000);
        for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row) {
            const QModelIndex index = list->model()->index(row, 0, list->rootIndex());
            if (index.data().toString() != QStringLiteral("Bild3.png"))
                list->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        f->accept();
        if (f->isVisible()) {
            ADD_FAILURE() << "the file dialog did not take the files: " << f->selectedFiles().join(' ').toStdString();
            f->reject();
        }
    });
    const QStringList files = choosePictureFiles(settings, nullptr, folder);
    EXPECT_EQ(files, (QStringList{tmp.filePath("Bild2.png"), tmp.filePath("Bild10.png")}));
    EXPECT_EQ(folder, tmp.path());

    // Cancelled: nothing chosen, the folder stays.
    whenModal<FolderListFileDialog>([](FolderListFileDialog* f) { f->reject(); });
    EXPECT_TRUE(choosePictureFiles(settings, nullptr, folder).isEmpty());
    EXPECT_EQ(folder, tmp.path());

    // A later run opens in the remembered folder.
    QString fresh;
    whenModal<FolderListFileDialog>([&](FolderListFileDialog* f) {
        EXPECT_EQ(f->directory().absolutePath(), tmp.path());
        f->reject();
    });
    choosePictureFiles(settings, nullptr, fresh);
}

// The job reports from its own thread; cancelling keeps the dialog up
// until the job ends, and the window thread goes on meanwhile.
TEST(ImportProgress, ShowsTheFileInProgressAndCancelsAfterIt)
{
    ImportProgressDialog dialog(3, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Bilder werden importiert"));
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);

    QString second, cancelling;
    bool visibleWhileCancelling = false;
    whenModal<ImportProgressDialog>([&](ImportProgressDialog* d) {
        (void)QTest::qWaitFor([&] { return d->labelText().startsWith(QStringLiteral("Bild 2")); }, 5000);
        second = d->labelText();
        EXPECT_EQ(d->value(), 1);
        QTest::mouseClick(d->findChild<QPushButton*>(), Qt::LeftButton);
        cancelling = d->labelText();
        visibleWhileCancelling = d->isVisible();
    });
    bool sawCancel = false;
    dialog.run([&](const ImportProgress& progress, const std::atomic<bool>& cancel) {
        progress({0, 3, "/fotos/a.png"});
        progress({1, 3, "/fotos/Stra\xC3\x9F" "e.png"});
        while (!cancel.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sawCancel = true;
    });
    EXPECT_TRUE(sawCancel);
    EXPECT_TRUE(dialog.cancelRequested());
    EXPECT_EQ(second, QString::fromUtf8("Bild 2 von 3: Straße.png"));
    EXPECT_EQ(cancelling, QString::fromUtf8("Wird abgebrochen, sobald das Bild in Arbeit fertig ist …"));
    EXPECT_TRUE(visibleWhileCancelling);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_GT(ticks, 0);
}

TEST(ImportProgress, EscapeAndClosingCancelWithoutHidingTheDialog)
{
    for (bool escape : {true, false}) {
        ImportProgressDialog dialog(2, nullptr);
        bool visible = false;
        whenModal<ImportProgressDialog>([&](ImportProgressDialog* d) {
            if (escape)
                QTest::keyClick(d, Qt::Key_Escape);
            else
                d->close();
            visible = d->isVisible();
        });
        dialog.run([](const ImportProgress&, const std::atomic<bool>& cancel) {
            while (!cancel.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        EXPECT_TRUE(dialog.cancelRequested()) << escape;
        EXPECT_TRUE(visible) << escape;
    }
}

}  // namespace
}  // namespace gz
