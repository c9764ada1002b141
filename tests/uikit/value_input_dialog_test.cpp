#include "uikit/value_input_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/uikit/modal_driver.h"
#include "uikit/dialog_units.h"

namespace gz {
namespace {

using gz::testing::whenModal;

enum class Close { Enter, OkButton, Escape, CancelButton, CloseBox };

void closeWith(InputDialogBase* d, Close how)
{
    switch (how) {
    case Close::Enter: QTest::keyClick(d->entry(), Qt::Key_Return); break;
    case Close::OkButton: QTest::mouseClick(d->okButton(), Qt::LeftButton); break;
    case Close::Escape: QTest::keyClick(d->entry(), Qt::Key_Escape); break;
    case Close::CancelButton: QTest::mouseClick(d->cancelButton(), Qt::LeftButton); break;
    case Close::CloseBox: d->close(); break;
    }
}

// Types over the selected entry, one key event per character (any
// Unicode text); an empty text clears it.
void typeOver(InputDialogBase* d, const char* keys)
{
    const QString text = QString::fromUtf8(keys);
    if (text.isEmpty())
        QTest::keyClick(d->entry(), Qt::Key_Delete);
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(d->entry(), &press);
    }
}

TEST(ValueInputDialog, TypedEntryIsParsedOnOkAndCancelKeepsTheValue)
{
    struct Case { int32_t initial; const char* typed; Close close; DialogButton button; int32_t value; };
    const Case cases[] = {
        {5000, "7000", Close::Enter, DialogButton::Ok, 7000},
        {5000, "0x1F", Close::OkButton, DialogButton::Ok, 31},
        {1, "FFh", Close::Enter, DialogButton::Ok, 255},
        {1, "ffH", Close::Enter, DialogButton::Ok, 255},
        {1, "77o", Close::Enter, DialogButton::Ok, 63},
        {1, "101b", Close::Enter, DialogButton::Ok, 5},
        {1, "12b", Close::Enter, DialogButton::Ok, 12},
        {1, "   42", Close::Enter, DialogButton::Ok, 42},
        {1, "- 42", Close::Enter, DialogButton::Ok, -42},
        {7, "", Close::Enter, DialogButton::Ok, 0},
        {7, "0x", Close::Enter, DialogButton::Ok, 0},
        {7, "abc", Close::Enter, DialogButton::Ok, 0},
        {7, "12abc", Close::Enter, DialogButton::Ok, 12},
        {7, "4294967296", Close::Enter, DialogButton::Ok, -1},
        {5000, "9999", Close::Escape, DialogButton::Cancel, 5000},
        {5000, "9999", Close::CancelButton, DialogButton::Cancel, 5000},
        {5000, "9999", Close::CloseBox, DialogButton::Cancel, 5000},
    };
    for (const Case& c : cases) {
        ValueInputDialog dialog;
        dialog.setValue(c.initial);
        whenModal<ValueInputDialog>([&](ValueInputDialog* d) {
            typeOver(d, c.typed);
            closeWith(d, c.close);
        });
        EXPECT_EQ(dialog.showModal(), c.button) << c.typed;
        EXPECT_EQ(dialog.value(), c.value) << c.typed;
    }
}

TEST(ValueInputDialog, OpensWithTitlePromptAndTheWholeEntrySelected)
{
    ValueInputDialog dialog;
    dialog.setTitle(QStringLiteral("Schaltzeit einstellen"));
    dialog.setPrompt(QStringLiteral("Weiterschaltzeit in Millisekunden (2000...10000) :"));
    dialog.setValue(5000, 0);
    whenModal<ValueInputDialog>([](ValueInputDialog* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Schaltzeit einstellen"));
        EXPECT_EQ(d->promptLabel()->text(), QStringLiteral("Weiterschaltzeit in Millisekunden (2000...10000) :"));
        EXPECT_EQ(d->entry()->text(), QStringLiteral("5000"));
        EXPECT_EQ(d->entry()->selectedText(), QStringLiteral("5000"));
        EXPECT_EQ(d->focusWidget(), d->entry());
        d->reject();
    });
    dialog.showModal();
}

TEST(ValueInputDialog, EmptyTitleKeepsTheDefaultCaptionAndFormatsShowInTheEntry)
{
    struct Case { int32_t value; int format; const char* shown; };
    const Case cases[] = {{255, 1, "0xFF"}, {-1, 4, "FFFFFFFFh"}, {-5, 0, "-5"}, {-1, 9, "4294967295"}};
    for (const Case& c : cases) {
        ValueInputDialog dialog;
        dialog.setValue(c.value, c.format);
        whenModal<ValueInputDialog>([&](ValueInputDialog* d) {
            EXPECT_EQ(d->windowTitle(), QString::fromUtf8(kInputDialogDefaultTitle));
            EXPECT_TRUE(d->promptLabel()->text().isEmpty());
            EXPECT_EQ(d->entry()->text(), QString::fromUtf8(c.shown));
            QTest::keyClick(d->entry(), Qt::Key_Return);
        });
        // Confirming the untouched entry gives the value back.
        EXPECT_EQ(dialog.showModal(), DialogButton::Ok);
        EXPECT_EQ(dialog.value(), c.value) << c.shown;
    }
}

TEST(InputDialogLayout, FixedDialogUnitGeometry)
{
    ValueInputDialog dialog;
    const DialogUnits du(dialog.font());
    EXPECT_EQ(dialog.size(), du.size(232, 58));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());   // not resizable
    EXPECT_EQ(dialog.promptLabel()->geometry(), du.rect(5, 5, 220, 8));
    EXPECT_EQ(dialog.entry()->geometry(), du.rect(5, 15, 220, 13));
    EXPECT_EQ(dialog.okButton()->geometry(), du.rect(120, 35, 50, 14));
    EXPECT_EQ(dialog.cancelButton()->geometry(), du.rect(175, 35, 50, 14));
    EXPECT_EQ(dialog.okButton()->text(), QStringLiteral("OK"));
    EXPECT_EQ(dialog.cancelButton()->text(), QStringLiteral("Abbrechen"));
    EXPECT_TRUE(dialog.okButton()->isDefault());
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowContextHelpButtonHint);
}

