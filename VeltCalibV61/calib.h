// Commands and panel routines of the calibration program: its values, the
// telegrams it sends, the live data loop, the capture and the finishing
// sequence.
#pragma once

#include <cstdint>

// Factors (1024 = 1.0), set value, accepted spread, last frame and capture means.
extern uint16_t cfrot, cfgruen, cfblau;
extern uint16_t setvalue, maxdelta;
extern uint16_t dataRawR, dataRawG, dataRawB, deltaraw, deltacalib;
extern uint16_t meanR, meanG, meanB, meanD;
// 1 after the default-parameter store went well; 0 after a failed write or echo.
extern uint16_t comecho;

// Reply time-out of every exchange of this program, seconds.
constexpr double kCalibExchangeTimeout = 2.0;
// The fixed pause between the steps of a command, milliseconds.
constexpr int kStepPauseMs = 500;

// All program values back to their start-up state (start-up; tests).
void ResetCalibVars();

void SetButtonsDimmed(int dimmed);
// Starts a command (a button's commit): its first time-out pops up.
void BeginCommand();
// "TIMEOUT" in the status display and the time-out pop-up; the pop-up only
// once in a command until a reply comes again, so that a lost line is told
// once, not once per step that fails after it.
void ShowTimeoutPopup();

// The raw values of the frame in databuf (words 9 to 11) into their variables;
// the other values are CopyDatatoVars'.
void CopyRawDatatoVars();
// The spreads and the six values into their displays and bars.
void SetPanelData();

void SendCalibPara();
void SendCF();
void GetCF();
void GetData();
// The default parameter set into the EEPROM: orders 1, 2 × 31 and the store
// (order 6) with its echo; comecho is 1 afterwards only when all went well.
void SendPara();
void CalcCF();
void SetCF();
// The whole finishing sequence of the Finish Calib button.
void FinishCalib();
