// Program module of QuillonV20, the loader program: its entry, its panel and
// the routines its areas share. The loader's routines live in the namespace
// quillon: its TryToConnect, InitRS232 and CheckComLine differ from those of
// the scope programs' link.
#pragma once

#include "loader.h"

#include <cstdint>

// Handle of the one panel, valid from start-up to shut-down (0 while not loaded).
extern int mainpanel;

// Starts the run-time, loads the panel, runs the user interface until the
// panel is closed and returns the program's result (-1 when the panel
// cannot be loaded).
int WinMain(int argc, char **argv);

namespace quillon {

// COM port number, the result of opening it, the port error text and the
// outcome of the last exchange are the loader jobs' (jobs/loader.h).
// The program's directory, the current directory from start-up on.
extern char proj_dir[260];

// Start-up: initial values, current directory, greeting, first connection.
void InitAll();
// Appends text to the status window.
void AppendStatus(const char *text);
// Shows the progress of a job (0 when none runs).
void SetProgress(double value);
// Dims (1) or undims (0) the five operation buttons and shows it at once.
void SetButtonsDimmed(int dimmed);
// Start-up state of every program global (for tests and InitAll).
void ResetLoaderGlobals();
// The observer through which the panel follows a loader job: the status
// texts go to the status window, each step of progress adds `step` to the
// progress display, and a firmware update ends at Disarm PL.
LoaderObserver &PanelObserver(double step = 0);

// ---- line and identification (bootlink.cpp) -----------------------------------
// Opens comport for the sensor's application: 19200 baud 8N1.
void InitRS232();
// Closes the port, reads the COM port selector, opens it, identifies the sensor.
void TryToConnect();
// Identify exchange: shows the sensor's text (36, 48 or 72 bytes) or "CONNECTION FAILURE".
void CheckComLine();

// ---- firmware update (firmware.cpp) -------------------------------------------
extern uint16_t filereadOK;
extern char srec_file_name[260];
// Run permission of a firmware update; Disarm PL clears it.
namespace run {
extern uint16_t disarm;
}
void ReadFwFromDisk();
void SendFW();

// ---- EEPROM backup and restore (eeprom.cpp) -----------------------------------
extern char file_name[260];
void ReadEEPROM();
void SaveEEPROM();

} // namespace quillon
