#include "shell/import_progress.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QPushButton>

#include <thread>

namespace gz {

QString importStepText(const ImportStep& step)
{
    return QStringLiteral("Bild %1 von %2: %3")
        .arg(step.index + 1)
        .arg(step.count)
        .arg(QFileInfo(QString::fromStdString(step.file)).fileName());
}

ImportProgressDialog::ImportProgressDialog(std::size_t count, QWidget* parent) : QProgressDialog(parent)
{
    setObjectName("ImportProgressDialog");
    setWindowTitle(QStringLiteral("Bilder werden importiert"));
    setWindowModality(Qt::ApplicationModal);
    setMinimumWidth(460);
    setAutoClose(false);
    setAutoReset(false);
    setMinimumDuration(0);
    setRange(0, static_cast<int>(count));
    setValue(0);
    setCancelButtonText(QStringLiteral("Abbrechen"));
    // The built-in cancel would hide the dialog at once, while the picture
    // in progress still takes a moment.
    disconnect(this, SIGNAL(canceled()), this, SLOT(cancel()));
    connect(this, &QProgressDialog::canceled, this, &ImportProgressDialog::requestCancel);
}

void ImportProgressDialog::run(const ImportJob& job)
{
    QEventLoop loop;
    show();
    std::thread worker([&] {
        job(
            [this](const ImportStep& step) {
                QMetaObject::invokeMethod(this, [this, step] { showStep(step); }, Qt::QueuedConnection);
            },
            cancel_);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    hide();
}

void ImportProgressDialog::showStep(const ImportStep& step)
{
    if (!cancel_.load())
        setLabelText(importStepText(step));
    setValue(static_cast<int>(step.index));
}

void ImportProgressDialog::requestCancel()
{
    if (cancel_.exchange(true))
        return;
    setLabelText(QString::fromUtf8("Wird abgebrochen, sobald das Bild in Arbeit fertig ist …"));
    if (auto* button = findChild<QPushButton*>())
        button->setEnabled(false);
}

void ImportProgressDialog::reject() { requestCancel(); }

void ImportProgressDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    requestCancel();
}

}  // namespace gz
