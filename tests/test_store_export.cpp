// hxm-store export: the stored hits as CSV, run as the command a user runs.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "store/record_store.h"
#include "store/store_internal.h"
#include "store/synthetic_hits.h"
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

// The program may be writing while the export runs: the export reads what is committed and
// neither waits for the writer nor holds it up.
TEST_F(StoreExport, ReadsTheCommittedRowsWhileAWriterIsAtWork) {
  make_database("INSERT INTO training_hit_power (value, game_time, year, month, day, hour, minute, "
                "second, mac_address) VALUES (50, 1, 2025, 5, 5, 5, 5, 5, 'A4C1380F12AB');");
  sqlite3* writer = store_open(db_path.c_str());
  ASSERT_TRUE(store_exec(writer, "BEGIN IMMEDIATE;"));
  ASSERT_TRUE(store_exec(writer, "INSERT INTO training_hit_power (value, game_time, year, month, "
                                 "day, hour, minute, second, mac_address) VALUES (60, 1, 2025, 5, "
                                 "5, 5, 5, 6, 'A4C1380F12AB');"));
  int code = run("");
  EXPECT_TRUE(store_exec(writer, "COMMIT;"));
  sqlite3_close(writer);
  EXPECT_EQ(code, 0) << err;
  EXPECT_EQ(out, std::string(HEADER) + "1,0,50,1,2025-05-05 05:05:05,A4C1380F12AB\r\n");
}

// A slow reader of the export (a pipe nobody drains for seconds) beside the program storing
// hits: every hit is stored at once, none is lost.
TEST_F(StoreExport, ASlowReaderHoldsUpNoHit) {
  ASSERT_TRUE(fill_synthetic_hits(db_path.c_str(), 20000, 30, 3));  // far more than a pipe holds
  std::string command = std::string(HXM_STORE_TOOL) + " -d " + dir +
                        " export | (sleep 4; cat >/dev/null)";
  pid_t reader = fork();
  ASSERT_GE(reader, 0);
  if (reader == 0) {
    execl("/bin/sh", "sh", "-c", command.c_str(), (char*)nullptr);
    _exit(127);
  }
  usleep(1000 * 1000);  // the export is under way, its pipe full
  RecordStore* store = new_record_store(nullptr, dir.c_str());
  store_begin(*store);
  while (store_serve_next(*store)) {
  }
  double slowest = 0.0;
  for (int i = 0; i < 10; ++i) {
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(store_queue_result(*store, 100 + i, 1.0f, "A4C1380F12AB", local_date_time()));
    while (store_serve_next(*store)) {
    }
    slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  StoreView view;
  store_read_view(*store, view);
  EXPECT_EQ(view.run_hits, 10);
  EXPECT_EQ(view.unsaved, 0);
  EXPECT_EQ(view.table_rows, 20010) << "hits lost";
  EXPECT_LT(slowest, 2.0) << "seconds for one hit while the export waited on its reader";
  RecordProperty("slowest_hit_ms", (int)(slowest * 1000));
  free_record_store(store);
  int status = 0;
  waitpid(reader, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// What export must never do to what it is given: write over the database, a directory, a
// device or a FIFO, or leave a half-written or emptied file when the read fails.
TEST_F(StoreExport, RefusesTargetsItWouldHarmAndChangesNothingOnFailure) {
  make_database("INSERT INTO training_hit_power (value, game_time, year, month, day, hour, minute, "
                "second, mac_address) VALUES (50, 1, 2025, 5, 5, 5, 5, 5, 'A4C1380F12AB');");
  const std::string database = read(db_path);
  ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
  mkdir((dir + "/folder").c_str(), 0700);
  const struct {
    std::string target;
    const char* why;
  } refused[] = {
      {db_path, "it is the record database"},
      {dir + "/./hxm.db", "it is the record database"},
      {dir + "/folder", "it is a directory"},
      {dir + "/fifo", "it is not a regular file"},
      {"/dev/null", "it is not a regular file"},
  };
  for (const auto& r : refused) {
    EXPECT_EQ(run(r.target), 1) << r.target;
    EXPECT_EQ(err, "hxm-store: will not export to " + r.target + ": " + r.why + "\n");
  }
  EXPECT_EQ(read(db_path), database);

  // A read that fails half way: the file there and a symlink's target keep their bytes, and
  // standard output gets nothing.
  std::ofstream(dir + "/old.csv") << "old contents";
  ASSERT_EQ(symlink("old.csv", (dir + "/link.csv").c_str()), 0);
  sqlite3* db = store_open(db_path.c_str());
  for (int i = 0; i < 40; ++i)
    store_exec(db, "INSERT INTO training_hit_power (value, game_time, year, month, day, hour, "
                   "minute, second, mac_address) SELECT value, game_time, year, month, day, hour, "
                   "minute, second, mac_address || 'padding padding padding padding' FROM "
                   "training_hit_power LIMIT 1000;");
  store_exec(db, "PRAGMA wal_checkpoint(TRUNCATE);");
  sqlite3_close(db);
  std::string bytes = read(db_path);
  ASSERT_GT(bytes.size(), 60000u);
  for (size_t at = bytes.size() / 2; at < bytes.size(); ++at) bytes[at] = (char)(at * 7);
  std::ofstream(db_path, std::ios::binary | std::ios::trunc) << bytes;
  for (const std::string& target : {dir + "/old.csv", dir + "/link.csv"}) {
    EXPECT_EQ(run(target), 1) << target;
    EXPECT_EQ(read(dir + "/old.csv"), "old contents");
  }
  EXPECT_EQ(run(""), 1);
  EXPECT_EQ(out, "") << "a partial export to standard output looks complete";
  for (const auto& e : std::filesystem::directory_iterator(dir))
    EXPECT_EQ(e.path().filename().string().find(".csv."), std::string::npos) << e.path();
}

// A FIFO named hxm.db would block an open for reading until someone writes to it.
TEST_F(StoreExport, AFifoInPlaceOfTheDatabaseIsRefusedAtOnce) {
  ASSERT_EQ(mkfifo(db_path.c_str(), 0600), 0);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(run(""), 1);
  EXPECT_NE(err.find("not a regular file"), std::string::npos) << err;
  std::string command = std::string(HXM_STORE_TOOL) + " -d " + dir + " show >/dev/null 2>&1";
  int status = system(command.c_str());
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// show reads a foreign file without adding the program's tables to it, and a damaged file is
// a failure, not "rows: 0".
TEST_F(StoreExport, ShowOnlyReadsAndFailsOnDamage) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(db_path.c_str(), &db), SQLITE_OK);
  ASSERT_TRUE(store_exec(db, "CREATE TABLE notes (text);"));
  sqlite3_close(db);
  const std::string foreign = read(db_path);
  std::string command = std::string(HXM_STORE_TOOL) + " -d " + dir + " show >" + dir + "/stdout 2>&1";
  int status = system(command.c_str());
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << read(dir + "/stdout");
  EXPECT_NE(read(dir + "/stdout").find("no such table"), std::string::npos) << read(dir + "/stdout");
  EXPECT_EQ(read(db_path), foreign) << "show wrote to a foreign file";

  std::ofstream(db_path, std::ios::binary | std::ios::trunc) << std::string(3000, 'x');
  status = system(command.c_str());
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << read(dir + "/stdout");
  EXPECT_NE(read(dir + "/stdout").find("file is not a database"), std::string::npos);
}

}  // namespace
