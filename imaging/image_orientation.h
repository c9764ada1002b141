// Turning a picture upright by the orientation its camera recorded.
//
// The codes are EXIF's (see exif_orientation.h): the way the stored rows and
// columns have to be turned for the picture to stand as the camera saw it.
//   1 as stored              5 transpose (mirror on the main diagonal)
//   2 mirror horizontally    6 rotate 90 degrees clockwise
//   3 rotate 180 degrees     7 transverse (mirror on the other diagonal)
//   4 mirror vertically      8 rotate 270 degrees clockwise (90 counter)
// 5..8 swap width and height.
//
// orientImage works on every depth RasterImage has and moves pixel values
// as they are, so palette indexes, the palette and alpha survive unchanged.
// 1 and codes outside 1..8 leave the picture alone. 2..4 mirror in place;
// 5..8 build the turned picture beside the old one, under the codecs'
// memory limit. When that cannot be made the function throws
// (EGraphicsPicSize, EGraphicsMemory) and the picture is unchanged.
#pragma once

#include "imaging/raster_image.h"

namespace gz {

void orientImage(RasterImage& image, int orientation);

}  // namespace gz
