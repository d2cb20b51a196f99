#include "link.h"

#include "combobox.h"
#include "iphistory.h"
#include "rt_com.h"
#include "rt_file.h"
#include "rt_tcp.h"
#include "rt_ui.h"
#include "telegram.h"
#include "transport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace com232;

uint16_t comprotocol, comprotocolold, comportold;
char ipBuf[256], ipBufOld[256], portNumStr[32], portNumStrOld[32];
int portNum;
int16_t ret;
char szStatus[48];
char ipComboBoxFileName[260];

namespace {

LinkSettings g_settings;

// Controls of the main panel and the interface panel, looked up by name.
struct Ids {
    int main = 0, iface = 0;
    int status = 0, comPortDisp = 0, ipDisp = 0;
    int protocol = 0, comPortSel = 0, ip = 0, port = 0, connStatus = 0, tryButton = 0, accept = 0, discard = 0;
    int comDevice = 0; // optional: the device the COM number stands for
} ids;

constexpr unsigned kConnectMs = 5000;
constexpr int kTcpProtocol = 1;

const char *const InfoButtonConnect = " Open a panel to select an interface protocol.";
const char *const InfoButtonTryToConnect = " Try to connect sensor.";
const char *const InfoButtonAccept = " Accept settings and return to main panel.";
const char *const InfoButtonDiscard = " Return to main panel with old settings.";
const char *const InfoEditCommunicationProtocol = " Select RS232 or TCP/IP Interface. ";
const char *const InfoEditSelectComPort = " Select a serial COM-PORT.";
const char *const InfoStringIpAdress = " Select an IP adress.";
const char *const InfoStringPortNumber = " Select a port number.";
const char *const InfoStatus = " Displays interface status.";

// A control of the link looked up by name. A required control that the
// panel file lacks is reported by name and makes InitLink fail; an optional
// one is simply left out (identifier 0).
int id(int panelHandle, const char *name, bool required, bool &missing)
{
    const int c = CtrlIdFromName(panelHandle, name);
    if (c > 0)
        return c;
    if (required) {
        if (panelHandle > 0)
            std::fprintf(stderr, "link: the panel file lacks the control %s of panel %s\n", name,
                         PanelName(panelHandle).c_str());
        missing = true;
    }
    return 0;
}

void dimAccept(int on)
{
    if (ids.accept)
        SetCtrlAttribute(ids.iface, ids.accept, ATTR_DIMMED, on);
}

void setConnStatus(const char *text)
{
    if (ids.connStatus)
        SetCtrlVal(ids.iface, ids.connStatus, text);
}

// Shows which device a COM number stands for, and why it failed.
void showComDevice(int port, const char *reason)
{
    if (!ids.comDevice)
        return;
    std::string text = ResolveComDevice(port);
    if (reason && *reason)
        text += std::string(" (") + reason + ")";
    SetCtrlVal(ids.iface, ids.comDevice, text.c_str());
}

} // namespace

int InitLink(const LinkSettings &settings, const LinkPanels &panels)
{
    g_settings = settings;
    LinkHooks hooks;
    hooks.busy = [](int on) { SetWaitCursor(on); };
    hooks.serverClosed = [] { MessagePopup("TCP Client", "Server has closed connection!"); };
    hooks.serviceEventsInTcpRead = settings.serviceEventsInTcpRead;
    SetLinkHooks(hooks);
    ids = Ids {};
    ids.main = panels.mainPanel;
    ids.iface = panels.interfacePanel;
    bool missing = false;
    constexpr bool required = true, optional = false;
    ids.status = id(ids.main, "DispStatus", required, missing);
    // The main panel's link displays: the temperature-compensation program has none.
    ids.comPortDisp = id(ids.main, "DispComPort", optional, missing);
    ids.ipDisp = id(ids.main, "DispIpAddress", optional, missing);
    ids.protocol = id(ids.iface, "EditCommunicationProtocol", required, missing);
    ids.comPortSel = id(ids.iface, "EditSelectComPort", required, missing);
    ids.ip = id(ids.iface, "StringIpAdress", required, missing);
    ids.port = id(ids.iface, "StringPortNumber", required, missing);
    ids.connStatus = id(ids.iface, "DispConnectionStatus", required, missing);
    ids.tryButton = id(ids.iface, "ButtonTryToConnect", required, missing);
    ids.accept = id(ids.iface, "ButtonAccept", required, missing);
    ids.discard = id(ids.iface, "ButtonDiscard", required, missing);
    // Which device a COM number stands for: shown where the panel has room.
    ids.comDevice = id(ids.iface, "DispComDevice", optional, missing);
    if (ids.ip)
        SetCtrlAttribute(ids.iface, ids.ip, ATTR_MAX_ENTRY_LENGTH, static_cast<int>(sizeof ipBuf) - 1);
    if (ids.port)
        SetCtrlAttribute(ids.iface, ids.port, ATTR_MAX_ENTRY_LENGTH, static_cast<int>(sizeof portNumStr) - 1);
    return missing ? -1 : 0;
}

