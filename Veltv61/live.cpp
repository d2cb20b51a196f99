// Panel values and live displays: the parameter controls and the two tables
// to and from the variables, and one measured frame into the displays, the
// colour bars, the measured-colour patch, the output LEDs and the histories.
#include "live.h"

#include "Veltv61Ids.h"
#include "Veltv61Program.h"
#include "arrays.h"
#include "modes.h"

using namespace com232;

uint16_t source = 0;
double rawbuf[300];
double intbuf[300];
int rgbcolor = 0;

namespace {

constexpr int kHistory = 300;

uint16_t ReadU16(int panelHandle, int control)
{
    int v = 0;
    GetCtrlVal(panelHandle, control, &v);
    return static_cast<uint16_t>(v);
}

uint16_t ReadCell(int panelHandle, int control, int column, int row)
{
    int v = 0;
    GetTableCellVal(panelHandle, control, MakePoint(column, row), &v);
    return static_cast<uint16_t>(v);
}

// The parameter controls of the main panel, in packet order.
struct ParaCtrl {
    uint16_t *var;
    int control;
};
const ParaCtrl kParaCtrls[] = {
    {&power, P_SLIDEPOWER},      {&pmode, P_EDITPMODE},     {&average, P_EDITAVERAGE},   {&evalmode, P_EVALMODE},
    {&hold, P_EDITHOLD},         {&intlim, P_EDITINTLIM},   {&maxcolno, P_EDITMAXCOLNO}, {&outmode, P_EDITOUTMODE},
    {&trigger, P_EDITTRIGGER},   {&exteach, P_EDITEXTEACH}, {&calcmode, P_CALCMODE},     {&dynwinlo, P_EDITDYNWINLO},
    {&dynwinhi, P_EDITDYNWINHI},
};

// One history buffer: shift by one frame and append three values.
void PushFrame(double *buf, double a, double b, double c)
{
    Shift(buf, kHistory, -3, buf);
    buf[kHistory - 3] = a;
    buf[kHistory - 2] = b;
    buf[kHistory - 1] = c;
}

} // namespace

void GetPanelValues()
{
    for (const ParaCtrl &p : kParaCtrls)
        *p.var = ReadU16(panel, p.control);
    colorgroup = ReadU16(grouppanel, PGROUP_EDITCOLORGROUPS);
    for (int row = 1; row <= kRows; ++row) {
        groupbuf[row - 1] = ReadCell(grouppanel, PGROUP_EDITGRIDGROUPS, 1, row);
        for (int c = 1; c <= 5; ++c)
            ctt[row - 1][c - 1] = ReadCell(panel, P_COLORTEACHTABLE, c, row);
    }
}

void SetPanelValues()
{
    for (const ParaCtrl &p : kParaCtrls)
        SetCtrlVal(panel, p.control, static_cast<int>(*p.var));
    SetCtrlVal(grouppanel, PGROUP_EDITCOLORGROUPS, static_cast<int>(colorgroup));
    for (int row = 1; row <= kRows; ++row) {
        SetTableCellVal(grouppanel, PGROUP_EDITGRIDGROUPS, MakePoint(1, row), static_cast<int>(groupbuf[row - 1]));
        for (int c = 1; c <= 5; ++c)
            SetTableCellVal(panel, P_COLORTEACHTABLE, MakePoint(c, row), static_cast<int>(ctt[row - 1][c - 1]));
    }
}

