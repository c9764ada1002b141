#include "game/game_read_ahead.h"

#include <memory>

#ifdef __linux__
#include <sys/resource.h>
#endif

#include "game/game_content.h"
#include "game/game_store.h"
#include "game/message_box.h"

namespace gz {

namespace {

// Loading never asks anything; the search's store still needs someone to ask.
class NoMessageBoxes final : public MessageBoxes {
public:
    MessageAnswer show(std::string_view, std::string_view, MessageButtons, MessageIcon) override
    {
        return MessageAnswer::No;
    }
};

constexpr int kAbortedLoad = -1;

// Decoding is pure work for later: the window thread and the sound threads
// come first when they want a core.
void lowerPriorityOfThisThread()
{
#ifdef __linux__
    // Linux keeps the nice value per thread; 0 names the calling one.
    setpriority(PRIO_PROCESS, 0, 10);
#endif
}

}  // namespace

// The wrapped picture files as the search uses them: one decode at a time
// with the window thread, and a decode that stops as soon as its search is
// no longer wanted.
class GameReadAhead::WorkerPictures final : public PictureFiles {
public:
    WorkerPictures(GameReadAhead& owner, uint64_t search) : owner_(owner), search_(search) {}

    int load(const std::string& path, RasterImage& image) override
    {
        std::lock_guard<std::mutex> codecs(owner_.codecs_);
        if (owner_.aborted(search_))
            return kAbortedLoad;
        image.setProgress(&WorkerPictures::progress, this);
        const int result = owner_.pictures_.load(path, image);
        image.setProgress(nullptr, nullptr);
        return result;
    }
    int save(const std::string&, const RasterImage&) override { return kAbortedLoad; }

private:
    static void progress(void* user, int, bool* abort)
    {
        const auto* self = static_cast<const WorkerPictures*>(user);
        *abort = self->owner_.aborted(self->search_);
    }

    GameReadAhead& owner_;
    uint64_t search_;
};

GameReadAhead::GameReadAhead(FileSystem& fs, PictureFiles& pictures) : fs_(fs), pictures_(pictures) {}

GameReadAhead::~GameReadAhead()
{
    {
        std::lock_guard<std::mutex> lock(lock_);
        stopping_ = true;
        wanted_.store(0);
    }
    changed_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

void GameReadAhead::start(const std::string& picturePath, int32_t first, int32_t count)
{
    Held dropped;
    {
        std::lock_guard<std::mutex> lock(lock_);
        dropLocked(dropped);
        if (count <= 0)
            return;
        search_.id = ++lastId_;
        search_.library = picturePath;
        search_.first = first;
        search_.count = count;
        search_.picturePaths.clear();
        for (int32_t i = 0; i < count; ++i)
            search_.picturePaths.push_back(gamePicturePath(picturePath, first + i));
        settled_ = false;
        wanted_.store(search_.id);
        if (!worker_.joinable())
            worker_ = std::thread([this] { run(); });
    }
    changed_.notify_all();
}

void GameReadAhead::clear()
{
    Held dropped;
    std::lock_guard<std::mutex> lock(lock_);
    dropLocked(dropped);
}

void GameReadAhead::waitUntilSettled()
{
    std::unique_lock<std::mutex> lock(lock_);
    changed_.wait(lock, [this] { return settled_; });
}

int32_t GameReadAhead::heldGame()
{
    std::lock_guard<std::mutex> lock(lock_);
    return settled_ ? held_.game : 0;
}

bool GameReadAhead::isSearching(const std::string& picturePath, int32_t first, int32_t count)
{
    std::lock_guard<std::mutex> lock(lock_);
    return search_.id != 0 && search_.library == picturePath && search_.first == first && search_.count == count;
}

void GameReadAhead::dropLocked(Held& dropped)
{
    dropped = std::move(held_);
    held_ = Held{};
    search_ = Search{};
    settled_ = true;
    wanted_.store(0);
}

bool GameReadAhead::isCandidateLocked(const std::string& path) const
{
    for (const std::string& p : search_.picturePaths)
        if (p == path)
            return true;
    return false;
}

int GameReadAhead::load(const std::string& path, RasterImage& image)
{
    Held taken;
    Held dropped;
    {
        std::unique_lock<std::mutex> lock(lock_);
        if (search_.id != 0 && isCandidateLocked(path)) {
            // The search goes through the games in the order the picture
            // start tries them: what it has not decided yet, it decides
            // sooner than a second read here would.
            changed_.wait(lock, [this] { return settled_; });
            if (held_.game != 0 && held_.path == path) {
                taken = std::move(held_);
                held_ = Held{};
            }
        } else {
            dropLocked(dropped);
        }
    }
    dropped = Held{};   // freed before the decode below, not beside it
    if (taken.game != 0) {
        FileIdentity now;
        if (fs_.identify(path, now) == FsStatus::Ok && now == taken.identity) {
            // As after a read: the image keeps its own progress callback.
            taken.picture.setProgress(image.progressFn(), image.progressUser());
            image = std::move(taken.picture);
            return 0;
        }
        taken = Held{};
    }
    std::lock_guard<std::mutex> codecs(codecs_);
    return pictures_.load(path, image);
}

int GameReadAhead::save(const std::string& path, const RasterImage& image)
{
    {
        // Only creating a game writes pictures, and it changes what comes
        // next; dropping also stops a decode the save would wait for.
        Held dropped;
        std::lock_guard<std::mutex> lock(lock_);
        dropLocked(dropped);
    }
    std::lock_guard<std::mutex> codecs(codecs_);
    return pictures_.save(path, image);
}

void GameReadAhead::run()
{
    lowerPriorityOfThisThread();
    std::unique_lock<std::mutex> lock(lock_);
    uint64_t done = 0;
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || (search_.id != 0 && search_.id != done); });
        if (stopping_)
            return;
        const Search search = search_;
        done = search.id;
        lock.unlock();
        Held found = searchFor(search);
        lock.lock();
        if (search_.id == search.id) {
            held_ = std::move(found);
            settled_ = true;
            changed_.notify_all();
        } else {
            // Dropped meanwhile: freed here, without holding up the window thread.
            lock.unlock();
            found = Held{};
            lock.lock();
        }
    }
}

GameReadAhead::Held GameReadAhead::searchFor(const Search& search)
{
    WorkerPictures pictures(*this, search.id);
    NoMessageBoxes boxes;
    GameFolderStore store(fs_, pictures, boxes);
    store.setPicturePath(search.library);
    auto scratch = std::make_unique<GameContent>();
    Held held;
    for (int32_t i = 0; i < search.count && !aborted(search.id); ++i) {
        const std::string& path = search.picturePaths[static_cast<std::size_t>(i)];
        FileIdentity before;
        if (fs_.identify(path, before) != FsStatus::Ok)
            continue;   // no picture file: that load fails at once anyway
        // Only one picture at a time: a failed game's picture goes first.
        scratch->picture.release();
        if (!store.load(search.first + i, *scratch))
            continue;
        FileIdentity after;
        if (aborted(search.id) || fs_.identify(path, after) != FsStatus::Ok || after != before)
            break;   // replaced while it was read: the start reads it itself
        held.game = search.first + i;
        held.path = path;
        held.identity = before;
        held.picture = std::move(scratch->picture);
        break;
    }
    return held;
}

}  // namespace gz
