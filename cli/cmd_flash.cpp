// veltra flash FILE.s [--no-backup] [--resume]: the firmware update as the
// loader program does it, after a check of the file and a complete EEPROM
// backup; success only on the boot firmware's success text and a new
// identification.
#include "loader_cli.h"

namespace {

std::string g_resume; // the command that resumes this update

// In what state a failed or stopped update left the sensor, and how to go on.
std::string stateHint(JobResult result)
{
    using quillon::FirmwareStage;
    switch (quillon::LastFirmwareStage()) {
    case FirmwareStage::NotStarted:
        return result == JobResult::LineFailed || result == JobResult::Cancelled
                   ? " The sensor still runs its application; nothing was flashed."
                   : "";
    case FirmwareStage::JumpSent:
    case FirmwareStage::BootLine:
        return " The sensor was sent into its boot firmware and waits for the file (or restarts its old "
               "application after its time-out). To resume: " +
               g_resume;
    case FirmwareStage::Accepted:
        return " The boot firmware accepted the new firmware; 'veltra identify --loader' shows the sensor's "
               "identification.";
    case FirmwareStage::Transfer:
    case FirmwareStage::Finished:
        return result == JobResult::Cancelled
                   ? " The transfer was stopped part-way: the sensor holds no complete application. To resume: " +
                         g_resume
                   : " If the sensor does not answer with its application, resume: " + g_resume;
    }
    return "";
}

int run(CliContext &ctx)
{
    quillon::FlashOptions options;
    options.file = ctx.args[0];
    options.resume = CliHas(ctx, "--resume");
    options.backup = !CliHas(ctx, "--no-backup") && !options.resume;
    g_resume = "reset the sensor by hand and run veltra flash " + options.file + " --resume --link " + ctx.link;
    if (const int rc = CliOpenLoaderLine(ctx); rc != 0)
        return rc;
    CliObserver cli(ctx);
    CliLoaderObserver obs(ctx, cli);
    obs.hint = stateHint;
    quillon::FlashOutcome outcome;
    JobResult r = quillon::RunFlash(options, obs, &outcome);
    if (r == JobResult::Ok)
        CliEmit(ctx,
                CliRecord()
                    .Text("file", options.file)
                    .Text("identification", outcome.after)
                    .Text("before", outcome.before)
                    .Text("backup", outcome.backupFile),
                "firmware " + options.file + " flashed; the sensor identifies itself as \"" + outcome.after + "\"" +
                    (outcome.backupFile.empty() ? std::string() : "\nEEPROM backup: " + outcome.backupFile) + "\n");
    else if (!outcome.backupFile.empty())
        cli.Step("The EEPROM backup made before the update: " + outcome.backupFile);
    return CliFinish(ctx, cli, r);
}

const CliOption kOptions[] = {
    {"--no-backup", nullptr, "no EEPROM backup before the update"},
    {"--resume", nullptr,
     "the sensor already waits in its boot firmware: send no jump order, ask for a hardware reset"},
    {nullptr, nullptr, nullptr},
};

const CliCommand kFlash = {
    "flash",
    "FILE.s [--no-backup] [--resume]",
    "replace the sensor's firmware with an S-record file",
    "Checks FILE first (every line an S-record with the right byte count and checksum, at least one\n"
    "data record; a file that fails is refused and nothing is sent), backs the EEPROM region up,\n"
    "complete, to $XDG_DATA_HOME/veltra/backups/ (default ~/.local/share/veltra/backups/) as\n"
    "<identification>-<UTC time>.dat, sends the sensor into its boot firmware, sends the file at\n"
    "115200 baud with XON/XOFF and identifies the sensor afterwards. Succeeds only on the boot\n"
    "firmware's success text and a new identification. Needs a serial line. With --resume the\n"
    "sensor already waits in its boot firmware: no jump order; reset it by hand when asked.",
    kOptions,
    1,
    1,
    70,
    true,
    run,
};
VELTRA_COMMAND(kFlash);

} // namespace
