// PathSuggester: finds the existing paths that begin with a typed text on
// a worker thread, so a slow or large folder never blocks the dialog.
// request() hands over the newest text (an older listing still running is
// told to stop); the results arrive as suggestionsReady() on the thread
// that owns the object, through a queued connection. Results of a text
// that has been replaced meanwhile are dropped. The destructor stops the
// worker and waits for it.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace gz {

class PathSuggester : public QObject {
    Q_OBJECT
public:
    static constexpr std::size_t kDefaultMaxSuggestions = 100;

    explicit PathSuggester(std::size_t maxSuggestions = kDefaultMaxSuggestions, QObject* parent = nullptr);
    ~PathSuggester() override;
    PathSuggester(const PathSuggester&) = delete;
    PathSuggester& operator=(const PathSuggester&) = delete;

    // Typed text as UTF-8 bytes with "/" separators. An empty text only
    // cancels what is pending.
    void request(const std::string& typed);
    // Drops pending work and any result still on its way.
    void cancel();
    // Files are suggested only when their names match one of these
    // patterns (the dialog's current name filter); folders always are.
    // Takes effect with the next request.
    void setNamePatterns(std::vector<std::string> patterns);

signals:
    // The suggestions for `typed` (sorted, folders with a trailing "/").
    void suggestionsReady(const QString& typed, const QStringList& paths);

private:
    void run();
    void deliver(uint64_t generation, const QString& typed, const QStringList& paths);

    const std::size_t maxSuggestions_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::string pending_;        // guarded by mutex_
    std::vector<std::string> patterns_;   // guarded by mutex_
    bool hasPending_ = false;    // guarded by mutex_
    bool quit_ = false;          // guarded by mutex_
    std::atomic<uint64_t> generation_{0};   // bumped by every request and cancel
    std::atomic<bool> stop_{false};         // ends a listing early
    std::thread worker_;
};

}  // namespace gz
