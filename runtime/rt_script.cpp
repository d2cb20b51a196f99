// UI scripts: a list of actions that run inside the program's event
// processing as a user's would, so that programs can be driven without a
// person (end-to-end tests, demonstrations). One action a line; '#' starts a
// comment. The actions are listed in the README.
#include "rt_internal.h"
#include "rt_scriptlines.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QPointer>
#include <QWindow>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <sys/resource.h>
#include <deque>
#include <limits>
#include <sstream>
#include <vector>

namespace rt {

namespace {

struct Action {
    int line = 0;
    std::vector<std::string> args; // args[0] is the verb
};

struct Script {
    std::vector<Action> actions;
    size_t next = 0;
    bool active = false;
    bool started = false;
    double waitUntil = -1;        // for wait
    double waitforDeadline = -1;  // for waitfor
    double keyDeadline = -1;      // for key: until the window has the keyboard
    double waitfileDeadline = -1; // for waitfile
    std::deque<int> confirms;
    std::deque<std::pair<std::string, int>> files;
};

void schedule(int ms);

Script &script()
{
    static Script s;
    return s;
}

void say(const char *fmt, const std::string &a, const std::string &b = "")
{
    std::printf(fmt, a.c_str(), b.c_str());
    std::fflush(stdout);
}

void finish(int code)
{
    Script &s = script();
    s.next = s.actions.size();
    forcedExitCode() = code;
    // End the program as closing its main panel does, so that its own
    // shut-down runs; the first loaded panel with a callback is the main panel.
    for (int h : panelHandles()) {
        Panel *p = findPanel(h);
        if (p && p->callback) {
            dispatchPanel(h, EVENT_CLOSE);
            QuitUserInterface(code); // in case the callback does not end the loop
            return;
        }
    }
    QuitUserInterface(code);
}

bool fail(const Action &a, const std::string &why)
{
    std::fprintf(stderr, "ui script line %d: %s\n", a.line, why.c_str());
    return false;
}

// The longest time an action may wait; waits are scheduled in whole
// milliseconds of an int.
constexpr double kMaxScriptSeconds = 1e6;

// The whole number in word `at` of the action (`missing` when the action has
// fewer words); reports the line and returns false when the word is none or
// lies outside lo..hi.
bool wholeArg(const Action &a, size_t at, const char *what, long long lo, long long hi, long long missing, int *out)
{
    long long v = missing;
    if (at < a.args.size() && !ScriptWholeNumber(a.args[at], lo, hi, &v))
        return fail(a, std::string(what) + " must be a whole number from " + std::to_string(lo) + " to " +
                           std::to_string(hi) + ", not '" + a.args[at] + "'");
    *out = static_cast<int>(v);
    return true;
}

// Seconds in word `at` of the action (0 when it has fewer words), as wholeArg.
bool secondsArg(const Action &a, size_t at, double *out)
{
    *out = 0;
    if (at < a.args.size() && !ScriptDecimalNumber(a.args[at], 0, kMaxScriptSeconds, out))
        return fail(a, "seconds must be a number from 0 to 1000000, not '" + a.args[at] + "'");
    return true;
}

// COL ROW of a table cell in words at and at + 1.
bool cellArgs(const Action &a, size_t at, Point *cell)
{
    return wholeArg(a, at, "COL", 1, 65535, 0, &cell->x) && wholeArg(a, at + 1, "ROW", 1, 65535, 0, &cell->y);
}

// Resolves PANEL CTRL; reports and returns false when either is unknown.
bool resolve(const Action &a, size_t at, int *panel, int *ctrl)
{
    if (a.args.size() <= at + 1)
        return fail(a, "missing panel or control name");
    *panel = panelByName(a.args[at]);
    if (!*panel)
        return fail(a, "no panel " + a.args[at]);
    *ctrl = CtrlIdFromName(*panel, a.args[at + 1].c_str());
    if (*ctrl <= 0)
        return fail(a, "no control " + a.args[at + 1] + " on " + a.args[at]);
    return true;
}

bool valuesEqual(const std::string &have, const std::string &want)
{
    if (have == want)
        return true;
    constexpr double kAny = std::numeric_limits<double>::max();
    double a = 0, b = 0;
    return ScriptDecimalNumber(have, -kAny, kAny, &a) && ScriptDecimalNumber(want, -kAny, kAny, &b) &&
           std::fabs(a - b) < 1e-9;
}

// Text of a control attribute as printattr shows it; false for an unknown attribute.
bool attrText(int panel, int ctrl, const std::string &attr, std::string *out)
{
    int v = 0;
    if (attr == "dimmed" && GetCtrlAttribute(panel, ctrl, ATTR_DIMMED, &v) == 0)
        *out = std::to_string(v);
    else if (attr == "visible" && GetCtrlAttribute(panel, ctrl, ATTR_VISIBLE, &v) == 0)
        *out = std::to_string(v);
    else if ((attr == "bgcolor" && GetCtrlAttribute(panel, ctrl, ATTR_TEXT_BGCOLOR, &v) == 0) ||
             (attr == "buttoncolor" && GetCtrlAttribute(panel, ctrl, ATTR_CMD_BUTTON_COLOR, &v) == 0)) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "0x%06X", v & 0xFFFFFF);
        *out = buf;
    } else if (attr == "label") {
        char buf[1024] = "";
        GetCtrlAttribute(panel, ctrl, ATTR_LABEL_TEXT, buf);
        *out = buf;
    } else
        return false;
    return true;
}

