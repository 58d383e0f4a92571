// The maker's marks drawn on the splash picture and the About banner when no picture file is
// there: a blue sky band and the fan wheel.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRect>
#include <QString>

namespace climate {

// An image of the given size filled with the blue band, dark at the top left and lighter towards
// the bottom right, ready for painting on.
QImage BlueBand(int width, int height, const QColor& light);

inline constexpr char MakerName[] = "Northwind Climate Systems";
inline constexpr char MakerCopyright[] = "© 2009-2026 Northwind Climate Systems";

// One line of white lettering in the default family at the given pixel size.
void DrawWhiteText(QPainter& painter, const QRect& where, int pixelSize, bool bold,
                   const QString& text, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);

// A fan wheel of five blades; hub: a white dot in its centre.
void DrawFanMark(QPainter& painter, QPointF centre, double radius, const QColor& colour, bool hub);

}  // namespace climate
