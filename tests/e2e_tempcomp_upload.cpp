// VeltTempCompV61 against the simulated sensor (over the pty: the fault matrix
// runs the upload over both lines): the upload
// telegrams as the sensor received them, the pauses, the reconnect and the
// read-back that reports "SUCCESS".
#include "e2e_tempcomp_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tempcompe2e;

namespace {

// Send CF: the start order, the 32 cube-root blocks and the 30 factor blocks
// with the pauses between them, the reconnect and the five read-back
// requests; the sensor stores what it receives, so "SUCCESS".
TEST(TempCompUpload, SendsEveryBlockReconnectsAndReadsBackSuccess)
{
    SimProcess sim({"--version-text", kVersion}, false, true);
    ASSERT_TRUE(sim.ok());
    std::string out;
    ASSERT_EQ(RunTempComp(&sim,
                          Connect(Link::Pty, sim) + kCoefficients +
                              "click P ButtonSendCF\n"
                              "waitfor P ButtonSendCF buttoncolor == 0xFF0000 10\n"
                              "waitfor P DispResult == SUCCESS 30\n"
                              "printattr P ButtonSendCF buttoncolor\n"
                              "print P DispStatus\n"
                              "quit 0\n",
                          &out),
              0)
        << out;
    EXPECT_FALSE(Has(out, "POPUP")) << out;
    EXPECT_TRUE(Has(out, "P.ButtonSendCF.buttoncolor=0xE0E0E0\n")) << out;
    EXPECT_TRUE(Has(out, "P.DispStatus=" + kVersion + "\n")) << out;

    std::vector<int> expected = UploadOrders();
    expected.insert(expected.begin(), 7);
    ASSERT_EQ(sim.receivedOrders(), expected);

    for (const std::string &hex : Received(sim, 43, "hex"))
        EXPECT_EQ(Words(hex), Telegram(43, 0));
    const std::vector<std::string> root = Received(sim, 50, "hex");
    ASSERT_EQ(root.size(), 32u);
    for (int b = 0; b < 32; ++b) {
        std::vector<uint16_t> entries;
        for (int i = 8 * b; i < 8 * b + 8; ++i)
            entries.push_back(RootEntry(i));
        EXPECT_EQ(Words(root[static_cast<size_t>(b)]), Telegram(50, static_cast<uint16_t>(b), entries)) << b;
    }
    EXPECT_EQ(Words(root[31])[10], 15979);
    uint16_t (*const factor[3])(int) = {RedFactor, GreenFactor, BlueFactor};
    for (int c = 0; c < 3; ++c) {
        const std::vector<std::string> blocks = Received(sim, 40 + c, "hex");
        ASSERT_EQ(blocks.size(), 10u);
        for (int b = 0; b < 10; ++b) {
            std::vector<uint16_t> values;
            for (int t = 10 * b; t < 10 * b + 10; ++t)
                values.push_back(factor[c](t));
            EXPECT_EQ(Words(blocks[static_cast<size_t>(b)]),
                      Telegram(static_cast<uint16_t>(40 + c), static_cast<uint16_t>(b), values))
                << c << " " << b;
        }
    }
    for (int o : {44, 45, 46})
        for (const std::string &hex : Received(sim, o, "hex"))
            EXPECT_EQ(Words(hex), Telegram(static_cast<uint16_t>(o), 0));
    const std::vector<std::string> rootReads = Received(sim, 51, "hex");
    ASSERT_EQ(rootReads.size(), 2u);
    EXPECT_EQ(Words(rootReads[0]), Telegram(51, 0));
    EXPECT_EQ(Words(rootReads[1]), Telegram(51, 128));

    // The pauses: 0.2 s after the start order, 0.05 s after every block.
    std::vector<double> times;
    for (int o : {43, 50, 40, 41, 42}) {
        for (const std::string &t : Received(sim, o, "t"))
            times.push_back(std::atof(t.c_str()));
    }
    // Arrival times jitter with the load of the machine; their sum does not.
    ASSERT_EQ(times.size(), 63u);
    EXPECT_GE(times[1] - times[0], 0.15);
    EXPECT_GE(times[62] - times[0], 0.2 + 61 * 0.05 - 0.02);
}

} // namespace
