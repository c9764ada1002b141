// A game library in a temporary folder for the store and creation tests,
// with a stand-in for the picture codecs: a "picture file" is the text
// "FAKEPIC <width> <height> <colour>", so the tests see exactly which file
// was written from which picture.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "game/file_system.h"
#include "game/game_store.h"
#include "game/picture_files.h"
#include "game/polygon_file.h"

namespace gz::testing {

namespace stdfs = std::filesystem;

inline std::string readAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        return "<missing>";
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline void writeAll(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << bytes;
}

inline std::string fakePicture(int w, int h, uint32_t colour)
{
    return "FAKEPIC " + std::to_string(w) + ' ' + std::to_string(h) + ' ' + std::to_string(colour);
}

class FakePictures final : public PictureFiles {
public:
    int load(const std::string& path, RasterImage& image) override
    {
        std::string text = readAll(path);
        if (text == "<missing>")
            return -3;
        int w = 0, h = 0;
        unsigned colour = 0;
        if (std::sscanf(text.c_str(), "FAKEPIC %d %d %u", &w, &h, &colour) != 3)
            return -2;
        return image.create(24, w, h, colour) ? 0 : -4;
    }
    int save(const std::string& path, const RasterImage& image) override
    {
        saves.push_back(path);
        std::string bytes = fakePicture(image.width(), image.height(), image.isEmpty() ? 0 : image.colourAt(0, 0));
        if (!failSavePart.empty() && path.find(failSavePart) != std::string::npos) {
            writeAll(path, bytes.substr(0, 5));   // a writer that gave up half-way
            return -1;
        }
        writeAll(path, bytes);
        return 0;
    }

    std::vector<std::string> saves;
    std::string failSavePart;
};

// Counts the picture loads per path around other picture files; the game
// read-ahead's thread loads through it too. With the gate closed, a load
// waits until it opens, or until the load's caller aborts it through the
// picture's progress callback (as a real decode would stop).
class CountingPictures final : public PictureFiles {
public:
    static constexpr int kAborted = -9;

    explicit CountingPictures(PictureFiles& inner) : inner_(inner) {}

    int load(const std::string& path, RasterImage& image) override
    {
        std::unique_lock<std::mutex> lock(m_);
        ++loads_[path];
        ++entered_;
        changed_.notify_all();
        while (gateClosed_) {
            if (ProgressFn progress = image.progressFn()) {
                bool abort = false;
                progress(image.progressUser(), 0, &abort);
                if (abort) {
                    ++aborts_;
                    changed_.notify_all();
                    return kAborted;
                }
            }
            changed_.wait_for(lock, std::chrono::milliseconds(1));
        }
        lock.unlock();
        return inner_.load(path, image);
    }
    int save(const std::string& path, const RasterImage& image) override { return inner_.save(path, image); }

    int loads(const std::string& path)
    {
        std::lock_guard<std::mutex> lock(m_);
        auto it = loads_.find(path);
        return it == loads_.end() ? 0 : it->second;
    }
    int aborts()
    {
        std::lock_guard<std::mutex> lock(m_);
        return aborts_;
    }
    void closeGate()
    {
        std::lock_guard<std::mutex> lock(m_);
        gateClosed_ = true;
    }
    void openGate()
    {
        std::lock_guard<std::mutex> lock(m_);
        gateClosed_ = false;
        changed_.notify_all();
    }
    // Until `count` loads have been aborted in all; false when that takes
    // longer than `limit`.
    bool waitForAborts(int count, std::chrono::milliseconds limit)
    {
        std::unique_lock<std::mutex> lock(m_);
        return changed_.wait_for(lock, limit, [&] { return aborts_ >= count; });
    }
    // Until `count` loads have begun in all.
    void waitUntilEntered(int count)
    {
        std::unique_lock<std::mutex> lock(m_);
        changed_.wait(lock, [&] { return entered_ >= count; });
    }

private:
    PictureFiles& inner_;
    std::mutex m_;
    std::condition_variable changed_;
    std::map<std::string, int> loads_;
    int entered_ = 0;
    int aborts_ = 0;
    bool gateClosed_ = false;
};

class TempLibrary {
public:
    TempLibrary()
    {
        std::string templ = (stdfs::temp_directory_path() / "gz-library-XXXXXX").string();
        root_ = mkdtemp(templ.data()) ? templ : std::string();
    }
    ~TempLibrary()
    {
        std::error_code ec;
        stdfs::permissions(root_, stdfs::perms::owner_all, stdfs::perm_options::add, ec);
        stdfs::remove_all(root_, ec);
    }
    const std::string& root() const { return root_; }
    std::string path(const std::string& rel) const { return root_ + "/" + rel; }

    // A complete game n: picture w x h, question "Frage <n>", answer
    // "Antwort <n>" and `polygons` triangles.
    void addGame(int n, int w = 40, int h = 30, int polygons = 2) const
    {
        std::string folder = gameFolderPath(root_, n);
        stdfs::create_directories(folder);
        writeAll(gamePicturePath(root_, n), fakePicture(w, h, static_cast<uint32_t>(n)));
        writeAll(gameQuestionPath(root_, n),
                 formatQuestionFile("Frage " + std::to_string(n), "Antwort " + std::to_string(n)));
        GameContent g;
        for (int i = 0; i < polygons; ++i) {
            CoverPolygon* p = g.appendPolygon();
            p->addPoint({i, 0});
            p->addPoint({w, i});
            p->addPoint({0, h});
        }
        writeAll(gamePolygonPath(root_, n), formatPolygonFile(g, w, h));
    }
    std::string question(int n) const { return readAll(gameQuestionPath(root_, n)); }

    // Every Game folder's question file: which game lives where.
    std::vector<std::pair<int, std::string>> inventory() const
    {
        std::vector<std::pair<int, std::string>> out;
        for (int n = 1; n <= 1000; ++n)
            if (stdfs::exists(gameFolderPath(root_, n)))
                out.emplace_back(n, readAll(gameQuestionPath(root_, n)));
        return out;
    }

private:
    std::string root_;
};

}  // namespace gz::testing
