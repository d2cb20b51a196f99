// Mode controls and panel attributes of the main panel: the rules that tie
// the parameter controls to one another, the X/Y and s/i vocabulary of all
// panels, the two views of the main panel, the signal display, the common
// dimming of the buttons that start link traffic, the row-colour panel's
// switch, and the callbacks of the controls concerned.
#include "modes.h"

#include "Veltv61Ids.h"
#include "Veltv61Program.h"
#include "commands.h"
#include "color_groups.h"
#include "live.h"
#include "teach_panel.h"

using namespace com232;

namespace {

// Buttons that start an exchange with the sensor. Stop is not among them:
// it is how the user ends the live data loop that runs while these are dimmed.
const int kLinkButtons[] = {P_BUTTONSEND, P_BUTTONGET, P_BUTTONGO, P_BUTTONCONNECT, P_BUTTONOPENRECORDER, P_BUTTONZOOM};

// Controls of the table view that the views switch together (the COLOR
// GROUPS button is handled apart: evaluation mode 3 keeps it hidden).
const int kTableViewCtrls[] = {P_COLORTEACHTABLE,    P_EDITNO,           P_RADIOINC,           P_BUTTONTEACHDATATO,
                               P_BUTTONTEACHMEANVAL, P_BUTTONRESETTABLE, P_BUTTONAPPLYFROMALL, P_BUTTONZOOM,
                               P_AUTOADJUST,         P_BUTTONCOLOR};

// Controls of the parameter view, with their three frames.
const int kParaViewCtrls[] = {P_EDITPMODE,   P_EDITEXTEACH,    P_CALCMODE,      P_EVALMODE,
                              P_EDITTRIGGER, P_EDITOUTMODE,    P_EDITDYNWINLO,  P_EDITDYNWINHI,
                              P_EDITAVERAGE, P_EDITINTLIM,     P_EDITHOLD,      P_EDITMAXCOLNO,
                              P_SLIDEPOWER,  P_TRANSMITTERBOX, P_EVALUATIONBOX, P_OUTPUTBOX};

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
    // AUTO ADJUST ends in the zoom loop, an exchange of its own; outside
    // evaluation mode 0 it stays dimmed anyway.
    SetDimmed(panel, P_AUTOADJUST, dimmed != 0 || ReadWord(panel, P_EVALMODE) != 0);
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
    // The zoom graph lies at the same place as the X/Y graph and belongs to
    // the colour plane: it would show through the margins of a strip chart.
    SetVisible(panel, P_GRAPHDATA2, xyGraph);
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

// ---- mode rules ----------------------------------------------------------------

namespace {

const char InfoMaxColNo[] =
    " ATTENTION! \n \n MAXCOL-No. IS TOO HIGH \n DECREASE MAXCOL-No. OR SWITCH TO OUTMODE=BINARY";
const char InfoGroupsOutmode[] =
    " ATTENTION! \n If OUTMODE=DIRECT HI or DIRECT LO: \n 5 groups are possible! GROUP 0,1,2,3,4. \n If "
    "OUTMODE=BINARY: \n 31 groups are possible. GROUP 0,1,2.....30.";

constexpr uint16_t kBinary = 1;     // OUTMODE BINARY
constexpr int kDirectMaxColors = 5; // colours a direct OUTMODE can signal
constexpr int kDirectMaxGroup = 4;  // highest group a direct OUTMODE can signal
constexpr int kTableRows = 31;
constexpr int kActiveRowColor = 0x008000;
constexpr int kInactiveRowColor = 0xFF0000;

const int kOutLeds[] = {P_LEDOUT0, P_LEDOUT1, P_LEDOUT2, P_LEDOUT3, P_LEDOUT4};

// Direct output modes signal at most five colours on their five outputs.
void CheckMaxColNo()
{
    if (maxcolno > kDirectMaxColors && outmode != kBinary)
        MessagePopup("INFO!", InfoMaxColNo);
}

} // namespace

void InitPowerMode()
{
    pmode = ReadWord(panel, P_EDITPMODE);
    switch (pmode) {
    case 0: // STAT: the slider sets the power
        SetDimmed(panel, P_SLIDEPOWER, false);
        SetDimmed(panel, P_EDITDYNWINLO, true);
        SetDimmed(panel, P_EDITDYNWINHI, true);
        SetDimmed(panel, P_EDITINTLIM, false);
        break;
    case 1: // DYN: the sensor tunes the power inside the window; no intensity limit
        SetDimmed(panel, P_SLIDEPOWER, true);
        SetDimmed(panel, P_EDITDYNWINLO, false);
        SetDimmed(panel, P_EDITDYNWINHI, false);
        SetCtrlVal(panel, P_EDITINTLIM, 0);
        SetDimmed(panel, P_EDITINTLIM, true);
        break;
    default: break;
    }
}

void InitEvalMode()
{
    evalmode = ReadWord(panel, P_EVALMODE);
    if (evalmode > 3)
        return;
    const bool binaryOutputs = evalmode == 3;
    SetVisible(panel, P_DISPCOL, !binaryOutputs);
    for (int led : kOutLeds)
        SetVisible(panel, led, binaryOutputs);
    if (binaryOutputs) {
        // The outputs carry the colour number in binary: five bits, no groups.
        SetVisible(panel, P_BUTTONCOLORGROUPS, false);
        HidePanel(grouppanel);
        SetCtrlVal(grouppanel, PGROUP_EDITCOLORGROUPS, 0);
        SetVisible(panel, P_DISPGROUP, false);
        SetCtrlVal(panel, P_EDITMAXCOLNO, kDirectMaxColors);
        SetCtrlVal(panel, P_EDITOUTMODE, static_cast<int>(kBinary));
    } else {
        // The COLOR GROUPS button belongs to the table view; in the parameter
        // view it stays hidden until ParaInVis shows it.
        int paraView = 1;
        GetCtrlVal(panel, P_PARAVISIBLE, &paraView);
        SetVisible(panel, P_BUTTONCOLORGROUPS, paraView == 0);
    }
    SetDimmed(panel, P_EDITMAXCOLNO, binaryOutputs);
    SetDimmed(panel, P_EDITOUTMODE, binaryOutputs);
    // Automatic adjustment of the tolerances only makes sense for plain
    // colour evaluation (mode 0).
    SetDimmed(panel, P_AUTOADJUST, evalmode != 0);
    // Mode 2 teaches every row with the fixed CTO 40: the column is read-only.
    SetTableColumnAttribute(panel, P_COLORTEACHTABLE, 3, ATTR_CELL_MODE, evalmode == 2 ? VAL_INDICATOR : VAL_HOT);
    if (binaryOutputs)
        ColorRowLabels();
}

void InitCalcMode()
{
    calcmode = ReadWord(panel, P_CALCMODE);
    static const char *const kColumns[2][5] = {{"X", "Y", "CTO", "INT", "ITO"}, {"s", "i", "siTO", "M", "MTO"}};
    if (calcmode <= 1)
        for (int col = 1; col <= 5; ++col)
            SetTableColumnAttribute(panel, P_COLORTEACHTABLE, col, ATTR_COLUMN_LABEL_TEXT, kColumns[calcmode][col - 1]);
    SetDispNames();
}

void SetDispNames()
{
    const int mode = ReadWord(panel, P_CALCMODE);
    if (mode > 1)
        return;
    const bool si = mode == 1;
    const char *const names[3] = {si ? "s" : "X", si ? "i" : "Y", si ? "M" : "INT"};

    // Main panel: displays, X/Y graph, INT chart, SOURCE ring.
    const int mainDisps[3] = {P_DISPX, P_DISPY, P_DISPINT};
    for (int k = 0; k < 3; ++k)
        SetCtrlAttribute(panel, mainDisps[k], ATTR_LABEL_TEXT, names[k]);
    SetCtrlAttribute(panel, P_DISPX, ATTR_TEXT_BGCOLOR, 0xFF0000);
    SetCtrlAttribute(panel, P_DISPY, ATTR_TEXT_BGCOLOR, si ? 0xFFFF00 : 0x00FF00);
    SetCtrlAttribute(panel, P_DISPX, ATTR_FRAME_COLOR, si ? 0x00FF00 : 0xE0E0E0);
    SetCtrlAttribute(panel, P_DISPY, ATTR_FRAME_COLOR, si ? 0x80FFFF : 0xE0E0E0);
    if (si) // circles and diagonal of the X/Y plane mean nothing in the s/i plane
        DeleteGraphPlot(panel, P_GRAPHDATA1, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
    SetAxisScalingMode(panel, P_GRAPHDATA1, VAL_XAXIS, VAL_MANUAL, 0, si ? 10000 : 4096);
    SetAxisScalingMode(panel, P_GRAPHDATA1, VAL_LEFT_YAXIS, VAL_MANUAL, 0, si ? 4000 : 4096);
    SetAxisScalingMode(panel, P_CHARTINT, VAL_LEFT_YAXIS, VAL_MANUAL, 0, si ? 1200 : 4096);
    ReplaceListItem(panel, P_SELECTSOURCE, 0, si ? "s/i" : "X/Y", 0);
    ReplaceListItem(panel, P_SELECTSOURCE, 2, names[2], 2);

    // Recorder and graph panels.
    const int recDisps[3] = {RECP_DISPX, RECP_DISPY, RECP_DISPINT};
    const int graphDisps[3] = {GRAPHP_DISPX, GRAPHP_DISPY, GRAPHP_DISPINT};
    for (int k = 0; k < 3; ++k) {
        SetCtrlAttribute(recpanel, recDisps[k], ATTR_LABEL_TEXT, names[k]);
        SetCtrlAttribute(graphpanel, graphDisps[k], ATTR_LABEL_TEXT, names[k]);
        ReplaceListItem(graphpanel, GRAPHP_EDITSIGNAL, 3 + k, names[k], 3 + k);
    }

    // Teach panel.
    for (int k = 0; k < 3; ++k) {
        SetTableColumnAttribute(teachpanel, TEACHP_GRIDTPVALUES, 4 + k, ATTR_COLUMN_LABEL_TEXT, names[k]);
        SetTableColumnAttribute(teachpanel, TEACHP_GRIDTPMEAN, 4 + k, ATTR_COLUMN_LABEL_TEXT, names[k]);
    }
    SetCtrlAttribute(teachpanel, TEACHP_DISPTPMAXDELTAXY, ATTR_LABEL_TEXT, si ? "MAX DELTA s/i" : "MAX DELTA X/Y");
    SetCtrlAttribute(teachpanel, TEACHP_DISPTPMAXDELTAINT, ATTR_LABEL_TEXT, si ? "MAX DELTA M" : "MAX DELTA INT");
    SetCtrlAttribute(teachpanel, TEACHP_EDITTPVALUECTO, ATTR_LABEL_TEXT, si ? "VALUE siTO" : "VALUE CTO");
    SetCtrlAttribute(teachpanel, TEACHP_EDITTPVALUEITO, ATTR_LABEL_TEXT, si ? "VALUE MTO" : "VALUE ITO");
    SetCtrlAttribute(teachpanel, TEACHP_EDITTPTEACHCTOWITH, ATTR_LABEL_TEXT, si ? "TEACH siTO WITH" : "TEACH CTO WITH");
    SetCtrlAttribute(teachpanel, TEACHP_EDITTPTEACHITOWITH, ATTR_LABEL_TEXT, si ? "TEACH MTO WITH" : "TEACH ITO WITH");
    static const char *const kCtoItems[2][3] = {{"VALUE CTO", "MAX DELTA (X/Y)", "MAX DELTA+VALUE CTO"},
                                                {"VALUE siTO", "MAX DELTA(s/i)", "MAX DELTA+VALUE siTO"}};
    static const char *const kItoItems[2][3] = {{"VALUE ITO", "MAX DELTA INT", "MAX DELTA+VALUE ITO"},
                                                {"VALUE MTO", "MAX DELTA M", "MAX DELTA+VALUE MTO"}};
    for (int k = 0; k < 3; ++k) {
        ReplaceListItem(teachpanel, TEACHP_EDITTPTEACHCTOWITH, k, kCtoItems[mode][k], k);
        ReplaceListItem(teachpanel, TEACHP_EDITTPTEACHITOWITH, k, kItoItems[mode][k], k);
    }
}

void InitExteach()
{
    exteach = ReadWord(panel, P_EDITEXTEACH);
    if (exteach > 3)
        return;
    // Any external teach needs continuous detection.
    if (exteach != 0)
        SetCtrlVal(panel, P_EDITTRIGGER, 0);
    SetDimmed(panel, P_EDITTRIGGER, exteach != 0);
    switch (exteach) {
    case 0:
    case 1:
        SetDimmed(panel, P_EDITPMODE, false);
        SetDimmed(panel, P_SLIDEPOWER, false);
        InitPowerMode();
        break;
    case 2: // teaching at the fixed power of the slider
        SetCtrlVal(panel, P_EDITPMODE, 0);
        SetDimmed(panel, P_EDITPMODE, true);
        SetDimmed(panel, P_SLIDEPOWER, false);
        SetDimmed(panel, P_EDITDYNWINLO, true);
        SetDimmed(panel, P_EDITDYNWINHI, true);
        break;
    case 3: // teaching with the power tuned inside the dynamic window
        SetCtrlVal(panel, P_EDITPMODE, 0);
        SetDimmed(panel, P_EDITPMODE, true);
        SetDimmed(panel, P_SLIDEPOWER, true);
        SetDimmed(panel, P_EDITDYNWINLO, false);
        SetDimmed(panel, P_EDITDYNWINHI, false);
        break;
    default: break;
    }
}

void InitTrigger()
{
    trigger = ReadWord(panel, P_EDITTRIGGER);
    switch (trigger) {
    case 0: SetDimmed(panel, P_EDITEXTEACH, false); break;
    case 1:
    case 2: // an external trigger excludes external teach
        SetCtrlVal(panel, P_EDITEXTEACH, 0);
        SetDimmed(panel, P_EDITEXTEACH, true);
        break;
    default: break;
    }
}

void ColorRowLabels()
{
    maxcolno = ReadWord(panel, P_EDITMAXCOLNO);
    for (int row = 1; row <= kTableRows; ++row) {
        const int color = row <= maxcolno ? kActiveRowColor : kInactiveRowColor;
        SetTableRowAttribute(panel, P_COLORTEACHTABLE, row, ATTR_LABEL_COLOR, color);
        SetTableRowAttribute(grouppanel, PGROUP_EDITGRIDGROUPS, row, ATTR_LABEL_COLOR, color);
    }
}

void InitPanelCtrlAttr()
{
    // The power rule runs before the external-teach rule (external teach 2
    // and 3 override PMOD), and the external-teach rule before the trigger
    // rule (external teach wins over an external trigger).
    InitPowerMode();
    InitEvalMode();
    InitCalcMode();
    InitExteach();
    InitTrigger();
    maxcolno = ReadWord(panel, P_EDITMAXCOLNO);
    outmode = ReadWord(panel, P_EDITOUTMODE);
    CheckMaxColNo();
    ColorRowLabels();
    DispVis(0);
    InitTeachPanel();
    InitColorGroups();
}

void InitSrcPanel()
{
    int measured = 0;
    GetCtrlVal(srcpanel, SRCP_EDITSETCOLOR, &measured);
    // With the switch on, teaching takes the measured colour: no hand setting.
    for (int ctrl : {SRCP_EDITROWNO, SRCP_EDITROWCOLOR, SRCP_BUTTONSETROWCOLOR})
        SetDimmed(srcpanel, ctrl, measured != 0);
    SetVisible(panel, P_COLORPATCH, measured != 0);
}

// ---- callbacks -----------------------------------------------------------------

namespace {

const char InfoEditEvalmode[] = "see manual.";
const char InfoEditCalcMode[] =
    " Select a calculation mode: \n X/Y  INT = X/Y pairs and intensity. \n s/i  M   = s/i pairs and M.";
const char InfoEditTrigger[] =
    " Select the trigger mode for the sensor. \n CONT: Continuous color detection (no trigger event required). "
    "\n EXT1: Color detection as long as trigger (IN0) is high. \n       When trigger goes low, the last "
    "detected color will be hold at the output. \n EXT2: Color detection as long as trigger (IN0) is high. "
    "\n       When trigger goes low, fail condition is output. ";
const char InfoEditExteach[] =
    " Select external teach mode. \n OFF : no external teach. \n ON  : external teach to all rows of color "
    "teach table (see manual). \n ON 1: external teach to row 0 of color teach table. \n ";
const char InfoEditMaxcolNo[] =
    " Select the number of color-vectors in the COLOR TEACH TABLE to be checked (beginning from row 0). \n "
    "Aktive rows are labelled green, inaktive are labelled red. \n If OUTMODE = BINARY the maximum number of "
    "colors to be checked is 31. \n If OUTMODE = DIRECT HI or DIRECT LO the maximum number of colors is 5.";
const char InfoEditOutmode[] =
    " Select how to control the 5 digital outputs. \n BINARY   : If a color (row 0-30 in the COLOR TEACH "
    "TABLE) is detected, \n            this color is displayed in C-No: and is set binary to the digital "
    "outputs (OUT0-OUT4). \n DIRECT LO: The maximum number of colors to be taught is 5. \n            If a "
    "color (row 0-4 in the COLOR TEACH TABLE) is detected, \n            the special digital output is set "
    "to LO, all others are HI. \n DIRECT HI: The maximum number of colors to be taught is 5. \n            "
    "If a color (row 0-4 in the COLOR TEACH TABLE) is detected, \n            the special digital output "
    "is set to HI, all others are LO. \n If no color is detected, C-No: is 255.";
const char InfoEditPmod[] =
    " Select the operating mode of automatic power correction at the transmitter unit. \n STAT: "
    "Transmitter power is constantly kept at the POWER-SLIDER value. \n DYN : Transmitter power is "
    "dynamically tuned in accordance with the amount of radiation that \n       is diffusely reflected from "
    "the target. Sensor should not exceed the dynamic range.";
const char InfoEditDynWinLoHi[] = " Select a window for dynamic \n regaluation when PMOD = DYN.";
const char InfoEditAverage[] =
    " Select the number of scanning values (measurement values) over which the raw signal is averaged.";
const char InfoEditIntlim[] =
    " Select an intensity limit. \n Color evaluation is stopped, if the current intensity INT falls below "
    "this limit. \n ERROR STATE is output (C-No: = 255).";
const char InfoEditHold[] = " Select the minimum pulse length when a digital output changes.";
const char InfoEditNo[] = " Select the current number of a row in the COLOR TEACH TABLE for TEACH DATA TO.";
const char InfoRadioInc[] = " Auto increment of Edit Field No.:";
const char InfoEditPower[] =
    " Select the intensity of the transmitter LED. \n 0 = no intensity,  1000 = full intensity.";
const char InfoButtonColor[] = " Opens a panel to set the corresponding ROW colors.";
const char *const InfoParaVisible = " Hide or show COLOR TEACH TABLE.";
const char *const InfoSelectSource = " Select a signal to be displayed in the graph.";

// A right click shows the control's help text; a commit runs the action.
// Everything else is ignored.
int Respond(int event, const char *help, void (*action)() = nullptr)
{
    if (!HelpOnRightClick(event, help) && event == EVENT_COMMIT && action)
        action();
    return 0;
}

// Reads MAXCOL-No. and OUTMODE and warns when a direct OUTMODE cannot signal
// that many colours.
void ReadMaxColAndOutmode()
{
    maxcolno = ReadWord(panel, P_EDITMAXCOLNO);
    outmode = ReadWord(panel, P_EDITOUTMODE);
    CheckMaxColNo();
}

void MaxcolNoCommitted()
{
    ReadMaxColAndOutmode();
    ColorRowLabels();
}

void OutmodeCommitted()
{
    ReadMaxColAndOutmode();
    // The switch, not a copy taken at the last send: evaluation mode 3 may
    // have switched the groups off since.
    colorgroup = ReadWord(grouppanel, PGROUP_EDITCOLORGROUPS);
    if (outmode == kBinary || colorgroup != 1)
        return;
    for (int row = 1; row <= kTableRows; ++row) {
        int group = 0;
        GetTableCellVal(grouppanel, PGROUP_EDITGRIDGROUPS, MakePoint(1, row), &group);
        if (group > kDirectMaxGroup) {
            MessagePopup("INFO!", InfoGroupsOutmode);
            return;
        }
    }
}

// A new calculation mode reaches the sensor's RAM at once, whatever target
// was selected, so that the sensor and the labels agree.
void CalcmodeCommitted()
{
    SetCtrlVal(panel, P_SELECTRAM, 1);
    SetCtrlVal(panel, P_SELECTEEPROM, 0);
    SetCtrlVal(panel, P_SELECTFILE, 0);
    target = RAM;
    SetButtonsDimmed(1);
    SendPara();
    InitCalcMode();
    SetButtonsDimmed(0);
}

} // namespace

int CBF_Evalmode(int, int, int event, void *, int, int) { return Respond(event, InfoEditEvalmode, InitEvalMode); }
int CBF_Calcmode(int, int, int event, void *, int, int) { return Respond(event, InfoEditCalcMode, CalcmodeCommitted); }
int CBF_EditTrigger(int, int, int event, void *, int, int) { return Respond(event, InfoEditTrigger, InitTrigger); }
int CBF_EditExteach(int, int, int event, void *, int, int) { return Respond(event, InfoEditExteach, InitExteach); }
int CBF_EditPmode(int, int, int event, void *, int, int) { return Respond(event, InfoEditPmod, InitPowerMode); }
int CBF_EditMaxcolNo(int, int, int event, void *, int, int)
{
    return Respond(event, InfoEditMaxcolNo, MaxcolNoCommitted);
}
int CBF_EditOutmode(int, int, int event, void *, int, int) { return Respond(event, InfoEditOutmode, OutmodeCommitted); }

int CBF_EditDynWinLoHi(int, int, int event, void *, int, int) { return Respond(event, InfoEditDynWinLoHi); }
int CBF_EditAverage(int, int, int event, void *, int, int) { return Respond(event, InfoEditAverage); }
int CBF_EditIntlim(int, int, int event, void *, int, int) { return Respond(event, InfoEditIntlim); }
int CBF_EditHold(int, int, int event, void *, int, int) { return Respond(event, InfoEditHold); }
int CBF_EditNo(int, int, int event, void *, int, int) { return Respond(event, InfoEditNo); }
int CBF_RadioInc(int, int, int event, void *, int, int) { return Respond(event, InfoRadioInc); }
int CBF_SlidePower(int, int, int event, void *, int, int) { return Respond(event, InfoEditPower); }

// Row-colour panel.
int CBF_ButtonColor(int, int, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        MessagePopup("Info", InfoButtonColor);
    else if (event == EVENT_COMMIT)
        DisplayPanel(srcpanel);
    return 0;
}

int CBF_EditSetColor(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        InitSrcPanel();
    return 0;
}

int CBF_SRCP(int panelHandle, int event, void *, int, int)
{
    if (event == EVENT_CLOSE)
        HidePanel(panelHandle);
    return 0;
}

// View callbacks of the main panel.
int CBF_ParaVisible(int, int control, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoParaVisible))
        return 0;
    if (event == EVENT_COMMIT) {
        int on = 0;
        GetCtrlVal(panel, control, &on);
        if (on == 1)
            ParaVis();
        else if (on == 0)
            ParaInVis();
    }
    return 0;
}

int CBF_SelectSource(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoSelectSource))
        return 0;
    if (event == EVENT_COMMIT)
        DispVis(1);
    return 0;
}
