// The mode rules of the main panel on the program's own panels: what the
// parameter controls force on one another, the X/Y and s/i names on every
// panel, the row label colours, the warnings, the views and the signal display.
#include "gui.h"

#include "Veltv61.h"
#include "Veltv61Program.h"

#include <QApplication>
#include <QComboBox>
#include <QTableWidget>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace com232;

namespace {

std::string PanelFile()
{
    for (const char *var : {"VELT_BIN_DIR", "VELT_SOURCE_DIR"}) {
        const char *dir = std::getenv(var);
        if (!dir)
            continue;
        std::string path = std::string(dir) + (std::string(var) == "VELT_BIN_DIR" ? "" : "/Veltv61") + "/Veltv61.uir";
        if (std::FILE *f = std::fopen(path.c_str(), "r")) {
            std::fclose(f);
            return path;
        }
    }
    return "Veltv61.uir";
}

template <typename T> T *Widget(int panelHandle, const char *name)
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->objectName().toStdString() == PanelName(panelHandle))
            if (T *w = top->findChild<T *>(name))
                return w;
    return nullptr;
}

std::string RingItem(int panelHandle, const char *ring, int index)
{
    auto *combo = Widget<QComboBox>(panelHandle, ring);
    return combo && index < combo->count() ? combo->itemText(index).toStdString() : "<none>";
}

std::string ColumnLabel(int panelHandle, const char *table, int column)
{
    auto *t = Widget<QTableWidget>(panelHandle, table);
    QTableWidgetItem *h = t ? t->horizontalHeaderItem(column - 1) : nullptr;
    return h ? h->text().toStdString() : "<none>";
}

std::string Label(int panelHandle, int ctrl)
{
    char text[256] = "";
    GetCtrlAttribute(panelHandle, ctrl, ATTR_LABEL_TEXT, text);
    return text;
}

int Attr(int panelHandle, int ctrl, int attribute)
{
    int v = -1;
    GetCtrlAttribute(panelHandle, ctrl, attribute, &v);
    return v;
}
bool Dimmed(int p, int c) { return Attr(p, c, ATTR_DIMMED) == 1; }
bool Visible(int p, int c) { return Attr(p, c, ATTR_VISIBLE) == 1; }

int Val(int panelHandle, int ctrl)
{
    int v = -1;
    GetCtrlVal(panelHandle, ctrl, &v);
    return v;
}

int RowLabelColor(int panelHandle, int table, int row)
{
    int c = -1;
    GetTableRowAttribute(panelHandle, table, row, ATTR_LABEL_COLOR, &c);
    return c;
}

// The pop-up line the run-time prints for a message.
std::string PopupLine(const std::string &title, const std::string &text)
{
    std::string line = "POPUP " + title + "|";
    for (char ch : text)
        line += ch == '\n' ? std::string("\\n") : std::string(1, ch);
    return line + "\n";
}

// Runs f and returns what it printed (the pop-ups it showed).
template <typename F> std::string Popups(F f)
{
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

void Commit(int (*cb)(int, int, int, void *, int, int), int ctrl) { cb(panel, ctrl, EVENT_COMMIT, nullptr, 0, 0); }

const std::string kMaxColText =
    " ATTENTION! \n \n MAXCOL-No. IS TOO HIGH \n DECREASE MAXCOL-No. OR SWITCH TO OUTMODE=BINARY";
const std::string kGroupsText =
    " ATTENTION! \n If OUTMODE=DIRECT HI or DIRECT LO: \n 5 groups are possible! GROUP 0,1,2,3,4. \n If "
    "OUTMODE=BINARY: \n 31 groups are possible. GROUP 0,1,2.....30.";

class Modes : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(InitRuntime(0, nullptr), 0);
        RegisterVeltv61Callbacks();
        const std::string file = PanelFile();
        struct Slot {
            int *handle;
            int id;
        };
        for (Slot s : {Slot{&panel, P}, Slot{&recpanel, RECP}, Slot{&srcpanel, SRCP}, Slot{&graphpanel, GRAPHP},
                       Slot{&teachpanel, TEACHP}, Slot{&interfacepanel, INTERFACEP}, Slot{&grouppanel, PGROUP}}) {
            *s.handle = LoadPanel(0, file.c_str(), s.id);
            ASSERT_GT(*s.handle, 0) << file;
        }
        DisplayPanel(panel);
    }

    // Every test starts from a neutral parameter set: no forced values, no warnings.
    void SetUp() override
    {
        SetCtrlVal(panel, P_EDITPMODE, 0);
        SetCtrlVal(panel, P_EVALMODE, 0);
        SetCtrlVal(panel, P_CALCMODE, 0);
        SetCtrlVal(panel, P_EDITEXTEACH, 0);
        SetCtrlVal(panel, P_EDITTRIGGER, 0);
        SetCtrlVal(panel, P_EDITOUTMODE, 1);
        SetCtrlVal(panel, P_EDITMAXCOLNO, 31);
        SetCtrlVal(panel, P_SELECTSOURCE, 0);
        SetCtrlVal(panel, P_PARAVISIBLE, 1);
        SetCtrlVal(grouppanel, PGROUP_EDITCOLORGROUPS, 0);
        for (int row = 1; row <= 31; ++row)
            SetTableCellVal(grouppanel, PGROUP_EDITGRIDGROUPS, MakePoint(1, row), 0);
        ParaVis();
        EXPECT_EQ(Popups(InitPanelCtrlAttr), "");
    }
};

