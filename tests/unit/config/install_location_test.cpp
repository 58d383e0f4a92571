// Where a copied and an installed console keep their settings and read their files.
#include "app/config/install_location.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "temp_folder.hpp"

namespace climate {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::WriteBytes;

TEST(InstallLocation, CopiedConsoleKeepsEverythingBesideItselfInstalledOneUsesUserFolders) {
  TempFolder root;
  const std::string xdg = root.File("xdg");
  const FolderEnvironment env{xdg, root.File("home")};

  // A copy in a folder of its own, with or without its files.
  fs::create_directories(root.File("copy"));
  const std::string copy = root.File("copy") + "/";
  EXPECT_EQ(ChooseConsoleFolders(copy, env).configDir, copy);
  EXPECT_EQ(ChooseConsoleFolders(copy, env).dataDir, copy);
  EXPECT_FALSE(fs::exists(xdg));

  // The package layout: <prefix>/bin and <prefix>/share/cabinet-climate-console. Even when the
  // program folder could be written (root), the settings go to the user's folder, made for them.
  fs::create_directories(root.File("usr/bin"));
  fs::create_directories(root.File("usr/share/cabinet-climate-console"));
  WriteBytes(root.File("usr/share/cabinet-climate-console/Help.txt"), "help");
  const std::string bin = root.File("usr/bin") + "/";
  ConsoleFolders installed = ChooseConsoleFolders(bin, env);
  EXPECT_EQ(installed.dataDir, root.File("usr/share/cabinet-climate-console") + "/");
  EXPECT_EQ(installed.configDir, xdg + "/cabinet-climate-console/");
  EXPECT_TRUE(fs::is_directory(installed.configDir));

  // Without XDG_CONFIG_HOME (or with a relative one): ~/.config.
  installed = ChooseConsoleFolders(bin, {"relative/dir", root.File("home")});
  EXPECT_EQ(installed.configDir, root.File("home") + "/.config/cabinet-climate-console/");

  // A UserSet.INI beside the installed program wins: an operator who put one there means it.
  WriteBytes(bin + "UserSet.INI", "[UserSet]\r\n");
  EXPECT_EQ(ChooseConsoleFolders(bin, env).configDir, bin);
}

TEST(InstallLocation, UnwritableCopyFolderFallsBackToTheUserFolder) {
  TempFolder root;
  // A folder path that runs through a regular file cannot be written, not even by root.
  WriteBytes(root.File("file"), "x");
  const std::string blocked = root.File("file") + "/";
  const ConsoleFolders folders = ChooseConsoleFolders(blocked, {root.File("xdg"), ""});
  EXPECT_EQ(folders.configDir, root.File("xdg") + "/cabinet-climate-console/");
  EXPECT_EQ(folders.dataDir, blocked);
  // No home and no XDG folder: nowhere better to go, the window reports the unwritable file.
  EXPECT_EQ(ChooseConsoleFolders(blocked, {"", ""}).configDir, blocked);
}

}  // namespace
}  // namespace climate
