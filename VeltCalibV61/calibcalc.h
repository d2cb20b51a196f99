// Pure calculations of the calibration program: the capture sums and means,
// the calibration factors and their checks, the spread of three channels, the
// blinking of the capture button, and the parameter sets and the factor
// telegram it sends. No panel, no link.
#pragma once

#include <cstdint>

constexpr int kCaptureFrames = 100; // frames averaged by one capture
constexpr int kBlinkStep = 5;       // the capture button changes colour every 5 frames
constexpr uint16_t kCfUnity = 1024; // factor 1.0
constexpr uint32_t kCfMin = 750;    // smallest accepted factor
constexpr uint32_t kCfMax = 1300;   // largest accepted factor
constexpr int kColorRed = 0xFF0000;
constexpr int kColorLightGrey = 0xE0E0E0;

// Order of this program: the three calibration factors.
enum : uint16_t {
    ORDER_SET_CALIB_CF = 30,
    ORDER_GET_CALIB_CF = 31,
};

// Largest minus smallest of three values.
uint16_t Spread(uint16_t a, uint16_t b, uint16_t c);

// Sums of a capture: raw red, green, blue and the raw spread of each frame.
// 100 frames of 16-bit values stay far below the 32-bit limit.
struct CaptureSums {
    int32_t r = 0, g = 0, b = 0, d = 0;
    void Add(uint16_t rawR, uint16_t rawG, uint16_t rawB, uint16_t spread);
    // Mean of a sum over the capture, truncated toward zero.
    static uint16_t Mean(int32_t sum) { return static_cast<uint16_t>(sum / kCaptureFrames); }
};

// Colour of the capture button at frame i (0..99), or -1 when it keeps its
// colour: red at frames 0, 10, 20 ..., light grey at 5, 15 ... 95.
int CaptureBlinkColor(int frame);

enum class CfCheck { Passed, DeltaTooHigh, OutOfRange };

struct CfResult {
    CfCheck check = CfCheck::Passed;
    uint16_t cf[3] = {0, 0, 0}; // red, green, blue; valid when passed
};

// One factor: setvalue * 1024 / mean, with a mean of 0 taken as 1. The full
// quotient is returned so that the range check sees values above 65535.
uint32_t CalibFactor(uint16_t setvalue, uint16_t mean);

// The factors for the means of a capture: refused when the mean spread is
// above maxdelta, or when a factor lies outside 750 ... 1300.
CfResult ComputeCalibFactors(uint16_t setvalue, uint16_t maxdelta, uint16_t meanR, uint16_t meanG, uint16_t meanB,
                             uint16_t meanD);

// The calibration parameter set with the given power in packet words 0-13;
// words 14 and 15 and the rows are left as they are.
void FillCalibParaSet(uint16_t *packet, unsigned power);

// The default parameter set in the parameter variables and tables (packet.h):
// CopyVarsToPP then turns it into the whole packet.
void SetDefaultParaVars();

// The factor telegram in buf: sync, order 30, the three factors in words 2-4;
// words 5-17 keep what the previous telegram left there.
void FillTxBufCF(char *buf, uint16_t cfr, uint16_t cfg, uint16_t cfb);
