// The loader's telegram and backup file reading. (The answer checks, the
// boot text watcher and the firmware file's split into lines are fuzz
// targets; e2e_loader refuses over-long lines and sends CR LF files.)
#include "loaderdata.h"
#include "telegram.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace com232;
using namespace quillon;

namespace {

std::string hex(const char *buf, int from, int to)
{
    std::string s;
    char b[4];
    for (int i = from; i < to; ++i) {
        std::snprintf(b, sizeof b, "%02x", static_cast<unsigned char>(buf[i]));
        s += b;
    }
    return s;
}

// A valid backup text with value(i) as element i, in the program's own layout.
std::string backupText(unsigned (*value)(int), const char *sep = "\t", const char *eol = "\r\n")
{
    std::string s;
    for (int b = 0; b < kBlocks; ++b) {
        for (int j = 0; j < kBlockWords; ++j) {
            if (j)
                s += sep;
            s += std::to_string(value(b * kBlockWords + j));
        }
        s += eol;
    }
    return s;
}

unsigned ramp(int i) { return static_cast<unsigned>(i * 19 % 65536); }

} // namespace

TEST(LoaderTelegram, OrdersFillTheirFieldsAndKeepTheRest)
{
    InitTelegramGlobals();
    com232::sync = 0x55;
    for (int i = 0; i < kImageWords; ++i)
        fileBuf[i] = static_cast<uint16_t>(0x1000 + i);

    // The jump telegram carries the 0x5555/0xAAAA pattern.
    CopyVarsToPP();
    FillTxBuf(ORDER_JUMP_BOOT, 0, 0, 0);
    EXPECT_EQ(hex(szWriteBuf, 0, 36),
              "005500bb" + std::string("5555aaaa5555aaaa5555aaaa5555aaaa5555aaaa5555aaaa5555aaaa5555aaaa"));

    // A block write (its 13 words from fileBuf, fuzz-checked) leaves bytes 34-35.
    FillTxBuf(ORDER_EEPROM_WRITE, 255, 0x1200 + 13 * 255, 13);
    EXPECT_EQ(hex(szWriteBuf, 34, 36), "aaaa");

    // A page command sets only its address; the count of the write stays.
    FillTxBuf(ORDER_EEPROM_PAGE, 0, 0x1300, 0);
    EXPECT_EQ(hex(szWriteBuf, 0, 8), "005500b41300000d");

    // The identify telegram carries pp, which is whatever the last answer left.
    szReadBuf[0] = 0;
    szReadBuf[1] = static_cast<char>(0xAA);
    szReadBuf[2] = static_cast<char>(0x80);
    szReadBuf[3] = 0x01;
    GetRxBuf();
    EXPECT_EQ(pp[0], 0x00AA);
    EXPECT_EQ(pp[1], 0x8001); // never sign-extended
    FillTxBuf(ORDER_GET_VERSION, 0, 0, 0);
    EXPECT_EQ(hex(szWriteBuf, 0, 8), "0055000700aa8001");
}

TEST(BackupFile, ReadsExactly3328NumbersOrNothing)
{
    uint16_t image[kImageWords];
    std::string why;
    ASSERT_TRUE(ParseBackup(backupText(ramp), image, &why)) << why;
    for (int i = 0; i < kImageWords; ++i)
        ASSERT_EQ(image[i], ramp(i)) << i;
    // Padded fields, LF line ends and the largest value read the same.
    std::string padded = backupText(ramp, "   ", "\n");
    padded.replace(0, padded.find(' '), "65535");
    ASSERT_TRUE(ParseBackup(padded, image, &why)) << why;
    EXPECT_EQ(image[0], 65535);

    std::string missing = backupText(ramp);
    missing.erase(missing.find_last_of('\t')); // drops the last number and line end
    std::string extra = backupText(ramp) + "7\r\n";
    std::string tooBig = backupText(ramp);
    tooBig.replace(0, tooBig.find('\t'), "65536");
    std::string text = backupText(ramp);
    text.replace(0, text.find('\t'), "0x12");
    const std::vector<std::pair<std::string, std::string>> refused = {
        {missing, "3327 numbers"},      {extra, "more than 3328"}, {tooBig, "65536"},
        {text, "not a number"},         {"", "0 numbers"},         {"-1", "not a number"},
        {"99999999999", "not a number"}};
    for (const auto &[file, reason] : refused) {
        for (auto &v : image)
            v = 0x4242;
        EXPECT_FALSE(ParseBackup(file, image, &why)) << reason;
        EXPECT_NE(why.find(reason), std::string::npos) << why;
        EXPECT_EQ(image[0], 0x4242) << "a refused file left the image as it was";
    }
}