TEST_F(Modes, MaxcolWarningOnlyWhenADirectOutmodeCannotSignalThatManyColours)
{
    struct Case {
        int outmode, maxcol;
        bool warns;
    };
    for (Case c : {Case{0, 5, false}, Case{0, 6, true}, Case{2, 6, true}, Case{1, 31, false}, Case{1, 6, false}}) {
        SCOPED_TRACE(testing::Message() << "outmode " << c.outmode << " maxcol " << c.maxcol);
        SetCtrlVal(panel, P_EDITOUTMODE, c.outmode);
        SetCtrlVal(panel, P_EDITMAXCOLNO, c.maxcol);
        const std::string expected = c.warns ? PopupLine("INFO!", kMaxColText) : "";
        EXPECT_EQ(Popups([] { Commit(CBF_EditMaxcolNo, P_EDITMAXCOLNO); }), expected);
        EXPECT_EQ(Popups([] { Commit(CBF_EditOutmode, P_EDITOUTMODE); }), expected);
        EXPECT_EQ(Popups(InitPanelCtrlAttr), expected);
        // Nothing is corrected.
        EXPECT_EQ(Val(panel, P_EDITMAXCOLNO), c.maxcol);
        EXPECT_EQ(Val(panel, P_EDITOUTMODE), c.outmode);
    }
}

TEST_F(Modes, GroupWarningNeedsDirectOutmodeActiveGroupsAndAGroupAboveFour)
{
    SetCtrlVal(panel, P_EDITMAXCOLNO, 5);
    SetTableCellVal(grouppanel, PGROUP_EDITGRIDGROUPS, MakePoint(1, 31), 5);
    SetCtrlVal(grouppanel, PGROUP_EDITCOLORGROUPS, 1);
    SetCtrlVal(panel, P_EDITOUTMODE, 2);
    EXPECT_EQ(Popups([] { Commit(CBF_EditOutmode, P_EDITOUTMODE); }), PopupLine("INFO!", kGroupsText));
    SetCtrlVal(panel, P_EDITOUTMODE, 1);
    EXPECT_EQ(Popups([] { Commit(CBF_EditOutmode, P_EDITOUTMODE); }), "");
    // Groups switched off on the group panel: no warning, even though the
    // variable still says on from an earlier read.
    colorgroup = 1;
    SetCtrlVal(grouppanel, PGROUP_EDITCOLORGROUPS, 0);
    SetCtrlVal(panel, P_EDITOUTMODE, 0);
    EXPECT_EQ(Popups([] { Commit(CBF_EditOutmode, P_EDITOUTMODE); }), "");
    SetCtrlVal(grouppanel, PGROUP_EDITCOLORGROUPS, 1);
    SetTableCellVal(grouppanel, PGROUP_EDITGRIDGROUPS, MakePoint(1, 31), 4);
    EXPECT_EQ(Popups([] { Commit(CBF_EditOutmode, P_EDITOUTMODE); }), "");
}

