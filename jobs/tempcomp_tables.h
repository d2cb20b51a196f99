// The program's coefficients and tables: computed curves and factors, the
// cube-root table, and the tables as read back from the sensor. All of them
// live for the whole run and are zero at start.
#pragma once

#include "tempcomp_curves.h"

#include <cstdint>

// Coefficients of t^4, t^3, t^2, t and the constant term per channel.
extern double RX4, RX3, RX2, RX1, RT;
extern double GX4, GX3, GX2, GX1, GT;
extern double BX4, BX3, BX2, BX1, BT;

// Curves at temperature index t, and the three interleaved (3t + channel).
extern double dataRot[kTempPoints], dataGruen[kTempPoints], dataBlau[kTempPoints];
extern double dataRGB[3 * kTempPoints];

// Compensation factors (1024 = 1.0), and the three interleaved.
extern uint16_t dataCfRot[kTempPoints], dataCfGruen[kTempPoints], dataCfBlau[kTempPoints];
extern uint16_t dataCfRGB[3 * kTempPoints];

extern uint16_t data3rdRoot[kRootEntries];

// As read back from the sensor.
extern uint16_t savedCfRot[kTempPoints], savedCfGruen[kTempPoints], savedCfBlau[kTempPoints];
extern uint16_t saved3rdRoot[kRootEntries];

// The 15 coefficients in control and file order: red X4 ... T, green, blue.
extern double *const kCoefficientVars[kChannels * kCoefficients];

// Everything back to zero (program start; tests).
void ResetTables();
// True when the read-back tables equal the computed ones.
bool TablesMatch();

// The three curves (dataRot, dataGruen, dataBlau, dataRGB) from the coefficients.
void TabulateCurves();
// The three factor tables (dataCfRot ... dataCfRGB) from the curves as they
// stand and the reference values of red, green and blue.
void CalcFactorTables(uint16_t refR, uint16_t refG, uint16_t refB);
// The reference value of each channel that the program starts with.
constexpr uint16_t kDefaultReference = 1000;
