// The user-interface part of the run-time: panels, controls, their events,
// pop-ups, graphs, strip charts and tables, over the core part (rt_core.h:
// event servicing, time, locks). A C-style interface with integer panel handles and
// control identifiers, implemented over Qt Widgets. Everything runs on the one
// GUI thread; callbacks are called from inside event processing.
#pragma once

#include "rt_core.h"

#include <cstddef>
#include <string>

// ---- callback types ---------------------------------------------------------
using CtrlCallbackPtr = int (*)(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
using PanelCallbackPtr = int (*)(int panel, int event, void *callbackData, int eventData1, int eventData2);

// A program registers the callbacks its panel resource file names. A name in
// the file that is missing from the table makes LoadPanel fail.
struct RtCallbackEntry {
    const char *name;
    CtrlCallbackPtr ctrl;   // for controls
    PanelCallbackPtr panel; // for panels
};
void RegisterCallbackTable(const RtCallbackEntry *entries, int count);

// ---- events ---------------------------------------------------------------
enum {
    EVENT_NONE = 0,
    EVENT_COMMIT = 1,
    EVENT_VAL_CHANGED = 2,
    EVENT_LEFT_CLICK = 3,
    EVENT_LEFT_DOUBLE_CLICK = 4,
    EVENT_RIGHT_CLICK = 5,
    EVENT_KEYPRESS = 7,
    EVENT_GOT_FOCUS = 9,
    EVENT_LOST_FOCUS = 10,
    EVENT_CLOSE = 11,
};

// Key codes delivered with EVENT_KEYPRESS (eventData1) and taken by FakeKeystroke.
enum {
    VAL_SHIFT_MODIFIER = 0x10000,
    VAL_MENUKEY_MODIFIER = 0x20000, // Ctrl
    VAL_TAB_VKEY = 0x0100,
    VAL_BACKSPACE_VKEY = 0x0200,
    VAL_ESC_VKEY = 0x0300,
    VAL_ENTER_VKEY = 0x0400,
    VAL_UP_ARROW_VKEY = 0x0500,
    VAL_DOWN_ARROW_VKEY = 0x0600,
    VAL_LEFT_ARROW_VKEY = 0x0700,
    VAL_RIGHT_ARROW_VKEY = 0x0800,
    VAL_F1_VKEY = 0x1000, // F1..F12 = VAL_F1_VKEY + 0..11
    VAL_F9_VKEY = VAL_F1_VKEY + 8,
    VAL_F10_VKEY = VAL_F1_VKEY + 9,
    VAL_F11_VKEY = VAL_F1_VKEY + 10,
    VAL_F12_VKEY = VAL_F1_VKEY + 11,
};

// ---- attributes -------------------------------------------------------------
enum {
    ATTR_DIMMED = 1,
    ATTR_VISIBLE,
    ATTR_LABEL_TEXT, // const char*
    ATTR_TEXT_COLOR,
    ATTR_TEXT_BGCOLOR,
    ATTR_CMD_BUTTON_COLOR,
    ATTR_FRAME_COLOR,
    ATTR_ZPLANE_POSITION, // 0 = in front
    ATTR_LEFT,
    ATTR_TOP,
    ATTR_WIDTH,
    ATTR_HEIGHT,
    ATTR_CTRL_MODE,  // VAL_HOT, VAL_INDICATOR, VAL_NORMAL
    ATTR_CTRL_STYLE, // read only: CTRL_* kind of the control
    ATTR_TEXT_FONT,  // const char*: a family name or VAL_APPLICATION_FONT
    ATTR_TEXT_POINT_SIZE,
    ATTR_TEXT_BOLD,
    ATTR_TEXT_ITALIC,
    ATTR_MAX_ENTRY_LENGTH,          // string controls: -1 unlimited
    ATTR_CALLBACK_DATA,             // void*
    ATTR_CALLBACK_FUNCTION_POINTER, // CtrlCallbackPtr
    ATTR_CTRL_TAB_POSITION,
    ATTR_TEXT_SELECTION_START,
    ATTR_TEXT_SELECTION_LENGTH,
    ATTR_POINTS_PER_SCREEN, // strip charts
    ATTR_MIN_VALUE,         // numerics and sliders (double or int)
    ATTR_MAX_VALUE,
    ATTR_PRECISION,
    ATTR_ON_COLOR, // LEDs
    ATTR_OFF_COLOR,
    ATTR_FILL_COLOR, // colour bars
    ATTR_NUM_ROWS,   // tables (read only)
    ATTR_NUM_COLUMNS,
    ATTR_LABEL_COLOR,       // table row / column label text colour
    ATTR_CELL_MODE,         // table cells/columns: VAL_HOT, VAL_INDICATOR
    ATTR_COLUMN_LABEL_TEXT, // table columns
    ATTR_ROW_LABEL_TEXT,
    ATTR_XAXIS_LABEL, // graphs
    ATTR_YAXIS_LABEL,
    ATTR_PLOT_BGCOLOR,
    ATTR_ACTIVE_PANEL_TITLE, // panels: title text
    ATTR_PANEL_TITLE = ATTR_ACTIVE_PANEL_TITLE,
    ATTR_DATA_TYPE, // numerics: VAL_INTEGER or VAL_DOUBLE
};

enum { VAL_HOT = 1, VAL_INDICATOR = 2, VAL_NORMAL = 3, VAL_VALIDATE = 4 };

// Control kinds (ATTR_CTRL_STYLE, NewCtrl).
enum {
    CTRL_COMMAND_BUTTON = 1,
    CTRL_TOGGLE_BUTTON,
    CTRL_BINARY_SWITCH,
    CTRL_NUMERIC,
    CTRL_SLIDER,
    CTRL_RING,
    CTRL_STRING,
    CTRL_TEXT_BOX,
    CTRL_TEXT_MSG,
    CTRL_LED,
    CTRL_COLOR_BOX,
    CTRL_COLOR_BAR,
    CTRL_TABLE,
    CTRL_GRAPH,
    CTRL_STRIP_CHART,
    CTRL_PICTURE,
    CTRL_DECORATION,
};

// ---- colours ----------------------------------------------------------------
enum {
    VAL_BLACK = 0x000000,
    VAL_WHITE = 0xFFFFFF,
    VAL_RED = 0xFF0000,
    VAL_GREEN = 0x00FF00,
    VAL_BLUE = 0x0000FF,
    VAL_YELLOW = 0xFFFF00,
    VAL_GRAY = 0x808080,
    VAL_LT_GRAY = 0xCCCCCC,
    VAL_DK_GREEN = 0x008000,
    VAL_TRANSPARENT = 0x1000000,
};
int MakeColor(int red, int green, int blue);

// ---- fonts ------------------------------------------------------------------
// Font name for ATTR_TEXT_FONT that stands for the application's own font.
// Setting a font (or a point size) on a text message made with NewCtrl
// resizes it to its text, so a caller never measures text itself.
inline constexpr const char *VAL_APPLICATION_FONT = "VAL_APPLICATION_FONT";

struct Point {
    int x;
    int y;
};
Point MakePoint(int x, int y);

// ---- application and panels -----------------------------------------------
// Creates the application object. argv may hold --ui-script FILE; the
// environment variable VELTRA_UI_SCRIPT names a script too.
int InitRuntime(int argc, char **argv);
// Ends the run-time; returns the code the process should exit with: the
// program's own result, or the code a UI script's quit asked for.
int CloseRuntime(int programResult);

int LoadPanel(int parentPanel, const char *resourceFile, int panelResourceId);

// A program's panels: where each handle goes and which panel of the file it is.
struct RtPanelSlot {
    int *handle;
    int resourceId;
};
// Loads the panels in order. At the first failure the ones already loaded
// are discarded again and the failing code is returned; 0 when all loaded.
int LoadPanelSet(const char *resourceFile, const RtPanelSlot *panels, int count);
// Discards every loaded panel of the set and zeroes the handles.
void DiscardPanelSet(const RtPanelSlot *panels, int count);
int DisplayPanel(int panel);
int HidePanel(int panel);
int DiscardPanel(int panel);
int InstallPanelCallback(int panel, PanelCallbackPtr fn, void *callbackData);
int GetPanelAttribute(int panel, int attribute, int *value);
int GetPanelAttribute(int panel, int attribute, char *value);
int SetPanelAttribute(int panel, int attribute, int value);
int SetPanelAttribute(int panel, int attribute, const char *value);
// Name of the panel in its resource file ("P", "INTERFACEP", ...); empty if none.
std::string PanelName(int panel);

int RunUserInterface();
int QuitUserInterface(int returnCode);
// Paints what is waiting to be painted, now, and nothing else: no input, no
// timers, no waiting.
int ProcessDrawEvents();

// ---- a program's frame ---------------------------------------------------------
// What the programs' start-up and shut-down around their panels differ in.
// Every hook may be null.
struct RtProgramFrame {
    const char *panelFile;
    const RtPanelSlot *panels; // load order; the first one is the main panel
    int panelCount;
    void (*registerCallbacks)();
    // After the panels are loaded: a negative result refuses the panel file
    // like one without its panels (the panels are discarded, -1 returned).
    int (*checkPanels)();
    void (*start)(); // after the main panel is shown, before the user-interface loop
    void (*end)();   // after the loop, before the panels are discarded
};
// A program's WinMain: InitRuntime, the callbacks, the panels, the check,
// the main panel shown, start, the user-interface loop, end, the panels
// discarded. Returns 0, or the code of the step that failed.
int RunProgramFrame(const RtProgramFrame &frame, int argc, char **argv);
struct ProgramInfo;
// A program's main: answers --help, --version and a bad command line (no
// display needed), else runs winMain and ends the run-time with its result.
int ProgramMain(const ProgramInfo &info, int argc, char **argv, int (*winMain)(int argc, char **argv));

// ---- controls ---------------------------------------------------------------
int GetCtrlVal(int panel, int control, int *value);
int GetCtrlVal(int panel, int control, unsigned short *value);
int GetCtrlVal(int panel, int control, short *value);
int GetCtrlVal(int panel, int control, unsigned int *value);
int GetCtrlVal(int panel, int control, double *value);
int GetCtrlVal(int panel, int control, char *value);              // caller's buffer must hold the text
int GetCtrlVal(int panel, int control, char *value, int bufSize); // bounded form
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, unsigned int value);
int SetCtrlVal(int panel, int control, double value);
int SetCtrlVal(int panel, int control, const char *value);

