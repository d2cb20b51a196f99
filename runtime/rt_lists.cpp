// Rings (lists), text boxes and tables.
#include "rt_internal.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTextBlock>
#include <algorithm>
#include <cmath>

using namespace rt;

// ---- rings --------------------------------------------------------------------
namespace {
QComboBox *ringOf(int panel, int control)
{
    Control *c = findControl(panel, control);
    return c ? qobject_cast<QComboBox *>(c->widget.data()) : nullptr;
}

// The ring in *combo when index names one of its items; else the error code.
int ringItem(int panel, int control, int index, QComboBox **combo)
{
    *combo = ringOf(panel, control);
    if (!*combo)
        return UIECtrlNotFound;
    return index < 0 || index >= (*combo)->count() ? UIEIndexOutOfRange : 0;
}

int replaceItem(int panel, int control, int index, const char *label, const QVariant &value)
{
    QComboBox *combo = nullptr;
    if (const int r = ringItem(panel, control, index, &combo); r < 0)
        return r;
    combo->setItemText(index, QString::fromLatin1(label ? label : ""));
    combo->setItemData(index, value);
    return 0;
}

int insertItem(int panel, int control, int index, const char *label, const QVariant &value)
{
    QComboBox *combo = ringOf(panel, control);
    if (!combo)
        return UIECtrlNotFound;
    const QSignalBlocker block(combo);
    if (index < 0 || index > combo->count())
        index = combo->count();
    combo->insertItem(index, QString::fromLatin1(label ? label : ""), value);
    return index;
}
} // namespace

int InsertListItem(int panel, int control, int index, const char *label, int value)
{
    return insertItem(panel, control, index, label, QVariant(value));
}

int InsertListItem(int panel, int control, int index, const char *label, double value)
{
    return insertItem(panel, control, index, label, QVariant(value));
}

int InsertListItem(int panel, int control, int index, const char *label, const char *value)
{
    return insertItem(panel, control, index, label, QVariant(QString::fromLatin1(value ? value : "")));
}

int DeleteListItem(int panel, int control, int index, int count)
{
    QComboBox *combo = nullptr;
    if (const int r = ringItem(panel, control, index, &combo); r < 0)
        return r;
    const QSignalBlocker block(combo);
    const int n = count < 0 ? combo->count() - index : std::min(count, combo->count() - index);
    // One removal of the whole range: item by item, every removal shifts
    // the rest of the list, and a long list took minutes.
    if (n > 0)
        combo->model()->removeRows(index, n);
    return 0;
}

int ReplaceListItem(int panel, int control, int index, const char *label, const char *value)
{
    return replaceItem(panel, control, index, label, QString::fromLatin1(value ? value : ""));
}

int ReplaceListItem(int panel, int control, int index, const char *label, int value)
{
    return replaceItem(panel, control, index, label, value);
}

int GetNumListItems(int panel, int control, int *count)
{
    QComboBox *combo = ringOf(panel, control);
    if (!combo)
        return UIECtrlNotFound;
    *count = combo->count();
    return 0;
}

int GetIndexFromValue(int panel, int control, int *index, const char *value)
{
    QComboBox *combo = ringOf(panel, control);
    if (!combo)
        return UIECtrlNotFound;
    *index = -1;
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemData(i).toString() == QString::fromLatin1(value ? value : "")) {
            *index = i;
            break;
        }
    return 0;
}

int GetIndexFromValue(int panel, int control, int *index, int value)
{
    QComboBox *combo = ringOf(panel, control);
    if (!combo)
        return UIECtrlNotFound;
    *index = -1;
    for (int i = 0; i < combo->count(); ++i) {
        bool ok = false;
        if (combo->itemData(i).toInt(&ok) == value && ok) {
            *index = i;
            break;
        }
    }
    return 0;
}

