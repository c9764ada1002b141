// The TIFF reader on libtiff (see codec_tiff.h).
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <vector>

#include "imaging/codec_tiff.h"

namespace gz {

namespace {

const char* const kBadHeader = "Falscher Header";
const char* const kBadEntry = "Falscher Eintrag";
const char* const kUnsupported = "Modus ist nicht unterstützt";
const char* const kReadError = "Fehler beim Lesen";

// libtiff reads through our byte source; it never writes or maps.
ByteReader& source(thandle_t handle) { return *static_cast<ByteReader*>(handle); }

tmsize_t readProc(thandle_t handle, void* buffer, tmsize_t n)
{
    return n > 0 ? static_cast<tmsize_t>(source(handle).read(buffer, static_cast<std::size_t>(n))) : 0;
}

tmsize_t writeProc(thandle_t, void*, tmsize_t) { return 0; }

toff_t seekProc(thandle_t handle, toff_t offset, int whence)
{
    ByteReader& in = source(handle);
    const uint64_t base = whence == SEEK_CUR ? in.tell() : whence == SEEK_END ? in.size() : 0;
    // Backward moves arrive as wrapped unsigned offsets; the sum wraps back.
    const uint64_t position = base + offset;
    return in.seek(position) ? position : static_cast<toff_t>(-1);
}

int closeProc(thandle_t) { return 0; }
toff_t sizeProc(thandle_t handle) { return source(handle).size(); }
int mapProc(thandle_t, void**, toff_t*) { return 0; }
void unmapProc(thandle_t, void*, toff_t) {}

// libtiff's English messages stay inside; our own ones say what failed.
int quietError(TIFF*, void*, const char*, const char*, va_list) { return 1; }
int quietWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OptionsGuard {
    TIFFOpenOptions* options;
    ~OptionsGuard() { TIFFOpenOptionsFree(options); }
};

struct TiffGuard {
    TIFF* tif;
    ~TiffGuard() { TIFFClose(tif); }
};

struct RgbaGuard {
    TIFFRGBAImage* image;
    ~RgbaGuard() { TIFFRGBAImageEnd(image); }
};

uint8_t scale16(uint32_t v) { return static_cast<uint8_t>((v * 255 + 32767) / 65535); }

// Straight alpha from associated (premultiplied) colour.
uint8_t divideAlpha(uint32_t c, uint32_t a)
{
    return a == 0 ? 0 : static_cast<uint8_t>(std::min<uint32_t>(255, (c * 255 + a / 2) / a));
}

enum class Mode {
    Indexed,        // 1/2/4/8-bit grey or palette, rows copied as they are
    Grey16,         // 16-bit grey to an 8-bit grey ramp
    Colour,         // 8/16-bit RGB or grey, with or without alpha
    Rgba,           // anything else, through libtiff's RGBA conversion
};

struct Layout {
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, spp = 1, photometric = PHOTOMETRIC_MINISBLACK, planar = PLANARCONFIG_CONTIG;
    Mode mode = Mode::Rgba;
    int colours = 1;       // colour samples per pixel in the Colour mode (1 or 3)
    bool alpha = false;    // sample `colours` is alpha
    bool associated = false;
    bool tiled = false;
    uint32_t tileWidth = 0;
    uint32_t bandRows = 1;   // rows of one strip or one row of tiles
    uint64_t rowBytes = 0;   // bytes of one row of one plane
    int planes = 1;
    int depth = 24;
};

Layout layoutOf(TIFF* tif)
{
    Layout l;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height) ||
        l.width == 0 || l.height == 0)
        throw ETiffError(kBadEntry);
    uint16_t compression = COMPRESSION_NONE, sampleFormat = SAMPLEFORMAT_UINT;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.spp);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric))
        l.photometric = l.spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    if (!TIFFIsCODECConfigured(compression) || l.spp == 0)
        throw ETiffError(kUnsupported);
    // Only what the file states: for RGB with a fourth sample and no tag
    // libtiff invents an unspecified extra sample, where other readers (and
    // ours before) take it for alpha.
    uint16_t extraCount = 0;
    uint16_t* extraTypes = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes))
        extraCount = 0;
    if (extraCount > l.spp || (extraCount > 0 && !extraTypes))
        throw ETiffError(kBadEntry);

    const bool grey = l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE;
    const bool plainSamples = sampleFormat == SAMPLEFORMAT_UINT || sampleFormat == SAMPLEFORMAT_VOID;
    const bool small = l.bits == 1 || l.bits == 2 || l.bits == 4 || l.bits == 8;
    if (plainSamples && l.spp == 1 && (grey || l.photometric == PHOTOMETRIC_PALETTE) && small) {
        l.mode = Mode::Indexed;
        l.depth = l.bits;
    } else if (plainSamples && l.spp == 1 && grey && l.bits == 16) {
        l.mode = Mode::Grey16;
        l.depth = 8;
    } else if (plainSamples && (l.bits == 8 || l.bits == 16) && (grey || (l.photometric == PHOTOMETRIC_RGB && l.spp >= 3))) {
        l.mode = Mode::Colour;
        l.colours = grey ? 1 : 3;
        // The sample after the colours is alpha when ExtraSamples says so,
        // or, as other readers take it, when the tag is missing.
        const int firstExtra = l.spp - extraCount;
        if (l.spp > l.colours) {
            if (extraCount == 0) {
                l.alpha = true;
            } else if (firstExtra == l.colours) {
                l.alpha = extraTypes[0] == EXTRASAMPLE_ASSOCALPHA || extraTypes[0] == EXTRASAMPLE_UNASSALPHA;
                l.associated = extraTypes[0] == EXTRASAMPLE_ASSOCALPHA;
            }
        }
        l.depth = l.alpha ? 32 : 24;
    }

    l.tiled = TIFFIsTiled(tif) != 0;
    if (l.tiled) {
        uint32_t tileLength = 0;
        if (!TIFFGetField(tif, TIFFTAG_TILEWIDTH, &l.tileWidth) || !TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileLength) ||
            l.tileWidth == 0 || tileLength == 0)
            throw ETiffError(kBadEntry);
        l.bandRows = std::min(tileLength, l.height);
    } else {
        uint32_t rowsPerStrip = l.height;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        l.bandRows = std::clamp<uint32_t>(rowsPerStrip, 1, l.height);
    }
    const bool separate = l.planar == PLANARCONFIG_SEPARATE && l.spp > 1;
    l.planes = separate ? l.spp : 1;
    l.rowBytes = (static_cast<uint64_t>(l.width) * l.bits * (separate ? 1 : l.spp) + 7) / 8;
    return l;
}

