// Sensor commands of the calibration program: the calibration parameter set,
// the factors, the live data loop, the default parameter store with its
// EEPROM echo, the 100-frame capture and the factor check.
#include "calib.h"

#include "VeltCalibV61Ids.h"
#include "VeltCalibV61Program.h"
#include "calibcalc.h"
#include "link.h"
#include "packet.h"
#include "rt_ui.h"
#include "telegram.h"

using namespace com232;

uint16_t cfrot = kCfUnity, cfgruen = kCfUnity, cfblau = kCfUnity;
uint16_t setvalue, maxdelta;
uint16_t dataRawR, dataRawG, dataRawB, deltaraw, deltacalib;
uint16_t meanR, meanG, meanB, meanD;
uint16_t comecho;

namespace {

const char *const InfoTimeoutVer =
    " ATTENTION! \n \n TIMEOUT \n NO SERIAL CONNECTION TO SENSOR. \n The version of the sensor is displayed as the "
    "name of this dialog box.";
const char *const InfoConfirmCalc = " Are you sure, that you have selected \n the right calibration parameters? ";
const char *const InfoCalcDeclined =
    "Please insert the right values and press                            \n CALCULATE CALIBRATION FACTORS again.";
const char *const InfoMaxDelta =
    " The maximum delta of the raw data of RED,GREEN and BLUE is to high. \n Calibration is not possible. \n Verify, "
    "that the sensor shines on a WHITE target! \n Increase MAXIMUM DELTA OF RAW DATAS! ";
const char *const InfoOutOfRange =
    " One of the calibration factor is out of range. \n Calibration is not possible. \n Verify, that the senor "
    "shines on a WHITE target! \n Choose a proper POWER value. ";
const char *const InfoPassed =
    " Calibration successful! \n Calibration factors will be sent to the EEPROM of the sensor. \n GO mode will be "
    "activated. \n Press STOP and FINISH CALIBRATION to leave calibration scope. ";
const char *const InfoStoreFailed =
    " The default parameter set could not be stored in the EEPROM of the sensor: \n the sensor did not confirm the "
    "store. \n Calibration is NOT finished. Check the connection and press FINISH CALIBRATION again. ";

// The six buttons that start an exchange; Stop is never dimmed.
const int kCommandButtons[] = {P_BUTTONSENDPOWER, P_BUTTONSENDCF, P_BUTTONGETCF,
                               P_BUTTONGO,        P_BUTTONCALCCF, P_BUTTONFINISHCALIB};

// Set once the time-out pop-up has been shown in the running command and no
// reply has come since: the line is lost, and the later steps that fail for
// the same reason say so only in the status display.
bool timeoutShown = false;

// Writes the telegram in szWriteBuf; true when all 36 bytes went out.
bool WriteGood() { return WriteTelegram() == kTelegramBytes; }

// A reply that came shows that the line is there again.
bool ExchangeFrame()
{
    const bool replied = Exchange(kTelegramBytes, kCalibExchangeTimeout);
    if (replied)
        timeoutShown = false;
    return replied;
}

void SetFactorControls()
{
    SetCtrlVal(panel, P_EDITCFR, static_cast<int>(cfrot));
    SetCtrlVal(panel, P_EDITCFG, static_cast<int>(cfgruen));
    SetCtrlVal(panel, P_EDITCFB, static_cast<int>(cfblau));
}

uint16_t ReadU16(int control)
{
    int v = 0;
    GetCtrlVal(panel, control, &v);
    return static_cast<uint16_t>(v);
}

void SetCalcButtonColor(int color) { SetCtrlAttribute(panel, P_BUTTONCALCCF, ATTR_CMD_BUTTON_COLOR, color); }

} // namespace

void ResetCalibVars()
{
    cfrot = cfgruen = cfblau = kCfUnity;
    setvalue = maxdelta = 0;
    dataRawR = dataRawG = dataRawB = deltaraw = deltacalib = 0;
    meanR = meanG = meanB = meanD = 0;
    comecho = 0;
}

void SetButtonsDimmed(int dimmed)
{
    for (int c : kCommandButtons)
        SetCtrlAttribute(panel, c, ATTR_DIMMED, dimmed);
}

void BeginCommand() { timeoutShown = false; }

void ShowTimeoutPopup()
{
    SetStatusText("TIMEOUT");
    if (timeoutShown)
        return;
    timeoutShown = true;
    MessagePopup(version, InfoTimeoutVer);
}

void CopyCalibDatatoVars()
{
    CopyDatatoVars();
    dataRawR = databuf[9];
    dataRawG = databuf[10];
    dataRawB = databuf[11];
}

void SetPanelData()
{
    deltaraw = Spread(dataRawR, dataRawG, dataRawB);
    deltacalib = Spread(dataR, dataG, dataB);
    const struct {
        int display, bar;
        uint16_t value;
    } shown[] = {
        {P_DISPRAWR, P_DISPBARSRAWR, dataRawR}, {P_DISPRAWG, P_DISPBARSRAWG, dataRawG},
        {P_DISPRAWB, P_DISPBARSRAWB, dataRawB}, {P_DISPR, P_DISPBARSR, dataR},
        {P_DISPG, P_DISPBARSG, dataG},          {P_DISPB, P_DISPBARSB, dataB},
    };
    for (const auto &s : shown) {
        SetCtrlVal(panel, s.display, static_cast<int>(s.value));
        SetCtrlVal(panel, s.bar, static_cast<double>(s.value));
    }
    SetCtrlVal(panel, P_DISPDELTARAW, static_cast<int>(deltaraw));
    SetCtrlVal(panel, P_DISPDELTACALIB, static_cast<int>(deltacalib));
}

