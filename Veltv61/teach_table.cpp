// Colour teach table of the main panel: TEACH DATA TO, RESET TABLE, APPLY
// FROM ALL, AUTO ADJUST, ZOOM and the row colours, with their callbacks.
// The table control is the working copy of ctt: teaching writes into the
// control, and ctt is refreshed from it (GetPanelValues) before it is drawn
// or adjusted.
#include "teach_table.h"

#include "Veltv61Ids.h"
#include "Veltv61Program.h"
#include "commands.h"
#include "frames.h"
#include "link.h"
#include "live.h"
#include "modes.h"

using namespace com232;

int qvcolarr[kColorArraySize];

namespace {

constexpr int kRampPoints = 4096;
constexpr int kDiagonalColour = 0xA0A0A0;
constexpr int kFront = 0;
constexpr int kBehind = 100;
constexpr int kColorColumn = 6;

const int kBuiltInColors[15] = {0xFF0000, 0x80FF00, 0x0000FF, 0x000000, 0xFF80C0, 0xFFFF00, 0x808000, 0x800080,
                                0x80FFFF, 0xFF0080, 0x400080, 0xFF00FF, 0x008000, 0x408080, 0x800000};

// The diagonal X + Y = 4095 as two ramps.
struct Ramps {
    uint16_t x[kRampPoints], y[kRampPoints];
    Ramps()
    {
        for (int i = 0; i < kRampPoints; ++i) {
            x[i] = static_cast<uint16_t>(i);
            y[i] = static_cast<uint16_t>(kRampPoints - 1 - i);
        }
    }
};
const Ramps ramps;

// qvcolarr starts with the built-in colours before any code runs.
struct RowColorInit {
    RowColorInit() { ResetRowColors(); }
} rowColorInit;

const char InfoButtonTeachDataTo[] = " Current measured values (X,Y,INT respectively s,i,M) are assigned to the \n "
                                     "COLOR TEACH TABLE row selected in the No.: function field.";
const char InfoButtonResetTable[] = " Reset the COLOR TEACH TABLE. \n All cells are set to 1.";
const char InfoButtonApplyFromAll[] = " Displays the graph with all the taught colors in the COLOR TEACH TABLE \n "
                                      "and the corresponding tolerance circles (radius = CTO respectively siTO).";
const char InfoButtonZoom[] = " Zoom the graph with the taught colors the corresponding \n tolerance circle and the "
                              "current X/Y respectively s/i. \n Left mouse click stops data transfer (start again "
                              "with ZOOM). \n Right mouse click closes the ZOOM GRAPH. ";
const char InfoButtonAutoAdjust[] =
    " Starts an automatic adjustment of the circle tolerances (radius = CTO or siTO) up to MAXCOL-No. \n The "
    "circles (CTO or siTO) can overlap, if an INT or M separation is granted. \n Maximum adjusted CTO or siTO "
    "(radius) is 200.";

int ReadInt(int panelHandle, int control)
{
    int v = 0;
    GetCtrlVal(panelHandle, control, &v);
    return v;
}

void SetCell(int column, int row, int value)
{
    SetTableCellVal(panel, P_COLORTEACHTABLE, MakePoint(column, row), value);
}

// Every row as a circle of radius CTO around (X, Y) in its row colour.
void DrawRows(int graph)
{
    for (int r = 0; r < kTeachRows; ++r) {
        const int x = ctt[r][0], y = ctt[r][1], c = ctt[r][2];
        PlotArc(panel, graph, x - c, y - c, x + c, y + c, 0, 3600, qvcolarr[r], VAL_TRANSPARENT);
    }
}

} // namespace

void ResetRowColors()
{
    for (int i = 0; i < kColorArraySize; ++i)
        qvcolarr[i] = kBuiltInColors[i % 15];
}

void ColorTableRows()
{
    for (int r = 0; r < kTeachRows; ++r)
        SetTableCellAttribute(panel, P_COLORTEACHTABLE, MakePoint(kColorColumn, r + 1), ATTR_TEXT_BGCOLOR, qvcolarr[r]);
}

