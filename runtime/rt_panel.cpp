// Panels: loading from panel resource files, the control widgets and their
// events, control creation and lookup. Values and attributes are in
// rt_control.cpp, lists and tables in rt_lists.cpp, graphs in rt_graph.cpp.
#include "rt_internal.h"
#include "rt_widgets.h"
#include "uirindex.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QUiLoader>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace rt {

// The run-time's panels and callbacks; the helpers below are shared with the
// other control files through rt_internal.h.

std::map<int, std::unique_ptr<Panel>> g_panels;
int g_nextPanel = 1;
std::map<std::string, RtCallbackEntry> g_callbacks;
int g_waitCursor = 0;

constexpr int kLabelHeight = 16;
constexpr int kTextBoxMaxLines = 5000; // a text box never grows without bound

// ---- panel window ---------------------------------------------------------------
class PanelWindow : public QWidget {
public:
    explicit PanelWindow(int handle) : handle_(handle) {}

protected:
    void closeEvent(QCloseEvent *e) override
    {
        e->ignore();
        Panel *p = findPanel(handle_);
        if (!p)
            return;
        if (p->callback)
            dispatchPanel(handle_, EVENT_CLOSE);
        else
            hide();
    }

private:
    int handle_;
};

// ---- widget creation for our own classes -------------------------------------------
class Loader : public QUiLoader {
public:
    QWidget *createWidget(const QString &className, QWidget *parent, const QString &name) override
    {
        QWidget *w = nullptr;
        if (className == "RtLed")
            w = new RtLed(parent);
        else if (className == "RtColorBox")
            w = new RtColorBox(parent);
        else if (className == "RtColorBar")
            w = new RtColorBar(parent);
        else if (className == "RtGraph")
            w = new RtGraph(parent);
        else if (className == "RtStripChart")
            w = new RtStripChart(parent);
        else if (className == "RtPicture")
            w = new RtPicture(parent);
        else if (className == "QDoubleSpinBox")
            w = new RtDoubleSpinBox(parent);
        else
            return QUiLoader::createWidget(className, parent, name);
        w->setObjectName(name);
        return w;
    }
};

QColor toQColor(int rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

int fromQColor(const QColor &c) { return (c.red() << 16) | (c.green() << 8) | c.blue(); }

QColor propColor(QWidget *w, const char *name, QColor fallback)
{
    const QVariant v = w->property(name);
    if (!v.isValid())
        return fallback;
    const QColor c(v.toString());
    return c.isValid() ? c : fallback;
}

int kindOf(QWidget *w)
{
    if (auto *b = qobject_cast<QPushButton *>(w))
        return b->isCheckable() ? CTRL_TOGGLE_BUTTON : CTRL_COMMAND_BUTTON;
    if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w))
        return CTRL_BINARY_SWITCH;
    if (qobject_cast<QAbstractSpinBox *>(w))
        return CTRL_NUMERIC;
    if (qobject_cast<QSlider *>(w))
        return CTRL_SLIDER;
    if (qobject_cast<QComboBox *>(w))
        return CTRL_RING;
    if (qobject_cast<QLineEdit *>(w))
        return CTRL_STRING;
    if (qobject_cast<QPlainTextEdit *>(w))
        return CTRL_TEXT_BOX;
    if (qobject_cast<QTableWidget *>(w))
        return CTRL_TABLE;
    if (qobject_cast<RtLed *>(w))
        return CTRL_LED;
    if (qobject_cast<RtColorBox *>(w))
        return CTRL_COLOR_BOX;
    if (qobject_cast<RtColorBar *>(w))
        return CTRL_COLOR_BAR;
    if (qobject_cast<RtGraph *>(w))
        return CTRL_GRAPH;
    if (qobject_cast<RtStripChart *>(w))
        return CTRL_STRIP_CHART;
    if (qobject_cast<RtPicture *>(w))
        return CTRL_PICTURE;
    if (qobject_cast<QLabel *>(w))
        return CTRL_TEXT_MSG;
    return CTRL_DECORATION;
}

bool hasSeparateLabel(int kind)
{
    switch (kind) {
    case CTRL_COMMAND_BUTTON:
    case CTRL_TOGGLE_BUTTON:
    case CTRL_BINARY_SWITCH:
    case CTRL_TEXT_MSG:
    case CTRL_DECORATION:
    case CTRL_PICTURE: return false;
    default: return true;
    }
}

void placeLabel(Control &c)
{
    if (!c.label || !c.widget)
        return;
    const QRect g = c.widget->geometry();
    c.label->adjustSize();
    if (c.kind == CTRL_LED) {
        c.label->move(g.right() + 4, g.top() + (g.height() - c.label->height()) / 2);
    } else {
        c.label->move(g.left(), g.top() - kLabelHeight);
    }
    c.label->setVisible(c.widget->isVisibleTo(c.widget->parentWidget()) && !c.label->text().isEmpty());
}

// Style sheet from the colours set on a control.
void applyColors(Control &c)
{
    if (!c.widget)
        return;
    QStringList css;
    if (c.textColor >= 0)
        css << QString("color: %1;").arg(toQColor(c.textColor).name());
    const int bg = c.kind == CTRL_COMMAND_BUTTON || c.kind == CTRL_TOGGLE_BUTTON ? c.buttonColor : c.bgColor;
    if (bg == VAL_TRANSPARENT) {
        c.widget->setAutoFillBackground(false);
        css << "background: transparent;";
    } else if (bg >= 0) {
        if (c.kind == CTRL_TEXT_MSG)
            c.widget->setAutoFillBackground(true);
        css << QString("background-color: %1;").arg(toQColor(bg).name());
        if (c.kind == CTRL_COMMAND_BUTTON || c.kind == CTRL_TOGGLE_BUTTON)
            css << "border: 1px solid #606060; border-radius: 3px; padding: 2px;";
    }
    // The frame colour is a control's second colour: a border around it.
    if (c.frameColor >= 0 && c.kind != CTRL_COMMAND_BUTTON && c.kind != CTRL_TOGGLE_BUTTON)
        css << QString("border: 2px solid %1;").arg(toQColor(c.frameColor).name());
    c.widget->setStyleSheet(css.join(' '));
}

