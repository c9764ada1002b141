// RasterImage: a rectangle of pixels in one of nine formats (1, 2, 4, 8, 12,
// 15, 16, 24, 32 bits), rows 4-byte aligned and stored bottom-up as in a
// device-independent bitmap, with a palette for the indexed formats, its own
// drawing operations and text drawing with the built-in bitmap fonts.
//
// Colours are 0xRRGGBB for the direct formats (0xAARRGGBB at 32 bits) and
// palette indexes for the indexed ones. Coordinates have (0,0) top-left;
// everything is clipped. Drawing on an empty image, or from an empty source,
// does nothing and returns false. `create` records why it failed in error().
// No internal locking: one thread at a time per image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace gz {

struct RasterPoint {
    int32_t x = 0;
    int32_t y = 0;
};

class RasterImage;

// Pixel routines are chosen by the format once, at create.
using ReadPixelFn = uint32_t (*)(const RasterImage&, int x, int y);
using WritePixelFn = void (*)(RasterImage&, int x, int y, uint32_t value);
// Ink and background routines of the text state.
using InkFn = void (*)(RasterImage&, int x, int y, uint32_t colour);
// Progress of the file codecs: percent 0..100; set *abort to stop.
using ProgressFn = void (*)(void* user, int percent, bool* abort);

constexpr int kMaxImageSide = 32768;

enum ImageError : int {
    kImageErrorNone = 0,
    kImageErrorSize = 1,
    kImageErrorFormat = 2,
    kImageErrorMemory = 3,
};

enum ResampleFlags : unsigned {
    kResampleAreaAverage = 1,
    kResampleTo32Bits = 2,
};

enum TextAlign : int {
    kAlignLeft = 0,
    kAlignCentre = 1,
    kAlignRight = 2,
};

class RasterImage {
public:
    RasterImage();
    ~RasterImage();
    RasterImage(const RasterImage&) = delete;
    RasterImage& operator=(const RasterImage&) = delete;
    RasterImage(RasterImage&& other) noexcept;
    RasterImage& operator=(RasterImage&& other) noexcept;

    // Releases the old storage and allocates new. fill 0 clears every byte;
    // at 8 bits every byte gets the low byte of fill; otherwise fillRect of
    // the whole image. callerMemory (stride*height bytes) is wrapped, never
    // freed. Sets the default palette of the depth.
    bool create(int bitsPerPixel, int width, int height,
                std::optional<uint32_t> fill = std::nullopt,
                uint8_t* callerMemory = nullptr);
    void release();
    bool copyFrom(const RasterImage& source);
    bool resample(const RasterImage& source, int width, int height, unsigned flags);
    bool blit(const RasterImage& source, int x, int y, unsigned flags = 0);
    bool drawWithAlpha(const RasterImage& source, int x, int y);
    bool fillRect(int x, int y, int w, int h, uint32_t colour);
    // 1 point: a pixel; 2: a line; 3..64: even-odd fill; more: nothing.
    bool fillPolygon(const RasterPoint* points, int count, uint32_t colour);
    // Loads an embedded bitmap of the program (same depth, size and bytes).
    bool loadBitmapResource(std::string_view name);

    // Text
    void setFont(const uint8_t* fontBlock);   // nullptr: no font
    void setTextAlign(int horizontal);        // 0 left, 1 centre, other right
    void setTextInk(InkFn ink, uint32_t inkColour, InkFn background = nullptr,
                    uint32_t backgroundColour = 0);
    void setTextVerticalOffset(int offset) { textVerticalOffset_ = offset; }
    void setCharacterSpacing(int spacing) { charSpacing_ = spacing; }
    int drawText(int x, int y, std::string_view text);   // returns width drawn
    int measureText(std::string_view text) const;

    // Progress callback used by the file codecs.
    void setProgress(ProgressFn fn, void* user) { progress_ = fn; progressUser_ = user; }
    ProgressFn progressFn() const { return progress_; }
    void* progressUser() const { return progressUser_; }

    // Access
    bool isEmpty() const { return pixels_ == nullptr || width_ == 0 || height_ == 0; }
    int width() const { return width_; }
    int height() const { return height_; }
    int bitsPerPixel() const { return bpp_; }
    int stride() const { return stride_; }
    int error() const { return error_; }
    // Start of image row y (0 = top); rows are stored bottom-up.
    uint8_t* row(int y) { return pixels_ + static_cast<std::ptrdiff_t>(height_ - 1 - y) * stride_; }
    const uint8_t* row(int y) const { return pixels_ + static_cast<std::ptrdiff_t>(height_ - 1 - y) * stride_; }
    uint8_t* bits() { return pixels_; }              // lowest address (bottom row)
    const uint8_t* bits() const { return pixels_; }
    std::size_t byteSize() const { return static_cast<std::size_t>(stride_) * height_; }
    uint32_t* palette() { return palette_; }
    const uint32_t* palette() const { return palette_; }
    int paletteSize() const { return paletteSize_; }

    // Pixel value at (x, y) in the image's own terms (colour or index);
    // unchecked, the caller clips.
    uint32_t pixel(int x, int y) const { return read_(*this, x, y); }
    void setPixel(int x, int y, uint32_t v) { write_(*this, x, y, v); }
    // Colour 0xRRGGBB (0xAARRGGBB at 32 bits) of (x, y), palette looked up.
    uint32_t colourAt(int x, int y) const;

    static int strideFor(int bitsPerPixel, int width);   // -1 for a bad depth
    static bool isSupportedDepth(int bitsPerPixel);

private:
    uint8_t* pixels_ = nullptr;
    bool ownsPixels_ = false;
    std::size_t ownedBytes_ = 0;   // size of the owned allocation
    int width_ = 0;
    int height_ = 0;
    int bpp_ = 0;
    int stride_ = 0;
    int error_ = kImageErrorNone;
    uint32_t palette_[256] = {};
    int paletteSize_ = 0;
    ReadPixelFn read_ = nullptr;
    WritePixelFn write_ = nullptr;

    const uint8_t* font_ = nullptr;
    int textAlign_ = kAlignLeft;
    int textVerticalOffset_ = 0;
    int charSpacing_ = 0;
    InkFn ink_ = nullptr;
    uint32_t inkColour_ = 0;
    InkFn background_ = nullptr;
    uint32_t backgroundColour_ = 0;

    ProgressFn progress_ = nullptr;
    void* progressUser_ = nullptr;
};

// Ink routines for the text state.
void plainInk(RasterImage& image, int x, int y, uint32_t colour);
// The board's soft ink: the 3x3 neighbourhood weighted 1 2 1 / 2 20 2 / 1 2 1
// (of 32), accumulating where neighbourhoods overlap.
void softInk(RasterImage& image, int x, int y, uint32_t colour);

// The three built-in fonts (codes 0..255, short form) by cell height 36, 24
// or 18; nullptr for any other height.
const uint8_t* builtinFont(int cellHeight);

}  // namespace gz
