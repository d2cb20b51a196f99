// The fault matrix: every sensor exchange of the four programs (how a
// script brings it about, which reply the fault hits) and, for each reply
// fault of the simulator, what the program shows. Run by e2e_fault_matrix.cpp.
#pragma once

#include "simproc.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace faultmatrix {

inline const std::string kVersion = "FAULT SENSOR V6.1";

enum class Link { Pty, Tcp };
enum class Fault { NoReply, Short, Long, BadEcho, Split, Close };
// NotApplicable: the fault cannot happen on any line the exchange uses.
enum class Outcome { Fails, Succeeds, NotApplicable };

inline const char *LinkName(Link l) { return l == Link::Pty ? "Pty" : "Tcp"; }

inline const char *FaultName(Fault f)
{
    switch (f) {
    case Fault::NoReply: return "NoReply";
    case Fault::Short: return "Short";
    case Fault::Long: return "Long";
    case Fault::BadEcho: return "BadEcho";
    case Fault::Split: return "Split";
    case Fault::Close: return "Close";
    }
    return "?";
}

inline std::vector<Fault> AllFaults()
{
    return {Fault::NoReply, Fault::Short, Fault::Long, Fault::BadEcho, Fault::Split, Fault::Close};
}

// A pseudo-terminal cannot be closed from the sensor's side (the simulator
// keeps the slave open), so "connection closed" runs over TCP only, and not
// at all for the loader, which talks RS232 only. The nearest serial
// equivalent, the device vanishing, is a test of its own.

// One run's simulator, line and directory (the program's installation, where
// its files go).
struct Case {
    std::string dir;
    std::unique_ptr<SimProcess> sim;
    Link link = Link::Pty;
    Fault fault = Fault::NoReply;
};

struct Exchange {
    const char *name;
    const char *program;
    const char *statusPanel; // the panel with DispStatus
    bool overTcp;            // the loader talks RS232 only
    bool atStart;            // over the pty the exchange runs before the script
    int order, nth;          // the reply the fault hits: the nth of this order
    int tcpTelegram;         // that request's number on its TCP connection
    std::vector<std::string> simArgs;
    void (*prepare)(Case &);                      // files the run needs
    std::string (*connect)(const Case &);         // up to a connected, idle program
    std::string (*before)(const Case &);          // set-up just before the exchange
    std::string (*run)(const Case &, bool fails); // the exchange, until it is over
    std::string after;                            // prints after the status display
    const char *writes;                           // a file a successful exchange changes
    const char *creates;                          // a file a successful exchange creates
    const char *closeRule = nullptr;              // "connection closed" other than at the request
};

// A text and how often it appears; upTo > times allows a range where the
// outcome depends on how far a burst of writes got before the line closed.
struct Expect {
    std::string text;
    int times;
    int upTo = -1;
};

// The lines a row is for: the same outcome on both, or a row for each.
enum class On { Both, Pty, Tcp };

struct Row {
    const char *exchange;
    Fault fault;
    Outcome outcome;
    std::vector<Expect> expect; // texts in the output and how often each appears
    On on = On::Both;
};

inline bool RowIsFor(const Row &row, Link link)
{
    return row.on == On::Both || (row.on == On::Pty) == (link == Link::Pty);
}

// The rules for one fault on the exchange's reply. "Connection closed" drops
// the reply and closes the connection right after the request.
inline std::vector<std::string> FaultRules(const Exchange &ex, Fault f)
{
    const std::string filter = ":order=" + std::to_string(ex.order) + ":nth=" + std::to_string(ex.nth);
    switch (f) {
    case Fault::NoReply: return {"noreply" + filter};
    case Fault::Short: return {"short:bytes=20" + filter};
    case Fault::Long: return {"long:bytes=8" + filter};
    case Fault::BadEcho: return {"badecho" + filter};
    case Fault::Split: return {"split:ms=100" + filter};
    case Fault::Close:
        if (ex.closeRule)
            return {ex.closeRule};
        return {"noreply" + filter, "close:after=" + std::to_string(ex.tcpTelegram)};
    }
    return {};
}

// ---- texts the programs show ------------------------------------------------------

