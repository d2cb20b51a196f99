// Reads the structure of a panel resource file: its panels and, in document
// order, their controls. The loader and the header generator both use this,
// so control identifiers and the loaded widgets always agree.
//
// A panel resource file is a Qt Designer form: a QTabWidget named "panels"
// whose pages are the panels (page name = panel name, tab title = panel
// title). Controls are the page's descendant widgets of the classes listed in
// uirControlClasses(), placed at absolute positions. Dynamic properties:
//   callback  "CBF_..."  the callback bound by name (controls and panels)
//   label     text       label shown above controls that have no text of their own
//   values    string list ring item values (default: the item indexes)
//   shortcut  key name   shortcut key of a command button ("F9")
//   and per kind: indicator, hidden, dimmed, textColor, bgColor, buttonColor,
//   cellType and cellMinimum/cellMaximum (tables: what a user may enter),
//   onColor/offColor (LEDs), color (colour boxes),
//   maximum/fillColor (colour bars), xMin/xMax/yMin/yMax/xAutoscale/yAutoscale/
//   xLabel/yLabel/cursors/cursorColor/plotBgColor (graphs), traces/
//   pointsPerScreen/yMin/yMax/traceColors (strip charts)
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct UirControl {
    std::string name;      // widget objectName, e.g. "ButtonSend"
    std::string className; // e.g. "QPushButton"
    std::string callback;  // "" if unbound
    int id = 0;            // control identifier within its panel
};

struct UirPanel {
    std::string name; // "P"
    std::string callback;
    std::string title;
    int resourceId = 0; // 1-based, in file order
    std::vector<UirControl> controls;
};

struct UirIndex {
    std::vector<UirPanel> panels;
    std::string error; // non-empty when the file is missing or malformed
};

UirIndex ReadUirIndex(const std::string &path);
// The same for a file already in memory; path only names it in error texts.
UirIndex ParseUirIndex(const char *data, size_t size, const std::string &path);
bool IsUirControlClass(const std::string &className);
// Upper-case C identifier for a panel or control name ("ButtonSend" -> "BUTTONSEND").
std::string UirIdentifier(const std::string &name);
