// The recorder and the graph panel of Veltv61 against the simulated sensor,
// driven by UI scripts: timed and manual recordings compared byte for byte
// with the frames the sensor sent, the counters and time displays, the
// choice of the record file, failed writes and a frame that does not come.
#include "e2e.h"
#include "e2e_script.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

const std::string kVersion = "E2E RECORDER V6.1";
const std::string kHeader = "DATE\t\0TIME\t\0RED\t\0GREEN\t\0BLUE\t\0X s\t\0Y i\t\0INT M\t\0TEMP\t\0\r\n"s;
const std::string kSaved = "POPUP INFO!|File has been saved!\n";
const std::string kTimeoutPopup =
    "POPUP " + kVersion +
    "| ATTENTION! \\n \\n TIMEOUT \\n NO CONNECTION TO SENSOR. \\n The version of the sensor "
    "is displayed as the name of this dialog box.\n";

// Over TCP the script also waits for the parameter read after the line check.
std::string Connect(Link link, const SimProcess &sim)
{
    return ConnectScript(link, sim, kVersion, "waitfor P EditAverage == 16 10\nwaitfor P ButtonGet dimmed == 0 10\n");
}

SimProcess StartSim(Link link, std::vector<std::string> extra = {})
{
    std::vector<std::string> args = {"--version-text", kVersion, "--temperature", "30"};
    args.insert(args.end(), extra.begin(), extra.end());
    return SimProcess(args, true, link == Link::Pty);
}

// Runs the program installed in dir on the script; prefix runs it under a
// shell command line (a file-size limit).
int RunVeltv61(const SimProcess &sim, const std::string &dir, const std::string &script, std::string *out,
               const std::string &shellPrefix = "")
{
    if (shellPrefix.empty())
        return RunScriptIn("Veltv61", dir, &sim, script, out);
    const std::string exe = InstallCopy("Veltv61", dir);
    const std::string path = WriteTextFile(dir + "/script.txt", script);
    const std::string com1 = sim.ptyLink.empty() ? std::string("/nonexistent/tty") : sim.ptyLink;
    const std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=" + com1};
    return RunProgram("/bin/sh", {"-c", shellPrefix + " exec \"$0\" --ui-script \"$1\"", exe, path}, env, 60, out);
}

// The seven recorded values of every frame the sensor sent for order 19, tab-separated.
std::vector<std::string> RecFramesSent(const SimProcess &sim)
{
    std::vector<std::string> out;
    for (const std::string &hex : sim.telegrams("tx", 19)) {
        std::string values;
        for (size_t w : {2, 3, 4, 5, 6, 7, 12})
            values += (values.empty() ? "" : "\t") + std::to_string(std::stoul(hex.substr(4 * w, 4), nullptr, 16));
        out.push_back(values);
    }
    return out;
}

struct RecordFile {
    bool headerOk = false;
    std::vector<std::string> values; // the values of each data line
    std::vector<int> seconds;        // time of day of each line's stamp
    std::string faults;              // lines whose fixed fields are malformed
};

// Splits a record file into its lines and checks each line's fixed fields.
RecordFile ReadRecordFile(const std::string &path)
{
    RecordFile r;
    const std::string bytes = ReadTextFile(path);
    r.headerOk = bytes.compare(0, kHeader.size(), kHeader) == 0;
    size_t pos = r.headerOk ? kHeader.size() : 0;
    while (pos < bytes.size()) {
        const size_t end = bytes.find("\r\n", pos);
        const std::string line = bytes.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? bytes.size() : end + 2;
        int mo = 0, d = 0, y = 0, h = 0, mi = 0, s = 0;
        const bool ok = line.size() > 26 && std::sscanf(line.c_str(), "%2d-%2d-%4d", &mo, &d, &y) == 3 &&
                        line[2] == '-' && line.substr(10, 3) == "\0\0\t"s &&
                        std::sscanf(line.c_str() + 13, "%2d:%2d:%2d", &h, &mi, &s) == 3 &&
                        line.substr(21, 5) == "\0\0\0\0\t"s && end != std::string::npos;
        if (!ok)
            r.faults += line + "|";
        r.values.push_back(line.size() > 26 ? line.substr(26) : "");
        r.seconds.push_back(h * 3600 + mi * 60 + s);
    }
    return r;
}

