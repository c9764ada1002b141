// Picture file entry points of the image library.
//
// loadImageFile picks the reader by the file's first 64 bytes (never by its
// name), saveImageFile picks the writer by the extension after the last dot
// (case ignored). Neither lets anything escape: every failure becomes a
// negative result and its German message in imageFileLastError().
//
// A picture whose file records a camera orientation (EXIF in JPEG, PNG,
// WebP and HEIF; TIFF's Orientation tag) is turned upright while loading.
//
// A failed load leaves `image` as it was before the call (its old picture
// and state); a failed save may leave a partly written file behind.
//
// Loads and saves may run on several threads at once; the process-wide
// settings (writer option, memory limit) are for before they start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/format_detect.h"
#include "imaging/png_write_settings.h"
#include "imaging/raster_image.h"

namespace gz {

enum ImageFileResult : int {
    kImageFileOk = 0,
    kImageFileLibraryError = -1,   // message of the library exception
    kImageFileUnknownFormat = -2,  // "Unbekanntes Datei Format."
    kImageFileCannotOpen = -3,     // "Kann Datei nicht öffnen."
    kImageFilePicSize = -4,        // load: EGraphicsPicSize
    kImageFileWrongColor = -5,     // load: EGraphicsWrongColor
    kImageFileMemory = -6,         // load: EGraphicsMemory
    kImageFileUnknownError = -7,   // load: anything else ("Unbekannter Fehler")
    kImageSaveUnknownError = -4,   // save: anything else ("Unbekannter Fehler")
};

// Reads the picture at `path` into `image`. With `comment`, it receives the
// file's comment on success (empty when the file has none).
int loadImageFile(const std::string& path, RasterImage& image, std::string* comment = nullptr);
// The same for a file image held in memory.
int loadImageMemory(const uint8_t* data, std::size_t size, RasterImage& image, std::string* comment = nullptr);

// Writes `image` to `path` in the format of its extension: .png .gif .bmp
// .jpg/.jpeg .xwd .xpm .pnm .tif/.tiff .ps/.eps/.prn .tlsp. A comment is kept
// by the formats that carry one (PNG: text chunk "Comment"; JPEG: COM).
int saveImageFile(const std::string& path, const RasterImage& image,
                  std::optional<std::string_view> comment = std::nullopt);
// Encodes into memory in the given format code (ImageFormat).
int saveImageMemory(int format, const RasterImage& image, std::vector<uint8_t>& out,
                    std::optional<std::string_view> comment = std::nullopt);

// The same, with the PNG writer compressing by `png` instead of libpng's
// defaults (every other format ignores it).
int saveImageFileWith(const std::string& path, const RasterImage& image, const PngWriteSettings& png,
                      std::optional<std::string_view> comment = std::nullopt);
int saveImageMemoryWith(int format, const RasterImage& image, const PngWriteSettings& png, std::vector<uint8_t>& out,
                        std::optional<std::string_view> comment = std::nullopt);

// Writer format for a file name, kImageFormatUnknown when the extension is
// not one of the writer's.
int imageFormatForFileName(std::string_view path);

// Name patterns ("*.png", "*.jpg", ...) of the files the loader reads, for
// the filters of file dialogs. The loader itself never looks at a name.
const std::vector<std::string>& readableImagePatterns();

// Message of the most recent failure of either entry point on the calling
// thread (UTF-8, at most 511 bytes); empty after a successful load.
const char* imageFileLastError();

// Process-wide writer option, default -2 (not set): >= 0 asks the BMP writer
// for 32-bit output of 32-bit pictures and the PNG writer for alpha; -1 asks
// BMP for 24 bits.
void setImageWriterOption(int value);
int imageWriterOption();

}  // namespace gz
