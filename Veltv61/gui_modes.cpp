// Mode controls and panel attributes of the main panel: the rules that tie
// the parameter controls to one another, the X/Y and s/i vocabulary of all
// panels, the two views of the main panel, the signal display, the common
// dimming of the buttons that start link traffic, the row-colour panel's
// switch, and the callbacks of the controls concerned.
#include "gui.h"

#include "Veltv61.h"
#include "Veltv61Program.h"

using namespace com232;

namespace {

// Buttons that start an exchange with the sensor. Stop is not among them:
// it is how the user ends the live data loop that runs while these are dimmed.
const int kLinkButtons[] = {P_BUTTONSEND,       P_BUTTONGET, P_BUTTONGO, P_BUTTONCONNECT,
                            P_BUTTONOPENRECORDER, P_BUTTONZOOM};

// Controls of the table view that the views switch together (the COLOR
// GROUPS button is handled apart: evaluation mode 3 keeps it hidden).
const int kTableViewCtrls[] = {P_COLORTEACHTABLE,    P_EDITNO,           P_RADIOINC,
                               P_BUTTONTEACHDATATO,  P_BUTTONTEACHMEANVAL, P_BUTTONRESETTABLE,
                               P_BUTTONAPPLYFROMALL, P_BUTTONZOOM,       P_AUTOADJUST,
                               P_BUTTONCOLOR};

// Controls of the parameter view, with their three frames.
const int kParaViewCtrls[] = {P_EDITPMODE,   P_EDITEXTEACH,  P_CALCMODE,      P_EVALMODE,     P_EDITTRIGGER,
                              P_EDITOUTMODE, P_EDITDYNWINLO, P_EDITDYNWINHI,  P_EDITAVERAGE,  P_EDITINTLIM,
                              P_EDITHOLD,    P_EDITMAXCOLNO, P_SLIDEPOWER,    P_TRANSMITTERBOX, P_EVALUATIONBOX,
                              P_OUTPUTBOX};

void SetVisible(int panelHandle, int control, bool visible)
{
    SetCtrlAttribute(panelHandle, control, ATTR_VISIBLE, visible ? 1 : 0);
}

void SetDimmed(int panelHandle, int control, bool dimmed)
{
    SetCtrlAttribute(panelHandle, control, ATTR_DIMMED, dimmed ? 1 : 0);
}

// Value of a ring or numeric as the 16-bit word the mode variables hold.
uint16_t ReadWord(int panelHandle, int control)
{
    int v = 0;
    GetCtrlVal(panelHandle, control, &v);
    return static_cast<uint16_t>(v);
}

} // namespace

// ---- views and signal display ------------------------------------------------

void SetButtonsDimmed(int dimmed)
{
    for (int ctrl : kLinkButtons)
        SetDimmed(panel, ctrl, dimmed != 0);
    SetDimmed(panel, P_CALCMODE, dimmed != 0);
    ProcessSystemEvents();
}

void DispVis(int /*unused*/)
{
    source = ReadWord(panel, P_SELECTSOURCE);
    bool xyInt = false, rgb = false, xyGraph = false, rgbChart = false, intChart = false;
    switch (source) {
    case 0: xyInt = xyGraph = true; break;
    case 1: rgb = rgbChart = true; break;
    case 2: xyInt = intChart = true; break;
    default: return;
    }
    for (int ctrl : {P_DISPX, P_DISPY, P_DISPINT})
        SetVisible(panel, ctrl, xyInt);
    for (int ctrl : {P_DISPR, P_DISPG, P_DISPB})
        SetVisible(panel, ctrl, rgb);
    SetVisible(panel, P_GRAPHDATA1, xyGraph);
    SetVisible(panel, P_GRAPHRGB, rgbChart);
    SetVisible(panel, P_CHARTINT, intChart);
}

void ShowGraph()
{
    switch (source) {
    case 0: SetGraphCursor(panel, P_GRAPHDATA1, 1, dataX, dataY); break;
    case 1:
        SetCtrlAttribute(panel, P_GRAPHRGB, ATTR_POINTS_PER_SCREEN, 101);
        PlotStripChart(panel, P_GRAPHRGB, rawbuf, 300, 0, 0, VAL_DOUBLE);
        break;
    case 2:
        SetCtrlAttribute(panel, P_CHARTINT, ATTR_POINTS_PER_SCREEN, 101);
        PlotStripChart(panel, P_CHARTINT, intbuf, 300, 0, 0, VAL_DOUBLE);
        break;
    default: break;
    }
}

void ParaVis()
{
    for (int ctrl : kTableViewCtrls)
        SetVisible(panel, ctrl, false);
    SetVisible(panel, P_BUTTONCOLORGROUPS, false);
    for (int ctrl : kParaViewCtrls)
        SetVisible(panel, ctrl, true);
}

void ParaInVis()
{
    for (int ctrl : kParaViewCtrls)
        SetVisible(panel, ctrl, false);
    for (int ctrl : kTableViewCtrls)
        SetVisible(panel, ctrl, true);
    SetVisible(panel, P_BUTTONCOLORGROUPS, ReadWord(panel, P_EVALMODE) != 3);
}