int GetValueFromIndex(int panel, int control, int index, char *value)
{
    QComboBox *combo = nullptr;
    if (const int r = ringItem(panel, control, index, &combo); r < 0)
        return r;
    copyText(value, combo->itemData(index).toString());
    return 0;
}

int GetValueFromIndex(int panel, int control, int index, int *value)
{
    QComboBox *combo = nullptr;
    if (const int r = ringItem(panel, control, index, &combo); r < 0)
        return r;
    *value = combo->itemData(index).toInt();
    return 0;
}

int GetValueLengthFromIndex(int panel, int control, int index, int *length)
{
    QComboBox *combo = nullptr;
    if (const int r = ringItem(panel, control, index, &combo); r < 0)
        return r;
    *length = static_cast<int>(combo->itemData(index).toString().toLatin1().size());
    return 0;
}

int GetCtrlIndex(int panel, int control, int *index)
{
    QComboBox *combo = ringOf(panel, control);
    if (!combo)
        return UIECtrlNotFound;
    *index = combo->currentIndex();
    return 0;
}

int SetCtrlIndex(int panel, int control, int index)
{
    QComboBox *combo = nullptr;
    if (const int r = ringItem(panel, control, index, &combo); r < 0)
        return r;
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(index);
    return 0;
}

// ---- text boxes ------------------------------------------------------------------
int ResetTextBox(int panel, int control, const char *text)
{
    Control *c = findControl(panel, control);
    auto *t = c ? qobject_cast<QPlainTextEdit *>(c->widget.data()) : nullptr;
    if (!t)
        return UIECtrlNotFound;
    const QSignalBlocker block(t);
    t->setPlainText(QString::fromLatin1(text ? text : ""));
    return 0;
}

int GetTextBoxLine(int panel, int control, int lineIndex, char *buf, int bufSize)
{
    Control *c = findControl(panel, control);
    auto *t = c ? qobject_cast<QPlainTextEdit *>(c->widget.data()) : nullptr;
    if (!t)
        return UIECtrlNotFound;
    const QTextBlock b = t->document()->findBlockByNumber(lineIndex);
    if (!b.isValid())
        return UIEIndexOutOfRange;
    copyText(buf, b.text(), bufSize);
    return 0;
}

int GetNumTextBoxLines(int panel, int control, int *count)
{
    Control *c = findControl(panel, control);
    auto *t = c ? qobject_cast<QPlainTextEdit *>(c->widget.data()) : nullptr;
    if (!t)
        return UIECtrlNotFound;
    *count = t->document()->isEmpty() ? 0 : t->document()->blockCount();
    return 0;
}

// ---- tables ------------------------------------------------------------------------
namespace {
QTableWidgetItem *cellOf(int panel, int control, Point cell, Control **out = nullptr)
{
    Control *c = findControl(panel, control);
    auto *t = c ? qobject_cast<QTableWidget *>(c->widget.data()) : nullptr;
    if (!t || cell.x < 1 || cell.y < 1 || cell.x > t->columnCount() || cell.y > t->rowCount())
        return nullptr;
    if (out)
        *out = c;
    return t->item(cell.y - 1, cell.x - 1);
}

int setCellText(int panel, int control, Point cell, const QString &text)
{
    QTableWidgetItem *item = cellOf(panel, control, cell);
    if (!item)
        return UIEIndexOutOfRange;
    const QSignalBlocker block(item->tableWidget());
    item->setText(text);
    item->setData(Qt::UserRole, text);
    return 0;
}

QTableWidget *tableOf(int panel, int control, Control **out = nullptr)
{
    Control *c = findControl(panel, control);
    if (out)
        *out = c;
    return c ? qobject_cast<QTableWidget *>(c->widget.data()) : nullptr;
}
} // namespace

int SetTableCellVal(int panel, int control, Point cell, int value)
{
    return setCellText(panel, control, cell, QString::number(value));
}

int SetTableCellVal(int panel, int control, Point cell, double value)
{
    return setCellText(panel, control, cell, QString::number(value, 'g', 10));
}

