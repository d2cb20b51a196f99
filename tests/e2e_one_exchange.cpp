// One conversation on the wire at a time: clicks made while the serial line
// check waits for the version text put nothing between the request and its
// answer.
#include "e2e.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::string kVersion = "E2E SENSOR V6.1";

TEST(OneExchange, GoAndSendDuringTheSerialLineCheckWaitForItsAnswer)
{
    // The sensor takes a second for its version text.
    SimProcess sim({"--version-text", kVersion, "--fault", "delay:ms=1000:order=7"}, false, true);
    ASSERT_TRUE(sim.ok());
    std::string out;
    EXPECT_EQ(RunScriptIn("Veltv61", MakeTempDir(), &sim,
                          "waitfor P DispStatus == " + kVersion + " 15\n" +
                              "click P ButtonConnect\n"
                              "click INTERFACEP ButtonTryToConnect\n"
                              "click P ButtonGo\n"
                              "click P ButtonSend\n"
                              "waitfor INTERFACEP DispConnectionStatus == " +
                              kVersion + " 15\n" + "quit 0\n",
                          &out),
              0)
        << out;
    sim.stop();
    // Start-up and the second connection each read the version and then the
    // parameters; neither the live data request nor the parameter write got
    // between a request and its answer.
    std::vector<int> expected = Repeat({7, 3}, 4, 31);
    expected.insert(expected.end(), {7, 3});
    EXPECT_EQ(sim.receivedOrders(), Repeat(expected, 4, 31)) << out;
}

} // namespace
