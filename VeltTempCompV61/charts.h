// Curves and factors on the main panel: the calculations with their panel
// reads and their strip charts, the chart selection buttons and the value
// displays at the selected temperature index.
#pragma once

// Reads the 15 coefficient controls, tabulates the three curves and plots
// them on the four curve charts.
void CalcCurves();
// Reads the three reference values, computes the factor tables from the
// curves as they stand and plots them on the four factor charts.
void CalcCfCurves();
// Fills the fixed cube-root table.
void Calc3rdRoot();
