// The frame every program runs in, from main to the end of the run-time:
// what the four programs' main and WinMain share.
#include "rt_ui.h"

#include "cmdline.h"

int RunProgramFrame(const RtProgramFrame &frame, int argc, char **argv)
{
    if (const int rc = InitRuntime(argc, argv); rc != 0)
        return rc;
    if (frame.registerCallbacks)
        frame.registerCallbacks();
    if (LoadPanelSet(frame.panelFile, frame.panels, frame.panelCount) < 0)
        return -1;
    if (frame.checkPanels && frame.checkPanels() < 0) {
        DiscardPanelSet(frame.panels, frame.panelCount);
        return -1;
    }

    DisplayPanel(*frame.panels[0].handle);
    if (frame.start)
        frame.start();

    RunUserInterface();

    if (frame.end)
        frame.end();
    DiscardPanelSet(frame.panels, frame.panelCount);
    return 0;
}

int ProgramMain(const ProgramInfo &info, int argc, char **argv, int (*winMain)(int argc, char **argv))
{
    if (const int rc = HandleCommandLine(info, argc, argv); rc != kCommandLineRun)
        return rc;
    return CloseRuntime(winMain(argc, argv));
}
