// The database thread's work: start, read-all, insert with ranking, delete-all.
// Each request opens its own connection and closes it again; the lock is never held
// during a SQLite call.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/date_time.h"
#include "core/lock_hold.h"
#include "store/store_internal.h"

const char STORE_SCHEMA_SQL[] =
    "PRAGMA foreign_keys=on;"
    "CREATE TABLE IF NOT EXISTS user (id INTEGER NOT NULL PRIMARY KEY AUTOINCREMENT, uuid TEXT "
    "DEFAULT NULL);"
    "CREATE TABLE IF NOT EXISTS training_hit_power (id INTEGER NOT NULL PRIMARY KEY "
    "AUTOINCREMENT, record_position INTEGER DEFAULT 0, value INTEGER NOT NULL, game_time REAL NOT "
    "NULL, year INTEGER NOT NULL, month INTEGER NOT NULL, day INTEGER NOT NULL, hour INTEGER NOT "
    "NULL, minute INTEGER NOT NULL, second INTEGER NOT NULL, mac_address TEXT NOT NULL);";
const char STORE_READ_ALL_SQL[] = "SELECT * FROM training_hit_power;";
const char STORE_INSERT_SQL[] =
    "INSERT INTO training_hit_power (record_position, value, game_time, year, month, day, hour, "
    "minute, second, mac_address) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?);";
const char* const STORE_RANK_SQL[4] = {
    "UPDATE training_hit_power SET record_position = 0 WHERE id = ?;",
    "UPDATE training_hit_power SET record_position = 1 WHERE id = ?;",
    "UPDATE training_hit_power SET record_position = 2 WHERE id = ?;",
    "UPDATE training_hit_power SET record_position = 3 WHERE id = ?;",
};
const char STORE_DELETE_ALL_SQL[] = "DELETE FROM training_hit_power;";
const char STORE_TOP_THREE_SQL[] =
    "SELECT id FROM training_hit_power WHERE value BETWEEN -2147483648 AND 2147483647 AND "
    "typeof(value) = 'integer' ORDER BY value DESC, id DESC LIMIT 3;";
const char STORE_UNRANK_SQL[] =
    "UPDATE training_hit_power SET record_position = 0 WHERE record_position != 0 AND id NOT IN "
    "(?, ?, ?);";
const char STORE_INDEX_SQL[] =
    "CREATE INDEX IF NOT EXISTS training_hit_power_value ON training_hit_power (value);"
    "CREATE INDEX IF NOT EXISTS training_hit_power_ranked ON training_hit_power "
    "(record_position) WHERE record_position != 0;";

