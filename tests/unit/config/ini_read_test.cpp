// Reading UserSet.INI: the value rules and what hand-edited or damaged files contain.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "app/config/ini_file.hpp"

namespace climate {
namespace {

using namespace std::string_literals;

TEST(IniInteger, AcceptsDecimalAndEveryHexPrefix) {
  const struct {
    const char* text;
    std::int32_t expected;
  } cases[] = {
      {"588", 588},
      {"  42", 42},
      {"\t7", 7},
      {"+5", 5},
      {"-5", -5},
      {"007", 7},
      {"$ff", 255},
      {"$FF", 255},
      {"x1A", 26},
      {"X1a", 26},
      {"0x7E", 126},
      {"0X7e", 126},
      {"-$10", -16},
      {"+0x10", 16},
      {"2147483647", 2147483647},
      {"-2147483648", std::numeric_limits<std::int32_t>::min()},
      {"0x7FFFFFFF", 2147483647},
      {"-0x80000000", std::numeric_limits<std::int32_t>::min()},
  };
  for (const auto& c : cases) {
    std::int32_t value = -99;
    EXPECT_TRUE(ParseIniInteger(c.text, value)) << c.text;
    EXPECT_EQ(value, c.expected) << c.text;
  }
}

TEST(IniInteger, RejectsEverythingElseWithoutTouchingTheValue) {
  for (const char* text :
       {"",    " ",     "+",          "-",           "$",          "x",
        "0x",  "0X",    "2147483648", "-2147483649", "0x80000000", "99999999999999999999",
        "12a", "12 ",   "1.5",        "- 5",         "+-5",        "0xG",
        "$-1", "0b101", "1e3",        "\xD6\xD0"}) {
    std::int32_t value = -99;
    EXPECT_FALSE(ParseIniInteger(text, value)) << '"' << text << '"';
    EXPECT_EQ(value, -99) << text;
  }
}

TEST(IniRead, ValuesFollowTheReadRules) {
  const IniFile ini = IniFile::Parse(
      "[S]\r\nNum=  12  \r\nBad=12abc\r\nEmpty=\r\nHex=$7E\r\nBig=2147483648\r\n"
      "Text=  two words \t\r\nOn=1\r\nOff=0\r\nOther=-3\r\nJunk=yes\r\n");
  EXPECT_EQ(ini.ReadInteger("S", "Num", 0), 12);
  EXPECT_EQ(ini.ReadInteger("S", "Bad", 7), 7);
  EXPECT_EQ(ini.ReadInteger("S", "Empty", 7), 7);
  EXPECT_EQ(ini.ReadInteger("S", "Hex", 0), 126);
  EXPECT_EQ(ini.ReadInteger("S", "Big", 7), 7);
  EXPECT_EQ(ini.ReadInteger("S", "Missing", 7), 7);
  EXPECT_EQ(ini.ReadInteger("Nowhere", "Num", 7), 7);

  EXPECT_EQ(ini.ReadString("S", "Text", "x"), "two words");
  EXPECT_EQ(ini.ReadString("S", "Empty", "x"), "");  // present but empty is not missing
  EXPECT_EQ(ini.ReadString("S", "Missing", "fallback"), "fallback");

  EXPECT_TRUE(ini.ReadBool("S", "On", false));
  EXPECT_FALSE(ini.ReadBool("S", "Off", true));
  EXPECT_TRUE(ini.ReadBool("S", "Other", false));
  EXPECT_TRUE(ini.ReadBool("S", "Junk", true));
  EXPECT_FALSE(ini.ReadBool("S", "Junk", false));
  EXPECT_TRUE(ini.ReadBool("S", "Missing", true));
}

TEST(IniRead, NamesCompareWithoutCase) {
  IniFile ini = IniFile::Parse("[FrmMain]\r\nHeight=500\r\n");
  EXPECT_EQ(ini.ReadInteger("FRMMAIN", "height", 0), 500);
  EXPECT_TRUE(ini.HasKey("frmmain", "HEIGHT"));

  // A write under another spelling replaces the value and keeps the names as they stood.
  ini.WriteInteger("frmMAIN", "HEIGHT", 600);
  EXPECT_EQ(ini.Serialize(), "[FrmMain]\r\nHeight=600\r\n");
}

TEST(IniRead, ToleratesHandEditedFiles) {
  const std::string text =
      "; written by hand\n"
      "orphan=1\n"
      "\n"
      "  [ FrmMain ]  trailing words\n"
      "# another comment\n"
      ";Height=1\n"
      "no equals sign here\n"
      "=nameless\n"
      "  Height = 500  \n"
      "height=600\n"
      "[Broken\n"
      "[Other]\n"
      "Key=a=b\n"
      "[frmmain]\n"
      "Width=400\n"
      "Height=700\n";
  const IniFile ini = IniFile::Parse(text);
  EXPECT_EQ(ini.ReadInteger("FrmMain", "Height", 0), 500);  // the first of duplicates wins
  EXPECT_EQ(ini.ReadInteger("FrmMain", "Width", 0), 400);   // a repeated header joins the first
  EXPECT_EQ(ini.ReadString("Other", "Key", ""), "a=b");
  EXPECT_FALSE(ini.HasKey("", "orphan"));
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"FrmMain", "Other"}));
  EXPECT_EQ(ini.Keys("FrmMain"), (std::vector<std::string>{"Height", "Width"}));
}

TEST(IniRead, LineEndsAndByteOrderMark) {
  EXPECT_EQ(IniFile::Parse("[A]\nK=1\nL=2").ReadInteger("A", "L", 0), 2);
  EXPECT_EQ(IniFile::Parse("[A]\r\nK=1\r\n").ReadString("A", "K", ""), "1");

  // A byte order mark announces UTF-8, whatever the file is otherwise stored as.
  const IniFile utf8 = IniFile::Parse("\xEF\xBB\xBF[UserSet]\r\nLanguage=中文(&L)\r\n");
  EXPECT_EQ(utf8.ReadString("UserSet", "Language", ""), "中文(&L)");
  EXPECT_EQ(utf8.Sections().front(), "UserSet");
}

TEST(IniRead, GarbageNeverBreaksTheReader) {
  const std::string garbage =
      "\0\0\r\n[A]\0\r\n\xFF\xFE=\x81\r\nK=\x81\r\nL=\xD6\xD0\xCE\r\n\x80\x80[B]\r\nM=5\r\n\xEF\xBB"s;
  const IniFile ini = IniFile::Parse(garbage);
  EXPECT_EQ(ini.ReadString("A", "K", "x"), "?");  // a lone lead byte
  EXPECT_EQ(ini.ReadString("A", "L", "x"), "中?");
  EXPECT_EQ(ini.ReadInteger("A", "M", 0), 5);  // "[B]" does not start its line
  EXPECT_FALSE(ini.HasKey("B", "M"));
  EXPECT_NO_THROW(IniFile::Parse(ini.Serialize()));

  const IniFile utf8Garbage = IniFile::Parse("\xEF\xBB\xBF[A]\nK=\xC3\x28\xF0\n"s);
  EXPECT_EQ(utf8Garbage.ReadString("A", "K", ""), "?(?");
}

}  // namespace
}  // namespace climate
