#include "imaging/image_files.h"

#include <gtest/gtest.h>

#include <cstdio>   // jpeglib.h needs FILE first
#include <jpeglib.h>
#include <jerror.h>
#include <png.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "imaging/codec_common.h"
#include "imaging/format_detect.h"
#include "tests/imaging/image_colours.h"

namespace gz {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(std::string_view s) { return Bytes(s.begin(), s.end()); }

Bytes cat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string tempPath(const std::string& name) { return ::testing::TempDir() + "gz_image_files_" + name; }

void writeFile(const std::string& path, const Bytes& data)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A picture of the given depth with a distinct colour (or index) per pixel.
RasterImage pattern(int bpp, int w, int h)
{
    RasterImage img;
    EXPECT_TRUE(img.create(bpp, w, h, 0u));
    const uint32_t indexMask = bpp <= 8 ? (1u << bpp) - 1 : 0;
    if (bpp <= 8)
        for (int i = 0; i < img.paletteSize(); ++i)
            img.palette()[i] = static_cast<uint32_t>(i * 0x3A1F27u + 0x102030u) & 0xFFFFFF;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t v = static_cast<uint32_t>(x * 37 + y * 101 + x * y * 7);
            if (bpp <= 8)
                img.setPixel(x, y, v & indexMask);
            else
                img.setPixel(x, y, ((v * 2654435761u) & 0xFFFFFF) | (bpp == 32 ? ((x * 50 + y) % 256u) << 24 : 0));
        }
    return img;
}

using testing::coloursOf;

// Starts like a BMP but names JFIF early, so the JPEG test wins.
Bytes bmpWithJfif() { return {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 'J', 'F', 'I', 'F'}; }

// An ISO "ftyp" box: its size, the major brand, a version, the compatible brands.
Bytes ftyp(const char* major, const char* version, std::initializer_list<const char*> compatible)
{
    Bytes b;
    codec::putBe32(b, static_cast<uint32_t>(16 + 4 * compatible.size()));
    for (const char* part : {"ftyp", major, version})
        b.insert(b.end(), part, part + 4);
    for (const char* brand : compatible)
        b.insert(b.end(), brand, brand + 4);
    return b;
}

Bytes riff(const char* form, uint32_t size)
{
    Bytes b = bytesOf("RIFF");
    codec::putLe32(b, size);
    b.insert(b.end(), form, form + 4);
    for (char c : std::string("VP8L"))
        b.push_back(static_cast<uint8_t>(c));
    return b;
}

// --- detection ---------------------------------------------------------------

