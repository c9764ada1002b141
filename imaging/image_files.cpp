#include "imaging/image_files.h"

#include <cstring>
#include <exception>
#include <functional>
#include <new>
#include <string>

#include "imaging/codec_bmp.h"
#include "imaging/codec_common.h"
#include "imaging/codec_eps.h"
#include "imaging/codec_gif.h"
#include "imaging/codec_heif.h"
#include "imaging/codec_ico.h"
#include "imaging/codec_jpeg.h"
#include "imaging/codec_png.h"
#include "imaging/codec_pnm.h"
#include "imaging/codec_tiff.h"
#include "imaging/codec_tls.h"
#include "imaging/codec_webp.h"
#include "imaging/codec_xpm.h"
#include "imaging/codec_xwd.h"
#include "imaging/image_orientation.h"

namespace gz {

namespace {

// Per thread: pictures are read and written on several threads at once
// (the game read-ahead, a picture import), each asking for its own failure.
thread_local char g_lastError[512] = {};
int g_writerOption = -2;

void setLastError(const char* text)
{
    std::strncpy(g_lastError, text, sizeof g_lastError - 1);
    g_lastError[sizeof g_lastError - 1] = '\0';
}

// Reads the picture as stored; `orientation` receives the turn its file
// records (0 or 1 for none).
void readFormat(int format, ByteReader& in, RasterImage& image, std::string* comment, int* orientation)
{
    switch (format) {
    case kImageFormatBmp: readBmp(in, image); break;
    case kImageFormatJpeg: readJpeg(in, image, comment, orientation); break;
    case kImageFormatGif: readGif(in, image, comment); break;
    case kImageFormatPng: readPng(in, image, comment, orientation); break;
    case kImageFormatTiff: readTiff(in, image, orientation); break;
    case kImageFormatWebp: readWebp(in, image, orientation); break;
    case kImageFormatHeif:
    case kImageFormatAvif: readHeif(in, image, orientation); break;
    case kImageFormatXpm: readXpm(in, image); break;
    case kImageFormatXwd: readXwd(in, image); break;
    case kImageFormatPnm: readPnm(in, image); break;
    case kImageFormatEps: readEps(in, image); break;
    case kImageFormatTls: readTls(in, image); break;
    case kImageFormatIco: readIco(in, image); break;
    default: throw EGraphicsException("Unbekanntes Datei Format.");
    }
}

// One reader's attempt: 0 with the picture in image, or the loader's
// negative result with its message in error.
int readAs(int format, ByteReader& in, RasterImage& image, std::string* comment, std::string& error,
           bool& aborted)
{
    aborted = false;
    try {
        std::string text;
        if (!in.seek(0))
            throw EGraphicsException("Fehler beim Lesen");
        int orientation = 0;
        readFormat(format, in, image, comment ? &text : nullptr, &orientation);
        if (image.isEmpty())
            throw EGraphicsException("Das Format wird nicht unterstützt");
        // Stored and shown as the camera saw it.
        orientImage(image, orientation);
        if (comment)
            *comment = std::move(text);
        return kImageFileOk;
    } catch (const EGraphicsException& e) {
        error = e.message();
        aborted = e.type() == kGraphicsErrorAbort;
        switch (e.type()) {
        case kGraphicsErrorPicSize: return kImageFilePicSize;
        case kGraphicsErrorWrongColor: return kImageFileWrongColor;
        case kGraphicsErrorMemory: return kImageFileMemory;
        default: return kImageFileLibraryError;
        }
    } catch (const std::bad_alloc&) {
        error = "Zu wenig Speicher";
        return kImageFileMemory;
    } catch (...) {
        error = "Unbekannter Fehler";
        return kImageFileUnknownError;
    }
}

int loadFrom(ByteReader& in, RasterImage& image, std::string* comment)
{
    uint8_t head[kFormatProbeSize];
    const std::size_t got = in.read(head, sizeof head);
    const FormatCandidates found = detectImageFormatCandidates(head, got);
    if (found.count == 0) {
        setLastError("Unbekanntes Datei Format.");
        return kImageFileUnknownFormat;
    }
    // The old picture stays until the new one is complete. When the winning
    // format refuses the file, the other matching formats get their turn; if
    // none reads it, the winner's failure is the answer. A user's abort ends
    // the load at once.
    RasterImage previous = std::move(image);
    std::string error;
    bool aborted = false;
    int rc = readAs(found.formats[0], in, image, comment, error, aborted);
    for (int i = 1; rc != kImageFileOk && !aborted && i < found.count; ++i) {
        RasterImage blank;
        blank.setProgress(previous.progressFn(), previous.progressUser());
        image = std::move(blank);
        std::string ignored;
        if (readAs(found.formats[i], in, image, comment, ignored, aborted) == kImageFileOk)
            rc = kImageFileOk;
    }
    if (rc == kImageFileOk) {
        g_lastError[0] = '\0';
        return kImageFileOk;
    }
    image = std::move(previous);
    setLastError(error.c_str());
    return rc;
}

struct Writer {
    int format;
    std::function<void(ByteWriter&, const RasterImage&, std::optional<std::string_view>)> encode;
    std::function<EGraphicsException()> createError;
    std::function<EGraphicsException()> writeError;
};

Writer writerFor(int format, const PngWriteSettings& png)
{
    const auto general = [](const char* text) { return [text] { return EGraphicsException(text); }; };
    switch (format) {
    case kImageFormatPng:
        return {format,
                [png](ByteWriter& o, const RasterImage& i, std::optional<std::string_view> c) {
                    writePng(o, i, c, g_writerOption >= 0, png);
                },
                general("Fehler beim Erzeugen der Datei"), general("Fehler beim Schreiben")};
    case kImageFormatJpeg:
        return {format, [](ByteWriter& o, const RasterImage& i, std::optional<std::string_view> c) { writeJpeg(o, i, c); },
                [] { return EJpegOpenError(); }, [] { return jpegWriteError(); }};
    case kImageFormatBmp:
        return {format,
                [](ByteWriter& o, const RasterImage& i, std::optional<std::string_view>) {
                    writeBmp(o, i, g_writerOption);
                },
                [] { return EBmpFileOpenError(); }, [] { return EBmpFileWriteError(); }};
    case kImageFormatPnm:
        return {format, [](ByteWriter& o, const RasterImage& i, std::optional<std::string_view>) { writePnm(o, i); },
                [] { return EPnmFileOpenError(); }, [] { return EPnmFileWriteError(); }};
    case kImageFormatGif:
        // The GIF codec has one message for a failed file access.
        return {format, [](ByteWriter& o, const RasterImage& i, std::optional<std::string_view> c) { writeGif(o, i, c); },
                [] { return EGifFileReadError(); }, [] { return EGifFileReadError(); }};
    case kImageFormatEps:
        return {format, [](ByteWriter& o, const RasterImage& i, std::optional<std::string_view>) { writeEps(o, i); },
                [] { return EEpsFileOpenError(); }, [] { return EEpsFileWriteError(); }};
    case kImageFormatTls:
        return {format, [](ByteWriter& o, const RasterImage& i, std::optional<std::string_view>) { writeTls(o, i); },
                [] { return ETlsFileOpenError(); }, [] { return ETlsFileWriteError(); }};
    case kImageFormatXwd:
        return {format, [](ByteWriter& o, const RasterImage& i, std::optional<std::string_view>) { writeXwd(o, i); },
                [] { return EXwdFileOpenError(); }, [] { return EXwdFileWriteError(); }};
    case kImageFormatXpm:
        return {format, [](ByteWriter& o, const RasterImage& i, std::optional<std::string_view>) { writeXpm(o, i); },
                [] { return EXpmError("Fehler beim Erzeugen der Dateio"); },
                [] { return EXpmError("Fehler beim Schreiben in die Datei"); }};
    case kImageFormatTiff:
        return {format, [](ByteWriter& o, const RasterImage& i, std::optional<std::string_view>) { writeTiff(o, i); },
                [] { return ETiffError("Fehler beim Erzeugen der Datei"); },
                [] { return ETiffError("Fehler beim Schreiben"); }};
    default:
        return {format, nullptr, nullptr, nullptr};
    }
}

int saveWith(int format, const RasterImage& image, std::optional<std::string_view> comment, const PngWriteSettings& png,
             const std::function<ByteWriter*(const Writer&)>& open)
{
    if (format == kImageFormatUnknown) {
        setLastError("Unbekanntes Datei Format.");
        return kImageFileUnknownFormat;
    }
    try {
        const Writer w = writerFor(format, png);
        if (!w.encode)
            throw EGraphicsException("Kann Format nicht verarbeiten");
        if (image.isEmpty())
            throw EGraphicsException("Ungültiges Bild");
        ByteWriter* out = open(w);
        w.encode(*out, image, comment);
        if (!out->finish())
            throw w.writeError();
        return kImageFileOk;
    } catch (const EGraphicsException& e) {
        setLastError(e.message());
        return kImageFileLibraryError;
    } catch (...) {
        setLastError("Unbekannter Fehler");
        return kImageSaveUnknownError;
    }
}

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = (a[i] >= 'a' && a[i] <= 'z') ? static_cast<char>(a[i] - 32) : a[i];
        if (x != b[i])
            return false;
    }
    return true;
}

}  // namespace

