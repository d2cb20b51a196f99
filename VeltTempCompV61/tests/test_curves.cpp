// Curves, factors and the cube-root table against values worked out by hand
// from the polynomial and the factor rule; the telegrams of the upload and
// the read-back comparison.
#include "tempcomp_curves.h"
#include "tempcomp_tables.h"
#include "telegram.h"
#include "tempcomp_telegrams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

struct CurveCase {
    std::vector<double> coeff; // X4, X3, X2, X1, T
    int t;
    double value;
};

TEST(Curves, PolynomialAtTheTemperatureIndex)
{
    const CurveCase cases[] = {
        {{0, 0, 0, 0, 0}, 57, 0},
        {{0, 0, 0, 0, 1000}, 0, 1000},
        {{0, 0, 0, 0, 1000}, 99, 1000},
        {{0, 0, 0, 1, 500}, 0, 500},
        {{0, 0, 0, 1, 500}, 99, 599},
        {{1, 0, 0, 0, 0}, 99, 96059601}, // 99^4 in 32-bit integers
        {{0, 1, 0, 0, 0}, 99, 970299},
        {{0.5, -2, 3, -4, 7}, 2, 3}, // 8 - 16 + 12 - 8 + 7
        {{1e-6, 0, 0, 0, 0}, 99, 96.059601},
    };
    for (const auto &c : cases) {
        double curve[kTempPoints];
        TabulateCurve(c.coeff.data(), curve);
        EXPECT_DOUBLE_EQ(curve[c.t], c.value) << "t=" << c.t << " coeff[4]=" << c.coeff[4];
    }
}

// Display ranges start at 10000 / -10000, truncate toward zero, and combine.
TEST(Curves, DisplayRangesTruncateAndKeepTheirStartValues)
{
    const double zeros[3] = {0, 0, 0}, high[2] = {12000.9, 20000.5}, mixed[3] = {-3.7, 12.9, 5};
    const uint16_t factors[3] = {1024, 65535, 512};
    const DisplayRange z = RangeOf(zeros, 3), h = RangeOf(high, 2), m = RangeOf(mixed, 3), f = RangeOf(factors, 3);
    const DisplayRange c = Combine(h, m, f), empty = Combine(DisplayRange {}, DisplayRange {}, DisplayRange {});
    EXPECT_EQ(
        (std::vector<int> {z.min, z.max, h.min, h.max, m.min, m.max, f.min, f.max, c.min, c.max, empty.min, empty.max}),
        (std::vector<int> {0, 0, 10000, 20000, -3, 12, 512, 65535, -3, 65535, 10000, -10000}));
}

// A factor is the truncated quotient ref * 1024 / y, saturated to 0 ... 65535.
TEST(Curves, FactorsTruncateAndSaturate)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct {
        uint16_t ref;
        double y;
        uint16_t factor;
    } const cases[] = {
        {1000, 1000, 1024},   {1000, 2000, 512}, {500, 500, 1024}, {500, 599, 854}, // 512000 / 599 = 854.7
        {1, 3, 341},                                                                // 1024 / 3
        {1000, 10, 65535},                                                          // 102400 would wrap to 36864
        {64, 1, 65535},                                                             // exactly 65536
        {65535, 1024, 65535},                                                       // exactly 65535
        {1000, -1000, 0},                                                           // -1024 would wrap to 64512
        {1000, 0, 0},                                                               // no finite quotient
        {1000, -0.0, 0},      {0, 0, 0},         {1000, nan, 0},   {1000, inf, 0},  // 0 exactly
        {0, 1234.5, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CompensationFactor(c.ref, c.y), c.factor) << c.ref << " / " << c.y;

    double line[kTempPoints];
    const double coeff[kCoefficients] = {0, 0, 0, 1, 500};
    TabulateCurve(coeff, line);
    uint16_t table[kTempPoints];
    CalcFactorTable(500, line, table);
    EXPECT_EQ(table[0], 1024);
    EXPECT_EQ(table[99], 854);
    EXPECT_EQ(table[24], 977); // 512000 / 524 = 977.09
}