TEST_F(Modes, RowLabelsGreenExactlyForTheCheckedRowsInBothTables)
{
    for (int n : {0, 31, 3}) {
        SCOPED_TRACE(n);
        SetCtrlVal(panel, P_EDITMAXCOLNO, n);
        Popups([] { Commit(CBF_EditMaxcolNo, P_EDITMAXCOLNO); });
        EXPECT_EQ(maxcolno, n);
        for (int row = 1; row <= 31; ++row) {
            const int expected = row <= n ? 0x008000 : 0xFF0000;
            EXPECT_EQ(RowLabelColor(panel, P_COLORTEACHTABLE, row), expected) << "row " << row;
            EXPECT_EQ(RowLabelColor(grouppanel, PGROUP_EDITGRIDGROUPS, row), expected) << "row " << row;
        }
    }
}

TEST_F(Modes, EvaluationMode3ForcesBinaryOutputsAndModeZeroKeepsItsValues)
{
    SetCtrlVal(panel, P_EDITMAXCOLNO, 12);
    SetCtrlVal(panel, P_EDITOUTMODE, 1);
    SetCtrlVal(grouppanel, PGROUP_EDITCOLORGROUPS, 1);
    DisplayPanel(grouppanel);
    SetCtrlAttribute(panel, P_DISPGROUP, ATTR_VISIBLE, 1);

    SetCtrlVal(panel, P_EVALMODE, 3);
    EXPECT_EQ(Popups([] { Commit(CBF_Evalmode, P_EVALMODE); }), "");
    EXPECT_EQ(evalmode, 3);
    EXPECT_EQ(Val(panel, P_EDITMAXCOLNO), 5);
    EXPECT_EQ(Val(panel, P_EDITOUTMODE), 1);
    EXPECT_TRUE(Dimmed(panel, P_EDITMAXCOLNO));
    EXPECT_TRUE(Dimmed(panel, P_EDITOUTMODE));
    EXPECT_FALSE(Visible(panel, P_DISPCOL));
    EXPECT_FALSE(Visible(panel, P_DISPGROUP));
    EXPECT_FALSE(Visible(panel, P_BUTTONCOLORGROUPS));
    for (int led : {P_LEDOUT0, P_LEDOUT1, P_LEDOUT2, P_LEDOUT3, P_LEDOUT4})
        EXPECT_TRUE(Visible(panel, led));
    int shown = -1;
    GetPanelAttribute(grouppanel, ATTR_VISIBLE, &shown);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(Val(grouppanel, PGROUP_EDITCOLORGROUPS), 0);
    // The forced MAXCOL-No. recolours the rows at once.
    EXPECT_EQ(RowLabelColor(panel, P_COLORTEACHTABLE, 5), 0x008000);
    EXPECT_EQ(RowLabelColor(panel, P_COLORTEACHTABLE, 6), 0xFF0000);
    EXPECT_TRUE(Dimmed(panel, P_AUTOADJUST));

    SetCtrlVal(panel, P_EVALMODE, 0);
    Commit(CBF_Evalmode, P_EVALMODE);
    EXPECT_FALSE(Dimmed(panel, P_EDITMAXCOLNO));
    EXPECT_FALSE(Dimmed(panel, P_EDITOUTMODE));
    EXPECT_EQ(Val(panel, P_EDITMAXCOLNO), 5);
    EXPECT_EQ(Val(panel, P_EDITOUTMODE), 1);
    EXPECT_TRUE(Visible(panel, P_DISPCOL));
    EXPECT_FALSE(Visible(panel, P_DISPGROUP)); // until groups are switched on again
    for (int led : {P_LEDOUT0, P_LEDOUT1, P_LEDOUT2, P_LEDOUT3, P_LEDOUT4})
        EXPECT_FALSE(Visible(panel, led));
    EXPECT_FALSE(Dimmed(panel, P_AUTOADJUST));
    // The parameter view is showing: the table view's COLOR GROUPS button stays hidden.
    EXPECT_FALSE(Visible(panel, P_BUTTONCOLORGROUPS));
}

