// Colour array files (".car"): the 45 row colours saved and loaded by hand,
// and the start-up colour array named in the start-up path file.
#pragma once

#include "teach_calc.h"

void SaveColorArray();
void GetColorArray();
void SetStartupArray();
// At start-up: the colour array that the start-up path file names, if both
// files are there and sound, becomes the row colours; the colour cells of
// the table show the row colours.
void LoadStartupColorArray();

// The colour array file itself: 45 colours, one a line, right-aligned in 10
// characters. WriteColorArrayFile replaces the file atomically (0, or
// negative when it could not be written). ReadColorArrayFileValues fills
// colours only when the file holds exactly 45 colours from 0 to 0xFFFFFF.
int WriteColorArrayFile(const char *path, const int colours[kColorArraySize]);
bool ReadColorArrayFileValues(const char *path, int colours[kColorArraySize]);
// The start-up path file: the 260 bytes of a path buffer, the path
// NUL-terminated. WriteStartupPathFile writes path (cut to 259 bytes) and
// zero bytes after it; ReadStartupPathFile reads the path back, false (and
// path empty) when the file cannot be read or holds no NUL-terminated path.
int WriteStartupPathFile(const char *file, const char *path);
bool ReadStartupPathFile(const char *file, char path[260]);
