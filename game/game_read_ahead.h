// GameReadAhead: the game that "Starte nächstes Bild" loads next, read on a
// background thread while the show goes on, so that the start does not wait
// for a big picture to be decoded.
//
// It is the PictureFiles the game store reads through, wrapped around the
// real one. start() looks, on its worker thread, for the first of a run of
// game numbers in a library that loads completely (as GameFolderStore::load
// reads it) and keeps that game's decoded picture with the picture file's
// identity. The question and polygon files are not kept: the store reads
// them again when it loads the game, so they are always the current ones.
//
// load(path) hands the kept picture out (moved, so once) when `path` is
// its picture file and the file is still the one that was read: same
// device, inode, size, modification and change time. While the search has
// not finished, a load of one of the searched games' pictures waits for it
// instead of reading the file a second time. Every other load and every
// save go to the wrapped PictureFiles exactly as before; a save, and a load
// of a file that is none of the searched pictures, first drop the
// read-ahead (it is only for the next game).
//
// Memory: at most one picture is held, and one is decoded at a time; start,
// clear and the destructor abort a decode in progress.
//
// Threads: the methods are for one thread (the window thread). The worker
// uses the FileSystem and the wrapped PictureFiles at the same time, so the
// FileSystem must allow calls from two threads; the wrapped PictureFiles is
// never used by both at once (the codecs keep process-wide state).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "game/file_system.h"
#include "game/picture_files.h"
#include "imaging/raster_image.h"

namespace gz {

class GameReadAhead final : public PictureFiles {
public:
    // Both must outlive this object.
    GameReadAhead(FileSystem& fs, PictureFiles& pictures);
    ~GameReadAhead() override;   // aborts and joins the worker
    GameReadAhead(const GameReadAhead&) = delete;
    GameReadAhead& operator=(const GameReadAhead&) = delete;

    // Drops what was read ahead and searches games first .. first+count-1
    // of the library at picturePath, in that order, for the first that
    // loads; keeps its picture.
    void start(const std::string& picturePath, int32_t first, int32_t count);
    // Drops what was read ahead and stops the search.
    void clear();
    // Waits until the search has ended (at once when there is none).
    void waitUntilSettled();
    // The number of the game whose picture is held, 0 while searching or
    // when none is (nothing found, handed out, dropped).
    int32_t heldGame();
    // Whether the read-ahead is for exactly these games: searching, or
    // ended and not dropped since (its picture may have been handed out).
    bool isSearching(const std::string& picturePath, int32_t first, int32_t count);

    int load(const std::string& path, RasterImage& image) override;
    int save(const std::string& path, const RasterImage& image) override;

private:
    struct Search {
        uint64_t id = 0;   // 0: none
        std::string library;
        int32_t first = 0;
        int32_t count = 0;
        std::vector<std::string> picturePaths;
    };
    struct Held {
        int32_t game = 0;   // 0: nothing held
        std::string path;
        FileIdentity identity;
        RasterImage picture;
    };
    class WorkerPictures;

    void run();
    Held searchFor(const Search& search);
    bool aborted(uint64_t id) const { return wanted_.load() != id; }
    // Drops the search and what it found; the caller frees `dropped` after
    // letting go of the lock.
    void dropLocked(Held& dropped);
    bool isCandidateLocked(const std::string& path) const;

    FileSystem& fs_;
    PictureFiles& pictures_;
    std::mutex codecs_;   // one decode or encode at a time

    std::mutex lock_;
    std::condition_variable changed_;
    Search search_;           // what the window thread asked for
    bool settled_ = true;     // search_ has ended (or there is none)
    Held held_;               // its result, once settled
    uint64_t lastId_ = 0;
    bool stopping_ = false;
    std::atomic<uint64_t> wanted_{0};   // the search the worker may go on with
    std::thread worker_;
};

}  // namespace gz
