// The folder chooser's worker: a thread that enumerates the volumes once and
// then lists folders on request, so that a slow or hanging file system never
// freezes the dialog. Requests are queued to the worker's thread; results
// come back as queued signals to the dialog's thread, in batches. A newer
// folder-list request abandons an older one still running, and stop() ends
// everything at the next entry.
#pragma once

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <memory>

namespace gz {

// One entry of the "drives and network" level.
struct FolderVolume {
    QString path;    // where it is browsed
    QString label;   // what the drive list shows
    QString share;   // "//host/share" for a mounted network share, else empty
};

class FolderWorker : public QObject {
    Q_OBJECT
public:
    FolderWorker() = default;

    // The "drives and network" level: "/", the home folder and the mounted
    // volumes worth browsing, each once.
    static QList<FolderVolume> enumerateVolumes();
    // The subfolders of `path` (hidden ones left out), unsorted.
    static QStringList subfolderNames(const QString& path, const std::atomic<bool>* cancel = nullptr);

    // Thread-safe: the id a listing must still carry to go on.
    void setLatestRequest(int id) { latest_.store(id); }
    void requestStop() { stop_.store(true); }

public slots:
    void findVolumes();
    // Folder list: subfolders of `path` in batches, then listDone.
    void listFolder(int request, const QString& path);
    // Tree: all subfolders of one node at once.
    void listChildren(quint64 node, const QString& path);

signals:
    void volumesFound(const QList<gz::FolderVolume>& volumes);
    void folderBatch(int request, const QStringList& names);
    void listDone(int request);
    void childrenFound(quint64 node, const QStringList& names);

private:
    std::atomic<int> latest_{0};
    std::atomic<bool> stop_{false};
};

// Owns the worker and its thread; stops and joins both when destroyed.
class FolderWorkerThread {
public:
    FolderWorkerThread();
    ~FolderWorkerThread();
    FolderWorkerThread(const FolderWorkerThread&) = delete;
    FolderWorkerThread& operator=(const FolderWorkerThread&) = delete;

    FolderWorker* worker() const { return worker_.get(); }
    // Stops the listing at its next entry and waits for the thread to end.
    void stop();
    bool running() const { return thread_.isRunning(); }

private:
    QThread thread_;
    std::unique_ptr<FolderWorker> worker_;
};

}  // namespace gz

Q_DECLARE_METATYPE(gz::FolderVolume)
