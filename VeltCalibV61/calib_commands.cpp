// Sensor commands of the calibration program: the calibration parameter set,
// the factors, the live data loop, the default parameter store with its
// EEPROM echo, the 100-frame capture and the factor check. The live loop,
// the store and the capture's frames are the shared jobs (jobs/), run with
// this program's reply time-out and the differences it has.
#include "calib.h"

#include "VeltCalibV61Ids.h"
#include "VeltCalibV61Program.h"
#include "calibcalc.h"
#include "frames.h"
#include "link.h"
#include "packet.h"
#include "params.h"
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

// The default set's write: every row is tried even after a failed one (the
// first failure pops up, see ShowTimeoutPopup), and the store's reply is
// decoded into pp, whose words the next telegrams carry.
constexpr ParamsOptions kStoreOptions = {
    .replyTimeout = kCalibExchangeTimeout, .everyRowAfterFailure = true, .storeReplyIntoPacket = true};
// The live loop asks for the next frame at once, servicing events in between.
constexpr LiveOptions kLiveOptions = {.replyTimeout = kCalibExchangeTimeout, .pauseMs = 0};

// Writes the telegram in szWriteBuf; true when all 36 bytes went out.
bool WriteGood() { return WriteTelegram() == kTelegramBytes; }

// A reply that came shows that the line is there again.
void LineAnswered() { timeoutShown = false; }

bool ExchangeFrame()
{
    const bool replied = Exchange(kTelegramBytes, kCalibExchangeTimeout);
    if (replied)
        LineAnswered();
    return replied;
}

// A frame that came: the displays follow it.
void ShowFrame()
{
    LineAnswered();
    CopyRawDatatoVars();
    SetPanelData();
}

// The default set's write as this program shows its failures: a time-out
// (the store unanswered included) as the time-out pop-up, a store answered
// with a wrong echo in a pop-up of its own.
struct StoreDisplay : ParamsObserver {
    void TimedOut() override { ShowTimeoutPopup(); }
    void StoreNotConfirmed() override
    {
        if (bytesToRead != 0)
            ShowTimeoutPopup();
        else
            MessagePopup("ATTENTION!", InfoStoreFailed);
    }
};

// The live loop's frames go to the displays; Stop, closing the panel, Get CF
// and the capture end it by clearing poll.
struct LiveDisplay : LiveObserver {
    void Frame() override { ShowFrame(); }
    void Failure(JobResult, const std::string &) override
    {
        ShowTimeoutPopup();
        poll = 0;
    }
    bool Cancelled() override { return poll != 1; }
};

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

void CopyRawDatatoVars()
{
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
    LiveDisplay display;
    RunLive(display, kLiveOptions);
}

void SendPara()
{
    SetDefaultParaVars();
    CopyVarsToPP();
    // Orders 1 and 2 × 31 back to back, then the store (order 6): its
    // exchange first waits until the rows have left the line, then drops
    // stale input, so no row is thrown away. A reply that is not the store's
    // echo pops up: the EEPROM holds no confirmed parameter set.
    StoreDisplay display;
    comecho = SendParameterSet(ParaMemory::Eeprom, display, kStoreOptions) == JobResult::Ok ? 1 : 0;
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
        if (!FetchDataFrame(ORDER_GET_DATA, kCalibExchangeTimeout)) {
            SetCalcButtonColor(kColorLightGrey);
            SetStatusText("TIMEOUT");
            MessagePopup("ATTENTION!", "CALIBRATION FAILED!");
            return;
        }
        ShowFrame();
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
