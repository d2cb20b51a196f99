// Main panel callbacks of the calibration program and their help texts.
// Every commit that talks to the sensor runs with the command buttons dimmed;
// Stop stays usable so that it can end the live loop.
#include "calib.h"

#include "VeltCalibV61Ids.h"
#include "VeltCalibV61Program.h"
#include "calibcalc.h"
#include "link.h"
#include "rt_ui.h"

namespace {

const char *const InfoButtonSendPower = " Send POWER value to sensor.";
const char *const InfoButtonSendCF =
    " Calibration factors for RED,GREEN and BLUE will be send to the EEPROM of the sensor.";
const char *const InfoButtonGetCF = " Calibration factors for RED,GREEN and BLUE will be read from the sensor.";
const char *const InfoButtonGo = " Starts data transfer of RAW DATAS and CALIBRATED DATAS from sensor to PC. \n The "
                                 "data are shown in the displays and in the color bars.";
const char *const InfoButtonStop = " Stops data transfer from sensor to PC.";
const char *const InfoButtonCalcCF = " Calculate the calibration factors for RED, GREEN and BLUE. ";
const char *const InfoButtonFinishCalib =
    " Finish calibration. \n ATTENTION! \n Default parameters will be send to the EEPROM of the sensor. \n "
    "Calibration factors for RED,GREEN and BLUE will be send to the EEPROM of the sensor. ";
const char *const InfoEditPower =
    " EDIT BOX POWER: \n Select the intensity of the transmitter LED. \n 0 = no intensity,  1000 = full intensity.";
const char *const InfoEditCF = " Edit Box for the calibration factor. ";
const char *const InfoEditSetValue = " If PMOD=STAT. \n Choose the setvalue for RED,GREEN and BLUE. ";
const char *const InfoEditMaxDelta = " Choose the maximum DELTA value of RED,GREEN and BLUE. ";
const char *const InfoDispBarsRAW = " Displays the RAW values of RED, GREEN and BLUE.";
const char *const InfoDispBars =
    " Displays the calibrated values of RED, GREEN and BLUE. \n Formula: CALIBRATED DATA = (RAW DATA * CF) / 1000 ";
const char *const InfoSendPowerConfirm =
    " Make sure, that the sensor shines on a WHITE target! \n Select a proper POWER value that the RAW DATAS are "
    "within the dynamic range.  \n Repeat as long as the intensity for the RAW DATAS is NOT OK.";

} // namespace

void FinishCalib()
{
    SetCtrlAttribute(panel, P_BUTTONFINISHCALIB, ATTR_CMD_BUTTON_COLOR, kColorRed);
    comecho = 1;
    BeginCommand();
    SetButtonsDimmed(1);
    MessagePopup("INFO!", InfoButtonFinishCalib);
    SendPara();
    // The steps after the store run whatever its outcome.
    SleepNoInput(kStepPauseMs);
    SendCF();
    SleepNoInput(kStepPauseMs);
    GetCF();
    TryToConnect();
    SetCtrlAttribute(panel, P_BUTTONFINISHCALIB, ATTR_CMD_BUTTON_COLOR, kColorLightGrey);
    SetButtonsDimmed(0);
}

int CBF_ButtonSendPower(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonSendPower))
        return 0;
    if (event == EVENT_COMMIT) {
        BeginCommand();
        SetButtonsDimmed(1);
        if (ConfirmPopup("SEND POWER", InfoSendPowerConfirm))
            SendCalibPara();
        SleepNoInput(kStepPauseMs);
        GetCF();
        GetData();
        SetButtonsDimmed(0);
    }
    return 0;
}

int CBF_ButtonSendCF(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonSendCF))
        return 0;
    if (event == EVENT_COMMIT) {
        BeginCommand();
        SetButtonsDimmed(1);
        SendCF();
        SetButtonsDimmed(0);
    }
    return 0;
}

int CBF_ButtonGetCF(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonGetCF))
        return 0;
    if (event == EVENT_COMMIT) {
        BeginCommand();
        SetButtonsDimmed(1);
        GetCF();
        SetButtonsDimmed(0);
    }
    return 0;
}

int CBF_ButtonGo(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonGo))
        return 0;
    if (event == EVENT_COMMIT) {
        BeginCommand();
        SetButtonsDimmed(1);
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

int CBF_ButtonCalcCF(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonCalcCF))
        return 0;
    if (event == EVENT_COMMIT) {
        BeginCommand();
        SetButtonsDimmed(1);
        CalcCF();
        // Whatever the capture gave: the factors shown go to the sensor and
        // the live loop shows their effect (not when the program is closing).
        if (!runflags::closing) {
            SendCF();
            SleepNoInput(kStepPauseMs);
            GetData();
        }
        SetButtonsDimmed(0);
    }
    return 0;
}

int CBF_ButtonFinishCalib(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonFinishCalib))
        return 0;
    if (event == EVENT_COMMIT)
        FinishCalib();
    return 0;
}

int CBF_EditPower(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoEditPower);
    return 0;
}

int CBF_EditCFR(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoEditCF);
    return 0;
}

int CBF_EditCFG(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoEditCF);
    return 0;
}

int CBF_EditCFB(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoEditCF);
    return 0;
}

int CBF_EditSetValue(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoEditSetValue);
    return 0;
}

int CBF_EditMaxDelta(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoEditMaxDelta);
    return 0;
}

int CBF_DispBarsRAW(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDispBarsRAW);
    return 0;
}

int CBF_DispBars(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDispBars);
    return 0;
}
