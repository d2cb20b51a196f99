// The mode rules on the program's own panels: forced and dimmed controls,
// warnings, row label colours, X/Y and s/i names, views and signal display.
#include "commands.h"
#include "live.h"
#include "modes.h"

#include "panels.h"

#include <QApplication>
#include <QComboBox>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

using namespace com232;

namespace {

bool Dimmed(int p, int c) { return IntAttr(p, c, ATTR_DIMMED) == 1; }
bool Visible(int p, int c) { return IntAttr(p, c, ATTR_VISIBLE) == 1; }
std::string Label(int p, int c) { return StrAttr(p, c, ATTR_LABEL_TEXT); }
int RowColor(int p, int c, int row)
{
    int v = -1;
    GetTableRowAttribute(p, c, row, ATTR_LABEL_COLOR, &v);
    return v;
}
// Value and dimmed state of a main panel control.
std::pair<int, bool> State(int c) { return {IntVal(panel, c), Dimmed(panel, c)}; }

std::string RingItem(int p, const char *ring, int index)
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->objectName().toStdString() == PanelName(p))
            if (auto *combo = top->findChild<QComboBox *>(ring))
                return combo->itemText(index).toStdString();
    return "<none>";
}

void Commit(int (*cb)(int, int, int, void *, int, int)) { cb(panel, 0, EVENT_COMMIT, nullptr, 0, 0); }

const std::string kMaxColPopup = "POPUP INFO!| ATTENTION! \\n \\n MAXCOL-No. IS TOO HIGH \\n DECREASE MAXCOL-No. OR "
                                 "SWITCH TO OUTMODE=BINARY\n";
const int kLeds[] = {P_LEDOUT0, P_LEDOUT1, P_LEDOUT2, P_LEDOUT3, P_LEDOUT4};

class Modes : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadVeltv61Panels(); }

    // A neutral parameter set: nothing forced, no warning.
    void SetUp() override
    {
        for (int c : {P_EDITPMODE, P_EVALMODE, P_CALCMODE, P_EDITEXTEACH, P_EDITTRIGGER, P_SELECTSOURCE})
            SetCtrlVal(panel, c, 0);
        SetCtrlVal(panel, P_EDITOUTMODE, 1);
        SetCtrlVal(panel, P_EDITMAXCOLNO, 31);
        SetCtrlVal(panel, P_PARAVISIBLE, 1);
        ParaVis();
        EXPECT_EQ(Popups(InitPanelCtrlAttr), "");
    }
};

TEST_F(Modes, WarningsOnlyWhenTheOutmodeCannotSignalThatManyColoursOrGroups)
{
    for (auto [out, n, warns] : {std::tuple {0, 5, false}, {0, 6, true}, {2, 6, true}, {1, 31, false}}) {
        SCOPED_TRACE(testing::Message() << "outmode " << out << " maxcol " << n);
        SetCtrlVal(panel, P_EDITOUTMODE, out);
        SetCtrlVal(panel, P_EDITMAXCOLNO, n);
        const std::string expected = warns ? kMaxColPopup : "";
        EXPECT_EQ(Popups([] { Commit(CBF_EditMaxcolNo); }), expected);
        EXPECT_EQ(Popups([] { Commit(CBF_EditOutmode); }), expected);
        EXPECT_EQ(Popups(InitPanelCtrlAttr), expected);
        EXPECT_EQ(IntVal(panel, P_EDITMAXCOLNO), n); // nothing is corrected
        // Row labels in both tables: green up to MAXCOL-No., red beyond.
        for (auto [p, table] : {std::pair {panel, P_COLORTEACHTABLE}, {grouppanel, PGROUP_EDITGRIDGROUPS}})
            EXPECT_TRUE(RowColor(p, table, n) == 0x008000 && (n == 31 || RowColor(p, table, n + 1) == 0xFF0000));
    }
    // The group warning follows the group switch, not a stale copy.
    SetCtrlVal(panel, P_EDITMAXCOLNO, 5);
    SetCtrlVal(panel, P_EDITOUTMODE, 2);
    SetTableCellVal(grouppanel, PGROUP_EDITGRIDGROUPS, MakePoint(1, 31), 5);
    SetCtrlVal(grouppanel, PGROUP_EDITCOLORGROUPS, 1);
    EXPECT_NE(Popups([] { Commit(CBF_EditOutmode); }).find("5 groups are possible!"), std::string::npos);
    colorgroup = 1; // as last sent, but the user has switched groups off since
    SetCtrlVal(grouppanel, PGROUP_EDITCOLORGROUPS, 0);
    EXPECT_EQ(Popups([] { Commit(CBF_EditOutmode); }), "");
    SetTableCellVal(grouppanel, PGROUP_EDITGRIDGROUPS, MakePoint(1, 31), 0);
}

