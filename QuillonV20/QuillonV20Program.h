// Program module of QuillonV20, the loader program: its entry and its panel.
#pragma once

// Handle of the one panel, valid from start-up to shut-down (0 while not loaded).
extern int mainpanel;

// Starts the run-time, loads the panel, runs the user interface until the
// panel is closed and returns the program's result (-1 when the panel
// cannot be loaded).
int WinMain(int argc, char **argv);
