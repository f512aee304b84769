#include "store/synthetic_hits.h"

#include <ctime>
#include <random>

#include "store/store_internal.h"

namespace {

const char* const SYNTHETIC_MACS[4] = {"A4C1380F12AB", "A4C1380F34CD", "A4C1380F56EF",
                                       "A4C1380F7890"};

// Positions 1-3 for the best three by value, the newer first on a tie: the order the
// thread's ranking chain keeps, written in one go instead of hit by hit.
bool rank_whole_table(sqlite3* db) {
  if (!store_exec(db, "UPDATE training_hit_power SET record_position = 0 "
                      "WHERE record_position != 0;"))
    return false;
  sqlite3_stmt* top = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT id FROM training_hit_power ORDER BY value DESC, id DESC "
                             "LIMIT 3;", -1, &top, nullptr) != SQLITE_OK) {
    sqlite3_finalize(top);
    return false;
  }
  int64_t ids[3] = {0, 0, 0};
  for (int k = 0; k < 3 && sqlite3_step(top) == SQLITE_ROW; ++k) ids[k] = sqlite3_column_int64(top, 0);
  sqlite3_finalize(top);
  bool ok = true;
  for (int k = 0; ok && k < 3 && ids[k] != 0; ++k) ok = store_set_position(db, ids[k], k + 1);
  return ok;
}

}  // namespace

bool fill_synthetic_hits(const char* path, int32_t count, int32_t days, uint32_t seed) {
  sqlite3* db = store_open(path);
  if (!db || !store_exec(db, STORE_SCHEMA_SQL) || !store_exec(db, "BEGIN IMMEDIATE;")) {
    sqlite3_close(db);
    return false;
  }
  sqlite3_stmt* insert = nullptr;
  bool ok = sqlite3_prepare_v2(db, STORE_INSERT_SQL, -1, &insert, nullptr) == SQLITE_OK;

  std::mt19937 random(seed);
  std::normal_distribution<double> power(120.0, 45.0);  // most hits mid-scale, a few strong
  std::uniform_real_distribution<double> attempt(0.4, 9.0);
  const time_t now = time(nullptr);
  const double span = (double)days * 86400.0;
  for (int32_t i = 0; ok && i < count; ++i) {
    time_t at = now - (time_t)(span * (double)(count - i) / (double)count);
    struct tm local = {};
    localtime_r(&at, &local);
    int value = (int)power(random);
    value = value < 1 ? 1 : value > 255 ? 255 : value;
    sqlite3_bind_int(insert, 1, 0);
    sqlite3_bind_int(insert, 2, value);
    sqlite3_bind_double(insert, 3, attempt(random));
    sqlite3_bind_int(insert, 4, local.tm_year + 1900);
    sqlite3_bind_int(insert, 5, local.tm_mon + 1);
    sqlite3_bind_int(insert, 6, local.tm_mday);
    sqlite3_bind_int(insert, 7, local.tm_hour);
    sqlite3_bind_int(insert, 8, local.tm_min);
    sqlite3_bind_int(insert, 9, local.tm_sec);
    sqlite3_bind_text(insert, 10, SYNTHETIC_MACS[random() % 4], -1, SQLITE_STATIC);
    ok = sqlite3_step(insert) == SQLITE_DONE;
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  ok = ok && rank_whole_table(db) && store_exec(db, "COMMIT;");
  if (!ok) store_exec(db, "ROLLBACK;");
  sqlite3_close(db);
  return ok;
}
