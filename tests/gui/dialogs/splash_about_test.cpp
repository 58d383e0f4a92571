// The splash and About windows: texts by language and unit type, the picture through libjpeg
// with the built-in one as fallback, the About window's stored size and colour, and its links.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QBuffer>
#include <QImageWriter>
#include <QTest>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <thread>

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

bool Near(QRgb pixel, QRgb expected) {
  return std::abs(qRed(pixel) - qRed(expected)) <= 12 &&
         std::abs(qGreen(pixel) - qGreen(expected)) <= 12 &&
         std::abs(qBlue(pixel) - qBlue(expected)) <= 12;
}

TEST(JpegDecoder, ColourGreyAndCmykPictures) {
  // Each fixture is 16 by 8 pixels, its left half one colour and its right half another.
  const std::tuple<const char*, QRgb, QRgb> cases[] = {
      {"two_colours.jpg", qRgb(220, 30, 30), qRgb(30, 30, 220)},
      {"grey.jpg", qRgb(40, 40, 40), qRgb(210, 210, 210)},
      {"cmyk.jpg", qRgb(0, 255, 255), qRgb(255, 255, 255)},  // Adobe's inverted CMYK
  };
  for (const auto& [file, left, right] : cases) {
    const QImage image = DecodeJpegFile(DataDir + file);
    ASSERT_EQ(image.size(), QSize(16, 8)) << file;
    EXPECT_TRUE(Near(image.pixel(1, 4), left)) << file;
    EXPECT_TRUE(Near(image.pixel(14, 4), right)) << file;
  }
}

TEST(JpegDecoder, DamagedInputGivesANullImageWithoutEndingTheProcess) {
  const std::string good = ReadTextFile(DataDir + "two_colours.jpg");
  std::string garbled = good;
  for (std::size_t i = 2; i < 160; ++i) garbled[i] = static_cast<char>(0xA5 ^ i);
  for (const std::string& bytes :
       {std::string(), std::string("not a picture"), good.substr(0, 20), garbled}) {
    EXPECT_TRUE(DecodeJpeg(bytes).isNull());
  }
  EXPECT_TRUE(DecodeJpegFile(DataDir + "no_such_picture.jpg").isNull());
  // A picture that stops early still shows what arrived.
  EXPECT_EQ(DecodeJpeg(good.substr(0, good.size() - 12)).size(), QSize(16, 8));
}

// The decoder on a thread of its own; nothing when it has not returned by the deadline (the
// thread is then left waiting, and the test program carries it to its end).
std::optional<QImage> DecodeFileWithin(const std::string& path, std::chrono::seconds deadline) {
  auto decoded = std::make_shared<std::promise<QImage>>();
  std::future<QImage> result = decoded->get_future();
  std::thread([decoded, path] { decoded->set_value(DecodeJpegFile(path)); }).detach();
  if (result.wait_for(deadline) != std::future_status::ready) return std::nullopt;
  return result.get();
}

// The same picture claiming other dimensions in its frame header.
std::string WithDimensions(std::string jpeg, int width, int height) {
  const std::size_t frame = jpeg.find("\xFF\xC0");
  jpeg[frame + 5] = static_cast<char>(height >> 8);
  jpeg[frame + 6] = static_cast<char>(height & 0xFF);
  jpeg[frame + 7] = static_cast<char>(width >> 8);
  jpeg[frame + 8] = static_cast<char>(width & 0xFF);
  return jpeg;
}

TEST(JpegDecoder, OnlyModestRegularFilesAreRead) {
  TempFolder folder;
  const std::string fifo = folder.Path() + "FlashPictrue.jpg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/tty")}) {
    const std::optional<QImage> image = DecodeFileWithin(path, std::chrono::seconds(10));
    ASSERT_TRUE(image.has_value()) << path << " kept the decoder waiting";
    EXPECT_TRUE(image->isNull()) << path;
  }
  // With no writer the pipe would block any reader; the splash shows its own picture at once.
  const TFrmFlash splash(folder.Path() + "UserSet.INI", folder.Path(), Language::English);
  EXPECT_FALSE(splash.PictureFromFile());

  const std::string good = ReadTextFile(DataDir + "two_colours.jpg");
  EXPECT_EQ(DecodeJpeg(WithDimensions(good, 2000, 1900)).size(), QSize(2000, 1900));
  EXPECT_TRUE(DecodeJpeg(WithDimensions(good, 2000, 2100)).isNull());
  EXPECT_TRUE(DecodeJpeg(WithDimensions(good, 65535, 65535)).isNull());
  // A progressive picture whose last scan repeats: the work grows with the scans.
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setProgressiveScanWrite(true);
  QImage photo(64, 48, QImage::Format_RGB32);
  photo.fill(qRgb(90, 160, 40));
  ASSERT_TRUE(writer.write(photo));
  const std::string progressive = buffer.data().toStdString();
  EXPECT_EQ(DecodeJpeg(progressive).size(), QSize(64, 48));
  const std::size_t lastScan = progressive.rfind("\xFF\xDA");
  const std::size_t end = progressive.rfind("\xFF\xD9");
  std::string manyScans = progressive.substr(0, end);
  for (int i = 0; i < MaxJpegScans; ++i) manyScans += progressive.substr(lastScan, end - lastScan);
  EXPECT_TRUE(DecodeJpeg(manyScans + "\xFF\xD9").isNull());

  const std::string oversized = folder.Path() + "big.jpg";
  WriteTextFile(oversized, good + std::string(MaxJpegFileBytes, '\0'));
  EXPECT_TRUE(DecodeJpegFile(oversized).isNull());
  WriteTextFile(oversized, good);
  EXPECT_EQ(DecodeJpegFile(oversized).size(), QSize(16, 8));
}

