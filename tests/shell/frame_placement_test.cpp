#include "shell/frame_placement.h"

#include <gtest/gtest.h>

namespace gz {
namespace {

const MonitorRect kLeft{0, 0, 1920, 1080};
const MonitorRect kRight{1920, 0, 3200, 1024};

MonitorTable twoMonitors() { return MonitorTable::build(2, {kLeft, kRight}, 1920, 1080); }
MonitorTable oneMonitor() { return MonitorTable::build(1, {kLeft}, 1920, 1080); }

TEST(MonitorTable, SingleMonitorIsThePrimaryScreen)
{
    MonitorTable t = MonitorTable::build(0, {}, 1280, 1024);
    EXPECT_EQ(t.count(), 1);
    EXPECT_EQ(t.rect(0), (MonitorRect{0, 0, 1280, 1024}));
}

TEST(MonitorTable, MissingEnumeratedEntriesContainNoPoint)
{
    MonitorTable t = MonitorTable::build(3, {kLeft, kRight}, 1920, 1080);
    EXPECT_EQ(t.count(), 3);
    EXPECT_EQ(t.rect(2), (MonitorRect{-1, -1, -1, -1}));
    EXPECT_EQ(t.monitorOf(-1, -1), -1);
}

TEST(MonitorTable, MoreThanSixteenMonitorsAreCut)
{
    std::vector<MonitorRect> many;
    for (int i = 0; i < 20; ++i)
        many.push_back({i * 100, 0, i * 100 + 100, 100});
    MonitorTable t = MonitorTable::build(20, many, 100, 100);
    EXPECT_EQ(t.count(), kMaxMonitors);
    EXPECT_EQ(t.monitorOf(1950, 50), -1);
}

TEST(MonitorTable, EdgesLeftTopInclusiveRightBottomExclusive)
{
    MonitorTable t = twoMonitors();
    struct Case { int x, y, expect; };
    const Case cases[] = {{0, 0, 0}, {1919, 1079, 0}, {1920, 0, 1}, {1920, 1024, -1}, {3200, 10, -1}, {-1, 5, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(t.monitorOf(c.x, c.y), c.expect) << c.x << "," << c.y;
    EXPECT_EQ(t.monitorOf(MonitorRect{1800, 0, 2200, 100}), 1);   // centre 2000
}

TEST(PlacementRestore, MissingIsZoomedRestoresNothing)
{
    StoredPlacement s;
    s.posX = 100;
    s.posY = 100;
    s.sizeX = 800;
    s.sizeY = 600;
    EXPECT_EQ(restorePlacement(oneMonitor(), s), CreationPlacement{});
}

TEST(PlacementRestore, VisibilityMarginOfFiftyPixels)
{
    struct Case { int x, y, w, h; bool accepted; };
    const Case cases[] = {
        {100, 100, 800, 600, true},
        {100, 100, 49, 600, false},        // too narrow
        {100, 100, 800, 49, false},        // too low
        {100, 100, 50, 50, true},
        {-751, 100, 800, 600, false},      // right edge 49 right of the left edge
        {-750, 100, 800, 600, true},       // 50
        {100, -551, 800, 600, false},
        {100, -550, 800, 600, true},
        {1871, 100, 800, 600, false},      // left edge 49 left of the right edge
        {1870, 100, 800, 600, true},
        {100, 1031, 800, 600, false},
        {100, 1030, 800, 600, true},
    };
    for (const Case& c : cases) {
        StoredPlacement s{0, c.x, c.y, c.w, c.h, 0};
        CreationPlacement p = restorePlacement(oneMonitor(), s);
        EXPECT_EQ(!p.defaultPosition && !p.defaultSize, c.accepted) << c.x << "," << c.y << " " << c.w << "x" << c.h;
        if (c.accepted) {
            EXPECT_EQ(p.x, c.x);
        }
    }
}

TEST(PlacementRestore, ZoomedFlagMaximises)
{
    StoredPlacement s{1, 100, 100, 800, 600, 0};
    EXPECT_TRUE(restorePlacement(oneMonitor(), s).maximized);
    EXPECT_FALSE(restorePlacement(oneMonitor(), s, /*ordinaryShow=*/false).maximized);
}

TEST(PlacementRestore, StoredMonitorBeyondCountUsesPrimaryAndNoRecentring)
{
    StoredPlacement s{0, 2000, 100, 800, 600, 3};
    CreationPlacement p = restorePlacement(twoMonitors(), s);
    // Tested against the primary screen: left edge 2000 is past its right edge.
    EXPECT_TRUE(p.defaultPosition);
    EXPECT_TRUE(p.defaultSize);
}

TEST(PlacementRestore, CentreOnNeighbourIsRecentredOnStoredMonitorKeepingSize)
{
    // Visible on monitor 0 (its left part), but the centre lies on monitor 1.
    StoredPlacement s{0, 1500, 100, 1000, 600, 0};
    CreationPlacement p = restorePlacement(twoMonitors(), s);
    EXPECT_FALSE(p.defaultPosition);
    EXPECT_EQ(p.width, 1000);
    EXPECT_EQ(p.height, 600);
    EXPECT_EQ(p.x, 960 - 500);
    EXPECT_EQ(p.y, 540 - 300);
}

TEST(PlacementRestore, RejectedPlacementIsCentredWithDefaultSizeRule)
{
    // Stored on monitor 1 but far off: position is default, so it lies on no
    // monitor and is centred on monitor 1 using monitor 0's size less 100.
    StoredPlacement s{0, 10000, 10000, 800, 600, 1};
    CreationPlacement p = restorePlacement(twoMonitors(), s);
    EXPECT_TRUE(p.defaultSize);
    EXPECT_FALSE(p.defaultPosition);
    EXPECT_EQ(p.x, (1920 + 3200) / 2 - (1920 - 100) / 2);
    EXPECT_EQ(p.y, 1024 / 2 - (1080 - 100) / 2);
}

TEST(PlacementSave, MaximisedKeepsLastNormalRectAndSingleMonitorSkipsMonitor)
{
    PlacementToSave m = savePlacement(oneMonitor(), {0, 0, 1920, 1080}, true);
    EXPECT_EQ(m.isZoomed, 1);
    EXPECT_FALSE(m.writeRect);
    EXPECT_FALSE(m.writeMonitor);

    PlacementToSave n = savePlacement(twoMonitors(), {2000, 10, 2800, 610}, false);
    EXPECT_EQ(n.isZoomed, 0);
    EXPECT_TRUE(n.writeRect);
    EXPECT_EQ(n.sizeX, 800);
    EXPECT_EQ(n.sizeY, 600);
    EXPECT_TRUE(n.writeMonitor);
    EXPECT_EQ(n.monitor, 1);
}

}  // namespace
}  // namespace gz
