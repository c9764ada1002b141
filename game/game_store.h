// The game library on disk: under the picture path every game n (1..999) has
// a folder "Game%03i" holding Pic.png (the picture), Pic.txt (question and
// answer, "%s\n%s\n" in Windows-1252) and Pic.svg (the cover polygons). A
// number is occupied when its Pic.svg exists as a regular file; nothing else
// is looked at.
//
// GameFolderStore loads a game into a GameContent and saves the current one
// back. It holds the picture path as given (trimPicturePath() is for the
// places that set it from user input) and the platform seams it works
// through. Every file it writes is replaced safely (temporary sibling,
// flush, rename), so an interrupted save leaves the old file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "game/file_system.h"
#include "game/game_content.h"
#include "game/message_box.h"
#include "game/picture_files.h"

namespace gz {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

constexpr int32_t kFirstGameNumber = 1;
constexpr int32_t kLastGameNumber = 999;
// How much of Pic.txt and Pic.svg is read.
constexpr std::size_t kGameFileReadLimit = 65534;

// One trailing '\' or '/' removed (only one).
std::string trimPicturePath(std::string_view path);

// picturePath + separator + "Game%03i"; an empty picture path gives a path
// rooted at the separator.
std::string gameFolderPath(std::string_view picturePath, int32_t number);
std::string gamePicturePath(std::string_view picturePath, int32_t number);    // .../Pic.png
std::string gameQuestionPath(std::string_view picturePath, int32_t number);   // .../Pic.txt
std::string gamePolygonPath(std::string_view picturePath, int32_t number);    // .../Pic.svg

// "%s\n%s\n".
std::string formatQuestionFile(std::string_view question, std::string_view answer);
// The question is the text up to the first CR, LF or end; after the run of
// CRs and LFs that follows, the answer runs to the next CR, LF or end. A
// zero byte ends the data. Each is cut to 255 bytes.
void parseQuestionFile(std::string_view data, GameContent& game);

enum class SaveResult {
    Unmodified,   // nothing to do
    NoGame,       // gameNumber 0: flag cleared, nothing written
    Declined,     // the user said No: flag cleared, nothing written
    Saved,        // Pic.txt and Pic.svg written
    Failed,       // a file could not be written: `modified` stays set, error shown
};

// "Das Spiel Game%03i wurde verändert.\nSoll es gespeichert werden ?"
std::string saveQuestionText(int32_t number);
// The error shown when a save fails.
std::string saveFailedText(int32_t number);
// The box for a folder that refuses new files (`folder` in UTF-8, as the
// picture path is kept), naming it and where another picture path is
// chosen; Windows-1252 like every box text.
std::string readOnlyFolderText(std::string_view folder);

class GameFolderStore {
public:
    GameFolderStore(FileSystem& fs, PictureFiles& pictures, MessageBoxes& boxes)
        : fs_(fs), pictures_(pictures), boxes_(boxes) {}

    void setPicturePath(std::string_view path) { picturePath_ = std::string(path); }
    const std::string& picturePath() const { return picturePath_; }

    bool isOccupied(int32_t number);
    // Occupied, or its folder holds a picture (a game created and never
    // saved has Pic.png and Pic.txt but no Pic.svg): a new game must not
    // silently replace it.
    bool isTaken(int32_t number);
    // The first number from `from` (at least 1) up to 999 that is not
    // taken; 0 when there is none.
    int32_t firstFreeNumber(int32_t from);

    // Reads game n: clears polygonCount and `modified`, records the picture
    // path as the game's library, loads the picture, then the question
    // file, then the polygon file (each missing, empty or unreadable one
    // fails the load, leaving what the steps before did). gameNumber is not
    // touched.
    bool load(int32_t number, GameContent& game);

    // Writes Pic.txt and Pic.svg of a modified game (asking first when
    // `ask`; the box is "Speichern" with Yes/No) into the game's own
    // library (the picture path when it has none). That library's folder
    // is created; the game folder is not. The picture is never written.
    // A library folder that refuses new files is told in its own box
    // (readOnlyFolderText) before anything is written: Failed.
    SaveResult save(bool ask, GameContent& game);

    // Before work that writes into `folder`: true when it takes new files,
    // or is missing (the writes make it and report their own failures);
    // false after the box of readOnlyFolderText().
    bool confirmWritable(const std::string& folder);

    FileSystem& fileSystem() { return fs_; }
    PictureFiles& pictures() { return pictures_; }
    MessageBoxes& boxes() { return boxes_; }

private:
    FileSystem& fs_;
    PictureFiles& pictures_;
    MessageBoxes& boxes_;
    std::string picturePath_;
};

}  // namespace gz
