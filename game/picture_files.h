// How the game library reads and writes picture files: an interface over
// loadImageFile / saveImageFile, so tests can stand in for the codecs or
// make them fail. Results are those of the two entry points: 0 success,
// negative on failure.
#pragma once

#include <string>

#include "imaging/raster_image.h"

namespace gz {

class PictureFiles {
public:
    virtual ~PictureFiles() = default;
    // Reads any recognised format (chosen by the file's first bytes).
    virtual int load(const std::string& path, RasterImage& image) = 0;
    // Writes the format of the name's extension.
    virtual int save(const std::string& path, const RasterImage& image) = 0;
};

// The image library's own readers and writers, without comments. PNG files
// (a game's Pic.png) are written with the fast setting: a new game's picture
// is written while the user waits, and the pixels are the same.
class ImageFilePictures final : public PictureFiles {
public:
    int load(const std::string& path, RasterImage& image) override;
    int save(const std::string& path, const RasterImage& image) override;
};

}  // namespace gz
