// Program module of VeltCalibV61, the calibration program: its entry, its
// panels and the run flag of its live data loop.
#pragma once

#include <cstdint>

// Run flag of the live data loop; clearing it ends the loop at its next test.
// It lives in a namespace: a global named poll would stand in for the
// system's poll() function for every library in the process.
namespace runflags {
extern std::uint16_t poll;
// Set when the main panel is closed: a capture ends and no live loop starts,
// so the program can end.
extern bool closing;
} // namespace runflags
using runflags::poll;

// Panel handles, valid from start-up to shut-down (0 while not loaded).
extern int panel;
extern int interfacepanel;

// The program's directory: where it keeps its own files.
extern char proj_dir[260];

// Start-up after the panels are shown: the link connects and checks the line.
void InitVars();

// Starts the run-time, loads the panels, runs the user interface until the
// main panel is closed and returns the program's result (-1 when a panel
// cannot be loaded).
int WinMain(int argc, char **argv);
