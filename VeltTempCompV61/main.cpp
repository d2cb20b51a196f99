#include "VeltTempCompV61Program.h"

#include "cmdline.h"
#include "rt_ui.h"

namespace {

const ProgramFile kFiles[] = {
    {"IPComboBoxVeltv61.ipa", "the last ten TCP/IP addresses, shared by the three scope programs "
                              "installed in one directory"},
    {"*.equ", "equation files (default equation.equ)"},
    {nullptr, nullptr},
};

const ProgramInfo kInfo = {
    "VeltTempCompV61",
    "Temperature compensation of a Veltra colour sensor.",
    "VeltTempCompV61 takes a fourth-order polynomial for each colour channel (typed in or loaded from an "
    "equation file), tabulates the drift curves over the temperature index 0 to 99, turns them into "
    "temperature-compensation factors, writes these and a fixed cube-root table into the sensor and "
    "verifies them by reading them back.\n\n"
    "At start-up it connects with the settings of its interface panel (INTERFACE ...): RS232 over a COM "
    "port number, or TCP/IP to an address and port.",
    kFiles,
    true,
};

} // namespace

int main(int argc, char **argv) { return ProgramMain(kInfo, argc, argv, WinMain); }
