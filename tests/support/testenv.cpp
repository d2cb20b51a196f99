// Linked into every end-to-end test: a case that CTest runs on its own gets
// the programs of this build tree, its sources and the offscreen platform,
// unless its environment names others.
#include <cstdlib>

namespace {

const bool g_environmentDefaults = [] {
    ::setenv("VELT_BIN_DIR", VELT_DEFAULT_BIN_DIR, 0);
    ::setenv("VELT_SOURCE_DIR", VELT_DEFAULT_SOURCE_DIR, 0);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return true;
}();

} // namespace
