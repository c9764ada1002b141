// Feeds arbitrary bytes to the picture loader (format detection and every
// reader). Small pictures that load are written again as PNG and BMP and
// read back, which also exercises the writers. Their pixels or comment may
// spell out a text format, which then wins the detection and may read the
// file its own way; the size is compared only where the written format won.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/codec_common.h"
#include "imaging/format_detect.h"
#include "imaging/image_files.h"

// libheif's dav1d glue (1.15) keeps the data it could not hand to dav1d
// when an AV1 item is empty: 40 bytes per such file, not ours to free.
// dav1d is built without frame pointers, so the fast unwinder sees only
// its module, not the function.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdav1d.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static const bool limited = (gz::setImageMemoryLimit(16u << 20), true);
    (void)limited;
    gz::RasterImage image;
    std::string comment;
    const int rc = gz::loadImageMemory(data, size, image, &comment);
    if (rc > 0 || rc < -7)
        std::abort();
    if (rc != 0 || image.width() > 256 || image.height() > 256)
        return 0;
    for (int format : {gz::kImageFormatPng, gz::kImageFormatBmp}) {
        std::vector<uint8_t> file;
        if (gz::saveImageMemory(format, image, file, comment) != 0)
            std::abort();
        gz::RasterImage back;
        if (gz::loadImageMemory(file.data(), file.size(), back) != 0)
            std::abort();
        if (gz::detectImageFormat(file.data(), file.size()) == format &&
            (back.width() != image.width() || back.height() != image.height()))
            std::abort();
    }
    return 0;
}
