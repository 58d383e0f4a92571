// The round lamp: its drawing, its stale look, its right-click and the keys and accessible
// actions that stand in for the right-click.
#include "console/lamp.hpp"

#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace climate {

namespace {

// To a screen reader a lamp is a picture with a name and a state, not an empty area (which it
// would skip). A lamp that reports right-clicks offers the right-click's work as its press and
// menu actions.
class LampAccessible final : public QAccessibleWidget {
 public:
  explicit LampAccessible(Lamp* lamp) : QAccessibleWidget(lamp, QAccessible::Graphic) {}

  QStringList actionNames() const override {
    QStringList names = QAccessibleWidget::actionNames();
    if (Reports()) names << pressAction() << showMenuAction();
    return names;
  }
  void doAction(const QString& name) override {
    if (Reports() && (name == pressAction() || name == showMenuAction())) {
      static_cast<Lamp*>(widget())->RequestContext();
      return;
    }
    QAccessibleWidget::doAction(name);
  }

 private:
  bool Reports() const { return static_cast<const Lamp*>(widget())->ReportsContextMenu(); }
};

QAccessibleInterface* MakeLampAccessible(const QString& className, QObject* object) {
  if (className != QLatin1String(Lamp::staticMetaObject.className()) || !object->isWidgetType()) {
    return nullptr;
  }
  return new LampAccessible(static_cast<Lamp*>(object));
}

// The keys that do on a focused lamp what the right-click does.
bool IsContextKey(const QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
  switch (key.key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Menu:
      return modifiers == Qt::NoModifier;
    case Qt::Key_F10:
      return modifiers == Qt::ShiftModifier;
    default:
      return false;
  }
}

}  // namespace

Lamp::Lamp(QWidget* parent) : QWidget(parent) {
  static const bool accessible = [] {
    QAccessible::installFactory(MakeLampAccessible);
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

void Lamp::SetReportsContextMenu(bool reports) {
  reportsContextMenu_ = reports;
  setFocusPolicy(reports ? Qt::StrongFocus : Qt::NoFocus);
}

void Lamp::SetKeysHint(const QString& hint) {
  keysHint_ = hint;
  ShowStateWord();
}

void Lamp::RequestContext() {
  if (reportsContextMenu_) emit ContextRequested();
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
  const QString description = StateWord() + keysHint_;
  if (description != accessibleDescription()) setAccessibleDescription(description);
}

void Lamp::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(64, 64, 64), 1));
  painter.setBrush(stale_ ? StaleGrey : colour_);
  const int side = qMin(width(), height()) - 1;
  painter.drawEllipse(QRectF(0.5, 0.5, side - 0.5, side - 0.5));
  if (hasFocus()) {
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
  }
}

void Lamp::contextMenuEvent(QContextMenuEvent* event) {
  if (!reportsContextMenu_) {
    event->ignore();
    return;
  }
  event->accept();
  // Some platforms send the Menu key as a context menu request before the key itself; the key
  // press does the work, once, so the window's menu does not open over it either.
  if (event->reason() == QContextMenuEvent::Keyboard) return;
  emit ContextRequested();
}

// The window's Shift+F10 / Menu key shortcut would otherwise take those keys from a focused lamp.
bool Lamp::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride && reportsContextMenu_ &&
      IsContextKey(*static_cast<QKeyEvent*>(event))) {
    event->accept();
    return true;
  }
  return QWidget::event(event);
}

void Lamp::keyPressEvent(QKeyEvent* event) {
  if (!reportsContextMenu_ || !IsContextKey(*event)) {
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
  if (!event->isAutoRepeat()) emit ContextRequested();
}

}  // namespace climate
