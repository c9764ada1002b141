// Pictures for the benchmarks, made in memory and the same on every run:
// a photo-like one (smooth light and colour fields, edges of objects and
// sensor noise, so codecs get neither an easy nor a hopeless input) and a
// flat drawing (few colours, large areas, thin lines), the two kinds a quiz
// library holds.
#pragma once

#include "imaging/raster_image.h"

namespace gz::bench {

// A 24-bit width x height photo-like picture.
RasterImage syntheticPhoto(int width, int height, unsigned seed = 1);
// A 24-bit width x height flat drawing.
RasterImage syntheticDrawing(int width, int height, unsigned seed = 1);

}  // namespace gz::bench
