#include "imaging/codec_heif.h"

#include <libheif/heif.h>

#include <vector>

#include "imaging/exif_orientation.h"
#include "imaging/heif_container.h"

namespace gz {

namespace {

const char* const kReadError = "Fehler beim Lesen der HEIF-Datei !";
const char* const kNotHeif = "Die Datei ist keine HEIF-Datei !";
const char* const kUnsupported = "Das Format der HEIF-Datei wird nicht unterstützt !";
const char* const kDamaged = "Beschädigte HEIF-Datei !";

struct ContextGuard {
    heif_context* context;
    ~ContextGuard() { heif_context_free(context); }
};

struct HandleGuard {
    heif_image_handle* handle = nullptr;
    ~HandleGuard() { heif_image_handle_release(handle); }
};

struct ImageGuard {
    heif_image* image = nullptr;
    ~ImageGuard() { heif_image_release(image); }
};

struct OptionsGuard {
    heif_decoding_options* options;
    ~OptionsGuard() { heif_decoding_options_free(options); }
};

// libheif's English messages stay inside; the user reads ours.
void check(const heif_error& error)
{
    switch (error.code) {
    case heif_error_Ok: return;
    case heif_error_Unsupported_filetype: throw EHeifError(kNotHeif);
    case heif_error_Unsupported_feature: throw EHeifError(kUnsupported);
    case heif_error_Memory_allocation_error:
        if (error.subcode == heif_suberror_Security_limit_exceeded)
            throw EGraphicsPicSize();
        throw EGraphicsMemory();
    default: throw EHeifError(kDamaged);
    }
}

// The Exif block starts with the offset of its TIFF header (counted after
// these four bytes); phones put "Exif\0\0" there.
int exifBlockOrientation(const heif_image_handle* handle)
{
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) < 1)
        return 0;
    const std::size_t size = heif_image_handle_get_metadata_size(handle, id);
    if (size < 4 || size > imageMemoryLimit())
        return 0;
    std::vector<uint8_t> block(size);
    if (heif_image_handle_get_metadata(handle, id, block.data()).code != heif_error_Ok)
        return 0;
    const uint32_t skip = codec::be32(block.data());
    if (skip > size - 4)
        return 0;
    return exifOrientation(block.data() + 4 + skip, size - 4 - skip);
}

}  // namespace

void readHeif(ByteReader& in, RasterImage& image, int* orientation)
{
    const std::vector<uint8_t> file = codec::readWhole(in, EHeifError(kReadError));
    const ContextGuard context{heif_context_alloc()};
    if (!context.context)
        throw EGraphicsMemory();
    // Wider or higher pictures than ours are refused before decoding.
    heif_context_set_maximum_image_size_limit(context.context, kMaxImageSide + 1);
    check(heif_context_read_from_memory_without_copy(context.context, file.data(), file.size(), nullptr));
    HandleGuard handle;
    check(heif_context_get_primary_image_handle(context.context, &handle.handle));

    const int width = heif_image_handle_get_width(handle.handle);
    const int height = heif_image_handle_get_height(handle.handle);
    if (width <= 0 || height <= 0)
        throw EHeifError(kDamaged);
    const bool alpha = heif_image_handle_has_alpha_channel(handle.handle) != 0;
    // The decoder's own planes (up to 16 bits per sample) and the colour
    // conversion come on top of our picture.
    const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    codec::checkPictureSize(width, height, 32, pixels * 12);

    const OptionsGuard options{heif_decoding_options_alloc()};
    if (!options.options)
        throw EGraphicsMemory();
    options.options->convert_hdr_to_8bit = 1;
    ImageGuard decoded;
    check(heif_decode_image(handle.handle, &decoded.image, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.options));
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(decoded.image, heif_channel_interleaved, &stride);
    const int w = heif_image_get_width(decoded.image, heif_channel_interleaved);
    const int h = heif_image_get_height(decoded.image, heif_channel_interleaved);
    if (!plane || w <= 0 || h <= 0 || heif_image_get_bits_per_pixel_range(decoded.image, heif_channel_interleaved) != 8)
        throw EHeifError(kUnsupported);

    codec::createImage(image, alpha ? 32 : 24, w, h);
    const int bytes = alpha ? 4 : 3;
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = plane + static_cast<std::ptrdiff_t>(y) * stride;
        uint8_t* out = image.row(y);
        for (int x = 0; x < w; ++x, src += bytes, out += bytes) {
            out[0] = src[2];
            out[1] = src[1];
            out[2] = src[0];
            if (alpha)
                out[3] = src[3];
        }
        codec::progress(image, y + 1, h);
    }
    if (orientation)
        *orientation = heifPrimaryIsTurned(file.data(), file.size()) ? 0 : exifBlockOrientation(handle.handle);
}

}  // namespace gz