// Manual records (one line each, the frame polled last or held), then two
// timed recordings at 1 s: the file holds the header once and exactly the
// frames the sensor sent; the counters and the graph panel follow.
TEST(Recorder, ManualThenTimedRecordsHoldTheFramesSentAndTheGraphShowsThem)
{
    SimProcess sim = StartSim(Link::Pty);
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir(), file = dir + "/rec.dat";
    // One step a line. The layouts of the modes, the recording time and the
    // graph panel's signal choice are unit tests.
    const std::string script =
        "click P ButtonOpenRecorder\nfile %D/rec.dat new\nclick RECP ButtonSelRecFile\nset RECP EditSelectDataRec 1\n"
        "click RECP ButtonStartPolling\nwaitfor RECP DispTemp == 30 10\nprintattr RECP ButtonStartPolling dimmed\n"
        "click RECP ButtonManualRecord\nwaitfor RECP DispRecordedValues == 1 10\n"
        "click RECP ButtonManualRecord\nwaitfor RECP DispRecordedValues == 2 10\n"
        "click RECP ButtonStopPolling\nwaitfor RECP ButtonStartPolling dimmed == 0 10\n"
        "click RECP ButtonManualRecord\nprint RECP DispRecordedValues\nprint GRAPHP DispR\n"
        "set RECP EditSelectDataRec 0\nset RECP EditInterval 1\nset RECP EditRecVal 3\n"
        "answer yes\nclick RECP ButtonStartRecord\nwaitfor RECP DispRecordedValues == 1 10\n"
        "printattr RECP ButtonStartRecord dimmed\nprintattr RECP ButtonStartRecord buttoncolor\n"
        "printattr RECP EditSelectDataRec dimmed\nprint RECP DispRemaining\n"
        "waitfor RECP DispRecordedValues == 3 10\nwaitfor RECP ButtonStartRecord dimmed == 0 10\n"
        "printattr RECP ButtonStartRecord buttoncolor\nprint RECP DispRemaining\n"
        "set RECP EditRecVal 2\nanswer yes\nclick RECP ButtonStartRecord\n"
        "waitfor RECP DispRemaining == 0 10\nwaitfor RECP ButtonStartRecord dimmed == 0 10\n"
        "click RECP ButtonCloseRecorder\nclick P ButtonShowGraph\nprint GRAPHP DispR\nprint GRAPHP DispTemp\n"
        "screenshot GRAPHP %D/graph-red.png\nquit 0\n";
    std::string out;
    ASSERT_EQ(RunVeltv61(sim, dir, Connect(Link::Pty, sim) + WithDir(script, dir), &out), 0) << out;
    EXPECT_TRUE(Has(out, "RECP.ButtonStartPolling.dimmed=1\n")) << out;
    EXPECT_TRUE(Has(out, "RECP.DispRecordedValues=3\n")) << out;
    EXPECT_TRUE(Has(out, "RECP.ButtonStartRecord.dimmed=1\nRECP.ButtonStartRecord.buttoncolor=0xFF0000\n"
                         "RECP.EditSelectDataRec.dimmed=1\nRECP.DispRemaining=2\n"))
        << out;
    EXPECT_TRUE(Has(out, "RECP.ButtonStartRecord.buttoncolor=0xE0E0E0\nRECP.DispRemaining=0\n")) << out;
    EXPECT_EQ(Count(out, kSaved), 2) << out; // the timed recordings only
    EXPECT_EQ(Count(out, "POPUP ATTENTION!| Make sure, that the file is not opened"), 2) << out;

    // The file's bytes: the header, then lines of fixed fields and the values sent.
    const RecordFile rec = ReadRecordFile(file);
    EXPECT_TRUE(rec.headerOk);
    EXPECT_EQ(rec.faults, "");
    const std::vector<std::string> sent = RecFramesSent(sim);
    ASSERT_EQ(rec.values.size(), 8u);
    ASSERT_GE(sent.size(), 6u);
    // The manual lines are frames sent while polling, in order; the last one
    // is the frame held, the last polled.
    const std::vector<std::string> polled(sent.begin(), sent.end() - 5);
    size_t at = 0;
    for (size_t i = 0; i < 3; ++i) {
        while (at < polled.size() && polled[at] != rec.values[i])
            ++at;
        EXPECT_LT(at, polled.size()) << rec.values[i];
    }
    EXPECT_EQ(rec.values[2], polled.back());
    EXPECT_TRUE(Has(out, "GRAPHP.DispR=" + polled.back().substr(0, polled.back().find('\t')) + "\n")) << out;
    // The timed lines are the frames sent after polling stopped, each one
    // interval after the one before within a recording.
    EXPECT_EQ(std::vector<std::string>(rec.values.begin() + 3, rec.values.end()),
              std::vector<std::string>(sent.end() - 5, sent.end()));
    for (size_t i : {4u, 5u, 7u})
        EXPECT_TRUE((rec.seconds[i] - rec.seconds[i - 1] + 86400) % 86400 <= 2) << i;

    // The graph panel shows the last recorded frame.
    const std::string last = sent.back();
    EXPECT_TRUE(Has(out, "GRAPHP.DispR=" + last.substr(0, last.find('\t')) + "\nGRAPHP.DispTemp=30\n")) << out;
    // The red curve of the two frames of the second recording spans the plot
    // (from about x = 60 to 560), not only its left edge.
    QImage red(QString::fromStdString(dir + "/graph-red.png"));
    ASSERT_FALSE(red.isNull());
    int rightmostRed = -1;
    for (int y = 0; y < red.height(); ++y)
        for (int x = 0; x < 580 && x < red.width(); ++x) {
            const QRgb c = red.pixel(x, y);
            if (qRed(c) > 100 && qGreen(c) < 60 && qBlue(c) < 60)
                rightmostRed = std::max(rightmostRed, x);
        }
    EXPECT_GT(rightmostRed, 500);
}

