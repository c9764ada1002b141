// "Buzzer zuordnen" offscreen: keys typed where the focus is and device
// presses walk through the actions; the game master's keys stay his.
#include "shell/buzzer_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/uikit/modal_driver.h"

namespace gz {
namespace {

using gz::testing::whenModal;

class FakeClock : public ShowClock {
public:
    uint32_t nowMs() override { return now; }
    uint32_t now = 5000;
};

const ButtonBinding kPadSouth{"USB Gamepad", 0x130};

class BuzzerDialogTest : public ::testing::Test {
protected:
    // The dialog on screen, not modal, its focus where it starts.
    std::unique_ptr<BuzzerDialog> open(const BuzzerMapping& start = {})
    {
        auto d = std::make_unique<BuzzerDialog>(start, clock);
        d->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(d.get()));
        return d;
    }
    // A key as the user types it: to the focused widget. The clock moves
    // on by a human's pause first.
    void type(BuzzerDialog& d, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        clock.now += 1000;
        QWidget* target = d.focusWidget() ? d.focusWidget() : &d;
        QTest::keyClick(target, key, mods);
    }
    static QString cell(BuzzerDialog& d, int row)
    {
        return d.findChild<QTableWidget*>("actions")->item(row, 1)->text();
    }
    static QString prompt(BuzzerDialog& d) { return d.findChild<QLabel*>("prompt")->text(); }
    static QPushButton* button(BuzzerDialog& d, const char* name) { return d.findChild<QPushButton*>(name); }

    FakeClock clock;
};

TEST_F(BuzzerDialogTest, KeysAndDevicePressesWalkThroughTheActions)
{
    auto d = open();
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Buzzer zuordnen"));
    EXPECT_EQ(prompt(*d), QStringLiteral("Bitte den Knopf für „Buzzer links“ drücken … (oder „Überspringen“)"));
    EXPECT_EQ(cell(*d, 0), QStringLiteral("– nicht zugeordnet –"));
    EXPECT_EQ(d->findChild<QTableWidget*>("actions")->currentRow(), 0);

    type(*d, Qt::Key_1);
    clock.now += 1000;
    d->devicePressed(kPadSouth);
    // The space goes to the focused "Überspringen" button and must not press it.
    ASSERT_EQ(QApplication::focusWidget(), button(*d, "skip"));
    type(*d, Qt::Key_Space);
    type(*d, Qt::Key_A, Qt::ShiftModifier);
    EXPECT_EQ(d->learning().current(), 4);
    EXPECT_EQ(cell(*d, 0), QStringLiteral("Tastatur – Taste 1"));
    EXPECT_EQ(cell(*d, 1), QStringLiteral("USB Gamepad – Knopf 304 (BTN_SOUTH)"));
    EXPECT_EQ(cell(*d, 2), QStringLiteral("Tastatur – Leertaste"));
    EXPECT_EQ(cell(*d, 3), QStringLiteral("Tastatur – Taste A"));
    EXPECT_EQ(d->findChild<QTableWidget*>("actions")->currentRow(), 4);
    EXPECT_EQ(prompt(*d), QStringLiteral("Bitte den Knopf für „Erster Spieler -“ drücken … (oder „Überspringen“)"));

    // A keyboard buzzer's one press, seen as an input device too: learned once.
    clock.now += 1000;
    d->devicePressed({"Quiz Box", 2});
    QTest::keyClick(d->focusWidget(), Qt::Key_1);
    EXPECT_EQ(d->learning().current(), 5);
    EXPECT_EQ(cell(*d, 4), QStringLiteral("Quiz Box – Taste 2 (KEY_1)"));
    // "1" stays with the left buzzer.
    EXPECT_EQ(d->mapping().actionFor(kKeyboardDevice, Qt::Key_1), 0);
}

TEST_F(BuzzerDialogTest, SkipBackAndClearByMouseAndByKeyboard)
{
    BuzzerMapping start;
    start.bind(0, kPadSouth);
    start.bind(1, {"USB Gamepad", 0x131});
    auto d = open(start);

    button(*d, "skip")->click();
    EXPECT_EQ(d->learning().current(), 1);
    EXPECT_EQ(cell(*d, 0), QStringLiteral("USB Gamepad – Knopf 304 (BTN_SOUTH)"));
    button(*d, "clear")->click();
    EXPECT_EQ(cell(*d, 1), QStringLiteral("– nicht zugeordnet –"));
    EXPECT_EQ(d->learning().current(), 1);

    // Keyboard only: the focus moves with Tab, Return presses; Alt+B skips.
    type(*d, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), button(*d, "back"));
    type(*d, Qt::Key_Return);
    EXPECT_EQ(d->learning().current(), 0);
    type(*d, Qt::Key_B, Qt::AltModifier);   // a mnemonic clicks once its button is drawn released
    EXPECT_TRUE(QTest::qWaitFor([&] { return d->learning().current() == 1; }, 2000));
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->mapping().binding(0), kPadSouth);   // no key was learned on the way

    // A click on a row picks its action.
    QTableWidget* table = d->findChild<QTableWidget*>("actions");
    const QRect row6 = table->visualRect(table->model()->index(6, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, row6.center());
    EXPECT_EQ(d->learning().current(), 6);
}

