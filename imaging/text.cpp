// Text drawing with the bitmap fonts, and the ink routines.
#include <cstring>

#include "imaging/bitmap_font.h"
#include "imaging/pixel_formats.h"
#include "imaging/raster_image.h"

namespace gz {

void RasterImage::setFont(const uint8_t* fontBlock)
{
    font_ = fontBlock;
    charSpacing_ = fontBlock ? font::defaultSpacing(fontBlock) : 0;
}

void RasterImage::setTextAlign(int horizontal) { textAlign_ = horizontal; }

void RasterImage::setTextInk(InkFn ink, uint32_t inkColour, InkFn background, uint32_t backgroundColour)
{
    ink_ = ink;
    inkColour_ = inkColour;
    background_ = background;
    backgroundColour_ = backgroundColour;
}

int RasterImage::measureText(std::string_view text) const
{
    if (!font_)
        return 0;
    int width = 0, glyphs = 0;
    for (unsigned char c : text) {
        const uint8_t* g = font::glyph(font_, c);
        if (!g)
            continue;
        width += g[0];
        ++glyphs;
    }
    return glyphs > 1 ? width + charSpacing_ * (glyphs - 1) : width;
}

int RasterImage::drawText(int x, int y, std::string_view text)
{
    if (!font_ || isEmpty())
        return 0;
    const int width = measureText(text);
    if (textAlign_ == kAlignCentre)
        x -= width / 2;
    else if (textAlign_ != kAlignLeft)
        x -= width;
    y += textVerticalOffset_;
    const InkFn ink = ink_ ? ink_ : plainInk;
    for (unsigned char c : text) {
        const uint8_t* g = font::glyph(font_, c);
        if (!g)
            continue;
        const int w = g[0], h = g[1];
        const int rowBytes = (w + 7) / 8;
        // Skip glyphs wholly outside the image (soft ink reaches one pixel out).
        if (x + w + 1 >= 0 && x - 1 < width_ && y + h + 1 >= 0 && y - 1 < height_) {
            for (int r = 0; r < h; ++r) {
                const uint8_t* bits = g + 2 + static_cast<std::ptrdiff_t>(h - 1 - r) * rowBytes;
                for (int i = 0; i < w; ++i) {
                    const bool background = (bits[i >> 3] >> (7 - (i & 7))) & 1;
                    if (!background)
                        ink(*this, x + i, y + r, inkColour_);
                    else if (background_)
                        background_(*this, x + i, y + r, backgroundColour_);
                }
            }
        }
        x += w + charSpacing_;
    }
    return width;
}

void plainInk(RasterImage& image, int x, int y, uint32_t colour)
{
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
        image.setPixel(x, y, colour);
}

void softInk(RasterImage& image, int x, int y, uint32_t colour)
{
    static constexpr uint32_t kWeights[3][3] = {{1, 2, 1}, {2, 20, 2}, {1, 2, 1}};
    const bool indexed = image.paletteSize() > 0;
    const uint32_t ink = indexed ? image.palette()[colour & (image.paletteSize() - 1)] : colour;
    for (int dy = -1; dy <= 1; ++dy) {
        const int py = y + dy;
        if (py < 0 || py >= image.height())
            continue;
        for (int dx = -1; dx <= 1; ++dx) {
            const int px = x + dx;
            if (px < 0 || px >= image.width())
                continue;
            const uint32_t w = kWeights[dy + 1][dx + 1];
            const uint32_t old = image.colourAt(px, py);
            uint32_t out = old & 0xFF000000u;   // alpha stays
            for (int shift = 0; shift < 24; shift += 8) {
                const uint32_t c = (ink >> shift) & 0xFF, o = (old >> shift) & 0xFF;
                out |= (((c * w + o * (32 - w)) >> 5) & 0xFF) << shift;
            }
            if (indexed)
                image.setPixel(px, py, static_cast<uint32_t>(pixfmt::nearestPaletteIndex(
                                           image.palette(), image.paletteSize(), out)));
            else
                image.setPixel(px, py, out);
        }
    }
}

}  // namespace gz
