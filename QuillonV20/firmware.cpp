// Firmware update: choosing the S-record file, the jump into the boot
// firmware, the wait for its prompt, the transfer line by line and the
// watch for its result text; Disarm PL cancels.
#include "QuillonV20Program.h"

#include "QuillonV20Ids.h"
#include "link.h"
#include "loaderdata.h"
#include "rt_file.h"
#include "transport.h"

#include <algorithm>
#include <string>
#include <vector>

namespace quillon {

uint16_t filereadOK;
char srec_file_name[260];
namespace run {
uint16_t disarm;
}

namespace {

constexpr double kPhaseLimit = 30.0;
// Bytes taken from the line in one read (the receive buffer).
constexpr int kReceiveBuffer = 500;
// The largest firmware file the loader reads (far above any image the
// sensor's flash can hold).
constexpr long kMaxFirmwareFile = 16L * 1024 * 1024;
// Characters handed to the line in one pass before events are serviced: the
// output never runs dry while the boot firmware keeps up, and XON/XOFF holds
// it when it does not.
constexpr size_t kBytesPerPass = 1024;
constexpr unsigned kLineWriteMs = 60000;

const char *const InfoButtonReadFW = "Load firmware from hard disk.";
const char *const InfoButtonArmPL = "Update sensor with new firmware.";
const char *const InfoButtonDisarmPL = "Cancle backup.\nWait at least 30 seconds before you use this button!";
const char *const InfoDispEEPROMTransferFile = "Dislays EEPROM backup File.";

const char *const kAborted = " \nFirmeware Update aborted! \n";
const char *const kFailed = " \n\nFirmeware Update failed! \n";
const char *const kSucceeded = " \n\nFirmeware Update successful! \n";

BootTextWatcher g_bootText;

// Reads what the boot firmware has sent, in pieces of the receive buffer,
// shows it and adds it to the watched text. Returns the bytes read.
int receiveBootText()
{
    char buf[kReceiveBuffer];
    int total = 0;
    for (;;) {
        const int n = CurrentTransport().readAvailable(buf, kReceiveBuffer - 1);
        if (n <= 0)
            break;
        total += n;
        const std::string text = g_bootText.add(buf, n);
        if (!text.empty())
            AppendStatus(text.c_str());
        if (n < kReceiveBuffer - 1)
            break;
    }
    return total;
}

// The whole file, read before the sensor leaves its application.
bool readFirmwareFile(const char *path, std::string *content, std::string *why)
{
    long size = 0;
    if (GetFileInfo(path, &size) != 1) {
        *why = "The file does not exist any more.";
        return false;
    }
    if (size > kMaxFirmwareFile) {
        *why = "The file is larger than " + std::to_string(kMaxFirmwareFile) + " bytes.";
        return false;
    }
    const int fh = OpenFile(path, VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    if (fh < 0) {
        *why = "The file cannot be opened.";
        return false;
    }
    content->clear();
    char buf[8192];
    int n = 0;
    while ((n = ReadFile(fh, buf, sizeof buf)) > 0 && static_cast<long>(content->size()) <= kMaxFirmwareFile)
        content->append(buf, static_cast<size_t>(n));
    CloseFile(fh);
    if (n < 0) {
        *why = "The file cannot be read.";
        return false;
    }
    if (static_cast<long>(content->size()) > kMaxFirmwareFile) {
        *why = "The file is larger than " + std::to_string(kMaxFirmwareFile) + " bytes.";
        return false;
    }
    return true;
}

void refuseFile(const std::string &why)
{
    const std::string text = " \nATTENTION! \nFirmware file " + std::string(srec_file_name) + " cannot be used: \n" +
                             why + " \nFirmware Update will not be done! \n";
    AppendStatus(text.c_str());
}

} // namespace

void ReadFwFromDisk()
{
    const int r = FileSelectPopup("", ".s", "*.s", " ", VAL_LOAD_BUTTON, 0, 1, 1, 1, srec_file_name);
    if (r == VAL_EXISTING_FILE_SELECTED) {
        filereadOK = 1;
        AppendStatus(" \nFile loaded: \n");
        AppendStatus(srec_file_name);
        AppendStatus("\n");
    } else {
        filereadOK = 0;
    }
}

void SendFW()
{
    if (filereadOK != 1) {
        AppendStatus(" \nATTENTION! \nNo Firmware file was specified. \n");
        return;
    }
    // The file is read and checked before the sensor is sent into its boot
    // firmware: a file that is gone or unusable stops nothing half-way.
    std::string content, why;
    std::vector<std::string> lines;
    if (!readFirmwareFile(srec_file_name, &content, &why) ||
        !SplitFirmwareLines(content, kMaxFirmwareLine, &lines, &why)) {
        refuseFile(why);
        return;
    }
    content.clear();
    g_bootText.clear();

    jmpBF();
    if (comecho == 0)
        return;
    InitRS232PL();

    // Prompt phase: the boot firmware announces that it waits for the file.
    tstart = Timer();
    run::disarm = 1;
    for (bool running = true; running;) {
        if (receiveBootText() > 0 && g_bootText.promptSeen())
            running = false;
        if (Timer() - tstart > kPhaseLimit)
            running = false;
        if (run::disarm == 0) {
            AppendStatus(kAborted);
            return; // the port stays in the boot configuration until Try to connect
        }
        ProcessSystemEvents();
    }

    // Transfer phase: the lines without their line ends, then listening
    // until a result text, the silence limit or Disarm PL.
    size_t next = 0;
    tstart = Timer();
    for (bool running = true; running;) {
        size_t handed = 0;
        while (next < lines.size() && handed < kBytesPerPass) {
            const std::string &line = lines[next++];
            const int n = CurrentTransport().write(line.data(), static_cast<int>(line.size()), kLineWriteMs);
            handed += line.size();
            if (n != static_cast<int>(line.size())) {
                // The line did not leave within the port's time-out: the
                // boot firmware holds it back for good or the port failed.
                AppendStatus(kFailed);
                running = false;
                break;
            }
            if (run::disarm == 0)
                break;
        }
        if (!running)
            break;
        // Progress of the transfer: never 0 while it runs.
        SetProgress(
            std::max(1.0, 1000.0 * static_cast<double>(next) / static_cast<double>(std::max<size_t>(lines.size(), 1))));
        if (receiveBootText() > 0) {
            tstart = Timer();
            if (g_bootText.successSeen()) {
                running = false;
                AppendStatus(kSucceeded);
            }
            if (g_bootText.errorSeen()) {
                running = false;
                AppendStatus(kFailed);
            }
        }
        if (running && Timer() - tstart > kPhaseLimit) {
            running = false;
            AppendStatus(kFailed);
        }
        if (run::disarm == 0) {
            AppendStatus(kAborted);
            break;
        }
        ProcessSystemEvents();
    }

    SetProgress(0);
    // Back to the application: identify the sensor running its new firmware.
    InitRS232();
    AppendStatus("\n");
    SleepNoInput(2000);
    TryToConnect();
}

} // namespace quillon

using namespace quillon;

int CBF_ButtonReadFW(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonReadFW))
        return 0;
    if (event == EVENT_COMMIT) {
        SetButtonsDimmed(1);
        ReadFwFromDisk();
        SetButtonsDimmed(0);
    }
    return 0;
}

// A display; should it be operated, it chooses a firmware file as Read FW does.
int CBF_DispEEPROMTransferFile(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoDispEEPROMTransferFile))
        return 0;
    if (event == EVENT_COMMIT) {
        SetButtonsDimmed(1);
        ReadFwFromDisk();
        SetButtonsDimmed(0);
    }
    return 0;
}

int CBF_ButtonArmPL(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonArmPL))
        return 0;
    if (event == EVENT_COMMIT) {
        SetButtonsDimmed(1);
        SendFW();
        SetButtonsDimmed(0);
    }
    return 0;
}

int CBF_ButtonDisarmPL(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonDisarmPL))
        return 0;
    if (event == EVENT_COMMIT)
        run::disarm = 0;
    return 0;
}