// The key a script names ("F11", "Return", "Esc", "a" ...), as Qt knows it.
QKeyCombination keyFromName(const std::string &name)
{
    const QKeySequence seq = QKeySequence::fromString(QString::fromStdString(name), QKeySequence::PortableText);
    return seq.isEmpty() ? QKeyCombination() : seq[0];
}

// True once the panel's window is the active one; when asked, brings it to
// the front and asks for the keyboard, as a user's click on it does.
bool focusPanelWindow(QWidget *win, bool ask)
{
    if (QApplication::activeWindow() == win)
        return true;
    if (ask)
        win->activateWindow();
    return false;
}

// A key pressed while the panel's window has the keyboard: the press and
// release enter Qt as the window system's key events do, so shortcuts are
// looked up first and everything else goes to the control with the focus.
void pressKey(QWidget *win, QKeyCombination key)
{
    QWindow *handle = win->windowHandle();
    if (!handle)
        return;
    const QString text = key.key() < Qt::Key_Escape && !(key.keyboardModifiers() & ~Qt::ShiftModifier)
                             ? QString(QChar(key.key())).toLower()
                             : QString();
    QPointer<QWindow> target = handle;
    qt_handleKeyEvent(target, QEvent::KeyPress, key.key(), key.keyboardModifiers(), text);
    if (target)
        qt_handleKeyEvent(target, QEvent::KeyRelease, key.key(), key.keyboardModifiers(), text);
}

// A point inside the control where a mouse click reaches the control (or one
// of its parts) rather than a control lying in front of it; false when none
// is visible.
bool clickPoint(QWidget *control, QPoint *inWindow)
{
    QWidget *win = control->window();
    const QRect r = control->rect();
    const auto hits = [&](QPoint local) {
        QWidget *at = win->childAt(control->mapTo(win, local));
        return at && (at == control || control->isAncestorOf(at));
    };
    // The centre first, then a grid over the control.
    if (hits(r.center())) {
        *inWindow = control->mapTo(win, r.center());
        return true;
    }
    constexpr int steps = 8;
    for (int iy = 0; iy <= steps; ++iy)
        for (int ix = 0; ix <= steps; ++ix) {
            const QPoint local(r.left() + (r.width() - 1) * ix / steps, r.top() + (r.height() - 1) * iy / steps);
            if (hits(local)) {
                *inWindow = control->mapTo(win, local);
                return true;
            }
        }
    return false;
}

