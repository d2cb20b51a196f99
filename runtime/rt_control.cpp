// Control values and attributes.
#include "rt_internal.h"
#include "rt_widgets.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextCursor>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace rt;

namespace {

// A text message made at run time is as big as its text in its own font: as
// wide as a line advances (plus a pixel each side) and one line high. Text of
// several lines takes the label's own size hint.
void fitToText(Control &c)
{
    auto *label = qobject_cast<QLabel *>(c.widget.data());
    if (!label)
        return;
    if (label->text().contains(QLatin1Char('\n'))) {
        label->adjustSize();
        return;
    }
    const QFontMetrics fm(label->font());
    label->resize(fm.horizontalAdvance(label->text()) + 2, fm.height());
}

} // namespace

// ---- control values ------------------------------------------------------------
int SetCtrlVal(int panel, int control, double value)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    QWidget *w = c->widget;
    const QSignalBlocker block(w);
    switch (c->kind) {
    case CTRL_NUMERIC:
        if (auto *d = qobject_cast<QDoubleSpinBox *>(w)) {
            if (value < d->minimum() || value > d->maximum())
                d->setRange(std::min(d->minimum(), value), std::max(d->maximum(), value));
            d->setValue(value);
        } else if (auto *s = qobject_cast<QSpinBox *>(w)) {
            const int iv = static_cast<int>(std::lround(value));
            s->setValue(std::clamp(iv, s->minimum(), s->maximum()));
        }
        return 0;
    case CTRL_SLIDER: {
        auto *s = static_cast<QSlider *>(w);
        s->setValue(std::clamp(static_cast<int>(std::lround(value)), s->minimum(), s->maximum()));
        return 0;
    }
    case CTRL_COLOR_BAR: static_cast<RtColorBar *>(w)->setValue(value); return 0;
    case CTRL_TOGGLE_BUTTON:
    case CTRL_BINARY_SWITCH: static_cast<QAbstractButton *>(w)->setChecked(value != 0); return 0;
    case CTRL_LED: static_cast<RtLed *>(w)->setOn(value != 0); return 0;
    case CTRL_COLOR_BOX: static_cast<RtColorBox *>(w)->setColor(toQColor(static_cast<int>(value))); return 0;
    case CTRL_RING: {
        auto *combo = static_cast<QComboBox *>(w);
        for (int i = 0; i < combo->count(); ++i) {
            bool ok = false;
            const double v = combo->itemData(i).toDouble(&ok);
            if (ok && v == value) {
                combo->setCurrentIndex(i);
                return 0;
            }
        }
        return UIEValueInvalid;
    }
    case CTRL_STRING:
    case CTRL_TEXT_MSG:
    case CTRL_TEXT_BOX: {
        char buf[64];
        std::snprintf(buf, sizeof buf, c->dataType == VAL_DOUBLE ? "%g" : "%.0f", value);
        return SetCtrlVal(panel, control, static_cast<const char *>(buf));
    }
    default: return UIEWrongCtrlType;
    }
}

int SetCtrlVal(int panel, int control, int value)
{
    Control *c = findControl(panel, control);
    if (c && c->kind == CTRL_RING) {
        // Rings compare item values exactly; string-valued rings take the number's text.
        return SetCtrlVal(panel, control, static_cast<double>(value));
    }
    if (c && (c->kind == CTRL_STRING || c->kind == CTRL_TEXT_MSG || c->kind == CTRL_TEXT_BOX))
        return SetCtrlVal(panel, control, std::to_string(value).c_str());
    return SetCtrlVal(panel, control, static_cast<double>(value));
}

int SetCtrlVal(int panel, int control, unsigned int value)
{
    return SetCtrlVal(panel, control, static_cast<double>(value));
}

int SetCtrlVal(int panel, int control, const char *value)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    if (!value)
        return UIEValueInvalid;
    QWidget *w = c->widget;
    const QSignalBlocker block(w);
    const QString text = QString::fromLatin1(value);
    switch (c->kind) {
    case CTRL_STRING: static_cast<QLineEdit *>(w)->setText(text); return 0;
    case CTRL_TEXT_MSG:
        static_cast<QLabel *>(w)->setText(text);
        if (c->autoSize)
            fitToText(*c);
        return 0;
    case CTRL_TEXT_BOX: {
        // A text box appends what it is given, as a running log.
        auto *t = static_cast<QPlainTextEdit *>(w);
        QTextCursor cur(t->document());
        cur.movePosition(QTextCursor::End);
        cur.insertText(text);
        t->moveCursor(QTextCursor::End);
        return 0;
    }
    case CTRL_RING: {
        auto *combo = static_cast<QComboBox *>(w);
        for (int i = 0; i < combo->count(); ++i)
            if (combo->itemData(i).toString() == text) {
                combo->setCurrentIndex(i);
                return 0;
            }
        return UIEValueInvalid;
    }
    case CTRL_COMMAND_BUTTON:
    case CTRL_TOGGLE_BUTTON:
    case CTRL_BINARY_SWITCH: return UIEWrongCtrlType;
    default: {
        bool ok = false;
        const double d = text.trimmed().toDouble(&ok);
        return ok ? SetCtrlVal(panel, control, d) : UIEValueInvalid;
    }
    }
}

