#include "Veltv61Program.h"

#include "cmdline.h"
#include "rt_ui.h"

namespace {

const ProgramFile kFiles[] = {
    {"IPComboBoxVeltv61.ipa", "the last ten TCP/IP addresses, shared by the three scope programs "
                              "installed in one directory"},
    {"StartupPath.sup", "the path of the colour array file loaded at start-up"},
    {"*.dat", "parameter files (default init.dat) and record files (default record.dat)"},
    {"*.car", "colour array files (default ColorArray.car)"},
    {nullptr, nullptr},
};

const ProgramInfo kInfo = {
    "Veltv61",
    "Main scope program of the Veltra colour sensor suite.",
    "Veltv61 sets up and monitors a Veltra colour sensor. It reads and writes the sensor's parameter set "
    "(in its RAM, in its EEPROM or in a parameter file), shows the live measurement (R, G, B, X/Y/INT or "
    "s/i/M, colour number, colour group, temperature), teaches colours into the sensor's colour teach "
    "table, assigns them to colour groups and records measurements to a text file.\n\n"
    "At start-up it connects with the settings of its interface panel (INTERFACE ...): RS232 over a COM "
    "port number, or TCP/IP to an address and port.",
    kFiles,
    true,
};

} // namespace

int main(int argc, char **argv) { return ProgramMain(kInfo, argc, argv, WinMain); }
