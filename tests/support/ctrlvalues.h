// Reading a control's value or attribute in one expression, for tests that
// drive panels in their own process. A reader that fails leaves the marker
// value (-1, "" ) so that a missing control never reads as a plausible value.
#pragma once

#include "rt_ui.h"

#include <string>

inline int IntVal(int panel, int ctrl)
{
    int v = -1;
    GetCtrlVal(panel, ctrl, &v);
    return v;
}

inline double DblVal(int panel, int ctrl)
{
    double v = -1;
    GetCtrlVal(panel, ctrl, &v);
    return v;
}

inline std::string StrVal(int panel, int ctrl)
{
    char buf[256] = "";
    GetCtrlVal(panel, ctrl, buf, sizeof buf);
    return buf;
}

inline int IntAttr(int panel, int ctrl, int attribute)
{
    int v = -1;
    GetCtrlAttribute(panel, ctrl, attribute, &v);
    return v;
}

inline std::string StrAttr(int panel, int ctrl, int attribute)
{
    char buf[256] = "";
    GetCtrlAttribute(panel, ctrl, attribute, buf);
    return buf;
}

inline int IntCell(int panel, int ctrl, int col, int row)
{
    int v = -1;
    GetTableCellVal(panel, ctrl, MakePoint(col, row), &v);
    return v;
}