int GetCtrlVal(int panel, int control, double *value)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    QWidget *w = c->widget;
    switch (c->kind) {
    case CTRL_NUMERIC:
        if (auto *d = qobject_cast<QDoubleSpinBox *>(w))
            *value = d->value();
        else
            *value = static_cast<QSpinBox *>(w)->value();
        return 0;
    case CTRL_SLIDER: *value = static_cast<QSlider *>(w)->value(); return 0;
    case CTRL_COLOR_BAR: *value = static_cast<RtColorBar *>(w)->value(); return 0;
    case CTRL_TOGGLE_BUTTON:
    case CTRL_BINARY_SWITCH: *value = static_cast<QAbstractButton *>(w)->isChecked() ? 1 : 0; return 0;
    case CTRL_LED: *value = static_cast<RtLed *>(w)->isOn() ? 1 : 0; return 0;
    case CTRL_COLOR_BOX: *value = fromQColor(static_cast<RtColorBox *>(w)->color()); return 0;
    case CTRL_RING: {
        bool ok = false;
        *value = static_cast<QComboBox *>(w)->currentData().toDouble(&ok);
        return ok ? 0 : UIEWrongCtrlType;
    }
    case CTRL_STRING:
    case CTRL_TEXT_MSG: {
        char buf[512];
        GetCtrlVal(panel, control, buf, sizeof buf);
        *value = std::atof(buf);
        return 0;
    }
    default: return UIEWrongCtrlType;
    }
}

int GetCtrlVal(int panel, int control, int *value)
{
    double d = 0;
    const int r = GetCtrlVal(panel, control, &d);
    if (r == 0)
        *value = static_cast<int>(std::lround(d));
    return r;
}

int GetCtrlVal(int panel, int control, unsigned short *value)
{
    double d = 0;
    const int r = GetCtrlVal(panel, control, &d);
    if (r == 0)
        *value = static_cast<unsigned short>(static_cast<long>(std::lround(d)) & 0xFFFF);
    return r;
}

int GetCtrlVal(int panel, int control, short *value)
{
    double d = 0;
    const int r = GetCtrlVal(panel, control, &d);
    if (r == 0)
        *value = static_cast<short>(std::lround(d));
    return r;
}

int GetCtrlVal(int panel, int control, unsigned int *value)
{
    double d = 0;
    const int r = GetCtrlVal(panel, control, &d);
    if (r == 0)
        *value = static_cast<unsigned>(std::llround(d));
    return r;
}

int GetCtrlVal(int panel, int control, char *value, int bufSize)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    QWidget *w = c->widget;
    QString text;
    switch (c->kind) {
    case CTRL_STRING: text = static_cast<QLineEdit *>(w)->text(); break;
    case CTRL_TEXT_MSG: text = static_cast<QLabel *>(w)->text(); break;
    case CTRL_TEXT_BOX: text = static_cast<QPlainTextEdit *>(w)->toPlainText(); break;
    case CTRL_RING: text = static_cast<QComboBox *>(w)->currentData().toString(); break;
    case CTRL_COMMAND_BUTTON:
    case CTRL_TOGGLE_BUTTON:
    case CTRL_BINARY_SWITCH: text = static_cast<QAbstractButton *>(w)->text(); break;
    case CTRL_DECORATION:
        if (auto *g = qobject_cast<QGroupBox *>(w))
            text = g->title();
        break;
    default: {
        double d = 0;
        const int r = GetCtrlVal(panel, control, &d);
        if (r < 0)
            return r;
        text = QString::number(d, 'g', 10);
    }
    }
    copyText(value, text, bufSize);
    return 0;
}

int GetCtrlVal(int panel, int control, char *value) { return GetCtrlVal(panel, control, value, -1); }