int SetTableCellVal(int panel, int control, Point cell, const char *value)
{
    return setCellText(panel, control, cell, QString::fromLatin1(value ? value : ""));
}

int GetTableCellVal(int panel, int control, Point cell, double *value)
{
    QTableWidgetItem *item = cellOf(panel, control, cell);
    if (!item)
        return UIEIndexOutOfRange;
    *value = item->text().trimmed().toDouble();
    return 0;
}

int GetTableCellVal(int panel, int control, Point cell, int *value)
{
    double d = 0;
    const int r = GetTableCellVal(panel, control, cell, &d);
    if (r == 0)
        *value = static_cast<int>(std::lround(d));
    return r;
}

int GetTableCellVal(int panel, int control, Point cell, char *value, int bufSize)
{
    QTableWidgetItem *item = cellOf(panel, control, cell);
    if (!item)
        return UIEIndexOutOfRange;
    copyText(value, item->text(), bufSize);
    return 0;
}

int SetTableCellAttribute(int panel, int control, Point cell, int attribute, int value)
{
    Control *c = nullptr;
    QTableWidgetItem *item = cellOf(panel, control, cell, &c);
    if (!item)
        return UIEIndexOutOfRange;
    const QSignalBlocker block(item->tableWidget());
    switch (attribute) {
    case ATTR_TEXT_BGCOLOR: item->setBackground(toQColor(value)); return 0;
    case ATTR_TEXT_COLOR: item->setForeground(toQColor(value)); return 0;
    case ATTR_CELL_MODE:
    case ATTR_CTRL_MODE: {
        Qt::ItemFlags f = item->flags();
        item->setFlags(value == VAL_INDICATOR ? f & ~Qt::ItemIsEditable : f | Qt::ItemIsEditable);
        return 0;
    }
    default: return UIEAttributeInvalid;
    }
}

int GetTableCellAttribute(int panel, int control, Point cell, int attribute, int *value)
{
    QTableWidgetItem *item = cellOf(panel, control, cell);
    if (!item)
        return UIEIndexOutOfRange;
    switch (attribute) {
    case ATTR_TEXT_BGCOLOR:
        *value = item->background().style() == Qt::NoBrush ? VAL_WHITE : fromQColor(item->background().color());
        return 0;
    case ATTR_TEXT_COLOR:
        *value = item->foreground().style() == Qt::NoBrush ? VAL_BLACK : fromQColor(item->foreground().color());
        return 0;
    case ATTR_CELL_MODE:
    case ATTR_CTRL_MODE: *value = (item->flags() & Qt::ItemIsEditable) ? VAL_HOT : VAL_INDICATOR; return 0;
    default: return UIEAttributeInvalid;
    }
}

int SetTableRowAttribute(int panel, int control, int row, int attribute, int value)
{
    QTableWidget *t = tableOf(panel, control);
    if (!t)
        return UIECtrlNotFound;
    if (row < 1 || row > t->rowCount())
        return UIEIndexOutOfRange;
    QTableWidgetItem *h = t->verticalHeaderItem(row - 1);
    switch (attribute) {
    case ATTR_LABEL_COLOR: h->setForeground(toQColor(value)); return 0;
    case ATTR_TEXT_BGCOLOR:
        for (int col = 1; col <= t->columnCount(); ++col)
            SetTableCellAttribute(panel, control, Point {col, row}, attribute, value);
        return 0;
    default: return UIEAttributeInvalid;
    }
}

int SetTableRowAttribute(int panel, int control, int row, int attribute, const char *value)
{
    QTableWidget *t = tableOf(panel, control);
    if (!t)
        return UIECtrlNotFound;
    if (row < 1 || row > t->rowCount())
        return UIEIndexOutOfRange;
    if (attribute != ATTR_ROW_LABEL_TEXT)
        return UIEAttributeInvalid;
    t->verticalHeaderItem(row - 1)->setText(QString::fromLatin1(value ? value : ""));
    return 0;
}

