// Graph panel: the seven curves of the recorded frames (R, G, B, X, Y, INT,
// TEMP), built one segment per recorded frame, and the signal selector that
// chooses which of the stacked graphs is shown.
#include "graph_panel.h"

#include "Veltv61Ids.h"
#include "Veltv61Program.h"
#include "packet.h"
#include "record_format.h"
#include "rt_ui.h"

uint16_t graphcnt = 0;
uint16_t bufcnt[2];
uint16_t bufr[2], bufg[2], bufb[2], bufx[2], bufy[2], bufint[2], buftemp[2];

namespace {

const char *const InfoButtonShowGraph = " Open panel with graphical display.";
const char *const InfoEditSignal = " Select Signal to be displayed in the graph. ";
const char *const InfoGraphPanel = " Displays the signals selected with SIGNAL. ";

constexpr int kSignals = 7;
constexpr double kFirstFrameAxisMax = 1;

// One signal: its graph, value display, curve colour, the pair of values of
// its last segment and the variable it comes from.
struct Signal {
    int graph;
    int display;
    int colour;
    uint16_t *buf;
    const uint16_t *value;
};
const Signal kSignalTable[kSignals] = {
    {GRAPHP_PANELGRAPHGRAPHR, GRAPHP_DISPR, 0xFF0000, bufr, &dataR},
    {GRAPHP_PANELGRAPHGRAPHG, GRAPHP_DISPG, 0x00FF00, bufg, &dataG},
    {GRAPHP_PANELGRAPHGRAPHB, GRAPHP_DISPB, 0x0000FF, bufb, &dataB},
    {GRAPHP_PANELGRAPHGRAPHX, GRAPHP_DISPX, 0xFF0000, bufx, &dataX},
    {GRAPHP_PANELGRAPHGRAPHY, GRAPHP_DISPY, 0x00FF00, bufy, &dataY},
    {GRAPHP_PANELGRAPHGRAPHINT, GRAPHP_DISPINT, 0x008080, bufint, &dataINT},
    {GRAPHP_PANELGRAPHGRAPHTEMP, GRAPHP_DISPTEMP, 0x008080, buftemp, &dataTemp},
};

// Upper end of the frame axis the graphs show now.
double frameAxisMax = kFirstFrameAxisMax;

void SetFrameAxis(double max)
{
    frameAxisMax = max;
    for (const Signal &s : kSignalTable)
        SetAxisScalingMode(graphpanel, s.graph, VAL_XAXIS, VAL_MANUAL, 0, max);
}

// The value axes follow the calculation mode: s, i and M have ranges of their own.
void SetValueAxes()
{
    int mode = 0;
    GetCtrlVal(panel, P_CALCMODE, &mode);
    const bool si = mode == 1;
    const double top[kSignals] = {4096, 4096, 4096, si ? 10000.0 : 4096, si ? 4000.0 : 4096, si ? 1200.0 : 4096, 100};
    for (int k = 0; k < kSignals; ++k)
        SetAxisScalingMode(graphpanel, kSignalTable[k].graph, VAL_LEFT_YAXIS, VAL_MANUAL, 0, top[k]);
}

} // namespace

void InitPanelGraph()
{
    graphcnt = 0;
    for (const Signal &s : kSignalTable)
        DeleteGraphPlot(graphpanel, s.graph, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
    bufcnt[0] = bufcnt[1] = 0;
    for (const Signal &s : kSignalTable)
        s.buf[0] = s.buf[1] = *s.value;
    SetFrameAxis(kFirstFrameAxisMax);
    SetValueAxes();
}

void SetPanelGraphData()
{
    for (const Signal &s : kSignalTable)
        SetCtrlVal(graphpanel, s.display, static_cast<int>(*s.value));
    bufcnt[0] = bufcnt[1];
    bufcnt[1] = graphcnt;
    for (const Signal &s : kSignalTable) {
        s.buf[0] = s.buf[1];
        s.buf[1] = *s.value;
        if (graphcnt == 0)
            s.buf[0] = s.buf[1]; // the first point joins itself
    }
    // The frame axis grows in steps, so a short recording fills the width
    // and a long one is redrawn only at the steps.
    if (bufcnt[1] > frameAxisMax)
        SetFrameAxis(GraphFrameAxisMax(bufcnt[1]));
    for (const Signal &s : kSignalTable)
        PlotXY(graphpanel, s.graph, bufcnt, s.buf, 2, VAL_UNSIGNED_SHORT_INTEGER, VAL_UNSIGNED_SHORT_INTEGER,
               VAL_THIN_LINE, VAL_NO_POINT, VAL_SOLID, 1, s.colour);
    ++graphcnt;
}

void SetGraphVisible()
{
    int signal = 0;
    GetCtrlVal(graphpanel, GRAPHP_EDITSIGNAL, &signal);
    if (signal < 0 || signal >= kSignals)
        signal = 0;
    for (const Signal &s : kSignalTable)
        SetCtrlAttribute(graphpanel, s.graph, ATTR_VISIBLE, 0);
    SetCtrlAttribute(graphpanel, kSignalTable[signal].graph, ATTR_VISIBLE, 1);
}

// ---- callbacks ------------------------------------------------------------------------

int CBF_GRAPHP(int panelHandle, int event, void *, int, int)
{
    if (event == EVENT_CLOSE)
        HidePanel(panelHandle);
    return 0;
}

int CBF_ButtonShowGraph(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonShowGraph))
        return 0;
    if (event == EVENT_COMMIT) {
        poll = 0;
        DisplayPanel(graphpanel);
    }
    return 0;
}

int CBF_EditSignal(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoEditSignal))
        return 0;
    if (event == EVENT_COMMIT)
        SetGraphVisible();
    return 0;
}

int CBF_PanelGraphGraph(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoGraphPanel);
    return 0;
}