// Reads the rows [y0, y0 + rows) of every plane into bands[plane].
class BandReader {
public:
    BandReader(TIFF* tif, const Layout& l) : tif_(tif), l_(l), bands_(static_cast<std::size_t>(l.planes))
    {
        for (auto& band : bands_)
            band.resize(static_cast<std::size_t>(l.rowBytes * l.bandRows));
        if (l.tiled) {
            const tmsize_t tileSize = TIFFTileSize(tif);
            tileRowBytes_ = static_cast<uint64_t>(std::max<tmsize_t>(TIFFTileRowSize(tif), 0));
            if (tileSize <= 0 || tileRowBytes_ == 0)
                throw ETiffError(kBadEntry);
            tile_.resize(static_cast<std::size_t>(tileSize));
        }
    }

    const uint8_t* row(int plane, uint32_t r) const { return bands_[plane].data() + r * l_.rowBytes; }

    void read(uint32_t y0, uint32_t rows)
    {
        const std::size_t need = static_cast<std::size_t>(l_.rowBytes * rows);
        for (int p = 0; p < l_.planes; ++p) {
            std::vector<uint8_t>& band = bands_[static_cast<std::size_t>(p)];
            // Missing bytes of a short strip stay black rather than stale.
            std::fill(band.begin(), band.begin() + static_cast<std::ptrdiff_t>(need), 0);
            if (!l_.tiled) {
                const uint32_t strip = TIFFComputeStrip(tif_, y0, static_cast<uint16_t>(p));
                if (TIFFReadEncodedStrip(tif_, strip, band.data(), static_cast<tmsize_t>(need)) < 0)
                    throw ETiffError(kReadError);
                continue;
            }
            const uint64_t bitsPerColumn = static_cast<uint64_t>(l_.bits) * (l_.planes > 1 ? 1 : l_.spp);
            for (uint32_t x0 = 0; x0 < l_.width; x0 += l_.tileWidth) {
                if (x0 * bitsPerColumn % 8 != 0)
                    throw ETiffError(kUnsupported);
                const uint64_t at = x0 * bitsPerColumn / 8;
                const uint32_t tile = TIFFComputeTile(tif_, x0, y0, 0, static_cast<uint16_t>(p));
                if (TIFFReadEncodedTile(tif_, tile, tile_.data(), static_cast<tmsize_t>(tile_.size())) < 0)
                    throw ETiffError(kReadError);
                const std::size_t take = static_cast<std::size_t>(std::min(tileRowBytes_, l_.rowBytes - at));
                for (uint32_t r = 0; r < rows && (r + 1) * tileRowBytes_ <= tile_.size(); ++r)
                    std::memcpy(band.data() + r * l_.rowBytes + at, tile_.data() + r * tileRowBytes_, take);
            }
        }
    }

private:
    TIFF* tif_;
    const Layout& l_;
    std::vector<std::vector<uint8_t>> bands_;
    std::vector<uint8_t> tile_;
    uint64_t tileRowBytes_ = 0;
};

