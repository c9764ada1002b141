#include "game/game_creation.h"

#include "game/shrink_to_screen.h"

namespace gz {
namespace {

struct WaitCursor {
    explicit WaitCursor(MessageBoxes& b) : boxes(b) { boxes.setWaitCursor(true); }
    ~WaitCursor() { boxes.setWaitCursor(false); }
    MessageBoxes& boxes;
};

CreationResult fail(MessageBoxes& boxes, CreationResult result, std::string_view text)
{
    showError(boxes, text);
    return result;
}

}  // namespace

CreationResult createGame(GameFolderStore& store, const NewGameRequest& request, GameContent& game)
{
    MessageBoxes& boxes = store.boxes();
    WaitCursor wait(boxes);
    if (store.save(true, game) == SaveResult::Failed)
        return CreationResult::CurrentGameNotSaved;

    // The target number; nothing is changed on disk yet.
    int32_t n = request.number;
    int32_t target = 0;
    int32_t shiftFrom = 0;   // insert: first free number above N, 0 = nothing to move
    switch (request.mode) {
    case static_cast<int32_t>(CreationMode::NextFree):
        if (n < kFirstGameNumber)
            n = kFirstGameNumber;
        if (n > kLastGameNumber)
            return fail(boxes, CreationResult::BadNumber, kMsgBadNumber);
        target = store.firstFreeNumber(n);
        if (target == 0)
            return fail(boxes, CreationResult::BadNumber, kMsgBadNumber);
        break;
    case static_cast<int32_t>(CreationMode::Insert):
        if (n < kFirstGameNumber)
            n = kFirstGameNumber;
        target = n;
        if (store.isTaken(n)) {
            shiftFrom = n > kLastGameNumber ? 0 : store.firstFreeNumber(n + 1);
            if (shiftFrom == 0)
                return fail(boxes, CreationResult::NoFreeSlot, kMsgNoFreeSlot);
        }
        break;
    default:
        target = n;
        break;
    }
    if (target < kFirstGameNumber || target > kLastGameNumber)
        return fail(boxes, CreationResult::BadNumber, kMsgBadNumber);

    RasterImage picture;
    if (store.pictures().load(request.pictureFile, picture) != 0)
        return fail(boxes, CreationResult::PictureUnreadable, kMsgPictureUnreadable);
    const bool shrunk = request.shrinkToScreen && shrinkToScreen(picture);

    FileSystem& fs = store.fileSystem();
    const std::string& root = store.picturePath();
    // Top down, so every rename goes to a free folder name. A failure leaves
    // each game in one folder: those moved already under their new numbers.
    for (int32_t k = shiftFrom; shiftFrom != 0 && k > n; --k)
        if (fs.renameFolder(gameFolderPath(root, k - 1), gameFolderPath(root, k)) != FsStatus::Ok)
            return fail(boxes, CreationResult::InsertFailed, kMsgInsertFailed);

    fs.createFolders(gameFolderPath(root, target));
    std::string picturePath = gamePicturePath(root, target);
    // The game's own picture needs no copy, unless the shift has just moved
    // it on to the next number: the new game always ends with its picture.
    // A shrunk picture is always written: the polygons will be drawn on it.
    if (shrunk || request.pictureFile != picturePath || fs.kind(picturePath) != PathKind::File) {
        FsStatus s = replaceFileSafely(fs, picturePath, [&](const std::string& temp) {
            return store.pictures().save(temp, picture) == 0;
        });
        if (s != FsStatus::Ok)
            return fail(boxes, CreationResult::PictureNotSaved, kMsgPictureNotSaved);
    }
    // A failure here is caught by the next save, which writes Pic.txt again.
    replaceFileSafely(fs, gameQuestionPath(root, target), formatQuestionFile(request.question, request.answer));

    game.setQuestion(request.question);
    game.setAnswer(request.answer);
    game.picture = std::move(picture);
    game.clearPolygons();
    game.modified = true;
    game.gameNumber = target;
    game.libraryPath = root;
    return CreationResult::Created;
}

}  // namespace gz
