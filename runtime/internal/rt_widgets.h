// The run-time's own control widgets: LED, colour box, colour bar, graph,
// strip chart and picture. Graphs and strip charts keep a display list and
// repaint it with QPainter; they stay fast with tens of thousands of points.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QPointF>
#include <QWidget>
#include <map>
#include <vector>

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
    QColor on_color_{0, 200, 0};
    QColor off_color_{0, 70, 0};
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
    QColor color_{Qt::black};
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
    QColor fill_{Qt::darkGray};
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

class RtGraph : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Line, Scatter, Arc };
    struct Plot {
        Kind kind = Kind::Line;
        std::vector<QPointF> points; // Line/Scatter: data; Arc: the bounding rectangle corners
        int beginAngle = 0;          // Arc: tenths of degrees
        int arcAngle = 3600;
        QColor color{Qt::yellow};
        QColor fill{Qt::transparent};
        int pointStyle = 0;
        int lineStyle = 0;
    };

    explicit RtGraph(QWidget *parent = nullptr);
    int addPlot(Plot p); // returns a handle > 0
    bool deletePlot(int handle);
    void deleteAllPlots();
    int plotCount() const { return static_cast<int>(plots_.size()); }
    const Plot *plot(int handle) const;

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
    void cursorMoved();      // by the user's mouse
    void leftClicked();
    void rightClicked();

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void resizeEvent(QResizeEvent *) override;

private:
    QRectF plotArea() const;
    QPointF toPixel(QPointF data, const RtAxis &x, const RtAxis &y) const;
    QPointF toData(QPointF pixel) const;
    RtAxis effective(int axis) const;
    void invalidate();
    void moveCursorTo(QPointF pixel);

    std::map<int, Plot> plots_;
    int next_handle_ = 1;
    RtAxis x_{false, 0, 4095};
    RtAxis y_{false, 0, 4095};
    bool cursor_enabled_ = false;
    QPointF cursor_{0, 0};
    QColor cursor_color_{Qt::white};
    QColor plot_bg_{Qt::black};
    QString x_label_, y_label_;
    bool interactive_ = true;
    QPixmap cache_; // plots drawn once, cursor painted over them
    bool cache_valid_ = false;
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
    RtAxis y_{false, 0, 4095};
    QColor plot_bg_{Qt::black};
    QString x_label_, y_label_;
};
