// RS-232 services over Qt SerialPort. Ports are numbered from 1; a number
// resolves to a device path (see ResolveComDevice). Results are 0 or a
// positive count on success and a negative code on failure.
#pragma once

#include <string>

enum {
    kComUnknownSystemError = -1,
    kComInvalidPortNumber = -2,
    kComPortNotOpen = -3,
    kComUnknownIOError = -4,
    kComRs232Error = -5,
    kComNoSerialPort = -6,
    kComCannotOpenPort = -7,
    kComTimeout = -99,
};

// parity: 0 none, 1 odd, 2 even. stopBits 1 or 2. dataBits 5..8.
int OpenComConfig(int port, const char *deviceName, long baudRate, int parity, int dataBits, int stopBits,
                  int inputQueueSize, int outputQueueSize);
int CloseCom(int port);
int SetComTime(int port, double timeoutSeconds);
int SetCTSMode(int port, int mode); // 0 off, 1 hardware handshake
int SetXMode(int port, int mode);   // 0 off, 1 XON/XOFF
int FlushInQ(int port);
int FlushOutQ(int port);
int ComWrt(int port, const char *buffer, int count);
// Reads up to count bytes, waiting up to the port time-out while servicing events.
int ComRd(int port, char *buffer, int count);
// As ComRd, but stops after the termination byte (which is not stored).
int ComRdTerm(int port, char *buffer, int count, int terminationByte);
int GetInQLen(int port);
int GetOutQLen(int port);

// The device a port number stands for: $VELTRA_COM<n> if set, else the default rule.
std::string ResolveComDevice(int port);
// The operating system's reason for the last failed open of this port ("" if none).
std::string GetComErrorReason(int port);