inline const std::string kScopeTimeout = "POPUP " + kVersion +
                                         "| ATTENTION! \\n \\n TIMEOUT \\n NO CONNECTION TO SENSOR. \\n The version of "
                                         "the sensor is displayed as the name of this dialog box.\n";
inline const std::string kTempCompTimeout =
    "POPUP " + kVersion +
    "| ATTENTION! \\n \\n TIMEOUT \\n NO SERIAL CONNECTION TO SENSOR.                           \\n The version of the "
    "sensor is displayed as the name of this dialog box.\n";
inline const std::string kCalibTimeout = "POPUP " + kVersion +
                                         "| ATTENTION! \\n \\n TIMEOUT \\n NO SERIAL CONNECTION TO SENSOR. \\n The "
                                         "version of the sensor is displayed as the name of this dialog box.\n";
inline const std::string kServerClosed = "POPUP TCP Client|Server has closed connection!\n";
inline const std::string kStatusTimeout = "P.DispStatus=TIMEOUT\n";
inline const std::string kStatusVersion = "P.DispStatus=" + kVersion + "\n";
inline const std::string kNotOpened = "POPUP ATTENTION!| Make sure, that the file is not opened by any other program.";
inline const std::string kSaved = "POPUP INFO!|File has been saved!\n";
inline const std::string kCalibFailed = "POPUP ATTENTION!|CALIBRATION FAILED!\n";
inline const std::string kCalibPassed = "POPUP CALIBRATION PASSED!|";
inline const std::string kFinishInfo = "POPUP INFO!|";
inline const std::string kStoreFailed = "POPUP ATTENTION!| The default parameter set could not be stored";
inline const std::string kV61StoreFailed = "POPUP ATTENTION!| The parameter set could not be stored";
inline const std::string kV61LoadFailed = "POPUP ATTENTION!| The parameters could not be read from the EEPROM";
inline const std::string kTcSuccess = "P.DispResult=SUCCESS\n";
inline const std::string kLoaderFailure = "CONNECTION FAILURE";
inline const std::string kTransferError = "Error occured while creating EEPROM backup!";
inline const std::string kBackupFailed = "No Backup File has been created!";
inline const std::string kBackupDone = "Backup File has been created!";
inline const std::string kRestoreFailed = "Backup File has not been saved to EEPROM!";
inline const std::string kRestoreDone = "Backup File has been saved to EEPROM!";
inline const std::string kHardwareReset = "Waiting for HARDWARE RESET";
inline const std::string kFwDone = "Firmeware Update successful!";
inline const std::string kFwFailed = "Firmeware Update failed!";

// ---- scripts ------------------------------------------------------------------------

// A scope program's command is over when its Get (or Go) button is usable again.
inline const std::string kV61Settle = "waitfor P ButtonGet dimmed == 0 15\n";

inline std::string InterfacePanelTry(const Case &c)
{
    return "click P ButtonConnect\n"
           "set INTERFACEP EditCommunicationProtocol 1\n"
           "set INTERFACEP StringIpAdress 127.0.0.1\n"
           "set INTERFACEP StringPortNumber " +
           std::to_string(c.sim->tcpPort) +
           "\n"
           "click INTERFACEP ButtonTryToConnect\n";
}

// Connected and idle: over the pty the program connected at start-up; over
// TCP through the interface panel (Veltv61 then reads the parameters).
inline std::string ScopeConnect(const Case &c, const std::string &idle)
{
    if (c.link == Link::Pty)
        return "waitfor P DispStatus == " + kVersion + " 10\n" + idle;
    return InterfacePanelTry(c) + "waitfor INTERFACEP DispConnectionStatus == " + kVersion + " 10\n" + idle +
           "click INTERFACEP ButtonAccept\n";
}

inline std::string V61Connect(const Case &c)
{
    return ScopeConnect(c, "waitfor P EditAverage == 16 10\n" + kV61Settle);
}
inline std::string OtherConnect(const Case &c) { return ScopeConnect(c, ""); }
inline std::string Nothing(const Case &) { return ""; }

// The loader: a button's command is over when the button is usable again.
inline std::string LoaderClick(const std::string &button)
{
    return "click MAINP " + button + "\nwaitfor MAINP " + button + " dimmed == 0 60\n";
}

