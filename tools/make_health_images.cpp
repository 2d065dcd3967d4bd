// Draws the two "Health State" images of the pages (a green and a red dot, 12 x 12) as PNG.
// Build and run:
//   g++ -std=c++17 -fPIC tools/make_health_images.cpp $(pkg-config --cflags --libs Qt6Gui) \
//       -o /tmp/make_health_images && /tmp/make_health_images common/images
#include <QImage>
#include <QPainter>

namespace {
bool dot(const QString& path, QColor colour) {
    QImage image(12, 12, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(160), 1));
    p.setBrush(colour);
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.end();
    return image.save(path, "PNG");
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    return dot(folder + "/alive.png", QColor(0x00, 0xCC, 0x00)) &&
                   dot(folder + "/dead.png", QColor(0xCC, 0x00, 0x00))
               ? 0
               : 1;
}
