// The scope programs' side of the sensor link: the connection attempt with
// its line check, the interface panel, the status display and the IP address
// history, over the link's core (exchange.h: transports and exchange). One
// module for the three scope programs; what differs between them is a
// LinkSettings value given at start-up.
#pragma once

#include "exchange.h"

#include <cstdint>

// What each program does differently around the link.
struct LinkSettings {
    // Ends the program's own loops before the serial port is reopened
    // (InitRS232) and when the interface panel is opened (Connect).
    void (*stopLoopsOnOpen)() = nullptr;
    void (*stopLoopsOnConnectPanel)() = nullptr;
    // Runs after a successful line check (the main program reads the parameters).
    void (*afterLineCheck)() = nullptr;
    // Whether TryToConnect shows the port or address on the main panel.
    bool showLinkOnMainPanel = true;
    // Whether the TCP data-ready handler services events between reads.
    bool serviceEventsInTcpRead = true;
    // Right-click help of the main panel's status display (null: the link's own text).
    const char *statusHelp = nullptr;
};

// Control names shared by the three programs' resource files.
struct LinkPanels {
    int mainPanel = 0;      // P
    int interfacePanel = 0; // INTERFACEP
};

extern uint16_t comprotocol, comprotocolold, comportold;
extern char ipBuf[256], ipBufOld[256], portNumStr[32], portNumStrOld[32];
extern int portNum;
extern int16_t ret;
extern char szStatus[48];
extern char ipComboBoxFileName[260];

// Sets the program's differences and the panels; resolves the controls by
// name. Returns -1, naming the control on standard error, when the panel
// file lacks a control the link needs (the optional ones may be missing).
int InitLink(const LinkSettings &settings, const LinkPanels &panels);
// The link's part of a scope program's start-up: InitLink, the IP address
// control becomes a combo box holding the address history of projDir, then
// the program connects with the interface panel's settings.
// Returns -1 (and does not connect) when InitLink fails.
int StartLink(const LinkSettings &settings, const LinkPanels &panels, const char *projDir);

// Name of the address history file, shared by the programs of one directory.
constexpr const char *kIpHistoryFileName = "IPComboBoxVeltv61.ipa";
// Start-up state of the link globals (comport 1, tcpcon 0; also for tests).
void ResetLinkGlobals();

void InitConnectPanel(int unused);
void TryToConnect();
void InitRS232();
void InitTCP_IP();
void CheckComLine();
// At the program's end: closes the line and frees the address combo box.
void EndLink();

// The status display of the main panel.
void SetStatusText(const char *text);

// IP history: at start-up, and when an address is committed.
void LoadIpHistory();
void UpdateIpHistory();