// A small firmware file in S-record form: a header, data records and an end record.
inline void WriteFirmware(const std::string &path)
{
    auto record = [](const char *type, unsigned address, const std::vector<unsigned> &data) {
        const unsigned count = 2 + static_cast<unsigned>(data.size()) + 1;
        unsigned sum = count + (address >> 8) + (address & 0xFF);
        char buf[8];
        std::string r = std::string("S") + type;
        std::snprintf(buf, sizeof buf, "%02X%04X", count, address);
        r += buf;
        for (unsigned b : data) {
            std::snprintf(buf, sizeof buf, "%02X", b);
            r += buf;
            sum += b;
        }
        std::snprintf(buf, sizeof buf, "%02X", ~sum & 0xFF);
        return r + buf + "\r\n";
    };
    std::string text = record("0", 0, {'F', 'W'});
    for (unsigned a = 0; a < 64; a += 16) {
        std::vector<unsigned> data;
        for (unsigned i = 0; i < 16; ++i)
            data.push_back((a + i) * 7 & 0xFF);
        text += record("1", 0x1000 + a, data);
    }
    text += record("9", 0, {});
    WriteTextFile(path, text);
}

// A backup file of the sensor's region: 3328 numbers, 13 a line.
inline void WriteBackup(const std::string &path)
{
    std::string s;
    for (int i = 0; i < 3328; ++i)
        s += std::to_string((i * 977 + 65000) & 0xFFFF) + (i % 13 == 12 ? "\r\n" : "\t");
    WriteTextFile(path, s);
}

// ---- the exchanges ------------------------------------------------------------------

// On TCP, Veltv61's connection carries the line check (1) and the parameter read (32) first.
constexpr int kV61Connected = 33;

