// The command layer and panel functions of Veltv61: sensor commands, the
// parameter file, panel values and the live data displays, the mode rules
// and views. The parameter variables, the packet pp, the teach table ctt and
// the data variables are the link module's (packet.h); the panel handles and
// run flags are the program module's (Veltv61Program.h).
#pragma once

#include "packet.h"
#include "telegram.h"

#include <cstdint>

// Transfer target and source.
constexpr int RAM = 1;
constexpr int EEPROM = 2;
constexpr int DATFILE = 3;

extern uint16_t target;   // RAM, EEPROM or DATFILE
extern uint16_t comecho;  // 1 when the last parameter exchange was good
extern uint16_t source;   // signal of the graph: 0 X/Y, 1 R G B, 2 INT
extern double rawbuf[300]; // last 100 frames of R, G, B, interleaved
extern double intbuf[300]; // last 100 frames of INT, upper and lower band limit
extern int rgbcolor;       // colour last shown in the measured-colour patch
extern char file_name[260];
extern uint16_t xramp[4096], yramp[4096]; // the diagonal X + Y = 4095

// ---- sensor commands ----
void SendPara();
void GetPara();
void Befehl3plus4();
void Befehl6plus8();
void GetData();
// "TIMEOUT" in the status display and the time-out pop-up titled with the version.
void ShowTimeoutPopup();

// ---- parameter file ----
void SendParaToFile();
void ReadParaFromFile();

// ---- panel values and live displays ----
void GetPanelValues();
void SetPanelValues();
void SetPanelData();

// ---- mode rules, labels, views ----
void InitPanelCtrlAttr();
void InitPowerMode();
void InitEvalMode();
void InitCalcMode();
void InitExteach();
void InitTrigger();
void SetDispNames();
void ColorRowLabels();
void DispVis(int unused);
void ShowGraph();
void ParaVis();
void ParaInVis();
void SetButtonsDimmed(int dimmed);
void InitSrcPanel();
