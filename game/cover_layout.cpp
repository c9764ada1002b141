#include "game/cover_layout.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <utility>

#include "game/cover_random.h"

namespace gz {
namespace {

// Cell shapes are compared by products of up to 77 bits.
__extension__ typedef __int128 Wide;

int64_t roundDiv(int64_t a, int64_t b)   // a >= 0, b > 0
{
    return (2 * a + b) / (2 * b);
}

// How much a layout may wiggle; later tries of a layout whose pieces need
// too many corners take some of it back.
struct Wiggle {
    int wavesPerGap;   // extra knots between two knots of a row border
    bool middles;      // corners on the piece borders within a row
};

// Row i lies between row borders i and i + 1.
struct RowBorder {
    int64_t nominal = 0;
    int64_t band = 0;                  // knots lie within nominal +- band
    std::vector<PolygonPoint> knots;   // strictly increasing x
};

std::size_t knotIndex(const RowBorder& border, int64_t x)
{
    const auto it = std::lower_bound(border.knots.begin(), border.knots.end(), x,
                                     [](const PolygonPoint& p, int64_t v) { return p.x < v; });
    return static_cast<std::size_t>(it - border.knots.begin());
}

std::vector<int> rowCounts(int pieces, int rows, CoverRandom& random)
{
    std::vector<int> counts(static_cast<std::size_t>(rows), pieces / rows);
    std::vector<int> order(static_cast<std::size_t>(rows));
    std::iota(order.begin(), order.end(), 0);
    random.shuffle(order.data(), rows);
    for (int i = 0; i < pieces % rows; ++i)
        ++counts[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])];
    return counts;
}

// A position in lo..hi at least `sep` from every knot (sorted), at random;
// when there is none, the one farthest from the knots.
int64_t pickAwayFrom(const std::vector<int64_t>& knots, int64_t lo, int64_t hi, int64_t sep, CoverRandom& random)
{
    std::vector<std::pair<int64_t, int64_t>> free;
    int64_t start = lo;
    for (const int64_t u : knots) {
        if (sep <= 0)
            break;
        const int64_t forbiddenLo = u - sep + 1, forbiddenHi = u + sep - 1;
        if (forbiddenHi < start)
            continue;
        if (forbiddenLo > hi)
            break;
        if (forbiddenLo > start)
            free.emplace_back(start, forbiddenLo - 1);
        start = std::max(start, forbiddenHi + 1);
    }
    if (start <= hi)
        free.emplace_back(start, hi);
    int64_t total = 0;
    for (const auto& [a, b] : free)
        total += b - a + 1;
    if (total > 0) {
        int64_t pick = random.range(0, total - 1);
        for (const auto& [a, b] : free) {
            if (pick <= b - a)
                return a + pick;
            pick -= b - a + 1;
        }
    }
    auto distance = [&](int64_t x) {
        int64_t d = INT64_MAX;
        for (const int64_t u : knots)
            d = std::min(d, x > u ? x - u : u - x);
        return d;
    };
    std::vector<int64_t> candidates = {lo, hi};
    for (std::size_t i = 1; i < knots.size(); ++i)
        candidates.push_back(std::clamp((knots[i - 1] + knots[i]) / 2, lo, hi));
    int64_t best = lo;
    for (const int64_t x : candidates)
        if (distance(x) > distance(best))
            best = x;
    return best;
}

class Layout {
public:
    Layout(int64_t maxX, int64_t maxY, int pieces, int rows, uint64_t seed, Wiggle wiggle)
        : maxX_(maxX), maxY_(maxY), pieces_(pieces), rows_(rows), wiggle_(wiggle), random_(seed)
    {
    }

    std::vector<PieceOutline> build()
    {
        counts_ = rowCounts(pieces_, rows_, random_);
        placeRowBorders();
        placeColumns();
        for (int j = 0; j <= rows_; ++j)
            placeKnots(j);
        placeMiddles();
        std::vector<PieceOutline> outlines;
        for (int i = 0; i < rows_; ++i) {
            for (int k = 0; k < counts_[idx(i)]; ++k) {
                PieceOutline piece = outline(i, k);
                if (piece.size() > static_cast<std::size_t>(kMaxPolygonPoints))
                    return {};
                outlines.push_back(std::move(piece));
            }
        }
        return outlines;
    }

private:
    static std::size_t idx(int i) { return static_cast<std::size_t>(i); }

    int64_t cellWidth(int row) const { return maxX_ / counts_[idx(row)]; }

    // Heights follow the piece counts so that cells have equal areas; every
    // row gets at least one pixel row where the picture has that many.
    void placeRowBorders()
    {
        borders_.assign(idx(rows_ + 1), RowBorder{});
        int64_t before = 0;
        for (int j = 1; j < rows_; ++j) {
            before += counts_[idx(j - 1)];
            int64_t y = roundDiv(maxY_ * before, pieces_);
            y = std::max(y, borders_[idx(j - 1)].nominal + 1);
            y = std::max<int64_t>(std::min(y, maxY_ - (rows_ - j)), 0);
            borders_[idx(j)].nominal = y;
        }
        borders_[idx(rows_)].nominal = maxY_;
        for (int j = 1; j < rows_; ++j) {
            const int64_t above = borders_[idx(j)].nominal - borders_[idx(j - 1)].nominal;
            const int64_t below = borders_[idx(j + 1)].nominal - borders_[idx(j)].nominal;
            borders_[idx(j)].band = std::max<int64_t>(0, std::min(above, below) * 3 / 20);
        }
    }