int GetCtrlAttribute(int panel, int control, int attribute, int *value);
int GetCtrlAttribute(int panel, int control, int attribute, double *value);
int GetCtrlAttribute(int panel, int control, int attribute, char *value);
int GetCtrlAttribute(int panel, int control, int attribute, void **value);
int GetCtrlAttribute(int panel, int control, int attribute, CtrlCallbackPtr *value);
int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, double value);
int SetCtrlAttribute(int panel, int control, int attribute, const char *value);
int SetCtrlAttribute(int panel, int control, int attribute, void *value);
int SetCtrlAttribute(int panel, int control, int attribute, CtrlCallbackPtr value);

int SetActiveCtrl(int panel, int control);
int GetActiveCtrl(int panel);
// Creates a control of the given kind; returns its identifier or a negative code.
int NewCtrl(int panel, int style, const char *label, int top, int left);
int DiscardCtrl(int panel, int control);
int InstallCtrlCallback(int panel, int control, CtrlCallbackPtr fn, void *callbackData);
// Sends a keystroke to the active control of the panel.
int FakeKeystroke(int keyCode);
int SetWaitCursor(int on);
// Shows an image file in a picture control; an empty name clears it. A file
// that cannot be read clears it too and gives a negative result.
int DisplayImageFile(int panel, int control, const char *fileName);
// Name of a control in its resource file ("ButtonSend"); empty if unknown.
std::string CtrlName(int panel, int control);
int CtrlIdFromName(int panel, const char *name);

