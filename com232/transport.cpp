// The transport in use, and the closed transport that stands in while no
// line is open: it writes nothing and never receives, so an exchange fails
// at once instead of waiting out its time.
#include "transport.h"

namespace {

void noFlush() {}
int noWrite(const char *, int, unsigned) { return -1; }
void noExpect(int) {}
int noWait(int, double, LinkWait) { return 0; }
int noRead(int) { return 0; }
int noReadAvailable(char *, int) { return 0; }
void noClose() {}

const Transport kClosedTransport = {"closed", 0.0,    LinkWait::Events, noFlush,         noWrite,
                                    noExpect, noWait, noRead,           noReadAvailable, noClose};

const Transport *g_current = &kClosedTransport;

} // namespace

const Transport &ClosedTransport() { return kClosedTransport; }

const Transport &CurrentTransport() { return *g_current; }

void SelectTransport(const Transport &t) { g_current = &t; }

void CloseTransport()
{
    const Transport *t = g_current;
    g_current = &kClosedTransport;
    t->close();
}
