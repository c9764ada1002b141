// The progress display of a picture import: the job runs on a worker
// thread while a modal progress dialog shows "Bild 3 von 20: Urlaub.jpg"
// and the window thread goes on painting the board. "Abbrechen", Escape
// and closing the dialog set the job's cancel flag; the dialog stays up,
// saying so, until the picture in progress is finished.
#pragma once

#include <QProgressDialog>
#include <QString>

#include <atomic>
#include <cstddef>

#include "board/view_platform.h"

namespace gz {

// "Bild 3 von 20: Urlaub.jpg" for step index 2 (the file's name only).
QString importStepText(const ImportStep& step);

class ImportProgressDialog : public QProgressDialog {
    Q_OBJECT
public:
    ImportProgressDialog(std::size_t count, QWidget* parent);

    // Runs `job` on a worker thread and returns when it has ended.
    void run(const ImportJob& job);

    bool cancelRequested() const { return cancel_.load(); }

public slots:
    void reject() override;   // Escape: cancel, but stay until the job ends

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void requestCancel();
    void showStep(const ImportStep& step);

    std::atomic<bool> cancel_{false};
};

}  // namespace gz