void restack(Panel &p)
{
    std::vector<Control *> all;
    for (auto &[id, c] : p.controls)
        if (c->widget)
            all.push_back(c.get());
    std::stable_sort(all.begin(), all.end(), [](Control *a, Control *b) {
        if (a->z != b->z)
            return a->z > b->z;
        return a->order < b->order;
    });
    for (Control *c : all) {
        c->widget->raise();
        if (c->label)
            c->label->raise();
    }
}

// Tab positions run 0..n-1 over a panel's controls. Giving a control position
// n moves it there and shifts the others, and the keyboard focus follows.
void setTabPosition(Panel &p, Control *moved, int position)
{
    std::vector<Control *> all;
    for (auto &[id, c] : p.controls)
        if (c->widget && c.get() != moved)
            all.push_back(c.get());
    std::stable_sort(all.begin(), all.end(), [](Control *a, Control *b) { return a->tab < b->tab; });
    if (moved)
        all.insert(all.begin() + std::clamp<long>(position, 0, static_cast<long>(all.size())), moved);
    for (size_t i = 0; i < all.size(); ++i)
        all[i]->tab = static_cast<int>(i);
    for (size_t i = 1; i < all.size(); ++i)
        QWidget::setTabOrder(all[i - 1]->widget, all[i]->widget);
}

int keyCodeOf(const QKeyEvent *e)
{
    int code = 0;
    switch (e->key()) {
    case Qt::Key_Tab: code = VAL_TAB_VKEY; break;
    case Qt::Key_Backtab: code = VAL_TAB_VKEY | VAL_SHIFT_MODIFIER; break;
    case Qt::Key_Backspace: code = VAL_BACKSPACE_VKEY; break;
    case Qt::Key_Escape: code = VAL_ESC_VKEY; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: code = VAL_ENTER_VKEY; break;
    case Qt::Key_Up: code = VAL_UP_ARROW_VKEY; break;
    case Qt::Key_Down: code = VAL_DOWN_ARROW_VKEY; break;
    case Qt::Key_Left: code = VAL_LEFT_ARROW_VKEY; break;
    case Qt::Key_Right: code = VAL_RIGHT_ARROW_VKEY; break;
    default:
        if (e->key() >= Qt::Key_F1 && e->key() <= Qt::Key_F12)
            code = VAL_F1_VKEY + (e->key() - Qt::Key_F1);
        else if (!e->text().isEmpty())
            return e->text().at(0).unicode();
        else
            return 0;
    }
    if ((e->modifiers() & Qt::ShiftModifier) && e->key() != Qt::Key_Backtab)
        code |= VAL_SHIFT_MODIFIER;
    if (e->modifiers() & Qt::ControlModifier)
        code |= VAL_MENUKEY_MODIFIER;
    return code;
}

QKeyEvent makeKeyEvent(int code, QEvent::Type type)
{
    Qt::KeyboardModifiers mods;
    if (code & VAL_SHIFT_MODIFIER)
        mods |= Qt::ShiftModifier;
    if (code & VAL_MENUKEY_MODIFIER)
        mods |= Qt::ControlModifier;
    const int base = code & 0xFFFF;
    int key = 0;
    QString text;
    switch (base) {
    case VAL_TAB_VKEY: key = (mods & Qt::ShiftModifier) ? Qt::Key_Backtab : Qt::Key_Tab; break;
    case VAL_BACKSPACE_VKEY: key = Qt::Key_Backspace; break;
    case VAL_ESC_VKEY: key = Qt::Key_Escape; break;
    case VAL_ENTER_VKEY:
        key = Qt::Key_Return;
        text = "\r";
        break;
    case VAL_UP_ARROW_VKEY: key = Qt::Key_Up; break;
    case VAL_DOWN_ARROW_VKEY: key = Qt::Key_Down; break;
    case VAL_LEFT_ARROW_VKEY: key = Qt::Key_Left; break;
    case VAL_RIGHT_ARROW_VKEY: key = Qt::Key_Right; break;
    default:
        if (base >= VAL_F1_VKEY && base < VAL_F1_VKEY + 12) {
            key = Qt::Key_F1 + (base - VAL_F1_VKEY);
        } else {
            text = QString(QChar(base));
            key = text.toUpper().at(0).unicode();
            if (base == ' ')
                key = Qt::Key_Space;
        }
    }
    return QKeyEvent(type, key, mods, text);
}

// ---- event routing ---------------------------------------------------------------
// One filter object watches every control widget and its descendants: right
// clicks, key presses, focus, and input to controls in indicator mode.
class EventRouter : public QObject {
public:
    bool eventFilter(QObject *obj, QEvent *ev) override
    {
        int panel = 0, ctrl = 0;
        for (QObject *o = obj; o; o = o->parent()) {
            const QVariant p = o->property("rt_panel");
            if (p.isValid()) {
                panel = p.toInt();
                ctrl = o->property("rt_ctrl").toInt();
                break;
            }
        }
        Control *c = findControl(panel, ctrl);
        if (!c)
            return false;
        switch (ev->type()) {
        case QEvent::ContextMenu: return true; // right clicks are the help convention, not a menu
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto *me = static_cast<QMouseEvent *>(ev);
            if (!c->widget->isEnabled())
                return true; // a dimmed control raises no events, left or right
            if (me->button() == Qt::RightButton) {
                if (ev->type() == QEvent::MouseButtonPress)
                    dispatchCtrl(panel, ctrl, EVENT_RIGHT_CLICK);
                return true;
            }
            if (c->mode == VAL_INDICATOR)
                return true;
            if (c->kind != CTRL_GRAPH && c->kind != CTRL_TABLE && ev->type() == QEvent::MouseButtonPress &&
                obj == c->widget)
                dispatchCtrl(panel, ctrl, EVENT_LEFT_CLICK);
            return false;
        }
        case QEvent::MouseButtonRelease:
            return c->mode == VAL_INDICATOR && static_cast<QMouseEvent *>(ev)->button() != Qt::RightButton;
        case QEvent::KeyPress: {
            if (c->mode == VAL_INDICATOR)
                return false;
            auto *ke = static_cast<QKeyEvent *>(ev);
            const int code = keyCodeOf(ke);
            if (code != 0 && c->callback)
                return dispatchCtrl(panel, ctrl, EVENT_KEYPRESS, code, 0) != 0;
            return false;
        }
        case QEvent::FocusIn:
            if (obj == c->widget || obj == c->widget->focusProxy())
                dispatchCtrl(panel, ctrl, EVENT_GOT_FOCUS);
            return false;
        default: return false;
        }
    }
};