TEST(ImageFormatDetection, FirstBytesDecideAndLaterTestsWin)
{
    struct Case { const char* what; Bytes head; int format; };
    Bytes bare = {40, 0, 0, 0, 16, 0, 0, 0, 16, 0, 0, 0, 1, 0, 24, 0};
    Bytes ico = {0, 0, 1, 0, 1, 0, 16, 16};
    Bytes icoTooMany = {0, 0, 1, 0, 33, 0, 16, 16};
    Bytes xwd = {0, 0, 0, 100, 0, 0, 0, 7, 0, 0, 0, 2};
    Bytes jpegStart = {0xFF, 0xD8, 0xFF, 0xE1, 0, 0x10};
    Bytes jpegDb = {0xFF, 0xDB, 0x00};
    Bytes jfifLate(64, 'x');
    std::memcpy(&jfifLate[60], "JFIF", 4);
    Bytes jfifTooLate(70, 'x');
    std::memcpy(&jfifTooLate[62], "JFIF", 4);
    const Case cases[] = {
        {"BM", bytesOf("BM\x10\x00"), kImageFormatBmp},
        {"bare info header", bare, kImageFormatBmp},
        {"BM with JFIF inside", bmpWithJfif(), kImageFormatJpeg},
        {"JFIF at the end of the probe", jfifLate, kImageFormatJpeg},
        {"JFIF beyond 64 bytes", jfifTooLate, kImageFormatUnknown},
        {"JPEG start of image", jpegStart, kImageFormatJpeg},
        {"JPEG quantisation table first", jpegDb, kImageFormatJpeg},
        {"GIF87a", bytesOf("GIF87a\x01\x00"), kImageFormatGif},
        {"GIF89a", bytesOf("GIF89a"), kImageFormatGif},
        {"GIF88a is nothing", bytesOf("GIF88a"), kImageFormatUnknown},
        {"PNG", bytesOf("\x89PNG\r\n\x1a\n"), kImageFormatPng},
        {"TIFF little-endian", bytesOf("II*\x00"), kImageFormatTiff},
        {"TIFF big-endian", bytesOf("MM\x00*"), kImageFormatTiff},
        {"XPM comment", bytesOf("/* XPM */\nstatic"), kImageFormatXpm},
        {"XPM by its char array", bytesOf("static char *x[] = {"), kImageFormatXpm},
        {"XWD", xwd, kImageFormatXwd},
        {"PBM", bytesOf("P1\n"), kImageFormatPnm},
        {"PPM", bytesOf("P6 1 1 255 "), kImageFormatPnm},
        {"P7 is nothing", bytesOf("P7 1"), kImageFormatUnknown},
        {"EPS", bytesOf("%!PS-Adobe-3.0 EPSF-3.0"), kImageFormatEps},
        {"TLS", bytesOf("TLSP0001"), kImageFormatTls},
        {"ICO", ico, kImageFormatIco},
        {"ICO with 33 images is nothing", icoTooMany, kImageFormatUnknown},
        {"empty", {}, kImageFormatUnknown},
        {"text", bytesOf("hello world"), kImageFormatUnknown},
        {"PNG signature cut short", bytesOf("\x89PN"), kImageFormatUnknown},
        {"WebP", riff("WEBP", 200), kImageFormatWebp},
        {"RIFF of a sound", riff("WAVE", 200), kImageFormatUnknown},
        {"RIFF cut before its form", bytesOf("RIFF\x10\x00\x00\x00WEB"), kImageFormatUnknown},
        {"HEIC", ftyp("heic", "\0\0\0\0", {"mif1", "heic"}), kImageFormatHeif},
        {"HEIF sequence", ftyp("msf1", "\0\0\0\0", {}), kImageFormatHeif},
        {"HEIF named only among the compatible brands", ftyp("MiHE", "\0\0\0\0", {"MiPr", "miaf", "mif1"}),
         kImageFormatHeif},
        {"AVIF", ftyp("avif", "\0\0\0\0", {"mif1", "miaf"}), kImageFormatAvif},
        {"AVIF behind a general HEIF brand", ftyp("mif1", "\0\0\0\0", {"mif1", "avif"}), kImageFormatAvif},
        {"AVIF sequence", ftyp("avis", "\0\0\0\0", {}), kImageFormatAvif},
        {"MP4 video", ftyp("isom", "\0\0\2\0", {"isom", "mp41"}), kImageFormatUnknown},
        {"a version is no brand", ftyp("isom", "heic", {"mp41"}), kImageFormatUnknown},
        {"brand past the end of the box", cat(ftyp("isom", "\0\0\0\0", {}), bytesOf("heic")), kImageFormatUnknown},
        {"ftyp box too short for a brand", {0, 0, 0, 12, 'f', 't', 'y', 'p', 'h', 'e', 'i', 'c', 0, 0, 0, 0},
         kImageFormatUnknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(detectImageFormat(c.head.data(), c.head.size()), c.format) << c.what;
}

TEST(ImageFormatDetection, CandidatesListTheWinnerFirstThenEarlierMatches)
{
    struct Case { const char* what; Bytes head; std::vector<int> formats; };
    Bytes pngChar = bytesOf("\x89PNG\r\n\x1a\n Richard");
    Bytes xpmJfifJpeg = {0xFF, 0xD8, 'J', 'F', 'I', 'F', ' ', 'X', 'P', 'M'};
    const Case cases[] = {
        {"plain BMP", bytesOf("BM\x10\x00"), {kImageFormatBmp}},
        {"BM with JFIF", bmpWithJfif(), {kImageFormatJpeg, kImageFormatBmp}},
        {"PNG whose text says char", pngChar, {kImageFormatXpm, kImageFormatPng}},
        {"JPEG start bytes counted once", xpmJfifJpeg, {kImageFormatJpeg, kImageFormatXpm}},
        // The container signatures come last and win over the text searches
        // and the loose XWD test that their binary headers also meet.
        {"WebP whose chunk says JFIF", cat(riff("WEBP", 200), bytesOf("JFIF")), {kImageFormatWebp, kImageFormatJpeg}},
        {"WebP of 96 MiB looks like XWD", riff("WEBP", 0x06000000), {kImageFormatWebp, kImageFormatXwd}},
        {"HEIC naming the brand char", ftyp("heic", "\0\0\0\0", {"mif1", "char"}), {kImageFormatHeif, kImageFormatXpm}},
        {"AVIF naming XPM and JFIF", ftyp("avif", "\0\0\0\0", {"XPM ", "JFIF"}),
         {kImageFormatAvif, kImageFormatXpm, kImageFormatJpeg}},
        {"nothing", bytesOf("hello"), {}},
    };
    for (const Case& c : cases) {
        const FormatCandidates found = detectImageFormatCandidates(c.head.data(), c.head.size());
        EXPECT_EQ(std::vector<int>(found.formats, found.formats + found.count), c.formats) << c.what;
    }
}

// The text searches of the detection also hit binary pictures: a BMP whose
// first pixels spell "XPM", a PNG whose comment mentions "Richard". Such
// files are read by the format their signature names.
TEST(ImageFormatDetection, BinaryPictureTakenForTextStillLoads)
{
    RasterImage bmpSource = pattern(24, 5, 3);
    bmpSource.setPixel(0, 2, 0x4D5058);   // bottom row first: bytes 'X' 'P' 'M'
    Bytes bmp;
    ASSERT_EQ(saveImageMemory(kImageFormatBmp, bmpSource, bmp), kImageFileOk);
    ASSERT_EQ(detectImageFormat(bmp.data(), bmp.size()), kImageFormatXpm);

    const RasterImage pngSource = pattern(24, 5, 3);
    Bytes png;
    ASSERT_EQ(saveImageMemory(kImageFormatPng, pngSource, png, "Wer ist Richard Wagner?"), kImageFileOk);
    ASSERT_EQ(detectImageFormat(png.data(), png.size()), kImageFormatXpm);

    struct Case { const char* what; const Bytes& file; const RasterImage& source; const char* comment; };
    const Case cases[] = {
        {"BMP", bmp, bmpSource, ""},
        {"PNG", png, pngSource, "Wer ist Richard Wagner?"},
    };
    for (const Case& c : cases) {
        RasterImage back;
        std::string comment;
        ASSERT_EQ(loadImageMemory(c.file.data(), c.file.size(), back, &comment), kImageFileOk)
            << c.what << imageFileLastError();
        EXPECT_STREQ(imageFileLastError(), "") << c.what;
        EXPECT_EQ(coloursOf(back), coloursOf(c.source)) << c.what;
        EXPECT_EQ(comment, c.comment) << c.what;
    }

    // When no candidate reads the file, the winner's failure is reported.
    const Bytes bmpJfif = bmpWithJfif();
    RasterImage none;
    EXPECT_EQ(loadImageMemory(bmpJfif.data(), bmpJfif.size(), none), kImageFileLibraryError);
    EXPECT_NE(std::string(imageFileLastError()).find("beim Laden der Jpeg Datei"), std::string::npos)
        << imageFileLastError();
    EXPECT_TRUE(none.isEmpty());
}

TEST(ImageFormatDetection, WriterFollowsTheExtensionOnly)
{
    struct Case { const char* name; int format; };
    const Case cases[] = {
        {"Pic.png", kImageFormatPng},     {"Pic.Png", kImageFormatPng},   {"a.b/c.JPG", kImageFormatJpeg},
        {"x.jpeg", kImageFormatJpeg},     {"x.bmp", kImageFormatBmp},     {"x.gif", kImageFormatGif},
        {"x.tif", kImageFormatTiff},      {"x.TIFF", kImageFormatTiff},   {"x.ps", kImageFormatEps},
        {"x.eps", kImageFormatEps},       {"x.prn", kImageFormatEps},     {"x.tlsp", kImageFormatTls},
        {"x.xwd", kImageFormatXwd},       {"x.xpm", kImageFormatXpm},     {"x.pnm", kImageFormatPnm},
        {"noextension", kImageFormatUnknown}, {"dir.v1/file", kImageFormatUnknown}, {"x.png.txt", kImageFormatUnknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(imageFormatForFileName(c.name), c.format) << c.name;
}

// --- PNG -----------------------------------------------------------------

TEST(PngFiles, RoundTripInEveryPixelFormat)
{
    struct Case { int bpp; int backBpp; };
    const Case cases[] = {{1, 1}, {2, 2}, {4, 4}, {8, 8}, {12, 24}, {15, 24}, {16, 24}, {24, 24}, {32, 24}};
    for (const Case& c : cases) {
        const RasterImage src = pattern(c.bpp, 37, 11);
        const std::string path = tempPath("rt.png");
        ASSERT_EQ(saveImageFile(path, src), kImageFileOk) << c.bpp;
        RasterImage back;
        ASSERT_EQ(loadImageFile(path, back), kImageFileOk) << c.bpp << imageFileLastError();
        EXPECT_EQ(back.bitsPerPixel(), c.backBpp) << c.bpp;
        EXPECT_EQ(coloursOf(back), coloursOf(src)) << c.bpp;
        if (c.bpp <= 8) {
            ASSERT_EQ(back.paletteSize(), src.paletteSize());
            EXPECT_TRUE(std::equal(src.palette(), src.palette() + src.paletteSize(), back.palette()));
        }
        std::remove(path.c_str());
    }
}

TEST(PngFiles, AlphaOnlyWithTheWriterOption)
{
    const RasterImage src = pattern(32, 9, 5);
    Bytes file;
    setImageWriterOption(0);
    ASSERT_EQ(saveImageMemory(kImageFormatPng, src, file), kImageFileOk);
    setImageWriterOption(-2);
    RasterImage back;
    ASSERT_EQ(loadImageMemory(file.data(), file.size(), back), kImageFileOk);
    EXPECT_EQ(back.bitsPerPixel(), 32);
    EXPECT_EQ(coloursOf(back, true), coloursOf(src, true));
}

// libpng's simplified reader as an independent reference for what we write.
TEST(PngFiles, WrittenFileDecodesWithLibpngsOwnReader)
{
    const RasterImage src = pattern(24, 31, 7);
    Bytes file;
    ASSERT_EQ(saveImageMemory(kImageFormatPng, src, file), kImageFileOk);
    png_image ref{};
    ref.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&ref, file.data(), file.size()));
    ref.format = PNG_FORMAT_BGR;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(ref));
    ASSERT_TRUE(png_image_finish_read(&ref, nullptr, pixels.data(), 0, nullptr));
    for (int y = 0; y < src.height(); ++y)
        EXPECT_EQ(0, std::memcmp(&pixels[static_cast<std::size_t>(y) * 31 * 3], src.row(y), 31 * 3)) << y;
}

TEST(PngFiles, CommentTravelsAsTextChunk)
{
    const RasterImage src = pattern(8, 4, 4);
    Bytes file;
    ASSERT_EQ(saveImageMemory(kImageFormatPng, src, file, "Welches Tier ist das?"), kImageFileOk);
    const std::string bytes(file.begin(), file.end());
    EXPECT_NE(bytes.find("tEXtComment"), std::string::npos);
    RasterImage back;
    std::string comment = "stale";
    ASSERT_EQ(loadImageMemory(file.data(), file.size(), back, &comment), kImageFileOk);
    EXPECT_EQ(comment, "Welches Tier ist das?");
    ASSERT_EQ(saveImageMemory(kImageFormatPng, src, file), kImageFileOk);
    ASSERT_EQ(loadImageMemory(file.data(), file.size(), back, &comment), kImageFileOk);
    EXPECT_EQ(comment, "");
}

// A palette PNG made by libpng whose entry 1 is fully transparent.
Bytes paletteWithTransparency(bool useTransparentEntry)
{
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = 4;
    img.height = 2;
    img.format = PNG_FORMAT_RGBA_COLORMAP;
    img.colormap_entries = 3;
    const uint8_t colormap[] = {255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 255};
    uint8_t pixels[8] = {0, 2, 0, 2, 2, 0, 2, 0};
    if (useTransparentEntry)
        pixels[5] = 1;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&img, nullptr, &size, 0, pixels, 0, colormap));
    Bytes out(size);
    EXPECT_TRUE(png_image_write_to_memory(&img, out.data(), &size, 0, pixels, 0, colormap));
    out.resize(size);
    return out;
}

