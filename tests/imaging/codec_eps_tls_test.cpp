// EPS and TLS through the two file entry points: round trips, pictures
// written by hand the way other programs write them, and hostile files.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "imaging/codec_common.h"
#include "imaging/format_detect.h"
#include "imaging/image_files.h"
#include "tests/imaging/image_colours.h"

namespace gz {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(std::string_view s) { return Bytes(s.begin(), s.end()); }

std::string tempPath(const std::string& name) { return ::testing::TempDir() + "gz_eps_tls_" + name; }

using testing::coloursOf;

// A picture with a different value in (nearly) every pixel. Indexed depths
// get a palette of distinct colours, or black and white / grey where asked.
enum class Palette { Mixed, BlackWhite, Grey };
RasterImage pattern(int bpp, int w, int h, Palette palette = Palette::Mixed)
{
    RasterImage img;
    EXPECT_TRUE(img.create(bpp, w, h, 0u));
    for (int i = 0; i < img.paletteSize(); ++i) {
        uint32_t c = static_cast<uint32_t>(i * 0x3A1F27u + 0x102030u) & 0xFFFFFF;
        if (palette == Palette::BlackWhite)
            c = i == 0 ? 0x000000 : 0xFFFFFF;
        else if (palette == Palette::Grey)
            c = static_cast<uint32_t>(i) * 0x010101u;
        img.palette()[i] = c;
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t v = static_cast<uint32_t>(x * 37 + y * 101 + x * y * 7);
            if (bpp <= 8)
                img.setPixel(x, y, v & ((1u << bpp) - 1));
            else
                img.setPixel(x, y, ((v * 2654435761u) & 0xFFFFFF) | (bpp == 32 ? ((x * 50 + y) % 256u) << 24 : 0));
        }
    return img;
}

// A TLS file around raw entry bytes (width, height, depth, palette, rows);
// the CRC is computed over them unless a wrong one is given.
Bytes tlsFile(uint32_t count, const Bytes& entry, bool wrongCrc = false, uint32_t version = 1)
{
    Bytes out = bytesOf("TLSP");
    codec::putLe32(out, version);
    codec::putLe32(out, count);
    out.insert(out.end(), entry.begin(), entry.end());
    const uint32_t crc = static_cast<uint32_t>(crc32(0, entry.data(), static_cast<uInt>(entry.size())));
    codec::putLe32(out, wrongCrc ? crc ^ 1u : crc);
    return out;
}

Bytes tlsEntry(uint32_t w, uint32_t h, uint32_t bpp, const Bytes& payload)
{
    Bytes e;
    codec::putLe32(e, w);
    codec::putLe32(e, h);
    codec::putLe32(e, bpp);
    e.insert(e.end(), payload.begin(), payload.end());
    return e;
}

// Saves to a file and loads it back into a fresh picture.
RasterImage roundTrip(const RasterImage& src, const std::string& name)
{
    const std::string path = tempPath(name);
    EXPECT_EQ(saveImageFile(path, src), kImageFileOk) << imageFileLastError();
    RasterImage back;
    EXPECT_EQ(loadImageFile(path, back), kImageFileOk) << name << ": " << imageFileLastError();
    std::remove(path.c_str());
    return back;
}

TEST(EpsFiles, RoundTripThroughTheFileEntryPoints)
{
    struct Case { int bpp; Palette palette; int w, h; int backBpp; };
    // Widths that leave part of a byte in the 1-bit rows and rows longer
    // than one line of hexadecimal text.
    const Case cases[] = {
        {1, Palette::BlackWhite, 13, 5, 1},
        {1, Palette::BlackWhite, 8, 3, 1},
        {8, Palette::Grey, 19, 4, 24},
        {8, Palette::Mixed, 5, 5, 24},
        {24, Palette::Mixed, 23, 7, 24},
        {32, Palette::Mixed, 3, 2, 24},
    };
    for (const Case& c : cases) {
        const RasterImage src = pattern(c.bpp, c.w, c.h, c.palette);
        const RasterImage back = roundTrip(src, "round.eps");
        EXPECT_EQ(back.width(), c.w) << c.bpp;
        EXPECT_EQ(back.height(), c.h) << c.bpp;
        EXPECT_EQ(back.bitsPerPixel(), c.backBpp) << c.bpp;
        EXPECT_EQ(coloursOf(back), coloursOf(src)) << c.bpp;
    }
}

TEST(EpsFiles, HandWrittenPictures)
{
    struct Case { const char* what; const char* text; int bpp; int w, h; std::vector<uint32_t> colours; };
    const Case cases[] = {
        {"colorimage with comments, a wrong bounding box, bind and a closing >",
         "%!PS-Adobe-2.0 EPSF-2.0\n%%Creator: hand\n%%BoundingBox: 0 0 100 100\n%%EndComments\n"
         "/readstr 6 string def\ngsave 10 20 translate 100 100 scale\n"
         "2 2 8 [2 0 0 -2 0 2] % the matrix\n{ currentfile readstr readhexstring pop } bind\n"
         "false 3 colorimage\nff0000 00FF00\n  0000ff\r\nffffff>\ngrestore showpage\n%%EOF\n",
         24, 2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}},
        {"grey rows given bottom row first",
         "%!PS\n2 2 8 [2 0 0 2 0 0] {currentfile picstr readhexstring pop} image 0040 80ff\n",
         8, 2, 2, {0x808080, 0xFFFFFF, 0x000000, 0x404040}},
        {"1-bit, a set bit is white, rows padded to bytes",
         "%!PS\n3 2 1 [3 0 0 -3 0 2]\n{currentfile picstr readhexstring pop}\nimage\na0\n5f\n",
         1, 3, 2, {0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000}},
        {"mirrored columns",
         "%!PS\n2 1 8 [-2 0 0 -1 2 1] {currentfile s readhexstring pop} false 3 colorimage\nff00000000ff\n",
         24, 2, 1, {0x0000FF, 0xFF0000}},
        {"data in the procedure", "%!PS-Adobe-3.0 EPSF-3.0\n2 1 8 [2 0 0 -1 0 1] {<ff 1>} image\n",
         8, 2, 1, {0xFFFFFF, 0x101010}},
        {"colorimage with one channel",
         "%!PS\n1 2 8 [1.0 0 0 -2.0 0 2] {currentfile s readhexstring pop} false 1 colorimage\n20\n30\n",
         8, 1, 2, {0x202020, 0x303030}},
    };
    for (const Case& c : cases) {
        const Bytes data = bytesOf(c.text);
        RasterImage img;
        ASSERT_EQ(loadImageMemory(data.data(), data.size(), img), kImageFileOk)
            << c.what << ": " << imageFileLastError();
        EXPECT_EQ(img.bitsPerPixel(), c.bpp) << c.what;
        EXPECT_EQ(img.width(), c.w) << c.what;
        EXPECT_EQ(img.height(), c.h) << c.what;
        EXPECT_EQ(coloursOf(img), c.colours) << c.what;
    }
}

