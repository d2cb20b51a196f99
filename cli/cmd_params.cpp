// veltra params get / params send: the main program's parameter set between
// the sensor (RAM or EEPROM) and a parameter file.
#include "cli_forward.h"
#include "packet.h"
#include "params.h"
#include "params_file.h"
#include "rt_file.h"

#include <unistd.h>

#include <algorithm>
#include <string>

namespace {

const CliOption kGetOptions[] = {
    {"--eeprom", nullptr, "read the set the sensor keeps in its EEPROM (order 8 first) instead of its RAM"},
    {nullptr, nullptr, nullptr},
};

const CliOption kSendOptions[] = {
    {"--eeprom", nullptr, "store the set in the sensor's EEPROM (order 6, whose confirmation is read)"},
    {"--no-verify", nullptr, "do not read the set back and compare it"},
    {nullptr, nullptr, nullptr},
};

ParaMemory memoryOf(const CliContext &ctx) { return CliHas(ctx, "--eeprom") ? ParaMemory::Eeprom : ParaMemory::Ram; }
const char *memoryName(ParaMemory m) { return m == ParaMemory::Eeprom ? "eeprom" : "ram"; }
const char *memoryText(ParaMemory m) { return m == ParaMemory::Eeprom ? "EEPROM" : "RAM"; }

// Whether a file can be written at path: a regular file or none yet, in a
// directory this user may write to. Checked before the sensor is asked, so
// that a read is not made for nothing; the write itself is checked too.
bool writablePath(const std::string &path)
{
    if (CheckFileKind(path.c_str()) != 0)
        return false;
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return access(dir.c_str(), W_OK | X_OK) == 0;
}

int runGet(CliContext &ctx)
{
    const std::string &path = ctx.args[0];
    const ParaMemory memory = memoryOf(ctx);
    if (!writablePath(path))
        return CliFail(ctx, kExitFile, path + ": cannot be written; nothing was read");
    if (const int rc = CliOpenLink(ctx))
        return rc;
    CliObserver cli(ctx);
    CliForward<ParamsObserver> observer(cli);
    const JobResult r = ReadParameterSet(memory, observer);
    if (r != JobResult::Ok)
        return CliFinish(ctx, cli, r);
    // The file holds the packet as the main program writes it from its variables.
    CopyVarsToPP();
    if (WriteParameterFile(path.c_str(), com232::pp) < 0)
        return CliFail(ctx, kExitFile, path + ": could not be written (the file is unchanged)");
    CliRecord record;
    record.Text("file", path).Text("memory", memoryName(memory)).Number("words", kParaWords);
    CliEmit(ctx, record,
            std::string("parameter set read from the sensor's ") + memoryText(memory) + " into " + path + "\n");
    return kExitOk;
}

int runSend(CliContext &ctx)
{
    const std::string &path = ctx.args[0];
    const ParaMemory memory = memoryOf(ctx);
    const bool verify = !CliHas(ctx, "--no-verify");
    // The file is taken as the main program takes it (maxcolno limited to
    // 31), and refused as it refuses it, before anything is sent.
    if (!LoadParameterFile(path.c_str()))
        return CliFail(ctx, kExitFile,
                       path + ": not a parameter file (it must hold " + std::to_string(kParaWords) +
                           " numbers from 0 to 65535, one a line); nothing was sent");
    CopyVarsToPP();
    uint16_t sent[kParaWords];
    std::copy_n(com232::pp, kParaWords, sent);
    if (const int rc = CliOpenLink(ctx))
        return rc;
    CliObserver cli(ctx);
    CliForward<ParamsObserver> observer(cli);
    JobResult r = SendParameterSet(memory, observer);
    if (r == JobResult::Ok && verify)
        r = VerifyParameterSet(memory, sent, observer);
    if (r != JobResult::Ok)
        return CliFinish(ctx, cli, r);
    CliRecord record;
    record.Text("file", path).Text("memory", memoryName(memory)).Bool("verified", verify);
    CliEmit(ctx, record,
            path + " sent to the sensor's " + memoryText(memory) +
                (verify ? "; read back: equal\n" : " (not read back)\n"));
    return kExitOk;
}

const CliCommand kParamsGet = {
    "params get",
    "[--eeprom] FILE",
    "read the parameter set into a parameter file",
    "Reads the sensor's parameter set (the sixteen parameters and the 31 rows of the colour teach table, orders 3 "
    "and 4; with --eeprom order 8 first) and writes it to FILE as Veltv61 writes a parameter file: 202 numbers, "
    "one a line. FILE is written only when the whole set has been read, and replaced in one step.",
    kGetOptions,
    1,
    1,
    30,
    false,
    runGet,
};

const CliCommand kParamsSend = {
    "params send",
    "[--eeprom] FILE [--no-verify]",
    "write a parameter file into the sensor and read it back",
    "Writes the parameter set in FILE into the sensor with the same telegrams as Veltv61's Send (order 1, then "
    "order 2 for each of the 31 rows; with --eeprom the store order 6, whose confirmation is read), then reads it "
    "back (orders 3 and 4; with --eeprom 8, 3 and 4) and names each parameter or row word that differs (exit "
    "status 4). A file Veltv61 would refuse is refused before anything is sent (exit status 3).",
    kSendOptions,
    1,
    1,
    31,
    false,
    runSend,
};

VELTRA_COMMAND(kParamsGet);
VELTRA_COMMAND(kParamsSend);

} // namespace
