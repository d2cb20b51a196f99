// TCP client against loopback servers run by the test: replies in pieces,
// server close, refused connections, read time-outs.
#include "rt_tcp.h"
#include "rt_ui.h"
#include "support_io.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

using namespace std::chrono_literals;
using testio::readExactly;
using testio::ScriptServer;
using testio::writeAll;

namespace {

void serviceEventsFor(int ms)
{
    testio::serviceEventsUntil([] { return false; }, ms);
}

// The client side of an exchange as the programs run it: the callback fills
// the reply buffer while the waiting loop services events.
struct Exchange {
    char reply[64] = {};
    int bytesToRead = 0;
    int dataReadyCalls = 0;
    int disconnects = 0;
    int depth = 0;
    int maxDepth = 0;
    bool slow = false;                // takes what is there, then services events for a while
    bool disconnectAfterData = false; // order of events at a close
};

int clientCallback(unsigned handle, int xType, int /*errCode*/, void *data)
{
    auto *x = static_cast<Exchange *>(data);
    if (xType == TCP_DISCONNECT) {
        ++x->disconnects;
        x->disconnectAfterData = x->dataReadyCalls > 0;
        return 0;
    }
    if (xType != TCP_DATAREADY)
        return 0;
    ++x->dataReadyCalls;
    x->maxDepth = std::max(x->maxDepth, ++x->depth);
    char scratch[1024];
    if (x->bytesToRead < 1)
        ClientTCPRead(handle, scratch, sizeof scratch, 5000); // nobody waits for it
    while (x->bytesToRead > 0) {
        const int n = ClientTCPRead(handle, x->reply + (36 - x->bytesToRead), static_cast<size_t>(x->bytesToRead),
                                    x->slow ? 0 : 5000);
        if (n > 0)
            x->bytesToRead -= n;
        if (x->slow) {
            serviceEventsFor(80); // bytes arriving meanwhile must come in the next call, not inside this one
            break;
        }
        if (n <= 0)
            break;
        ProcessSystemEvents(); // the programs do this; no nested data-ready may follow
    }
    --x->depth;
    return 0;
}

// Writes the 36-byte request and services events until the reply is in or 3 s pass.
bool runExchange(unsigned h, Exchange &x, const std::string &request)
{
    x.bytesToRead = 36;
    return ClientTCPWrite(h, request.data(), request.size(), 2000) == static_cast<int>(request.size()) &&
           testio::serviceEventsUntil([&] { return x.bytesToRead == 0; }, 3000);
}

std::string telegram(char fill)
{
    std::string t(36, fill);
    t[0] = 0;
    t[1] = 0x55;
    return t;
}

class TcpTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitRuntime(0, nullptr); }
};

// The reply comes in two pieces 30 ms apart; it must land in one piece of the
// buffer without a nested data-ready call, both for a callback that reads on
// and one that services events for a while after each read.
TEST_F(TcpTest, ReplyInTwoPiecesLandsContiguouslyWithoutNestedDelivery)
{
    const std::string reply = "ABCDEFGHIJKLMNOPQRST" + std::string("0123456789abcdef");
    for (bool slow : {false, true}) {
        std::string request;
        ScriptServer server([&](int fd) {
            request = readExactly(fd, 36, 3000);
            writeAll(fd, reply.substr(0, 20));
            std::this_thread::sleep_for(30ms);
            writeAll(fd, reply.substr(20));
            readExactly(fd, 1, 3000); // until the client closes
        });
        Exchange x;
        x.slow = slow;
        unsigned h = 0;
        ASSERT_EQ(ConnectToTCPServer(&h, server.port(), "127.0.0.1", clientCallback, &x, 5000), 0);
        EXPECT_NE(h, 0u);
        ASSERT_TRUE(runExchange(h, x, telegram('q')));
        EXPECT_EQ(std::string(x.reply, 36), reply);
        EXPECT_EQ(x.maxDepth, 1);
        EXPECT_TRUE(!slow || x.dataReadyCalls == 2) << x.dataReadyCalls;
        EXPECT_EQ(DisconnectFromTCPServer(h), 0);
        server.join();
        EXPECT_EQ(request, telegram('q'));
        EXPECT_EQ(x.disconnects, 0); // our own disconnect never calls back
    }
}

// The server answers and closes at once: the reply is taken whole inside one
// data-ready call, then comes exactly one disconnect; later calls fail at
// once and nothing calls back again.
TEST_F(TcpTest, ServerCloseComesAfterTheDataAndOnlyOnce)
{
    ScriptServer server([&](int fd) {
        readExactly(fd, 36, 3000);
        writeAll(fd, std::string(36, 'S'));
    });
    Exchange x;
    unsigned h = 0;
    ASSERT_EQ(ConnectToTCPServer(&h, server.port(), "localhost", clientCallback, &x, 5000), 0);
    ASSERT_TRUE(runExchange(h, x, telegram('b')));
    server.join();
    serviceEventsFor(150);
    EXPECT_EQ(std::string(x.reply, 36), std::string(36, 'S'));
    EXPECT_EQ(x.maxDepth, 1);
    EXPECT_EQ(x.disconnects, 1);
    EXPECT_TRUE(x.disconnectAfterData);
    const std::string t = telegram('z');
    EXPECT_LT(ClientTCPWrite(h, t.data(), t.size(), 2000), 0);
    char buf[4];
    EXPECT_LT(ClientTCPRead(h, buf, sizeof buf, 10), 0);
    EXPECT_LT(DisconnectFromTCPServer(h), 0);
    serviceEventsFor(50);
    EXPECT_EQ(x.disconnects, 1);
}

TEST_F(TcpTest, ReadWaitsOnlyUntilItsTimeOut)
{
    ScriptServer server([&](int fd) { readExactly(fd, 1, 3000); });
    unsigned h = 0;
    ASSERT_EQ(ConnectToTCPServer(&h, server.port(), "127.0.0.1", nullptr, nullptr, 5000), 0);
    char buf[8];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ClientTCPRead(h, buf, sizeof buf, 80), kTCP_TimeOutErr);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 75ms);
    EXPECT_LT(took, 1s);
    EXPECT_EQ(DisconnectFromTCPServer(h), 0);
}

TEST_F(TcpTest, ConnectFailuresGiveTheirCodes)
{
    unsigned h = 77;
    Exchange x; // nothing listens on port 1
    EXPECT_EQ(ConnectToTCPServer(&h, 1, "127.0.0.1", clientCallback, &x, 3000), kTCP_FailedToConnect);
    EXPECT_EQ(h, 77u); // untouched on failure
    EXPECT_EQ(ConnectToTCPServer(&h, 1234, "", clientCallback, &x, 3000), kTCP_InvalidParameter);
    EXPECT_EQ(ConnectToTCPServer(nullptr, 1234, "127.0.0.1", clientCallback, &x, 3000), kTCP_InvalidParameter);
    EXPECT_EQ(ConnectToTCPServer(&h, 1234, "300.1.2.3.4", clientCallback, &x, 3000), kTCP_UnableToEstablishConnection);
    EXPECT_EQ(x.dataReadyCalls + x.disconnects, 0);
    EXPECT_EQ(DisconnectFromTCPServer(12345), kTCP_NoConnectionEstablished);
}

} // namespace
