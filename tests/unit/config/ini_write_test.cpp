// Writing UserSet.INI: the Windows layout, GBK text, and saving that never leaves half a file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/config/gbk.hpp"
#include "app/config/ini_file.hpp"
#include "app/config/save_temporary.hpp"
#include "temp_folder.hpp"

namespace climate {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

TEST(IniWrite, LayoutKeepsFirstWriteOrderWithBlankLineBetweenSections) {
  IniFile ini;
  ini.WriteInteger("A", "One", 1);
  ini.WriteString("B", "Two", "  two words  ");
  ini.WriteInteger("A", "Three", -3);
  ini.WriteInteger("A", "One", 11);  // replacing keeps the key in its place
  EXPECT_EQ(ini.Serialize(), "[A]\r\nOne=11\r\nThree=-3\r\n\r\n[B]\r\nTwo=two words\r\n");
  EXPECT_EQ(IniFile().Serialize(), "");
}

TEST(IniWrite, ValueCannotSmuggleInAnotherLine) {
  IniFile ini;
  ini.WriteString("A", "K", "x\r\n[Device]\r\nSOI=0");
  const IniFile reread = IniFile::Parse(ini.Serialize());
  EXPECT_EQ(reread.Sections(), std::vector<std::string>{"A"});
  EXPECT_EQ(reread.Keys("A"), std::vector<std::string>{"K"});
  EXPECT_THROW(ini.WriteString("A", "K=1", "v"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("A", " ", "v"), std::invalid_argument);
}

TEST(IniWrite, ChineseIsStoredAsGbk) {
  IniFile ini;
  ini.WriteString("UserSet", "Language", "中文(&L)");
  EXPECT_EQ(ini.Serialize(), "[UserSet]\r\nLanguage=\xD6\xD0\xCE\xC4(&L)\r\n");
  EXPECT_EQ(IniFile::Parse(ini.Serialize()).ReadString("UserSet", "Language", ""), "中文(&L)");

  // What GBK cannot hold becomes '?', a character at a time; stray bytes likewise.
  EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80"
                      "b\xFF"
                      "c"),
            "a?b?c");
  EXPECT_EQ(GbkToUtf8("\xD6\xD0\x81"), "中\xEF\xBF\xBD");
  EXPECT_EQ(GbkToUtf8(Utf8ToGbk("English (&L) 中文 温度")), "English (&L) 中文 温度");
}

TEST(IniWrite, GbkTextThatLooksLikeAByteOrderMarkStaysGbk) {
  const std::string gbk = "  \xEF\xBB\xBF\xC5 note\r\n[A]\r\nK=\xD6\xD0\r\n";
  const std::string saved = IniFile::Parse(gbk).Serialize();
  EXPECT_EQ(IniFile::Parse(saved).ReadString("A", "K", ""), "中");
  EXPECT_EQ(IniFile::Parse(saved).Serialize(), saved);
}

TEST(IniWrite, ReSavingAHandEditedFileKeepsItsComments) {
  const IniFile ini = IniFile::Parse("; top\n[A]\n# note\nK=1\n\n\nstray text\n[B]\nL=2\n");
  EXPECT_EQ(ini.Serialize(),
            "; top\r\n\r\n[A]\r\n# note\r\nK=1\r\nstray text\r\n\r\n[B]\r\nL=2\r\n");
}

