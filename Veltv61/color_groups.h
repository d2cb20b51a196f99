// Colour groups: the group panel PGROUP with its activation switch and the
// group number of every colour, and the group display of the main panel.
#pragma once

#include "rt_ui.h"

// Group table cell (column, row) active at the last event that was not a value change.
extern Point activCell;

void InitColorGroups();
