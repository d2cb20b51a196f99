// The loader's jobs over its serial line: identification, the line in its two
// configurations, the jump into the boot firmware, EEPROM backup and restore
// and the firmware update. Each reports to a LoaderObserver: the loader
// program's observer appends the status texts to its status window, the
// command-line tool's observer prints progress and failures.
#pragma once

#include "exchange.h"
#include "job.h"
#include "loaderdata.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

struct LoaderObserver : JobObserver {
    // A text of the loader's status window, in the loader's words
    // (line ends included).
    virtual void Status(const char *text) { (void)text; }
    // Text of the boot firmware as it arrives (NULs dropped).
    virtual void BootText(const std::string &text) { (void)text; }
    // Between two blocks of a backup: a program with a panel serves its
    // pending events here (the progress shows at once); a tool without one
    // has none to serve and goes straight on.
    virtual void ServeEvents() {}
    // The firmware update starts to wait for the boot firmware: from here
    // on Cancelled() ends it.
    virtual void Armed() {}
    // Progress of a firmware transfer: lines and bytes handed to the line
    // (all 0 when it ends). By default reported as bytes.
    virtual void FirmwareProgress(long lines, long totalLines, long bytes, long totalBytes)
    {
        (void)lines;
        (void)totalLines;
        Progress(bytes, totalBytes, "bytes");
    }
};

// COM port number the loader's line is opened on, the result of the last
// open and the text of a port error.
extern uint16_t comport;
extern int16_t ret;
extern char szStatus[52];
// Outcome of the last exchange: 1 good, 0 failed; a long job ends at 0.
extern int16_t comecho;

// Start-up state of the loader's globals: the telegram buffers cleared, sync
// 0x55, 18-word telegrams, order 1, COM1, comecho 1, fileBuf zero.
void InitLoaderJobs();

enum class LoaderLine {
    Application, // 19200 baud 8N1, time-out 2 s
    Boot,        // 115200 baud 8N1 with XON/XOFF, time-out 60 s
};
// The line the loader jobs open (a COM number, a device path, or a TCP
// address, which serves every job but the firmware update); not set, they
// open COM<comport>.
void SetLoaderLink(const LinkName &name);
// Closes the line and opens the loader's line in one configuration. Returns ret (0 or
// the port's negative error code; its text goes to the status window).
int OpenLoaderLine(LoaderLine line, LoaderObserver &obs);

// Identification of the sensor's application (order 7): its text of 36, 48
// or 72 bytes, shown up to its first NUL. The whole second is waited out.
JobResult IdentifyLoader(LoaderObserver &obs, std::string *text);

// Bytes the last exchange of a 36-byte telegram received (more than 36 when
// a serial line holds more), the same count over every transport.
int ReplyBytes();
// Sends the write telegram in szWriteBuf and checks its answer over n words
// (36 bytes, 0x00 0xAA, bytes 2 to 2n-1 as sent); a telegram not written
// whole fails too.
void CheckEcho(int words, LoaderObserver &obs);
// Marks a failed exchange: comecho 0, progress 0, the transfer error text.
void SetPopupTimeout(LoaderObserver &obs);
// Sends the sensor's application into its boot firmware. comecho 0 when it
// answered wrongly; no answer leaves comecho 1 (a hardware reset starts the
// boot firmware).
void jmpBF(LoaderObserver &obs);

// The EEPROM region (256 blocks of 13 words from 0x1200) into a backup file
// at path: 256 CR LF lines of 13 tab-separated numbers, written only when
// every block has arrived, and atomically. The blocks are also left in fileBuf.
JobResult RunBackup(const std::string &path, LoaderObserver &obs);

// The backup file at path into the sensor: the whole file is checked first,
// then 13 page commands, 256 block writes and the closing jump order. With
// verify the region is read back before the jump and compared block by
// block (each block that differs is reported; no jump then).
JobResult RunRestore(const std::string &path, bool verify, LoaderObserver &obs);

// Reads and checks a firmware file before anything is sent: it exists, its
// lines fit and it is sound S-records. The lines to send go to *lines.
JobResult LoadFirmwareFile(const std::string &path, std::vector<std::string> *lines, LoaderObserver &obs);

// The firmware update of the checked lines: the jump order (not with resume:
// the sensor already waits in its boot firmware and is reset by hand), the
// line reopened for the boot firmware, its prompt awaited (30 s), the lines
// sent, its result text awaited, and the line reopened for the application
// two seconds before the caller identifies the sensor. Ok only on the boot
// firmware's success text.
JobResult RunFirmwareUpdate(const std::vector<std::string> &lines, bool resume, LoaderObserver &obs);

// How far a firmware update got (for the caller's words after it ended):
// Finished when the line is back in the application's configuration,
// Accepted when, besides, the boot firmware took the file.
enum class FirmwareStage { NotStarted, JumpSent, BootLine, Transfer, Finished, Accepted };
FirmwareStage LastFirmwareStage();

// ---- the firmware update as the command-line tool runs it ----------------------
// The name of a backup made before a firmware update:
// "<identification>-<UTC time>.dat", the identification's words joined by
// "-" and only letters, digits, "-", "." and "_" kept ("sensor" when none
// is left), the time as 20261207T061500Z.
std::string FlashBackupName(const std::string &identification, long long utcSeconds);
// Where those backups go: $XDG_DATA_HOME/veltra/backups, by default
// ~/.local/share/veltra/backups.
std::string FlashBackupDir();

struct FlashOptions {
    std::string file;
    bool backup = true; // a complete EEPROM backup first (not with resume)
    bool resume = false;
};
struct FlashOutcome {
    std::string before, after; // identifications before and after the update
    std::string backupFile;    // the backup written, if any
};
// The file checked first, then (unless resume or no backup) the sensor
// identified and its EEPROM backed up complete into FlashBackupDir(), then
// the update, then the sensor identified again. Ok only on the boot
// firmware's success text and a new identification.
JobResult RunFlash(const FlashOptions &options, LoaderObserver &obs, FlashOutcome *outcome);

} // namespace quillon