TEST_F(Modes, EvaluationModesSetAutoAdjustAndTheToleranceColumn)
{
    struct Case {
        int mode;
        bool adjustDimmed;
        int columnMode;
    };
    for (Case c : {Case{1, true, VAL_HOT}, Case{2, true, VAL_INDICATOR}, Case{3, true, VAL_HOT},
                   Case{0, false, VAL_HOT}}) {
        SCOPED_TRACE(c.mode);
        SetCtrlVal(panel, P_EVALMODE, c.mode);
        Commit(CBF_Evalmode, P_EVALMODE);
        EXPECT_EQ(Dimmed(panel, P_AUTOADJUST), c.adjustDimmed);
        int mode = -1;
        GetTableColumnAttribute(panel, P_COLORTEACHTABLE, 3, ATTR_CELL_MODE, &mode);
        EXPECT_EQ(mode, c.columnMode);
    }
}

TEST_F(Modes, ParameterSetsThatCombineExclusiveModes)
{
    // External teach 2 with PMOD DYN: the power rule ran first, so INTLIM stays 0 and dimmed.
    SetCtrlVal(panel, P_EDITINTLIM, 700);
    SetCtrlVal(panel, P_EDITPMODE, 1);
    SetCtrlVal(panel, P_EDITEXTEACH, 2);
    Popups(InitPanelCtrlAttr);
    EXPECT_EQ(Val(panel, P_EDITPMODE), 0);
    EXPECT_TRUE(Dimmed(panel, P_EDITPMODE));
    EXPECT_FALSE(Dimmed(panel, P_SLIDEPOWER));
    EXPECT_TRUE(Dimmed(panel, P_EDITDYNWINLO));
    EXPECT_TRUE(Dimmed(panel, P_EDITDYNWINHI));
    EXPECT_EQ(Val(panel, P_EDITINTLIM), 0);
    EXPECT_TRUE(Dimmed(panel, P_EDITINTLIM));
    EXPECT_EQ(Val(panel, P_EDITTRIGGER), 0);
    EXPECT_TRUE(Dimmed(panel, P_EDITTRIGGER));

    // External teach 1 with trigger EXT2: external teach wins.
    SetCtrlVal(panel, P_EDITEXTEACH, 1);
    SetCtrlVal(panel, P_EDITTRIGGER, 2);
    Popups(InitPanelCtrlAttr);
    EXPECT_EQ(Val(panel, P_EDITTRIGGER), 0);
    EXPECT_TRUE(Dimmed(panel, P_EDITTRIGGER));
    EXPECT_EQ(Val(panel, P_EDITEXTEACH), 1);
    EXPECT_FALSE(Dimmed(panel, P_EDITEXTEACH));
    EXPECT_FALSE(Dimmed(panel, P_EDITPMODE));

    // External teach OFF with trigger EXT2: the trigger locks external teach off.
    SetCtrlVal(panel, P_EDITEXTEACH, 0);
    SetCtrlVal(panel, P_EDITTRIGGER, 2);
    Popups(InitPanelCtrlAttr);
    EXPECT_EQ(Val(panel, P_EDITTRIGGER), 2);
    EXPECT_FALSE(Dimmed(panel, P_EDITTRIGGER));
    EXPECT_EQ(Val(panel, P_EDITEXTEACH), 0);
    EXPECT_TRUE(Dimmed(panel, P_EDITEXTEACH));

    // External teach 3: power tuned in the window, slider locked.
    SetCtrlVal(panel, P_EDITTRIGGER, 0);
    SetCtrlVal(panel, P_EDITEXTEACH, 3);
    Popups(InitPanelCtrlAttr);
    EXPECT_TRUE(Dimmed(panel, P_SLIDEPOWER));
    EXPECT_FALSE(Dimmed(panel, P_EDITDYNWINLO));
    EXPECT_EQ(Val(panel, P_EDITPMODE), 0);
    EXPECT_TRUE(Dimmed(panel, P_EDITPMODE));
}