int StartLink(const LinkSettings &settings, const LinkPanels &panels, const char *projDir)
{
    comport = 1;
    tcpcon = 0;
    std::snprintf(ipComboBoxFileName, sizeof ipComboBoxFileName, "%s/%s", projDir, kIpHistoryFileName);
    if (InitLink(settings, panels) < 0)
        return -1;
    if (ids.ip && Combo_NewComboBox(ids.iface, ids.ip) >= 0) {
        Combo_SetComboAttribute(ids.iface, ids.ip, COMBO_ATTR_COLOR, 0xE0E0E0);
        LoadIpHistory();
    }
    InitConnectPanel(0);
    TryToConnect();
    return 0;
}

void ResetLinkGlobals()
{
    comprotocol = comprotocolold = 0;
    comport = 1;
    comportold = 0;
    tcpcon = 0;
    nBytesW = 0;
    ipBuf[0] = ipBufOld[0] = portNumStr[0] = portNumStrOld[0] = '\0';
    portNum = 0;
    g_hconversation = 0;
    ret = 0;
    szStatus[0] = '\0';
    dataSize = bytesToRead = bytesRead = 0;
    tstart = tdiff = 0;
}

void SetStatusText(const char *text)
{
    if (ids.status)
        SetCtrlVal(ids.main, ids.status, text);
}

void InitConnectPanel(int /*unused*/)
{
    int protocol = 0;
    if (ids.protocol)
        GetCtrlVal(ids.iface, ids.protocol, &protocol);
    comprotocol = static_cast<uint16_t>(protocol);
    if (protocol != 0 && protocol != kTcpProtocol)
        return;
    const int tcp = protocol == kTcpProtocol;
    if (ids.comPortSel)
        SetCtrlAttribute(ids.iface, ids.comPortSel, ATTR_VISIBLE, !tcp);
    if (ids.comDevice)
        SetCtrlAttribute(ids.iface, ids.comDevice, ATTR_VISIBLE, !tcp);
    if (ids.ip) {
        if (Combo_SetComboAttribute(ids.iface, ids.ip, COMBO_ATTR_VISIBLE, tcp) < 0)
            SetCtrlAttribute(ids.iface, ids.ip, ATTR_VISIBLE, tcp);
    }
    if (ids.port)
        SetCtrlAttribute(ids.iface, ids.port, ATTR_VISIBLE, tcp);
}

