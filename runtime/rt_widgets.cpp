#include "rt_widgets.h"

#include <QLocale>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// Axis tick values: about five "nice" steps across the range.
std::vector<double> ticks(double min, double max)
{
    std::vector<double> out;
    const double span = max - min;
    if (!(span > 0) || !std::isfinite(span))
        return out;
    const double raw = span / 5;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    double step = mag;
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (raw <= m * mag) {
            step = m * mag;
            break;
        }
    for (double v = std::ceil(min / step) * step; v <= max + step * 1e-9; v += step)
        out.push_back(std::abs(v) < step * 1e-9 ? 0 : v);
    return out;
}

constexpr int kLeftMargin = 44;
constexpr int kBottomMargin = 22;
constexpr int kTopMargin = 6;
constexpr int kRightMargin = 16;

void drawFrame(QPainter &p, const QRectF &area, QColor bg, double xmin, double xmax, double ymin, double ymax,
               const QString &xl, const QString &yl, const QPalette &pal)
{
    p.fillRect(area, bg);
    p.setPen(pal.color(QPalette::WindowText));
    p.drawRect(area.adjusted(-1, -1, 0, 0));
    QFont f = p.font();
    f.setPointSizeF(std::max(6.0, f.pointSizeF() - 2));
    p.setFont(f);
    const QColor grid = bg.lightness() > 128 ? QColor(0, 0, 0, 40) : QColor(255, 255, 255, 40);
    for (double v : ticks(ymin, ymax)) {
        const double y = area.bottom() - (v - ymin) / (ymax - ymin) * area.height();
        p.setPen(grid);
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        p.setPen(pal.color(QPalette::WindowText));
        p.drawText(QRectF(0, y - 8, area.left() - 3, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(v, 'g', 6));
    }
    for (double v : ticks(xmin, xmax)) {
        const double x = area.left() + (v - xmin) / (xmax - xmin) * area.width();
        p.setPen(grid);
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        p.setPen(pal.color(QPalette::WindowText));
        p.drawText(QRectF(x - 30, area.bottom() + 2, 60, 14), Qt::AlignHCenter | Qt::AlignTop,
                   QString::number(v, 'g', 6));
    }
    // Axis names go inside the plot area, in a colour that reads on its background,
    // where they cannot collide with the tick labels.
    p.setPen(bg.lightness() > 128 ? QColor(Qt::black) : QColor(Qt::white));
    if (!xl.isEmpty())
        p.drawText(QRectF(area.right() - 124, area.bottom() - 16, 120, 14), Qt::AlignRight | Qt::AlignBottom, xl);
    if (!yl.isEmpty())
        p.drawText(QRectF(area.left() + 4, area.top() + 2, 120, 14), Qt::AlignLeft | Qt::AlignTop, yl);
}

} // namespace

// ---- LED -----------------------------------------------------------------------
// ---- RtDoubleSpinBox ------------------------------------------------------------
RtDoubleSpinBox::RtDoubleSpinBox(QWidget *parent) : QDoubleSpinBox(parent) {}

void RtDoubleSpinBox::setFullPrecision(bool on)
{
    full_ = on;
    // The spin box rounds every value to its decimals; with the most it
    // offers, the rounding gives back the same double.
    if (on)
        setDecimals(DBL_MAX_10_EXP + DBL_DIG);
}

QString RtDoubleSpinBox::textFromValue(double value) const
{
    if (!full_)
        return QDoubleSpinBox::textFromValue(value);
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

double RtDoubleSpinBox::valueFromText(const QString &text) const
{
    if (!full_)
        return QDoubleSpinBox::valueFromText(text);
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok ? v : value();
}

QValidator::State RtDoubleSpinBox::validate(QString &input, int &pos) const
{
    if (!full_)
        return QDoubleSpinBox::validate(input, pos);
    const QString t = input.trimmed();
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (ok && std::isfinite(v))
        return v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
    // A number on its way: "-", "1.", "2e", "2e-".
    static const QRegularExpression partial(QStringLiteral("^[+-]?[0-9]*\\.?[0-9]*([eE][+-]?[0-9]*)?$"));
    return partial.match(t).hasMatch() ? QValidator::Intermediate : QValidator::Invalid;
}

void RtDoubleSpinBox::fixup(QString &input) const
{
    if (!full_) {
        QDoubleSpinBox::fixup(input);
        return;
    }
    input = textFromValue(value());
}

RtLed::RtLed(QWidget *parent) : QWidget(parent) {}

void RtLed::setOn(bool on)
{
    if (on_ != on) {
        on_ = on;
        update();
    }
}

void RtLed::setColors(QColor onColor, QColor offColor)
{
    on_color_ = onColor;
    off_color_ = offColor;
    update();
}

void RtLed::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int d = std::min(width(), height()) - 2;
    const QRectF r((width() - d) / 2.0, (height() - d) / 2.0, d, d);
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(isEnabled() ? (on_ ? on_color_ : off_color_) : QColor(Qt::lightGray));
    p.drawEllipse(r);
}

