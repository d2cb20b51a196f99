// The parameter set as program variables and its copies to and from the
// parameter packet pp and the data frame. Pure data handling.
#pragma once

#include "telegram.h"

#include <cstdint>

extern uint16_t power, pmode, average, evalmode, hold, intlim, maxcolno, outmode, trigger, exteach, calcmode, dynwinlo,
    dynwinhi, colorgroup, frei15, frei16;
extern uint16_t ctt[kRows][5];
extern uint16_t groupbuf[32];
extern uint16_t dataR, dataG, dataB, dataX, dataY, dataINT, dataCOL, dataTemp, dataGroup;

void CopyVarsToPP();
// Takes a decoded parameter (order 3) or row (order 4) reply from pp words 0-17.
void CopyPPtoVars();
// Takes a whole packet read from a parameter file.
void CopyFileParatoVars();
void CopyDatatoVars();
// All variables back to zero (start-up state; tests).
void ResetPacketVars();
