// veltra restore FILE [--no-verify]: a backup file into the sensor with the
// loader program's telegrams, read back and compared before the closing jump.
#include "loader_cli.h"

namespace {

int run(CliContext &ctx)
{
    const std::string file = ctx.args[0];
    const bool verify = !CliHas(ctx, "--no-verify");
    if (const int rc = CliOpenLoaderLine(ctx); rc != 0)
        return rc;
    CliObserver cli(ctx);
    CliLoaderObserver obs(ctx, cli);
    const JobResult r = quillon::RunRestore(file, verify, obs);
    if (r == JobResult::Ok)
        CliEmit(ctx, CliRecord().Text("file", file).Number("blocks", quillon::kBlocks).Bool("verified", verify),
                "EEPROM region 0x1200-0x1EFF restored from " + file + (verify ? " and verified" : "") +
                    "; the sensor went into its boot firmware and restarts its application with it after the boot "
                    "firmware's time-out\n");
    return CliFinish(ctx, cli, r);
}

const CliOption kOptions[] = {
    {"--no-verify", nullptr, "do not read the region back before the closing jump order"},
    {nullptr, nullptr, nullptr},
};

const CliCommand kRestore = {
    "restore",
    "FILE [--no-verify]",
    "write a backup file into the sensor's EEPROM region",
    "Checks the whole FILE first (3328 numbers of 0-65535); a file that fails is refused and\n"
    "nothing is sent. Then writes it with QuillonV20's telegrams (13 page commands, 256 block\n"
    "writes), reads the region back and compares it block by block, naming each block that differs\n"
    "(exit status 4; no jump order then), and sends the closing jump order, after which the sensor\n"
    "restarts its application with the restored region.",
    kOptions,
    1,
    1,
    60,
    false,
    run,
};
VELTRA_COMMAND(kRestore);

} // namespace
