// The record store's requests, driven without its thread: first run, ranking, delete-all,
// the covered period and damaged or foreign files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>

#include "core/lock_hold.h"
#include "store/synthetic_hits.h"
#include "tests/store_support.h"

namespace {

DateTime current_hour() { return hour_start_of(local_date_time()); }

// The store's period is the hour that held "now" at some moment of the test.
void expect_current_hour(const DateTime& first, const DateTime& last, const DateTime& before) {
  DateTime after = current_hour();
  DateTime expected = first.hour == before.hour ? before : after;
  EXPECT_EQ(first.year, expected.year);
  EXPECT_EQ(first.month, expected.month);
  EXPECT_EQ(first.day, expected.day);
  EXPECT_EQ(first.hour, expected.hour);
  EXPECT_EQ(first.minute, 0);
  EXPECT_EQ(first.second, 0);
  DateTime end = hour_end_of(expected);
  EXPECT_EQ(last.year, end.year);
  EXPECT_EQ(last.day, end.day);
  EXPECT_EQ(last.hour, end.hour);
  EXPECT_EQ(last.minute, 59);
  EXPECT_EQ(last.second, 59);
}

std::string text_of(const DateTime& t) {
  char out[40];
  format_date_time(out, sizeof out, t);
  return out;
}

// A row written straight into the table, as another run of the program would have left it.
void put_row(sqlite3* db, int value, int year, int month, int day, int hour, int minute,
             int second, double game_time = 2.0) {
  char sql[300];
  snprintf(sql, sizeof sql,
           "INSERT INTO training_hit_power (record_position, value, game_time, year, month, day, "
           "hour, minute, second, mac_address) VALUES (0, %d, %f, %d, %d, %d, %d, %d, %d, "
           "'A4C1380F12AB');",
           value, game_time, year, month, day, hour, minute, second);
  exec_sql(db, sql);
}

}  // namespace

TEST_F(StoreTest, FirstRunCreatesBothTablesAndPublishesTheCurrentHour) {
  DateTime before = current_hour();
  store_begin(*store);
  serve_all();

  sqlite3* db = open_db();
  EXPECT_EQ(query_text(db, "SELECT group_concat(name, ',') FROM (SELECT name FROM sqlite_master "
                           "WHERE type = 'table' AND name != 'sqlite_sequence' ORDER BY name);"),
            "training_hit_power,user");
  sqlite3_close(db);

  StoreView view;
  store_read_view(*store, view);
  EXPECT_EQ(requests_done(), 1u);  // the first read-all
  EXPECT_EQ(view.table_rows, 0);
  EXPECT_EQ(view.row_count, 0);
  expect_current_hour(view.data_first, view.data_last, before);
  expect_current_hour(view.run_from, hour_end_of(view.run_from), before);
  EXPECT_TRUE(date_time_empty(view.run_to));
}

TEST_F(StoreTest, RankingKeepsTheBestThreeWithTheNewerFirstOnATie) {
  store_begin(*store);
  serve_all();

  record(0, 1.0f, "A4C1380F0000");  // even a zero is the first record
  auto rows = stored_rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].record_position, 1);

  record(50, 1.0f, "A4C1380F12AB");
  record(30);
  record(20);
  rows = stored_rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].record_position, 0);  // the zero dropped out
  EXPECT_EQ(rows[1].record_position, 1);
  EXPECT_EQ(rows[2].record_position, 2);
  EXPECT_EQ(rows[3].record_position, 3);

  record(50, 1.0f, "A4C1380F9999");  // equal to the best: takes its place, the rest move down
  rows = stored_rows();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[4].record_position, 1);
  EXPECT_EQ(rows[1].record_position, 2);
  EXPECT_EQ(rows[2].record_position, 3);
  EXPECT_EQ(rows[3].record_position, 0);  // the former third

  StoreView view;
  store_read_view(*store, view);
  EXPECT_EQ(view.best[0].id, rows[4].id);
  EXPECT_EQ(view.best[0].value, 50);
  EXPECT_STREQ(view.best[0].mac4, "9999");
  EXPECT_EQ(view.best[1].id, rows[1].id);
  EXPECT_STREQ(view.best[1].mac4, "12AB");
  EXPECT_EQ(view.best[2].value, 30);
  EXPECT_EQ(strlen(view.best[0].when), 19u);  // "YYYY-MM-DD hh:mm:ss"

  record(40);  // between the second and the third
  rows = stored_rows();
  EXPECT_EQ(rows[5].record_position, 3);
  EXPECT_EQ(rows[2].record_position, 0);
  EXPECT_EQ(rows[1].record_position, 2);

  uint32_t done = requests_done();
  record(5);  // below the third: position 0, yet read back at once
  rows = stored_rows();
  EXPECT_EQ(rows.back().record_position, 0);
  EXPECT_EQ(requests_done(), done + 1);
  store_read_view(*store, view);
  EXPECT_EQ(view.table_rows, 7);
  std::vector<HitRow> loaded;
  uint32_t version = 0;
  store_copy_rows(*store, loaded, version);
  ASSERT_EQ(loaded.size(), 7u);
  EXPECT_EQ(loaded.back().value, 5);
  for (size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(rows[i].record_position, expected_positions(rows)[i]) << "row " << i;
}

