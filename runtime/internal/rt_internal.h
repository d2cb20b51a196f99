// Internals shared by the run-time's source files; programs never include this.
#pragma once

#include "rt_coreapp.h"
#include "rt_ui.h"

#include "uirindex.h"

#include <QByteArray>
#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <limits>
#include <map>
#include <memory>
#include <string>

class QApplication;
class QColor;
class QLabel;

namespace rt {

// Discards every panel, runs pending deletions and deletes the application.
void destroyApp();
// Starts the UI script; returns 0 or -1 when the script cannot be read.
int startUiScript(const std::string &path);
// Starts running the script's actions (called when the user-interface loop starts).
void beginUiScript();
// True while a UI script drives the program: pop-ups then never block.
bool scriptActive();
// Pop-up answers queued by the UI script (false when none is queued).
bool takeConfirmAnswer(int *answer);
bool takeFileAnswer(std::string *path, int *result);

struct Control {
    int id = 0;
    std::string name;
    int kind = 0;
    QPointer<QWidget> widget;
    QPointer<QLabel> label; // separate label above the control, where the kind has one
    CtrlCallbackPtr callback = nullptr;
    void *callbackData = nullptr;
    int mode = VAL_HOT;
    int dataType = VAL_INTEGER; // numerics and table cells
    int z = 0;                  // stacking: 0 in front
    int order = 0;              // creation order
    int tab = 0;                // position in the panel's tab order
    int textColor = -1, bgColor = -1, buttonColor = -1, frameColor = -1;
    bool autoSize = false;          // text messages made at run time grow with their text
    std::map<int, int> columnModes; // tables: column (1-based) -> VAL_HOT / VAL_INDICATOR
    // Tables: the values a user may enter into a numeric cell (the resource's
    // cellMinimum and cellMaximum, or ATTR_MIN_VALUE and ATTR_MAX_VALUE).
    double cellMin = -std::numeric_limits<double>::infinity();
    double cellMax = std::numeric_limits<double>::infinity();
};

struct Panel {
    int handle = 0;
    int resourceId = 0;
    std::string name;
    QPointer<QWidget> window;
    PanelCallbackPtr callback = nullptr;
    void *callbackData = nullptr;
    std::map<int, std::unique_ptr<Control>> controls;
    int nextId = 2;
    int nextOrder = 0;
};

Panel *findPanel(int handle);
Control *findControl(int panel, int control);
// Handle of the first loaded panel with the given resource name, or 0.
int panelByName(const std::string &name);
// The panels in load order (handles).
std::vector<int> panelHandles();
// Calls a control's callback; returns its result (0 without callback).
int dispatchCtrl(int panel, int control, int event, int d1 = 0, int d2 = 0);
int dispatchPanel(int panel, int event);
// Text form of a control's value as the UI script prints it.
std::string ctrlValueText(int panel, int control);
// True when a user could operate the control now (visible, not dimmed, hot).
bool ctrlOperable(int panel, int control);
// Exit code forced by a UI script's quit (or -1).
int &forcedExitCode();

// Helpers shared by the files of panels, control values, lists and graphs.
QColor toQColor(int rgb);
int fromQColor(const QColor &c);
// Copies text into a caller's buffer, cut to bufSize - 1 bytes (-1: unbounded).
void copyText(char *dst, const QString &text, int bufSize = -1);
void placeLabel(Control &c);
void applyColors(Control &c);
void restack(Panel &p);
void setTabPosition(Panel &p, Control *moved, int position);
void setIndicator(Control &c, bool indicator);
void applyTableModes(Control &c);
// The value-changed then commit pair that a user's change produces.
void userChanged(int panel, int ctrl, int d1 = 0, int d2 = 0);
// A user's entry into a table cell, typed or by a UI script: taken when it
// is a value of the table's cell type within the table's cell range, with
// the events of a change; otherwise the cell keeps its previous value and
// no event follows (false).
bool userSetsCell(int panel, int ctrl, Point cell, const QString &text);
// A user's entry into a numeric control or a slider (a UI script's set):
// refused like a cell's when it lies outside the control's range, or is not
// whole where the control holds whole numbers; the control keeps its value.
bool userSetsNumber(int panel, int ctrl, double value);
double readArray(const void *array, int type, int i);
bool knownDataType(int type);

// A panel resource file as read once per program run: its bytes, its index
// and the form built from it, whose pages LoadPanel takes one by one.
struct ResourceFile {
    QByteArray bytes;
    UirIndex index;
    std::unique_ptr<QWidget> form;
    qint64 size = 0;
    QDateTime modified;
};
// The file at path, read and parsed on first use (nullptr and *error when it
// cannot be read or is malformed).
ResourceFile *openResourceFile(const QString &path, int *error);
// The page of the named panel in the file's form, building the form again
// when that page was taken before. The caller moves the page's widgets out
// and deletes the page, which removes it from the form.
QWidget *takePage(ResourceFile &rf, const std::string &name, const char *fileName, int *error);
// Forgets every resource file (their widgets go with the application).
void dropResourceFiles();
// How many times a resource file has been read from disk in this run.
int resourceFileReads();

} // namespace rt
