// Main-panel commands: the sensor commands (parameter write and read, the
// live data loop), the parameter file, and the callbacks of Send, Get, Go,
// Stop and the RAM / EEPROM / FILE select buttons.
#include "commands.h"

#include "Veltv61Ids.h"
#include "Veltv61Program.h"
#include "frames.h"
#include "link.h"
#include "live.h"
#include "modes.h"
#include "params.h"
#include "params_file.h"
#include "rt_file.h"
#include "rt_ui.h"
#include "teach_table.h"

#include <cstdio>
#include <string>

using namespace com232;

uint16_t target = RAM;
uint16_t comecho = 0;
char file_name[260];

namespace {

const char *const InfoTimeoutVer =
    " ATTENTION! \n \n TIMEOUT \n NO CONNECTION TO SENSOR. \n The version of the sensor is displayed as the name of "
    "this dialog box.";

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
const char *const InfoStoreFailed =
    " The parameter set could not be stored in the EEPROM of the sensor: \n the sensor did not confirm the store. "
    "\n The EEPROM does NOT hold the parameters of the panel. Check the connection and press SEND again. ";
const char *const InfoLoadFailed =
    " The parameters could not be read from the EEPROM of the sensor: \n the sensor did not confirm the load. \n "
    "The panel still shows the parameters it had before. Check the connection and press GET again. ";

// The parameter file dialog (a save dialog for writing, an open dialog for
// reading); false when the user cancelled.
bool SelectParaFile(int buttonLabel)
{
    return FileSelectPopup(proj_dir, "init.dat", "*.dat", "init", buttonLabel, 0, 1, 1, 1, file_name) >= 1;
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

void ShowTimeoutPopup()
{
    SetStatusText("TIMEOUT");
    MessagePopup(version, InfoTimeoutVer);
}

namespace {

// The parameter jobs' failures as the main panel shows them.
struct ParamsDisplay : ParamsObserver {
    void TimedOut() override { ShowTimeoutPopup(); }
    void StoreNotConfirmed() override { MessagePopup("ATTENTION!", InfoStoreFailed); }
    void LoadNotConfirmed() override { MessagePopup("ATTENTION!", InfoLoadFailed); }
};

ParaMemory targetMemory() { return target == EEPROM ? ParaMemory::Eeprom : ParaMemory::Ram; }

// The live loop's frames go to the displays and the graph; Stop, closing
// the panel and the other commands end it by clearing poll.
struct LiveDisplay : LiveObserver {
    void Frame() override
    {
        SetPanelData();
        ShowGraph();
    }
    void Failure(JobResult, const std::string &) override
    {
        ShowTimeoutPopup();
        poll = 0;
    }
    bool Cancelled() override { return poll != 1; }
};

} // namespace

void SendPara()
{
    GetPanelValues();
    CopyVarsToPP();
    ParamsDisplay display;
    SendParameterSet(targetMemory(), display);
}

void GetPara()
{
    poll = 0;
    ParamsDisplay display;
    const JobResult r = ReadParameterSet(targetMemory(), display);
    comecho = r == JobResult::Ok ? 1 : 0;
    // After a failure the panel keeps showing the values it had.
    if (r != JobResult::Ok)
        return;
    SetPanelValues();
    InitPanelCtrlAttr();
}

void GetData()
{
    poll = 1;
    LiveDisplay display;
    RunLive(display);
}

void SendParaToFile()
{
    if (!SelectParaFile(VAL_SAVE_BUTTON))
        return;
    GetPanelValues();
    CopyVarsToPP();
    if (WriteParameterFile(file_name, pp) < 0) {
        char text[400];
        std::snprintf(text, sizeof text, " The parameters could not be written to \n %s \n The file is unchanged.",
                      file_name);
        MessagePopup("ATTENTION!", text);
    }
}

void ReadParaFromFile()
{
    if (!SelectParaFile(VAL_LOAD_BUTTON))
        return;
    // Only a complete packet reaches pp, the variables and the panel.
    if (!LoadParameterFile(file_name)) {
        char text[400];
        std::snprintf(text, sizeof text,
                      " The file \n %s \n is not a parameter file: it must hold %d numbers from 0 to 65535. \n "
                      "Nothing was changed.",
                      file_name, kParaWords);
        MessagePopup("ATTENTION!", text);
        return;
    }
    SetPanelValues();
    InitPanelCtrlAttr();
}

// ---- main panel command callbacks ------------------------------------------------

int CBF_ButtonSend(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonSend))
        return 0;
    if (event == EVENT_COMMIT) {
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
    if (HelpOnRightClick(event, InfoButtonGet))
        return 0;
    if (event == EVENT_COMMIT) {
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
    if (HelpOnRightClick(event, InfoButtonGo))
        return 0;
    if (event == EVENT_COMMIT) {
        SetButtonsDimmed(1);
        PrepareXYGraph();
        XYGraphToFront();
        GetData();
        SetButtonsDimmed(0);
    }
    return 0;
}

int CBF_ButtonStop(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonStop))
        return 0;
    if (event == EVENT_COMMIT)
        poll = 0;
    return 0;
}

namespace {

// The three select buttons: help on a right click, their target when switched.
int respondAsTargetButton(int control, int event, uint16_t chosen)
{
    if (!HelpOnRightClick(event, InfoSelectTarget) && event == EVENT_VAL_CHANGED)
        SelectTarget(control, chosen);
    return 0;
}

} // namespace

int CBF_SelectRAM(int, int control, int event, void *, int, int) { return respondAsTargetButton(control, event, RAM); }
int CBF_SelectEEPROM(int, int control, int event, void *, int, int)
{
    return respondAsTargetButton(control, event, EEPROM);
}
int CBF_SelectFILE(int, int control, int event, void *, int, int)
{
    return respondAsTargetButton(control, event, DATFILE);
}
