// The About window.
#include "app/about.hpp"

#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <algorithm>

#include "app/brand_marks.hpp"
#include "app/config/config_keys.hpp"
#include "app/config/ini_file.hpp"
#include "app/window_fit.hpp"
#include "dialogs/dialog_fit.hpp"

namespace climate {

namespace {

constexpr int BannerHeight = 96;

std::string Blanks(int count) {
  return std::string(static_cast<std::size_t>(count), ' ');
}

// A label that acts on a click, as the maker's links do.
class LinkLabel final : public QLabel {
 public:
  LinkLabel(const QString& text, QWidget* parent, std::function<void()> onClick)
      : QLabel(text, parent), onClick_(std::move(onClick)) {
    setCursor(Qt::PointingHandCursor);
  }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
      onClick_();
    }
    QLabel::mouseReleaseEvent(event);
  }

 private:
  std::function<void()> onClick_;
};

QLabel* Place(QLabel* label, const char* name, const QRect& where) {
  label->setObjectName(name);
  label->setGeometry(where);
  return label;
}

QColor FromColorValue(int value) {
  // Stored with red in the low byte.
  return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// The envelope and mail address the two mail labels lie over.
QPixmap MailPicture() {
  QImage image(190, 20, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(20, 60, 120), 1.2));
  painter.setBrush(QColor(255, 255, 255));
  painter.drawRect(QRectF(2.5, 4.5, 18, 12));
  painter.drawPolyline(QPolygonF({QPointF(2.5, 4.5), QPointF(11.5, 11.5), QPointF(20.5, 4.5)}));
  QFont font = painter.font();
  font.setPixelSize(12);
  font.setUnderline(true);
  painter.setFont(font);
  painter.setPen(QColor(0, 0, 160));
  painter.drawText(QRect(28, 0, 162, 20), Qt::AlignLeft | Qt::AlignVCenter, MakerMailAddress);
  return QPixmap::fromImage(image);
}

}  // namespace

QImage TFrmAbout::BuiltInPicture(int width) {
  QImage image = BlueBand(std::max(width, 1), BannerHeight, QColor(80, 150, 215));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawFanMark(painter, QPointF(48, 48), 34, QColor(255, 255, 255, 220), false);
  DrawWhiteText(painter, QRect(92, 22, width - 96, 26), 15, true, MakerName);
  DrawWhiteText(painter, QRect(94, 52, width - 96, 18), 11, false,
                QString::fromUtf8(MakerCopyright));
  return image;
}

TFrmAbout::TFrmAbout(const std::string& configPath, Language language, QWidget* parent)
    : FormDialog(parent),
      configPath_(configPath),
      language_(language),
      opener_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
  setObjectName("FrmAbout");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  const bool chinese = language == Language::Chinese;
  const int width = 346;

  banner_ = Place(new QLabel(this), "Image1", QRect(0, 0, width, BannerHeight));
  banner_->setPixmap(QPixmap::fromImage(BuiltInPicture(width)));

  // The device-type switch puts long English titles here: they wrap rather than lose their end.
  label8_ = Place(new QLabel(this), "Label8", QRect(8, 102, width - 16, 36));
  label8_->setWordWrap(true);
  QFont bold = label8_->font();
  bold.setBold(true);
  label8_->setFont(bold);
  Place(new QLabel(chinese ? "      REV 101.1" : "Version: REV 101", this), "Label10",
        QRect(8, 140, width - 16, 20));
  Place(new QLabel(QString::fromStdString(Blanks(chinese ? 6 : 9)), this), "Label11",
        QRect(8, 158, width - 16, 14));

  auto* label6 = Place(new QLabel("公司网址：", this), "Label6", QRect(16, 180, 72, 20));
  auto* label7 = Place(new QLabel("联系邮箱：", this), "Label7", QRect(16, 206, 72, 20));
  label6->setVisible(chinese);
  label7->setVisible(chinese);

  PlaceLinks(chinese);

  Place(new QLabel(QString::fromStdString(Blanks(chinese ? 29 : 18)), this), "Label2",
        QRect(8, 232, width - 16, 14));
  Place(new QLabel(QString::fromStdString(Blanks(chinese ? 24 : 41)), this), "Label5",
        QRect(8, 250, width - 16, 14));
  auto* notice =
      Place(new QLabel(chinese ? QString::fromUtf8("北风气候系统有限公司 版权所有 2009-2026")
                               : QString::fromStdString(Blanks(32)),
                       this),
            "Label9", QRect(8, 270, width - 16, 20));
  notice->setAlignment(Qt::AlignCenter);
  for (const char* name : {"Label8", "Label10", "Label11", "Label2", "Label5", "Label9"}) {
    spanning_.push_back(findChild<QLabel*>(name));
  }
  layoutSize_ = ContentSize(ShownContent(*this));

  SetTitle(
      chinese ? Blanks(22) + "(REV 101.1)" : "Air Conditioner Background Control System(REV 101)",
      chinese ? "Korvane LCD" + Blanks(13) : Blanks(20) + "Background Control System");

  const IniFile ini = IniFile::Load(configPath_);
  // The read defaults (224 x 219) are smaller than the content: the content wins.
  RestoreWindowSize(*this,
                    QSize(ini.ReadInteger("FrmAbout", "Width", ReadDefault::FrmAboutWidth),
                          ini.ReadInteger("FrmAbout", "Height", ReadDefault::FrmAboutHeight)),
                    LeastSize());
  QPalette colours = palette();
  colours.setColor(QPalette::Window, FromColorValue(ini.ReadInteger("FrmAbout", "Color",
                                                                    ReadDefault::FrmAboutColor)));
  setPalette(colours);
  setAutoFillBackground(true);
}

