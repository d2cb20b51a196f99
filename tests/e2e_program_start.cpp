// Each program, run as a user would start it (offscreen, driven by a UI
// script), shows its main panel and ends with 0 when told to quit; without
// its panel resource file it ends with -1 before showing anything.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>

namespace {

struct Program {
    const char *name;
    const char *mainPanel;
};

void PrintTo(const Program &p, std::ostream *os) { *os << p.name; }

const Program kPrograms[] = {
    {"Veltv61", "P"},
    {"VeltTempCompV61", "P"},
    {"VeltCalibV61", "P"},
    {"QuillonV20", "MAINP"},
};

QString BinDir()
{
    const char *dir = std::getenv("VELT_BIN_DIR");
    return QString::fromLocal8Bit(dir ? dir : ".");
}

struct ProcessResult {
    bool finished = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int code = -999;
    QByteArray output;
};

ProcessResult RunWithScript(const QString &program, const QString &scriptPath, const QByteArray &script)
{
    QFile s(scriptPath);
    if (!s.open(QIODevice::WriteOnly) || s.write(script) != script.size())
        return {};
    s.close();
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    // COM1 names a device that does not exist: the start-up line check fails
    // at once instead of waiting on whatever serial port the machine has.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELTRA_COM1", "/nonexistent/velt-test-tty");
    p.setProcessEnvironment(env);
    p.start(program, {"--ui-script", scriptPath});
    ProcessResult r;
    r.finished = p.waitForFinished(30000);
    if (!r.finished)
        p.kill();
    r.status = p.exitStatus();
    r.code = p.exitCode();
    r.output = p.readAll();
    return r;
}

class ProgramStart : public ::testing::TestWithParam<Program> {};

TEST_P(ProgramStart, ShowsItsMainPanelAndQuitsWithZero)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString shot = tmp.filePath("main.png");
    const QByteArray script =
        QByteArray("screenshot ") + GetParam().mainPanel + " " + shot.toLocal8Bit() + "\nquit 0\n";
    const ProcessResult r = RunWithScript(QDir(BinDir()).filePath(GetParam().name), tmp.filePath("start.txt"), script);
    ASSERT_TRUE(r.finished) << r.output.toStdString();
    EXPECT_EQ(r.status, QProcess::NormalExit) << r.output.toStdString();
    EXPECT_EQ(r.code, 0) << r.output.toStdString();
    const QImage img(shot);
    ASSERT_FALSE(img.isNull()) << r.output.toStdString();
    EXPECT_GT(img.width(), 300);
    EXPECT_LE(img.width(), 1000);
    EXPECT_GT(img.height(), 300);
    EXPECT_LE(img.height(), 700);
}

TEST_P(ProgramStart, WithoutItsResourceFileEndsWithMinusOneAndShowsNothing)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString exe = tmp.filePath(GetParam().name);
    ASSERT_TRUE(QFile::copy(QDir(BinDir()).filePath(GetParam().name), exe));
    QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::ExeOwner);
    const QString shot = tmp.filePath("main.png");
    const QByteArray script =
        QByteArray("screenshot ") + GetParam().mainPanel + " " + shot.toLocal8Bit() + "\nquit 0\n";
    const ProcessResult r = RunWithScript(exe, tmp.filePath("start.txt"), script);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.status, QProcess::NormalExit) << r.output.toStdString();
    EXPECT_EQ(r.code, 255) << r.output.toStdString(); // -1 as an exit status
    EXPECT_FALSE(QFile::exists(shot));
    EXPECT_FALSE(r.output.contains("POPUP")) << r.output.toStdString();
}

// A word where an action takes a number that is no number, or one out of
// range, ends the script at that line with status 2, as any script error.
TEST(UiScriptNumbers, ABadNumberEndsTheScriptWithItsLine)
{
    const char *const bad[] = {
        "wait soon",
        "wait 1e400",
        "waitfor P EditAverage == 1 -1",
        "waitfile /nonexistent nan",
        "set P EditAverage 12abc",
        "setcell P ColorTeachTable 1 99999999999 5",
        "printcell P ColorTeachTable x 1",
        "quit 256",
    };
    for (const char *line : bad) {
        QTemporaryDir tmp;
        ASSERT_TRUE(tmp.isValid());
        const QByteArray script = QByteArray("print P EditAverage\n") + line + "\nquit 0\n";
        const ProcessResult r = RunWithScript(QDir(BinDir()).filePath("Veltv61"), tmp.filePath("s.txt"), script);
        ASSERT_TRUE(r.finished) << line;
        EXPECT_EQ(r.code, 2) << line << "\n" << r.output.toStdString();
        EXPECT_TRUE(r.output.contains("ui script line 2: ")) << line << "\n" << r.output.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(AllPrograms, ProgramStart, ::testing::ValuesIn(kPrograms),
                         [](const ::testing::TestParamInfo<Program> &info) { return std::string(info.param.name); });

} // namespace
