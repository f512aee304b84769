// Test pieces for the record store: a store in its own temporary directory, driven without its
// thread, and a second connection to look at the file with SQL.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "store/record_store.h"

// One row as the table holds it.
struct StoredRow {
  int64_t id;
  int32_t record_position;
  int32_t value;
  double game_time;
};

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Handles queued requests until the queue is empty.
  void serve_all();
  // A result queued as the hit-power training queues it, then served.
  void record(int32_t value, float game_time = 1.0f, const char* mac = "A4C1380F12AB");
  // Opens a connection of the test's own to the store's file.
  sqlite3* open_db();
  // Every row by id, through that connection.
  std::vector<StoredRow> stored_rows();
  uint32_t requests_done();

  std::string dir;
  std::string db_path;
  RecordStore* store = nullptr;
};

// Runs SQL on a connection; fails the test when it does not succeed.
void exec_sql(sqlite3* db, const char* sql);
// The positions 1-3 that the ranking rule gives a table: best value first, the newer row
// first on a tie; every other row 0. Indexed like `rows`.
std::vector<int32_t> expected_positions(const std::vector<StoredRow>& rows);
// The single text answer of a query ("" when there is none).
std::string query_text(sqlite3* db, const char* sql);
