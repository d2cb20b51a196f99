// Program module of Veltv61, the main scope program: its entry, its panels
// and the program-wide run flags that its loops test.
#pragma once

#include <cstdint>

// The run flags live in a namespace: a global object named poll would take
// the place of the C library's poll() for every library of the process.
namespace runflags {
// Run flag of the live data cycle; clearing it ends the loop at its next test.
extern std::uint16_t poll;
// Run flag of the recorder's timed recording and polling loops.
extern std::uint16_t pollrecord;
} // namespace runflags
using runflags::poll;
using runflags::pollrecord;

// Panel handles, valid from start-up to shut-down (0 while not loaded).
extern int panel;
extern int recpanel;
extern int srcpanel;
extern int graphpanel;
extern int teachpanel;
extern int interfacepanel;
extern int grouppanel;

// The program's directory: where it keeps its own files.
extern char proj_dir[260];
// Full path of the file that names the colour array loaded at start-up.
extern char colorArrayStartupFileName[260];

// Start-up after the panels are shown: globals, views, brand logo, the panel's
// default values; then the link connects and reads the sensor's parameters.
void InitVars();

// Starts the run-time, loads the panels, runs the user interface until the
// main panel is closed and returns the program's result (-1 when a panel
// cannot be loaded).
int WinMain(int argc, char **argv);
