// Program module of QuillonV20: entry, panel loading and shut-down, and the
// main panel's close callback.
#include "QuillonV20Program.h"

#include "QuillonV20Ids.h" // generated from QuillonV20.uir: panel and control identifiers

#include <iterator>

int mainpanel = 0;

namespace {

constexpr const char *kPanelFile = "QuillonV20.uir";

// Load order; the first entry is the main panel.
const RtPanelSlot kPanels[] = {
    {&mainpanel, MAINP},
};

} // namespace

int WinMain(int argc, char **argv)
{
    if (const int rc = InitRuntime(argc, argv); rc != 0)
        return rc;
    RegisterQuillonV20Callbacks();
    if (LoadPanelSet(kPanelFile, kPanels, static_cast<int>(std::size(kPanels))) < 0)
        return -1;

    DisplayPanel(mainpanel);

    RunUserInterface();

    DiscardPanelSet(kPanels, static_cast<int>(std::size(kPanels)));
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
