// Program module of QuillonV20: entry, panel loading and shut-down, and the
// main panel's close callback.
#include "QuillonV20Program.h"

#include "QuillonV20.h" // generated from QuillonV20.uir: panel and control identifiers

int mainpanel = 0;

namespace {

constexpr const char *kPanelFile = "QuillonV20.uir";

struct PanelSlot {
    int *handle;
    int resourceId;
};

// Load order; the first entry is the main panel.
const PanelSlot kPanels[] = {
    {&mainpanel, MAINP},
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

} // namespace

int WinMain(int argc, char **argv)
{
    if (const int rc = InitRuntime(argc, argv); rc != 0)
        return rc;
    RegisterQuillonV20Callbacks();
    if (!LoadPanels())
        return -1;

    DisplayPanel(mainpanel);

    RunUserInterface();

    DiscardPanels();
    return 0;
}

// Closing the panel ends the program.
int CBF_MAINP(int /*panelHandle*/, int event, void * /*callbackData*/, int /*eventData1*/, int /*eventData2*/)
{
    if (event == EVENT_CLOSE) {
        QuitUserInterface(0);
    }
    return 0;
}
