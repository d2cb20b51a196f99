// Program module of Veltv61: entry, panel loading, start-up and shut-down,
// the panel callbacks and the main panel's transfer commands.
#include "Veltv61Program.h"

#include "Veltv61.h" // generated from Veltv61.uir: panel and control identifiers
#include "gui.h"
#include "link.h"
#include "logo.h"
#include "rt_file.h"
#include "telegram.h"

#include <cstring>
#include <string>

#include <iterator>

using namespace com232;

namespace veltv61 {
std::uint16_t poll = 0;
std::uint16_t pollrecord = 0;
} // namespace veltv61

int panel = 0;
int recpanel = 0;
int srcpanel = 0;
int graphpanel = 0;
int teachpanel = 0;
int interfacepanel = 0;
int grouppanel = 0;

char proj_dir[260];
char colorArrayStartupFileName[260];
uint16_t xramp[4096], yramp[4096];

namespace {

constexpr const char *kPanelFile = "Veltv61.uir";
constexpr const char *kStartupPathFileName = "StartupPath.sup";
constexpr int kLogoIndex = 5;
constexpr int kDiagonalColour = 0xA0A0A0;
constexpr double kSendSettleSeconds = 0.5;

const char *const InfoButtonSend =
    " All the parameters of the PC-User-Interface are transferred to the sensor or to a selectable file. \n The "
    "target of the parameter transfer is determined by the select button (RAM, EEPROM, FILE). \n Shortcut Key: F9. ";
const char *const InfoButtonGet =
    " Sensor or file parameters are transferred to the PC-User-Interface. \n The source of the parameter transfer "
    "is determined by the select button (RAM, EEPROM, FILE). \n Shortcut Key: F10. ";
const char *const InfoButtonGo =
    " Starts data transfer (R,G,B,X,Y,INT,C-No:,TEMP respectively \n R,G,B,s,i,M,C-No:,TEMP from sensor to PC. \n "
    "The data are shown in the displays, color bars and in the graph.\n Shortcut Key: F11. ";
const char *const InfoButtonStop = " Stops data transfer from sensor to PC.\n Shortcut Key: F12. ";
const char *const InfoSelectTarget = " Select the source respectively the target for the parameter transfer.";
const char *const InfoParaVisible = " Hide or show COLOR TEACH TABLE.";
const char *const InfoSelectSource = " Select a signal to be displayed in the graph.";

// Load order; the first entry is the main panel.
const RtPanelSlot kPanels[] = {
    {&panel, P},           {&recpanel, RECP},   {&srcpanel, SRCP},   {&graphpanel, GRAPHP},
    {&teachpanel, TEACHP}, {&interfacepanel, INTERFACEP}, {&grouppanel, PGROUP},
};

// A successful line check reads the sensor's parameters into the panel.
void ReadParametersAfterLineCheck()
{
    SetButtonsDimmed(1);
    GetPara();
    SetButtonsDimmed(0);
}

// The link as this program uses it.
LinkSettings LinkSettingsOfProgram()
{
    LinkSettings settings;
    settings.stopLoopsOnOpen = [] {
        poll = 0;
        pollrecord = 0;
    };
    settings.stopLoopsOnConnectPanel = [] { poll = 0; };
    settings.afterLineCheck = ReadParametersAfterLineCheck;
    settings.showLinkOnMainPanel = true;
    settings.serviceEventsInTcpRead = true;
    return settings;
}

void Info(const char *text)
{
    MessagePopup("INFO!", text);
}

// Waits while servicing events, so that the sensor has taken a written
// parameter set before the next command can start.
void WaitServicingEvents(double seconds)
{
    tstart = Timer();
    while (Timer() - tstart < seconds)
        ProcessSystemEvents();
}

// The RAM, EEPROM and FILE buttons act as one radio group: the button
// switched on chooses its target and switches the others off; switching the
// lit button off falls back to RAM.
void SelectTarget(int control, uint16_t chosen)
{
    int on = 0;
    GetCtrlVal(panel, control, &on);
    if (!on) {
        target = RAM;
        SetCtrlVal(panel, P_SELECTRAM, 1);
        return;
    }
    target = chosen;
    const int buttons[] = {P_SELECTRAM, P_SELECTEEPROM, P_SELECTFILE};
    for (int b : buttons)
        if (b != control)
            SetCtrlVal(panel, b, 0);
}

} // namespace

// Start-up, in this order: globals, file names, the diagonal, the graphs'
// order, the parameter view, the brand logo, the panel's default values, the
// active table cell, then the link connects and reads the parameters.
void InitVars()
{
    InitTelegramGlobals();
    ResetLinkGlobals();
    order = ORDER_SET_PARA;
    target = RAM;
    poll = 0;
    pollrecord = 0;

    GetProjectDir(proj_dir);
    const std::string startupPath = std::string(proj_dir) + "/" + kStartupPathFileName;
    if (startupPath.size() < sizeof colorArrayStartupFileName)
        std::memcpy(colorArrayStartupFileName, startupPath.c_str(), startupPath.size() + 1);

    for (int i = 0; i < 4096; ++i) {
        xramp[i] = static_cast<uint16_t>(i);
        yramp[i] = static_cast<uint16_t>(4095 - i);
    }

    SetCtrlAttribute(panel, P_GRAPHDATA2, ATTR_ZPLANE_POSITION, 100);

    SetCtrlVal(panel, P_PARAVISIBLE, 1);
    ParaVis();
    DispVis(0);

    SetLogoSettings(MakeLogoSettings(panel, "VELTRA-Scope V6.1"));
    ShowLogo(kLogoIndex);

    GetPanelValues();
    SetActiveTableCell(panel, P_COLORTEACHTABLE, MakePoint(1, 1));

    StartLink(LinkSettingsOfProgram(), LinkPanels{panel, interfacepanel}, proj_dir);
}