namespace {

// Another program (or a second copy of this one) may hold the file briefly: wait for it
// rather than lose a hit.
const int BUSY_TIMEOUT_MS = 5000;

void finish_head_locked(RecordStore& store) {
  array_remove_head(store.requests, store.request_count);
  store.requests_done += 1;
}

// A request is finished: it leaves the head of the queue.
void finish_head(RecordStore& store) {
  Hold hold(store.mutex);
  finish_head_locked(store);
}

// A read-all is finished, with the number of rows it returned and what went wrong ("" when
// nothing did). In the program a new trouble is said once on standard error, not at every
// read-all; tools say it their own way.
void finish_read_all(RecordStore& store, int32_t rows, const char* error) {
  bool news = false;
  {
    Hold hold(store.mutex);
    store.table_rows = rows;
    news = store.app && error[0] != '\0' && strcmp(error, store.read_error) != 0;
    snprintf(store.read_error, sizeof store.read_error, "%s", error);
    finish_head_locked(store);
  }
  if (news) fprintf(stderr, "hxm: reading %s: %s\n", store.db_path, error);
}

// The head becomes a read-all, handled next before any later request.
void head_to_read_all(RecordStore& store) {
  Hold hold(store.mutex);
  if (store.request_count > 0) store.requests[0].code = STORE_READ_ALL;
}

// Under the lock: what a fresh start and a delete-all both publish.
void clear_published_locked(RecordStore& store, const DateTime& now) {
  store.row_count = 0;
  store.rows_version += 1;
  store.run_from = hour_start_of(now);
  store.run_to = DateTime{};
  store.data_first = DateTime{};
  store.data_last = DateTime{};
  for (int k = 0; k < 3; ++k) {
    store.run_best[k].value = 0;
    store.best[k].value = 0;
    store.best[k].id = 0;
  }
  store.run_hits = 0;
  store.table_rows = 0;
}

// A text column into a fixed field: NULL reads as empty, a longer text is cut to fit.
void copy_text(const unsigned char* text, int bytes, char* out, int size) {
  int n = text ? bytes : 0;
  if (n > size - 1) n = size - 1;
  if (n > 0) memcpy(out, text, (size_t)n);
  out[n] = '\0';
}

// A stored game time as whole seconds, truncated toward zero; values no run could reach
// (foreign files) are held to the int32 range.
float whole_seconds(double stored) {
  if (std::isnan(stored)) return 0.0f;
  if (stored > 2147483647.0) stored = 2147483647.0;
  if (stored < -2147483648.0) stored = -2147483648.0;
  return (float)std::trunc(stored);
}

// Calendar times of a read-all's rows. Hits are stored in time order, so most rows share the
// previous row's hour: one mktime per hour instead of one per row (mktime takes microseconds,
// and a table may hold 100 000 rows).
struct HourClock {
  int32_t year = 0, month = 0, day = 0, hour = 0;
  int64_t start = 0;
  bool known = false;
};

int64_t hour_start_time(HourClock& clock, const HitRow& row) {
  if (!clock.known || clock.year != row.year || clock.month != row.month ||
      clock.day != row.day || clock.hour != row.hour) {
    clock.year = row.year;
    clock.month = row.month;
    clock.day = row.day;
    clock.hour = row.hour;
    clock.start = calendar_time(row.year, row.month, row.day, row.hour, 0, 0);
    clock.known = true;
  }
  return clock.start;
}

int64_t row_time(HourClock& clock, const HitRow& row) {
  if (row.minute < 0 || row.minute > 59 || row.second < 0 || row.second > 59)
    return calendar_time(row.year, row.month, row.day, row.hour, row.minute, row.second);
  return hour_start_time(clock, row) + row.minute * 60 + row.second;
}

// One row of the read-all statement: columns 0 to 10 in table order. NULL text reads as empty;
// the MAC is kept whole in `hit` and cut to its field in the row.
void decode_hit(sqlite3_stmt* stmt, HourClock& clock, StoredHit& hit) {
  HitRow& row = hit.row;
  row = HitRow{};
  hit.id = sqlite3_column_int64(stmt, 0);
  row.record_position = sqlite3_column_int(stmt, 1);
  row.value = sqlite3_column_int(stmt, 2);
  hit.game_time = sqlite3_column_double(stmt, 3);
  row.game_time = whole_seconds(hit.game_time);
  row.year = sqlite3_column_int(stmt, 4);
  row.month = sqlite3_column_int(stmt, 5);
  row.day = sqlite3_column_int(stmt, 6);
  row.hour = sqlite3_column_int(stmt, 7);
  row.minute = sqlite3_column_int(stmt, 8);
  row.second = sqlite3_column_int(stmt, 9);
  const unsigned char* mac = sqlite3_column_text(stmt, 10);
  hit.mac_bytes = mac ? sqlite3_column_bytes(stmt, 10) : 0;
  hit.mac = mac ? (const char*)mac : "";
  copy_text(mac, hit.mac_bytes, row.mac_address, (int)sizeof row.mac_address);
  row.time = row_time(clock, row);
}

// The covered period of one read-all; both times start at 0, so a period already set by an
// earlier read-all keeps its first hour.
struct PeriodScan {
  int64_t first_time = 0;
  int64_t last_time = 0;
};

void widen_period_locked(RecordStore& store, PeriodScan& scan, const HitRow& row, int64_t t,
                         int64_t hour_start) {
  DateTime when = date_time_of(row);
  const int64_t hour_end = hour_start + 59 * 60 + 59;
  if (date_time_empty(store.data_first)) {
    store.data_first = hour_start_of(when);
    store.data_last = hour_end_of(when);
    scan.first_time = hour_start;
    scan.last_time = hour_end;
  } else if (scan.first_time > t) {
    store.data_first = hour_start_of(when);
    scan.first_time = hour_start;
  } else if (scan.last_time < t) {
    store.data_last = hour_end_of(when);
    scan.last_time = hour_end;
  }
}

// Why stepping through the rows stopped, for a read that ended with `rc` after `read` rows
// (stopped at the limit when rc is still SQLITE_ROW); "" when it reached the end.
// False when there is trouble.
bool read_trouble(sqlite3_stmt* stmt, int rc, int32_t read, char* error, int size) {
  if (rc == SQLITE_ROW) rc = sqlite3_step(stmt);
  if (rc == SQLITE_ROW)
    snprintf(error, (size_t)size, "more than %d results, which no gym stores: only the first %d "
             "are read", read, read);
  else if (rc != SQLITE_DONE)
    snprintf(error, (size_t)size, "%s", sqlite3_errmsg(sqlite3_db_handle(stmt)));
  return rc == SQLITE_DONE;
}

void read_all(RecordStore& store, const char* path) {
  char error[sizeof store.read_error] = {};
  sqlite3* db = store_open_reader(path, error, (int)sizeof error);
  sqlite3_stmt* stmt = nullptr;
  if (!db || sqlite3_prepare_v2(db, STORE_READ_ALL_SQL, -1, &stmt, nullptr) != SQLITE_OK) {
    if (db) snprintf(error, sizeof error, "%s", sqlite3_errmsg(db));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    finish_read_all(store, 0, error);
    return;
  }

  {
    Hold hold(store.mutex);
    store.row_count = 0;
    store.rows_version += 1;
  }

  PeriodScan scan;
  HourClock clock;
  int32_t read = 0;
  StoredHit hit;
  int rc = SQLITE_DONE;
  while (read < STORE_ROW_LIMIT && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    decode_hit(stmt, clock, hit);
    const HitRow& row = hit.row;
    ++read;

    BestEntry entry;
    int position = row.record_position;
    if (position >= 1 && position <= 3) {
      entry.value = row.value;
      entry.id = (int32_t)hit.id;
      format_date_time(entry.when, (int)sizeof entry.when, date_time_of(row));
      int tail = hit.mac_bytes < 4 ? hit.mac_bytes : 4;  // the last four of the whole text
      copy_text((const unsigned char*)hit.mac + hit.mac_bytes - tail, tail, entry.mac4,
                (int)sizeof entry.mac4);
    }
    // mktime stays outside the lock: the main thread takes it every frame.
    int64_t t = row.time;
    int64_t hour_start = hour_start_time(clock, row);

    {
      Hold hold(store.mutex);
      if (position >= 1 && position <= 3) store.best[position - 1] = entry;
      HitRow* slot = array_append(store.rows, store.row_count, store.row_capacity);
      if (slot) {
        *slot = row;
        store.rows_version += 1;
      }
      widen_period_locked(store, scan, row, t, hour_start);
    }
  }

  DateTime now = local_date_time();
  {
    Hold hold(store.mutex);
    if (date_time_empty(store.data_first)) {
      store.data_first = hour_start_of(now);
      store.data_last = hour_end_of(now);
    }
  }

  read_trouble(stmt, rc, read, error, (int)sizeof error);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  finish_read_all(store, read, error);
}

// Inserts the row and returns its id, or 0 when it was not stored.
int64_t insert_row(sqlite3* db, const StoreRequest& request) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, STORE_INSERT_SQL, -1, &stmt, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return 0;
  }
  sqlite3_bind_int(stmt, 1, 0);  // ranked afterwards, in the same transaction
  sqlite3_bind_int(stmt, 2, request.value);
  sqlite3_bind_double(stmt, 3, (double)request.game_time);
  sqlite3_bind_int(stmt, 4, request.year);
  sqlite3_bind_int(stmt, 5, request.month);
  sqlite3_bind_int(stmt, 6, request.day);
  sqlite3_bind_int(stmt, 7, request.hour);
  sqlite3_bind_int(stmt, 8, request.minute);
  sqlite3_bind_int(stmt, 9, request.second);
  char mac[sizeof request.mac];
  copy_text((const unsigned char*)request.mac, (int)strnlen(request.mac, sizeof mac), mac,
            (int)sizeof mac);
  sqlite3_bind_text(stmt, 10, mac, -1, SQLITE_TRANSIENT);
  bool done = sqlite3_step(stmt) == SQLITE_DONE;
  sqlite3_finalize(stmt);
  return done ? sqlite3_last_insert_rowid(db) : 0;
}

