// The round lamp: its drawing, its stale look and its right-click.
#include "console/lamp.hpp"

#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QPainter>

namespace climate {

namespace {

// To a screen reader a lamp is a picture with a name and a state, not an empty area (which it
// would skip).
QAccessibleInterface* LampAccessible(const QString& className, QObject* object) {
  if (className != QLatin1String(Lamp::staticMetaObject.className()) || !object->isWidgetType()) {
    return nullptr;
  }
  return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
}

}  // namespace

Lamp::Lamp(QWidget* parent) : QWidget(parent) {
  static const bool accessible = [] {
    QAccessible::installFactory(LampAccessible);
    return true;
  }();
  (void)accessible;
}

void Lamp::SetColour(const QColor& colour) {
  if (colour_ == colour) return;
  colour_ = colour;
  ShowStateWord();
  update();
}

void Lamp::SetStale(bool stale) {
  if (stale_ == stale) return;
  stale_ = stale;
  ShowStateWord();
  update();
}

void Lamp::SetStateWords(const QString& on, const QString& off, const QString& noData) {
  onWord_ = on;
  offWord_ = off;
  noDataWord_ = noData;
  ShowStateWord();
}

QString Lamp::StateWord() const {
  if (stale_) return noDataWord_;
  return colour_ == Green || colour_ == Lime ? onWord_ : offWord_;
}

// Setting the description tells the screen reader of the change (a description-changed event);
// an unchanged word tells it nothing.
void Lamp::ShowStateWord() {
  const QString word = StateWord();
  if (word != accessibleDescription()) setAccessibleDescription(word);
}

void Lamp::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(64, 64, 64), 1));
  painter.setBrush(stale_ ? StaleGrey : colour_);
  const int side = qMin(width(), height()) - 1;
  painter.drawEllipse(QRectF(0.5, 0.5, side - 0.5, side - 0.5));
}

void Lamp::contextMenuEvent(QContextMenuEvent* event) {
  if (!reportsContextMenu_) {
    event->ignore();
    return;
  }
  event->accept();
  emit ContextRequested();
}

}  // namespace climate