TEST_F(Modes, EvaluationMode3ForcesBinaryOutputsAndLeavingItKeepsTheValues)
{
    SetCtrlVal(panel, P_EDITMAXCOLNO, 12);
    SetCtrlVal(grouppanel, PGROUP_EDITCOLORGROUPS, 1);
    DisplayPanel(grouppanel);
    SetCtrlAttribute(panel, P_DISPGROUP, ATTR_VISIBLE, 1);
    SetCtrlVal(panel, P_EVALMODE, 3);
    EXPECT_EQ(Popups([] { Commit(CBF_Evalmode); }), "");
    EXPECT_EQ(State(P_EDITMAXCOLNO), std::pair(5, true));
    EXPECT_EQ(State(P_EDITOUTMODE), std::pair(1, true));
    EXPECT_TRUE(Dimmed(panel, P_AUTOADJUST));
    EXPECT_FALSE(Visible(panel, P_DISPCOL) || Visible(panel, P_DISPGROUP) || Visible(panel, P_BUTTONCOLORGROUPS));
    for (int led : kLeds)
        EXPECT_TRUE(Visible(panel, led));
    int shown = -1;
    GetPanelAttribute(grouppanel, ATTR_VISIBLE, &shown);
    EXPECT_TRUE(shown == 0 && IntVal(grouppanel, PGROUP_EDITCOLORGROUPS) == 0);
    EXPECT_TRUE(RowColor(panel, P_COLORTEACHTABLE, 5) == 0x008000 && RowColor(panel, P_COLORTEACHTABLE, 6) == 0xFF0000);

    // Modes 0-2: values stay, group display stays hidden, AUTO ADJUST only in
    // mode 0, the CTO column read-only only in mode 2.
    for (auto [mode, column] : {std::pair {2, VAL_INDICATOR}, {1, VAL_HOT}, {0, VAL_HOT}}) {
        SCOPED_TRACE(mode);
        SetCtrlVal(panel, P_EVALMODE, mode);
        Commit(CBF_Evalmode);
        EXPECT_EQ(State(P_EDITMAXCOLNO), std::pair(5, false));
        EXPECT_EQ(State(P_EDITOUTMODE), std::pair(1, false));
        // COLOR GROUPS belongs to the table view, not to the parameter view showing now.
        EXPECT_TRUE(Visible(panel, P_DISPCOL) && !Visible(panel, P_DISPGROUP) && !Visible(panel, P_LEDOUT0) &&
                    !Visible(panel, P_BUTTONCOLORGROUPS));
        EXPECT_EQ(Dimmed(panel, P_AUTOADJUST), mode != 0);
        int cellMode = -1;
        GetTableColumnAttribute(panel, P_COLORTEACHTABLE, 3, ATTR_CELL_MODE, &cellMode);
        EXPECT_EQ(cellMode, column);
    }
    ParaInVis();
    EXPECT_TRUE(Visible(panel, P_BUTTONCOLORGROUPS));
}

TEST_F(Modes, ParameterSetsThatCombineExclusiveModesAndThePowerMode)
{
    // External teach 2 with PMOD DYN: the power rule ran first, so INTLIM stays 0 and dimmed.
    SetCtrlVal(panel, P_EDITINTLIM, 700);
    SetCtrlVal(panel, P_EDITPMODE, 1);
    SetCtrlVal(panel, P_EDITEXTEACH, 2);
    InitPanelCtrlAttr();
    EXPECT_EQ(State(P_EDITPMODE), std::pair(0, true));
    EXPECT_EQ(State(P_EDITINTLIM), std::pair(0, true));
    EXPECT_TRUE(Dimmed(panel, P_EDITDYNWINLO) && Dimmed(panel, P_EDITDYNWINHI) && !Dimmed(panel, P_SLIDEPOWER));

    // External teach 1 with trigger EXT2: external teach wins.
    SetCtrlVal(panel, P_EDITEXTEACH, 1);
    SetCtrlVal(panel, P_EDITTRIGGER, 2);
    InitPanelCtrlAttr();
    EXPECT_EQ(State(P_EDITTRIGGER), std::pair(0, true));
    EXPECT_EQ(State(P_EDITEXTEACH), std::pair(1, false));
    EXPECT_FALSE(Dimmed(panel, P_EDITPMODE));

    // External teach OFF with trigger EXT2: the trigger locks external teach at OFF.
    SetCtrlVal(panel, P_EDITEXTEACH, 0);
    SetCtrlVal(panel, P_EDITTRIGGER, 2);
    InitPanelCtrlAttr();
    EXPECT_EQ(State(P_EDITTRIGGER), std::pair(2, false));
    EXPECT_EQ(State(P_EDITEXTEACH), std::pair(0, true));

    // PMOD DYN clears INTLIM; going back to STAT keeps the zero.
    SetCtrlVal(panel, P_EDITTRIGGER, 0);
    InitPanelCtrlAttr();
    SetCtrlVal(panel, P_EDITINTLIM, 300);
    SetCtrlVal(panel, P_EDITPMODE, 1);
    Commit(CBF_EditPmode);
    EXPECT_EQ(State(P_EDITINTLIM), std::pair(0, true));
    EXPECT_TRUE(Dimmed(panel, P_SLIDEPOWER));
    SetCtrlVal(panel, P_EDITPMODE, 0);
    Commit(CBF_EditPmode);
    EXPECT_EQ(State(P_EDITINTLIM), std::pair(0, false));
    EXPECT_FALSE(Dimmed(panel, P_SLIDEPOWER));
}

