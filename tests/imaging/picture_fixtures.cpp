#include "tests/imaging/picture_fixtures.h"

#include <gtest/gtest.h>

#include <cstdio>   // jpeglib.h needs FILE first
#include <jpeglib.h>
#include <libheif/heif.h>
#include <png.h>
#include <tiffio.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

// x265 keeps a few encoder tables until the process ends; LeakSanitizer
// would blame every test that writes a HEIC fixture for them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libx265.so\n"; }

namespace gz::testing {

namespace {

// Samples R G B (A) of every pixel from the top row down.
std::vector<uint8_t> samplesOf(const RasterImage& picture, bool alpha)
{
    std::vector<uint8_t> out;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const uint32_t c = picture.colourAt(x, y);
            out.push_back(static_cast<uint8_t>(c >> 16));
            out.push_back(static_cast<uint8_t>(c >> 8));
            out.push_back(static_cast<uint8_t>(c));
            if (alpha)
                out.push_back(static_cast<uint8_t>(c >> 24));
        }
    return out;
}

Bytes addWebpChunks(Bytes file, const Bytes& exif, const Bytes& icc)
{
    if (exif.empty() && icc.empty())
        return file;
    const WebPData image{file.data(), file.size()};
    WebPMux* mux = WebPMuxCreate(&image, 1);
    if (!mux) {
        ADD_FAILURE() << "WebPMuxCreate";
        return {};
    }
    const WebPData exifData{exif.data(), exif.size()};
    const WebPData iccData{icc.data(), icc.size()};
    bool ok = (exif.empty() || WebPMuxSetChunk(mux, "EXIF", &exifData, 1) == WEBP_MUX_OK) &&
              (icc.empty() || WebPMuxSetChunk(mux, "ICCP", &iccData, 1) == WEBP_MUX_OK);
    WebPData out{};
    ok = ok && WebPMuxAssemble(mux, &out) == WEBP_MUX_OK;
    WebPMuxDelete(mux);
    if (!ok) {
        ADD_FAILURE() << "WebPMux chunks";
        return {};
    }
    Bytes result(out.bytes, out.bytes + out.size);
    WebPDataClear(&out);
    return result;
}

bool importPicture(const RasterImage& picture, WebPPicture& pic)
{
    if (!WebPPictureInit(&pic))
        return false;
    const bool alpha = picture.bitsPerPixel() == 32;
    pic.use_argb = 1;
    pic.width = picture.width();
    pic.height = picture.height();
    const std::vector<uint8_t> samples = samplesOf(picture, alpha);
    return alpha ? WebPPictureImportRGBA(&pic, samples.data(), picture.width() * 4)
                 : WebPPictureImportRGB(&pic, samples.data(), picture.width() * 3);
}

struct MemoryTiff {
    Bytes bytes;
    uint64_t position = 0;
};

MemoryTiff& memoryOf(thandle_t h) { return *static_cast<MemoryTiff*>(h); }

tmsize_t tiffRead(thandle_t h, void* buffer, tmsize_t n)
{
    MemoryTiff& m = memoryOf(h);
    const uint64_t take = std::min<uint64_t>(static_cast<uint64_t>(n), m.bytes.size() - std::min<uint64_t>(m.position, m.bytes.size()));
    std::memcpy(buffer, m.bytes.data() + m.position, static_cast<std::size_t>(take));
    m.position += take;
    return static_cast<tmsize_t>(take);
}

tmsize_t tiffWrite(thandle_t h, void* buffer, tmsize_t n)
{
    MemoryTiff& m = memoryOf(h);
    const uint64_t end = m.position + static_cast<uint64_t>(n);
    if (end > m.bytes.size())
        m.bytes.resize(static_cast<std::size_t>(end));
    std::memcpy(m.bytes.data() + m.position, buffer, static_cast<std::size_t>(n));
    m.position = end;
    return n;
}

toff_t tiffSeek(thandle_t h, toff_t offset, int whence)
{
    MemoryTiff& m = memoryOf(h);
    const uint64_t base = whence == SEEK_CUR ? m.position : whence == SEEK_END ? m.bytes.size() : 0;
    m.position = base + offset;
    return m.position;
}

int tiffClose(thandle_t) { return 0; }
toff_t tiffSize(thandle_t h) { return memoryOf(h).bytes.size(); }
int tiffMap(thandle_t, void**, toff_t*) { return 0; }
void tiffUnmap(thandle_t, void*, toff_t) {}

// Packs the values of one plane row (already in plane order) to `bits`.
void packRow(const std::vector<uint16_t>& values, uint16_t bits, Bytes& out)
{
    if (bits == 16) {
        for (uint16_t v : values) {
            const std::size_t at = out.size();
            out.resize(at + 2);
            std::memcpy(out.data() + at, &v, 2);   // libtiff takes native order
        }
        return;
    }
    uint32_t acc = 0;
    int used = 0;
    for (uint16_t v : values) {
        acc = acc << bits | (v & ((1u << bits) - 1));
        used += bits;
        while (used >= 8) {
            out.push_back(static_cast<uint8_t>(acc >> (used - 8)));
            used -= 8;
            acc &= (1u << used) - 1;
        }
    }
    if (used > 0)
        out.push_back(static_cast<uint8_t>(acc << (8 - used)));
}

}  // namespace