TEST(InputDialogLayout, DialogUnitsRoundToThePixel)
{
    // An average letter of 6 pixels and a line of 13: the usual 8-point font.
    const DialogUnits du(6, 13);
    struct Case { int units; int x; int y; };
    const Case cases[] = {{0, 0, 0}, {1, 2, 2}, {5, 8, 8}, {8, 12, 13}, {58, 87, 94}, {232, 348, 377}, {-5, -8, -8}};
    for (const Case& c : cases) {
        EXPECT_EQ(du.x(c.units), c.x) << c.units;
        EXPECT_EQ(du.y(c.units), c.y) << c.units;
    }
    // Larger fonts give larger dialogs.
    QFont big;
    big.setPointSize(20);
    QFont small;
    small.setPointSize(8);
    EXPECT_GT(DialogUnits(big).x(232), DialogUnits(small).x(232));
    EXPECT_GT(DialogUnits(big).y(58), DialogUnits(small).y(58));
}

TEST(TextInputDialog, TakesTheTypedLineOnOkOnly)
{
    struct Case { const char* initial; const char* typed; Close close; DialogButton button; std::string text; };
    const Case cases[] = {
        {"COM1", "COM3", Close::Enter, DialogButton::Ok, "COM3"},
        {"COM1", "COM3", Close::OkButton, DialogButton::Ok, "COM3"},
        {"COM1", "", Close::Enter, DialogButton::Ok, ""},
        {"COM1", "COM3", Close::Escape, DialogButton::Cancel, "COM1"},
        {"COM1", "COM3", Close::CancelButton, DialogButton::Cancel, "COM1"},
        // The game's texts are Windows-1252; what the code page lacks is '?'.
        {"", "B\xC3\xA4r \xE2\x82\xAC", Close::Enter, DialogButton::Ok, "B\xE4r \x80"},
        {"", "a\xE2\x86\x92" "b", Close::Enter, DialogButton::Ok, "a?b"},
    };
    for (const Case& c : cases) {
        TextInputDialog dialog;
        dialog.setTitle(QStringLiteral("COM-Port"));
        dialog.setPrompt(QStringLiteral("Bitte hier das COM-Port angeben :"));
        dialog.setText(c.initial);
        whenModal<TextInputDialog>([&](TextInputDialog* d) {
            EXPECT_EQ(d->entry()->selectedText(), QString::fromUtf8(c.initial));
            typeOver(d, c.typed);
            closeWith(d, c.close);
        });
        EXPECT_EQ(dialog.showModal(), c.button) << c.typed;
        EXPECT_EQ(dialog.text(), c.text) << c.typed;
    }
}

TEST(TextInputDialog, InitialEightBitTextIsShownAsUnicode)
{
    TextInputDialog dialog;
    dialog.setText("Gr\xFC\xDF" "e");
    whenModal<TextInputDialog>([](TextInputDialog* d) {
        EXPECT_EQ(d->entry()->text(), QString::fromUtf8("Grüße"));
        EXPECT_EQ(d->windowTitle(), QString::fromUtf8(kInputDialogDefaultTitle));
        d->accept();
    });
    dialog.showModal();
    EXPECT_EQ(dialog.text(), "Gr\xFC\xDF" "e");   // unchanged through the round trip
}

TEST(TextInputDialog, GetTextIsBounded)
{
    TextInputDialog dialog;
    const std::string forty(40, 'x');
    dialog.setText(forty);
    struct Case { int size; int copied; };
    const Case cases[] = {{32, 31}, {41, 40}, {100, 40}, {1, 0}};
    for (const Case& c : cases) {
        char buffer[128];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(dialog.getText(buffer, c.size), c.copied) << c.size;
        EXPECT_EQ(std::string(buffer), forty.substr(0, c.copied)) << c.size;
        EXPECT_EQ(buffer[c.copied + 1], '#') << "wrote past the zero, size " << c.size;
    }
    for (int size : {0, -1}) {
        char buffer[4] = {'#', '#', '#', '#'};
        EXPECT_EQ(dialog.getText(buffer, size), 0);
        EXPECT_EQ(buffer[0], '#');
    }
}

TEST(TextInputDialog, PasswordLayoutHidesTheCharacters)
{
    TextInputDialog dialog;
    EXPECT_EQ(dialog.entry()->echoMode(), QLineEdit::Normal);
    dialog.setPasswordEntry(true);
    EXPECT_EQ(dialog.entry()->echoMode(), QLineEdit::Password);
    dialog.setText("geheim");
    whenModal<TextInputDialog>([](TextInputDialog* d) {
        QTest::keyClicks(d->entry(), QStringLiteral("neu"));
        QTest::keyClick(d->entry(), Qt::Key_Return);
    });
    EXPECT_EQ(dialog.showModal(), DialogButton::Ok);
    EXPECT_EQ(dialog.text(), "neu");
}

}  // namespace
}  // namespace gz