    // Piece borders within each row: evenly spaced, the whole row shifted
    // the other way from the previous one, each jittered, and kept away from
    // the piece borders of the row above.
    void placeColumns()
    {
        columns_.assign(idx(rows_), {});
        int sign = random_.coin() ? 1 : -1;
        for (int i = 0; i < rows_; ++i) {
            const int c = counts_[idx(i)];
            const int64_t cell = cellWidth(i);
            int64_t shift = 0;
            if (c >= 2) {
                sign = -sign;
                shift = sign * random_.range(cell * 15 / 100, cell * 25 / 100);
            }
            const int64_t jitter = cell * 12 / 100;
            std::vector<int64_t> upper;
            int64_t sep = 0;
            if (i > 0) {
                const std::vector<int64_t>& above = columns_[idx(i - 1)];
                upper.assign(above.begin() + 1, above.end() - 1);
                sep = std::max<int64_t>(1, std::min(cell, cellWidth(i - 1)) * 3 / 10);
            }
            std::vector<int64_t>& cols = columns_[idx(i)];
            cols.push_back(0);
            for (int k = 1; k < c; ++k) {
                const int64_t nominal = roundDiv(maxX_ * k, c) + shift;
                const int64_t lo = std::max<int64_t>(cols.back() + 1, 1), hi = maxX_ - (c - k);
                int64_t x;
                if (lo > hi) {
                    x = std::clamp(nominal, cols.back(), maxX_);   // too narrow: pieces without width
                } else {
                    const int64_t windowLo = std::max(nominal - jitter, lo);
                    const int64_t windowHi = std::min(nominal + jitter, hi);
                    x = windowLo > windowHi ? std::clamp(nominal, lo, hi)
                                            : pickAwayFrom(upper, windowLo, windowHi, sep, random_);
                }
                cols.push_back(x);
            }
            cols.push_back(maxX_);
        }
    }

    // The knots of row border j: its ends, the piece borders of both rows,
    // and on inner row borders a few wave knots between them.
    void placeKnots(int j)
    {
        std::vector<int64_t> xs = {0, maxX_};
        if (j > 0)
            xs.insert(xs.end(), columns_[idx(j - 1)].begin(), columns_[idx(j - 1)].end());
        if (j < rows_)
            xs.insert(xs.end(), columns_[idx(j)].begin(), columns_[idx(j)].end());
        std::sort(xs.begin(), xs.end());
        xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
        const bool inner = j > 0 && j < rows_;
        if (inner && wiggle_.wavesPerGap > 0) {
            const int64_t waveLength =
                std::max<int64_t>(4, std::min(cellWidth(j - 1), cellWidth(j)) / 2);
            std::vector<int64_t> waved = {xs.front()};
            for (std::size_t g = 1; g < xs.size(); ++g) {
                const int64_t a = xs[g - 1], gap = xs[g] - a;
                int64_t m = std::clamp<int64_t>(roundDiv(gap, waveLength) - 1, 0, wiggle_.wavesPerGap);
                while (m > 0 && gap / (m + 1) < 4)
                    --m;
                // Spaced evenly within a fifth of their spacing: they stay
                // apart and inside the gap.
                const int64_t jitter = gap / (m + 1) / 5;
                for (int64_t t = 1; t <= m; ++t)
                    waved.push_back(a + gap * t / (m + 1) + random_.range(-jitter, jitter));
                waved.push_back(xs[g]);
            }
            xs = std::move(waved);
        }
        RowBorder& border = borders_[idx(j)];
        for (const int64_t x : xs) {
            int64_t y = border.nominal;
            if (inner)
                y += random_.range(-border.band, border.band);
            border.knots.push_back({static_cast<int32_t>(x), static_cast<int32_t>(y)});
        }
    }

