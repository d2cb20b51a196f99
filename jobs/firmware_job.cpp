// Firmware update: the file read and checked before the sensor leaves its
// application, the jump into the boot firmware, the wait for its prompt, the
// transfer line by line and the watch for its result text.
#include "exchange.h"
#include "loader.h"
#include "rt_file.h"
#include "rt_core.h"
#include "srecord_check.h"
#include "transport.h"

#include <algorithm>
#include <string>
#include <vector>

namespace quillon {

namespace {

constexpr double kPhaseLimit = 30.0;
// Bytes taken from the line in one read (the receive buffer).
constexpr int kReceiveBuffer = 500;
// The largest firmware file the loader reads (far above any image the
// sensor's flash can hold).
constexpr long kMaxFirmwareFile = 16L * 1024 * 1024;
// Characters handed to the line in one pass before events are serviced: the
// output never runs dry while the boot firmware keeps up, and XON/XOFF holds
// it when it does not.
constexpr size_t kBytesPerPass = 1024;
constexpr unsigned kLineWriteMs = 60000;

const char *const kAborted = " \nFirmeware Update aborted! \n";
const char *const kFailed = " \n\nFirmeware Update failed! \n";
const char *const kSucceeded = " \n\nFirmeware Update successful! \n";

BootTextWatcher g_bootText;
FirmwareStage g_stage = FirmwareStage::NotStarted;

// Reads what the boot firmware has sent, in pieces of the receive buffer,
// shows it and adds it to the watched text. Returns the bytes read.
int receiveBootText(LoaderObserver &obs)
{
    char buf[kReceiveBuffer];
    int total = 0;
    for (;;) {
        const int n = CurrentTransport().readAvailable(buf, kReceiveBuffer - 1);
        if (n <= 0)
            break;
        total += n;
        const std::string text = g_bootText.add(buf, n);
        if (!text.empty())
            obs.BootText(text);
        if (n < kReceiveBuffer - 1)
            break;
    }
    return total;
}

// The whole file, read before the sensor leaves its application.
bool readFirmwareFile(const std::string &path, std::string *content, std::string *why)
{
    long size = 0;
    if (GetFileInfo(path.c_str(), &size) != 1) {
        *why = "The file does not exist any more.";
        return false;
    }
    if (size > kMaxFirmwareFile) {
        *why = "The file is larger than " + std::to_string(kMaxFirmwareFile) + " bytes.";
        return false;
    }
    const int fh = OpenFile(path.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    if (fh < 0) {
        *why = "The file cannot be opened.";
        return false;
    }
    content->clear();
    char buf[8192];
    int n = 0;
    while ((n = ReadFile(fh, buf, sizeof buf)) > 0 && static_cast<long>(content->size()) <= kMaxFirmwareFile)
        content->append(buf, static_cast<size_t>(n));
    CloseFile(fh);
    if (n < 0) {
        *why = "The file cannot be read.";
        return false;
    }
    if (static_cast<long>(content->size()) > kMaxFirmwareFile) {
        *why = "The file is larger than " + std::to_string(kMaxFirmwareFile) + " bytes.";
        return false;
    }
    return true;
}

JobResult failed(LoaderObserver &obs, JobResult result, const std::string &text)
{
    obs.Failure(result, text);
    return result;
}

} // namespace

FirmwareStage LastFirmwareStage() { return g_stage; }

JobResult LoadFirmwareFile(const std::string &path, std::vector<std::string> *lines, LoaderObserver &obs)
{
    g_stage = FirmwareStage::NotStarted;
    std::string content, why;
    if (!readFirmwareFile(path, &content, &why) || !SplitFirmwareLines(content, kMaxFirmwareLine, lines, &why) ||
        !CheckSRecordFile(content, &why)) {
        const std::string text = " \nATTENTION! \nFirmware file " + path + " cannot be used: \n" + why +
                                 " \nFirmware Update will not be done! \n";
        obs.Status(text.c_str());
        return failed(obs, JobResult::FileRefused, path + ": " + why + " Nothing was sent.");
    }
    return JobResult::Ok;
}

JobResult RunFirmwareUpdate(const std::vector<std::string> &lines, bool resume, LoaderObserver &obs)
{
    g_bootText.clear();
    g_stage = FirmwareStage::NotStarted;
    if (!resume) {
        jmpBF(obs);
        if (comecho == 0)
            return failed(obs, JobResult::LineFailed,
                          "The sensor's application answered the jump order wrongly; it stays in its application.");
        g_stage = FirmwareStage::JumpSent;
    } else {
        obs.Step("Reset the sensor now (hardware reset): its boot firmware is awaited for 30 s.");
    }
    OpenLoaderLine(LoaderLine::Boot, obs);
    g_stage = FirmwareStage::BootLine;

    // Prompt phase: the boot firmware announces that it waits for the file.
    tstart = Timer();
    obs.Armed();
    for (bool running = true; running;) {
        if (receiveBootText(obs) > 0 && g_bootText.promptSeen())
            running = false;
        if (Timer() - tstart > kPhaseLimit)
            running = false;
        if (obs.Cancelled()) {
            obs.Status(kAborted);
            // The line stays in the boot firmware's configuration.
            return failed(obs, JobResult::Cancelled, "The update was stopped before the file was sent.");
        }
        ProcessSystemEvents();
    }

    // Transfer phase: the lines without their line ends, then listening
    // until a result text, the silence limit or a cancel.
    g_stage = FirmwareStage::Transfer;
    long totalBytes = 0;
    for (const std::string &line : lines)
        totalBytes += static_cast<long>(line.size());
    const long totalLines = static_cast<long>(lines.size());
    long bytes = 0;
    size_t next = 0, reported = 0;
    JobResult result = JobResult::LineFailed;
    std::string why = "The boot firmware went silent for 30 s without a result.";
    tstart = Timer();
    for (bool running = true; running;) {
        size_t handed = 0;
        while (next < lines.size() && handed < kBytesPerPass) {
            const std::string &line = lines[next++];
            const int n = CurrentTransport().write(line.data(), static_cast<int>(line.size()), kLineWriteMs);
            handed += line.size();
            if (n != static_cast<int>(line.size())) {
                // The line did not leave within the port's time-out: the
                // boot firmware holds it back for good or the port failed.
                obs.Status(kFailed);
                why = "Line " + std::to_string(next) + " of the file could not be written to the line.";
                running = false;
                break;
            }
            bytes += static_cast<long>(line.size());
            if (obs.Cancelled())
                break;
        }
        if (!running)
            break;
        // Progress of the transfer: never 0 while it runs.
        if (next != reported)
            obs.FirmwareProgress(static_cast<long>(next), totalLines, bytes, totalBytes);
        reported = next;
        if (receiveBootText(obs) > 0) {
            tstart = Timer();
            if (g_bootText.successSeen()) {
                running = false;
                result = JobResult::Ok;
                obs.Status(kSucceeded);
            }
            if (g_bootText.errorSeen()) {
                running = false;
                result = JobResult::LineFailed;
                why = "The boot firmware refused the file (Error # 02).";
                obs.Status(kFailed);
            }
        }
        if (running && Timer() - tstart > kPhaseLimit) {
            running = false;
            obs.Status(kFailed);
        }
        if (obs.Cancelled()) {
            obs.Status(kAborted);
            result = JobResult::Cancelled;
            why = "The update was stopped after " + std::to_string(next) + " of " + std::to_string(totalLines) +
                  " lines.";
            break;
        }
        ProcessSystemEvents();
    }

    obs.FirmwareProgress(0, 0, 0, 0);
    // Back to the application, for the identification of its new firmware.
    g_stage = FirmwareStage::Finished;
    OpenLoaderLine(LoaderLine::Application, obs);
    obs.Status("\n");
    SleepNoInput(2000);
    if (result != JobResult::Ok)
        obs.Failure(result, why);
    else
        g_stage = FirmwareStage::Accepted;
    return result;
}

} // namespace quillon