// The maker's web address and mail address, each a hot spot that opens it.
void TFrmAbout::PlaceLinks(bool chinese) {
  const QString web = chinese ? QString::fromStdString(Blanks(7) + MakerWebDomain)
                              : QString::fromStdString(MakerWebAddress + Blanks(5));
  auto* label1 = Place(new LinkLabel(web, this, [this] { Label1Click(); }), "Label1",
                       QRect(chinese ? 72 : 16, 180, 220, 20));
  QPalette linkColours = label1->palette();
  linkColours.setColor(QPalette::WindowText, QColor(0, 0, 160));
  label1->setPalette(linkColours);

  const int mailLeft = chinese ? 90 : 16;
  auto* mail = Place(new QLabel(this), "Image2", QRect(mailLeft, 206, 190, 20));
  mail->setPixmap(MailPicture());
  // The two mail labels are transparent hot spots over the envelope and the address.
  Place(new LinkLabel(QString::fromStdString(Blanks(10)), this, [this] { Label3Click(); }),
        "Label3", QRect(mailLeft, 206, 24, 20));
  Place(new LinkLabel(QString::fromStdString(Blanks(23)), this, [this] { Label3Click(); }),
        "suiURLLabel1", QRect(mailLeft + 26, 206, 164, 20));
}

void TFrmAbout::SetTitle(const std::string& caption, const std::string& label8) {
  setWindowTitle(QString::fromStdString(caption));
  label8_->setText(QString::fromStdString(label8));
  // A longer title widens the window at once (Qt resizes a window below its minimum).
  setMinimumSize(LeastSize());
}

QSize TFrmAbout::LeastSize() {
  return layoutSize_.expandedTo(QSize(TitleFitWidth(*this, windowTitle()), 0));
}

// In a window widened for its title the banner and the lines below it span the width.
void TFrmAbout::resizeEvent(QResizeEvent* event) {
  FormDialog::resizeEvent(event);
  const int shown = std::max(event->size().width(), layoutSize_.width());
  if (banner_->width() != shown) {
    banner_->setGeometry(0, 0, shown, BannerHeight);
    banner_->setPixmap(QPixmap::fromImage(BuiltInPicture(shown)));
  }
  for (QLabel* label : spanning_) label->resize(shown - 2 * label->x(), label->height());
}

QUrl TFrmAbout::WebLink() const {
  return QUrl(MakerWebAddress);
}

QUrl TFrmAbout::MailLink() const {
  const Language language = currentLanguage_ ? currentLanguage_() : language_;
  const QByteArray greeting =
      QUrl::toPercentEncoding(language == Language::Chinese ? QString::fromUtf8("您好") : "Hello");
  return QUrl::fromEncoded(QByteArray("mailto:") + MakerMailAddress + "?subject=" + greeting);
}

void TFrmAbout::Label1Click() {
  if (opener_) opener_(WebLink());
}

void TFrmAbout::Label3Click() {
  if (opener_) opener_(MailLink());
}

void TFrmAbout::FormClose() {
  try {
    IniFile ini = IniFile::Load(configPath_);
    ini.WriteInteger("FrmAbout", "Height", height());
    ini.WriteInteger("FrmAbout", "Width", width());
    ini.Save(configPath_);
  } catch (const IniWriteError& error) {
    if (reportError_) reportError_(error.what());
  }
}

}  // namespace climate
