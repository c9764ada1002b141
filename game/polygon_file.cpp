#include "game/polygon_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "game/svg_scanner.h"

namespace gz {

namespace {

// Published names of the SVG 1.0 namespace and DTD, and the namespace the
// drawing program writes for its own attributes.
constexpr const char* kSvgNamespace = "http://www.w3.org/2000/svg";
constexpr const char* kSvgDtd = "http://www.w3.org/TR/2001/REC-SVG-20010904/DTD/svg10.dtd";
constexpr const char* kDrawingNamespace = "http://product.corel.com/CGS/11/cddns/";
constexpr const char* kXlinkNamespace = "http://www.w3.org/1999/xlink";

void appendf(std::string& out, const char* format, long long a, long long b = 0)
{
    const int n = std::snprintf(nullptr, 0, format, a, b);
    if (n <= 0)
        return;
    const std::size_t old = out.size();
    out.resize(old + static_cast<std::size_t>(n) + 1);
    std::snprintf(out.data() + old, static_cast<std::size_t>(n) + 1, format, a, b);
    out.resize(old + static_cast<std::size_t>(n));
}

}  // namespace

uint32_t polygonFileOutlineColour(int slot)
{
    const uint32_t red = (slot & 4) ? 0xC0 : 0x40;
    const uint32_t green = (slot & 2) ? 0xC0 : 0x40;
    uint32_t blue;
    switch (slot & 9) {
    case 0: blue = 0x40; break;
    case 1: blue = 0xC0; break;
    case 8: blue = 0x80; break;
    default: blue = 0x00; break;
    }
    return (red << 16) | (green << 8) | blue;
}

long long polygonFileStrokeHundredths(int width, int height)
{
    const long long longer = std::max<long long>(std::max(width, height), 0);
    return std::max(100LL, longer * 100 / kStrokeFraction);
}

std::string formatPolygonFile(const GameContent& game, int width, int height)
{
    const int n = std::clamp(game.polygonCount, 0, kMaxPolygons);
    std::string out;
    out.reserve(2048 + static_cast<std::size_t>(n) * 32 * 24);

    out += "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";
    out += "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.0//EN\" \"";
    out += kSvgDtd;
    out += "\">\n";
    out += "<!-- Creator: CorelDRAW -->\n";
    out += "<svg xmlns=\"";
    out += kSvgNamespace;
    // The image's href uses this prefix; XML readers refuse it undeclared.
    out += "\" xmlns:xlink=\"";
    out += kXlinkNamespace;
    out += "\" xmlns:odm=\"";
    out += kDrawingNamespace;
    out += "\" xmlns:corel-charset=\"";
    out += kDrawingNamespace;
    out += "\"";
    appendf(out,
            " xml:space=\"preserve\" width=\"60.4724in\" height=\"40.315in\" style=\"shape-rendering:"
            "geometricPrecision; text-rendering:geometricPrecision; image-rendering:optimizeQuality; "
            "fill-rule:evenodd\" viewBox=\"-100 -100 %lli %lli\">\n",
            static_cast<long long>(width) + 100, static_cast<long long>(height) + 100);
    out += " <defs>\n";
    out += "  <style type=\"text/css\">\n";
    out += "   <![CDATA[\n";
    const long long stroke = polygonFileStrokeHundredths(width, height);
    for (int i = 0; i < n; ++i) {
        appendf(out, "    .str%lli {stroke:#%06llX;", i, polygonFileOutlineColour(i));
        appendf(out, "stroke-width:%lli.%02lli}\n", stroke / 100, stroke % 100);
    }
    out += "    .fil0 {fill:none}\n";
    out += "   ]]>\n";
    out += "  </style>\n";
    out += "  <clipPath id=\"id0\">\n";
    appendf(out, "   <rect transform=\"matrix(1 0 0 1 0 0)\" x=\"0\" y=\"0\" width=\"%lli\" height=\"%lli\"/>\n",
            width, height);
    out += "  </clipPath>\n";
    out += " </defs>\n";
    out += " <g id=\"Ebene_x0020_1\">\n";
    appendf(out,
            "  <image transform=\"matrix(1 0 0 1 0 0)\" x=\"0\" y=\"0\" width=\"%lli\" height=\"%lli\" "
            "xlink:href=\"Pic.png\"/>\n",
            width, height);
    for (int i = 0; i < n; ++i) {
        const CoverPolygon& poly = game.polygons[i];
        appendf(out, "  <path class=\"fil0 str%lli\" d=\"M", i);
        const int points = std::clamp(poly.pointCount, 0, kMaxPolygonPoints);
        for (int j = 0; j < points; ++j) {
            appendf(out, "%lli %lli", poly.points[j].x, poly.points[j].y);
            if (j + 1 < points)
                out += ' ';
        }
        out += "z\"/>\n";
    }
    out += " </g>\n";
    out += "</svg>\n";
    return out;
}

bool writePolygonFile(const GameContent& game, int width, int height, const std::string& path)
{
    const std::string text = formatPolygonFile(game, width, height);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const bool closed = std::fclose(f) == 0;
    return written && closed;
}

}  // namespace gz
