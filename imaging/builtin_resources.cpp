// The image object's use of the program's embedded resources: bitmaps
// ("BITMAP", stored as described in bitmap_resource.h) and the three fonts
// ("FONT" FONT36, FONT24, FONT18).
#include "imaging/bitmap_resource.h"
#include "imaging/raster_image.h"
#include "resources/resource_table.h"

namespace gz {

bool RasterImage::loadBitmapResource(std::string_view name)
{
    const Resource* r = findResource("BITMAP", name);
    if (!r) {
        release();
        return false;
    }
    return parseBitmapResource(r->data, r->size, *this);
}

const uint8_t* builtinFont(int cellHeight)
{
    const char* name = cellHeight == 36 ? "FONT36" : cellHeight == 24 ? "FONT24" : cellHeight == 18 ? "FONT18" : nullptr;
    if (!name)
        return nullptr;
    const Resource* r = findResource("FONT", name);
    return r ? r->data : nullptr;
}

}  // namespace gz
