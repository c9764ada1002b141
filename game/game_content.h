// The in-memory record of one game: picture, question, answer and a cover
// of up to 32 polygons, plus the view enumerations shared by the board
// commands. Coordinates are integer picture pixels, origin top-left.
//
// Texts are 8-bit (Windows-1252) zero-terminated strings in fixed buffers;
// every setter copies at most capacity-1 bytes, so longer input is cut.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "imaging/raster_image.h"

namespace gz {

constexpr int kMaxPolygons = 32;
constexpr int kMaxPolygonPoints = 32;
constexpr std::size_t kTextCapacity = 256;     // question, answer: 255 bytes + zero
constexpr std::size_t kNameCapacity = 64;      // polygon name: 63 bytes + zero

// Copies at most cap-1 bytes of src into dst and zero-terminates. A cut
// never splits the buffer's terminator; cap 0 writes nothing. Returns the
// number of bytes copied.
std::size_t copyBounded(char* dst, std::size_t cap, std::string_view src);

struct PolygonPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const PolygonPoint&, const PolygonPoint&) = default;
};

struct CoverPolygon {
    int32_t pointCount = 0;
    PolygonPoint points[kMaxPolygonPoints] = {};
    char name[kNameCapacity] = {};
    uint8_t colourIndex = 0;

    void setName(std::string_view text) { copyBounded(name, sizeof name, text); }
    // Appends a point; false when the polygon already holds 32.
    bool addPoint(PolygonPoint p);
};

enum class ViewMode : int32_t {
    Play = 0,
    Draw = 1,
    Sort = 2,
    // 3..22: preview k = value - 2 ("Polygon 1" .. "Polygon 20")
};
constexpr int32_t kFirstPreviewMode = 3;
constexpr int32_t kLastPreviewMode = 22;
constexpr int32_t kModeCommandBase = 16000;   // mode selector command = 16000 + value

enum class DrawTool : int32_t {
    MovePoints = 0,
    DrawPolygon = 1,
    Delete = 2,
};

enum class PlayerSide : int32_t {
    Left = 0,   // "Erster Spieler": F1, F3, F7, remote key 0
    Right = 1,  // "Zweiter Spieler": F2, F4, F8, remote key 1
};
constexpr int kPlayerCount = 2;
inline int sideIndex(PlayerSide s) { return static_cast<int>(s); }

class GameContent {
public:
    GameContent();

    int32_t gameNumber = 0;   // 0 = no game, folders are 1..999
    bool modified = false;    // polygons differ from the polygon file on disk
    // The library (picture path) the game was loaded from or created in:
    // saving writes it back there, even after another library was chosen.
    // Unset for a game that came from neither.
    std::optional<std::string> libraryPath;
    char question[kTextCapacity] = {};
    char answer[kTextCapacity] = {};
    RasterImage picture;
    int32_t polygonCount = 0;
    CoverPolygon polygons[kMaxPolygons];

    void setQuestion(std::string_view text) { copyBounded(question, sizeof question, text); }
    void setAnswer(std::string_view text) { copyBounded(answer, sizeof answer, text); }

    // polygonCount = 0; points, names and colour indexes stay as they are.
    void clearPolygons() { polygonCount = 0; }
    // Slot i is uncovered as number polygonCount - i (1 = first to go).
    int32_t uncoverPosition(int32_t slot) const { return polygonCount - slot; }
    // Slot i gets colour index i (done once when the board view is made).
    void resetColourIndexes();

    // Appends an empty polygon in the next slot and returns it, keeping the
    // slot's colour index; nullptr when all 32 slots are in use.
    CoverPolygon* appendPolygon();
    // Removes slot i and closes the gap. Points and names move down; the
    // removed polygon's colour index moves to the end of the 32 colour
    // slots (slot 31) and the later ones move down, so they still hold
    // 0..31 exactly once.
    bool removePolygon(int32_t slot);
    // Moves the polygon of slot `from` to slot `to` (both in use), shifting
    // the polygons between; colour indexes travel with their polygons.
    bool movePolygon(int32_t from, int32_t to);
    // True when the 32 colour slots hold every value 0..31 once.
    bool colourIndexesArePermutation() const;
};

}  // namespace gz
