// The reader half of the polygon file: a tag scanner over the file text that
// follows groups and transforms, takes the picture's rectangle from the
// <image> element and reads straight outlines from <path>, <polygon> and
// <polyline> elements into picture pixels.
#include "game/polygon_file.h"

#include <cstring>

#include "game/svg_scanner.h"

namespace gz {

namespace {

using svg::Matrix;

constexpr int kStackLevels = 33;
constexpr int kMaxGroupDepth = 31;
constexpr std::size_t npos = std::string_view::npos;

struct PathPoint {
    double x;
    double y;
};

// The image element's corners after its transform; all 0 until one is read.
struct ImageRect {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// Reads the number after attribute `name` (skipping one opening quote).
// Returns false when the tag has no such attribute; an unreadable value
// counts as 0, as strtod would give.
bool attributeNumber(std::string_view tag, std::string_view name, double& value)
{
    const std::size_t at = svg::findAttribute(tag, name);
    if (at == npos)
        return false;
    std::size_t p = at + name.size();
    if (p < tag.size() && tag[p] == '"')
        ++p;
    if (!svg::readNumber(tag, p, value))
        value = 0;
    return true;
}

// The text after `name` (given with its '="') up to the closing double
// quote, or to the end of the tag when that is missing. `found` tells
// whether the tag has the attribute at all.
std::string_view quotedValue(std::string_view tag, std::string_view name, bool& found)
{
    const std::size_t at = svg::findAttribute(tag, name);
    found = at != npos;
    if (!found)
        return {};
    const std::size_t begin = at + name.size();
    std::size_t end = tag.find('"', begin);
    if (end == npos)
        end = tag.size();
    return tag.substr(begin, end - begin);
}

// Path data of a <path> tag into `out` (at most 32 points); returns the
// count, 0 when the data uses anything but M/L/H/V/Z.
int readPathData(std::string_view tag, PathPoint* out)
{
    bool found = false;
    const std::string_view data = quotedValue(tag, "d=\"", found);
    if (!found)
        return 0;

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

// The points="x,y x,y ..." list of a <polygon> or <polyline> tag into `out`
// (at most 32 points). Numbers are separated by any mix of blanks and
// commas; the list ends at the first thing that is not a number, and an odd
// number left over at the end is dropped, as SVG renders such a list.
int readPointList(std::string_view tag, PathPoint* out)
{
    bool found = false;
    const std::string_view data = quotedValue(tag, "points=\"", found);
    int n = 0;
    std::size_t i = 0;
    while (found && n < kMaxPolygonPoints) {
        double x, y;
        if (!svg::readNumber(data, i, x))
            break;
        while (i < data.size() && (svg::isBlank(data[i]) || data[i] == ','))
            ++i;
        if (!svg::readNumber(data, i, y))
            break;
        while (i < data.size() && (svg::isBlank(data[i]) || data[i] == ','))
            ++i;
        out[n++] = {x, y};
    }
    return n;
}

// Stores the class value (at most 63 bytes) of the tag as the slot's name.
void readName(std::string_view tag, CoverPolygon& poly)
{
    poly.name[0] = '\0';
    const std::size_t at = svg::findAttribute(tag, "class=");
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

// Maps the n points of one outline through `current`, drops the points that
// only close it again, scales the rest into picture pixels and stores them
// with the tag's class as the next slot. Outlines of fewer than 3 points
// are skipped.
void storeOutline(PathPoint* pts, int n, const Matrix& current, const ImageRect& image, int width, int height,
                  std::string_view tag, GameContent& game)
{
    if (n < 3)
        return;
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
    if (n < 3)
        return;
    const double ew = (image.x1 - image.x0) == 0 ? 1.0 : image.x1 - image.x0;
    const double eh = (image.y1 - image.y0) == 0 ? 1.0 : image.y1 - image.y0;
    const double sx = width / ew;
    const double sy = height / eh;
    CoverPolygon& poly = game.polygons[game.polygonCount];
    readName(tag, poly);
    poly.pointCount = n;
    for (int k = 0; k < n; ++k) {
        poly.points[k].x = svg::toPixel(sx * pts[k].x - sx * image.x0);
        poly.points[k].y = svg::toPixel(sy * pts[k].y - sy * image.y0);
    }
    ++game.polygonCount;
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
    ImageRect image;

    while (pos < text.size()) {
        const std::size_t gt = text.find('>', pos);
        const std::size_t tagEnd = gt == npos ? text.size() : gt;
        const std::string_view tag = text.substr(pos, tagEnd - pos);
        const std::string_view rest = text.substr(pos);
        const std::size_t transformAt = svg::findAttribute(tag, "transform=");
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
                // x and y default to 0 as in SVG; without a size there is
                // no picture rectangle to map onto.
                double x = 0, y = 0, w, h;
                attributeNumber(tag, "x=", x);
                attributeNumber(tag, "y=", y);
                if (!attributeNumber(tag, "width=", w) || !attributeNumber(tag, "height=", h))
                    return false;
                current.apply(x, y, image.x0, image.y0);
                current.apply(x + w, y + h, image.x1, image.y1);
            } else {
                const bool isPath = svg::startsWithKeyword(rest, "<path");
                const bool isPointList =
                    svg::startsWithKeyword(rest, "<polygon") || svg::startsWithKeyword(rest, "<polyline");
                if (isPath || isPointList) {
                    if (game.polygonCount >= kMaxPolygons)
                        break;
                    PathPoint pts[kMaxPolygonPoints];
                    const int n = isPath ? readPathData(tag, pts) : readPointList(tag, pts);
                    storeOutline(pts, n, current, image, width, height, tag, game);
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
