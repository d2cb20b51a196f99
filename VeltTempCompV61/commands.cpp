#include "commands.h"

#include "VeltTempCompV61Ids.h" // generated from VeltTempCompV61.uir: panel and control identifiers
#include "VeltTempCompV61Program.h"
#include "charts.h"
#include "link.h"
#include "telegram.h"
#include "tempcomp_tables.h"
#include "tempcomp_upload.h"

#include "rt_ui.h"
namespace tempcomp {
bool jobRunning = false;
}

using namespace tempcomp;

namespace {

const char *const kTimeoutText =
    " ATTENTION! \n \n TIMEOUT \n NO SERIAL CONNECTION TO SENSOR.                           \n The version of the "
    "sensor is displayed as the name of this dialog box.";

constexpr int kSendCfIdleColor = 0xE0E0E0;
constexpr int kSendCfBusyColor = 0xFF0000;

// The upload and the read-back as the main panel shows them.
struct TempCompDisplay : TempCompObserver {
    // A failed write or an incomplete reply: reported once, the job ends.
    void TimedOut() override
    {
        SetStatusText("TIMEOUT");
        MessagePopup(com232::version, kTimeoutText);
    }
    // Close and reopen the link and check the line: the status display
    // shows the version text again, or TIMEOUT.
    void Reconnect() override { TryToConnect(); }
    // Every reply arrived: the line works, whatever an earlier line check
    // left in the status display, so it shows the sensor again.
    void LineWorks() override
    {
        if (com232::version[0] != '\0')
            SetStatusText(com232::version);
    }
    void Compared(bool) override { CheckSaving(); }
};

// Marks a job as running for its lifetime.
struct JobGuard {
    JobGuard() { jobRunning = true; }
    ~JobGuard() { jobRunning = false; }
    JobGuard(const JobGuard &) = delete;
    JobGuard &operator=(const JobGuard &) = delete;
};

int outcome(JobResult r) { return r == JobResult::Ok || r == JobResult::VerifyDiffers ? 0 : -1; }

} // namespace

int SendPara()
{
    JobGuard guard;
    CalcCurves();
    CalcCfCurves();
    Calc3rdRoot();
    TempCompDisplay display;
    return outcome(UploadCompensation(display));
}

int GetPara()
{
    JobGuard guard;
    TempCompDisplay display;
    return outcome(ReadBackCompensation(display));
}

void CheckSaving() { SetCtrlVal(panel, P_DISPRESULT, TablesMatch() ? "SUCCESS" : "FAILURE"); }

int CBF_ButtonSendCF(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT || jobRunning)
        return 0;
    SetCtrlVal(panel, P_DISPRESULT, "TRY TO SAVE");
    SetCtrlAttribute(panel, P_BUTTONSENDCF, ATTR_CMD_BUTTON_COLOR, kSendCfBusyColor);
    SendPara();
    SetCtrlAttribute(panel, P_BUTTONSENDCF, ATTR_CMD_BUTTON_COLOR, kSendCfIdleColor);
    return 0;
}

int CBF_ButtonGet(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT && !jobRunning)
        GetPara();
    return 0;
}