RasterImage colourfulPicture(int width, int height, bool alpha)
{
    RasterImage img;
    EXPECT_TRUE(img.create(alpha ? 32 : 24, width, height, 0u));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t rgb = static_cast<uint32_t>((x * 37 + y * 11) & 0xFF) << 16 |
                                 static_cast<uint32_t>((y * 29 + 7) & 0xFF) << 8 |
                                 static_cast<uint32_t>((x * y * 13 + x * 5) & 0xFF);
            const uint32_t a = alpha ? static_cast<uint32_t>(255 - (x * 255) / std::max(1, width - 1)) : 0;
            img.setPixel(x, y, rgb | a << 24);
        }
    return img;
}

RasterImage blockPicture(int columns, int rows, int block)
{
    static const uint32_t kColours[] = {0xE02020, 0x20C040, 0x2040E0, 0xF0E020, 0x20E0E0, 0xE020E0,
                                        0xFFFFFF, 0x000000, 0x808080, 0xF08000, 0x800080, 0x008080};
    RasterImage img;
    EXPECT_TRUE(img.create(24, columns * block, rows * block, 0u));
    for (int y = 0; y < rows * block; ++y)
        for (int x = 0; x < columns * block; ++x)
            img.setPixel(x, y, kColours[(y / block * columns + x / block) % 12]);
    return img;
}

Bytes exifWithOrientation(int orientation, bool bigEndian, bool exifPrefix)
{
    Bytes b;
    if (exifPrefix)
        b = {'E', 'x', 'i', 'f', 0, 0};
    const auto u16 = [&](unsigned v) {
        b.push_back(static_cast<uint8_t>(bigEndian ? v >> 8 : v));
        b.push_back(static_cast<uint8_t>(bigEndian ? v : v >> 8));
    };
    const auto u32 = [&](uint32_t v) {
        if (bigEndian) {
            u16(v >> 16);
            u16(v & 0xFFFF);
        } else {
            u16(v & 0xFFFF);
            u16(v >> 16);
        }
    };
    b.push_back(bigEndian ? 'M' : 'I');
    b.push_back(bigEndian ? 'M' : 'I');
    u16(42);
    u32(8);
    u16(1);
    u16(0x0112);
    u16(3);
    u32(1);
    u16(static_cast<unsigned>(orientation));
    u16(0);
    u32(0);
    return b;
}

Bytes encodeWebp(const RasterImage& picture, bool lossless, const Bytes& exif, const Bytes& icc)
{
    WebPConfig config;
    WebPPicture pic;
    if (!WebPConfigInit(&config) || !importPicture(picture, pic)) {
        ADD_FAILURE() << "WebP setup";
        return {};
    }
    config.lossless = lossless ? 1 : 0;
    config.quality = lossless ? 50 : 90;
    config.exact = 1;
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    pic.writer = WebPMemoryWrite;
    pic.custom_ptr = &writer;
    const bool ok = WebPEncode(&config, &pic) != 0;
    WebPPictureFree(&pic);
    Bytes file(writer.mem, writer.mem + writer.size);
    WebPMemoryWriterClear(&writer);
    if (!ok) {
        ADD_FAILURE() << "WebPEncode";
        return {};
    }
    return addWebpChunks(std::move(file), exif, icc);
}

Bytes encodeAnimatedWebp(const std::vector<const RasterImage*>& frames)
{
    WebPAnimEncoderOptions options;
    WebPConfig config;
    if (frames.empty() || !WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&config)) {
        ADD_FAILURE() << "WebP animation setup";
        return {};
    }
    config.lossless = 1;
    config.exact = 1;
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(frames[0]->width(), frames[0]->height(), &options);
    bool ok = encoder != nullptr;
    int timestamp = 0;
    for (const RasterImage* frame : frames) {
        WebPPicture pic;
        ok = ok && importPicture(*frame, pic) && WebPAnimEncoderAdd(encoder, &pic, timestamp, &config);
        WebPPictureFree(&pic);
        timestamp += 100;
    }
    WebPData out{};
    ok = ok && WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr) && WebPAnimEncoderAssemble(encoder, &out);
    WebPAnimEncoderDelete(encoder);
    if (!ok) {
        ADD_FAILURE() << "WebP animation";
        return {};
    }
    Bytes result(out.bytes, out.bytes + out.size);
    WebPDataClear(&out);
    return result;
}

