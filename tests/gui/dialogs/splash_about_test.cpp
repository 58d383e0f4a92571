// The splash and About windows: texts by language and unit type, the picture through libjpeg
// with the built-in one as fallback, the About window's stored size and colour, and its links.
#include <gtest/gtest.h>

#include <QTest>

#include "app/about.hpp"
#include "app/config/ini_file.hpp"
#include "app/splash.hpp"
#include "dialogs/jpeg_decoder.hpp"
#include "gui_test_support.hpp"

namespace climate {
namespace {

using testing::ReadTextFile;
using testing::TempFolder;
using testing::Text;
using testing::WriteTextFile;

const std::string DataDir = std::string(CLIMATE_TEST_DATA_DIR) + "/dialogs/";

bool Near(QRgb pixel, int r, int g, int b) {
  return std::abs(qRed(pixel) - r) <= 12 && std::abs(qGreen(pixel) - g) <= 12 &&
         std::abs(qBlue(pixel) - b) <= 12;
}

TEST(JpegDecoder, ColourGreyAndCmykPictures) {
  const QImage colours = DecodeJpegFile(DataDir + "two_colours.jpg");
  ASSERT_FALSE(colours.isNull());
  EXPECT_EQ(colours.size(), QSize(16, 8));
  EXPECT_TRUE(Near(colours.pixel(1, 4), 220, 30, 30));
  EXPECT_TRUE(Near(colours.pixel(14, 4), 30, 30, 220));

  const QImage grey = DecodeJpegFile(DataDir + "grey.jpg");
  ASSERT_FALSE(grey.isNull());
  EXPECT_TRUE(Near(grey.pixel(1, 1), 40, 40, 40));
  EXPECT_TRUE(Near(grey.pixel(14, 1), 210, 210, 210));

  const QImage cmyk = DecodeJpegFile(DataDir + "cmyk.jpg");
  ASSERT_FALSE(cmyk.isNull());
  EXPECT_TRUE(Near(cmyk.pixel(1, 1), 0, 255, 255));
  EXPECT_TRUE(Near(cmyk.pixel(14, 1), 255, 255, 255));
}

TEST(JpegDecoder, DamagedInputGivesANullImageWithoutEndingTheProcess) {
  const std::string good = ReadTextFile(DataDir + "two_colours.jpg");
  ASSERT_GT(good.size(), 200u);
  EXPECT_TRUE(DecodeJpeg("").isNull());
  EXPECT_TRUE(DecodeJpeg("this is not a picture").isNull());
  EXPECT_TRUE(DecodeJpeg(good.substr(0, 20)).isNull());  // the header breaks off
  std::string garbled = good;
  for (std::size_t i = 2; i < 160; ++i) garbled[i] = static_cast<char>(0xA5 ^ i);
  EXPECT_TRUE(DecodeJpeg(garbled).isNull());
  EXPECT_TRUE(DecodeJpegFile(DataDir + "no_such_picture.jpg").isNull());
  // A picture that stops early still shows what arrived.
  const QImage cut = DecodeJpeg(good.substr(0, good.size() - 12));
  EXPECT_EQ(cut.size(), QSize(16, 8));
}

TEST(Splash, TitleByUnitTypeAndLanguage) {
  TempFolder folder;
  const std::string config = folder.Path() + "UserSet.INI";
  struct Case {
    const char* file;
    Language language;
    const char* title;
  };
  const Case cases[] = {
      {"[Device]\r\nDeviceType=1\r\n", Language::English,
       "Heat Exchanger Background Control System(REV 101)"},
      {"[Device]\r\nDeviceType=0\r\n", Language::English,
       "Air Conditioner Background Control System(REV 101)"},
      {"[Device]\r\nDeviceType=7\r\n", Language::English,
       "Air Conditioner Background Control System(REV 101)"},
      {"[Device]\r\nDeviceType=1\r\n", Language::Chinese,
       "Korvane LCD                 (REV 101.1)"},
      {"", Language::Chinese, "Korvane LCD             (REV 101.1)"},
  };
  for (const Case& c : cases) {
    WriteTextFile(config, c.file);
    const TFrmFlash splash(config, folder.Path(), c.language);
    EXPECT_EQ(Text(splash, "Label4"), c.title);
  }

  const TFrmFlash english(config, folder.Path(), Language::English);
  EXPECT_EQ(Text(english, "Label1"), std::string(32, ' '));
  EXPECT_EQ(Text(english, "Label5"), std::string(11, ' ') + "：");
  EXPECT_EQ(Text(english, "Label2"), "   ：             ");
  EXPECT_EQ(Text(english, "Label3"), std::string(30, ' '));
  EXPECT_EQ(english.size(), QSize(351, 289));
  EXPECT_TRUE(english.windowFlags() & Qt::FramelessWindowHint);
  const TFrmFlash chinese(config, folder.Path(), Language::Chinese);
  EXPECT_EQ(Text(chinese, "Label1"), "北风气候系统有限公司 版权所有 2009-2026");
  EXPECT_EQ(Text(chinese, "Label2"), std::string(18, ' '));
}

TEST(Splash, PictureFromTheFileOrBuiltIn) {
  TempFolder folder;
  const std::string config = folder.Path() + "UserSet.INI";
  // No key: the picture beside the program.
  WriteTextFile(folder.Path() + "FlashPictrue.jpg", ReadTextFile(DataDir + "two_colours.jpg"));
  {
    const TFrmFlash splash(config, folder.Path(), Language::English);
    EXPECT_TRUE(splash.PictureFromFile());
    EXPECT_EQ(splash.Picture().size(), QSize(16, 8));
    const auto* image = splash.findChild<QLabel*>("Image1");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->size(), QSize(353, 130));
    EXPECT_TRUE(image->hasScaledContents());
  }
  const std::string cases[] = {
      "[FrmFlash]\r\nFlashPictrue=" + folder.Path() + "missing.jpg\r\n",
      "[FrmFlash]\r\nFlashPictrue=" + folder.Path() + "UserSet.INI\r\n",  // not a picture
      "[FrmFlash]\r\nFlashPictrue=\r\n",                                  // no load at all
  };
  for (const std::string& file : cases) {
    WriteTextFile(config, file);
    const TFrmFlash splash(config, folder.Path(), Language::English);
    EXPECT_FALSE(splash.PictureFromFile()) << file;
    EXPECT_EQ(splash.Picture(), TFrmFlash::BuiltInPicture());
  }
}

TEST(About, TextsByLanguageAndTitleFromTheDeviceSwitch) {
  TempFolder folder;
  const std::string config = folder.Path() + "UserSet.INI";
  TFrmAbout english(config, Language::English);
  EXPECT_EQ(english.windowTitle().toStdString(),
            "Air Conditioner Background Control System(REV 101)");
  EXPECT_EQ(Text(english, "Label8"), std::string(20, ' ') + "Background Control System");
  EXPECT_EQ(Text(english, "Label10"), "Version: REV 101");
  EXPECT_EQ(Text(english, "Label1"), "http://www.example.com/     ");
  EXPECT_EQ(Text(english, "Label9"), std::string(32, ' '));
  EXPECT_EQ(Text(english, "suiURLLabel1"), std::string(23, ' '));
  EXPECT_EQ(Text(english, "Label5"), std::string(41, ' '));
  EXPECT_FALSE(english.findChild<QLabel*>("Label6")->isVisibleTo(&english));

  TFrmAbout chinese(config, Language::Chinese);
  EXPECT_EQ(chinese.windowTitle().toStdString(), std::string(22, ' ') + "(REV 101.1)");
  EXPECT_EQ(Text(chinese, "Label8"), "Korvane LCD" + std::string(13, ' '));
  EXPECT_EQ(Text(chinese, "Label10"), "      REV 101.1");
  EXPECT_EQ(Text(chinese, "Label1"), "       www.example.com");
  EXPECT_EQ(Text(chinese, "Label9"), "北风气候系统有限公司 版权所有 2009-2026");
  EXPECT_EQ(Text(chinese, "Label2"), std::string(29, ' '));
  EXPECT_TRUE(chinese.findChild<QLabel*>("Label7")->isVisibleTo(&chinese));

  chinese.SetTitle("Heat Exchanger Background Control System(REV 101)",
                   "Heat Exchanger Background Control System");
  EXPECT_EQ(chinese.windowTitle().toStdString(),
            "Heat Exchanger Background Control System(REV 101)");
  EXPECT_EQ(Text(chinese, "Label8"), "Heat Exchanger Background Control System");
  EXPECT_EQ(Text(chinese, "Label10"), "      REV 101.1");  // the rest keeps its language
}

TEST(About, SizeAndColourReadAtCreationSizeWrittenAtClose) {
  TempFolder folder;
  const std::string config = folder.Path() + "UserSet.INI";
  WriteTextFile(config, "[FrmAbout]\r\nWidth=346\r\nColor=255\r\n");
  TFrmAbout about(config, Language::English);
  EXPECT_EQ(about.height(), 219);  // missing key: the read default, not the 355 of a new file
  EXPECT_EQ(about.width(), 346);
  EXPECT_EQ(about.palette().color(QPalette::Window), QColor(255, 0, 0));

  WriteTextFile(config, "");
  TFrmAbout skyBlue(config, Language::English);
  EXPECT_EQ(skyBlue.palette().color(QPalette::Window), QColor(166, 202, 240));
  EXPECT_EQ(skyBlue.size(), QSize(224, 219));

  skyBlue.show();
  skyBlue.resize(350, 360);
  skyBlue.reject();
  const IniFile ini = IniFile::Load(config);
  EXPECT_EQ(ini.ReadInteger("FrmAbout", "Height", 0), 360);
  EXPECT_EQ(ini.ReadInteger("FrmAbout", "Width", 0), 350);
  EXPECT_FALSE(ini.HasKey("FrmAbout", "Color"));
}

TEST(About, LinksOpenTheWebAddressAndTheMailLink) {
  TempFolder folder;
  TFrmAbout about(folder.Path() + "UserSet.INI", Language::English);
  std::vector<QString> opened;
  about.SetUrlOpener([&](const QUrl& url) { opened.push_back(url.toString(QUrl::FullyEncoded)); });
  Language current = Language::English;
  about.SetLanguageSource([&] { return current; });

  about.Label1Click();
  about.Label3Click();
  current = Language::Chinese;
  about.Label3Click();
  EXPECT_EQ(opened, (std::vector<QString>{
                        "http://www.example.com/", "mailto:service@example.com?subject=Hello",
                        "mailto:service@example.com?subject=%E6%82%A8%E5%A5%BD"}));

  // The blank labels are the places the operator clicks.
  opened.clear();
  about.show();
  for (const char* name : {"Label1", "Label3", "suiURLLabel1"}) {
    QWidget* label = about.findChild<QLabel*>(name);
    ASSERT_NE(label, nullptr);
    QTest::mouseClick(label, Qt::LeftButton);
  }
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_EQ(opened[0], "http://www.example.com/");
  EXPECT_EQ(opened[1], opened[2]);
}

}  // namespace
}  // namespace climate