TEST(Splash, TextsByUnitTypeAndLanguage) {
  TempFolder folder;
  const std::string config = folder.Path() + "UserSet.INI";
  const std::tuple<const char*, Language, const char*> cases[] = {
      {"1", Language::English, "Heat Exchanger Background Control System(REV 101)"},
      {"7", Language::English, "Air Conditioner Background Control System(REV 101)"},
      {"1", Language::Chinese, "Korvane LCD                 (REV 101.1)"},
      {"0", Language::Chinese, "Korvane LCD             (REV 101.1)"},
  };
  for (const auto& [type, language, title] : cases) {
    WriteTextFile(config, std::string("[Device]\r\nDeviceType=") + type + "\r\n");
    EXPECT_EQ(Text(TFrmFlash(config, folder.Path(), language), "Label4"), title);
  }
  EXPECT_EQ(Text(TFrmFlash(config, folder.Path(), Language::Chinese), "Label1"),
            "北风气候系统有限公司 版权所有 2009-2026");
}

TEST(Splash, PictureFromTheFileOrBuiltIn) {
  TempFolder folder;
  const std::string config = folder.Path() + "UserSet.INI";
  WriteTextFile(folder.Path() + "FlashPictrue.jpg", ReadTextFile(DataDir + "two_colours.jpg"));
  const TFrmFlash beside(config, folder.Path(), Language::English);  // no key: beside the program
  EXPECT_TRUE(beside.PictureFromFile());
  EXPECT_EQ(beside.Picture().size(), QSize(16, 8));
  EXPECT_EQ(testing::Find(beside, "Image1")->size(), QSize(353, 130));

  for (const std::string& value : {folder.Path() + "missing.jpg", config, std::string()}) {
    WriteTextFile(config, "[FrmFlash]\r\nFlashPictrue=" + value + "\r\n");
    const TFrmFlash splash(config, folder.Path(), Language::English);
    EXPECT_FALSE(splash.PictureFromFile()) << value;
    EXPECT_EQ(splash.Picture(), TFrmFlash::BuiltInPicture());
  }
}

TEST(About, TextsKeepTheirLanguageButTheTitleFollowsTheDeviceSwitch) {
  TempFolder folder;
  const TFrmAbout english(folder.Path() + "UserSet.INI", Language::English);
  EXPECT_EQ(Text(english, "Label10") + "|" + Text(english, "Label1"),
            "Version: REV 101|http://www.example.com/     ");
  EXPECT_FALSE(testing::Find(english, "Label6")->isVisibleTo(&english));
  TFrmAbout chinese(folder.Path() + "UserSet.INI", Language::Chinese);
  EXPECT_EQ(Text(chinese, "Label10") + "|" + Text(chinese, "Label1"),
            "      REV 101.1|       www.example.com");
  EXPECT_EQ(Text(chinese, "Label8"), "Korvane LCD" + std::string(13, ' '));
  chinese.SetTitle("Heat Exchanger Background Control System(REV 101)", "HX");
  EXPECT_EQ(chinese.windowTitle().toStdString(),
            "Heat Exchanger Background Control System(REV 101)");
  EXPECT_EQ(Text(chinese, "Label8"), "HX");
}

TEST(About, SizeAndColourReadAtCreationSizeWrittenAtClose) {
  TempFolder folder;
  const std::string config = folder.Path() + "UserSet.INI";
  WriteTextFile(config, "[FrmAbout]\r\nWidth=346\r\nColor=255\r\n");
  const TFrmAbout red(config, Language::English);
  // No Height: the read default 219, not the 355 of a new file; but never less than the
  // content and the title need.
  EXPECT_EQ(red.size(), QSize(std::max(346, testing::TitleBarWidth(red.windowTitle())), 290));
  EXPECT_EQ(red.palette().color(QPalette::Window), QColor(255, 0, 0));

  WriteTextFile(config, "");
  TFrmAbout about(config, Language::English);
  EXPECT_EQ(about.palette().color(QPalette::Window), QColor(166, 202, 240));
  about.show();
  about.resize(350, 360);
  about.reject();
  const IniFile ini = IniFile::Load(config);
  EXPECT_EQ(ini.Keys("FrmAbout"), (std::vector<std::string>{"Height", "Width"}));
  EXPECT_EQ(ini.ReadInteger("FrmAbout", "Height", 0), 360);
}

TEST(About, ClickingTheLinksOpensTheWebAddressAndTheMailLink) {
  TempFolder folder;
  TFrmAbout about(folder.Path() + "UserSet.INI", Language::English);
  std::vector<std::string> opened;
  about.SetUrlOpener(
      [&](const QUrl& url) { opened.push_back(url.toString(QUrl::FullyEncoded).toStdString()); });
  Language current = Language::English;
  about.SetLanguageSource([&] { return current; });
  about.show();
  for (const char* name : {"Label1", "Label3", "suiURLLabel1"}) {
    if (std::string(name) == "suiURLLabel1") current = Language::Chinese;
    QTest::mouseClick(testing::Find(about, name), Qt::LeftButton);
  }
  EXPECT_EQ(opened, (std::vector<std::string>{
                        "http://www.example.com/", "mailto:service@example.com?subject=Hello",
                        "mailto:service@example.com?subject=%E6%82%A8%E5%A5%BD"}));
}

}  // namespace
}  // namespace climate
