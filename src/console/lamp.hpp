// A round status lamp: a filled circle in one colour, as the operator reads it at a glance.
#pragma once

#include <QColor>
#include <QWidget>

namespace climate {

class Lamp : public QWidget {
  Q_OBJECT

 public:
  static inline const QColor Green{0, 255, 0};
  static inline const QColor Red{255, 0, 0};
  static inline const QColor Lime{0, 255, 0};
  static inline const QColor Maroon{128, 0, 0};

  explicit Lamp(QWidget* parent = nullptr);

  QColor Colour() const { return colour_; }
  void SetColour(const QColor& colour);
  // Only a lamp that reports right-clicks keeps them; the others leave them to their group.
  void SetReportsContextMenu(bool reports) { reportsContextMenu_ = reports; }

 signals:
  // The operator right-clicked the lamp.
  void ContextRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QColor colour_ = Green;
  bool reportsContextMenu_ = false;
};

}  // namespace climate
