// Everything the programs use of the run-time layer.
#pragma once

#include "rt_com.h"
#include "rt_file.h"
#include "rt_tcp.h"
#include "rt_ui.h"
