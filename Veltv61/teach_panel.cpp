// Teach panel: capture of up to 100 frames into the captured-values grid,
// the means and maximum deltas computed from the grid, UNDO, RESET, TEACH TO
// TABLE, and the callbacks of the panel and of TEACH MEAN VAL on the main
// panel. The grid and the counter are the only store of the frames: hand
// edits of the grid count like captured values.
#include "teach_panel.h"

#include "Veltv61Ids.h"
#include "Veltv61Program.h"
#include "commands.h"
#include "modes.h"
#include "teach_calc.h"
#include "teach_table.h"

using namespace com232;

uint16_t meanr = 0, meang = 0, meanb = 0, meanx = 0, meany = 0, meanint = 0;

namespace {

const char InfoButtonTeachMeanVal[] = " Opens a panel to teach a mean value. ";
const char InfoButtonTpCapture[] = " Get frame of R,G,B,X,Y,INT \n respectively R,G,B,s,i,M \n and assign to table. ";
const char InfoButtonTpUndo[] = " Remove the last frame from table. ";
const char InfoButtonTpResetTable[] = " Set all table cell to 0.";
const char InfoButtonTpTeachToTable[] =
    " Mean values are assigned to the \n COLOR TEACH TABLE row selected \n in the ROW No.: function field.";
const char InfoButtonClosePanel[] = " Close PANEL and return to MAIN PANEL. ";
const char InfoGridTpValues[] = " Table to list the captured values. ";
const char InfoGridTpMean[] = " Table to list the mean values. ";
const char InfoDispTpCounter[] = " Displays the amount of captured frames. ";
const char InfoDispMaxDeltaXY[] = " Displays the maximum (X/Y) to (Xmean/Ymean) distance. Dito (s/i).";
const char InfoDispTpMaxDeltaInt[] = " Displays the maximum INT to INTmean distance. Dito M.";
const char InfoEditTpTeachCtoWith[] =
    " Select which CTO should be transferred  to COLOR TEACH TABLE. \n VALUE CTO will be assigned to CTO in CTT. \n "
    "MAX DELTA (X/Y) will be assigned to CTO in CTT. \n MAX DELTA (X/Y) + VALUE CTO will be assigned to CTO in CTT. "
    "\n NO CHANGE of CTO in CTT. \n Dito siTO.";
const char InfoEditTpTeachItoWith[] =
    " Select which ITO should be transferred to COLOR TEACH TABLE. \n VALUE ITO will be assigned to ITO in CTT. \n "
    "MAX DELTA INT will be assigned to ITO in CTT. \n MAX DELTA INT + VALUE ITO will be assigned to ITO in CTT. \n "
    "NO CHANGE of ITO in CTT. \n Dito M.";
const char InfoEditTpValueCto[] = " Select a CTO respectively a siTO. ";
const char InfoEditTpValueIto[] = " Select an ITO respectively aMTO. ";
const char InfoEditTpRowNo[] = " Select row in COLOR TEACH TABLE.";

int ReadInt(int panelHandle, int control)
{
    int v = 0;
    GetCtrlVal(panelHandle, control, &v);
    return v;
}

int Counter() { return ReadInt(teachpanel, TEACHP_DISPTPCOUNTER); }

int GridCell(int control, int column, int row)
{
    int v = 0;
    GetTableCellVal(teachpanel, control, MakePoint(column, row), &v);
    return v;
}

void SetGridRow(int control, int row, const int values[kFrameCols])
{
    for (int c = 0; c < kFrameCols; ++c)
        SetTableCellVal(teachpanel, control, MakePoint(c + 1, row), values[c]);
}

// Rows 1..n of the captured-values grid.
void ReadFrames(std::int64_t frames[kMaxFrames][kFrameCols], int n)
{
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < kFrameCols; ++c)
            frames[i][c] = GridCell(TEACHP_GRIDTPVALUES, c + 1, i + 1);
}

void SetMaxDeltas(int xy, int intensity)
{
    SetCtrlVal(teachpanel, TEACHP_DISPTPMAXDELTAXY, xy);
    SetCtrlVal(teachpanel, TEACHP_DISPTPMAXDELTAINT, intensity);
}

} // namespace

