// Calculations of colour teaching: distances without wrap-around, the
// saturating conversions, circle adjustment, the zoom window, the teach
// panel's statistics and the colour array checks.
#include "teach_calc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>

namespace {

using Table = std::uint16_t[kTeachRows][kTeachCols];
using U16Pair = std::pair<std::uint16_t, std::uint16_t>;

// A table of reset rows (1, 1, 1, 1, 1) with the given rows set.
struct TestTable {
    Table t;
    TestTable()
    {
        for (auto &row : t)
            for (auto &v : row)
                v = 1;
    }
    TestTable &Row(int r, int x, int y, int cto, int intensity, int ito)
    {
        const int v[kTeachCols] = {x, y, cto, intensity, ito};
        for (int c = 0; c < kTeachCols; ++c)
            t[r][c] = static_cast<std::uint16_t>(v[c]);
        return *this;
    }
};

std::vector<int> Radii(const Table &t, int rows)
{
    std::vector<int> out;
    for (int r = 0; r < rows; ++r)
        out.push_back(t[r][2]);
    return out;
}

} // namespace

TEST(TeachCalc, DistancesAndConversionsNeitherWrapNorRoundUp)
{
    for (auto [dx, dy, d] : {std::tuple {3, 4, 5u},
                             {-3, -4, 5u},
                             {0, 0, 0u},
                             {2, 2, 2u},
                             {1, 1, 1u},
                             // 65535² + 363² exceeds 32 bits: a 32-bit sum would give 26
                             {65535, 363, 65536u},
                             {-65535, 65535, 92680u}})
        EXPECT_EQ(TruncatedDistance(dx, dy), d) << dx << "," << dy;

    for (auto [in, out] :
         {std::pair {-1LL, 0}, {0LL, 0}, {42LL, 42}, {65535LL, 65535}, {65536LL, 65535}, {1LL << 40, 65535}})
        EXPECT_EQ(Saturate16(in), out) << in;

    // The zoom cursor is limited to the 16-bit range instead of wrapping.
    for (auto [in, out] : {std::pair {-5.5, 0},
                           {0.0, 0},
                           {123.9, 123},
                           {65535.0, 65535},
                           {70000.0, 65535},
                           {std::numeric_limits<double>::quiet_NaN(), 0}})
        EXPECT_EQ(CursorCoordinate(in), out) << in;

    for (auto [n, row] : {std::pair {-1, -1}, {0, 0}, {30, 30}, {31, -1}, {1000, -1}})
        EXPECT_EQ(TableRow(n), row) << n;
    EXPECT_EQ(std::make_pair(TaughtCto(2), TaughtCto(0)), U16Pair(40, 100));
    EXPECT_EQ(std::make_pair(TaughtIto(0), TaughtIto(1)), U16Pair(100, 20));
}

TEST(TeachCalc, AdjustCirclesGrowsUntilCirclesWithOverlappingBandsTouch)
{
    struct Case {
        const char *what;
        TestTable table;
        int maxcolno;
        std::vector<int> radii; // of rows 0..2
    };
    const Case cases[] = {
        {"one active row grows to the limit", TestTable().Row(0, 500, 500, 9, 100, 10), 1, {200, 1, 1}},
        {"no active row: nothing changes", TestTable().Row(0, 500, 500, 9, 100, 10), 0, {9, 1, 1}},
        {"10 apart, bands overlap: 5 + 5 touch",
         TestTable().Row(0, 100, 100, 1, 100, 10).Row(1, 110, 100, 1, 100, 10),
         2,
         {5, 5, 1}},
        {"10 apart, bands apart",
         TestTable().Row(0, 100, 100, 1, 100, 10).Row(1, 110, 100, 1, 200, 10),
         2,
         {200, 200, 1}},
        {"same point, bands overlap",
         TestTable().Row(0, 100, 100, 1, 100, 10).Row(1, 100, 100, 1, 100, 10),
         2,
         {1, 1, 1}},
        {"band ends touch (ITO 0 at the other's lower end)",
         TestTable().Row(0, 100, 100, 1, 90, 0).Row(1, 105, 100, 1, 100, 10),
         2,
         {3, 2, 1}},
        // 32-bit squares would wrap to a distance of 26 and stop both at 13.
        {"opposite corners of the 16-bit plane",
         TestTable().Row(0, 0, 0, 1, 100, 10).Row(1, 65535, 363, 1, 100, 10),
         2,
         {200, 200, 1}},
        {"inactive row neither grows nor blocks",
         TestTable().Row(0, 100, 100, 1, 100, 10).Row(1, 300, 100, 1, 100, 10).Row(2, 105, 100, 77, 100, 10),
         2,
         {100, 100, 77}},
        // Lower rows grow first within a pass: 7 apart, row 0 reaches 4 first.
        {"lower row first", TestTable().Row(0, 100, 100, 1, 100, 10).Row(1, 107, 100, 1, 100, 10), 2, {4, 3, 1}},
        // The reset rows 1..30 all lie at (1, 1) with overlapping bands: they stay at 1.
        {"MAXCOL-No. above 31 counts as 31", TestTable().Row(0, 100, 100, 1, 100, 10), 99, {200, 1, 1}},
    };
    for (const Case &c : cases) {
        Table t;
        std::memcpy(t, c.table.t, sizeof t);
        AdjustCircles(t, c.maxcolno);
        EXPECT_EQ(Radii(t, 3), c.radii) << c.what;
    }
}