// ---- control attributes --------------------------------------------------------
int SetCtrlAttribute(int panel, int control, int attribute, int value)
{
    Panel *p = findPanel(panel);
    Control *c = findControl(panel, control);
    if (!p || !c)
        return UIECtrlNotFound;
    QWidget *w = c->widget;
    switch (attribute) {
    case ATTR_DIMMED:
        w->setEnabled(value == 0);
        if (c->label)
            c->label->setEnabled(value == 0);
        return 0;
    case ATTR_VISIBLE:
        w->setVisible(value != 0);
        placeLabel(*c);
        return 0;
    case ATTR_TEXT_COLOR:
        c->textColor = value;
        applyColors(*c);
        return 0;
    case ATTR_TEXT_BGCOLOR:
        c->bgColor = value;
        applyColors(*c);
        return 0;
    case ATTR_CMD_BUTTON_COLOR:
        c->buttonColor = value;
        applyColors(*c);
        return 0;
    case ATTR_FRAME_COLOR:
        // A decoration's frame colour fills it; other controls get a border.
        (c->kind == CTRL_DECORATION ? c->bgColor : c->frameColor) = value;
        applyColors(*c);
        return 0;
    case ATTR_ZPLANE_POSITION:
        c->z = value;
        restack(*p);
        return 0;
    case ATTR_LEFT:
        w->move(value, w->y());
        placeLabel(*c);
        return 0;
    case ATTR_TOP:
        w->move(w->x(), value);
        placeLabel(*c);
        return 0;
    case ATTR_WIDTH:
        w->resize(value, w->height());
        placeLabel(*c);
        return 0;
    case ATTR_HEIGHT:
        w->resize(w->width(), value);
        placeLabel(*c);
        return 0;
    case ATTR_CTRL_MODE: setIndicator(*c, value == VAL_INDICATOR); return 0;
    case ATTR_TEXT_POINT_SIZE: {
        QFont f = w->font();
        f.setPointSize(std::max(1, value));
        w->setFont(f);
        if (c->autoSize)
            fitToText(*c);
        return 0;
    }
    case ATTR_TEXT_BOLD: {
        QFont f = w->font();
        f.setBold(value != 0);
        w->setFont(f);
        return 0;
    }
    case ATTR_TEXT_ITALIC: {
        QFont f = w->font();
        f.setItalic(value != 0);
        w->setFont(f);
        return 0;
    }
    case ATTR_MAX_ENTRY_LENGTH:
        if (auto *l = qobject_cast<QLineEdit *>(w)) {
            l->setMaxLength(value < 0 ? 32767 : value);
            return 0;
        }
        return UIEAttributeInvalid;
    case ATTR_CTRL_TAB_POSITION: setTabPosition(*p, c, value); return 0;
    case ATTR_TEXT_SELECTION_START:
        if (auto *l = qobject_cast<QLineEdit *>(w)) {
            l->setSelection(value, std::max(0, l->selectionLength()));
            return 0;
        }
        return UIEAttributeInvalid;
    case ATTR_TEXT_SELECTION_LENGTH:
        if (auto *l = qobject_cast<QLineEdit *>(w)) {
            const int start = l->hasSelectedText() ? l->selectionStart() : l->cursorPosition();
            if (value > 0)
                l->setSelection(start, value);
            else
                l->setCursorPosition(start);
            return 0;
        }
        return UIEAttributeInvalid;
    case ATTR_POINTS_PER_SCREEN:
        if (auto *s = qobject_cast<RtStripChart *>(w)) {
            s->setPointsPerScreen(value);
            return 0;
        }
        return UIEAttributeInvalid;
    case ATTR_ON_COLOR:
    case ATTR_OFF_COLOR:
        if (auto *led = qobject_cast<RtLed *>(w)) {
            if (attribute == ATTR_ON_COLOR)
                led->setColors(toQColor(value), led->offColor());
            else
                led->setColors(led->onColor(), toQColor(value));
            return 0;
        }
        return UIEAttributeInvalid;
    case ATTR_FILL_COLOR:
        if (auto *bar = qobject_cast<RtColorBar *>(w)) {
            bar->setFillColor(toQColor(value));
            return 0;
        }
        return UIEAttributeInvalid;
    case ATTR_PLOT_BGCOLOR:
        if (auto *g = qobject_cast<RtGraph *>(w))
            g->setPlotBackground(toQColor(value));
        else if (auto *s = qobject_cast<RtStripChart *>(w))
            s->setPlotBackground(toQColor(value));
        else
            return UIEAttributeInvalid;
        return 0;
    case ATTR_MIN_VALUE:
    case ATTR_MAX_VALUE: return SetCtrlAttribute(panel, control, attribute, static_cast<double>(value));
    case ATTR_DATA_TYPE: c->dataType = value; return 0;
    default: return UIEAttributeInvalid;
    }
}

