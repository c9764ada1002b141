#include "board/sort_mode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using gz::GameContent;
using gz::PictureMapping;
using gz::PolygonPoint;

struct Shape {
    std::string name;
    std::vector<PolygonPoint> points;
};

// Picture pixels; the board shows the picture at half size from (100, 50),
// so board (100 + x / 2, 50 + y / 2) is picture (x, y).
const PictureMapping kHalfSize{1, 2, 100, 50};

PolygonPoint boardOf(PolygonPoint picture) { return {100 + picture.x / 2, 50 + picture.y / 2}; }

std::vector<PolygonPoint> rect(int x0, int y0, int x1, int y1)
{
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

// A, B, C side by side with gaps; B and D share the vertical edge x = 300;
// D and E share the horizontal edge y = 200; F overlaps A.
const std::vector<Shape> kShapes{
    {"A", rect(0, 0, 100, 100)},
    {"B", rect(200, 0, 300, 100)},
    {"C", {{400, 0}, {500, 50}, {400, 100}}},
    {"D", rect(300, 0, 380, 200)},
    {"E", rect(300, 200, 380, 300)},
    {"F", rect(50, 50, 150, 150)},
    {"G", {{600, 0}, {700, 100}, {800, 0}}},  // tip pointing down
};

void load(GameContent& game, const std::vector<std::string>& order)
{
    game.polygonCount = 0;
    for (const std::string& name : order) {
        for (const Shape& s : kShapes) {
            if (s.name != name)
                continue;
            gz::CoverPolygon* p = game.appendPolygon();
            p->setName(name);
            for (const PolygonPoint& q : s.points)
                p->addPoint(q);
        }
    }
    game.modified = false;
}

std::vector<std::string> order(const GameContent& game)
{
    std::vector<std::string> names;
    for (int i = 0; i < game.polygonCount; ++i)
        names.emplace_back(game.polygons[i].name);
    return names;
}

struct SortCase {
    const char* what;
    std::vector<std::string> start;
    std::vector<PolygonPoint> clicks;  // picture positions, clicked on the board
    std::vector<std::string> end;
    bool modified;
};

class SortSequenceTest : public ::testing::TestWithParam<SortCase> {};

TEST_P(SortSequenceTest, ClickSequence)
{
    const SortCase& c = GetParam();
    auto game = std::make_unique<GameContent>();
    load(*game, c.start);
    for (PolygonPoint click : c.clicks)
        gz::applySortClick(*game, kHalfSize, boardOf(click));
    EXPECT_EQ(order(*game), c.end) << c.what;
    EXPECT_EQ(game->modified, c.modified) << c.what;
    EXPECT_TRUE(game->colourIndexesArePermutation());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SortSequenceTest,
    ::testing::Values(
        // Clicked first = uncovered first = the end of the list (label 1).
        SortCase{"A, B, C in turn", {"A", "B", "C"}, {{50, 50}, {250, 50}, {420, 50}},
                 {"C", "B", "A"}, true},
        SortCase{"C, B, A in turn", {"A", "B", "C"}, {{420, 50}, {250, 50}, {50, 50}},
                 {"A", "B", "C"}, true},
        SortCase{"the front polygon again: same order, still modified", {"A", "B", "C"},
                 {{10, 10}}, {"A", "B", "C"}, true},
        SortCase{"a gap between polygons", {"A", "B", "C"}, {{150, 50}}, {"A", "B", "C"}, false},
        SortCase{"outside the picture", {"A", "B", "C"}, {{-300, -90}}, {"A", "B", "C"}, false},
        SortCase{"a gap between two hits", {"A", "B", "C"}, {{250, 50}, {150, 50}, {420, 50}},
                 {"C", "B", "A"}, true},
        SortCase{"overlap picks the lower index", {"A", "F"}, {{80, 80}}, {"A", "F"}, true},
        SortCase{"overlap picks the lower index, reversed", {"F", "A"}, {{80, 80}}, {"F", "A"}, true},
        SortCase{"F alone outside the overlap", {"A", "F"}, {{140, 140}}, {"F", "A"}, true},
        SortCase{"shared vertical edge: lower index", {"C", "D", "B"}, {{300, 50}},
                 {"D", "C", "B"}, true},
        SortCase{"shared horizontal edge: lower index", {"A", "E", "D"}, {{340, 200}},
                 {"E", "A", "D"}, true},
        SortCase{"own vertical edge counts as inside", {"A", "B"}, {{200, 60}}, {"B", "A"}, true},
        SortCase{"corner of a polygon", {"A", "B"}, {{300, 100}}, {"B", "A"}, true},
        SortCase{"triangle tip", {"A", "C"}, {{500, 50}}, {"C", "A"}, true},
        SortCase{"beside the triangle tip", {"A", "C"}, {{502, 50}}, {"A", "C"}, false},
        // From below the tip the ray toward smaller y passes no edge of C.
        SortCase{"below the triangle tip", {"A", "C"}, {{500, 80}}, {"A", "C"}, false},
        // The ray toward smaller y runs through G's lower vertex and then its
        // top edge: two crossings, outside (counting both edges at the
        // vertex would make it three).
        SortCase{"below a downward tip", {"A", "G"}, {{700, 150}}, {"A", "G"}, false},
        SortCase{"inside above a downward tip", {"A", "G"}, {{700, 60}}, {"G", "A"}, true}));

TEST(SortClick, MovesPointsCountColourAndNameTogether)
{
    auto game = std::make_unique<GameContent>();
    load(*game, {"A", "B", "C"});
    game->polygons[0].colourIndex = 7;
    game->polygons[1].colourIndex = 0;
    game->polygons[7].colourIndex = 1;
    game->polygons[2].colourIndex = 2;
    const gz::SortClickResult r = gz::applySortClick(*game, kHalfSize, boardOf({420, 50}));
    EXPECT_EQ(r.hitIndex, 2);
    EXPECT_STREQ(game->polygons[0].name, "C");
    EXPECT_EQ(game->polygons[0].pointCount, 3);
    EXPECT_EQ(game->polygons[0].points[1], (PolygonPoint{500, 50}));
    EXPECT_EQ(game->polygons[0].colourIndex, 2);
    EXPECT_STREQ(game->polygons[1].name, "A");
    EXPECT_EQ(game->polygons[1].colourIndex, 7);
    EXPECT_EQ(game->polygons[1].pointCount, 4);
    EXPECT_STREQ(game->polygons[2].name, "B");
    EXPECT_EQ(game->polygons[2].colourIndex, 0);
    EXPECT_EQ(game->polygons[7].colourIndex, 1);  // unused slots stay
}

TEST(SortClick, MapsTheBoardPositionThroughThePictureMapping)
{
    // Double size from (100, 50): picture = (board - offset) / 2, truncated.
    const PictureMapping doubleSize{2, 1, 100, 50};
    auto game = std::make_unique<GameContent>();
    load(*game, {"A", "B"});
    // Board x 499 is picture 199, in the gap beside B; 500 is 200, B's edge.
    EXPECT_EQ(gz::applySortClick(*game, doubleSize, {499, 74}).hitIndex, -1);
    EXPECT_EQ(gz::applySortClick(*game, doubleSize, {500, 74}).hitIndex, 1);
    // Left of the offset the division truncates toward zero: board 99 is
    // picture 0 (on A's left edge), board 98 is -1.
    load(*game, {"B", "A"});
    EXPECT_EQ(gz::applySortClick(*game, doubleSize, {98, 60}).hitIndex, -1);
    EXPECT_EQ(gz::applySortClick(*game, doubleSize, {99, 60}).hitIndex, 1);
}

TEST(SortClick, PolygonsWithFewPointsAndNoPolygons)
{
    auto game = std::make_unique<GameContent>();
    EXPECT_EQ(gz::findSortTarget(*game, {0, 0}), -1);
    gz::CoverPolygon* line = game->appendPolygon();
    line->addPoint({0, 0});
    line->addPoint({100, 0});
    EXPECT_EQ(gz::findSortTarget(*game, {50, 0}), 0);
    EXPECT_EQ(gz::findSortTarget(*game, {150, 0}), -1);  // past its end
    game->polygonCount = -3;  // corrupt count: nothing to hit
    EXPECT_EQ(gz::findSortTarget(*game, {50, 0}), -1);
}

struct PreviewCase {
    int mode;
    int polygonCount;
    bool preview;
    int position;
    int revealCount;
    const char* label;
};

class PreviewModeTest : public ::testing::TestWithParam<PreviewCase> {};

TEST_P(PreviewModeTest, Mode)
{
    const PreviewCase& c = GetParam();
    EXPECT_EQ(gz::isPreviewMode(c.mode), c.preview);
    EXPECT_EQ(gz::previewPosition(c.mode), c.position);
    EXPECT_EQ(gz::previewRevealCount(c.mode, c.polygonCount), c.revealCount);
    EXPECT_EQ(gz::previewModeLabel(c.mode), c.label);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PreviewModeTest,
    ::testing::Values(PreviewCase{2, 10, false, 0, -1, ""},       // sort
                      PreviewCase{3, 10, true, 1, 0, "Polygon 1"},  // nothing uncovered yet
                      PreviewCase{4, 10, true, 2, 1, "Polygon 2"},
                      PreviewCase{12, 10, true, 10, 9, "Polygon 10"},
                      PreviewCase{13, 10, true, 11, 10, "Polygon 11"},  // cut to N
                      PreviewCase{22, 32, true, 20, 19, "Polygon 20"},
                      PreviewCase{22, 0, true, 20, 0, "Polygon 20"},
                      PreviewCase{23, 32, false, 0, -1, ""}));

}  // namespace
