// Placeholder until the image object lands: construction and release only.
#include "imaging/raster_image.h"

#include <cstdlib>
#include <utility>

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
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        bpp_ = other.bpp_;
        stride_ = other.stride_;
    }
    return *this;
}

void RasterImage::release()
{
    if (ownsPixels_)
        std::free(pixels_);
    pixels_ = nullptr;
    ownsPixels_ = false;
    width_ = height_ = 0;
}

}  // namespace gz
