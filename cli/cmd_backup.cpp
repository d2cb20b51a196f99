// veltra backup FILE: the sensor's EEPROM region into a backup file, byte
// for byte as the loader program writes it, written only when complete.
#include "loader_cli.h"

#include <unistd.h>

namespace {

// A file that cannot be written is refused before the sensor is asked for
// anything (the backup itself writes only at the end).
bool writable(const std::string &path)
{
    if (access(path.c_str(), F_OK) == 0)
        return access(path.c_str(), W_OK) == 0;
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return access(dir.c_str(), W_OK | X_OK) == 0;
}

int run(CliContext &ctx)
{
    const std::string file = ctx.args[0];
    if (!writable(file))
        return CliFail(ctx, kExitFile, file + ": cannot be written; nothing was read from the sensor.");
    if (const int rc = CliOpenLoaderLine(ctx); rc != 0)
        return rc;
    CliObserver cli(ctx);
    CliLoaderObserver obs(ctx, cli);
    const JobResult r = quillon::RunBackup(file, obs);
    if (r == JobResult::Ok)
        CliEmit(ctx,
                CliRecord().Text("file", file).Number("blocks", quillon::kBlocks).Number("words", quillon::kImageWords),
                "EEPROM region 0x1200-0x1EFF (256 blocks, 3328 words) saved to " + file + "\n");
    return CliFinish(ctx, cli, r);
}

const CliCommand kBackup = {
    "backup",
    "FILE",
    "save the sensor's EEPROM region into a backup file",
    "Reads the EEPROM region 0x1200-0x1EFF (256 blocks of 13 words) and writes it to FILE as the\n"
    "loader QuillonV20 does: 256 CR LF lines of 13 tab-separated numbers. The file is written only\n"
    "when every block has arrived, in one piece; a failed or interrupted backup leaves FILE as it was.",
    nullptr,
    1,
    1,
    50,
    false,
    run,
};
VELTRA_COMMAND(kBackup);

} // namespace
