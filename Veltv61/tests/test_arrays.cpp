// The history-buffer helpers and the pure parts of the live displays.
#include "arrays.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

std::vector<double> Ramp(int n)
{
    std::vector<double> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[static_cast<size_t>(i)] = i + 1;
    return v;
}

TEST(Arrays, ShiftInPlaceTowardsIndexZeroDropsTheOldestAndZeroFillsTheTop)
{
    std::vector<double> v = Ramp(9);
    ASSERT_EQ(Shift(v.data(), 9, -3, v.data()), 0);
    EXPECT_EQ(v, (std::vector<double>{4, 5, 6, 7, 8, 9, 0, 0, 0}));

    v = Ramp(9);
    ASSERT_EQ(Shift(v.data(), 9, 2, v.data()), 0);
    EXPECT_EQ(v, (std::vector<double>{0, 0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(Arrays, ShiftIntoAnotherArrayLeavesTheInputAndShiftZeroCopies)
{
    const std::vector<double> in = Ramp(5);
    std::vector<double> out(5, -1);
    ASSERT_EQ(Shift(in.data(), 5, -4, out.data()), 0);
    EXPECT_EQ(out, (std::vector<double>{5, 0, 0, 0, 0}));
    ASSERT_EQ(Shift(in.data(), 5, 4, out.data()), 0);
    EXPECT_EQ(out, (std::vector<double>{0, 0, 0, 0, 1}));
    ASSERT_EQ(Shift(in.data(), 5, 0, out.data()), 0);
    EXPECT_EQ(out, in);
    EXPECT_EQ(in, Ramp(5));
}

TEST(Arrays, ErrorResultsLeaveTheOutputUntouched)
{
    std::vector<double> v = Ramp(4);
    EXPECT_EQ(Shift(v.data(), 0, 0, v.data()), -20003);
    EXPECT_EQ(Shift(v.data(), -1, 0, v.data()), -20003);
    EXPECT_EQ(Shift(v.data(), 4, 4, v.data()), -20102);
    EXPECT_EQ(Shift(v.data(), 4, -4, v.data()), -20102);
    EXPECT_EQ(Copy1D(v.data(), 0, v.data()), -20003);
    EXPECT_EQ(v, Ramp(4));
}

TEST(Arrays, Copy1DCopiesExactlyNElements)
{
    const std::vector<double> in = Ramp(6);
    std::vector<double> out(6, -1);
    ASSERT_EQ(Copy1D(in.data(), 4, out.data()), 0);
    EXPECT_EQ(out, (std::vector<double>{1, 2, 3, 4, -1, -1}));
    ASSERT_EQ(Copy1D(out.data(), 6, out.data()), 0); // in place
    EXPECT_EQ(out, (std::vector<double>{1, 2, 3, 4, -1, -1}));
}

TEST(Arrays, A300ValueHistoryAfter101FramesHoldsFrames2To101)
{
    std::vector<double> buf(300, 0);
    for (int frame = 1; frame <= 101; ++frame) {
        ASSERT_EQ(Shift(buf.data(), 300, -3, buf.data()), 0);
        buf[297] = frame;
        buf[298] = frame + 1000;
        buf[299] = frame + 2000;
    }
    EXPECT_EQ(buf[0], 2);
    EXPECT_EQ(buf[1], 1002);
    EXPECT_EQ(buf[2], 2002);
    EXPECT_EQ(buf[297], 101);
    EXPECT_EQ(buf[299], 2101);
}

TEST(LiveDisplays, LedBitsShowTheColourNumberMostSignificantOnOut4)
{
    EXPECT_EQ(LedBits(5), 0b00101u);  // OUT2 and OUT0
    EXPECT_EQ(LedBits(16), 0b10000u);
    EXPECT_EQ(LedBits(31), 0b11111u);
    EXPECT_EQ(LedBits(0), 0u);
    EXPECT_EQ(LedBits(32), 0b11111u);
    EXPECT_EQ(LedBits(255), 0b11111u); // no colour: all lit
}

TEST(LiveDisplays, ColourComponentsAreRawOver16AndNeverAbove255)
{
    EXPECT_EQ(ColourComponent(4095), 255);
    EXPECT_EQ(ColourComponent(15), 0);
    EXPECT_EQ(ColourComponent(16), 1);
    EXPECT_EQ(ColourComponent(4096), 255);
    EXPECT_EQ(ColourComponent(65535), 255);
    EXPECT_EQ(ColourFromRaw(4095, 2048, 15), 0xFF8000);
    EXPECT_EQ(ColourFromRaw(65535, 65535, 65535), 0xFFFFFF);
}

TEST(LiveDisplays, BandIsLimitedTo0To4095AndCannotWrap)
{
    Band b = IntensityBand(4000, 200);
    EXPECT_EQ(b.upper, 4095);
    EXPECT_EQ(b.lower, 3800);
    b = IntensityBand(100, 300);
    EXPECT_EQ(b.upper, 400);
    EXPECT_EQ(b.lower, 0);
    // Sums above 32767 (and the largest cells) stay at the top.
    b = IntensityBand(30000, 5000);
    EXPECT_EQ(b.upper, 4095);
    EXPECT_EQ(b.lower, 4095);
    b = IntensityBand(65535, 65535);
    EXPECT_EQ(b.upper, 4095);
    EXPECT_EQ(b.lower, 0);
}

} // namespace
