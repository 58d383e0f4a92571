// Widgets carry the object names their handlers, style rules and tests find them by.
#pragma once

#include <QPushButton>
#include <QString>
#include <QWidget>

namespace climate {

template <typename Widget>
Widget* Named(QWidget* parent, const char* name) {
  auto* widget = new Widget(parent);
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// A push button whose click runs handler, a member function of receiver.
template <typename Receiver, typename Handler>
QPushButton* NamedButton(QWidget* parent, const char* name, Receiver* receiver, Handler handler) {
  auto* button = Named<QPushButton>(parent, name);
  QObject::connect(button, &QPushButton::clicked, receiver, handler);
  return button;
}

}  // namespace climate
