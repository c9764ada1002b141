#include "imaging/image_orientation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

#include "imaging/codec_common.h"

namespace gz {

namespace {

// Where target pixel (x, y) of a quarter turn or diagonal mirror comes
// from: sx = ax*x + bx*y + cx and sy = ay*x + by*y + cy.
struct Mapping {
    int ax, bx, cx;
    int ay, by, cy;
};

Mapping mappingFor(int orientation, int w, int h)
{
    switch (orientation) {
    case 5: return {0, 1, 0, 1, 0, 0};
    case 6: return {0, 1, 0, -1, 0, h - 1};
    case 7: return {0, -1, w - 1, -1, 0, h - 1};
    default: return {0, -1, w - 1, 1, 0, 0};   // 8
    }
}

// Whole-byte pixels: the source address moves by a fixed number of bytes
// per target step in x and in y. Rows are stored bottom-up, so a step down
// in the source is a step back by one stride. The target is walked in
// square blocks so that a quarter turn reads the source a few cache lines
// at a time instead of one line per pixel.
template <int B>
void turnBytes(const RasterImage& src, RasterImage& dst, const Mapping& m)
{
    const std::ptrdiff_t stride = src.stride();
    const std::ptrdiff_t stepX = m.ax * B - static_cast<std::ptrdiff_t>(m.ay) * stride;
    const std::ptrdiff_t stepY = m.bx * B - static_cast<std::ptrdiff_t>(m.by) * stride;
    const uint8_t* origin = src.row(m.cy) + static_cast<std::ptrdiff_t>(m.cx) * B;
    constexpr int kBlock = 64;
    const int w = dst.width();
    const int h = dst.height();
    for (int y0 = 0; y0 < h; y0 += kBlock) {
        const int y1 = std::min(h, y0 + kBlock);
        for (int x0 = 0; x0 < w; x0 += kBlock) {
            const int x1 = std::min(w, x0 + kBlock);
            for (int y = y0; y < y1; ++y) {
                uint8_t* out = dst.row(y) + static_cast<std::ptrdiff_t>(x0) * B;
                const uint8_t* in = origin + stepY * y;
                for (int x = x0; x < x1; ++x, out += B)
                    std::memcpy(out, in + stepX * x, B);
            }
        }
    }
}

// Packed depths (1, 2, 4, 12 bits) go through the pixel routines.
void turnPixels(const RasterImage& src, RasterImage& dst, const Mapping& m)
{
    for (int y = 0; y < dst.height(); ++y)
        for (int x = 0; x < dst.width(); ++x)
            dst.setPixel(x, y, src.pixel(m.ax * x + m.bx * y + m.cx, m.ay * x + m.by * y + m.cy));
}

// Mirrors in place, without a second picture: rows swap top for bottom,
// pixels left for right.
void mirrorVertically(RasterImage& image)
{
    std::vector<uint8_t> row(static_cast<std::size_t>(image.stride()));
    for (int y = 0, z = image.height() - 1; y < z; ++y, --z) {
        std::memcpy(row.data(), image.row(y), row.size());
        std::memcpy(image.row(y), image.row(z), row.size());
        std::memcpy(image.row(z), row.data(), row.size());
    }
}

template <int B>
void mirrorBytes(RasterImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        uint8_t* row = image.row(y);
        for (int x = 0, z = image.width() - 1; x < z; ++x, --z)
            std::swap_ranges(row + x * B, row + x * B + B, row + z * B);
    }
}

void mirrorHorizontally(RasterImage& image)
{
    switch (image.bitsPerPixel()) {
    case 8: mirrorBytes<1>(image); return;
    case 15:
    case 16: mirrorBytes<2>(image); return;
    case 24: mirrorBytes<3>(image); return;
    case 32: mirrorBytes<4>(image); return;
    default: break;
    }
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0, z = image.width() - 1; x < z; ++x, --z) {
            const uint32_t left = image.pixel(x, y);
            image.setPixel(x, y, image.pixel(z, y));
            image.setPixel(z, y, left);
        }
}

}  // namespace

void orientImage(RasterImage& image, int orientation)
{
    if (orientation < 2 || orientation > 8 || image.isEmpty())
        return;
    if (orientation <= 4) {
        if (orientation != 4)
            mirrorHorizontally(image);
        if (orientation != 2)
            mirrorVertically(image);
        return;
    }
    const int w = image.height();
    const int h = image.width();
    RasterImage turned;
    codec::createImage(turned, image.bitsPerPixel(), w, h);
    std::copy(image.palette(), image.palette() + std::min(image.paletteSize(), turned.paletteSize()),
              turned.palette());
    const Mapping m = mappingFor(orientation, image.width(), image.height());
    switch (image.bitsPerPixel()) {
    case 8: turnBytes<1>(image, turned, m); break;
    case 15:
    case 16: turnBytes<2>(image, turned, m); break;
    case 24: turnBytes<3>(image, turned, m); break;
    case 32: turnBytes<4>(image, turned, m); break;
    default: turnPixels(image, turned, m); break;
    }
    turned.setProgress(image.progressFn(), image.progressUser());
    image = std::move(turned);
}

}  // namespace gz
