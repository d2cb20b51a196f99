// Firmware update as the panel runs it: Read FW chooses the S-record file,
// Arm PL runs the update (jobs/loader.h) and identifies the sensor
// afterwards, Disarm PL cancels.
#include "QuillonV20Program.h"

#include "QuillonV20Ids.h"

#include <string>
#include <vector>

namespace quillon {

uint16_t filereadOK;
char srec_file_name[260];
namespace run {
uint16_t disarm;
}

namespace {

const char *const InfoButtonReadFW = "Load firmware from hard disk.";
const char *const InfoButtonArmPL = "Update sensor with new firmware.";
const char *const InfoButtonDisarmPL = "Cancle backup.\nWait at least 30 seconds before you use this button!";
const char *const InfoDispEEPROMTransferFile = "Dislays EEPROM backup File.";

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
    // firmware: a file that is gone, unusable or no sound S-record file
    // stops nothing half-way.
    std::vector<std::string> lines;
    if (LoadFirmwareFile(srec_file_name, &lines, PanelObserver()) != JobResult::Ok)
        return;
    RunFirmwareUpdate(lines, false, PanelObserver());
    // Back in the application's configuration: identify the sensor running
    // its new firmware (not after a failed jump or a cancelled prompt wait).
    if (LastFirmwareStage() >= FirmwareStage::Finished)
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