TEST(PngFiles, PaletteTransparencyBecomesAlphaOnlyWhenUsed)
{
    RasterImage unused;
    const Bytes a = paletteWithTransparency(false);
    ASSERT_EQ(loadImageMemory(a.data(), a.size(), unused), kImageFileOk) << imageFileLastError();
    EXPECT_LE(unused.bitsPerPixel(), 8);
    EXPECT_EQ(unused.colourAt(0, 0), 0xFF0000u);
    EXPECT_EQ(unused.colourAt(1, 0), 0x0000FFu);

    RasterImage used;
    const Bytes b = paletteWithTransparency(true);
    ASSERT_EQ(loadImageMemory(b.data(), b.size(), used), kImageFileOk) << imageFileLastError();
    EXPECT_EQ(used.bitsPerPixel(), 32);
    EXPECT_EQ(used.colourAt(1, 1) >> 24, 0u);
    EXPECT_EQ(used.colourAt(0, 1), 0xFF0000FFu);
}

TEST(PngFiles, GreyFilesBecomeIndexedGrey)
{
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = 3;
    img.height = 1;
    img.format = PNG_FORMAT_GRAY;
    const uint8_t pixels[] = {0, 128, 255};
    png_alloc_size_t size = 64 * 1024;
    Bytes out(size);
    ASSERT_TRUE(png_image_write_to_memory(&img, out.data(), &size, 0, pixels, 0, nullptr));
    RasterImage back;
    ASSERT_EQ(loadImageMemory(out.data(), size, back), kImageFileOk);
    EXPECT_EQ(back.bitsPerPixel(), 8);
    EXPECT_EQ(coloursOf(back), (std::vector<uint32_t>{0x000000, 0x808080, 0xFFFFFF}));
}

TEST(PngFiles, NameExtensionDoesNotMatterForLoading)
{
    const RasterImage src = pattern(24, 5, 5);
    const std::string path = tempPath("really_a_png.JPG");
    ASSERT_EQ(saveImageFile(tempPath("x.png"), src), kImageFileOk);
    writeFile(path, readFile(tempPath("x.png")));
    RasterImage back;
    EXPECT_EQ(loadImageFile(path, back), kImageFileOk);
    EXPECT_EQ(coloursOf(back), coloursOf(src));
    std::remove(path.c_str());
    std::remove(tempPath("x.png").c_str());
}

// A smooth picture with edges, so that every row filter has something to
// choose: a gradient, two blocks and a diagonal line.
RasterImage drawnForPinning()
{
    RasterImage img;
    EXPECT_TRUE(img.create(24, 96, 64, 0u));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 96; ++x)
            img.setPixel(x, y, static_cast<uint32_t>((x * 2) << 16 | (y * 3) << 8 | ((x + y) & 0xFF)));
    img.fillRect(10, 8, 30, 20, 0x2A9D8F);
    img.fillRect(50, 30, 40, 30, 0xF4A261);
    const RasterPoint line[2] = {{0, 63}, {95, 0}};
    img.fillPolygon(line, 2, 0x111111);
    return img;
}

// Other callers rely on saveImageFile's PNG files as they are: libpng's
// default compression and filters. Size and CRC-32 of the whole file (as
// written before the game library got its faster setting) pin the bytes, so
// that setting cannot leak into the ordinary writer.
TEST(PngFiles, OrdinaryOutputKeepsItsBytes)
{
    struct Case {
        const char* what;
        RasterImage picture;
        std::optional<std::string_view> comment;
        std::size_t size;
        uint32_t crc;
    };
    Case cases[] = {
        {"drawn 24 bits", drawnForPinning(), std::nullopt, 990, 1228336273u},
        {"palette with comment", pattern(8, 33, 9), "Wer malte das?", 1188, 3084557839u},
        {"photo-like noise", pattern(24, 40, 30), std::nullopt, 2520, 2769505437u},
    };
    for (const Case& c : cases) {
        Bytes file;
        ASSERT_EQ(saveImageMemory(kImageFormatPng, c.picture, file, c.comment), kImageFileOk) << c.what;
        const std::string path = tempPath("pinned.png");
        ASSERT_EQ(saveImageFile(path, c.picture, c.comment), kImageFileOk) << c.what;
        EXPECT_EQ(readFile(path), file) << c.what;
        std::remove(path.c_str());
        EXPECT_EQ(file.size(), c.size) << c.what;
        EXPECT_EQ(crc32(0, file.data(), static_cast<uInt>(file.size())), c.crc) << c.what;
    }
}

// --- JPEG ----------------------------------------------------------------

// A JPEG written by libjpeg directly, in the given colour space.
Bytes libjpegFile(int w, int h, int components, J_COLOR_SPACE space, const std::vector<uint8_t>& samples)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = components;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    jpeg_start_compress(&c, TRUE);
    for (int y = 0; y < h; ++y) {
        JSAMPROW row = const_cast<JSAMPROW>(&samples[static_cast<std::size_t>(y) * w * components]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes out(mem, mem + size);
    free(mem);
    return out;
}

int maxChannelDifference(uint32_t a, uint32_t b)
{
    int d = 0;
    for (int s = 0; s < 24; s += 8)
        d = std::max(d, std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)));
    return d;
}

