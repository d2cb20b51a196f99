// EEPROM backup and restore: the region 0x1200 ... 0x1EFF, 256 blocks of
// 13 words, to and from the EEPROM backup file.
#include "QuillonV20Program.h"

#include "QuillonV20Ids.h"
#include "link.h"
#include "loaderdata.h"
#include "rt_file.h"
#include "telegram.h"
#include "transport.h"

#include <algorithm>
#include <string>

using namespace com232;

namespace quillon {

char file_name[260];

namespace {

constexpr double kBlockWait = 3.0;
constexpr double kReadStep = 3.906;
constexpr double kWriteStep = 3.717;
constexpr int kPageWords = 256;
constexpr long kMaxBackupFile = 1024L * 1024;

const char *const InfoButtonReadEEPROM = "Read EEPROM data and store backup on hard disk!";
const char *const InfoButtonSaveEEPROM = "Save a selectable backup of EEPROM data to sensor.";

const char *const kBackupFailed = " \nFailure! \nNo Backup File has been created! \n";
const char *const kRestoreFailed = " \nFailure! \nBackup File has not been saved to EEPROM!\n";

int chooseBackupFile()
{
    return FileSelectPopup("", "EEPROM_Backup.dat", "*.dat", "Select EEPROM Backup File ", VAL_OK_CANCEL_FILE_SELECT, 0,
                           0, 1, 1, file_name);
}

void showFileName() { SetCtrlVal(mainpanel, MAINP_DISPEEPROMTRANSFERFILE, file_name); }

// The backup file's whole text; false (with the reason) when it cannot be read.
bool readBackupFile(std::string *text, std::string *why)
{
    long size = 0;
    if (GetFileInfo(file_name, &size) != 1) {
        *why = "The file cannot be found.";
        return false;
    }
    if (size > kMaxBackupFile) {
        *why = "The file is far too large for a backup file.";
        return false;
    }
    const int fh = OpenFile(file_name, VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    if (fh < 0) {
        *why = "The file cannot be opened.";
        return false;
    }
    char buf[8192];
    int n = 0;
    while ((n = ReadFile(fh, buf, sizeof buf)) > 0 && static_cast<long>(text->size()) <= kMaxBackupFile)
        text->append(buf, static_cast<size_t>(n));
    CloseFile(fh);
    if (n < 0) {
        *why = "The file cannot be read.";
        return false;
    }
    return true;
}

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
        AppendStatus(kBackupFailed);
        return;
    }
    showFileName();
    FlushLink();
    double progress = 0;
    SetProgress(progress);
    comecho = 1;
    order = ORDER_EEPROM_READ;
    // Blocks collect here; fileBuf takes them only once all have arrived.
    static uint16_t image[kImageWords];
    for (int i = 0; i < kBlocks; ++i) {
        FillTxBuf(ORDER_EEPROM_READ, 0, static_cast<uint16_t>(kEepromBase + kBlockWords * i), kBlockWords);
        const bool refused = ExchangeBusy();
        if (!refused)
            Exchange(kTelegramBytes, kBlockWait, LinkWait::Events, false);
        bool good = !refused && nBytesW == kTelegramBytes && dataSize == kTelegramBytes;
        if (good) {
            GetRxBuf();
            good = BlockReadAccepted(pp);
        }
        if (good)
            std::copy(pp + 4, pp + 4 + kBlockWords, image + kBlockWords * i);
        else
            SetPopupTimeout();
        if (comecho == 0)
            break;
        progress += kReadStep;
        SetProgress(progress);
        ProcessSystemEvents();
    }
    SetProgress(0);
    if (comecho != 1) {
        AppendStatus(kBackupFailed);
        return;
    }
    std::copy(image, image + kImageWords, fileBuf);
    // Written whole or not at all: a failed write leaves the earlier file.
    const int w = ArrayToFile(file_name, fileBuf, VAL_UNSIGNED_SHORT_INTEGER, kImageWords, kBlockWords,
                              VAL_DATA_MULTIPLEXED, VAL_GROUPS_AS_COLUMNS, VAL_SEP_BY_TAB, 10, VAL_ASCII, VAL_TRUNCATE);
    if (w < 0) {
        const std::string text = " \nThe EEPROM Backup file " + std::string(file_name) + " could not be written! \n";
        AppendStatus(text.c_str());
        AppendStatus(kBackupFailed);
        return;
    }
    AppendStatus(" \nSuccess! \nBackup File has been created! \n");
}

void SaveEEPROM()
{
    const int r = chooseBackupFile();
    if (r != VAL_EXISTING_FILE_SELECTED) {
        AppendStatus("\nATTENTION! \nNo existing EEPROM Backup file was choosen! \nEEPROM Saving will not be done! \n");
        return;
    }
    showFileName();
    // The whole file is checked before anything is sent: a sensor never gets
    // half a restore from a damaged file.
    std::string text, why;
    if (!readBackupFile(&text, &why) || !ParseBackup(text, fileBuf, &why)) {
        const std::string msg =
            " \nThe EEPROM Backup file " + std::string(file_name) + " cannot be restored: \n" + why + " \n";
        AppendStatus(msg.c_str());
        AppendStatus(kRestoreFailed);
        return;
    }
    FlushLink();
    double progress = 0;
    SetProgress(progress);
    comecho = 1;

    order = ORDER_EEPROM_PAGE;
    for (int k = 0; k < kPages; ++k) {
        FillTxBuf(ORDER_EEPROM_PAGE, 0, static_cast<uint16_t>(kEepromBase + kPageWords * k), 0);
        CheckEcho(2);
        if (comecho == 0)
            break;
        SleepNoInput(200);
        progress += kWriteStep;
        SetProgress(progress);
    }
    if (comecho == 1) {
        order = ORDER_EEPROM_WRITE;
        for (int i = 0; i < kBlocks; ++i) {
            FillTxBuf(ORDER_EEPROM_WRITE, static_cast<uint16_t>(i),
                      static_cast<uint16_t>(kEepromBase + kBlockWords * i), kBlockWords);
            CheckEcho(17);
            if (comecho == 0)
                break;
            progress += kWriteStep;
            SetProgress(progress);
        }
    }
    SetProgress(0);
    if (comecho == 1) {
        jmpBF();
        if (comecho == 1) {
            Sleep(2000);
            AppendStatus(" \nSuccess! \nBackup File has been saved to EEPROM!\n");
            return;
        }
    }
    AppendStatus(kRestoreFailed);
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