EventRouter *router()
{
    static EventRouter *r = new EventRouter;
    return r;
}

void watchTree(QWidget *w)
{
    w->installEventFilter(router());
    for (QWidget *child : w->findChildren<QWidget *>())
        child->installEventFilter(router());
}

// The value-changed then commit pair that a user's change produces.
void userChanged(int panel, int ctrl, int d1, int d2)
{
    dispatchCtrl(panel, ctrl, EVENT_VAL_CHANGED, d1, d2);
    if (findControl(panel, ctrl))
        dispatchCtrl(panel, ctrl, EVENT_COMMIT, d1, d2);
}

void ensureTableItems(QTableWidget *t)
{
    const QSignalBlocker block(t);
    for (int r = 0; r < t->rowCount(); ++r) {
        if (!t->verticalHeaderItem(r))
            t->setVerticalHeaderItem(r, new QTableWidgetItem(QString::number(r + 1)));
        for (int col = 0; col < t->columnCount(); ++col)
            if (!t->item(r, col))
                t->setItem(r, col, new QTableWidgetItem(QString()));
    }
}

void applyTableModes(Control &c)
{
    auto *t = qobject_cast<QTableWidget *>(c.widget.data());
    if (!t)
        return;
    const QSignalBlocker block(t);
    for (int col = 0; col < t->columnCount(); ++col) {
        auto it = c.columnModes.find(col + 1);
        const int mode = it != c.columnModes.end() ? it->second : c.mode;
        for (int r = 0; r < t->rowCount(); ++r)
            if (QTableWidgetItem *item = t->item(r, col)) {
                Qt::ItemFlags f = item->flags();
                if (mode == VAL_INDICATOR)
                    f &= ~Qt::ItemIsEditable;
                else
                    f |= Qt::ItemIsEditable;
                item->setFlags(f);
            }
    }
}

bool cellTextValid(const Control &c, const QString &text)
{
    if (c.dataType == VAL_STRING)
        return true;
    bool ok = false;
    const double v =
        c.dataType == VAL_INTEGER ? static_cast<double>(text.trimmed().toLongLong(&ok)) : text.trimmed().toDouble(&ok);
    return ok && v >= c.cellMin && v <= c.cellMax;
}

bool userSetsCell(int panel, int ctrl, Point cell, const QString &text)
{
    Control *c = findControl(panel, ctrl);
    if (!c || !cellTextValid(*c, text) || SetTableCellVal(panel, ctrl, cell, text.toLatin1().constData()) < 0)
        return false;
    userChanged(panel, ctrl, cell.y, cell.x);
    return true;
}

bool userSetsNumber(int panel, int ctrl, double value)
{
    Control *c = findControl(panel, ctrl);
    if (!c)
        return false;
    double lo = 0, hi = 0;
    const bool whole = !qobject_cast<QDoubleSpinBox *>(c->widget.data());
    if (GetCtrlAttribute(panel, ctrl, ATTR_MIN_VALUE, &lo) == 0 &&
        GetCtrlAttribute(panel, ctrl, ATTR_MAX_VALUE, &hi) == 0 &&
        (value < lo || value > hi || (whole && value != std::floor(value))))
        return false;
    if (SetCtrlVal(panel, ctrl, value) < 0)
        return false;
    userChanged(panel, ctrl);
    return true;
}

void setIndicator(Control &c, bool indicator)
{
    c.mode = indicator ? VAL_INDICATOR : VAL_HOT;
    QWidget *w = c.widget;
    if (!w)
        return;
    if (auto *s = qobject_cast<QAbstractSpinBox *>(w)) {
        s->setReadOnly(indicator);
        s->setButtonSymbols(indicator ? QAbstractSpinBox::NoButtons : QAbstractSpinBox::UpDownArrows);
    } else if (auto *l = qobject_cast<QLineEdit *>(w)) {
        l->setReadOnly(indicator);
    } else if (auto *t = qobject_cast<QPlainTextEdit *>(w)) {
        t->setReadOnly(indicator);
    } else if (c.kind == CTRL_TABLE) {
        applyTableModes(c);
    } else if (c.kind == CTRL_GRAPH) {
        static_cast<RtGraph *>(w)->setInteractive(!indicator);
    }
    if (c.kind != CTRL_TABLE && c.kind != CTRL_TEXT_BOX && c.kind != CTRL_STRING && c.kind != CTRL_NUMERIC)
        w->setFocusPolicy(indicator ? Qt::NoFocus : Qt::StrongFocus);
}

