// TCP client over QTcpSocket. Conversations are numbered from 1; the
// callback runs from inside event processing on the GUI thread.
#include "rt_tcp.h"
#include "rt_core.h"
#include "rt_coreapp.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>

#include <climits>
#include <cstring>
#include <map>
#include <memory>

namespace {

// Bytes a conversation may hold unread before the socket stops reading (TCP
// flow control then holds back the server), and bytes it may hold unsent.
constexpr qint64 kReadBufferBytes = 1 << 20;
constexpr qint64 kWriteBufferBytes = 1 << 20;
constexpr unsigned kDefaultConnectTimeoutMs = 10000;

struct Conversation {
    QPointer<QTcpSocket> socket;
    tcpFuncPtr callback = nullptr;
    void *callbackData = nullptr;
    int busy = 0;                   // > 0 while data-ready is delivered or a read waits
    bool disconnectPending = false; // the server closed while busy
};

std::map<unsigned, std::unique_ptr<Conversation>> g_convs;
unsigned g_nextHandle = 1;

Conversation *find(unsigned handle)
{
    auto it = g_convs.find(handle);
    return it == g_convs.end() ? nullptr : it->second.get();
}

void release(unsigned handle)
{
    auto it = g_convs.find(handle);
    if (it == g_convs.end())
        return;
    if (QTcpSocket *s = it->second->socket) {
        QObject::disconnect(s, nullptr, nullptr, nullptr);
        s->abort();
        s->deleteLater(); // may be inside one of its own signals
    }
    g_convs.erase(it);
}

void deliverDisconnect(unsigned handle);

// Calls the callback with data-ready while bytes wait, never nested for the
// same conversation: a callback that services events meanwhile gets the
// newly arrived bytes in the next round of this loop instead.
void deliverData(unsigned handle)
{
    Conversation *c = find(handle);
    if (!c || !c->socket || c->busy)
        return;
    ++c->busy;
    while (c->socket && c->socket->bytesAvailable() > 0) {
        const qint64 before = c->socket->bytesAvailable();
        if (c->callback)
            c->callback(handle, TCP_DATAREADY, 0, c->callbackData);
        c = find(handle); // the callback may have disconnected
        if (!c)
            return;
        // A callback that reads nothing is asked again when more data arrive.
        if (!c->socket || c->socket->bytesAvailable() >= before)
            break;
    }
    --c->busy;
    if (c->disconnectPending && !c->busy)
        deliverDisconnect(handle);
}

void deliverDisconnect(unsigned handle)
{
    Conversation *c = find(handle);
    if (!c)
        return;
    if (c->busy) {
        c->disconnectPending = true;
        return;
    }
    // Bytes that came with the close are offered first.
    if (c->socket && c->socket->bytesAvailable() > 0 && !c->disconnectPending) {
        c->disconnectPending = true;
        deliverData(handle);
        return; // deliverData comes back here once it is done
    }
    const tcpFuncPtr cb = c->callback;
    void *data = c->callbackData;
    release(handle); // before the call, so the event is given exactly once
    if (cb)
        cb(handle, TCP_DISCONNECT, 0, data);
}

// Services events until done() holds or the time is up. Returns done().
template <typename Pred>
bool waitFor(unsigned timeoutMs, Pred done)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() >= static_cast<qint64>(timeoutMs))
            return done();
        ProcessSystemEvents();
    }
    return true;
}

} // namespace

int ConnectToTCPServer(unsigned *conversationHandle, unsigned portNumber, const char *serverHostName,
                       tcpFuncPtr callback, void *callbackData, unsigned timeoutMs)
{
    if (!conversationHandle || !serverHostName || !*serverHostName || portNumber == 0 || portNumber > 65535)
        return kTCP_InvalidParameter;
    rt::ensureApp();
    if (timeoutMs == 0)
        timeoutMs = kDefaultConnectTimeoutMs;

    auto *socket = new QTcpSocket;
    socket->setReadBufferSize(kReadBufferBytes);
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1); // telegrams are small
    bool failed = false;
    QAbstractSocket::SocketError error = QAbstractSocket::UnknownSocketError;
    QObject::connect(socket, &QAbstractSocket::errorOccurred, socket, [&](QAbstractSocket::SocketError e) {
        failed = true;
        error = e;
    });
    socket->connectToHost(QString::fromUtf8(serverHostName), static_cast<quint16>(portNumber));
    const bool connected =
        waitFor(timeoutMs, [&] { return failed || socket->state() == QAbstractSocket::ConnectedState; }) &&
        socket->state() == QAbstractSocket::ConnectedState;
    QObject::disconnect(socket, &QAbstractSocket::errorOccurred, nullptr, nullptr);
    if (!connected) {
        socket->abort();
        delete socket;
        if (!failed)
            return kTCP_TimeOutErr;
        switch (error) {
        case QAbstractSocket::HostNotFoundError: return kTCP_UnableToEstablishConnection;
        case QAbstractSocket::SocketTimeoutError: return kTCP_TimeOutErr;
        case QAbstractSocket::SocketResourceError: return kTCP_OutOfMemory;
        default: return kTCP_FailedToConnect; // refused, unreachable, reset
        }
    }

    const unsigned handle = g_nextHandle++;
    if (g_nextHandle == 0 || g_nextHandle > INT_MAX)
        g_nextHandle = 1; // 0 means "no conversation" to the programs
    auto conv = std::make_unique<Conversation>();
    conv->socket = socket;
    conv->callback = callback;
    conv->callbackData = callbackData;
    g_convs[handle] = std::move(conv);
    QObject::connect(socket, &QIODevice::readyRead, socket, [handle] { deliverData(handle); });
    QObject::connect(socket, &QAbstractSocket::disconnected, socket, [handle] { deliverDisconnect(handle); });
    *conversationHandle = handle;
    return 0;
}

