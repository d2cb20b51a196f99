// Recorder: the record panel's two modes (timed recording at an interval and
// count; polling with manual records), the record file and its choice, the
// counters and the recording-time displays.
#include "recorder.h"

#include "Veltv61Ids.h"
#include "Veltv61Program.h"
#include "commands.h"
#include "frames.h"
#include "graph_panel.h"
#include "link.h"
#include "packet.h"
#include "record_format.h"
#include "rt_file.h"
#include "rt_ui.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace com232;

uint16_t zeitint = 1;
uint16_t anzwerte = 0;
uint16_t otcrec = 0;

namespace {

const char *const InfoButtonOpenRecorder = " Open recorder to record data frames. ";
const char *const InfoButtonCloseRecorder = " Close recorder and return to scope. ";
const char *const InfoButtonSelRecFile = " Select a record file for data save. ";
const char *const InfoDisRecFile = " Shows the path of the record file. ";
const char *const InfoButtonStartRecord =
    " Start record. \n Record R,G,B,X,Y,INT, TEMP \n respectively R,G,B,s,i,M,TEMP.";
const char *const InfoButtonStopRecord = " Stop data record.";
const char *const InfoButtonStartPolling =
    " Starts data transfer (R,G,B,X,Y,INT,TEMP respectively \n R,G,B,s,i,M,TEMP from sensor to PC. \n The data are "
    "shown in the displays, color bars and in the graph. ";
const char *const InfoButtonStopPolling = " Stops data transfer from sensor to PC. ";
const char *const InfoButtonManualRecord = " Record one frame manually \n and append to existing file. ";
const char *const InfoEditSelDataRec = " Select how to record data frame. ";
const char *const InfoEditInterval = " Choose a even interval for recording. \n Minimum interval is 1 second. ";
const char *const InfoEditRecVal = " Choose how many Data should be recorded. ";
const char *const InfoDispRecordTime = " Displays the time for recording \n when all VALUES will be recorded.";
const char *const InfoDispRecordedValues = " Displays how many values are already recorded.";
const char *const InfoDispRemaining = " Displays how many values remain to be recorded.";

const char *const kNotOpenedWarning =
    " Make sure, that the file is not opened by any other program.                                    \n Otherwise "
    "it can not be saved.";

constexpr int kIdleColour = 0xE0E0E0;
constexpr int kRecordingColour = 0xFF0000;
constexpr int kPollPauseMs = 50;
constexpr int kWaitPauseMs = 50;

int RecordMode()
{
    int mode = 0;
    GetCtrlVal(recpanel, RECP_EDITSELECTDATAREC, &mode);
    return mode;
}

// file_name from line 0 of the path text box (empty when the box is).
void ReadRecordFileName()
{
    if (GetTextBoxLine(recpanel, RECP_DISPRECFILE, 0, file_name, sizeof file_name) < 0)
        file_name[0] = '\0';
}

// "ATTENTION!" naming the record file and what could not be done with it.
void ReportFileFailure(int result, const char *what)
{
    if (result == kFileNotRegular) {
        ShowNotRegularFilePopup(file_name);
        return;
    }
    char text[400];
    std::snprintf(text, sizeof text, " The record file could not be %s: \n %s ", what, file_name);
    MessagePopup("ATTENTION!", text);
}

// Appends bytes in one write; the file keeps only whole lines when it fails.
bool AppendRecord(const std::string &bytes)
{
    const int result = AppendToFile(file_name, bytes.data(), static_cast<int>(bytes.size()));
    if (result == 0)
        return true;
    ReportFileFailure(result, "written");
    return false;
}

// Asks for one data frame (order 19); false on a time-out, which is shown.
bool FetchFrame()
{
    if (FetchDataFrame(ORDER_GET_RECDATA))
        return true;
    ShowTimeoutPopup();
    return false;
}

void ShowCounters()
{
    SetCtrlVal(recpanel, RECP_DISPRECORDEDVALUES, static_cast<int>(otcrec));
    SetCtrlVal(recpanel, RECP_DISPREMAINING, static_cast<int>(anzwerte) - static_cast<int>(otcrec));
}

// The inputs and Start record operable (idle) or shown only (recording).
void SetRecordingControls(bool recording)
{
    const int mode = recording ? VAL_INDICATOR : VAL_HOT;
    SetCtrlAttribute(recpanel, RECP_EDITINTERVAL, ATTR_CTRL_MODE, mode);
    SetCtrlAttribute(recpanel, RECP_EDITRECVAL, ATTR_CTRL_MODE, mode);
    SetCtrlAttribute(recpanel, RECP_BUTTONSTARTRECORD, ATTR_CTRL_MODE, mode);
    SetCtrlAttribute(recpanel, RECP_BUTTONSTARTRECORD, ATTR_CMD_BUTTON_COLOR,
                     recording ? kRecordingColour : kIdleColour);
}

} // namespace