struct Refusal { const char* what; Bytes data; int result; const char* message; };

// Each file must fail with its code and text and keep the picture that was
// loaded before.
void expectRefused(const std::vector<Refusal>& cases)
{
    for (const Refusal& c : cases) {
        RasterImage img = pattern(24, 6, 4);
        const std::vector<uint32_t> before = coloursOf(img);
        EXPECT_EQ(loadImageMemory(c.data.data(), c.data.size(), img), c.result) << c.what;
        EXPECT_STREQ(imageFileLastError(), c.message) << c.what;
        EXPECT_EQ(img.width(), 6) << c.what;
        EXPECT_EQ(img.bitsPerPixel(), 24) << c.what;
        EXPECT_EQ(coloursOf(img), before) << c.what;
    }
}

TEST(EpsFiles, HostileAndForeignFilesAreRefused)
{
    Bytes written;
    ASSERT_EQ(saveImageMemory(kImageFormatEps, pattern(24, 8, 8), written), kImageFileOk);
    const std::string text(written.begin(), written.end());
    Bytes halfData(written.begin(), written.begin() + static_cast<std::ptrdiff_t>(written.size() / 2));
    // The last four digits missing but the trailer still there: enough
    // characters in the file, not enough data.
    std::string noLastRow = text;
    const std::size_t tail = noLastRow.find("grestore");
    ASSERT_NE(tail, std::string::npos);
    noLastRow.erase(tail - 5, 4);
    const char* proc = " {currentfile picstr readhexstring pop} ";
    const auto eps = [&](const std::string& body) { return bytesOf("%!PS-Adobe-3.0 EPSF-3.0\n" + body); };
    const char* corrupt = "Beschädigte EPS-Datei !";
    const char* unsupported = "Das Format der EPS-Datei wird nicht unterstützt !";
    expectRefused({
        {"data cut in half", halfData, kImageFileLibraryError, corrupt},
        {"last digits missing", bytesOf(noLastRow), kImageFileLibraryError, corrupt},
        {"40000 x 40000", eps(std::string("40000 40000 8 [40000 0 0 -40000 0 40000]") + proc + "image\n00\n"),
         kImageFilePicSize, "Das Bild ist zu groß"},
        {"1000 x 1000 with two bytes", eps(std::string("1000 1000 8 [1000 0 0 -1000 0 1000]") + proc + "image\nffff\n"),
         kImageFileLibraryError, corrupt},
        {"letters in the data", eps(std::string("2 1 8 [2 0 0 -1 0 1]") + proc + "image\nf0zz\n"),
         kImageFileLibraryError, corrupt},
        {"width 0", eps(std::string("0 1 8 [1 0 0 -1 0 1]") + proc + "image\nff\n"), kImageFileLibraryError, corrupt},
        {"procedure never closed", eps("1 1 8 [1 0 0 -1 0 1] {currentfile picstr"), kImageFileLibraryError, corrupt},
        {"a drawing program", eps("newpath 0 0 moveto 100 100 lineto stroke showpage\n"), kImageFileLibraryError,
         unsupported},
        {"only the header", bytesOf("%!PS-Adobe-3.0"), kImageFileLibraryError, unsupported},
        {"image dictionary", eps("<< /ImageType 1 /Width 2 /Height 2 >> image\n"), kImageFileLibraryError, unsupported},
        {"one procedure per channel",
         eps("1 1 8 [1 0 0 -1 0 1] {r} {g} {b} true 3 colorimage\n"), kImageFileLibraryError, unsupported},
        {"4 bits", eps(std::string("2 1 4 [2 0 0 -1 0 1]") + proc + "image\nf0\n"), kImageFileLibraryError,
         unsupported},
        {"rotated", eps(std::string("2 2 8 [0 2 2 0 0 0]") + proc + "image\n00000000\n"), kImageFileLibraryError,
         unsupported},
        {"binary data", eps("1 1 8 [1 0 0 -1 0 1] {currentfile picstr readstring pop} image\nx\n"),
         kImageFileLibraryError, unsupported},
        {"named sizes", eps(std::string("w h 8 [1 0 0 -1 0 1]") + proc + "image\nff\n"), kImageFileLibraryError,
         unsupported},
        {"string in the procedure too short", eps("2 2 8 [2 0 0 -2 0 2] {<ff>} image\n"), kImageFileLibraryError,
         unsupported},
    });
}

