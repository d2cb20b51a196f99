#include "packet.h"

#include <cstring>

using namespace com232;

uint16_t power, pmode, average, evalmode, hold, intlim, maxcolno, outmode, trigger, exteach, calcmode, dynwinlo,
    dynwinhi, colorgroup, frei15, frei16;
uint16_t ctt[kRows][5];
uint16_t groupbuf[32];
uint16_t dataR, dataG, dataB, dataX, dataY, dataINT, dataCOL, dataTemp, dataGroup;

namespace {

// The sixteen parameter variables in packet order.
uint16_t *const kParams[16] = {&power,   &pmode,   &average,  &evalmode, &hold,     &intlim,     &maxcolno, &outmode,
                               &trigger, &exteach, &calcmode, &dynwinlo, &dynwinhi, &colorgroup, &frei15,   &frei16};

constexpr uint16_t kMaxColNo = 31;

void limitMaxcolno()
{
    if (maxcolno > kMaxColNo)
        maxcolno = kMaxColNo;
}

} // namespace

void CopyVarsToPP()
{
    for (int k = 0; k < 16; ++k)
        pp[k] = *kParams[k];
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < 5; ++c)
            pp[16 + 6 * r + c] = ctt[r][c];
        pp[16 + 6 * r + 5] = groupbuf[r];
    }
}

void CopyPPtoVars()
{
    if (pp[0] != 0x55)
        return;
    if (pp[1] == ORDER_GET_PARA) {
        for (int k = 0; k < 16; ++k)
            *kParams[k] = pp[2 + k];
        limitMaxcolno();
    } else if (pp[1] == ORDER_GET_ROW) {
        const uint16_t r = pp[2];
        if (r >= kRows)
            return; // addresses no row of the table
        for (int c = 0; c < 5; ++c)
            ctt[r][c] = pp[3 + c];
        groupbuf[r] = pp[8];
    }
}

void CopyFileParatoVars()
{
    for (int k = 0; k < 16; ++k)
        *kParams[k] = pp[k];
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < 5; ++c)
            ctt[r][c] = pp[16 + 6 * r + c];
        groupbuf[r] = pp[16 + 6 * r + 5];
    }
    limitMaxcolno();
}

void CopyDatatoVars()
{
    dataR = databuf[2];
    dataG = databuf[3];
    dataB = databuf[4];
    dataX = databuf[5];
    dataY = databuf[6];
    dataINT = databuf[7];
    dataCOL = databuf[8];
    dataTemp = databuf[12];
    dataGroup = databuf[13];
}

void ResetPacketVars()
{
    for (uint16_t *p : kParams)
        *p = 0;
    std::memset(ctt, 0, sizeof ctt);
    std::memset(groupbuf, 0, sizeof groupbuf);
    dataR = dataG = dataB = dataX = dataY = dataINT = dataCOL = dataTemp = dataGroup = 0;
}
