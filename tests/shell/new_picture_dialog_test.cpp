#include "shell/new_picture_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/qsettings_backend.h"
#include "shell/settings_values.h"
#include "tests/uikit/modal_driver.h"
#include "uikit/file_dialog_folder_list.h"
#include "uikit/recent_name_list.h"

namespace gz {
namespace {

using gz::testing::whenModal;
using Names = std::vector<std::string>;

// Pictures a.png, b.png, c.png in a temporary folder; the settings (and
// the file dialog's own state) in another.
class NewPictureDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid() && settingsDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        for (const char* f : {"a.png", "b.png", "c.png"})
            std::ofstream(pic(f)) << "x";
        settings = std::make_unique<QSettingsBackend>(settingsDir.path().toStdString());
        dialog = std::make_unique<NewPictureDialog>(*settings, nullptr);
    }
    std::string pic(const char* name) const { return tmp.path().toStdString() + "/" + name; }
    Names stored()
    {
        Names out;
        readNameList(*settings, "#", "NameList", out);
        return out;
    }
    // Fills the controls and presses Enter.
    static void fill(NewPictureDialog* d, const std::string& path, const char* question, const char* answer)
    {
        d->pathBox()->setEditText(QString::fromStdString(path));
        d->questionEdit()->setText(QString::fromUtf8(question));
        d->answerEdit()->setText(QString::fromUtf8(answer));
        QTest::keyClick(d->answerEdit(), Qt::Key_Return);
    }

    QTemporaryDir tmp;
    QTemporaryDir settingsDir;
    std::unique_ptr<QSettingsBackend> settings;
    std::unique_ptr<NewPictureDialog> dialog;
};

TEST_F(NewPictureDialogTest, OpensWithTheMostRecentPictureAndStoresTheUsedOneFirst)
{
    writeNameList(*settings, "#", "NameList", {pic("a.png"), pic("b.png"), pic("c.png")});
    whenModal<NewPictureDialog>([&](NewPictureDialog* d) {
        EXPECT_EQ(d->pathBox()->currentText().toStdString(), pic("a.png"));
        EXPECT_EQ(d->pathBox()->count(), 3);
        EXPECT_EQ(d->numberEdit()->text(), QStringLiteral("7"));
        fill(d, pic("b.png"), "Was ist hier zu sehen ?", "Ein Turm");
    });
    ASSERT_TRUE(dialog->showFor(7));
    EXPECT_EQ(dialog->pictureFile, pic("b.png"));
    EXPECT_EQ(dialog->question, "Was ist hier zu sehen ?");
    EXPECT_EQ(dialog->answer, "Ein Turm");
    EXPECT_EQ(dialog->number, 7);
    EXPECT_EQ(stored(), (Names{pic("b.png"), pic("a.png"), pic("c.png")}));

    // The next opening: the question and answer come back, the path is the
    // most recent entry of the list.
    whenModal<NewPictureDialog>([&](NewPictureDialog* d) {
        EXPECT_EQ(d->pathBox()->currentText().toStdString(), pic("b.png"));
        EXPECT_EQ(d->questionEdit()->text(), QStringLiteral("Was ist hier zu sehen ?"));
        EXPECT_EQ(d->answerEdit()->text(), QStringLiteral("Ein Turm"));
        d->reject();
    });
    EXPECT_FALSE(dialog->showFor(8));
}

