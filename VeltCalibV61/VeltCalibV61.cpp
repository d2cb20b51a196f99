// Program module of VeltCalibV61: entry, panel loading and shut-down, and the
// main panel's close callback.
#include "VeltCalibV61Program.h"

#include "VeltCalibV61Ids.h" // generated from VeltCalibV61.uir: panel and control identifiers
#include "link.h"
#include "logo.h"
#include "telegram.h"
#include "rt_file.h"

#include <iterator>

std::uint16_t runflags::poll = 0;
bool runflags::closing = false;

int panel = 0;
int interfacepanel = 0;

char proj_dir[260];

namespace {

constexpr const char *kPanelFile = "VeltCalibV61.uir";

// Load order; the first entry is the main panel.
const RtPanelSlot kPanels[] = {
    {&panel, P},
    {&interfacepanel, INTERFACEP},
};

// The link as this program uses it.
LinkSettings LinkSettingsOfProgram()
{
    LinkSettings settings;
    settings.stopLoopsOnOpen = [] { poll = 0; };
    settings.stopLoopsOnConnectPanel = [] { poll = 0; };
    settings.showLinkOnMainPanel = true;
    settings.serviceEventsInTcpRead = false;
    settings.statusHelp = " Displays serial interface status messages.";
    return settings;
}

// A panel file without the controls the link needs is refused like one
// without its panels.
int checkLinkControls() { return InitLink(LinkSettingsOfProgram(), LinkPanels {panel, interfacepanel}); }

} // namespace

// Start-up: the link's globals, the program directory and the brand logo,
// then the link connects with the interface panel's settings.
void InitVars()
{
    InitTelegramGlobals();
    GetProjectDir(proj_dir);
    LogoSettings logo = MakeLogoSettings(panel, "VELTRA-CALIB-Scope V6.1");
    logo.entry5InStyle4 = true;
    SetLogoSettings(logo);
    ShowLogo(5);
    StartLink(LinkSettingsOfProgram(), LinkPanels {panel, interfacepanel}, proj_dir);
}

int WinMain(int argc, char **argv)
{
    const RtProgramFrame frame = {
        kPanelFile, kPanels, static_cast<int>(std::size(kPanels)), RegisterVeltCalibV61Callbacks, checkLinkControls,
        InitVars,   EndLink};
    return RunProgramFrame(frame, argc, argv);
}

// Closing the main panel ends the live data loop and then the program.
int CBF_P(int /*panelHandle*/, int event, void * /*callbackData*/, int /*eventData1*/, int /*eventData2*/)
{
    if (event == EVENT_CLOSE) {
        poll = 0;
        runflags::closing = true;
        QuitUserInterface(0);
    }
    return 0;
}
