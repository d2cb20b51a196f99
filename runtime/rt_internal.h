// Internals shared by the run-time's source files; programs never include this.
#pragma once

#include "rt_ui.h"

#include <string>

class QApplication;

namespace rt {

// Longest sleep of ProcessSystemEvents when nothing wakes the thread earlier.
constexpr int kGuardIntervalMs = 10;

QApplication *ensureApp();
// Starts the UI script; returns 0 or -1 when the script cannot be read.
int startUiScript(const std::string &path);
// True while a UI script drives the program: pop-ups then never block.
bool scriptActive();

} // namespace rt
