// One conversation on the wire at a time: clicks made while the serial line
// check waits for the version text put nothing between the request and its
// answer.
#include "e2e.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::string kVersion = "E2E SENSOR V6.1";

std::vector<int> expectedConnect()
{
    std::vector<int> orders = {7, 3};
    orders.insert(orders.end(), 31, 4);
    return orders;
}

TEST(OneExchange, GoAndSendDuringTheSerialLineCheckWaitForItsAnswer)
{
    // The sensor takes a second for its version text.
    SimProcess sim({"--version-text", kVersion, "--fault", "delay:ms=1000:order=7"}, false, true);
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir();
    const std::string script = WriteTextFile(dir + "/script.txt", "waitfor P DispStatus == " + kVersion +
                                                                      " 15\n"
                                                                      "click P ButtonConnect\n"
                                                                      "click INTERFACEP ButtonTryToConnect\n"
                                                                      "click P ButtonGo\n"
                                                                      "click P ButtonSend\n"
                                                                      "waitfor INTERFACEP DispConnectionStatus == " +
                                                                      kVersion +
                                                                      " 15\n"
                                                                      "quit 0\n");
    std::string out;
    const int code = RunProgram(InstallCopy("Veltv61", dir), {"--ui-script", script},
                                {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=" + sim.ptyLink}, 60, &out);
    EXPECT_EQ(code, 0) << out;
    sim.stop();
    // Start-up and the second connection each read the version and then the
    // parameters; neither the live data request nor the parameter write got
    // between a request and its answer.
    std::vector<int> expected = expectedConnect();
    const std::vector<int> again = expectedConnect();
    expected.insert(expected.end(), again.begin(), again.end());
    EXPECT_EQ(sim.receivedOrders(), expected) << out;
}

} // namespace
