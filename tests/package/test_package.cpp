// The Debian package as a user gets it: packed by CPack into a scratch folder, unpacked with
// dpkg -x into a scratch root, and checked there: where every file lands, what the package
// depends on, what lintian says, and the launcher it installs, run from that root.
// One process for the whole suite, so the package is built once.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "assets/sound_bank.h"
#include "store/synthetic_hits.h"
#include "tests/store_support.h"
#include "tests/support.h"

namespace fs = std::filesystem;

namespace {

struct Output {
  int status = -1;  // the exit code, or -1 when the command did not exit normally
  std::string text;  // standard output and standard error
};

Output run(const std::string& command) {
  Output out;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return out;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.text.append(buf, n);
  int status = pclose(pipe);
  if (WIFEXITED(status)) out.status = WEXITSTATUS(status);
  return out;
}

std::string shell_word(const std::string& s) { return "'" + s + "'"; }

std::string trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

// Pixel width and height from a PNG's header; 0 x 0 when it is not a PNG.
std::pair<uint32_t, uint32_t> png_size(const std::string& path) {
  unsigned char h[24] = {};
  std::ifstream(path, std::ios::binary).read((char*)h, sizeof h);
  if (h[1] != 'P' || h[2] != 'N' || h[3] != 'G') return {0, 0};
  auto be32 = [](const unsigned char* p) {
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
  };
  return {be32(h + 16), be32(h + 20)};
}

std::string first_bytes(const std::string& path, size_t n) {
  std::string s(n, '\0');
  std::ifstream(path, std::ios::binary).read(s.data(), (std::streamsize)n);
  return s;
}

// key=value lines of the desktop entry's main group.
std::map<std::string, std::string> desktop_entry(const std::string& path) {
  std::map<std::string, std::string> keys;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    size_t eq = line.find('=');
    if (eq != std::string::npos && line[0] != '#') keys[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return keys;
}

}  // namespace

class Package : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch = make_temp_dir();
    Output packed = run(shell_word(HXM_CPACK) + " --config " +
                        shell_word(HXM_BUILD_DIR "/CPackConfig.cmake") + " -B " +
                        shell_word(scratch + "/out"));
    log = packed.text;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(scratch + "/out", ec))
      if (e.path().extension() == ".deb") deb = e.path().string();
    if (packed.status != 0 || deb.empty()) return;
    Output unpacked = run("dpkg -x " + shell_word(deb) + " " + shell_word(scratch + "/root"));
    log += unpacked.text;
    if (unpacked.status != 0) return;
    root = scratch + "/root";
    // What the fonts-paratype dependency puts in place.
    fs::create_directories(root + fs::path(HXM_FONT_SOURCE).parent_path().string(), ec);
    fs::create_symlink(HXM_FONT_SOURCE, root + HXM_FONT_SOURCE, ec);
  }
  static void TearDownTestSuite() { remove_tree(scratch); }

  void SetUp() override { ASSERT_FALSE(root.empty()) << "the package was not built:\n" << log; }

  // The installed launcher, started in `cwd` with HOME and XDG_DATA_HOME (unset when null),
  // on SDL's dummy drivers.
  static pid_t start_launcher(const std::string& cwd, const std::string& home, const char* xdg) {
    std::string launcher = root + "/usr/bin/hxm";
    pid_t pid = fork();
    if (pid == 0) {
      if (chdir(cwd.c_str()) != 0) _exit(100);
      setenv("HOME", home.c_str(), 1);
      if (xdg) setenv("XDG_DATA_HOME", xdg, 1);
      else unsetenv("XDG_DATA_HOME");
      setenv("SDL_VIDEODRIVER", "dummy", 1);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      execl(launcher.c_str(), "hxm", (char*)nullptr);
      _exit(101);
    }
    return pid;
  }

  // Waits until the program has made or opened its database (the store writes its tables),
  // or it has ended; true in the first case.
  static bool wait_for_store(pid_t pid, const std::string& db_path) {
    for (int i = 0; i < 300; ++i) {
      if (waitpid(pid, nullptr, WNOHANG) != 0) return false;
      sqlite3* db = nullptr;
      if (fs::exists(db_path) &&
          sqlite3_open_v2(db_path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        bool ready =
            query_text(db, "SELECT count(*) FROM sqlite_master WHERE name = 'user';") == "1";
        sqlite3_close(db);
        if (ready) return true;
      } else {
        sqlite3_close(db);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  // Asks the program to quit as a window manager would; its exit code, or -1. It quits from its
  // main loop, so on a busy machine that waits for the rest of its start-up.
  static int stop(pid_t pid) {
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 1200; ++i) {
      pid_t done = waitpid(pid, &status, WNOHANG);
      if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      if (done < 0) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }

  static inline std::string scratch, deb, root, log;
};

TEST_F(Package, IsNamedForItsVersionAndArchitecture) {
  std::string version = trimmed(run("dpkg-deb -f " + shell_word(deb) + " Version").text);
  std::string arch = trimmed(run("dpkg --print-architecture").text);
  EXPECT_EQ(fs::path(deb).filename().string(), "hxm_" + version + "_" + arch + ".deb");
  EXPECT_EQ(trimmed(run("dpkg-deb -f " + shell_word(deb) + " Architecture").text), arch);
  // The changelog's latest entry is this version.
  std::string changelog = run("zcat " + shell_word(root + "/usr/share/doc/hxm/changelog.gz")).text;
  EXPECT_EQ(changelog.rfind("hxm (" + version + ") ", 0), 0u) << changelog;
}

TEST_F(Package, DependsOnTheLibrariesItLinksAndOnTheFont) {
  std::string depends = run("dpkg-deb -f " + shell_word(deb) + " Depends").text;
  // Found by dpkg-shlibdeps, so each library comes with its minimum version.
  for (const char* library : {"libc6 (>=", "libsdl2-2.0-0 (>=", "libsdl2-mixer-2.0-0 (>=",
                              "libsdl2-ttf-2.0-0 (>=", "libsqlite3-0 (>="})
    EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;
  // The pictures are compiled in as packed pixels: no image library is needed.
  EXPECT_EQ(depends.find("libsdl2-image"), std::string::npos) << depends;
  EXPECT_NE(depends.find("fonts-paratype"), std::string::npos) << depends;
}

TEST_F(Package, EveryFileLandsWhereItBelongs) {
  enum Kind { SCRIPT, PROGRAM, DATA };
  struct Expected {
    std::string path;
    Kind kind;
  };
  std::vector<Expected> files = {
      {"usr/bin/hxm", SCRIPT},
      {"usr/libexec/hxm/hxm", PROGRAM},
      {"usr/share/applications/hxm.desktop", DATA},
      {"usr/share/icons/hicolor/scalable/apps/hxm.svg", DATA},
      {"usr/lib/udev/rules.d/70-hxm-ch340.rules", DATA},
      {"usr/share/man/man6/hxm.6.gz", DATA},
      {"usr/share/doc/hxm/copyright", DATA},
      {"usr/share/doc/hxm/changelog.gz", DATA},
  };
  for (const char* sound : sound_slot_paths) files.push_back({"usr/share/hxm/" + std::string(sound), DATA});
  for (const Expected& f : files) {
    std::string path = root + "/" + f.path;
    struct stat st {};
    ASSERT_EQ(lstat(path.c_str(), &st), 0) << f.path;
    EXPECT_TRUE(S_ISREG(st.st_mode)) << f.path;
    EXPECT_GT(st.st_size, 0) << f.path;
    EXPECT_EQ((st.st_mode & 0111) != 0, f.kind != DATA) << f.path;
    if (f.kind == SCRIPT) {
      EXPECT_EQ(first_bytes(path, 10), "#!/bin/sh\n") << f.path;
    }
    if (f.kind == PROGRAM) {
      EXPECT_EQ(first_bytes(path, 4), "\x7f" "ELF") << f.path;
    }
  }

  // The font is the font package's file, through a relative link.
  std::string link = "/usr/share/hxm/font/hxm_font.ttf";
  ASSERT_TRUE(fs::is_symlink(root + link));
  fs::path target = fs::read_symlink(root + link);
  EXPECT_TRUE(target.is_relative()) << target;
  EXPECT_EQ((fs::path(link).parent_path() / target).lexically_normal(), fs::path(HXM_FONT_SOURCE));

  // Nothing outside /usr (the font package's file above is the test's own).
  for (const fs::directory_entry& e : fs::directory_iterator(root))
    EXPECT_EQ(e.path().filename(), "usr") << e.path();
}

TEST_F(Package, MenuEntryStartsTheLauncherWithItsIcon) {
  auto entry = desktop_entry(root + "/usr/share/applications/hxm.desktop");
  std::string command = entry["Exec"].substr(0, entry["Exec"].find(' '));
  EXPECT_EQ(access((root + "/usr/bin/" + command).c_str(), X_OK), 0) << entry["Exec"];
  EXPECT_FALSE(entry["Name"].empty());
  EXPECT_FALSE(entry["Name[ru]"].empty());
  EXPECT_NE(entry["Name[ru]"], entry["Name"]);
  EXPECT_NE(entry["Categories"].find("Game;"), std::string::npos) << entry["Categories"];
  EXPECT_NE(entry["Categories"].find("Sports;"), std::string::npos) << entry["Categories"];

  // The icon theme's usual sizes, each of its own size.
  for (uint32_t size : {16u, 24u, 32u, 48u, 64u, 128u, 256u}) {
    std::string dir = std::to_string(size) + "x" + std::to_string(size);
    std::string png = root + "/usr/share/icons/hicolor/" + dir + "/apps/" + entry["Icon"] + ".png";
    EXPECT_EQ(png_size(png), std::make_pair(size, size)) << png;
  }
}

TEST_F(Package, LintianFindsNoErrors) {
  Output lint = run("lintian --fail-on error " + shell_word(deb));
  EXPECT_EQ(lint.status, 0) << lint.text;
}

TEST_F(Package, LauncherKeepsTheRecordsInTheUsersDataDirectory) {
  enum Xdg { UNSET, ABSOLUTE, RELATIVE };  // XDG_DATA_HOME: absolute is <case>/data
  struct Case {
    Xdg xdg;
    const char* records;  // where hxm.db must appear, under the case's folder
  };
  const Case cases[] = {
      {ABSOLUTE, "data/hxm"},
      {UNSET, "home/.local/share/hxm"},
      {RELATIVE, "home/.local/share/hxm"},  // ignored: it would depend on where it is started
  };
  for (const Case& c : cases) {
    std::string dir = make_temp_dir();
    ASSERT_FALSE(dir.empty());
    fs::create_directories(dir + "/home");
    std::string xdg = c.xdg == ABSOLUTE ? dir + "/data" : c.xdg == RELATIVE ? "data" : "";
    pid_t pid = start_launcher(dir, dir + "/home", c.xdg == UNSET ? nullptr : xdg.c_str());
    ASSERT_GT(pid, 0);
    std::string records = dir + "/" + c.records;
    EXPECT_TRUE(wait_for_store(pid, records + "/hxm.db")) << records;
    EXPECT_EQ(stop(pid), 0) << "the installed program ran and quit cleanly";
    // Made for this user alone, and nothing written anywhere else.
    EXPECT_EQ(fs::status(records).permissions() & fs::perms::all, fs::perms::owner_all) << records;
    EXPECT_FALSE(fs::exists(dir + "/hxm.db"));
    if (c.xdg != ABSOLUTE) {
      EXPECT_FALSE(fs::exists(dir + "/data")) << "case " << c.xdg;
    }
    remove_tree(dir);
  }
}

TEST_F(Package, LauncherUsesAnExistingDatabaseAndLeavesItIntact) {
  std::string dir = make_temp_dir();
  ASSERT_FALSE(dir.empty());
  std::string records = dir + "/data/hxm";
  fs::create_directories(records);
  std::string db_path = records + "/hxm.db";
  ASSERT_TRUE(fill_synthetic_hits(db_path.c_str(), 40, 30, 7));
  // Without its user table the program's schema step shows it opened this very file.
  const char* rows_sql =
      "SELECT group_concat(id || ':' || value || ':' || record_position, ',') "
      "FROM (SELECT * FROM training_hit_power ORDER BY id);";
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(db_path.c_str(), &db), SQLITE_OK);
  exec_sql(db, "DROP TABLE user;");
  std::string rows_before = query_text(db, rows_sql);
  sqlite3_close(db);
  ASSERT_FALSE(rows_before.empty());
  struct stat before {};
  ASSERT_EQ(stat(db_path.c_str(), &before), 0);

  pid_t pid = start_launcher(dir, dir + "/home", (dir + "/data").c_str());
  ASSERT_GT(pid, 0);
  EXPECT_TRUE(wait_for_store(pid, db_path));
  EXPECT_EQ(stop(pid), 0);

  struct stat after {};
  ASSERT_EQ(stat(db_path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
  ASSERT_EQ(sqlite3_open_v2(db_path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  EXPECT_EQ(query_text(db, rows_sql), rows_before);
  EXPECT_EQ(query_text(db, "PRAGMA integrity_check;"), "ok");
  sqlite3_close(db);
  remove_tree(dir);
}

// A data folder someone else could have planted or may change is refused with one line and
// the program is not started; a folder of the user's own is made private.
TEST_F(Package, LauncherRefusesADataFolderOthersControl) {
  struct Case {
    const char* what;
    void (*plant)(const std::string& records);
    const char* says;
  };
  const Case cases[] = {
      {"a symbolic link",
       [](const std::string& r) {
         fs::create_directories(r + ".elsewhere");
         fs::create_symlink(r + ".elsewhere", r);
       },
       "it is a symbolic link"},
      {"writable by all",
       [](const std::string& r) {
         fs::create_directories(r);
         chmod(r.c_str(), 0777);
       },
       "others may write to it"},
      {"writable by the group",
       [](const std::string& r) {
         fs::create_directories(r);
         chmod(r.c_str(), 0770);
       },
       "others may write to it"},
      {"another user's",
       [](const std::string& r) {
         fs::create_directories(r);
         if (chown(r.c_str(), 65534, 65534) != 0) return;
       },
       "it belongs to another user"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string dir = make_temp_dir();
    ASSERT_FALSE(dir.empty());
    std::string records = dir + "/data/hxm";
    fs::create_directories(dir + "/data");
    c.plant(records);
    struct stat st {};
    if (std::string(c.what) == "another user's" && (lstat(records.c_str(), &st) != 0 || st.st_uid == getuid())) {
      remove_tree(dir);
      continue;  // not root: cannot give a folder away
    }
    pid_t pid = start_launcher(dir, dir + "/home", (dir + "/data").c_str());
    ASSERT_GT(pid, 0);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_FALSE(fs::exists(records + "/hxm.db"));
    EXPECT_FALSE(fs::exists(records + ".elsewhere/hxm.db"));
    remove_tree(dir);
  }

  // The user's own folder, open to reading by others: made private, and so is hxm.db; a font
  // planted in it is not the one the program loads.
  std::string dir = make_temp_dir();
  std::string records = dir + "/data/hxm";
  fs::create_directories(records + "/font");
  chmod(records.c_str(), 0755);
  std::ofstream(records + "/font/hxm_font.ttf") << "not a font";
  pid_t pid = start_launcher(dir, dir + "/home", (dir + "/data").c_str());
  ASSERT_GT(pid, 0);
  EXPECT_TRUE(wait_for_store(pid, records + "/hxm.db")) << "the planted font stopped it";
  EXPECT_EQ(stop(pid), 0);
  EXPECT_EQ(fs::status(records).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(fs::status(records + "/hxm.db").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  remove_tree(dir);
}

// The seat rules (73-seat-late.rules) turn the uaccess tag into the seat user's access; a rule
// that sorts after them tags the adapter too late, so it is read in name order before them.
TEST_F(Package, TheAdapterRuleComesBeforeTheSeatRules) {
  std::vector<std::string> rules;
  for (const fs::directory_entry& e : fs::directory_iterator(root + "/usr/lib/udev/rules.d"))
    rules.push_back(e.path().filename().string());
  ASSERT_EQ(rules.size(), 1u);
  EXPECT_LT(rules[0], std::string("73-seat-late.rules"));
  std::ifstream in(root + "/usr/lib/udev/rules.d/" + rules[0]);
  int tagged = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    EXPECT_NE(line.find("ATTRS{idVendor}==\"1a86\""), std::string::npos) << line;
    EXPECT_NE(line.find("TAG+=\"uaccess\""), std::string::npos) << line;
    tagged += 1;
  }
  EXPECT_EQ(tagged, 2) << "the CH340 and CH341 product ids";
}
