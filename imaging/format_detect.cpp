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

}  // namespace

FormatCandidates detectImageFormatCandidates(const uint8_t* head, std::size_t size)
{
    FormatCandidates found;
    const std::size_t n = std::min(size, kFormatProbeSize);
    if (!head || n == 0)
        return found;
    // Matches in test order; a later one outranks the earlier ones.
    int matched[16];
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
