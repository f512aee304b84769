// Where the program looks for its font and sounds: the working directory, its own directory,
// then the installed data directory beside its installed place.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/data_dir.h"
#include "assets/catalog.h"
#include "tests/support.h"

namespace {

void put_font(const std::string& dir) {
  std::filesystem::create_directories(dir + "/font");
  std::ofstream(dir + "/" + FONT_PATH) << "font";
}

}  // namespace

TEST(DataDir, FirstPlaceHoldingTheFontWins) {
  enum Where { WORKING, PROGRAM, INSTALLED, NOWHERE };
  struct Case {
    bool in_working, beside_program, installed;
    Where found;
    bool launched = false;
  };
  const Case cases[] = {
      {true, true, true, WORKING},       // the run directory, as `make run` starts it
      {false, true, true, PROGRAM},      // the build's program started from elsewhere
      {false, false, true, INSTALLED},   // the installed program, started by its launcher
      {false, false, false, NOWHERE},    // paths stay relative, so the error names them
      // The launcher starts it in the user's data folder: a font planted there is not used.
      {true, false, true, INSTALLED, true},
      {true, false, false, WORKING, true},  // nothing installed: the folder still serves
  };
  std::string before = std::filesystem::current_path().string();
  for (const Case& c : cases) {
    // The layout the install rules make: libexec/hxm/ for the program, share/hxm/ for data.
    std::string root = make_temp_dir();
    ASSERT_FALSE(root.empty());
    std::string working = root + "/home/.local/share/hxm";
    std::string program = root + "/usr/libexec/hxm/";
    std::string installed = root + "/usr/share/hxm/";
    std::filesystem::create_directories(working);
    std::filesystem::create_directories(program);
    if (c.in_working) put_font(working);
    if (c.beside_program) put_font(program);
    if (c.installed) put_font(installed);
    ASSERT_EQ(chdir(working.c_str()), 0);

    std::string expected = c.found == PROGRAM ? program : c.found == INSTALLED ? installed : "";
    EXPECT_EQ(find_data_dir(program, c.launched), expected) << "case " << (&c - cases);
    EXPECT_EQ(find_data_dir(""), "") << "an unknown program directory leaves the paths relative";
    ASSERT_EQ(chdir(before.c_str()), 0);
    remove_tree(root);
  }
}

TEST(DataDir, AFontLinkIntoAMissingPackageStillNamesTheInstalledPath) {
  std::string root = make_temp_dir();
  ASSERT_FALSE(root.empty());
  std::string program = root + "/usr/libexec/hxm/";
  std::filesystem::create_directories(program);
  std::filesystem::create_directories(root + "/usr/share/hxm/font");
  std::filesystem::create_symlink("../../fonts/truetype/paratype/PTS75F.ttf",
                                  root + "/usr/share/hxm/" + FONT_PATH);
  std::string before = std::filesystem::current_path().string();
  ASSERT_EQ(chdir(root.c_str()), 0);
  EXPECT_EQ(find_data_dir(program), root + "/usr/share/hxm/");
  ASSERT_EQ(chdir(before.c_str()), 0);
  remove_tree(root);
}

TEST(DataDir, ProgramDirIsTheRunningExecutablesDirectory) {
  std::string dir = program_dir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_TRUE(std::filesystem::exists(dir + "hxm_tests"));
}