void setPalette(TIFF* tif, const Layout& l, RasterImage& image)
{
    const int n = 1 << std::min(l.depth, 8);
    if (l.photometric == PHOTOMETRIC_PALETTE) {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue)
            throw ETiffError(kBadEntry);
        // Some old writers stored 8-bit entries; then none is above 255.
        bool eightBit = true;
        for (int i = 0; i < n; ++i)
            eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
        const int shift = eightBit ? 0 : 8;
        for (int i = 0; i < n; ++i)
            image.palette()[i] = static_cast<uint32_t>(red[i] >> shift) << 16 |
                                 static_cast<uint32_t>(green[i] >> shift) << 8 | static_cast<uint32_t>(blue[i] >> shift);
        return;
    }
    for (int i = 0; i < n; ++i) {
        uint32_t g = static_cast<uint32_t>(i * 255 / (n - 1));
        if (l.photometric == PHOTOMETRIC_MINISWHITE)
            g = 255 - g;
        image.palette()[i] = g * 0x010101u;
    }
}

void readSamples(TIFF* tif, const Layout& l, RasterImage& image)
{
    BandReader bands(tif, l);
    const bool wide = l.bits == 16;
    const bool separate = l.planes > 1;
    const bool inverted = l.photometric == PHOTOMETRIC_MINISWHITE;
    const uint32_t top = wide ? 65535 : 255;
    const auto sample = [&](uint32_t r, uint32_t x, int c) -> uint32_t {
        const uint8_t* row = bands.row(separate ? c : 0, r);
        const std::size_t i = separate ? x : static_cast<std::size_t>(x) * l.spp + static_cast<std::size_t>(c);
        if (!wide)
            return row[i];
        uint16_t v;
        std::memcpy(&v, row + 2 * i, 2);
        return v;
    };
    const auto eight = [&](uint32_t v) { return wide ? scale16(v) : static_cast<uint8_t>(v); };
    for (uint32_t y0 = 0; y0 < l.height; y0 += l.bandRows) {
        const uint32_t rows = std::min(l.bandRows, l.height - y0);
        bands.read(y0, rows);
        for (uint32_t r = 0; r < rows; ++r) {
            uint8_t* out = image.row(static_cast<int>(y0 + r));
            if (l.mode == Mode::Indexed) {
                std::memcpy(out, bands.row(0, r), static_cast<std::size_t>(l.rowBytes));
            } else if (l.mode == Mode::Grey16) {
                for (uint32_t x = 0; x < l.width; ++x)
                    out[x] = scale16(sample(r, x, 0));
            } else {
                const int bytes = l.depth / 8;
                for (uint32_t x = 0; x < l.width; ++x, out += bytes) {
                    uint32_t c[3] = {};
                    for (int k = 0; k < l.colours; ++k)
                        c[k] = inverted ? top - sample(r, x, k) : sample(r, x, k);
                    if (l.colours == 1)
                        c[1] = c[2] = c[0];
                    uint8_t rgb[3] = {eight(c[0]), eight(c[1]), eight(c[2])};
                    if (l.alpha) {
                        const uint8_t a = eight(sample(r, x, l.colours));
                        if (l.associated)
                            for (uint8_t& v : rgb)
                                v = divideAlpha(v, a);
                        out[3] = a;
                    }
                    out[0] = rgb[2];
                    out[1] = rgb[1];
                    out[2] = rgb[0];
                }
            }
            codec::progress(image, y0 + r + 1, l.height);
        }
    }
}

