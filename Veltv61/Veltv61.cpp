// Program module of Veltv61: entry, panel loading and shut-down, and the
// main panel's close callback.
#include "Veltv61Program.h"

#include "Veltv61.h" // generated from Veltv61.uir: panel and control identifiers
#include "link.h"
#include "telegram.h"
#include "rt_file.h"

#include <iterator>

std::uint16_t poll = 0;
std::uint16_t pollrecord = 0;

int panel = 0;
int recpanel = 0;
int srcpanel = 0;
int graphpanel = 0;
int teachpanel = 0;
int interfacepanel = 0;
int grouppanel = 0;

char proj_dir[260];

namespace {

constexpr const char *kPanelFile = "Veltv61.uir";

struct PanelSlot {
    int *handle;
    int resourceId;
};

// Load order; the first entry is the main panel.
const PanelSlot kPanels[] = {
    {&panel, P},           {&recpanel, RECP},   {&srcpanel, SRCP},   {&graphpanel, GRAPHP},
    {&teachpanel, TEACHP}, {&interfacepanel, INTERFACEP}, {&grouppanel, PGROUP},
};

void DiscardPanels()
{
    for (const PanelSlot &slot : kPanels) {
        if (*slot.handle > 0)
            DiscardPanel(*slot.handle);
        *slot.handle = 0;
    }
}

// Loads every panel in order. At the first failure the panels already loaded
// are discarded again and false is returned.
bool LoadPanels()
{
    for (const PanelSlot &slot : kPanels) {
        const int handle = LoadPanel(0, kPanelFile, slot.resourceId);
        if (handle < 0) {
            DiscardPanels();
            return false;
        }
        *slot.handle = handle;
    }
    return true;
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
    settings.showLinkOnMainPanel = true;
    settings.serviceEventsInTcpRead = true;
    return settings;
}

} // namespace

// Start-up: the link's globals and the program directory, then the link
// connects with the interface panel's settings.
void InitVars()
{
    InitTelegramGlobals();
    GetProjectDir(proj_dir);
    StartLink(LinkSettingsOfProgram(), LinkPanels{panel, interfacepanel}, proj_dir);
}

int WinMain(int argc, char **argv)
{
    if (const int rc = InitRuntime(argc, argv); rc != 0)
        return rc;
    RegisterVeltv61Callbacks();
    if (!LoadPanels())
        return -1;

    DisplayPanel(panel);
    InitVars();

    RunUserInterface();

    CloseLink();
    DiscardPanels();
    return 0;
}

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