TEST(TeachCalc, ZoomWindowIsSquareAndHoldsEveryCircleAndTheLivePoint)
{
    // A reset table counts no row: 0 .. 10000.
    const ZoomBounds empty = TaughtBounds(TestTable().t);
    EXPECT_EQ(std::tie(empty.minX, empty.maxX, empty.minY, empty.maxY), std::make_tuple(0, 10000, 0, 10000));
    const ZoomWindow w0 = FitZoomWindow(empty, 500, 600);
    EXPECT_EQ(std::tie(w0.xMin, w0.xMax, w0.yMin, w0.yMax), std::make_tuple(-25, 10025, -25, 10025));

    const ZoomBounds b = TaughtBounds(TestTable().Row(0, 1000, 2000, 100, 1, 1).Row(1, 1500, 2100, 50, 1, 1).t);
    EXPECT_EQ(std::tie(b.minX, b.maxX, b.minY, b.maxY), std::make_tuple(900, 1550, 1900, 2150));
    for (auto [x, y, win] : {std::tuple {1000, 2000, std::make_tuple(875, 1575, 1675, 2375)},
                             {3000, 2000, std::make_tuple(875, 3025, 950, 3100)},
                             {100, 2000, std::make_tuple(75, 1575, 1275, 2775)}}) {
        const ZoomWindow w = FitZoomWindow(b, x, y);
        EXPECT_EQ(std::tie(w.xMin, w.xMax, w.yMin, w.yMax), win) << x << "," << y;
        EXPECT_EQ(w.xMax - w.xMin, w.yMax - w.yMin);
    }
    // A circle reaching below 0 widens the bounds below 0.
    const ZoomBounds low = TaughtBounds(TestTable().Row(0, 20, 30, 100, 1, 1).t);
    EXPECT_EQ(std::tie(low.minX, low.minY), std::make_tuple(-80, -70));
}

TEST(TeachCalc, FrameStatisticsUseTruncatedMeansAndSaturate)
{
    std::int64_t f[kMaxFrames][kFrameCols] = {};
    std::uint16_t m[kFrameCols];
    EXPECT_FALSE(FrameMeans(f, 0, m));
    EXPECT_FALSE(FrameMeans(f, kMaxFrames + 1, m));

    // X = 100, 101, 103: mean 101 (304 / 3), distances 1, 0, 2.
    const std::int64_t three[3][kFrameCols] = {{1, 2, 3, 100, 50, 10}, {4, 5, 6, 101, 50, 20}, {7, 8, 9, 103, 50, 33}};
    ASSERT_TRUE(FrameMeans(three, 3, m));
    EXPECT_EQ(std::vector<int>(m, m + kFrameCols), (std::vector<int> {4, 5, 6, 101, 50, 21}));
    const MaxDeltas d3 = FrameMaxDeltas(three, 3, m[3], m[4], m[5]);
    EXPECT_EQ(std::make_pair(d3.xy, d3.intensity), U16Pair(2, 12));

    // (0, 0) and (3, 4): mean (1, 2), distances sqrt 5 and sqrt 8, both 2.
    const std::int64_t two[2][kFrameCols] = {{0, 0, 0, 0, 0, 0}, {0, 0, 0, 3, 4, 0}};
    ASSERT_TRUE(FrameMeans(two, 2, m));
    EXPECT_EQ(FrameMaxDeltas(two, 2, m[3], m[4], m[5]).xy, 2);

    // Hand-edited values beyond 16 bits: means and deltas saturate.
    const std::int64_t wild[2][kFrameCols] = {{0, 0, 0, 0, 0, 0}, {300000, 0, 0, 200000, 0, 200000}};
    ASSERT_TRUE(FrameMeans(wild, 2, m));
    EXPECT_EQ(m[0], 65535);
    const MaxDeltas dw = FrameMaxDeltas(wild, 2, 0, 0, 0);
    EXPECT_EQ(std::make_pair(dw.xy, dw.intensity), U16Pair(65535, 65535));

    for (auto [ring, value, delta, current, out] : {std::tuple {0, 30, 12, 7, 30},
                                                    {1, 30, 12, 7, 12},
                                                    {2, 30, 12, 7, 42},
                                                    {2, 65535, 12, 7, 65535},
                                                    {3, 30, 12, 7, 7}})
        EXPECT_EQ(ChosenTolerance(ring, static_cast<std::uint16_t>(value), static_cast<std::uint16_t>(delta),
                                  static_cast<std::uint16_t>(current)),
                  out)
            << ring;
}

TEST(TeachCalc, ColourArrayAndStartupPathChecks)
{
    int colours[kColorArraySize + 1] = {};
    colours[44] = 0xFFFFFF;
    EXPECT_TRUE(ColorArrayValid(colours, 45));
    EXPECT_FALSE(ColorArrayValid(colours, 44));
    EXPECT_FALSE(ColorArrayValid(colours, 46));
    colours[3] = 0x1000000;
    EXPECT_FALSE(ColorArrayValid(colours, 45));
    colours[3] = -1;
    EXPECT_FALSE(ColorArrayValid(colours, 45));

    char bytes[260], path[260];
    std::memset(bytes, 'a', sizeof bytes);
    EXPECT_FALSE(StartupPathFromBytes(bytes, 260, path)); // no NUL: not a path
    EXPECT_STREQ(path, "");
    std::memset(bytes, 0, sizeof bytes);
    EXPECT_FALSE(StartupPathFromBytes(bytes, 260, path)); // empty
    std::strcpy(bytes, "/tmp/x.car");
    EXPECT_TRUE(StartupPathFromBytes(bytes, 260, path));
    EXPECT_STREQ(path, "/tmp/x.car");
    EXPECT_TRUE(StartupPathFromBytes(bytes, 11, path));  // a shorter file with its NUL
    EXPECT_FALSE(StartupPathFromBytes(bytes, 10, path)); // cut before the NUL
}