void XYGraphToFront()
{
    SetCtrlAttribute(panel, P_GRAPHDATA2, ATTR_ZPLANE_POSITION, kBehind);
    SetCtrlAttribute(panel, P_GRAPHDATA1, ATTR_ZPLANE_POSITION, kFront);
}

void ZoomGraphToFront()
{
    SetCtrlAttribute(panel, P_GRAPHDATA1, ATTR_ZPLANE_POSITION, kBehind);
    SetCtrlAttribute(panel, P_GRAPHDATA2, ATTR_ZPLANE_POSITION, kFront);
}

void PrepareXYGraph()
{
    DeleteGraphPlot(panel, P_GRAPHDATA1, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
    calcmode = static_cast<uint16_t>(ReadInt(panel, P_CALCMODE));
    if (calcmode == 0)
        PlotXY(panel, P_GRAPHDATA1, ramps.x, ramps.y, kRampPoints, VAL_UNSIGNED_SHORT_INTEGER,
               VAL_UNSIGNED_SHORT_INTEGER, VAL_THIN_LINE, VAL_NO_POINT, VAL_SOLID, 1, kDiagonalColour);
}

void TeachDataTo()
{
    dataX = static_cast<uint16_t>(ReadInt(panel, P_DISPX));
    dataY = static_cast<uint16_t>(ReadInt(panel, P_DISPY));
    pmode = static_cast<uint16_t>(ReadInt(panel, P_EDITPMODE));
    const int n = ReadInt(panel, P_EDITNO);
    evalmode = static_cast<uint16_t>(ReadInt(panel, P_EVALMODE));
    const int row = TableRow(n);
    if (row < 0)
        return; // the No. control holds 0..30; anything else names no row
    SetCell(1, row + 1, dataX);
    SetCell(2, row + 1, dataY);
    SetCell(3, row + 1, TaughtCto(evalmode));
    SetCell(4, row + 1, dataINT);
    SetCell(5, row + 1, TaughtIto(pmode));
    if (ReadInt(panel, P_RADIOINC) == 1 && n < kTeachRows - 1)
        SetCtrlVal(panel, P_EDITNO, n + 1);
    if (ReadInt(srcpanel, SRCP_EDITSETCOLOR) == 1) {
        SetTableCellAttribute(panel, P_COLORTEACHTABLE, MakePoint(kColorColumn, row + 1), ATTR_TEXT_BGCOLOR, rgbcolor);
        qvcolarr[row] = rgbcolor;
    }
}

void ResetTable()
{
    SetCtrlVal(panel, P_EDITNO, 0);
    for (int row = 1; row <= kTeachRows; ++row)
        for (int col = 1; col <= kTeachCols; ++col)
            SetCell(col, row, 1);
}

void ApplyFromAll()
{
    poll = 0;
    GetPanelValues();
    PrepareXYGraph();
    DrawRows(P_GRAPHDATA1);
}

void AutoAdjust()
{
    maxcolno = static_cast<uint16_t>(ReadInt(panel, P_EDITMAXCOLNO));
    const int active = maxcolno < kTeachRows ? maxcolno : kTeachRows;
    for (int row = 1; row <= active; ++row)
        SetCell(3, row, 1);
    SetAxisScalingMode(panel, P_GRAPHDATA2, VAL_XAXIS, VAL_MANUAL, 0, 10000);
    SetAxisScalingMode(panel, P_GRAPHDATA2, VAL_LEFT_YAXIS, VAL_MANUAL, 0, 10000);
    ZoomGraphToFront();
    GetPanelValues();
    AdjustCircles(ctt, maxcolno);
    SetPanelValues();
    ShowGraphData2();
}

void ShowGraphData2()
{
    poll = 0;
    GetPanelValues();
    DeleteGraphPlot(panel, P_GRAPHDATA2, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
    const ZoomBounds bounds = TaughtBounds(ctt);
    DrawRows(P_GRAPHDATA2);
    // The live loop with the zoom graph as its display: each frame moves
    // the cursor and the window around it.
    struct ZoomDisplay : LiveObserver {
        explicit ZoomDisplay(const ZoomBounds &bounds) : bounds(bounds) {}
        void Frame() override
        {
            SetPanelData();
            const ZoomWindow w = FitZoomWindow(bounds, dataX, dataY);
            SetAxisScalingMode(panel, P_GRAPHDATA2, VAL_XAXIS, VAL_MANUAL, static_cast<double>(w.xMin),
                               static_cast<double>(w.xMax));
            SetAxisScalingMode(panel, P_GRAPHDATA2, VAL_LEFT_YAXIS, VAL_MANUAL, static_cast<double>(w.yMin),
                               static_cast<double>(w.yMax));
            SetGraphCursor(panel, P_GRAPHDATA2, 1, dataX, dataY);
        }
        void Failure(JobResult, const std::string &) override
        {
            ShowTimeoutPopup();
            poll = 0;
        }
        // The clicks that end the loop arrive during its pauses.
        bool Cancelled() override { return poll != 1; }
        const ZoomBounds &bounds;
    };
    poll = 1;
    ZoomDisplay display(bounds);
    RunLive(display);
}

void SetRowColor()
{
    const int row = TableRow(ReadInt(srcpanel, SRCP_EDITROWNO));
    if (row < 0)
        return;
    const int color = ReadInt(srcpanel, SRCP_EDITROWCOLOR);
    SetTableCellAttribute(panel, P_COLORTEACHTABLE, MakePoint(kColorColumn, row + 1), ATTR_TEXT_BGCOLOR, color);
    qvcolarr[row] = color;
}

// ---- callbacks -------------------------------------------------------------------

int CBF_ButtonTeachDataTo(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonTeachDataTo))
        return 0;
    if (event == EVENT_COMMIT) {
        XYGraphToFront();
        TeachDataTo();
    }
    return 0;
}

