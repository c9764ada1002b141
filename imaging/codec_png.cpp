#include "imaging/codec_png.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "imaging/exif_orientation.h"

namespace gz {

namespace {

// libpng reports errors by longjmp; each stage runs under its own setjmp and
// the exception is thrown only after we are back in our own frames.
struct PngIo {
    ByteReader* in = nullptr;
    ByteWriter* out = nullptr;
    char message[256] = {};
};

void pngError(png_structp png, png_const_charp msg)
{
    auto* io = static_cast<PngIo*>(png_get_error_ptr(png));
    if (io && msg) {
        std::strncpy(io->message, msg, sizeof io->message - 1);
        io->message[sizeof io->message - 1] = '\0';
    }
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

void pngRead(png_structp png, png_bytep data, size_t n)
{
    auto* io = static_cast<PngIo*>(png_get_io_ptr(png));
    if (io->in->read(data, n) != n)
        png_error(png, "Fehler beim Lesen");
}

void pngWrite(png_structp png, png_bytep data, size_t n)
{
    auto* io = static_cast<PngIo*>(png_get_io_ptr(png));
    if (!io->out->write(data, n))
        png_error(png, "Fehler beim Schreiben");
}

void pngFlush(png_structp) {}

// Runs f with libpng errors caught; false when libpng gave up. f must not
// hold objects with destructors across libpng calls.
template <class F>
bool guarded(png_structp png, F&& f)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    f();
    return true;
}

struct ReadGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~ReadGuard() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

struct WriteGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~WriteGuard() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

void setGreyPalette(RasterImage& image, int bits)
{
    const int n = 1 << bits;
    for (int i = 0; i < n; ++i) {
        const uint32_t g = static_cast<uint32_t>(i * 255 / (n - 1));
        image.palette()[i] = g << 16 | g << 8 | g;
    }
}

static_assert(kPngFilterNone == PNG_FILTER_NONE && kPngFilterSub == PNG_FILTER_SUB && kPngFilterUp == PNG_FILTER_UP &&
              kPngFilterAverage == PNG_FILTER_AVG && kPngFilterPaeth == PNG_FILTER_PAETH &&
              kPngFiltersAll == PNG_ALL_FILTERS);

// Only what the settings name is set: untouched, libpng keeps its defaults.
void applySettings(png_structp png, const PngWriteSettings& settings, bool indexed)
{
    if (settings.level >= 0)
        png_set_compression_level(png, std::min(settings.level, 9));
    if (settings.filters != kPngFiltersDefault && !indexed)
        png_set_filter(png, PNG_FILTER_TYPE_BASE, settings.filters & kPngFiltersAll);
    switch (settings.strategy) {
    case PngStrategy::Default: break;
    case PngStrategy::Plain: png_set_compression_strategy(png, Z_DEFAULT_STRATEGY); break;
    case PngStrategy::Filtered: png_set_compression_strategy(png, Z_FILTERED); break;
    case PngStrategy::HuffmanOnly: png_set_compression_strategy(png, Z_HUFFMAN_ONLY); break;
    case PngStrategy::Rle: png_set_compression_strategy(png, Z_RLE); break;
    }
}

uint32_t indexAt(const RasterImage& image, int x, int y)
{
    return image.pixel(x, y);
}

}  // namespace

void readPng(ByteReader& in, RasterImage& image, std::string* comment, int* orientation)
{
    PngIo io;
    io.in = &in;
    ReadGuard g;
    g.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &io, pngError, pngWarning);
    if (!g.png)
        throw EGraphicsException("Interner Fehler");
    g.info = png_create_info_struct(g.png);
    if (!g.info)
        throw EGraphicsException("Zu wenig Speicher");
    png_set_read_fn(g.png, &io, pngRead);
    // libpng's own size limit would fail with its English text; the size is
    // judged below, as for every other format, before any row is allocated.
    png_set_user_limits(g.png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0, passes = 1;
    bool hasTrns = false;
    int depth = 0;
    std::size_t rowBytes = 0;
    if (!guarded(g.png, [&] {
            png_read_info(g.png, g.info);
            png_get_IHDR(g.png, g.info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
        }))
        throw EGraphicsException(io.message);
    if (width > static_cast<png_uint_32>(kMaxImageSide) || height > static_cast<png_uint_32>(kMaxImageSide))
        throw EGraphicsPicSize();
    if (!guarded(g.png, [&] {
            hasTrns = png_get_valid(g.png, g.info, PNG_INFO_tRNS) != 0;
            if (bitDepth == 16)
                png_set_strip_16(g.png);
            switch (colourType) {
            case PNG_COLOR_TYPE_PALETTE:
                depth = bitDepth;
                break;
            case PNG_COLOR_TYPE_GRAY:
                if (hasTrns) {
                    png_set_expand(g.png);
                    png_set_gray_to_rgb(g.png);
                    png_set_bgr(g.png);
                    depth = 32;
                } else {
                    depth = bitDepth == 16 ? 8 : bitDepth;
                }
                break;
            case PNG_COLOR_TYPE_GRAY_ALPHA:
                png_set_gray_to_rgb(g.png);
                png_set_bgr(g.png);
                depth = 32;
                break;
            case PNG_COLOR_TYPE_RGB:
                png_set_bgr(g.png);
                if (hasTrns)
                    png_set_tRNS_to_alpha(g.png);
                depth = hasTrns ? 32 : 24;
                break;
            default:   // RGBA
                png_set_bgr(g.png);
                depth = 32;
                break;
            }
            passes = png_set_interlace_handling(g.png);
            png_read_update_info(g.png, g.info);
            rowBytes = png_get_rowbytes(g.png, g.info);
        }))
        throw EGraphicsException(io.message);

    if (width == 0 || height == 0)
        throw EGraphicsException("Das Format wird nicht unterstützt");
    codec::createImage(image, depth, static_cast<int>(width), static_cast<int>(height));
    if (rowBytes > static_cast<std::size_t>(image.stride()))
        throw EGraphicsWrongColor();

    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp plte = nullptr;
        int count = 0;
        if (png_get_PLTE(g.png, g.info, &plte, &count) && plte) {
            count = std::min(count, image.paletteSize());
            for (int i = 0; i < count; ++i)
                image.palette()[i] = static_cast<uint32_t>(plte[i].red) << 16 |
                                     static_cast<uint32_t>(plte[i].green) << 8 | plte[i].blue;
        }
    } else if (colourType == PNG_COLOR_TYPE_GRAY && depth <= 8) {
        setGreyPalette(image, depth);
    }

    const int64_t total = static_cast<int64_t>(passes) * height;
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_bytep row = image.row(static_cast<int>(y));
            if (!guarded(g.png, [&] { png_read_row(g.png, row, nullptr); }))
                throw EGraphicsException(io.message);
            codec::progress(image, static_cast<int64_t>(pass) * height + y + 1, total);
        }
    }

    // Text chunks after the pixels; a damaged tail after complete pixels
    // costs only those chunks.
    guarded(g.png, [&] { png_read_end(g.png, g.info); });
    if (orientation) {
        // eXIf may stand before or after the pixels; both are read by now.
        png_bytep exif = nullptr;
        png_uint_32 exifSize = 0;
        *orientation = png_get_eXIf_1(g.png, g.info, &exifSize, &exif) && exif ? exifOrientation(exif, exifSize) : 0;
    }
    if (comment) {
        png_textp text = nullptr;
        int count = 0;
        if (png_get_text(g.png, g.info, &text, &count) > 0 && text) {
            int pick = 0;
            for (int i = 0; i < count; ++i)
                if (text[i].key && std::strcmp(text[i].key, "Comment") == 0)
                    pick = i;
            if (text[pick].text)
                comment->assign(text[pick].text, text[pick].text_length);
        }
    }

    if (colourType == PNG_COLOR_TYPE_PALETTE && hasTrns) {
        png_bytep alpha = nullptr;
        int count = 0;
        png_get_tRNS(g.png, g.info, &alpha, &count, nullptr);
        uint8_t entryAlpha[256];
        std::memset(entryAlpha, 255, sizeof entryAlpha);
        for (int i = 0; i < count && i < 256 && alpha; ++i)
            entryAlpha[i] = alpha[i];
        bool used = false;
        for (int y = 0; y < image.height() && !used; ++y)
            for (int x = 0; x < image.width() && !used; ++x)
                used = entryAlpha[indexAt(image, x, y) & 0xFF] != 255;
        if (used) {
            RasterImage indexed;
            if (!indexed.copyFrom(image))
                throw EGraphicsMemory();
            codec::createImage(image, 32, indexed.width(), indexed.height());
            for (int y = 0; y < image.height(); ++y) {
                uint8_t* out = image.row(y);
                for (int x = 0; x < image.width(); ++x) {
                    const uint32_t i = indexAt(indexed, x, y) & 0xFF;
                    const uint32_t c = indexed.palette()[i];
                    out[4 * x + 0] = static_cast<uint8_t>(c);
                    out[4 * x + 1] = static_cast<uint8_t>(c >> 8);
                    out[4 * x + 2] = static_cast<uint8_t>(c >> 16);
                    out[4 * x + 3] = entryAlpha[i];
                }
            }
        }
    }
}

