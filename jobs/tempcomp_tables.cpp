#include "tempcomp_tables.h"

#include <algorithm>

double RX4, RX3, RX2, RX1, RT;
double GX4, GX3, GX2, GX1, GT;
double BX4, BX3, BX2, BX1, BT;

double dataRot[kTempPoints], dataGruen[kTempPoints], dataBlau[kTempPoints];
double dataRGB[3 * kTempPoints];

uint16_t dataCfRot[kTempPoints], dataCfGruen[kTempPoints], dataCfBlau[kTempPoints];
uint16_t dataCfRGB[3 * kTempPoints];

uint16_t data3rdRoot[kRootEntries];

uint16_t savedCfRot[kTempPoints], savedCfGruen[kTempPoints], savedCfBlau[kTempPoints];
uint16_t saved3rdRoot[kRootEntries];

double *const kCoefficientVars[kChannels * kCoefficients] = {
    &RX4, &RX3, &RX2, &RX1, &RT, &GX4, &GX3, &GX2, &GX1, &GT, &BX4, &BX3, &BX2, &BX1, &BT,
};

void ResetTables()
{
    for (double *v : kCoefficientVars)
        *v = 0;
    for (double *a : {dataRot, dataGruen, dataBlau})
        std::fill_n(a, kTempPoints, 0.0);
    std::fill_n(dataRGB, 3 * kTempPoints, 0.0);
    for (uint16_t *a : {dataCfRot, dataCfGruen, dataCfBlau, savedCfRot, savedCfGruen, savedCfBlau})
        std::fill_n(a, kTempPoints, uint16_t {0});
    std::fill_n(dataCfRGB, 3 * kTempPoints, uint16_t {0});
    std::fill_n(data3rdRoot, kRootEntries, uint16_t {0});
    std::fill_n(saved3rdRoot, kRootEntries, uint16_t {0});
}

bool TablesMatch()
{
    return std::equal(dataCfRot, dataCfRot + kTempPoints, savedCfRot) &&
           std::equal(dataCfGruen, dataCfGruen + kTempPoints, savedCfGruen) &&
           std::equal(dataCfBlau, dataCfBlau + kTempPoints, savedCfBlau) &&
           std::equal(data3rdRoot, data3rdRoot + kRootEntries, saved3rdRoot);
}

void TabulateCurves()
{
    const double red[kCoefficients] = {RX4, RX3, RX2, RX1, RT};
    const double green[kCoefficients] = {GX4, GX3, GX2, GX1, GT};
    const double blue[kCoefficients] = {BX4, BX3, BX2, BX1, BT};
    TabulateCurve(red, dataRot);
    TabulateCurve(green, dataGruen);
    TabulateCurve(blue, dataBlau);
    Interleave(dataRot, dataGruen, dataBlau, dataRGB);
}

void CalcFactorTables(uint16_t refR, uint16_t refG, uint16_t refB)
{
    CalcFactorTable(refR, dataRot, dataCfRot);
    CalcFactorTable(refG, dataGruen, dataCfGruen);
    CalcFactorTable(refB, dataBlau, dataCfBlau);
    Interleave(dataCfRot, dataCfGruen, dataCfBlau, dataCfRGB);
}