int loadImageFile(const std::string& path, RasterImage& image, std::string* comment)
{
    FileReader in(path);
    if (!in.isOpen()) {
        setLastError("Kann Datei nicht öffnen.");
        return kImageFileCannotOpen;
    }
    return loadFrom(in, image, comment);
}

int loadImageMemory(const uint8_t* data, std::size_t size, RasterImage& image, std::string* comment)
{
    MemoryReader in(data, data ? size : 0);
    return loadFrom(in, image, comment);
}

int imageFormatForFileName(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return kImageFormatUnknown;
    const std::string_view ext = path.substr(dot);
    struct Entry { const char* ext; int format; };
    static const Entry kTable[] = {
        {".PNG", kImageFormatPng},  {".GIF", kImageFormatGif},  {".BMP", kImageFormatBmp},
        {".JPG", kImageFormatJpeg}, {".JPEG", kImageFormatJpeg}, {".XWD", kImageFormatXwd},
        {".XPM", kImageFormatXpm},  {".PNM", kImageFormatPnm},  {".TIFF", kImageFormatTiff},
        {".TIF", kImageFormatTiff}, {".PS", kImageFormatEps},   {".EPS", kImageFormatEps},
        {".PRN", kImageFormatEps},  {".TLSP", kImageFormatTls},
    };
    for (const Entry& e : kTable)
        if (equalNoCase(ext, e.ext))
            return e.format;
    return kImageFormatUnknown;
}

