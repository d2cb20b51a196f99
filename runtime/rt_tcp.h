// TCP client services over QTcpSocket. The callback is called from inside
// event processing with TCP_DATAREADY when bytes arrive and once with
// TCP_DISCONNECT when the server closes the connection.
#pragma once

#include <cstddef>

using tcpFuncPtr = int (*)(unsigned handle, int xType, int errCode, void *callbackData);

enum { TCP_CONNECT = 1, TCP_DISCONNECT = 2, TCP_DATAREADY = 3 };

enum {
    kTCP_UnableToRegisterService = -1,
    kTCP_UnableToEstablishConnection = -2,
    kTCP_ExistingServer = -3,
    kTCP_FailedToConnect = -4,
    kTCP_ServerNotRegistered = -5,
    kTCP_TooManyConversations = -6,
    kTCP_ReadFailed = -7,
    kTCP_WriteFailed = -8,
    kTCP_InvalidParameter = -9,
    kTCP_OutOfMemory = -10,
    kTCP_TimeOutErr = -11,
    kTCP_NoConnectionEstablished = -12,
    kTCP_GeneralIOErr = -13,
    kTCP_ConnectionClosed = -14,
};

int ConnectToTCPServer(unsigned *conversationHandle, unsigned portNumber, const char *serverHostName,
                       tcpFuncPtr callback, void *callbackData, unsigned timeoutMs);
int DisconnectFromTCPServer(unsigned conversationHandle);
// Reads up to n bytes; waits up to timeoutMs for the first byte. Returns the count or a negative code.
int ClientTCPRead(unsigned conversationHandle, void *buffer, size_t n, unsigned timeoutMs);
int ClientTCPWrite(unsigned conversationHandle, const void *buffer, size_t n, unsigned timeoutMs);
