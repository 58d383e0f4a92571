// The main window's pictures that are drawn rather than loaded: the title band, the logo and the
// status bar's port icon, plain or marked for a unit that has stopped answering.
#pragma once

#include <QPixmap>
#include <QSize>
#include <QWidget>

namespace climate {

// The band above the controls where the themed window drew its own title bar.
class TitleBand final : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override;
};

// The logo: a cabinet with a fan and an air stream.
QPixmap DrawLogo(QSize size);

// Image 0 of the status bar's image list: a small port plug.
QPixmap DrawPanelIcon();
// The same plug greyed and struck through in red: the unit on the line has stopped answering.
QPixmap DrawSilentPanelIcon();

}  // namespace climate