TEST(TlsFiles, RoundTripThroughTheFileEntryPoints)
{
    struct Case { int bpp; int w, h; int backBpp; bool alpha; };
    const Case cases[] = {
        {8, 7, 5, 8, false},  {24, 9, 4, 24, false}, {32, 5, 6, 32, true},
        {1, 11, 3, 8, false}, {4, 3, 3, 8, false},   {16, 4, 4, 24, false},
    };
    for (const Case& c : cases) {
        const RasterImage src = pattern(c.bpp, c.w, c.h);
        const RasterImage back = roundTrip(src, "round.tlsp");
        EXPECT_EQ(back.width(), c.w) << c.bpp;
        EXPECT_EQ(back.height(), c.h) << c.bpp;
        EXPECT_EQ(back.bitsPerPixel(), c.backBpp) << c.bpp;
        EXPECT_EQ(coloursOf(back, c.alpha), coloursOf(src, c.alpha)) << c.bpp;
        if (c.bpp == 8) {   // indexes and palette kept, not just the colours
            for (int x = 0; x < c.w; ++x)
                EXPECT_EQ(back.pixel(x, 1), src.pixel(x, 1)) << x;
        }
    }
}

TEST(TlsFiles, TheFirstPictureOfASequenceIsRead)
{
    const Bytes first = tlsEntry(2, 1, 24, {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00});
    Bytes file = tlsFile(2, first);
    const Bytes second = tlsFile(1, tlsEntry(1, 1, 24, {1, 2, 3}));
    file.insert(file.end(), second.begin() + 12, second.end());
    RasterImage img;
    ASSERT_EQ(loadImageMemory(file.data(), file.size(), img), kImageFileOk) << imageFileLastError();
    EXPECT_EQ(img.width(), 2);
    EXPECT_EQ(coloursOf(img), (std::vector<uint32_t>{0xFF0000, 0x0000FF}));
}