int SetCtrlAttribute(int panel, int control, int attribute, double value)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    QWidget *w = c->widget;
    if (attribute == ATTR_MIN_VALUE || attribute == ATTR_MAX_VALUE) {
        const QSignalBlocker block(w);
        const bool isMin = attribute == ATTR_MIN_VALUE;
        if (auto *d = qobject_cast<QDoubleSpinBox *>(w))
            isMin ? d->setMinimum(value) : d->setMaximum(value);
        else if (auto *s = qobject_cast<QSpinBox *>(w))
            isMin ? s->setMinimum(static_cast<int>(value)) : s->setMaximum(static_cast<int>(value));
        else if (auto *sl = qobject_cast<QSlider *>(w))
            isMin ? sl->setMinimum(static_cast<int>(value)) : sl->setMaximum(static_cast<int>(value));
        else if (auto *bar = qobject_cast<RtColorBar *>(w))
            isMin ? bar->setRange(value, bar->maximum()) : bar->setRange(bar->minimum(), value);
        else if (c->kind == CTRL_TABLE)
            (isMin ? c->cellMin : c->cellMax) = value; // what a user may enter into a cell
        else
            return UIEAttributeInvalid;
        return 0;
    }
    return SetCtrlAttribute(panel, control, attribute, static_cast<int>(std::lround(value)));
}

int SetCtrlAttribute(int panel, int control, int attribute, const char *value)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    if (!value)
        return UIEValueInvalid;
    QWidget *w = c->widget;
    const QString text = QString::fromLatin1(value);
    switch (attribute) {
    case ATTR_LABEL_TEXT:
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            b->setText(text);
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            g->setTitle(text);
        else if (c->label) {
            c->label->setText(text);
            placeLabel(*c);
        } else if (auto *l = qobject_cast<QLabel *>(w))
            l->setText(text);
        else
            return UIEAttributeInvalid;
        return 0;
    case ATTR_TEXT_FONT: {
        QFont f = w->font();
        f.setFamily(std::strcmp(value, VAL_APPLICATION_FONT) == 0 ? QGuiApplication::font().family() : text);
        w->setFont(f);
        if (c->autoSize)
            fitToText(*c);
        return 0;
    }
    case ATTR_XAXIS_LABEL:
    case ATTR_YAXIS_LABEL: return UIEAttributeInvalid;
    default: return UIEAttributeInvalid;
    }
}

int SetCtrlAttribute(int panel, int control, int attribute, void *value)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    if (attribute != ATTR_CALLBACK_DATA)
        return UIEAttributeInvalid;
    c->callbackData = value;
    return 0;
}