// libtiff's own conversion for the rarer layouts (CMYK, YCbCr, Lab, odd
// bit depths). It hands back associated alpha, which is divided out again.
void readRgba(TIFF* tif, const Layout& l, RasterImage& image)
{
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tif, message))
        throw ETiffError(kUnsupported);
    TIFFRGBAImage rgba{};
    if (!TIFFRGBAImageBegin(&rgba, tif, 1, message))
        throw ETiffError(kUnsupported);
    const RgbaGuard guard{&rgba};
    // The picture is turned by the caller; libtiff must not flip it.
    rgba.orientation = ORIENTATION_TOPLEFT;
    rgba.req_orientation = ORIENTATION_TOPLEFT;
    const bool alpha = rgba.alpha != 0;
    codec::createImage(image, alpha ? 32 : 24, static_cast<int>(l.width), static_cast<int>(l.height));
    std::vector<uint32_t> raster(static_cast<std::size_t>(l.width) * l.bandRows);
    for (uint32_t y0 = 0; y0 < l.height; y0 += l.bandRows) {
        const uint32_t rows = std::min(l.bandRows, l.height - y0);
        rgba.row_offset = static_cast<int>(y0);
        rgba.col_offset = 0;
        if (!TIFFRGBAImageGet(&rgba, raster.data(), l.width, rows))
            throw ETiffError(kReadError);
        for (uint32_t r = 0; r < rows; ++r) {
            const uint32_t* in = raster.data() + static_cast<std::size_t>(r) * l.width;
            uint8_t* out = image.row(static_cast<int>(y0 + r));
            for (uint32_t x = 0; x < l.width; ++x) {
                const uint32_t p = in[x];
                const uint32_t a = TIFFGetA(p);
                uint8_t* q = out + static_cast<std::size_t>(x) * (alpha ? 4 : 3);
                q[0] = alpha ? divideAlpha(TIFFGetB(p), a) : static_cast<uint8_t>(TIFFGetB(p));
                q[1] = alpha ? divideAlpha(TIFFGetG(p), a) : static_cast<uint8_t>(TIFFGetG(p));
                q[2] = alpha ? divideAlpha(TIFFGetR(p), a) : static_cast<uint8_t>(TIFFGetR(p));
                if (alpha)
                    q[3] = static_cast<uint8_t>(a);
            }
            codec::progress(image, y0 + r + 1, l.height);
        }
    }
}

}  // namespace

void readTiff(ByteReader& in, RasterImage& image, int* orientation)
{
    const OptionsGuard options{TIFFOpenOptionsAlloc()};
    if (!options.options)
        throw EGraphicsMemory();
    // libtiff's own buffers follow the picture limit; its directory tables
    // get a little room on top.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.options, static_cast<tmsize_t>(imageMemoryLimit() + (4u << 20)));
    TIFFOpenOptionsSetErrorHandlerExtR(options.options, quietError, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.options, quietWarning, nullptr);
    // "m": no memory mapping, everything goes through the read procedure.
    const TiffGuard tiff{TIFFClientOpenExt("picture", "rm", &in, readProc, writeProc, seekProc, closeProc, sizeProc,
                                           mapProc, unmapProc, options.options)};
    if (!tiff.tif)
        throw ETiffError(kBadHeader);
    const Layout l = layoutOf(tiff.tif);
    // A band of every plane, a tile and libtiff's RGBA band come on top.
    const uint64_t bands = l.rowBytes * l.bandRows * static_cast<uint64_t>(l.planes);
    const uint64_t tile = l.tiled ? static_cast<uint64_t>(std::max<tmsize_t>(TIFFTileSize(tiff.tif), 0)) : 0;
    codec::checkPictureSize(l.width, l.height, l.depth,
                            bands + tile + static_cast<uint64_t>(l.width) * l.bandRows * 4);
    if (l.mode == Mode::Rgba) {
        readRgba(tiff.tif, l, image);
    } else {
        codec::createImage(image, l.depth, static_cast<int>(l.width), static_cast<int>(l.height));
        if (l.depth <= 8)
            setPalette(tiff.tif, l, image);
        readSamples(tiff.tif, l, image);
    }
    if (orientation) {
        uint16_t value = ORIENTATION_TOPLEFT;
        TIFFGetFieldDefaulted(tiff.tif, TIFFTAG_ORIENTATION, &value);
        *orientation = value;
    }
}

}  // namespace gz
