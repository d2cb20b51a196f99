// The command line of the six executables: --help and --version answer on
// standard output with status 0 and need no display; anything unknown is
// refused on standard error with the usage and status 2, before any window
// or line is opened.
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct Executable {
    const char *name;
    bool program; // one of the four programs (rather than the simulator or the command-line tool)
};

void PrintTo(const Executable &e, std::ostream *os) { *os << e.name; }

const Executable kExecutables[] = {
    {"Veltv61", true},    {"VeltTempCompV61", true}, {"VeltCalibV61", true},
    {"QuillonV20", true}, {"veltsim", false},        {"veltra", false},
};

struct Outcome {
    bool finished = false;
    int code = -999;
    std::string out;
    std::string err;
};

// Runs the executable with neither a display nor a Qt platform: --help and
// --version must not need one.
Outcome Start(const char *name, const QStringList &args)
{
    const char *bin = std::getenv("VELT_BIN_DIR");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "VELTRA_UI_SCRIPT"})
        env.remove(v);
    p.setProcessEnvironment(env);
    p.start(QString::fromLocal8Bit(bin ? bin : ".") + "/" + name, args);
    Outcome r;
    r.finished = p.waitForFinished(20000);
    if (!r.finished)
        p.kill();
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

bool Has(const std::string &text, const std::string &needle) { return text.find(needle) != std::string::npos; }

class CommandLine : public ::testing::TestWithParam<Executable> {};

TEST_P(CommandLine, HelpSaysWhatTheUserNeeds)
{
    const std::string name = GetParam().name;
    const Outcome r = Start(GetParam().name, {"--help"});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("Usage: " + name + " ", 0), 0u) << r.out;
    for (const char *needle :
         {"--help", "--version", "Environment:", "VELTRA_COM<n>", "Files:", "/dev/serial/by-id/", "dialout"})
        EXPECT_TRUE(Has(r.out, needle)) << needle << "\n" << r.out;
    // Every executable but the command-line tool takes a UI script or hands one on.
    EXPECT_EQ(Has(r.out, "VELTRA_UI_SCRIPT"), name != "veltra") << r.out;
    if (GetParam().program) {
        for (const std::string &needle :
             std::vector<std::string> {"--ui-script", name + ".uir", "~/.local/share/veltra"})
            EXPECT_TRUE(Has(r.out, needle)) << needle << "\n" << r.out;
    }
}

TEST_P(CommandLine, VersionNamesProgramAndSuite)
{
    const Outcome r = Start(GetParam().name, {"--version"});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind(std::string(GetParam().name) + " (Veltra colour sensor suite) ", 0), 0u) << r.out;
}

TEST_P(CommandLine, UnknownOptionIsRefusedWithTheUsage)
{
    const std::string name = GetParam().name;
    for (const QStringList &args : {QStringList {"--bogus"}, QStringList {"--bogus", "--help"}}) {
        const Outcome r = Start(GetParam().name, args);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.code, 2) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind(name + ": unknown option '--bogus'\nUsage: " + name + " ", 0), 0u) << r.err;
        EXPECT_TRUE(Has(r.err, "Try '" + name + " --help'")) << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Executables, CommandLine, ::testing::ValuesIn(kExecutables),
                         [](const ::testing::TestParamInfo<Executable> &i) { return std::string(i.param.name); });

} // namespace
