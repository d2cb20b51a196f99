// Mode controls and panel attributes of Veltv61: the rules that tie the
// parameter controls together, the X/Y and s/i vocabulary of all panels, the
// two views of the main panel, the signal display and the common dimming of
// the buttons that start link traffic.
#pragma once

#include "packet.h"

#include <cstdint>

extern uint16_t source; // signal of the graph: 0 X/Y, 1 R G B, 2 INT

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