void SetPanelData()
{
    // 1. Numbers, bars and displays, unscaled.
    SetCtrlVal(panel, P_DISPRED, static_cast<int>(dataR));
    SetCtrlVal(panel, P_DISPGREEN, static_cast<int>(dataG));
    SetCtrlVal(panel, P_DISPBLUE, static_cast<int>(dataB));
    SetCtrlVal(panel, P_DISPR, static_cast<int>(dataR));
    SetCtrlVal(panel, P_DISPG, static_cast<int>(dataG));
    SetCtrlVal(panel, P_DISPB, static_cast<int>(dataB));
    SetCtrlVal(panel, P_DISPX, static_cast<int>(dataX));
    SetCtrlVal(panel, P_DISPY, static_cast<int>(dataY));
    SetCtrlVal(panel, P_DISPINT, static_cast<int>(dataINT));
    SetCtrlVal(panel, P_DISPTEMP, static_cast<int>(dataTemp));
    SetCtrlVal(panel, P_DISPGROUP, static_cast<int>(dataGroup));
    SetCtrlVal(panel, P_DISPCOL, static_cast<int>(dataCOL));

    // 2. The measured colour.
    rgbcolor = ColourFromRaw(dataR, dataG, dataB);
    SetCtrlVal(panel, P_COLORPATCH, rgbcolor);

    // 3. The colour number on the output LEDs, only in evaluation mode 3.
    if (evalmode == 3) {
        const unsigned bits = LedBits(dataCOL);
        const int leds[] = {P_LEDOUT0, P_LEDOUT1, P_LEDOUT2, P_LEDOUT3, P_LEDOUT4};
        for (int k = 0; k < 5; ++k)
            SetCtrlVal(panel, leds[k], static_cast<int>((bits >> k) & 1u));
    }

    // 4. Row number and signal.
    int rowNo = 0;
    GetCtrlVal(panel, P_EDITNO, &rowNo);
    source = ReadU16(panel, P_SELECTSOURCE);

    // 5. The intensity band of the row, shown with the INT chart.
    Band band {0, 0};
    if (source == 2 && rowNo >= 0 && rowNo < kRows) {
        int intensity = 0, tolerance = 0;
        GetTableCellVal(panel, P_COLORTEACHTABLE, MakePoint(4, rowNo + 1), &intensity);
        GetTableCellVal(panel, P_COLORTEACHTABLE, MakePoint(5, rowNo + 1), &tolerance);
        band = IntensityBand(intensity, tolerance);
    }

    // 6., 7. The histories.
    PushFrame(rawbuf, dataR, dataG, dataB);
    PushFrame(intbuf, dataINT, band.upper, band.lower);
}

// ---- display callbacks: right-click help only -------------------------------------

namespace {

const char InfoDispX[] = " Displays the red content of the color currently arriving at the receiver.";
const char InfoDispY[] = " Displays the green content of the color currently arriving at the receiver. ";
const char InfoDispINT[] = " Displays the intensity of the color currently arriving at the receiver. ";
const char InfoDispRAW[] = " Displays the current color intensity of RED,GREEN and BLUE. ";
const char InfoDispCOL[] =
    " Displays the currently detected color number in accordance with the row \n in the COLOR TEACH TABLE.";
const char InfoDispGroup[] = " Displays the currently detected color group.";
const char InfoDispBars[] = " Displays the RAW values of RED, GREEN and BLUE.";
const char InfoDispTemp[] = " Displays in \xB0"
                            "C the actual temperature in the sensor.";
const char InfoGraph[] = " Displays a signal selected with SOURCE.";

} // namespace

int CBF_DispX(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDispX);
    return 0;
}
int CBF_DispY(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDispY);
    return 0;
}
int CBF_DispINT(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDispINT);
    return 0;
}
int CBF_DispRGB(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDispRAW);
    return 0;
}
int CBF_DispCOL(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDispCOL);
    return 0;
}
int CBF_DispGroup(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDispGroup);
    return 0;
}
int CBF_DispRED(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDispBars);
    return 0;
}
int CBF_DispGREEN(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDispBars);
    return 0;
}
int CBF_DispBLUE(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDispBars);
    return 0;
}
int CBF_DispTemp(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDispTemp);
    return 0;
}
int CBF_GraphRGB(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoGraph);
    return 0;
}
int CBF_GraphData1(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoGraph);
    return 0;
}
