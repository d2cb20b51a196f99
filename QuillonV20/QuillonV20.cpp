// Program module of QuillonV20: entry, start-up, shut-down, the status
// window, the progress display and the dimming of the operation buttons.
#include "QuillonV20Program.h"

#include "QuillonV20Ids.h" // generated from QuillonV20.uir: panel and control identifiers
#include "loaderdata.h"
#include "rt_file.h"
#include "telegram.h"
#include "transport.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <iterator>

using namespace com232;

int mainpanel = 0;

namespace quillon {

char proj_dir[260];

namespace {

constexpr const char *kPanelFile = "QuillonV20.uir";
const char *const kGreeting = "It is STRONGLY recommended to UPDATE the FIRMWARE according to the MANUAL!\n\n";

const char *const InfoButtonClearWindow = "Clear status window.";
const char *const InfoStatus = "Displays status of firmware update.";
const char *const InfoEditConnect = "Select a serial COM-PORT.";

// The panel's view of a loader job.
struct Panel : LoaderObserver {
    double step = 0, progress = 0;
    bool armed = false;
    void Status(const char *text) override { AppendStatus(text); }
    void BootText(const std::string &text) override { AppendStatus(text.c_str()); }
    void Progress(long done, long, const char *) override
    {
        progress = done == 0 ? 0 : progress + step;
        SetProgress(progress);
    }
    void FirmwareProgress(long lines, long totalLines, long, long) override
    {
        SetProgress(lines == 0 ? 0.0 : std::max(1.0, 1000.0 * static_cast<double>(lines) / std::max(totalLines, 1L)));
    }
    void ServeEvents() override { ProcessSystemEvents(); }
    void Armed() override
    {
        armed = true;
        run::disarm = 1;
    }
    bool Cancelled() override { return armed && run::disarm == 0; }
} g_panel;

// Load order; the first entry is the main panel.
const RtPanelSlot kPanels[] = {
    {&mainpanel, MAINP},
};

} // namespace

void ResetLoaderGlobals()
{
    InitLoaderJobs();
    filereadOK = 0;
    run::disarm = 0;
    srec_file_name[0] = '\0';
    file_name[0] = '\0';
}

LoaderObserver &PanelObserver(double step)
{
    g_panel.step = step;
    g_panel.progress = 0;
    g_panel.armed = false;
    return g_panel;
}

void AppendStatus(const char *text)
{
    if (mainpanel)
        SetCtrlVal(mainpanel, MAINP_DISPSTATUS, text);
}

void SetProgress(double value)
{
    if (mainpanel)
        SetCtrlVal(mainpanel, MAINP_DISPPROGRESS, value);
}

void SetButtonsDimmed(int dimmed)
{
    for (int c : {MAINP_BUTTONTRYTOCONNECT, MAINP_BUTTONREADEEPROM, MAINP_BUTTONSAVEEEPROM, MAINP_BUTTONREADFW,
                  MAINP_BUTTONARMPL})
        SetCtrlAttribute(mainpanel, c, ATTR_DIMMED, dimmed);
    ProcessSystemEvents();
}

void InitAll()
{
    ResetLoaderGlobals();
    if (GetProjectDir(proj_dir) == 0)
        SetDir(proj_dir);
    AppendStatus(kGreeting);
    TryToConnect();
}

} // namespace quillon

using namespace quillon;

int WinMain(int argc, char **argv)
{
    const RtProgramFrame frame = {
        kPanelFile, kPanels,       static_cast<int>(std::size(kPanels)), RegisterQuillonV20Callbacks, nullptr,
        InitAll,    CloseTransport};
    return RunProgramFrame(frame, argc, argv);
}

// Closing the panel ends the program.
int CBF_MAINP(int /*panelHandle*/, int event, void * /*callbackData*/, int /*eventData1*/, int /*eventData2*/)
{
    if (event == EVENT_CLOSE) {
        // A running firmware update ends at its next pass.
        run::disarm = 0;
        QuitUserInterface(0);
    }
    return 0;
}

int CBF_ButtonClearWindow(int panel, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonClearWindow))
        return 0;
    if (event == EVENT_COMMIT) {
        ResetTextBox(panel, MAINP_DISPSTATUS, "");
        AppendStatus(kGreeting);
    }
    return 0;
}

int CBF_DispStatus(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoStatus);
    return 0;
}

// The value is read by TryToConnect.
int CBF_EditSelectComPort(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoEditConnect);
    return 0;
}
