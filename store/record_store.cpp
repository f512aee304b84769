// The shared record: allocation, the thread's life, and what the screens queue and read.
#include "app/helpers.h"
#include "app/lock_hold.h"
#include "app/worker_thread.h"
#include "store/record_store.h"

#include <cstdio>
#include <ctime>
#include <new>

#include "store/store_internal.h"

namespace {

// The thread runs while main has not cleared store_running; after the stop `app` is gone.
bool running_locked(const RecordStore& store) {
  return store.app != nullptr && store.app->store_running != 0;
}

// Sleeps until a request is queued or the thread is stopped. When stopped, the queue is
// discarded and the answer is false.
bool wait_for_request(RecordStore& store) {
  Hold hold(store.mutex);
  while (running_locked(store) && store.request_count == 0)
    pthread_cond_wait(&store.wake, &hold.mutex);
  bool go = running_locked(store);
  if (!go) store.request_count = 0;
  return go;
}

}  // namespace

RecordStore* new_record_store(AppState* app, const char* directory) {
  RecordStore* store = new (std::nothrow) RecordStore();
  if (!store) return nullptr;
  store->app = app;
  if (directory && directory[0])
    snprintf(store->db_path, sizeof store->db_path, "%s/hxm.db", directory);
  else
    snprintf(store->db_path, sizeof store->db_path, "hxm.db");
  return store;
}

void free_record_store(RecordStore* store) {
  if (!store) return;
  free(store->requests);
  free(store->rows);
  pthread_cond_destroy(&store->wake);
  pthread_mutex_destroy(&store->mutex);
  delete store;
}

RecordStore* start_record_store(AppState* app, const char* directory) {
  RecordStore* store = new_record_store(app, directory);
  if (!store) return nullptr;
  // Without a thread the store still takes requests; they simply stay queued.
  start_worker_thread(record_store_thread, store, "hxm-store");
  return store;
}

void stop_record_store(RecordStore* store) {
  if (!store) return;
  Hold hold(store->mutex);
  if (store->app) store->app->store_running = 0;
  store->app = nullptr;  // main's AppState may end before the thread next looks
  pthread_cond_signal(&store->wake);
}

void* record_store_thread(void* arg) {
  RecordStore* store = (RecordStore*)arg;
  store_begin(*store);
  while (wait_for_request(*store)) store_serve_next(*store);
  // Main touches the store no more once it has stopped it: the last user frees it.
  free_record_store(store);
  return nullptr;
}

bool queue_locked(RecordStore& store, const StoreRequest& request) {
  StoreRequest* slot =
      array_append(store.requests, store.request_count, store.request_capacity);
  if (!slot) return false;
  *slot = request;
  if (request.code == STORE_DELETE_ALL) store.deletes_queued += 1;
  if (request.code == STORE_INSERT) store.inserts_queued += 1;
  pthread_cond_signal(&store.wake);
  return true;
}

bool store_queue(RecordStore& store, const StoreRequest& request) {
  Hold hold(store.mutex);
  bool queued = queue_locked(store, request);
  return queued;
}

bool store_queue_delete_all(RecordStore& store) {
  StoreRequest request;
  request.code = STORE_DELETE_ALL;
  return store_queue(store, request);
}

bool store_queue_result(RecordStore& store, int32_t value, float game_time, const char* mac,
                        const DateTime& when) {
  StoreRequest request;
  request.code = STORE_INSERT;
  request.value = value;
  request.game_time = game_time;
  snprintf(request.mac, sizeof request.mac, "%s", mac ? mac : "");
  set_date_time(request, when);

  Hold hold(store.mutex);
  bool queued = queue_locked(store, request);
  store.run_hits += 1;
  if (date_time_empty(store.run_to)) store.run_from = hour_start_of(when);
  store.run_to = hour_end_of(when);
  return queued;
}

int top_three_place(int32_t value, const int32_t best[3]) {
  int place = 0;
  while (place < 3 && value < best[place]) ++place;
  return place;
}

void store_rank_run_best(RecordStore& store, const RunBest& hit) {
  Hold hold(store.mutex);
  RunBest* run_best = store.run_best;
  int32_t values[3] = {run_best[0].value, run_best[1].value, run_best[2].value};
  int place = top_three_place(hit.value, values);
  if (place < 3) {
    for (int k = 2; k > place; --k) run_best[k] = run_best[k - 1];
    run_best[place] = hit;
  }
}

void store_clear_run_best(RecordStore& store) {
  Hold hold(store.mutex);
  for (RunBest& entry : store.run_best) entry.value = 0;
}

void store_read_view(RecordStore& store, StoreView& view) {
  Hold hold(store.mutex);
  for (int k = 0; k < 3; ++k) {
    view.run_best[k] = store.run_best[k];
    view.best[k] = store.best[k];
  }
  view.run_hits = store.run_hits;
  view.table_rows = store.table_rows;
  view.run_from = store.run_from;
  view.run_to = store.run_to;
  view.data_first = store.data_first;
  view.data_last = store.data_last;
  view.row_count = store.row_count;
  view.rows_version = store.rows_version;
}

bool store_copy_rows(RecordStore& store, std::vector<HitRow>& rows, uint32_t& version) {
  Hold hold(store.mutex);
  bool changed = version != store.rows_version;
  if (changed) {
    rows.assign(store.rows, store.rows + store.row_count);
    version = store.rows_version;
  }
  return changed;
}

bool date_time_empty(const DateTime& t) {
  return t.year == 0 && t.month == 0 && t.day == 0 && t.hour == 0 && t.minute == 0 &&
         t.second == 0;
}

void format_date_time(char* out, int size, const DateTime& t) {
  snprintf(out, (size_t)size, "%d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
           t.minute, t.second);
}

DateTime hour_start_of(const DateTime& t) {
  DateTime h = t;
  h.minute = 0;
  h.second = 0;
  return h;
}

DateTime hour_end_of(const DateTime& t) {
  DateTime h = t;
  h.minute = 59;
  h.second = 59;
  return h;
}

DateTime local_date_time() { return local_date_time_at((int64_t)time(nullptr)); }

int64_t date_time_seconds(const DateTime& t) {
  return calendar_time(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

DateTime local_date_time_at(int64_t at) {
  time_t when = (time_t)at;
  struct tm local = {};
  localtime_r(&when, &local);
  DateTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec;
  return t;
}
