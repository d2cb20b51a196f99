// Planted for runtime_core_without_gui_finds_planted_include: a core source
// that reaches into the user-interface part in three ways.
#include <QtWidgets/QLabel>
#include "rt_ui.h"
#include <QTimer>
#include <QGuiApplication>
