// Restoring a stored window size safely. UserSet.INI is a text file an operator may edit or a
// disk may damage, so a stored size is only a wish: the window never gets smaller than its own
// layout needs (controls would be cut off), never larger than the screen it will be on can show
// (a window of 100000 pixels exhausts memory in the backing store), and never larger than its
// layout can use. The close handlers then store the size actually shown.
#pragma once

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSize>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace climate {

// The size a window of these limits gets for a stored size on a screen area: the stored size,
// at most maximum and the screen, but never below minimum (a screen too small for the layout
// still gets the whole layout).
inline QSize FittedSize(QSize stored, QSize minimum, QSize maximum, QSize screen) {
  const auto fit = [](int wanted, int least, int most, int shown) {
    return std::max(least, std::min({wanted, most, shown}));
  };
  return {fit(stored.width(), minimum.width(), maximum.width(), screen.width()),
          fit(stored.height(), minimum.height(), maximum.height(), screen.height())};
}

// The size a fixed layout needs: its content rectangle with the same margin again on the right
// and at the bottom as it keeps on the left and at the top.
inline QSize ContentSize(const QRect& content) {
  return {content.right() + 1 + std::max(0, content.left()),
          content.bottom() + 1 + std::max(0, content.top())};
}

// The rectangle of the controls placed directly on a window that showing it shows.
inline QRect ShownContent(const QWidget& window) {
  QRect content;
  for (const QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!child->isWindow() && child->isVisibleTo(&window)) content |= child->geometry();
  }
  return content;
}

// The screen area a window will be shown on: its owner's screen for a dialog, its own otherwise.
inline QRect AvailableArea(const QWidget& window) {
  const QWidget* owner = window.parentWidget() ? window.parentWidget()->window() : &window;
  const QScreen* screen = owner->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

// What the window frame (title bar, borders) adds to the size. Before a window was first shown
// only its native window knows, so the native window is created for the question.
inline QSize Decoration(QWidget& window) {
  const QSize known = window.frameGeometry().size() - window.size();
  if (known != QSize(0, 0) || !window.isWindow()) return known.expandedTo({0, 0});
  window.winId();
  const QWindow* handle = window.windowHandle();
  if (handle == nullptr) return {0, 0};
  const QMargins frame = handle->frameMargins();
  return QSize(frame.left() + frame.right(), frame.top() + frame.bottom()).expandedTo({0, 0});
}

// Keeps a window wholly on the available area: centred over its visible owner (or the area),
// then pushed inside it. A window larger than the area keeps its top left corner on screen.
inline void PlaceOnScreen(QWidget& window) {
  const QRect area = AvailableArea(window);
  if (area.isEmpty()) return;
  const QSize frame = window.size() + Decoration(window);
  const QWidget* owner = window.parentWidget() ? window.parentWidget()->window() : nullptr;
  const QPoint centre =
      owner && owner->isVisible() ? owner->frameGeometry().center() : area.center();
  QPoint topLeft(centre.x() - frame.width() / 2, centre.y() - frame.height() / 2);
  topLeft.setX(std::max(area.left(), std::min(topLeft.x(), area.right() + 1 - frame.width())));
  topLeft.setY(std::max(area.top(), std::min(topLeft.y(), area.bottom() + 1 - frame.height())));
  window.move(topLeft);
}

// Where a window of this frame size goes beside its owner's frame on the available area: right
// of the owner where there is room, else left of it; otherwise on the side with more room,
// pushed inside the area. A window as wide as the area would still cover the owner wholly, so
// the caller narrows it first (NarrowedBeside).
inline QPoint BesidePosition(const QRect& owner, QSize frame, const QRect& area) {
  const int roomRight = area.right() - owner.right();
  const int roomLeft = owner.left() - area.left();
  int x = 0;
  if (roomRight >= frame.width()) {
    x = owner.right() + 1;
  } else if (roomLeft >= frame.width()) {
    x = owner.left() - frame.width();
  } else {
    x = roomRight >= roomLeft ? area.right() + 1 - frame.width() : area.left();
  }
  x = std::max(area.left(), std::min(x, area.right() + 1 - frame.width()));
  int y = std::max(area.top(), std::min(owner.top(), area.bottom() + 1 - frame.height()));
  return {x, y};
}

// The width a window beside its owner may have so that a strip of the owner stays uncovered on
// the side with more room: the frame width wanted, at most the area less that strip, never
// below the window's own least width.
inline int NarrowedBeside(const QRect& owner, int frameWidth, int leastWidth, const QRect& area) {
  const int strip = std::clamp(owner.width() / 4, 1, 120);
  // On the side with more room, the window reaches from the area's edge into the owner.
  const int room = std::max(area.right() - owner.right(), owner.left() - area.left());
  const int most = std::max(std::min(area.width(), room + owner.width() - strip), 1);
  return std::max(leastWidth, std::min(frameWidth, most));
}

// Opens a window beside its visible owner within the available area, shrunk to the area where
// it is larger and never covering the owner wholly; with no visible owner it is placed on screen.
inline void PlaceBesideOwner(QWidget& window) {
  const QWidget* owner = window.parentWidget() ? window.parentWidget()->window() : nullptr;
  const QRect area = AvailableArea(window);
  if (area.isEmpty()) return;
  const QSize decoration = Decoration(window);
  const QSize least = window.minimumSize().expandedTo(window.minimumSizeHint());
  QSize size = window.size().boundedTo(area.size() - decoration).expandedTo(least);
  if (owner == nullptr || !owner->isVisible()) {
    window.resize(size);
    PlaceOnScreen(window);
    return;
  }
  const QRect ownerFrame = owner->frameGeometry();
  size.setWidth(NarrowedBeside(ownerFrame, size.width() + decoration.width(),
                               least.width() + decoration.width(), area) -
                decoration.width());
  window.resize(size);
  window.move(BesidePosition(ownerFrame, size + decoration, area));
}

// Gives a window its stored size within the limits above; maximum defaults to no limit but the
// screen. Placing it is left to the caller (PlaceOnScreen, or Qt's own placement of a dialog).
inline QSize RestoreWindowSize(QWidget& window, QSize stored, QSize minimum,
                               QSize maximum = QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)) {
  // The window frame (title bar, borders) takes its share of the screen too.
  const QRect area = AvailableArea(window);
  const QSize decoration = Decoration(window);
  const QSize screen =
      area.isEmpty() ? QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX) : area.size() - decoration;
  const QSize size = FittedSize(stored, minimum, maximum.expandedTo(minimum), screen);
  window.resize(size);
  return size;
}

}  // namespace climate