// Random sequences with many ties: after every insert, positions 1-3 are each held by at
// most one row, and by exactly the rows the ranking rule names.
TEST_F(StoreTest, PositionsFollowTheRankingRuleOverRandomSequences) {
  store_begin(*store);
  serve_all();
  std::mt19937 random(20240611);
  sqlite3* db = open_db();
  for (int sequence = 0; sequence < 12; ++sequence) {
    ASSERT_TRUE(store_queue_delete_all(*store));
    serve_all();
    int length = 3 + (int)(random() % 20);
    int top = 2 + (int)(random() % 12);  // small ranges make ties common
    for (int i = 0; i < length; ++i) {
      record((int32_t)(random() % (unsigned)top));
      EXPECT_EQ(query_text(db, "SELECT count(*) FROM (SELECT record_position FROM "
                               "training_hit_power WHERE record_position BETWEEN 1 AND 3 "
                               "GROUP BY record_position HAVING count(*) > 1);"),
                "0");
      auto rows = stored_rows();
      auto expected = expected_positions(rows);
      for (size_t r = 0; r < rows.size(); ++r)
        ASSERT_EQ(rows[r].record_position, expected[r])
            << "sequence " << sequence << ", insert " << i << ", row " << r;
      StoreView view;
      store_read_view(*store, view);
      for (size_t r = 0; r < rows.size(); ++r)
        if (expected[r] > 0) {
          EXPECT_EQ(view.best[expected[r] - 1].id, rows[r].id);
        }
    }
  }
  sqlite3_close(db);
}

TEST_F(StoreTest, DeleteAllEmptiesTheTableAndStartsAFreshPeriod) {
  store_begin(*store);
  serve_all();
  record(90);
  record(70);
  RunBest hit{90, "2025-01-01 10:00:00", "12AB"};
  store_rank_run_best(*store, hit);

  DateTime before = current_hour();
  ASSERT_TRUE(store_queue_delete_all(*store));
  ASSERT_TRUE(store_serve_next(*store));
  // The delete became a read-all at the head, not yet run: everything is zero and unset.
  {
    Hold hold(store->mutex);
    ASSERT_EQ(store->request_count, 1);
    EXPECT_EQ(store->requests[0].code, STORE_READ_ALL);
  }
  StoreView view;
  store_read_view(*store, view);
  EXPECT_TRUE(date_time_empty(view.data_first));
  EXPECT_EQ(view.row_count, 0);
  EXPECT_EQ(view.run_hits, 0);
  EXPECT_EQ(view.run_best[0].value, 0);
  EXPECT_EQ(view.best[0].value, 0);
  EXPECT_EQ(view.best[0].id, 0);
  EXPECT_TRUE(date_time_empty(view.run_to));

  serve_all();
  EXPECT_TRUE(stored_rows().empty());
  store_read_view(*store, view);
  EXPECT_EQ(view.table_rows, 0);
  expect_current_hour(view.data_first, view.data_last, before);
  expect_current_hour(view.run_from, hour_end_of(view.run_from), before);

  record(10);  // ranked from scratch: the deleted records count no more
  EXPECT_EQ(stored_rows()[0].record_position, 1);
}

TEST_F(StoreTest, GameTimeReadsBackAsWholeSeconds) {
  store_begin(*store);
  serve_all();
  record(100, 12.7f);
  record(100, 0.9f);
  std::vector<HitRow> rows;
  uint32_t version = 0;
  EXPECT_TRUE(store_copy_rows(*store, rows, version));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].game_time, 12.0f);
  EXPECT_EQ(rows[1].game_time, 0.0f);
  EXPECT_NEAR(stored_rows()[0].game_time, 12.7, 1e-5);  // the file keeps the fraction
  EXPECT_FALSE(store_copy_rows(*store, rows, version));  // nothing changed since
}

