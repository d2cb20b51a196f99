// Calculations of colour teaching: circle adjustment, the zoom window, the
// teach panel's means and deltas, the tolerances a teach writes, and the
// colour array file's checks. Pure functions: no panel, no link.
#pragma once

#include <cstdint>

constexpr int kTeachRows = 31;      // rows of the colour teach table
constexpr int kTeachCols = 5;       // X, Y, CTO, INT, ITO (s, i, siTO, M, MTO)
constexpr int kMaxRadius = 200;     // largest radius AUTO ADJUST gives
constexpr int kColorArraySize = 45; // entries of a colour array file
constexpr int kMaxFrames = 100;     // frames the teach panel holds
constexpr int kFrameCols = 6;       // R, G, B, X, Y, INT

// Integer part of sqrt(dx*dx + dy*dy), exact for every pair of 32-bit
// differences (the squares are summed in 64 bits).
std::uint32_t TruncatedDistance(std::int64_t dx, std::int64_t dy);

// v limited to 0..65535: sums that land in a 16-bit value saturate.
std::uint16_t Saturate16(std::int64_t v);

// A graph cursor coordinate as a 16-bit display value: truncated toward
// zero and limited to 0..65535 (NaN gives 0).
std::uint16_t CursorCoordinate(double v);

// What TEACH DATA TO writes as CTO (40 in evaluation mode 2, else 100) and
// as ITO (100 with PMOD STAT, 20 with DYN).
std::uint16_t TaughtCto(int evalmode);
std::uint16_t TaughtIto(int pmode);

// Row number of a No. style control, or -1 when it lies outside 0..30.
int TableRow(int number);

// Widens the circles of rows 0 .. maxcolno - 1 (at most 31): their CTO is
// first set to 1, then grown radius by radius up to 200 for as long as the
// circle does not touch the circle of another active row whose intensity
// band overlaps its own. Rows from maxcolno on are left alone.
void AdjustCircles(std::uint16_t table[kTeachRows][kTeachCols], int maxcolno);

// Area the zoom graph must show: every row holding a taught colour (X or Y
// above 10) with its circle. With no such row it is 0 .. 10000.
struct ZoomBounds {
    std::int64_t minX, maxX, minY, maxY;
};
ZoomBounds TaughtBounds(const std::uint16_t table[kTeachRows][kTeachCols]);

// The square window (axis ranges) that holds the bounds and the live point
// (x, y), with a margin of 25 on each side.
struct ZoomWindow {
    std::int64_t xMin, xMax, yMin, yMax;
};
ZoomWindow FitZoomWindow(const ZoomBounds &b, std::int64_t x, std::int64_t y);

// The teach panel's statistics over n captured frames (rows of R, G, B, X,
// Y, INT as the grid holds them). Means truncate toward zero; deltas are the
// largest X/Y distance and the largest intensity difference from the means,
// both saturated to 16 bits. n outside 1..100 gives false and no result.
bool FrameMeans(const std::int64_t frames[][kFrameCols], int n, std::uint16_t means[kFrameCols]);
struct MaxDeltas {
    std::uint16_t xy;
    std::uint16_t intensity;
};
MaxDeltas FrameMaxDeltas(const std::int64_t frames[][kFrameCols], int n, std::uint16_t meanX, std::uint16_t meanY,
                         std::uint16_t meanInt);

// Tolerance chosen by a TEACH ... WITH ring: 0 the fixed value, 1 the
// measured delta, 2 their sum (saturated), 3 (or anything else) the
// table's current value.
std::uint16_t ChosenTolerance(int ring, std::uint16_t value, std::uint16_t delta, std::uint16_t current);

// True when the values read from a colour array file are exactly 45
// colours 0x000000..0xFFFFFF.
bool ColorArrayValid(const int *values, int count);

// The path held in the raw bytes of a start-up path file: the bytes up to
// the first NUL. False (and *path empty) when there is no NUL among them or
// the path is empty. path holds 260 bytes.
bool StartupPathFromBytes(const char *bytes, int count, char path[260]);