// The row and the ranking, inside an open transaction; false at the first failure.
bool insert_and_rank(sqlite3* db, const StoreRequest& request) {
  return insert_row(db, request) != 0 && store_rank_top_three(db);
}

// One attempt at storing a result: committed whole or rolled back whole, so a failed change
// or a crash never leaves positions 1-3 half moved. On failure `why` holds the database's
// own words.
template <size_t N>
bool store_ranked(const char* path, const StoreRequest& request, char (&why)[N]) {
  sqlite3* db = store_open(path);
  bool ok = db && store_exec(db, "BEGIN IMMEDIATE;") && insert_and_rank(db, request) &&
            store_exec(db, "COMMIT;");
  if (!ok) {
    snprintf(why, N, "%s", db ? sqlite3_errmsg(db) : "cannot open the database");
    if (db) store_exec(db, "ROLLBACK;");
  }
  sqlite3_close(db);
  return ok;
}

// A result is in the file: the run counts it, spans its hour and ranks it among its best.
void count_stored_locked(RecordStore& store, const StoreRequest& request) {
  DateTime when = date_time_of(request);
  store.run_hits += 1;
  if (date_time_empty(store.run_to)) store.run_from = hour_start_of(when);
  store.run_to = hour_end_of(when);
  store.inserts_waiting -= 1;
  RunBest hit;
  hit.value = request.value;
  format_date_time(hit.when, (int)sizeof hit.when, when);
  size_t mac = strnlen(request.mac, sizeof request.mac);
  snprintf(hit.mac4, sizeof hit.mac4, "%s", request.mac + (mac > 4 ? mac - 4 : 0));
  rank_run_best_locked(store, hit);
}