// Connects the widget's own signals to the control's events.
void wire(int panel, Control &c)
{
    QWidget *w = c.widget;
    const int id = c.id;
    w->setProperty("rt_panel", panel);
    w->setProperty("rt_ctrl", id);
    watchTree(w);
    switch (c.kind) {
    case CTRL_COMMAND_BUTTON:
        QObject::connect(static_cast<QPushButton *>(w), &QPushButton::clicked,
                         [panel, id] { dispatchCtrl(panel, id, EVENT_COMMIT); });
        break;
    case CTRL_TOGGLE_BUTTON:
    case CTRL_BINARY_SWITCH:
        QObject::connect(static_cast<QAbstractButton *>(w), &QAbstractButton::clicked,
                         [panel, id] { userChanged(panel, id); });
        break;
    case CTRL_NUMERIC:
        if (auto *s = qobject_cast<QSpinBox *>(w)) {
            s->setKeyboardTracking(false);
            QObject::connect(s, &QSpinBox::valueChanged, [panel, id] { userChanged(panel, id); });
        } else if (auto *d = qobject_cast<QDoubleSpinBox *>(w)) {
            d->setKeyboardTracking(false);
            QObject::connect(d, &QDoubleSpinBox::valueChanged, [panel, id] { userChanged(panel, id); });
        }
        break;
    case CTRL_SLIDER: {
        auto *s = static_cast<QSlider *>(w);
        s->setTracking(false);
        QObject::connect(s, &QSlider::valueChanged, [panel, id] { userChanged(panel, id); });
        break;
    }
    case CTRL_RING:
        QObject::connect(static_cast<QComboBox *>(w), &QComboBox::activated, [panel, id] { userChanged(panel, id); });
        break;
    case CTRL_STRING: {
        auto *l = static_cast<QLineEdit *>(w);
        QObject::connect(l, &QLineEdit::textEdited, [panel, id] { dispatchCtrl(panel, id, EVENT_VAL_CHANGED); });
        QObject::connect(l, &QLineEdit::returnPressed, [panel, id] { dispatchCtrl(panel, id, EVENT_COMMIT); });
        break;
    }
    case CTRL_TABLE: {
        auto *t = static_cast<QTableWidget *>(w);
        QObject::connect(t, &QTableWidget::cellChanged, [panel, id, t](int row, int col) {
            Control *c = findControl(panel, id);
            QTableWidgetItem *item = t->item(row, col);
            if (!c || !item)
                return;
            if (!cellTextValid(*c, item->text())) { // the cell keeps its previous value
                const QSignalBlocker block(t);
                item->setText(item->data(Qt::UserRole).toString());
                return;
            }
            item->setData(Qt::UserRole, item->text());
            userChanged(panel, id, row + 1, col + 1);
        });
        QObject::connect(t, &QTableWidget::cellClicked, [panel, id](int row, int col) {
            dispatchCtrl(panel, id, EVENT_LEFT_CLICK, row + 1, col + 1);
        });
        break;
    }
    case CTRL_GRAPH: {
        auto *g = static_cast<RtGraph *>(w);
        QObject::connect(g, &RtGraph::cursorMoved, [panel, id] { dispatchCtrl(panel, id, EVENT_VAL_CHANGED); });
        QObject::connect(g, &RtGraph::leftClicked, [panel, id] { dispatchCtrl(panel, id, EVENT_LEFT_CLICK); });
        break;
    }
    default: break;
    }
}

// Reads the loader's dynamic properties into the control and its widget.
void configure(Panel &p, Control &c)
{
    QWidget *w = c.widget;
    c.kind = kindOf(w);
    if (auto *d = qobject_cast<QDoubleSpinBox *>(w)) {
        c.dataType = VAL_DOUBLE;
        d->setAlignment(Qt::AlignRight);
        // fullPrecision: the control keeps and shows every double exactly.
        if (auto *f = qobject_cast<RtDoubleSpinBox *>(w); f && w->property("fullPrecision").toBool()) {
            const double v = f->value();
            f->setFullPrecision(true);
            f->setValue(v);
        }
    } else if (auto *s = qobject_cast<QSpinBox *>(w)) {
        s->setAlignment(Qt::AlignRight);
    }
    if (auto *r = qobject_cast<QRadioButton *>(w))
        r->setAutoExclusive(false);
    if (auto *t = qobject_cast<QPlainTextEdit *>(w))
        t->setMaximumBlockCount(kTextBoxMaxLines);
    if (auto *t = qobject_cast<QTableWidget *>(w)) {
        const QString type = w->property("cellType").toString();
        c.dataType = type == "double" ? VAL_DOUBLE : type == "string" ? VAL_STRING : VAL_INTEGER;
        bool ok = false;
        if (const double lo = w->property("cellMinimum").toDouble(&ok); ok)
            c.cellMin = lo;
        if (const double hi = w->property("cellMaximum").toDouble(&ok); ok)
            c.cellMax = hi;
        ensureTableItems(t);
        const QSignalBlocker block(t);
        for (int r = 0; r < t->rowCount(); ++r)
            for (int col = 0; col < t->columnCount(); ++col) {
                QTableWidgetItem *item = t->item(r, col);
                if (item->text().isEmpty() && c.dataType != VAL_STRING)
                    item->setText("0");
                item->setData(Qt::UserRole, item->text());
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
    }
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        const QStringList values = w->property("values").toStringList();
        for (int i = 0; i < combo->count(); ++i) {
            QVariant v = i;
            if (i < values.size()) {
                bool isInt = false, isDouble = false;
                const int iv = values[i].toInt(&isInt);
                const double dv = values[i].toDouble(&isDouble);
                v = isInt ? QVariant(iv) : isDouble ? QVariant(dv) : QVariant(values[i]);
            }
            combo->setItemData(i, v);
        }
    }
    if (auto *led = qobject_cast<RtLed *>(w))
        led->setColors(propColor(w, "onColor", led->onColor()), propColor(w, "offColor", led->offColor()));
    if (auto *box = qobject_cast<RtColorBox *>(w))
        box->setColor(propColor(w, "color", box->color()));
    if (auto *bar = qobject_cast<RtColorBar *>(w)) {
        const QVariant max = w->property("maximum");
        bar->setRange(0, max.isValid() ? max.toDouble() : 4095);
        bar->setFillColor(propColor(w, "fillColor", bar->fillColor()));
    }
    if (auto *g = qobject_cast<RtGraph *>(w)) {
        auto num = [w](const char *n, double def) {
            const QVariant v = w->property(n);
            return v.isValid() ? v.toDouble() : def;
        };
        g->setAxis(0, RtAxis {w->property("xAutoscale").toBool(), num("xMin", 0), num("xMax", 4095)});
        g->setAxis(1, RtAxis {w->property("yAutoscale").toBool(), num("yMin", 0), num("yMax", 4095)});
        g->setCursorEnabled(w->property("cursors").toInt() > 0);
        g->setCursorColor(propColor(w, "cursorColor", Qt::white));
        g->setPlotBackground(propColor(w, "plotBgColor", Qt::black));
        g->setAxisLabels(w->property("xLabel").toString(), w->property("yLabel").toString());
    }
    if (auto *s = qobject_cast<RtStripChart *>(w)) {
        const QVariant traces = w->property("traces");
        s->setTraces(traces.isValid() ? traces.toInt() : 1);
        const QVariant pps = w->property("pointsPerScreen");
        s->setPointsPerScreen(pps.isValid() ? pps.toInt() : 100);
        const QVariant ymin = w->property("yMin"), ymax = w->property("yMax");
        s->setYRange(false, ymin.isValid() ? ymin.toDouble() : 0, ymax.isValid() ? ymax.toDouble() : 4095);
        const QStringList colors = w->property("traceColors").toStringList();
        for (int i = 0; i < colors.size(); ++i)
            s->setTraceColor(i, QColor(colors[i]));
        s->setPlotBackground(propColor(w, "plotBgColor", Qt::black));
        s->setAxisLabels(w->property("xLabel").toString(), w->property("yLabel").toString());
    }
    if (hasSeparateLabel(c.kind)) {
        c.label = new QLabel(w->property("label").toString(), p.window);
        c.label->setObjectName(QString::fromStdString(c.name) + "_label");
    }
    if (w->property("textColor").isValid())
        c.textColor = fromQColor(propColor(w, "textColor", Qt::black));
    if (w->property("bgColor").isValid())
        c.bgColor = fromQColor(propColor(w, "bgColor", Qt::white));
    if (w->property("buttonColor").isValid())
        c.buttonColor = fromQColor(propColor(w, "buttonColor", Qt::lightGray));
    applyColors(c);
    setIndicator(c, w->property("indicator").toBool());
    if (w->property("dimmed").toBool())
        w->setEnabled(false);
    if (w->property("hidden").toBool())
        w->setVisible(false);
    const QString shortcut = w->property("shortcut").toString();
    if (!shortcut.isEmpty() && qobject_cast<QAbstractButton *>(w)) {
        // One registration per key: the form loader has already given the
        // button the key as its own shortcut; two owners of one key make it
        // ambiguous, and then a key press only moves the focus.
        QPointer<QAbstractButton> button = static_cast<QAbstractButton *>(w);
        button->setShortcut(QKeySequence());
        auto *sc = new QShortcut(QKeySequence(shortcut), p.window);
        QObject::connect(sc, &QShortcut::activated, [button] {
            if (button && button->isEnabled() && button->isVisible())
                button->click();
        });
    }
    placeLabel(c);
}