// One exchange a row, its fields in the order Exchange lists them: the
// table is kept as written (clang-format would put every field on a line).
// clang-format off
inline const std::vector<Exchange> &Exchanges()
{
    static const std::vector<Exchange> all = {
        // Veltv61: the line check and the parameter read at start-up (over
        // TCP: after TRY TO CONNECT).
        {"V61StartUpVersion", "Veltv61", "P", true, true, 7, 1, 1, {}, nullptr, Nothing, Nothing,
         [](const Case &c, bool) {
             if (c.link == Link::Pty)
                 return std::string();
             return InterfacePanelTry(c) + "waitfor INTERFACEP ButtonTryToConnect dimmed == 0 15\n" + kV61Settle;
         },
         "", nullptr, nullptr},
        {"V61StartUpRead", "Veltv61", "P", true, true, 4, 5, 7, {}, nullptr, Nothing, Nothing,
         [](const Case &c, bool) {
             if (c.link == Link::Pty)
                 return std::string();
             return InterfacePanelTry(c) + "waitfor INTERFACEP ButtonTryToConnect dimmed == 0 15\n" + kV61Settle;
         },
         "", nullptr, nullptr},
        // Send to RAM: 32 telegrams, none answered.
        {"V61SendRam", "Veltv61", "P", true, false, 1, 1, kV61Connected + 1, {}, nullptr, V61Connect, Nothing,
         [](const Case &, bool) { return "click P ButtonSend\n" + kV61Settle; }, "", nullptr, nullptr},
        // Send to EEPROM: 32 telegrams, then the store (order 6) and its confirmation.
        {"V61SendEeprom", "Veltv61", "P", true, false, 6, 1, kV61Connected + 33, {}, nullptr, V61Connect,
         [](const Case &) { return std::string("click P SelectEEPROM\n"); },
         [](const Case &, bool) { return "click P ButtonSend\n" + kV61Settle; }, "", nullptr, nullptr},
        // Get from RAM: the parameters (order 3).
        {"V61GetRam", "Veltv61", "P", true, false, 3, 2, kV61Connected + 1, {}, nullptr, V61Connect, Nothing,
         [](const Case &, bool) { return "click P ButtonGet\n" + kV61Settle; }, "", nullptr, nullptr},
        // Get from EEPROM: the load (order 8) with its echo first.
        {"V61GetEeprom", "Veltv61", "P", true, false, 8, 1, kV61Connected + 1, {}, nullptr, V61Connect,
         [](const Case &) { return std::string("click P SelectEEPROM\n"); },
         [](const Case &, bool) { return "click P ButtonGet\n" + kV61Settle; }, "", nullptr, nullptr},
        // Go: the live data loop (order 5); the fault hits its first frame.
        {"V61Go", "Veltv61", "P", true, false, 5, 1, kV61Connected + 1, {"--temperature", "30"}, nullptr, V61Connect,
         Nothing,
         [](const Case &, bool fails) {
             if (fails)
                 return std::string("click P ButtonGo\nwaitfor P ButtonGo dimmed == 0 15\n");
             return "click P ButtonGo\nwaitfor P DispTemp == 30 10\nclick P ButtonStop\n" + kV61Settle;
         },
         "print P DispTemp\n", nullptr, nullptr},
        // The recorder: one timed frame (order 19) into a new record file.
        {"V61Recorder", "Veltv61", "P", true, false, 19, 1, kV61Connected + 1, {"--temperature", "30"}, nullptr,
         V61Connect,
         [](const Case &c) {
             return "click P ButtonOpenRecorder\nfile " + c.dir +
                    "/record.dat new\n"
                    "click RECP ButtonSelRecFile\n"
                    "set RECP EditInterval 1\n"
                    "set RECP EditRecVal 1\n";
         },
         [](const Case &, bool) {
             return std::string("answer yes\nclick RECP ButtonStartRecord\n"
                                "waitfor RECP ButtonStartRecord dimmed == 0 15\n");
         },
         "print RECP DispRecordedValues\n", "record.dat", nullptr},
        // Teaching: TEACH MEAN VAL runs the live loop that the captures take their frames from.
        {"V61TeachCapture", "Veltv61", "P", true, false, 5, 1, kV61Connected + 1, {"--temperature", "30"}, nullptr,
         V61Connect, [](const Case &) { return std::string("set P ParaVisible 0\n"); },
         [](const Case &, bool fails) {
             if (fails)
                 return "click P ButtonTeachMeanVal\n" + kV61Settle;
             return "click P ButtonTeachMeanVal\nwaitfor P DispTemp == 30 10\nclick TEACHP ButtonTpCapture\n"
                    "click P ButtonStop\n" +
                    kV61Settle;
         },
         "print TEACHP DispTpCounter\n", nullptr, nullptr},
        // Temperature compensation: the upload writes 63 blocks without
        // replies, then checks the line (order 7) and reads everything back.
        // Its connection closes after the last block (telegram 64).
        {"TcUpload", "VeltTempCompV61", "P", true, false, 7, 2, 64, {}, nullptr, OtherConnect, Nothing,
         [](const Case &, bool) {
             return std::string("click P ButtonSendCF\nwaitfor P ButtonSendCF buttoncolor == 0xE0E0E0 30\n");
         },
         "print P DispResult\n", nullptr, nullptr, "close:after=64"},
        // The read-back alone (Get): red factors first (order 44, 200 bytes).
        {"TcReadBack", "VeltTempCompV61", "P", true, false, 44, 1, 2, {}, nullptr, OtherConnect, Nothing,
         [](const Case &, bool fails) {
             if (fails)
                 return std::string("click P ButtonGet\nwaitfor P DispStatus == TIMEOUT 15\n");
             return std::string("click P ButtonGet\nwaitfor P DispResult ~= U 15\n");
         },
         "print P DispResult\n", nullptr, nullptr},
        // Calibration: the capture of 100 frames (order 5), then the factors
        // are written and the live loop runs again.
        {"CalCapture", "VeltCalibV61", "P", true, false, 5, 1, 2,
         {"--temperature", "25", "--noise", "0", "--scene", "%DIR%/scene.txt"},
         [](Case &c) { WriteTextFile(c.dir + "/scene.txt", "white 0.325 0.25 0.2188888888889 1000\n"); }, OtherConnect,
         // At the factory power 300 the raw values are 819, 600 and 473:
         // factors 750, 1024 and 1299 for the set value 600.
         [](const Case &) { return std::string("set P EditSetValue 600\nset P EditMaxDelta 577\n"); },
         [](const Case &c, bool fails) {
             // The live loop after the capture shows raw red (calibrated
             // red once new factors are in).
             const std::string loopEnd = "click P ButtonStop\nwaitfor P ButtonGo dimmed == 0 15\n";
             const std::string calc = "answer yes\nclick P ButtonCalcCF\n";
             if (!fails)
                 return calc + "waitfor P EditCFR == 750 20\nwaitfor P DispR == 599 20\n" + loopEnd;
             if (c.fault == Fault::Close) // the live loop fails at its first frame and ends
                 return calc + "waitfor P ButtonGo dimmed == 0 15\n";
             return calc + "waitfor P DispStatus == TIMEOUT 15\nwaitfor P DispRawR == 819 15\n" + loopEnd;
         },
         "print P EditCFR\n", nullptr, nullptr},
        // Finishing the calibration: the default set, its store (order 6)
        // and confirmation, the factors, the line check.
        {"CalFinish", "VeltCalibV61", "P", true, false, 6, 1, 2 + 32, {}, nullptr, OtherConnect, Nothing,
         [](const Case &, bool) {
             return std::string("click P ButtonFinishCalib\nwaitfor P ButtonGo dimmed == 0 20\n");
         },
         "", nullptr, nullptr},
        // The loader: identification (order 7) on TRY TO CONNECT.
        {"LoaderIdentify", "QuillonV20", "MAINP", false, false, 7, 2, 0, {}, nullptr, Nothing, Nothing,
         [](const Case &, bool) { return LoaderClick("ButtonTryToConnect"); }, "", nullptr, nullptr},
        // The EEPROM backup: 256 block reads (order 184) into a new file.
        {"LoaderBackup", "QuillonV20", "MAINP", false, false, 184, 1, 0, {}, nullptr, Nothing,
         [](const Case &c) { return "file " + c.dir + "/backup.dat new\n"; },
         [](const Case &, bool) { return LoaderClick("ButtonReadEEPROM"); }, "", nullptr, "backup.dat"},
        // The restore: pages (order 180), 256 block writes (order 182), the jump.
        {"LoaderRestore", "QuillonV20", "MAINP", false, false, 182, 1, 0, {"--boot-timeout", "2"},
         [](Case &c) { WriteBackup(c.dir + "/restore.dat"); }, Nothing,
         [](const Case &c) { return "file " + c.dir + "/restore.dat existing\n"; },
         [](const Case &, bool) { return LoaderClick("ButtonSaveEEPROM"); }, "", nullptr, nullptr},
        // The firmware update: the jump into the boot firmware (order 187) first.
        // The boot firmware prompts 2.5 s after the jump, once the loader
        // has given up waiting for the jump's answer (2 s) and listens for
        // the prompt: as a sensor reset by hand after an answer went missing.
        {"LoaderFirmware", "QuillonV20", "MAINP", false, false, 187, 1, 0, {"--prompt-delay-ms", "2500"},
         [](Case &c) { WriteFirmware(c.dir + "/fw.s"); }, Nothing,
         [](const Case &c) { return "file " + c.dir + "/fw.s existing\n" + LoaderClick("ButtonReadFW"); },
         [](const Case &, bool) { return LoaderClick("ButtonArmPL"); }, "", nullptr, nullptr},
    };
    return all;
}
// clang-format on

