// The exchange and the line check against the simulator over a pty and TCP:
// stale and late replies, server close, no sensor, a nested request.
#include "link.h"
#include "packet.h"
#include "rt_com.h"
#include "rt_ui.h"
#include "simproc.h"
#include "telegram.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <thread>

using namespace com232;

namespace {

const char *const kVersion = "VELTSIM TEST SENSOR 1.0";

class Link : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(InitRuntime(0, nullptr), 0); }
    void SetUp() override
    {
        InitTelegramGlobals();
        ResetPacketVars();
        ResetLinkGlobals();
        InitLink(LinkSettings {}, LinkPanels {});
    }
    void TearDown() override { CloseLink(); }

    // Opens the link to a simulator started with the given extra arguments.
    void open(SimProcess &sim, bool tcp)
    {
        ASSERT_TRUE(sim.ok());
        if (tcp) {
            comprotocol = 1;
            std::strcpy(ipBuf, "127.0.0.1");
            portNum = sim.tcpPort;
            InitTCP_IP();
            ASSERT_EQ(tcpcon, 1);
        } else {
            setenv("VELTRA_COM1", sim.ptyLink.c_str(), 1);
            comprotocol = 0;
            comport = 1;
            InitRS232();
            ASSERT_EQ(ret, 0) << szStatus;
        }
    }

    static void request(uint16_t o)
    {
        order = o;
        FillTxBuf(o, 0);
        GetDataFrame();
    }
};

// The line check reads the version; exchanges decode parameter and data replies.
TEST_F(Link, LineCheckAndExchangesOverBothTransports)
{
    for (bool tcp : {false, true}) {
        SCOPED_TRACE(tcp ? "tcp" : "pty");
        SimProcess sim({"--version-text", kVersion});
        open(sim, tcp);
        CheckComLine();
        EXPECT_EQ(bytesToRead, 0);
        EXPECT_STREQ(version, kVersion);
        request(ORDER_GET_PARA);
        ASSERT_EQ(bytesToRead, 0);
        GetRxBufPara();
        EXPECT_TRUE(pp[0] == 0x55 && pp[1] == ORDER_GET_PARA);
        request(ORDER_GET_DATA);
        ASSERT_EQ(bytesToRead, 0);
        GetRxBufData();
        CopyDatatoVars();
        EXPECT_TRUE(dataR + dataG + dataB > 0 && dataX <= 4095);
        CloseLink();
    }
}

// Over TCP: the echo to a parameter write is not read by the program and is
// never taken for the reply to the next request, which comes in pieces; no
// reply times out; a server close is reported and ends the connection.
TEST_F(Link, TcpPiecesStaleRepliesNoReplyAndServerClose)
{
    SimProcess sim({"--fault", "split:ms=80:order=3", "--fault", "noreply:order=5", "--fault", "delay:ms=3500:order=19",
                    "--fault", "close:after=6"});
    open(sim, true);
    order = ORDER_SET_PARA;
    FillTxBuf(ORDER_SET_PARA, 0);
    EXPECT_EQ(WriteTelegram(), 36);
    request(ORDER_GET_PARA);
    ASSERT_EQ(bytesToRead, 0);
    GetRxBufPara();
    EXPECT_TRUE(pp[0] == 0x55 && pp[1] == ORDER_GET_PARA);
    // A reply that comes after its time-out and still waits unread in the
    // socket when the next request goes out is dropped, not taken for its reply.
    request(ORDER_GET_RECDATA);
    EXPECT_GT(bytesToRead, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    request(ORDER_GET_PARA);
    ASSERT_EQ(bytesToRead, 0);
    GetRxBufPara();
    EXPECT_EQ(pp[1], ORDER_GET_PARA);

    const double t0 = Timer();
    request(ORDER_GET_DATA);
    EXPECT_GT(bytesToRead, 0);
    EXPECT_GE(Timer() - t0, kExchangeTimeout);
    testing::internal::CaptureStdout();
    request(ORDER_GET_PARA); // the sixth telegram: the simulator closes afterwards
    const double t1 = Timer();
    while (tcpcon && Timer() - t1 < 3.0)
        ProcessSystemEvents();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(tcpcon == 0 && g_hconversation == 0u);
    EXPECT_NE(out.find("POPUP TCP Client|Server has closed connection!"), std::string::npos) << out;
}

TEST_F(Link, NoSensorGivesTheErrorTexts)
{
    setenv("VELTRA_COM3", "/nonexistent/tty", 1);
    comport = 3;
    InitRS232();
    EXPECT_TRUE(ret < 0 && szStatus[0] != '\0');
    testing::internal::CaptureStdout();
    comprotocol = 1;
    std::strcpy(ipBuf, "127.0.0.1");
    portNum = 1; // nothing listens there
    InitTCP_IP();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(tcpcon == 0 && out.find("POPUP TCP Client|") != std::string::npos) << out;
    EXPECT_STREQ(TcpErrorText(-11), "TimeOutError ");
    EXPECT_STREQ(TcpErrorText(-21), "Connection to server failed");
    EXPECT_STREQ(ComErrorText(-4), "Unknown I/0 error");
    EXPECT_STREQ(ComErrorText(-8), "RS-232 error!");
}

// A request made from inside the wait of another exchange (a callback run
// by the event servicing) fails at once without writing; the exchange that
// waits completes undisturbed.
TEST_F(Link, NestedExchangeIsRefusedWithoutTouchingTheWire)
{
    for (bool tcp : {false, true}) {
        SCOPED_TRACE(tcp ? "tcp" : "pty");
        SimProcess sim({"--fault", "delay:ms=400:order=3"});
        open(sim, tcp);
        static int nestedBytesToRead;
        static bool nestedRan;
        nestedRan = false;
        PostDeferredCallToThread(
            [](void *) {
                nestedRan = true;
                const int outerBytes = bytesToRead;
                order = ORDER_GET_DATA;
                FillTxBuf(ORDER_GET_DATA, 0);
                EXPECT_FALSE(Exchange(kTelegramBytes, kExchangeTimeout));
                nestedBytesToRead = bytesToRead;
                EXPECT_LT(WriteTelegram(), 0);
                // The refused request leaves the waiting exchange's count alone.
                bytesToRead = outerBytes;
                FillTxBuf(ORDER_GET_PARA, 0);
                order = ORDER_GET_PARA;
            },
            nullptr, 0);
        request(ORDER_GET_PARA);
        ASSERT_TRUE(nestedRan);
        EXPECT_EQ(nestedBytesToRead, kTelegramBytes);
        ASSERT_EQ(bytesToRead, 0);
        GetRxBufPara();
        EXPECT_TRUE(pp[0] == 0x55 && pp[1] == ORDER_GET_PARA);
        CloseLink();
        EXPECT_EQ(sim.receivedOrders(), std::vector<int> {ORDER_GET_PARA});
    }
}

} // namespace
