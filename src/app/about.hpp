// TFrmAbout: product title, version and the maker's notice, web address and mail link. Its texts
// keep the language of start-up, except the title-bar caption and Label8, which the device-type
// switch sets again.
#pragma once

#include <QSize>
#include <QUrl>
#include <functional>
#include <string>
#include <vector>

#include "app/language.hpp"
#include "dialogs/form_dialog.hpp"

class QLabel;
class QResizeEvent;

namespace climate {

// The maker's contact details shown and opened by the About window.
inline constexpr const char* MakerWebAddress = "http://www.example.com/";
inline constexpr const char* MakerWebDomain = "www.example.com";
inline constexpr const char* MakerMailAddress = "service@example.com";

class TFrmAbout final : public FormDialog {
 public:
  using UrlOpener = std::function<void(const QUrl&)>;
  using ErrorReporter = std::function<void(const std::string&)>;

  // Reads FrmAbout Height, Width and Color from configPath once, here.
  TFrmAbout(const std::string& configPath, Language language, QWidget* parent = nullptr);

  // The device-type switch's caption for the title bar and Label8.
  void SetTitle(const std::string& caption, const std::string& label8);

  // Replaces QDesktopServices::openUrl (tests). Failures to open are never reported.
  void SetUrlOpener(UrlOpener opener) { opener_ = std::move(opener); }
  // The language at the moment of a click, which picks the greeting of the mail link; without
  // it the language of creation.
  void SetLanguageSource(std::function<Language()> source) { currentLanguage_ = std::move(source); }
  // Where a refused write of the window size is reported; unset: not reported.
  void SetErrorReporter(ErrorReporter reporter) { reportError_ = std::move(reporter); }

  void Label1Click();  // the web address
  void Label3Click();  // the mail link, also for suiURLLabel1

  QUrl WebLink() const;
  QUrl MailLink() const;

  // Drawn in code: the maker's banner at the top of the window.
  static QImage BuiltInPicture(int width);

 protected:
  void FormClose() override;  // the size for the next start
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlaceLinks(bool chinese);
  // The window's least size: the fixed layout, and its title whole within the screen.
  QSize LeastSize();

  std::string configPath_;
  Language language_;
  UrlOpener opener_;
  ErrorReporter reportError_;
  std::function<Language()> currentLanguage_;
  QLabel* label8_ = nullptr;
  QLabel* banner_ = nullptr;
  std::vector<QLabel*> spanning_;  // the lines across the window, below the banner
  QSize layoutSize_;               // what the fixed layout needs
};

}  // namespace climate