QString resolveResource(const char *file)
{
    const QString name = QString::fromLocal8Bit(file);
    if (QFileInfo(name).isAbsolute())
        return name;
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (QFileInfo::exists(beside))
        return beside;
    return name;
}

// ---- resource files ---------------------------------------------------------------
// Each panel resource file is read, parsed and built into widgets once per
// program run, however many of its panels are loaded: LoadPanel takes its
// panel's page out of the built form. Only a panel loaded a second time
// (its page already taken) has the form built again, from the bytes in memory.
// A file that changes on disk (size or time) is read again.
namespace {

// Reached through a pointer that is never destroyed: the forms are widgets
// and must go before the application does (dropResourceFiles), never in the
// static destructors after it.
std::map<QString, ResourceFile> &resourceFiles()
{
    static auto *files = new std::map<QString, ResourceFile>;
    return *files;
}
int g_resourceFileReads = 0;

} // namespace

ResourceFile *openResourceFile(const QString &path, int *error)
{
    auto &files = resourceFiles();
    const QFileInfo info(path);
    auto it = files.find(path);
    if (it != files.end()) {
        if (info.exists() && info.size() == it->second.size && info.lastModified() == it->second.modified)
            return &it->second;
        files.erase(it);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "LoadPanel: cannot open %s\n", path.toLocal8Bit().constData());
        *error = info.exists() ? UIEBadFile : UIEHandleInvalid;
        return nullptr;
    }
    ResourceFile rf;
    rf.bytes = file.readAll();
    ++g_resourceFileReads;
    rf.size = info.size();
    rf.modified = info.lastModified();
    rf.index = ParseUirIndex(rf.bytes.constData(), static_cast<size_t>(rf.bytes.size()), path.toStdString());
    if (!rf.index.error.empty()) {
        std::fprintf(stderr, "LoadPanel: %s\n", rf.index.error.c_str());
        *error = UIEBadFile;
        return nullptr;
    }
    return &(files[path] = std::move(rf));
}

QWidget *takePage(ResourceFile &rf, const std::string &name, const char *fileName, int *error)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!rf.form || attempt > 0) {
            QBuffer buffer(&rf.bytes);
            buffer.open(QIODevice::ReadOnly);
            Loader loader;
            rf.form.reset(loader.load(&buffer));
            if (!rf.form) {
                std::fprintf(stderr, "LoadPanel: %s: %s\n", fileName, loader.errorString().toLocal8Bit().constData());
                *error = UIEBadFile;
                return nullptr;
            }
        }
        auto *tabs = rf.form->findChild<QTabWidget *>("panels");
        for (int i = 0; tabs && i < tabs->count(); ++i)
            if (tabs->widget(i)->objectName().toStdString() == name)
                return tabs->widget(i);
    }
    *error = UIEBadFile;
    return nullptr;
}

void dropResourceFiles() { resourceFiles().clear(); }

int resourceFileReads() { return g_resourceFileReads; }

