#include "shell/buzzer_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "shell/keyboard_buzzer_keys.h"
#include "show/buzzer_button_names.h"

namespace gz {
namespace {

QString utf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

constexpr int kActionColumn = 0;
constexpr int kButtonColumn = 1;

}  // namespace

BuzzerDialog::BuzzerDialog(const BuzzerMapping& start, ShowClock& clock, QWidget* parent)
    : QDialog(parent), learning_(start), clock_(clock)
{
    setObjectName("BuzzerDialog");
    setWindowTitle(QStringLiteral("Buzzer zuordnen"));
    auto* layout = new QVBoxLayout(this);

    prompt_ = new QLabel(this);
    prompt_->setObjectName("prompt");
    prompt_->setWordWrap(true);
    QFont bold = prompt_->font();
    bold.setBold(true);
    prompt_->setFont(bold);
    layout->addWidget(prompt_);

    // The list only shows; keys typed while it had the focus would move its
    // current row instead of being learned.
    table_ = new QTableWidget(kBuzzerActionCount, 2, this);
    table_->setObjectName("actions");
    table_->setFocusPolicy(Qt::NoFocus);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setHorizontalHeaderLabels({QStringLiteral("Aktion"), QStringLiteral("Knopf")});
    table_->verticalHeader()->hide();
    // The current row is bold: the names column is as wide as the widest
    // bold name, so it does not jump from row to row.
    QFont boldCell = table_->font();
    boldCell.setBold(true);
    int nameWidth = 0;
    for (int a = 0; a < kBuzzerActionCount; ++a)
        nameWidth = std::max(nameWidth, QFontMetrics(boldCell).horizontalAdvance(utf8(buzzerActionName(a))));
    table_->horizontalHeader()->setSectionResizeMode(kActionColumn, QHeaderView::Fixed);
    table_->horizontalHeader()->resizeSection(kActionColumn, nameWidth + 24);
    table_->horizontalHeader()->setSectionResizeMode(kButtonColumn, QHeaderView::Stretch);
    // Without the focus the selection would take the pale inactive colour.
    QPalette pal = table_->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    table_->setPalette(pal);
    for (int a = 0; a < kBuzzerActionCount; ++a) {
        table_->setItem(a, kActionColumn, new QTableWidgetItem(utf8(buzzerActionName(a))));
        table_->setItem(a, kButtonColumn, new QTableWidgetItem);
    }
    table_->setMinimumWidth(560);
    table_->setMinimumHeight(table_->horizontalHeader()->sizeHint().height() +
                             kBuzzerActionCount * table_->verticalHeader()->defaultSectionSize() + 4);
    connect(table_, &QTableWidget::cellClicked, this, [this](int row, int) {
        learning_.select(row);
        refresh();
    });
    layout->addWidget(table_);

    auto* steps = new QHBoxLayout;
    skip_ = new QPushButton(QStringLiteral("Ü&berspringen"), this);
    skip_->setObjectName("skip");
    back_ = new QPushButton(QStringLiteral("&Zurück"), this);
    back_->setObjectName("back");
    clear_ = new QPushButton(QStringLiteral("Zuordnung &löschen"), this);
    clear_->setObjectName("clear");
    connect(skip_, &QPushButton::clicked, this, [this] {
        learning_.skip();
        stepped();
    });
    connect(back_, &QPushButton::clicked, this, [this] {
        learning_.back();
        refresh();
    });
    connect(clear_, &QPushButton::clicked, this, [this] {
        learning_.clearCurrent();
        refresh();
    });
    steps->addWidget(skip_);
    steps->addWidget(back_);
    steps->addWidget(clear_);
    steps->addStretch();
    layout->addLayout(steps);

    layout->addWidget(new QLabel(QStringLiteral("Angeschlossene Eingabegeräte:"), this));
    devices_ = new QLabel(this);
    devices_->setObjectName("devices");
    devices_->setIndent(12);
    layout->addWidget(devices_);

    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    cancel->setObjectName("cancel");
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName("ok");
    ok_->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(cancel);
    row->addWidget(ok_);
    layout->addLayout(row);

    // Keys reach the focused button first: each child hands them to the
    // dialog, which learns them before a button could take a space.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    setDevices({});
    skip_->setFocus();
}

void BuzzerDialog::setDevices(const std::vector<std::string>& deviceKeys, const std::string& quizDeviceKey)
{
    quizDeviceKey_ = quizDeviceKey;
    QStringList names;
    for (const std::string& key : deviceKeys)
        names << QString::fromStdString(key);
    devices_->setText(names.isEmpty() ? QStringLiteral("Keine Eingabegeräte gefunden") : names.join('\n'));
    refresh();
}

QString BuzzerDialog::bindingText(const std::optional<ButtonBinding>& b, const std::string& quizDeviceKey)
{
    if (!b)
        return QStringLiteral("– nicht zugeordnet –");
    const QString device = QString::fromStdString(b->device);
    if (b->device == kKeyboardDevice)
        return device + QStringLiteral(" – ") + keyboardKeyText(static_cast<int>(b->code));
    return device + QStringLiteral(" – ") + QString::fromStdString(deviceButtonText(*b, quizDeviceKey));
}

void BuzzerDialog::devicePressed(const ButtonBinding& button) { learn(button); }

void BuzzerDialog::learn(const ButtonBinding& button)
{
    if (learning_.press(button, clock_.nowMs()))
        stepped();
}

void BuzzerDialog::stepped()
{
    refresh();
    // The last action is through: Return now takes the result, wherever
    // the focus was.
    if (learning_.done())
        ok_->setFocus();
}

bool BuzzerDialog::learnKey(const QKeyEvent& e)
{
    if (!isKeyboardBuzzerKey(e.key(), e.modifiers()))
        return false;
    // A held key repeats: taken, but learned once.
    if (!e.isAutoRepeat())
        learn({kKeyboardDevice, static_cast<uint32_t>(e.key())});
    return true;
}

bool BuzzerDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && learnKey(*static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void BuzzerDialog::keyPressEvent(QKeyEvent* event)
{
    if (!learnKey(*event))
        QDialog::keyPressEvent(event);
}

void BuzzerDialog::refresh()
{
    const int current = learning_.current();
    for (int a = 0; a < kBuzzerActionCount; ++a) {
        QFont f = table_->font();
        f.setBold(a == current);
        table_->item(a, kActionColumn)->setFont(f);
        table_->item(a, kButtonColumn)->setFont(f);
        table_->item(a, kButtonColumn)->setText(bindingText(learning_.mapping().binding(a), quizDeviceKey_));
    }
    if (learning_.done()) {
        table_->clearSelection();
        prompt_->setText(QStringLiteral("Alle Aktionen sind durchlaufen. „OK“ übernimmt die Zuordnung."));
    } else {
        table_->selectRow(current);
        prompt_->setText(QStringLiteral("Bitte den Knopf für „%1“ drücken … (oder „Überspringen“)")
                             .arg(utf8(buzzerActionName(current))));
    }
    skip_->setEnabled(!learning_.done());
    clear_->setEnabled(!learning_.done());
    back_->setEnabled(current > 0);
}

}  // namespace gz
