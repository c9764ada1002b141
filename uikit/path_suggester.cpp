#include "uikit/path_suggester.h"

#include <QMetaObject>
#include <QPointer>

#include "uikit/recent_lists.h"

namespace gz {

PathSuggester::PathSuggester(std::size_t maxSuggestions, QObject* parent)
    : QObject(parent), maxSuggestions_(maxSuggestions)
{
    worker_ = std::thread([this] { run(); });
}

PathSuggester::~PathSuggester()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        hasPending_ = false;
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void PathSuggester::request(const std::string& typed)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++generation_;
        hasPending_ = !typed.empty();
        pending_ = typed;
        // A listing of an older text is no longer wanted. Set under the
        // lock: the worker clears it only when it takes the newest text.
        stop_ = true;
    }
    wake_.notify_all();
}

void PathSuggester::cancel() { request(std::string()); }

void PathSuggester::setNamePatterns(std::vector<std::string> patterns)
{
    std::lock_guard<std::mutex> lock(mutex_);
    patterns_ = std::move(patterns);
}

void PathSuggester::run()
{
    for (;;) {
        std::string typed;
        std::vector<std::string> patterns;
        uint64_t generation = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || hasPending_; });
            if (quit_)
                return;
            typed = pending_;
            patterns = patterns_;
            generation = generation_;
            hasPending_ = false;
            stop_ = false;
        }
        std::vector<std::string> found = pathSuggestions(typed, maxSuggestions_, &stop_, patterns);
        if (stop_ || generation != generation_)
            continue;
        QStringList paths;
        paths.reserve(static_cast<qsizetype>(found.size()));
        for (const std::string& p : found)
            paths.push_back(QString::fromStdString(p));
        QString text = QString::fromStdString(typed);
        // Queued to the owner's thread; checked there once more, since a new
        // request may come while the result is in the queue.
        QMetaObject::invokeMethod(
            this, [this, generation, text, paths] { deliver(generation, text, paths); }, Qt::QueuedConnection);
    }
}

void PathSuggester::deliver(uint64_t generation, const QString& typed, const QStringList& paths)
{
    if (generation == generation_)
        emit suggestionsReady(typed, paths);
}

}  // namespace gz
