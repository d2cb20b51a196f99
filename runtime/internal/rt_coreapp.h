// Internals of the run-time's core part: the application object. Only Qt
// Core here, so that the core's sources never see the user-interface part.
#pragma once

class QCoreApplication;

namespace rt {

// Longest sleep of ProcessSystemEvents when nothing wakes the thread earlier.
constexpr int kGuardIntervalMs = 10;

// Makes the application object of the process. The user-interface part
// installs one that makes the GUI application; without it (a program that
// links the core alone) a plain core application is made.
using AppFactory = QCoreApplication *(*)(int &argc, char **argv);
void setAppFactory(AppFactory factory);

// The application object, created on first use.
QCoreApplication *ensureApp();
// True when the run-time made the application object (not its caller).
bool ownsApp();
// Deletes the application object the run-time made (nothing else).
void deleteApp();

} // namespace rt
