// A quoted Qt include is one too.
#pragma once
#include "QtCore/QFont"