// ---- colour box ----------------------------------------------------------------
RtColorBox::RtColorBox(QWidget *parent) : QWidget(parent) {}

void RtColorBox::setColor(QColor c)
{
    color_ = c;
    update();
}

void RtColorBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), color_);
    p.setPen(Qt::darkGray);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---- colour bar ----------------------------------------------------------------
RtColorBar::RtColorBar(QWidget *parent) : QWidget(parent) {}

void RtColorBar::setValue(double v)
{
    value_ = v;
    update();
}

void RtColorBar::setRange(double min, double max)
{
    min_ = min;
    max_ = max > min ? max : min + 1;
    update();
}

void RtColorBar::setFillColor(QColor c)
{
    fill_ = c;
    update();
}

void RtColorBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    p.fillRect(r, palette().color(QPalette::Base));
    const double frac = std::clamp((value_ - min_) / (max_ - min_), 0.0, 1.0);
    if (height() >= width()) {
        const int h = static_cast<int>(frac * r.height());
        p.fillRect(QRect(r.left(), r.bottom() - h, r.width(), h), fill_);
    } else {
        const int w = static_cast<int>(frac * r.width());
        p.fillRect(QRect(r.left(), r.top(), w, r.height()), fill_);
    }
    p.setPen(Qt::darkGray);
    p.drawRect(r);
}

// ---- picture -------------------------------------------------------------------
RtPicture::RtPicture(QWidget *parent) : QWidget(parent) {}

bool RtPicture::loadImage(const QString &file)
{
    QPixmap pm;
    const bool ok = pm.load(file);
    pixmap_ = pm; // a file that cannot be read leaves the picture empty, not stale
    update();
    return ok;
}

void RtPicture::clearImage()
{
    pixmap_ = QPixmap();
    update();
}

