// Draws the suite's application icon: the scalable SVG and PNGs at the usual
// sizes of the hicolor icon theme, both from one table of shapes so that the
// two never differ. Run at build time:
//   icongen OUTPUT_DIR
// writes OUTPUT_DIR/hicolor/scalable/apps/veltra.svg and
// OUTPUT_DIR/hicolor/NxN/apps/veltra.png. Exits 1 when a file cannot be written.
#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSaveFile>

#include <cstdio>

namespace {

constexpr int kCanvas = 256; // the shapes' coordinate system

struct Shape {
    enum Kind { RoundedRect, Circle } kind;
    double x, y;     // rectangle: top left; circle: centre
    double w, h;     // rectangle: size; circle: w is the radius
    double corner;   // rectangle: corner radius
    unsigned fill;   // 0xRRGGBB; kNone for none
    unsigned stroke; // 0xRRGGBB; kNone for none
    double strokeWidth;
    double opacity;
};

constexpr unsigned kNone = 0xFFFFFFFFu;

// A dark tile with a lens ring and the three overlapping colour channels
// of the sensor's receiver.
const Shape kShapes[] = {
    {Shape::RoundedRect, 16, 16, 224, 224, 44, 0x1F2A36, kNone, 0, 1.0},
    {Shape::Circle, 128, 134, 96, 0, 0, kNone, 0xB0BEC5, 10, 1.0},
    {Shape::Circle, 128, 104, 54, 0, 0, 0xE53935, kNone, 0, 0.85},
    {Shape::Circle, 100, 154, 54, 0, 0, 0x43A047, kNone, 0, 0.85},
    {Shape::Circle, 156, 154, 54, 0, 0, 0x1E88E5, kNone, 0, 0.85},
    {Shape::Circle, 128, 137, 14, 0, 0, 0xFFFFFF, kNone, 0, 1.0},
};

const int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QString Hex(unsigned rgb) { return QString::asprintf("#%06X", rgb & 0xFFFFFF); }

QByteArray Svg()
{
    QString s = QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
                        "viewBox=\"0 0 %1 %1\">\n")
                    .arg(kCanvas);
    for (const Shape &sh : kShapes) {
        QString paint = QString(" fill=\"%1\"").arg(sh.fill == kNone ? QString("none") : Hex(sh.fill));
        if (sh.stroke != kNone)
            paint += QString(" stroke=\"%1\" stroke-width=\"%2\"").arg(Hex(sh.stroke)).arg(sh.strokeWidth);
        if (sh.opacity < 1.0)
            paint += QString(" opacity=\"%1\"").arg(sh.opacity);
        if (sh.kind == Shape::RoundedRect)
            s += QString("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\"%6/>\n")
                     .arg(sh.x)
                     .arg(sh.y)
                     .arg(sh.w)
                     .arg(sh.h)
                     .arg(sh.corner)
                     .arg(paint);
        else
            s += QString("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\"%4/>\n").arg(sh.x).arg(sh.y).arg(sh.w).arg(paint);
    }
    s += "</svg>\n";
    return s.toUtf8();
}

QImage Png(int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(double(size) / kCanvas, double(size) / kCanvas);
    for (const Shape &sh : kShapes) {
        p.setOpacity(sh.opacity);
        p.setBrush(sh.fill == kNone ? QBrush(Qt::NoBrush) : QBrush(QColor::fromRgb(sh.fill)));
        p.setPen(sh.stroke == kNone ? QPen(Qt::NoPen) : QPen(QColor::fromRgb(sh.stroke), sh.strokeWidth));
        if (sh.kind == Shape::RoundedRect)
            p.drawRoundedRect(QRectF(sh.x, sh.y, sh.w, sh.h), sh.corner, sh.corner);
        else
            p.drawEllipse(QPointF(sh.x, sh.y), sh.w, sh.w);
    }
    p.end();
    return img;
}

bool Write(const QString &path, const QByteArray &bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: icongen OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString svgPath = out.filePath("hicolor/scalable/apps/veltra.svg");
    if (!Write(svgPath, Svg())) {
        std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(svgPath));
        return 1;
    }
    for (int size : kSizes) {
        const QString path = out.filePath(QString("hicolor/%1x%1/apps/veltra.png").arg(size));
        QByteArray png;
        QBuffer buf(&png);
        if (!buf.open(QIODevice::WriteOnly) || !Png(size).save(&buf, "PNG") || !Write(path, png)) {
            std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
