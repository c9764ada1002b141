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
    for (int i = 0; i < n; ++i)
        appendf(out, "    .str%lli {stroke:#%06llX;stroke-width:222.22}\n", i, polygonFileOutlineColour(i));
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

namespace {

using svg::Matrix;

constexpr int kStackLevels = 33;
constexpr int kMaxGroupDepth = 31;
constexpr std::size_t npos = std::string_view::npos;

struct PathPoint {
    double x;
    double y;
};

// Reads the number after attribute `name` (skipping one opening quote).
// Returns false when the tag has no such attribute; an unreadable value
// counts as 0, as strtod would give.
bool attributeNumber(std::string_view tag, std::string_view name, double& value)
{
    const std::size_t at = svg::findNoCase(tag, name);
    if (at == npos)
        return false;
    std::size_t p = at + name.size();
    if (p < tag.size() && tag[p] == '"')
        ++p;
    if (!svg::readNumber(tag, p, value))
        value = 0;
    return true;
}

// Path data of a <path> tag into `out` (at most 32 points); returns the
// count, 0 when the data uses anything but M/L/H/V/Z.
int readPathData(std::string_view tag, PathPoint* out)
{
    const std::size_t at = svg::findNoCase(tag, "d=\"");
    if (at == npos)
        return 0;
    const std::size_t begin = at + 3;
    std::size_t end = tag.find('"', begin);
    if (end == npos)
        end = tag.size();
    const std::string_view data = tag.substr(begin, end - begin);

    double cx = 0, cy = 0;
    char previous = 0;
    int n = 0;
    std::size_t i = 0;
    while (i < data.size() && n < kMaxPolygonPoints) {
        while (i < data.size() && svg::isBlank(data[i]))
            ++i;
        if (i >= data.size())
            break;
        const char c = data[i];
        char command;
        if ((c >= '0' && c <= '9') || c == '.' || c == '-') {
            if (previous == 0)
                return 0;   // a number before any command
            command = previous;
        } else {
            command = c;
            previous = c;
            ++i;
        }
        double x = 0, y = 0;
        switch (command) {
        case 'M': case 'm': case 'L': case 'l':
            if (!svg::readNumber(data, i, x))
                return 0;
            while (i < data.size() && (svg::isBlank(data[i]) || data[i] == ','))
                ++i;
            if (!svg::readNumber(data, i, y))
                return 0;
            if (command == 'M' || command == 'L') {
                cx = x;
                cy = y;
            } else {
                cx += x;
                cy += y;
            }
            break;
        case 'H': case 'h':
            if (!svg::readNumber(data, i, x))
                return 0;
            cx = command == 'H' ? x : cx + x;
            break;
        case 'V': case 'v':
            if (!svg::readNumber(data, i, y))
                return 0;
            cy = command == 'V' ? y : cy + y;
            break;
        case 'Z': case 'z':
            return n;
        default:
            return 0;   // curves, arcs, a '+' or ',' in command position
        }
        out[n++] = {cx, cy};
    }
    return n;
}

// Stores the class value (at most 63 bytes) of the tag as the slot's name.
void readName(std::string_view tag, CoverPolygon& poly)
{
    poly.name[0] = '\0';
    const std::size_t at = svg::findNoCase(tag, "class=");
    if (at == npos)
        return;
    const std::size_t open = tag.find('"', at + 6);
    if (open == npos)
        return;
    std::size_t close = tag.find('"', open + 1);
    if (close == npos)
        close = tag.size();
    poly.setName(tag.substr(open + 1, close - open - 1));
}

void removeCommonNamePrefix(GameContent& game)
{
    if (game.polygonCount < 1)
        return;
    const char* first = game.polygons[0].name;
    const char* space = std::strchr(first, ' ');
    if (!space)
        return;
    const std::size_t len = static_cast<std::size_t>(space - first) + 1;
    char prefix[kNameCapacity];
    std::memcpy(prefix, first, len);
    for (int i = 1; i < game.polygonCount; ++i)
        if (std::strncmp(game.polygons[i].name, prefix, len) != 0)
            return;
    for (int i = 0; i < game.polygonCount; ++i) {
        char* name = game.polygons[i].name;
        std::memmove(name, name + len, std::strlen(name + len) + 1);
    }
}

}  // namespace

