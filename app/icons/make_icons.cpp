// Draws the window icon IDI_MAIN at 32, 48 and 64 pixels: a map tile with
// contour lines, a dotted route and a red waypoint pin.
// Usage: make_icons OUTPUT_FOLDER
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

QImage DrawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);  // drawn on a 64-unit grid

  // The map tile: green lowland to pale highland, with a dark rim.
  const QRectF tile(3, 5, 58, 56);
  QLinearGradient land(0, 61, 0, 5);
  land.setColorAt(0.0, QColor(0x4f, 0x9a, 0x4a));
  land.setColorAt(1.0, QColor(0xd8, 0xe8, 0xb0));
  p.setPen(QPen(QColor(0x2d, 0x4f, 0x2b), 2));
  p.setBrush(land);
  p.drawRoundedRect(tile, 7, 7);

  // Contour lines around a summit in the upper left.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x8a, 0x6a, 0x3a, 200), 1.6));
  p.drawEllipse(QPointF(22, 24), 14, 10);
  p.drawEllipse(QPointF(22, 24), 8, 5.5);
  p.drawEllipse(QPointF(22, 24), 2.5, 1.8);

  // The route: a dotted line from the lower left to the pin.
  QPen route(QColor(0x1d, 0x4e, 0xa8), 3.0, Qt::DashLine, Qt::RoundCap);
  route.setDashPattern({0.1, 2.0});
  p.setPen(route);
  QPainterPath path(QPointF(9, 55));
  path.cubicTo(QPointF(20, 40), QPointF(30, 58), QPointF(44, 44));
  p.drawPath(path);

  // The waypoint pin: a teardrop with a white eye and a soft shadow.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 70));
  p.drawEllipse(QPointF(46, 55), 7, 2.5);
  QPainterPath pin;
  pin.moveTo(46, 55);
  pin.cubicTo(QPointF(40, 44), QPointF(34, 38), QPointF(34, 28));
  pin.arcTo(QRectF(34, 16, 24, 24), 180, -180);
  pin.cubicTo(QPointF(58, 38), QPointF(52, 44), QPointF(46, 55));
  QRadialGradient red(QPointF(42, 24), 18);
  red.setColorAt(0.0, QColor(0xff, 0x7a, 0x6a));
  red.setColorAt(1.0, QColor(0xc0, 0x18, 0x14));
  p.setBrush(red);
  p.setPen(QPen(QColor(0x6e, 0x0c, 0x0a), 1.6));
  p.drawPath(pin);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(46, 28), 4.6, 4.6);
  p.end();

  // Full colour with alpha: a palette of 256 colours bands the gradients.
  return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icons OUTPUT_FOLDER\n");
    return 2;
  }
  for (int size : {32, 48, 64}) {
    const QString file = QString("%1/ridloe-%2.png").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    if (!DrawIcon(size).save(file, "PNG")) {
      std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
