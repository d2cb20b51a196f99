// Program module of VeltTempCompV61: entry, start-up, panel loading and
// shut-down, and the main panel's close callback.
#include "VeltTempCompV61Program.h"

#include "VeltTempCompV61Ids.h" // generated from VeltTempCompV61.uir: panel and control identifiers
#include "charts.h"
#include "link.h"
#include "logo.h"
#include "telegram.h"
#include "rt_file.h"

#include <iterator>

int panel = 0;
int interfacepanel = 0;

char proj_dir[260];

namespace {

constexpr const char *kPanelFile = "VeltTempCompV61.uir";

// Load order; the first entry is the main panel.
const RtPanelSlot kPanels[] = {
    {&panel, P},
    {&interfacepanel, INTERFACEP},
};

// The link as this program uses it.
LinkSettings LinkSettingsOfProgram()
{
    LinkSettings settings;
    settings.showLinkOnMainPanel = false;
    settings.serviceEventsInTcpRead = false;
    return settings;
}

// A panel file without the controls the link needs is refused like one
// without its panels.
int checkLinkControls() { return InitLink(LinkSettingsOfProgram(), LinkPanels {panel, interfacepanel}); }

} // namespace

// Start-up: the link's globals, the program directory, the fixed cube-root
// table and the brand logo, then the link connects with the interface
// panel's settings. The cube-root table never changes, so it is there from
// the start: a read-back without an upload in this run compares against it.
void InitVars()
{
    InitTelegramGlobals();
    Calc3rdRoot();
    GetProjectDir(proj_dir);
    SetLogoSettings(MakeLogoSettings(panel, "VELTRA-TEMPCOMP-Scope V6.1"));
    ShowLogo(0);
    StartLink(LinkSettingsOfProgram(), LinkPanels {panel, interfacepanel}, proj_dir);
}

int WinMain(int argc, char **argv)
{
    const RtProgramFrame frame = {
        kPanelFile, kPanels, static_cast<int>(std::size(kPanels)), RegisterVeltTempCompV61Callbacks, checkLinkControls,
        InitVars,   EndLink};
    return RunProgramFrame(frame, argc, argv);
}

// Closing the main panel ends the program.
int CBF_P(int /*panelHandle*/, int event, void * /*callbackData*/, int /*eventData1*/, int /*eventData2*/)
{
    if (event == EVENT_CLOSE) {
        QuitUserInterface(0);
    }
    return 0;
}