// The file dialog (cancel and decline keep the earlier path, accept empties
// the file down to the header); then failed writes, also for root: each is
// named in a pop-up, is not counted, and leaves whole lines only.
TEST(Recorder, FileChoiceAndFailedWritesAreReportedAndLeaveWholeLines)
{
    SimProcess sim = StartSim(Link::Pty);
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir(), oldFile = dir + "/old.dat", other = dir + "/other.dat";
    const std::string plain = dir + "/plain", bad = plain + "/rec.dat", file = dir + "/rec.dat";
    WriteTextFile(oldFile, "OLD DATA\r\n");
    WriteTextFile(other, "OTHER DATA\r\n");
    WriteTextFile(plain, "a plain file\n");
    std::string script = "waitfor P DispStatus == " + kVersion + " 10\nclick P ButtonOpenRecorder\n" +
                         WithDir("file %D/old.dat cancel\nclick RECP ButtonSelRecFile\nprint RECP DispRecFile\n"
                                 "file %D/old.dat existing\nanswer no\nclick RECP ButtonSelRecFile\n"
                                 "print RECP DispRecFile\n"
                                 "file %D/old.dat existing\nanswer yes\nclick RECP ButtonSelRecFile\n"
                                 "print RECP DispRecFile\n"
                                 "file %D/other.dat existing\nanswer no\nclick RECP ButtonSelRecFile\n"
                                 "file %D/other.dat cancel\nclick RECP ButtonSelRecFile\nprint RECP DispRecFile\n"
                                 "rightclick RECP ButtonStartRecord\nrightclick RECP EditInterval\n"
                                 "file %D/plain/rec.dat existing\nanswer yes\nclick RECP ButtonSelRecFile\n"
                                 "file %D/plain/rec.dat new\nclick RECP ButtonSelRecFile\nprint RECP DispRecFile\n"
                                 "file %D/rec.dat new\nclick RECP ButtonSelRecFile\nset RECP EditSelectDataRec 1\n",
                                 dir);
    // Without a frame fetched every value is 0: 41-byte lines. 55 + 11 x 41 = 506
    // bytes fit below the 512-byte limit, the twelfth line does not.
    for (int i = 0; i < 12; ++i)
        script += "click RECP ButtonManualRecord\n";
    script += "print RECP DispRecordedValues\nset RECP EditSelectDataRec 0\nset RECP EditRecVal 5\n"
              "answer yes\nclick RECP ButtonStartRecord\nwaitfor RECP DispTemp == 30 10\n"
              "click RECP ButtonStopRecord\nwaitfor RECP ButtonStartRecord dimmed == 0 10\n"
              "print RECP DispRecordedValues\nprintattr RECP ButtonStartRecord dimmed\n"
              "printattr RECP EditSelectDataRec dimmed\nquit 0\n";
    std::string out;
    ASSERT_EQ(RunVeltv61(sim, dir, script, &out, "trap '' XFSZ; ulimit -f 1;"), 0) << out;
    // The file dialog's own log lines aside.
    std::string seen;
    for (size_t p = 0; p < out.size();) {
        const size_t e = out.find('\n', p);
        const std::string line = out.substr(p, e == std::string::npos ? std::string::npos : e + 1 - p);
        if (line.rfind("FILEDIALOG ", 0) != 0)
            seen += line;
        p = e == std::string::npos ? out.size() : e + 1;
    }
    out = seen;
    const std::string noFile = "POPUP ATTENTION!|No filename was choosen! \\nRecording will not be done! \n";
    const std::string confirm = "CONFIRM ATTENTION!|File already exist! \\nDo you want to select existing file? -> ";
    EXPECT_TRUE(Has(out, noFile + "RECP.DispRecFile=\n" + confirm + "no\nRECP.DispRecFile=\n" + confirm +
                             "yes\nPOPUP ATTENTION!| Make sure, that the file is not opened by any other program." +
                             std::string(36, ' ') + "\\n Otherwise it can not be saved.\nRECP.DispRecFile=" + oldFile +
                             "\n" + confirm + "no\n" + noFile + "RECP.DispRecFile=" + oldFile + "\n"))
        << out;
    EXPECT_TRUE(Has(out,
                    "POPUP INFO!| Start record. \\n Record R,G,B,X,Y,INT, TEMP \\n respectively R,G,B,s,i,M,TEMP.\n"
                    "POPUP INFO!| Choose a even interval for recording. \\n Minimum interval is 1 second. \n"))
        << out;
    EXPECT_EQ(ReadTextFile(oldFile), kHeader);
    EXPECT_EQ(ReadTextFile(other), "OTHER DATA\r\n");

    const std::string notWritten = "POPUP ATTENTION!| The record file could not be written: \\n ";
    EXPECT_TRUE(Has(out, "POPUP ATTENTION!| The record file could not be deleted: \\n " + bad + " \n")) << out;
    EXPECT_TRUE(Has(out, notWritten + bad + " \nRECP.DispRecFile=" + oldFile + "\n")) << out;
    EXPECT_EQ(Count(out, notWritten + file + " \n"), 2) << out;
    EXPECT_TRUE(Has(out, "RECP.DispRecordedValues=11\n")) << out;
    EXPECT_TRUE(Has(out, notWritten + file +
                             " \nRECP.DispRecordedValues=0\nRECP.ButtonStartRecord.dimmed=0\n"
                             "RECP.EditSelectDataRec.dimmed=0\n"))
        << out;
    EXPECT_FALSE(Has(out, "File has been saved!")) << out;

    const RecordFile rec = ReadRecordFile(file);
    EXPECT_TRUE(rec.headerOk);
    EXPECT_EQ(rec.faults, "");
    EXPECT_EQ(rec.values, std::vector<std::string>(11, "0\t0\t0\t0\t0\t0\t0"));
    EXPECT_EQ(ReadTextFile(file).size(), 506u);
}