// ---- lists (rings) ----------------------------------------------------------
int InsertListItem(int panel, int control, int index, const char *label, int value);
int InsertListItem(int panel, int control, int index, const char *label, double value);
int InsertListItem(int panel, int control, int index, const char *label, const char *value);
int DeleteListItem(int panel, int control, int index, int count);
int ReplaceListItem(int panel, int control, int index, const char *label, const char *value);
int ReplaceListItem(int panel, int control, int index, const char *label, int value);
int GetNumListItems(int panel, int control, int *count);
int GetIndexFromValue(int panel, int control, int *index, const char *value);
int GetIndexFromValue(int panel, int control, int *index, int value);
int GetValueFromIndex(int panel, int control, int index, char *value);
int GetValueFromIndex(int panel, int control, int index, int *value);
int GetValueLengthFromIndex(int panel, int control, int index, int *length);
int GetCtrlIndex(int panel, int control, int *index);
int SetCtrlIndex(int panel, int control, int index);

// ---- text boxes -------------------------------------------------------------
int ResetTextBox(int panel, int control, const char *text);
int GetTextBoxLine(int panel, int control, int lineIndex, char *buf, int bufSize);
int GetNumTextBoxLines(int panel, int control, int *count);

// ---- tables (cells are 1-based: column, row) ---------------------------------
int SetTableCellVal(int panel, int control, Point cell, int value);
int SetTableCellVal(int panel, int control, Point cell, double value);
int SetTableCellVal(int panel, int control, Point cell, const char *value);
int GetTableCellVal(int panel, int control, Point cell, int *value);
int GetTableCellVal(int panel, int control, Point cell, double *value);
int GetTableCellVal(int panel, int control, Point cell, char *value, int bufSize);
int SetTableCellAttribute(int panel, int control, Point cell, int attribute, int value);
int GetTableCellAttribute(int panel, int control, Point cell, int attribute, int *value);
int SetTableRowAttribute(int panel, int control, int row, int attribute, int value);
int SetTableRowAttribute(int panel, int control, int row, int attribute, const char *value);
int GetTableRowAttribute(int panel, int control, int row, int attribute, int *value);
int SetTableColumnAttribute(int panel, int control, int column, int attribute, int value);
int SetTableColumnAttribute(int panel, int control, int column, int attribute, const char *value);
int GetTableColumnAttribute(int panel, int control, int column, int attribute, int *value);
int SetActiveTableCell(int panel, int control, Point cell);
int GetActiveTableCell(int panel, int control, Point *cell);