TEST_F(BuzzerDialogTest, TheGameMastersKeysAreNotLearned)
{
    auto d = open();
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    } refused[] = {
        {Qt::Key_F1, Qt::NoModifier},  {Qt::Key_F7, Qt::NoModifier},     {Qt::Key_F12, Qt::NoModifier},
        {Qt::Key_1, Qt::ControlModifier}, {Qt::Key_1, Qt::AltModifier}, {Qt::Key_1, Qt::MetaModifier},
        {Qt::Key_Shift, Qt::ShiftModifier}, {Qt::Key_Control, Qt::ControlModifier},
    };
    for (const Key& k : refused) {
        type(*d, k.key, k.mods);
        EXPECT_EQ(d->learning().current(), 0) << k.key;
    }
    EXPECT_TRUE(d->mapping().empty());
    // Tab only moves the focus; Escape closes the dialog without a result.
    type(*d, Qt::Key_Tab);
    EXPECT_TRUE(d->mapping().empty());
    type(*d, Qt::Key_Escape);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_TRUE(d->mapping().empty());
}

TEST_F(BuzzerDialogTest, AfterTheLastActionReturnTakesTheResult)
{
    BuzzerDialog dialog({}, clock);
    whenModal<BuzzerDialog>([this](BuzzerDialog* d) {
        type(*d, Qt::Key_1);
        // Wherever the focus was (here "Zurück"), Return then means OK.
        button(*d, "back")->setFocus();
        const Qt::Key keys[] = {Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5, Qt::Key_6, Qt::Key_7, Qt::Key_8};
        for (Qt::Key k : keys)
            type(*d, k);
        EXPECT_TRUE(d->learning().done());
        EXPECT_EQ(d->focusWidget(), button(*d, "ok"));
        EXPECT_EQ(prompt(*d), QStringLiteral("Alle Aktionen sind durchlaufen. „OK“ übernimmt die Zuordnung."));
        type(*d, Qt::Key_9);   // nothing left to learn
        type(*d, Qt::Key_Return);
        if (d->isVisible())
            d->reject();   // Return missed OK: fail instead of waiting for ever
    });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    for (int a = 0; a < kBuzzerActionCount; ++a)
        EXPECT_EQ(dialog.mapping().binding(a), (ButtonBinding{kKeyboardDevice, static_cast<uint32_t>(Qt::Key_1 + a)}));
}

TEST_F(BuzzerDialogTest, OkAndCancelButtons)
{
    struct Case {
        const char* button;
        int result;
    } cases[] = {{"ok", QDialog::Accepted}, {"cancel", QDialog::Rejected}};
    for (const Case& c : cases) {
        BuzzerDialog dialog({}, clock);
        whenModal<BuzzerDialog>([this, c](BuzzerDialog* d) {
            type(*d, Qt::Key_Space);
            button(*d, c.button)->click();
        });
        EXPECT_EQ(dialog.exec(), c.result) << c.button;
        // The caller takes mapping() only on OK (see CGameZinkoView).
        EXPECT_EQ(dialog.mapping().actionFor(kKeyboardDevice, Qt::Key_Space), 0) << c.button;
    }
}

TEST_F(BuzzerDialogTest, DevicesAndTheBuzzerSetsDefault)
{
    const std::string set = "Buzzer-Set";
    auto d = open(effectiveMapping({}, set));
    EXPECT_EQ(d->findChild<QLabel*>("devices")->text(), QStringLiteral("Keine Eingabegeräte gefunden"));
    d->setDevices({"USB Gamepad", set}, set);
    EXPECT_EQ(d->findChild<QLabel*>("devices")->text(), QStringLiteral("USB Gamepad\nBuzzer-Set"));
    EXPECT_EQ(cell(*d, 0), QStringLiteral("Buzzer-Set – Handsender 1, roter Knopf"));
    EXPECT_EQ(cell(*d, 1), QStringLiteral("Buzzer-Set – Handsender 2, roter Knopf"));
    EXPECT_EQ(cell(*d, 2), QStringLiteral("– nicht zugeordnet –"));
    d->devicePressed({set, quizButtonCode(2, 0)});
    EXPECT_EQ(cell(*d, 0), QStringLiteral("Buzzer-Set – Handsender 3, roter Knopf"));
}

}  // namespace
}  // namespace gz
