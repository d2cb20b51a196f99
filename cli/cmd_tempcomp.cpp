// veltra tempcomp upload: the temperature-compensation tables, computed from
// an equation file as VeltTempCompV61 computes them, into the sensor, with
// the read-back check.
#include "cli_forward.h"
#include "equation_file.h"
#include "tempcomp_tables.h"
#include "tempcomp_upload.h"

#include <charconv>
#include <string>

namespace {

const CliOption kOptions[] = {
    {"--reference", "R,G,B",
     "the reference values of red, green and blue (default 1000,1000,1000, as VeltTempCompV61 starts)"},
    {nullptr, nullptr, nullptr},
};

// "R,G,B": three whole numbers from 0 to 65535.
bool parseReference(const std::string &text, uint16_t ref[3])
{
    const char *p = text.data(), *end = text.data() + text.size();
    for (int i = 0; i < 3; ++i) {
        unsigned v = 0;
        const auto [next, ec] = std::from_chars(p, end, v);
        if (ec != std::errc {} || v > 0xFFFF)
            return false;
        ref[i] = static_cast<uint16_t>(v);
        p = next;
        if (i < 2) {
            if (p == end || *p != ',')
                return false;
            ++p;
        }
    }
    return p == end;
}

// Between the upload and the read-back the line is opened anew and checked,
// as the program does; a failed check is told, and the read-back decides.
struct UploadPrinter : CliForward<TempCompObserver> {
    UploadPrinter(CliObserver &cli, const CliContext &ctx) : CliForward(cli), ctx(ctx) {}
    void Reconnect() override
    {
        CloseLink();
        if (CliOpenLink(ctx) == 0 && !ReadVersionText())
            CliError(ctx, "the line check after the upload got no answer; reading the tables back all the same");
    }
    const CliContext &ctx;
};

const char *equationFault(EquationRead r)
{
    switch (r) {
    case EquationRead::Unreadable: return "cannot be read";
    case EquationRead::WrongCount: return "must hold 15 numbers";
    case EquationRead::NotNumber: return "holds text that is not a number";
    case EquationRead::Ok: break;
    }
    return "";
}

int run(CliContext &ctx)
{
    const std::string &path = ctx.args[0];
    uint16_t ref[3] = {kDefaultReference, kDefaultReference, kDefaultReference};
    if (CliHas(ctx, "--reference") && !parseReference(CliValue(ctx, "--reference"), ref))
        return CliFail(ctx, kExitUsage, "--reference takes three numbers from 0 to 65535: R,G,B");
    double coefficients[kEquationValues];
    if (const EquationRead r = ReadEquationFile(path.c_str(), coefficients); r != EquationRead::Ok)
        return CliFail(ctx, kExitFile, path + ": not an equation file: it " + equationFault(r) + "; nothing was sent");
    for (int i = 0; i < kEquationValues; ++i)
        *kCoefficientVars[i] = coefficients[i];
    TabulateCurves();
    CalcFactorTables(ref[0], ref[1], ref[2]);
    CalcRootTable(data3rdRoot);
    if (const int rc = CliOpenLink(ctx))
        return rc;
    CliObserver cli(ctx);
    UploadPrinter observer(cli, ctx);
    const JobResult r = UploadCompensation(observer);
    if (r != JobResult::Ok)
        return CliFinish(ctx, cli, r);
    CliRecord record;
    record.Text("file", path)
        .Raw("reference",
             "[" + std::to_string(ref[0]) + "," + std::to_string(ref[1]) + "," + std::to_string(ref[2]) + "]")
        .Bool("verified", true);
    CliEmit(ctx, record, "compensation tables from " + path + " uploaded; read back: equal\n");
    return kExitOk;
}

const CliCommand kTempCompUpload = {
    "tempcomp upload",
    "EQUATION_FILE [--reference R,G,B]",
    "upload the compensation tables of an equation file",
    "Computes the three compensation factor tables from the 15 coefficients of an equation file that "
    "VeltTempCompV61 writes (and the reference values), and uploads them with the cube-root table as its Send CF "
    "does: order 43, the 32 cube-root blocks (order 50), the 30 factor blocks (orders 40 to 42), a new line check, "
    "then the read-back (orders 44 to 46 and 51) compared with what was sent; each entry that differs is named "
    "(exit status 4).",
    kOptions,
    1,
    1,
    80,
    false,
    run,
};

VELTRA_COMMAND(kTempCompUpload);

} // namespace
