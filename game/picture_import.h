// Importing many picture files at once: each one readable becomes a new
// game, covered and saved, so a quiz night's 20-40 pictures need one
// dialog instead of 40 rounds of "Datei -> Neu" and polygon drawing.
//
// Game i of the batch lands where "Nächster freier Platz" would put it: at
// the first free number (GameFolderStore::firstFreeNumber) from the start
// number, each next one at the first free number after the one before.
// Its answer is the file name (answerFromFileName), its question the
// batch's, its picture the file as createGame stores it (shrunk to screen
// size when asked), and its cover a generated one (game/cover_generator.h)
// of the batch's piece count, seeded from the batch seed and the file's
// place in the list.
//
// Nothing in the library is ever replaced: a game is put together in a
// hidden staging folder of the library (".~Import-<seed>-<i>": Pic.png,
// Pic.txt, then Pic.svg, each synced) and then renamed to its number in
// one step, which the file system refuses when that folder has appeared
// meanwhile (the next free number is taken then). Only a free number's
// existing folder (empty, or with a stray Pic.txt) gets the three files
// moved in, Pic.svg last: until Pic.svg is there the number is not
// occupied, so no half game is ever visible. A file that cannot be read
// (broken, unknown, too big for the loader) is skipped without leaving
// anything behind. When no number is free, or a game cannot be written
// (a full disk, a read-only library), the batch stops there, with what it
// made so far in place and no staging folder left.
//
// Speed: two pictures are read, shrunk, covered and written to staging
// at the same time (a 12 MP photo takes half a second of one core, mostly
// the PNG), and put in place in file order, so the numbers follow the list.
//
// Threads: importPictures runs off the window thread and shows no message
// box; the caller reports the ImportReport at the end (importSummaryText).
// It calls `pictures` from two threads at once (ImageFilePictures allows
// that) and `fs` likewise (PosixFileSystem does).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "game/cover_generator.h"
#include "game/file_system.h"
#include "game/message_box.h"
#include "game/picture_files.h"

namespace gz {

// The question a batch starts with in the dialog.
constexpr std::string_view kImportDefaultQuestion = "Was ist auf dem Bild zu sehen?";
// Title of the dialogs and of the summary box.
constexpr std::string_view kImportTitle = "Bilder importieren";

struct ImportRequest {
    std::vector<std::string> files;   // picture paths (file system bytes), in import order
    std::string question{kImportDefaultQuestion};   // Windows-1252, for every game
    int pieces = kDefaultCoverPieces;               // cover pieces, clamped to 2..32
    bool shrinkToScreen = false;                    // "Großes Bild auf Bildschirmgröße verkleinern"
    int32_t startNumber = 1;                        // first number looked at (below 1 counts as 1)
    int32_t keepFree = 0;   // a number never used (the window's game, perhaps unsaved); 0: none
    uint64_t seed = 0;      // covers and staging names follow from it
    int threads = 2;        // pictures prepared at a time (1 or 2)
};

enum class ImportEnd {
    Done,           // every file was looked at
    Cancelled,      // the cancel flag was seen before the next file
    OutOfNumbers,   // no free number left up to 999
    NotSaved,       // files[handled]'s game could not be written
};

struct ImportReport {
    std::vector<int32_t> created;          // the new games' numbers, in file order
    std::vector<std::string> unreadable;   // files that could not be read, in file order
    ImportEnd end = ImportEnd::Done;
    std::size_t handled = 0;   // files made into games or found unreadable; the rest were not touched
};

// What the progress display shows: file `index` of `count` (from 0) is
// the one being made into a game now.
struct ImportStep {
    std::size_t index = 0;
    std::size_t count = 0;
    std::string file;
};
using ImportProgress = std::function<void(const ImportStep&)>;

// Runs one batch into the library at `library`. `progress` (may be empty)
// is called on the calling thread before each file is put in place; a
// cancel seen before a file is looked at ends the batch there (the file in
// progress is always finished, never left half-written).
ImportReport importPictures(FileSystem& fs, PictureFiles& pictures, const std::string& library,
                            const ImportRequest& request, const ImportProgress& progress,
                            const std::atomic<bool>& cancel);

// The answer of a game made from `path`: the file name without folder and
// extension (the part from the last dot on, unless that dot starts the
// name), underscores and control characters as spaces, outer spaces
// trimmed, converted from UTF-8 to Windows-1252 and cut to 255 bytes. A
// name that leaves nothing keeps its extension.
std::string answerFromFileName(std::string_view path);

// The seed of the cover of file `index` of a batch seeded with `batchSeed`.
uint64_t importCoverSeed(uint64_t batchSeed, std::size_t index);

// The staging folder of file `index` of a batch in `library`.
std::string importStagingFolder(std::string_view library, uint64_t batchSeed, std::size_t index);

// The German summary for the message box (Windows-1252): how many games
// were made and under which numbers, why the batch ended early, and the
// names of the files that could not be read.
std::string importSummaryText(const ImportRequest& request, const ImportReport& report);
// Information when every file became a game (or the user cancelled),
// a warning when files were left out for another reason.
MessageIcon importSummaryIcon(const ImportReport& report);

}  // namespace gz