// A frame that does not come (the third) ends the recording with the
// time-out pop-up; the counters stay at what was written, and "File has been
// saved!" follows. (A missing first frame is a fault-matrix row.)
TEST(Recorder, AFrameThatDoesNotComeEndsTheRecording)
{
    SimProcess sim = StartSim(Link::Tcp, {"--fault", "noreply:order=19:nth=3"});
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir(), file = dir + "/timeout.dat";
    std::string out;
    ASSERT_EQ(RunVeltv61(sim, dir,
                         Connect(Link::Tcp, sim) + "click P ButtonOpenRecorder\nfile " + file +
                             " new\nclick RECP ButtonSelRecFile\n"
                             "set RECP EditRecVal 5\nanswer yes\nclick RECP ButtonStartRecord\n"
                             "waitfor P DispStatus == TIMEOUT 10\nwaitfor RECP ButtonStartRecord dimmed == 0 10\n"
                             "print RECP DispRecordedValues\nprint RECP DispRemaining\nquit 0\n",
                         &out),
              0)
        << out;
    EXPECT_EQ(Count(out, kTimeoutPopup), 1) << out;
    EXPECT_EQ(Count(out, kSaved), 1) << out;
    EXPECT_TRUE(Has(out, "RECP.DispRecordedValues=2\nRECP.DispRemaining=3\n")) << out;
    const RecordFile rec = ReadRecordFile(file);
    EXPECT_EQ(rec.faults, "");
    EXPECT_EQ(rec.values, RecFramesSent(sim));
    EXPECT_EQ(rec.values.size(), 2u);
}

} // namespace
