// The history on its own: what counts as a change, and how `modified`
// follows the table on disk.
#include "board/edit_history.h"

#include <gtest/gtest.h>

#include <functional>

namespace gz {
namespace {

GameContent& withSquare(GameContent& g)
{
    CoverPolygon* p = g.appendPolygon();
    for (PolygonPoint q : {PolygonPoint{0, 0}, {10, 0}, {10, 10}, {0, 10}})
        p->addPoint(q);
    p->setName("Eins");
    return g;
}

TEST(PolygonTable, OnlyWhatIsShownCounts)
{
    struct Case {
        const char* name;
        std::function<void(GameContent&)> change;
        bool same;
    };
    const Case cases[] = {
        {"nothing", [](GameContent&) {}, true},
        {"a point in an unused slot", [](GameContent& g) { g.polygons[5].points[0] = {7, 7}; }, true},
        {"a name in an unused slot", [](GameContent& g) { g.polygons[5].setName("x"); }, true},
        {"a corner moved", [](GameContent& g) { g.polygons[0].points[2].x = 11; }, false},
        {"a corner beyond the count", [](GameContent& g) { g.polygons[0].points[4] = {1, 1}; }, true},
        {"the name", [](GameContent& g) { g.polygons[0].setName("Zwei"); }, false},
        {"a colour of a used slot", [](GameContent& g) { g.polygons[0].colourIndex = 9; }, false},
        // A removed polygon's colour moves to the last slot: undo must bring
        // the slots' colours back as well.
        {"a colour of an unused slot", [](GameContent& g) { g.polygons[31].colourIndex = 3; }, false},
        {"the count", [](GameContent& g) { g.polygonCount = 0; }, false},
    };
    for (const Case& c : cases) {
        GameContent a, b;
        withSquare(a);
        withSquare(b);
        c.change(b);
        EXPECT_EQ(PolygonTable::of(a) == PolygonTable::of(b), c.same) << c.name;
    }
}

TEST(EditHistory, ModifiedFollowsTheTableOnDisk)
{
    GameContent g;
    withSquare(g);
    EditHistory h;
    h.reset(g);
    EXPECT_FALSE(h.record(g));   // no change, no step
    g.polygons[0].points[1].x = 20;
    g.modified = true;
    EXPECT_TRUE(h.record(g));
    ASSERT_TRUE(h.undo(g));
    EXPECT_EQ(g.polygons[0].points[1].x, 10);
    EXPECT_FALSE(g.modified);
    ASSERT_TRUE(h.redo(g));
    EXPECT_TRUE(g.modified);
    h.markSaved(g);
    ASSERT_TRUE(h.undo(g));
    EXPECT_TRUE(g.modified);     // the file now holds the moved corner
    EXPECT_FALSE(h.undo(g));

    // A game never saved (a new picture) has no table on disk.
    GameContent fresh;
    fresh.modified = true;
    EditHistory n;
    n.reset(fresh);
    withSquare(fresh);
    n.record(fresh);
    ASSERT_TRUE(n.undo(fresh));
    EXPECT_EQ(fresh.polygonCount, 0);
    EXPECT_TRUE(fresh.modified);
}

}  // namespace
}  // namespace gz
