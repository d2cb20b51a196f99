// EEPROM backup and restore: the region 0x1200 ... 0x1EFF, 256 blocks of
// 13 words, to and from the EEPROM backup file, and the read-back that
// verifies a restore.
#include "exchange.h"
#include "loader.h"
#include "rt_file.h"
#include "rt_core.h"
#include "telegram.h"
#include "transport.h"

#include <algorithm>
#include <cstdio>
#include <string>

using namespace com232;

namespace quillon {

namespace {

constexpr double kBlockWait = 3.0;
constexpr int kPageWords = 256;
constexpr long kMaxBackupFile = 1024L * 1024;

const char *const kBackupFailed = " \nFailure! \nNo Backup File has been created! \n";
const char *const kRestoreFailed = " \nFailure! \nBackup File has not been saved to EEPROM!\n";
const char *const kBackupStopped = "The backup was stopped; no file was written. The sensor is unchanged.";
const char *const kPagesStopped = "The restore was stopped before any block was written; the sensor's region is "
                                  "unchanged and the sensor stays in its application.";

std::string blocksStopped(int i)
{
    return "The restore was stopped after " + std::to_string(i) +
           " of 256 blocks: the sensor's region is partly written. The sensor stays in its application; restore "
           "the file again.";
}

// The words of block i of the region, e.g. "block 12 (0x129C-0x12A8)".
std::string blockName(int i)
{
    const unsigned first = kEepromBase + kBlockWords * static_cast<unsigned>(i);
    char text[48];
    std::snprintf(text, sizeof text, "block %d (0x%04X-0x%04X)", i, first, first + kBlockWords - 1);
    return text;
}

// Reads block i into dest (13 words). A failed exchange calls SetPopupTimeout.
bool readBlock(int i, uint16_t *dest, LoaderObserver &obs)
{
    FillTxBuf(ORDER_EEPROM_READ, 0, static_cast<uint16_t>(kEepromBase + kBlockWords * i), kBlockWords);
    const bool refused = ExchangeBusy();
    if (!refused)
        Exchange(kTelegramBytes, kBlockWait, LinkWait::Events, false);
    bool good = !refused && nBytesW == kTelegramBytes && ReplyBytes() == kTelegramBytes;
    if (good) {
        GetRxBuf();
        good = BlockReadAccepted(pp);
    }
    if (good)
        std::copy(pp + 4, pp + 4 + kBlockWords, dest);
    else
        SetPopupTimeout(obs);
    return good;
}

// Ends a job on the caller's request between two telegrams.
JobResult cancelled(LoaderObserver &obs, const std::string &state)
{
    obs.Progress(0, 0, "blocks");
    obs.Failure(JobResult::Cancelled, state);
    return JobResult::Cancelled;
}

// The backup file's whole text; false (with the reason) when it cannot be read.
bool readBackupFile(const std::string &path, std::string *text, std::string *why)
{
    long size = 0;
    if (GetFileInfo(path.c_str(), &size) != 1) {
        *why = "The file cannot be found.";
        return false;
    }
    if (size > kMaxBackupFile) {
        *why = "The file is far too large for a backup file.";
        return false;
    }
    const int fh = OpenFile(path.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    if (fh < 0) {
        *why = "The file cannot be opened.";
        return false;
    }
    char buf[8192];
    int n = 0;
    while ((n = ReadFile(fh, buf, sizeof buf)) > 0 && static_cast<long>(text->size()) <= kMaxBackupFile)
        text->append(buf, static_cast<size_t>(n));
    CloseFile(fh);
    if (n < 0) {
        *why = "The file cannot be read.";
        return false;
    }
    return true;
}

// Reads the region back and compares it with fileBuf block by block.
JobResult verifyRegion(LoaderObserver &obs, long done, long total)
{
    uint16_t block[kBlockWords];
    int differing = 0;
    order = ORDER_EEPROM_READ;
    for (int i = 0; i < kBlocks; ++i) {
        if (!obs.Cancelled() && readBlock(i, block, obs)) {
            if (!std::equal(block, block + kBlockWords, fileBuf + kBlockWords * i)) {
                ++differing;
                obs.Difference(blockName(i));
            }
            obs.Progress(++done, total, "blocks");
            continue;
        }
        if (obs.Cancelled())
            return cancelled(obs, "The restore was stopped while it read the region back: every block is "
                                  "written, the sensor stays in its application (no jump order was sent).");
        break;
    }
    if (comecho == 0) {
        obs.Status(kRestoreFailed);
        obs.Failure(JobResult::LineFailed, "The read-back of the region failed; the sensor stays in its application.");
        return JobResult::LineFailed;
    }
    obs.Progress(0, 0, "blocks");
    if (differing > 0) {
        obs.Status(kRestoreFailed);
        obs.Failure(JobResult::VerifyDiffers, std::to_string(differing) +
                                                  " of 256 blocks read back differ from the file; the sensor stays "
                                                  "in its application (no jump order was sent).");
        return JobResult::VerifyDiffers;
    }
    return JobResult::Ok;
}

} // namespace

JobResult RunBackup(const std::string &path, LoaderObserver &obs)
{
    FlushLink();
    long done = 0;
    obs.Progress(done, kBlocks, "blocks");
    comecho = 1;
    order = ORDER_EEPROM_READ;
    // Blocks collect here; fileBuf takes them only once all have arrived.
    static uint16_t image[kImageWords];
    for (int i = 0; i < kBlocks; ++i) {
        if (obs.Cancelled())
            return cancelled(obs, kBackupStopped);
        if (!readBlock(i, image + kBlockWords * i, obs) && obs.Cancelled())
            return cancelled(obs, kBackupStopped);
        if (comecho == 0)
            break;
        obs.Progress(++done, kBlocks, "blocks");
        obs.ServeEvents();
    }
    obs.Progress(0, 0, "blocks");
    if (comecho != 1) {
        obs.Status(kBackupFailed);
        obs.Failure(JobResult::LineFailed, "The EEPROM region could not be read; no file was written.");
        return JobResult::LineFailed;
    }
    std::copy(image, image + kImageWords, fileBuf);
    // Written whole or not at all: a failed write leaves the earlier file.
    const int w = ArrayToFile(path.c_str(), fileBuf, VAL_UNSIGNED_SHORT_INTEGER, kImageWords, kBlockWords,
                              VAL_DATA_MULTIPLEXED, VAL_GROUPS_AS_COLUMNS, VAL_SEP_BY_TAB, 10, VAL_ASCII, VAL_TRUNCATE);
    if (w < 0) {
        const std::string text = " \nThe EEPROM Backup file " + path + " could not be written! \n";
        obs.Status(text.c_str());
        obs.Status(kBackupFailed);
        obs.Failure(JobResult::FileNotWritten, "The backup file " + path + " could not be written.");
        return JobResult::FileNotWritten;
    }
    obs.Status(" \nSuccess! \nBackup File has been created! \n");
    return JobResult::Ok;
}

JobResult RunRestore(const std::string &path, bool verify, LoaderObserver &obs)
{
    // The whole file is checked before anything is sent: a sensor never gets
    // half a restore from a damaged file.
    std::string text, why;
    if (!readBackupFile(path, &text, &why) || !ParseBackup(text, fileBuf, &why)) {
        const std::string msg = " \nThe EEPROM Backup file " + path + " cannot be restored: \n" + why + " \n";
        obs.Status(msg.c_str());
        obs.Status(kRestoreFailed);
        obs.Failure(JobResult::FileRefused, path + ": " + why + " Nothing was sent.");
        return JobResult::FileRefused;
    }
    FlushLink();
    const long total = kPages + kBlocks + (verify ? kBlocks : 0);
    long done = 0;
    obs.Progress(done, total, "blocks");
    comecho = 1;

    order = ORDER_EEPROM_PAGE;
    for (int k = 0; k < kPages; ++k) {
        if (obs.Cancelled())
            return cancelled(obs, kPagesStopped);
        FillTxBuf(ORDER_EEPROM_PAGE, 0, static_cast<uint16_t>(kEepromBase + kPageWords * k), 0);
        CheckEcho(2, obs);
        if (comecho == 0 && obs.Cancelled())
            return cancelled(obs, kPagesStopped);
        if (comecho == 0)
            break;
        SleepNoInput(200);
        obs.Progress(++done, total, "blocks");
    }
    if (comecho == 1) {
        order = ORDER_EEPROM_WRITE;
        for (int i = 0; i < kBlocks; ++i) {
            if (obs.Cancelled())
                return cancelled(obs, blocksStopped(i));
            FillTxBuf(ORDER_EEPROM_WRITE, static_cast<uint16_t>(i),
                      static_cast<uint16_t>(kEepromBase + kBlockWords * i), kBlockWords);
            CheckEcho(17, obs);
            if (comecho == 0 && obs.Cancelled())
                return cancelled(obs, blocksStopped(i + 1));
            if (comecho == 0)
                break;
            obs.Progress(++done, total, "blocks");
        }
    }
    if (comecho == 1 && verify) {
        const JobResult r = verifyRegion(obs, done, total);
        if (r != JobResult::Ok)
            return r;
    }
    obs.Progress(0, 0, "blocks");
    const bool written = comecho == 1;
    if (written) {
        jmpBF(obs);
        if (comecho == 1) {
            Sleep(2000);
            obs.Status(" \nSuccess! \nBackup File has been saved to EEPROM!\n");
            return JobResult::Ok;
        }
    }
    obs.Status(kRestoreFailed);
    obs.Failure(JobResult::LineFailed,
                written ? "Every block was written, but the sensor's application answered the closing jump order "
                          "wrongly."
                        : "The restore failed part-way; the sensor's region may be partly written. The sensor stays "
                          "in its application; restore the file again.");
    return JobResult::LineFailed;
}

} // namespace quillon