void RtPicture::paintEvent(QPaintEvent *)
{
    if (pixmap_.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap scaled = pixmap_.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    p.drawPixmap((width() - scaled.width()) / 2, (height() - scaled.height()) / 2, scaled);
}

// ---- graph ---------------------------------------------------------------------
RtGraph::RtGraph(QWidget *parent) : QWidget(parent) { setMouseTracking(false); }

int RtGraph::addPlot(const Plot &p)
{
    const int h = next_handle_++;
    Entry e {};
    e.handle = h;
    e.first = static_cast<unsigned>(points_.size());
    e.count = static_cast<unsigned>(p.points.size());
    e.color = p.color.rgba();
    e.fill = p.fill.rgba();
    e.beginAngle = p.beginAngle;
    e.arcAngle = p.arcAngle;
    e.kind = p.kind;
    e.pointStyle = static_cast<unsigned char>(p.pointStyle);
    e.lineStyle = static_cast<unsigned char>(p.lineStyle);
    // An autoscaled axis whose range the new points widen needs the whole
    // picture redrawn; otherwise the plot is drawn onto it alone.
    bool widens = false;
    const Bounds before = bounds();
    Bounds &b = bounds_;
    for (const QPointF &pt : p.points) {
        points_.push_back({static_cast<float>(pt.x()), static_cast<float>(pt.y())});
        b.xmin = std::min(b.xmin, pt.x());
        b.xmax = std::max(b.xmax, pt.x());
        b.ymin = std::min(b.ymin, pt.y());
        b.ymax = std::max(b.ymax, pt.y());
    }
    if (x_.autoscale && (b.xmin != before.xmin || b.xmax != before.xmax))
        widens = true;
    if (y_.autoscale && (b.ymin != before.ymin || b.ymax != before.ymax))
        widens = true;
    plots_.push_back(e);
    if (widens)
        invalidate();
    else
        update();
    return h;
}

bool RtGraph::deletePlot(int handle)
{
    auto it =
        std::lower_bound(plots_.begin(), plots_.end(), handle, [](const Entry &e, int h) { return e.handle < h; });
    if (it == plots_.end() || it->handle != handle)
        return false;
    dead_points_ += it->count;
    plots_.erase(it);
    bounds_valid_ = false;
    if (dead_points_ > 64 && dead_points_ > points_.size() / 2)
        compactPoints();
    invalidate();
    return true;
}

void RtGraph::deleteAllPlots()
{
    plots_.clear();
    points_.clear();
    dead_points_ = 0;
    bounds_ = Bounds {};
    bounds_valid_ = true;
    invalidate();
}

size_t RtGraph::displayListBytes() const
{
    return plots_.capacity() * sizeof(Entry) + points_.capacity() * sizeof(Point32);
}

// Moves the points of the remaining plots together, dropping the gaps of deleted ones.
void RtGraph::compactPoints()
{
    std::vector<Point32> kept;
    kept.reserve(points_.size() - dead_points_);
    for (Entry &e : plots_) {
        const unsigned first = static_cast<unsigned>(kept.size());
        kept.insert(kept.end(), points_.begin() + e.first, points_.begin() + e.first + e.count);
        e.first = first;
    }
    points_.swap(kept);
    dead_points_ = 0;
}

const RtGraph::Bounds &RtGraph::bounds() const
{
    if (!bounds_valid_) {
        bounds_ = Bounds {};
        for (const Entry &e : plots_)
            for (unsigned i = e.first; i < e.first + e.count; ++i) {
                bounds_.xmin = std::min(bounds_.xmin, static_cast<double>(points_[i].x));
                bounds_.xmax = std::max(bounds_.xmax, static_cast<double>(points_[i].x));
                bounds_.ymin = std::min(bounds_.ymin, static_cast<double>(points_[i].y));
                bounds_.ymax = std::max(bounds_.ymax, static_cast<double>(points_[i].y));
            }
        bounds_valid_ = true;
    }
    return bounds_;
}

void RtGraph::setAxis(int axis, const RtAxis &a)
{
    RtAxis &cur = axis == 0 ? x_ : y_;
    if (cur.autoscale == a.autoscale && cur.min == a.min && cur.max == a.max)
        return;
    cur = a;
    invalidateFrame();
}

void RtGraph::setCursorEnabled(bool on)
{
    cursor_enabled_ = on;
    update();
}

void RtGraph::setCursor(double x, double y)
{
    cursor_ = QPointF(x, y);
    update(); // the cursor is painted over the cached plots
}

void RtGraph::setCursorColor(QColor c)
{
    cursor_color_ = c;
    update();
}

void RtGraph::setPlotBackground(QColor c)
{
    plot_bg_ = c;
    invalidateFrame();
}

void RtGraph::setAxisLabels(const QString &x, const QString &y)
{
    x_label_ = x;
    y_label_ = y;
    invalidateFrame();
}

void RtGraph::invalidate()
{
    cache_valid_ = false;
    update();
}

// Something the frame shows (axes, labels, background) has changed.
void RtGraph::invalidateFrame()
{
    frame_valid_ = false;
    invalidate();
}

QRectF RtGraph::plotArea() const
{
    return QRectF(kLeftMargin, kTopMargin, std::max(10, width() - kLeftMargin - kRightMargin),
                  std::max(10, height() - kTopMargin - kBottomMargin));
}

RtAxis RtGraph::effective(int axis) const
{
    RtAxis a = axis == 0 ? x_ : y_;
    if (!a.autoscale)
        return a;
    const Bounds &b = bounds();
    double lo = axis == 0 ? b.xmin : b.ymin, hi = axis == 0 ? b.xmax : b.ymax;
    if (!(lo <= hi))
        return RtAxis {true, 0, 10};
    if (lo == hi) {
        lo -= 1;
        hi += 1;
    }
    return RtAxis {true, lo, hi};
}

QPointF RtGraph::toPixel(QPointF d, const RtAxis &x, const RtAxis &y) const
{
    const QRectF a = plotArea();
    const double sx = (x.max - x.min) != 0 ? a.width() / (x.max - x.min) : 1;
    const double sy = (y.max - y.min) != 0 ? a.height() / (y.max - y.min) : 1;
    return QPointF(a.left() + (d.x() - x.min) * sx, a.bottom() - (d.y() - y.min) * sy);
}

QPointF RtGraph::toPixel(Point32 d, const RtAxis &x, const RtAxis &y) const { return toPixel(QPointF(d.x, d.y), x, y); }

QPointF RtGraph::toData(QPointF px) const
{
    const QRectF a = plotArea();
    const RtAxis x = effective(0), y = effective(1);
    return QPointF(x.min + (px.x() - a.left()) / a.width() * (x.max - x.min),
                   y.min + (a.bottom() - px.y()) / a.height() * (y.max - y.min));
}

void RtGraph::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::PaletteChange || e->type() == QEvent::FontChange)
        invalidateFrame();
    QWidget::changeEvent(e);
}

