// Draws the brand bitmaps of the brand table: for every entry with a bitmap a
// 160 x 48 PNG with a transparent background, an abstract mark at the left and
// the brand's short name beside it. Run at build time:
//   brandgen OUTPUT_DIR
// Exits 1 when a file cannot be written.
#include "brands.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>

#include <cstdio>

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 48;

QColor Rgb(int rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The mark fills the square (4, 4) .. (44, 44).
void DrawMark(QPainter &p, int shape, const QColor &c)
{
    const QRectF box(4, 4, 40, 40);
    switch (shape) {
    case brands::Rings:
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 3; ++i) {
            p.setPen(QPen(c, 3.0));
            p.drawEllipse(box.adjusted(i * 7, i * 7, -i * 7, -i * 7));
        }
        p.setBrush(c);
        p.drawEllipse(box.center(), 3, 3);
        break;
    case brands::Petals: {
        p.setPen(Qt::NoPen);
        const QPointF centre = box.center();
        for (int i = 0; i < 3; ++i) {
            QColor petal = c;
            petal.setAlpha(150);
            p.setBrush(petal);
            p.save();
            p.translate(centre);
            p.rotate(120.0 * i);
            p.drawEllipse(QRectF(-9, -19, 18, 24));
            p.restore();
        }
        break;
    }
    case brands::Bars:
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 4; ++i) {
            QColor bar = c;
            bar.setAlpha(255 - i * 45);
            p.setBrush(bar);
            const double h = 14 + i * 8.5;
            p.drawRoundedRect(QRectF(box.left() + i * 10.5, box.bottom() - h, 8, h), 2, 2);
        }
        break;
    default: { // Diamond
        p.setPen(QPen(c, 3.0));
        p.setBrush(Qt::NoBrush);
        const QPointF ctr = box.center();
        const QPolygonF outer(
            {{ctr.x(), box.top()}, {box.right(), ctr.y()}, {ctr.x(), box.bottom()}, {box.left(), ctr.y()}});
        p.drawPolygon(outer);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        const QPolygonF inner(
            {{ctr.x(), ctr.y() - 9}, {ctr.x() + 9, ctr.y()}, {ctr.x(), ctr.y() + 9}, {ctr.x() - 9, ctr.y()}});
        p.drawPolygon(inner);
        break;
    }
    }
}

bool WriteBitmap(const QString &dir, const brands::Entry &e)
{
    QImage img(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        DrawMark(p, e.markShape, Rgb(e.markColor));
        QFont font;
        font.setBold(true);
        font.setPixelSize(17);
        // Shrink long names until they fit beside the mark.
        const QRectF textBox(50, 0, kWidth - 52, kHeight);
        while (font.pixelSize() > 9 &&
               QFontMetricsF(font).horizontalAdvance(QString::fromLatin1(e.markName)) > textBox.width())
            font.setPixelSize(font.pixelSize() - 1);
        p.setFont(font);
        p.setPen(Rgb(e.markTextColor));
        p.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(e.markName));
    }
    QSaveFile file(QDir(dir).filePath(QString::fromLatin1(e.bitmap)));
    if (!file.open(QIODevice::WriteOnly) || !img.save(&file, "PNG") || !file.commit()) {
        std::fprintf(stderr, "brandgen: cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: brandgen OUTPUT_DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "brandgen: cannot create %s\n", argv[1]);
        return 1;
    }
    for (const brands::Entry &e : brands::kTable)
        if (e.bitmap && !WriteBitmap(dir, e))
            return 1;
    return 0;
}
