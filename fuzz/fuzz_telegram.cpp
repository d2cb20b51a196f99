// Telegram framing and reply decoding of the sensor link: the scope
// programs' reply decoding into the parameter packet, the data frame and the
// variables, the telegram builder, and the loader's telegram and answer checks.
#include "fuzz_support.h"

#include "loaderdata.h"
#include "packet.h"
#include "telegram.h"

#include <cstring>

using namespace com232;

namespace {

void checkScopeReply(const char *reply)
{
    std::memcpy(szReadBuf, reply, kTelegramBytes);
    GetRxBufPara();
    for (int k = 0; k < kTelegramWords; ++k)
        FUZZ_CHECK(pp[k] ==
                   ((static_cast<unsigned char>(reply[2 * k]) << 8) | static_cast<unsigned char>(reply[2 * k + 1])));

    uint16_t cttBefore[kRows][5];
    uint16_t groupsBefore[32];
    std::memcpy(cttBefore, ctt, sizeof ctt);
    std::memcpy(groupsBefore, groupbuf, sizeof groupbuf);
    const uint16_t maxcolBefore = maxcolno;
    CopyPPtoVars();
    FUZZ_CHECK(maxcolno <= 31);
    if (pp[0] == 0x55 && pp[1] == ORDER_GET_PARA) {
        // The parameters taken, and built into the next telegram unchanged
        // (except the number of colours, limited to the table).
        FUZZ_CHECK(power == pp[2] && frei16 == pp[17]);
        FUZZ_CHECK(maxcolno == (pp[8] > 31 ? 31 : pp[8]));
        const uint16_t want[18] = {pp[0], pp[1],  pp[2],  pp[3],  pp[4],  pp[5],  pp[6],  pp[7],  pp[8],
                                   pp[9], pp[10], pp[11], pp[12], pp[13], pp[14], pp[15], pp[16], pp[17]};
        CopyVarsToPP();
        FUZZ_CHECK(FillTxBuf(ORDER_SET_PARA, 0) == 0);
        FUZZ_CHECK(GetWord(szWriteBuf, 0) == sync && GetWord(szWriteBuf, 2) == ORDER_SET_PARA);
        for (int k = 0; k < 16; ++k) {
            const uint16_t expect = k == 6 ? maxcolno : want[2 + k];
            FUZZ_CHECK(GetWord(szWriteBuf, 4 + 2 * k) == expect);
        }
    } else if (pp[0] == 0x55 && pp[1] == ORDER_GET_ROW && pp[2] < kRows) {
        const uint16_t r = pp[2];
        for (int c = 0; c < 5; ++c)
            FUZZ_CHECK(ctt[r][c] == pp[3 + c]);
        FUZZ_CHECK(groupbuf[r] == pp[8]);
        // The row goes out again as the sensor sent it.
        CopyVarsToPP();
        FUZZ_CHECK(FillTxBuf(ORDER_SET_ROW, r) == 0);
        FUZZ_CHECK(GetWord(szWriteBuf, 4) == r);
        for (int c = 0; c < 5; ++c)
            FUZZ_CHECK(GetWord(szWriteBuf, 6 + 2 * c) == ctt[r][c]);
        FUZZ_CHECK(GetWord(szWriteBuf, 16) == groupbuf[r]);
    } else {
        // Anything else changes no variable.
        FUZZ_CHECK(std::memcmp(cttBefore, ctt, sizeof ctt) == 0);
        FUZZ_CHECK(std::memcmp(groupsBefore, groupbuf, sizeof groupbuf) == 0);
        FUZZ_CHECK(maxcolno == maxcolBefore);
    }

    GetRxBufData();
    CopyDatatoVars();
    FUZZ_CHECK(dataR == GetWord(reply, 4) && dataG == GetWord(reply, 6) && dataB == GetWord(reply, 8));
    FUZZ_CHECK(dataTemp == GetWord(reply, 24) && dataGroup == GetWord(reply, 26));
}

void checkTelegramBuilder(uint16_t ord, uint16_t arg)
{
    char before[kBufSize];
    std::memcpy(before, szWriteBuf, sizeof before);
    const int r = FillTxBuf(ord, arg);
    const bool rowOrder = ord == ORDER_SET_ROW || ord == ORDER_GET_ROW;
    if (rowOrder && arg >= kRows) {
        FUZZ_CHECK(r == -1);
        FUZZ_CHECK(std::memcmp(before, szWriteBuf, sizeof before) == 0);
        return;
    }
    FUZZ_CHECK(r == 0);
    FUZZ_CHECK(GetWord(szWriteBuf, 0) == sync && GetWord(szWriteBuf, 2) == ord);
    if (rowOrder)
        FUZZ_CHECK(GetWord(szWriteBuf, 4) == arg);
    // Nothing past the telegram and the two unsent words is touched.
    FUZZ_CHECK(std::memcmp(before + 40, szWriteBuf + 40, sizeof before - 40) == 0);
}

void checkLoader(const char *reply, uint16_t ord, uint16_t block, uint16_t address, uint16_t count, uint8_t words)
{
    std::memcpy(szReadBuf, reply, kTelegramBytes);
    quillon::GetRxBuf();
    for (int k = 0; k < kTelegramWords; ++k)
        FUZZ_CHECK(pp[k] == GetWord(reply, 2 * k));
    FUZZ_CHECK(quillon::BlockReadAccepted(pp) == (pp[0] == 0x00AA && pp[1] == ORDER_EEPROM_READ));
    FUZZ_CHECK(quillon::JumpAnswerAccepted(pp) ==
               ((pp[0] == 0x55 || pp[0] == 0 || pp[0] == 0xAA) && pp[1] == ORDER_JUMP_BOOT && pp[2] == 0xAA));

    char before[kBufSize];
    std::memcpy(before, szWriteBuf, sizeof before);
    quillon::FillTxBuf(ord, block, address, count);
    FUZZ_CHECK(GetWord(szWriteBuf, 0) == sync && GetWord(szWriteBuf, 2) == ord);
    if (ord == ORDER_EEPROM_WRITE || ord == ORDER_EEPROM_READ)
        FUZZ_CHECK(GetWord(szWriteBuf, 4) == address && GetWord(szWriteBuf, 6) == count);
    if (ord == ORDER_EEPROM_WRITE) {
        // Data words come from the block of the image, never from beyond it.
        const int n = count < 14 ? count : 14;
        for (int k = 0; k < n && block * quillon::kBlockWords + k < quillon::kImageWords; ++k)
            FUZZ_CHECK(GetWord(szWriteBuf, 8 + 2 * k) == quillon::fileBuf[block * quillon::kBlockWords + k]);
    }
    FUZZ_CHECK(std::memcmp(before + 40, szWriteBuf + 40, sizeof before - 40) == 0);

    // An echo matches exactly when the answer word and the echoed bytes agree.
    const int w = words % 20; // also counts outside 1..18
    const bool match = quillon::EchoMatches(szWriteBuf, reply, kTelegramBytes, w);
    bool expect = w >= 1 && w <= kTelegramWords && reply[0] == 0 && static_cast<unsigned char>(reply[1]) == 0xAA;
    for (int b = 2; expect && b < 2 * w; ++b)
        expect = szWriteBuf[b] == reply[b];
    FUZZ_CHECK(match == expect);
    FUZZ_CHECK(!quillon::EchoMatches(szWriteBuf, reply, kTelegramBytes - 1, 1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    InitTelegramGlobals();
    ResetPacketVars();
    for (int i = 0; i < quillon::kImageWords; ++i)
        quillon::fileBuf[i] = static_cast<uint16_t>(i * 7919u);
    // Several replies in a row, so that state left by one reply meets the next.
    while (!in.empty()) {
        char reply[kTelegramBytes] = {};
        const std::string r = in.bytes(kTelegramBytes);
        std::memcpy(reply, r.data(), r.size());
        checkScopeReply(reply);
        const uint16_t ord = in.word();
        const uint16_t arg = in.word();
        checkTelegramBuilder(ord, arg);
        const uint16_t block = in.word();
        const uint16_t count = in.word();
        checkLoader(reply, ord, block, arg, count, in.byte());
    }
    return 0;
}
