// Main-panel commands: the sensor commands (parameter write and read, the
// live data loop), the parameter file, and the callbacks of Send, Get, Go,
// Stop and the RAM / EEPROM / FILE select buttons.
#include "commands.h"

#include "Veltv61Ids.h"
#include "Veltv61Program.h"
#include "link.h"
#include "live.h"
#include "modes.h"
#include "rt_file.h"
#include "rt_ui.h"
#include "teach_table.h"

#include <algorithm>
#include <cstdio>

using namespace com232;

uint16_t target = RAM;
uint16_t comecho = 0;
char file_name[260];

namespace {

const char *const InfoTimeoutVer =
    " ATTENTION! \n \n TIMEOUT \n NO CONNECTION TO SENSOR. \n The version of the sensor is displayed as the name of "
    "this dialog box.";

constexpr int kLivePauseMs = 50;
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

// Builds the telegram for order and arg and writes it; true when all 36 bytes went out.
bool SendTelegram(uint16_t o, unsigned arg)
{
    order = o;
    FillTxBuf(o, arg);
    return WriteTelegram() == kTelegramBytes;
}

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

void SendPara()
{
    GetPanelValues();
    CopyVarsToPP();
    FlushLink();
    if (!SendTelegram(ORDER_SET_PARA, 0)) {
        ShowTimeoutPopup();
        return;
    }
    // The 31 rows follow each other without a pause; the sensor answers none of them.
    for (unsigned r = 0; r < kRows; ++r) {
        if (!SendTelegram(ORDER_SET_ROW, r)) {
            ShowTimeoutPopup();
            return;
        }
    }
    if (target == EEPROM) {
        // The sensor confirms the store once its EEPROM is written. The
        // confirmation is read here, so that it is never taken for the
        // answer to the next command; without it (or with a wrong echo) the
        // EEPROM holds no confirmed parameter set, which the user must know.
        order = ORDER_SAVE_EEPROM;
        FillTxBuf(order, 0);
        const bool replied = Exchange(kTelegramBytes, kExchangeTimeout);
        if (nBytesW != kTelegramBytes)
            ShowTimeoutPopup();
        else if (!replied || GetWord(szReadBuf, 0) != sync || GetWord(szReadBuf, 2) != ORDER_SAVE_EEPROM)
            MessagePopup("ATTENTION!", InfoStoreFailed);
    }
}

void Befehl3plus4()
{
    GetDataFrame();
    if (bytesToRead != 0) {
        ShowTimeoutPopup();
        comecho = 0;
        return;
    }
    GetRxBufPara();
    CopyPPtoVars();
}

void Befehl6plus8()
{
    FillTxBuf(order, 0);
    GetDataFrame();
    if (bytesToRead != 0) {
        ShowTimeoutPopup();
        comecho = 0;
        return;
    }
    GetRxBufPara();
    // A wrong echo ends the read; the caller says so.
    comecho = (pp[0] == 0x55 && pp[1] == order) ? 1 : 0;
}

void GetPara()
{
    poll = 0;
    comecho = 1;
    if (target == EEPROM) {
        order = ORDER_LOAD_EEPROM;
        Befehl6plus8();
        // A reply with a wrong echo: the sensor did not load its EEPROM, so
        // what follows would not be the EEPROM's parameters.
        if (comecho != 1 && bytesToRead == 0)
            MessagePopup("ATTENTION!", InfoLoadFailed);
    }
    if (comecho != 1)
        return;
    order = ORDER_GET_PARA;
    FillTxBuf(order, 0);
    Befehl3plus4();
    if (comecho == 0)
        return;
    order = ORDER_GET_ROW;
    for (unsigned r = 0; r < kRows; ++r) {
        FillTxBuf(order, r);
        Befehl3plus4();
        if (comecho == 0)
            return; // the panel keeps showing the values it had
    }
    SetPanelValues();
    InitPanelCtrlAttr();
}

void GetData()
{
    poll = 1;
    while (poll == 1) {
        order = ORDER_GET_DATA;
        FillTxBuf(order, 0);
        GetDataFrame();
        if (bytesToRead != 0) {
            ShowTimeoutPopup();
            poll = 0;
        } else {
            GetRxBufData();
            CopyDatatoVars();
            SetPanelData();
            ShowGraph();
        }
        // The pause services events (Stop, close, repaints) while it lasts;
        // a separate ProcessSystemEvents before it could only add an idle wait.
        Sleep(kLivePauseMs);
    }
}

int WriteParameterFile(const char *path, const uint16_t packet[kParaWords])
{
    const int rc = ArrayToFile(path, packet, VAL_UNSIGNED_SHORT_INTEGER, kParaWords, 1, VAL_GROUPS_TOGETHER,
                               VAL_GROUPS_AS_COLUMNS, VAL_CONST_WIDTH, 10, VAL_ASCII, VAL_TRUNCATE);
    return rc < 0 ? rc : 0;
}

bool ReadParameterFile(const char *path, uint16_t packet[kParaWords])
{
    // Read into a scratch packet one word longer than a parameter file, so
    // that a file with too few or too many numbers is told apart from a good one.
    uint16_t scratch[kParaWords + 1];
    const int n = FileToArray(path, scratch, VAL_UNSIGNED_SHORT_INTEGER, kParaWords + 1, 1, VAL_GROUPS_TOGETHER,
                              VAL_GROUPS_AS_COLUMNS, VAL_ASCII);
    if (n != kParaWords)
        return false;
    std::copy_n(scratch, kParaWords, packet);
    return true;
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
    uint16_t packet[kParaWords];
    if (!ReadParameterFile(file_name, packet)) {
        char text[400];
        std::snprintf(text, sizeof text,
                      " The file \n %s \n is not a parameter file: it must hold %d numbers from 0 to 65535. \n "
                      "Nothing was changed.",
                      file_name, kParaWords);
        MessagePopup("ATTENTION!", text);
        return;
    }
    for (int i = 0; i < kParaWords; ++i)
        pp[i] = packet[i];
    CopyFileParatoVars();
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