int GetTableRowAttribute(int panel, int control, int row, int attribute, int *value)
{
    QTableWidget *t = tableOf(panel, control);
    if (!t)
        return UIECtrlNotFound;
    if (row < 1 || row > t->rowCount())
        return UIEIndexOutOfRange;
    if (attribute != ATTR_LABEL_COLOR)
        return UIEAttributeInvalid;
    const QBrush b = t->verticalHeaderItem(row - 1)->foreground();
    *value = b.style() == Qt::NoBrush ? VAL_BLACK : fromQColor(b.color());
    return 0;
}

int SetTableColumnAttribute(int panel, int control, int column, int attribute, int value)
{
    Control *c = nullptr;
    QTableWidget *t = tableOf(panel, control, &c);
    if (!t)
        return UIECtrlNotFound;
    if (column < 1 || column > t->columnCount())
        return UIEIndexOutOfRange;
    switch (attribute) {
    case ATTR_CELL_MODE:
    case ATTR_CTRL_MODE:
        c->columnModes[column] = value;
        applyTableModes(*c);
        return 0;
    case ATTR_LABEL_COLOR: {
        QTableWidgetItem *h = t->horizontalHeaderItem(column - 1);
        if (!h) {
            h = new QTableWidgetItem(QString::number(column));
            t->setHorizontalHeaderItem(column - 1, h);
        }
        h->setForeground(toQColor(value));
        return 0;
    }
    case ATTR_WIDTH: t->setColumnWidth(column - 1, value); return 0;
    default: return UIEAttributeInvalid;
    }
}

int SetTableColumnAttribute(int panel, int control, int column, int attribute, const char *value)
{
    QTableWidget *t = tableOf(panel, control);
    if (!t)
        return UIECtrlNotFound;
    if (column < 1 || column > t->columnCount())
        return UIEIndexOutOfRange;
    if (attribute != ATTR_COLUMN_LABEL_TEXT && attribute != ATTR_LABEL_TEXT)
        return UIEAttributeInvalid;
    QTableWidgetItem *h = t->horizontalHeaderItem(column - 1);
    if (!h) {
        h = new QTableWidgetItem;
        t->setHorizontalHeaderItem(column - 1, h);
    }
    h->setText(QString::fromLatin1(value ? value : ""));
    return 0;
}

int GetTableColumnAttribute(int panel, int control, int column, int attribute, int *value)
{
    Control *c = nullptr;
    QTableWidget *t = tableOf(panel, control, &c);
    if (!t)
        return UIECtrlNotFound;
    if (column < 1 || column > t->columnCount())
        return UIEIndexOutOfRange;
    switch (attribute) {
    case ATTR_CELL_MODE:
    case ATTR_CTRL_MODE: {
        auto it = c->columnModes.find(column);
        *value = it != c->columnModes.end() ? it->second : c->mode;
        return 0;
    }
    case ATTR_WIDTH: *value = t->columnWidth(column - 1); return 0;
    default: return UIEAttributeInvalid;
    }
}

int SetActiveTableCell(int panel, int control, Point cell)
{
    QTableWidget *t = tableOf(panel, control);
    if (!t)
        return UIECtrlNotFound;
    if (cell.x < 1 || cell.y < 1 || cell.x > t->columnCount() || cell.y > t->rowCount())
        return UIEIndexOutOfRange;
    const QSignalBlocker block(t);
    t->setCurrentCell(cell.y - 1, cell.x - 1);
    return 0;
}

int GetActiveTableCell(int panel, int control, Point *cell)
{
    QTableWidget *t = tableOf(panel, control);
    if (!t)
        return UIECtrlNotFound;
    *cell = Point {std::max(0, t->currentColumn()) + 1, std::max(0, t->currentRow()) + 1};
    return 0;
}