void SendCalibPara()
{
    power = ReadU16(P_EDITPOWER);
    FillCalibParaSet(pp, power);
    order = ORDER_SET_PARA;
    FillTxBuf(ORDER_SET_PARA, 0);
    FlushLink();
    if (!WriteGood())
        ShowTimeoutPopup();
}

void SendCF()
{
    cfrot = ReadU16(P_EDITCFR);
    cfgruen = ReadU16(P_EDITCFG);
    cfblau = ReadU16(P_EDITCFB);
    order = ORDER_SET_CALIB_CF;
    FillTxBufCF(szWriteBuf, cfrot, cfgruen, cfblau);
    FlushLink();
    if (!WriteGood())
        ShowTimeoutPopup();
}

void GetCF()
{
    poll = 0;
    order = ORDER_GET_CALIB_CF;
    FillTxBuf(ORDER_GET_CALIB_CF, 0);
    if (!ExchangeFrame()) {
        ShowTimeoutPopup();
        return;
    }
    GetRxBufPara();
    cfrot = pp[2];
    cfgruen = pp[3];
    cfblau = pp[4];
    SetFactorControls();
}

void GetData()
{
    // A program that is closing starts no new loop.
    if (runflags::closing)
        return;
    poll = 1;
    while (poll == 1) {
        order = ORDER_GET_DATA;
        FillTxBuf(ORDER_GET_DATA, 0);
        if (!ExchangeFrame()) {
            ShowTimeoutPopup();
            poll = 0;
        } else {
            GetRxBufData();
            CopyCalibDatatoVars();
            SetPanelData();
        }
        ProcessSystemEvents();
    }
}

void Befehl6plus8()
{
    FillTxBuf(order, 0);
    if (!ExchangeFrame()) {
        ShowTimeoutPopup();
        comecho = 0;
        return;
    }
    GetRxBufPara();
    comecho = (pp[0] == 0x55 && pp[1] == order) ? 1 : 0;
}

void SendPara()
{
    SetDefaultParaVars();
    CopyVarsToPP();
    order = ORDER_SET_PARA;
    FillTxBuf(ORDER_SET_PARA, 0);
    FlushLink();
    if (!WriteGood()) {
        ShowTimeoutPopup();
        comecho = 0;
    }
    if (comecho == 1) {
        // The 31 rows go out back to back; every row is tried even after a
        // failed one (the first failure pops up, see ShowTimeoutPopup).
        order = ORDER_SET_ROW;
        for (unsigned r = 0; r < kRows; ++r) {
            FillTxBuf(ORDER_SET_ROW, r);
            if (!WriteGood()) {
                ShowTimeoutPopup();
                comecho = 0;
            }
        }
    }
    if (comecho == 1) {
        // The exchange first waits until the rows have left the line, then
        // drops stale input: no row is thrown away.
        order = ORDER_SAVE_EEPROM;
        Befehl6plus8();
        if (comecho == 0 && bytesToRead == 0) {
            // A reply came, but not the echo of the store: the EEPROM holds
            // no confirmed parameter set, which the user must know.
            MessagePopup("ATTENTION!", InfoStoreFailed);
        }
    }
}

void CalcCF()
{
    poll = 0;
    FlushLink();
    if (!ConfirmPopup("CONFIRM CALCULATION!", InfoConfirmCalc)) {
        MessagePopup("INFO!", InfoCalcDeclined);
        return;
    }
    CaptureSums sums;
    for (int i = 0; i < kCaptureFrames; ++i) {
        if (const int color = CaptureBlinkColor(i); color >= 0)
            SetCalcButtonColor(color);
        order = ORDER_GET_DATA;
        FillTxBuf(ORDER_GET_DATA, 0);
        if (!ExchangeFrame()) {
            SetCalcButtonColor(kColorLightGrey);
            SetStatusText("TIMEOUT");
            MessagePopup("ATTENTION!", "CALIBRATION FAILED!");
            return;
        }
        GetRxBufData();
        CopyCalibDatatoVars();
        SetPanelData();
        sums.Add(dataRawR, dataRawG, dataRawB, deltaraw);
        ProcessSystemEvents();
        // Closing the program ends the capture; nothing is computed.
        if (runflags::closing) {
            SetCalcButtonColor(kColorLightGrey);
            return;
        }
    }
    meanR = CaptureSums::Mean(sums.r);
    meanG = CaptureSums::Mean(sums.g);
    meanB = CaptureSums::Mean(sums.b);
    meanD = CaptureSums::Mean(sums.d);
    SetCF();
}

void SetCF()
{
    setvalue = ReadU16(P_EDITSETVALUE);
    maxdelta = ReadU16(P_EDITMAXDELTA);
    const CfResult res = ComputeCalibFactors(setvalue, maxdelta, meanR, meanG, meanB, meanD);
    switch (res.check) {
    case CfCheck::DeltaTooHigh: MessagePopup("ATTENTION!", InfoMaxDelta); return;
    case CfCheck::OutOfRange: MessagePopup("ATTENTION!", InfoOutOfRange); return;
    case CfCheck::Passed: break;
    }
    cfrot = res.cf[0];
    cfgruen = res.cf[1];
    cfblau = res.cf[2];
    SetFactorControls();
    MessagePopup("CALIBRATION PASSED!", InfoPassed);
}
