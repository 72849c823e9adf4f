// The icon of desktop/kestrovan.svg drawn with QPainter, so the window has
// it without an SVG reader.
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "app/window/WindowCommon.h"

namespace window {

namespace {

QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  auto sheet = [&p](double x, double y, const QColor& fill, const QColor& edge) {
    p.setPen(QPen(edge, 2));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(x, y, 40, 50), 2, 2);
  };
  sheet(14, 4, QColor(0xe8, 0xd6, 0xec), QColor(0x6b, 0x4f, 0x73));
  sheet(10, 8, QColor(0xf4, 0xe8, 0xf6), QColor(0x6b, 0x4f, 0x73));
  sheet(6, 12, Qt::white, QColor(0x4a, 0x34, 0x50));
  QPen plan(QColor(0x1d, 0x3f, 0x8f), 2);
  plan.setCapStyle(Qt::SquareCap);
  p.setPen(plan);
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(12, 20, 28, 24));
  QPainterPath walls;
  walls.moveTo(12, 32);
  walls.lineTo(26, 32);
  walls.lineTo(26, 44);
  walls.moveTo(26, 20);
  walls.lineTo(26, 27);
  p.drawPath(walls);
  plan.setDashPattern({1, 1});
  p.setPen(plan);
  p.drawLine(QPointF(33, 32), QPointF(40, 32));
  QPainterPath door;
  door.moveTo(26, 32);
  door.arcTo(QRectF(26, 26, 12, 12), 180, -90);
  p.setPen(QPen(QColor(0xc0, 0x39, 0x2b), 1.5));
  p.drawPath(door);
  p.setPen(QPen(QColor(0x4a, 0x34, 0x50), 1.5));
  p.drawLine(QPointF(12, 50), QPointF(40, 50));
  p.drawLine(QPointF(12, 55), QPointF(32, 55));
  return pixmap;
}

}  // namespace

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(DrawIcon(size));
  return icon;
}

}  // namespace window
