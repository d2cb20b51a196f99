// Teaching on the program's own panels, without a sensor: TEACH DATA TO,
// RESET TABLE, APPLY FROM ALL, the zoom graph's events, the teach panel's
// captures and TEACH TO TABLE, and the colour groups.
#include "color_groups.h"
#include "live.h"
#include "modes.h"
#include "teach_panel.h"
#include "teach_table.h"

#include "panels.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

using namespace com232;

namespace {

int CellColor(int row)
{
    int v = -1;
    GetTableCellAttribute(panel, P_COLORTEACHTABLE, MakePoint(6, row), ATTR_TEXT_BGCOLOR, &v);
    return v;
}
std::vector<int> GridRow(int control, int row)
{
    std::vector<int> out;
    for (int c = 1; c <= 6; ++c)
        out.push_back(IntCell(teachpanel, control, c, row));
    return out;
}

using Cb = int (*)(int, int, int, void *, int, int);
void Fire(Cb cb, int event = EVENT_COMMIT, int d1 = 0, int d2 = 0) { cb(panel, 0, event, nullptr, d1, d2); }

const char kGroupsPopup[] = "POPUP INFO!| ATTENTION! \\n If OUTMODE=DIRECT HI or DIRECT LO: \\n 5 groups are possible!";

void SetFrame(int r, int g, int b, int x, int y, int intensity)
{
    dataR = static_cast<uint16_t>(r);
    dataG = static_cast<uint16_t>(g);
    dataB = static_cast<uint16_t>(b);
    dataX = static_cast<uint16_t>(x);
    dataY = static_cast<uint16_t>(y);
    dataINT = static_cast<uint16_t>(intensity);
}

class Teach : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadVeltv61Panels(); }

    void SetUp() override
    {
        for (int c : {P_EDITPMODE, P_EVALMODE, P_CALCMODE, P_EDITNO, P_RADIOINC})
            SetCtrlVal(panel, c, 0);
        SetCtrlVal(panel, P_EDITOUTMODE, 1);
        SetCtrlVal(panel, P_EDITMAXCOLNO, 31);
        SetCtrlVal(srcpanel, SRCP_EDITSETCOLOR, 0);
        SetCtrlVal(grouppanel, PGROUP_EDITCOLORGROUPS, 0);
        ResetRowColors();
        ResetTable();
        ResetTpTable();
        Fire(CBF_ButtonResetGroupTable);
        EXPECT_EQ(Popups(InitPanelCtrlAttr), "");
    }
};

// Modes, No. and RESET TABLE are covered against the sensor; here the row
// colours: the measured one with the switch on, the chosen one from SRCP.
TEST_F(Teach, RowColoursFollowTheMeasuredColourOrTheChosenOne)
{
    SetCtrlVal(srcpanel, SRCP_EDITSETCOLOR, 1);
    SetCtrlVal(panel, P_EDITNO, 7);
    rgbcolor = 0x123456;
    Fire(CBF_ButtonTeachDataTo);
    EXPECT_EQ(std::make_pair(CellColor(8), qvcolarr[7]), std::make_pair(0x123456, 0x123456));
    SetCtrlVal(srcpanel, SRCP_EDITROWNO, 30);
    SetCtrlVal(srcpanel, SRCP_EDITROWCOLOR, 0x0000FF);
    Fire(CBF_ButtonSetRowColor);
    EXPECT_EQ(std::make_pair(CellColor(31), qvcolarr[30]), std::make_pair(0x0000FF, 0x0000FF));
    Fire(CBF_ButtonResetTable); // the colours stay
    EXPECT_EQ(std::make_pair(CellColor(8), qvcolarr[7]), std::make_pair(0x123456, 0x123456));
}

TEST_F(Teach, ApplyFromAllDrawsEveryRowAndTheDiagonalOnlyInTheXYPlane)
{
    for (auto [mode, plots] : {std::pair {0, 32}, {1, 31}}) {
        SetCtrlVal(panel, P_CALCMODE, mode);
        poll = 1;
        Fire(CBF_ButtonApplyFromAll);
        int n = -1;
        GetNumGraphPlots(panel, P_GRAPHDATA1, &n);
        EXPECT_EQ(n, plots) << "calcmode " << mode;
        EXPECT_EQ(poll, 0); // a running loop ends
        EXPECT_EQ(IntAttr(panel, P_GRAPHDATA1, ATTR_ZPLANE_POSITION), 0);
        EXPECT_EQ(IntAttr(panel, P_GRAPHDATA2, ATTR_ZPLANE_POSITION), 100);
    }
}

