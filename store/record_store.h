// The record store: a worker thread that keeps the hit-power results in "hxm.db" and
// publishes the table, the records and the covered period to the screens.
#pragma once

#include <pthread.h>

#include <cstdint>
#include <vector>

#include "core/app_state.h"
#include "core/date_time.h"

enum StoreRequestCode : int32_t {
  STORE_READ_ALL = 1,
  STORE_INSERT = 2,
  STORE_DELETE_ALL = 3,
};

// One queued request; read-all and delete-all use only `code`.
struct StoreRequest {
  int32_t code = 0;
  int32_t value = 0;  // hit power
  float game_time = 0.0f;
  char mac[16] = {};
  int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// One stored hit as the last read-all loaded it.
struct HitRow {
  int32_t record_position = 0;
  int32_t value = 0;
  float game_time = 0.0f;  // whole seconds, truncated toward zero
  int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char mac_address[16] = {};
  // calendar_time of the date and time, worked out once when the row is read, so the chart
  // never converts a row per frame.
  int64_t time = 0;
};

struct RunBest {
  int32_t value = 0;
  char when[22] = {};
  char mac4[6] = {};
};

struct BestEntry {
  int32_t value = 0;
  int32_t id = 0;
  char when[22] = {};  // "%d-%02d-%02d %02d:%02d:%02d" of the row's date and time
  char mac4[6] = {};   // the last four characters of the row's MAC address
};

// Shared by the database thread and the main thread; every field below `mutex` is touched only
// while holding it, and never during a SQLite call.
struct RecordStore {
  AppState* app = nullptr;  // the thread reads store_running through it; cleared on stop
  pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
  pthread_cond_t wake = PTHREAD_COND_INITIALIZER;  // signalled by every enqueue and by stop

  StoreRequest* requests = nullptr;  // oldest first
  int32_t request_count = 0;
  int32_t request_capacity = 0;
  HitRow* rows = nullptr;  // the table as the last read-all loaded it
  int32_t row_count = 0;
  int32_t row_capacity = 0;

  DateTime run_from;  // hour of the run's first stored hit, or of the thread's start
  DateTime run_to;    // end of the hour of the run's latest hit; empty until its first
  DateTime data_first;  // first hour covered by the stored results (minute and second 0)
  DateTime data_last;   // last hour covered (minute and second 59)
  RunBest run_best[3];
  int32_t run_hits = 0;
  BestEntry best[3];  // all-time positions 1, 2, 3
  int32_t table_rows = 0;  // rows returned by the last read-all; 0 if it failed

  uint32_t rows_version = 0;  // changes whenever `rows` change, so readers copy only then
  uint32_t requests_done = 0;  // requests finished and removed from the queue
  uint32_t deletes_queued = 0;  // delete-all requests ever queued, for checks that count rows
  uint32_t inserts_queued = 0;  // results ever queued, likewise (run_hits restarts at a delete)
  int32_t inserts_waiting = 0;  // results queued and not yet stored
  bool insert_failing = false;  // the head result's last attempt failed; it waits for the next
  int32_t results_refused = 0;  // results the full queue could not take: lost, and shown so
  bool busy = false;     // the thread is carrying out the head request
  bool stopped = false;  // the program is ending: no request is started any more
  char read_error[160] = {};  // why the last read-all fell short; "" when it read everything

  // Where the database lives; set before the thread starts and never changed after.
  char db_path[4096] = {};
};

// Allocates a store whose database is "hxm.db" in `directory` (the working directory when
// null or empty); the thread sets the published state when it starts.
RecordStore* new_record_store(AppState* app, const char* directory);
// The store's memory, for callers that ran it without the thread (tools and tests).
void free_record_store(RecordStore* store);

// Start-up: allocates the store and starts its thread, which is never joined. The thread
// frees the store once it has seen the stop, so main must not touch it after stopping.
RecordStore* start_record_store(AppState* app, const char* directory);
// Shutdown: clears store_running and wakes the thread; the store's last use by the caller.
void stop_record_store(RecordStore* store);
// The thread's entry: starts, then serves requests until stopped; frees the store and returns 0.
void* record_store_thread(void* store);

// The thread's work in pieces, for driving a store without the thread.
// The initial state, the schema and the first read-all queued.
void store_begin(RecordStore& store);
// Handles the head request; false when the queue is empty or the head result failed and
// waits for a later attempt.
bool store_serve_next(RecordStore& store);
// For tools: the published state of the file as the screens would see it, read without ever
// writing to it; false when it could not be read whole (read_error says why).
bool store_load(RecordStore& store);

// Screens: queueing. Each takes the lock once; false when the queue could not grow.
bool store_queue(RecordStore& store, const StoreRequest& request);
bool store_queue_delete_all(RecordStore& store);
// A measured hit of the hit-power training: the insert request. The run's counter, period
// and best three take it once it is stored.
bool store_queue_result(RecordStore& store, int32_t value, float game_time, const char* mac,
                        const DateTime& when);
// The run's best three, best first; a tie puts the newer hit first.
void store_rank_run_best(RecordStore& store, const RunBest& hit);
// The current run's best values cleared (the texts stay).
void store_clear_run_best(RecordStore& store);

// Screens: reading. Everything published except the rows, copied in one hold.
struct StoreView {
  RunBest run_best[3];
  BestEntry best[3];
  int32_t run_hits = 0;
  int32_t table_rows = 0;
  DateTime run_from, run_to, data_first, data_last;
  int32_t row_count = 0;
  uint32_t rows_version = 0;
  int32_t unsaved = 0;  // results waiting while the file cannot be written, or lost to a full queue
};
void store_read_view(RecordStore& store, StoreView& view);
// StoreView.unsaved alone, for a screen that shows nothing else of the store.
int32_t store_unsaved(RecordStore& store);
// Copies the rows when they changed since `version` (updated); true when it copied.
bool store_copy_rows(RecordStore& store, std::vector<HitRow>& rows, uint32_t& version);

// Every stored row in table order, for tools that look at a database the program may be using:
// a read-only connection (one snapshot, never holding up the program's writes), the read-all
// statement, its row limit and the same decoding as the thread's read-all. `visit` also gets the row id, the stored game time unrounded and
// the whole MAC text (valid only during the call). False, with SQLite's message in `error`,
// when the file cannot be opened or read as a record database.
struct StoredHit {
  int64_t id = 0;
  HitRow row;
  double game_time = 0.0;
  const char* mac = "";
  int32_t mac_bytes = 0;
};
bool store_read_rows(const char* path, void (*visit)(const StoredHit& hit, void* ctx), void* ctx,
                     char* error, int error_size);

// Where a new value enters a best-first top three: 0, 1 or 2, or 3 when it stays out.
// A tie ranks the newer value first.
int top_three_place(int32_t value, const int32_t best[3]);