const std::vector<std::string>& readableImagePatterns()
{
    // The usual names of every format the detection knows.
    static const std::vector<std::string> patterns = {
        "*.png", "*.jpg", "*.jpeg", "*.jpe", "*.gif", "*.bmp", "*.dib", "*.tif", "*.tiff", "*.xpm", "*.xwd",
        "*.pnm", "*.pbm", "*.pgm", "*.ppm", "*.eps", "*.ps",  "*.ico", "*.cur", "*.tlsp", "*.webp",
        "*.heic", "*.heif", "*.avif",
    };
    return patterns;
}

int saveImageFile(const std::string& path, const RasterImage& image, std::optional<std::string_view> comment)
{
    return saveImageFileWith(path, image, kPngDefaultSettings, comment);
}

int saveImageMemory(int format, const RasterImage& image, std::vector<uint8_t>& out,
                    std::optional<std::string_view> comment)
{
    return saveImageMemoryWith(format, image, kPngDefaultSettings, out, comment);
}

int saveImageFileWith(const std::string& path, const RasterImage& image, const PngWriteSettings& png,
                      std::optional<std::string_view> comment)
{
    std::optional<FileWriter> file;
    return saveWith(imageFormatForFileName(path), image, comment, png, [&](const Writer& w) -> ByteWriter* {
        file.emplace(path);
        if (!file->isOpen())
            throw w.createError();
        return &*file;
    });
}

int saveImageMemoryWith(int format, const RasterImage& image, const PngWriteSettings& png, std::vector<uint8_t>& out,
                        std::optional<std::string_view> comment)
{
    MemoryWriter memory;
    const int rc = saveWith(format, image, comment, png, [&](const Writer&) -> ByteWriter* { return &memory; });
    if (rc == kImageFileOk)
        out = memory.bytes();
    return rc;
}

const char* imageFileLastError() { return g_lastError; }

void setImageWriterOption(int value) { g_writerOption = value; }
int imageWriterOption() { return g_writerOption; }

}  // namespace gz
