#include "store/synthetic_hits.h"

#include <ctime>
#include <random>

#include "store/store_internal.h"

namespace {

const char* const SYNTHETIC_MACS[4] = {"A4C1380F12AB", "A4C1380F34CD", "A4C1380F56EF",
                                       "A4C1380F7890"};

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
  ok = ok && store_rank_top_three(db) && store_exec(db, "COMMIT;");
  if (!ok) store_exec(db, "ROLLBACK;");
  sqlite3_close(db);
  return ok;
}
