// The loader's line to the sensor's application and the identification, as
// the panel runs them: Try to connect reopens the line on the COM port the
// selector shows and identifies the sensor. The line's two configurations,
// the answer checks and the jump into the boot firmware are the loader jobs'
// (jobs/loader.h).
#include "QuillonV20Program.h"

#include "QuillonV20Ids.h"
#include "transport.h"

#include <string>

namespace quillon {

namespace {

const char *const InfoButtonTryToConnect = "Try to connect sensor.";

} // namespace

void InitRS232() { OpenLoaderLine(LoaderLine::Application, PanelObserver()); }

void TryToConnect()
{
    CloseTransport();
    int port = 1;
    if (mainpanel)
        GetCtrlVal(mainpanel, MAINP_EDITSELECTCOMPORT, &port);
    comport = static_cast<uint16_t>(port);
    InitRS232();
    // A port that did not open cannot answer; its error text stands.
    if (ret >= 0)
        CheckComLine();
}

void CheckComLine()
{
    std::string text;
    IdentifyLoader(PanelObserver(), &text);
}

} // namespace quillon

using namespace quillon;

int CBF_ButtonTryToConnect(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonTryToConnect))
        return 0;
    if (event == EVENT_COMMIT) {
        SetButtonsDimmed(1);
        quillon::TryToConnect();
        SetButtonsDimmed(0);
    }
    return 0;
}