Bytes encodeHeif(const RasterImage& picture, HeifCodec codec, bool lossless, int containerOrientation,
                 const Bytes& exif)
{
    const int w = picture.width();
    const int h = picture.height();
    const bool alpha = picture.bitsPerPixel() == 32;
    heif_image* image = nullptr;
    heif_image_create(w, h, heif_colorspace_RGB, heif_chroma_444, &image);
    const heif_channel channels[] = {heif_channel_R, heif_channel_G, heif_channel_B, heif_channel_Alpha};
    for (int c = 0; c < (alpha ? 4 : 3); ++c) {
        heif_image_add_plane(image, channels[c], w, h, 8);
        int stride = 0;
        uint8_t* plane = heif_image_get_plane(image, channels[c], &stride);
        const int shift = c == 3 ? 24 : 16 - 8 * c;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                plane[y * stride + x] = static_cast<uint8_t>(picture.colourAt(x, y) >> shift);
    }
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_error error = heif_context_get_encoder_for_format(
        context, codec == HeifCodec::Hevc ? heif_compression_HEVC : heif_compression_AV1, &encoder);
    heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
    if (error.code == heif_error_Ok) {
        if (lossless) {
            heif_encoder_set_lossless(encoder, 1);
            heif_encoder_set_parameter_string(encoder, "chroma", "444");
            nclx->matrix_coefficients = heif_matrix_coefficients_RGB_GBR;
            nclx->full_range_flag = 1;
            heif_image_set_nclx_color_profile(image, nclx);
        } else {
            heif_encoder_set_lossy_quality(encoder, 90);
        }
        heif_encoding_options* options = heif_encoding_options_alloc();
        options->image_orientation = static_cast<heif_orientation>(containerOrientation);
        heif_image_handle* handle = nullptr;
        error = heif_context_encode_image(context, image, encoder, options, &handle);
        heif_encoding_options_free(options);
        if (error.code == heif_error_Ok && !exif.empty())
            error = heif_context_add_exif_metadata(context, handle, exif.data(), static_cast<int>(exif.size()));
        heif_image_handle_release(handle);
        heif_encoder_release(encoder);
    }
    Bytes file;
    if (error.code == heif_error_Ok) {
        heif_writer writer{1, [](heif_context*, const void* data, size_t size, void* user) {
                               auto* out = static_cast<Bytes*>(user);
                               out->insert(out->end(), static_cast<const uint8_t*>(data),
                                           static_cast<const uint8_t*>(data) + size);
                               return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
                           }};
        error = heif_context_write(context, &writer, &file);
    }
    heif_nclx_color_profile_free(nclx);
    heif_image_release(image);
    heif_context_free(context);
    if (error.code != heif_error_Ok) {
        ADD_FAILURE() << "libheif: " << error.message;
        return {};
    }
    return file;
}