// A mouse click (press and release) on a control, entering Qt as the window
// system's mouse events do: the widget under the pointer receives them, a
// window blocked by a modal pop-up receives nothing, a dimmed control ignores
// them.
void clickControl(const Action &a, QWidget *control, Qt::MouseButton button)
{
    if (!control->isVisible())
        return;
    QPoint at;
    if (!clickPoint(control, &at)) {
        std::fprintf(stderr, "ui script line %d: %s is covered, the click reaches nothing\n", a.line,
                     a.args.back().c_str());
        return;
    }
    QWindow *handle = control->window()->windowHandle();
    if (handle)
        QTest::mouseClick(handle, button, Qt::NoModifier, at);
}

// Executes one action; returns false when the script must stop with an error.
// Wait actions leave the step pending and return true.
bool run(const Action &a, const std::string &rawLine, bool *pending)
{
    Script &s = script();
    const std::string &verb = a.args[0];
    int panel = 0, ctrl = 0;
    *pending = false;
    if (verb == "click" || verb == "rightclick") {
        if (!resolve(a, 1, &panel, &ctrl))
            return false;
        clickControl(a, findControl(panel, ctrl)->widget, verb == "click" ? Qt::LeftButton : Qt::RightButton);
        return true;
    }
    if (verb == "set") {
        if (!resolve(a, 1, &panel, &ctrl))
            return false;
        if (!ctrlOperable(panel, ctrl))
            return true;
        const std::string value = ScriptLineRest(rawLine, 3);
        Control *c = findControl(panel, ctrl);
        int r = 0;
        if (c->kind == CTRL_STRING || c->kind == CTRL_TEXT_BOX)
            r = SetCtrlVal(panel, ctrl, value.c_str());
        else if (c->kind == CTRL_RING && SetCtrlVal(panel, ctrl, value.c_str()) == 0)
            r = 0;
        else {
            double number = 0;
            if (!ScriptDecimalNumber(value, -std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
                                     &number))
                return fail(a, "the value of " + a.args[2] + " must be a number, not '" + value + "'");
            if (c->kind == CTRL_NUMERIC || c->kind == CTRL_SLIDER) {
                userSetsNumber(panel, ctrl, number); // outside its range: refused as a user's entry
                return true;
            }
            r = SetCtrlVal(panel, ctrl, number);
        }
        if (r < 0)
            return fail(a, "cannot set " + a.args[2] + " to " + value);
        userChanged(panel, ctrl);
        return true;
    }
    if (verb == "setcell") {
        if (a.args.size() < 6 || !resolve(a, 1, &panel, &ctrl))
            return fail(a, "usage: setcell PANEL CTRL COL ROW VALUE");
        Point cell {};
        if (!cellArgs(a, 3, &cell))
            return false;
        int mode = VAL_HOT;
        if (GetTableCellAttribute(panel, ctrl, cell, ATTR_CELL_MODE, &mode) < 0)
            return fail(a, "no such cell");
        if (!ctrlOperable(panel, ctrl) || mode == VAL_INDICATOR)
            return true;
        // A value outside the cell's type or range is refused as a user's entry.
        userSetsCell(panel, ctrl, cell, QString::fromStdString(ScriptLineRest(rawLine, 5)));
        return true;
    }
    if (verb == "close") {
        if (a.args.size() < 2 || !(panel = panelByName(a.args[1])))
            return fail(a, "no such panel");
        findPanel(panel)->window->close();
        return true;
    }
    if (verb == "key") {
        if (a.args.size() < 3 || !(panel = panelByName(a.args[1])))
            return fail(a, "usage: key PANEL KEY");
        const QKeyCombination key = keyFromName(a.args[2]);
        if (key.key() == Qt::Key(0))
            return fail(a, "unknown key " + a.args[2]);
        QWidget *win = findPanel(panel)->window;
        if (!win->isVisible())
            return true; // a hidden panel takes no keys
        // Wait (bounded) until the window has the keyboard, as a user clicks
        // into a window before typing; a window that cannot get it (blocked
        // by a pop-up) drops the key as it would drop a user's.
        const bool first = s.keyDeadline < 0;
        if (first)
            s.keyDeadline = Timer() + 2.0;
        if (!focusPanelWindow(win, first) && Timer() < s.keyDeadline) {
            *pending = true;
            return true;
        }
        s.keyDeadline = -1;
        ++s.next; // the key may start a loop (Go) from which the next actions run
        schedule(0);
        pressKey(win, key);
        return true;
    }
    if (verb == "answer") {
        if (a.args.size() < 2 || (a.args[1] != "yes" && a.args[1] != "no"))
            return fail(a, "usage: answer yes|no");
        s.confirms.push_back(a.args[1] == "yes" ? 1 : 0);
        return true;
    }
    if (verb == "file") {
        if (a.args.size() < 3)
            return fail(a, "usage: file PATH existing|new|cancel");
        const std::string &kind = a.args[2];
        const int r = kind == "existing" ? VAL_EXISTING_FILE_SELECTED
                      : kind == "new"    ? VAL_NEW_FILE_SELECTED
                                         : VAL_NO_FILE_SELECTED;
        s.files.emplace_back(QFileInfo(QString::fromStdString(a.args[1])).absoluteFilePath().toStdString(), r);
        return true;
    }
    if (verb == "wait") {
        if (s.waitUntil < 0) {
            double seconds = 0;
            if (!secondsArg(a, 1, &seconds))
                return false;
            s.waitUntil = Timer() + seconds;
        }
        if (Timer() < s.waitUntil) {
            *pending = true;
            return true;
        }
        s.waitUntil = -1;
        return true;
    }
    if (verb == "waitfor") {
        // waitfor PANEL CTRL [ATTR] ==|~= VALUE TIMEOUT: a value, or an
        // attribute as printattr shows it, equal to VALUE ("==") or a text
        // containing it ("~=", for a status window that collects messages).
        const auto isOp = [](const std::string &op) { return op == "==" || op == "~="; };
        const bool byAttr = a.args.size() >= 7 && !isOp(a.args[3]) && isOp(a.args[4]);
        const size_t eq = byAttr ? 4 : 3;
        if (a.args.size() < eq + 3 || !isOp(a.args[eq]) || !resolve(a, 1, &panel, &ctrl))
            return fail(a, "usage: waitfor PANEL CTRL [ATTR] ==|~= VALUE TIMEOUT");
        const bool contains = a.args[eq] == "~=";
        std::string have;
        if (byAttr && !attrText(panel, ctrl, a.args[3], &have))
            return fail(a, "unknown attribute " + a.args[3]);
        if (s.waitforDeadline < 0) {
            double seconds = 0;
            if (!secondsArg(a, a.args.size() - 1, &seconds))
                return false;
            s.waitforDeadline = Timer() + seconds;
        }
        // VALUE may hold blanks: everything between "==" and the time-out.
        const std::string want = ScriptLineValueBeforeLastWord(rawLine, static_cast<int>(eq) + 1);
        if (!byAttr)
            have = ctrlValueText(panel, ctrl);
        if (contains ? have.find(want) != std::string::npos : valuesEqual(have, want)) {
            s.waitforDeadline = -1;
            return true;
        }
        if (Timer() > s.waitforDeadline) {
            s.waitforDeadline = -1;
            std::printf("WAITFOR TIMEOUT %s.%s=%s (wanted %s)\n", a.args[1].c_str(), a.args[2].c_str(), have.c_str(),
                        want.c_str());
            std::fflush(stdout);
            finish(3);
            *pending = true; // nothing more runs
            return true;
        }
        *pending = true;
        return true;
    }
    if (verb == "waitfile") {
        // waitfile PATH TIMEOUT: waits until a file exists, so that a test can
        // change the world outside (restart a simulator) at a known moment.
        if (a.args.size() < 3)
            return fail(a, "usage: waitfile PATH TIMEOUT");
        if (s.waitfileDeadline < 0) {
            double seconds = 0;
            if (!secondsArg(a, 2, &seconds))
                return false;
            s.waitfileDeadline = Timer() + seconds;
        }
        if (QFileInfo::exists(QString::fromStdString(a.args[1]))) {
            s.waitfileDeadline = -1;
            return true;
        }
        if (Timer() > s.waitfileDeadline) {
            s.waitfileDeadline = -1;
            std::printf("WAITFILE TIMEOUT %s\n", a.args[1].c_str());
            std::fflush(stdout);
            finish(3);
        }
        *pending = true;
        return true;
    }
    if (verb == "touch") {
        // touch PATH: tells a test that the script got this far.
        QFile f(QString::fromStdString(a.args.size() > 1 ? a.args[1] : ""));
        if (a.args.size() < 2 || !f.open(QIODevice::WriteOnly | QIODevice::Append))
            return fail(a, "usage: touch PATH (a file that can be written)");
        return true;
    }
    if (verb == "printcpu") {
        // The CPU time the process has used so far, beside the wall clock, so
        // that a test can tell an idle program from a spinning one.
        rusage use {};
        getrusage(RUSAGE_SELF, &use);
        const double cpu = static_cast<double>(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
                           static_cast<double>(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
        std::printf("CPU %.6f %.6f\n", cpu, Timer());
        std::fflush(stdout);
        return true;
    }
    if (verb == "print") {
        if (!resolve(a, 1, &panel, &ctrl))
            return false;
        std::string v = ctrlValueText(panel, ctrl);
        for (size_t i = 0; (i = v.find('\n', i)) != std::string::npos;)
            v.replace(i, 1, "\\n");
        std::printf("%s.%s=%s\n", a.args[1].c_str(), a.args[2].c_str(), v.c_str());
        std::fflush(stdout);
        return true;
    }
    if (verb == "printcell") {
        if (a.args.size() < 5 || !resolve(a, 1, &panel, &ctrl))
            return fail(a, "usage: printcell PANEL CTRL COL ROW");
        Point cell {};
        if (!cellArgs(a, 3, &cell))
            return false;
        char buf[256] = "";
        GetTableCellVal(panel, ctrl, cell, buf, sizeof buf);
        std::printf("%s.%s[%s,%s]=%s\n", a.args[1].c_str(), a.args[2].c_str(), a.args[3].c_str(), a.args[4].c_str(),
                    buf);
        std::fflush(stdout);
        return true;
    }
    if (verb == "printattr") {
        if (a.args.size() < 4 || !resolve(a, 1, &panel, &ctrl))
            return fail(a, "usage: printattr PANEL CTRL dimmed|visible|label|bgcolor|buttoncolor");
        const std::string &attr = a.args[3];
        std::string out;
        if (!attrText(panel, ctrl, attr, &out))
            return fail(a, "unknown attribute " + attr);
        std::printf("%s.%s.%s=%s\n", a.args[1].c_str(), a.args[2].c_str(), attr.c_str(), out.c_str());
        std::fflush(stdout);
        return true;
    }
    if (verb == "screenshot") {
        if (a.args.size() < 3 || !(panel = panelByName(a.args[1])))
            return fail(a, "usage: screenshot PANEL FILE.png");
        QWidget *win = findPanel(panel)->window;
        const QString file = QString::fromStdString(a.args[2]);
        QDir().mkpath(QFileInfo(file).absolutePath());
        if (!win->grab().save(file, "PNG"))
            return fail(a, "cannot write " + a.args[2]);
        say("SCREENSHOT %s %s\n", a.args[1], a.args[2]);
        return true;
    }
    if (verb == "quit") {
        int code = 0;
        if (!wholeArg(a, 1, "CODE", 0, 255, 0, &code))
            return false;
        finish(code);
        *pending = true; // nothing more runs
        return true;
    }
    return fail(a, "unknown action " + verb);
}

std::vector<std::string> g_rawLines;

void step();

// Each step is scheduled on a fresh single-shot timer: Qt never re-enters a
// timer that is still being handled, and an action may run a callback's loop
// (Go) from which the following actions (Stop) must still be able to run.
void schedule(int ms)
{
    QTimer::singleShot(ms, QCoreApplication::instance(), [] { step(); });
}

// Runs the next action. Waits re-schedule themselves until they are over.
void step()
{
    Script &s = script();
    if (s.next >= s.actions.size())
        return;
    const size_t i = s.next;
    const Action &a = s.actions[i];
    const bool waiting = a.args[0] == "wait" || a.args[0] == "waitfor" || a.args[0] == "waitfile" || a.args[0] == "key";
    if (!waiting) {
        ++s.next; // advance first: the action may run a loop that steps again
        schedule(0);
    }
    bool pending = false;
    if (!run(a, g_rawLines[i], &pending)) {
        finish(2);
        return;
    }
    if (waiting && s.next == i) {
        if (pending) {
            // A plain wait sleeps until its end; the others look again every 10 ms.
            const bool plainWait = a.args[0] == "wait" && s.waitUntil >= 0;
            schedule(plainWait ? std::max(1, static_cast<int>(std::ceil((s.waitUntil - Timer()) * 1000))) : 10);
        } else {
            ++s.next;
            schedule(0);
        }
    }
}

} // namespace

int startUiScript(const std::string &path)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "ui script: cannot read %s\n", path.c_str());
        return -1;
    }
    const QByteArray content = f.readAll();
    Script &s = script();
    for (ScriptLine &l : ParseUiScriptText(content.toStdString())) {
        Action a;
        a.line = l.line;
        a.args = std::move(l.args);
        s.actions.push_back(std::move(a));
        g_rawLines.push_back(std::move(l.text));
    }
    s.active = true; // the first action runs when the user-interface loop starts
    return 0;
}

