#include "game/cover_generator.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "game/cover_layout.h"
#include "game/cover_random.h"
#include "game/shared_border.h"
#include "game/uncover_order.h"

namespace gz {
namespace {

// The order search draws from its own stream, so that a change in how much
// randomness the layout uses does not also reshuffle the order.
constexpr uint64_t kOrderStream = 0x6F72646572ull;

std::vector<uint32_t> neighbourMasks(const std::vector<PieceOutline>& pieces)
{
    std::vector<uint32_t> masks(pieces.size(), 0);
    for (std::size_t a = 0; a < pieces.size(); ++a) {
        for (std::size_t b = a + 1; b < pieces.size(); ++b) {
            if (outlinesShareBorder(pieces[a].data(), static_cast<int>(pieces[a].size()), pieces[b].data(),
                                    static_cast<int>(pieces[b].size()))) {
                masks[a] |= 1u << b;
                masks[b] |= 1u << a;
            }
        }
    }
    return masks;
}

}  // namespace

void generateCover(GameContent& game, int width, int height, int pieces, uint64_t seed)
{
    const int n = std::clamp(pieces, kMinCoverPieces, kMaxCoverPieces);
    CoverRandom orderRandom(seed ^ kOrderStream);

    // Small counts may have no order without neighbour steps in the layout
    // with the squarest cells (four pieces in two rows always touch in a
    // way that forces one), so other row counts are tried until one has.
    std::vector<PieceOutline> best;
    UncoverOrder bestOrder;
    bestOrder.neighbourSteps = INT_MAX;
    for (const int rows : preferredRowCounts(width, height, n)) {
        std::vector<PieceOutline> layout = brickLayout(width, height, n, rows, seed);
        if (layout.empty())
            continue;
        UncoverOrder order = findUncoverOrder(neighbourMasks(layout), orderRandom);
        if (order.neighbourSteps < bestOrder.neighbourSteps) {
            best = std::move(layout);
            bestOrder = std::move(order);
        }
        if (bestOrder.neighbourSteps == 0)
            break;
    }
    if (best.empty()) {
        // One piece per row never needs more than eight corners.
        best = brickLayout(width, height, n, n, seed);
        bestOrder = findUncoverOrder(neighbourMasks(best), orderRandom);
    }

    game.clearPolygons();
    for (int slot = 0; slot < n; ++slot) {
        CoverPolygon* polygon = game.appendPolygon();
        // Uncover number 1 is the last slot.
        const PieceOutline& outline = best[static_cast<std::size_t>(bestOrder.pieces[static_cast<std::size_t>(n - 1 - slot)])];
        std::fill(std::begin(polygon->points), std::end(polygon->points), PolygonPoint{});
        for (const PolygonPoint& p : outline)
            polygon->addPoint(p);
    }
}

bool polygonsAreNeighbours(const GameContent& game, int a, int b)
{
    if (a == b || a < 0 || b < 0 || a >= game.polygonCount || b >= game.polygonCount || a >= kMaxPolygons ||
        b >= kMaxPolygons)
        return false;
    const CoverPolygon& pa = game.polygons[a];
    const CoverPolygon& pb = game.polygons[b];
    return outlinesShareBorder(pa.points, std::clamp(pa.pointCount, 0, kMaxPolygonPoints), pb.points,
                               std::clamp(pb.pointCount, 0, kMaxPolygonPoints));
}

}  // namespace gz
