// A round status lamp: a filled circle in one colour, as the operator reads it at a glance. A
// stale lamp (its unit has stopped reporting) is drawn grey and keeps its colour for when the
// unit reports again. A screen reader hears the lamp by the caption whose buddy it is and its
// state in words ("running", "alarm", "no data"), told again whenever the state changes. A lamp
// that reports right-clicks also takes the keyboard focus, and its keys and accessible actions do
// what the right-click does.
#pragma once

#include <QColor>
#include <QWidget>

namespace climate {

class Lamp : public QWidget {
  Q_OBJECT
  Q_PROPERTY(bool stale READ Stale WRITE SetStale)

 public:
  static inline const QColor Green{0, 255, 0};
  static inline const QColor Red{255, 0, 0};
  static inline const QColor Lime{0, 255, 0};
  static inline const QColor Maroon{128, 0, 0};
  // The grey of values that are no longer live, as the value boxes show them.
  static inline const QColor StaleGrey{128, 128, 128};

  explicit Lamp(QWidget* parent = nullptr);

  QColor Colour() const { return colour_; }
  void SetColour(const QColor& colour);
  bool Stale() const { return stale_; }
  void SetStale(bool stale);
  // The words a screen reader hears for green, for red and for a stale lamp, in the window's
  // language.
  void SetStateWords(const QString& on, const QString& off, const QString& noData);
  // The word for the lamp's present state; the accessible description begins with it.
  QString StateWord() const;
  // Only a lamp that reports right-clicks keeps them; the others leave them to their group. Such
  // a lamp is reached by Tab and reports Space, Enter, the Menu key and Shift+F10 the same way.
  void SetReportsContextMenu(bool reports);
  bool ReportsContextMenu() const { return reportsContextMenu_; }
  // What those keys do, told after the state word, in the window's language.
  void SetKeysHint(const QString& hint);
  // The right-click's work without the mouse (the keys and the accessible actions).
  void RequestContext();

 signals:
  // The operator right-clicked the lamp, or asked for the same by keyboard or screen reader.
  void ContextRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void ShowStateWord();
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QColor colour_ = Green;
  bool stale_ = false;
  bool reportsContextMenu_ = false;
  QString onWord_;
  QString offWord_;
  QString noDataWord_;
  QString keysHint_;
};

}  // namespace climate
