// The colour teach table of the main panel: teaching the live measurement
// into a row, resetting the table, the X/Y graph with a circle per row,
// the automatic widening of the circles and the zoom graph that follows the
// live point among the taught circles.
#pragma once

#include "teach_calc.h"

// Row colours 0x00RRGGBB: entries 0..30 colour rows 0..30, 31..44 are kept
// and stored with the colour array file.
extern int qvcolarr[kColorArraySize];

void TeachDataTo();
void ResetTable();
void ApplyFromAll();
void AutoAdjust();
void ShowGraphData2();
void SetRowColor();

// Clears the X/Y graph and draws the diagonal X + Y = 4095 in the X/Y plane.
void PrepareXYGraph();
// The X/Y graph in front of the zoom graph, or behind it.
void XYGraphToFront();
void ZoomGraphToFront();
// The colour cells of rows 1..31 from qvcolarr.
void ColorTableRows();
// qvcolarr back to its built-in colours (start-up state; tests).
void ResetRowColors();