int DisconnectFromTCPServer(unsigned conversationHandle)
{
    if (!find(conversationHandle))
        return kTCP_NoConnectionEstablished;
    release(conversationHandle); // never calls the callback
    return 0;
}

int ClientTCPRead(unsigned conversationHandle, void *buffer, size_t n, unsigned timeoutMs)
{
    Conversation *c = find(conversationHandle);
    if (!c || !c->socket)
        return kTCP_NoConnectionEstablished;
    if (!buffer)
        return kTCP_InvalidParameter;
    if (n == 0)
        return 0;
    if (n > INT_MAX)
        n = INT_MAX;
    QPointer<QTcpSocket> s = c->socket;
    if (s->bytesAvailable() == 0) {
        // Data that arrive while this read waits are for this read, not for
        // a nested data-ready call.
        ++c->busy;
        // Bytes the system holds already count even without an event pass
        // (a read that does not wait, as a flush before a request does).
        s->waitForReadyRead(0);
        waitFor(timeoutMs,
                [&] { return !s || s->bytesAvailable() > 0 || s->state() != QAbstractSocket::ConnectedState; });
        c = find(conversationHandle);
        if (!c)
            return kTCP_ConnectionClosed; // disconnected by a callback meanwhile
        --c->busy;
        if (!s)
            return kTCP_ConnectionClosed;
        if (s->bytesAvailable() == 0) {
            if (c->disconnectPending)
                deliverDisconnect(conversationHandle);
            return s && s->state() == QAbstractSocket::ConnectedState ? kTCP_TimeOutErr : kTCP_ConnectionClosed;
        }
    }
    const qint64 got = s->read(static_cast<char *>(buffer), static_cast<qint64>(n));
    if (got < 0)
        return kTCP_ReadFailed;
    c = find(conversationHandle);
    if (c && !c->busy && (c->disconnectPending || s->bytesAvailable() > 0))
        QMetaObject::invokeMethod(
            s,
            [h = conversationHandle] {
                Conversation *cc = find(h);
                if (!cc)
                    return;
                if (cc->socket && cc->socket->bytesAvailable() > 0)
                    deliverData(h);
                else if (cc->disconnectPending)
                    deliverDisconnect(h);
            },
            Qt::QueuedConnection);
    return static_cast<int>(got);
}

int ClientTCPWrite(unsigned conversationHandle, const void *buffer, size_t n, unsigned timeoutMs)
{
    Conversation *c = find(conversationHandle);
    if (!c || !c->socket)
        return kTCP_NoConnectionEstablished;
    if (!buffer || n > INT_MAX)
        return kTCP_InvalidParameter;
    QPointer<QTcpSocket> s = c->socket;
    if (s->state() != QAbstractSocket::ConnectedState)
        return kTCP_ConnectionClosed;
    if (s->bytesToWrite() + static_cast<qint64>(n) > kWriteBufferBytes)
        return kTCP_WriteFailed;
    if (n == 0)
        return 0;
    if (s->write(static_cast<const char *>(buffer), static_cast<qint64>(n)) != static_cast<qint64>(n))
        return kTCP_WriteFailed;
    s->flush(); // hands the bytes to the system now rather than at the next event round
    if (!waitFor(timeoutMs,
                 [&] { return !s || s->bytesToWrite() == 0 || s->state() != QAbstractSocket::ConnectedState; }))
        return kTCP_TimeOutErr;
    if (!s || s->bytesToWrite() > 0)
        return kTCP_WriteFailed;
    return static_cast<int>(n);
}
