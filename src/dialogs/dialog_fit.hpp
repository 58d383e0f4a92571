// Dialogs and boxes on the screen they open on: wide enough for the window manager to draw their
// title whole, and on a screen smaller than their content, as large as the screen allows with
// the content scrolling inside.
#pragma once

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QLayout>
#include <QScrollArea>
#include <QString>
#include <QStyle>
#include <algorithm>

#include "app/window_fit.hpp"

namespace climate {

// What a title bar takes beside the title itself: the window menu or icon at the left, the
// minimise, maximise and close buttons at the right, and the padding between them. Window
// managers differ; this is about what the common ones take at 100 %, with a little to spare.
inline constexpr int TitleBarAllowance = 120;

// The width a window needs for its title to be drawn whole: title bars usually draw it bold in
// the application font.
inline int TitleWidth(const QString& title) {
  QFont font = QApplication::font();
  font.setBold(true);
  return QFontMetrics(font).horizontalAdvance(title) + TitleBarAllowance;
}

// The title's width for this window, but never wider than the screen area it opens on can show
// beside the window frame.
inline int TitleFitWidth(QWidget& window, const QString& title) {
  const int wanted = TitleWidth(title);
  const QRect area = AvailableArea(window);
  if (area.isEmpty()) return wanted;
  return std::max(0, std::min(wanted, area.width() - Decoration(window).width()));
}

// The room the screen area leaves a window's own size, the frame's share taken off.
inline QSize ScreenRoom(QWidget& window) {
  const QRect area = AvailableArea(window);
  if (area.isEmpty()) return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
  return (area.size() - Decoration(window)).expandedTo({1, 1});
}

// The breadth of a scroll bar in the window's style.
inline int ScrollBarBreadth(const QWidget& window) {
  return window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &window);
}

// The least size of a frame that shows content of this size whole where room allows. Where the
// content is taller than the room, the frame is as tall as the room and a scroll bar's breadth
// wider (for the vertical bar); likewise across; never beyond the room.
inline QSize ScrolledLeast(QSize content, QSize room, int scrollBar) {
  QSize least = content;
  const bool tall = content.height() > room.height();
  const bool wide =
      content.width() > room.width() || (tall && content.width() + scrollBar > room.width());
  if (tall) least.rwidth() += scrollBar;
  if (wide) least.rheight() += scrollBar;
  // A horizontal bar may take the height a content that just fitted had.
  if (!tall && least.height() > room.height()) least.rwidth() += scrollBar;
  return least.boundedTo(room);
}

// A frame in which a window's content scrolls where the screen is smaller than the content. It
// only scrolls: no border, and Tab goes to the controls in it, never to the frame itself.
inline QScrollArea* NewScrollFrame(QWidget* parent, const char* name, QWidget* content) {
  auto* frame = new QScrollArea(parent);
  frame->setObjectName(QString::fromLatin1(name));
  frame->setFocusPolicy(Qt::NoFocus);
  frame->setFrameShape(QFrame::NoFrame);
  frame->setWidget(content);
  return frame;
}

// For a window laid out around a scroll frame whose content resizes with it: the frame asks for
// the content's least size where the screen shows the whole window, and for less where it does
// not, so that the window keeps to the screen and the content scrolls. The window's least size
// then also holds its title (within the screen). Returns that least size, which the window is
// also given as its minimum.
inline QSize FitLayoutToScreen(QWidget& window, QScrollArea& frame, const QString& title) {
  QWidget* content = frame.widget();
  QLayout* layout = window.layout();
  if (content == nullptr || layout == nullptr) return window.minimumSize();
  // Texts set just now have only posted their layout requests: the layouts forget the sizes
  // they keep of every widget, so that what is asked now is what will show.
  window.ensurePolished();
  for (QWidget* widget : window.findChildren<QWidget*>()) widget->updateGeometry();
  if (content->layout()) content->layout()->activate();
  const QSize whole = content->minimumSizeHint().expandedTo(content->minimumSize());
  window.setMinimumSize(0, 0);
  frame.setMinimumSize(whole);
  layout->invalidate();
  layout->activate();
  const QSize room = ScreenRoom(window);
  const QSize needed = layout->totalMinimumSize();
  if (needed.width() > room.width() || needed.height() > room.height()) {
    // What the rest of the window (margins, the button row) takes stays; the frame gives way.
    const QSize rest = needed - whole;
    frame.setMinimumSize(
        ScrolledLeast(whole, (room - rest).expandedTo({1, 1}), ScrollBarBreadth(window)));
    layout->invalidate();
    layout->activate();
  }
  QSize least = layout->totalMinimumSize().boundedTo(room);
  least.setWidth(std::max(least.width(), TitleFitWidth(window, title)));
  window.setMinimumSize(least);
  return least;
}

}  // namespace climate
