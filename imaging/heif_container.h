// What a HEIF/AVIF container says about turning its main picture.
//
// HEIF files carry their own rotation (property "irot") and mirroring
// ("imir"), which libheif applies while decoding. Phones write the same
// turn into the EXIF orientation as well, so the EXIF value must count only
// where the container has no turn of its own, or the picture would be
// turned twice.
//
// heifPrimaryIsTurned walks the boxes ftyp/meta/pitm/iprp/ipco/ipma of a
// file held in memory and tells whether the primary item is associated with
// an irot of a non-zero angle or with an imir. It never reads outside the
// buffer and ends on any damage with false (libheif then refuses the file
// anyway).
#pragma once

#include <cstddef>
#include <cstdint>

namespace gz {

bool heifPrimaryIsTurned(const uint8_t* data, std::size_t size);

}  // namespace gz
