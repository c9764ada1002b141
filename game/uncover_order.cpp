#include "game/uncover_order.h"

#include <algorithm>
#include <bit>

namespace gz {
namespace {

// Enough to search every order of 8 pieces (109,600 nodes) in one round.
constexpr long kNodesPerRound = 120000;

class OrderSearch {
public:
    OrderSearch(const std::vector<uint32_t>& neighbours, CoverRandom& random)
        : count_(static_cast<int>(std::min<std::size_t>(neighbours.size(), 32))), random_(random)
    {
        for (int i = 0; i < count_; ++i)
            neighbours_[i] = neighbours[static_cast<std::size_t>(i)] & ~(1u << i);
    }

    // No order has fewer neighbour steps than this.
    int lowerBound() const { return stepsStillNeeded(-1, all()); }

    // An order with at most `limit` neighbour steps, if the budget finds one.
    bool run(int limit)
    {
        limit_ = limit;
        nodesLeft_ = kNodesPerRound;
        return extend(0, all(), 0);
    }

    std::vector<int> order() const { return std::vector<int>(path_, path_ + count_); }

private:
    uint32_t all() const { return count_ == 32 ? ~0u : (1u << count_) - 1; }

    // A lower bound on the neighbour steps still to come after `last` (-1:
    // none yet). Moving between two pieces that are not linked through
    // non-neighbours among the unused ones takes a neighbour step somewhere,
    // so every such group beyond the first costs one; so does the step from
    // `last` when it has no unused non-neighbour left.
    int stepsStillNeeded(int last, uint32_t unused) const
    {
        if (unused == 0)
            return 0;
        int groups = 0;
        for (uint32_t left = unused; left;) {
            uint32_t group = left & (0u - left);
            for (uint32_t frontier = group; frontier;) {
                const int v = std::countr_zero(frontier);
                frontier &= frontier - 1;
                const uint32_t reached = left & ~neighbours_[v] & ~group;
                group |= reached;
                frontier |= reached;
            }
            left &= ~group;
            ++groups;
        }
        const bool stuck = last >= 0 && (unused & ~neighbours_[last]) == 0;
        return groups - 1 + (stuck ? 1 : 0);
    }

    bool extend(int pos, uint32_t unused, int cost)
    {
        if (pos == count_)
            return true;
        if (cost + stepsStillNeeded(pos > 0 ? path_[pos - 1] : -1, unused) > limit_)
            return false;
        struct Candidate {
            int piece;
            int step;      // 1 for a neighbour step
            int options;   // unused non-neighbours it would have left
        };
        Candidate candidates[32];
        int n = 0;
        for (uint32_t rest = unused; rest; rest &= rest - 1) {
            const int v = std::countr_zero(rest);
            const uint32_t left = unused & ~(1u << v);
            const int step = pos > 0 && (neighbours_[path_[pos - 1]] >> v & 1u) ? 1 : 0;
            candidates[n++] = {v, step, std::popcount(left & ~neighbours_[v])};
        }
        random_.shuffle(candidates, n);
        std::stable_sort(candidates, candidates + n, [](const Candidate& a, const Candidate& b) {
            return a.step != b.step ? a.step < b.step : a.options < b.options;
        });
        for (int i = 0; i < n; ++i) {
            const Candidate& c = candidates[i];
            if (cost + c.step > limit_)
                continue;
            if (--nodesLeft_ < 0)
                return false;
            path_[pos] = c.piece;
            if (extend(pos + 1, unused & ~(1u << c.piece), cost + c.step))
                return true;
            if (nodesLeft_ < 0)
                return false;
        }
        return false;
    }

    int count_;
    CoverRandom& random_;
    uint32_t neighbours_[32] = {};
    int path_[32] = {};
    int limit_ = 0;
    long nodesLeft_ = 0;
};

}  // namespace

int countNeighbourSteps(const std::vector<int>& order, const std::vector<uint32_t>& neighbours)
{
    int steps = 0;
    for (std::size_t i = 1; i < order.size(); ++i) {
        const int a = order[i - 1], b = order[i];
        if (a != b && (neighbours[static_cast<std::size_t>(a)] >> b & 1u))
            ++steps;
    }
    return steps;
}

UncoverOrder findUncoverOrder(const std::vector<uint32_t>& neighbours, CoverRandom& random)
{
    OrderSearch search(neighbours, random);
    const int count = static_cast<int>(std::min<std::size_t>(neighbours.size(), 32));
    UncoverOrder result;
    // With count - 1 steps allowed every order qualifies, so the last round
    // always succeeds on its first descent.
    for (int limit = search.lowerBound(); limit < std::max(count, 1); ++limit) {
        if (search.run(limit)) {
            result.pieces = search.order();
            break;
        }
    }
    result.neighbourSteps = countNeighbourSteps(result.pieces, neighbours);
    return result;
}

}  // namespace gz
