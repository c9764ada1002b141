// Feeds arbitrary text to the polygon file reader; whatever it reads must
// respect the table's limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "game/polygon_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static gz::GameContent game;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    gz::readPolygonFile(text, 1600, 1200, game);
    if (game.polygonCount < 0 || game.polygonCount > gz::kMaxPolygons)
        std::abort();
    for (int i = 0; i < game.polygonCount; ++i) {
        const gz::CoverPolygon& p = game.polygons[i];
        if (p.pointCount < 3 || p.pointCount > gz::kMaxPolygonPoints || p.name[gz::kNameCapacity - 1] != '\0')
            std::abort();
    }
    // The writer must take whatever the reader produced.
    const std::string out = gz::formatPolygonFile(game, 1600, 1200);
    if (out.empty())
        std::abort();
    return 0;
}
