// The run-time's own control widgets: LED, colour box, colour bar, graph,
// strip chart and picture. Graphs and strip charts keep a display list and
// repaint it with QPainter; they stay fast with tens of thousands of points.
#pragma once

#include <QColor>
#include <QDoubleSpinBox>
#include <QPixmap>
#include <QPointF>
#include <QWidget>
#include <cmath>
#include <map>
#include <vector>

// A double numeric control. With setFullPrecision(true) it keeps a value
// exactly as set or typed (no rounding to a number of decimals) and shows it
// in its shortest form that reads back to the same double (1.234e-09,
// -3.4567e-06); exponent notation may be typed. Otherwise it is a plain
// QDoubleSpinBox.
class RtDoubleSpinBox : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit RtDoubleSpinBox(QWidget *parent = nullptr);
    void setFullPrecision(bool on);
    bool fullPrecision() const { return full_; }
    QString textFromValue(double value) const override;
    double valueFromText(const QString &text) const override;
    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;

private:
    bool full_ = false;
};

class RtLed : public QWidget {
    Q_OBJECT
public:
    explicit RtLed(QWidget *parent = nullptr);
    void setOn(bool on);
    bool isOn() const { return on_; }
    void setColors(QColor onColor, QColor offColor);
    QColor onColor() const { return on_color_; }
    QColor offColor() const { return off_color_; }
    QSize sizeHint() const override { return {20, 20}; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    bool on_ = false;
    QColor on_color_ {0, 200, 0};
    QColor off_color_ {0, 70, 0};
};

class RtColorBox : public QWidget {
    Q_OBJECT
public:
    explicit RtColorBox(QWidget *parent = nullptr);
    void setColor(QColor c);
    QColor color() const { return color_; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QColor color_ {Qt::black};
};

class RtColorBar : public QWidget {
    Q_OBJECT
public:
    explicit RtColorBar(QWidget *parent = nullptr);
    void setValue(double v);
    double value() const { return value_; }
    void setRange(double min, double max);
    double minimum() const { return min_; }
    double maximum() const { return max_; }
    void setFillColor(QColor c);
    QColor fillColor() const { return fill_; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    double value_ = 0;
    double min_ = 0;
    double max_ = 4095;
    QColor fill_ {Qt::darkGray};
};

class RtPicture : public QWidget {
    Q_OBJECT
public:
    explicit RtPicture(QWidget *parent = nullptr);
    bool loadImage(const QString &file);
    void clearImage();
    bool hasImage() const { return !pixmap_.isNull(); }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QPixmap pixmap_;
};

// Maps data coordinates to pixels inside a plot area with manual or automatic axis ranges.
struct RtAxis {
    bool autoscale = false;
    double min = 0;
    double max = 100;
};

// A graph's display list: plots with handles, drawn in the order they were
// added. The plots are kept compactly (points as floats in one pool, about
// 50 bytes for a two-point segment) and drawn into a cached picture: a plot
// added while the axes stay put is drawn onto the picture alone, so adding
// a segment costs the same at the hundred-thousandth plot as at the first.
class RtGraph : public QWidget {
    Q_OBJECT
public:
    enum class Kind : unsigned char { Line, Scatter, Arc };
    struct Plot {
        Kind kind = Kind::Line;
        std::vector<QPointF> points; // Line/Scatter: data; Arc: the bounding rectangle corners
        int beginAngle = 0;          // Arc: tenths of degrees
        int arcAngle = 3600;
        QColor color {Qt::yellow};
        QColor fill {Qt::transparent};
        int pointStyle = 0;
        int lineStyle = 0;
    };

    explicit RtGraph(QWidget *parent = nullptr);
    int addPlot(const Plot &p); // returns a handle > 0
    bool deletePlot(int handle);
    void deleteAllPlots();
    int plotCount() const { return static_cast<int>(plots_.size()); }
    // Bytes the display list holds (plots and points, reserved space included).
    size_t displayListBytes() const;