TEST_F(Modes, PowerModeDynClearsIntlimAndStatKeepsTheZero)
{
    SetCtrlVal(panel, P_EDITINTLIM, 300);
    SetCtrlVal(panel, P_EDITPMODE, 1);
    Commit(CBF_EditPmode, P_EDITPMODE);
    EXPECT_EQ(pmode, 1);
    EXPECT_EQ(Val(panel, P_EDITINTLIM), 0);
    EXPECT_TRUE(Dimmed(panel, P_EDITINTLIM));
    EXPECT_TRUE(Dimmed(panel, P_SLIDEPOWER));
    EXPECT_FALSE(Dimmed(panel, P_EDITDYNWINLO));
    SetCtrlVal(panel, P_EDITPMODE, 0);
    Commit(CBF_EditPmode, P_EDITPMODE);
    EXPECT_FALSE(Dimmed(panel, P_EDITINTLIM));
    EXPECT_EQ(Val(panel, P_EDITINTLIM), 0);
    EXPECT_FALSE(Dimmed(panel, P_SLIDEPOWER));
    EXPECT_TRUE(Dimmed(panel, P_EDITDYNWINHI));
}

TEST_F(Modes, CalculationModeRenamesEveryPanelAndClearsTheXYPlaneOnlyForSI)
{
    const unsigned short xs[2] = {0, 4095}, ys[2] = {4095, 0};
    PlotXY(panel, P_GRAPHDATA1, xs, ys, 2, VAL_UNSIGNED_SHORT_INTEGER, VAL_UNSIGNED_SHORT_INTEGER, VAL_THIN_LINE,
           VAL_NO_POINT, VAL_SOLID, 1, 0xA0A0A0);
    struct Names {
        int mode;
        std::vector<std::string> disp, columns, ctoItems, itoItems;
        std::string delta, deltaInt, valueCto, teachIto;
        double xMax, yMax, intMax;
        int plotsLeft;
    };
    const Names cases[] = {
        {1, {"s", "i", "M"}, {"s", "i", "siTO", "M", "MTO"},
         {"VALUE siTO", "MAX DELTA(s/i)", "MAX DELTA+VALUE siTO"}, {"VALUE MTO", "MAX DELTA M", "MAX DELTA+VALUE MTO"},
         "MAX DELTA s/i", "MAX DELTA M", "VALUE siTO", "TEACH MTO WITH", 10000, 4000, 1200, 0},
        {0, {"X", "Y", "INT"}, {"X", "Y", "CTO", "INT", "ITO"},
         {"VALUE CTO", "MAX DELTA (X/Y)", "MAX DELTA+VALUE CTO"}, {"VALUE ITO", "MAX DELTA INT", "MAX DELTA+VALUE ITO"},
         "MAX DELTA X/Y", "MAX DELTA INT", "VALUE CTO", "TEACH ITO WITH", 4096, 4096, 4096, 1},
    };
    for (const Names &c : cases) {
        SCOPED_TRACE(c.mode);
        if (c.mode == 0) // the plane of X/Y mode is drawn again; mode 0 must keep it
            PlotXY(panel, P_GRAPHDATA1, xs, ys, 2, VAL_UNSIGNED_SHORT_INTEGER, VAL_UNSIGNED_SHORT_INTEGER,
                   VAL_THIN_LINE, VAL_NO_POINT, VAL_SOLID, 1, 0xA0A0A0);
        SetCtrlVal(panel, P_CALCMODE, c.mode);
        InitCalcMode();
        EXPECT_EQ(calcmode, c.mode);
        const int mainDisp[] = {P_DISPX, P_DISPY, P_DISPINT};
        const int recDisp[] = {RECP_DISPX, RECP_DISPY, RECP_DISPINT};
        const int graphDisp[] = {GRAPHP_DISPX, GRAPHP_DISPY, GRAPHP_DISPINT};
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(Label(panel, mainDisp[k]), c.disp[k]);
            EXPECT_EQ(Label(recpanel, recDisp[k]), c.disp[k]);
            EXPECT_EQ(Label(graphpanel, graphDisp[k]), c.disp[k]);
            EXPECT_EQ(RingItem(graphpanel, "EditSignal", 3 + k), c.disp[k]);
            EXPECT_EQ(ColumnLabel(teachpanel, "GridTpValues", 4 + k), c.disp[k]);
            EXPECT_EQ(ColumnLabel(teachpanel, "GridTpMean", 4 + k), c.disp[k]);
            EXPECT_EQ(RingItem(teachpanel, "EditTpTeachCtoWith", k), c.ctoItems[k]);
            EXPECT_EQ(RingItem(teachpanel, "EditTpTeachItoWith", k), c.itoItems[k]);
        }
        for (int col = 1; col <= 5; ++col)
            EXPECT_EQ(ColumnLabel(panel, "ColorTeachTable", col), c.columns[col - 1]);
        EXPECT_EQ(RingItem(panel, "SelectSource", 0), c.mode ? "s/i" : "X/Y");
        EXPECT_EQ(RingItem(panel, "SelectSource", 1), "R G B");
        EXPECT_EQ(RingItem(panel, "SelectSource", 2), c.disp[2]);
        EXPECT_EQ(Label(teachpanel, TEACHP_DISPTPMAXDELTAXY), c.delta);
        EXPECT_EQ(Label(teachpanel, TEACHP_DISPTPMAXDELTAINT), c.deltaInt);
        EXPECT_EQ(Label(teachpanel, TEACHP_EDITTPVALUECTO), c.valueCto);
        EXPECT_EQ(Label(teachpanel, TEACHP_EDITTPTEACHITOWITH), c.teachIto);
        EXPECT_EQ(Attr(panel, P_DISPY, ATTR_TEXT_BGCOLOR), c.mode ? 0xFFFF00 : 0x00FF00);
        int plots = -1;
        GetNumGraphPlots(panel, P_GRAPHDATA1, &plots);
        EXPECT_EQ(plots, c.plotsLeft);
        int scaling = -1;
        double lo = -1, hi = -1;
        GetAxisScalingMode(panel, P_GRAPHDATA1, VAL_XAXIS, &scaling, &lo, &hi);
        EXPECT_EQ(scaling, VAL_MANUAL);
        EXPECT_EQ(hi, c.xMax);
        GetAxisScalingMode(panel, P_GRAPHDATA1, VAL_LEFT_YAXIS, &scaling, &lo, &hi);
        EXPECT_EQ(hi, c.yMax);
        GetAxisScalingMode(panel, P_CHARTINT, VAL_LEFT_YAXIS, &scaling, &lo, &hi);
        EXPECT_EQ(hi, c.intMax);
        // Items keep their values: the SOURCE ring still reads 2 for the intensity chart.
        SetCtrlIndex(panel, P_SELECTSOURCE, 2);
        EXPECT_EQ(Val(panel, P_SELECTSOURCE), 2);
        SetCtrlVal(panel, P_SELECTSOURCE, 0);
    }
}

