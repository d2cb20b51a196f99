// Graphs and strip charts.
#include "rt_internal.h"
#include "rt_widgets.h"

#include <vector>

using namespace rt;

// ---- graphs ------------------------------------------------------------------------
namespace {
RtGraph *graphOf(int panel, int control)
{
    Control *c = findControl(panel, control);
    return c ? qobject_cast<RtGraph *>(c->widget.data()) : nullptr;
}
} // namespace

int PlotXY(int panel, int control, const void *xArray, const void *yArray, int numPoints, int xDataType, int yDataType,
           int plotStyle, int pointStyle, int lineStyle, int /*pointFrequency*/, int color)
{
    RtGraph *g = graphOf(panel, control);
    if (!g)
        return UIECtrlNotFound;
    if (numPoints < 0 || !knownDataType(xDataType) || !knownDataType(yDataType) ||
        (numPoints > 0 && (!xArray || !yArray)))
        return UIEValueInvalid;
    RtGraph::Plot p;
    p.kind = plotStyle == VAL_SCATTER ? RtGraph::Kind::Scatter : RtGraph::Kind::Line;
    p.points.reserve(static_cast<size_t>(numPoints));
    for (int i = 0; i < numPoints; ++i)
        p.points.emplace_back(readArray(xArray, xDataType, i), readArray(yArray, yDataType, i));
    p.color = toQColor(color);
    p.pointStyle = pointStyle;
    p.lineStyle = lineStyle;
    return g->addPlot(std::move(p));
}

int PlotArc(int panel, int control, double x1, double y1, double x2, double y2, int beginAngle, int arcAngle,
            int lineColor, int fillColor)
{
    RtGraph *g = graphOf(panel, control);
    if (!g)
        return UIECtrlNotFound;
    RtGraph::Plot p;
    p.kind = RtGraph::Kind::Arc;
    p.points = {QPointF(x1, y1), QPointF(x2, y2)};
    p.beginAngle = beginAngle;
    p.arcAngle = arcAngle;
    p.color = toQColor(lineColor);
    p.fill = fillColor == VAL_TRANSPARENT ? QColor(Qt::transparent) : toQColor(fillColor);
    return g->addPlot(std::move(p));
}

int DeleteGraphPlot(int panel, int control, int plotHandle, int /*refresh*/)
{
    RtGraph *g = graphOf(panel, control);
    if (!g)
        return UIECtrlNotFound;
    if (plotHandle == VAL_ALL_PLOTS) {
        g->deleteAllPlots();
        return 0;
    }
    return g->deletePlot(plotHandle) ? 0 : UIEValueInvalid;
}

int GetNumGraphPlots(int panel, int control, int *count)
{
    RtGraph *g = graphOf(panel, control);
    if (!g)
        return UIECtrlNotFound;
    *count = g->plotCount();
    return 0;
}

int SetAxisScalingMode(int panel, int control, int axis, int mode, double min, double max)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    if (mode == VAL_MANUAL && !(max > min))
        return UIEValueInvalid;
    if (auto *g = qobject_cast<RtGraph *>(c->widget.data())) {
        if (axis != VAL_XAXIS && axis != VAL_LEFT_YAXIS)
            return UIEValueInvalid;
        g->setAxis(axis == VAL_XAXIS ? 0 : 1, RtAxis {mode == VAL_AUTOSCALE, min, max});
        return 0;
    }
    if (auto *s = qobject_cast<RtStripChart *>(c->widget.data())) {
        if (axis != VAL_LEFT_YAXIS)
            return UIEValueInvalid;
        s->setYRange(mode == VAL_AUTOSCALE, min, max);
        return 0;
    }
    return UIEWrongCtrlType;
}

int GetAxisScalingMode(int panel, int control, int axis, int *mode, double *min, double *max)
{
    Control *c = findControl(panel, control);
    if (!c)
        return UIECtrlNotFound;
    RtAxis a;
    if (auto *g = qobject_cast<RtGraph *>(c->widget.data()))
        a = g->axis(axis == VAL_XAXIS ? 0 : 1);
    else if (auto *s = qobject_cast<RtStripChart *>(c->widget.data()))
        a = s->yAxis();
    else
        return UIEWrongCtrlType;
    if (mode)
        *mode = a.autoscale ? VAL_AUTOSCALE : VAL_MANUAL;
    if (min)
        *min = a.min;
    if (max)
        *max = a.max;
    return 0;
}

int SetGraphCursor(int panel, int control, int cursor, double x, double y)
{
    RtGraph *g = graphOf(panel, control);
    if (!g)
        return UIECtrlNotFound;
    if (cursor != 1)
        return UIEIndexOutOfRange;
    g->setCursor(x, y);
    return 0;
}

int GetGraphCursor(int panel, int control, int cursor, double *x, double *y)
{
    RtGraph *g = graphOf(panel, control);
    if (!g)
        return UIECtrlNotFound;
    if (cursor != 1)
        return UIEIndexOutOfRange;
    *x = g->cursorPos().x();
    *y = g->cursorPos().y();
    return 0;
}

int PlotStripChart(int panel, int control, const void *array, int numPoints, int start, int skip, int dataType)
{
    Control *c = findControl(panel, control);
    auto *s = c ? qobject_cast<RtStripChart *>(c->widget.data()) : nullptr;
    if (!s)
        return UIECtrlNotFound;
    if (!array || numPoints < 0 || start < 0 || skip < 0 || !knownDataType(dataType))
        return UIEValueInvalid;
    std::vector<double> values;
    values.reserve(static_cast<size_t>(numPoints));
    for (int i = 0, idx = start; i < numPoints; ++i, idx += 1 + skip)
        values.push_back(readArray(array, dataType, idx));
    s->append(values);
    return 0;
}

int ClearStripChart(int panel, int control)
{
    Control *c = findControl(panel, control);
    auto *s = c ? qobject_cast<RtStripChart *>(c->widget.data()) : nullptr;
    if (!s)
        return UIECtrlNotFound;
    s->clear();
    return 0;
}

int SetTraceAttribute(int panel, int control, int trace, int attribute, int value)
{
    Control *c = findControl(panel, control);
    auto *s = c ? qobject_cast<RtStripChart *>(c->widget.data()) : nullptr;
    if (!s)
        return UIECtrlNotFound;
    if (trace < 1 || trace > s->traces())
        return UIEIndexOutOfRange;
    if (attribute != ATTR_TEXT_COLOR && attribute != ATTR_FILL_COLOR)
        return UIEAttributeInvalid;
    s->setTraceColor(trace - 1, toQColor(value));
    return 0;
}

int GetStripChartPointCount(int panel, int control, int *count)
{
    Control *c = findControl(panel, control);
    auto *s = c ? qobject_cast<RtStripChart *>(c->widget.data()) : nullptr;
    if (!s)
        return UIECtrlNotFound;
    *count = s->pointCount();
    return 0;
}