// ---- what each fault does to each exchange ----------------------------------------------

inline const std::vector<Row> &Rows()
{
    using F = Fault;
    const Outcome fails = Outcome::Fails, works = Outcome::Succeeds, none = Outcome::NotApplicable;
    // The scope programs' time-out: the pop-up once, TIMEOUT in the status display.
    const std::vector<Expect> v61Timeout = {{kScopeTimeout, 1}, {kStatusTimeout, 1}};
    const std::vector<Expect> v61Closed = {{kServerClosed, 1}, {kScopeTimeout, 1}, {kStatusTimeout, 1}};
    const std::vector<Expect> v61Fine = {{kStatusVersion, 1}};
    const std::vector<Expect> v61NotStored = {{kV61StoreFailed, 1}, {kStatusVersion, 1}};
    const std::vector<Expect> recTimeout = {{kNotOpened, 1}, {kScopeTimeout, 1}, {kSaved, 0}, {kStatusTimeout, 1}};
    const std::vector<Expect> tcTimeout = {{kTempCompTimeout, 1}, {kStatusTimeout, 1}};
    const std::vector<Expect> calFailed = {{kCalibFailed, 1}, {kStatusTimeout, 1}};
    static const std::vector<Row> rows = {
        // The line check reads a text, not an echo: a wrong word 1 cuts the
        // version text short at the NUL it puts there. Over RS232 every byte
        // in the queue counts: a reply with bytes beyond its 36 fails like a
        // missing one; over TCP the reply is read by its length and the rest
        // is dropped.
        {"V61StartUpVersion", F::NoReply, fails, {{kStatusTimeout, 1}}},
        {"V61StartUpVersion", F::Short, fails, {{kStatusTimeout, 1}}},
        {"V61StartUpVersion", F::Long, fails, {{kStatusTimeout, 1}}, On::Pty},
        {"V61StartUpVersion", F::Long, works, v61Fine, On::Tcp},
        {"V61StartUpVersion", F::BadEcho, works, {{"P.DispStatus=FA\n", 1}}},
        {"V61StartUpVersion", F::Split, works, v61Fine},
        {"V61StartUpVersion", F::Close, fails, {{kServerClosed, 1}, {kStatusTimeout, 1}}, On::Tcp},
        // Row replies carry their row number, not checked as an echo.
        {"V61StartUpRead", F::NoReply, fails, v61Timeout},
        {"V61StartUpRead", F::Short, fails, v61Timeout},
        {"V61StartUpRead", F::Long, fails, v61Timeout, On::Pty},
        {"V61StartUpRead", F::Long, works, v61Fine, On::Tcp},
        {"V61StartUpRead", F::BadEcho, works, v61Fine},
        {"V61StartUpRead", F::Split, works, v61Fine},
        {"V61StartUpRead", F::Close, fails, v61Closed, On::Tcp},
        // Nothing answers a parameter write: reply faults cannot act; a
        // closed connection fails the writes after it.
        {"V61SendRam", F::NoReply, works, v61Fine},
        {"V61SendRam", F::Short, works, v61Fine},
        {"V61SendRam", F::Long, works, v61Fine},
        {"V61SendRam", F::BadEcho, works, v61Fine},
        {"V61SendRam", F::Split, works, v61Fine},
        // The 32 telegrams go out in one burst: the close may come before
        // or after the last has been handed to the line.
        {"V61SendRam", F::Close, fails, {{kServerClosed, 1}, {kScopeTimeout, 0, 1}}, On::Tcp},
        // The store's confirmation is read so that it never answers a later
        // request; a missing or wrong one says that the EEPROM was not written.
        {"V61SendEeprom", F::NoReply, fails, v61NotStored},
        {"V61SendEeprom", F::Short, fails, v61NotStored},
        {"V61SendEeprom", F::Long, fails, v61NotStored, On::Pty},
        {"V61SendEeprom", F::Long, works, v61Fine, On::Tcp},
        {"V61SendEeprom", F::BadEcho, fails, v61NotStored},
        {"V61SendEeprom", F::Split, works, v61Fine},
        {"V61SendEeprom", F::Close, fails, {{kServerClosed, 1}, {kV61StoreFailed, 1}, {kStatusVersion, 1}}, On::Tcp},
        {"V61GetRam", F::NoReply, fails, v61Timeout},
        {"V61GetRam", F::Short, fails, v61Timeout},
        {"V61GetRam", F::Long, fails, v61Timeout, On::Pty},
        {"V61GetRam", F::Long, works, v61Fine, On::Tcp},
        {"V61GetRam", F::BadEcho, works, v61Fine},
        {"V61GetRam", F::Split, works, v61Fine},
        {"V61GetRam", F::Close, fails, v61Closed, On::Tcp},
        // A wrong echo to the EEPROM load ends the read with a message.
        {"V61GetEeprom", F::NoReply, fails, v61Timeout},
        {"V61GetEeprom", F::Short, fails, v61Timeout},
        {"V61GetEeprom", F::Long, fails, v61Timeout, On::Pty},
        {"V61GetEeprom", F::Long, works, v61Fine, On::Tcp},
        {"V61GetEeprom", F::BadEcho, fails, {{kV61LoadFailed, 1}, {kStatusVersion, 1}}},
        {"V61GetEeprom", F::Split, works, v61Fine},
        {"V61GetEeprom", F::Close, fails, v61Closed, On::Tcp},
        // A data frame must echo its order: a wrong echo is a failed exchange.
        {"V61Go", F::NoReply, fails, v61Timeout},
        {"V61Go", F::Short, fails, v61Timeout},
        {"V61Go", F::Long, fails, v61Timeout, On::Pty},
        {"V61Go", F::Long, works, v61Fine, On::Tcp},
        {"V61Go", F::BadEcho, fails, v61Timeout},
        {"V61Go", F::Split, works, v61Fine},
        {"V61Go", F::Close, fails, v61Closed, On::Tcp},
        // A recording whose first frame does not come records nothing and
        // does not say "File has been saved!": the time-out pop-up says why.
        {"V61Recorder", F::NoReply, fails, recTimeout},
        {"V61Recorder", F::Short, fails, recTimeout},
        {"V61Recorder", F::Long, fails, recTimeout, On::Pty},
        {"V61Recorder", F::Long, works, {{kNotOpened, 1}, {kSaved, 1}, {kStatusVersion, 1}}, On::Tcp},
        {"V61Recorder", F::BadEcho, fails, recTimeout},
        {"V61Recorder", F::Split, works, {{kNotOpened, 1}, {kSaved, 1}, {kStatusVersion, 1}}},
        {"V61Recorder",
         F::Close,
         fails,
         {{kNotOpened, 1}, {kServerClosed, 1}, {kScopeTimeout, 1}, {kSaved, 0}, {kStatusTimeout, 1}},
         On::Tcp},
        {"V61TeachCapture", F::NoReply, fails, v61Timeout},
        {"V61TeachCapture", F::Short, fails, v61Timeout},
        {"V61TeachCapture", F::Long, fails, v61Timeout, On::Pty},
        {"V61TeachCapture", F::Long, works, v61Fine, On::Tcp},
        {"V61TeachCapture", F::BadEcho, fails, v61Timeout},
        {"V61TeachCapture", F::Split, works, v61Fine},
        {"V61TeachCapture", F::Close, fails, v61Closed, On::Tcp},
        // The upload's own line check may fail: the read-back that follows
        // still proves the tables, and the status shows the sensor again.
        {"TcUpload", F::NoReply, works, {{kStatusVersion, 1}, {kTcSuccess, 1}}},
        {"TcUpload", F::Short, works, {{kStatusVersion, 1}, {kTcSuccess, 1}}},
        {"TcUpload", F::Long, works, {{kStatusVersion, 1}, {kTcSuccess, 1}}, On::Pty},
        {"TcUpload", F::Long, works, {{kStatusVersion, 1}, {kTcSuccess, 1}}, On::Tcp},
        {"TcUpload", F::BadEcho, works, {{"P.DispStatus=FA\n", 1}, {kTcSuccess, 1}}},
        {"TcUpload", F::Split, works, {{kStatusVersion, 1}, {kTcSuccess, 1}}},
        {"TcUpload", F::Close, works, {{kServerClosed, 1}, {kStatusVersion, 1}, {kTcSuccess, 1}}, On::Tcp},
        // Table replies carry no echo.
        {"TcReadBack", F::NoReply, fails, tcTimeout},
        {"TcReadBack", F::Short, fails, tcTimeout},
        {"TcReadBack", F::Long, fails, tcTimeout, On::Pty},
        {"TcReadBack", F::Long, works, {{kStatusVersion, 1}}, On::Tcp},
        {"TcReadBack", F::BadEcho, works, {{kStatusVersion, 1}}},
        {"TcReadBack", F::Split, works, {{kStatusVersion, 1}}},
        {"TcReadBack", F::Close, fails, {{kServerClosed, 1}, {kTempCompTimeout, 1}, {kStatusTimeout, 1}}, On::Tcp},
        {"CalCapture", F::NoReply, fails, calFailed},
        {"CalCapture", F::Short, fails, calFailed},
        {"CalCapture", F::Long, fails, calFailed, On::Pty},
        {"CalCapture", F::Long, works, {{kCalibPassed, 1}, {kStatusVersion, 1}}, On::Tcp},
        {"CalCapture", F::BadEcho, fails, calFailed},
        {"CalCapture", F::Split, works, {{kCalibPassed, 1}, {kStatusVersion, 1}}},
        // After a failed capture the factors shown are written and the live
        // loop starts, whatever the capture gave: on a closed connection both
        // fail, and the lost line is told by one time-out pop-up.
        {"CalCapture",
         F::Close,
         fails,
         {{kServerClosed, 1}, {kCalibFailed, 1}, {kCalibTimeout, 1}, {kStatusTimeout, 1}},
         On::Tcp},
        // Finishing ends with a new line check: the status shows the version again.
        {"CalFinish", F::NoReply, fails, {{kFinishInfo, 1}, {kCalibTimeout, 1}, {kStatusVersion, 1}}},
        {"CalFinish", F::Short, fails, {{kFinishInfo, 1}, {kCalibTimeout, 1}, {kStatusVersion, 1}}},
        {"CalFinish", F::Long, fails, {{kFinishInfo, 1}, {kCalibTimeout, 1}, {kStatusVersion, 1}}, On::Pty},
        {"CalFinish", F::Long, works, {{kFinishInfo, 1}, {kStatusVersion, 1}}, On::Tcp},
        {"CalFinish", F::BadEcho, fails, {{kFinishInfo, 1}, {kStoreFailed, 1}, {kStatusVersion, 1}}},
        {"CalFinish", F::Split, works, {{kFinishInfo, 1}, {kStatusVersion, 1}}},
        // The steps after the store run whatever it gave: on a closed
        // connection the store, Send CF and Get CF fail, and the lost line is
        // told by one time-out pop-up; the line check at the end reconnects.
        {"CalFinish",
         F::Close,
         fails,
         {{kFinishInfo, 1}, {kServerClosed, 1}, {kCalibTimeout, 1}, {kStatusVersion, 1}},
         On::Tcp},
        // The loader identifies by the length of the text: 36, 48 or 72 bytes.
        {"LoaderIdentify", F::NoReply, fails, {{kLoaderFailure, 1}}},
        {"LoaderIdentify", F::Short, fails, {{kLoaderFailure, 1}}},
        {"LoaderIdentify", F::Long, fails, {{kLoaderFailure, 1}}},
        {"LoaderIdentify", F::BadEcho, works, {{kLoaderFailure, 0}}},
        {"LoaderIdentify", F::Split, works, {{kLoaderFailure, 0}}},
        {"LoaderIdentify", F::Close, none, {}},
        // Block replies are read back to back without a flush: bytes beyond
        // a reply spoil the next one.
        {"LoaderBackup", F::NoReply, fails, {{kTransferError, 1}, {kBackupFailed, 1}}},
        {"LoaderBackup", F::Short, fails, {{kTransferError, 1}, {kBackupFailed, 1}}},
        {"LoaderBackup", F::Long, fails, {{kTransferError, 1}, {kBackupFailed, 1}}},
        {"LoaderBackup", F::BadEcho, fails, {{kTransferError, 1}, {kBackupFailed, 1}}},
        {"LoaderBackup", F::Split, works, {{kBackupDone, 1}}},
        {"LoaderBackup", F::Close, none, {}},
        {"LoaderRestore", F::NoReply, fails, {{kTransferError, 1}, {kRestoreFailed, 1}}},
        {"LoaderRestore", F::Short, fails, {{kTransferError, 1}, {kRestoreFailed, 1}}},
        {"LoaderRestore", F::Long, fails, {{kTransferError, 1}, {kRestoreFailed, 1}}},
        {"LoaderRestore", F::BadEcho, fails, {{kTransferError, 1}, {kRestoreFailed, 1}}},
        {"LoaderRestore", F::Split, works, {{kRestoreDone, 1}}},
        {"LoaderRestore", F::Close, none, {}},
        // Without an answer to the jump the user is asked to reset the
        // sensor by hand; a sensor whose boot firmware starts anyway takes the update.
        {"LoaderFirmware", F::NoReply, works, {{kHardwareReset, 1}, {kFwDone, 1}}},
        {"LoaderFirmware", F::Short, works, {{kHardwareReset, 1}, {kFwDone, 1}}},
        {"LoaderFirmware", F::Long, works, {{kHardwareReset, 1}, {kFwDone, 1}}},
        {"LoaderFirmware", F::BadEcho, fails, {{kHardwareReset, 1}, {kFwDone, 0}}},
        {"LoaderFirmware", F::Split, works, {{kHardwareReset, 0}, {kFwDone, 1}}},
        {"LoaderFirmware", F::Close, none, {}},
    };
    return rows;
}

} // namespace faultmatrix
