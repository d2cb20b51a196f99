#include "tempcomp_curves.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

template <typename T>
DisplayRange rangeOf(const T *values, int n)
{
    DisplayRange r;
    for (int i = 0; i < n; ++i) {
        const double v = static_cast<double>(values[i]);
        // Truncation toward zero, as the axis limits are whole numbers.
        if (v < r.min)
            r.min = static_cast<int>(std::max(v, -2147483648.0));
        if (v > r.max)
            r.max = static_cast<int>(std::min(v, 2147483647.0));
    }
    return r;
}

} // namespace

DisplayRange RangeOf(const double *values, int n) { return rangeOf(values, n); }

DisplayRange RangeOf(const uint16_t *values, int n) { return rangeOf(values, n); }

DisplayRange Combine(const DisplayRange &a, const DisplayRange &b, const DisplayRange &c)
{
    DisplayRange r;
    r.min = std::min({r.min, a.min, b.min, c.min});
    r.max = std::max({r.max, a.max, b.max, c.max});
    return r;
}

void TabulateCurve(const double coeff[kCoefficients], double curve[kTempPoints])
{
    for (int32_t t = 0; t < kTempPoints; ++t) {
        // The powers are exact in 32 bits (99^4 = 96 059 601).
        const auto t4 = static_cast<double>(t * t * t * t);
        const auto t3 = static_cast<double>(t * t * t);
        const auto t2 = static_cast<double>(t * t);
        curve[t] = ((coeff[0] * t4 + coeff[1] * t3) + coeff[2] * t2) + coeff[3] * static_cast<double>(t) + coeff[4];
    }
}

uint16_t CompensationFactor(uint16_t ref, double y)
{
    const double n = static_cast<double>(static_cast<int32_t>(ref) << 10);
    const double q = n / y;
    if (!std::isfinite(q) || q < 0)
        return 0;
    if (q >= 65535.0)
        return 65535;
    return static_cast<uint16_t>(q); // truncated toward zero
}

void CalcFactorTable(uint16_t ref, const double curve[kTempPoints], uint16_t factors[kTempPoints])
{
    for (int t = 0; t < kTempPoints; ++t)
        factors[t] = CompensationFactor(ref, curve[t]);
}

void CalcRootTable(uint16_t table[kRootEntries])
{
    const double e = 1.0 / 3.0;
    double x = 0.0;
    for (int i = 0; i < kRootEntries; ++i) {
        const double v = std::pow(x, e) * 1000.0;
        table[i] = static_cast<uint16_t>(static_cast<int32_t>(v));
        x += 16.0;
    }
}

void Interleave(const double *r, const double *g, const double *b, double out[3 * kTempPoints])
{
    for (int t = 0; t < kTempPoints; ++t) {
        out[3 * t] = r[t];
        out[3 * t + 1] = g[t];
        out[3 * t + 2] = b[t];
    }
}

void Interleave(const uint16_t *r, const uint16_t *g, const uint16_t *b, uint16_t out[3 * kTempPoints])
{
    for (int t = 0; t < kTempPoints; ++t) {
        out[3 * t] = r[t];
        out[3 * t + 1] = g[t];
        out[3 * t + 2] = b[t];
    }
}