void TryToConnect()
{
    CloseCom(comport);
    setConnStatus("TRY");
    int protocol = 0, port = 1;
    if (ids.protocol)
        GetCtrlVal(ids.iface, ids.protocol, &protocol);
    if (ids.comPortSel)
        GetCtrlVal(ids.iface, ids.comPortSel, &port);
    comprotocol = static_cast<uint16_t>(protocol);
    comport = static_cast<uint16_t>(port);
    if (ids.ip)
        GetCtrlVal(ids.iface, ids.ip, ipBuf, sizeof ipBuf);
    if (ids.port)
        GetCtrlVal(ids.iface, ids.port, portNumStr, sizeof portNumStr);
    portNum = std::atoi(portNumStr);
    const bool show = g_settings.showLinkOnMainPanel;
    if (show) {
        if (ids.comPortDisp)
            SetCtrlVal(ids.main, ids.comPortDisp, static_cast<int>(comport));
        if (ids.ipDisp)
            SetCtrlVal(ids.main, ids.ipDisp, ipBuf);
    }
    if (comprotocol == 0) {
        if (show && ids.comPortDisp)
            SetCtrlAttribute(ids.main, ids.comPortDisp, ATTR_VISIBLE, 1);
        if (show && ids.ipDisp)
            SetCtrlAttribute(ids.main, ids.ipDisp, ATTR_VISIBLE, 0);
        InitRS232();
    } else {
        if (show && ids.comPortDisp)
            SetCtrlAttribute(ids.main, ids.comPortDisp, ATTR_VISIBLE, 0);
        if (show && ids.ipDisp)
            SetCtrlAttribute(ids.main, ids.ipDisp, ATTR_VISIBLE, 1);
        InitTCP_IP();
    }
    CheckComLine();
}

void InitRS232()
{
    if (g_settings.stopLoopsOnOpen)
        g_settings.stopLoopsOnOpen();
    ret = static_cast<int16_t>(OpenSerialTransport(comport, 19200, false));
    if (ret < 0) {
        std::snprintf(szStatus, sizeof szStatus, "%s", ComErrorText(ret));
        SetStatusText(szStatus);
        showComDevice(comport, GetComErrorReason(comport).c_str());
        return;
    }
    showComDevice(comport, nullptr);
}

void InitTCP_IP()
{
    ret = static_cast<int16_t>(OpenTcpTransport(ipBuf, static_cast<unsigned>(portNum), kConnectMs));
    if (ret < 0) {
        std::snprintf(szStatus, sizeof szStatus, "%s", TcpErrorText(ret));
        MessagePopup("TCP Client", szStatus);
    }
}

void CheckComLine()
{
    // The serial wait lets no user input through: a click on Go or Send
    // while the version text is awaited is handled after the check.
    if (!ReadVersionText()) {
        SetStatusText("TIMEOUT");
        setConnStatus("CONNECTION FAILURE");
        return;
    }
    SetStatusText(version);
    setConnStatus(version);
    dimAccept(0);
    if (g_settings.afterLineCheck)
        g_settings.afterLineCheck();
}

void EndLink()
{
    CloseLink();
    if (ids.ip)
        Combo_DiscardComboBox(ids.iface, ids.ip);
}

// ---- IP history ------------------------------------------------------------------

void LoadIpHistory()
{
    long size = 0;
    if (CheckFileKind(ipComboBoxFileName) < 0) {
        ShowNotRegularFilePopup(ipComboBoxFileName);
        return;
    }
    if (GetFileInfo(ipComboBoxFileName, &size) != 1 || size < kIpRecordSize)
        return;
    const int fh = OpenFile(ipComboBoxFileName, VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    if (fh == kFileNotRegular)
        ShowNotRegularFilePopup(ipComboBoxFileName);
    if (fh < 0)
        return;
    std::string bytes(static_cast<size_t>(size), '\0');
    const int got = ReadFile(fh, bytes.data(), static_cast<int>(size));
    CloseFile(fh);
    if (got <= 0)
        return;
    bytes.resize(static_cast<size_t>(got));
    int index = 0;
    for (const std::string &a : ParseIpHistory(bytes))
        if (!a.empty())
            Combo_InsertComboItem(ids.iface, ids.ip, index++, a.c_str());
}

void UpdateIpHistory()
{
    GetCtrlVal(ids.iface, ids.ip, ipBuf, sizeof ipBuf);
    int index = -1;
    Combo_GetIndexFromValue(ids.iface, ids.ip, &index, ipBuf);
    if (index >= 0)
        Combo_DeleteComboItem(ids.iface, ids.ip, index, 1);
    Combo_InsertComboItem(ids.iface, ids.ip, 0, ipBuf);
    int count = 0;
    Combo_GetNumComboItems(ids.iface, ids.ip, &count);
    if (count > kIpHistoryMax) {
        Combo_DeleteComboItem(ids.iface, ids.ip, kIpHistoryMax, -1);
        count = kIpHistoryMax;
    }
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i) {
        char value[260] = "";
        if (Combo_GetComboItemValue(ids.iface, ids.ip, i, value, sizeof value) >= 0)
            items.emplace_back(value);
    }
    const std::string bytes = FormatIpHistory(items);
    const int rc = WriteWholeFile(ipComboBoxFileName, bytes.data(), static_cast<int>(bytes.size()));
    if (rc == kFileNotRegular)
        ShowNotRegularFilePopup(ipComboBoxFileName);
    else if (rc < 0)
        std::fprintf(stderr, "cannot write the IP history file %s\n", ipComboBoxFileName);
}