TEST(JpegFiles, OwnFileDecodesCloseToTheOriginal)
{
    RasterImage src;
    ASSERT_TRUE(src.create(24, 48, 32, 0u));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x)
            src.setPixel(x, y, static_cast<uint32_t>((x * 5) << 16 | (y * 7) << 8 | (200 - x - y)));
    Bytes file;
    ASSERT_EQ(saveImageMemory(kImageFormatJpeg, src, file, "Antwort"), kImageFileOk);
    RasterImage back;
    std::string comment;
    ASSERT_EQ(loadImageMemory(file.data(), file.size(), back, &comment), kImageFileOk) << imageFileLastError();
    EXPECT_EQ(comment, "Antwort");
    ASSERT_EQ(back.bitsPerPixel(), 24);
    ASSERT_EQ(back.width(), 48);
    ASSERT_EQ(back.height(), 32);
    int worst = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x)
            worst = std::max(worst, maxChannelDifference(back.colourAt(x, y), src.colourAt(x, y)));
    EXPECT_LE(worst, 12);
}

TEST(JpegFiles, ColourSpacesOfOtherWriters)
{
    struct Case { const char* what; int components; J_COLOR_SPACE space; std::vector<uint8_t> sample; uint32_t rgb; };
    const Case cases[] = {
        {"greyscale", 1, JCS_GRAYSCALE, {90}, 0x5A5A5A},
        {"RGB", 3, JCS_RGB, {200, 100, 50}, 0xC86432},
        {"inverted CMYK", 4, JCS_CMYK, {255, 128, 0, 255}, 0xFF8000},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> samples;
        for (int i = 0; i < 16 * 16; ++i)
            samples.insert(samples.end(), c.sample.begin(), c.sample.end());
        const Bytes file = libjpegFile(16, 16, c.components, c.space, samples);
        RasterImage back;
        ASSERT_EQ(loadImageMemory(file.data(), file.size(), back), kImageFileOk) << c.what;
        EXPECT_EQ(back.bitsPerPixel(), 24) << c.what;
        EXPECT_LE(maxChannelDifference(back.colourAt(7, 7), c.rgb), 3) << c.what << std::hex << back.colourAt(7, 7);
        if (c.components == 1) {
            const uint32_t v = back.colourAt(3, 3);
            EXPECT_TRUE((v & 0xFF) == (v >> 8 & 0xFF) && (v & 0xFF) == (v >> 16 & 0xFF)) << std::hex << v;
        }
    }
}

TEST(JpegFiles, TruncatedFileStillGivesAPictureAndGarbageGivesAnError)
{
    const RasterImage src = pattern(24, 64, 64);
    Bytes file;
    ASSERT_EQ(saveImageMemory(kImageFormatJpeg, src, file), kImageFileOk);
    Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() / 2));
    RasterImage back;
    EXPECT_EQ(loadImageMemory(cut.data(), cut.size(), back), kImageFileOk);
    EXPECT_EQ(back.width(), 64);

    Bytes garbage = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 0x12, 0x34};
    RasterImage none;
    EXPECT_EQ(loadImageMemory(garbage.data(), garbage.size(), none), kImageFileLibraryError);
    EXPECT_NE(std::string(imageFileLastError()).find("beim Laden der Jpeg Datei"), std::string::npos)
        << imageFileLastError();
}

// --- BMP, PNM ------------------------------------------------------------

TEST(BmpFiles, RoundTripKeepsPaletteDepthsAndConvertsTheRest)
{
    struct Case { int bpp; int option; int backBpp; };
    const Case cases[] = {{1, -2, 1}, {4, -2, 4}, {8, -2, 8}, {24, -2, 24}, {32, -2, 24}, {32, 0, 32},
                          {32, -1, 24}, {15, -2, 24}, {16, -2, 24}, {2, -2, 24}};
    for (const Case& c : cases) {
        const RasterImage src = pattern(c.bpp, 13, 6);
        Bytes file;
        setImageWriterOption(c.option);
        ASSERT_EQ(saveImageMemory(kImageFormatBmp, src, file), kImageFileOk);
        setImageWriterOption(-2);
        RasterImage back;
        ASSERT_EQ(loadImageMemory(file.data(), file.size(), back), kImageFileOk) << c.bpp << imageFileLastError();
        EXPECT_EQ(back.bitsPerPixel(), c.backBpp) << c.bpp;
        EXPECT_EQ(coloursOf(back, c.backBpp == 32), coloursOf(src, c.backBpp == 32)) << c.bpp;
    }
}

Bytes bmpHeader(int32_t w, int32_t h, int bpp, uint32_t compression, uint32_t dataSize, int paletteEntries)
{
    Bytes b = {'B', 'M'};
    const uint32_t offset = 14 + 40 + 4 * paletteEntries;
    codec::putLe32(b, offset + dataSize);
    codec::putLe32(b, 0);
    codec::putLe32(b, offset);
    codec::putLe32(b, 40);
    codec::putLe32(b, static_cast<uint32_t>(w));
    codec::putLe32(b, static_cast<uint32_t>(h));
    codec::putLe16(b, 1);
    codec::putLe16(b, static_cast<uint32_t>(bpp));
    codec::putLe32(b, compression);
    codec::putLe32(b, dataSize);
    codec::putLe32(b, 0);
    codec::putLe32(b, 0);
    codec::putLe32(b, static_cast<uint32_t>(paletteEntries));
    codec::putLe32(b, 0);
    return b;
}

TEST(BmpFiles, TopDownRleAndBitFieldFiles)
{
    // Top-down 24-bit, 1 x 2: first stored row is the top.
    Bytes topDown = bmpHeader(1, -2, 24, 0, 8, 0);
    for (uint8_t v : {0x01, 0x02, 0x03, 0x00, 0x0A, 0x0B, 0x0C, 0x00})
        topDown.push_back(v);
    RasterImage a;
    ASSERT_EQ(loadImageMemory(topDown.data(), topDown.size(), a), kImageFileOk) << imageFileLastError();
    EXPECT_EQ(coloursOf(a), (std::vector<uint32_t>{0x030201, 0x0C0B0A}));

    // RLE8, 4 x 2, bottom row first: run of 4 x index 1; then absolute 3 pixels 2,0,2 + one run.
    Bytes rle = bmpHeader(4, 2, 8, 1, 0, 3);
    for (uint32_t c : {0x000000u, 0xFF0000u, 0x00FF00u})
        codec::putLe32(rle, c);
    for (uint8_t v : {4, 1, 0, 0, 0, 3, 2, 0, 2, 0, 1, 1, 0, 1})
        rle.push_back(v);
    RasterImage r;
    ASSERT_EQ(loadImageMemory(rle.data(), rle.size(), r), kImageFileOk) << imageFileLastError();
    EXPECT_EQ(r.bitsPerPixel(), 8);
    EXPECT_EQ(coloursOf(r), (std::vector<uint32_t>{0x00FF00, 0x000000, 0x00FF00, 0xFF0000, 0xFF0000, 0xFF0000,
                                                   0xFF0000, 0xFF0000}));

    // 16-bit 5-6-5 bit fields, 1 x 1, pure green.
    Bytes fields = bmpHeader(1, 1, 16, 3, 4, 0);
    for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu})
        codec::putLe32(fields, m);
    for (uint8_t v : {0xE0, 0x07, 0, 0})
        fields.push_back(v);
    // The masks sit between header and pixels.
    fields[10] = 14 + 40 + 12;
    RasterImage f;
    ASSERT_EQ(loadImageMemory(fields.data(), fields.size(), f), kImageFileOk) << imageFileLastError();
    EXPECT_EQ(f.bitsPerPixel(), 16);
    EXPECT_EQ(f.colourAt(0, 0), 0x00FF00u);
}

