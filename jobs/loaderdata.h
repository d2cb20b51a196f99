// Pure parts of the loader: its telegram, the answer checks, the EEPROM
// backup file, the firmware file and the watcher of the boot firmware's
// text. Nothing here touches a panel or the line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Orders of the loader.
enum : uint16_t {
    ORDER_EEPROM_PAGE = 180,
    ORDER_EEPROM_WRITE = 182,
    ORDER_EEPROM_READ = 184,
    ORDER_JUMP_BOOT = 187,
};

namespace quillon {

// The EEPROM region the loader backs up: 256 blocks of 13 words from 0x1200.
constexpr uint16_t kEepromBase = 0x1200;
constexpr int kBlockWords = 13;
constexpr int kBlocks = 256;
constexpr int kImageWords = kBlockWords * kBlocks; // 3328
constexpr int kPages = 13;
constexpr uint16_t kAnswerWord = 0x00AA;

// Image of the region: block i holds the words at 0x1200 + 13i ... + 12.
extern uint16_t fileBuf[kImageWords];

// Builds the loader's telegram in szWriteBuf (see the order table in the
// README): sync and order, then by order the address, count and data words;
// bytes an order does not define keep what the last telegram left there.
void FillTxBuf(uint16_t order, uint16_t block, uint16_t address, uint16_t count);
// Decodes the 36-byte answer in szReadBuf into pp words 0-17.
void GetRxBuf();
// pp words 0-15 = 0x5555, 0xAAAA, ... (the payload of the jump telegram).
void CopyVarsToPP();
// The program has no parameters of its own: these do nothing.
void CopyPPtoVars();
void CopyDatatoVars();

// Answer check of a write telegram: 36 bytes, 0x00 0xAA, then bytes 2 to
// 2n-1 equal to those sent.
bool EchoMatches(const char *sent, const char *answer, int answerBytes, int words);
// Answer to the jump order: word 0 0x0055, 0x0000 or 0x00AA; word 1 0x00BB; word 2 0x00AA.
bool JumpAnswerAccepted(const uint16_t *words);
// Answer to a block read: word 0 0x00AA, word 1 0x00B8.
bool BlockReadAccepted(const uint16_t *words);

// Reads a backup file's text into image (all 3328 words) only when it holds
// exactly 3328 numbers of 0 to 65535, separated by blanks, tabs, commas or
// line ends. Otherwise image is untouched and *why says what is wrong.
bool ParseBackup(const std::string &text, uint16_t *image, std::string *why);

// Calls visit(number, line) for each line of a text file's content, numbered
// from 1, its end (LF or CR LF) removed; stops early when visit returns false.
// Returns false when a visit did.
bool ForEachTextLine(const std::string &content, const std::function<bool(size_t, std::string &)> &visit);

// The longest firmware file line the loader sends.
constexpr size_t kMaxFirmwareLine = 1000;
// Splits a firmware file into the lines to send (line ends removed, LF or
// CR LF; empty lines dropped). Refuses (false, *why) a file with a line
// longer than maxLine characters or with a NUL byte.
bool SplitFirmwareLines(const std::string &content, size_t maxLine, std::vector<std::string> *lines, std::string *why);

// Texts of the boot firmware the loader looks for.
extern const char *const kBootPrompt;
extern const char *const kBootSuccess;
extern const char *const kBootError;

// Watches everything the boot firmware sends during one update for the
// prompt, success and error texts. The text is kept as a bounded window, and
// each text is noted the moment it is complete, so it is found even when it
// arrives in pieces over many reads, after any amount of other text, or in
// one read larger than the window. NUL bytes are not text: they are dropped.
class BootTextWatcher {
public:
    static constexpr size_t kCapacity = 4096;
    void clear();
    // Adds received bytes; returns their text as it is shown (without NULs).
    std::string add(const char *data, int n);
    bool promptSeen() const { return seen_[0]; }
    bool successSeen() const { return seen_[1]; }
    bool errorSeen() const { return seen_[2]; }
    size_t size() const { return window_.size(); }

private:
    std::string window_;
    bool seen_[3] = {false, false, false};
};

} // namespace quillon