int SetCtrlAttribute(int panel, int control, int attribute, CtrlCallbackPtr value)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    if (attribute != ATTR_CALLBACK_FUNCTION_POINTER)
        return UIEAttributeInvalid;
    c->callback = value;
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attribute, int *value)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    QWidget *w = c->widget;
    switch (attribute) {
    case ATTR_DIMMED: *value = w->isEnabled() ? 0 : 1; return 0;
    case ATTR_VISIBLE: *value = w->isVisibleTo(w->parentWidget()) ? 1 : 0; return 0;
    case ATTR_TEXT_COLOR:
        *value = c->textColor >= 0 ? c->textColor : fromQColor(w->palette().color(QPalette::WindowText));
        return 0;
    case ATTR_TEXT_BGCOLOR:
        *value = c->bgColor >= 0 ? c->bgColor : fromQColor(w->palette().color(QPalette::Base));
        return 0;
    case ATTR_FRAME_COLOR:
        if (c->kind == CTRL_DECORATION)
            *value = c->bgColor >= 0 ? c->bgColor : fromQColor(w->palette().color(QPalette::Window));
        else
            *value = c->frameColor >= 0 ? c->frameColor : fromQColor(w->palette().color(QPalette::Mid));
        return 0;
    case ATTR_CMD_BUTTON_COLOR:
        *value = c->buttonColor >= 0 ? c->buttonColor : fromQColor(w->palette().color(QPalette::Button));
        return 0;
    case ATTR_ZPLANE_POSITION: *value = c->z; return 0;
    case ATTR_LEFT: *value = w->x(); return 0;
    case ATTR_TOP: *value = w->y(); return 0;
    case ATTR_WIDTH: *value = w->width(); return 0;
    case ATTR_HEIGHT: *value = w->height(); return 0;
    case ATTR_CTRL_MODE: *value = c->mode; return 0;
    case ATTR_CTRL_STYLE: *value = c->kind; return 0;
    case ATTR_TEXT_POINT_SIZE: *value = w->font().pointSize(); return 0;
    case ATTR_TEXT_BOLD: *value = w->font().bold(); return 0;
    case ATTR_TEXT_ITALIC: *value = w->font().italic(); return 0;
    case ATTR_CTRL_TAB_POSITION: *value = c->tab; return 0;
    case ATTR_DATA_TYPE: *value = c->dataType; return 0;
    case ATTR_MAX_ENTRY_LENGTH:
        if (auto *l = qobject_cast<QLineEdit *>(w)) {
            *value = l->maxLength() >= 32767 ? -1 : l->maxLength();
            return 0;
        }
        return UIEAttributeInvalid;
    case ATTR_TEXT_SELECTION_START:
        if (auto *l = qobject_cast<QLineEdit *>(w)) {
            *value = l->hasSelectedText() ? l->selectionStart() : l->cursorPosition();
            return 0;
        }
        return UIEAttributeInvalid;
    case ATTR_TEXT_SELECTION_LENGTH:
        if (auto *l = qobject_cast<QLineEdit *>(w)) {
            *value = l->selectionLength();
            return 0;
        }
        return UIEAttributeInvalid;
    case ATTR_POINTS_PER_SCREEN:
        if (auto *s = qobject_cast<RtStripChart *>(w)) {
            *value = s->pointsPerScreen();
            return 0;
        }
        return UIEAttributeInvalid;
    case ATTR_NUM_ROWS:
    case ATTR_NUM_COLUMNS:
        if (auto *t = qobject_cast<QTableWidget *>(w)) {
            *value = attribute == ATTR_NUM_ROWS ? t->rowCount() : t->columnCount();
            return 0;
        }
        return UIEAttributeInvalid;
    case ATTR_PLOT_BGCOLOR:
        if (auto *g = qobject_cast<RtGraph *>(w)) {
            *value = fromQColor(g->plotBackground());
            return 0;
        }
        if (auto *s = qobject_cast<RtStripChart *>(w)) {
            *value = fromQColor(s->plotBackground());
            return 0;
        }
        return UIEAttributeInvalid;
    case ATTR_FILL_COLOR:
        if (auto *bar = qobject_cast<RtColorBar *>(w)) {
            *value = fromQColor(bar->fillColor());
            return 0;
        }
        return UIEAttributeInvalid;
    default: return UIEAttributeInvalid;
    }
}

int GetCtrlAttribute(int panel, int control, int attribute, double *value)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    QWidget *w = c->widget;
    if (attribute == ATTR_MIN_VALUE || attribute == ATTR_MAX_VALUE) {
        const bool isMin = attribute == ATTR_MIN_VALUE;
        if (auto *d = qobject_cast<QDoubleSpinBox *>(w))
            *value = isMin ? d->minimum() : d->maximum();
        else if (auto *s = qobject_cast<QSpinBox *>(w))
            *value = isMin ? s->minimum() : s->maximum();
        else if (auto *sl = qobject_cast<QSlider *>(w))
            *value = isMin ? sl->minimum() : sl->maximum();
        else if (auto *bar = qobject_cast<RtColorBar *>(w))
            *value = isMin ? bar->minimum() : bar->maximum();
        else if (c->kind == CTRL_TABLE)
            *value = isMin ? c->cellMin : c->cellMax;
        else
            return UIEAttributeInvalid;
        return 0;
    }
    int iv = 0;
    const int r = GetCtrlAttribute(panel, control, attribute, &iv);
    if (r == 0)
        *value = iv;
    return r;
}

int GetCtrlAttribute(int panel, int control, int attribute, char *value)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    QWidget *w = c->widget;
    switch (attribute) {
    case ATTR_LABEL_TEXT:
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            copyText(value, b->text());
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            copyText(value, g->title());
        else if (c->label)
            copyText(value, c->label->text());
        else if (auto *l = qobject_cast<QLabel *>(w))
            copyText(value, l->text());
        else
            value[0] = '\0';
        return 0;
    case ATTR_TEXT_FONT: copyText(value, w->font().family()); return 0;
    default: return UIEAttributeInvalid;
    }
}

int GetCtrlAttribute(int panel, int control, int attribute, void **value)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    if (attribute != ATTR_CALLBACK_DATA)
        return UIEAttributeInvalid;
    *value = c->callbackData;
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attribute, CtrlCallbackPtr *value)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    if (attribute != ATTR_CALLBACK_FUNCTION_POINTER)
        return UIEAttributeInvalid;
    *value = c->callback;
    return 0;
}
