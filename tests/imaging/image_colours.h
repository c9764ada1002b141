// Colours of every pixel of a picture, for comparing pictures in tests.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/raster_image.h"

namespace gz::testing {

// Colours of every pixel, alpha dropped unless keepAlpha.
inline std::vector<uint32_t> coloursOf(const RasterImage& img, bool keepAlpha = false)
{
    std::vector<uint32_t> out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            out.push_back(keepAlpha ? img.colourAt(x, y) : img.colourAt(x, y) & 0xFFFFFF);
    return out;
}

}  // namespace gz::testing
