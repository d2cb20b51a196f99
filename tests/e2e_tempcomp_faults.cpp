// VeltTempCompV61's read-back against a sound sensor, and against one that
// answers wrongly: one wrong word in a read-back reply, a reply one byte
// short, a connection closed during the upload.
#include "e2e_tempcomp_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tempcompe2e;

namespace {

// Get right after start-up, without an upload: the simulator's factory
// tables are 1024 everywhere, as are the factors of a constant curve at the
// reference value, and the cube-root table is fixed: "SUCCESS". Then a red
// curve of 10 against reference 800 saturates at 65535; the upload's
// read-back gets one wrong green factor: "FAILURE", no pop-up. The next one
// gets 199 bytes for red: "TIMEOUT", the pop-up once, and no further order.
TEST(TempCompFaults, GetWithoutUploadThenOneWrongWordFailsAndAShortReplyTimesOut)
{
    SimProcess sim({"--version-text", kVersion, "--fault", "alter:word=37:order=45:nth=2", "--fault",
                    "short:bytes=199:order=44:nth=3"},
                   false, true);
    ASSERT_TRUE(sim.ok());
    std::string out;
    ASSERT_EQ(RunTempComp(&sim,
                          Connect(Link::Pty, sim) +
                              "set P EditRT 800\nset P EditGT 800\nset P EditBT 800\n"
                              "set P EditRefR 800\nset P EditRefG 800\nset P EditRefB 800\n"
                              "click P ButtonCalcCurves\nclick P ButtonCalcCalib\n"
                              "click P ButtonGet\nwaitfor P DispResult == SUCCESS 20\n"
                              "set P EditRT 10\nclick P ButtonSendCF\nwaitfor P DispResult == FAILURE 30\n"
                              "print P DispStatus\n"
                              "click P ButtonSendCF\nwaitfor P DispStatus == TIMEOUT 30\n"
                              "print P DispResult\nprintattr P ButtonSendCF buttoncolor\nquit 0\n",
                          &out),
              0)
        << out;
    EXPECT_TRUE(Has(out, "P.DispStatus=" + kVersion + "\n")) << out; // no time-out in the first upload
    EXPECT_TRUE(Has(out, "P.DispResult=TRY TO SAVE\n")) << out;
    EXPECT_TRUE(Has(out, "P.ButtonSendCF.buttoncolor=0xE0E0E0\n")) << out;
    EXPECT_EQ(Count(out, "POPUP"), 1) << out;
    EXPECT_EQ(Count(out, kTimeoutPopup), 1) << out;

    std::vector<int> expected = {7, 44, 45, 46, 51, 51};
    std::vector<int> upload = UploadOrders();
    expected.insert(expected.end(), upload.begin(), upload.end());
    upload.resize(upload.size() - 4); // the second read-back ends at order 44
    expected.insert(expected.end(), upload.begin(), upload.end());
    EXPECT_EQ(sim.receivedOrders(), expected);
    const std::vector<std::string> red = Received(sim, 40, "hex");
    ASSERT_FALSE(red.empty());
    EXPECT_EQ(Words(red[0]), Telegram(40, 0, std::vector<uint16_t>(10, 65535)));
}

// The sensor closes the TCP connection in the middle of the upload: the next
// block cannot be written, so the upload ends with the time-out pop-up and
// sends nothing more; it is never reported as a success.
TEST(TempCompUploadFailure, ConnectionClosedDuringTheUploadEndsIt)
{
    SimProcess sim({"--version-text", kVersion, "--fault", "close:after=10"}, true, false);
    ASSERT_TRUE(sim.ok());
    std::string out;
    ASSERT_EQ(RunTempComp(&sim,
                          Connect(Link::Tcp, sim) + "click P ButtonSendCF\nwaitfor P DispStatus == TIMEOUT 30\n"
                                                    "print P DispResult\nquit 0\n",
                          &out),
              0)
        << out;
    EXPECT_TRUE(Has(out, "POPUP TCP Client|Server has closed connection!\n" + kTimeoutPopup)) << out;
    EXPECT_EQ(Count(out, "POPUP"), 2) << out;
    EXPECT_TRUE(Has(out, "P.DispResult=TRY TO SAVE\n")) << out;
    std::vector<int> expected = {7, 43};
    expected.insert(expected.end(), 8, 50);
    EXPECT_EQ(sim.receivedOrders(), expected);
}

} // namespace