double readArray(const void *array, int type, int i)
{
    switch (type) {
    case VAL_DOUBLE: return static_cast<const double *>(array)[i];
    case VAL_FLOAT: return static_cast<const float *>(array)[i];
    case VAL_INTEGER: return static_cast<const int *>(array)[i];
    case VAL_UNSIGNED_INTEGER: return static_cast<const unsigned *>(array)[i];
    case VAL_SHORT_INTEGER: return static_cast<const short *>(array)[i];
    case VAL_UNSIGNED_SHORT_INTEGER: return static_cast<const unsigned short *>(array)[i];
    case VAL_CHAR: return static_cast<const unsigned char *>(array)[i];
    default: return 0;
    }
}

bool knownDataType(int type)
{
    return type == VAL_DOUBLE || type == VAL_FLOAT || type == VAL_INTEGER || type == VAL_UNSIGNED_INTEGER ||
           type == VAL_SHORT_INTEGER || type == VAL_UNSIGNED_SHORT_INTEGER || type == VAL_CHAR;
}

void copyText(char *dst, const QString &text, int bufSize)
{
    const QByteArray b = text.toLatin1();
    if (bufSize < 0) {
        std::memcpy(dst, b.constData(), static_cast<size_t>(b.size()) + 1);
        return;
    }
    if (bufSize == 0)
        return;
    const int n = std::min<int>(static_cast<int>(b.size()), bufSize - 1);
    std::memcpy(dst, b.constData(), static_cast<size_t>(n));
    dst[n] = '\0';
}

// ---- lookup --------------------------------------------------------------------
Panel *findPanel(int handle)
{
    auto it = g_panels.find(handle);
    return it == g_panels.end() ? nullptr : it->second.get();
}

Control *findControl(int panel, int control)
{
    Panel *p = findPanel(panel);
    if (!p)
        return nullptr;
    auto it = p->controls.find(control);
    return it == p->controls.end() || !it->second->widget ? nullptr : it->second.get();
}

int panelByName(const std::string &name)
{
    for (auto &[h, p] : g_panels)
        if (p->name == name)
            return h;
    return 0;
}

std::vector<int> panelHandles()
{
    std::vector<int> out;
    for (auto &[h, p] : g_panels)
        out.push_back(h);
    return out;
}

int dispatchCtrl(int panel, int control, int event, int d1, int d2)
{
    Control *c = findControl(panel, control);
    if (!c || !c->callback)
        return 0;
    return c->callback(panel, control, event, c->callbackData, d1, d2);
}

int dispatchPanel(int panel, int event)
{
    Panel *p = findPanel(panel);
    if (!p || !p->callback)
        return 0;
    return p->callback(panel, event, p->callbackData, 0, 0);
}

bool ctrlOperable(int panel, int control)
{
    Control *c = findControl(panel, control);
    return c && c->widget->isVisible() && c->widget->isEnabled() && c->mode != VAL_INDICATOR;
}

std::string ctrlValueText(int panel, int control)
{
    Control *c = findControl(panel, control);
    if (!c)
        return "";
    char buf[4096];
    switch (c->kind) {
    case CTRL_NUMERIC:
    case CTRL_COLOR_BAR:
        if (c->dataType == VAL_DOUBLE || c->kind == CTRL_COLOR_BAR) {
            double d = 0;
            GetCtrlVal(panel, control, &d);
            std::snprintf(buf, sizeof buf, "%.10g", d);
            return buf;
        }
        [[fallthrough]];
    case CTRL_TOGGLE_BUTTON:
    case CTRL_BINARY_SWITCH:
    case CTRL_SLIDER:
    case CTRL_LED:
    case CTRL_COLOR_BOX: {
        int v = 0;
        GetCtrlVal(panel, control, &v);
        return std::to_string(v);
    }
    case CTRL_RING: {
        auto *combo = static_cast<QComboBox *>(c->widget.data());
        return combo->currentData().toString().toStdString();
    }
    case CTRL_TEXT_BOX:
        // The whole text: a status window outgrows any fixed buffer.
        return static_cast<QPlainTextEdit *>(c->widget.data())->toPlainText().toLatin1().toStdString();
    case CTRL_STRING:
    case CTRL_TEXT_MSG:
    case CTRL_COMMAND_BUTTON:
    case CTRL_DECORATION: GetCtrlVal(panel, control, buf, sizeof buf); return buf;
    default: return "";
    }
}

} // namespace rt

using namespace rt;

// ---- panels --------------------------------------------------------------------
void RegisterCallbackTable(const RtCallbackEntry *entries, int count)
{
    for (int i = 0; i < count && entries[i].name; ++i)
        g_callbacks[entries[i].name] = entries[i];
}