TEST_F(Modes, SignalDisplayShowsTheDisplaysAndGraphOfTheSource)
{
    struct Case {
        int source;
        bool xyInt, rgb, xyGraph, rgbChart, intChart;
    };
    for (Case c : {Case{1, false, true, false, true, false}, Case{2, true, false, false, false, true},
                   Case{0, true, false, true, false, false}}) {
        SCOPED_TRACE(c.source);
        SetCtrlVal(panel, P_SELECTSOURCE, c.source);
        DispVis(1);
        EXPECT_EQ(source, c.source);
        for (int ctrl : {P_DISPX, P_DISPY, P_DISPINT})
            EXPECT_EQ(Visible(panel, ctrl), c.xyInt);
        for (int ctrl : {P_DISPR, P_DISPG, P_DISPB})
            EXPECT_EQ(Visible(panel, ctrl), c.rgb);
        EXPECT_EQ(Visible(panel, P_GRAPHDATA1), c.xyGraph);
        EXPECT_EQ(Visible(panel, P_GRAPHDATA2), c.xyGraph);
        EXPECT_EQ(Visible(panel, P_GRAPHRGB), c.rgbChart);
        EXPECT_EQ(Visible(panel, P_CHARTINT), c.intChart);
    }
}

TEST_F(Modes, ShowGraphFeedsOnlyTheSelectedGraph)
{
    ClearStripChart(panel, P_GRAPHRGB);
    ClearStripChart(panel, P_CHARTINT);
    source = 0;
    dataX = 1200;
    dataY = 2300;
    ShowGraph();
    double x = 0, y = 0;
    GetGraphCursor(panel, P_GRAPHDATA1, 1, &x, &y);
    EXPECT_EQ(x, 1200);
    EXPECT_EQ(y, 2300);
    int rgbPoints = -1, intPoints = -1;
    GetStripChartPointCount(panel, P_GRAPHRGB, &rgbPoints);
    EXPECT_EQ(rgbPoints, 0);

    source = 1;
    ShowGraph();
    GetStripChartPointCount(panel, P_GRAPHRGB, &rgbPoints);
    GetStripChartPointCount(panel, P_CHARTINT, &intPoints);
    EXPECT_EQ(rgbPoints, 100); // 300 values over three traces
    EXPECT_EQ(intPoints, 0);
    EXPECT_EQ(Attr(panel, P_GRAPHRGB, ATTR_POINTS_PER_SCREEN), 101);
    source = 2;
    ShowGraph();
    GetStripChartPointCount(panel, P_CHARTINT, &intPoints);
    EXPECT_EQ(intPoints, 100);
    source = 0;
}

