// The order in which the pieces of a generated cover are uncovered: random,
// with as few steps as possible from a piece to one of its neighbours, so
// that consecutive pieces open different parts of the picture.
//
// A randomised depth-first search allows first no neighbour steps, then one,
// then two, ... until an order is found. Candidates with a non-neighbour
// step come first, and among them the piece with the fewest non-neighbours
// left (so no piece is stranded); ties are broken at random. Each round has a
// node budget: small counts are searched exhaustively, so the order found is
// the best there is; for large counts an order without neighbour steps comes
// almost at once wherever one exists.
#pragma once

#include <cstdint>
#include <vector>

#include "game/cover_random.h"

namespace gz {

struct UncoverOrder {
    std::vector<int> pieces;   // piece of uncover number 1, 2, ...
    int neighbourSteps = 0;    // consecutive pairs that are neighbours
};

// neighbours[i] has bit j set when pieces i and j are neighbours; at most
// 32 pieces. Bit i of neighbours[i] is ignored.
UncoverOrder findUncoverOrder(const std::vector<uint32_t>& neighbours, CoverRandom& random);

// The number of consecutive pairs of `order` that are neighbours.
int countNeighbourSteps(const std::vector<int>& order, const std::vector<uint32_t>& neighbours);

}  // namespace gz
