// EEPROM backup and restore as the panel starts them: the file is chosen
// here, the jobs (jobs/loader.h) move the region 0x1200 ... 0x1EFF to and
// from it.
#include "QuillonV20Program.h"

#include "QuillonV20Ids.h"

namespace quillon {

char file_name[260];

namespace {

constexpr double kReadStep = 3.906;
constexpr double kWriteStep = 3.717;

const char *const InfoButtonReadEEPROM = "Read EEPROM data and store backup on hard disk!";
const char *const InfoButtonSaveEEPROM = "Save a selectable backup of EEPROM data to sensor.";

int chooseBackupFile()
{
    return FileSelectPopup("", "EEPROM_Backup.dat", "*.dat", "Select EEPROM Backup File ", VAL_OK_CANCEL_FILE_SELECT, 0,
                           0, 1, 1, file_name);
}

void showFileName() { SetCtrlVal(mainpanel, MAINP_DISPEEPROMTRANSFERFILE, file_name); }

} // namespace

void ReadEEPROM()
{
    const int r = chooseBackupFile();
    if (r <= 0) {
        AppendStatus("\nATTENTION! \nNo EEPROM Backup file was choosen! \nEEPROM Backup will not be done! \n");
        return;
    }
    if (r == VAL_EXISTING_FILE_SELECTED &&
        !ConfirmPopup("ATTENTION!", "File already exist! \nDo you want to select existing file?")) {
        AppendStatus(" \nFailure! \nNo Backup File has been created! \n");
        return;
    }
    showFileName();
    RunBackup(file_name, PanelObserver(kReadStep));
}

void SaveEEPROM()
{
    const int r = chooseBackupFile();
    if (r != VAL_EXISTING_FILE_SELECTED) {
        AppendStatus("\nATTENTION! \nNo existing EEPROM Backup file was choosen! \nEEPROM Saving will not be done! \n");
        return;
    }
    showFileName();
    RunRestore(file_name, false, PanelObserver(kWriteStep));
}

} // namespace quillon

using namespace quillon;

int CBF_ButtonReadEEPROM(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonReadEEPROM))
        return 0;
    if (event == EVENT_COMMIT) {
        SetButtonsDimmed(1);
        ReadEEPROM();
        SetButtonsDimmed(0);
    }
    return 0;
}

int CBF_ButtonSaveEEPROM(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonSaveEEPROM))
        return 0;
    if (event == EVENT_COMMIT) {
        SetButtonsDimmed(1);
        SaveEEPROM();
        SetButtonsDimmed(0);
    }
    return 0;
}
