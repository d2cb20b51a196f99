// Program module of VeltTempCompV61, the temperature-compensation program:
// its entry and its panels.
#pragma once

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
