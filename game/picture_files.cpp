#include "game/picture_files.h"

#include "imaging/image_files.h"

namespace gz {

int ImageFilePictures::load(const std::string& path, RasterImage& image)
{
    return loadImageFile(path, image);
}

int ImageFilePictures::save(const std::string& path, const RasterImage& image)
{
    return saveImageFileWith(path, image, kPngFastSettings);
}

}  // namespace gz
