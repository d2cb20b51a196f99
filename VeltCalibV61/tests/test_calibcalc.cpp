// The calibration program's pure calculations: factors and their checks, the
// capture means, the button blinking, the spreads, the parameter sets and the
// factor telegram.
#include "calibcalc.h"
#include "packet.h"
#include "telegram.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace com232;

namespace {

std::vector<int> Bytes(const char *buf, int from, int to)
{
    std::vector<int> out;
    for (int i = from; i < to; ++i)
        out.push_back(static_cast<unsigned char>(buf[i]));
    return out;
}

} // namespace

TEST(CalibFactors, FactorAndRangeCheckOnTheSameMeanForAllChannels)
{
    struct Case {
        uint16_t setvalue, mean;
        uint32_t factor;
        bool passes;
    };
    const Case cases[] = {
        {1000, 1000, 1024, true},    {1000, 1365, 750, true},  {1000, 1366, 749, false}, {1000, 788, 1299, true},
        {1000, 787, 1301, false},    {1000, 500, 2048, false}, {1, 0, 1024, true}, // a mean of 0 counts as 1
        {1300, 1024, 1300, true},                                                  // exactly the upper limit
        {4096, 63, 66576, false}, // out of range although its low 16 bits (1040) are not
        {65535, 1, 67107840, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(CalibFactor(c.setvalue, c.mean), c.factor) << c.setvalue << "/" << c.mean;
        const CfResult r = ComputeCalibFactors(c.setvalue, 100, c.mean, c.mean, c.mean, 100);
        EXPECT_EQ(r.check, c.passes ? CfCheck::Passed : CfCheck::OutOfRange) << c.setvalue << "/" << c.mean;
        if (c.passes) {
            EXPECT_EQ(std::vector<int>(r.cf, r.cf + 3), std::vector<int>(3, static_cast<int>(c.factor)));
        }
    }
}

TEST(CalibFactors, SpreadIsCheckedFirstAndOneBadChannelRefusesAll)
{
    // Equal to the maximum delta passes, one more fails even with good means.
    EXPECT_EQ(ComputeCalibFactors(1000, 40, 1000, 1000, 1000, 40).check, CfCheck::Passed);
    EXPECT_EQ(ComputeCalibFactors(1000, 40, 1000, 1000, 1000, 41).check, CfCheck::DeltaTooHigh);
    EXPECT_EQ(ComputeCalibFactors(1000, 40, 500, 500, 500, 41).check, CfCheck::DeltaTooHigh);

    const CfResult greenBad = ComputeCalibFactors(1000, 200, 1000, 1366, 1000, 0);
    EXPECT_EQ(greenBad.check, CfCheck::OutOfRange);
    EXPECT_EQ(std::vector<int>(greenBad.cf, greenBad.cf + 3), std::vector<int>(3, 0));

    const CfResult ok = ComputeCalibFactors(1000, 200, 952, 1000, 1111, 159);
    EXPECT_EQ(ok.check, CfCheck::Passed);
    EXPECT_EQ(std::vector<int>(ok.cf, ok.cf + 3), (std::vector<int> {1075, 1024, 921}));
}

TEST(CalibCapture, MeansTruncateAndFullScaleSumsDoNotOverflow)
{
    CaptureSums s;
    for (int i = 0; i < kCaptureFrames; ++i)
        s.Add(65535, static_cast<uint16_t>(i == 0 ? 999 : 1000), static_cast<uint16_t>(i < 99 ? 0 : 99), 7);
    EXPECT_EQ(CaptureSums::Mean(s.r), 65535);
    EXPECT_EQ(CaptureSums::Mean(s.g), 999); // 99999 / 100
    EXPECT_EQ(CaptureSums::Mean(s.b), 0);   // 99 / 100
    EXPECT_EQ(CaptureSums::Mean(s.d), 7);
}

TEST(CalibCapture, ButtonBlinksEveryFiveFramesAndEndsLightGrey)
{
    std::vector<int> changes;
    int last = -1;
    for (int i = 0; i < kCaptureFrames; ++i) {
        const int c = CaptureBlinkColor(i);
        if (c >= 0) {
            changes.push_back(i);
            last = c;
        }
        if (i == 0 || i == 10 || i == 90) {
            EXPECT_EQ(c, kColorRed) << i;
        }
        if (i == 5 || i == 15) {
            EXPECT_EQ(c, kColorLightGrey) << i;
        }
    }
    EXPECT_EQ(changes.size(), 20u);
    EXPECT_EQ(changes.back(), 95);
    EXPECT_EQ(last, kColorLightGrey);
}

TEST(CalibCapture, SpreadComparesUnsignedValues)
{
    EXPECT_EQ(Spread(900, 1000, 950), 100);
    EXPECT_EQ(Spread(1000, 1000, 1001), 1);
    EXPECT_EQ(Spread(65535, 0, 1), 65535);
    EXPECT_EQ(Spread(7, 7, 7), 0);
}

TEST(CalibTelegrams, FactorTelegramKeepsTheStaleWords)
{
    InitTelegramGlobals();
    for (int i = 0; i < kTelegramBytes; ++i)
        szWriteBuf[i] = static_cast<char>(0xA0 + i);
    FillTxBufCF(szWriteBuf, 1024, 1000, 980);
    EXPECT_EQ(Bytes(szWriteBuf, 0, 10),
              (std::vector<int> {0x00, 0x55, 0x00, 0x1E, 0x04, 0x00, 0x03, 0xE8, 0x03, 0xD4}));
    for (int i = 10; i < kTelegramBytes; ++i)
        EXPECT_EQ(static_cast<unsigned char>(szWriteBuf[i]), 0xA0 + i) << i;
}

TEST(CalibTelegrams, CalibrationSetLeavesSpareWordsAndDefaultSetFillsThePacket)
{
    uint16_t packet[kParaWords];
    for (int i = 0; i < kParaWords; ++i)
        packet[i] = 0x7777;
    FillCalibParaSet(packet, 70000); // the power's low 16 bits
    EXPECT_EQ(
        std::vector<uint16_t>(packet, packet + 17),
        (std::vector<uint16_t> {4464, 0, 0x8000, 0, 10, 0, 1, 0, 0, 0, 0, 3000, 3500, 0, 0x7777, 0x7777, 0x7777}));

    ResetPacketVars();
    frei15 = 5; // left from a reply: the default set clears it
    SetDefaultParaVars();
    CopyVarsToPP();
    EXPECT_EQ(std::vector<uint16_t>(pp, pp + 16),
              (std::vector<uint16_t> {250, 0, 128, 0, 10, 50, 1, 0, 0, 0, 0, 3000, 3500, 0, 0, 0}));
    for (int r = 0; r < kRows; ++r)
        EXPECT_EQ(std::vector<uint16_t>(pp + 16 + 6 * r, pp + 22 + 6 * r), (std::vector<uint16_t> {1, 1, 1, 1, 1, 0}))
            << r;
}