void InitTeachPanel()
{
    evalmode = static_cast<uint16_t>(ReadInt(panel, P_EVALMODE));
    // Evaluation mode 2 teaches every row with the fixed CTO 40.
    const int fixedCto = evalmode == 2 ? 1 : 0;
    SetCtrlAttribute(teachpanel, TEACHP_EDITTPTEACHCTOWITH, ATTR_DIMMED, fixedCto);
    SetCtrlAttribute(teachpanel, TEACHP_EDITTPVALUECTO, ATTR_DIMMED, fixedCto);
    SetCtrlAttribute(teachpanel, TEACHP_EDITTPTEACHITOWITH, ATTR_DIMMED, 0);
    SetCtrlAttribute(teachpanel, TEACHP_EDITTPVALUEITO, ATTR_DIMMED, 0);
}

void ResetTpTable()
{
    SetCtrlVal(teachpanel, TEACHP_DISPTPCOUNTER, 0);
    const int zeros[kFrameCols] = {};
    for (int row = 1; row <= kMaxFrames; ++row)
        SetGridRow(TEACHP_GRIDTPVALUES, row, zeros);
    SetActiveTableCell(teachpanel, TEACHP_GRIDTPVALUES, MakePoint(1, 1));
    SetGridRow(TEACHP_GRIDTPMEAN, 1, zeros);
    SetMaxDeltas(0, 0);
}

void CaptureFrame()
{
    int n = Counter();
    if (n > kMaxFrames - 1)
        n = kMaxFrames - 1; // a full grid: the new frame replaces the last one
    ++n;
    SetCtrlVal(teachpanel, TEACHP_DISPTPCOUNTER, n);
    SetActiveTableCell(teachpanel, TEACHP_GRIDTPVALUES, MakePoint(1, n));
    const int frame[kFrameCols] = {dataR, dataG, dataB, dataX, dataY, dataINT};
    SetGridRow(TEACHP_GRIDTPVALUES, n, frame);
    CalcMeanValues();
}

void UndoCapture()
{
    int n = Counter();
    if (n > 0)
        --n;
    SetCtrlVal(teachpanel, TEACHP_DISPTPCOUNTER, n);
    SetActiveTableCell(teachpanel, TEACHP_GRIDTPVALUES, MakePoint(1, n >= 6 ? n - 5 : 1));
    const int zeros[kFrameCols] = {};
    SetGridRow(TEACHP_GRIDTPVALUES, n + 1, zeros);
    CalcMeanValues();
}

void CalcMeanValues()
{
    const int n = Counter();
    std::int64_t frames[kMaxFrames][kFrameCols];
    uint16_t means[kFrameCols];
    if (n > 0 && n <= kMaxFrames) {
        ReadFrames(frames, n);
        FrameMeans(frames, n, means);
        uint16_t *const vars[kFrameCols] = {&meanr, &meang, &meanb, &meanx, &meany, &meanint};
        int shown[kFrameCols];
        for (int c = 0; c < kFrameCols; ++c) {
            *vars[c] = means[c];
            shown[c] = means[c];
        }
        SetGridRow(TEACHP_GRIDTPMEAN, 1, shown);
        CalcMaxDelta();
    } else {
        const int zeros[kFrameCols] = {};
        SetGridRow(TEACHP_GRIDTPMEAN, 1, zeros);
        SetMaxDeltas(0, 0);
    }
}

void CalcMaxDelta()
{
    const int n = Counter();
    std::int64_t frames[kMaxFrames][kFrameCols];
    const int rows = n < 0 ? 0 : (n > kMaxFrames ? kMaxFrames : n);
    ReadFrames(frames, rows);
    const MaxDeltas d = FrameMaxDeltas(frames, rows, meanx, meany, meanint);
    SetMaxDeltas(d.xy, d.intensity);
}

void TeachToTable()
{
    int mean[kFrameCols];
    for (int c = 0; c < kFrameCols; ++c)
        mean[c] = GridCell(TEACHP_GRIDTPMEAN, c + 1, 1);
    const auto deltaXY = static_cast<uint16_t>(ReadInt(teachpanel, TEACHP_DISPTPMAXDELTAXY));
    const auto deltaInt = static_cast<uint16_t>(ReadInt(teachpanel, TEACHP_DISPTPMAXDELTAINT));
    const int ctoRing = ReadInt(teachpanel, TEACHP_EDITTPTEACHCTOWITH);
    const int itoRing = ReadInt(teachpanel, TEACHP_EDITTPTEACHITOWITH);
    const auto valueCto = static_cast<uint16_t>(ReadInt(teachpanel, TEACHP_EDITTPVALUECTO));
    const auto valueIto = static_cast<uint16_t>(ReadInt(teachpanel, TEACHP_EDITTPVALUEITO));
    const int row = TableRow(ReadInt(teachpanel, TEACHP_EDITTPROWNO));
    if (row < 0)
        return;
    int currentCto = 0, currentIto = 0;
    GetTableCellVal(panel, P_COLORTEACHTABLE, MakePoint(3, row + 1), &currentCto);
    GetTableCellVal(panel, P_COLORTEACHTABLE, MakePoint(5, row + 1), &currentIto);
    const uint16_t cto = ChosenTolerance(ctoRing, valueCto, deltaXY, static_cast<uint16_t>(currentCto));
    const uint16_t ito = ChosenTolerance(itoRing, valueIto, deltaInt, static_cast<uint16_t>(currentIto));
    evalmode = static_cast<uint16_t>(ReadInt(panel, P_EVALMODE));
    const int cells[kTeachCols] = {mean[3], mean[4], evalmode == 2 ? TaughtCto(2) : cto, mean[5], ito};
    for (int c = 0; c < kTeachCols; ++c)
        SetTableCellVal(panel, P_COLORTEACHTABLE, MakePoint(c + 1, row + 1), cells[c]);
}

