#include "imaging/codec_jpeg.h"

#include <cstdio>   // jpeglib.h needs FILE and size_t first

#include <jpeglib.h>
#include <jerror.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "imaging/exif_orientation.h"

namespace gz {

namespace {

std::string jpegErrorText(int code)
{
    char text[64];
    std::snprintf(text, sizeof text, "Fehler %i beim Laden der Jpeg Datei", code);
    return text;
}

// libjpeg's fatal errors longjmp back here; the exception is thrown from
// our own frame afterwards.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int code = 0;
    bool writeFailed = false;
};

void errorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->code = cinfo->err->msg_code;
    std::longjmp(err->jump, 1);
}

void outputMessage(j_common_ptr) {}

constexpr std::size_t kIoBuffer = 32768;

struct Source {
    jpeg_source_mgr pub;
    ByteReader* in;
    JOCTET buffer[kIoBuffer];
};

void initSource(j_decompress_ptr) {}

boolean fillInputBuffer(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    std::size_t n = src->in->read(src->buffer, kIoBuffer);
    if (n == 0) {
        // Past the end: hand libjpeg an end-of-image marker, as its own
        // stdio source does, so a truncated file still gives a picture.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = n;
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    while (static_cast<std::size_t>(count) > src->pub.bytes_in_buffer) {
        count -= static_cast<long>(src->pub.bytes_in_buffer);
        fillInputBuffer(cinfo);
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= static_cast<std::size_t>(count);
}

void termSource(j_decompress_ptr) {}

struct Destination {
    jpeg_destination_mgr pub;
    ByteWriter* out;
    JOCTET buffer[kIoBuffer];
};

void initDestination(j_compress_ptr cinfo)
{
    auto* dst = reinterpret_cast<Destination*>(cinfo->dest);
    dst->pub.next_output_byte = dst->buffer;
    dst->pub.free_in_buffer = kIoBuffer;
}

void failWrite(j_compress_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->writeFailed = true;
    std::longjmp(err->jump, 1);
}

boolean emptyOutputBuffer(j_compress_ptr cinfo)
{
    auto* dst = reinterpret_cast<Destination*>(cinfo->dest);
    if (!dst->out->write(dst->buffer, kIoBuffer))
        failWrite(cinfo);
    dst->pub.next_output_byte = dst->buffer;
    dst->pub.free_in_buffer = kIoBuffer;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    auto* dst = reinterpret_cast<Destination*>(cinfo->dest);
    const std::size_t n = kIoBuffer - dst->pub.free_in_buffer;
    if (n > 0 && !dst->out->write(dst->buffer, n))
        failWrite(cinfo);
}

template <class F>
bool guarded(ErrorManager& err, F&& f)
{
    if (setjmp(err.jump))
        return false;
    f();
    return true;
}

struct DecompressGuard {
    jpeg_decompress_struct* cinfo;
    ~DecompressGuard() { jpeg_destroy_decompress(cinfo); }
};

struct CompressGuard {
    jpeg_compress_struct* cinfo;
    ~CompressGuard() { jpeg_destroy_compress(cinfo); }
};

}  // namespace

EJpegError::EJpegError(int code) : EGraphicsException(jpegErrorText(code)) {}

EJpegError jpegWriteError() { return EJpegError(JERR_FILE_WRITE); }

void readJpeg(ByteReader& in, RasterImage& image, std::string* comment, int* orientation)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.output_message = outputMessage;
    if (!guarded(err, [&] { jpeg_create_decompress(&cinfo); }))
        throw EJpegError(err.code);
    DecompressGuard guard{&cinfo};

    Source src;
    src.in = &in;
    src.pub.init_source = initSource;
    src.pub.fill_input_buffer = fillInputBuffer;
    src.pub.skip_input_data = skipInputData;
    src.pub.resync_to_restart = jpeg_resync_to_restart;
    src.pub.term_source = termSource;
    src.pub.next_input_byte = nullptr;
    src.pub.bytes_in_buffer = 0;
    cinfo.src = &src.pub;

    if (!guarded(err, [&] {
            jpeg_save_markers(&cinfo, JPEG_COM, 4096);
            if (orientation)
                jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
            jpeg_read_header(&cinfo, TRUE);
        }))
        throw EJpegError(err.code);

    const int components = cinfo.num_components;
    bool direct = false;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo.out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        break;
    case JCS_RGB:
    case JCS_YCbCr:
#ifdef JCS_EXTENSIONS
        cinfo.out_color_space = JCS_EXT_BGR;
        direct = true;
#else
        cinfo.out_color_space = JCS_RGB;
#endif
        break;
    default:
        throw EGraphicsWrongColor();
    }
    (void)components;

    const uint64_t w = cinfo.image_width;
    const uint64_t h = cinfo.image_height;
    // A progressive file keeps all coefficients (2 bytes per sample).
    const uint64_t coefficients =
        cinfo.progressive_mode ? w * h * static_cast<uint64_t>(cinfo.num_components) * 2 : 0;
    codec::checkPictureSize(static_cast<int64_t>(w), static_cast<int64_t>(h), 24, coefficients);
    if (w == 0 || h == 0)
        throw EJpegBadData();

    if (comment) {
        for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next)
            if (m->marker == JPEG_COM && m->data)
                comment->append(reinterpret_cast<const char*>(m->data), m->data_length);
    }
    if (orientation) {
        // APP1 also carries XMP; the Exif one names itself.
        *orientation = 0;
        for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next)
            if (m->marker == JPEG_APP0 + 1 && m->data && m->data_length >= 6 &&
                std::memcmp(m->data, "Exif\0\0", 6) == 0) {
                *orientation = exifOrientation(m->data, m->data_length);
                break;
            }
    }

    if (!guarded(err, [&] { jpeg_start_decompress(&cinfo); }))
        throw EJpegError(err.code);
    const int outComponents = cinfo.output_components;
    codec::createImage(image, 24, static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));

    std::vector<JSAMPLE> scratch(direct ? 0 : static_cast<std::size_t>(cinfo.output_width) * outComponents);
    const int height = image.height();
    const int width = image.width();
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image.row(y);
        JSAMPROW target = direct ? row : scratch.data();
        if (!guarded(err, [&] {
                if (jpeg_read_scanlines(&cinfo, &target, 1) != 1)
                    ERREXIT(&cinfo, JERR_BAD_STATE);
            }))
            throw EJpegError(err.code);
        if (!direct) {
            const JSAMPLE* s = scratch.data();
            if (outComponents == 1) {
                for (int x = 0; x < width; ++x)
                    row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = s[x];
            } else if (outComponents == 3) {   // RGB
                for (int x = 0; x < width; ++x) {
                    row[3 * x + 0] = s[3 * x + 2];
                    row[3 * x + 1] = s[3 * x + 1];
                    row[3 * x + 2] = s[3 * x + 0];
                }
            } else {   // inverted CMYK as written by most programs
                for (int x = 0; x < width; ++x) {
                    const unsigned k = s[4 * x + 3];
                    row[3 * x + 0] = static_cast<uint8_t>(s[4 * x + 2] * k / 255);
                    row[3 * x + 1] = static_cast<uint8_t>(s[4 * x + 1] * k / 255);
                    row[3 * x + 2] = static_cast<uint8_t>(s[4 * x + 0] * k / 255);
                }
            }
        }
        try {
            codec::progress(image, y + 1, height);
        } catch (const EGraphicsAbort&) {
            throw EJpegAbort();
        }
    }
    // The tail after the last row does not matter for the picture.
    guarded(err, [&] { jpeg_finish_decompress(&cinfo); });
}

