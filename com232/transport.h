// The seam between the sensor protocol and the wire. A transport moves bytes
// over one kind of line; the link keeps the one in use, chosen once where the
// line is opened (serial: OpenSerialTransport, TCP: OpenTcpTransport), and the
// exchange code above never asks which kind it has.
#pragma once

// How a wait services events: all of them, or everything except keys and
// mouse clicks (for waits during which the user must not start an action).
enum class LinkWait { Events, NoUserInput };

struct Transport {
    const char *name;
    // How the line check waits for the version text on this line.
    double lineCheckWait;
    LinkWait lineCheckMode;
    // Sends what was written before and then drops input nobody asked for;
    // output a command wrote is never discarded.
    void (*flush)();
    // Writes n bytes; returns the count written or a negative error code.
    int (*write)(const char *buf, int n, unsigned timeoutMs);
    // Prepares the receive area for a reply of n bytes (szReadBuf from offset 0).
    void (*expect)(int n);
    // Waits until n reply bytes have arrived or `limit` seconds have passed;
    // returns the number of bytes that have arrived.
    int (*wait)(int n, double limit, LinkWait mode);
    // Moves what has arrived of the expected reply into szReadBuf (at most
    // max bytes) and returns its length.
    int (*read)(int max);
    // Reads whatever has arrived, up to max bytes, into buf (free text such
    // as a boot firmware's dialogue); returns the count, 0 when nothing is there.
    int (*readAvailable)(char *buf, int max);
    void (*close)();
};

// Serial line `port` (a COM number, see ResolveComDevice, or the given
// device, which then wins) at `baud`, 8N1, with or without XON/XOFF.
// Returns 0 or the run-time's negative error code.
int OpenSerialTransport(int port, long baud, bool xonxoff, const char *device = "");
// TCP client conversation to host:port. Returns 0 or the run-time's negative
// TCP error code. Data-ready events go to ClientTCPCB.
int OpenTcpTransport(const char *host, unsigned port, unsigned timeoutMs);

// The transport in use (a closed one when no line is open); never null.
const Transport &CurrentTransport();
// Closes the line in use; later exchanges fail at once.
void CloseTransport();
// The transport of no line: writes nothing, receives nothing.
const Transport &ClosedTransport();
// Makes t the transport in use (for the transports' own open functions).
void SelectTransport(const Transport &t);