// ---- callbacks -------------------------------------------------------------------

// Opens the teach panel and, when no loop is running, starts the live data
// cycle that the captures take their frames from. The cycle exchanges
// frames as Go does, so the command buttons are dimmed while it runs.
int CBF_ButtonTeachMeanVal(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonTeachMeanVal))
        return 0;
    if (event != EVENT_COMMIT)
        return 0;
    DisplayPanel(teachpanel);
    InitTeachPanel();
    if (poll == 0) {
        PrepareXYGraph();
        XYGraphToFront();
        SetButtonsDimmed(1);
        GetData();
        SetButtonsDimmed(0);
    }
    return 0;
}

namespace {

// Right click shows the help text; a commit runs the action.
int Respond(int event, const char *help, void (*action)())
{
    if (!HelpOnRightClick(event, help) && event == EVENT_COMMIT && action)
        action();
    return 0;
}

void HideTeachPanel() { HidePanel(teachpanel); }

} // namespace

int CBF_ButtonTpCapture(int, int, int event, void *, int, int)
{
    return Respond(event, InfoButtonTpCapture, CaptureFrame);
}
int CBF_ButtonTpUndo(int, int, int event, void *, int, int) { return Respond(event, InfoButtonTpUndo, UndoCapture); }
int CBF_ButtonTpResetTable(int, int, int event, void *, int, int)
{
    return Respond(event, InfoButtonTpResetTable, ResetTpTable);
}
int CBF_ButtonTpTeachToTable(int, int, int event, void *, int, int)
{
    return Respond(event, InfoButtonTpTeachToTable, TeachToTable);
}
int CBF_ButtonTpClose(int, int, int event, void *, int, int)
{
    return Respond(event, InfoButtonClosePanel, HideTeachPanel);
}

// A hand edit of a captured value recomputes the means and deltas at once.
int CBF_GridTpValues(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoGridTpValues))
        return 0;
    if (event == EVENT_VAL_CHANGED)
        CalcMeanValues();
    return 0;
}

int CBF_GridTpMean(int, int, int event, void *, int, int) { return Respond(event, InfoGridTpMean, nullptr); }
int CBF_DispTpCounter(int, int, int event, void *, int, int) { return Respond(event, InfoDispTpCounter, nullptr); }
int CBF_DispTpMaxDeltaXY(int, int, int event, void *, int, int) { return Respond(event, InfoDispMaxDeltaXY, nullptr); }
int CBF_DispTpMaxDeltaInt(int, int, int event, void *, int, int)
{
    return Respond(event, InfoDispTpMaxDeltaInt, nullptr);
}
int CBF_EditTpTeachCtoWith(int, int, int event, void *, int, int)
{
    return Respond(event, InfoEditTpTeachCtoWith, nullptr);
}
int CBF_EditTpTeachItoWith(int, int, int event, void *, int, int)
{
    return Respond(event, InfoEditTpTeachItoWith, nullptr);
}
int CBF_EditTpValueCto(int, int, int event, void *, int, int) { return Respond(event, InfoEditTpValueCto, nullptr); }
int CBF_EditTpValueIto(int, int, int event, void *, int, int) { return Respond(event, InfoEditTpValueIto, nullptr); }
int CBF_EditTpRowNo(int, int, int event, void *, int, int) { return Respond(event, InfoEditTpRowNo, nullptr); }

int CBF_TEACHP(int panelHandle, int event, void *, int, int)
{
    if (event == EVENT_CLOSE)
        HidePanel(panelHandle);
    return 0;
}
