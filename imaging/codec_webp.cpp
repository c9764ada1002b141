#include "imaging/codec_webp.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/exif_orientation.h"

namespace gz {

namespace {

const char* const kReadError = "Fehler beim Lesen der WebP-Datei !";
const char* const kNotWebp = "Die Datei ist keine WebP-Datei !";
const char* const kUnsupported = "Das Format der WebP-Datei wird nicht unterstützt !";
const char* const kDamaged = "Beschädigte WebP-Datei !";

// Bytes handed to the decoder per step; the progress callback runs between.
constexpr std::size_t kStep = 64 * 1024;

struct IncrementalGuard {
    WebPIDecoder* decoder;
    ~IncrementalGuard() { WebPIDelete(decoder); }
};

struct AnimationGuard {
    WebPAnimDecoder* decoder;
    ~AnimationGuard() { WebPAnimDecoderDelete(decoder); }
};

struct DemuxGuard {
    WebPDemuxer* demux;
    ~DemuxGuard() { WebPDemuxDelete(demux); }
};

int exifChunkOrientation(const std::vector<uint8_t>& file)
{
    const WebPData data{file.data(), file.size()};
    const DemuxGuard guard{WebPDemux(&data)};
    if (!guard.demux || !(WebPDemuxGetI(guard.demux, WEBP_FF_FORMAT_FLAGS) & EXIF_FLAG))
        return 0;
    WebPChunkIterator chunk;
    if (!WebPDemuxGetChunk(guard.demux, "EXIF", 1, &chunk))
        return 0;
    const int orientation = exifOrientation(chunk.chunk.bytes, chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
    return orientation;
}

// A still picture straight into the image's rows. The rows are stored
// bottom-up, which libwebp's vertical flip writes directly.
void decodeStill(const std::vector<uint8_t>& file, const WebPBitstreamFeatures& features, RasterImage& image)
{
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        throw EWebpError(kUnsupported);
    config.options.flip = 1;
    config.output.colorspace = image.bitsPerPixel() == 32 ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = image.bits();
    config.output.u.RGBA.stride = image.stride();
    config.output.u.RGBA.size = image.byteSize();
    const IncrementalGuard guard{WebPIDecode(nullptr, 0, &config)};
    if (!guard.decoder)
        throw EGraphicsMemory();
    std::size_t fed = 0;
    VP8StatusCode status = VP8_STATUS_SUSPENDED;
    while (status == VP8_STATUS_SUSPENDED && fed < file.size()) {
        fed = std::min(file.size(), fed + kStep);
        status = WebPIUpdate(guard.decoder, file.data(), fed);
        int rows = 0;
        WebPIDecGetRGB(guard.decoder, &rows, nullptr, nullptr, nullptr);
        codec::progress(image, rows, features.height);
    }
    if (status == VP8_STATUS_UNSUPPORTED_FEATURE)
        throw EWebpError(kUnsupported);
    if (status == VP8_STATUS_OUT_OF_MEMORY)
        throw EGraphicsMemory();
    if (status != VP8_STATUS_OK)
        throw EWebpError(kDamaged);
}

// The first frame of an animation, drawn on its canvas.
void decodeFirstFrame(const std::vector<uint8_t>& file, RasterImage& image)
{
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        throw EWebpError(kUnsupported);
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData data{file.data(), file.size()};
    const AnimationGuard guard{WebPAnimDecoderNew(&data, &options)};
    WebPAnimInfo info;
    if (!guard.decoder || !WebPAnimDecoderGetInfo(guard.decoder, &info))
        throw EWebpError(kDamaged);
    if (info.canvas_width != static_cast<uint32_t>(image.width()) ||
        info.canvas_height != static_cast<uint32_t>(image.height()))
        throw EWebpError(kDamaged);
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(guard.decoder, &canvas, &timestamp) || !canvas)
        throw EWebpError(kDamaged);
    const int bytes = image.bitsPerPixel() / 8;
    const std::size_t canvasStride = static_cast<std::size_t>(info.canvas_width) * 4;
    for (int y = 0; y < image.height(); ++y) {
        const uint8_t* in = canvas + canvasStride * static_cast<std::size_t>(y);
        uint8_t* out = image.row(y);
        if (bytes == 4) {
            std::memcpy(out, in, canvasStride);
        } else {
            for (int x = 0; x < image.width(); ++x)
                std::memcpy(out + 3 * x, in + 4 * x, 3);
        }
        codec::progress(image, y + 1, image.height());
    }
}

}  // namespace

void readWebp(ByteReader& in, RasterImage& image, int* orientation)
{
    const std::vector<uint8_t> file = codec::readWhole(in, EWebpError(kReadError));
    WebPBitstreamFeatures features;
    switch (WebPGetFeatures(file.data(), file.size(), &features)) {
    case VP8_STATUS_OK: break;
    case VP8_STATUS_UNSUPPORTED_FEATURE: throw EWebpError(kUnsupported);
    case VP8_STATUS_OUT_OF_MEMORY: throw EGraphicsMemory();
    case VP8_STATUS_NOT_ENOUGH_DATA: throw EWebpError(kDamaged);
    default: throw EWebpError(kNotWebp);
    }
    if (features.width <= 0 || features.height <= 0)
        throw EWebpError(kDamaged);
    // Lossless pictures are decoded into a 32-bit buffer of their own, an
    // animation keeps two canvases.
    const uint64_t pixels = static_cast<uint64_t>(features.width) * static_cast<uint64_t>(features.height);
    codec::checkPictureSize(features.width, features.height, 32, pixels * (features.has_animation ? 8 : 4));
    codec::createImage(image, features.has_alpha ? 32 : 24, features.width, features.height);
    if (features.has_animation)
        decodeFirstFrame(file, image);
    else
        decodeStill(file, features, image);
    if (orientation)
        *orientation = exifChunkOrientation(file);
}

}  // namespace gz