// The shrink choice starts off, comes back after OK like the mode, and a
// change given up with Cancel is forgotten like the mode's.
TEST_F(NewPictureDialogTest, ShrinkChoiceIsRememberedLikeTheMode)
{
    QCheckBox* box = dialog->shrinkBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QString::fromUtf8("Großes Bild auf Bildschirmgröße verkleinern"));
    EXPECT_FALSE(box->isChecked());

    struct Step { bool shrink; int mode; bool ok; bool shownShrink; int shownMode; };
    const Step steps[] = {
        {true, 1, true, false, 0},     // first use: off
        {false, 2, false, true, 1},    // comes back ticked; the cancelled change is lost
        {false, 2, true, true, 1},
        {true, 0, false, false, 2},
        {false, 0, true, false, 2},
    };
    bool kept = false;
    int keptMode = 0;
    for (const Step& s : steps) {
        bool shownShrink = !s.shownShrink;
        int shownMode = -1;
        whenModal<NewPictureDialog>([&](NewPictureDialog* d) {
            shownShrink = d->shrinkBox()->isChecked();
            for (int i = 0; i < 3; ++i)
                if (d->modeButton(i)->isChecked())
                    shownMode = i;
            d->shrinkBox()->setChecked(s.shrink);
            d->modeButton(s.mode)->setChecked(true);
            if (s.ok)
                fill(d, pic("a.png"), "Frage", "Antwort");
            else
                QTest::keyClick(d->questionEdit(), Qt::Key_Escape);
        });
        const int step = static_cast<int>(&s - steps);
        EXPECT_EQ(dialog->showFor(1), s.ok) << step;
        EXPECT_EQ(shownShrink, s.shownShrink) << step;
        EXPECT_EQ(shownMode, s.shownMode) << step;
        if (s.ok) {
            kept = s.shrink;
            keptMode = s.mode;
        }
        EXPECT_EQ(dialog->shrinkLarge, kept) << step;
        EXPECT_EQ(dialog->mode, keptMode) << step;
    }
}

TEST_F(NewPictureDialogTest, CancelStoresNothing)
{
    writeNameList(*settings, "#", "NameList", {pic("a.png")});
    whenModal<NewPictureDialog>([&](NewPictureDialog* d) {
        d->pathBox()->setEditText(QString::fromStdString(pic("c.png")));
        QTest::keyClick(d->questionEdit(), Qt::Key_Escape);
    });
    EXPECT_FALSE(dialog->showFor(1));
    EXPECT_EQ(stored(), Names{pic("a.png")});
}

TEST_F(NewPictureDialogTest, RefusedInputKeepsTheDialogOpenAndStoresNothing)
{
    struct Case { std::string path; const char* question; const char* answer; const char* message; };
    const Case cases[] = {
        {tmp.path().toStdString(), "Q", "A", "Bitte ein Bild auswählen !"},   // a folder
        {pic("missing.png"), "Q", "A", "Bitte ein Bild auswählen !"},
        {pic("a.png"), "", "A", "Bitte eine Frage eingen:\n\nz.B. : 'Was ist hier zu sehen ?'"},
        {pic("a.png"), "Q", "", "Bitte eine Antwort eingen !"},
    };
    for (const Case& c : cases) {
        QString shown;
        bool stillOpen = false;
        whenModal<NewPictureDialog>([&](NewPictureDialog* d) {
            whenModal<QMessageBox>([&](QMessageBox* box) {
                shown = box->text();
                EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
                box->accept();
            });
            fill(d, c.path, c.question, c.answer);
            stillOpen = d->isVisible();
            d->reject();
        });
        EXPECT_FALSE(dialog->showFor(1));
        EXPECT_EQ(shown, QString::fromUtf8(c.message)) << c.path;
        EXPECT_TRUE(stillOpen) << c.path;
        EXPECT_EQ(stored(), Names{}) << c.path;
    }
}

TEST_F(NewPictureDialogTest, NumberIsCutIntoRange)
{
    struct Case { const char* text; int32_t number; };
    const Case cases[] = {{"abc", 1}, {"0", 1}, {"-3", 1}, {" 12", 12}, {"999", 999}, {"1500", 1000}};
    for (const Case& c : cases) {
        whenModal<NewPictureDialog>([&](NewPictureDialog* d) {
            d->numberEdit()->setText(QString::fromUtf8(c.text));
            fill(d, pic("a.png"), "Q", "A");
        });
        EXPECT_TRUE(dialog->showFor(5)) << c.text;
        EXPECT_EQ(dialog->number, c.number) << c.text;
    }
}