void ChangePanel()
{
    pollrecord = 0;
    HidePanel(recpanel);
    DisplayPanel(panel);
}

void InitRecordPanel()
{
    const int mode = RecordMode();
    if (mode != 0 && mode != 1)
        return;
    const bool timed = mode == 0;
    const int timedCtrls[] = {RECP_EDITINTERVAL,          RECP_EDITRECVAL,          RECP_RECORDTIMEBOX,
                              RECP_DISPRECORDTIMEDAYS,    RECP_DISPRECORDTIMEHOURS, RECP_DISPRECORDTIMEMINUTES,
                              RECP_DISPRECORDTIMESECONDS, RECP_DISPREMAINING,       RECP_BUTTONSTARTRECORD,
                              RECP_BUTTONSTOPRECORD};
    const int manualCtrls[] = {RECP_BUTTONSTARTPOLLING, RECP_BUTTONSTOPPOLLING, RECP_BUTTONMANUALRECORD};
    for (int c : timedCtrls)
        SetCtrlAttribute(recpanel, c, ATTR_VISIBLE, timed ? 1 : 0);
    for (int c : manualCtrls)
        SetCtrlAttribute(recpanel, c, ATTR_VISIBLE, timed ? 0 : 1);
}

void CalcRecTime()
{
    GetCtrlVal(recpanel, RECP_EDITINTERVAL, &zeitint);
    GetCtrlVal(recpanel, RECP_EDITRECVAL, &anzwerte);
    SetCtrlVal(recpanel, RECP_DISPRECORDEDVALUES, 0);
    SetCtrlVal(recpanel, RECP_DISPREMAINING, static_cast<int>(anzwerte));
    const RecordTime t = SplitRecordTime(zeitint, anzwerte);
    SetCtrlVal(recpanel, RECP_DISPRECORDTIMEDAYS, static_cast<int>(t.days));
    SetCtrlVal(recpanel, RECP_DISPRECORDTIMEHOURS, t.hours);
    SetCtrlVal(recpanel, RECP_DISPRECORDTIMEMINUTES, t.minutes);
    SetCtrlVal(recpanel, RECP_DISPRECORDTIMESECONDS, t.seconds);
}

// A chosen existing file is emptied by deleting it; every chosen file then
// starts with the header. The path text box shows the new file only when
// both succeeded: otherwise the earlier choice stays in force, and no
// recording appends to old data or to a file without its header.
void SelRecFile()
{
    char chosen[sizeof file_name];
    const int result =
        FileSelectPopup(proj_dir, "record.dat", "*.dat", "FILENAME!", VAL_SAVE_BUTTON, 0, 1, 1, 1, chosen);
    if (result < 1) {
        MessagePopup("ATTENTION!", "No filename was choosen! \nRecording will not be done! ");
        return;
    }
    if (result == VAL_EXISTING_FILE_SELECTED) {
        if (!ConfirmPopup("ATTENTION!", "File already exist! \nDo you want to select existing file?"))
            return;
        MessagePopup("ATTENTION!", kNotOpenedWarning);
    }
    std::memcpy(file_name, chosen, sizeof file_name);
    if (result == VAL_EXISTING_FILE_SELECTED) {
        if (const int deleted = DeleteFile(file_name); deleted < 0) {
            ReportFileFailure(deleted, "deleted");
            return;
        }
    }
    if (!WriteFileHeader())
        return;
    ResetTextBox(recpanel, RECP_DISPRECFILE, file_name);
}

