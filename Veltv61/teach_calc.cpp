// Calculations of colour teaching. Everything that can exceed 16 bits is
// computed in 64 bits: rows at opposite corners of the 16-bit plane are
// 65535 apart, and the square of that does not fit 32 bits.
#include "teach_calc.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr std::int64_t kZoomMargin = 25;
constexpr std::int64_t kZoomFull = 10000;
constexpr int kTaughtThreshold = 10; // a reset row holds 1; a taught one lies above this

// Integer square root, the largest r with r*r <= v.
std::uint64_t ISqrt(std::uint64_t v)
{
    std::uint64_t r = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(v)));
    while (r > 0 && r * r > v)
        --r;
    while ((r + 1) * (r + 1) <= v)
        ++r;
    return r;
}

std::int64_t Abs(std::int64_t v) { return v < 0 ? -v : v; }

} // namespace

std::uint32_t TruncatedDistance(std::int64_t dx, std::int64_t dy)
{
    const std::uint64_t ax = static_cast<std::uint64_t>(Abs(dx)), ay = static_cast<std::uint64_t>(Abs(dy));
    return static_cast<std::uint32_t>(ISqrt(ax * ax + ay * ay));
}

std::uint16_t Saturate16(std::int64_t v) { return static_cast<std::uint16_t>(std::clamp<std::int64_t>(v, 0, 65535)); }

std::uint16_t CursorCoordinate(double v)
{
    if (!(v > 0)) // negative, zero or NaN
        return 0;
    if (v >= 65535.0)
        return 65535;
    return static_cast<std::uint16_t>(v);
}

std::uint16_t TaughtCto(int evalmode) { return evalmode == 2 ? 40 : 100; }
std::uint16_t TaughtIto(int pmode) { return pmode == 0 ? 100 : 20; }

int TableRow(int number) { return number >= 0 && number < kTeachRows ? number : -1; }

void AdjustCircles(std::uint16_t t[kTeachRows][kTeachCols], int maxcolno)
{
    const int active = std::clamp(maxcolno, 0, kTeachRows);
    for (int k = 0; k < active; ++k)
        t[k][2] = 1;
    // Distances and bands do not change while the radii grow.
    std::uint32_t dist[kTeachRows][kTeachRows];
    bool bandsOverlap[kTeachRows][kTeachRows];
    for (int k = 0; k < active; ++k)
        for (int p = 0; p < active; ++p) {
            dist[k][p] = TruncatedDistance(std::int64_t {t[k][0]} - t[p][0], std::int64_t {t[k][1]} - t[p][1]);
            const int loK = t[k][3] - t[k][4], hiK = t[k][3] + t[k][4];
            const int loP = t[p][3] - t[p][4], hiP = t[p][3] + t[p][4];
            bandsOverlap[k][p] = (loK <= loP && loP <= hiK) || (loP <= loK && loK <= hiP);
        }
    for (int r = 2; r <= kMaxRadius; ++r)
        for (int k = 0; k < active; ++k) {
            const std::int64_t ck = t[k][2];
            bool blocked = false;
            for (int p = 0; p < active && !blocked; ++p)
                if (p != k && dist[k][p] <= ck + t[p][2] && bandsOverlap[k][p])
                    blocked = true;
            if (!blocked)
                t[k][2] = static_cast<std::uint16_t>(r);
        }
}

ZoomBounds TaughtBounds(const std::uint16_t t[kTeachRows][kTeachCols])
{
    ZoomBounds b {kZoomFull, 0, kZoomFull, 0};
    for (int r = 0; r < kTeachRows; ++r) {
        if (t[r][0] <= kTaughtThreshold && t[r][1] <= kTaughtThreshold)
            continue;
        const std::int64_t x = t[r][0], y = t[r][1], c = t[r][2];
        b.minX = std::min(b.minX, x - c);
        b.maxX = std::max(b.maxX, x + c);
        b.minY = std::min(b.minY, y - c);
        b.maxY = std::max(b.maxY, y + c);
    }
    if (b.maxX < b.minX)
        std::swap(b.minX, b.maxX);
    if (b.maxY < b.minY)
        std::swap(b.minY, b.maxY);
    return b;
}

ZoomWindow FitZoomWindow(const ZoomBounds &b, std::int64_t x, std::int64_t y)
{
    // Span and centre along one axis: the bounds stretched to the live point.
    auto fit = [](std::int64_t lo, std::int64_t hi, std::int64_t v, std::int64_t *span, std::int64_t *centre) {
        if (v > hi) {
            *span = v - lo;
            *centre = lo + *span / 2;
        } else if (v < lo) {
            *span = hi - v;
            *centre = v + *span / 2;
        } else {
            *span = hi - lo;
            *centre = lo + *span / 2;
        }
    };
    std::int64_t spanX = 0, centreX = 0, spanY = 0, centreY = 0;
    fit(b.minX, b.maxX, x, &spanX, &centreX);
    fit(b.minY, b.maxY, y, &spanY, &centreY);
    const std::int64_t s = spanX >= spanY ? spanX : spanY;
    return {centreX - s / 2 - kZoomMargin, centreX + s / 2 + kZoomMargin, centreY - s / 2 - kZoomMargin,
            centreY + s / 2 + kZoomMargin};
}

bool FrameMeans(const std::int64_t frames[][kFrameCols], int n, std::uint16_t means[kFrameCols])
{
    if (n <= 0 || n > kMaxFrames)
        return false;
    for (int c = 0; c < kFrameCols; ++c) {
        std::int64_t sum = 0;
        for (int i = 0; i < n; ++i)
            sum += frames[i][c];
        means[c] = Saturate16(sum / n);
    }
    return true;
}

MaxDeltas FrameMaxDeltas(const std::int64_t frames[][kFrameCols], int n, std::uint16_t meanX, std::uint16_t meanY,
                         std::uint16_t meanInt)
{
    std::int64_t maxXY = 0, maxInt = 0;
    for (int i = 0; i < std::min(n, kMaxFrames); ++i) {
        const std::int64_t d = TruncatedDistance(frames[i][3] - meanX, frames[i][4] - meanY);
        maxXY = std::max(maxXY, d);
        maxInt = std::max(maxInt, Abs(frames[i][5] - meanInt));
    }
    return {Saturate16(maxXY), Saturate16(maxInt)};
}

std::uint16_t ChosenTolerance(int ring, std::uint16_t value, std::uint16_t delta, std::uint16_t current)
{
    switch (ring) {
    case 0: return value;
    case 1: return delta;
    case 2: return Saturate16(std::int64_t {value} + delta);
    default: return current;
    }
}

bool ColorArrayValid(const int *values, int count)
{
    if (count != kColorArraySize)
        return false;
    for (int i = 0; i < count; ++i)
        if (values[i] < 0 || values[i] > 0xFFFFFF)
            return false;
    return true;
}

bool StartupPathFromBytes(const char *bytes, int count, char path[260])
{
    path[0] = '\0';
    const int n = std::min(count, 260);
    const void *nul = n > 0 ? std::memchr(bytes, '\0', static_cast<size_t>(n)) : nullptr;
    if (!nul || bytes[0] == '\0')
        return false;
    std::memcpy(path, bytes, static_cast<const char *>(nul) - bytes + 1);
    return true;
}
