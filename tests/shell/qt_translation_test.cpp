// Qt's standard buttons read German once the Qt catalogue is installed: the
// program's error box ("Fehler"), its questions and the file dialogs.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <QTranslator>

#include <gtest/gtest.h>

#include "shell/message_box_widget.h"
#include "shell/qt_translation.h"

namespace gz {
namespace {

QString plain(QString s) { return s.remove(QLatin1Char('&')); }

QStringList buttonTexts(const QMessageBox& box)
{
    QStringList out;
    for (QAbstractButton* b : box.buttons())
        out << plain(b->text());
    out.sort();
    return out;
}

class QtTranslationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(installQtTranslation()) << "qtbase_de.qm not found"; }
};

TEST_F(QtTranslationTest, InstallingTwiceKeepsOneTranslator)
{
    EXPECT_TRUE(installQtTranslation());
    EXPECT_EQ(QCoreApplication::instance()->findChildren<QTranslator*>(QString(), Qt::FindDirectChildrenOnly).size(),
              1);
}

TEST_F(QtTranslationTest, UnknownLanguageIsRefused)
{
    EXPECT_FALSE(installQtTranslation(QStringLiteral("xx_nonexistent")));
}

TEST_F(QtTranslationTest, MessageBoxButtonsAreGerman)
{
    struct Case {
        const char* caption;
        MessageButtons buttons;
        MessageIcon icon;
        QStringList expected;   // sorted
    };
    const Case cases[] = {
        {"Fehler", MessageButtons::Ok, MessageIcon::Error, {"OK"}},
        {"GameZinko", MessageButtons::YesNo, MessageIcon::Question, {"Ja", "Nein"}},
        {"GameZinko", MessageButtons::YesNoCancel, MessageIcon::Question, {"Abbrechen", "Ja", "Nein"}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<QMessageBox> box = makeMessageBox("Text", c.caption, c.buttons, c.icon, nullptr);
        EXPECT_EQ(box->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(buttonTexts(*box), c.expected) << c.caption << " " << static_cast<int>(c.buttons);
    }
}

TEST_F(QtTranslationTest, ErrorBoxKeepsCaptionIconAndText)
{
    // Windows-1252 text of the game data: 0xFC is "ü".
    std::unique_ptr<QMessageBox> box =
        makeMessageBox("Datei nicht gefunden: Gr\xFC\xDF" "e", "Fehler", MessageButtons::Ok, MessageIcon::Error, nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->text(), QString::fromUtf8("Datei nicht gefunden: Grüße"));
}

TEST_F(QtTranslationTest, AnswersMapBack)
{
    const std::pair<int, MessageAnswer> cases[] = {
        {QMessageBox::Yes, MessageAnswer::Yes},
        {QMessageBox::No, MessageAnswer::No},
        {QMessageBox::Cancel, MessageAnswer::Cancel},
        {QMessageBox::Ok, MessageAnswer::Ok},
    };
    for (auto [result, answer] : cases)
        EXPECT_EQ(messageAnswerOf(result), answer) << result;
}

TEST_F(QtTranslationTest, FileDialogCancelIsGerman)
{
    QFileDialog dialog(nullptr, QStringLiteral("Bilddatei auswählen"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(plain(cancel->text()), QStringLiteral("Abbrechen"));
}

}  // namespace
}  // namespace gz