TEST(TlsFiles, HostileFilesAreRefused)
{
    Bytes written;
    ASSERT_EQ(saveImageMemory(kImageFormatTls, pattern(24, 8, 8), written), kImageFileOk);
    Bytes cutRows(written.begin(), written.end() - 30);
    Bytes cutHeader(written.begin(), written.begin() + 10);
    Bytes flipped = written;
    flipped[40] ^= 0x10;
    const Bytes pixel = {1, 2, 3};
    const char* corrupt = "Beschädigte TLS-Datei !";
    expectRefused({
        {"rows cut", cutRows, kImageFileLibraryError, corrupt},
        {"header cut", cutHeader, kImageFileLibraryError, "Fehler beim Lesen der TLS-Datei !"},
        {"entry header cut", Bytes(written.begin(), written.begin() + 20), kImageFileLibraryError, corrupt},
        {"a pixel changed", flipped, kImageFileLibraryError, "Falsche CRC-Summe !"},
        {"CRC wrong", tlsFile(1, tlsEntry(1, 1, 24, pixel), true), kImageFileLibraryError, "Falsche CRC-Summe !"},
        {"count 0 before a sound entry", tlsFile(0, tlsEntry(1, 1, 24, pixel)), kImageFileLibraryError,
         "Das Bild wurde in der Sequenz nicht gefunden !"},
        {"40000 x 40000", tlsFile(1, tlsEntry(40000, 40000, 24, pixel)), kImageFilePicSize, "Das Bild ist zu groß"},
        {"1000 x 1000 with one pixel", tlsFile(1, tlsEntry(1000, 1000, 32, pixel)), kImageFileLibraryError, corrupt},
        {"palette missing", tlsFile(1, tlsEntry(1, 1, 8, {0})), kImageFileLibraryError, corrupt},
        {"16 bits", tlsFile(1, tlsEntry(1, 1, 16, {0, 0})), kImageFileLibraryError, corrupt},
        {"height 0", tlsFile(1, tlsEntry(1, 0, 24, {})), kImageFileLibraryError, corrupt},
        {"version 2", tlsFile(1, tlsEntry(1, 1, 24, pixel), false, 2), kImageFileLibraryError,
         "Die Datei ist keine TLS-Datei !"},
        {"all zero after the magic", bytesOf(std::string("TLSP\0\0\0\0\0\0\0\0", 12)), kImageFileLibraryError,
         "Die Datei ist keine TLS-Datei !"},
    });
}

TEST(EpsTlsFiles, ProgressCallbackCanAbortAndWriteErrorsAreReported)
{
    const RasterImage src = pattern(24, 6, 40);
    for (int format : {kImageFormatEps, kImageFormatTls}) {
        Bytes file;
        ASSERT_EQ(saveImageMemory(format, src, file), kImageFileOk) << format;
        RasterImage img;
        img.setProgress([](void*, int percent, bool* abort) { *abort = percent >= 50; }, nullptr);
        EXPECT_EQ(loadImageMemory(file.data(), file.size(), img), kImageFileLibraryError) << format;
        EXPECT_STREQ(imageFileLastError(), "Benutzer Abbruch") << format;
    }
    struct Case { const char* path; const char* message; };
    const Case cases[] = {
        {"/nonexistent-dir/x.eps", "Fehler beim Öffnen der EPS-Datei !"},
        {"/nonexistent-dir/x.TLSP", "Fehler beim Öffnen der TLS-Datei !"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(saveImageFile(c.path, src), kImageFileLibraryError) << c.path;
        EXPECT_STREQ(imageFileLastError(), c.message) << c.path;
    }
}

}  // namespace
}  // namespace gz
