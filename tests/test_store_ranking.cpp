// Ranking against the file, not memory: positions 1-3 stay unique and right after a start
// that could not read the file, beside another copy of the program, over a file that already
// holds a position twice; and a failed ranking rolls the whole insert back, is tried once
// more, then reported and kept for a later attempt.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "store/store_internal.h"
#include "store/synthetic_hits.h"
#include "tests/store_support.h"

namespace {

// How many positions 1-3 are held by more than one row.
std::string doubled_positions(sqlite3* db) {
  return query_text(db, "SELECT count(*) FROM (SELECT record_position FROM training_hit_power "
                        "WHERE record_position BETWEEN 1 AND 3 GROUP BY record_position "
                        "HAVING count(*) > 1);");
}

void put_ranked(sqlite3* db, int value, int position) {
  char sql[300];
  snprintf(sql, sizeof sql,
           "INSERT INTO training_hit_power (record_position, value, game_time, year, month, day, "
           "hour, minute, second, mac_address) VALUES (%d, %d, 1.0, 2025, 1, 2, 3, 4, 5, "
           "'A4C1380F12AB');",
           position, value);
  exec_sql(db, sql);
}

std::vector<int32_t> positions_of(const std::vector<StoredRow>& rows) {
  std::vector<int32_t> p;
  for (const StoredRow& r : rows) p.push_back(r.record_position);
  return p;
}

// A second store on the same file: another copy of the program.
class TwoStores : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    other = new_record_store(nullptr, dir.c_str());
  }
  void TearDown() override {
    free_record_store(other);
    StoreTest::TearDown();
  }
  void record_other(int32_t value) {
    ASSERT_TRUE(store_queue_result(*other, value, 1.0f, "A4C1380F0002", local_date_time()));
    while (store_serve_next(*other)) {
    }
  }
  RecordStore* other = nullptr;
};

}  // namespace

