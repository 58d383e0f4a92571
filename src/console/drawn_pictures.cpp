#include "console/drawn_pictures.hpp"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace climate {

void TitleBand::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QLinearGradient gradient(0, 0, 0, height());
  gradient.setColorAt(0, QColor(96, 140, 200));
  gradient.setColorAt(1, QColor(44, 84, 150));
  painter.fillRect(rect(), gradient);
  painter.setPen(Qt::white);
  QFont font = painter.font();
  font.setPixelSize(13);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(rect().adjusted(10, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft,
                   window()->windowTitle());
}

QPixmap DrawLogo(QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, size.height());
  sky.setColorAt(0, QColor(210, 230, 250));
  sky.setColorAt(1, QColor(120, 170, 225));
  painter.setPen(QPen(QColor(40, 80, 140), 1));
  painter.setBrush(sky);
  painter.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 6, 6);

  const qreal h = size.height();
  const QRectF cabinet(8, 6, h * 0.55, h - 12);
  painter.setBrush(QColor(235, 238, 242));
  painter.drawRect(cabinet);
  const QPointF hub = cabinet.center();
  const qreal r = cabinet.width() * 0.36;
  painter.setBrush(QColor(40, 80, 140));
  for (int blade = 0; blade < 3; ++blade) {
    QPainterPath path;
    path.moveTo(hub);
    path.arcTo(QRectF(hub.x() - r, hub.y() - r, 2 * r, 2 * r), blade * 120.0, 50.0);
    path.closeSubpath();
    painter.drawPath(path);
  }
  painter.setPen(QPen(QColor(30, 100, 200), 2.5, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  for (int wave = 0; wave < 3; ++wave) {
    const qreal y = h * 0.3 + wave * h * 0.2;
    QPainterPath path;
    path.moveTo(cabinet.right() + 8, y);
    path.cubicTo(cabinet.right() + 20, y - 6, cabinet.right() + 32, y + 6, size.width() - 8, y);
    painter.drawPath(path);
  }
  return pixmap;
}

namespace {

void DrawPlug(QPainter& painter, const QColor& edge, const QColor& body) {
  painter.setPen(QPen(edge, 1));
  painter.setBrush(body);
  painter.drawRoundedRect(QRectF(2.5, 4.5, 11, 7), 2, 2);
  painter.setBrush(edge);
  for (int pin = 0; pin < 3; ++pin) painter.drawEllipse(QPointF(5 + pin * 3, 8), 0.9, 0.9);
}

}  // namespace

QPixmap DrawPanelIcon() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawPlug(painter, QColor(40, 80, 140), QColor(120, 170, 225));
  return pixmap;
}

QPixmap DrawSilentPanelIcon() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawPlug(painter, QColor(96, 96, 96), QColor(192, 192, 192));
  painter.setPen(QPen(QColor(220, 0, 0), 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  painter.drawLine(QPointF(3.8, 12.2), QPointF(12.2, 3.8));
  return pixmap;
}

}  // namespace climate