TEST_F(Modes, ButtonsThatStartLinkTrafficDimTogetherButNeverStop)
{
    const int linkCtrls[] = {P_BUTTONSEND, P_BUTTONGET, P_BUTTONGO, P_BUTTONCONNECT, P_BUTTONOPENRECORDER,
                             P_BUTTONZOOM, P_CALCMODE};
    SetButtonsDimmed(1);
    for (int ctrl : linkCtrls)
        EXPECT_TRUE(Dimmed(panel, ctrl)) << CtrlName(panel, ctrl);
    EXPECT_FALSE(Dimmed(panel, P_BUTTONSTOP));
    EXPECT_FALSE(Dimmed(panel, P_EVALMODE)); // the other mode controls stay usable
    SetButtonsDimmed(0);
    for (int ctrl : linkCtrls)
        EXPECT_FALSE(Dimmed(panel, ctrl)) << CtrlName(panel, ctrl);
    EXPECT_FALSE(Dimmed(panel, P_BUTTONSTOP));
}

TEST_F(Modes, ViewsSwapTheParameterControlsAndTheTableControls)
{
    const int paraCtrls[] = {P_EDITPMODE, P_EDITEXTEACH, P_CALCMODE, P_EVALMODE, P_EDITTRIGGER, P_EDITOUTMODE,
                             P_EDITDYNWINLO, P_EDITDYNWINHI, P_EDITAVERAGE, P_EDITINTLIM, P_EDITHOLD,
                             P_EDITMAXCOLNO, P_SLIDEPOWER, P_TRANSMITTERBOX, P_EVALUATIONBOX, P_OUTPUTBOX};
    const int tableCtrls[] = {P_COLORTEACHTABLE, P_EDITNO, P_RADIOINC, P_BUTTONTEACHDATATO, P_BUTTONZOOM,
                              P_AUTOADJUST, P_BUTTONCOLOR, P_BUTTONCOLORGROUPS};
    ParaInVis();
    for (int ctrl : paraCtrls)
        EXPECT_FALSE(Visible(panel, ctrl)) << CtrlName(panel, ctrl);
    for (int ctrl : tableCtrls)
        EXPECT_TRUE(Visible(panel, ctrl)) << CtrlName(panel, ctrl);
    ParaVis();
    for (int ctrl : paraCtrls)
        EXPECT_TRUE(Visible(panel, ctrl)) << CtrlName(panel, ctrl);
    for (int ctrl : tableCtrls)
        EXPECT_FALSE(Visible(panel, ctrl)) << CtrlName(panel, ctrl);

    // Evaluation mode 3 has no groups: the table view leaves COLOR GROUPS out.
    SetCtrlVal(panel, P_EVALMODE, 3);
    Commit(CBF_Evalmode, P_EVALMODE);
    ParaInVis();
    EXPECT_FALSE(Visible(panel, P_BUTTONCOLORGROUPS));
    EXPECT_TRUE(Visible(panel, P_COLORTEACHTABLE));
    // Leaving mode 3 while the table view shows brings the button back.
    SetCtrlVal(panel, P_PARAVISIBLE, 0);
    SetCtrlVal(panel, P_EVALMODE, 1);
    Commit(CBF_Evalmode, P_EVALMODE);
    EXPECT_TRUE(Visible(panel, P_BUTTONCOLORGROUPS));
}