void writeJpeg(ByteWriter& out, const RasterImage& image, std::optional<std::string_view> comment, int quality)
{
    if (image.isEmpty())
        throw EGraphicsException("Ungültiges Bild");
    jpeg_compress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.output_message = outputMessage;
    if (!guarded(err, [&] { jpeg_create_compress(&cinfo); }))
        throw EJpegError(err.code);
    CompressGuard guard{&cinfo};

    Destination dst;
    dst.out = &out;
    dst.pub.init_destination = initDestination;
    dst.pub.empty_output_buffer = emptyOutputBuffer;
    dst.pub.term_destination = termDestination;
    cinfo.dest = &dst.pub;

    const int w = image.width();
    const int h = image.height();
    const bool direct = image.bitsPerPixel() == 24;
    std::vector<uint8_t> rowBuffer(static_cast<std::size_t>(w) * 3);
    std::vector<uint32_t> colours(static_cast<std::size_t>(w));
    const std::size_t commentLength = comment ? std::min<std::size_t>(comment->size(), 65533) : 0;
    const auto fail = [&] {
        if (err.writeFailed)
            throw jpegWriteError();
        throw EJpegError(err.code);
    };

    if (!guarded(err, [&] {
            cinfo.image_width = static_cast<JDIMENSION>(w);
            cinfo.image_height = static_cast<JDIMENSION>(h);
            cinfo.input_components = 3;
            cinfo.in_color_space = JCS_RGB;
            jpeg_set_defaults(&cinfo);
            jpeg_set_quality(&cinfo, quality, TRUE);
#ifdef JCS_EXTENSIONS
            cinfo.in_color_space = JCS_EXT_BGR;
#endif
            jpeg_start_compress(&cinfo, TRUE);
            if (comment)
                jpeg_write_marker(&cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(comment->data()),
                                  static_cast<unsigned>(commentLength));
        }))
        fail();

    for (int y = 0; y < h; ++y) {
        JSAMPROW row = rowBuffer.data();
        if (direct) {
            std::memcpy(row, image.row(y), rowBuffer.size());
        } else {
            codec::rowColours(image, y, colours.data());
            for (int x = 0; x < w; ++x) {
                row[3 * x + 0] = static_cast<uint8_t>(colours[x]);
                row[3 * x + 1] = static_cast<uint8_t>(colours[x] >> 8);
                row[3 * x + 2] = static_cast<uint8_t>(colours[x] >> 16);
            }
        }
#ifndef JCS_EXTENSIONS
        for (int x = 0; x < w; ++x)
            std::swap(row[3 * x], row[3 * x + 2]);
#endif
        if (!guarded(err, [&] { jpeg_write_scanlines(&cinfo, &row, 1); }))
            fail();
        codec::progress(image, y + 1, h);
    }
    if (!guarded(err, [&] { jpeg_finish_compress(&cinfo); }))
        fail();
}

}  // namespace gz