TEST_F(StoreTest, TheRunCountsItsHitsAndSpansTheirHours) {
  store_begin(*store);
  serve_all();
  DateTime first{2025, 3, 9, 22, 41, 5};
  DateTime later{2025, 3, 10, 1, 2, 3};
  store_queue_result(*store, 80, 1.5f, "A4C1380F12AB", first);
  store_queue_result(*store, 60, 1.5f, "A4C1380F12AB", later);
  StoreView view;
  store_read_view(*store, view);
  EXPECT_EQ(view.run_hits, 0) << "counted before it was stored";
  serve_all();
  store_read_view(*store, view);
  EXPECT_EQ(view.run_hits, 2);
  EXPECT_EQ(text_of(view.run_from), "2025-03-09 22:00:00");
  EXPECT_EQ(text_of(view.run_to), "2025-03-10 01:59:59");

  EXPECT_EQ(view.run_best[0].value, 80);
  EXPECT_STREQ(view.run_best[0].mac4, "12AB");
  store_clear_run_best(*store);
  store_rank_run_best(*store, RunBest{60, "a", "0001"});
  store_rank_run_best(*store, RunBest{80, "b", "0002"});
  store_rank_run_best(*store, RunBest{60, "c", "0003"});  // ties with the second: goes above it
  store_rank_run_best(*store, RunBest{10, "d", "0004"});
  store_read_view(*store, view);
  EXPECT_STREQ(view.run_best[0].mac4, "0002");
  EXPECT_STREQ(view.run_best[1].mac4, "0003");
  EXPECT_STREQ(view.run_best[2].mac4, "0001");
  store_clear_run_best(*store);
  store_read_view(*store, view);
  EXPECT_EQ(view.run_best[0].value, 0);
  EXPECT_STREQ(view.run_best[0].when, "b");
}

TEST_F(StoreTest, CoveredPeriodSpansTheHoursOfRowsOutOfOrder) {
  ASSERT_TRUE(fill_synthetic_hits(db_path.c_str(), 0, 0, 1));  // the tables, no rows
  sqlite3* db = open_db();
  put_row(db, 10, 2025, 6, 14, 14, 20, 0);
  put_row(db, 20, 2025, 6, 14, 9, 5, 7);   // earlier than the first
  put_row(db, 30, 2025, 6, 15, 8, 0, 0);   // later than all
  put_row(db, 40, 2025, 6, 14, 12, 0, 0);  // in between: moves nothing
  put_row(db, 50, 2025, 6, 14, 9, 0, 1);   // in the first hour, after its start
  sqlite3_close(db);
  store_begin(*store);
  serve_all();
  StoreView view;
  store_read_view(*store, view);
  EXPECT_EQ(view.table_rows, 5);
  EXPECT_EQ(text_of(view.data_first), "2025-06-14 09:00:00");
  EXPECT_EQ(text_of(view.data_last), "2025-06-15 08:59:59");

  // A later read-all finds the first hour already set and keeps it; the last hour follows.
  db = open_db();
  put_row(db, 60, 2025, 6, 13, 23, 59, 59);
  put_row(db, 70, 2025, 6, 16, 0, 0, 0);
  sqlite3_close(db);
  store_queue(*store, StoreRequest{STORE_READ_ALL});
  serve_all();
  store_read_view(*store, view);
  EXPECT_EQ(view.table_rows, 7);
  EXPECT_EQ(text_of(view.data_first), "2025-06-14 09:00:00");
  EXPECT_EQ(text_of(view.data_last), "2025-06-16 00:59:59");
}

TEST_F(StoreTest, CoveredPeriodCrossesMidnightAndMonthEnds) {
  store_begin(*store);
  serve_all();
  struct Case {
    DateTime a, b;  // stored in this order
    const char* first;
    const char* last;
  } cases[] = {
      {{2026, 1, 1, 0, 10, 0}, {2025, 12, 31, 23, 30, 0}, "2025-12-31 23:00:00",
       "2026-01-01 00:59:59"},
      {{2025, 2, 28, 23, 59, 59}, {2025, 3, 1, 0, 0, 0}, "2025-02-28 23:00:00",
       "2025-03-01 00:59:59"},
      {{2025, 5, 1, 0, 0, 0}, {2025, 4, 30, 23, 0, 0}, "2025-04-30 23:00:00",
       "2025-05-01 00:59:59"},
  };
  for (const Case& c : cases) {
    // The delete runs alone first, leaving the period empty for the read-all it turns into.
    store_queue_delete_all(*store);
    ASSERT_TRUE(store_serve_next(*store));
    sqlite3* db = open_db();
    for (const DateTime& t : {c.a, c.b})
      put_row(db, 50, t.year, t.month, t.day, t.hour, t.minute, t.second);
    sqlite3_close(db);
    serve_all();
    StoreView view;
    store_read_view(*store, view);
    EXPECT_EQ(view.table_rows, 2);
    EXPECT_EQ(text_of(view.data_first), c.first);
    EXPECT_EQ(text_of(view.data_last), c.last);
  }
}