    void placeMiddles()
    {
        middles_.assign(idx(rows_), {});
        for (int i = 0; i < rows_; ++i) {
            const std::vector<int64_t>& cols = columns_[idx(i)];
            middles_[idx(i)].assign(cols.size(), {});
            bool hasWidth = true;
            for (std::size_t k = 1; k < cols.size(); ++k)
                hasWidth = hasWidth && cols[k] > cols[k - 1];
            const RowBorder& top = borders_[idx(i)];
            const RowBorder& bottom = borders_[idx(i + 1)];
            const int64_t coreTop = top.nominal + top.band + 1;
            const int64_t coreBottom = bottom.nominal - bottom.band - 1;
            if (!wiggle_.middles || !hasWidth || coreTop > coreBottom)
                continue;
            for (std::size_t k = 1; k + 1 < cols.size(); ++k) {
                const int64_t cx = cols[k];
                int64_t gap = INT64_MAX;
                for (const RowBorder* border : {&top, &bottom}) {
                    const std::size_t at = knotIndex(*border, cx);
                    gap = std::min<int64_t>(gap, cx - border->knots[at - 1].x);
                    gap = std::min<int64_t>(gap, border->knots[at + 1].x - cx);
                }
                const int64_t dxMax = std::max<int64_t>(0, std::min(gap / 2 - 1, cellWidth(i) / 6));
                int64_t count = random_.range(1, 2);
                if (coreBottom == coreTop)
                    count = 1;
                std::vector<PolygonPoint>& out = middles_[idx(i)][k];
                if (count == 1) {
                    const int64_t y = random_.range(coreTop, coreBottom);
                    out.push_back({static_cast<int32_t>(cx + random_.range(-dxMax, dxMax)), static_cast<int32_t>(y)});
                } else {
                    const int64_t mid = coreTop + (coreBottom - coreTop) / 2;
                    const int64_t y1 = random_.range(coreTop, mid);
                    const int64_t y2 = random_.range(mid + 1, coreBottom);
                    out.push_back({static_cast<int32_t>(cx + random_.range(-dxMax, dxMax)), static_cast<int32_t>(y1)});
                    out.push_back({static_cast<int32_t>(cx + random_.range(-dxMax, dxMax)), static_cast<int32_t>(y2)});
                }
            }
        }
    }

    PieceOutline outline(int i, int k) const
    {
        const std::vector<int64_t>& cols = columns_[idx(i)];
        const std::size_t ki = idx(k);
        const int64_t left = cols[ki], right = cols[ki + 1];
        const RowBorder& top = borders_[idx(i)];
        const RowBorder& bottom = borders_[idx(i + 1)];
        PieceOutline out;
        for (std::size_t a = knotIndex(top, left), b = knotIndex(top, right); a <= b; ++a)
            out.push_back(top.knots[a]);
        const std::vector<PolygonPoint>& rightMiddles = middles_[idx(i)][ki + 1];
        out.insert(out.end(), rightMiddles.begin(), rightMiddles.end());
        for (std::size_t a = knotIndex(bottom, left), b = knotIndex(bottom, right) + 1; b > a; --b)
            out.push_back(bottom.knots[b - 1]);
        const std::vector<PolygonPoint>& leftMiddles = middles_[idx(i)][ki];
        out.insert(out.end(), leftMiddles.rbegin(), leftMiddles.rend());

        out.erase(std::unique(out.begin(), out.end()), out.end());
        while (out.size() > 1 && out.back() == out.front())
            out.pop_back();
        while (out.size() < 3)
            out.push_back(out.back());
        return out;
    }

    int64_t maxX_, maxY_;
    int pieces_, rows_;
    Wiggle wiggle_;
    CoverRandom random_;
    std::vector<int> counts_;
    std::vector<RowBorder> borders_;
    std::vector<std::vector<int64_t>> columns_;                      // per row: 0, inner borders, maxX
    std::vector<std::vector<std::vector<PolygonPoint>>> middles_;   // per row and column, top to bottom
};

}  // namespace

std::vector<int> preferredRowCounts(int width, int height, int pieces)
{
    const int64_t w = std::max(width, 1), h = std::max(height, 1), n = std::max(pieces, 1);
    // Rows need a pixel row each, pieces in a row a pixel column each.
    const int64_t maxRows = std::clamp<int64_t>(h - 1, 1, n);
    const int64_t neededRows = (n + std::max<int64_t>(w - 1, 1) - 1) / std::max<int64_t>(w - 1, 1);
    const int64_t minRows = std::clamp<int64_t>(neededRows, 1, maxRows);
    std::vector<int> rows;
    for (int64_t r = minRows; r <= maxRows; ++r)
        rows.push_back(static_cast<int>(r));
    // A cell is (w r / n) x (h / r): its sides compare as w r^2 to n h.
    auto elongation = [&](int r) {
        const Wide a = Wide{w} * r * r, b = Wide{n} * h;
        return std::pair<Wide, Wide>{std::max(a, b), std::min(a, b)};
    };
    std::stable_sort(rows.begin(), rows.end(), [&](int r1, int r2) {
        const auto [p1, q1] = elongation(r1);
        const auto [p2, q2] = elongation(r2);
        return p1 * q2 < p2 * q1;
    });
    return rows;
}

std::vector<PieceOutline> brickLayout(int width, int height, int pieces, int rows, uint64_t seed)
{
    const int64_t maxX = std::max(width, 1) - 1, maxY = std::max(height, 1) - 1;
    const int n = std::max(pieces, 1);
    const int r = std::clamp(rows, 1, n);
    for (const Wiggle wiggle : {Wiggle{2, true}, Wiggle{1, true}, Wiggle{0, true}, Wiggle{0, false}}) {
        std::vector<PieceOutline> outlines = Layout(maxX, maxY, n, r, seed, wiggle).build();
        if (!outlines.empty())
            return outlines;
    }
    return {};
}

}  // namespace gz