Bytes encodeJpeg(const RasterImage& picture, const Bytes& app1)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = static_cast<JDIMENSION>(picture.width());
    c.image_height = static_cast<JDIMENSION>(picture.height());
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    for (int i = 0; i < c.num_components; ++i)
        c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    jpeg_start_compress(&c, TRUE);
    if (!app1.empty())
        jpeg_write_marker(&c, JPEG_APP0 + 1, app1.data(), static_cast<unsigned>(app1.size()));
    const std::vector<uint8_t> samples = samplesOf(picture, false);
    for (int y = 0; y < picture.height(); ++y) {
        JSAMPROW row = const_cast<JSAMPROW>(&samples[static_cast<std::size_t>(y) * picture.width() * 3]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes out(mem, mem + size);
    std::free(mem);
    return out;
}

Bytes encodePng(const RasterImage& picture, const Bytes& exif)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const std::vector<uint8_t> samples = samplesOf(picture, false);
    Bytes exifCopy = exif;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "libpng";
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, size_t n) {
            auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
            o->insert(o->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width()), static_cast<png_uint_32>(picture.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!exifCopy.empty())
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(exifCopy.size()), exifCopy.data());
    png_write_info(png, info);
    for (int y = 0; y < picture.height(); ++y)
        png_write_row(png, &samples[static_cast<std::size_t>(y) * picture.width() * 3]);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes encodeTiff(const TiffRecipe& recipe, const std::vector<uint16_t>& samples)
{
    MemoryTiff memory;
    TIFF* tif = TIFFClientOpen("fixture", recipe.bigEndian ? "wb" : "wl", &memory, tiffRead, tiffWrite, tiffSeek,
                               tiffClose, tiffSize, tiffMap, tiffUnmap);
    if (!tif) {
        ADD_FAILURE() << "TIFFClientOpen";
        return {};
    }
    const bool tiled = recipe.tileWidth > 0 && recipe.tileLength > 0;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, recipe.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, recipe.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, recipe.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, recipe.spp);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, recipe.photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, recipe.compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, recipe.planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    if (recipe.predictor)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, recipe.predictor);
    if (recipe.compression == COMPRESSION_JPEG) {
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 95);
        if (recipe.jpegRgbInput)
            TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    if (!recipe.extraSamples.empty())
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, static_cast<uint16_t>(recipe.extraSamples.size()),
                     recipe.extraSamples.data());
    if (!recipe.colourMap.empty()) {
        const std::size_t n = recipe.colourMap.size() / 3;
        TIFFSetField(tif, TIFFTAG_COLORMAP, recipe.colourMap.data(), recipe.colourMap.data() + n,
                     recipe.colourMap.data() + 2 * n);
    }
    if (recipe.photometric == PHOTOMETRIC_SEPARATED)
        TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
    if (recipe.orientation)
        TIFFSetField(tif, TIFFTAG_ORIENTATION, recipe.orientation);
    if (tiled) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, recipe.tileWidth);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, recipe.tileLength);
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, recipe.rowsPerStrip ? recipe.rowsPerStrip : recipe.height);
    }

    // One plane's sample values of a rectangle, packed row by row.
    const int planes = recipe.planar ? recipe.spp : 1;
    const auto packRect = [&](int plane, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h) {
        Bytes out;
        for (uint32_t y = y0; y < y0 + h; ++y) {
            std::vector<uint16_t> row;
            for (uint32_t x = x0; x < x0 + w; ++x)
                for (int s = 0; s < recipe.spp; ++s) {
                    if (recipe.planar && s != plane)
                        continue;
                    const bool inside = x < recipe.width && y < recipe.height;
                    row.push_back(inside ? samples[(static_cast<std::size_t>(y) * recipe.width + x) * recipe.spp + s] : 0);
                }
            packRow(row, recipe.bits, out);
        }
        return out;
    };
    bool ok = true;
    for (int p = 0; p < planes && ok; ++p) {
        if (tiled) {
            for (uint32_t y = 0; y < recipe.height; y += recipe.tileLength)
                for (uint32_t x = 0; x < recipe.width; x += recipe.tileWidth) {
                    Bytes tile = packRect(p, x, y, recipe.tileWidth, recipe.tileLength);
                    ok = ok && TIFFWriteEncodedTile(tif, TIFFComputeTile(tif, x, y, 0, static_cast<uint16_t>(p)),
                                                    tile.data(), static_cast<tmsize_t>(tile.size())) >= 0;
                }
        } else {
            const uint32_t rows = recipe.rowsPerStrip ? recipe.rowsPerStrip : recipe.height;
            for (uint32_t y = 0; y < recipe.height; y += rows) {
                Bytes strip = packRect(p, 0, y, recipe.width, std::min(rows, recipe.height - y));
                ok = ok && TIFFWriteEncodedStrip(tif, TIFFComputeStrip(tif, y, static_cast<uint16_t>(p)), strip.data(),
                                                 static_cast<tmsize_t>(strip.size())) >= 0;
            }
        }
    }
    TIFFClose(tif);
    if (!ok) {
        ADD_FAILURE() << "libtiff refused the fixture";
        return {};
    }
    return memory.bytes;
}

int colourDistance(uint32_t a, uint32_t b, bool withAlpha)
{
    int d = 0;
    for (int s = 0; s < (withAlpha ? 32 : 24); s += 8)
        d = std::max(d, std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)));
    return d;
}

int pictureDistance(const RasterImage& a, const RasterImage& b, bool withAlpha)
{
    if (a.width() != b.width() || a.height() != b.height())
        return INT_MAX;
    int d = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            d = std::max(d, colourDistance(a.colourAt(x, y), b.colourAt(x, y), withAlpha));
    return d;
}

}  // namespace gz::testing