TEST_F(Modes, RowColourSwitchLocksTheHandSettingAndShowsTheMeasuredColour)
{
    SetCtrlVal(srcpanel, SRCP_EDITSETCOLOR, 1);
    EXPECT_EQ(Popups([] { CBF_EditSetColor(srcpanel, SRCP_EDITSETCOLOR, EVENT_COMMIT, nullptr, 0, 0); }), "");
    for (int ctrl : {SRCP_EDITROWNO, SRCP_EDITROWCOLOR, SRCP_BUTTONSETROWCOLOR})
        EXPECT_TRUE(Dimmed(srcpanel, ctrl));
    EXPECT_TRUE(Visible(panel, P_COLORPATCH));
    SetCtrlVal(srcpanel, SRCP_EDITSETCOLOR, 0);
    CBF_EditSetColor(srcpanel, SRCP_EDITSETCOLOR, EVENT_COMMIT, nullptr, 0, 0);
    for (int ctrl : {SRCP_EDITROWNO, SRCP_EDITROWCOLOR, SRCP_BUTTONSETROWCOLOR})
        EXPECT_FALSE(Dimmed(srcpanel, ctrl));
    EXPECT_FALSE(Visible(panel, P_COLORPATCH));
    // The switch has no help text.
    EXPECT_EQ(Popups([] { CBF_EditSetColor(srcpanel, SRCP_EDITSETCOLOR, EVENT_RIGHT_CLICK, nullptr, 0, 0); }), "");

    CBF_ButtonColor(panel, P_BUTTONCOLOR, EVENT_COMMIT, nullptr, 0, 0);
    int shown = 0;
    GetPanelAttribute(srcpanel, ATTR_VISIBLE, &shown);
    EXPECT_EQ(shown, 1);
    CBF_SRCP(srcpanel, EVENT_COMMIT, nullptr, 0, 0);
    GetPanelAttribute(srcpanel, ATTR_VISIBLE, &shown);
    EXPECT_EQ(shown, 1);
    CBF_SRCP(srcpanel, EVENT_CLOSE, nullptr, 0, 0);
    GetPanelAttribute(srcpanel, ATTR_VISIBLE, &shown);
    EXPECT_EQ(shown, 0);
}

TEST_F(Modes, RightClickShowsHelpAndChangesNothing)
{
    EXPECT_EQ(Popups([] { CBF_ButtonColor(panel, P_BUTTONCOLOR, EVENT_RIGHT_CLICK, nullptr, 0, 0); }),
              PopupLine("Info", " Opens a panel to set the corresponding ROW colors."));
    EXPECT_EQ(Popups([] { CBF_Evalmode(panel, P_EVALMODE, EVENT_RIGHT_CLICK, nullptr, 0, 0); }),
              PopupLine("INFO!", "see manual."));
    EXPECT_EQ(Popups([] { CBF_EditDynWinLoHi(panel, P_EDITDYNWINHI, EVENT_RIGHT_CLICK, nullptr, 0, 0); }),
              PopupLine("INFO!", " Select a window for dynamic \n regaluation when PMOD = DYN."));
    EXPECT_EQ(Popups([] { CBF_DispRGB(panel, P_DISPG, EVENT_RIGHT_CLICK, nullptr, 0, 0); }),
              PopupLine("INFO!", " Displays the current color intensity of RED,GREEN and BLUE. "));
    // A right click on a mode control does not apply its rule.
    SetCtrlVal(panel, P_EDITPMODE, 1);
    SetCtrlVal(panel, P_EDITINTLIM, 55);
    Popups([] { CBF_EditPmode(panel, P_EDITPMODE, EVENT_RIGHT_CLICK, nullptr, 0, 0); });
    EXPECT_EQ(Val(panel, P_EDITINTLIM), 55);
    EXPECT_FALSE(Dimmed(panel, P_EDITINTLIM));
    // Help-only controls ignore their commit.
    EXPECT_EQ(Popups([] { CBF_SlidePower(panel, P_SLIDEPOWER, EVENT_COMMIT, nullptr, 0, 0); }), "");
}

} // namespace
