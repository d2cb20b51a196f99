// The core of the sensor link: the globals of the line in use, the one
// request/reply exchange, the line check's order 7 and the opening of a line
// given by its name. It needs the run-time's core part only (no panel, no
// pop-up), so the command-line tool uses it as the programs do; link.h adds
// the programs' connection panel on top.
#pragma once

#include "transport.h"

#include <cstdint>
#include <string>

extern uint16_t comport, tcpcon, nBytesW;
extern unsigned g_hconversation;
extern int dataSize, bytesToRead, bytesRead;
extern double tstart, tdiff;

constexpr double kExchangeTimeout = 3.0;

// What the link asks of the program around it. Each hook may stay null.
struct LinkHooks {
    // Around a TCP connection attempt (the programs show the wait cursor).
    void (*busy)(int on) = nullptr;
    // The server closed the conversation (the programs show a pop-up); the
    // line is released right after this returns.
    void (*serverClosed)() = nullptr;
    // Whether the TCP data-ready handler services events between reads.
    bool serviceEventsInTcpRead = true;
};
void SetLinkHooks(const LinkHooks &hooks);
const LinkHooks &CurrentLinkHooks();

// One request/reply exchange over the line in use: sends the 36-byte
// telegram in szWriteBuf (after a flush, unless flushFirst is false) and
// waits up to `timeout` seconds for `replyBytes` reply bytes in szReadBuf.
// Sets dataSize and bytesToRead; true when the reply is complete
// (bytesToRead == 0). A request made while another exchange waits for its
// reply is refused: false and nothing written; dataSize and bytesToRead
// stay those of the waiting exchange (its TCP reads count them down), so a
// caller judges a refused request by the return value alone.
bool Exchange(int replyBytes, double timeout, LinkWait wait = LinkWait::Events, bool flushFirst = true,
              unsigned writeTimeoutMs = 2000);
// True while an exchange waits for its reply.
bool ExchangeBusy();
// Sends what was written and drops stale input on the line in use (not
// while an exchange waits).
void FlushLink();
// Sends the 36 bytes in szWriteBuf and waits for the 36-byte reply in
// szReadBuf. Success when bytesToRead is 0 afterwards.
void GetDataFrame();
// Writes the telegram in szWriteBuf without awaiting a reply; returns the
// byte count (36 when good), negative when refused or failed.
int WriteTelegram();
int ClientTCPCB(unsigned handle, int event, int error, void *callbackData);
// True while an exchange over TCP waits for reply bytes (ClientTCPCB stores them).
bool TcpReplyWaiting();
// Closes the serial port and an open TCP conversation (program end).
void CloseLink();

// The line check's exchange: order 7, and the sensor's version text (36
// bytes and two NULs) into com232::version. True when the whole reply came.
bool ReadVersionText();

// Text for an RS-232 or TCP error code.
const char *ComErrorText(int code);
const char *TcpErrorText(int code);

// ---- a line given by its name ---------------------------------------------
// "COM<n>" (the suite's rule: VELTRA_COM<n>, else ttyUSB/ttyACM/ttyS<n-1>),
// a device path (/dev/ttyUSB0, a /dev/serial/by-id/... link, a
// pseudo-terminal) or "tcp:HOST:PORT".
enum class LinkKind { Invalid, Serial, Tcp };

struct LinkName {
    LinkKind kind = LinkKind::Invalid;
    int comNumber = 0;  // COM<n>; 0 for a device path
    std::string device; // the device path given (empty for COM<n>)
    std::string host;   // tcp
    unsigned port = 0;  // tcp
};

// Parses a link name; kind Invalid when it is none of the three forms.
LinkName ParseLinkName(const std::string &text);
// Which kind of line a name stands for (Invalid for text that is no link name).
LinkKind LinkKindOf(const std::string &text);
// The device a serial name stands for (COM<n> resolved by the suite's rule).
std::string LinkDevice(const LinkName &name);
// Opens the line and makes it the one in use: a serial line at `baud`, 8N1,
// with or without XON/XOFF (both ignored over TCP). Returns 0, or the
// run-time's negative error code with a sentence for the user in *message.
int OpenLinkName(const LinkName &name, long baud, bool xonxoff, std::string *message);
