// Program module of QuillonV20, the loader program: its entry, its panel and
// the routines its areas share. The loader's routines live in the namespace
// quillon: its TryToConnect, InitRS232 and CheckComLine differ from those of
// the scope programs' link.
#pragma once

#include <cstdint>

// Handle of the one panel, valid from start-up to shut-down (0 while not loaded).
extern int mainpanel;

// Starts the run-time, loads the panel, runs the user interface until the
// panel is closed and returns the program's result (-1 when the panel
// cannot be loaded).
int WinMain(int argc, char **argv);

namespace quillon {

// COM port number (1 at start, then the COM port selector's), the result of
// opening it and the text of a port error.
extern uint16_t comport;
extern int16_t ret;
extern char szStatus[52];
// Outcome of the last exchange: 1 good, 0 failed; a long job ends at 0.
extern int16_t comecho;
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

// ---- boot link and identification (bootlink.cpp) ----------------------------
// Opens comport for the sensor's application: 19200 baud 8N1.
void InitRS232();
// Opens comport for the boot firmware: 115200 baud 8N1 with XON/XOFF.
void InitRS232PL();
// Closes the port, reads the COM port selector, opens it, identifies the sensor.
void TryToConnect();
// Identify exchange: shows the sensor's text (36, 48 or 72 bytes) or "CONNECTION FAILURE".
void CheckComLine();
// Sends the write telegram in szWriteBuf and checks its answer over n words
// (36 bytes, 0x00 0xAA, bytes 2 to 2n-1 as sent); a telegram not written
// whole fails too.
void CheckEcho(int words);
// Marks a failed exchange: comecho 0, progress 0, the transfer error text.
void SetPopupTimeout();
// Sends the sensor's application into its boot firmware.
void jmpBF();
// Sends the telegram in szWriteBuf without awaiting an answer; the byte count
// written (36 when good), negative on failure.
int WriteLoaderTelegram();

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