TEST(IniSave, ReplacesTheFileWholeAndLeavesNoTemporaryFile) {
  TempFolder folder;
  const std::string path = folder.File("UserSet.INI");
  WriteBytes(path, "[A]\r\nK=old\r\n");
  // A reader that has the old file open keeps seeing all of it: the new file is renamed in.
  const int oldReader = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(oldReader, 0);

  IniFile ini = IniFile::Load(path);
  EXPECT_TRUE(ini.Existed());
  ini.WriteString("A", "K", "new");
  ini.WriteInteger("B", "N", 5);
  ini.Save(path);

  char buffer[64] = {};
  EXPECT_EQ(::pread(oldReader, buffer, sizeof buffer, 0), 12);
  EXPECT_STREQ(buffer, "[A]\r\nK=old\r\n");
  ::close(oldReader);
  EXPECT_EQ(ReadBytes(path), "[A]\r\nK=new\r\n\r\n[B]\r\nN=5\r\n");
  EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(IniSave, DeletedFileIsRecreatedWithOnlyTheNewKeys) {
  TempFolder folder;
  const std::string path = folder.File("UserSet.INI");
  WriteBytes(path, "[FrmMain]\r\nHeight=588\r\nWidth=613\r\n");
  ASSERT_EQ(std::remove(path.c_str()), 0);

  IniFile ini = IniFile::Load(path);
  EXPECT_FALSE(ini.Existed());
  ini.WriteInteger("FrmMain", "Height", 600);
  ini.Save(path);
  EXPECT_EQ(ReadBytes(path), "[FrmMain]\r\nHeight=600\r\n");
}

TEST(IniSave, UnwritableTargetsRaiseTheWriteError) {
  TempFolder folder;
  IniFile ini;
  ini.WriteInteger("A", "K", 1);
  const auto expectWriteError = [&](const std::string& path) {
    try {
      ini.Save(path);
      ADD_FAILURE() << "saved to " << path;
    } catch (const IniWriteError& error) {
      EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
    }
  };
  expectWriteError("/proc/version/UserSet.INI");         // the folder is a file
  expectWriteError(folder.File("missing/UserSet.INI"));  // the folder does not exist
  expectWriteError(folder.File(""));                     // the path is a folder

  // A read-only file stays as it was, even for a user whom permissions do not stop.
  const std::string readOnly = folder.File("ReadOnly.INI");
  WriteBytes(readOnly, "[A]\r\nK=0\r\n");
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  expectWriteError(readOnly);
  EXPECT_EQ(ReadBytes(readOnly), "[A]\r\nK=0\r\n");
  EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(IniSave, ContentThatCouldNotBeReadIsNeverOverwritten) {
  TempFolder folder;
  const std::string fifo = folder.File("UserSet.INI");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  IniFile ini = IniFile::Load(fifo);  // must not block on the pipe
  EXPECT_TRUE(ini.Existed());
  ini.WriteInteger("A", "K", 1);
  EXPECT_THROW(ini.Save(folder.File("Other.INI")), IniWriteError);
}

TEST(IniSave, KeepsThePermissionsAndFollowsALink) {
  TempFolder folder;
  const std::string real = folder.File("real.INI");
  const std::string link = folder.File("UserSet.INI");
  WriteBytes(real, "[A]\r\nK=1\r\n");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);

  IniFile ini = IniFile::Load(link);
  ini.WriteInteger("A", "K", 2);
  ini.Save(link);

  struct stat info {};
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadBytes(real), "[A]\r\nK=2\r\n");
}

// A save killed after creating its temporary and before the rename, as a power cut or SIGKILL
// would end it.
void KillASaveHalfway(const std::string& target) {
  const pid_t child = ::fork();
  if (child == 0) {
    CreateSaveTemporary(target);
    ::raise(SIGKILL);
  }
  ASSERT_GT(child, 0);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);
}

TEST(IniSave, ClearsAwayTheLeftoversOfKilledSavesAndNothingElse) {
  TempFolder folder;
  const std::string path = folder.File("UserSet.INI");
  WriteBytes(path, "[A]\r\nK=1\r\n");
  for (int kill = 0; kill < 3; ++kill) KillASaveHalfway(path);
  EXPECT_EQ(folder.EntryCount(), 4u);

  // Names an operator or another program may have chosen, and things a save never makes.
  const std::vector<std::string> kept = {
      "UserSet.INI.backup",        "UserSet.INI.231201",        "Other.INI.saving-abc123",
      "userset.ini.saving-abc123", "UserSet.INI.saving-abc12",  "UserSet.INI.saving-abc1234",
      "UserSet.INI.saving-ab c1",  "UserSet.INI.saving-link12", "UserSet.INI.saving-hard12",
      "UserSet.INI.saving-fifo12", "UserSet.INI.saving-dir123"};
  for (const std::string& name : kept) WriteBytes(folder.File(name), "keep");
  std::filesystem::remove(folder.File("UserSet.INI.saving-link12"));
  ASSERT_EQ(::symlink(folder.File("UserSet.INI.backup").c_str(),
                      folder.File("UserSet.INI.saving-link12").c_str()),
            0);
  ASSERT_EQ(
      ::link(folder.File("UserSet.INI.saving-hard12").c_str(), folder.File("hard copy").c_str()),
      0);
  std::filesystem::remove(folder.File("UserSet.INI.saving-fifo12"));
  ASSERT_EQ(::mkfifo(folder.File("UserSet.INI.saving-fifo12").c_str(), 0600), 0);
  std::filesystem::remove(folder.File("UserSet.INI.saving-dir123"));
  std::filesystem::create_directory(folder.File("UserSet.INI.saving-dir123"));
  // A second console in the middle of its own save.
  const SaveTemporary inProgress = CreateSaveTemporary(path);
  ASSERT_GE(inProgress.fd, 0);

  IniFile ini = IniFile::Load(path);
  ini.WriteInteger("A", "K", 2);
  ini.Save(path);
  EXPECT_EQ(ReadBytes(path), "[A]\r\nK=2\r\n");
  EXPECT_EQ(folder.EntryCount(), 1 + kept.size() + 1 + 1);  // hard copy, save in progress
  for (const std::string& name : kept) {
    EXPECT_TRUE(std::filesystem::symlink_status(folder.File(name)).type() !=
                std::filesystem::file_type::not_found)
        << name;
  }
  EXPECT_EQ(ReadBytes(folder.File("UserSet.INI.backup")), "keep");

  // Once that save has ended without renaming, its file is a leftover like the others.
  ::close(inProgress.fd);
  EXPECT_EQ(RemoveStaleSaveTemporaries(path), 1u);
  EXPECT_EQ(RemoveStaleSaveTemporaries(path), 0u);
}

}  // namespace
}  // namespace climate