TEST_F(Teach, ZoomGraphCursorIsClampedAndClicksEndTheLoop)
{
    SetGraphCursor(panel, P_GRAPHDATA2, 1, 70000.0, -5.0); // the limits are CursorCoordinate's unit test
    Fire(CBF_GraphData2, EVENT_VAL_CHANGED);
    EXPECT_EQ(std::make_pair(IntVal(panel, P_DISPX), IntVal(panel, P_DISPY)), std::make_pair(65535, 0));
    ZoomGraphToFront();
    poll = 1;
    Fire(CBF_GraphData2, EVENT_LEFT_CLICK);
    EXPECT_EQ(poll, 0);
    EXPECT_EQ(IntAttr(panel, P_GRAPHDATA2, ATTR_ZPLANE_POSITION), 0); // stays in front
    poll = 1;
    Fire(CBF_GraphData2, EVENT_RIGHT_CLICK);
    EXPECT_EQ(poll, 0);
    EXPECT_EQ(IntAttr(panel, P_GRAPHDATA2, ATTR_ZPLANE_POSITION), 100);
}

TEST_F(Teach, CaptureUndoAndHandEditsKeepMeansAndDeltasCurrent)
{
    SetFrame(10, 20, 30, 100, 0, 500);
    Fire(CBF_ButtonTpCapture);
    SetFrame(11, 21, 31, 101, 3, 510);
    Fire(CBF_ButtonTpCapture);
    SetFrame(12, 22, 32, 103, 4, 490);
    Fire(CBF_ButtonTpCapture);
    EXPECT_EQ(IntVal(teachpanel, TEACHP_DISPTPCOUNTER), 3);
    EXPECT_EQ(GridRow(TEACHP_GRIDTPMEAN, 1), (std::vector<int> {11, 21, 31, 101, 2, 500}));
    // Distances from (101, 2): sqrt 5 -> 2, 1, sqrt 8 -> 2; intensity 10.
    EXPECT_EQ(std::make_pair(IntVal(teachpanel, TEACHP_DISPTPMAXDELTAXY), IntVal(teachpanel, TEACHP_DISPTPMAXDELTAINT)),
              std::make_pair(2, 10));

    // A hand edit recomputes at once.
    SetTableCellVal(teachpanel, TEACHP_GRIDTPVALUES, MakePoint(4, 3), 400);
    Fire(CBF_GridTpValues, EVENT_VAL_CHANGED, 3, 4);
    EXPECT_EQ(IntCell(teachpanel, TEACHP_GRIDTPMEAN, 4, 1), 200);
    EXPECT_EQ(IntVal(teachpanel, TEACHP_DISPTPMAXDELTAXY), 200);

    Fire(CBF_ButtonTpUndo);
    EXPECT_EQ(IntVal(teachpanel, TEACHP_DISPTPCOUNTER), 2);
    EXPECT_EQ(GridRow(TEACHP_GRIDTPVALUES, 3), std::vector<int>(6, 0));
    EXPECT_EQ(IntCell(teachpanel, TEACHP_GRIDTPMEAN, 4, 1), 100);

    // The 101st capture replaces frame 100; undo after 12 frames activates row 6.
    for (int i = 0; i < 99; ++i) {
        SetFrame(0, 0, 0, 200 + i, 0, 0);
        Fire(CBF_ButtonTpCapture);
    }
    EXPECT_EQ(IntVal(teachpanel, TEACHP_DISPTPCOUNTER), 100);
    EXPECT_EQ(IntCell(teachpanel, TEACHP_GRIDTPVALUES, 4, 100), 298);
    Fire(CBF_ButtonTpResetTable);
    EXPECT_EQ(IntVal(teachpanel, TEACHP_DISPTPCOUNTER), 0);
    EXPECT_EQ(GridRow(TEACHP_GRIDTPVALUES, 100), std::vector<int>(6, 0));
    EXPECT_EQ(GridRow(TEACHP_GRIDTPMEAN, 1), std::vector<int>(6, 0));
    for (int i = 0; i < 12; ++i)
        Fire(CBF_ButtonTpCapture);
    Fire(CBF_ButtonTpUndo);
    Point active {0, 0};
    GetActiveTableCell(teachpanel, TEACHP_GRIDTPVALUES, &active);
    EXPECT_EQ(std::make_pair(active.x, active.y), std::make_pair(1, 6));
    // Undo with no frame leaves the counter at 0.
    Fire(CBF_ButtonTpResetTable);
    Fire(CBF_ButtonTpUndo);
    EXPECT_EQ(IntVal(teachpanel, TEACHP_DISPTPCOUNTER), 0);
}

