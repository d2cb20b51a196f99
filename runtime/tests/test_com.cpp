// RS-232 against a pseudo-terminal pair: the test plays the device on the
// master side, the run-time opens the slave.
#include "rt_com.h"
#include "rt_ui.h"
#include "support_io.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace std::chrono_literals;
using testio::Pty;

namespace {

constexpr int kPort = 5;

// Services events until the input queue holds n bytes or 2 s pass.
int waitInQ(int port, int n)
{
    testio::serviceEventsUntil([&] { return GetInQLen(port) >= n; }, 2000);
    return GetInQLen(port);
}

class ComTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitRuntime(0, nullptr); }
    void SetUp() override
    {
        ASSERT_TRUE(pty.open());
        ASSERT_EQ(OpenComConfig(kPort, pty.slavePath.c_str(), 19200, 0, 8, 1, 1024, 1024), 0)
            << GetComErrorReason(kPort);
        ASSERT_EQ(SetComTime(kPort, 2.0), 0);
    }
    void TearDown() override { CloseCom(kPort); }
    Pty pty;
};

TEST_F(ComTest, RequestGoesOutAndAReplyInPiecesFillsTheQueue)
{
    const std::string request(36, '\x55');
    EXPECT_EQ(ComWrt(kPort, request.data(), 36), 36);
    EXPECT_EQ(pty.readMaster(36, 2000), request);

    EXPECT_EQ(GetInQLen(kPort), 0);
    ASSERT_TRUE(pty.writeMaster("0123456789"));
    // Some waits poll the queue length alone: bytes show up without events serviced.
    int len = 0;
    for (int i = 0; i < 2000 && (len = GetInQLen(kPort)) < 10; ++i)
        ::usleep(1000);
    EXPECT_EQ(len, 10);
    ASSERT_TRUE(pty.writeMaster("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(waitInQ(kPort, 36), 36);
    char buf[64] = {};
    EXPECT_EQ(ComRd(kPort, buf, 36), 36);
    EXPECT_EQ(std::string(buf, 36), "0123456789abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(GetInQLen(kPort), 0);

    // A flush throws away what came before; what comes after is read.
    ASSERT_TRUE(pty.writeMaster(std::string(20, 'x')));
    ASSERT_EQ(waitInQ(kPort, 20), 20);
    EXPECT_EQ(FlushInQ(kPort), 0);
    EXPECT_EQ(GetInQLen(kPort), 0);
    ASSERT_TRUE(pty.writeMaster("new"));
    EXPECT_EQ(ComRd(kPort, buf, 3), 3);
    EXPECT_EQ(std::string(buf, 3), "new");
}

TEST_F(ComTest, ReadsEndAtTheirTimeOut)
{
    ASSERT_EQ(SetComTime(kPort, 0.15), 0);
    ASSERT_TRUE(pty.writeMaster("abc"));
    char buf[32] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ComRd(kPort, buf, 10), 3);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(std::string(buf, 3), "abc");
    EXPECT_GE(took, 140ms);
    EXPECT_LT(took, 1s);
    EXPECT_EQ(ComRd(kPort, buf, 4), 0); // nothing at all
}

TEST_F(ComTest, XoffHoldsOutputUntilXonAndFlushDropsWhatIsHeld)
{
    ASSERT_EQ(SetXMode(kPort, 1), 0);
    ASSERT_TRUE(pty.writeMaster("\x13"));
    ProcessSystemEvents();
    EXPECT_EQ(ComWrt(kPort, "stale", 5), 5);
    EXPECT_EQ(GetOutQLen(kPort), 5);
    EXPECT_EQ(FlushOutQ(kPort), 0);
    EXPECT_EQ(GetOutQLen(kPort), 0);
    const std::string line = "S1130000285F245F2212226A000424290008237C2A";
    EXPECT_EQ(ComWrt(kPort, line.data(), static_cast<int>(line.size())), static_cast<int>(line.size()));
    EXPECT_EQ(pty.readMaster(line.size(), 200), ""); // held
    EXPECT_EQ(GetOutQLen(kPort), static_cast<int>(line.size()));
    ASSERT_TRUE(pty.writeMaster("A")); // any other byte does not release it
    EXPECT_EQ(pty.readMaster(line.size(), 100), "");
    ASSERT_TRUE(pty.writeMaster("\x11")); // XON: the line alone, not the flushed bytes
    EXPECT_EQ(pty.readMaster(line.size() + 5, 300), line);
    EXPECT_EQ(GetOutQLen(kPort), 0);
    // The flow-control bytes are not data; the other byte is.
    EXPECT_EQ(waitInQ(kPort, 1), 1);
    char c = 0;
    EXPECT_EQ(ComRd(kPort, &c, 1), 1);
    EXPECT_EQ(c, 'A');

    // Without XON/XOFF the same bytes are plain data.
    ASSERT_EQ(SetXMode(kPort, 0), 0);
    ASSERT_TRUE(pty.writeMaster("\x13\x11"));
    EXPECT_EQ(waitInQ(kPort, 2), 2);
    EXPECT_EQ(ComWrt(kPort, "go", 2), 2);
    EXPECT_EQ(pty.readMaster(2, 2000), "go");
}

TEST_F(ComTest, WithXonXoffOutputGoesAtTheLinesPace)
{
    // Bytes handed to the driver are on their way; with XON/XOFF the run-time
    // hands them no faster than the line sends them, so that an XOFF stops
    // the output at once instead of after a driver's worth of bytes.
    ASSERT_EQ(OpenComConfig(kPort, pty.slavePath.c_str(), 115200, 0, 8, 1, 4096, 4096), 0);
    ASSERT_EQ(SetXMode(kPort, 1), 0);
    std::string data;
    for (int i = 0; i < 3000; ++i)
        data.push_back(static_cast<char>('a' + i % 26));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ComWrt(kPort, data.data(), static_cast<int>(data.size())), 3000);
    const std::string early = pty.readMaster(data.size(), 100);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LE(early.size(), 128 + static_cast<size_t>(seconds * 11520) + 64); // burst + line time
    EXPECT_EQ(early + pty.readMaster(data.size() - early.size(), 3000), data);
    EXPECT_EQ(GetOutQLen(kPort), 0);
}

TEST_F(ComTest, QueuesAreBoundedWithoutLosingInput)
{
    ASSERT_EQ(OpenComConfig(kPort, pty.slavePath.c_str(), 115200, 0, 8, 1, 64, 16), 0);
    ASSERT_EQ(SetXMode(kPort, 1), 0);
    ASSERT_EQ(SetComTime(kPort, 0.1), 0);
    ASSERT_TRUE(pty.writeMaster("\x13"));
    ProcessSystemEvents();
    const std::string data(40, 'd');
    EXPECT_EQ(ComWrt(kPort, data.data(), 40), 16); // the rest did not fit before the time-out
    EXPECT_EQ(GetOutQLen(kPort), 16);
    EXPECT_EQ(ComWrt(kPort, "x", 1), kComTimeout);

    std::string sent;
    for (int i = 0; i < 200; ++i)
        sent.push_back(static_cast<char>('A' + i % 26));
    ASSERT_TRUE(pty.writeMaster(sent));
    EXPECT_EQ(waitInQ(kPort, 64), 64);
    testio::serviceEventsUntil([] { return GetInQLen(kPort) > 64; }, 100);
    ASSERT_EQ(GetInQLen(kPort), 64);
    // Nothing was lost: the device keeps the rest until there is room; the
    // last read ends by time-out with the 8 left.
    std::string got;
    char buf[64];
    while (got.size() < sent.size()) {
        const int n = ComRd(kPort, buf, 64);
        ASSERT_GT(n, 0);
        ASSERT_LE(n, 64);
        got.append(buf, static_cast<size_t>(n));
    }
    EXPECT_EQ(got, sent);
}

TEST(ComOpen, FailuresGiveCodesAndTheSystemsReasonAndNumbersNameDevices)
{
    InitRuntime(0, nullptr);
    EXPECT_EQ(OpenComConfig(3, "/dev/no-such-tty-here", 19200, 0, 8, 1, 1024, 1024), kComNoSerialPort);
    EXPECT_NE(GetComErrorReason(3).find("No such file or directory"), std::string::npos) << GetComErrorReason(3);
    EXPECT_EQ(OpenComConfig(0, "", 19200, 0, 8, 1, 1024, 1024), kComInvalidPortNumber);
    EXPECT_EQ(OpenComConfig(3, "/dev/null", 19200, 0, 8, 1, 1024, 1024), kComCannotOpenPort);
    EXPECT_FALSE(GetComErrorReason(3).empty());
    EXPECT_EQ(OpenComConfig(3, "/dev/null", 19200, 5, 8, 1, 1024, 1024), kComRs232Error);
    char buf[4];
    EXPECT_EQ(ComRd(3, buf, 4), kComPortNotOpen);
    EXPECT_EQ(ComWrt(3, buf, 4), kComPortNotOpen);
    EXPECT_EQ(GetInQLen(3), kComPortNotOpen);
    EXPECT_EQ(CloseCom(3), 0); // harmless when closed
    // A port number without a VELTRA_COM<n> device names the usual ones (the
    // variable itself is how every end-to-end test reaches its simulator).
    ::unsetenv("VELTRA_COM7");
    const std::string def = ResolveComDevice(7);
    EXPECT_TRUE(def == "/dev/ttyUSB6" || def == "/dev/ttyACM6" || def == "/dev/ttyS6") << def;
}

} // namespace