bool readPolygonFile(std::string_view input, int width, int height, GameContent& game)
{
    game.polygonCount = 0;
    if (const std::size_t zero = input.find('\0'); zero != npos)
        input = input.substr(0, zero);
    std::string buffer(input);
    for (char& c : buffer)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    const std::string_view text = buffer;

    const std::size_t svgAt = svg::findNoCase(text, "<svg");
    if (svgAt == npos || svgAt == 0)
        return false;
    std::size_t pos = text.find('>', svgAt);
    pos = pos == npos ? text.size() : text.find('<', pos);
    if (pos == npos)
        pos = text.size();

    Matrix stack[kStackLevels];
    int depth = 0;
    int ignoredGroups = 0;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    while (pos < text.size()) {
        const std::size_t gt = text.find('>', pos);
        const std::size_t tagEnd = gt == npos ? text.size() : gt;
        const std::string_view tag = text.substr(pos, tagEnd - pos);
        const std::string_view rest = text.substr(pos);
        const std::size_t transformAt = svg::findNoCase(tag, "transform=");
        const std::size_t listAt = pos + transformAt + 10;

        if (svg::startsWithKeyword(rest, "<g")) {
            if (depth < kMaxGroupDepth) {
                ++depth;
                stack[depth] = stack[depth - 1];
                if (transformAt != npos)
                    svg::readTransformList(text, listAt, stack[depth]);
            } else {
                ++ignoredGroups;
            }
        } else if (svg::startsWithKeyword(rest, "</g")) {
            if (ignoredGroups > 0)
                --ignoredGroups;
            else if (depth > 0)
                --depth;
        } else {
            Matrix current = stack[depth];
            if (transformAt != npos) {
                Matrix own = stack[depth];
                if (svg::readTransformList(text, listAt, own) > 0)
                    current = own;   // the temporary level depth+1
            }
            if (svg::startsWithKeyword(rest, "<image")) {
                double x, y, w, h;
                if (!attributeNumber(tag, "x=", x) || !attributeNumber(tag, "y=", y) ||
                    !attributeNumber(tag, "width=", w) || !attributeNumber(tag, "height=", h))
                    return false;
                current.apply(x, y, x0, y0);
                current.apply(x + w, y + h, x1, y1);
            } else if (svg::startsWithKeyword(rest, "<path")) {
                if (game.polygonCount >= kMaxPolygons)
                    break;
                PathPoint pts[kMaxPolygonPoints];
                int n = readPathData(tag, pts);
                if (n >= 3) {
                    double minX = 0, maxX = 0, minY = 0, maxY = 0;
                    for (int k = 0; k < n; ++k) {
                        current.apply(pts[k].x, pts[k].y, pts[k].x, pts[k].y);
                        if (k == 0 || pts[k].x < minX) minX = pts[k].x;
                        if (k == 0 || pts[k].x > maxX) maxX = pts[k].x;
                        if (k == 0 || pts[k].y < minY) minY = pts[k].y;
                        if (k == 0 || pts[k].y > maxY) maxY = pts[k].y;
                    }
                    const double tx = (maxX - minX) * 0.00001;
                    const double ty = (maxY - minY) * 0.00001;
                    while (n >= 3 && pts[n - 1].x >= pts[0].x - tx && pts[n - 1].x <= pts[0].x + tx &&
                           pts[n - 1].y >= pts[0].y - ty && pts[n - 1].y <= pts[0].y + ty)
                        --n;
                    if (n >= 3) {
                        const double ew = (x1 - x0) == 0 ? 1.0 : x1 - x0;
                        const double eh = (y1 - y0) == 0 ? 1.0 : y1 - y0;
                        const double sx = width / ew;
                        const double sy = height / eh;
                        CoverPolygon& poly = game.polygons[game.polygonCount];
                        readName(tag, poly);
                        poly.pointCount = n;
                        for (int k = 0; k < n; ++k) {
                            poly.points[k].x = svg::toPixel(sx * pts[k].x - sx * x0);
                            poly.points[k].y = svg::toPixel(sy * pts[k].y - sy * y0);
                        }
                        ++game.polygonCount;
                    }
                }
            }
        }
        pos = tagEnd < text.size() ? text.find('<', tagEnd) : npos;
        if (pos == npos)
            pos = text.size();
    }

    removeCommonNamePrefix(game);
    return true;
}

}  // namespace gz