TEST(PnmFiles, WriterHeadersAndRoundTrip)
{
    const RasterImage colour = pattern(24, 3, 2);
    Bytes file;
    ASSERT_EQ(saveImageMemory(kImageFormatPnm, colour, file), kImageFileOk);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 11), "P6 3 2 255 ");
    RasterImage back;
    ASSERT_EQ(loadImageMemory(file.data(), file.size(), back), kImageFileOk);
    EXPECT_EQ(coloursOf(back), coloursOf(colour));

    RasterImage bits;
    ASSERT_TRUE(bits.create(1, 10, 2, 0u));
    bits.setPixel(0, 0, 1);   // white in the default palette
    bits.setPixel(9, 1, 1);
    ASSERT_EQ(saveImageMemory(kImageFormatPnm, bits, file), kImageFileOk);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 8), "P4 10 2 ");
    EXPECT_EQ(file.size(), 8u + 2 * 2);
    ASSERT_EQ(loadImageMemory(file.data(), file.size(), back), kImageFileOk);
    EXPECT_EQ(coloursOf(back), coloursOf(bits));
}

TEST(PnmFiles, PlainFormsAndComments)
{
    struct Case { const char* what; std::string text; int bpp; std::vector<uint32_t> colours; int result; };
    const Case cases[] = {
        {"plain bitmap without blanks", "P1\n# c\n3 1\n101", 1, {0x000000, 0xFFFFFF, 0x000000}, 0},
        {"plain greymap with maxval 4", "P2 2 1 4\n0 4", 8, {0x000000, 0xFFFFFF}, 0},
        {"plain pixmap", "P3\n1 1\n255\n# red\n255 0 0\n", 24, {0xFF0000}, 0},
        {"raw greymap 16-bit", std::string("P5 1 1 65535\n\xFF\xFF", 15), 8, {0xFFFFFF}, 0},
        {"sample beyond maxval is clamped", "P2 1 1 10 99", 8, {0xFFFFFF}, 0},
        {"missing pixels", "P3 2 2 255 1 2 3", 0, {}, kImageFileLibraryError},
        {"negative size", "P6 -1 1 255 ", 0, {}, kImageFileLibraryError},
        {"zero maxval", "P5 1 1 0 x", 0, {}, kImageFileLibraryError},
    };
    for (const Case& c : cases) {
        RasterImage img;
        const Bytes b = bytesOf(c.text);
        EXPECT_EQ(loadImageMemory(b.data(), b.size(), img), c.result) << c.what << imageFileLastError();
        if (c.result == 0) {
            EXPECT_EQ(img.bitsPerPixel(), c.bpp) << c.what;
            EXPECT_EQ(coloursOf(img), c.colours) << c.what;
        }
    }
}

// --- GIF -------------------------------------------------------------------

// A real LZW compressor (dictionary of strings), independent of the decoder.
Bytes gifFile(int w, int h, const std::vector<uint8_t>& indexes, const std::vector<uint32_t>& palette, bool interlace)
{
    Bytes b = bytesOf("GIF89a");
    codec::putLe16(b, static_cast<uint32_t>(w));
    codec::putLe16(b, static_cast<uint32_t>(h));
    b.push_back(0xF7);   // global table of 256 entries
    b.push_back(0);
    b.push_back(0);
    for (int i = 0; i < 256; ++i) {
        const uint32_t c = i < static_cast<int>(palette.size()) ? palette[i] : 0;
        b.push_back(static_cast<uint8_t>(c >> 16));
        b.push_back(static_cast<uint8_t>(c >> 8));
        b.push_back(static_cast<uint8_t>(c));
    }
    for (uint8_t v : Bytes{0x21, 0xFE, 5, 'h', 'a', 'l', 'l', 'o', 0})
        b.push_back(v);
    b.push_back(0x2C);
    codec::putLe16(b, 0);
    codec::putLe16(b, 0);
    codec::putLe16(b, static_cast<uint32_t>(w));
    codec::putLe16(b, static_cast<uint32_t>(h));
    b.push_back(interlace ? 0x40 : 0);
    b.push_back(8);

    std::vector<uint8_t> order;   // rows in stream order
    if (interlace) {
        for (int pass : {0, 1, 2, 3}) {
            const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
            for (int y = start[pass]; y < h; y += step[pass])
                order.insert(order.end(), indexes.begin() + y * w, indexes.begin() + (y + 1) * w);
        }
    } else {
        order = indexes;
    }
    Bytes codes;
    uint32_t acc = 0;
    int bits = 0, size = 9;
    const auto put = [&](int code) {
        acc |= static_cast<uint32_t>(code) << bits;
        bits += size;
        while (bits >= 8) {
            codes.push_back(static_cast<uint8_t>(acc));
            acc >>= 8;
            bits -= 8;
        }
    };
    std::map<std::vector<uint8_t>, int> dict;
    const auto reset = [&] {
        dict.clear();
        for (int i = 0; i < 256; ++i)
            dict[{static_cast<uint8_t>(i)}] = i;
    };
    reset();
    int next = 258;
    put(256);
    std::vector<uint8_t> cur;
    for (uint8_t p : order) {
        std::vector<uint8_t> ext = cur;
        ext.push_back(p);
        if (dict.count(ext)) {
            cur = ext;
            continue;
        }
        put(dict[cur]);
        if (next < 4096) {
            dict[ext] = next++;
            if (next > (1 << size) && size < 12)
                ++size;
        } else {
            put(256);
            reset();
            next = 258;
            size = 9;
        }
        cur = {p};
    }
    put(dict[cur]);
    put(257);
    if (bits > 0)
        codes.push_back(static_cast<uint8_t>(acc));
    for (std::size_t i = 0; i < codes.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, codes.size() - i);
        b.push_back(static_cast<uint8_t>(n));
        b.insert(b.end(), codes.begin() + static_cast<std::ptrdiff_t>(i), codes.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    b.push_back(0);
    b.push_back(0x3B);
    return b;
}

TEST(GifFiles, DecodesRealLzwStreamsPlainAndInterlaced)
{
    const int w = 61, h = 29;
    std::vector<uint8_t> idx(static_cast<std::size_t>(w) * h);
    for (int i = 0; i < w * h; ++i)
        idx[i] = static_cast<uint8_t>((i / 7) % 3 == 0 ? 5 : (i * i) % 251);   // runs and noise
    std::vector<uint32_t> pal(256);
    for (int i = 0; i < 256; ++i)
        pal[i] = static_cast<uint32_t>(i * 0x010203);
    for (bool interlace : {false, true}) {
        const Bytes file = gifFile(w, h, idx, pal, interlace);
        RasterImage img;
        std::string comment;
        ASSERT_EQ(loadImageMemory(file.data(), file.size(), img, &comment), kImageFileOk) << imageFileLastError();
        EXPECT_EQ(comment, "hallo");
        ASSERT_EQ(img.bitsPerPixel(), 8);
        std::vector<uint8_t> got;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                got.push_back(static_cast<uint8_t>(img.pixel(x, y)));
        EXPECT_EQ(got, idx) << interlace;
        EXPECT_EQ(img.palette()[7], pal[7]);
    }
}

// --- TIFF, ICO -------------------------------------------------------------

struct TiffEntry { uint16_t tag, type; uint32_t count, value; };

Bytes tiffFile(bool big, const std::vector<TiffEntry>& entries, const Bytes& tail)
{
    Bytes b;
    const auto u16 = [&](uint32_t v) {
        if (big) { b.push_back(static_cast<uint8_t>(v >> 8)); b.push_back(static_cast<uint8_t>(v)); }
        else codec::putLe16(b, v);
    };
    const auto u32 = [&](uint32_t v) {
        if (big) codec::putBe32(b, v);
        else codec::putLe32(b, v);
    };
    b.push_back(big ? 'M' : 'I');
    b.push_back(big ? 'M' : 'I');
    u16(42);
    u32(8);
    u16(static_cast<uint32_t>(entries.size()));
    for (const TiffEntry& e : entries) {
        u16(e.tag);
        u16(e.type);
        u32(e.count);
        if (e.type == 3 && e.count == 1) { u16(e.value); u16(0); }
        else u32(e.value);
    }
    u32(0);
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
}

TEST(TiffFiles, BaselineStripsUncompressedAndPackBits)
{
    // Data starts after the header (8), the count (2), n entries and the next offset (4).
    const auto dataAt = [](std::size_t n) { return static_cast<uint32_t>(8 + 2 + 12 * n + 4); };
    const Bytes rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};
    const Bytes little = tiffFile(false,
                                  {{256, 3, 1, 2}, {257, 3, 1, 2}, {258, 3, 1, 8}, {259, 3, 1, 1}, {262, 3, 1, 2},
                                   {273, 4, 1, dataAt(9)}, {277, 3, 1, 3}, {278, 3, 1, 2}, {279, 4, 1, 12}},
                                  rgb);
    RasterImage a;
    ASSERT_EQ(loadImageMemory(little.data(), little.size(), a), kImageFileOk) << imageFileLastError();
    EXPECT_EQ(a.bitsPerPixel(), 24);
    EXPECT_EQ(coloursOf(a), (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0x090909}));

    // Big-endian 8-bit grey, 4 x 1, PackBits: a run of 3 x 0x80 and one literal 0xFF.
    const Bytes packed = {0xFE, 0x80, 0x00, 0xFF};
    const Bytes bigEndian = tiffFile(true,
                                     {{256, 3, 1, 4}, {257, 3, 1, 1}, {258, 3, 1, 8}, {259, 3, 1, 32773},
                                      {262, 3, 1, 1}, {273, 4, 1, dataAt(7)}, {279, 4, 1, 4}},
                                     packed);
    RasterImage b;
    ASSERT_EQ(loadImageMemory(bigEndian.data(), bigEndian.size(), b), kImageFileOk) << imageFileLastError();
    EXPECT_EQ(b.bitsPerPixel(), 8);
    EXPECT_EQ(coloursOf(b), (std::vector<uint32_t>{0x808080, 0x808080, 0x808080, 0xFFFFFF}));

    // A compression no TIFF library knows.
    const Bytes unknown =
        tiffFile(false, {{256, 3, 1, 1}, {257, 3, 1, 1}, {259, 3, 1, 40000}, {273, 4, 1, 0}, {279, 4, 1, 1}}, {0});
    RasterImage c;
    EXPECT_EQ(loadImageMemory(unknown.data(), unknown.size(), c), kImageFileLibraryError);
    EXPECT_STREQ(imageFileLastError(), "Modus ist nicht unterstützt");
}

