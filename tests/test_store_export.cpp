// hxm-store export: the stored hits as CSV, run as the command a user runs.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "store/record_store.h"
#include "store/store_internal.h"
#include "tests/support.h"

namespace {

class StoreExport : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = make_temp_dir();
    ASSERT_FALSE(dir.empty());
    db_path = dir + "/hxm.db";
  }
  void TearDown() override { remove_tree(dir); }

  // A database with the program's schema and these rows, written as another program might.
  void make_database(const char* rows_sql) {
    sqlite3* db = store_open(db_path.c_str());
    ASSERT_NE(db, nullptr);
    ASSERT_TRUE(store_exec(db, STORE_SCHEMA_SQL));
    if (rows_sql) {
      ASSERT_TRUE(store_exec(db, rows_sql)) << sqlite3_errmsg(db);
    }
    sqlite3_close(db);
  }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Runs `hxm-store -d DIR export ARGS`; standard output and error land in `out` and `err`.
  int run(const std::string& args) {
    std::string command = std::string(HXM_STORE_TOOL) + " -d " + dir + " export " + args + " >" + dir +
                          "/stdout 2>" + dir + "/stderr";
    int status = system(command.c_str());
    out = read(dir + "/stdout");
    err = read(dir + "/stderr");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string dir, db_path, out, err;
};

const char HEADER[] = "id,record_position,value,game_time,date_time,mac_address\r\n";

TEST_F(StoreExport, EveryRowInTableOrderWithFieldsQuotedWhereNeeded) {
  make_database(
      "INSERT INTO training_hit_power (record_position, value, game_time, year, month, day, hour, "
      "minute, second, mac_address) VALUES "
      "(1, 201, 1.5, 2025, 3, 1, 9, 5, 7, 'A4C1380F12AB'),"
      "(0, 17, 12.7, 2025, 12, 31, 23, 59, 59, 'AB,CD'),"
      "(2, 150, 0.30000001192092896, 2026, 1, 2, 0, 0, 0, 'say \"hi\"'),"
      "(0, 3, 4, 2026, 1, 2, 0, 0, 1, ''),"
      "(3, 99, 2.25, 2026, 1, 2, 0, 0, 2, 'line\nbreak ё');");
  ASSERT_EQ(run(""), 0) << err;
  EXPECT_EQ(out, std::string(HEADER) +
                     "1,1,201,1.5,2025-03-01 09:05:07,A4C1380F12AB\r\n"
                     "2,0,17,12.7,2025-12-31 23:59:59,\"AB,CD\"\r\n"
                     "3,2,150,0.3,2026-01-02 00:00:00,\"say \"\"hi\"\"\"\r\n"
                     "4,0,3,4,2026-01-02 00:00:01,\r\n"
                     "5,3,99,2.25,2026-01-02 00:00:02,\"line\nbreak ё\"\r\n");
  EXPECT_EQ(err, "");
  // The same into a file.
  ASSERT_EQ(run(dir + "/hits.csv"), 0) << err;
  EXPECT_EQ(out, "");
  EXPECT_EQ(read(dir + "/hits.csv").substr(0, sizeof HEADER - 1), HEADER);
}

TEST_F(StoreExport, AnEmptyDatabaseGivesTheHeaderAlone) {
  make_database(nullptr);
  ASSERT_EQ(run(""), 0) << err;
  EXPECT_EQ(out, HEADER);
}

TEST_F(StoreExport, AMissingOrDamagedDatabaseFailsWithOneLine) {
  ASSERT_EQ(run(""), 1);
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "hxm-store: no database at " + db_path + "\n");

  std::ofstream(db_path, std::ios::binary) << std::string(3000, 'x');
  ASSERT_EQ(run(dir + "/hits.csv"), 1);
  EXPECT_EQ(err, "hxm-store: cannot read " + db_path + ": file is not a database\n");
  EXPECT_FALSE(std::ifstream(dir + "/hits.csv").good()) << "no half-written file is left";
  EXPECT_EQ(read(db_path), std::string(3000, 'x')) << "the file is only read";
}

// The program may be writing while the export runs: the export waits for the writer's lock.
TEST_F(StoreExport, WaitsForAWriterInsteadOfFailing) {
  make_database("INSERT INTO training_hit_power (value, game_time, year, month, day, hour, minute, "
                "second, mac_address) VALUES (50, 1, 2025, 5, 5, 5, 5, 5, 'A4C1380F12AB');");
  sqlite3* writer = store_open(db_path.c_str());
  ASSERT_TRUE(store_exec(writer, "BEGIN EXCLUSIVE;"));
  std::thread release([writer] {
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    store_exec(writer, "COMMIT;");
  });
  auto start = std::chrono::steady_clock::now();
  int code = run("");
  auto waited = std::chrono::steady_clock::now() - start;
  release.join();
  sqlite3_close(writer);
  EXPECT_EQ(code, 0) << err;
  EXPECT_GE(waited, std::chrono::milliseconds(300));
  EXPECT_EQ(out, std::string(HEADER) + "1,0,50,1,2025-05-05 05:05:05,A4C1380F12AB\r\n");
}

}  // namespace
