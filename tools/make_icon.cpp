// Draws the programs' icon (128 x 128 PNG): a gold "V" over three rising bars on a dark blue tile.
// Build and run:
//   g++ -std=c++20 -fPIC tools/make_icon.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/make_icon
//   /tmp/make_icon packaging/vantor.png
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const int size = 128;
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient tile(0, 0, 0, size);
    tile.setColorAt(0, QColor(24, 48, 110));
    tile.setColorAt(1, QColor(10, 20, 60));
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(4, 4, size - 8, size - 8), 20, 20);
    p.fillPath(rounded, tile);
    p.setPen(QPen(QColor(240, 200, 40), 3));
    p.drawPath(rounded);

    // The bars: the stats climbing behind the letter.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 140, 220));
    p.drawRect(QRectF(22, 84, 18, 26));
    p.drawRect(QRectF(55, 70, 18, 40));
    p.drawRect(QRectF(88, 54, 18, 56));

    const QPolygonF v({{18, 20}, {44, 20}, {64, 78}, {84, 20}, {110, 20}, {76, 106}, {52, 106}});
    p.setBrush(QColor(240, 200, 40));
    p.setPen(QPen(QColor(60, 40, 0), 2));
    p.drawPolygon(v);
    p.end();
    return img.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
