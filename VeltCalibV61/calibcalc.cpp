#include "calibcalc.h"

#include "packet.h"
#include "telegram.h"

#include <algorithm>
#include <iterator>

uint16_t Spread(uint16_t a, uint16_t b, uint16_t c)
{
    return static_cast<uint16_t>(std::max({a, b, c}) - std::min({a, b, c}));
}

void CaptureSums::Add(uint16_t rawR, uint16_t rawG, uint16_t rawB, uint16_t spread)
{
    r += rawR;
    g += rawG;
    b += rawB;
    d += spread;
}

int CaptureBlinkColor(int frame)
{
    if (frame % kBlinkStep != 0)
        return -1;
    return (frame / kBlinkStep) % 2 == 0 ? kColorRed : kColorLightGrey;
}

uint32_t CalibFactor(uint16_t setvalue, uint16_t mean)
{
    const uint32_t m = mean == 0 ? 1u : mean;
    return (static_cast<uint32_t>(setvalue) << 10) / m;
}

CfResult ComputeCalibFactors(uint16_t setvalue, uint16_t maxdelta, uint16_t meanR, uint16_t meanG, uint16_t meanB,
                             uint16_t meanD)
{
    CfResult res;
    if (meanD > maxdelta) {
        res.check = CfCheck::DeltaTooHigh;
        return res;
    }
    const uint16_t means[3] = {meanR, meanG, meanB};
    uint16_t cf[3] = {0, 0, 0};
    for (int c = 0; c < 3; ++c) {
        // Checked before it is cut to 16 bits: a quotient of 66576 is out of
        // range, not the 1040 its low 16 bits would make of it.
        const uint32_t f = CalibFactor(setvalue, means[c]);
        if (f < kCfMin || f > kCfMax) {
            res.check = CfCheck::OutOfRange;
            return res;
        }
        cf[c] = static_cast<uint16_t>(f);
    }
    std::copy(std::begin(cf), std::end(cf), res.cf);
    return res;
}

void FillCalibParaSet(uint16_t *packet, unsigned power)
{
    // power, pmode STAT, average 0x8000, evalmode, hold 10, intlim 0,
    // maxcolno 1, outmode, trigger, exteach, calcmode, dynamic window
    // 3000-3500, colour groups off.
    const uint16_t words[14] = {static_cast<uint16_t>(power), 0, 0x8000, 0, 10, 0, 1, 0, 0, 0, 0, 3000, 3500, 0};
    std::copy(std::begin(words), std::end(words), packet);
}

void SetDefaultParaVars()
{
    power = 250;
    pmode = 0;
    average = 128;
    evalmode = 0;
    hold = 10;
    intlim = 50;
    maxcolno = 1;
    outmode = trigger = exteach = calcmode = 0;
    dynwinlo = 3000;
    dynwinhi = 3500;
    colorgroup = frei15 = frei16 = 0;
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < 5; ++c)
            ctt[r][c] = 1;
        groupbuf[r] = 0;
    }
}

void FillTxBufCF(char *buf, uint16_t cfr, uint16_t cfg, uint16_t cfb)
{
    PutWord(buf, 0, com232::sync);
    PutWord(buf, 2, ORDER_SET_CALIB_CF);
    PutWord(buf, 4, cfr);
    PutWord(buf, 6, cfg);
    PutWord(buf, 8, cfb);
}
