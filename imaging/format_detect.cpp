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

int detectImageFormat(const uint8_t* head, std::size_t size)
{
    const std::size_t n = std::min(size, kFormatProbeSize);
    if (!head || n == 0)
        return kImageFormatUnknown;
    int format = kImageFormatUnknown;

    // Raw bytes first: a bare bitmap info header, an icon directory.
    if (n >= 12 && head[0] == 40 && head[1] == 0 && head[2] == 0 && head[3] == 0 && head[6] == 0 &&
        head[7] == 0 && head[10] == 0 && head[11] == 0)
        format = kImageFormatBmp;
    if (n >= 6 && head[0] == 0 && head[1] == 0 && head[3] == 0 && head[5] == 0 && (head[2] == 1 || head[2] == 2) &&
        head[4] >= 1 && head[4] <= 32)
        format = kImageFormatIco;

    // The text tests see zero bytes as spaces.
    char buf[kFormatProbeSize];
    for (std::size_t i = 0; i < n; ++i)
        buf[i] = head[i] == 0 ? ' ' : static_cast<char>(head[i]);
    const std::string_view t(buf, n);
    const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(buf[i]); };

    if (startsWith(t, "II") || startsWith(t, "MM"))
        format = kImageFormatTiff;
    if (startsWith(t, "GIF87a") || startsWith(t, "GIF89a"))
        format = kImageFormatGif;
    if (startsWith(t, "\x89PNG"))
        format = kImageFormatPng;
    if (startsWith(t, "BM"))
        format = kImageFormatBmp;
    if (startsWith(t, "TLSP"))
        format = kImageFormatTls;
    if (contains(t, "JFIF"))
        format = kImageFormatJpeg;
    if (contains(t, "XPM") || contains(t, "char"))
        format = kImageFormatXpm;
    if (n >= 2 && byte(0) == 0xFF && (byte(1) == 0xD8 || byte(1) == 0xDB))
        format = kImageFormatJpeg;
    if (startsWith(t, "%!"))
        format = kImageFormatEps;
    if (n >= 2 && buf[0] == 'P' && buf[1] >= '1' && buf[1] <= '6')
        format = kImageFormatPnm;
    if (n >= 8 && buf[4] == ' ' && buf[5] == ' ' && buf[6] == ' ' && (buf[7] == 6 || buf[7] == 7))
        format = kImageFormatXwd;
    return format;
}

}  // namespace gz
