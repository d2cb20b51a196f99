// Ctrl-C for programs without a window. The signal handler only sets a flag
// and writes one byte into a pipe; a socket notifier on the pipe's other end
// wakes the event loop, so a wait that sleeps in it returns at once and the
// program sees InterruptRequested() between two steps.
#include "rt_core.h"
#include "rt_coreapp.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
int g_pipe[2] = {-1, -1};

void onSigint(int)
{
    g_interrupted = 1;
    const char byte = 1;
    // Nothing to do when the pipe is full: one byte waiting wakes the loop.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
}

} // namespace

int InstallInterruptHandler()
{
    if (g_pipe[0] >= 0)
        return 0;
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    rt::ensureApp();
    auto *notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char buf[64];
        while (::read(g_pipe[0], buf, sizeof buf) > 0) {
        }
    });
    struct sigaction sa {};
    sa.sa_handler = onSigint;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &sa, nullptr) == 0 ? 0 : -1;
}

bool InterruptRequested() { return g_interrupted != 0; }