// The rings' choice is a unit test (ChosenTolerance) and TEACH TO TABLE runs
// end to end; here the panel's dimming.
TEST_F(Teach, EvaluationMode2DimsTheCtoChoice)
{
    SetCtrlVal(panel, P_EVALMODE, 2);
    InitTeachPanel();
    EXPECT_EQ(IntAttr(teachpanel, TEACHP_EDITTPTEACHCTOWITH, ATTR_DIMMED), 1);
    EXPECT_EQ(IntAttr(teachpanel, TEACHP_EDITTPVALUECTO, ATTR_DIMMED), 1);
    EXPECT_EQ(IntAttr(teachpanel, TEACHP_EDITTPVALUEITO, ATTR_DIMMED), 0);
    SetCtrlVal(panel, P_EVALMODE, 0);
    InitTeachPanel();
    EXPECT_EQ(IntAttr(teachpanel, TEACHP_EDITTPTEACHCTOWITH, ATTR_DIMMED), 0);
}

TEST_F(Teach, GroupsWarnOnceForDirectOutputs)
{
    auto edit = [](int row, int value) {
        SetTableCellVal(grouppanel, PGROUP_EDITGRIDGROUPS, MakePoint(1, row), value);
        return Popups([row] { Fire(CBF_EditGridGroups, EVENT_VAL_CHANGED, row, 1); });
    };
    // BINARY: no message even for 30.
    outmode = 1;
    EXPECT_EQ(edit(31, 30), "");
    // Direct: 5 gives the message and stays; 4 gives none.
    outmode = 0;
    EXPECT_NE(edit(2, 5).find(kGroupsPopup), std::string::npos);
    EXPECT_EQ(IntCell(grouppanel, PGROUP_EDITGRIDGROUPS, 1, 2), 5);
    EXPECT_EQ(edit(3, 4), "");

    // Switching groups on with a direct mode checks every row once.
    SetCtrlVal(grouppanel, PGROUP_EDITCOLORGROUPS, 1);
    const std::string once = Popups([] { Fire(CBF_EditColorGroups); });
    EXPECT_EQ(once.find(kGroupsPopup), once.rfind(kGroupsPopup));
    EXPECT_NE(once.find(kGroupsPopup), std::string::npos);
    EXPECT_EQ(IntAttr(panel, P_DISPGROUP, ATTR_VISIBLE), 1);
    outmode = 1;
    EXPECT_EQ(Popups([] { Fire(CBF_EditColorGroups); }), "");
    // Off: the display hides without a check.
    outmode = 0;
    SetCtrlVal(grouppanel, PGROUP_EDITCOLORGROUPS, 0);
    EXPECT_EQ(Popups([] { Fire(CBF_EditColorGroups); }), "");
    EXPECT_EQ(IntAttr(panel, P_DISPGROUP, ATTR_VISIBLE), 0);

    // RESET: all 0, no message; the groups travel through GetPanelValues.
    EXPECT_EQ(Popups([] { Fire(CBF_ButtonResetGroupTable); }), "");
    for (int row = 1; row <= 31; ++row)
        EXPECT_EQ(IntCell(grouppanel, PGROUP_EDITGRIDGROUPS, 1, row), 0);
    edit(9, 17);
    GetPanelValues();
    EXPECT_EQ(groupbuf[8], 17);
}

} // namespace
