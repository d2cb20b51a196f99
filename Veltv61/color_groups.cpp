// Colour groups: the activation switch, the group table and its checks
// against the output mode, RESET and the group panel's callbacks. A direct
// output mode signals groups 0..4 on its outputs, BINARY groups 0..30; the
// program warns about groups the mode cannot carry but leaves them as they
// are. The table itself takes only 0..30 (its cell range).
#include "color_groups.h"

#include "Veltv61Ids.h"
#include "Veltv61Program.h"
#include "packet.h"

using namespace com232;

Point activCell = {1, 1};

namespace {

constexpr uint16_t kBinary = 1;    // OUTMODE BINARY
constexpr int kDirectMaxGroup = 4; // highest group a direct OUTMODE can signal
constexpr int kGroupRows = 31;

const char InfoButtonColorGroups[] = " Open panel to create color groups.";
const char InfoEditColorGroups[] = " Activate color groups.";
const char InfoButtonResetGroupTable[] = " Reset the GROUP TABLE. \n All cells are set to 0.";
const char InfoButtonClosePanel[] = " Close PANEL and return to MAIN PANEL. ";
const char InfoGroupsOutmode[] =
    " ATTENTION! \n If OUTMODE=DIRECT HI or DIRECT LO: \n 5 groups are possible! GROUP 0,1,2,3,4. \n If "
    "OUTMODE=BINARY: \n 31 groups are possible. GROUP 0,1,2.....30.";

int GroupCell(int row)
{
    int v = 0;
    GetTableCellVal(grouppanel, PGROUP_EDITGRIDGROUPS, MakePoint(1, row), &v);
    return v;
}

void ShowGroupsMessage() { MessagePopup("INFO!", InfoGroupsOutmode); }

} // namespace

void InitColorGroups()
{
    int on = 0;
    GetCtrlVal(grouppanel, PGROUP_EDITCOLORGROUPS, &on);
    colorgroup = static_cast<uint16_t>(on);
    if (colorgroup == 0) {
        SetCtrlAttribute(panel, P_DISPGROUP, ATTR_VISIBLE, 0);
    } else if (colorgroup == 1) {
        SetCtrlAttribute(panel, P_DISPGROUP, ATTR_VISIBLE, 1);
        if (outmode != kBinary)
            for (int row = 1; row <= kGroupRows; ++row)
                if (GroupCell(row) > kDirectMaxGroup) {
                    ShowGroupsMessage(); // once, however many rows offend
                    break;
                }
    }
}

// ---- callbacks ---------------------------------------------------------------------

int CBF_ButtonColorGroups(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonColorGroups))
        return 0;
    if (event == EVENT_COMMIT)
        DisplayPanel(grouppanel);
    return 0;
}

int CBF_EditColorGroups(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoEditColorGroups))
        return 0;
    if (event == EVENT_COMMIT)
        InitColorGroups();
    return 0;
}

// A value change names the edited cell (row, column). An entry outside
// 0..30 is no group: the table's cell range (panel resource) refuses it
// before it gets here, and the cell keeps its previous value.
int CBF_EditGridGroups(int, int, int event, void *, int eventData1, int eventData2)
{
    if (event != EVENT_VAL_CHANGED) {
        GetActiveTableCell(grouppanel, PGROUP_EDITGRIDGROUPS, &activCell);
        return 0;
    }
    const int row = eventData1, column = eventData2;
    if (row < 1 || row > kGroupRows || column != 1)
        return 0;
    const int value = GroupCell(row);
    groupbuf[row - 1] = static_cast<uint16_t>(value);
    if (outmode != kBinary && value > kDirectMaxGroup)
        ShowGroupsMessage();
    return 0;
}

int CBF_ButtonResetGroupTable(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonResetGroupTable))
        return 0;
    if (event == EVENT_COMMIT)
        for (int row = 1; row <= kGroupRows; ++row) {
            SetTableCellVal(grouppanel, PGROUP_EDITGRIDGROUPS, MakePoint(1, row), 0);
            groupbuf[row - 1] = 0;
        }
    return 0;
}

int CBF_ButtonGroupPanelClose(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonClosePanel))
        return 0;
    if (event == EVENT_COMMIT)
        HidePanel(grouppanel);
    return 0;
}

int CBF_PGROUP(int panelHandle, int event, void *, int, int)
{
    if (event == EVENT_CLOSE)
        HidePanel(panelHandle);
    return 0;
}
