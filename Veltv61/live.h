// Panel values and live displays of Veltv61: the parameter controls and the
// tables to and from the variables, one measured frame into the displays.
#pragma once

#include "packet.h"

#include <cstdint>

extern double rawbuf[300]; // last 100 frames of R, G, B, interleaved
extern double intbuf[300]; // last 100 frames of INT, upper and lower band limit
extern int rgbcolor;       // colour last shown in the measured-colour patch

void GetPanelValues();
void SetPanelValues();
void SetPanelData();
