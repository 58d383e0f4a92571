// Widgets carry the object names their handlers, style rules and tests find them by.
#pragma once

#include <QString>
#include <QWidget>

namespace climate {

template <typename Widget>
Widget* Named(QWidget* parent, const char* name) {
  auto* widget = new Widget(parent);
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace climate
