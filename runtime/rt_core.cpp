// The core's application object, event servicing, time and locks. Qt Core
// only: a program that links the core alone runs without a display.
#include "rt_core.h"
#include "rt_coreapp.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <map>

namespace rt {

namespace {
// Created on first use. It is deleted only by deleteApp: a test that never
// calls it leaves the application to the process's end, which is harmless,
// whereas destroying it from a static destructor with windows still alive is not.
QCoreApplication *g_app = nullptr;
AppFactory g_factory = nullptr;
int g_argc = 1;
char g_arg0[] = "velt";
char *g_argv[] = {g_arg0, nullptr};
} // namespace

void setAppFactory(AppFactory factory) { g_factory = factory; }

QCoreApplication *ensureApp()
{
    if (!QCoreApplication::instance())
        g_app = g_factory ? g_factory(g_argc, g_argv) : new QCoreApplication(g_argc, g_argv);
    return QCoreApplication::instance();
}

bool ownsApp() { return g_app != nullptr; }

void deleteApp()
{
    delete g_app;
    g_app = nullptr;
}

} // namespace rt

namespace {

// Services pending events with the given flags; with nothing pending, sleeps
// in the event loop until I/O or a timer wakes the thread, at the latest
// after a short guard interval, so that callers' polling loops cost almost
// no CPU and add almost no latency.
void serviceEvents(QEventLoop::ProcessEventsFlags flags)
{
    rt::ensureApp();
    QCoreApplication::sendPostedEvents();
    QAbstractEventDispatcher *d = QThread::currentThread()->eventDispatcher();
    if (!d)
        return;
    if (d->processEvents(flags))
        return;
    static QTimer *guard = nullptr;
    if (!guard) {
        guard = new QTimer(QCoreApplication::instance());
        guard->setSingleShot(true);
        guard->setTimerType(Qt::PreciseTimer);
        QObject::connect(guard, &QTimer::timeout, [] {});
    }
    guard->start(rt::kGuardIntervalMs);
    d->processEvents(flags | QEventLoop::WaitForMoreEvents);
}

void sleepServicing(int ms, QEventLoop::ProcessEventsFlags flags)
{
    rt::ensureApp();
    if (ms <= 0) {
        serviceEvents(flags);
        return;
    }
    QElapsedTimer t;
    t.start();
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake, &QTimer::timeout, [] {});
    wake.start(ms);
    QAbstractEventDispatcher *d = QThread::currentThread()->eventDispatcher();
    // A Ctrl-C (see InstallInterruptHandler) ends the pause early.
    while (t.elapsed() < ms && d && !InterruptRequested()) {
        QCoreApplication::sendPostedEvents();
        d->processEvents(flags | QEventLoop::WaitForMoreEvents);
    }
}

} // namespace

int ProcessSystemEvents()
{
    serviceEvents(QEventLoop::AllEvents);
    return 0;
}

int ProcessSystemEventsNoInput()
{
    serviceEvents(QEventLoop::ExcludeUserInputEvents);
    return 0;
}

void Sleep(int ms) { sleepServicing(ms, QEventLoop::AllEvents); }

void SleepNoInput(int ms) { sleepServicing(ms, QEventLoop::ExcludeUserInputEvents); }

double Timer()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

const char *DateStr()
{
    static char buf[16];
    const QByteArray s = QDate::currentDate().toString("MM-dd-yyyy").toLatin1();
    std::snprintf(buf, sizeof buf, "%s", s.constData());
    return buf;
}

const char *TimeStr()
{
    static char buf[16];
    const QByteArray s = QTime::currentTime().toString("HH:mm:ss").toLatin1();
    std::snprintf(buf, sizeof buf, "%s", s.constData());
    return buf;
}

// ---- locks: the programs have one thread, so a lock is a counter that
// detects misuse rather than a mutex that could deadlock the GUI thread.
namespace {
struct LockState {
    int depth = 0;
};
std::map<int, LockState> g_locks;
int g_nextLock = 1;
} // namespace

int NewLock(int *lockHandle)
{
    if (!lockHandle)
        return UIEValueInvalid;
    *lockHandle = g_nextLock++;
    g_locks[*lockHandle] = LockState {};
    return 0;
}

int GetLock(int lockHandle, int *obtained)
{
    auto it = g_locks.find(lockHandle);
    if (it == g_locks.end())
        return UIEHandleInvalid;
    ++it->second.depth; // re-entrant on the one thread, as the callbacks nest
    if (obtained)
        *obtained = 1;
    return 0;
}

int ReleaseLock(int lockHandle)
{
    auto it = g_locks.find(lockHandle);
    if (it == g_locks.end() || it->second.depth == 0)
        return UIEHandleInvalid;
    --it->second.depth;
    return 0;
}

int DiscardLock(int lockHandle) { return g_locks.erase(lockHandle) ? 0 : UIEHandleInvalid; }

int GetCurrentThreadID()
{
    return static_cast<int>(reinterpret_cast<quintptr>(QThread::currentThreadId()) & 0x7fffffff);
}

int PostDeferredCallToThread(DeferredCallbackPtr fn, void *callbackData, int /*threadId*/)
{
    if (!fn)
        return UIEValueInvalid;
    rt::ensureApp();
    QTimer::singleShot(0, QCoreApplication::instance(), [fn, callbackData] { fn(callbackData); });
    return 0;
}
