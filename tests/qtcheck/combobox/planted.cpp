// A file of a folder that must not use Qt, with a Qt include: the Qt include
// check must name it.
#include "combobox.h"
#include <QString>
