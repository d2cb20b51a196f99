// The request/reply exchange and the line check against the simulator, over
// a pseudo-terminal and over loopback TCP, including its faults.
#include "link.h"
#include "packet.h"
#include "rt_com.h"
#include "rt_ui.h"
#include "simproc.h"
#include "telegram.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

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
        InitLink(LinkSettings{}, LinkPanels{});
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

TEST_F(Link, LineCheckReadsTheVersionOverBothTransports)
{
    for (bool tcp : {false, true}) {
        SimProcess sim({"--version-text", kVersion});
        open(sim, tcp);
        CheckComLine();
        EXPECT_EQ(bytesToRead, 0) << (tcp ? "tcp" : "pty");
        EXPECT_STREQ(version, kVersion);
        CloseLink();
    }
}

TEST_F(Link, ExchangesDecodeParameterAndDataReplies)
{
    for (bool tcp : {false, true}) {
        SimProcess sim;
        open(sim, tcp);
        request(ORDER_GET_PARA);
        ASSERT_EQ(bytesToRead, 0);
        GetRxBufPara();
        EXPECT_EQ(pp[0], 0x55);
        EXPECT_EQ(pp[1], ORDER_GET_PARA);
        request(ORDER_GET_DATA);
        ASSERT_EQ(bytesToRead, 0);
        GetRxBufData();
        CopyDatatoVars();
        EXPECT_GT(dataR + dataG + dataB, 0);
        EXPECT_LE(dataX, 4095);
        CloseLink();
    }
}

TEST_F(Link, ShortLongAndSplitRepliesOverTheSerialLine)
{
    {
        SimProcess sim({"--fault", "short:bytes=35:order=3"});
        open(sim, false);
        request(ORDER_GET_PARA);
        EXPECT_EQ(bytesToRead, 1); // 35 bytes: a failure after the time-out
        CloseLink();
    }
    {
        SimProcess sim({"--fault", "long:bytes=1:order=3"});
        open(sim, false);
        request(ORDER_GET_PARA);
        EXPECT_EQ(bytesToRead, -1); // 37 bytes are read and fail the exchange
        CloseLink();
    }
    {
        SimProcess sim({"--fault", "split:ms=100"});
        open(sim, false);
        request(ORDER_GET_PARA);
        EXPECT_EQ(bytesToRead, 0);
        GetRxBufPara();
        EXPECT_EQ(pp[1], ORDER_GET_PARA);
    }
}

TEST_F(Link, TcpRepliesInPiecesLandContiguouslyAndStaleRepliesAreDropped)
{
    SimProcess sim({"--fault", "split:ms=80:order=3"});
    open(sim, true);
    // The echo to a parameter write is not read by the program...
    order = ORDER_SET_PARA;
    FillTxBuf(ORDER_SET_PARA, 0);
    EXPECT_EQ(WriteTelegram(), 36);
    // ...and is never taken for the reply to the next request.
    request(ORDER_GET_PARA);
    ASSERT_EQ(bytesToRead, 0);
    GetRxBufPara();
    EXPECT_EQ(pp[0], 0x55);
    EXPECT_EQ(pp[1], ORDER_GET_PARA);
}

TEST_F(Link, NoReplyTimesOutAndAServerCloseIsReported)
{
    SimProcess sim({"--fault", "noreply:order=5", "--fault", "close:after=2"});
    open(sim, true);
    const double t0 = Timer();
    request(ORDER_GET_DATA);
    EXPECT_GT(bytesToRead, 0);
    EXPECT_GE(Timer() - t0, kExchangeTimeout);
    testing::internal::CaptureStdout();
    request(ORDER_GET_PARA); // the second telegram: the simulator closes afterwards
    const double t1 = Timer();
    while (tcpcon && Timer() - t1 < 3.0)
        ProcessSystemEvents();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(tcpcon, 0);
    EXPECT_EQ(g_hconversation, 0u);
    EXPECT_NE(out.find("POPUP TCP Client|Server has closed connection!"), std::string::npos) << out;
}

TEST_F(Link, NoSensorGivesTheErrorTexts)
{
    setenv("VELTRA_COM3", "/nonexistent/tty", 1);
    comport = 3;
    InitRS232();
    EXPECT_LT(ret, 0);
    EXPECT_STRNE(szStatus, "");
    testing::internal::CaptureStdout();
    comprotocol = 1;
    std::strcpy(ipBuf, "127.0.0.1");
    portNum = 1; // nothing listens there
    InitTCP_IP();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(tcpcon, 0);
    EXPECT_NE(out.find("POPUP TCP Client|"), std::string::npos);
    EXPECT_STREQ(TcpErrorText(-11), "TimeOutError ");
    EXPECT_STREQ(TcpErrorText(-21), "Connection to server failed");
    EXPECT_STREQ(ComErrorText(-4), "Unknown I/0 error");
    EXPECT_STREQ(ComErrorText(-8), "RS-232 error!");
}

} // namespace
