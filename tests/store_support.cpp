#include "tests/store_support.h"

#include <algorithm>

#include "core/lock_hold.h"
#include "tests/support.h"

void StoreTest::SetUp() {
  dir = make_temp_dir();
  ASSERT_FALSE(dir.empty());
  db_path = dir + "/hxm.db";
  store = new_record_store(nullptr, dir.c_str());
  ASSERT_NE(store, nullptr);
}

void StoreTest::TearDown() {
  free_record_store(store);
  remove_tree(dir);
}

void StoreTest::serve_all() {
  for (int guard = 0; guard < 100000 && store_serve_next(*store); ++guard) {
  }
}

void StoreTest::record(int32_t value, float game_time, const char* mac) {
  ASSERT_TRUE(store_queue_result(*store, value, game_time, mac, local_date_time()));
  serve_all();
}

sqlite3* StoreTest::open_db() {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(db_path.c_str(), &db), SQLITE_OK);
  sqlite3_busy_timeout(db, 5000);
  return db;
}

std::vector<StoredRow> StoreTest::stored_rows() {
  std::vector<StoredRow> rows;
  sqlite3* db = open_db();
  sqlite3_stmt* stmt = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, "SELECT id, record_position, value, game_time FROM "
                                   "training_hit_power ORDER BY id;", -1, &stmt, nullptr),
            SQLITE_OK);
  while (sqlite3_step(stmt) == SQLITE_ROW)
    rows.push_back({sqlite3_column_int64(stmt, 0), sqlite3_column_int(stmt, 1),
                    sqlite3_column_int(stmt, 2), sqlite3_column_double(stmt, 3)});
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return rows;
}

uint32_t StoreTest::requests_done() {
  Hold hold(store->mutex);
  return store->requests_done;
}

void exec_sql(sqlite3* db, const char* sql) {
  char* error = nullptr;
  int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
  EXPECT_EQ(rc, SQLITE_OK) << sql << ": " << (error ? error : "");
  sqlite3_free(error);
}

std::vector<int32_t> expected_positions(const std::vector<StoredRow>& rows) {
  std::vector<size_t> order(rows.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    if (rows[a].value != rows[b].value) return rows[a].value > rows[b].value;
    return rows[a].id > rows[b].id;
  });
  std::vector<int32_t> positions(rows.size(), 0);
  for (size_t k = 0; k < 3 && k < order.size(); ++k) positions[order[k]] = (int32_t)k + 1;
  return positions;
}

std::string query_text(sqlite3* db, const char* sql) {
  sqlite3_stmt* stmt = nullptr;
  std::string text;
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0))
    text = (const char*)sqlite3_column_text(stmt, 0);
  sqlite3_finalize(stmt);
  return text;
}