TEST(IcoFiles, LargestEntryWithMaskOrAlpha)
{
    // Two entries: a 1 x 1 8-bit one and a 2 x 2 24-bit one with an AND mask.
    Bytes dib;
    codec::putLe32(dib, 40);
    codec::putLe32(dib, 2);
    codec::putLe32(dib, 4);   // twice the height
    codec::putLe16(dib, 1);
    codec::putLe16(dib, 24);
    for (int i = 0; i < 6; ++i)
        codec::putLe32(dib, 0);
    // XOR rows, bottom first, 8 bytes each (6 + padding)
    for (uint8_t v : {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0})
        dib.push_back(v);
    // AND rows, bottom first: top-left pixel (top row, bit 7) transparent
    for (uint8_t v : {0, 0, 0, 0, 0x80, 0, 0, 0})
        dib.push_back(v);

    Bytes ico = {0, 0, 1, 0, 2, 0};
    const uint32_t first = 6 + 32;
    const Bytes small = {1, 1, 0, 0, 1, 0, 8, 0};
    ico.insert(ico.end(), small.begin(), small.end());
    codec::putLe32(ico, 8);
    codec::putLe32(ico, first);
    for (uint8_t v : {2, 2, 0, 0, 1, 0, 24, 0})
        ico.push_back(v);
    codec::putLe32(ico, static_cast<uint32_t>(dib.size()));
    codec::putLe32(ico, first + 8);
    for (int i = 0; i < 8; ++i)
        ico.push_back(0);
    ico.insert(ico.end(), dib.begin(), dib.end());

    RasterImage img;
    ASSERT_EQ(loadImageMemory(ico.data(), ico.size(), img), kImageFileOk) << imageFileLastError();
    ASSERT_EQ(img.bitsPerPixel(), 32);
    EXPECT_EQ(coloursOf(img, true), (std::vector<uint32_t>{0x000000FF, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00}));
}

