// The orientation tag (0x0112) of EXIF data, read by a small parser of our
// own that is safe on any bytes.
//
// The data is a TIFF structure: byte order "II" or "MM", the number 42 and
// the offset of the first directory, all offsets counted from the start of
// that header. Camera files put "Exif\0\0" in front of it (JPEG's APP1,
// often WebP's EXIF chunk); that prefix is skipped. Only the first
// directory is looked at, since the orientation of the main picture lives
// there (the second one describes the thumbnail), so no chain of offsets is
// followed and a directory pointing at itself cannot loop. Every offset and
// count is checked against the buffer before a byte is read.
//
// Result: 1..8 as the EXIF standard defines them, or 0 when there is no
// usable tag (no data, bad header, offset outside the data, anything but a
// single SHORT or LONG, a value outside 1..8). The first orientation entry
// counts. Callers treat 0 like 1.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gz {

int exifOrientation(const uint8_t* data, std::size_t size);

}  // namespace gz