// A result that fails is tried once more at once; if that fails too it stays at the head of
// the queue, the screens show that results wait unsaved, and the thread tries again after a
// pause. Standard error says so once, when the trouble starts.
void insert(RecordStore& store, const char* path, const StoreRequest& request) {
  char why[160] = {};
  bool ok = store_ranked(path, request, why) || store_ranked(path, request, why);
  bool was_failing = false;
  {
    Hold hold(store.mutex);
    was_failing = store.insert_failing;
    store.insert_failing = !ok;
    if (ok) count_stored_locked(store, request);
  }
  if (!ok && !was_failing) report_hit(request, "is not stored yet; it is kept and tried again", why);
  if (ok && was_failing) report_hit(request, "is stored now", nullptr);
  // Every stored hit is read back, ranked or not, so the chart and the counter show it.
  if (ok) head_to_read_all(store);
}

void delete_all(RecordStore& store, const char* path) {
  sqlite3* db = store_open(path);
  if (db && store_exec(db, STORE_DELETE_ALL_SQL)) {
    DateTime now = local_date_time();
    {
      Hold hold(store.mutex);
      clear_published_locked(store, now);
    }
  }
  sqlite3_close(db);
  head_to_read_all(store);
}

}  // namespace

sqlite3* store_open(const char* path) {
  // SQLite makes its log files with the mode of the database, so they are private too.
  int made = open(path, O_RDWR | O_CREAT | O_EXCL, 0600);
  if (made >= 0) close(made);
  sqlite3* db = nullptr;
  if (sqlite3_open(path, &db) != SQLITE_OK) {
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, BUSY_TIMEOUT_MS);
  // In write-ahead-log mode NORMAL may lose the last commits at a power cut; FULL syncs the
  // log at every commit. The file may have been moved or replaced since the last request.
  store_exec(db, "PRAGMA journal_mode=WAL;");
  store_exec(db, "PRAGMA synchronous=FULL;");
  store_exec(db, STORE_SCHEMA_SQL);
  return db;
}

namespace {

// path as a URI file name: the characters a URI gives meaning to are escaped.
std::string file_uri(const char* path, const char* query) {
  std::string uri = "file:";
  for (const char* p = path; *p; ++p) {
    if (*p == '%' || *p == '?' || *p == '#') {
      char escaped[4];
      snprintf(escaped, sizeof escaped, "%%%02X", (unsigned char)*p);
      uri += escaped;
    } else {
      uri += *p;
    }
  }
  return uri + query;
}

sqlite3* open_reading(const std::string& uri) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
  if (rc == SQLITE_OK) sqlite3_busy_timeout(db, BUSY_TIMEOUT_MS);
  return db;
}

}  // namespace

