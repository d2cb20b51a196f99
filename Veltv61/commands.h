// Main-panel commands of Veltv61: the sensor commands that write and read
// the parameter set and fetch data frames, and the parameter file.
#pragma once

#include "packet.h"
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
void Befehl3plus4();
void Befehl6plus8();
void GetData();
// "TIMEOUT" in the status display and the time-out pop-up titled with the version.
void ShowTimeoutPopup();

// ---- parameter file ----
void SendParaToFile();
void ReadParaFromFile();
// The parameter file itself: kParaWords numbers from 0 to 65535, one a line.
// WriteParameterFile replaces the file atomically (0, or negative when it
// could not be written). ReadParameterFile fills packet only when the file
// holds exactly kParaWords such numbers; otherwise packet is untouched.
int WriteParameterFile(const char *path, const uint16_t packet[kParaWords]);
bool ReadParameterFile(const char *path, uint16_t packet[kParaWords]);