bool WriteFileHeader() { return AppendRecord(RecordHeader()); }

void Record()
{
    ReadRecordFileName();
    if (!ConfirmPopup("ATTENTION!", "Are you sure, that you have selected the right file name?"))
        return;
    MessagePopup("ATTENTION!", kNotOpenedWarning);
    SetRecordingControls(true);
    // A recording that wrote no line, or whose file could not be written, is
    // not "saved": the time-out pop-up or the file's failure message has said
    // what went wrong.
    if (RecordFrame())
        MessagePopup("INFO!", "File has been saved!");
    SetRecordingControls(false);
}

// A pass whose frame does not come writes nothing and ends the recording;
// a pass whose line cannot be written ends it too. Stop, a mode change or
// closing during the wait end the loop after that pass's line. True when
// the file got at least one line and every line of the recording.
bool RecordFrame()
{
    pollrecord = 1;
    otcrec = 0;
    CalcRecTime();
    bool wroteLine = false;
    while (pollrecord == 1) {
        if (!FetchFrame()) {
            pollrecord = 0;
            break;
        }
        SetRecordData();
        SetPanelGraphData();
        SlowDown();
        if (!ToFile()) {
            pollrecord = 0;
            return false;
        }
        wroteLine = true;
        ++otcrec;
        ShowCounters();
        if (otcrec == anzwerte)
            pollrecord = 0;
    }
    return wroteLine;
}

// The interval wait: a short pause without user input, then events are
// served until the interval has passed or the recording was stopped. The
// wait keeps its own clock: an exchange that a callback runs meanwhile
// measures its time-out with the link's.
void SlowDown()
{
    const double start = Timer();
    double elapsed = 0;
    SleepNoInput(kWaitPauseMs);
    while (static_cast<double>(zeitint) > elapsed) {
        elapsed = Timer() - start;
        ProcessSystemEvents();
        if (pollrecord == 0)
            return;
    }
}

bool ToFile()
{
    const uint16_t values[kRecordValues] = {dataR, dataG, dataB, dataX, dataY, dataINT, dataTemp};
    return AppendRecord(RecordLine(DateStr(), TimeStr(), values));
}

void RecordPolling()
{
    pollrecord = 1;
    while (pollrecord == 1) {
        if (FetchFrame())
            SetRecordData();
        else
            pollrecord = 0;
        Sleep(kPollPauseMs);
    }
}

// Appends the frame held: the one most recently fetched anywhere in the
// program. A frame that could not be written is neither counted nor plotted.
void RecordManually()
{
    ReadRecordFileName();
    if (!ToFile())
        return;
    SetPanelGraphData();
    ++otcrec;
    SetCtrlVal(recpanel, RECP_DISPRECORDEDVALUES, static_cast<int>(otcrec));
}

void StopRecord() { pollrecord = 0; }

void SetRecordData()
{
    const struct {
        int display;
        int bar;
        uint16_t value;
    } values[] = {
        {RECP_DISPR, RECP_BARR, dataR}, {RECP_DISPG, RECP_BARG, dataG}, {RECP_DISPB, RECP_BARB, dataB},
        {RECP_DISPX, 0, dataX},         {RECP_DISPY, 0, dataY},         {RECP_DISPINT, 0, dataINT},
        {RECP_DISPTEMP, 0, dataTemp},
    };
    for (const auto &v : values) {
        SetCtrlVal(recpanel, v.display, static_cast<int>(v.value));
        if (v.bar)
            SetCtrlVal(recpanel, v.bar, static_cast<int>(v.value));
    }
}

