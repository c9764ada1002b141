// RasterImage storage, copies, rectangles and the two compositing copies.
#include "imaging/raster_image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "imaging/pixel_formats.h"

namespace gz {

RasterImage::RasterImage() = default;
RasterImage::~RasterImage() { release(); }

RasterImage::RasterImage(RasterImage&& other) noexcept { *this = std::move(other); }

RasterImage& RasterImage::operator=(RasterImage&& other) noexcept
{
    if (this != &other) {
        release();
        pixels_ = std::exchange(other.pixels_, nullptr);
        ownsPixels_ = std::exchange(other.ownsPixels_, false);
        ownedBytes_ = std::exchange(other.ownedBytes_, 0);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        bpp_ = std::exchange(other.bpp_, 0);
        stride_ = std::exchange(other.stride_, 0);
        error_ = std::exchange(other.error_, kImageErrorNone);
        std::memcpy(palette_, other.palette_, sizeof palette_);
        paletteSize_ = std::exchange(other.paletteSize_, 0);
        read_ = std::exchange(other.read_, nullptr);
        write_ = std::exchange(other.write_, nullptr);
        font_ = other.font_;
        textAlign_ = other.textAlign_;
        textVerticalOffset_ = other.textVerticalOffset_;
        charSpacing_ = other.charSpacing_;
        ink_ = other.ink_;
        inkColour_ = other.inkColour_;
        background_ = other.background_;
        backgroundColour_ = other.backgroundColour_;
        progress_ = other.progress_;
        progressUser_ = other.progressUser_;
    }
    return *this;
}

bool RasterImage::isSupportedDepth(int bitsPerPixel) { return pixfmt::formatFor(bitsPerPixel) != nullptr; }

int RasterImage::strideFor(int bitsPerPixel, int width)
{
    if (!isSupportedDepth(bitsPerPixel) || width < 0 || width > kMaxImageSide)
        return -1;
    // 32 bits needs no padding; every other depth rounds its row up to 4 bytes.
    if (bitsPerPixel == 12)
        return ((3 * width + 1) / 2 + 3) & ~3;
    if (bitsPerPixel == 15)
        return (2 * width + 3) & ~3;
    return ((bitsPerPixel * width + 7) / 8 + 3) & ~3;
}

void RasterImage::release()
{
    if (ownsPixels_)
        std::free(pixels_);
    pixels_ = nullptr;
    ownsPixels_ = false;
    ownedBytes_ = 0;
    width_ = height_ = 0;
    stride_ = 0;
    read_ = nullptr;
    write_ = nullptr;
}

bool RasterImage::create(int bitsPerPixel, int width, int height, std::optional<uint32_t> fill,
                         uint8_t* callerMemory)
{
    const pixfmt::PixelFormat* format = pixfmt::formatFor(bitsPerPixel);
    const bool sizeOk = width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide;
    const int stride = sizeOk && format ? strideFor(bitsPerPixel, width) : 0;
    const std::size_t bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(sizeOk ? height : 0);
    // An owned allocation of exactly the new size is kept: the board
    // recreates its cover image at the same size on every redraw.
    uint8_t* reuse = nullptr;
    if (sizeOk && format && !callerMemory && ownsPixels_ && ownedBytes_ == bytes) {
        reuse = pixels_;
        pixels_ = nullptr;
        ownsPixels_ = false;
    }
    release();
    paletteSize_ = 0;
    bpp_ = 0;
    if (!sizeOk) {
        error_ = kImageErrorSize;
        return false;
    }
    if (!format) {
        error_ = kImageErrorFormat;
        return false;
    }
    uint8_t* memory = callerMemory ? callerMemory : reuse;
    if (!memory) {
        memory = static_cast<uint8_t*>(std::malloc(bytes));
        if (!memory) {
            error_ = kImageErrorMemory;
            return false;
        }
    }
    pixels_ = memory;
    ownsPixels_ = callerMemory == nullptr;
    ownedBytes_ = ownsPixels_ ? bytes : 0;
    width_ = width;
    height_ = height;
    bpp_ = bitsPerPixel;
    stride_ = stride;
    read_ = format->read;
    write_ = format->write;
    error_ = kImageErrorNone;
    std::memset(palette_, 0, sizeof palette_);
    paletteSize_ = pixfmt::defaultPalette(bitsPerPixel, palette_);

    if (fill) {
        if (*fill == 0)
            std::memset(pixels_, 0, bytes);
        else if (bitsPerPixel == 8)
            std::memset(pixels_, static_cast<int>(*fill & 0xFF), bytes);
        else
            fillRect(0, 0, width_, height_, *fill);
    }
    return true;
}

bool RasterImage::copyFrom(const RasterImage& source)
{
    if (&source == this)
        return !isEmpty();
    if (source.isEmpty()) {
        release();
        return false;
    }
    progress_ = source.progress_;
    progressUser_ = source.progressUser_;
    if (!create(source.bpp_, source.width_, source.height_))
        return false;
    std::memcpy(palette_, source.palette_, sizeof palette_);
    paletteSize_ = source.paletteSize_;
    std::memcpy(pixels_, source.pixels_, byteSize());
    return true;
}

uint32_t RasterImage::colourAt(int x, int y) const
{
    const uint32_t v = read_(*this, x, y);
    return paletteSize_ > 0 ? palette_[v] : v;
}

bool RasterImage::fillRect(int x, int y, int w, int h, uint32_t colour)
{
    if (isEmpty())
        return false;
    // A negative extent covers the pixels ending at x (or y).
    int64_t x0 = x, x1 = static_cast<int64_t>(x) + w - 1;
    if (w < 0) {
        x0 = static_cast<int64_t>(x) + w + 1;
        x1 = x;
    }
    int64_t y0 = y, y1 = static_cast<int64_t>(y) + h - 1;
    if (h < 0) {
        y0 = static_cast<int64_t>(y) + h + 1;
        y1 = y;
    }
    if (w == 0 || h == 0)
        return true;
    x0 = std::max<int64_t>(x0, 0);
    y0 = std::max<int64_t>(y0, 0);
    x1 = std::min<int64_t>(x1, width_ - 1);
    y1 = std::min<int64_t>(y1, height_ - 1);
    if (x0 > x1 || y0 > y1)
        return true;
    const pixfmt::PixelFormat* format = pixfmt::formatFor(bpp_);
    for (int64_t row = y0; row <= y1; ++row)
        format->fillSpan(*this, static_cast<int>(row), static_cast<int>(x0), static_cast<int>(x1), colour);
    return true;
}

namespace {

// The part of a source placed at (x, y) that lands inside a target, in
// source coordinates: [x0, x1) x [y0, y1), empty when x0 >= x1 or y0 >= y1.
struct SourcePart {
    int64_t x0, y0, x1, y1;
};

SourcePart visibleSourcePart(int sourceW, int sourceH, int targetW, int targetH, int x, int y)
{
    return {std::max<int64_t>(0, -static_cast<int64_t>(x)), std::max<int64_t>(0, -static_cast<int64_t>(y)),
            std::min<int64_t>(sourceW, static_cast<int64_t>(targetW) - x),
            std::min<int64_t>(sourceH, static_cast<int64_t>(targetH) - y)};
}

}  // namespace

bool RasterImage::blit(const RasterImage& source, int x, int y, unsigned /*flags*/)
{
    if (isEmpty() || source.isEmpty())
        return false;
    // Visible part in source coordinates.
    const auto [sx0, sy0, sx1, sy1] = visibleSourcePart(source.width_, source.height_, width_, height_, x, y);
    if (sx0 >= sx1 || sy0 >= sy1)
        return true;
    const int n = static_cast<int>(sx1 - sx0);
    const int dx = static_cast<int>(x + sx0);

    // Same depth: byte copy where pixels start on byte boundaries.
    const bool byteAligned = bpp_ >= 8 && bpp_ != 12;
    const bool samePalette = paletteSize_ == 0 ||
                             (paletteSize_ == source.paletteSize_ &&
                              std::memcmp(palette_, source.palette_, sizeof(uint32_t) * paletteSize_) == 0);
    if (source.bpp_ == bpp_ && byteAligned && (bpp_ != 8 || samePalette)) {
        const int bytesPerPixel = bpp_ == 15 ? 2 : bpp_ / 8;
        for (int64_t sy = sy0; sy < sy1; ++sy)
            std::memcpy(row(static_cast<int>(y + sy)) + static_cast<std::ptrdiff_t>(dx) * bytesPerPixel,
                        source.row(static_cast<int>(sy)) + sx0 * bytesPerPixel,
                        static_cast<std::size_t>(n) * bytesPerPixel);
        return true;
    }
    if (source.bpp_ == bpp_ && samePalette) {
        for (int64_t sy = sy0; sy < sy1; ++sy)
            for (int i = 0; i < n; ++i)
                write_(*this, dx + i, static_cast<int>(y + sy), source.read_(source, static_cast<int>(sx0) + i,
                                                                            static_cast<int>(sy)));
        return true;
    }
    // Different depths (or palettes): through the colour of each pixel.
    const pixfmt::PixelFormat* from = pixfmt::formatFor(source.bpp_);
    const pixfmt::PixelFormat* to = pixfmt::formatFor(bpp_);
    std::vector<uint32_t> line(static_cast<std::size_t>(n));
    for (int64_t sy = sy0; sy < sy1; ++sy) {
        from->readColours(source, static_cast<int>(sy), static_cast<int>(sx0), n, line.data());
        to->writeColours(*this, static_cast<int>(y + sy), dx, n, line.data());
    }
    return true;
}

bool RasterImage::drawWithAlpha(const RasterImage& source, int x, int y)
{
    if (isEmpty() || source.isEmpty() || source.bpp_ != 32 || bpp_ < 12)
        return false;
    const auto [sx0, sy0, sx1, sy1] = visibleSourcePart(source.width_, source.height_, width_, height_, x, y);
    if (sx0 >= sx1 || sy0 >= sy1)
        return true;
    for (int64_t sy = sy0; sy < sy1; ++sy) {
        const int dy = static_cast<int>(y + sy);
        const uint8_t* s = source.row(static_cast<int>(sy)) + 4 * sx0;
        for (int64_t sx = sx0; sx < sx1; ++sx, s += 4) {
            const uint32_t a = s[3];
            if (a == 0)
                continue;
            const int dx = static_cast<int>(x + sx);
            const uint32_t src = static_cast<uint32_t>(s[0]) | (static_cast<uint32_t>(s[1]) << 8) |
                                 (static_cast<uint32_t>(s[2]) << 16) | (a << 24);
            const uint32_t dst = read_(*this, dx, dy);
            const uint32_t dstAlpha = dst >> 24;
            if (dstAlpha == 0) {
                write_(*this, dx, dy, src);
                continue;
            }
            uint32_t out = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const uint32_t sc = (src >> shift) & 0xFF, dc = (dst >> shift) & 0xFF;
                out |= (((sc * (a + 1) + dc * (256 - a)) >> 8) & 0xFF) << shift;
            }
            const uint32_t outAlpha = dstAlpha < 255 ? ((dstAlpha * (256 - a) + a * (a + 1)) >> 8) : 255;
            write_(*this, dx, dy, out | (std::min<uint32_t>(outAlpha, 255) << 24));
        }
    }
    return true;
}

}  // namespace gz
