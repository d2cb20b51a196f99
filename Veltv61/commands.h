// Main-panel commands of Veltv61: the sensor commands that write and read
// the parameter set and fetch data frames, and the parameter file.
#pragma once

#include "packet.h"
#include "params_file.h"
#include "telegram.h"

#include <cstdint>

// Transfer target and source.
constexpr int RAM = 1;
constexpr int EEPROM = 2;
constexpr int DATFILE = 3;

extern uint16_t target;  // RAM, EEPROM or DATFILE
extern uint16_t comecho; // 1 when the last parameter exchange was good
extern char file_name[260];

// ---- sensor commands ----
void SendPara();
void GetPara();
void GetData();
// "TIMEOUT" in the status display and the time-out pop-up titled with the version.
void ShowTimeoutPopup();

// ---- parameter file ----
void SendParaToFile();
void ReadParaFromFile();