// ---- graphs and strip charts ------------------------------------------------
enum { VAL_THIN_LINE = 0, VAL_SCATTER = 1, VAL_CONNECTED_POINTS = 2 };
enum { VAL_NO_POINT = 0, VAL_SOLID_CIRCLE = 1, VAL_SOLID_SQUARE = 2, VAL_CROSS = 3, VAL_SIMPLE_DOT = 4 };
enum { VAL_SOLID = 0, VAL_DASH = 1, VAL_DOT = 2 };
enum { VAL_XAXIS = 0, VAL_LEFT_YAXIS = 1 };
enum { VAL_MANUAL = 0, VAL_AUTOSCALE = 1 };
enum { VAL_DELAYED_DRAW = 0, VAL_IMMEDIATE_DRAW = 1 };
enum { VAL_ALL_PLOTS = -1 };

// Plots n points given as two arrays of the given data type; returns a plot handle (> 0).
int PlotXY(int panel, int control, const void *xArray, const void *yArray, int numPoints, int xDataType, int yDataType,
           int plotStyle, int pointStyle, int lineStyle, int pointFrequency, int color);
// An arc of the circle through the rectangle (x1,y1)-(x2,y2), angles in tenths of degrees.
int PlotArc(int panel, int control, double x1, double y1, double x2, double y2, int beginAngle, int arcAngle,
            int lineColor, int fillColor);
int DeleteGraphPlot(int panel, int control, int plotHandle, int refresh);
int GetNumGraphPlots(int panel, int control, int *count); // plots in the display list
int SetAxisScalingMode(int panel, int control, int axis, int mode, double min, double max);
int GetAxisScalingMode(int panel, int control, int axis, int *mode, double *min, double *max);
int SetGraphCursor(int panel, int control, int cursor, double x, double y);
int GetGraphCursor(int panel, int control, int cursor, double *x, double *y);

// Appends numPoints × traces values (multiplexed: one value per trace per point).
int PlotStripChart(int panel, int control, const void *array, int numPoints, int start, int skip, int dataType);
int ClearStripChart(int panel, int control);
int SetTraceAttribute(int panel, int control, int trace, int attribute, int value);
int GetStripChartPointCount(int panel, int control, int *count); // points held per trace

// ---- pop-ups ----------------------------------------------------------------
enum { VAL_OK_CANCEL_FILE_SELECT = 0, VAL_SELECT_BUTTON = 1, VAL_SAVE_BUTTON = 2, VAL_LOAD_BUTTON = 3 };
enum { VAL_EXISTING_FILE_SELECTED = 1, VAL_NEW_FILE_SELECTED = 2, VAL_NO_FILE_SELECTED = 0 };
int MessagePopup(const char *title, const char *message);
// The right-click help of a control: on EVENT_RIGHT_CLICK shows helpText in
// a pop-up titled "INFO!" and returns 1; any other event returns 0.
//   if (HelpOnRightClick(event, InfoButtonGo)) return 0;
int HelpOnRightClick(int event, const char *helpText);
// 1 for Yes, 0 for No.
int ConfirmPopup(const char *title, const char *message);
// Returns VAL_EXISTING_FILE_SELECTED, VAL_NEW_FILE_SELECTED, VAL_NO_FILE_SELECTED or a negative code.
int FileSelectPopup(const char *defaultDirectory, const char *defaultFileSpec, const char *fileTypeList,
                    const char *title, int buttonLabel, int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char *pathName);
