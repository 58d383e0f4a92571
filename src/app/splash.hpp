// TFrmFlash: the borderless start-up window with the splash picture and a title line that names
// the selected unit type. Its texts and picture are chosen once, when it is created.
#pragma once

#include <QImage>
#include <QWidget>
#include <string>

#include "app/language.hpp"

class QLabel;

namespace climate {

class TFrmFlash final : public QWidget {
 public:
  // Reads FrmFlash/FlashPictrue (default exeDir + "FlashPictrue.jpg") and Device/DeviceType from
  // configPath. exeDir ends with '/'.
  TFrmFlash(const std::string& configPath, const std::string& exeDir, Language language,
            QWidget* parent = nullptr);

  // True when Image1 shows the configured picture file rather than the built-in one.
  bool PictureFromFile() const { return pictureFromFile_; }
  // What Image1 shows before it is stretched.
  const QImage& Picture() const { return picture_; }

  // Drawn in code, so the splash always has a picture.
  static QImage BuiltInPicture();

 private:
  QImage picture_;
  bool pictureFromFile_ = false;
};

// The title line (Label4) for a stored DeviceType.
std::string SplashTitle(int deviceType, Language language);

}  // namespace climate
