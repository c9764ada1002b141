// The area-average row kernels against plain integer division, and the
// alpha scan that picks the averaging rule.
#include "imaging/resample_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace gz::resample_rows {
namespace {

TEST(ResampleRows, ReciprocalGivesTheIntegerQuotientForEverySumAndSpan)
{
    // The float product grows with the sum, so the lowest and highest sum of
    // every quotient decide it for all sums in between.
    for (uint32_t span = 1; span <= kFastSpanLimit; ++span) {
        const float inverse = reciprocalFor(span);
        for (uint32_t q = 0; q <= 255; ++q) {
            for (uint32_t sum : {q * span, q * span + span - 1}) {
                const auto got = static_cast<uint32_t>(static_cast<int32_t>(static_cast<float>(sum) * inverse));
                ASSERT_EQ(got, q) << "sum " << sum << " span " << span;
            }
        }
    }
}

// Weights as the resample makes them: a partial first and last pixel and
// whole pixels (256) between, adding up to at most kFastSpanLimit.
std::vector<uint16_t> spanWeights(int count, std::mt19937& rng)
{
    std::vector<uint16_t> w(static_cast<std::size_t>(count), 256);
    if (count == 1) {
        w[0] = static_cast<uint16_t>(1 + rng() % 256);
        return w;
    }
    const uint32_t ends = kFastSpanLimit - 256 * static_cast<uint32_t>(count - 2);   // for first + last
    w.front() = static_cast<uint16_t>(1 + rng() % std::min<uint32_t>(256, ends - 1));
    w.back() = static_cast<uint16_t>(1 + rng() % std::min<uint32_t>(256, ends - w.front()));
    return w;
}

TEST(ResampleRows, AveragingDownMatchesIntegerDivisionForEveryRowCountAndLength)
{
    std::mt19937 rng(3);
    for (int count = 1; count <= kMaxFastRows; ++count) {
        // Lengths around the sixteen bytes done at once, and a whole row.
        for (std::size_t n : {1u, 15u, 16u, 17u, 47u, 16000u}) {
            for (int extreme = 0; extreme < 3; ++extreme) {
                const std::vector<uint16_t> w = spanWeights(count, rng);
                uint32_t span = 0;
                for (uint16_t x : w)
                    span += x;
                ASSERT_LE(span, kFastSpanLimit);
                std::vector<std::vector<uint8_t>> rows(static_cast<std::size_t>(count), std::vector<uint8_t>(n));
                std::vector<const uint8_t*> pointers;
                for (auto& row : rows) {
                    for (uint8_t& b : row)
                        b = extreme == 0 ? static_cast<uint8_t>(rng()) : extreme == 1 ? 255 : (rng() & 1) * 255;
                    pointers.push_back(row.data());
                }
                std::vector<uint8_t> out(n + 1, 0xA5);
                averageDown(pointers.data(), w.data(), count, n, reciprocalFor(span), out.data());
                for (std::size_t j = 0; j < n; ++j) {
                    uint32_t sum = 0;
                    for (int r = 0; r < count; ++r)
                        sum += w[r] * rows[r][j];
                    ASSERT_EQ(out[j], sum / span) << count << " rows, length " << n << ", byte " << j;
                }
                EXPECT_EQ(out[n], 0xA5) << "wrote past the row";
            }
        }
    }
}

TEST(ResampleRows, AveragingAcrossMatchesIntegerDivisionAndStaysInsideTheRow)
{
    struct Case {
        int inBytes, outBytes;
    };
    std::mt19937 rng(5);
    for (const Case c : {Case{3, 3}, Case{3, 4}, Case{4, 4}, Case{4, 3}}) {
        for (int pairs = 1; pairs <= kMaxPairs; ++pairs) {
            for (int width : {1, 2, 7, 8, 33}) {
                // Each target pixel starts at a random source pixel and takes
                // 1 to 2 * pairs of them; the line is padded as the kernel needs.
                std::vector<int32_t> first;
                std::vector<uint32_t> packed(pairsLength(pairs, width), 0);
                std::vector<float> inverse;
                std::vector<std::vector<uint16_t>> weights;
                const int sourceWidth = 3 * width + 2 * pairs;
                for (int k = 0; k < width; ++k) {
                    const int count = 1 + static_cast<int>(rng() % (2 * pairs));
                    std::vector<uint16_t> w = spanWeights(count, rng);
                    uint32_t span = 0;
                    for (int t = 0; t < count; ++t) {
                        span += w[t];
                        packed[pairIndex(pairs, k, t / 2)] |= uint32_t{w[t]} << (16 * (t % 2));
                    }
                    first.push_back(static_cast<int32_t>(rng() % (sourceWidth - count + 1)));
                    inverse.push_back(reciprocalFor(span));
                    weights.push_back(w);
                }
                std::vector<uint8_t> line(static_cast<std::size_t>(sourceWidth + 2 * pairs) * c.inBytes + 1, 0);
                for (std::size_t i = 0; i < static_cast<std::size_t>(sourceWidth) * c.inBytes; ++i)
                    line[i] = static_cast<uint8_t>(rng());
                std::vector<uint8_t> out(static_cast<std::size_t>(width) * c.outBytes + 4, 0x5A);
                averageAcross(line.data(), c.inBytes, {pairs, first.data(), packed.data(), inverse.data()}, width,
                              out.data(), c.outBytes);
                for (int k = 0; k < width; ++k) {
                    uint32_t span = 0;
                    for (uint16_t x : weights[k])
                        span += x;
                    for (int ch = 0; ch < c.outBytes; ++ch) {
                        uint32_t want = 0;
                        if (ch < c.inBytes) {
                            uint32_t sum = 0;
                            for (std::size_t t = 0; t < weights[k].size(); ++t)
                                sum += weights[k][t] * line[(first[k] + t) * c.inBytes + ch];
                            want = sum / span;
                        }
                        ASSERT_EQ(out[static_cast<std::size_t>(k) * c.outBytes + ch], want)
                            << c.inBytes << " -> " << c.outBytes << " bytes, " << pairs << " pairs, width " << width
                            << ", pixel " << k << ", channel " << ch;
                    }
                }
                for (std::size_t i = static_cast<std::size_t>(width) * c.outBytes; i < out.size(); ++i)
                    EXPECT_EQ(out[i], 0x5A) << "wrote past the row at " << i;
            }
        }
    }
}

TEST(ResampleRows, UniformAlphaTellsAllOpaqueAllTransparentAndMixed)
{
    struct Case {
        const char* name;
        uint8_t base;
        int changedX, changedY;   // -1: no pixel changed
        uint8_t changedTo;
        int want;
    };
    const Case cases[] = {
        {"all opaque", 255, -1, -1, 0, 255},
        {"all transparent", 0, -1, -1, 0, 0},
        {"all half", 128, -1, -1, 0, -1},
        {"one transparent among opaque", 255, 2, 1, 0, -1},
        {"one opaque among transparent", 0, 0, 0, 255, -1},
        {"last odd pixel not opaque", 255, 4, 2, 254, -1},
        {"last odd pixel not transparent", 0, 4, 2, 1, -1},
        {"first pixel half", 255, 0, 0, 128, -1},
    };
    for (const Case& c : cases) {
        for (int width : {5, 4, 1}) {
            const int height = 3;
            // Bottom-up rows with a padded stride; the colour bytes are noise.
            const std::ptrdiff_t stride = 4 * width + 8;
            std::vector<uint8_t> memory(static_cast<std::size_t>(stride) * height, 0x77);
            std::mt19937 rng(9);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    uint8_t* p = memory.data() + (height - 1 - y) * stride + 4 * x;
                    p[0] = static_cast<uint8_t>(rng());
                    p[1] = static_cast<uint8_t>(rng());
                    p[2] = static_cast<uint8_t>(rng());
                    const bool changed = x == std::min(c.changedX, width - 1) && y == c.changedY;
                    p[3] = changed ? c.changedTo : c.base;
                }
            const uint8_t* top = memory.data() + (height - 1) * stride;
            EXPECT_EQ(uniformAlpha(top, -stride, width, height), c.want) << c.name << ", width " << width;
        }
    }
}

}  // namespace
}  // namespace gz::resample_rows
