#include "game/polygon_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/svg_scanner.h"

namespace gz {
namespace {

using Points = std::vector<PolygonPoint>;

Points pointsOf(const CoverPolygon& p)
{
    return Points(p.points, p.points + p.pointCount);
}

std::vector<Points> polygonsOf(const GameContent& g)
{
    std::vector<Points> out;
    for (int i = 0; i < g.polygonCount; ++i)
        out.push_back(pointsOf(g.polygons[i]));
    return out;
}

// A minimal document around `body`, in the shape drawing programs write.
std::string document(const std::string& body)
{
    return "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 1 1\">\n" + body +
           "\n</svg>\n";
}

// The image spans a W x H picture at scale 1.
std::string unitImage(int w, int h)
{
    return "<image x=\"0\" y=\"0\" width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) + "\"/>";
}

std::string path(const std::string& d, const std::string& extra = "")
{
    return "<path " + extra + " d=\"" + d + "\"/>";
}

// --- writer ---------------------------------------------------------------

TEST(PolygonFileWriter, LaysOutTheFileLineByLine)
{
    GameContent g;
    CoverPolygon* a = g.appendPolygon();
    a->addPoint({1, 2});
    a->addPoint({-3, 4});
    a->addPoint({5, 60});
    a->setName("ignored name");
    g.appendPolygon();   // no points: the data is just "Mz"

    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n"
        "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.0//EN\" "
        "\"http://www.w3.org/TR/2001/REC-SVG-20010904/DTD/svg10.dtd\">\n"
        "<!-- Creator: CorelDRAW -->\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" xmlns:odm=\"http://product.corel.com/CGS/11/cddns/\" "
        "xmlns:corel-charset=\"http://product.corel.com/CGS/11/cddns/\" xml:space=\"preserve\" "
        "width=\"60.4724in\" height=\"40.315in\" style=\"shape-rendering:geometricPrecision; "
        "text-rendering:geometricPrecision; image-rendering:optimizeQuality; fill-rule:evenodd\" "
        "viewBox=\"-100 -100 500 400\">\n"
        " <defs>\n"
        "  <style type=\"text/css\">\n"
        "   <![CDATA[\n"
        "    .str0 {stroke:#404040;stroke-width:1.00}\n"
        "    .str1 {stroke:#4040C0;stroke-width:1.00}\n"
        "    .fil0 {fill:none}\n"
        "   ]]>\n"
        "  </style>\n"
        "  <clipPath id=\"id0\">\n"
        "   <rect transform=\"matrix(1 0 0 1 0 0)\" x=\"0\" y=\"0\" width=\"400\" height=\"300\"/>\n"
        "  </clipPath>\n"
        " </defs>\n"
        " <g id=\"Ebene_x0020_1\">\n"
        "  <image transform=\"matrix(1 0 0 1 0 0)\" x=\"0\" y=\"0\" width=\"400\" height=\"300\" "
        "xlink:href=\"Pic.png\"/>\n"
        "  <path class=\"fil0 str0\" d=\"M1 2 -3 4 5 60z\"/>\n"
        "  <path class=\"fil0 str1\" d=\"Mz\"/>\n"
        " </g>\n"
        "</svg>\n";
    EXPECT_EQ(formatPolygonFile(g, 400, 300), expected);
}

TEST(PolygonFileWriter, OutlineColoursFollowTheSlotBits)
{
    struct Case { int slot; uint32_t rgb; };
    const Case cases[] = {
        {0, 0x404040}, {1, 0x4040C0}, {2, 0x40C040}, {4, 0xC04040}, {6, 0xC0C040},
        {8, 0x404080}, {9, 0x404000}, {15, 0xC0C000}, {16, 0x404040}, {25, 0x404000}, {31, 0xC0C000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(polygonFileOutlineColour(c.slot), c.rgb) << "slot " << c.slot;
}

// The outline must stay thin at the picture's own scale, or a drawing program
// (and any renderer) paints it over the whole picture.
TEST(PolygonFileWriter, StrokeWidthFollowsThePictureSize)
{
    struct Case { int w, h; const char* style; };
    const Case cases[] = {
        {400, 300, "stroke-width:1.00}"},    {720, 477, "stroke-width:1.80}"},
        {4000, 3000, "stroke-width:10.00}"}, {300, 8000, "stroke-width:20.00}"},
        {1, 1, "stroke-width:1.00}"},        {0, 0, "stroke-width:1.00}"},
        {2147483647, 5, "stroke-width:5368709.11}"},
    };
    GameContent g;
    g.appendPolygon();
    for (const Case& c : cases) {
        const std::string text = formatPolygonFile(g, c.w, c.h);
        EXPECT_NE(text.find(std::string(".str0 {stroke:#404040;") + c.style), std::string::npos) << c.w << "x" << c.h;
    }
}

TEST(PolygonFileWriter, FileThatCannotBeCreatedIsReported)
{
    GameContent g;
    EXPECT_FALSE(writePolygonFile(g, 10, 10, "/nonexistent-folder/for/sure/Pic.svg"));
}

// --- round trip -----------------------------------------------------------

TEST(PolygonFileRoundTrip, GivesBackPointsOrderAndSlotNames)
{
    GameContent g;
    for (int i = 0; i < kMaxPolygons; ++i) {
        CoverPolygon* p = g.appendPolygon();
        const int count = 3 + i % (kMaxPolygonPoints - 2);   // 3..32 points
        for (int j = 0; j < count; ++j)
            p->addPoint({(j * 37 + i * 11) % 1700 - 50, (j * j * 13 + i) % 1100 - (j % 2) * 60});
        // Keep the last point apart from the first, or the reader drops it
        // as a closing point.
        p->points[count - 1] = {p->points[0].x + 500 + i, p->points[0].y + 300};
    }
    const std::string tmp = ::testing::TempDir() + "gz_roundtrip_Pic.svg";
    ASSERT_TRUE(writePolygonFile(g, 1600, 1000, tmp));
    std::ifstream in(tmp, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::remove(tmp.c_str());

    GameContent back;
    ASSERT_TRUE(readPolygonFile(ss.str(), 1600, 1000, back));
    ASSERT_EQ(back.polygonCount, kMaxPolygons);
    EXPECT_EQ(polygonsOf(back), polygonsOf(g));
    for (int i = 0; i < kMaxPolygons; ++i)
        EXPECT_STREQ(back.polygons[i].name, ("str" + std::to_string(i)).c_str());
}

TEST(PolygonFileRoundTrip, EmptyTableGivesEmptyTable)
{
    GameContent g;
    GameContent back;
    back.polygonCount = 3;   // left over from an earlier game
    EXPECT_TRUE(readPolygonFile(formatPolygonFile(g, 640, 480), 640, 480, back));
    EXPECT_EQ(back.polygonCount, 0);
}

// --- reader: a table of hand-written files -----------------------------------

struct ReadCase {
    const char* what;
    std::string text;
    int w, h;
    bool ok;
    std::vector<Points> polygons;
};

std::vector<ReadCase> readCases()
{
    const std::string img = unitImage(400, 200);
    return {
        {"image rectangle maps onto the picture",
         document("<image x=\"100\" y=\"50\" width=\"200\" height=\"100\"/>" +
                  path("M150 75 L300 75 L300 150")),
         400, 200, true, {{{100, 50}, {400, 50}, {400, 200}}}},
        {"paths before any image scale with extent 1",
         document(path("M0.5 0.25 L1 0.25 L1 1") + img), 400, 200, true, {{{200, 50}, {400, 50}, {400, 200}}}},
        {"later image replaces earlier one",
         document("<image x=\"0\" y=\"0\" width=\"10\" height=\"10\"/>" + img + path("M10 10 L20 10 L20 20")),
         400, 200, true, {{{10, 10}, {20, 10}, {20, 20}}}},
        {"image with its own transform",
         document("<image transform=\"scale(2)\" x=\"0\" y=\"0\" width=\"200\" height=\"100\"/>" +
                  path("M10 10 L20 10 L20 20")),
         400, 200, true, {{{10, 10}, {20, 10}, {20, 20}}}},
        {"closing point dropped", document(img + path("M 10 10 L 20 10 L 20 20 L 10 10 Z")), 400, 200, true,
         {{{10, 10}, {20, 10}, {20, 20}}}},
        {"two points left after the closing point", document(img + path("M 10 10 L 20 10 L 10 10 Z")), 400, 200,
         true, {}},
        {"closing point within the tolerance",
         document(img + path("M 0 0 L 100000 0 L 100000 100000 L 0.9 0.9")), 400, 200, true,
         {{{0, 0}, {100000, 0}, {100000, 100000}}}},
        {"point just beyond the tolerance stays",
         document(img + path("M 0 0 L 100000 0 L 100000 100000 L 1.1 0")), 400, 200, true,
         {{{0, 0}, {100000, 0}, {100000, 100000}, {1, 0}}}},
        {"repeated absolute moveto", document(img + path("M10,10 20,10 20,20")), 400, 200, true,
         {{{10, 10}, {20, 10}, {20, 20}}}},
        {"repeated relative moveto", document(img + path("m10 10 10 0 0 10")), 400, 200, true,
         {{{10, 10}, {20, 10}, {20, 20}}}},
        {"lineto absolute and relative", document(img + path("M5 5 l10 0 L30 30 l-5-5")), 400, 200, true,
         {{{5, 5}, {15, 5}, {30, 30}, {25, 25}}}},
        {"horizontal and vertical", document(img + path("M10 10 H30 V40 h-5 v-10")), 400, 200, true,
         {{{10, 10}, {30, 10}, {30, 40}, {25, 40}, {25, 30}}}},
        {"exponent and fractions", document(img + path("M1e1 .5e1 L2.5E1 5 L25 3e1")), 400, 200, true,
         {{{10, 5}, {25, 5}, {25, 30}}}},
        {"comma before the second pair", document(img + path("M10,10,20,10,20,20")), 400, 200, true, {}},
        {"plus sign where a repeated number starts", document(img + path("M10 10 +20 10 20 20")), 400, 200,
         true, {}},
        {"number before any command", document(img + path("10 10 L20 10 L20 20")), 400, 200, true, {}},
        {"curve command", document(img + path("M10 10 L20 10 L20 20 C1 1 2 2 3 3")), 400, 200, true, {}},
        {"z before the curve keeps the points", document(img + path("M10 10 L20 10 L20 20 z C1 1 2 2 3 3")), 400,
         200, true, {{{10, 10}, {20, 10}, {20, 20}}}},
        {"moveto in the middle just adds its point", document(img + path("M1 1 L5 1 M9 9 L9 1")), 400, 200, true,
         {{{1, 1}, {5, 1}, {9, 9}, {9, 1}}}},
        {"missing y ends with no points", document(img + path("M1 1 L5 1 L9")), 400, 200, true, {}},
        {"path without d", document(img + "<path class=\"x\"/>"), 400, 200, true, {}},
        {"path transform translate then scale",
         document(img + path("M1 1 L2 1 L2 2", "transform=\"translate(10) scale(2)\"")), 400, 200, true,
         {{{12, 2}, {14, 2}, {14, 4}}}},
        {"own transform does not outlive its tag",
         document(img + path("M1 1 L2 1 L2 2", "transform=\"translate(10)\"") + path("M1 1 L2 1 L2 2")), 400,
         200, true, {{{11, 1}, {12, 1}, {12, 2}}, {{1, 1}, {2, 1}, {2, 2}}}},
        {"group transform applies inside the group only",
         document(img + "<g transform=\"translate(5,7)\">" + path("M0 0 L10 0 L10 10") + "</g>" +
                  path("M0 0 L10 0 L10 10")),
         400, 200, true, {{{5, 7}, {15, 7}, {15, 17}}, {{0, 0}, {10, 0}, {10, 10}}}},
        {"nested groups compose outer times inner",
         document(img + "<g transform=\"scale(2)\"><g transform=\"translate(1 1)\">" + path("M0 0 L10 0 L10 10") +
                  "</g></g>"),
         400, 200, true, {{{2, 2}, {22, 2}, {22, 22}}}},
        {"group around the image scales the mapping away",
         document("<g transform=\"scale(2)\">" + img + path("M10 10 L20 10 L20 20") + "</g>"), 400, 200, true,
         {{{10, 10}, {20, 10}, {20, 20}}}},
        {"rotate rounds to the nearest pixel",
         document(img + path("M10.4 2.6 L20.4 2.6 L20.4 12.6", "transform=\"rotate(90)\"")), 400, 200, true,
         {{{-3, 10}, {-3, 20}, {-13, 20}}}},
        {"rotate about a centre",
         document(img + path("M0.4 0.4 L4.4 0.4 L4.4 4.4", "transform=\"rotate(180 10 10)\"")), 400, 200,
         true, {{{20, 20}, {16, 20}, {16, 16}}}},
        {"rotate with a centre x only", document(img + path("M0.4 0.4 L4.4 0.4 L4.4 4.4", "transform=\"rotate(180,10)\"")),
         400, 200, true, {{{20, 0}, {16, 0}, {16, -4}}}},
        {"coordinates a drawing program wrote a hair off",
         document(img + path("M99.99998 49.6 L200.00001 -0.49 L-0.50001 10.5")), 400, 200, true,
         {{{100, 50}, {200, 0}, {-1, 11}}}},
        {"scale with two factors", document(img + path("M1 1 L2 1 L2 2", "transform=\"scale(2,3)\"")), 400, 200, true,
         {{{2, 3}, {4, 3}, {4, 6}}}},
        {"skewX", document(img + path("M0.4 10.4 L5.4 10.4 L5.4 20.4", "transform=\"skewX(45)\"")), 400, 200, true,
         {{{11, 10}, {16, 10}, {26, 20}}}},
        {"skewY", document(img + path("M10.4 0.4 L10.4 5.4 L20.4 5.4", "transform=\"SKEWY(45)\"")), 400, 200, true,
         {{{10, 11}, {10, 16}, {20, 26}}}},
        {"matrix with six numbers", document(img + path("M1 1 L2 1 L2 2", "transform=\"matrix(2,0,0,2,5,6)\"")), 400,
         200, true, {{{7, 8}, {9, 8}, {9, 10}}}},
        {"matrix with five numbers is skipped",
         document(img + path("M1 1 L2 1 L2 2", "transform=\"matrix(2 0 0 2 5) translate(1)\"")), 400, 200, true,
         {{{2, 1}, {3, 1}, {3, 2}}}},
        {"unknown function is skipped", document(img + path("M1 1 L2 1 L2 2", "transform=\"foo(1) translate(3)\"")),
         400, 200, true, {{{4, 1}, {5, 1}, {5, 2}}}},
        {"upper-case tags and attributes", document(img + "<PATH D=\"M1 1 L2 1 L2 2\"/>"), 400, 200, true,
         {{{1, 1}, {2, 1}, {2, 2}}}},
        {"a longer tag name is not a path or group",
         document(img + "<pathx d=\"M1 1 L2 1 L2 2\"/><gx transform=\"translate(9)\">" + path("M1 1 L2 1 L2 2")),
         400, 200, true, {{{1, 1}, {2, 1}, {2, 2}}}},
        {"other elements are skipped",
         document(img + "<rect x=\"1\" y=\"1\" width=\"2\" height=\"2\"/><text>hi</text><!-- c -->" +
                  path("M1 1 L2 1 L2 2")),
         400, 200, true, {{{1, 1}, {2, 1}, {2, 2}}}},
        {"tabs and line breaks inside tags",
         "<?xml?>\r\n<svg\r\n>\r\n<image\tx=\"0\"\ny=\"0\"\r\nwidth=\"400\" height=\"200\"/>\r\n<path\td=\"M1\t1\r\nL2 1 L2 2\"/>",
         400, 200, true, {{{1, 1}, {2, 1}, {2, 2}}}},
        {"units after numbers are ignored", document("<image x=\"0px\" y=\"0\" width=\"200px\" height=\"100px\"/>" +
                                                     path("M10 10 L20 10 L20 20")),
         400, 200, true, {{{20, 20}, {40, 20}, {40, 40}}}},
        {"svg at the first byte", "<svg>" + img + path("M1 1 L2 1 L2 2") + "</svg>", 400, 200, false, {}},
        {"no svg element", "<?xml?><html>" + img + path("M1 1 L2 1 L2 2"), 400, 200, false, {}},
        {"image without height fails", document("<image x=\"0\" y=\"0\" width=\"400\"/>"), 400, 200, false, {}},
        {"image without width fails and keeps what was read",
         document(img + path("M1 1 L2 1 L2 2") + "<image x=\"0\" y=\"0\" height=\"3\"/>" +
                  path("M5 5 L6 5 L6 6")),
         400, 200, false, {{{1, 1}, {2, 1}, {2, 2}}}},
        {"image without x and y sits at 0, 0",
         document("<image width=\"200\" height=\"100\"/>" + path("M10 10 L20 10 L20 20")), 400, 200, true,
         {{{20, 20}, {40, 20}, {40, 40}}}},
        {"image without y keeps its x",
         document("<image x=\"100\" width=\"200\" height=\"200\"/>" + path("M150 10 L300 10 L300 20")), 400,
         200, true, {{{100, 10}, {400, 10}, {400, 20}}}},
        // Attribute names count only where a name starts, after blank space.
        {"d= inside id= is not the path data", document(img + "<path id=\"p1\" d=\"M1 1 L2 1 L2 2\"/>"), 400,
         200, true, {{{1, 1}, {2, 1}, {2, 2}}}},
        {"x= inside a longer name is not the image's x",
         document("<image transform-center-x=\"40\" data-y=\"9\" x=\"0\" width=\"400\" height=\"200\"/>" +
                  path("M1 1 L2 1 L2 2")),
         400, 200, true, {{{1, 1}, {2, 1}, {2, 2}}}},
        {"a longer name ending in transform= is no transform",
         document(img + path("M1 1 L2 1 L2 2", "gradientTransform=\"translate(50)\"") +
                  "<g patternTransform=\"scale(3)\">" + path("M1 1 L2 1 L2 2") + "</g>"),
         400, 200, true, {{{1, 1}, {2, 1}, {2, 2}}, {{1, 1}, {2, 1}, {2, 2}}}},
        {"an attribute right after the tag name without a blank is not found",
         document(img + "<path/d=\"M1 1 L2 1 L2 2\"/>"), 400, 200, true, {}},
        // <polygon> and <polyline>: the same outlines as a straight path.
        {"polygon points", document(img + "<polygon points=\"10,10 20,10 20,20\"/>"), 400, 200, true,
         {{{10, 10}, {20, 10}, {20, 20}}}},
        {"polyline drops its closing point",
         document(img + "<polyline points=\"10 10, 20 10, 20 20, 10 10\"/>"), 400, 200, true,
         {{{10, 10}, {20, 10}, {20, 20}}}},
        {"polygon with its own and its group's transform",
         document(img + "<g transform=\"translate(100)\"><polygon transform=\"scale(2)\" points=\"1,1 2,1 2,2\"/></g>"),
         400, 200, true, {{{102, 2}, {104, 2}, {104, 4}}}},
        {"polygon numbers in any blank and comma mix, exponents",
         document(img + "<POLYGON POINTS=\" 1e1,1e1,20 10\t20 , 20 \"/>"), 400, 200, true,
         {{{10, 10}, {20, 10}, {20, 20}}}},
        {"a number left over at the end is dropped",
         document(img + "<polygon points=\"10,10 20,10 20,20 30\"/>"), 400, 200, true,
         {{{10, 10}, {20, 10}, {20, 20}}}},
        {"polygon list ends at the first non-number",
         document(img + "<polygon points=\"10,10 20,10 x 20,20\"/>"), 400, 200, true, {}},
        {"polygon of two points, without points, or with a longer name",
         document(img + "<polygon points=\"1,1 5,5\"/><polyline/><polygonal points=\"1,1 2,1 2,2\"/>"), 400,
         200, true, {}},
        {"polygon points scale with the image",
         document("<image x=\"100\" y=\"50\" width=\"200\" height=\"100\"/><polygon points=\"150,75 300,75 300,150\"/>"),
         400, 200, true, {{{100, 50}, {400, 50}, {400, 200}}}},
    };
}

TEST(PolygonFileReader, HandWrittenFiles)
{
    for (const ReadCase& c : readCases()) {
        GameContent g;
        EXPECT_EQ(readPolygonFile(c.text, c.w, c.h, g), c.ok) << c.what;
        EXPECT_EQ(polygonsOf(g), c.polygons) << c.what;
    }
}

TEST(PolygonFileReader, NamePrefixRemoval)
{
    struct Case { std::vector<std::string> classes; std::vector<std::string> names; };
    const Case cases[] = {
        {{"fil0 str0", "fil0 str1"}, {"str0", "str1"}},
        {{"fil0 str0", "fil1 str1"}, {"fil0 str0", "fil1 str1"}},
        {{"a b c"}, {"b c"}},
        {{"nospace", "nospace2"}, {"nospace", "nospace2"}},
        {{"x y", ""}, {"x y", ""}},
        {{std::string(100, 'n')}, {std::string(63, 'n')}},
    };
    for (const Case& c : cases) {
        std::string body = unitImage(10, 10);
        for (const std::string& cls : c.classes)
            body += path("M1 1 L2 1 L2 2", "class=\"" + cls + "\"");
        GameContent g;
        ASSERT_TRUE(readPolygonFile(document(body), 10, 10, g));
        ASSERT_EQ(g.polygonCount, static_cast<int>(c.names.size()));
        for (int i = 0; i < g.polygonCount; ++i)
            EXPECT_EQ(g.polygons[i].name, c.names[i]) << c.classes[0];
    }
}

TEST(PolygonFileReader, LimitsOf32PolygonsAnd32Points)
{
    std::string body = unitImage(100, 100);
    for (int i = 0; i < 40; ++i)
        body += path("M" + std::to_string(i) + " 0 L50 0 L50 50");
    GameContent g;
    ASSERT_TRUE(readPolygonFile(document(body), 100, 100, g));
    ASSERT_EQ(g.polygonCount, kMaxPolygons);
    EXPECT_EQ(g.polygons[31].points[0].x, 31);

    std::string d = "M0 0";
    for (int i = 1; i < 10000; ++i)
        d += " " + std::to_string(i) + " " + std::to_string(i % 7);
    GameContent many;
    ASSERT_TRUE(readPolygonFile(document(unitImage(100, 100) + path(d + " C")), 100, 100, many));
    ASSERT_EQ(many.polygonCount, 1);
    ASSERT_EQ(many.polygons[0].pointCount, kMaxPolygonPoints);
    EXPECT_EQ(many.polygons[0].points[31], (PolygonPoint{31, 3}));

    std::string list;
    for (int i = 0; i < 40; ++i)
        list += std::to_string(i) + "," + std::to_string(i % 5) + " ";
    GameContent shape;
    std::string shapes = unitImage(100, 100) + "<polyline points=\"" + list + "\"/>";
    for (int i = 0; i < 40; ++i)
        shapes += "<polygon points=\"" + std::to_string(i) + ",0 50,0 50,50\"/>";
    ASSERT_TRUE(readPolygonFile(document(shapes), 100, 100, shape));
    ASSERT_EQ(shape.polygonCount, kMaxPolygons);
    ASSERT_EQ(shape.polygons[0].pointCount, kMaxPolygonPoints);
    EXPECT_EQ(shape.polygons[0].points[31], (PolygonPoint{31, 1}));
    EXPECT_EQ(shape.polygons[31].points[0].x, 30);
}

TEST(PolygonFileReader, GroupsBeyondDepth31AreIgnoredAndStillClosed)
{
    std::string body = unitImage(100, 100);
    for (int i = 0; i < 31; ++i)
        body += "<g transform=\"translate(1)\">";
    for (int i = 0; i < 5; ++i)
        body += "<g transform=\"translate(1000)\">";
    body += path("M0 0 L1 0 L1 1");
    for (int i = 0; i < 5; ++i)
        body += "</g>";
    body += path("M0 0 L1 0 L1 1");   // still 31 levels deep
    for (int i = 0; i < 31; ++i)
        body += "</g>";
    body += "</g></g>";   // extra closers do no harm
    body += path("M0 0 L1 0 L1 1");
    GameContent g;
    ASSERT_TRUE(readPolygonFile(document(body), 100, 100, g));
    const std::vector<Points> expected = {
        {{31, 0}, {32, 0}, {32, 1}}, {{31, 0}, {32, 0}, {32, 1}}, {{0, 0}, {1, 0}, {1, 1}}};
    EXPECT_EQ(polygonsOf(g), expected);
}

TEST(PolygonFileReader, LeavesColourIndexesAndOtherFieldsAlone)
{
    GameContent g;
    for (int i = 0; i < kMaxPolygons; ++i)
        g.polygons[i].colourIndex = static_cast<uint8_t>(31 - i);
    g.setQuestion("Frage");
    ASSERT_TRUE(readPolygonFile(document(unitImage(8, 8) + path("M1 1 L2 1 L2 2")), 8, 8, g));
    EXPECT_EQ(g.polygons[0].colourIndex, 31);
    EXPECT_EQ(g.polygons[31].colourIndex, 0);
    EXPECT_STREQ(g.question, "Frage");
}

// --- reader: files a drawing program saved ------------------------------------

// data/editor/written.svg is this writer's file for a 400 x 300 picture with
// the four polygons below; make_fixtures.sh opened it in Inkscape, made one
// edit per file and saved. The expected points are the written ones moved by
// that edit, computed here from the edit itself, then rounded.
struct WrittenPoint {
    double x, y;
};
const std::vector<std::vector<WrittenPoint>> kWritten = {
    {{20, 20}, {180, 20}, {180, 140}, {20, 140}},
    {{220, 30}, {380, 40}, {300, 150}},
    {{40, 180}, {160, 170}, {190, 260}, {100, 290}, {30, 250}},
    {{230, 180}, {370, 180}, {370, 280}, {300, 230}, {230, 280}},
};

// Inkscape moves by px of 1/96 inch; the file's 40.315 inch high page shows
// 400 units of its view box (the narrower side), so one unit is this many px.
constexpr double kPxPerUnit = 40.315 * 96 / 400;

svg::Matrix moveByPx(double dx, double dy) { return {1, 0, 0, 1, dx / kPxPerUnit, dy / kPxPerUnit}; }

svg::Matrix turnAbout(double degrees, double cx, double cy)
{
    const double r = degrees * svg::kDegToRad;
    const svg::Matrix rotation{std::cos(r), std::sin(r), -std::sin(r), std::cos(r), 0, 0};
    return svg::Matrix{1, 0, 0, 1, cx, cy} * rotation * svg::Matrix{1, 0, 0, 1, -cx, -cy};
}

Points moved(const std::vector<WrittenPoint>& points, const svg::Matrix& m)
{
    Points out;
    for (const auto& p : points) {
        double x, y;
        m.apply(p.x, p.y, x, y);
        out.push_back({static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))});
    }
    return out;
}

std::vector<Points> writtenWith(std::vector<svg::Matrix> perPolygon)
{
    std::vector<Points> out;
    for (std::size_t i = 0; i < kWritten.size(); ++i)
        out.push_back(moved(kWritten[i], perPolygon[i]));
    return out;
}

std::string fixture(const std::string& name)
{
    std::ifstream in(std::string(GZ_TEST_DATA_DIR) + "/editor/" + name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(PolygonFileReader, FilesADrawingProgramSaved)
{
    const svg::Matrix same;
    const svg::Matrix group = moveByPx(100, -50) * turnAbout(90, 200, 230);   // box centre of 2 and 3
    std::vector<Points> withRect = writtenWith({same, same, same, same});
    withRect.push_back({{250, 40}, {350, 40}, {350, 100}, {250, 100}});
    // Inkscape wrote the moved <polygon>'s points starting from the second.
    std::vector<Points> shapes = writtenWith({same, moveByPx(96, 48), moveByPx(96, 48), same});
    std::rotate(shapes[1].begin(), shapes[1].begin() + 1, shapes[1].end());

    struct Case { const char* file; std::vector<Points> polygons; };
    const Case cases[] = {
        {"written.svg", writtenWith({same, same, same, same})},
        {"inkscape_saved.svg", writtenWith({same, same, same, same})},
        {"inkscape_ungrouped.svg", writtenWith({same, same, same, same})},
        {"inkscape_moved.svg", writtenWith({same, moveByPx(150, -100), same, same})},
        {"inkscape_rotated.svg", writtenWith({turnAbout(30, 100, 80), same, same, same})},
        {"inkscape_grouped.svg", writtenWith({same, same, group, group})},
        {"inkscape_all_scaled.svg", writtenWith({same, same, same, same})},
        {"inkscape_plain.svg", writtenWith({same, turnAbout(-45, 300, 90), same, same})},
        {"inkscape_rect_to_path.svg", withRect},
        {"inkscape_shapes_moved.svg", shapes},
    };
    for (const Case& c : cases) {
        const std::string text = fixture(c.file);
        ASSERT_FALSE(text.empty()) << c.file;
        GameContent g;
        ASSERT_TRUE(readPolygonFile(text, 400, 300, g)) << c.file;
        EXPECT_EQ(polygonsOf(g), c.polygons) << c.file;
        for (int i = 0; i < 4 && i < g.polygonCount; ++i)
            EXPECT_EQ(g.polygons[i].name, "str" + std::to_string(i)) << c.file;
    }
}

// Inputs that once were or could be dangerous: unterminated tags and values,
// absurd numbers, deep nesting. Each must come back with a defined result.
TEST(PolygonFileReader, HostileTexts)
{
    struct Case { const char* what; std::string text; bool ok; int polygons; };
    const std::string img = unitImage(100, 100);
    const Case cases[] = {
        {"empty", "", false, 0},
        {"svg tag never closed", "x<svg width=\"1", true, 0},
        {"path tag never closed", "x<svg>" + img + "<path d=\"M1 1 L2 1 L2 2", true, 1},
        {"d value never closed", "x<svg>" + img + "<path d=\"M1 1 L2 1 L2 2 /> <g>", true, 0},
        {"transform value never closed", "x<svg>" + img + "<g transform=\"scale(2", true, 0},
        {"unquoted transform runs on", "x<svg>" + img + "<path transform=translate(1" + std::string(9000, ' ') + ")" +
                                            " d=\"M1 1 L2 1 L2 2\"/>", true, 1},
        {"image attribute without a value", "x<svg><image x= y= width= height=", true, 0},
        {"huge coordinates saturate", "x<svg>" + img + path("M1e300 1e300 L-1e300 1 L1 1e999"), true, 1},
        {"zero-size image and huge scale", "x<svg><image x=\"0\" y=\"0\" width=\"1e-300\" height=\"0\"/>" +
                                               path("M1 1 L2 1 L2 2"), true, 1},
        {"infinite transform", "x<svg>" + img + path("M1 1 L2 1 L2 2", "transform=\"scale(1e308) scale(1e308)\""),
         true, 1},
        {"inf and nan are not numbers", "x<svg>" + img + path("Minf nan L2 1 L2 2"), true, 0},
        {"ten thousand nested groups", "x<svg>" + std::string(10000 * 3, '\0'), true, 0},
        {"text after a zero byte is not read", std::string("x<svg>") + '\0' + img + path("M1 1 L2 1 L2 2"), true, 0},
        {"lone angle brackets", "x<svg>>>> < >" + img + path("M1 1 L2 1 L2 2") + "<", true, 1},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        if (std::string(c.what) == "ten thousand nested groups") {
            text = "x<svg>";
            for (int i = 0; i < 10000; ++i)
                text += "<g transform=\"rotate(1)\">";
        }
        GameContent g;
        EXPECT_EQ(readPolygonFile(text, 100, 100, g), c.ok) << c.what;
        EXPECT_EQ(g.polygonCount, c.polygons) << c.what;
    }
}

// Files that once troubled the reader, and the fuzz seeds: each reads to a
// defined result within the table's limits.
TEST(PolygonFileReader, CrashersAndCorpusReadWithinLimits)
{
    int files = 0;
    for (const char* dir : {GZ_TEST_DATA_DIR "/crashers", GZ_TEST_DATA_DIR "/../../fuzz/corpus/polygon_file"}) {
        if (!std::filesystem::is_directory(dir))
            continue;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream ss;
            ss << in.rdbuf();
            GameContent g;
            readPolygonFile(ss.str().substr(0, kPolygonFileReadLimit), 1600, 1200, g);
            EXPECT_GE(g.polygonCount, 0) << entry.path();
            EXPECT_LE(g.polygonCount, kMaxPolygons) << entry.path();
            for (int i = 0; i < g.polygonCount; ++i) {
                EXPECT_GE(g.polygons[i].pointCount, 3) << entry.path();
                EXPECT_LE(g.polygons[i].pointCount, kMaxPolygonPoints) << entry.path();
            }
            ++files;
        }
    }
    EXPECT_GT(files, 0);
}

// --- scanner helpers --------------------------------------------------------

TEST(SvgScanner, NumbersReadLikeStrtodWithoutItsSurprises)
{
    struct Case { std::string text; bool ok; double value; std::size_t end; };
    const Case cases[] = {
        {"12.5px", true, 12.5, 4}, {"  -3", true, -3, 4}, {"+7", true, 7, 2}, {".5", true, 0.5, 2},
        {"5.", true, 5, 2},        {"3e2", true, 300, 3}, {"3e", true, 3, 1}, {"3e+x", true, 3, 1},
        {"-", false, 0, 0},        {".", false, 0, 0},    {"inf", false, 0, 0}, {"0x10", true, 0, 1},
        {"1e400", true, 1.7976931348623157e308, 5}, {"1e-400", true, 0, 6}, {"", false, 0, 0},
    };
    for (const Case& c : cases) {
        std::size_t pos = 0;
        double v = -99;
        EXPECT_EQ(svg::readNumber(c.text, pos, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
            EXPECT_EQ(pos, c.end) << c.text;
        } else {
            EXPECT_EQ(pos, 0u) << c.text;
        }
    }
}

TEST(SvgScanner, AttributesAreFoundOnlyWhereANameStarts)
{
    struct Case { std::string tag; std::string name; std::size_t at; };
    const std::size_t none = std::string_view::npos;
    const Case cases[] = {
        {"<path id=\"a\" d=\"M1\"", "d=\"", 13}, {"<path id=\"a\"", "d=\"", none},
        {"<image X=\"1\"", "x=", 7},              {"<image refx=\"1\"", "x=", none},
        {"<rect\tx=\"1\"", "x=", 6},             {"<x=\"1\"", "x=", none},
        {"<g a:transform=\"s\" transform=\"t\"", "transform=", 19},
    };
    for (const Case& c : cases)
        EXPECT_EQ(svg::findAttribute(c.tag, c.name), c.at) << c.tag;
}

TEST(SvgScanner, MatrixProductAppliesRightOperandFirst)
{
    const svg::Matrix t{1, 0, 0, 1, 10, 0};
    const svg::Matrix s{2, 0, 0, 2, 0, 0};
    double x, y;
    (t * s).apply(1, 1, x, y);
    EXPECT_DOUBLE_EQ(x, 12);
    EXPECT_DOUBLE_EQ(y, 2);
    (s * t).apply(1, 1, x, y);
    EXPECT_DOUBLE_EQ(x, 22);
    EXPECT_DOUBLE_EQ(y, 2);
}

TEST(SvgScanner, TransformListCountsAppliedFunctions)
{
    struct Case { std::string list; int applied; };
    const Case cases[] = {
        {"\"translate(1) scale(2)\"", 2}, {"\"\"", 0}, {"\"translate()\"", 0}, {"\"rotate(1 2 3 4)\"", 0},
        {"\"skewX(1,2)\"", 0},            {"\"bogus\"", 0}, {"\"Matrix(1 0 0 1 0 0)\"", 1},
        {"translate(1)/>", 1},
    };
    for (const Case& c : cases) {
        svg::Matrix m;
        EXPECT_EQ(svg::readTransformList(c.list, 0, m), c.applied) << c.list;
    }
}

TEST(SvgScanner, PixelConversionSaturates)
{
    EXPECT_EQ(svg::toPixel(-2.9), -3);
    EXPECT_EQ(svg::toPixel(2.9), 3);
    EXPECT_EQ(svg::toPixel(2.4999), 2);
    EXPECT_EQ(svg::toPixel(2.5), 3);
    EXPECT_EQ(svg::toPixel(-2.5), -3);
    EXPECT_EQ(svg::toPixel(99.99998), 100);
    EXPECT_EQ(svg::toPixel(2147483646.4), 2147483646);
    EXPECT_EQ(svg::toPixel(2147483646.6), 2147483647);
    EXPECT_EQ(svg::toPixel(-2147483647.6), -2147483647 - 1);
    EXPECT_EQ(svg::toPixel(1e300), 2147483647);
    EXPECT_EQ(svg::toPixel(-1e300), -2147483647 - 1);
    EXPECT_EQ(svg::toPixel(std::numeric_limits<double>::quiet_NaN()), 0);
}

}  // namespace
}  // namespace gz
