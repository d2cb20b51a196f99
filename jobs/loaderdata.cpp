// Pure parts of the loader: telegram, answer checks, backup file, firmware
// file, boot text watcher.
#include "loaderdata.h"

#include "telegram.h"

#include <algorithm>
#include <cstring>

using namespace com232;

namespace quillon {

uint16_t fileBuf[kImageWords];

const char *const kBootPrompt = "\r\n\r\n Waiting for application S-Record.";
const char *const kBootSuccess = "Application started from address 0x00A4";
const char *const kBootError = "Error # 02";

void FillTxBuf(uint16_t ord, uint16_t block, uint16_t address, uint16_t count)
{
    PutWord(szWriteBuf, 0, com232::sync);
    PutWord(szWriteBuf, 2, ord);
    switch (ord) {
    case ORDER_EEPROM_PAGE: PutWord(szWriteBuf, 4, address); break;
    case ORDER_EEPROM_WRITE: {
        PutWord(szWriteBuf, 4, address);
        PutWord(szWriteBuf, 6, count);
        // The telegram has room for 14 data words after address and count;
        // a block index past the image sends no data.
        const int n = std::min<int>(count, 14);
        for (int k = 0; k < n; ++k) {
            const int at = block * kBlockWords + k;
            if (at >= kImageWords)
                break;
            PutWord(szWriteBuf, 8 + 2 * k, fileBuf[at]);
        }
        break;
    }
    case ORDER_EEPROM_READ:
        PutWord(szWriteBuf, 4, address);
        PutWord(szWriteBuf, 6, count);
        break;
    default:
        for (int k = 0; k < kTelegramWords; ++k)
            PutWord(szWriteBuf, 4 + 2 * k, pp[k]);
        break;
    }
}

void GetRxBuf()
{
    for (int k = 0; k < kTelegramWords; ++k)
        pp[k] = GetWord(szReadBuf, 2 * k);
}

void CopyVarsToPP()
{
    for (int k = 0; k < 16; ++k)
        pp[k] = (k % 2 == 0) ? 0x5555 : 0xAAAA;
}

void CopyPPtoVars() {}
void CopyDatatoVars() {}

bool EchoMatches(const char *sent, const char *answer, int answerBytes, int words)
{
    if (answerBytes != kTelegramBytes || words < 1 || words > kTelegramWords)
        return false;
    if (answer[0] != 0 || static_cast<unsigned char>(answer[1]) != kAnswerWord)
        return false;
    return std::memcmp(sent + 2, answer + 2, static_cast<size_t>(2 * words - 2)) == 0;
}

bool JumpAnswerAccepted(const uint16_t *w)
{
    return (w[0] == 0x0055 || w[0] == 0x0000 || w[0] == kAnswerWord) && w[1] == ORDER_JUMP_BOOT && w[2] == kAnswerWord;
}

bool BlockReadAccepted(const uint16_t *w) { return w[0] == kAnswerWord && w[1] == ORDER_EEPROM_READ; }

bool ParseBackup(const std::string &text, uint16_t *image, std::string *why)
{
    std::vector<uint16_t> values;
    values.reserve(kImageWords);
    size_t i = 0;
    const auto separator = [](char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; };
    while (i < text.size()) {
        if (separator(text[i])) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < text.size() && !separator(text[j]))
            ++j;
        const std::string token = text.substr(i, j - i);
        const bool digits =
            token.size() <= 10 && std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (!digits) {
            *why = "The file holds text that is not a number (\"" + token.substr(0, 20) + "\").";
            return false;
        }
        const unsigned long v = std::stoul(token);
        if (v > 65535) {
            *why = "The file holds the value " + token + ", outside 0 ... 65535.";
            return false;
        }
        if (values.size() == static_cast<size_t>(kImageWords)) {
            *why = "The file holds more than " + std::to_string(kImageWords) + " numbers.";
            return false;
        }
        values.push_back(static_cast<uint16_t>(v));
        i = j;
    }
    if (values.size() != static_cast<size_t>(kImageWords)) {
        *why = "The file holds " + std::to_string(values.size()) + " numbers instead of " +
               std::to_string(kImageWords) + ".";
        return false;
    }
    std::copy(values.begin(), values.end(), image);
    return true;
}

bool ForEachTextLine(const std::string &content, const std::function<bool(size_t, std::string &)> &visit)
{
    size_t start = 0, number = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        const size_t next = end == std::string::npos ? content.size() : end + 1;
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!visit(++number, line))
            return false;
        start = next;
    }
    return true;
}

bool SplitFirmwareLines(const std::string &content, size_t maxLine, std::vector<std::string> *lines, std::string *why)
{
    std::vector<std::string> out;
    const bool whole = ForEachTextLine(content, [&](size_t number, std::string &line) {
        if (line.find('\0') != std::string::npos) {
            *why = "Line " + std::to_string(number) + " holds a NUL byte: this is no S-record file.";
            return false;
        }
        if (line.size() > maxLine) {
            *why = "Line " + std::to_string(number) + " is longer than " + std::to_string(maxLine) + " characters.";
            return false;
        }
        if (!line.empty())
            out.push_back(std::move(line));
        return true;
    });
    if (whole)
        *lines = std::move(out);
    return whole;
}

void BootTextWatcher::clear()
{
    window_.clear();
    seen_[0] = seen_[1] = seen_[2] = false;
}

std::string BootTextWatcher::add(const char *data, int n)
{
    std::string text;
    text.reserve(n > 0 ? static_cast<size_t>(n) : 0);
    for (int k = 0; k < n; ++k)
        if (data[k] != '\0')
            text += data[k];
    const char *const watched[3] = {kBootPrompt, kBootSuccess, kBootError};
    // Each text is looked for where it could end in the new characters: from
    // its length minus one before them. Only then is the window trimmed.
    const size_t before = window_.size();
    window_ += text;
    for (int t = 0; t < 3; ++t) {
        if (seen_[t])
            continue;
        const size_t len = std::strlen(watched[t]);
        const size_t from = before >= len - 1 ? before - (len - 1) : 0;
        seen_[t] = window_.find(watched[t], from) != std::string::npos;
    }
    if (window_.size() > kCapacity)
        window_.erase(0, window_.size() - kCapacity / 2);
    return text;
}

} // namespace quillon
