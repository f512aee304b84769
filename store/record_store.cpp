// The shared record: allocation, the thread's life, and what the screens queue and read.
#include "core/date_time.h"
#include "core/lock_hold.h"
#include "core/worker_thread.h"
#include "store/record_store.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <new>
#include <vector>

#include "store/store_internal.h"

namespace {

// How long the end of the program waits for a request under way: longer than one attempt
// that waits out another program's lock.
const int STOP_WAIT_SECONDS = 6;

// The thread runs while main has not cleared store_running; after the stop `app` is gone.
bool running_locked(const RecordStore& store) {
  return store.app != nullptr && store.app->store_running != 0;
}

// Seconds between attempts at a result the file did not take.
const int RETRY_SECONDS = 2;

// The absolute time `seconds` from now, for a timed wait on the store's condition.
timespec time_from_now(int seconds) {
  timespec at;
  clock_gettime(CLOCK_REALTIME, &at);
  at.tv_sec += seconds;
  return at;
}

// Sleeps until a request is queued or the thread is stopped; after a failed result, first the
// pause before its next attempt. When stopped, the queue is discarded and the answer is false.
bool wait_for_request(RecordStore& store) {
  Hold hold(store.mutex);
  timespec retry_at = time_from_now(RETRY_SECONDS);
  while (running_locked(store) && store.insert_failing &&
         pthread_cond_timedwait(&store.wake, &hold.mutex, &retry_at) != ETIMEDOUT) {
  }
  while (running_locked(store) && store.request_count == 0)
    pthread_cond_wait(&store.wake, &hold.mutex);
  bool go = running_locked(store);
  if (!go) store.request_count = 0;
  return go;
}

int32_t unsaved_locked(const RecordStore& store) {
  return (store.insert_failing ? store.inserts_waiting : 0) + store.results_refused;
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
  std::vector<StoreRequest> unsaved;
  bool cut_short = false;
  {
    Hold hold(store->mutex);
    // The request under way finishes first (a short while at most), so the results named
    // below are exactly those not stored.
    timespec give_up = time_from_now(STOP_WAIT_SECONDS);
    while (store->busy &&
           pthread_cond_timedwait(&store->wake, &hold.mutex, &give_up) != ETIMEDOUT) {
    }
    cut_short = store->busy;
    store->stopped = true;
    for (int32_t k = 0; k < store->request_count; ++k)
      if (store->requests[k].code == STORE_INSERT) unsaved.push_back(store->requests[k]);
    if (store->app) store->app->store_running = 0;
    store->app = nullptr;  // main's AppState may end before the thread next looks
    pthread_cond_signal(&store->wake);
  }
  for (size_t k = 0; k < unsaved.size(); ++k)
    report_hit(unsaved[k],
               k == 0 && cut_short ? "was being stored as the program ended; it may be missing"
                                   : "was not stored: the program ended first",
               nullptr);
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
  StoreRequest* slot = store.request_count < STORE_QUEUE_LIMIT
                           ? array_append(store.requests, store.request_count, store.request_capacity)
                           : nullptr;
  if (!slot) return false;
  *slot = request;
  if (request.code == STORE_DELETE_ALL) store.deletes_queued += 1;
  if (request.code == STORE_INSERT) {
    store.inserts_queued += 1;
    store.inserts_waiting += 1;
  }
  pthread_cond_signal(&store.wake);
  return true;
}

void report_hit(const StoreRequest& request, const char* what, const char* why) {
  char when[32];
  format_date_time(when, (int)sizeof when, date_time_of(request));
  fprintf(stderr, "hxm: the hit of %d at %s from pad %.12s %s%s%s\n", request.value, when,
          request.mac, what, why ? ": " : "", why ? why : "");
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

  bool queued = false;
  {
    Hold hold(store.mutex);
    queued = queue_locked(store, request);
    if (!queued) store.results_refused += 1;
  }
  if (!queued) report_hit(request, "was not stored: too many results wait already", nullptr);
  return queued;
}

int top_three_place(int32_t value, const int32_t best[3]) {
  int place = 0;
  while (place < 3 && value < best[place]) ++place;
  return place;
}

void store_rank_run_best(RecordStore& store, const RunBest& hit) {
  Hold hold(store.mutex);
  rank_run_best_locked(store, hit);
}

void rank_run_best_locked(RecordStore& store, const RunBest& hit) {
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
  view.unsaved = unsaved_locked(store);
}

int32_t store_unsaved(RecordStore& store) {
  Hold hold(store.mutex);
  return unsaved_locked(store);
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