// Writers of the other formats, read back by our own readers.
TEST(OtherFormats, WriteAndReadBack)
{
    struct Case { int format; int bpp; int backBpp; };
    const Case cases[] = {
        {kImageFormatTiff, 1, 1},  {kImageFormatTiff, 4, 4},  {kImageFormatTiff, 8, 8}, {kImageFormatTiff, 24, 24},
        {kImageFormatTiff, 16, 24}, {kImageFormatXwd, 24, 24}, {kImageFormatXwd, 8, 24}, {kImageFormatXwd, 32, 24},
        {kImageFormatGif, 1, 8},   {kImageFormatGif, 4, 8},   {kImageFormatGif, 8, 8},
        {kImageFormatXpm, 8, 8},   {kImageFormatXpm, 24, 8},   {kImageFormatXpm, 1, 8},
    };
    for (const Case& c : cases) {
        const RasterImage src = pattern(c.bpp, 23, 9);
        Bytes file;
        ASSERT_EQ(saveImageMemory(c.format, src, file), kImageFileOk) << c.format << " " << c.bpp;
        RasterImage back;
        ASSERT_EQ(loadImageMemory(file.data(), file.size(), back), kImageFileOk)
            << c.format << " " << c.bpp << " " << imageFileLastError();
        EXPECT_EQ(back.bitsPerPixel(), c.backBpp) << c.format << " " << c.bpp;
        EXPECT_EQ(coloursOf(back), coloursOf(src)) << c.format << " " << c.bpp;
    }
    // Deep pictures go through the colour cube; colours on the cube survive.
    RasterImage cube;
    ASSERT_TRUE(cube.create(24, 216, 300, 0u));
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 216; ++x) {
            const int k = (x + y / 50) % 216;
            cube.setPixel(x, y, static_cast<uint32_t>((20 + 43 * (k / 36)) << 16 | (20 + 43 * (k / 6 % 6)) << 8 | (20 + 43 * (k % 6))));
        }
    Bytes gif;
    ASSERT_EQ(saveImageMemory(kImageFormatGif, cube, gif, "Frage 7"), kImageFileOk);
    RasterImage cubeBack;
    std::string gifComment;
    ASSERT_EQ(loadImageMemory(gif.data(), gif.size(), cubeBack, &gifComment), kImageFileOk) << imageFileLastError();
    EXPECT_EQ(gifComment, "Frage 7");
    EXPECT_EQ(coloursOf(cubeBack), coloursOf(cube));

    // More than 256 colours need a direct-colour picture.
    const RasterImage many = pattern(24, 40, 20);
    Bytes big;
    ASSERT_EQ(saveImageMemory(kImageFormatXpm, many, big), kImageFileOk);
    RasterImage manyBack;
    ASSERT_EQ(loadImageMemory(big.data(), big.size(), manyBack), kImageFileOk) << imageFileLastError();
    EXPECT_EQ(manyBack.bitsPerPixel(), 24);
    EXPECT_EQ(coloursOf(manyBack), coloursOf(many));
    // EPS carries the picture as hex data of the colorimage operator.
    const RasterImage small = pattern(24, 2, 1);
    Bytes eps;
    ASSERT_EQ(saveImageMemory(kImageFormatEps, small, eps), kImageFileOk);
    const std::string epsText(eps.begin(), eps.end());
    EXPECT_EQ(epsText.rfind("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 2 1\n", 0), 0u);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%06x%06x", small.colourAt(0, 0) & 0xFFFFFF, small.colourAt(1, 0) & 0xFFFFFF);
    EXPECT_NE(epsText.find(std::string("false 3 colorimage\n") + hex + "\n"), std::string::npos) << epsText;
    const RasterImage one = pattern(24, 2, 2);
    Bytes file;
    ASSERT_EQ(saveImageMemory(kImageFormatXpm, one, file), kImageFileOk);
    EXPECT_NE(std::string(file.begin(), file.end()).find("static char *unkown_xpm[] = {"), std::string::npos);
}

TEST(OtherFormats, HandWrittenXpmWithTransparency)
{
    const Bytes xpm = bytesOf("/* XPM */\nstatic char * icon_xpm[] = {\n/* w h n cpp */\n\"3 2 3 2\",\n"
                              "\"..\tc None\",\n\"#a c #F00 m black\",\n\"bb c Blue\",\n"
                              "\"..#abb\",\n\"bb#a..\"};\n");
    RasterImage img;
    ASSERT_EQ(loadImageMemory(xpm.data(), xpm.size(), img), kImageFileOk) << imageFileLastError();
    ASSERT_EQ(img.bitsPerPixel(), 32);
    EXPECT_EQ(coloursOf(img, true),
              (std::vector<uint32_t>{0x00000000, 0xFFFF0000, 0xFF0000FF, 0xFF0000FF, 0xFFFF0000, 0x00000000}));
}

// --- failures ----------------------------------------------------------------

TEST(ImageFileErrors, ResultCodesAndMessages)
{
    struct Case { const char* what; Bytes data; int result; const char* message; };
    // Signature and header of an RGBA picture of the given size; an IDAT
    // header ends what the reader looks at before it sizes the picture.
    const auto pngOfSize = [](uint32_t w, uint32_t h) {
        Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
        codec::putBe32(png, w);
        codec::putBe32(png, h);
        for (uint8_t v : {8, 6, 0, 0, 0})
            png.push_back(v);
        codec::putBe32(png, static_cast<uint32_t>(crc32(0, png.data() + 12, 17)));
        for (uint8_t v : Bytes{0, 0, 0, 2, 'I', 'D', 'A', 'T', 0x78, 0x9C, 0, 0, 0, 0})
            png.push_back(v);
        return png;
    };
    const Bytes pngHuge = pngOfSize(30000, 30000);
    Bytes pngCut = pngHuge;
    pngCut.resize(20);
    Bytes bmpHuge = bmpHeader(30000, 30000, 24, 0, 0, 0);
    Bytes bmpShort = bmpHeader(100, 100, 24, 0, 0, 0);
    bmpShort.resize(bmpShort.size() + 50);
    Bytes bmpBadDepth = bmpHeader(2, 2, 7, 0, 16, 0);
    bmpBadDepth.resize(bmpBadDepth.size() + 16);
    const Case cases[] = {
        {"empty file", {}, kImageFileUnknownFormat, "Unbekanntes Datei Format."},
        {"unknown bytes", bytesOf("hello"), kImageFileUnknownFormat, "Unbekanntes Datei Format."},
        {"PNG larger than the memory limit", pngHuge, kImageFilePicSize, "Das Bild ist zu groß"},
        {"PNG 32769 pixels wide", pngOfSize(32769, 1), kImageFilePicSize, "Das Bild ist zu groß"},
        {"PNG 32769 pixels high", pngOfSize(1, 32769), kImageFilePicSize, "Das Bild ist zu groß"},
        {"PNG 100000 x 100000", pngOfSize(100000, 100000), kImageFilePicSize, "Das Bild ist zu groß"},
        {"PNG of the largest size a file can state", pngOfSize(0x7FFFFFFF, 0x7FFFFFFF), kImageFilePicSize,
         "Das Bild ist zu groß"},
        {"PNG cut inside the header", pngCut, kImageFileLibraryError, "Fehler beim Lesen"},
        {"BMP larger than its data", bmpShort, kImageFileLibraryError, "Fehler beim Lesen der BMP-Datei !"},
        {"BMP 30000 x 30000 without data", bmpHuge, kImageFileLibraryError, "Fehler beim Lesen der BMP-Datei !"},
        {"BMP with 7 bits", bmpBadDepth, kImageFileLibraryError, "Das Format der BMP-Datei wird nicht unterstützt !"},
        {"GIF without images", bytesOf(std::string("GIF89a\1\0\1\0\0\0\0;", 14)), kImageFileLibraryError,
         "No more images in the GIF stream"},
        {"XWD cut inside the header", {0, 0, 0, 100, 0, 0, 0, 7}, kImageFileLibraryError,
         "Fehler beim Lesen der XWD-Datei !"},
        {"EPS without an image operator", bytesOf("%!PS-Adobe-3.0"), kImageFileLibraryError,
         "Das Format der EPS-Datei wird nicht unterstützt !"},
        {"XPM colour key missing", bytesOf("/* XPM */ \"1 1 1 1\", \"a\", \"a\""), kImageFileLibraryError,
         "Nicht unterstütztes Farbformat"},
        {"icon directory without entries", {0, 0, 1, 0, 0, 0, 0, 0}, kImageFileUnknownFormat,
         "Unbekanntes Datei Format."},
    };
    setImageMemoryLimit(256u << 20);
    for (const Case& c : cases) {
        RasterImage img;
        EXPECT_EQ(loadImageMemory(c.data.data(), c.data.size(), img), c.result) << c.what;
        EXPECT_STREQ(imageFileLastError(), c.message) << c.what;
        EXPECT_TRUE(img.isEmpty()) << c.what;
    }
    setImageMemoryLimit(std::size_t{1} << 30);

    RasterImage img;
    EXPECT_EQ(loadImageFile(tempPath("does_not_exist.png"), img), kImageFileCannotOpen);
    EXPECT_STREQ(imageFileLastError(), "Kann Datei nicht öffnen.");
    writeFile(tempPath("empty.png"), {});
    EXPECT_EQ(loadImageFile(tempPath("empty.png"), img), kImageFileUnknownFormat);
    std::remove(tempPath("empty.png").c_str());
}

