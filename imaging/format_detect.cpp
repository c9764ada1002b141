#include "imaging/format_detect.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace gz {

namespace {

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool contains(std::string_view text, std::string_view needle)
{
    return text.find(needle) != std::string_view::npos;
}

// An ISO base media file starts with its "ftyp" box: size, "ftyp", the major
// brand, a version, then compatible brands up to the box's end. AVIF wins
// over the general HEIF brands, since AVIF files name "mif1" too.
int isoBrandFormat(const uint8_t* head, std::size_t n)
{
    if (n < 16 || std::memcmp(head + 4, "ftyp", 4) != 0)
        return kImageFormatUnknown;
    const uint32_t box = static_cast<uint32_t>(head[0]) << 24 | static_cast<uint32_t>(head[1]) << 16 |
                         static_cast<uint32_t>(head[2]) << 8 | head[3];
    if (box < 16)
        return kImageFormatUnknown;
    const std::size_t end = std::min<std::size_t>(box, n);
    static const char* const kAvif[] = {"avif", "avis"};
    static const char* const kHeif[] = {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"};
    int found = kImageFormatUnknown;
    for (std::size_t at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) {   // the version is no brand
        for (const char* b : kAvif)
            if (std::memcmp(head + at, b, 4) == 0)
                return kImageFormatAvif;
        for (const char* b : kHeif)
            if (std::memcmp(head + at, b, 4) == 0)
                found = kImageFormatHeif;
    }
    return found;
}

}  // namespace

FormatCandidates detectImageFormatCandidates(const uint8_t* head, std::size_t size)
{
    FormatCandidates found;
    const std::size_t n = std::min(size, kFormatProbeSize);
    if (!head || n == 0)
        return found;
    // Matches in test order; a later one outranks the earlier ones.
    int matched[32];
    int matches = 0;
    const auto match = [&](int format) { matched[matches++] = format; };

    // Raw bytes first: a bare bitmap info header, an icon directory.
    if (n >= 12 && head[0] == 40 && head[1] == 0 && head[2] == 0 && head[3] == 0 && head[6] == 0 &&
        head[7] == 0 && head[10] == 0 && head[11] == 0)
        match(kImageFormatBmp);
    if (n >= 6 && head[0] == 0 && head[1] == 0 && head[3] == 0 && head[5] == 0 && (head[2] == 1 || head[2] == 2) &&
        head[4] >= 1 && head[4] <= 32)
        match(kImageFormatIco);

    // The text tests see zero bytes as spaces.
    char buf[kFormatProbeSize];
    for (std::size_t i = 0; i < n; ++i)
        buf[i] = head[i] == 0 ? ' ' : static_cast<char>(head[i]);
    const std::string_view t(buf, n);
    const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(buf[i]); };

    if (startsWith(t, "II") || startsWith(t, "MM"))
        match(kImageFormatTiff);
    if (startsWith(t, "GIF87a") || startsWith(t, "GIF89a"))
        match(kImageFormatGif);
    if (startsWith(t, "\x89PNG"))
        match(kImageFormatPng);
    if (startsWith(t, "BM"))
        match(kImageFormatBmp);
    if (startsWith(t, "TLSP"))
        match(kImageFormatTls);
    if (contains(t, "JFIF"))
        match(kImageFormatJpeg);
    if (contains(t, "XPM") || contains(t, "char"))
        match(kImageFormatXpm);
    if (n >= 2 && byte(0) == 0xFF && (byte(1) == 0xD8 || byte(1) == 0xDB))
        match(kImageFormatJpeg);
    if (startsWith(t, "%!"))
        match(kImageFormatEps);
    if (n >= 2 && buf[0] == 'P' && buf[1] >= '1' && buf[1] <= '6')
        match(kImageFormatPnm);
    if (n >= 8 && buf[4] == ' ' && buf[5] == ' ' && buf[6] == ' ' && (buf[7] == 6 || buf[7] == 7))
        match(kImageFormatXwd);
    // Exact container signatures last, on the raw bytes.
    if (n >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WEBP", 4) == 0)
        match(kImageFormatWebp);
    if (const int iso = isoBrandFormat(head, n); iso != kImageFormatUnknown)
        match(iso);
    for (int i = matches - 1; i >= 0; --i) {
        bool seen = false;
        for (int k = 0; k < found.count; ++k)
            seen = seen || found.formats[k] == matched[i];
        if (!seen)
            found.formats[found.count++] = matched[i];
    }
    return found;
}

int detectImageFormat(const uint8_t* head, std::size_t size)
{
    const FormatCandidates found = detectImageFormatCandidates(head, size);
    return found.count > 0 ? found.formats[0] : kImageFormatUnknown;
}

}  // namespace gz
