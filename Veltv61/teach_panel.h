// The teach panel TEACHP: frames captured from the live data cycle, their
// means and largest deviations, and TEACH TO TABLE, which teaches the mean
// colour with the chosen tolerances into a row of the colour teach table.
#pragma once

#include <cstdint>

// Means of the last computation with at least one frame (R, G, B, X, Y, INT).
extern uint16_t meanr, meang, meanb, meanx, meany, meanint;

void InitTeachPanel();
void ResetTpTable();
void CaptureFrame();
void UndoCapture();
void CalcMeanValues();
void CalcMaxDelta();
void TeachToTable();
