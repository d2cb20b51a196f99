// The core of the run-time: event servicing, waits, time, locks and deferred
// calls, the data types of arrays and the error codes. It needs Qt Core only
// (plus Network and SerialPort for rt_tcp.h and rt_com.h) and runs without a
// display: a program that loads no panel gets a plain event loop, one that
// does (through rt_ui.h) gets the GUI application.
#pragma once

using DeferredCallbackPtr = void (*)(void *callbackData);

// ---- error codes ------------------------------------------------------------
enum {
    UIENoError = 0,
    UIEHandleInvalid = -1, // panel resource missing or panel handle bad
    UIEBadFile = -2,       // resource file malformed
    UIECtrlNotFound = -4,
    UIEAttributeInvalid = -5,
    UIEValueInvalid = -6,
    UIEIndexOutOfRange = -7,
    UIEOutOfMemory = -12,
    UIEWrongCtrlType = -14,
    UIECallbackNotFound = -20,
};

// Data types of values and arrays (numerics, table cells, array files).
enum {
    VAL_INTEGER = 1,
    VAL_DOUBLE = 2,
    VAL_STRING = 3,
    VAL_UNSIGNED_SHORT_INTEGER = 4,
    VAL_UNSIGNED_INTEGER = 5,
    VAL_SHORT_INTEGER = 6,
    VAL_CHAR = 7,
    VAL_FLOAT = 8
};

// Services pending events; with nothing pending, sleeps in the event loop
// until I/O, a timer or a short guard interval wakes the thread.
int ProcessSystemEvents();
// Pauses for ms milliseconds while servicing events.
void Sleep(int ms);
// As ProcessSystemEvents and Sleep, but keys and mouse clicks wait until
// afterwards: for waits during which the user must not start another action
// (I/O, timers and UI-script steps are still serviced).
int ProcessSystemEventsNoInput();
void SleepNoInput(int ms);

// ---- time -------------------------------------------------------------------
double Timer();        // monotonic seconds
const char *DateStr(); // MM-DD-YYYY
const char *TimeStr(); // HH:MM:SS

// ---- locks and deferred calls ------------------------------------------------
int NewLock(int *lockHandle);
int GetLock(int lockHandle, int *obtained);
int ReleaseLock(int lockHandle);
int DiscardLock(int lockHandle);
int GetCurrentThreadID();
int PostDeferredCallToThread(DeferredCallbackPtr fn, void *callbackData, int threadId);

// Ctrl-C (SIGINT) for programs without a window: after this call a SIGINT
// no longer ends the process but sets a flag and wakes the event loop, so a
// wait in progress returns promptly. InterruptRequested() says whether one
// came. Returns 0, or -1 when the handler cannot be installed.
int InstallInterruptHandler();
bool InterruptRequested();