// ---- callbacks ------------------------------------------------------------------------

int CBF_RECP(int, int event, void *, int, int)
{
    if (event == EVENT_CLOSE)
        ChangePanel();
    return 0;
}

int CBF_ButtonOpenRecorder(int panelHandle, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonOpenRecorder))
        return 0;
    if (event == EVENT_COMMIT) {
        poll = 0;
        HidePanel(panelHandle);
        DisplayPanel(recpanel);
        InitRecordPanel();
        if (RecordMode() == 0)
            CalcRecTime();
    }
    return 0;
}

int CBF_ButtonCloseRecorder(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonCloseRecorder))
        return 0;
    if (event == EVENT_COMMIT)
        ChangePanel();
    return 0;
}

int CBF_ButtonSelRecFile(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonSelRecFile))
        return 0;
    if (event == EVENT_COMMIT)
        SelRecFile();
    return 0;
}

int CBF_ButtonStartRecord(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonStartRecord))
        return 0;
    if (event == EVENT_COMMIT) {
        SetCtrlAttribute(recpanel, RECP_EDITSELECTDATAREC, ATTR_DIMMED, 1);
        SetCtrlAttribute(recpanel, RECP_BUTTONSTARTRECORD, ATTR_DIMMED, 1);
        InitPanelGraph();
        Record();
        SetCtrlAttribute(recpanel, RECP_EDITSELECTDATAREC, ATTR_DIMMED, 0);
        SetCtrlAttribute(recpanel, RECP_BUTTONSTARTRECORD, ATTR_DIMMED, 0);
    }
    return 0;
}

int CBF_ButtonStopRecord(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonStopRecord))
        return 0;
    if (event == EVENT_COMMIT)
        StopRecord();
    return 0;
}

int CBF_ButtonStartPolling(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonStartPolling))
        return 0;
    if (event == EVENT_COMMIT) {
        SetCtrlAttribute(recpanel, RECP_BUTTONSTARTPOLLING, ATTR_DIMMED, 1);
        SetCtrlAttribute(recpanel, RECP_EDITSELECTDATAREC, ATTR_DIMMED, 1);
        RecordPolling();
        SetCtrlAttribute(recpanel, RECP_BUTTONSTARTPOLLING, ATTR_DIMMED, 0);
        SetCtrlAttribute(recpanel, RECP_EDITSELECTDATAREC, ATTR_DIMMED, 0);
    }
    return 0;
}

int CBF_ButtonStopPolling(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonStopPolling))
        return 0;
    if (event == EVENT_COMMIT)
        StopRecord();
    return 0;
}

int CBF_ButtonManualRecord(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonManualRecord))
        return 0;
    if (event == EVENT_COMMIT)
        RecordManually();
    return 0;
}

int CBF_EditSelectDataRec(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoEditSelDataRec))
        return 0;
    if (event == EVENT_COMMIT) {
        pollrecord = 0;
        const int mode = RecordMode();
        if (mode == 1) {
            SetCtrlVal(recpanel, RECP_DISPRECORDEDVALUES, 0);
            otcrec = 0;
        } else if (mode == 0) {
            CalcRecTime();
        }
        InitPanelGraph();
        InitRecordPanel();
    }
    return 0;
}

int CBF_EditInterval(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoEditInterval))
        return 0;
    if (event == EVENT_COMMIT)
        CalcRecTime();
    return 0;
}

int CBF_EditRecVal(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoEditRecVal))
        return 0;
    if (event == EVENT_COMMIT)
        CalcRecTime();
    return 0;
}

int CBF_DispRecFile(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDisRecFile);
    return 0;
}

int CBF_DispRecordTime(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDispRecordTime);
    return 0;
}

int CBF_DispRecordedValues(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDispRecordedValues);
    return 0;
}

int CBF_DispRemaining(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, InfoDispRemaining);
    return 0;
}