void writePng(ByteWriter& out, const RasterImage& image, std::optional<std::string_view> comment, bool alpha,
              const PngWriteSettings& settings)
{
    if (image.isEmpty())
        throw EGraphicsException("Ungültiges Bild");
    PngIo io;
    io.out = &out;
    WriteGuard g;
    g.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &io, pngError, pngWarning);
    if (!g.png)
        throw EGraphicsException("Interner Fehler");
    g.info = png_create_info_struct(g.png);
    if (!g.info)
        throw EGraphicsException("Interner Fehler");

    const int bpp = image.bitsPerPixel();
    const int w = image.width();
    const int h = image.height();
    const bool indexed = bpp <= 8;
    const bool rgba = bpp == 32 && alpha;
    const bool direct = indexed || rgba || bpp == 24;

    std::vector<png_color> palette;
    if (indexed) {
        palette.resize(std::size_t{1} << bpp);
        for (std::size_t i = 0; i < palette.size(); ++i) {
            const uint32_t c = static_cast<int>(i) < image.paletteSize() ? image.palette()[i] : 0;
            palette[i] = {static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)};
        }
    }
    std::string commentText(comment ? *comment : std::string_view{});
    std::string key = "Comment";
    png_text text{};
    text.compression = PNG_TEXT_COMPRESSION_NONE;
    text.key = key.data();
    text.text = commentText.data();
    text.text_length = commentText.size();
    std::vector<uint8_t> converted(direct ? 0 : static_cast<std::size_t>(w) * 3);
    std::vector<uint32_t> colours(direct ? 0 : static_cast<std::size_t>(w));

    if (!guarded(g.png, [&] {
            png_set_write_fn(g.png, &io, pngWrite, pngFlush);
            png_set_IHDR(g.png, g.info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h),
                         indexed ? bpp : 8,
                         indexed ? PNG_COLOR_TYPE_PALETTE : (rgba ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB),
                         PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
            if (indexed)
                png_set_PLTE(g.png, g.info, palette.data(), static_cast<int>(palette.size()));
            if (comment)
                png_set_text(g.png, g.info, &text, 1);
            applySettings(g.png, settings, indexed);
            png_write_info(g.png, g.info);
            if (!indexed)
                png_set_bgr(g.png);
        }))
        throw EGraphicsException(io.message);

    for (int y = 0; y < h; ++y) {
        const uint8_t* row = image.row(y);
        if (!direct) {
            codec::rowColours(image, y, colours.data());
            for (int x = 0; x < w; ++x) {
                converted[3 * x + 0] = static_cast<uint8_t>(colours[x]);
                converted[3 * x + 1] = static_cast<uint8_t>(colours[x] >> 8);
                converted[3 * x + 2] = static_cast<uint8_t>(colours[x] >> 16);
            }
            row = converted.data();
        }
        if (!guarded(g.png, [&] { png_write_row(g.png, const_cast<png_bytep>(row)); }))
            throw EGraphicsException(io.message);
        codec::progress(image, y + 1, h);
    }
    if (!guarded(g.png, [&] { png_write_end(g.png, g.info); }))
        throw EGraphicsException(io.message);
}

}  // namespace gz
