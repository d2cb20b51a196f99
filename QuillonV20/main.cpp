#include "QuillonV20Program.h"

#include "cmdline.h"
#include "rt_ui.h"

namespace {

const ProgramFile kFiles[] = {
    {"*.dat", "EEPROM backup files (default EEPROM_Backup.dat)"},
    {"*.s", "firmware files (S-records), which it reads"},
    {nullptr, nullptr},
};

const ProgramInfo kInfo = {
    "QuillonV20",
    "Loader of the Veltra colour sensor: identification, EEPROM backup, firmware update.",
    "QuillonV20 identifies the sensor, backs up a region of its EEPROM to a file and writes such a file "
    "back, and replaces the sensor's firmware with an S-record file through the sensor's boot "
    "firmware.\n\n"
    "It reaches the sensor over an RS232 line only (the COM port selector of its panel): at 19200 baud "
    "its application, at 115200 baud with XON/XOFF its boot firmware.",
    kFiles,
    false,
};

} // namespace

int main(int argc, char **argv) { return ProgramMain(kInfo, argc, argv, WinMain); }