int WinMain(int argc, char **argv)
{
    if (const int rc = InitRuntime(argc, argv); rc != 0)
        return rc;
    RegisterVeltv61Callbacks();
    if (LoadPanelSet(kPanelFile, kPanels, static_cast<int>(std::size(kPanels))) < 0)
        return -1;

    DisplayPanel(panel);
    InitVars();

    RunUserInterface();

    // A live loop that was running has ended with the close event.
    poll = 0;
    pollrecord = 0;
    CloseLink();
    DiscardPanelSet(kPanels, static_cast<int>(std::size(kPanels)));
    return 0;
}

// ---- panel callbacks ---------------------------------------------------------------

// Closing the main panel ends both kinds of loops and then the program.
int CBF_P(int /*panelHandle*/, int event, void * /*callbackData*/, int /*eventData1*/, int /*eventData2*/)
{
    if (event == EVENT_CLOSE) {
        poll = 0;
        pollrecord = 0;
        QuitUserInterface(0);
    }
    return 0;
}

// The side panels are hidden when closed; they stay loaded.
int CBF_GRAPHP(int panelHandle, int event, void *, int, int)
{
    if (event == EVENT_CLOSE)
        HidePanel(panelHandle);
    return 0;
}

int CBF_TEACHP(int panelHandle, int event, void *, int, int)
{
    if (event == EVENT_CLOSE)
        HidePanel(panelHandle);
    return 0;
}

int CBF_PGROUP(int panelHandle, int event, void *, int, int)
{
    if (event == EVENT_CLOSE)
        HidePanel(panelHandle);
    return 0;
}

// ---- main panel commands -----------------------------------------------------------

int CBF_ButtonSend(int, int, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK) {
        Info(InfoButtonSend);
    } else if (event == EVENT_COMMIT) {
        SetButtonsDimmed(1);
        if (target == DATFILE)
            SendParaToFile();
        else
            SendPara();
        WaitServicingEvents(kSendSettleSeconds);
        SetButtonsDimmed(0);
    }
    return 0;
}

int CBF_ButtonGet(int, int, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK) {
        Info(InfoButtonGet);
    } else if (event == EVENT_COMMIT) {
        SetButtonsDimmed(1);
        if (target == DATFILE)
            ReadParaFromFile();
        else
            GetPara();
        SetButtonsDimmed(0);
    }
    return 0;
}

int CBF_ButtonGo(int, int, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK) {
        Info(InfoButtonGo);
    } else if (event == EVENT_COMMIT) {
        SetButtonsDimmed(1);
        DeleteGraphPlot(panel, P_GRAPHDATA1, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
        int mode = 0;
        GetCtrlVal(panel, P_CALCMODE, &mode);
        calcmode = static_cast<uint16_t>(mode);
        if (calcmode == 0)
            PlotXY(panel, P_GRAPHDATA1, xramp, yramp, 4096, VAL_UNSIGNED_SHORT_INTEGER, VAL_UNSIGNED_SHORT_INTEGER,
                   VAL_THIN_LINE, VAL_NO_POINT, VAL_SOLID, 1, kDiagonalColour);
        SetCtrlAttribute(panel, P_GRAPHDATA2, ATTR_ZPLANE_POSITION, 100);
        SetCtrlAttribute(panel, P_GRAPHDATA1, ATTR_ZPLANE_POSITION, 0);
        GetData();
        SetButtonsDimmed(0);
    }
    return 0;
}

int CBF_ButtonStop(int, int, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        Info(InfoButtonStop);
    else if (event == EVENT_COMMIT)
        poll = 0;
    return 0;
}

int CBF_SelectRAM(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        Info(InfoSelectTarget);
    else if (event == EVENT_VAL_CHANGED)
        SelectTarget(control, RAM);
    return 0;
}

int CBF_SelectEEPROM(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        Info(InfoSelectTarget);
    else if (event == EVENT_VAL_CHANGED)
        SelectTarget(control, EEPROM);
    return 0;
}

int CBF_SelectFILE(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        Info(InfoSelectTarget);
    else if (event == EVENT_VAL_CHANGED)
        SelectTarget(control, DATFILE);
    return 0;
}

int CBF_ParaVisible(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK) {
        Info(InfoParaVisible);
    } else if (event == EVENT_COMMIT) {
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
    if (event == EVENT_RIGHT_CLICK)
        Info(InfoSelectSource);
    else if (event == EVENT_COMMIT)
        DispVis(1);
    return 0;
}