// Records the store has not read: a start that found the file locked leaves the store
// knowing none, and a file an older program (or anyone) left may hold a position twice or
// leave a better row unranked. Each hit makes positions 1-3 the three best rows again.
TEST_F(StoreTest, RankingFollowsTheFileNotMemory) {
  const struct {
    const char* what;
    std::vector<std::pair<int, int>> stored;  // value, position
    bool read_first;
    std::vector<int32_t> hits;
    std::vector<int32_t> positions;  // every row's, by id
  } cases[] = {
      {"the first read failed", {{90, 1}, {80, 2}, {70, 3}, {60, 0}}, false, {100, 95}, {3, 0, 0, 0, 1, 2}},
      {"a position held twice", {{80, 1}, {90, 1}, {70, 2}}, true, {75}, {2, 1, 0, 3}},
      // Two rows at 1 and the third best unranked: all three belong in 1-3.
      {"a record left unranked", {{250, 1}, {240, 1}, {230, 0}}, true, {100}, {1, 2, 3, 0}},
      {"ranked rows below unranked ones", {{20, 1}, {10, 2}, {255, 0}, {254, 0}}, false, {1},
       {3, 0, 1, 2, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    ASSERT_TRUE(fill_synthetic_hits(db_path.c_str(), 0, 0, 1));  // the tables, no rows
    sqlite3* db = open_db();
    for (const auto& row : c.stored) put_ranked(db, row.first, row.second);
    if (c.read_first) {
      store_begin(*store);
      serve_all();
    }
    for (int32_t value : c.hits) record(value);
    EXPECT_EQ(doubled_positions(db), "0");
    EXPECT_EQ(positions_of(stored_rows()), c.positions);
    sqlite3_close(db);
  }
}

TEST_F(TwoStores, TwoProgramsOnOneFileKeepThePositionsUnique) {
  store_begin(*store);
  serve_all();
  store_begin(*other);
  while (store_serve_next(*other)) {
  }
  sqlite3* db = open_db();
  // Each writes without the other's hits in memory.
  const struct {
    bool mine;
    int32_t value;
  } hits[] = {{true, 50}, {false, 60}, {true, 55}, {false, 55}, {true, 10}, {false, 70}, {true, 65}};
  for (const auto& h : hits) {
    if (h.mine) record(h.value);
    else record_other(h.value);
    auto rows = stored_rows();
    EXPECT_EQ(doubled_positions(db), "0") << "after " << h.value;
    EXPECT_EQ(positions_of(rows), expected_positions(rows)) << "after " << h.value;
  }
  sqlite3_close(db);
}

namespace {

// A database function on every connection of this process, for a trigger to ask whether
// this ranking step should fail. It counts the asking and refuses the first `refusals`.
struct Refusals {
  int asked = 0;
  int refusals = 0;
};
Refusals refusals;

void refuse(sqlite3_context* context, int, sqlite3_value**) {
  refusals.asked += 1;
  sqlite3_result_int(context, refusals.asked <= refusals.refusals);
}

int add_refuse(sqlite3* db, char**, const sqlite3_api_routines*) {
  return sqlite3_create_function(db, "refuse", 0, SQLITE_UTF8, nullptr, refuse, nullptr, nullptr);
}

}  // namespace

TEST_F(StoreTest, AFailedRankingRollsBackWholeIsRetriedThenWaitsReported) {
  ASSERT_EQ(sqlite3_auto_extension((void (*)())add_refuse), SQLITE_OK);
  store_begin(*store);
  serve_all();
  record(90);
  record(80);
  record(70);
  sqlite3* db = open_db();
  exec_sql(db, "CREATE TRIGGER refuse_second BEFORE UPDATE OF record_position ON "
               "training_hit_power WHEN NEW.record_position = 2 BEGIN SELECT RAISE(ABORT, "
               "'second place refused') WHERE refuse(); END;");
  const struct {
    int refusals;
    int32_t value;
    size_t rows_after;
    bool reported;
  } cases[] = {
      {1, 95, 4, false},  // the retry goes through
      {2, 99, 4, true},   // both attempts fail: nothing of the hit is in the file yet, one
                          // line says so, and the next attempt stores it
      {0, 98, 6, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    auto before = stored_rows();
    refusals = Refusals{0, c.refusals};
    testing::internal::CaptureStderr();
    record(c.value);
    std::string said = testing::internal::GetCapturedStderr();
    auto rows = stored_rows();
    ASSERT_EQ(rows.size(), c.rows_after);
    EXPECT_EQ(doubled_positions(db), "0");
    EXPECT_EQ(positions_of(rows), expected_positions(rows));
    EXPECT_EQ(refusals.asked, c.refusals == 0 ? 1 : 2);
    if (c.reported) {
      EXPECT_EQ(positions_of(rows), positions_of(before)) << "rolled back whole";
      EXPECT_NE(said.find("hit of 99"), std::string::npos) << said;
      EXPECT_NE(said.find("second place refused"), std::string::npos) << said;
      EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
      testing::internal::CaptureStderr();
      serve_all();
      said = testing::internal::GetCapturedStderr();
      EXPECT_NE(said.find("hit of 99 at"), std::string::npos) << said;
      EXPECT_EQ(stored_rows().size(), c.rows_after + 1);
    } else {
      EXPECT_EQ(said, "");
    }
  }
  sqlite3_close(db);
  sqlite3_cancel_auto_extension((void (*)())add_refuse);
}

// The best three and the ranked rows are found without reading the whole table, which may
// hold 100 000 rows.
TEST_F(StoreTest, TheRankedRowsAreFoundThroughTheirIndex) {
  store_begin(*store);
  serve_all();
  record(10);
  sqlite3* db = open_db();
  sqlite3_stmt* stmt = nullptr;
  std::string plan;
  for (const char* sql : {STORE_TOP_THREE_SQL, STORE_UNRANK_SQL}) {
    ASSERT_EQ(sqlite3_prepare_v2(db, (std::string("EXPLAIN QUERY PLAN ") + sql).c_str(), -1,
                                 &stmt, nullptr),
              SQLITE_OK);
    while (sqlite3_step(stmt) == SQLITE_ROW) plan += (const char*)sqlite3_column_text(stmt, 3);
    sqlite3_finalize(stmt);
    plan += "; ";
  }
  sqlite3_close(db);
  EXPECT_NE(plan.find("INDEX training_hit_power_value"), std::string::npos) << plan;
  EXPECT_NE(plan.find("USING INDEX training_hit_power_ranked"), std::string::npos) << plan;
}
