// The splash window.
#include "app/splash.hpp"

#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

#include "app/brand_marks.hpp"
#include "app/config/ini_file.hpp"
#include "dialogs/jpeg_decoder.hpp"

namespace climate {

namespace {

constexpr int ClientWidth = 351;
constexpr int ClientHeight = 289;
constexpr int PictureWidth = 353;
constexpr int PictureHeight = 130;
const QColor SkyBlue(166, 202, 240);

std::string Blanks(int count) {
  return std::string(static_cast<std::size_t>(count), ' ');
}

QLabel* MakeLabel(QWidget* parent, const char* name, const std::string& text, const QRect& where) {
  auto* label = new QLabel(QString::fromStdString(text), parent);
  label->setObjectName(name);
  label->setGeometry(where);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

// The English titles are long: the font gives way before the end of the line does.
void BoldWithinWidth(QLabel* title) {
  QFont bold = title->font();
  bold.setBold(true);
  while (bold.pointSizeF() > 6 &&
         QFontMetrics(bold).horizontalAdvance(title->text()) > title->width() - 4) {
    bold.setPointSizeF(bold.pointSizeF() - 0.5);
  }
  title->setFont(bold);
}

}  // namespace

std::string SplashTitle(int deviceType, Language language) {
  if (deviceType == 1) {
    return language == Language::Chinese ? "Korvane LCD                 (REV 101.1)"
                                         : "Heat Exchanger Background Control System(REV 101)";
  }
  return language == Language::Chinese ? "Korvane LCD             (REV 101.1)"
                                       : "Air Conditioner Background Control System(REV 101)";
}

QImage TFrmFlash::BuiltInPicture() {
  QImage image = BlueBand(PictureWidth, PictureHeight, QColor(70, 140, 210));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  // Soft bands like air flowing out of a cabinet vent.
  painter.setPen(QPen(QColor(255, 255, 255, 40), 10));
  for (int i = 0; i < 4; ++i) {
    const int y = 30 + i * 26;
    painter.drawLine(QPointF(150, y), QPointF(PictureWidth + 10, y - 18));
  }
  DrawFanMark(painter, QPointF(62, 65), 44, QColor(255, 255, 255, 230), true);
  DrawWhiteText(painter, QRect(118, 30, 230, 30), 22, true, "Cabinet Climate");
  DrawWhiteText(painter, QRect(120, 64, 230, 18), 12, false, MakerName);
  DrawWhiteText(painter, QRect(0, 106, PictureWidth, 18), 11, false,
                QString::fromUtf8(MakerCopyright), Qt::AlignCenter);
  return image;
}

TFrmFlash::TFrmFlash(const std::string& configPath, const std::string& exeDir, Language language,
                     QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName("FrmFlash");
  setFixedSize(ClientWidth, ClientHeight);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, SkyBlue);
  setPalette(colours);
  setAutoFillBackground(true);

  auto* frame = new QGroupBox(this);
  frame->setObjectName("GroupBox1");
  frame->setGeometry(0, 0, ClientWidth, ClientHeight);

  auto* image = new QLabel(frame);
  image->setObjectName("Image1");
  image->setGeometry(-1, 0, PictureWidth, PictureHeight);
  image->setScaledContents(true);

  const bool chinese = language == Language::Chinese;
  // Blank labels keep their places in the layout without showing anything.
  MakeLabel(frame, "Label1", chinese ? "北风气候系统有限公司 版权所有 2009-2026" : Blanks(32),
            QRect(8, 252, ClientWidth - 16, 20));
  MakeLabel(frame, "Label5", chinese ? Blanks(13) : Blanks(11) + "：",
            QRect(8, 190, ClientWidth - 16, 18));
  MakeLabel(frame, "Label2", chinese ? Blanks(18) : "   ：             ",
            QRect(8, 208, ClientWidth - 16, 18));
  MakeLabel(frame, "Label3", Blanks(30), QRect(8, 226, ClientWidth - 16, 18));

  auto* bevel = new QFrame(frame);
  bevel->setObjectName("Bevel1");
  bevel->setFrameShape(QFrame::HLine);
  bevel->setFrameShadow(QFrame::Sunken);
  bevel->setGeometry(12, 180, ClientWidth - 24, 2);

  const IniFile ini = IniFile::Load(configPath);
  const std::string pictureFile =
      ini.ReadString("FrmFlash", "FlashPictrue", exeDir + "FlashPictrue.jpg");
  if (!pictureFile.empty()) {
    // Any failure to read it keeps the built-in picture; the splash reports nothing.
    picture_ = DecodeJpegFile(pictureFile);
    pictureFromFile_ = !picture_.isNull();
  }
  if (!pictureFromFile_) picture_ = BuiltInPicture();
  image->setPixmap(QPixmap::fromImage(picture_));

  QLabel* title =
      MakeLabel(frame, "Label4", SplashTitle(ini.ReadInteger("Device", "DeviceType", 0), language),
                QRect(4, 138, ClientWidth - 8, 32));
  BoldWithinWidth(title);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

}  // namespace climate
