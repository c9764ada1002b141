#include "game/picture_import.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "game/game_store.h"
#include "game/polygon_file.h"
#include "game/shrink_to_screen.h"

namespace gz {

namespace {

// The batch reports at the end; the store is only asked which numbers are
// taken and never shows a box, but it wants one to hand.
class NoBoxes final : public MessageBoxes {
public:
    MessageAnswer show(std::string_view, std::string_view, MessageButtons, MessageIcon) override
    {
        return MessageAnswer::Ok;
    }
};

constexpr const char* kGameFiles[] = {"Pic.png", "Pic.txt", "Pic.svg"};   // the order they are put in place

std::string inFolder(const std::string& folder, const char* file) { return folder + kPathSeparator + file; }

enum class Staged { Waiting, Busy, Unreadable, Ready, Failed };

// One batch: the calling thread puts the games in place in file order; it
// and a helper thread stage the files, at most `threads` ahead of the one
// in progress.
class Batch {
public:
    Batch(FileSystem& fs, PictureFiles& pictures, const std::string& library, const ImportRequest& request)
        : fs_(fs),
          pictures_(pictures),
          store_(fs, pictures, boxes_),
          library_(library),
          request_(request),
          pieces_(std::clamp(request.pieces, kMinCoverPieces, kMaxCoverPieces)),
          window_(std::clamp(request.threads, 1, 2)),
          states_(request.files.size(), Staged::Waiting)
    {
        store_.setPicturePath(library);
    }

    ImportReport run(const ImportProgress& progress, const std::atomic<bool>& cancel)
    {
        if (window_ > 1 && states_.size() > 1)
            helper_ = std::thread([this] { helperLoop(); });
        ImportReport report;
        int32_t next = std::max(request_.startNumber, kFirstGameNumber);
        const std::size_t count = states_.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (cancel.load()) {
                report.end = ImportEnd::Cancelled;
                break;
            }
            if (progress)
                progress(ImportStep{i, count, request_.files[i]});
            const Staged staged = waitForStaged(i);
            if (staged == Staged::Unreadable) {
                report.unreadable.push_back(request_.files[i]);
                ++report.handled;
                continue;
            }
            if (staged == Staged::Failed) {
                report.end = ImportEnd::NotSaved;
                break;
            }
            int32_t number = 0;
            report.end = putInPlace(i, next, number);
            if (report.end != ImportEnd::Done) {
                discard(i);
                break;
            }
            report.created.push_back(number);
            ++report.handled;
            next = number + 1;
        }
        finish();
        return report;
    }

private:
    void helperLoop()
    {
        std::unique_lock<std::mutex> lock(lock_);
        for (;;) {
            changed_.wait(lock, [&] { return stopping_.load() || claimable(); });
            if (stopping_.load())
                return;
            stageClaimed(lock);
        }
    }

    bool claimable() const { return next_ < states_.size() && next_ < limit_; }

    // Stages the next claimable file; called and returns with the lock held.
    void stageClaimed(std::unique_lock<std::mutex>& lock)
    {
        const std::size_t i = next_++;
        states_[i] = Staged::Busy;
        lock.unlock();
        const Staged result = stage(i);
        lock.lock();
        states_[i] = result;
        changed_.notify_all();
    }

    Staged waitForStaged(std::size_t i)
    {
        std::unique_lock<std::mutex> lock(lock_);
        limit_ = i + window_;
        changed_.notify_all();
        // Rather than wait idle, this thread stages the next file itself.
        while (states_[i] == Staged::Waiting || states_[i] == Staged::Busy) {
            if (claimable())
                stageClaimed(lock);
            else
                changed_.wait(lock);
        }
        return states_[i];
    }

    // Stops the helper and removes what was staged beyond the batch's end.
    void finish()
    {
        {
            std::lock_guard<std::mutex> lock(lock_);
            stopping_ = true;
            changed_.notify_all();
        }
        if (helper_.joinable())
            helper_.join();
        for (std::size_t i = 0; i < states_.size(); ++i)
            if (states_[i] == Staged::Ready)
                discard(i);
    }

    static void abortWhenStopping(void* user, int, bool* abort)
    {
        *abort = static_cast<const Batch*>(user)->stopping_.load();
    }