TEST(Curves, CubeRootTableIsTruncated)
{
    uint16_t table[kRootEntries];
    CalcRootTable(table);
    // 1000 * (16 i)^(1/3): 16^(1/3) = 2.5198, 32^(1/3) = 3.1748, 48^(1/3) = 3.6342;
    // 64, 512 and 1728 are cubes whose computed roots fall just below 4, 8 and 12.
    const std::pair<int, uint16_t> expected[] = {{0, 0},    {1, 2519},  {2, 3174},    {3, 3634},
                                                 {4, 3999}, {32, 7999}, {108, 11999}, {255, 15979}};
    for (const auto &[i, v] : expected)
        EXPECT_EQ(table[i], v) << i;
    for (int i = 1; i < kRootEntries; ++i)
        EXPECT_LT(table[i - 1], table[i]) << i;
}

// The 18 words of the telegram in szWriteBuf.
std::vector<uint16_t> Sent()
{
    std::vector<uint16_t> w;
    for (int k = 0; k < kTelegramWords; ++k)
        w.push_back(GetWord(com232::szWriteBuf, 2 * k));
    return w;
}

class Telegrams : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitTelegramGlobals();
        ResetTables();
        for (int t = 0; t < kTempPoints; ++t) {
            dataCfRot[t] = static_cast<uint16_t>(1000 + t);
            dataCfGruen[t] = static_cast<uint16_t>(2000 + t);
            dataCfBlau[t] = static_cast<uint16_t>(60000 + t);
        }
        CalcRootTable(data3rdRoot);
    }
};

TEST_F(Telegrams, BlocksCarryTheirEntriesAndZeroSpareWords)
{
    // What every block of an upload carries is checked end to end
    // (e2e_tempcomp_upload); here a block of the last row and what is refused.
    using namespace tempcomp;
    ASSERT_EQ(FillTxBufRGB(ORDER_SET_TEMPCF_BLUE, 9, 2), 0);
    std::vector<uint16_t> want = {0x55,  42,    9,     60090, 60091, 60092, 60093, 60094, 60095,
                                  60096, 60097, 60098, 60099, 0,     0,     0,     0,     0};
    EXPECT_EQ(Sent(), want);

    // The start order and the read-back requests carry nothing after word 2,
    // whatever the block telegram before them held.
    tempcomp::FillTxBuf(ORDER_TEMPCOMP_START, 0);
    want = {0x55, 43};
    want.resize(kTelegramWords, 0);
    EXPECT_EQ(Sent(), want);
    tempcomp::FillTxBuf(ORDER_GET_ROOT_TABLE, 128);
    EXPECT_EQ(Sent()[2], 128);

    // Blocks beyond the tables are refused and the buffer stays as it was.
    const std::vector<uint16_t> before = Sent();
    EXPECT_EQ(FillTxBufRGB(ORDER_SET_TEMPCF_RED, 10, 0), -1);
    EXPECT_EQ(FillTxBufRGB(ORDER_SET_TEMPCF_RED, 0, 3), -1);
    EXPECT_EQ(FillTxBuf3rdRootX(ORDER_SET_ROOT_TABLE, 32), -1);
    EXPECT_EQ(Sent(), before);
}

// The long replies' decoding is checked by the uploads' read-back end to end.
TEST_F(Telegrams, ReadBackComparisonFindsOneDifferentWord)
{
    std::copy_n(dataCfRot, kTempPoints, savedCfRot);
    std::copy_n(dataCfGruen, kTempPoints, savedCfGruen);
    std::copy_n(dataCfBlau, kTempPoints, savedCfBlau);
    std::copy_n(data3rdRoot, kRootEntries, saved3rdRoot);
    EXPECT_TRUE(TablesMatch());
    for (uint16_t *word : {&savedCfRot[0], &savedCfGruen[50], &savedCfBlau[99], &saved3rdRoot[255]}) {
        ++*word;
        EXPECT_FALSE(TablesMatch());
        --*word;
    }
    EXPECT_TRUE(TablesMatch());
}

} // namespace
