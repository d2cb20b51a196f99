// A project header whose name starts with Q is not a Qt header.
#include "QuillonV20Program.h"
#include <queue>
