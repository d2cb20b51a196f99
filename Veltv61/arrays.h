// Array helpers of the history buffers, and the small computations behind
// the live displays (output LEDs, measured colour, intensity band). Pure
// functions: no panel, no link.
#pragma once

#include <cstdint>

// Results of the array helpers.
constexpr int kArrayOk = 0;
constexpr int kArrayBadCount = -20003; // n <= 0
constexpr int kArrayBadShift = -20102; // |shift| >= n

// Copies n elements from input to output (they may be the same array).
int Copy1D(const double *input, int n, double *output);
// output[i] = input[i - shift] where 0 <= i - shift < n, 0 elsewhere. A
// negative shift moves the data towards index 0. input and output may be
// the same array; shift 0 copies.
int Shift(const double *input, int n, int shift, double *output);

// Bits OUT0..OUT4 of the output LEDs for a colour number: bit k of the result
// is LED OUTk. A number of 32 or more (255: no colour) lights all five.
unsigned LedBits(unsigned colourNumber);

// One 8-bit colour component from a 12-bit raw value (raw / 16, at most 255).
int ColourComponent(unsigned raw);
// The measured colour 0xRRGGBB from raw red, green and blue.
int ColourFromRaw(unsigned r, unsigned g, unsigned b);

// Intensity band of a taught row: upper = INT + ITO, lower = INT - ITO,
// both limited to 0..4095. Computed wide, so no sum can wrap.
struct Band {
    int upper;
    int lower;
};
Band IntensityBand(long intensity, long tolerance);
