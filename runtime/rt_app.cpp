// The user-interface part's application: the GUI application object, its
// start from the program's command line, its end, and painting on demand.
#include "rt_internal.h"

#include "cmdline.h"

#include <QApplication>
#include <cstdlib>

namespace {

// From the start of the process on, the application the run-time makes is
// the GUI one, whichever service asks for it first (a serial port opened
// before the first panel is loaded included).
QCoreApplication *makeGuiApp(int &argc, char **argv) { return new QApplication(argc, argv); }

const bool g_guiAppInstalled = (rt::setAppFactory(makeGuiApp), true);

} // namespace

namespace rt {

void destroyApp()
{
    if (!ownsApp())
        return;
    for (int h : panelHandles())
        DiscardPanel(h);
    dropResourceFiles();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    deleteApp();
}

} // namespace rt

int InitRuntime(int argc, char **argv)
{
    (void)g_guiAppInstalled;
    rt::setAppFactory(makeGuiApp);
    rt::ensureApp();
    // The program's main has already answered --help, --version and a bad
    // command line; what is left here is the UI script to run.
    std::string script = ParseCommandLine(argc, argv).uiScript;
    if (script.empty()) {
        if (const char *env = std::getenv("VELTRA_UI_SCRIPT"))
            script = env;
    }
    if (!script.empty())
        return rt::startUiScript(script);
    return 0;
}

int ProcessDrawEvents()
{
    rt::ensureApp();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    return 0;
}