TEST(ImageFileErrors, FailedLoadKeepsThePreviousPicture)
{
    RasterImage img = pattern(24, 6, 4);
    const std::vector<uint32_t> before = coloursOf(img);
    Bytes broken = bmpHeader(100, 100, 24, 0, 0, 0);
    EXPECT_EQ(loadImageMemory(broken.data(), broken.size(), img), kImageFileLibraryError);
    EXPECT_EQ(img.width(), 6);
    EXPECT_EQ(coloursOf(img), before);
}

TEST(ImageFileErrors, SaveResults)
{
    const RasterImage img = pattern(24, 4, 4);
    struct Case { std::string path; int result; const char* message; };
    const Case cases[] = {
        {tempPath("noext"), kImageFileUnknownFormat, "Unbekanntes Datei Format."},
        {"/nonexistent-dir/x.png", kImageFileLibraryError, "Fehler beim Erzeugen der Datei"},
        {"/nonexistent-dir/x.bmp", kImageFileLibraryError, "Fehler beim Öffnen der BMP-Datei !"},
        {"/nonexistent-dir/x.tlsp", kImageFileLibraryError, "Fehler beim Öffnen der TLS-Datei !"},
        {"/nonexistent-dir/x.tif", kImageFileLibraryError, "Fehler beim Erzeugen der Datei"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(saveImageFile(c.path, img), c.result) << c.path;
        EXPECT_STREQ(imageFileLastError(), c.message) << c.path;
    }
    RasterImage empty;
    EXPECT_EQ(saveImageFile(tempPath("empty.png"), empty), kImageFileLibraryError);
    EXPECT_STREQ(imageFileLastError(), "Ungültiges Bild");
}

// A file that cannot be made and a disk that is full: every writer reports
// with the messages of its own format.
TEST(ImageFileErrors, WriteFailuresSpeakTheirFormatsMessages)
{
    const RasterImage img = pattern(24, 64, 64);
    const std::string jpegWrite = "Fehler " + std::to_string(JERR_FILE_WRITE) + " beim Laden der Jpeg Datei";
    struct Case { const char* ext; std::string cannotCreate; std::string diskFull; };
    const Case cases[] = {
        {"png", "Fehler beim Erzeugen der Datei", "Fehler beim Schreiben"},
        {"jpg", "Fehler beim Öffnen der Datei !", jpegWrite},
        {"gif", "Error reading from GIF file", "Error reading from GIF file"},
        {"bmp", "Fehler beim Öffnen der BMP-Datei !", "Fehler beim Schreiben BMP-Datei !"},
        {"pnm", "Fehler beim Öffnen der PNM-Datei !", "Fehler beim Schreiben PNM-Datei !"},
        {"xwd", "Fehler beim Öffnen der XWD-Datei !", "Fehler beim Schreiben XWD-Datei !"},
        {"eps", "Fehler beim Öffnen der EPS-Datei !", "Fehler beim Schreiben EPS-Datei !"},
        {"tlsp", "Fehler beim Öffnen der TLS-Datei !", "Fehler beim Schreiben TLS-Datei !"},
        {"xpm", "Fehler beim Erzeugen der Dateio", "Fehler beim Schreiben in die Datei"},
        {"tif", "Fehler beim Erzeugen der Datei", "Fehler beim Schreiben"},
    };
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    for (const Case& c : cases) {
        EXPECT_EQ(saveImageFile(std::string("/nonexistent-dir/x.") + c.ext, img), kImageFileLibraryError) << c.ext;
        EXPECT_EQ(imageFileLastError(), c.cannotCreate) << c.ext;
        // A name with the format's extension for the full disk.
        const std::string full = tempPath(std::string("full.") + c.ext);
        std::filesystem::remove(full);
        std::filesystem::create_symlink("/dev/full", full);
        EXPECT_EQ(saveImageFile(full, img), kImageFileLibraryError) << c.ext;
        EXPECT_EQ(imageFileLastError(), c.diskFull) << c.ext;
        std::filesystem::remove(full);
    }
}

TEST(ImageFileErrors, ProgressCallbackCanAbort)
{
    const RasterImage src = pattern(24, 8, 50);
    for (int format : {kImageFormatPng, kImageFormatJpeg, kImageFormatBmp}) {
        Bytes file;
        ASSERT_EQ(saveImageMemory(format, src, file), kImageFileOk);
        RasterImage img;
        int calls = 0;
        img.setProgress(
            [](void* user, int percent, bool* abort) {
                ++*static_cast<int*>(user);
                if (percent >= 50)
                    *abort = true;
            },
            &calls);
        EXPECT_EQ(loadImageMemory(file.data(), file.size(), img), kImageFileLibraryError) << format;
        EXPECT_STREQ(imageFileLastError(), "Benutzer Abbruch") << format;
        EXPECT_GT(calls, 1) << format;
    }
}

// Every file that once broke a reader, and the fuzz seeds, must load or
// fail cleanly.
TEST(ImageFileErrors, CrashersAndCorpusLoadWithoutHarm)
{
    setImageMemoryLimit(64u << 20);
    int files = 0;
    for (const char* dir : {GZ_TEST_DATA_DIR "/crashers", GZ_TEST_DATA_DIR "/../../fuzz/corpus/image_files"}) {
        if (!std::filesystem::is_directory(dir))
            continue;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            const Bytes data = readFile(entry.path().string());
            RasterImage img;
            const int rc = loadImageMemory(data.data(), data.size(), img);
            EXPECT_LE(rc, 0) << entry.path();
            EXPECT_GE(rc, -7) << entry.path();
            ++files;
        }
    }
    setImageMemoryLimit(std::size_t{1} << 30);
    EXPECT_GT(files, 0);
}

// The corpus samples made by gz_make_picture_samples are good files: each
// loads, turned where its file says so.
TEST(ImageFileErrors, CorpusSamplesOfTheLibraryFormatsLoad)
{
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(GZ_TEST_DATA_DIR "/../../fuzz/corpus/image_files")) {
        const std::string name = entry.path().filename().string();
        const bool sample = name.rfind("webp_", 0) == 0 || name.rfind("heic_", 0) == 0 ||
                            name.rfind("avif_", 0) == 0 || name.rfind("libtiff_", 0) == 0 ||
                            name.find("_exif") != std::string::npos;
        if (!sample)
            continue;
        const Bytes data = readFile(entry.path().string());
        RasterImage img;
        EXPECT_EQ(loadImageMemory(data.data(), data.size(), img), kImageFileOk) << name << ": " << imageFileLastError();
        // Their stored pictures are landscape; these codes turn them upright.
        const bool quarterTurn = name.find("exif6") != std::string::npos ||
                                 name.find("exif8") != std::string::npos ||
                                 name.find("orientation8") != std::string::npos;
        EXPECT_EQ(img.height() > img.width(), quarterTurn) << name;
        ++files;
    }
    EXPECT_EQ(files, 19);
}

}  // namespace
}  // namespace gz