int LoadPanel(int /*parentPanel*/, const char *resourceFile, int panelResourceId)
{
    ensureApp();
    const QString path = resolveResource(resourceFile);
    int error = 0;
    ResourceFile *rf = openResourceFile(path, &error);
    if (!rf)
        return error;
    const UirIndex &index = rf->index;
    const UirPanel *def = nullptr;
    for (const auto &p : index.panels)
        if (p.resourceId == panelResourceId)
            def = &p;
    if (!def) {
        std::fprintf(stderr, "LoadPanel: %s has no panel %d\n", resourceFile, panelResourceId);
        return UIEHandleInvalid;
    }
    // Every callback the file names must be known before anything is built.
    for (const auto &c : def->controls)
        if (!c.callback.empty() && (!g_callbacks.count(c.callback) || !g_callbacks[c.callback].ctrl)) {
            std::fprintf(stderr, "LoadPanel: %s: callback %s of %s.%s is not defined by the program\n", resourceFile,
                         c.callback.c_str(), def->name.c_str(), c.name.c_str());
            return UIECallbackNotFound;
        }
    if (!def->callback.empty() && (!g_callbacks.count(def->callback) || !g_callbacks[def->callback].panel)) {
        std::fprintf(stderr, "LoadPanel: %s: panel callback %s of %s is not defined by the program\n", resourceFile,
                     def->callback.c_str(), def->name.c_str());
        return UIECallbackNotFound;
    }

    // The page stays in the form until its widgets have moved to the panel
    // window; deleting it then takes it out of the form for good.
    std::unique_ptr<QWidget> page(takePage(*rf, def->name, resourceFile, &error));
    if (!page)
        return error;

    const int handle = g_nextPanel++;
    auto panel = std::make_unique<Panel>();
    panel->handle = handle;
    panel->resourceId = panelResourceId;
    panel->name = def->name;
    auto *win = new PanelWindow(handle);
    win->setObjectName(QString::fromStdString(def->name));
    win->setWindowTitle(QString::fromStdString(def->title));
    panel->window = win;
    if (!def->callback.empty())
        panel->callback = g_callbacks[def->callback].panel;
    const QColor bg = propColor(page.get(), "bgColor", QColor());
    if (bg.isValid()) {
        QPalette pal = win->palette();
        pal.setColor(QPalette::Window, bg);
        win->setPalette(pal);
        win->setAutoFillBackground(true);
    }
    // Move the page's widgets into the panel window, keeping their stacking order.
    const QObjectList children = page->children(); // a copy: moving a child changes the list
    for (QObject *child : children)
        if (auto *w = qobject_cast<QWidget *>(child)) {
            const QRect g = w->geometry();
            const bool hidden = w->isHidden();
            w->setParent(win);
            w->setGeometry(g);
            w->setVisible(!hidden);
        }
    Panel &p = *panel;
    g_panels[handle] = std::move(panel);
    for (const auto &cdef : def->controls) {
        auto *w = win->findChild<QWidget *>(QString::fromStdString(cdef.name));
        if (!w)
            continue;
        auto c = std::make_unique<Control>();
        c->id = cdef.id;
        c->name = cdef.name;
        c->widget = w;
        c->order = p.nextOrder++;
        if (!cdef.callback.empty())
            c->callback = g_callbacks[cdef.callback].ctrl;
        configure(p, *c);
        wire(handle, *c);
        p.nextId = std::max(p.nextId, cdef.id + 1);
        p.controls[cdef.id] = std::move(c);
    }
    for (auto &[id, c] : p.controls) {
        c->z = p.nextOrder - c->order; // later controls lie in front, as in the file
        c->tab = c->order;
    }
    // Panel size: the file's explicit size or the bounding box of the controls.
    const QVariant pw = page->property("panelWidth"), ph = page->property("panelHeight");
    QRect box;
    for (QWidget *w : win->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        box = box.united(w->geometry());
    win->resize(pw.isValid() ? pw.toInt() : box.right() + 9, ph.isValid() ? ph.toInt() : box.bottom() + 9);
    return handle;
}

int LoadPanelSet(const char *resourceFile, const RtPanelSlot *panels, int count)
{
    for (int i = 0; i < count; ++i) {
        const int handle = LoadPanel(0, resourceFile, panels[i].resourceId);
        if (handle < 0) {
            DiscardPanelSet(panels, i);
            return handle;
        }
        *panels[i].handle = handle;
    }
    return 0;
}

void DiscardPanelSet(const RtPanelSlot *panels, int count)
{
    for (int i = 0; i < count; ++i) {
        if (*panels[i].handle > 0)
            DiscardPanel(*panels[i].handle);
        *panels[i].handle = 0;
    }
}

int DisplayPanel(int panel)
{
    Panel *p = findPanel(panel);
    if (!p)
        return UIEHandleInvalid;
    p->window->show();
    p->window->raise();
    for (auto &[id, c] : p->controls)
        placeLabel(*c);
    return 0;
}

int HidePanel(int panel)
{
    Panel *p = findPanel(panel);
    if (!p)
        return UIEHandleInvalid;
    p->window->hide();
    return 0;
}

int DiscardPanel(int panel)
{
    auto it = g_panels.find(panel);
    if (it == g_panels.end())
        return UIEHandleInvalid;
    QWidget *win = it->second->window;
    g_panels.erase(it);
    if (win) {
        win->hide();
        win->deleteLater();
    }
    return 0;
}

int InstallPanelCallback(int panel, PanelCallbackPtr fn, void *callbackData)
{
    Panel *p = findPanel(panel);
    if (!p)
        return UIEHandleInvalid;
    p->callback = fn;
    p->callbackData = callbackData;
    return 0;
}

std::string PanelName(int panel)
{
    Panel *p = findPanel(panel);
    return p ? p->name : std::string();
}

int GetPanelAttribute(int panel, int attribute, int *value)
{
    Panel *p = findPanel(panel);
    if (!p)
        return UIEHandleInvalid;
    switch (attribute) {
    case ATTR_VISIBLE: *value = p->window->isVisible(); break;
    case ATTR_LEFT: *value = p->window->x(); break;
    case ATTR_TOP: *value = p->window->y(); break;
    case ATTR_WIDTH: *value = p->window->width(); break;
    case ATTR_HEIGHT: *value = p->window->height(); break;
    default: return UIEAttributeInvalid;
    }
    return 0;
}

int GetPanelAttribute(int panel, int attribute, char *value)
{
    Panel *p = findPanel(panel);
    if (!p)
        return UIEHandleInvalid;
    if (attribute != ATTR_PANEL_TITLE)
        return UIEAttributeInvalid;
    copyText(value, p->window->windowTitle());
    return 0;
}

int SetPanelAttribute(int panel, int attribute, int value)
{
    Panel *p = findPanel(panel);
    if (!p)
        return UIEHandleInvalid;
    switch (attribute) {
    case ATTR_VISIBLE: p->window->setVisible(value != 0); break;
    case ATTR_LEFT: p->window->move(value, p->window->y()); break;
    case ATTR_TOP: p->window->move(p->window->x(), value); break;
    case ATTR_WIDTH: p->window->resize(value, p->window->height()); break;
    case ATTR_HEIGHT: p->window->resize(p->window->width(), value); break;
    case ATTR_TEXT_BGCOLOR: {
        QPalette pal = p->window->palette();
        pal.setColor(QPalette::Window, toQColor(value));
        p->window->setPalette(pal);
        p->window->setAutoFillBackground(true);
        break;
    }
    default: return UIEAttributeInvalid;
    }
    return 0;
}

int SetPanelAttribute(int panel, int attribute, const char *value)
{
    Panel *p = findPanel(panel);
    if (!p)
        return UIEHandleInvalid;
    if (attribute != ATTR_PANEL_TITLE)
        return UIEAttributeInvalid;
    p->window->setWindowTitle(QString::fromLatin1(value));
    return 0;
}

// ---- focus, creation, callbacks -------------------------------------------------
int SetActiveCtrl(int panel, int control)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    c->widget->setFocus(Qt::OtherFocusReason);
    return 0;
}

