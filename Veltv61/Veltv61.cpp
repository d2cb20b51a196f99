// Program module of Veltv61: entry, panel loading, start-up and shut-down,
// and the callbacks of the panels themselves.
#include "Veltv61Program.h"

#include "Veltv61Ids.h" // generated from Veltv61.uir: panel and control identifiers
#include "color_arrays.h"
#include "commands.h"
#include "live.h"
#include "modes.h"
#include "link.h"
#include "logo.h"
#include "rt_file.h"
#include "telegram.h"

#include <cstring>
#include <string>

#include <iterator>

using namespace com232;

namespace runflags {
std::uint16_t poll = 0;
std::uint16_t pollrecord = 0;
} // namespace runflags

int panel = 0;
int recpanel = 0;
int srcpanel = 0;
int graphpanel = 0;
int teachpanel = 0;
int interfacepanel = 0;
int grouppanel = 0;

char proj_dir[260];
char colorArrayStartupFileName[260];

namespace {

constexpr const char *kPanelFile = "Veltv61.uir";
constexpr const char *kStartupPathFileName = "StartupPath.sup";
constexpr int kLogoIndex = 5;

// Load order; the first entry is the main panel.
const RtPanelSlot kPanels[] = {
    {&panel, P},           {&recpanel, RECP},     {&srcpanel, SRCP},
    {&graphpanel, GRAPHP}, {&teachpanel, TEACHP}, {&interfacepanel, INTERFACEP},
    {&grouppanel, PGROUP},
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

// A panel file without the controls the link needs is refused like one
// without its panels.
int checkLinkControls() { return InitLink(LinkSettingsOfProgram(), LinkPanels {panel, interfacepanel}); }

// A live loop that was running has ended with the close event.
void endProgram()
{
    poll = 0;
    pollrecord = 0;
    EndLink();
}

} // namespace

// Start-up, in this order: globals, file names, the diagonal, the graphs'
// order, the parameter view, the brand logo, the panel's default values, the
// active table cell, the start-up colour array, then the link connects and reads the parameters.
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

    SetCtrlAttribute(panel, P_GRAPHDATA2, ATTR_ZPLANE_POSITION, 100);

    SetCtrlVal(panel, P_PARAVISIBLE, 1);
    ParaVis();
    DispVis(0);

    SetLogoSettings(MakeLogoSettings(panel, "VELTRA-Scope V6.1"));
    ShowLogo(kLogoIndex);

    GetPanelValues();
    SetActiveTableCell(panel, P_COLORTEACHTABLE, MakePoint(1, 1));
    // The row colours of the start-up colour array, when one is named.
    LoadStartupColorArray();

    StartLink(LinkSettingsOfProgram(), LinkPanels {panel, interfacepanel}, proj_dir);
}

int WinMain(int argc, char **argv)
{
    const RtProgramFrame frame = {
        kPanelFile, kPanels,   static_cast<int>(std::size(kPanels)), RegisterVeltv61Callbacks, checkLinkControls,
        InitVars,   endProgram};
    return RunProgramFrame(frame, argc, argv);
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