void beginUiScript()
{
    Script &s = script();
    if (s.active && !s.started) {
        s.started = true;
        schedule(0);
    }
}

bool scriptActive() { return script().active; }

bool takeConfirmAnswer(int *answer)
{
    Script &s = script();
    if (s.confirms.empty())
        return false;
    *answer = s.confirms.front();
    s.confirms.pop_front();
    return true;
}

bool takeFileAnswer(std::string *path, int *result)
{
    Script &s = script();
    if (s.files.empty())
        return false;
    *path = s.files.front().first;
    *result = s.files.front().second;
    s.files.pop_front();
    return true;
}

} // namespace rt

namespace rt {

namespace {

// The same blanks as between the words of a line, so that a rest always
// starts and ends at the words the action's words say.
const char *const kBlanks = " \t\n\v\f\r";

std::vector<std::string> splitWords(const std::string &line)
{
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string w;
    while (in >> w)
        out.push_back(w);
    return out;
}

} // namespace

std::vector<ScriptLine> ParseUiScriptText(const std::string &content)
{
    std::vector<ScriptLine> out;
    int lineNo = 0;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        end = end == std::string::npos ? content.size() : end + 1;
        std::string line = content.substr(start, end - start);
        start = end;
        ++lineNo;
        const size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        ScriptLine l;
        l.line = lineNo;
        l.args = splitWords(line);
        if (l.args.empty())
            continue;
        l.text = std::move(line);
        out.push_back(std::move(l));
    }
    return out;
}

