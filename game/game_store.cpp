#include "game/game_store.h"

#include <cstdio>
#include <cstring>

#include "game/cp1252.h"
#include "game/polygon_file.h"

namespace gz {

std::string trimPicturePath(std::string_view path)
{
    if (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.remove_suffix(1);
    return std::string(path);
}

std::string gameFolderPath(std::string_view picturePath, int32_t number)
{
    char name[32];
    std::snprintf(name, sizeof name, "%cGame%03i", kPathSeparator, static_cast<int>(number));
    return std::string(picturePath) + name;
}

namespace {

std::string inFolder(std::string_view picturePath, int32_t number, const char* file)
{
    return gameFolderPath(picturePath, number) + kPathSeparator + file;
}

}  // namespace

std::string gamePicturePath(std::string_view p, int32_t n) { return inFolder(p, n, "Pic.png"); }
std::string gameQuestionPath(std::string_view p, int32_t n) { return inFolder(p, n, "Pic.txt"); }
std::string gamePolygonPath(std::string_view p, int32_t n) { return inFolder(p, n, "Pic.svg"); }

std::string formatQuestionFile(std::string_view question, std::string_view answer)
{
    std::string out;
    out.reserve(question.size() + answer.size() + 2);
    out.append(question).append(1, '\n').append(answer).append(1, '\n');
    return out;
}

void parseQuestionFile(std::string_view data, GameContent& game)
{
    if (const void* z = data.empty() ? nullptr : std::memchr(data.data(), 0, data.size()))
        data = data.substr(0, static_cast<std::size_t>(static_cast<const char*>(z) - data.data()));
    std::size_t end = data.find_first_of("\r\n");
    if (end == std::string_view::npos) {
        game.setQuestion(data);
        game.setAnswer("");
        return;
    }
    game.setQuestion(data.substr(0, end));
    std::size_t start = data.find_first_not_of("\r\n", end);
    if (start == std::string_view::npos) {
        game.setAnswer("");
        return;
    }
    std::size_t stop = data.find_first_of("\r\n", start);
    game.setAnswer(data.substr(start, stop == std::string_view::npos ? std::string_view::npos : stop - start));
}

std::string saveQuestionText(int32_t number)
{
    char text[128];
    std::snprintf(text, sizeof text, "Das Spiel Game%03i wurde ver\xE4ndert.\nSoll es gespeichert werden ?",
                  static_cast<int>(number));
    return text;
}

std::string saveFailedText(int32_t number)
{
    char text[128];
    std::snprintf(text, sizeof text, "Das Spiel Game%03i konnte nicht gespeichert werden !",
                  static_cast<int>(number));
    return text;
}

std::string readOnlyFolderText(std::string_view folder)
{
    return cp1252::fromUtf8(std::string("Der Ordner „") + std::string(folder) +
                            "“ ist schreibgeschützt. Bitte im Menü „Bearbeiten“ unter „Bilderpfad einstellen“ "
                            "einen anderen Pfad mit Bildern wählen.");
}

bool GameFolderStore::confirmWritable(const std::string& folder)
{
    if (probeWritable(fs_, folder) != FsStatus::Denied)
        return true;
    showError(boxes_, readOnlyFolderText(folder));
    return false;
}

bool GameFolderStore::isOccupied(int32_t number)
{
    return fs_.kind(gamePolygonPath(picturePath_, number)) == PathKind::File;
}

bool GameFolderStore::isTaken(int32_t number)
{
    return isOccupied(number) || fs_.kind(gamePicturePath(picturePath_, number)) != PathKind::Missing;
}

int32_t GameFolderStore::firstFreeNumber(int32_t from)
{
    for (int32_t n = from < kFirstGameNumber ? kFirstGameNumber : from; n <= kLastGameNumber; ++n)
        if (!isTaken(n))
            return n;
    return 0;
}

bool GameFolderStore::load(int32_t number, GameContent& game)
{
    game.clearPolygons();
    game.modified = false;
    game.libraryPath = picturePath_;
    if (pictures_.load(gamePicturePath(picturePath_, number), game.picture) != 0)
        return false;

    std::string text;
    if (fs_.readFile(gameQuestionPath(picturePath_, number), kGameFileReadLimit, text) != FsStatus::Ok ||
        text.empty())
        return false;
    parseQuestionFile(text, game);

    std::string svg;
    if (fs_.readFile(gamePolygonPath(picturePath_, number), kGameFileReadLimit, svg) != FsStatus::Ok ||
        svg.empty())
        return false;
    return readPolygonFile(svg, game.picture.width(), game.picture.height(), game);
}

SaveResult GameFolderStore::save(bool ask, GameContent& game)
{
    if (!game.modified)
        return SaveResult::Unmodified;
    game.modified = false;
    if (game.gameNumber == 0)
        return SaveResult::NoGame;
    if (ask && boxes_.show(saveQuestionText(game.gameNumber), "Speichern", MessageButtons::YesNo,
                           MessageIcon::Question) == MessageAnswer::No)
        return SaveResult::Declined;

    // A missing game folder then fails the writes below, which is reported.
    const std::string& root = game.libraryPath ? *game.libraryPath : picturePath_;
    if (!confirmWritable(root)) {
        game.modified = true;   // the changes are still only in memory
        return SaveResult::Failed;
    }
    fs_.createFolders(root);
    FsStatus text = replaceFileSafely(fs_, gameQuestionPath(root, game.gameNumber),
                                      formatQuestionFile(game.question, game.answer));
    FsStatus svg = replaceFileSafely(
        fs_, gamePolygonPath(root, game.gameNumber),
        formatPolygonFile(game, game.picture.width(), game.picture.height()));
    if (text == FsStatus::Ok && svg == FsStatus::Ok)
        return SaveResult::Saved;
    game.modified = true;   // the changes are still only in memory
    showError(boxes_, saveFailedText(game.gameNumber));
    return SaveResult::Failed;
}

}  // namespace gz