int CBF_ButtonResetTable(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonResetTable))
        return 0;
    if (event == EVENT_COMMIT) {
        XYGraphToFront();
        ResetTable();
    }
    return 0;
}

int CBF_ButtonApplyFromAll(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonApplyFromAll))
        return 0;
    if (event == EVENT_COMMIT) {
        XYGraphToFront();
        ApplyFromAll();
    }
    return 0;
}

int CBF_ButtonZoom(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonZoom))
        return 0;
    if (event == EVENT_COMMIT) {
        ZoomGraphToFront();
        SetButtonsDimmed(1);
        ShowGraphData2();
        SetButtonsDimmed(0);
    }
    return 0;
}

// The zoom loop at the end of the adjustment exchanges frames as Go does, so
// the buttons that start an exchange are dimmed while it runs.
int CBF_AutoAdjust(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonAutoAdjust))
        return 0;
    if (event == EVENT_COMMIT) {
        SetButtonsDimmed(1);
        AutoAdjust();
        SetButtonsDimmed(0);
    }
    return 0;
}

int CBF_ButtonSetRowColor(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        SetRowColor();
    return 0;
}

// Zoom graph: a moved cursor shows its position in the X and Y displays (a
// following TEACH DATA TO teaches that point); a left click stops the zoom
// loop; a right click stops it and puts the zoom graph behind the X/Y graph.
int CBF_GraphData2(int, int, int event, void *, int, int)
{
    switch (event) {
    case EVENT_VAL_CHANGED: {
        double x = 0, y = 0;
        GetGraphCursor(panel, P_GRAPHDATA2, 1, &x, &y);
        SetCtrlVal(panel, P_DISPX, static_cast<int>(CursorCoordinate(x)));
        SetCtrlVal(panel, P_DISPY, static_cast<int>(CursorCoordinate(y)));
        break;
    }
    case EVENT_LEFT_CLICK:
    case EVENT_COMMIT: poll = 0; break;
    case EVENT_RIGHT_CLICK:
        poll = 0;
        XYGraphToFront();
        break;
    default: break;
    }
    return 0;
}
