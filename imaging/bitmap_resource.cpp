// Bitmap resources: a Windows BMP file image embedded in the program.
#include "imaging/raster_image.h"

namespace gz {

bool RasterImage::loadBitmapResource(std::string_view) { return false; }

}  // namespace gz