int GetActiveCtrl(int panel)
{
    Panel *p = findPanel(panel);
    if (!p)
        return UIEHandleInvalid;
    QWidget *focus = p->window->focusWidget();
    for (auto &[id, c] : p->controls)
        if (c->widget && (c->widget == focus || c->widget->isAncestorOf(focus)))
            return id;
    return 0;
}

int NewCtrl(int panel, int style, const char *label, int top, int left)
{
    Panel *p = findPanel(panel);
    if (!p)
        return UIEHandleInvalid;
    QWidget *parent = p->window;
    QWidget *w = nullptr;
    const QString text = QString::fromLatin1(label ? label : "");
    switch (style) {
    case CTRL_COMMAND_BUTTON: w = new QPushButton(text, parent); break;
    case CTRL_TOGGLE_BUTTON: {
        auto *b = new QPushButton(text, parent);
        b->setCheckable(true);
        w = b;
        break;
    }
    case CTRL_BINARY_SWITCH: w = new QCheckBox(text, parent); break;
    case CTRL_NUMERIC: w = new QSpinBox(parent); break;
    case CTRL_SLIDER: w = new QSlider(Qt::Horizontal, parent); break;
    case CTRL_RING: w = new QComboBox(parent); break;
    case CTRL_STRING: w = new QLineEdit(parent); break;
    case CTRL_TEXT_BOX: w = new QPlainTextEdit(parent); break;
    case CTRL_TEXT_MSG: w = new QLabel(text, parent); break;
    case CTRL_LED: w = new RtLed(parent); break;
    case CTRL_COLOR_BOX: w = new RtColorBox(parent); break;
    case CTRL_COLOR_BAR: w = new RtColorBar(parent); break;
    case CTRL_GRAPH: w = new RtGraph(parent); break;
    case CTRL_STRIP_CHART: w = new RtStripChart(parent); break;
    case CTRL_PICTURE: w = new RtPicture(parent); break;
    case CTRL_DECORATION: {
        auto *f = new QFrame(parent);
        f->setFrameShape(QFrame::Box);
        w = f;
        break;
    }
    default: return UIEValueInvalid;
    }
    w->setProperty("label", text);
    w->move(left, top);
    if (style == CTRL_TEXT_MSG)
        w->adjustSize();
    else if (style == CTRL_DECORATION || style == CTRL_PICTURE)
        w->resize(40, 40);
    else
        w->resize(w->sizeHint());
    auto c = std::make_unique<Control>();
    c->id = p->nextId++;
    c->name = "ctrl" + std::to_string(c->id);
    w->setObjectName(QString::fromStdString(c->name));
    c->widget = w;
    c->order = p->nextOrder++;
    c->z = 0;
    c->autoSize = style == CTRL_TEXT_MSG;          // a new text message fits its text
    c->tab = static_cast<int>(p->controls.size()); // last in the tab order
    configure(*p, *c);
    wire(panel, *c);
    const int id = c->id;
    p->controls[id] = std::move(c);
    w->show();
    placeLabel(*p->controls[id]);
    return id;
}

int DiscardCtrl(int panel, int control)
{
    Panel *p = findPanel(panel);
    if (!p)
        return UIEHandleInvalid;
    auto it = p->controls.find(control);
    if (it == p->controls.end())
        return UIECtrlNotFound;
    if (it->second->widget) {
        it->second->widget->hide();
        it->second->widget->deleteLater();
    }
    if (it->second->label)
        it->second->label->deleteLater();
    p->controls.erase(it);
    return 0;
}

int InstallCtrlCallback(int panel, int control, CtrlCallbackPtr fn, void *callbackData)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    c->callback = fn;
    c->callbackData = callbackData;
    return 0;
}

int FakeKeystroke(int keyCode)
{
    QWidget *target = QApplication::focusWidget();
    if (!target)
        return UIEValueInvalid;
    QKeyEvent press = makeKeyEvent(keyCode, QEvent::KeyPress);
    QKeyEvent release = makeKeyEvent(keyCode, QEvent::KeyRelease);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
    return 0;
}

int SetWaitCursor(int on)
{
    ensureApp();
    if (on && g_waitCursor == 0)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!on && g_waitCursor != 0)
        QApplication::restoreOverrideCursor();
    const int old = g_waitCursor;
    g_waitCursor = on ? 1 : 0;
    return old;
}

int DisplayImageFile(int panel, int control, const char *fileName)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    auto *pic = qobject_cast<RtPicture *>(c->widget.data());
    if (!pic)
        return UIEWrongCtrlType;
    QString path = QString::fromLocal8Bit(fileName ? fileName : "");
    if (path.isEmpty()) { // no file: the picture shows nothing
        pic->clearImage();
        return 0;
    }
    if (QFileInfo(path).isRelative() && !QFileInfo::exists(path))
        path = QDir(QCoreApplication::applicationDirPath()).filePath(path);
    return pic->loadImage(path) ? 0 : UIEValueInvalid;
}

std::string CtrlName(int panel, int control)
{
    Control *c = findControl(panel, control);
    return c ? c->name : std::string();
}

int CtrlIdFromName(int panel, const char *name)
{
    Panel *p = findPanel(panel);
    if (!p || !name)
        return UIEHandleInvalid;
    for (auto &[id, c] : p->controls)
        if (c->name == name)
            return id;
    return UIECtrlNotFound;
}

int MakeColor(int red, int green, int blue) { return ((red & 0xFF) << 16) | ((green & 0xFF) << 8) | (blue & 0xFF); }

Point MakePoint(int x, int y) { return Point {x, y}; }
