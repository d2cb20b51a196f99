// Telegram packing and unpacking and the parameter packet copies, checked
// against byte layouts written out by hand (the packet's round trip through a
// file, the decoding of any reply and the IP history records are fuzz targets).
#include "packet.h"
#include "telegram.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

using namespace com232;

namespace {

class Framing : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitTelegramGlobals();
        ResetPacketVars();
    }
    static std::vector<int> sent(int n = kTelegramBytes)
    {
        std::vector<int> out;
        for (int i = 0; i < n; ++i)
            out.push_back(static_cast<unsigned char>(szWriteBuf[i]));
        return out;
    }
    static std::vector<int> words(int offset, int n)
    {
        std::vector<int> out;
        for (int i = 0; i < n; ++i)
            out.push_back(GetWord(szWriteBuf, offset + 2 * i));
        return out;
    }
};

TEST_F(Framing, ParameterOrdersCarryTheSixteenParameterWordsBigEndian)
{
    for (int k = 0; k < 18; ++k)
        pp[k] = static_cast<uint16_t>(0x1234 + k);
    ASSERT_EQ(FillTxBuf(ORDER_SET_PARA, 99), 0);
    EXPECT_EQ(sent(8), (std::vector<int> {0x00, 0x55, 0x00, 0x01, 0x12, 0x34, 0x12, 0x35}));
    // pp words 16 and 17 land beyond the 36 bytes that are sent.
    EXPECT_EQ(words(34, 3), (std::vector<int> {0x1234 + 15, 0x1234 + 16, 0x1234 + 17}));
    // Orders are cut to 16 bits.
    FillTxBuf(0x10005, 0);
    EXPECT_EQ(GetWord(szWriteBuf, 2), 5);
}

TEST_F(Framing, RowOrdersKeepTheStaleWordsOfThePreviousTelegram)
{
    for (int k = 0; k < kParaWords; ++k)
        pp[k] = static_cast<uint16_t>(1000 + k);
    ASSERT_EQ(FillTxBuf(ORDER_SET_ROW, 30), 0);
    EXPECT_EQ(words(4, 7), (std::vector<int> {30, 1196, 1197, 1198, 1199, 1200, 1201})); // row, pp words 196-201
    const std::vector<int> before = sent();
    ASSERT_EQ(FillTxBuf(ORDER_GET_ROW, 7), 0);
    const std::vector<int> after = sent();
    EXPECT_EQ(words(2, 2), (std::vector<int> {ORDER_GET_ROW, 7}));
    EXPECT_TRUE(std::equal(after.begin() + 6, after.end(), before.begin() + 6));

    // A row number past the table is refused and changes nothing.
    EXPECT_EQ(FillTxBuf(ORDER_SET_ROW, 31), -1);
    EXPECT_EQ(FillTxBuf(ORDER_GET_ROW, 0xFFFF), -1);
    EXPECT_EQ(sent(), after);
}

// A parameter reply fills the variables and limits MAXCOL-No.; a wrong sync
// changes nothing; a row reply fills one row, rows past the table are ignored.
TEST_F(Framing, RepliesFillTheVariables)
{
    pp[0] = 0x55;
    pp[1] = ORDER_GET_PARA;
    for (int k = 0; k < 16; ++k)
        pp[2 + k] = static_cast<uint16_t>(100 + k);
    pp[2 + 6] = 40; // maxcolno
    CopyPPtoVars();
    // The sixteen variables in packet order.
    EXPECT_EQ((std::vector<int> {power, pmode, average, evalmode, hold, intlim, maxcolno, outmode, trigger, exteach,
                                 calcmode, dynwinlo, dynwinhi, colorgroup, frei15, frei16}),
              (std::vector<int> {100, 101, 102, 103, 104, 105, 31, 107, 108, 109, 110, 111, 112, 113, 114, 115}));
    pp[0] = 0x54;
    pp[2] = 7;
    CopyPPtoVars();
    EXPECT_EQ(power, 100);

    pp[0] = 0x55;
    pp[1] = ORDER_GET_ROW;
    pp[2] = 30;
    for (int c = 0; c < 6; ++c)
        pp[3 + c] = static_cast<uint16_t>(500 + c);
    CopyPPtoVars();
    EXPECT_EQ((std::vector<int> {ctt[30][0], ctt[30][4], groupbuf[30], power}),
              (std::vector<int> {500, 504, 505, 100}));
    uint16_t snapshot[kRows][5];
    std::memcpy(snapshot, ctt, sizeof ctt);
    pp[2] = 31;
    CopyPPtoVars();
    EXPECT_TRUE(std::memcmp(snapshot, ctt, sizeof ctt) == 0 && groupbuf[31] == 0);
}

} // namespace