// ---- interface panel callbacks ---------------------------------------------------
int CBF_ButtonConnect(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonConnect))
        return 0;
    if (event == EVENT_COMMIT) {
        if (g_settings.stopLoopsOnConnectPanel)
            g_settings.stopLoopsOnConnectPanel();
        int v = 0;
        GetCtrlVal(ids.iface, ids.protocol, &v);
        comprotocolold = static_cast<uint16_t>(v);
        GetCtrlVal(ids.iface, ids.comPortSel, &v);
        comportold = static_cast<uint16_t>(v);
        GetCtrlVal(ids.iface, ids.ip, ipBufOld, sizeof ipBufOld);
        GetCtrlVal(ids.iface, ids.port, portNumStrOld, sizeof portNumStrOld);
        dimAccept(1);
        DisplayPanel(ids.iface);
    }
    return 0;
}

int CBF_ButtonTryToConnect(int panelHandle, int control, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonTryToConnect))
        return 0;
    if (event == EVENT_COMMIT) {
        SetCtrlAttribute(panelHandle, control, ATTR_DIMMED, 1);
        TryToConnect();
        SetCtrlAttribute(panelHandle, control, ATTR_DIMMED, 0);
    }
    return 0;
}

int CBF_ButtonAccept(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonAccept))
        return 0;
    if (event == EVENT_COMMIT)
        HidePanel(ids.iface);
    return 0;
}

int CBF_ButtonDiscard(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonDiscard))
        return 0;
    if (event == EVENT_COMMIT) {
        SetCtrlVal(ids.iface, ids.protocol, static_cast<int>(comprotocolold));
        SetCtrlVal(ids.iface, ids.comPortSel, static_cast<int>(comportold));
        SetCtrlVal(ids.iface, ids.ip, ipBufOld);
        SetCtrlVal(ids.iface, ids.port, portNumStrOld);
        InitConnectPanel(0);
        TryToConnect();
        HidePanel(ids.iface);
    }
    return 0;
}

int CBF_EditCommunicationProtocol(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoEditCommunicationProtocol))
        return 0;
    if (event == EVENT_COMMIT) {
        InitConnectPanel(0);
        dimAccept(1);
    }
    return 0;
}

int CBF_EditSelectComPort(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoEditSelectComPort))
        return 0;
    if (event == EVENT_COMMIT) {
        // The device the newly chosen number stands for, before it is tried.
        int port = 1;
        GetCtrlVal(ids.iface, ids.comPortSel, &port);
        showComDevice(port, nullptr);
        dimAccept(1);
    }
    return 0;
}

int CBF_StringIpAdress(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoStringIpAdress))
        return 0;
    if (event == EVENT_COMMIT) {
        dimAccept(1);
        UpdateIpHistory();
    }
    return 0;
}

int CBF_StringPortNumber(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoStringPortNumber))
        return 0;
    if (event == EVENT_COMMIT)
        dimAccept(1);
    return 0;
}

int CBF_DispStatus(int, int, int event, void *, int, int)
{
    HelpOnRightClick(event, g_settings.statusHelp ? g_settings.statusHelp : InfoStatus);
    return 0;
}

int CBF_INTERFACEP(int panelHandle, int event, void *, int, int)
{
    if (event == EVENT_CLOSE)
        HidePanel(panelHandle);
    return 0;
}
