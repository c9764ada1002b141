#include "uikit/folder_worker.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include "uikit/folder_path.h"

namespace gz {
namespace {

// Small enough that the first folders show at once, big enough that a huge
// folder does not flood the dialog with events.
constexpr int kBatchSize = 64;

std::string local(const QString& s) { return QFile::encodeName(s).toStdString(); }
QString fromLocal(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

}  // namespace

QList<FolderVolume> FolderWorker::enumerateVolumes()
{
    QList<FolderVolume> out;
    auto add = [&out](const QString& path, const QString& label, const QString& share) {
        for (const FolderVolume& v : out)
            if (v.path == path)
                return;
        out.push_back({path, label, share});
    };
    add(QStringLiteral("/"), QStringLiteral("/"), {});
    QString home = fromLocal(normalizeFolderPath(local(QDir::homePath()), "/"));
    if (home != QLatin1String("/") && QFileInfo(home).isDir())
        add(home, home, {});
    for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
        if (!s.isValid())
            continue;
        QString mount = fromLocal(normalizeFolderPath(local(s.rootPath()), "/"));
        std::string type = s.fileSystemType().toStdString();
        if (!isBrowsableVolume(type, local(mount)) || !QFileInfo(mount).isDir())
            continue;
        QString share = fromLocal(networkShareOfDevice(type, s.device().toStdString()));
        QString name = s.displayName();
        QString label = name.isEmpty() || name == mount ? mount : name + QStringLiteral(" (") + mount + ')';
        add(mount, label, share);
    }
    return out;
}

QStringList FolderWorker::subfolderNames(const QString& path, const std::atomic<bool>* cancel)
{
    QStringList names;
    if (path.isEmpty() || isNetworkPath(local(path)))
        return names;
    QDirIterator it(path, QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        if (cancel && cancel->load())
            break;
        it.next();
        names.push_back(it.fileName());
    }
    return names;
}

void FolderWorker::findVolumes()
{
    if (!stop_.load())
        emit volumesFound(enumerateVolumes());
}

void FolderWorker::listFolder(int request, const QString& path)
{
    auto abandoned = [&] { return stop_.load() || latest_.load() != request; };
    if (abandoned())
        return;
    if (!path.isEmpty() && !isNetworkPath(local(path))) {
        QDirIterator it(path, QDir::Dirs | QDir::NoDotAndDotDot);
        QStringList batch;
        while (it.hasNext()) {
            if (abandoned())
                return;
            it.next();
            batch.push_back(it.fileName());
            if (batch.size() >= kBatchSize) {
                emit folderBatch(request, batch);
                batch.clear();
            }
        }
        if (!batch.isEmpty())
            emit folderBatch(request, batch);
    }
    emit listDone(request);
}

void FolderWorker::listChildren(quint64 node, const QString& path)
{
    if (stop_.load())
        return;
    QStringList names = subfolderNames(path, &stop_);
    if (!stop_.load())
        emit childrenFound(node, names);
}

FolderWorkerThread::FolderWorkerThread() : worker_(std::make_unique<FolderWorker>())
{
    qRegisterMetaType<gz::FolderVolume>();
    qRegisterMetaType<QList<gz::FolderVolume>>();
    thread_.setObjectName(QStringLiteral("FolderWorker"));
    worker_->moveToThread(&thread_);
    thread_.start();
}

FolderWorkerThread::~FolderWorkerThread() { stop(); }

void FolderWorkerThread::stop()
{
    worker_->requestStop();
    thread_.quit();
    thread_.wait();
}

}  // namespace gz
