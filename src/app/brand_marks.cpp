#include "app/brand_marks.hpp"

#include <QLinearGradient>
#include <QPainterPath>

namespace climate {

QImage BlueBand(int width, int height, const QColor& light) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter painter(&image);
  QLinearGradient band(0, 0, width, height);
  band.setColorAt(0.0, QColor(16, 58, 112));
  band.setColorAt(1.0, light);
  painter.fillRect(image.rect(), band);
  return image;
}

void DrawWhiteText(QPainter& painter, const QRect& where, int pixelSize, bool bold,
                   const QString& text, Qt::Alignment align) {
  painter.save();
  painter.setPen(Qt::white);
  QFont font = painter.font();
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  painter.setFont(font);
  painter.drawText(where, align, text);
  painter.restore();
}

void DrawFanMark(QPainter& painter, QPointF centre, double radius, const QColor& colour, bool hub) {
  painter.save();
  painter.translate(centre);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  for (int blade = 0; blade < 5; ++blade) {
    QPainterPath path;
    path.moveTo(0, 0);
    path.cubicTo(radius * 0.15, -radius * 0.55, radius * 0.75, -radius * 0.75, radius,
                 -radius * 0.2);
    path.cubicTo(radius * 0.7, radius * 0.05, radius * 0.3, radius * 0.05, 0, 0);
    painter.drawPath(path);
    painter.rotate(72);
  }
  if (hub) {
    painter.setBrush(QColor(255, 255, 255));
    painter.drawEllipse(QPointF(0, 0), radius * 0.16, radius * 0.16);
  }
  painter.restore();
}

}  // namespace climate
