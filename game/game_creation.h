// Creating a game from any picture file, a question and an answer: at the
// next free number from N, inserted at N (games N.. shift up by one folder),
// or over game N. Next free and insert never replace a taken folder (one
// with a polygon file or a picture); only overwrite does. Every failure is
// shown in an error box ("Fehler") with its German message and ends the
// operation.
//
// Before anything else a modified current game is saved (after asking), so
// its edits are not lost when the new game replaces it. The picture is read
// before any folder is moved or made, into a separate image: an unreadable
// picture changes nothing, neither on disk nor in `game`. With
// shrinkToScreen a picture larger than 3840 x 2160 is reduced to fit
// (game/shrink_to_screen.h) right after reading; without it the picture is
// taken as it is. Pic.png and Pic.txt are replaced safely; Pic.png goes
// through the store's PictureFiles (ImageFilePictures writes it quickly).
// On success `game` holds the new picture, question and answer, no
// polygons, `modified` set, gameNumber = the new number and the picture
// path as its library; the caller then puts the question into the banner
// and starts the picture.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "game/game_content.h"
#include "game/game_store.h"

namespace gz {

enum class CreationMode : int32_t {
    NextFree = 0,    // "Nächster freier Platz"
    Insert = 1,      // "Einfügen"
    Overwrite = 2,   // "Überschreiben" (and any other value)
};

struct NewGameRequest {
    std::string pictureFile;
    std::string question;
    std::string answer;
    int32_t mode = 0;
    int32_t number = 1;   // 1..1000 from the dialog; anything is judged here
    bool shrinkToScreen = false;   // "Großes Bild auf Bildschirmgröße verkleinern"
};

enum class CreationResult {
    Created,
    CurrentGameNotSaved,   // the current game's save failed (its error was shown)
    BadNumber,             // "Die Bildenummer ist falsch (1..999) !"
    NoFreeSlot,            // "Es wurde kein freier Platz gefunden !"
    InsertFailed,          // "Es gab einen Fehler beim Einfügen !"
    PictureUnreadable,     // "Das Bild konnte nicht geladen werden !"
    PictureNotSaved,       // "Es gab einen Fehler beim Speichern des Bildes !"
};

constexpr std::string_view kMsgBadNumber = "Die Bildenummer ist falsch (1..999) !";
constexpr std::string_view kMsgNoFreeSlot = "Es wurde kein freier Platz gefunden !";
constexpr std::string_view kMsgInsertFailed = "Es gab einen Fehler beim Einf\xFCgen !";
constexpr std::string_view kMsgPictureUnreadable = "Das Bild konnte nicht geladen werden !";
constexpr std::string_view kMsgPictureNotSaved = "Es gab einen Fehler beim Speichern des Bildes !";

CreationResult createGame(GameFolderStore& store, const NewGameRequest& request, GameContent& game);

}  // namespace gz