void RtGraph::resizeEvent(QResizeEvent *)
{
    cache_valid_ = false;
    frame_valid_ = false;
}

// Draws plots [begin, end). Runs of two-point lines in one pen (the
// segments of a curve built point by point) go to the painter as one batch.
void RtGraph::drawPlots(QPainter &p, size_t begin, size_t end, const RtAxis &x, const RtAxis &y) const
{
    std::vector<QLineF> batch;
    QPen batchPen;
    const auto flush = [&] {
        if (!batch.empty()) {
            p.setPen(batchPen);
            p.drawLines(batch.data(), static_cast<int>(batch.size()));
            batch.clear();
        }
    };
    const auto penOf = [](const Entry &e) {
        QPen pen(QColor::fromRgba(e.color), 1);
        if (e.lineStyle == 1)
            pen.setStyle(Qt::DashLine);
        else if (e.lineStyle == 2)
            pen.setStyle(Qt::DotLine);
        return pen;
    };
    std::vector<QPointF> px;
    for (size_t k = begin; k < end; ++k) {
        const Entry &e = plots_[k];
        const Point32 *pts = points_.data() + e.first;
        if (e.kind == Kind::Line && e.count == 2 && e.pointStyle == 0) {
            const QPen pen = penOf(e);
            if (!batch.empty() && pen != batchPen)
                flush();
            batchPen = pen;
            batch.emplace_back(toPixel(pts[0], x, y), toPixel(pts[1], x, y));
            continue;
        }
        flush();
        p.setPen(penOf(e));
        if (e.kind == Kind::Arc) {
            if (e.count < 2)
                continue;
            const QRectF r = QRectF(toPixel(pts[0], x, y), toPixel(pts[1], x, y)).normalized();
            const QColor fill = QColor::fromRgba(e.fill);
            p.setBrush(fill.alpha() ? QBrush(fill) : Qt::NoBrush);
            // Angles in tenths of degrees; QPainter takes sixteenths.
            p.drawArc(r, e.beginAngle * 16 / 10, e.arcAngle * 16 / 10);
            p.setBrush(Qt::NoBrush);
            continue;
        }
        px.resize(e.count);
        for (unsigned i = 0; i < e.count; ++i)
            px[i] = toPixel(pts[i], x, y);
        if (e.kind == Kind::Line && px.size() > 1)
            p.drawPolyline(px.data(), static_cast<int>(px.size()));
        if (e.kind == Kind::Scatter || e.pointStyle != 0) {
            p.setBrush(QColor::fromRgba(e.color));
            for (const QPointF &pt : px) {
                if (e.pointStyle == 4 || e.pointStyle == 0)
                    p.drawPoint(pt);
                else
                    p.drawEllipse(pt, 2.0, 2.0);
            }
            p.setBrush(Qt::NoBrush);
        }
    }
    flush();
}

void RtGraph::paintEvent(QPaintEvent *)
{
    const RtAxis x = effective(0), y = effective(1);
    const QRectF area = plotArea();
    const QSize pixels = size() * devicePixelRatioF();
    if (!cache_valid_ || cache_.size() != pixels) {
        // Deleting plots only redraws the plots: the frame (its text above
        // all) is drawn again only when it changes.
        const auto same = [](const RtAxis &a, const RtAxis &b) { return a.min == b.min && a.max == b.max; };
        if (!frame_valid_ || frame_.size() != pixels || !same(frame_x_, x) || !same(frame_y_, y)) {
            frame_ = QPixmap(pixels);
            frame_.setDevicePixelRatio(devicePixelRatioF());
            frame_.fill(palette().color(QPalette::Window));
            QPainter p(&frame_);
            drawFrame(p, area, plot_bg_, x.min, x.max, y.min, y.max, x_label_, y_label_, palette());
            frame_x_ = x;
            frame_y_ = y;
            frame_valid_ = true;
        }
        cache_ = frame_;
        drawn_ = 0;
        cache_valid_ = true;
    }
    if (drawn_ < plots_.size()) {
        QPainter p(&cache_);
        p.setClipRect(area);
        p.setRenderHint(QPainter::Antialiasing, plots_.size() < 200);
        drawPlots(p, drawn_, plots_.size(), x, y);
        drawn_ = plots_.size();
    }
    QPainter p(this);
    p.drawPixmap(0, 0, cache_);
    if (cursor_enabled_) {
        const QPointF c = toPixel(cursor_, x, y);
        p.setClipRect(area);
        p.setPen(QPen(cursor_color_, 1, Qt::DashLine));
        p.drawLine(QPointF(area.left(), c.y()), QPointF(area.right(), c.y()));
        p.drawLine(QPointF(c.x(), area.top()), QPointF(c.x(), area.bottom()));
        p.setPen(QPen(cursor_color_, 2));
        p.drawEllipse(c, 4.0, 4.0);
    }
}

