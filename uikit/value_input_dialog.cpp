#include "uikit/value_input_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "game/cp1252.h"
#include "uikit/dialog_units.h"
#include "uikit/value_text.h"

namespace gz {

namespace {

QString fromGame(std::string_view s) { return QString::fromStdString(cp1252::toUtf8(s)); }
std::string toGame(const QString& s) { return cp1252::fromUtf8(s.toStdString()); }

}  // namespace

InputDialogBase::InputDialogBase(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setModal(true);
    setWindowTitle(QString::fromUtf8(kInputDialogDefaultTitle));

    // Client area 232 x 58 units: prompt, entry, then the buttons at the right.
    const DialogUnits du(font());
    prompt_label_ = new QLabel(this);
    prompt_label_->setObjectName("prompt");
    prompt_label_->setGeometry(du.rect(5, 5, 220, 8));
    entry_ = new QLineEdit(this);
    entry_->setObjectName("entry");
    entry_->setGeometry(du.rect(5, 15, 220, 13));
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName("ok");
    ok_->setGeometry(du.rect(120, 35, 50, 14));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Abbrechen"), this);
    cancel_->setObjectName("cancel");
    cancel_->setGeometry(du.rect(175, 35, 50, 14));
    // Enter in the entry always means OK, even after tabbing over "Abbrechen".
    cancel_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(du.size(232, 58));
    setTabOrder(entry_, ok_);
    setTabOrder(ok_, cancel_);
}

DialogButton InputDialogBase::run(const QString& entryText)
{
    setWindowTitle(title_.isEmpty() ? QString::fromUtf8(kInputDialogDefaultTitle) : title_);
    prompt_label_->setText(prompt_);
    entry_->setText(entryText);
    entry_->selectAll();
    entry_->setFocus();
    return exec() == QDialog::Accepted ? DialogButton::Ok : DialogButton::Cancel;
}

ValueInputDialog::ValueInputDialog(QWidget* parent) : InputDialogBase(parent)
{
    setObjectName("ValueInputDialog");
}

void ValueInputDialog::setValue(int32_t value, int format)
{
    value_ = value;
    entryText_ = formatValueText(value, format);
}

DialogButton ValueInputDialog::showModal() { return run(fromGame(entryText_)); }

void ValueInputDialog::accept()
{
    entryText_ = toGame(entry()->text());
    value_ = parseValueText(entryText_);
    QDialog::accept();
}

TextInputDialog::TextInputDialog(QWidget* parent) : InputDialogBase(parent)
{
    setObjectName("TextInputDialog");
}

void TextInputDialog::setPasswordEntry(bool hidden)
{
    entry()->setEchoMode(hidden ? QLineEdit::Password : QLineEdit::Normal);
}

DialogButton TextInputDialog::showModal() { return run(fromGame(text_)); }

int TextInputDialog::getText(char* buffer, int size) const { return copyTextOut(text_, buffer, size); }

void TextInputDialog::accept()
{
    text_ = toGame(entry()->text());
    QDialog::accept();
}

}  // namespace gz
