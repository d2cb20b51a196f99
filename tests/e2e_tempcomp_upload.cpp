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
                              "click P ButtonSendCF\nwaitfor P ButtonSendCF buttoncolor == 0xFF0000 10\n"
                              "waitfor P DispResult == SUCCESS 30\n"
                              "printattr P ButtonSendCF buttoncolor\nprint P DispStatus\nquit 0\n",
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
    // Each table goes out block after block, numbered in word 2, its entries
    // after it and zeros to the end; the tables are unit-tested, so a few
    // entries worked out by hand identify them here.
    auto table = [&](int order, int blocks, int perBlock) {
        const std::vector<std::string> sent = Received(sim, order, "hex");
        EXPECT_EQ(sent.size(), static_cast<size_t>(blocks)) << order;
        std::vector<uint16_t> entries;
        for (size_t b = 0; b < sent.size(); ++b) {
            const std::vector<uint16_t> w = Words(sent[b]);
            EXPECT_EQ(std::vector<uint16_t>(w.begin(), w.begin() + 3),
                      (std::vector<uint16_t> {0x55, static_cast<uint16_t>(order), static_cast<uint16_t>(b)}));
            EXPECT_EQ(std::vector<uint16_t>(w.begin() + 3 + perBlock, w.end()),
                      std::vector<uint16_t>(static_cast<size_t>(15 - perBlock), 0));
            entries.insert(entries.end(), w.begin() + 3, w.begin() + 3 + perBlock);
        }
        return entries;
    };
    // 1000 * (16 i)^(1/3), truncated.
    const std::vector<uint16_t> root = table(50, 32, 8);
    ASSERT_EQ(root.size(), 256u);
    EXPECT_EQ((std::vector<uint16_t> {root[0], root[1], root[2], root[32], root[255]}),
              (std::vector<uint16_t> {0, 2519, 3174, 7999, 15979}));
    // Red 1024 throughout; green 512000 / (500 + t); blue 2048000 / (0.1 t^2 + 1000).
    EXPECT_EQ(table(40, 10, 10), std::vector<uint16_t>(100, 1024));
    const std::vector<uint16_t> green = table(41, 10, 10), blue = table(42, 10, 10);
    ASSERT_EQ(green.size() + blue.size(), 200u);
    EXPECT_EQ((std::vector<uint16_t> {green[0], green[24], green[99], blue[0], blue[50], blue[99]}),
              (std::vector<uint16_t> {1024, 977, 854, 2048, 1638, 1034}));
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
