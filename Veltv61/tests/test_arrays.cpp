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

// Towards index 0 the oldest values drop and the top fills with zeros; into
// another array the input stays; a shift of 0 copies.
TEST(Arrays, ShiftInPlaceAndIntoAnotherArray)
{
    std::vector<double> v = Ramp(9);
    ASSERT_EQ(Shift(v.data(), 9, -3, v.data()), 0);
    EXPECT_EQ(v, (std::vector<double> {4, 5, 6, 7, 8, 9, 0, 0, 0}));
    v = Ramp(9);
    ASSERT_EQ(Shift(v.data(), 9, 2, v.data()), 0);
    EXPECT_EQ(v, (std::vector<double> {0, 0, 1, 2, 3, 4, 5, 6, 7}));

    const std::vector<double> in = Ramp(5);
    std::vector<double> out(5, -1);
    ASSERT_EQ(Shift(in.data(), 5, -4, out.data()), 0);
    EXPECT_EQ(out, (std::vector<double> {5, 0, 0, 0, 0}));
    ASSERT_EQ(Shift(in.data(), 5, 4, out.data()), 0);
    EXPECT_EQ(out, (std::vector<double> {0, 0, 0, 0, 1}));
    ASSERT_EQ(Shift(in.data(), 5, 0, out.data()), 0);
    EXPECT_TRUE(out == in && in == Ramp(5));
}

// Copy1D copies exactly n elements (also in place); error results leave the output untouched.
TEST(Arrays, Copy1DAndErrorResults)
{
    std::vector<double> v = Ramp(4), out(6, -1);
    ASSERT_EQ(Copy1D(v.data(), 3, out.data()), 0);
    ASSERT_EQ(Copy1D(out.data(), 6, out.data()), 0);
    EXPECT_EQ(out, (std::vector<double> {1, 2, 3, -1, -1, -1}));
    for (auto [n, shift, result] : {std::tuple {0, 0, -20003}, {-1, 0, -20003}, {4, 4, -20102}, {4, -4, -20102}})
        EXPECT_EQ(Shift(v.data(), n, shift, v.data()), result) << n << " " << shift;
    EXPECT_EQ(Copy1D(v.data(), 0, v.data()), -20003);
    EXPECT_EQ(v, Ramp(4));
}

// The LEDs show the colour number, most significant bit on OUT4; 32 and above
// (255: no colour) light all. Colour components are raw / 16, never above 255.
TEST(LiveDisplays, LedBitsAndColourComponents)
{
    for (auto [colour, bits] :
         {std::pair {5, 0b00101u}, {16, 0b10000u}, {31, 0b11111u}, {0, 0u}, {32, 0b11111u}, {255, 0b11111u}})
        EXPECT_EQ(LedBits(colour), bits) << colour;
    for (auto [raw, component] : {std::pair {4095, 255}, {15, 0}, {16, 1}, {4096, 255}, {65535, 255}})
        EXPECT_EQ(ColourComponent(raw), component) << raw;
    EXPECT_EQ(ColourFromRaw(4095, 2048, 15), 0xFF8000);
    EXPECT_EQ(ColourFromRaw(65535, 65535, 65535), 0xFFFFFF);
}

// The band is limited to 0..4095; sums above 32767 (and the largest cells) cannot wrap.
TEST(LiveDisplays, BandIsLimitedTo0To4095AndCannotWrap)
{
    for (auto [value, width, lower, upper] :
         {std::tuple {4000, 200, 3800, 4095}, {100, 300, 0, 400}, {30000, 5000, 4095, 4095}, {65535, 65535, 0, 4095}}) {
        const Band b = IntensityBand(value, width);
        EXPECT_TRUE(b.lower == lower && b.upper == upper) << value << " " << width << ": " << b.lower << " " << b.upper;
    }
}

} // namespace
