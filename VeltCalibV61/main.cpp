#include "VeltCalibV61Program.h"

#include "cmdline.h"
#include "rt_ui.h"

namespace {

const ProgramFile kFiles[] = {
    {"IPComboBoxVeltv61.ipa", "the last ten TCP/IP addresses, shared by the three scope programs "
                              "installed in one directory"},
    {nullptr, nullptr},
};

const ProgramInfo kInfo = {
    "VeltCalibV61",
    "Calibration of a Veltra colour sensor on a white target.",
    "With the sensor on a white target, VeltCalibV61 sets the transmitter power, averages 100 data "
    "frames, computes calibration factors for red, green and blue that bring the raw values to a set "
    "value, writes them into the sensor and stores a default parameter set in its EEPROM.\n\n"
    "At start-up it connects with the settings of its interface panel (INTERFACE ...): RS232 over a COM "
    "port number, or TCP/IP to an address and port.",
    kFiles,
    true,
};

} // namespace

int main(int argc, char **argv) { return ProgramMain(kInfo, argc, argv, WinMain); }