    void setAxis(int axis, const RtAxis &a);
    RtAxis axis(int axis) const { return axis == 0 ? x_ : y_; }
    void setCursorEnabled(bool on);
    bool cursorEnabled() const { return cursor_enabled_; }
    void setCursor(double x, double y);
    QPointF cursorPos() const { return cursor_; }
    void setCursorColor(QColor c);
    void setPlotBackground(QColor c);
    QColor plotBackground() const { return plot_bg_; }
    void setAxisLabels(const QString &x, const QString &y);
    void setInteractive(bool on) { interactive_ = on; }

signals:
    void cursorMoved(); // by the user's mouse
    void leftClicked();
    void rightClicked();

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void changeEvent(QEvent *e) override;

private:
    struct Point32 {
        float x, y;
    };
    struct Entry {
        int handle;
        unsigned first; // index of the first point in points_
        unsigned count;
        QRgb color;
        QRgb fill; // with alpha
        int beginAngle;
        int arcAngle;
        Kind kind;
        unsigned char pointStyle;
        unsigned char lineStyle;
    };
    struct Bounds {
        double xmin = INFINITY, xmax = -INFINITY, ymin = INFINITY, ymax = -INFINITY;
    };

    QRectF plotArea() const;
    QPointF toPixel(QPointF data, const RtAxis &x, const RtAxis &y) const;
    QPointF toPixel(Point32 data, const RtAxis &x, const RtAxis &y) const;
    QPointF toData(QPointF pixel) const;
    RtAxis effective(int axis) const;
    const Bounds &bounds() const;
    void drawPlots(QPainter &p, size_t begin, size_t end, const RtAxis &x, const RtAxis &y) const;
    void compactPoints();
    void invalidate();
    void invalidateFrame();
    void moveCursorTo(QPointF pixel);

    std::vector<Entry> plots_;    // in handle order
    std::vector<Point32> points_; // the points of all plots; deleted plots leave gaps
    size_t dead_points_ = 0;      // points in gaps
    mutable Bounds bounds_;       // of all points, for autoscaled axes
    mutable bool bounds_valid_ = true;
    int next_handle_ = 1;
    RtAxis x_ {false, 0, 4095};
    RtAxis y_ {false, 0, 4095};
    bool cursor_enabled_ = false;
    QPointF cursor_ {0, 0};
    QColor cursor_color_ {Qt::white};
    QColor plot_bg_ {Qt::black};
    QString x_label_, y_label_;
    bool interactive_ = true;
    QPixmap frame_; // background, axes, grid and labels, without plots
    bool frame_valid_ = false;
    RtAxis frame_x_, frame_y_; // the axes frame_ was drawn for (autoscaled ones follow the plots)
    QPixmap cache_;            // the frame with the plots drawn once, cursor painted over them
    bool cache_valid_ = false;
    size_t drawn_ = 0; // plots already drawn into cache_ (a prefix of plots_)
};

class RtStripChart : public QWidget {
    Q_OBJECT
public:
    explicit RtStripChart(QWidget *parent = nullptr);
    void setTraces(int n);
    int traces() const { return static_cast<int>(data_.size()); }
    void setPointsPerScreen(int n);
    int pointsPerScreen() const { return points_per_screen_; }
    void setYRange(bool autoscale, double min, double max);
    RtAxis yAxis() const { return y_; }
    void setTraceColor(int trace, QColor c);
    // values are multiplexed: one per trace for each point.
    void append(const std::vector<double> &values);
    void clear();
    int pointCount() const { return data_.empty() ? 0 : static_cast<int>(data_[0].size()); }
    double valueAt(int trace, int index) const { return data_[trace][index]; }
    void setPlotBackground(QColor c);
    QColor plotBackground() const { return plot_bg_; }
    void setAxisLabels(const QString &x, const QString &y);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    std::vector<std::vector<double>> data_; // per trace, the last pointsPerScreen values
    std::vector<QColor> colors_;
    int points_per_screen_ = 100;
    RtAxis y_ {false, 0, 4095};
    QColor plot_bg_ {Qt::black};
    QString x_label_, y_label_;
};
