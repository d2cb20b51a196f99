// Colour array files (".car"): the 45 row colours saved and loaded by hand,
// and the start-up colour array named in the start-up path file.
#pragma once

void SaveColorArray();
void GetColorArray();
void SetStartupArray();
// At start-up: the colour array that the start-up path file names, if both
// files are there and sound, becomes the row colours; the colour cells of
// the table show the row colours.
void LoadStartupColorArray();