// The picture filter names every kind of file the program reads, and the
// file dialog (list and suggestions) shows exactly those.
TEST_F(NewPictureDialogTest, PictureFilterSaysWhatItShows)
{
    const QStringList filters = pictureFileFilter().split(QStringLiteral(";;"));
    ASSERT_EQ(filters.size(), 2);
    EXPECT_TRUE(filters[0].startsWith(QStringLiteral("Bilder (")));
    EXPECT_EQ(filters[1], QStringLiteral("Alle Dateien (*)"));
    for (const char* p : {"*.png", "*.jpg", "*.jpeg", "*.gif", "*.bmp", "*.tif", "*.tiff", "*.ppm", "*.xpm", "*.ico",
                          "*.webp", "*.heic", "*.heif", "*.avif"})
        EXPECT_TRUE(filters[0].split(QRegularExpression(QStringLiteral("[ ()]"))).contains(QString::fromLatin1(p)))
            << p;

    for (const char* f : {"d.JPG", "e.bmp", "f.heic", "notes.txt"})
        std::ofstream(pic(f)) << "x";
    whenModal<NewPictureDialog>([&](NewPictureDialog* d) {
        d->pathBox()->setEditText(QString::fromStdString(pic("a.png")));
        whenModal<FolderListFileDialog>([&](FolderListFileDialog* f) {
            EXPECT_EQ(f->nameFilters().size(), 2);
            FileDialogFolderList* list = f->folderList();
            if (!list) {
                ADD_FAILURE() << "no folder list";
                f->reject();
                return;
            }
            f->activateWindow();
            (void)QTest::qWaitForWindowActive(f);
            list->lineEdit()->clear();
            QTest::keyClicks(list->lineEdit(), QString::fromStdString(pic("")));
            if (QTest::qWaitFor([&] { return list->suggestionsVisible(); }, 5000)) {
                QStringList shown;
                for (int i = 0; i < list->suggestionList()->count(); ++i)
                    shown << list->suggestionList()->item(i)->text().remove(QString::fromStdString(pic("")));
                EXPECT_EQ(shown.join(QLatin1Char(' ')).toStdString(), "a.png b.png c.png d.JPG e.bmp f.heic");
            } else {
                ADD_FAILURE() << "no suggestions";
            }
            f->reject();
        });
        QTest::mouseClick(d->findChild<QPushButton*>("browse"), Qt::LeftButton);
        d->reject();
    });
    dialog->showFor(1);
}

TEST_F(NewPictureDialogTest, BrowseUsesTheFileDialogWithThePictureFolderList)
{
    writeFolderList(*settings, std::string(kApplicationKeyPath), "OfnListPng", {"/elsewhere/"});
    whenModal<NewPictureDialog>([&](NewPictureDialog* d) {
        d->pathBox()->setEditText(QString::fromStdString(pic("a.png")));
        whenModal<FolderListFileDialog>([&](FolderListFileDialog* f) {
            EXPECT_EQ(f->windowTitle(), QString::fromUtf8("Bilddatei auswählen"));
            if (!f->folderList()) {
                ADD_FAILURE() << "no folder list in the file dialog";
                f->reject();
                return;
            }
            EXPECT_EQ(f->folderList()->valueName(), "OfnListPng");
            EXPECT_EQ(f->folderList()->itemText(0), QStringLiteral("/elsewhere/"));
            // Typed into the active dialog: the dialog leaves a focused field alone.
            f->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(f));
            f->folderList()->lineEdit()->selectAll();
            QTest::keyClicks(f->folderList()->lineEdit(), QString::fromStdString(pic("c.png")));
            QTest::keyClick(f->folderList()->lineEdit(), Qt::Key_Return);
            if (f->isVisible()) {
                ADD_FAILURE() << "the file dialog did not take " << pic("c.png");
                f->reject();
            }
        });
        QTest::mouseClick(d->findChild<QPushButton*>("browse"), Qt::LeftButton);
        EXPECT_EQ(d->pathBox()->currentText().toStdString(), pic("c.png"));
        d->reject();
    });
    dialog->showFor(1);
    Names folders;
    readFolderList(*settings, std::string(kApplicationKeyPath), "OfnListPng", folders);
    EXPECT_EQ(folders, (Names{tmp.path().toStdString() + "/", "/elsewhere/"}));
}

}  // namespace
}  // namespace gz
