#include "arrays.h"

#include <algorithm>
#include <cstring>

int Copy1D(const double *input, int n, double *output)
{
    if (n <= 0)
        return kArrayBadCount;
    if (input != output)
        std::memmove(output, input, static_cast<size_t>(n) * sizeof(double));
    return kArrayOk;
}

int Shift(const double *input, int n, int shift, double *output)
{
    if (n <= 0)
        return kArrayBadCount;
    if (shift <= -n || shift >= n)
        return kArrayBadShift;
    if (shift == 0)
        return Copy1D(input, n, output);
    const size_t kept = static_cast<size_t>(n - (shift < 0 ? -shift : shift));
    if (shift < 0) {
        // Towards index 0: output[i] = input[i - shift] for i < n + shift.
        std::memmove(output, input - shift, kept * sizeof(double));
        std::fill(output + kept, output + n, 0.0);
    } else {
        std::memmove(output + shift, input, kept * sizeof(double));
        std::fill(output, output + shift, 0.0);
    }
    return kArrayOk;
}

unsigned LedBits(unsigned colourNumber) { return colourNumber >= 32 ? 0x1Fu : colourNumber; }

int ColourComponent(unsigned raw) { return static_cast<int>(std::min(raw / 16u, 255u)); }

int ColourFromRaw(unsigned r, unsigned g, unsigned b)
{
    return (ColourComponent(r) << 16) | (ColourComponent(g) << 8) | ColourComponent(b);
}

Band IntensityBand(long intensity, long tolerance)
{
    const long upper = intensity + tolerance;
    const long lower = intensity - tolerance;
    return Band {static_cast<int>(std::clamp(upper, 0L, 4095L)), static_cast<int>(std::clamp(lower, 0L, 4095L))};
}