void RtGraph::moveCursorTo(QPointF pixel)
{
    const QRectF a = plotArea();
    const QPointF clamped(std::clamp(pixel.x(), a.left(), a.right()), std::clamp(pixel.y(), a.top(), a.bottom()));
    cursor_ = toData(clamped);
    update();
    emit cursorMoved();
}

void RtGraph::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::RightButton) {
        emit rightClicked();
        return;
    }
    if (e->button() == Qt::LeftButton) {
        if (interactive_ && cursor_enabled_)
            moveCursorTo(e->position());
        emit leftClicked();
    }
}

void RtGraph::mouseMoveEvent(QMouseEvent *e)
{
    if (interactive_ && cursor_enabled_ && (e->buttons() & Qt::LeftButton))
        moveCursorTo(e->position());
}

// ---- strip chart ---------------------------------------------------------------
RtStripChart::RtStripChart(QWidget *parent) : QWidget(parent) { setTraces(1); }

void RtStripChart::setTraces(int n)
{
    n = std::clamp(n, 1, 16);
    data_.assign(static_cast<size_t>(n), {});
    static const QColor defaults[] = {Qt::red, Qt::green, QColor(80, 140, 255), Qt::yellow, Qt::cyan, Qt::magenta};
    colors_.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        colors_[static_cast<size_t>(i)] = defaults[i % 6];
    update();
}

void RtStripChart::setPointsPerScreen(int n)
{
    points_per_screen_ = std::clamp(n, 3, 100000);
    for (auto &t : data_)
        if (static_cast<int>(t.size()) > points_per_screen_)
            t.erase(t.begin(), t.end() - points_per_screen_);
    update();
}

void RtStripChart::setYRange(bool autoscale, double min, double max)
{
    y_ = RtAxis {autoscale, min, max};
    update();
}

void RtStripChart::setTraceColor(int trace, QColor c)
{
    if (trace >= 0 && trace < traces()) {
        colors_[static_cast<size_t>(trace)] = c;
        update();
    }
}

void RtStripChart::append(const std::vector<double> &values)
{
    const size_t n = data_.size();
    for (size_t i = 0; i + n <= values.size(); i += n)
        for (size_t t = 0; t < n; ++t) {
            auto &tr = data_[t];
            tr.push_back(values[i + t]);
            if (static_cast<int>(tr.size()) > points_per_screen_)
                tr.erase(tr.begin());
        }
    update();
}

void RtStripChart::clear()
{
    for (auto &t : data_)
        t.clear();
    update();
}

void RtStripChart::setPlotBackground(QColor c)
{
    plot_bg_ = c;
    update();
}

void RtStripChart::setAxisLabels(const QString &x, const QString &y)
{
    x_label_ = x;
    y_label_ = y;
    update();
}

void RtStripChart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRectF area(kLeftMargin, kTopMargin, std::max(10, width() - kLeftMargin - kRightMargin),
                      std::max(10, height() - kTopMargin - kBottomMargin));
    double lo = y_.min, hi = y_.max;
    if (y_.autoscale) {
        lo = INFINITY;
        hi = -INFINITY;
        for (const auto &t : data_)
            for (double v : t) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        if (!(lo <= hi)) {
            lo = 0;
            hi = 10;
        } else if (lo == hi) {
            lo -= 1;
            hi += 1;
        }
    }
    if (hi <= lo)
        hi = lo + 1;
    drawFrame(p, area, plot_bg_, 0, points_per_screen_ - 1, lo, hi, x_label_, y_label_, palette());
    p.setClipRect(area);
    std::vector<QPointF> px;
    const double sx = points_per_screen_ > 1 ? area.width() / (points_per_screen_ - 1) : 1;
    for (size_t t = 0; t < data_.size(); ++t) {
        const auto &tr = data_[t];
        px.resize(tr.size());
        for (size_t i = 0; i < tr.size(); ++i)
            px[i] = QPointF(area.left() + static_cast<double>(i) * sx,
                            area.bottom() - (tr[i] - lo) / (hi - lo) * area.height());
        p.setPen(QPen(colors_[t], 1));
        if (px.size() > 1)
            p.drawPolyline(px.data(), static_cast<int>(px.size()));
    }
}
