// Text drawing with the bitmap fonts, and the ink routines.
#include "imaging/raster_image.h"

namespace gz {

void RasterImage::setFont(const uint8_t* fontBlock) { font_ = fontBlock; }
void RasterImage::setTextAlign(int horizontal) { textAlign_ = horizontal; }
void RasterImage::setTextInk(InkFn ink, uint32_t inkColour, InkFn background, uint32_t backgroundColour)
{
    ink_ = ink;
    inkColour_ = inkColour;
    background_ = background;
    backgroundColour_ = backgroundColour;
}
int RasterImage::drawText(int, int, std::string_view) { return 0; }
int RasterImage::measureText(std::string_view) const { return 0; }
void plainInk(RasterImage&, int, int, uint32_t) {}
void softInk(RasterImage&, int, int, uint32_t) {}
const uint8_t* builtinFont(int) { return nullptr; }

}  // namespace gz