sqlite3* store_open_reader(const char* path, char* error, int error_size) {
  struct stat info;
  const char* why = stat(path, &info) != 0        ? strerror(errno)
                    : !S_ISREG(info.st_mode) ? "not a regular file"
                                             : nullptr;
  if (why) {
    snprintf(error, (size_t)error_size, "%s", why);
    return nullptr;
  }
  sqlite3* db = open_reading(file_uri(path, ""));
  int rc = db ? sqlite3_exec(db, "PRAGMA schema_version;", nullptr, nullptr, nullptr) : SQLITE_NOMEM;
  // A write-ahead-log file in a folder this user cannot write to has no shared memory to
  // read through; nobody can be writing it then, so it is read as it lies.
  if ((rc & 0xFF) == SQLITE_CANTOPEN || (rc & 0xFF) == SQLITE_READONLY) {
    sqlite3_close(db);
    db = open_reading(file_uri(path, "?immutable=1"));
    rc = db ? SQLITE_OK : SQLITE_NOMEM;
  }
  if (rc != SQLITE_OK && (rc & 0xFF) != SQLITE_NOTADB && (rc & 0xFF) != SQLITE_CORRUPT) {
    snprintf(error, (size_t)error_size, "%s", db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close(db);
    return nullptr;
  }
  return db;
}

bool store_rank_top_three(sqlite3* db) {
  store_exec(db, STORE_INDEX_SQL);  // a file that refuses them is read whole instead
  sqlite3_stmt* stmt = nullptr;
  int64_t ids[3] = {0, 0, 0};
  bool ok = sqlite3_prepare_v2(db, STORE_TOP_THREE_SQL, -1, &stmt, nullptr) == SQLITE_OK;
  int rc = SQLITE_DONE;
  for (int k = 0; ok && k < 3 && (rc = sqlite3_step(stmt)) == SQLITE_ROW; ++k)
    ids[k] = sqlite3_column_int64(stmt, 0);
  ok = ok && (rc == SQLITE_ROW || rc == SQLITE_DONE);
  sqlite3_finalize(stmt);
  stmt = nullptr;
  ok = ok && sqlite3_prepare_v2(db, STORE_UNRANK_SQL, -1, &stmt, nullptr) == SQLITE_OK;
  for (int k = 0; ok && k < 3; ++k) sqlite3_bind_int64(stmt, k + 1, ids[k]);
  ok = ok && sqlite3_step(stmt) == SQLITE_DONE;
  sqlite3_finalize(stmt);
  for (int k = 0; ok && k < 3; ++k) ok = store_set_position(db, ids[k], k + 1);
  return ok;
}

bool store_exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  bool ok = sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK;
  sqlite3_free(error);
  return ok;
}

bool store_set_position(sqlite3* db, int64_t id, int position) {
  sqlite3_stmt* stmt = nullptr;
  bool ok = sqlite3_prepare_v2(db, STORE_RANK_SQL[position], -1, &stmt, nullptr) == SQLITE_OK;
  if (ok) {
    sqlite3_bind_int64(stmt, 1, id);
    ok = sqlite3_step(stmt) == SQLITE_DONE;
  }
  sqlite3_finalize(stmt);
  return ok;
}

bool store_read_rows(const char* path, void (*visit)(const StoredHit& hit, void* ctx), void* ctx,
                     char* error, int error_size) {
  sqlite3* db = store_open_reader(path, error, error_size);
  if (!db) return false;
  sqlite3_stmt* stmt = nullptr;
  bool ok = sqlite3_prepare_v2(db, STORE_READ_ALL_SQL, -1, &stmt, nullptr) == SQLITE_OK;
  if (!ok) snprintf(error, (size_t)error_size, "%s", sqlite3_errmsg(db));
  if (ok) {
    HourClock clock;
    StoredHit hit;
    int32_t read = 0;
    int rc = SQLITE_DONE;
    while (read < STORE_ROW_LIMIT && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      decode_hit(stmt, clock, hit);
      visit(hit, ctx);
      ++read;
    }
    ok = read_trouble(stmt, rc, read, error, error_size);
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return ok;
}

namespace {

// The initial state: an empty queue with nothing waiting, nothing published.
void start_fresh(RecordStore& store) {
  DateTime now = local_date_time();
  Hold hold(store.mutex);
  store.request_count = 0;
  store.inserts_waiting = 0;
  store.insert_failing = false;
  clear_published_locked(store, now);
}

}  // namespace

void store_begin(RecordStore& store) {
  start_fresh(store);

  // db_path never changes once the thread runs, so it is read without the lock.
  sqlite3* db = store_open(store.db_path);
  if (db && store_exec(db, STORE_SCHEMA_SQL)) {
    StoreRequest request;
    request.code = STORE_READ_ALL;
    store_queue(store, request);
  }
  sqlite3_close(db);
}

bool store_load(RecordStore& store) {
  start_fresh(store);
  StoreRequest request;
  request.code = STORE_READ_ALL;
  store_queue(store, request);
  read_all(store, store.db_path);
  Hold hold(store.mutex);
  return store.read_error[0] == '\0';
}

bool store_serve_next(RecordStore& store) {
  bool any = false;
  StoreRequest head;
  {
    Hold hold(store.mutex);
    any = store.request_count > 0 && !store.stopped;
    if (any) head = store.requests[0];  // queued entries never change but for this thread
    store.busy = any;
  }
  if (!any) return false;

  switch (head.code) {
    case STORE_READ_ALL: read_all(store, store.db_path); break;
    case STORE_INSERT: insert(store, store.db_path, head); break;
    case STORE_DELETE_ALL: delete_all(store, store.db_path); break;
    default: finish_head(store); break;  // no such request: dropped
  }
  Hold hold(store.mutex);
  store.busy = false;
  pthread_cond_broadcast(&store.wake);  // a stop may be waiting for this request
  return !store.insert_failing;  // a failed result waits for its next attempt
}
