// The command line of the six executables: --help and --version answer on
// standard output with status 0 and need no display; anything unknown is
// refused on standard error with the usage and status 2, before any window
// or line is opened.
#include "e2e.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Outcome {
    int code = -999;
    std::string out;
    std::string err;
};

// Runs the executable with neither a display nor a Qt platform: --help and
// --version must not need one.
Outcome Start(const std::string &name, const QStringList &args)
{
    const char *bin = std::getenv("VELT_BIN_DIR");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "VELTRA_UI_SCRIPT"})
        env.remove(v);
    p.setProcessEnvironment(env);
    p.start(QString::fromLocal8Bit(bin ? bin : ".") + "/" + QString::fromStdString(name), args);
    Outcome r;
    if (!p.waitForFinished(20000))
        p.kill();
    else if (p.exitStatus() == QProcess::NormalExit)
        r.code = p.exitCode();
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

class CommandLine : public ::testing::TestWithParam<const char *> {};

TEST_P(CommandLine, HelpVersionAndUnknownOptions)
{
    const std::string name = GetParam();
    const bool program = name != "veltsim" && name != "veltra"; // one of the four programs
    Outcome r = Start(name, {"--help"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("Usage: " + name + " ", 0), 0u) << r.out;
    const std::string usage = r.out.substr(0, r.out.find('\n') + 1);
    std::vector<std::string> needles = {"--help", "--version",          "Environment:", "VELTRA_COM<n>",
                                        "Files:", "/dev/serial/by-id/", "dialout"};
    if (program)
        needles.insert(needles.end(), {"--ui-script", name + ".uir", "~/.local/share/veltra"});
    for (const std::string &needle : needles)
        EXPECT_TRUE(Has(r.out, needle)) << needle << "\n" << r.out;
    // Every executable but the command-line tool takes a UI script or hands one on.
    EXPECT_EQ(Has(r.out, "VELTRA_UI_SCRIPT"), name != "veltra") << r.out;

    r = Start(name, {"--version"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind(name + " (Veltra colour sensor suite) ", 0), 0u) << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "one line: " << r.out;

    // An unknown option is refused with the help's usage line, even before --help.
    r = Start(name, {"--bogus", "--help"});
    EXPECT_EQ(r.code, 2) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              name + ": unknown option '--bogus'\n" + usage + "Try '" + name + " --help' for more information.\n");
}

INSTANTIATE_TEST_SUITE_P(Executables, CommandLine,
                         ::testing::Values("Veltv61", "VeltTempCompV61", "VeltCalibV61", "QuillonV20", "veltsim",
                                           "veltra"),
                         [](const ::testing::TestParamInfo<const char *> &i) { return std::string(i.param); });

} // namespace