std::string ScriptLineRest(const std::string &line, int skipWords)
{
    size_t pos = 0;
    for (int i = 0; i < skipWords; ++i) {
        pos = line.find_first_not_of(kBlanks, pos);
        pos = line.find_first_of(kBlanks, pos);
        if (pos == std::string::npos)
            return "";
    }
    pos = line.find_first_not_of(kBlanks, pos);
    return pos == std::string::npos ? "" : line.substr(pos);
}

bool ScriptWholeNumber(const std::string &word, long long lo, long long hi, long long *out)
{
    long long v = 0;
    const char *end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, v);
    if (ec != std::errc() || ptr != end || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

bool ScriptDecimalNumber(const std::string &word, double lo, double hi, double *out)
{
    double v = 0;
    const char *end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, v);
    if (ec != std::errc() || ptr != end || !std::isfinite(v) || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

std::string ScriptLineValueBeforeLastWord(const std::string &line, int skipWords)
{
    std::string value = ScriptLineRest(line, skipWords);
    // Blanks after the last word (a line may end in a tab) are no word.
    value.erase(std::min(value.size(), value.find_last_not_of(kBlanks) + 1));
    const size_t last = value.find_last_of(kBlanks);
    value.erase(last == std::string::npos ? 0 : last);
    const size_t end = value.find_last_not_of(kBlanks);
    value.erase(end == std::string::npos ? 0 : end + 1);
    return value;
}

} // namespace rt
