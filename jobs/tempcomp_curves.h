// Compensation curve calculation: the three drift curves over the temperature
// index, the compensation factor tables and the fixed cube-root table. Pure
// functions of their inputs; the panel reads and the plotting live elsewhere.
#pragma once

#include <cstdint>

constexpr int kTempPoints = 100;  // temperature index 0 ... 99
constexpr int kCoefficients = 5;  // X4, X3, X2, X1, T of one channel
constexpr int kChannels = 3;      // red, green, blue
constexpr int kRootEntries = 256; // entries of the cube-root table

// Integer value range of a table, for the chart axes: the minimum starts at
// 10000 and the maximum at -10000, each value (truncated toward zero) can
// only widen it.
struct DisplayRange {
    int min = 10000;
    int max = -10000;
};
DisplayRange RangeOf(const double *values, int n);
DisplayRange RangeOf(const uint16_t *values, int n);
// The range that covers all three channel ranges.
DisplayRange Combine(const DisplayRange &a, const DisplayRange &b, const DisplayRange &c);

// One channel's curve: coeff holds X4, X3, X2, X1, T; curve[t] is the
// polynomial at t = 0 ... 99.
void TabulateCurve(const double coeff[kCoefficients], double curve[kTempPoints]);

// The factor (1024 = 1.0) that brings the curve value y to the reference
// level ref. It saturates: a quotient of 65535 or more gives 65535, a
// negative one 0, and a curve value of 0 (no finite quotient) gives 0.
uint16_t CompensationFactor(uint16_t ref, double y);
void CalcFactorTable(uint16_t ref, const double curve[kTempPoints], uint16_t factors[kTempPoints]);

// The fixed table: entry i = 1000 * (16 i)^(1/3), truncated.
void CalcRootTable(uint16_t table[kRootEntries]);

// Three tables of 100 values interleaved: out[3t + c] = channel c at t.
void Interleave(const double *r, const double *g, const double *b, double out[3 * kTempPoints]);
void Interleave(const uint16_t *r, const uint16_t *g, const uint16_t *b, uint16_t out[3 * kTempPoints]);