    // Reads file i and writes its game into its staging folder.
    Staged stage(std::size_t i)
    {
        RasterImage picture;
        picture.setProgress(&Batch::abortWhenStopping, this);
        if (pictures_.load(request_.files[i], picture) != 0)
            return Staged::Unreadable;
        picture.setProgress(nullptr, nullptr);
        if (request_.shrinkToScreen)
            shrinkToScreen(picture);
        const int width = picture.width();
        const int height = picture.height();
        GameContent cover;
        generateCover(cover, width, height, pieces_, importCoverSeed(request_.seed, i));

        const std::string folder = stagingFolder(i);
        const std::string png = inFolder(folder, "Pic.png");
        const std::string txt = inFolder(folder, "Pic.txt");
        const std::string svg = inFolder(folder, "Pic.svg");
        const bool ok = fs_.createFolders(folder) == FsStatus::Ok && pictures_.save(png, picture) == 0 &&
                        fs_.kind(png) == PathKind::File && fs_.syncFile(png) == FsStatus::Ok &&
                        written(txt, formatQuestionFile(request_.question,
                                                        answerFromFileName(request_.files[i]))) &&
                        written(svg, formatPolygonFile(cover, width, height));
        if (ok)
            return Staged::Ready;
        discard(i);
        return Staged::Failed;
    }

    bool written(const std::string& path, std::string_view bytes)
    {
        return fs_.writeFile(path, bytes) == FsStatus::Ok && fs_.syncFile(path) == FsStatus::Ok;
    }

    std::string stagingFolder(std::size_t i) const { return importStagingFolder(library_, request_.seed, i); }

    void discard(std::size_t i)
    {
        const std::string folder = stagingFolder(i);
        for (const char* file : kGameFiles)
            fs_.removeFile(inFolder(folder, file));
        fs_.removeFolder(folder);
    }

    // The first free number from `from` that is not the one kept free; 0 when none.
    int32_t freeNumber(int32_t from)
    {
        int32_t n = store_.firstFreeNumber(from);
        while (n != 0 && n == request_.keepFree)
            n = n < kLastGameNumber ? store_.firstFreeNumber(n + 1) : 0;
        return n;
    }

    // Gives staged file i the first free number from `from`.
    ImportEnd putInPlace(std::size_t i, int32_t from, int32_t& number)
    {
        const std::string staging = stagingFolder(i);
        for (;;) {
            number = from > kLastGameNumber ? 0 : freeNumber(from);
            if (number == 0)
                return ImportEnd::OutOfNumbers;
            const std::string folder = gameFolderPath(library_, number);
            const PathKind kind = fs_.kind(folder);
            if (kind == PathKind::Folder)
                return moveFilesInto(staging, folder) ? ImportEnd::Done : ImportEnd::NotSaved;
            if (kind != PathKind::Missing) {   // a file by that name: no game can live there
                from = number + 1;
                continue;
            }
            const FsStatus s = fs_.renameFolder(staging, folder);
            if (s == FsStatus::Ok) {
                fs_.syncFolder(library_);
                return ImportEnd::Done;
            }
            if (s != FsStatus::Exists)
                return ImportEnd::NotSaved;
            // Made meanwhile: look at the number again, unless it is
            // something this import cannot see into (a dangling link).
            from = fs_.kind(folder) == PathKind::Missing ? number + 1 : number;
        }
    }

    // A free number's existing folder: the files go in one by one, Pic.svg
    // last. A failure takes out again what was moved.
    bool moveFilesInto(const std::string& staging, const std::string& folder)
    {
        std::size_t moved = 0;
        for (const char* file : kGameFiles) {
            if (fs_.replaceFile(inFolder(staging, file), inFolder(folder, file)) != FsStatus::Ok)
                break;
            ++moved;
        }
        if (moved < std::size(kGameFiles)) {
            for (std::size_t k = 0; k < moved; ++k)
                fs_.removeFile(inFolder(folder, kGameFiles[k]));
            return false;
        }
        fs_.syncFolder(folder);
        fs_.removeFolder(staging);
        return true;
    }

    FileSystem& fs_;
    PictureFiles& pictures_;
    NoBoxes boxes_;
    GameFolderStore store_;
    const std::string& library_;
    const ImportRequest& request_;
    const int pieces_;
    const std::size_t window_;   // files staged at a time

    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<Staged> states_;
    std::size_t next_ = 0;    // the first file nobody has claimed
    std::size_t limit_ = 0;   // files below it may be claimed
    std::atomic<bool> stopping_{false};
    std::thread helper_;
};

}  // namespace

uint64_t importCoverSeed(uint64_t batchSeed, std::size_t index)
{
    // splitmix64: neighbouring indexes give unrelated covers.
    uint64_t z = batchSeed + 0x9E3779B97F4A7C15ull * (static_cast<uint64_t>(index) + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::string importStagingFolder(std::string_view library, uint64_t batchSeed, std::size_t index)
{
    char name[64];
    std::snprintf(name, sizeof name, "%c.~Import-%016llx-%zu", kPathSeparator,
                  static_cast<unsigned long long>(batchSeed), index);
    return std::string(library) + name;
}

ImportReport importPictures(FileSystem& fs, PictureFiles& pictures, const std::string& library,
                            const ImportRequest& request, const ImportProgress& progress,
                            const std::atomic<bool>& cancel)
{
    Batch batch(fs, pictures, library, request);
    return batch.run(progress, cancel);
}

}  // namespace gz