TEST_F(Modes, CalculationModeRenamesAllPanelsAndClearsTheXYPlaneOnlyForSI)
{
    const unsigned short xs[2] = {0, 4095}, ys[2] = {4095, 0};
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode);
        PlotXY(panel, P_GRAPHDATA1, xs, ys, 2, VAL_UNSIGNED_SHORT_INTEGER, VAL_UNSIGNED_SHORT_INTEGER, VAL_THIN_LINE,
               VAL_NO_POINT, VAL_SOLID, 1, 0xA0A0A0);
        SetCtrlVal(panel, P_CALCMODE, mode);
        InitCalcMode();
        const std::string names = Label(panel, P_DISPY) + Label(panel, P_DISPINT) + Label(recpanel, RECP_DISPY) +
                                  Label(recpanel, RECP_DISPINT) + Label(graphpanel, GRAPHP_DISPY) +
                                  Label(graphpanel, GRAPHP_DISPINT) + Label(teachpanel, TEACHP_EDITTPVALUEITO);
        EXPECT_EQ(names, mode ? "iMiMiMVALUE MTO" : "YINTYINTYINTVALUE ITO");
        EXPECT_EQ(RingItem(panel, "SelectSource", 0) + RingItem(panel, "SelectSource", 2) +
                      RingItem(graphpanel, "EditSignal", 5) + RingItem(teachpanel, "EditTpTeachCtoWith", 1),
                  mode ? "s/iMMMAX DELTA(s/i)" : "X/YINTINTMAX DELTA (X/Y)");
        int plots = -1;
        GetNumGraphPlots(panel, P_GRAPHDATA1, &plots);
        EXPECT_EQ(plots, mode ? 0 : 1);
        double lo = 0, hi = 0, chartHi = 0;
        GetAxisScalingMode(panel, P_GRAPHDATA1, VAL_XAXIS, nullptr, &lo, &hi);
        GetAxisScalingMode(panel, P_CHARTINT, VAL_LEFT_YAXIS, nullptr, &lo, &chartHi);
        EXPECT_TRUE(hi == (mode ? 10000 : 4096) && chartHi == (mode ? 1200 : 4096)) << hi << " " << chartHi;
        // The second colour leaves the background alone.
        EXPECT_EQ(IntAttr(panel, P_DISPY, ATTR_TEXT_BGCOLOR), mode ? 0xFFFF00 : 0x00FF00);
        EXPECT_EQ(IntAttr(panel, P_DISPY, ATTR_FRAME_COLOR), mode ? 0x80FFFF : 0xE0E0E0);
        SetCtrlIndex(panel, P_SELECTSOURCE, 2); // renamed items keep their values
        EXPECT_EQ(IntVal(panel, P_SELECTSOURCE), 2);
    }
}

TEST_F(Modes, SignalDisplayAndCommonDimming)
{
    for (auto [src, xy, rgb, chart] : {std::tuple {1, false, true, P_GRAPHRGB}, {2, true, false, P_CHARTINT}}) {
        SetCtrlVal(panel, P_SELECTSOURCE, src);
        DispVis(1);
        EXPECT_TRUE(Visible(panel, P_DISPX) == xy && Visible(panel, P_DISPR) == rgb && Visible(panel, chart)) << src;
        EXPECT_FALSE(Visible(panel, P_GRAPHDATA1) || Visible(panel, P_GRAPHDATA2)) << src;
    }
    SetCtrlVal(panel, P_SELECTSOURCE, 0);
    DispVis(1);
    EXPECT_TRUE(Visible(panel, P_GRAPHDATA1) && Visible(panel, P_DISPINT));
    EXPECT_FALSE(Visible(panel, P_GRAPHRGB) || Visible(panel, P_CHARTINT) || Visible(panel, P_DISPB));

    SetButtonsDimmed(1);
    for (int c :
         {P_BUTTONSEND, P_BUTTONGET, P_BUTTONGO, P_BUTTONCONNECT, P_BUTTONOPENRECORDER, P_BUTTONZOOM, P_CALCMODE})
        EXPECT_TRUE(Dimmed(panel, c)) << CtrlName(panel, c);
    EXPECT_FALSE(Dimmed(panel, P_BUTTONSTOP));
    SetButtonsDimmed(0);
    EXPECT_FALSE(Dimmed(panel, P_BUTTONGO) || Dimmed(panel, P_CALCMODE) || Dimmed(panel, P_BUTTONSTOP));
}

} // namespace
