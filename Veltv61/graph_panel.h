// Graph panel of Veltv61: the recorded frames plotted against their running
// number, one graph per measured value, the selected one shown.
#pragma once

#include <cstdint>

extern uint16_t graphcnt;  // running number of the next point; 0 after a reset
extern uint16_t bufcnt[2]; // x of the last segment: previous and current point number
extern uint16_t bufr[2], bufg[2], bufb[2], bufx[2], bufy[2], bufint[2], buftemp[2];

// Clears the seven graphs and starts the running number again at 0.
void InitPanelGraph();
// Shows the values held and plots them as the next point on all seven graphs.
void SetPanelGraphData();
// Shows the graph of the signal selected on the panel (R for an unknown value).
void SetGraphVisible();
