#include "game/game_content.h"

#include <gtest/gtest.h>

#include <string>

namespace gz {
namespace {

TEST(BoundedText, CutsAt255BytesAndTerminates)
{
    struct Case { std::string in; std::size_t expectLen; };
    const Case cases[] = {
        {"", 0},
        {"Welches Land hat diese Flagge?", 30},
        {std::string(255, 'a'), 255},
        {std::string(256, 'b'), 255},
        {std::string(10000, 'c'), 255},
    };
    for (const Case& c : cases) {
        GameContent g;
        g.question[255] = 'X';  // must be overwritten by the terminator when cut
        g.setQuestion(c.in);
        EXPECT_EQ(std::string(g.question).size(), c.expectLen) << c.in.size();
        EXPECT_EQ(g.question[c.expectLen], '\0');
    }
}

TEST(BoundedText, PolygonNameHolds63Bytes)
{
    CoverPolygon p;
    p.setName(std::string(100, 'n'));
    EXPECT_EQ(std::string(p.name).size(), 63u);
}

TEST(BoundedText, EmbeddedZeroEndsText)
{
    GameContent g;
    g.setAnswer(std::string_view("Ital\0ien", 8));
    EXPECT_STREQ(g.answer, "Ital");
}

TEST(GameContent, NewContentIsEmptyWithIdentityColours)
{
    GameContent g;
    EXPECT_EQ(g.gameNumber, 0);
    EXPECT_FALSE(g.modified);
    EXPECT_EQ(g.polygonCount, 0);
    EXPECT_TRUE(g.picture.isEmpty());
    for (int i = 0; i < kMaxPolygons; ++i)
        EXPECT_EQ(g.polygons[i].colourIndex, i);
}

TEST(GameContent, UncoverPositionCountsFromTheEnd)
{
    GameContent g;
    for (int i = 0; i < 5; ++i)
        ASSERT_NE(g.appendPolygon(), nullptr);
    EXPECT_EQ(g.uncoverPosition(4), 1);
    EXPECT_EQ(g.uncoverPosition(0), 5);
}

TEST(GameContent, ThirtyThirdPolygonAndPointAreRefused)
{
    GameContent g;
    for (int i = 0; i < kMaxPolygons; ++i)
        ASSERT_NE(g.appendPolygon(), nullptr);
    EXPECT_EQ(g.appendPolygon(), nullptr);
    EXPECT_EQ(g.polygonCount, 32);

    CoverPolygon& p = g.polygons[0];
    for (int i = 0; i < kMaxPolygonPoints; ++i)
        ASSERT_TRUE(p.addPoint({i, i}));
    EXPECT_FALSE(p.addPoint({99, 99}));
    EXPECT_EQ(p.pointCount, 32);
}

TEST(GameContent, ClearKeepsPointsNamesAndColours)
{
    GameContent g;
    CoverPolygon* p = g.appendPolygon();
    p->addPoint({1, 2});
    p->setName("Dach");
    g.clearPolygons();
    EXPECT_EQ(g.polygonCount, 0);
    EXPECT_EQ(g.polygons[0].pointCount, 1);
    EXPECT_STREQ(g.polygons[0].name, "Dach");
}

// A small fixture of 4 named polygons, each tagged by its first point's x.
class PolygonTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 4; ++i) {
            CoverPolygon* p = g.appendPolygon();
            p->addPoint({i * 10, 0});
            p->setName(std::string(1, char('A' + i)));
        }
    }
    std::string names() const
    {
        std::string s;
        for (int i = 0; i < g.polygonCount; ++i)
            s += g.polygons[i].name;
        return s;
    }
    GameContent g;
};

TEST_F(PolygonTable, MoveShiftsPolygonsBetweenAndCarriesColour)
{
    struct Case { int from, to; const char* expect; };
    const Case cases[] = {{0, 3, "BCDA"}, {3, 0, "DABC"}, {1, 2, "ACBD"}, {2, 2, "ABCD"}};
    for (const Case& c : cases) {
        SetUp();
        g.polygonCount = 4;
        g.resetColourIndexes();
        for (int i = 0; i < 4; ++i) {
            g.polygons[i].setName(std::string(1, char('A' + i)));
        }
        ASSERT_TRUE(g.movePolygon(c.from, c.to));
        EXPECT_EQ(names(), c.expect);
        EXPECT_EQ(g.polygons[c.to].colourIndex, c.from);
        EXPECT_TRUE(g.colourIndexesArePermutation());
    }
    EXPECT_FALSE(g.movePolygon(0, 4));
    EXPECT_FALSE(g.movePolygon(-1, 0));
}

TEST_F(PolygonTable, RemoveClosesGapAndKeepsColourPermutation)
{
    ASSERT_TRUE(g.removePolygon(1));
    EXPECT_EQ(names(), "ACD");
    EXPECT_EQ(g.polygons[1].colourIndex, 2);
    EXPECT_EQ(g.polygons[3].colourIndex, 4);   // later colours move down ...
    EXPECT_EQ(g.polygons[30].colourIndex, 31);
    EXPECT_EQ(g.polygons[31].colourIndex, 1);  // ... and the removed one goes last
    EXPECT_TRUE(g.colourIndexesArePermutation());
    EXPECT_FALSE(g.removePolygon(3));
}

}  // namespace
}  // namespace gz
